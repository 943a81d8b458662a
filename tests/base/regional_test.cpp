// Date formats, regional values and the number and money formatting.
#include "base/regional.h"
#include "common/files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

const QString April3 = QStringLiteral("19970403");

TEST(DateFormatTest, CodesGivePatternsAndSeparators) {
    EXPECT_EQ(DateFormat(1, false).pattern(), QStringLiteral("m/d/yy"));
    EXPECT_EQ(DateFormat(1, true).pattern(), QStringLiteral("mm/dd/yy"));
    EXPECT_EQ(DateFormat(5, false).pattern(), QStringLiteral("d-m-yy"));
    EXPECT_EQ(DateFormat(9, true).pattern(), QStringLiteral("mm.dd.yyyy"));
    EXPECT_EQ(DateFormat(10, false).pattern(), QStringLiteral("d/m/yyyy"));
    EXPECT_EQ(DateFormat(12, true).pattern(), QStringLiteral("dd.mm.yyyy"));
    for (int code = 1; code <= 12; ++code) {
        const DateFormat f(code, true);
        EXPECT_EQ(f.pattern(), DateFormat::menuCaption(code)) << code;
        EXPECT_EQ(f.separator(), DateFormat::menuCaption(code)[2]) << code;
    }
    EXPECT_FALSE(DateFormat(0, false).isValid());
    EXPECT_FALSE(DateFormat(13, false).isValid());
}

TEST(DateFormatTest, FormatsTheThirdOfApril1997) {
    EXPECT_EQ(DateFormat(5, false).format(April3), QStringLiteral("3-4-97"));
    EXPECT_EQ(DateFormat(5, true).format(April3), QStringLiteral("03-04-97"));
    EXPECT_EQ(DateFormat(9, true).format(April3), QStringLiteral("04.03.1997"));
    EXPECT_EQ(DateFormat(1, false).format(April3), QStringLiteral("4/3/97"));
    EXPECT_EQ(DateFormat(10, false).format(QStringLiteral("20051225")), QStringLiteral("25/12/2005"));
    EXPECT_EQ(DateFormat(2, true).format(QStringLiteral("20050105")), QStringLiteral("01-05-05"));
    EXPECT_EQ(DateFormat(1, false).format(QString()), QString());
    EXPECT_EQ(DateFormat(1, false).format(QStringLiteral("        ")), QString());
    EXPECT_EQ(DateFormat(1, false).format(QStringLiteral("19970231")), QString());
}

TEST(DateFormatTest, ParsesInTheCurrentFormat) {
    bool ok = false;
    EXPECT_EQ(DateFormat(5, false).parse(QStringLiteral("3-4-97"), &ok), April3);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DateFormat(1, true).parse(QStringLiteral("04/03/1997"), &ok), April3);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DateFormat(12, true).parse(QStringLiteral("03.04.1997"), &ok), April3);
    EXPECT_EQ(DateFormat(12, true).parse(QStringLiteral("31.02.1997"), &ok), QString());
    EXPECT_FALSE(ok);
    EXPECT_EQ(DateFormat(12, true).parse(QStringLiteral("03/04/1997"), &ok), QString()); // wrong separator
    EXPECT_FALSE(ok);
    EXPECT_EQ(DateFormat(1, true).parse(QStringLiteral("4/3/97x"), &ok), QString());
    EXPECT_FALSE(ok);
    EXPECT_EQ(DateFormat(1, true).parse(QStringLiteral("  /  /  "), &ok), QString());
    EXPECT_TRUE(ok);
}

// Dates of every length of year read back as "YYYYMMDD", the year always with four digits.
TEST(DateFormatTest, ParsedDatesKeepFourYearDigits) {
    const struct {
        const char* text;
        const char* stored;
    } cases[] = {{"01/02/0001", "00010102"}, {"12/31/0999", "09991231"}, {"02/29/2000", "20000229"},
                 {"10/05/9999", "99991005"}, {"7/4/1776", "17760704"},   {"01/01/0000", ""}};
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(DateFormat(7, true).parse(QLatin1String(c.text), &ok), QLatin1String(c.stored)) << c.text;
        EXPECT_EQ(ok, *c.stored != '\0') << c.text;
        EXPECT_EQ(DateFormat(7, true).parseFull(QLatin1String(c.text), &ok), QLatin1String(c.stored))
            << c.text;
    }
}

TEST(DateFormatTest, TwoDigitYearsAreTheLatestNotAfterThisYear) {
    const struct {
        int yy, today, year;
    } cases[] = {
        {97, 2026, 1997}, {5, 2026, 2005}, {26, 2026, 2026}, {27, 2026, 1927},
        {35, 2026, 1935}, {0, 2026, 2000}, {99, 2026, 1999}, {97, 1997, 1997},
        {98, 1997, 1898}, {0, 2000, 2000}, {1, 2000, 1901},  {99, 2099, 2099},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateFormat::expandYear(c.yy, c.today), c.year) << c.yy << " in " << c.today;
}

