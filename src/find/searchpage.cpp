#include "find/searchpage.h"

#include "find/criterionvalues.h"

QString operatorChoice(RowOperator op) {
    switch (op) {
    case RowOperator::Equal:
        return QStringLiteral(" = ");
    case RowOperator::Greater:
        return QStringLiteral(" > ");
    case RowOperator::Less:
        return QStringLiteral(" < ");
    case RowOperator::Range:
        return QStringLiteral(" > X < ");
    }
    return {};
}

RowKind rowKind(int slot) {
    switch (fieldSlot(slot).typeCode) {
    case TypeInteger:
    case TypeFloat:
        return RowKind::Number;
    case TypeDate:
        return RowKind::Date;
    default:
        return RowKind::Text;
    }
}

Comparison textComparison(int slot) {
    if (slot >= Slot::Star1 && slot <= Slot::Star6) return Comparison::AnyStar;
    if (slot == Slot::KeyWords) return Comparison::AnyWord;
    return Comparison::Contains;
}

bool rowHasPicker(int slot) {
    if (rowKind(slot) != RowKind::Text) return true;
    switch (slot) {
    case Slot::Star1:
    case Slot::Star2:
    case Slot::Star3:
    case Slot::Star4:
    case Slot::Star5:
    case Slot::Star6:
    case Slot::Producer:
    case Slot::Director:
    case Slot::ReleasedBy:
    case Slot::Rating:
    case Slot::Category:
    case Slot::Picture:
    case Slot::Sound:
    case Slot::Format:
    case Slot::PersonalRating:
    case Slot::RecordingSpeed:
    case Slot::Content:
    case Slot::Miscellaneous:
    case Slot::LaserFormat:
    case Slot::OscarNomination:
    case Slot::OscarAward:
    case Slot::CheckOut:
    case Slot::CheckName:
    case Slot::WherePurchased:
    case Slot::Viewed:
        return true;
    default:
        return false;
    }
}

RowOperator operatorOfCell(const QString& text) {
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('>')))
        return t.contains(QLatin1String("AND")) ? RowOperator::Range : RowOperator::Greater;
    if (t.startsWith(QLatin1Char('<'))) return RowOperator::Less;
    return RowOperator::Equal;
}

namespace {

// Removes the first occurrence of a character.
QString removeFirst(QString text, QChar c) {
    const qsizetype at = text.indexOf(c);
    if (at >= 0) text.remove(at, 1);
    return text;
}

struct Bound {
    bool empty = true;
    bool valid = false;
    double number = 0;
    QString date;
};

Bound readBound(const QString& part, RowKind kind, const DateFormat& dates) {
    Bound b;
    const QString t = part.trimmed();
    if (t.isEmpty() || (kind == RowKind::Date && isUntouchedDate(t))) return b;
    b.empty = false;
    if (kind == RowKind::Date) {
        const std::optional<QString> d = typedDate(t, dates);
        b.valid = d.has_value();
        if (d) b.date = *d;
    } else {
        const std::optional<double> n = plainDecimal(t);
        b.valid = n.has_value();
        if (n) b.number = *n;
    }
    return b;
}

SearchItem valueItem(int slot, RowKind kind, Comparison comparison, const Bound& b) {
    SearchItem item;
    item.slot = slot;
    item.kind = comparison;
    item.isDate = kind == RowKind::Date;
    item.number = b.number;
    item.date = b.date;
    return item;
}

} // namespace

SaveResult savePage(SearchCriteria& criteria, const SearchPage& page, const DateFormat& dates) {
    const int start = criteria.count();

    auto fail = [&](int slot) {
        criteria.truncate(start);
        return SaveResult{SaveResult::Invalid, slot};
    };
    // Adds one item; false when it would be item 76 (the store is then emptied).
    auto add = [&](const SearchItem& item) {
        if (!criteria.add(item)) {
            criteria.clear();
            return false;
        }
        return true;
    };

    for (int slot = 1; slot <= FieldCount; ++slot) {
        const QString cell = page.cells[size_t(slot - 1)].trimmed();
        const RowKind kind = rowKind(slot);
        if (kind == RowKind::Text) {
            if (cell.isEmpty()) continue;
            SearchItem item;
            item.text = upperAsciiLetters(cell).left(SearchCriteria::MaxTextLength);
            item.slot = slot;
            item.kind = textComparison(slot);
            if (!add(item)) return {SaveResult::TooMany, slot};
            continue;
        }
        const RowOperator op = page.operators[size_t(slot - 1)];
        if (op == RowOperator::Range) {
            QString t = removeFirst(removeFirst(cell, QLatin1Char('<')), QLatin1Char('>')).trimmed();
            const qsizetype at = t.indexOf(QLatin1String("AND"));
            const QString lowerText = at >= 0 ? t.left(at) : t;
            const QString upperText = at >= 0 ? t.mid(at + 3) : QString();
            const Bound lower = readBound(lowerText, kind, dates);
            const Bound upper = readBound(upperText, kind, dates);
            if (lower.empty && upper.empty) continue;
            if (lower.empty || upper.empty || !lower.valid || !upper.valid) return fail(slot);
            if (!add(valueItem(slot, kind, Comparison::Greater, lower))) return {SaveResult::TooMany, slot};
            if (!add(valueItem(slot, kind, Comparison::Less, upper))) return {SaveResult::TooMany, slot};
            continue;
        }
        const QChar sign = op == RowOperator::Equal     ? QLatin1Char('=')
                           : op == RowOperator::Greater ? QLatin1Char('>')
                                                        : QLatin1Char('<');
        const Bound value = readBound(removeFirst(cell, sign), kind, dates);
        if (value.empty) continue;
        if (!value.valid) return fail(slot);
        if (!add(valueItem(slot, kind, Comparison(int(op)), value))) return {SaveResult::TooMany, slot};
    }
    if (criteria.count() == start) return {SaveResult::NoCriteria, 0};
    criteria.endLevel();
    return {SaveResult::Saved, 0};
}

QString invalidCriteriaMessage() {
    return QStringLiteral("Invalid search criteria entered.  Please correct.");
}

QString noCriteriaMessage() {
    return QStringLiteral("No search criteria entered.");
}

QString tooManyItemsMessage() {
    return QStringLiteral(
        "More than 75 search items have been entered.  This exceeds the maximum allowable.  "
        "Search criteria will be cleared.");
}

QString noMatchesMessage() {
    return QStringLiteral("No valid matches found.  Search Criteria will be cleared.");
}
