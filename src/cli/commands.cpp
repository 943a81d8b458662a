#include "cli/commands.h"
#include "cli/clisupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/inifile.h"
#include "base/paths.h"
#include "base/version.h"
#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldtext.h"
#include "catalogue/sortorder.h"
#include "cli/backupcommand.h"
#include "cli/generator.h"
#include "cli/layoutscommand.h"
#include "cli/reportcommand.h"
#include "dbase/fileio.h"
#include "dbase/table.h"

namespace cli {

const char* const kUsage =
    "Usage: quillon-cli COMMAND FILE [OPTIONS]\n"
    "       quillon-cli --help | --version\n"
    "\n"
    "Batch commands over Quillon Videos 97 catalogue tables (dBase .DBF files).\n"
    "\n"
    "Commands:\n"
    "  create FILE                       create an empty catalogue table (replaces FILE)\n"
    "  check FILE                        exit 0 when FILE is a catalogue table, else say why\n"
    "  info FILE                         version, code page, counts, fields and index tags\n"
    "  generate FILE --records N [--seed S]\n"
    "                                    append N sample video records (creates FILE when missing)\n"
    "  sort FILE [LEVEL ...]             set up to four sort levels (field name or slot number,\n"
    "                                    0 or none for an empty level) and rebuild the NewIndex tag;\n"
    "                                    with no level the order becomes record order\n"
    "  list FILE [--fields NAME,...] [--limit N]\n"
    "                                    print the records in the table's order, one per line,\n"
    "                                    tab-separated, after a line of field names\n"
    "  pack FILE                         remove deleted records (needs exclusive use)\n"
    "  reindex FILE                      rebuild the index tags (needs exclusive use)\n"
    "  search FILE --where \"FIELD: CRITERIA\"... [--or --where ...]... [--count]\n"
    "              [--fields NAME,...] [--limit N]\n"
    "                                    print the records that meet the criteria (like list), or\n"
    "                                    their number; each --where is one row of the search window\n"
    "                                    (FIELD a field name or display name, CRITERIA as typed in\n"
    "                                    its cell: \"Year: > 1980 AND < 1990\"), --or starts the next\n"
    "                                    level (at most ten); a refusal prints the window's message\n"
    "  locate FILE FIELD VALUE [--exact | --begin | --anywhere] [--case] [--after RECNO]\n"
    "                                    print the number of the first record in the table's order\n"
    "                                    (after RECNO) whose FIELD matches VALUE (default --begin)\n"
    "  replace FILE FIELD SEARCH REPLACEMENT\n"
    "                                    give FIELD the value REPLACEMENT in every record where it\n"
    "                                    equals SEARCH (needs exclusive use); prints the records\n"
    "                                    processed, found and changed\n"
    "  export FILE OUT [--fields NAME,...] [--header] [--dbf] [--where ... [--or --where ...]]\n"
    "                                    write the records (with --where the search result) to OUT:\n"
    "                                    ASCII delimited text, or a dBase table with --dbf or when OUT\n"
    "                                    ends in .dbf; the fields given (field or display names), else\n"
    "                                    those of the catalogue's export settings; --header adds a line\n"
    "                                    of field names; prints the number of records written\n"
    "  import FILE SOURCE [--skip-first] [--map SOURCEFIELD=FIELD,...]\n"
    "                                    append the records of SOURCE (ASCII delimited text, or a dBase\n"
    "                                    table when it ends in .dbf) to the catalogue; import field n\n"
    "                                    goes to catalogue field n unless --map names where each goes\n"
    "                                    (SOURCEFIELD a name of the first line or table, or a number);\n"
    "                                    --skip-first leaves out the first line; prints the number of\n"
    "                                    records imported\n"
    "  layouts [--file URP] [--show N]   list the report layouts of QLNVID.URP in the program folder\n"
    "                                    (or URP): number, name, width, lines per record; with\n"
    "                                    --show N print layout N (from 0) as text\n"
    "  report FILE [LAYOUT] [--layout N|NAME] [--file URP] (--text OUT.txt | --pdf OUT.pdf)\n"
    "              [--where \"FIELD: CRITERIA\"... [--or --where ...]...]\n"
    "                                    run a report layout (number from 0 or name; default 0)\n"
    "                                    over the table in its sort order, or over the search\n"
    "                                    result, to a text file or a PDF file\n"
    "  backup FILE (--table | --lists | --settings | --layouts) DIR\n"
    "                                    copy the table FILE (needs exclusive use), its data lists,\n"
    "                                    its settings file, or the report layouts of the program\n"
    "                                    folder into the folder DIR\n"
    "  restore (--table | --lists | --settings | --layouts) SOURCE\n"
    "                                    copy a backup into the program folder: the table SOURCE\n"
    "                                    (its index rebuilt), or the lists, settings file or report\n"
    "                                    layouts beside the backed-up table SOURCE\n"
    "  labels FILE (--face | --spine) [--style 1-5] --media M1,M2,... [--items ITEM,...]\n"
    "         --pdf OUT.pdf              write one sheet of labels: label style 1 Avery 5199, 2 Avery\n"
    "                                    L7654, 3 professional, 4 Z-Label 31512, 5 user defined (the\n"
    "                                    Label section of QLNVID.INI); the media numbers fill the\n"
    "                                    positions in order (an empty one leaves its label blank);\n"
    "                                    ITEM: title, rating, start, stop, year, time, category,\n"
    "                                    media (default: the catalogue's label options)\n"
    "\n"
    "FILE may be given with any letter case of its extension. Output is UTF-8; a tab, CR, LF or\n"
    "backslash inside a value is written as \\t, \\r, \\n or \\\\.\n"
    "Exit codes: 0 done, 1 failed (message on stderr), 2 wrong usage.\n"
    "See quillon-cli(1).\n";

void put(FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The table file named on the command line: as given when it exists, else a file in the same
// folder whose name differs only in the letter case of its extension; else as given.
QString tablePath(const QString& arg) {
    QFileInfo info(arg);
    if (info.exists()) return info.absoluteFilePath();
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0) {
        const QString base = name.left(dot + 1);
        const QStringList entries = info.dir().entryList({base + u'*'}, QDir::Files | QDir::Hidden);
        for (const QString& e : entries)
            if (e.startsWith(base, Qt::CaseSensitive) && e.compare(name, Qt::CaseInsensitive) == 0)
                return info.dir().absoluteFilePath(e);
    }
    return info.absoluteFilePath();
}

// The table file must be a regular file (a symbolic link to one is fine): a directory, FIFO,
// device or dangling link is named for what it is.
void requireExisting(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    int err = 0;
    if (::stat(native.constData(), &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = EINVAL;
    if (err != 0) throw Failure{fromUtf8(dbase::openFailureText(native.toStdString(), err))};
}

void requireCatalogue(const QString& path) {
    requireExisting(path);
    const FormatCheck check = checkCatalogueFormat(path);
    if (!check.ok) throw Failure{check.message};
}

// An open table holds the forty catalogue fields in slot order (names ignoring letter case).
void requireCatalogueFields(const dbase::Table& t) {
    bool ok = t.fieldCount() == FieldCount;
    for (int i = 0; ok && i < FieldCount; ++i)
        ok = QString::fromStdString(t.field(i).name)
                 .compare(QLatin1String(fieldSlot(i + 1).name), Qt::CaseInsensitive) == 0;
    if (!ok) throw Failure{notCatalogueMessage()};
}

// The table's settings file is read and written as a text file: anything but a regular file
// (a FIFO would block the read for ever) is refused before the command does anything.
QString checkedSettingsPath(const QString& tablePath) {
    const QString settings = TablePaths::settingsPath(tablePath);
    const QByteArray native = QFile::encodeName(settings);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw Failure{
            fromUtf8(dbase::openFailureText(native.toStdString(), S_ISDIR(st.st_mode) ? EISDIR : EINVAL))};
    return settings;
}

// The settings file must be writable where it is (replaced through a new file in its folder).
void requireWritableSettings(const QString& settings) {
    const QByteArray native = QFile::encodeName(settings);
    const QByteArray folder = QFile::encodeName(QFileInfo(settings).absolutePath());
    if ((::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0) ||
        ::access(folder.constData(), W_OK | X_OK) != 0)
        throw Failure{
            QStringLiteral("%1 cannot be written: %2").arg(settings, fromUtf8(dbase::errnoText(errno)))};
}

// The sort expression the database settings file stores; empty when the file does not exist
// or sets every level to none.
QString storedSortExpression(const QString& settingsPath, bool* stored) {
    const IniFile settings = IniFile::fromFile(settingsPath);
    *stored = settings.exists();
    if (!settings.exists()) return {};
    static const char* const kKeys[] = {"Primary Sort", "Secondary Sort", "Third Level Sort",
                                        "Fourth Level Sort"};
    static const int kDefaults[] = {2, 0, 0, 0};
    SortLevels levels;
    for (size_t i = 0; i < 4; ++i)
        levels[i] = settings.readInt(QStringLiteral("Sort Order"), QLatin1String(kKeys[i]), kDefaults[i]);
    return sortExpression(levels);
}

QString inUseMessage(const QString& path) {
    return QStringLiteral(
               "The table \"%1\" is in use by another program.  The command needs exclusive use of it.")
        .arg(path);
}

uint64_t parseCount(const QString& option, const QString& value, uint64_t max) {
    bool ok = false;
    const qulonglong n = value.toULongLong(&ok);
    if (!ok || n > max)
        throw UsageError{
            QStringLiteral("%1 needs a whole number up to %2, not \"%3\"").arg(option).arg(max).arg(value)};
    return n;
}

// Options of the form --name VALUE after the FILE argument.
struct Options {
    QStringList positional;
    QList<QPair<QString, QString>> named;

    QString value(const QString& name) const {
        for (const auto& [k, v] : named)
            if (k == name) return v;
        return {};
    }
    bool has(const QString& name) const {
        for (const auto& kv : named)
            if (kv.first == name) return true;
        return false;
    }
};

Options parseOptions(const QStringList& args, const QStringList& known) {
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            if (!known.contains(a)) throw UsageError{QStringLiteral("unknown option %1").arg(a)};
            if (i + 1 >= args.size()) throw UsageError{QStringLiteral("%1 needs a value").arg(a)};
            if (o.has(a)) throw UsageError{QStringLiteral("%1 given twice").arg(a)};
            o.named.append({a, args[++i]});
        } else {
            o.positional << a;
        }
    }
    return o;
}

QString needFile(const Options& o, qsizetype maxPositional, const QString& command) {
    if (o.positional.isEmpty()) throw UsageError{QStringLiteral("%1 needs a FILE").arg(command)};
    if (o.positional.size() > maxPositional)
        throw UsageError{
            QStringLiteral("%1: unexpected argument \"%2\"").arg(command, o.positional[maxPositional])};
    return tablePath(o.positional.first());
}

// ---- commands ---------------------------------------------------------------------------

int cmdCreate(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, QStringLiteral("create"));
    const NewTable made = createCatalogue(path);
    if (!made.ok) throw Failure{made.message};
    return 0;
}