TEST(DateFormatTest, TheSystemsTwoDigitFormatFollowsTheSameRule) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // M/d/yy
    const DateFormat system(0, false); // no code chosen: the system's short date format
    for (int yy : {5, 35, 70, 99}) {
        bool ok = false;
        const QString typed = QStringLiteral("1/2/%1").arg(yy, 2, 10, QLatin1Char('0'));
        const QString stored = system.parse(typed, &ok);
        EXPECT_TRUE(ok) << typed.toStdString();
        EXPECT_EQ(stored, QString::number(DateFormat::expandYear(yy)) + "0102") << typed.toStdString();
    }
    QLocale::setDefault(saved);
}

TEST(DateFormatTest, EditorBoxesKeepTheCentury) {
    const DateFormat f(5, false); // d-m-yy
    EXPECT_EQ(f.fullPattern(), QStringLiteral("dd-mm-yyyy"));
    EXPECT_EQ(f.formatFull(April3), QStringLiteral("03-04-1997"));
    EXPECT_EQ(f.formatFull(QStringLiteral("18991231")), QStringLiteral("31-12-1899"));
    bool ok = false;
    EXPECT_EQ(f.parseFull(QStringLiteral("31-12-1899"), &ok), QStringLiteral("18991231"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(DateFormat(7, false).formatFull(April3), QStringLiteral("04/03/1997"));
    // A blank box is an empty date whatever separator it shows.
    for (const char* blank : {"  /  /    ", "__-__-____", "  .  .    ", "", "   "}) {
        EXPECT_EQ(f.parseFull(QString::fromLatin1(blank), &ok), QString()) << blank;
        EXPECT_TRUE(ok) << blank;
    }
    EXPECT_EQ(f.parseFull(QStringLiteral("3_-4_-1997"), &ok), April3);
    EXPECT_TRUE(ok);
    f.parseFull(QStringLiteral("32-01-1997"), &ok);
    EXPECT_FALSE(ok);
}

TEST(RegionalTest, DefaultsAndLocales) {
    const RegionalValues c = RegionalValues::fromLocale(QLocale::c());
    EXPECT_EQ(c, RegionalValues());
    const RegionalValues de = RegionalValues::fromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.sDecimal, QLatin1Char(','));
    EXPECT_EQ(de.sThousand, QLatin1Char('.'));
    EXPECT_EQ(de.sCurrency, QStringLiteral("\u20ac"));
    EXPECT_EQ(de.iCountry, 49);
    EXPECT_EQ(de.iCurrDigits, 2);
    EXPECT_EQ(de.iCurrency, 3); // "1,00 €"
    EXPECT_EQ(de.sCountry, QStringLiteral("Germany"));
    const RegionalValues us = RegionalValues::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.sCurrency, QStringLiteral("$"));
    EXPECT_EQ(us.iCurrency, 0);
    EXPECT_EQ(us.iCountry, 1);
    const RegionalValues jp = RegionalValues::fromLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(jp.iCurrDigits, 0);
    EXPECT_EQ(jp.iCountry, 81);
}

TEST(NumberTest, PlainNumbers) {
    const RegionalValues us;
    RegionalValues eu;
    eu.sDecimal = QLatin1Char(',');
    eu.sThousand = QLatin1Char('.');
    EXPECT_EQ(plainNumber(6, 0, 1997, USFormat, us), QStringLiteral("  1997"));
    EXPECT_EQ(plainNumber(0, 2, 3.14159, USFormat, us), QStringLiteral("3.14"));
    EXPECT_EQ(plainNumber(0, 2, 3.14159, SystemFormat, eu), QStringLiteral("3,14"));
    EXPECT_EQ(plainNumber(0, 2, -2.5, USFormat, us), QStringLiteral("-2.50"));
    EXPECT_EQ(plainNumber(0, 2, -0.001, USFormat, us), QStringLiteral("0.00"));
    EXPECT_EQ(plainNumber(2, 0, 123456, USFormat, us), QStringLiteral("123456")); // never cut
}

