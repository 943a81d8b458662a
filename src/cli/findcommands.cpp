// quillon-cli search, locate and replace: the same finding code as the program's windows.
#include <QFile>
#include <QStringList>
#include <vector>

#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldtext.h"
#include "catalogue/settings.h"
#include "catalogue/sortorder.h"
#include "cli/clisupport.h"
#include "dbase/table.h"
#include "find/locate.h"
#include "find/replace.h"
#include "find/searchpage.h"
#include "find/searchstate.h"

namespace cli {

namespace {

// A catalogue field by field name or display name (letter case ignored); 0 when none.
int slotNamed(const QString& name, const DatabaseSettings& settings) {
    const QString n = name.trimmed();
    if (const int slot = slotByName(n)) return slot;
    for (int slot = 1; slot <= FieldCount; ++slot)
        if (settings.displayName(slot).trimmed().compare(n, Qt::CaseInsensitive) == 0) return slot;
    return 0;
}

uint64_t wholeNumber(const QString& option, const QString& value) {
    bool ok = false;
    const qulonglong n = value.toULongLong(&ok);
    if (!ok) throw UsageError{QStringLiteral("%1 needs a whole number, not \"%2\"").arg(option, value)};
    return n;
}

QString valueOf(const QStringList& args, qsizetype& i) {
    if (i + 1 >= args.size()) throw UsageError{QStringLiteral("%1 needs a value").arg(args[i])};
    return args[++i];
}

} // namespace

SearchCriteria criteriaOfLevels(const QList<QStringList>& levels, const DatabaseSettings& settings,
                                const DateFormat& dates) {
    // Each level is one page of the search window, saved as the window saves it.
    SearchCriteria criteria;
    for (const QStringList& rows : levels) {
        SearchPage page;
        std::vector<bool> filled(FieldCount + 1, false);
        for (const QString& row : rows) {
            int slot = 0;
            qsizetype colon = -1;
            // The field is what precedes the first colon that ends a field or display name.
            for (qsizetype at = row.indexOf(u':'); at >= 0 && !slot; at = row.indexOf(u':', at + 1)) {
                slot = slotNamed(row.left(at), settings);
                colon = at;
            }
            if (!slot)
                throw UsageError{
                    QStringLiteral("--where \"%1\" does not begin with a field and a colon").arg(row)};
            if (filled[size_t(slot)])
                throw UsageError{QStringLiteral("%1 is given twice in one level").arg(fieldName(slot))};
            filled[size_t(slot)] = true;
            // The cell holds at most the field's width (text) or what its template allows.
            QString cell = row.mid(colon + 1).trimmed();
            if (rowKind(slot) == RowKind::Text) {
                cell = cell.left(fieldSlot(slot).width);
            } else {
                page.op(slot) = operatorOfCell(cell);
            }
            page.cell(slot) = cell;
        }
        const SaveResult saved = savePage(criteria, page, dates);
        switch (saved.status) {
        case SaveResult::Saved:
            break;
        case SaveResult::NoCriteria:
            throw Failure{noCriteriaMessage()};
        case SaveResult::Invalid:
            throw Failure{invalidCriteriaMessage() +
                          QStringLiteral("  (%1)").arg(settings.displayName(saved.row))};
        case SaveResult::TooMany:
            throw Failure{tooManyItemsMessage()};
        }
    }

    return criteria;
}

QList<QStringList> whereLevels(const QStringList& args, QStringList* rest) {
    QList<QStringList> levels{{}};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--where"))
            levels.last() << valueOf(args, i);
        else if (a == QLatin1String("--or"))
            levels.append(QStringList());
        else
            *rest << a;
    }
    if (levels.size() > SearchCriteria::MaxLevels)
        throw UsageError{QStringLiteral("at most %1 search levels").arg(SearchCriteria::MaxLevels)};
    return levels;
}

DatabaseSettings catalogueSettings(const QString& path) {
    DatabaseSettings settings;
    settings.loadForTable(path, ProgramPaths::programSettingsFile());
    return settings;
}

int cmdSearch(const QStringList& args) {
    QStringList positional;
    QList<QStringList> levels{{}};
    bool count = false;
    QString fieldsOption;
    uint64_t limit = ~uint64_t(0);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--where"))
            levels.last() << valueOf(args, i);
        else if (a == QLatin1String("--or"))
            levels.append(QStringList());
        else if (a == QLatin1String("--count"))
            count = true;
        else if (a == QLatin1String("--fields"))
            fieldsOption = valueOf(args, i);
        else if (a == QLatin1String("--limit"))
            limit = wholeNumber(a, valueOf(args, i));
        else if (a.startsWith(QLatin1String("--")))
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        else
            positional << a;
    }
    if (positional.isEmpty()) throw UsageError{QStringLiteral("search needs a FILE")};
    if (positional.size() > 1)
        throw UsageError{QStringLiteral("search: unexpected argument \"%1\"").arg(positional[1])};
    if (levels.size() > SearchCriteria::MaxLevels)
        throw UsageError{QStringLiteral("search takes at most %1 levels").arg(SearchCriteria::MaxLevels)};
    const QString path = tablePath(positional.first());
    requireCatalogue(path);
    const DatabaseSettings settings = catalogueSettings(path);
    const DateFormat dates = programDateFormat();

    const SearchCriteria criteria = criteriaOfLevels(levels, settings, dates);

    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    if (usesSortTag(t, path)) t.setActiveIndex(kSortTag);
    SearchState search;
    if (!search.start(t, criteria)) throw Failure{noMatchesMessage()};
    if (count) {
        const QByteArray line = QByteArray::number(t.recordCount()) + '\n';
        if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) != size_t(line.size()) ||
            std::fflush(stdout) != 0)
            throw Failure{QStringLiteral("cannot write the output")};
        return 0;
    }
    printRecords(t, chosenFields(t, path, fieldsOption), limit);
    return 0;
}