// Reads only: the forty catalogue fields, the header count against the file, and every index tag
// against the records.
int cmdCheck(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, QStringLiteral("check"));
    requireExisting(path);
    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    requireCatalogueFields(t);
    t.checkIndexes();
    return 0;
}

int cmdInfo(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, QStringLiteral("info"));
    requireExisting(path);
    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    const dbase::TableInfo info = t.info();
    const uint32_t live = t.recordCount();
    Output out;
    std::string& b = out.buffer();
    char line[64];
    std::snprintf(line, sizeof line, "version\t0x%02X", info.version);
    b += line;
    out.endLine();
    std::snprintf(line, sizeof line, "code page\t0x%02X", info.codePageId);
    b += line;
    out.endLine();
    b += "records\t" + std::to_string(live);
    out.endLine();
    b += "deleted\t" + std::to_string(info.physicalCount >= live ? info.physicalCount - live : 0);
    out.endLine();
    b += "fields\t" + std::to_string(t.fieldCount());
    out.endLine();
    for (int i = 0; i < t.fieldCount(); ++i) {
        const dbase::FieldDef& f = t.field(i);
        b += "field\t";
        appendEscaped(b, f.name);
        b += '\t';
        b += f.type;
        b += '\t' + std::to_string(f.width) + '\t' + std::to_string(f.decimals);
        out.endLine();
    }
    for (const dbase::TagInfo& tag : t.tags()) {
        b += "tag\t";
        appendEscaped(b, tag.name);
        b += '\t';
        appendEscaped(b, tag.expression);
        out.endLine();
    }
    if (!out.finish()) throw Failure{QStringLiteral("cannot write the output")};
    return 0;
}

