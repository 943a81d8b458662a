#include "catalogue/fieldvalue.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

#include "base/textfile.h"
#include "catalogue/fieldslots.h"

namespace {

QString nameOf(int slot, const QString& fieldName) {
    return fieldName.isEmpty() ? defaultTitle(slot) : fieldName;
}

FieldValue refused(ValueCheck check, const QString& message) {
    FieldValue v;
    v.failed = check;
    v.message = message;
    return v;
}

// The editor's message for a slot with its own words, else the general one.
QString invalidMessage(int slot, const QString& general) {
    const QString own = invalidValueMessage(slot);
    return own.isEmpty() ? general : own;
}

FieldValue readText(int slot, const QString& typed, const QString& name) {
    if (const QString outside = charactersOutsideCp1252(typed); !outside.isEmpty())
        return refused(ValueCheck::Characters,
                       QStringLiteral("The characters \"%1\" cannot be stored in %2.  Please correct.")
                           .arg(outside, name));
    const int width = fieldSlot(slot).width;
    if (typed.size() > width)
        return refused(
            ValueCheck::Width,
            QStringLiteral("%1 holds at most %2 characters.  Please correct.").arg(name).arg(width));
    FieldValue v;
    v.stored = typed;
    v.blank = std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.isSpace(); });
    return v;
}

FieldValue readYesNo(const QString& typed, const QString& name) {
    static const QStringList yes{QStringLiteral("YES"), QStringLiteral("Y"), QStringLiteral("TRUE"),
                                 QStringLiteral("T"), QStringLiteral("1")};
    static const QStringList no{QStringLiteral("NO"), QStringLiteral("N"), QStringLiteral("FALSE"),
                                QStringLiteral("F"),  QStringLiteral("0"), QString()};
    const QString trimmed = typed.trimmed();
    FieldValue v;
    // Short ASCII, as these values are, is compared without making its capitals first.
    bool ascii = trimmed.size() <= 5;
    char upper[5];
    for (qsizetype i = 0; ascii && i < trimmed.size(); ++i) {
        const char16_t c = trimmed[i].unicode();
        ascii = c < 0x80;
        upper[i] = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    if (ascii) {
        const QLatin1StringView t(upper, trimmed.size());
        if (yes.contains(t)) {
            v.stored = QStringLiteral("Yes");
            return v;
        }
        if (no.contains(t)) {
            v.stored = QStringLiteral("No");
            v.blank = t.isEmpty();
            return v;
        }
        return refused(ValueCheck::YesNo,
                       QStringLiteral("%1 is either Yes or No.  Please correct.").arg(name));
    }
    const QString t = trimmed.toUpper();
    if (yes.contains(t)) {
        v.stored = QStringLiteral("Yes");
    } else if (no.contains(t)) {
        v.stored = QStringLiteral("No");
        v.blank = t.isEmpty();
    } else {
        return refused(ValueCheck::YesNo,
                       QStringLiteral("%1 is either Yes or No.  Please correct.").arg(name));
    }
    return v;
}

FieldValue readWholeNumber(int slot, const QString& typed, const QString& name) {
    const QString t = typed.trimmed();
    FieldValue v;
    if (t.isEmpty()) {
        v.blank = true;
        return v;
    }
    auto notWhole = [&] {
        const QString general =
            QStringLiteral("\"%1\" is not a whole number for %2.  Please correct.").arg(t, name);
        return refused(ValueCheck::WholeNumber, invalidMessage(slot, general));
    };
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    // Only digits after an optional sign: no blanks inside, no decimal point, no exponent.
    if (!ok || t.size() > fieldSlot(slot).width) return notWhole();
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (!(c.isDigit() && c.unicode() < 128) &&
            !(i == 0 && (c == QLatin1Char('+') || c == QLatin1Char('-'))))
            return notWhole();
    }
    v.number = double(n);
    v.stored = QString::number(n);
    return v;
}

FieldValue readMoney(int slot, const QString& typed, const ValueFormats& formats, const QString& name) {
    const QString t = typed.trimmed();
    FieldValue v;
    if (t.isEmpty()) {
        v.blank = true;
        v.stored = QStringLiteral("0");
        return v;
    }
    const std::optional<double> amount = parseMoney(t, formats.currencyFormat, formats.regional);
    if (!amount)
        return refused(
            ValueCheck::Money,
            invalidMessage(
                slot,
                QStringLiteral("\"%1\" is not an amount of money for %2.  Please correct.").arg(t, name)));
    v.number = *amount;
    v.stored = normaliseMoneyText(t, formats.currencyFormat, formats.regional).trimmed();
    return v;
}

FieldValue readDate(int slot, const QString& typed, const ValueFormats& formats, const QString& name) {
    QString t = typed;
    t.remove(QLatin1Char('_')); // the date box's empty places
    bool ok = false;
    const QString date = formats.dates.parse(t, &ok);
    if (!ok)
        return refused(
            ValueCheck::Date,
            invalidMessage(slot,
                           QStringLiteral("\"%1\" is not a date in the form %2 for %3.  Please correct.")
                               .arg(t.trimmed(), formats.dates.pattern(), name)));
    FieldValue v;
    v.stored = date;
    v.blank = date.isEmpty();
    return v;
}

} // namespace

QString invalidValueMessage(int slot) {
    switch (slot) {
    case Slot::CheckDate:
        return QStringLiteral("Invalid check out date specified.  Please correct.");
    case Slot::PurchaseDate:
        return QStringLiteral("Invalid purchase date specified.  Please correct.");
    case Slot::ListPrice:
        return QStringLiteral("Invalid list price specified.  Please correct.");
    case Slot::PurchasePrice:
        return QStringLiteral("Invalid purchase price specified.  Please correct.");
    case Slot::RunTime:
        return QStringLiteral("Invalid play time specified.  Please correct.");
    case Slot::Year:
        return QStringLiteral("Invalid year specified.  Please correct.");
    default:
        return {};
    }
}

QString charactersOutsideCp1252(const QString& text) {
    // ASCII and the Latin-1 letters from 0xA0 are all in Windows-1252: most texts end here.
    bool plain = true;
    for (QChar c : text)
        plain = plain && (c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF));
    if (plain) return {};
    QString outside;
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!textfile::fitsCp1252(one) && !outside.contains(one)) outside += one;
    }
    return outside;
}

FieldValue readFieldValue(int slot, const QString& typed, const ValueFormats& formats,
                          const QString& fieldName) {
    const QString name = nameOf(slot, fieldName);
    if (slot == Slot::CheckOut || slot == Slot::Viewed) return readYesNo(typed, name);
    switch (fieldSlot(slot).typeCode) {
    case TypeInteger:
        return readWholeNumber(slot, typed, name);
    case TypeFloat:
        return readMoney(slot, typed, formats, name);
    case TypeDate:
        return readDate(slot, typed, formats, name);
    default:
        return readText(slot, typed, name);
    }
}

void checkFitsField(FieldValue& value, int slot, int width, int decimals, const QString& fieldName) {
    if (!value.ok() || value.blank) return;
    const int type = fieldSlot(slot).typeCode;
    if (type != TypeInteger && type != TypeFloat) return;
    if (decimals < 0) decimals = 0;
    // The stored numeral: the value at the field's decimals, a "-" for negatives.
    const QString numeral = QString::number(std::abs(value.number), 'f', decimals);
    const qsizetype length = numeral.size() + (value.number < 0 ? 1 : 0);
    if (length <= width) return;
    value.failed = ValueCheck::Range;
    value.message = QStringLiteral("%1 is out of range for %2.  Please correct.")
                        .arg(value.stored, nameOf(slot, fieldName));
}
