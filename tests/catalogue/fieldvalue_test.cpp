// Reading typed field values: what each field accepts, what is stored, and what is refused.
#include <gtest/gtest.h>

#include "catalogue/fieldslots.h"
#include "catalogue/fieldvalue.h"
#include "common/files.h"

namespace {

ValueFormats usFormats(int dateCode = 7) {
    ValueFormats f;
    f.dates = DateFormat(dateCode, true);
    return f;
}

ValueFormats europeanFormats() {
    ValueFormats f;
    f.dates = DateFormat(12, true); // dd.mm.yyyy
    f.currencyFormat = SystemFormat;
    f.regional.sDecimal = QLatin1Char(',');
    f.regional.sThousand = QLatin1Char('.');
    return f;
}

struct Accepted {
    const char* what;
    int slot;
    QString typed;
    QString stored;
    double number;
};

TEST(FieldValue, AcceptedValuesAndWhatIsStored) {
    const Accepted cases[] = {
        {"text as typed, blanks kept", Slot::Title, QStringLiteral(" Casablanca "),
         QStringLiteral(" Casablanca "), 0},
        {"Windows-1252 letters", Slot::Title, QStringLiteral("Amélie – “Le fabuleux” €"),
         QStringLiteral("Amélie – “Le fabuleux” €"), 0},
        {"text of the full width", Slot::RecordingSpeed, QStringLiteral("SP/LP "), QStringLiteral("SP/LP "),
         0},
        {"year", Slot::Year, QStringLiteral("1943"), QStringLiteral("1943"), 1943},
        {"year with blanks around", Slot::Year, QStringLiteral(" 1943 "), QStringLiteral("1943"), 1943},
        {"play time with a sign", Slot::RunTime, QStringLiteral("+95"), QStringLiteral("95"), 95},
        {"blank year", Slot::Year, QStringLiteral("   "), QString(), 0},
        {"price grouped", Slot::ListPrice, QStringLiteral("1,234.50"), QStringLiteral("1234.50"), 1234.5},
        {"price plain", Slot::PurchasePrice, QStringLiteral("19.99"), QStringLiteral("19.99"), 19.99},
        {"price of ten million", Slot::ListPrice, QStringLiteral("10,000,000.00"),
         QStringLiteral("10000000.00"), 1e7},
        {"blank price is 0", Slot::ListPrice, QStringLiteral(" "), QStringLiteral("0"), 0},
        {"date, four-digit year", Slot::PurchaseDate, QStringLiteral("04/03/1997"),
         QStringLiteral("19970403"), 0},
        {"date box with its mask", Slot::CheckDate, QStringLiteral("12/25/1999"), QStringLiteral("19991225"),
         0},
        {"blank date box", Slot::CheckDate, QStringLiteral("__/__/____"), QString(), 0},
        {"blank date", Slot::PurchaseDate, QStringLiteral("  /  /    "), QString(), 0},
        {"yes", Slot::CheckOut, QStringLiteral("yes"), QStringLiteral("Yes"), 0},
        {"T", Slot::Viewed, QStringLiteral(" T"), QStringLiteral("Yes"), 0},
        {"no", Slot::Viewed, QStringLiteral("NO"), QStringLiteral("No"), 0},
        {"blank yes/no", Slot::CheckOut, QString(), QStringLiteral("No"), 0},
        {"true in mixed capitals", Slot::CheckOut, QStringLiteral(" tRuE "), QStringLiteral("Yes"), 0},
        {"false", Slot::Viewed, QStringLiteral("False"), QStringLiteral("No"), 0},
        {"one", Slot::Viewed, QStringLiteral("1"), QStringLiteral("Yes"), 0},
        {"zero", Slot::CheckOut, QStringLiteral("0"), QStringLiteral("No"), 0},
        {"y", Slot::CheckOut, QStringLiteral("y"), QStringLiteral("Yes"), 0},
        {"n", Slot::CheckOut, QStringLiteral("n"), QStringLiteral("No"), 0},
        {"f", Slot::Viewed, QStringLiteral("f"), QStringLiteral("No"), 0},
        {"yes with a long s", Slot::Viewed, QStringLiteral("ye\u017F"), QStringLiteral("Yes"), 0},
    };
    for (const Accepted& c : cases) {
        const FieldValue v = readFieldValue(c.slot, c.typed, usFormats());
        EXPECT_TRUE(v.ok()) << c.what << ": " << v.message.toStdString();
        EXPECT_EQ(v.stored, c.stored) << c.what;
        EXPECT_DOUBLE_EQ(v.number, c.number) << c.what;
    }
}

TEST(FieldValue, SystemCurrencyAndDateFormat) {
    const ValueFormats f = europeanFormats();
    FieldValue v = readFieldValue(Slot::ListPrice, QStringLiteral("1.234,50"), f);
    ASSERT_TRUE(v.ok()) << v.message.toStdString();
    EXPECT_DOUBLE_EQ(v.number, 1234.5);
    v = readFieldValue(Slot::PurchaseDate, QStringLiteral("03.04.1997"), f);
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(v.stored, "19970403");
    // The decimal character is the regional one.
    v = readFieldValue(Slot::PurchasePrice, QStringLiteral("12,5"), f);
    ASSERT_TRUE(v.ok());
    EXPECT_DOUBLE_EQ(v.number, 12.5);
    // The order of day and month follows the format.
    EXPECT_EQ(readFieldValue(Slot::PurchaseDate, QStringLiteral("12.25.1999"), f).failed, ValueCheck::Date);
}

struct Refused {
    const char* what;
    int slot;
    QString typed;
    ValueCheck check;
    QString message;
};

TEST(FieldValue, RefusedValuesWithTheirMessages) {
    const Refused cases[] = {
        {"year with a decimal point", Slot::Year, QStringLiteral("1943.5"), ValueCheck::WholeNumber,
         QStringLiteral("Invalid year specified.  Please correct.")},
        {"year of letters", Slot::Year, QStringLiteral("19x3"), ValueCheck::WholeNumber,
         QStringLiteral("Invalid year specified.  Please correct.")},
        {"year wider than the field", Slot::Year, QStringLiteral("19430"), ValueCheck::WholeNumber,
         QStringLiteral("Invalid year specified.  Please correct.")},
        {"play time with a blank inside", Slot::RunTime, QStringLiteral("1 5"), ValueCheck::WholeNumber,
         QStringLiteral("Invalid play time specified.  Please correct.")},
        {"play time in another script's digits", Slot::RunTime, QStringLiteral("٩٥"), ValueCheck::WholeNumber,
         QStringLiteral("Invalid play time specified.  Please correct.")},
        {"price of letters", Slot::ListPrice, QStringLiteral("abc"), ValueCheck::Money,
         QStringLiteral("Invalid list price specified.  Please correct.")},
        {"price with a box's leftover digit", Slot::ListPrice, QStringLiteral("0abc"), ValueCheck::Money,
         QStringLiteral("Invalid list price specified.  Please correct.")},
        {"purchase price with two points", Slot::PurchasePrice, QStringLiteral("1.2.3"), ValueCheck::Money,
         QStringLiteral("Invalid purchase price specified.  Please correct.")},
        {"date that does not exist", Slot::CheckDate, QStringLiteral("02/30/1999"), ValueCheck::Date,
         QStringLiteral("Invalid check out date specified.  Please correct.")},
        {"date half typed", Slot::PurchaseDate, QStringLiteral("12/2_/____"), ValueCheck::Date,
         QStringLiteral("Invalid purchase date specified.  Please correct.")},
        {"date with the wrong separator", Slot::PurchaseDate, QStringLiteral("12-25-1999"), ValueCheck::Date,
         QStringLiteral("Invalid purchase date specified.  Please correct.")},
        {"yes/no of another word", Slot::Viewed, QStringLiteral("maybe"), ValueCheck::YesNo,
         QStringLiteral("Viewed is either Yes or No.  Please correct.")},
        {"yes/no of a longer word", Slot::Viewed, QStringLiteral("yesterday"), ValueCheck::YesNo,
         QStringLiteral("Viewed is either Yes or No.  Please correct.")},
        {"yes/no with a blank inside", Slot::CheckOut, QStringLiteral("y es"), ValueCheck::YesNo,
         QStringLiteral("Checked Out is either Yes or No.  Please correct.")},
        {"yes/no with a letter of another script", Slot::CheckOut, QStringLiteral("\u0423"),
         ValueCheck::YesNo, QStringLiteral("Checked Out is either Yes or No.  Please correct.")},
        {"title in Japanese", Slot::Title, QStringLiteral("東京物語 (Tokyo Story)"), ValueCheck::Characters,
         QStringLiteral("The characters \"東京物語\" cannot be stored in Title.  Please correct.")},
        {"each character once, in order", Slot::Writers, QStringLiteral("Ozu 小津, 野田 and 小津"),
         ValueCheck::Characters,
         QStringLiteral("The characters \"小津野田\" cannot be stored in Writers.  Please correct.")},
        {"a character outside the basic plane", Slot::KeyWords, QStringLiteral("ghost \U0001F47B"),
         ValueCheck::Characters,
         QStringLiteral("The characters \"\U0001F47B\" cannot be stored in Key Words.  Please correct.")},
        {"text longer than the field", Slot::RecordingSpeed, QStringLiteral("SP/LP/EP"), ValueCheck::Width,
         QStringLiteral("Rec Speed holds at most 6 characters.  Please correct.")},
    };
    for (const Refused& c : cases) {
        const FieldValue v = readFieldValue(c.slot, c.typed, usFormats());
        EXPECT_EQ(v.failed, c.check) << c.what;
        EXPECT_EQ(v.message, c.message) << c.what;
        EXPECT_TRUE(v.stored.isEmpty()) << c.what;
    }
}

TEST(FieldValue, MessagesNameTheFieldByTheNameGiven) {
    const FieldValue v =
        readFieldValue(Slot::Title, QStringLiteral("東京"), usFormats(), QStringLiteral("Film"));
    EXPECT_EQ(v.message, "The characters \"東京\" cannot be stored in Film.  Please correct.");
}

TEST(FieldValue, TwoDigitYearsUnderATwoDigitFormat) {
    // The stated rule: a two-digit year is the latest year ending in those digits that is not
    // after the current year.
    const int thisYear = QDate::currentDate().year();
    const int yy = thisYear % 100;
    const ValueFormats f = usFormats(1); // mm/dd/yy
    struct Case {
        int twoDigits;
        int year;
    } cases[] = {
        {yy, thisYear},                       // this year
        {(yy + 1) % 100, thisYear + 1 - 100}, // next year's digits: a century ago
        {(yy + 99) % 100, thisYear - 1},      // last year
        {(yy + 9) % 100, thisYear + 9 - 100}, // "35" typed in 2026 is 1935
    };
    for (const Case& c : cases) {
        const QString typed = QStringLiteral("01/02/%1").arg(c.twoDigits, 2, 10, QLatin1Char('0'));
        const FieldValue v = readFieldValue(Slot::PurchaseDate, typed, f);
        ASSERT_TRUE(v.ok()) << typed.toStdString();
        EXPECT_EQ(v.stored, QStringLiteral("%1").arg(c.year, 4, 10, QLatin1Char('0')) + "0102")
            << typed.toStdString();
    }
    // Four digits are taken as they are, also under a two-digit format.
    EXPECT_EQ(readFieldValue(Slot::PurchaseDate, QStringLiteral("01/02/2035"), f).stored, "20350102");
}

TEST(FieldValue, NumbersMustFitTheTablesField) {
    struct Case {
        int slot;
        QString typed;
        int width, decimals;
        bool fits;
        QString message;
    } cases[] = {
        {Slot::ListPrice, QStringLiteral("999,999,999.99"), 12, 2, true, {}},
        {Slot::ListPrice, QStringLiteral("1,000,000,000"), 12, 2, false,
         QStringLiteral("1000000000 is out of range for List Price.  Please correct.")},
        {Slot::PurchasePrice, QStringLiteral("-99999999.99"), 12, 2, true, {}},
        {Slot::PurchasePrice, QStringLiteral("-100000000"), 12, 2, false,
         QStringLiteral("-100000000 is out of range for Purch Price.  Please correct.")},
        {Slot::ListPrice, QStringLiteral("1,000,000,000"), 20, 4, true, {}},
        {Slot::Year, QStringLiteral("1943"), 4, 0, true, {}},
        {Slot::RunTime, QStringLiteral("-99"), 2, 0, false,
         QStringLiteral("-99 is out of range for Play Time.  Please correct.")},
    };
    for (const Case& c : cases) {
        FieldValue v = readFieldValue(c.slot, c.typed, usFormats());
        ASSERT_TRUE(v.ok()) << c.typed.toStdString();
        checkFitsField(v, c.slot, c.width, c.decimals);
        EXPECT_EQ(v.ok(), c.fits) << c.typed.toStdString();
        EXPECT_EQ(v.message, c.message) << c.typed.toStdString();
    }
    // Blank numbers and text fields always fit.
    FieldValue blank = readFieldValue(Slot::Year, QString(), usFormats());
    checkFitsField(blank, Slot::Year, 1, 0);
    EXPECT_TRUE(blank.ok());
}

TEST(FieldValue, CharactersOutsideCp1252) {
    EXPECT_EQ(charactersOutsideCp1252(QStringLiteral("Café € ‰ Œ ž")), QString());
    EXPECT_EQ(charactersOutsideCp1252(QStringLiteral("Ωmega ΩΩ ł")), QStringLiteral("Ωł"));
}

} // namespace