int cmdGenerate(const QStringList& args) {
    const Options o = parseOptions(args, {QStringLiteral("--records"), QStringLiteral("--seed")});
    const QString path = needFile(o, 1, QStringLiteral("generate"));
    if (!o.has(QStringLiteral("--records"))) throw UsageError{QStringLiteral("generate needs --records N")};
    const uint64_t count =
        parseCount(QStringLiteral("--records"), o.value(QStringLiteral("--records")), 100000000);
    const uint64_t seed =
        o.has(QStringLiteral("--seed"))
            ? parseCount(QStringLiteral("--seed"), o.value(QStringLiteral("--seed")), ~uint64_t(0))
            : 1;

    // Created only when no file of that name exists: of two runs on a missing table one makes it
    // and the other appends to it (or finds it in use), never replacing the first one's records.
    if (!dbase::Table::createNew(enginePath(path), catalogueFields())) requireExisting(path);

    dbase::Table t;
    try {
        t.open(enginePath(path), dbase::OpenMode::Exclusive);
    } catch (const dbase::LockError&) {
        throw Failure{inUseMessage(path)};
    }
    requireCatalogueFields(t);
    int index[FieldCount];
    for (int s = 1; s <= FieldCount; ++s)
        index[s - 1] = t.fieldIndexOrThrow(fieldSlot(s).name);

    // All or nothing: a failed write (a full disk) cuts the table back to the records it had and
    // makes the index match again (or, when even that cannot be written, leaves it marked for a
    // rebuild at the next writable open). A large batch leaves the index tags alone and rebuilds
    // them once at its end into a new file; a small one onto a large table keeps them current,
    // which costs less than a rebuild. Should the run be killed, the next writable open
    // rebuilds the tags.
    const uint64_t existing = t.info().physicalCount;
    SampleVideos videos(seed);
    SampleVideos::Record record;
    t.disableControls();
    try {
        if (count >= 1000 && count * 4 >= existing) t.deferIndexMaintenance();
        for (uint64_t n = 0; n < count; ++n) {
            videos.next(record);
            t.append();
            for (int s = 1; s <= FieldCount; ++s) {
                const std::string& v = record[size_t(s - 1)];
                if (v.empty()) continue;
                switch (fieldSlot(s).typeCode) {
                case TypeDate:
                    t.setDate(index[s - 1], v);
                    break;
                case TypeInteger:
                case TypeFloat:
                    t.setNumber(index[s - 1], std::strtod(v.c_str(), nullptr));
                    break;
                default:
                    t.setText(index[s - 1], v);
                    break;
                }
            }
            t.post();
        }
        t.enableControls();
    } catch (const dbase::DbError&) {
        try {
            t.rollBackAppends();
        } catch (const dbase::DbError&) {
            // The first error is the one to report; the next open repairs what is left.
        }
        throw;
    }
    t.close();
    return 0;
}