int cmdLocate(const QStringList& args) {
    QStringList positional;
    LocateRequest request;
    int matchOptions = 0;
    uint64_t after = 0;
    bool hasAfter = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--exact") || a == QLatin1String("--begin") ||
            a == QLatin1String("--anywhere")) {
            ++matchOptions;
            request.match = a == QLatin1String("--exact")   ? MatchType::Exact
                            : a == QLatin1String("--begin") ? MatchType::Beginning
                                                            : MatchType::Anywhere;
        } else if (a == QLatin1String("--case")) {
            request.caseSensitive = true;
        } else if (a == QLatin1String("--after")) {
            after = wholeNumber(a, valueOf(args, i));
            hasAfter = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError{QStringLiteral("unknown option %1").arg(a)};
        } else {
            positional << a;
        }
    }
    if (matchOptions > 1)
        throw UsageError{QStringLiteral("locate takes one of --exact, --begin and --anywhere")};
    if (positional.size() != 3) throw UsageError{QStringLiteral("locate needs FILE FIELD VALUE")};
    const QString path = tablePath(positional[0]);
    requireExisting(path);
    request.value = positional[2].left(255);

    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    // FIELD: a field of the table, or a catalogue field by its display name.
    request.field = positional[1];
    if (t.fieldIndex(request.field.toStdString()) < 0) {
        if (const int slot = slotNamed(request.field, catalogueSettings(path)))
            request.field = fieldName(slot);
    }
    if (usesSortTag(t, path)) t.setActiveIndex(kSortTag);
    if (hasAfter && (after == 0 || after > 0xFFFFFFFFu || !t.gotoBookmark(uint32_t(after))))
        throw Failure{QStringLiteral("record %1 is not a record of %2").arg(after).arg(path)};

    const LocateResult found = locateRecord(t, request, !hasAfter, programDateFormat());
    switch (found.status) {
    case LocateStatus::Found: {
        const QByteArray line = QByteArray::number(found.recno) + '\n';
        if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) != size_t(line.size()) ||
            std::fflush(stdout) != 0)
            throw Failure{QStringLiteral("cannot write the output")};
        return 0;
    }
    case LocateStatus::FieldMissing:
        throw Failure{fieldNotFoundMessage(request.field)};
    case LocateStatus::TableClosed:
        throw Failure{tableNotActiveMessage()};
    case LocateStatus::NotFound:
        break;
    }
    throw Failure{hasAfter ? noMoreMatchesMessage() : noMatchFromFirstMessage()};
}

int cmdReplace(const QStringList& args) {
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--"))) throw UsageError{QStringLiteral("unknown option %1").arg(a)};
    if (args.size() != 4) throw UsageError{QStringLiteral("replace needs FILE FIELD SEARCH REPLACEMENT")};
    const QString path = tablePath(args[0]);
    requireCatalogue(path);
    ReplaceRequest request;
    request.slot = slotNamed(args[1], catalogueSettings(path));
    if (request.slot == 0) throw UsageError{QStringLiteral("\"%1\" is not a catalogue field").arg(args[1])};
    request.search = args[2];
    request.replacement = args[3];

    // The table keeps the order it had: NewIndex is made again with its own expression.
    dbase::Table t;
    ReplaceTarget target;
    target.table = &t;
    target.path = path;
    {
        dbase::Table look;
        look.open(enginePath(path), dbase::OpenMode::Shared, true);
        for (const dbase::TagInfo& tag : look.tags())
            if (QString::fromStdString(tag.name).compare(QLatin1String(kSortTag), Qt::CaseInsensitive) == 0)
                target.sortExpression = QString::fromStdString(tag.expression);
    }
    const ReplaceResult result = replaceInCatalogue(target, request, programDateFormat());
    switch (result.status) {
    case ReplaceStatus::Refused:
        throw Failure{replaceCheckMessage(result.check)};
    case ReplaceStatus::InUse:
        throw Failure{replaceInUseMessage()};
    case ReplaceStatus::PrepareFailed:
        throw Failure{replaceFailedMessage() + u'\n' + result.detail};
    case ReplaceStatus::PassFailed:
    case ReplaceStatus::Done:
        break;
    }
    const QByteArray out = QStringLiteral("processed\t%1\nfound\t%2\nchanged\t%3\n")
                               .arg(result.counts.processed)
                               .arg(result.counts.found)
                               .arg(result.counts.changed)
                               .toUtf8();
    if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size()) ||
        std::fflush(stdout) != 0)
        throw Failure{QStringLiteral("cannot write the output")};
    if (result.status == ReplaceStatus::PassFailed) throw Failure{result.detail};
    return 0;
}

} // namespace cli