TEST(NumberTest, GroupedNumbersUS) {
    const RegionalValues us;
    EXPECT_EQ(groupedNumber(12, 2, 1234567.891, USFormat, us), QStringLiteral("1,234,567.89"));
    EXPECT_EQ(groupedNumber(0, 0, -123456, USFormat, us), QStringLiteral("-123,456"));
    EXPECT_EQ(groupedNumber(10, 0, -123456, USFormat, us), QStringLiteral("  -123,456"));
    EXPECT_EQ(groupedNumber(0, 0, 999, USFormat, us), QStringLiteral("999"));
    EXPECT_EQ(groupedNumber(0, 0, 1000, USFormat, us), QStringLiteral("1,000"));
    EXPECT_EQ(groupedNumber(0, 2, 100, USFormat, us), QStringLiteral("100.00"));
    EXPECT_EQ(groupedNumber(0, 2, -100, USFormat, us), QStringLiteral("-100.00"));
    EXPECT_EQ(groupedNumber(0, 1, 1234567890.24, USFormat, us), QStringLiteral("1,234,567,890.2"));
    EXPECT_EQ(groupedNumber(0, 2, 0, USFormat, us), QStringLiteral("0.00"));
}

TEST(NumberTest, GroupedNumbersAndMoneySystemSetting) {
    RegionalValues eu;
    eu.sDecimal = QLatin1Char(',');
    eu.sThousand = QLatin1Char('.');
    EXPECT_EQ(groupedNumber(0, 2, 1234.5, SystemFormat, eu), QStringLiteral("1.234,50"));
    EXPECT_EQ(money(0, 1234.5, SystemFormat, eu), QStringLiteral("1.234,50"));
    EXPECT_EQ(money(0, 1234.5, USFormat, eu), QStringLiteral("1,234.50"));
    eu.iCurrDigits = 0;
    EXPECT_EQ(money(8, 1234567.4, SystemFormat, eu), QStringLiteral("1.234.567"));
    eu.iCurrDigits = 3;
    EXPECT_EQ(money(0, -1234.5, SystemFormat, eu), QStringLiteral("-1.234,500"));
    EXPECT_EQ(money(10, 12.5, USFormat, RegionalValues()), QStringLiteral("     12.50"));
}

TEST(MoneyTextTest, NormalisesAndParsesStrictly) {
    const RegionalValues us;
    RegionalValues eu;
    eu.sDecimal = QLatin1Char(',');
    eu.sThousand = QLatin1Char('.');
    EXPECT_EQ(normaliseMoneyText(QStringLiteral("1,234.50"), USFormat, us), QStringLiteral("1234.50"));
    EXPECT_EQ(parseMoney(QStringLiteral("1,234.50"), USFormat, us), 1234.5);
    EXPECT_EQ(parseMoney(QStringLiteral(" 12 "), USFormat, us), 12.0);
    EXPECT_EQ(parseMoney(QStringLiteral("-3.5"), USFormat, us), -3.5);
    EXPECT_EQ(parseMoney(QStringLiteral("1.234,50"), SystemFormat, eu), 1234.5);
    EXPECT_EQ(normaliseMoneyText(QStringLiteral("1.234,50,1"), SystemFormat, eu),
              QStringLiteral("1234.50,1"));
    EXPECT_FALSE(parseMoney(QStringLiteral("1.234,50,1"), SystemFormat, eu));
    EXPECT_FALSE(parseMoney(QStringLiteral("12abc"), USFormat, us));
    EXPECT_FALSE(parseMoney(QStringLiteral("1.2.3"), USFormat, us));
    EXPECT_FALSE(parseMoney(QStringLiteral(""), USFormat, us));
    EXPECT_FALSE(parseMoney(QStringLiteral("$12"), USFormat, us));
    EXPECT_FALSE(parseMoney(QStringLiteral("1e3"), USFormat, us));
    EXPECT_FALSE(parseMoney(QStringLiteral("-"), USFormat, us));
    EXPECT_EQ(parseMoney(QStringLiteral(".5"), USFormat, us), 0.5);
    // Decimal numbers read to the nearest double, as the C locale reads them, short or long.
    for (const char* text :
         {"0", "-0", "+7", "5.", "-.5", "00012.50", "0.1", "1.005", "123456789012345678.9",
          "99999999999999999999", "0.0000000000000000001", "3.14159265358979323846", "9007199254740993",
          "1234567890123456789012345.5", "0.00000000000000000000000000001"}) {
        const QString t = QLatin1String(text);
        bool ok = false;
        const double expected = QLocale::c().toDouble(t.startsWith(QLatin1Char('+')) ? t.mid(1) : t, &ok);
        ASSERT_TRUE(ok) << text;
        const std::optional<double> got = parseDecimal(t);
        ASSERT_TRUE(got) << text;
        EXPECT_EQ(*got, expected) << text;
        EXPECT_EQ(std::signbit(*got), std::signbit(expected)) << text;
    }
    // A price shown as money reads back as the same number.
    EXPECT_EQ(parseMoney(money(0, 1234567.89, USFormat, us), USFormat, us), 1234567.89);
    EXPECT_EQ(parseMoney(money(0, 1234567.89, SystemFormat, eu), SystemFormat, eu), 1234567.89);
}

} // namespace