int parseLevel(const QString& text) {
    if (text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) return 0;
    bool isNumber = false;
    const int n = text.toInt(&isNumber);
    if (isNumber) {
        if (n < 0 || n > FieldCount)
            throw UsageError{
                QStringLiteral("sort level %1 is not a slot number 0 to %2").arg(text).arg(FieldCount)};
        return n;
    }
    const int slot = slotByName(text);
    if (slot == 0) throw UsageError{QStringLiteral("sort level \"%1\" is not a catalogue field").arg(text)};
    return slot;
}

int cmdSort(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 5, QStringLiteral("sort"));
    SortLevels levels{0, 0, 0, 0};
    for (qsizetype i = 1; i < o.positional.size(); ++i)
        levels[size_t(i - 1)] = parseLevel(o.positional[i]);
    requireCatalogue(path);
    // The settings file is checked before the index changes, so that a settings file that
    // cannot be written does not leave a new order without its levels.
    const QString settingsPath = checkedSettingsPath(path);
    requireWritableSettings(settingsPath);

    const QString expression = sortExpression(levels);
    dbase::Table t;
    try {
        t.open(enginePath(path), dbase::OpenMode::Exclusive);
    } catch (const dbase::LockError&) {
        throw Failure{sortNeedsExclusiveMessage()};
    }
    try {
        applySortExpression(t, expression, SortApply::Rebuild);
        t.close();
    } catch (const dbase::DbError& e) {
        throw Failure{sortFailedMessage() + u'\n' + fromUtf8(e.what())};
    }

    IniFile settings(settingsPath);
    if (!settings.load()) throw Failure{settings.errorString()};
    static const char* const kKeys[] = {"Primary Sort", "Secondary Sort", "Third Level Sort",
                                        "Fourth Level Sort"};
    for (size_t i = 0; i < 4; ++i)
        settings.writeInt(QStringLiteral("Sort Order"), QLatin1String(kKeys[i]), levels[i]);
    if (!settings.save()) throw Failure{settings.errorString()};
    return 0;
}

