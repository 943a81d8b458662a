#include "find/locate.h"

#include <QByteArray>
#include <algorithm>
#include <vector>

#include "dbase/table.h"
#include "find/criterionvalues.h"

namespace {

void upperAscii(std::string& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
}

// Everything one locate needs to test a record, prepared once.
class Matcher {
public:
    Matcher(const dbase::Table& table, int field, const LocateRequest& request, const DateFormat& dates)
        : field_(field), def_(table.field(field)), match_(request.match),
          caseSensitive_(request.caseSensitive), dates_(dates) {
        QString value = request.value.left(255);
        if (!caseSensitive_) value = upperAsciiLetters(value);
        const QByteArray b = value.toUtf8();
        value_.assign(b.constData(), size_t(b.size()));
        if (match_ == MatchType::Exact && hasDecimals()) number_ = plainDecimal(request.value);
    }

    bool memoFailed() const { return memoFailed_; }

    bool test(const dbase::Table& table) {
        if (number_) {
            const std::optional<double> v = table.getNumber(field_);
            return v && *v == *number_;
        }
        std::string text;
        if (!fieldText(table, text)) return false;
        if (value_.empty()) return match_ == MatchType::Exact && text.empty();
        if (!caseSensitive_) upperAscii(text);
        switch (match_) {
        case MatchType::Exact:
            return text == value_;
        case MatchType::Beginning:
            return text.compare(0, value_.size(), value_) == 0;
        case MatchType::Anywhere:
            return text.find(value_) != std::string::npos;
        }
        return false;
    }

private:
    bool hasDecimals() const { return (def_.type == 'N' || def_.type == 'F') && def_.decimals > 0; }

    bool fieldText(const dbase::Table& table, std::string& text) {
        switch (def_.type) {
        case 'N':
        case 'F': {
            const std::optional<double> v = table.getNumber(field_);
            if (!v) return true;
            if (!hasDecimals()) {
                text = table.getText(field_);
                return true;
            }
            const QByteArray b = QByteArray::number(*v, 'f', QLocale::FloatingPointShortest);
            text.assign(b.constData(), size_t(b.size()));
            return true;
        }
        case 'D': {
            const std::string d = table.getDate(field_);
            if (d.empty()) return true;
            const QByteArray b = dates_.format(QString::fromLatin1(d.data(), qsizetype(d.size()))).toUtf8();
            text.assign(b.constData(), size_t(b.size()));
            return true;
        }
        case 'L': {
            const std::string l = table.getText(field_);
            if (!l.empty()) text = l == "T" ? "True" : "False";
            return true;
        }
        case 'M':
            try {
                text = table.getText(field_);
                if (text.size() > 32767) text.resize(32767);
            } catch (const dbase::DbError&) {
                memoFailed_ = true;
                return false;
            }
            return true;
        default:
            text = table.getText(field_);
            return true;
        }
    }

    int field_;
    dbase::FieldDef def_;
    MatchType match_;
    bool caseSensitive_;
    DateFormat dates_;
    std::string value_;
    std::optional<double> number_;
    bool memoFailed_ = false;
};

// Decides the rest of a locate with one sequential pass in record order over a second, read-only
// view of the file: which records match, then the first of them after `from` in the table's
// order (its visible records, in the order and through the filter of the table). Answers
// nullopt when the pass cannot be made (the table is held exclusively); 0 when nothing matches.
std::optional<uint32_t> scanRest(dbase::Table& table, uint32_t from, int field, const LocateRequest& request,
                                 const DateFormat& dates, bool& memoFailed) {
    dbase::Table scan;
    try {
        scan.open(table.path(), dbase::OpenMode::Shared, true);
        scan.setActiveIndex("");
    } catch (const dbase::DbError&) {
        return std::nullopt;
    }
    Matcher matcher(scan, field, request, dates);
    std::vector<bool> matching(size_t(scan.info().physicalCount) + 1, false);
    uint32_t matches = 0;
    scan.disableControls();
    for (bool more = scan.first(); more; more = scan.next()) {
        const uint32_t r = scan.recNo();
        if (r < matching.size() && matcher.test(scan)) {
            matching[r] = true;
            ++matches;
        }
    }
    scan.enableControls();
    memoFailed = memoFailed || matcher.memoFailed();
    if (matches == 0) return 0; // no need for the order at all

    const std::vector<uint32_t> order = table.orderedRecnos();
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return std::nullopt;
    for (auto it = at + 1; it != order.end(); ++it)
        if (*it < matching.size() && matching[*it]) return *it;
    return 0;
}

} // namespace

LocateResult locateRecord(dbase::Table& table, const LocateRequest& request, bool fromFirst,
                          const DateFormat& dates, const LocateTuning& tuning) {
    LocateResult result;
    if (!table.isOpen()) {
        result.status = LocateStatus::TableClosed;
        return result;
    }
    if (table.isEditing()) table.post();
    const int field = table.fieldIndex(request.field.toStdString());
    if (field < 0) {
        result.status = LocateStatus::FieldMissing;
        return result;
    }

    const uint32_t start = table.recNo();
    Matcher matcher(table, field, request, dates);
    uint32_t found = 0;
    bool more = fromFirst ? table.first() : (start != 0 && table.next());
    uint32_t walked = 0;
    bool scanTried = false;
    while (more) {
        if (matcher.test(table)) {
            found = table.recNo();
            break;
        }
        if (++walked >= tuning.walkBeforeScan && !scanTried) {
            scanTried = true;
            const std::optional<uint32_t> rest =
                scanRest(table, table.recNo(), field, request, dates, result.memoFailed);
            if (rest) {
                found = *rest;
                break;
            }
        }
        more = table.next();
    }
    result.memoFailed = result.memoFailed || matcher.memoFailed();
    if (found && table.gotoBookmark(found)) {
        result.status = LocateStatus::Found;
        result.recno = found;
        return result;
    }
    if (start != 0) table.gotoBookmark(start);
    result.status = LocateStatus::NotFound;
    return result;
}

std::vector<LocateField> locateFields(const dbase::Table& table,
                                      const std::function<QString(const QString&)>& label) {
    std::vector<LocateField> fields;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const dbase::FieldDef& f = table.field(i);
        if (f.type != 'C' && f.type != 'N' && f.type != 'F' && f.type != 'D' && f.type != 'L' &&
            f.type != 'M')
            continue;
        const QString name = QString::fromStdString(f.name);
        QString shown = label(name);
        shown.replace(QLatin1Char('~'), QLatin1Char(' '));
        fields.push_back({shown, name});
    }
    std::stable_sort(fields.begin(), fields.end(), [](const LocateField& a, const LocateField& b) {
        return QString::localeAwareCompare(a.label, b.label) < 0;
    });
    return fields;
}

QString noMatchFromFirstMessage() {
    return QStringLiteral("No matches found");
}

QString noMoreMatchesMessage() {
    return QStringLiteral("No more matches found");
}

QString fieldNotFoundMessage(const QString& name) {
    return QStringLiteral("Field ") + name + QStringLiteral(" not found.");
}

QString tableNotActiveMessage() {
    return QStringLiteral("DataSource does not reference an active DataSet");
}

QString tableNotActiveNextMessage() {
    return QStringLiteral("DataSource does not refer to an active table!");
}

QString memoFailedMessage() {
    return QStringLiteral("Fail to create blob");
}
