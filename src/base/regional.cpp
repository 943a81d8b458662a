#include "base/regional.h"

#include <QLatin1StringView>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Captions of the twelve codes.
const char* const Captions[DateFormat::CodeCount] = {"mm/dd/yy",   "mm-dd-yy",   "mm.dd.yy",   "dd/mm/yy",
                                                     "dd-mm-yy",   "dd.mm.yy",   "mm/dd/yyyy", "mm-dd-yyyy",
                                                     "mm.dd.yyyy", "dd/mm/yyyy", "dd-mm-yyyy", "dd.mm.yyyy"};

QString pad(QString text, int width) {
    if (text.size() < width) text.prepend(QString(width - text.size(), QLatin1Char(' ')));
    return text;
}

bool isDateSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

std::optional<QDate> fromYyyymmdd(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() != 8) return std::nullopt;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    const QDate d(t.left(4).toInt(), t.mid(4, 2).toInt(), t.right(2).toInt());
    if (!d.isValid()) return std::nullopt;
    return d;
}

// "YYYYMMDD" of a date; years 1 to 9999 written directly, as QDate writes them.
QString yyyymmddText(const QDate& date) {
    const int year = date.year();
    if (year < 1 || year > 9999) return date.toString(QStringLiteral("yyyyMMdd"));
    const int digits[8] = {year / 1000,       year / 100 % 10,   year / 10 % 10,  year % 10,
                           date.month() / 10, date.month() % 10, date.day() / 10, date.day() % 10};
    QString text(8, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i)
        text[i] = QLatin1Char(char('0' + digits[i]));
    return text;
}