// The order the program shows the table in: the NewIndex tag when the table has one, unless the
// database settings set every sort level to none (record order).
bool usesSortTag(const dbase::Table& t, const QString& path) {
    bool hasTag = false;
    for (const auto& tag : t.tags())
        if (fromUtf8(tag.name).compare(QLatin1String(kSortTag), Qt::CaseInsensitive) == 0) hasTag = true;
    if (!hasTag) return false;
    bool stored = false;
    const QString expression = storedSortExpression(checkedSettingsPath(path), &stored);
    return !stored || !expression.isEmpty();
}

std::vector<int> chosenFields(const dbase::Table& t, const QString& path, const QString& names) {
    std::vector<int> fields;
    if (!names.isEmpty()) {
        for (const QString& n : names.split(u',')) {
            const int i = t.fieldIndex(n.trimmed().toStdString());
            if (i < 0) throw Failure{QStringLiteral("%1: no field named \"%2\"").arg(path, n.trimmed())};
            fields.push_back(i);
        }
    } else {
        for (int i = 0; i < t.fieldCount(); ++i)
            fields.push_back(i);
    }
    return fields;
}

void printRecords(dbase::Table& t, const std::vector<int>& fields, uint64_t limit) {
    const DateFormat dates = programDateFormat();
    Output out;
    std::string& b = out.buffer();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) b += '\t';
        appendEscaped(b, t.field(fields[i]).name);
    }
    out.endLine();
    uint64_t n = 0;
    t.disableControls();
    for (bool more = t.first(); more && n < limit; more = t.next(), ++n) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) b += '\t';
            appendEscaped(b, fieldTextUtf8(t, fields[i], dates));
        }
        out.endLine();
    }
    t.enableControls();
    if (!out.finish()) throw Failure{QStringLiteral("cannot write the output")};
}

int cmdList(const QStringList& args) {
    const Options o = parseOptions(args, {QStringLiteral("--fields"), QStringLiteral("--limit")});
    const QString path = needFile(o, 1, QStringLiteral("list"));
    const uint64_t limit =
        o.has(QStringLiteral("--limit"))
            ? parseCount(QStringLiteral("--limit"), o.value(QStringLiteral("--limit")), ~uint64_t(0))
            : ~uint64_t(0);
    requireExisting(path);

    dbase::Table t;
    t.open(enginePath(path), dbase::OpenMode::Shared, true);
    const std::vector<int> fields = chosenFields(t, path, o.value(QStringLiteral("--fields")));
    if (t.indexStale()) {
        checkedSettingsPath(path);
        put(stderr,
            QStringLiteral("%1: the index is damaged or out of date; the records are listed in record "
                           "order (quillon-cli reindex rebuilds it)\n")
                .arg(path));
    } else if (usesSortTag(t, path)) {
        t.setActiveIndex(kSortTag);
    }

    printRecords(t, fields, limit);
    return 0;
}

