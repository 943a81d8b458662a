// quillon-cli export and import: the same exporters and importers as the program's windows.
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldtext.h"
#include "catalogue/sortorder.h"
#include "cli/clisupport.h"
#include "dbase/table.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "transfer/delimitedtext.h"
#include "transfer/exporter.h"
#include "transfer/importer.h"

namespace cli {

namespace {

QString optionValue(const QStringList& args, qsizetype& i) {
    if (i + 1 >= args.size()) throw UsageError{QStringLiteral("%1 needs a value").arg(args[i])};
    return args[++i];
}

void printLine(const QString& text) {
    const QByteArray line = text.toUtf8() + '\n';
    if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) != size_t(line.size()) ||
        std::fflush(stdout) != 0)
        throw Failure{QStringLiteral("cannot write the output")};
}

void note(const QString& text) {
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

// A catalogue field of --map: field name, display name or slot number.
int catalogueSlot(const QString& text, const DatabaseSettings& settings) {
    bool number = false;
    const int slot = text.trimmed().toInt(&number);
    if (number) return slot >= 1 && slot <= FieldCount ? slot : 0;
    return slotNamed(text, settings);
}

} // namespace

int cmdExport(const QStringList& args) {
    QStringList positional;
    QList<QStringList> levels{{}};
    bool where = false;
    bool header = false;
    bool dbf = false;
    QString fieldsOption;
    bool hasFields = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--where")) {
            levels.last() << optionValue(args, i);
            where = true;
        } else if (a == QLatin1String("--or")) {
            levels.append(QStringList());
        } else if (a == QLatin1String("--header")) {
            header = true;
        } else if (a == QLatin1String("--dbf")) {
            dbf = true;
        } else if (a == QLatin1String("--fields")) {
            fieldsOption = optionValue(args, i);
            hasFields = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) throw UsageError{QStringLiteral("export needs FILE OUT")};
    if (levels.size() > SearchCriteria::MaxLevels)
        throw UsageError{
            QStringLiteral("export takes at most %1 search levels").arg(SearchCriteria::MaxLevels)};
    if (!where && levels.size() > 1) throw UsageError{QStringLiteral("--or needs --where")};
    const QString path = tablePath(positional[0]);
    requireCatalogue(path);
    const DatabaseSettings settings = catalogueSettings(path);
    const DateFormat dates = programDateFormat();

    transfer::ExportRequest request;
    request.path = positional[1];
    request.dates = dates;
    request.kind = dbf || transfer::hasDbfExtension(request.path) ? transfer::FileKind::DBase
                                                                  : transfer::FileKind::Ascii;
    if (hasFields) {
        for (const QString& name : fieldsOption.split(u',')) {
            const int slot = slotNamed(name, settings);
            if (!slot)
                throw UsageError{QStringLiteral("\"%1\" is not a catalogue field").arg(name.trimmed())};
            request.fieldSlots.push_back(slot);
        }
    } else {
        request.fieldSlots = transfer::exportColumns(settings);
    }

    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    if (!t.indexStale() && usesSortTag(t, path)) t.setActiveIndex(kSortTag);
    SearchState search;
    if (where) {
        const SearchCriteria criteria = criteriaOfLevels(levels, settings, dates);
        if (!search.start(t, criteria)) throw Failure{noMatchesMessage()};
    }
    if (header && request.kind == transfer::FileKind::Ascii)
        for (int slot : request.fieldSlots)
            request.headerNames << transfer::exportHeaderName(slot, settings, t);
    const transfer::ExportResult result = transfer::exportRecords(t, request);
    if (!result.ok) throw Failure{result.message};
    printLine(QString::number(result.records));
    return 0;
}

int cmdImport(const QStringList& args) {
    QStringList positional;
    bool skipFirst = false;
    QString mapOption;
    bool hasMap = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--skip-first")) {
            skipFirst = true;
        } else if (a == QLatin1String("--map")) {
            mapOption = optionValue(args, i);
            hasMap = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) throw UsageError{QStringLiteral("import needs FILE SOURCE")};
    const QString path = tablePath(positional[0]);
    requireCatalogue(path);
    const DatabaseSettings settings = catalogueSettings(path);

    transfer::ImportRequest request;
    request.path = positional[1];
    requireExisting(request.path);
    request.kind =
        transfer::hasDbfExtension(request.path) ? transfer::FileKind::DBase : transfer::FileKind::Ascii;
    QStringList names;
    if (request.kind == transfer::FileKind::Ascii) {
        const transfer::FirstLine first = transfer::readFirstLine(request.path);
        if (first.code != transfer::FirstLine::Ok) throw Failure{transfer::firstLineMessage(first)};
        names = first.names;
        request.skipFirst = skipFirst;
    } else {
        if (skipFirst) throw UsageError{QStringLiteral("--skip-first is for delimited text files only")};
        const transfer::SourceFields fields = transfer::readDbfFields(request.path);
        if (!fields.ok) throw Failure{fields.error};
        if (fields.totalFields > transfer::MaxImportFields)
            note(transfer::tooManyDbfFieldsMessage(fields.totalFields));
        names = fields.names;
    }
    request.fieldCount = int(names.size());
    if (hasMap) {
        request.map.assign(size_t(names.size()), 0);
        for (const QString& pair : mapOption.split(u',')) {
            const qsizetype eq = pair.indexOf(u'=');
            if (eq < 0) throw UsageError{QStringLiteral("--map \"%1\" is not SOURCEFIELD=FIELD").arg(pair)};
            const QString source = pair.left(eq).trimmed();
            int index = -1;
            bool number = false;
            const int n = source.toInt(&number);
            if (number && n >= 1 && n <= names.size()) index = n - 1;
            for (qsizetype i = 0; index < 0 && i < names.size(); ++i)
                if (names[i].compare(source, Qt::CaseInsensitive) == 0) index = int(i);
            if (index < 0)
                throw UsageError{QStringLiteral("\"%1\" is not a field of %2").arg(source, request.path)};
            const int slot = catalogueSlot(pair.mid(eq + 1), settings);
            if (!slot)
                throw UsageError{
                    QStringLiteral("\"%1\" is not a catalogue field").arg(pair.mid(eq + 1).trimmed())};
            request.map[size_t(index)] = slot;
        }
    } else {
        request.map = transfer::defaultFieldMap(request.fieldCount);
    }
    request.formats.dates = programDateFormat();
    for (int slot = 1; slot <= FieldCount; ++slot)
        request.displayNames[size_t(slot - 1)] = settings.displayName(slot);

    // Exclusive use lets the import bring the index up to date once at the end; while the program
    // or another process has the catalogue open, the import shares it.
    dbase::Table t;
    try {
        t.open(enginePath(path), dbase::OpenMode::Exclusive);
    } catch (const dbase::LockError&) {
        t.open(enginePath(path), dbase::OpenMode::Shared);
    }
    const transfer::ImportResult result = transfer::importRecords(t, request);
    t.close();
    printLine(QString::number(result.imported));
    if (!result.ok) throw Failure{transfer::importStoppedMessage(result)};
    if (result.unreadValues > 0) note(transfer::importCompleteMessage(result));
    return 0;
}

} // namespace cli