// The country codes of the system's regional settings (international dialling codes).
int dialCode(QLocale::Territory t) {
    switch (t) {
    case QLocale::UnitedStates:
        return 1;
    case QLocale::Canada:
        return 2;
    case QLocale::LatinAmerica:
        return 3;
    case QLocale::Russia:
        return 7;
    case QLocale::Egypt:
        return 20;
    case QLocale::SouthAfrica:
        return 27;
    case QLocale::Greece:
        return 30;
    case QLocale::Netherlands:
        return 31;
    case QLocale::Belgium:
        return 32;
    case QLocale::France:
        return 33;
    case QLocale::Spain:
        return 34;
    case QLocale::Hungary:
        return 36;
    case QLocale::Italy:
        return 39;
    case QLocale::Romania:
        return 40;
    case QLocale::Switzerland:
        return 41;
    case QLocale::Austria:
        return 43;
    case QLocale::UnitedKingdom:
        return 44;
    case QLocale::Denmark:
        return 45;
    case QLocale::Sweden:
        return 46;
    case QLocale::Norway:
        return 47;
    case QLocale::Poland:
        return 48;
    case QLocale::Germany:
        return 49;
    case QLocale::Peru:
        return 51;
    case QLocale::Mexico:
        return 52;
    case QLocale::Argentina:
        return 54;
    case QLocale::Brazil:
        return 55;
    case QLocale::Chile:
        return 56;
    case QLocale::Colombia:
        return 57;
    case QLocale::Venezuela:
        return 58;
    case QLocale::Malaysia:
        return 60;
    case QLocale::Australia:
        return 61;
    case QLocale::Indonesia:
        return 62;
    case QLocale::Philippines:
        return 63;
    case QLocale::NewZealand:
        return 64;
    case QLocale::Singapore:
        return 65;
    case QLocale::Thailand:
        return 66;
    case QLocale::Japan:
        return 81;
    case QLocale::SouthKorea:
        return 82;
    case QLocale::Vietnam:
        return 84;
    case QLocale::China:
        return 86;
    case QLocale::Turkey:
        return 90;
    case QLocale::India:
        return 91;
    case QLocale::Pakistan:
        return 92;
    case QLocale::Portugal:
        return 351;
    case QLocale::Luxembourg:
        return 352;
    case QLocale::Ireland:
        return 353;
    case QLocale::Iceland:
        return 354;
    case QLocale::Finland:
        return 358;
    case QLocale::CzechRepublic:
        return 420;
    case QLocale::Slovakia:
        return 421;
    case QLocale::HongKong:
        return 852;
    case QLocale::Taiwan:
        return 886;
    case QLocale::Israel:
        return 972;
    default:
        return 0;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Dates

QString DateFormat::menuCaption(int code) {
    if (code < 1 || code > CodeCount) return {};
    return QLatin1String(Captions[code - 1]);
}

QChar DateFormat::separator() const {
    if (!isValid()) {
        const QString system = QLocale().dateFormat(QLocale::ShortFormat);
        for (QChar c : system) {
            if (!c.isLetter()) return c;
        }
        return QLatin1Char('/');
    }
    switch ((code_ - 1) % 3) {
    case 0:
        return QLatin1Char('/');
    case 1:
        return QLatin1Char('-');
    default:
        return QLatin1Char('.');
    }
}

bool DateFormat::dayFirst() const {
    return isValid() && ((code_ >= 4 && code_ <= 6) || code_ >= 10);
}

bool DateFormat::fourDigitYear() const {
    return isValid() && code_ >= 7;
}

QString DateFormat::pattern() const {
    if (!isValid()) return QLocale().dateFormat(QLocale::ShortFormat);
    const QString day = leadingZeros_ ? QStringLiteral("dd") : QStringLiteral("d");
    const QString month = leadingZeros_ ? QStringLiteral("mm") : QStringLiteral("m");
    const QString year = fourDigitYear() ? QStringLiteral("yyyy") : QStringLiteral("yy");
    const QChar sep = separator();
    return dayFirst() ? day + sep + month + sep + year : month + sep + day + sep + year;
}

QString DateFormat::fullPattern() const {
    const QChar sep = separator();
    return dayFirst() ? QStringLiteral("dd%1mm%1yyyy").arg(sep) : QStringLiteral("mm%1dd%1yyyy").arg(sep);
}

QString DateFormat::formatParts(const QDate& date, bool full) const {
    if (!date.isValid()) return {};
    const bool zeros = full || leadingZeros_;
    const int width = zeros ? 2 : 1;
    const QString day = QStringLiteral("%1").arg(date.day(), width, 10, QLatin1Char('0'));
    const QString month = QStringLiteral("%1").arg(date.month(), width, 10, QLatin1Char('0'));
    const QString year =
        (full || fourDigitYear())
            ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))
            : QStringLiteral("%1").arg(((date.year() % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
    const QChar sep = separator();
    return dayFirst() ? day + sep + month + sep + year : month + sep + day + sep + year;
}

QString DateFormat::format(const QDate& date) const {
    if (!isValid()) return QLocale().toString(date, QLocale::ShortFormat);
    return formatParts(date, false);
}

QString DateFormat::format(const QString& yyyymmdd) const {
    const auto d = fromYyyymmdd(yyyymmdd);
    return d ? format(*d) : QString();
}

QString DateFormat::formatFull(const QString& yyyymmdd) const {
    const auto d = fromYyyymmdd(yyyymmdd);
    return d ? formatParts(*d, true) : QString();
}

int DateFormat::expandYear(int twoDigitYear, int currentYear) {
    // The latest year ending in these two digits that is not after the current year.
    int year = currentYear / 100 * 100 + twoDigitYear;
    if (year > currentYear) year -= 100;
    return year;
}

bool DateFormat::isBlankDateText(const QString& text) {
    for (QChar c : text) {
        if (!(c.isSpace() || c == QLatin1Char('_') || isDateSeparator(c))) return false;
    }
    return true;
}

std::optional<QDate> DateFormat::parseParts(const QString& text, bool /*full*/) const {
    const QString t = text.trimmed();
    if (!isValid()) {
        const QString system = QLocale().dateFormat(QLocale::ShortFormat);
        QDate d = QLocale().toDate(t, system);
        if (!d.isValid()) return std::nullopt;
        // A two-digit year of the system's format follows the program's rule, not the 1900s.
        if (system.contains(QLatin1String("yy")) && !system.contains(QLatin1String("yyyy"))) {
            const QDate expanded(expandYear(d.year() % 100), d.month(), d.day());
            if (!expanded.isValid()) return std::nullopt;
            d = expanded;
        }
        return d;
    }
    const QChar sep = separator();
    const QStringList parts = t.split(sep);
    if (parts.size() != 3) return std::nullopt;
    int numbers[3];
    int lengths[3];
    for (int i = 0; i < 3; ++i) {
        const QString p = parts[i].trimmed();
        if (p.isEmpty() || p.size() > 4) return std::nullopt;
        for (QChar c : p) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        }
        numbers[i] = p.toInt();
        lengths[i] = p.size();
    }
    if (lengths[0] > 2 || lengths[1] > 2) return std::nullopt;
    const int day = dayFirst() ? numbers[0] : numbers[1];
    const int month = dayFirst() ? numbers[1] : numbers[0];
    int year = numbers[2];
    if (lengths[2] <= 2)
        year = expandYear(year);
    else if (lengths[2] != 4)
        return std::nullopt;
    const QDate d(year, month, day);
    if (!d.isValid()) return std::nullopt;
    return d;
}

std::optional<QDate> DateFormat::parseDate(const QString& text) const {
    return parseParts(text, false);
}

QString DateFormat::parse(const QString& text, bool* ok) const {
    if (isBlankDateText(text)) {
        if (ok) *ok = true;
        return {};
    }
    const auto d = parseParts(text, false);
    if (ok) *ok = d.has_value();
    return d ? yyyymmddText(*d) : QString();
}

QString DateFormat::parseFull(const QString& text, bool* ok) const {
    if (isBlankDateText(text)) {
        if (ok) *ok = true;
        return {};
    }
    QString t = text;
    t.remove(QLatin1Char('_'));
    const auto d = parseParts(t, true);
    if (ok) *ok = d.has_value();
    return d ? yyyymmddText(*d) : QString();
}

// ---------------------------------------------------------------------------------------------
// Regional values

RegionalValues RegionalValues::fromLocale(const QLocale& locale) {
    RegionalValues r;
    if (locale.language() == QLocale::C) return r;
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    if (!symbol.isEmpty()) r.sCurrency = symbol.left(3);
    const QString country = QLocale::territoryToString(locale.territory());
    if (!country.isEmpty() && locale.territory() != QLocale::AnyTerritory) r.sCountry = country.left(40);
    const QString dec = locale.decimalPoint();
    r.sDecimal = dec.isEmpty() ? QLatin1Char(' ') : dec.front();
    const QString group = locale.groupSeparator();
    r.sThousand = group.isEmpty() ? QLatin1Char(' ') : group.front();
    if (r.sThousand == QChar(0x00A0) || r.sThousand == QChar(0x202F)) r.sThousand = QLatin1Char(' ');
    const int code = dialCode(locale.territory());
    if (code > 0) r.iCountry = code;

    // Currency digits and symbol placement from the locale's own currency text of 1.
    if (!symbol.isEmpty()) {
        const QString one = locale.toCurrencyString(1.0);
        const qsizetype at = one.indexOf(symbol);
        qsizetype first = -1;
        qsizetype last = -1;
        for (qsizetype i = 0; i < one.size(); ++i) {
            if (one[i].isDigit()) {
                if (first < 0) first = i;
                last = i;
            }
        }
        if (at >= 0 && first >= 0) {
            const qsizetype point = dec.isEmpty() ? -1 : one.indexOf(dec, first);
            r.iCurrDigits = (point >= 0 && point < last) ? int(last - point - dec.size() + 1) : 0;
            const bool before = at < first;
            const bool spaced = before ? at + symbol.size() < first : last + 1 < at;
            r.iCurrency = before ? (spaced ? 2 : 0) : (spaced ? 3 : 1);
        }
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Numbers

QString fixedPoint(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (!std::isfinite(value)) value = 0;
    QString text = QString::number(value, 'f', decimals);
    // No "-0.00": a value that rounds to zero has no sign.
    if (text.startsWith(QLatin1Char('-'))) {
        bool allZero = true;
        for (qsizetype i = 1; i < text.size(); ++i) {
            if (text[i] != QLatin1Char('0') && text[i] != QLatin1Char('.')) {
                allZero = false;
                break;
            }
        }
        if (allZero) text.remove(0, 1);
    }
    return text;
}

QString plainNumber(int width, int decimals, double value, int numericFormat,
                    const RegionalValues& regional) {
    QString text = fixedPoint(value, decimals);
    if (numericFormat == SystemFormat && regional.sDecimal != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), regional.sDecimal);
    return pad(text, width);
}

namespace {

QString grouped(int width, int decimals, double value, QChar decimalChar, QChar thousandsChar) {
    if (decimals < 0) decimals = 0;
    QString text = fixedPoint(value, decimals);
    if (decimalChar != QLatin1Char('.')) text.replace(QLatin1Char('.'), decimalChar);
    // Counting from the right: the first separator before the (d + 4)-th character from the end
    // (the 3rd when there are no decimals), each further one 4 characters further left.
    qsizetype fromEnd = decimals > 0 ? decimals + 4 : 3;
    while (fromEnd < text.size()) {
        const qsizetype pos = text.size() - fromEnd;
        text.insert(pos, thousandsChar);
        fromEnd += 4;
    }
    if (text.size() >= 2 && text[0] == QLatin1Char('-') && text[1] == thousandsChar) text.remove(1, 1);
    return pad(text, width);
}

} // namespace

QString groupedNumber(int width, int decimals, double value, int numericFormat,
                      const RegionalValues& regional) {
    if (numericFormat == SystemFormat)
        return grouped(width, decimals, value, regional.sDecimal, regional.sThousand);
    return grouped(width, decimals, value, QLatin1Char('.'), QLatin1Char(','));
}

QString money(int width, double value, int currencyFormat, const RegionalValues& regional) {
    if (currencyFormat == SystemFormat)
        return grouped(width, regional.iCurrDigits, value, regional.sDecimal, regional.sThousand);
    return grouped(width, 2, value, QLatin1Char('.'), QLatin1Char(','));
}

QString normaliseMoneyText(const QString& text, int currencyFormat, const RegionalValues& regional) {
    QString t = text;
    if (currencyFormat == SystemFormat) {
        if (regional.sThousand != regional.sDecimal) t.remove(regional.sThousand);
        const qsizetype at = t.indexOf(regional.sDecimal);
        if (at >= 0) t[at] = QLatin1Char('.');
    } else {
        t.remove(QLatin1Char(','));
    }
    return t;
}

std::optional<double> parseDecimal(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    qsizetype i = 0;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')) ++i;
    int digits = 0;
    int points = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.') && points == 0)
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    // A short one is read without a locale: both readings round to the nearest double, so they
    // agree, and this one costs far less.
    if (t.size() <= 24) {
        char ascii[24];
        size_t n = 0;
        for (qsizetype j = t[0] == QLatin1Char('+') ? 1 : 0; j < t.size(); ++j)
            ascii[n++] = char(t[j].unicode());
        double v = 0;
        const auto read = std::from_chars(ascii, ascii + n, v);
        if (read.ec == std::errc() && read.ptr == ascii + n && std::isfinite(v)) return v;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t.startsWith(QLatin1Char('+')) ? t.mid(1) : t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> parseMoney(const QString& text, int currencyFormat, const RegionalValues& regional) {
    return parseDecimal(normaliseMoneyText(text.trimmed(), currencyFormat, regional));
}
