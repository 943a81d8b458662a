#pragma once
// Dates, numbers and money in the user's choice of formats.
//
// DateFormat: one of twelve date formats (order, separator, two- or four-digit year) with or
// without leading zeros; dates are kept as "YYYYMMDD" text (the dBase date form) and shown and
// read in the chosen format.
// RegionalValues: the system's decimal and thousands characters, currency symbol and digits.
// plainNumber / groupedNumber / money: text of at least the given width, right-aligned.
#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

class DateFormat {
public:
    static constexpr int CodeCount = 12;

    DateFormat() = default;
    DateFormat(int code, bool leadingZeros) : code_(code), leadingZeros_(leadingZeros) {}

    int code() const { return code_; }
    bool leadingZeros() const { return leadingZeros_; }
    void setCode(int code) { code_ = code; }
    void setLeadingZeros(bool on) { leadingZeros_ = on; }

    // A code outside 1..12 leaves the system's own short date format in force.
    bool isValid() const { return code_ >= 1 && code_ <= CodeCount; }

    // The menu caption of a code: "mm/dd/yy" ... "dd.mm.yyyy".
    static QString menuCaption(int code);

    QChar separator() const; // '/', '-' or '.'
    bool dayFirst() const;   // day before month
    bool fourDigitYear() const;
    // The short date pattern: "m/d/yy", "mm/dd/yy", "dd.mm.yyyy" ...
    QString pattern() const;

    // "YYYYMMDD" to text in this format; empty (or blank) gives "", an invalid date gives "".
    QString format(const QString& yyyymmdd) const;
    QString format(const QDate& date) const;
    // Text in this format to "YYYYMMDD". Blank text gives "" with ok true; text that is no valid
    // date gives "" with ok false. Two-digit years: 1930..2029 window around the current year
    // (a year more than 20 years ahead of today belongs to the previous century).
    QString parse(const QString& text, bool* ok = nullptr) const;
    std::optional<QDate> parseDate(const QString& text) const;

    // The editor's date boxes: the format's day/month order and separator, two-digit day and
    // month and a four-digit year ("03-04-1997" for code 5), so no date loses its century.
    QString formatFull(const QString& yyyymmdd) const;
    QString fullPattern() const; // "dd-mm-yyyy"
    // Reads a date box: blank (only blanks, separators and mask underscores) gives "" with ok.
    QString parseFull(const QString& text, bool* ok = nullptr) const;
    // True when the text holds nothing but blanks, separators and mask underscores.
    static bool isBlankDateText(const QString& text);

    // Two-digit year to a full year by the century window.
    static int expandYear(int twoDigitYear, int currentYear = QDate::currentDate().year());

private:
    QString formatParts(const QDate& date, bool full) const;
    std::optional<QDate> parseParts(const QString& text, bool full) const;

    int code_ = 1;
    bool leadingZeros_ = false;
};

struct RegionalValues {
    QString sCurrency = QStringLiteral("$");            // at most 3 characters
    QString sCountry = QStringLiteral("United States"); // at most 40 characters
    QChar sDecimal = QLatin1Char('.');
    QChar sThousand = QLatin1Char(',');
    int iCurrency = 0; // currency symbol placement: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int iCountry = 1;  // country code (international dialling code)
    int iDigits = 2;
    int iCurrDigits = 2;

    // The values of a locale (the user's by default); what the locale lacks keeps its default.
    static RegionalValues fromLocale(const QLocale& locale = QLocale());
    bool operator==(const RegionalValues&) const = default;
};

// Numeric and currency format choices.
constexpr int USFormat = 1;
constexpr int SystemFormat = 2;

// Fixed-point text: value rounded to decimals, "." before the decimals, "-" for negatives.
QString fixedPoint(double value, int decimals);
// Plain number; under the system setting the decimal character of the regional values.
QString plainNumber(int width, int decimals, double value, int numericFormat, const RegionalValues& regional);
// Grouped number: thousands separators ("," or the regional thousands character).
QString groupedNumber(int width, int decimals, double value, int numericFormat,
                      const RegionalValues& regional);
// Money: grouped, two decimals under the U.S. setting, iCurrDigits under the system setting;
// no currency symbol.
QString money(int width, double value, int currencyFormat, const RegionalValues& regional);

// A money text typed by the user, normalised for reading: U.S. setting removes every ",";
// system setting removes every thousands character and turns the first decimal character
// into ".".
QString normaliseMoneyText(const QString& text, int currencyFormat, const RegionalValues& regional);
// Reads a money text strictly: after normalising, the text (blanks around it aside) must be a
// decimal number with nothing left over. Blank text is not a number (the caller decides).
std::optional<double> parseMoney(const QString& text, int currencyFormat, const RegionalValues& regional);
// Reads a decimal number ("-12", "3.5", ".5") strictly; nothing left over.
std::optional<double> parseDecimal(const QString& text);