int cmdPack(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, QStringLiteral("pack"));
    requireExisting(path);
    const ExclusiveRun run = packTable(path);
    if (run.ok) return 0;
    if (run.inUse) throw Failure{packFailedMessage()};
    throw Failure{run.detail};
}

// Rebuilds every tag the index holds, then makes sure the sort tag matches the order the
// database settings store, adding it when the index lost it or could not be read at all.
int cmdReindex(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, QStringLiteral("reindex"));
    requireExisting(path);
    const QString settingsPath = checkedSettingsPath(path);
    dbase::Table t;
    try {
        t.open(enginePath(path), dbase::OpenMode::Exclusive);
    } catch (const dbase::LockError&) {
        throw Failure{reindexFailedMessage()};
    }
    t.regenerateIndexes();
    bool stored = false;
    const QString expression = storedSortExpression(settingsPath, &stored);
    if (!expression.isEmpty()) {
        bool current = false;
        for (const auto& tag : t.tags())
            if (fromUtf8(tag.name).compare(QLatin1String(kSortTag), Qt::CaseInsensitive) == 0)
                current = fromUtf8(tag.expression).compare(expression, Qt::CaseInsensitive) == 0;
        if (!current) t.replaceIndex(kSortTag, expression.toStdString());
    }
    t.close();
    return 0;
}

void appendEscaped(std::string& out, std::string_view value) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\t' && c != '\r' && c != '\n' && c != '\\') continue;
        out.append(value.substr(from, i - from));
        out += '\\';
        out += c == '\t' ? 't' : c == '\r' ? 'r' : c == '\n' ? 'n' : '\\';
        from = i + 1;
    }
    out.append(value.substr(from));
}

int run(const QStringList& args) {
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("--version")) {
        std::fputs("quillon-cli (Quillon Videos 97) " QUILLON_RELEASE "\n", stdout);
        return 0;
    }
    const QStringList rest = args.mid(1);
    try {
        if (command == QLatin1String("create")) return cmdCreate(rest);
        if (command == QLatin1String("check")) return cmdCheck(rest);
        if (command == QLatin1String("info")) return cmdInfo(rest);
        if (command == QLatin1String("generate")) return cmdGenerate(rest);
        if (command == QLatin1String("sort")) return cmdSort(rest);
        if (command == QLatin1String("list")) return cmdList(rest);
        if (command == QLatin1String("pack")) return cmdPack(rest);
        if (command == QLatin1String("reindex")) return cmdReindex(rest);
        if (command == QLatin1String("search")) return cmdSearch(rest);
        if (command == QLatin1String("locate")) return cmdLocate(rest);
        if (command == QLatin1String("replace")) return cmdReplace(rest);
        if (command == QLatin1String("layouts")) return layoutsCommand(rest);
        if (command == QLatin1String("report")) return reportCommand(rest);
        if (command == QLatin1String("export")) return cmdExport(rest);
        if (command == QLatin1String("import")) return cmdImport(rest);
        if (command == QLatin1String("backup")) return backupCommand(rest);
        if (command == QLatin1String("restore")) return restoreCommand(rest);
        if (command == QLatin1String("labels")) return cmdLabels(rest);
        throw UsageError{QStringLiteral("unknown command \"%1\"").arg(command)};
    } catch (const UsageError& e) {
        put(stderr, QStringLiteral("quillon-cli: %1\nTry 'quillon-cli --help'.\n").arg(e.text));
        return 2;
    } catch (const Failure& e) {
        put(stderr, e.text + u'\n');
        return 1;
    } catch (const dbase::DbError& e) {
        put(stderr, fromUtf8(e.what()) + u'\n');
        return 1;
    }
}

} // namespace cli
