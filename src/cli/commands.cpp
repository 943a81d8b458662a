#include "cli/commands.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/inifile.h"
#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldtext.h"
#include "catalogue/sortorder.h"
#include "cli/generator.h"
#include "dbase/table.h"

namespace cli {

namespace {

const char* const kUsage =
    "Usage: quillon-cli COMMAND FILE [OPTIONS]\n"
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
    "\n"
    "FILE may be given with any letter case of its extension. Output is UTF-8; a tab, CR, LF or\n"
    "backslash inside a value is written as \\t, \\r, \\n or \\\\.\n"
    "Exit codes: 0 done, 1 failed (message on stderr), 2 wrong usage.\n";

struct UsageError {
    QString text;
};
struct Failure {
    QString text;
};

void put(FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

// Buffered standard output; a write failure (full disk, closed pipe) is a failure of the command.
class Output {
public:
    ~Output() { flush(); }
    std::string& buffer() { return buf_; }
    void endLine() {
        buf_ += '\n';
        if (buf_.size() >= (1u << 16)) flush();
    }
    void flush() {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), stdout) != buf_.size()) failed_ = true;
        buf_.clear();
    }
    bool finish() {
        flush();
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) failed_ = true;
        return !failed_;
    }

private:
    std::string buf_;
    bool failed_ = false;
};

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

void requireExisting(const QString& path) {
    if (!QFileInfo(path).isFile()) throw Failure{QStringLiteral("%1: no such file").arg(path)};
}

void requireCatalogue(const QString& path) {
    requireExisting(path);
    const FormatCheck check = checkCatalogueFormat(path);
    if (!check.ok) throw Failure{check.message};
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

int cmdCheck(const QStringList& args) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, QStringLiteral("check"));
    requireCatalogue(path);
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

    if (!QFileInfo::exists(path)) {
        const NewTable made = createCatalogue(path);
        if (!made.ok) throw Failure{made.message};
    } else {
        requireCatalogue(path);
    }

    dbase::Table t;
    try {
        t.open(enginePath(path), dbase::OpenMode::Exclusive);
    } catch (const dbase::LockError&) {
        throw Failure{inUseMessage(path)};
    }
    int index[FieldCount];
    for (int s = 1; s <= FieldCount; ++s)
        index[s - 1] = t.fieldIndexOrThrow(fieldSlot(s).name);

    // A large batch is faster appended without index maintenance, the tags rebuilt once at the end.
    // Should the run be cut short, the program rebuilds a missing NewIndex when it next opens the table.
    std::vector<dbase::TagInfo> rebuild;
    const uint64_t existing = t.info().physicalCount;
    if (count >= 1000 && count * 4 >= existing) {
        rebuild = t.tags();
        if (!rebuild.empty()) t.setActiveIndex("");
        for (const dbase::TagInfo& tag : rebuild)
            t.deleteIndex(tag.name);
    }

    SampleVideos videos(seed);
    SampleVideos::Record record;
    t.disableControls();
    try {
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
    } catch (const dbase::DbError&) {
        // The records posted so far stay; their tags are made again before the error is reported.
        if (t.isEditing()) t.cancel();
        t.enableControls();
        for (const dbase::TagInfo& tag : rebuild) {
            try {
                t.addIndex(tag.name, tag.expression);
            } catch (const dbase::DbError&) {
            }
        }
        throw;
    }
    t.enableControls();
    for (const dbase::TagInfo& tag : rebuild)
        t.addIndex(tag.name, tag.expression);
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

    IniFile settings(TablePaths::settingsPath(path));
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
    const IniFile settings = IniFile::fromFile(TablePaths::settingsPath(path));
    if (!settings.exists()) return true;
    static const char* const kKeys[] = {"Primary Sort", "Secondary Sort", "Third Level Sort",
                                        "Fourth Level Sort"};
    static const int kDefaults[] = {2, 0, 0, 0};
    SortLevels levels;
    for (size_t i = 0; i < 4; ++i)
        levels[i] = settings.readInt(QStringLiteral("Sort Order"), QLatin1String(kKeys[i]), kDefaults[i]);
    return !sortExpression(levels).isEmpty();
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
    std::vector<int> fields;
    if (o.has(QStringLiteral("--fields"))) {
        const QStringList names = o.value(QStringLiteral("--fields")).split(u',');
        for (const QString& n : names) {
            const int i = t.fieldIndex(n.trimmed().toStdString());
            if (i < 0) throw Failure{QStringLiteral("%1: no field named \"%2\"").arg(path, n.trimmed())};
            fields.push_back(i);
        }
    } else {
        for (int i = 0; i < t.fieldCount(); ++i)
            fields.push_back(i);
    }
    if (usesSortTag(t, path)) t.setActiveIndex(kSortTag);

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
    return 0;
}

int cmdExclusive(const QStringList& args, bool pack) {
    const Options o = parseOptions(args, {});
    const QString path = needFile(o, 1, pack ? QStringLiteral("pack") : QStringLiteral("reindex"));
    requireExisting(path);
    const ExclusiveRun run = pack ? packTable(path) : reindexTable(path);
    if (run.ok) return 0;
    if (run.inUse) throw Failure{pack ? packFailedMessage() : reindexFailedMessage()};
    throw Failure{run.detail};
}

} // namespace

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
    const QStringList rest = args.mid(1);
    try {
        if (command == QLatin1String("create")) return cmdCreate(rest);
        if (command == QLatin1String("check")) return cmdCheck(rest);
        if (command == QLatin1String("info")) return cmdInfo(rest);
        if (command == QLatin1String("generate")) return cmdGenerate(rest);
        if (command == QLatin1String("sort")) return cmdSort(rest);
        if (command == QLatin1String("list")) return cmdList(rest);
        if (command == QLatin1String("pack")) return cmdExclusive(rest, true);
        if (command == QLatin1String("reindex")) return cmdExclusive(rest, false);
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
