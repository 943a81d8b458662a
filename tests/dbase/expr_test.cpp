// Index expressions: parsing, static key widths, evaluation on record bytes, key encodings.
#include <gtest/gtest.h>

#include <cstring>

#include "dbase/expr.h"
#include "dbase/keys.h"

using namespace dbase;

namespace {

std::vector<FieldLayout> layout() {
    std::vector<FieldDef> defs = {{"TITLE", 'C', 60, 0},    {"YEAR", 'N', 11, 0},  {"LISTPRICE", 'N', 20, 4},
                                  {"PURCHDATE", 'D', 8, 0}, {"STAR1", 'C', 30, 0}, {"VIEWED", 'L', 1, 0},
                                  {"RATIO", 'F', 10, 3}};
    std::vector<FieldLayout> out;
    int off = 1;
    for (auto& d : defs) {
        out.push_back({d, off});
        off += d.width;
    }
    return out;
}

int recordLength(const std::vector<FieldLayout>& f) {
    return f.back().offset + f.back().def.width;
}

// A record with the given values stored as a dBase writer stores them.
std::string record(const std::string& title, const std::string& year, const std::string& price,
                   const std::string& date, const std::string& star = "", const std::string& ratio = "") {
    auto f = layout();
    std::string r(size_t(recordLength(f)), ' ');
    auto putLeft = [&](int i, const std::string& v) { r.replace(size_t(f[i].offset), v.size(), v); };
    auto putRight = [&](int i, const std::string& v) {
        r.replace(size_t(f[i].offset + f[i].def.width) - v.size(), v.size(), v);
    };
    putLeft(0, title);
    putRight(1, year);
    putRight(2, price);
    putLeft(3, date);
    putLeft(4, star);
    putRight(6, ratio);
    return r;
}

std::string hex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

std::string eval(const std::string& expr, const std::string& rec) {
    return KeyExpression::compile(expr, layout()).evaluate(rec.data());
}

} // namespace

TEST(Expression, FieldNamesAndFunctionsIgnoreCase) {
    auto rec = record("Casablanca", "1942", "19.9500", "19810101", "Humphrey Bogart");
    EXPECT_EQ(eval("title", rec), eval("TITLE", rec));
    EXPECT_EQ(eval("upper(left(title,5))", rec), "CASAB");
    EXPECT_EQ(eval("UpPeR( LeFt( TiTlE , 5 ) )", rec), "CASAB");
    auto e = KeyExpression::compile("title", layout());
    EXPECT_EQ(e.keyType(), 'C');
    EXPECT_EQ(e.keyLength(), 60);
    EXPECT_EQ(e.text(), "title");
}

TEST(Expression, CharacterFieldsKeepTrailingBlanks) {
    auto rec = record("Jaws", "1975", "", "");
    std::string k = eval("Title", rec);
    ASSERT_EQ(k.size(), 60u);
    EXPECT_EQ(k, "Jaws" + std::string(56, ' '));
}

TEST(Expression, UpperChangesOnlyAsciiLetters) {
    auto rec = record("am\xe9lie 2-x", "", "", "");
    EXPECT_EQ(eval("UPPER(LEFT(Title,10))", rec), "AM\xe9LIE 2-X");
}

TEST(Expression, LeftCutsAndNeverExceedsTheFieldWidth) {
    auto rec = record("The Godfather", "", "", "");
    EXPECT_EQ(eval("LEFT(Title,3)", rec), "The");
    auto e = KeyExpression::compile("LEFT(Star1,50)", layout());
    EXPECT_EQ(e.keyLength(), 30);
}

TEST(Expression, StrDefaultsAndWidths) {
    auto rec = record("", "1980", "20.5000", "", "", "-2.500");
    EXPECT_EQ(eval("STR(Year)", rec), "      1980");
    EXPECT_EQ(eval("STR(Year,12,0)", rec), "        1980");
    EXPECT_EQ(eval("STR(ListPrice,12,2)", rec), "       20.50");
    EXPECT_EQ(eval("STR(Ratio,6,1)", rec), "  -2.5");
    EXPECT_EQ(eval("STR(Ratio,6)", rec), "    -3"); // half away from zero
    EXPECT_EQ(KeyExpression::compile("STR(Year)", layout()).keyLength(), 10);
    EXPECT_EQ(KeyExpression::compile("STR(Year,12,0)", layout()).keyLength(), 12);
}

TEST(Expression, StrRoundsOnDecimalDigitsAndOverflowsToAsterisks) {
    EXPECT_EQ(formatStr(10.765, 5, 1), " 10.8");
    EXPECT_EQ(formatStr(10.765, 5, 2), "10.77");
    EXPECT_EQ(formatStr(10.765, 4, 2), "****");
    EXPECT_EQ(formatStr(2.5, 3, 0), "  3");
    EXPECT_EQ(formatStr(-2.5, 3, 0), " -3");
    EXPECT_EQ(formatStr(0.05, 4, 1), " 0.1");
    EXPECT_EQ(formatStr(0.04, 4, 1), " 0.0");
    EXPECT_EQ(formatStr(-0.04, 5, 1), "  0.0");
    EXPECT_EQ(formatStr(9.99, 4, 1), "10.0");
    EXPECT_EQ(formatStr(99.96, 4, 1), "****");
    EXPECT_EQ(formatStr(0, 5, 2), " 0.00");
    EXPECT_EQ(formatStr(123456789012.0, 12, 0), "123456789012");
    EXPECT_EQ(formatStr(1234567890123.0, 12, 0), "************");
    EXPECT_EQ(formatStr(1e-9, 6, 2), "  0.00");
    auto rec = record("", "12345678901", "", "");
    EXPECT_EQ(eval("STR(Year,5)", rec), "*****");
}

TEST(Expression, BlankAndBadNumbersReadAsZero) {
    auto rec = record("", "", "", "");
    EXPECT_EQ(eval("STR(Year,4)", rec), "   0");
    auto rec2 = record("", "***", "", "");
    EXPECT_EQ(eval("STR(Year,4)", rec2), "   0");
}

TEST(Expression, DtosGivesYyyymmddOrBlanks) {
    EXPECT_EQ(eval("DTOS(PurchDate)", record("", "", "", "19960229")), "19960229");
    EXPECT_EQ(eval("DTOS(PurchDate)", record("", "", "", "")), "        ");
    EXPECT_EQ(eval("DTOS(PurchDate)", record("", "", "", "00000000")), "        ");
    EXPECT_EQ(KeyExpression::compile("dtos(purchdate)", layout()).keyLength(), 8);
}

TEST(Expression, ConcatenationWidthIsTheSumOfItsParts) {
    auto rec = record("Alien", "1979", "9.9900", "19850615", "Sigourney Weaver");
    std::string expr = "Upper(Left(Title,40))+STR(Year,12,0)";
    auto e = KeyExpression::compile(expr, layout());
    EXPECT_EQ(e.keyType(), 'C');
    EXPECT_EQ(e.keyLength(), 52);
    EXPECT_EQ(e.evaluate(rec.data()), "ALIEN" + std::string(35, ' ') + "        1979");
    auto four = KeyExpression::compile(
        "Upper(Left(Title,20))+Upper(Left(Star1,20))+STR(ListPrice,12,2)+DTOS(PurchDate)", layout());
    EXPECT_EQ(four.keyLength(), 60);
    EXPECT_EQ(four.evaluate(rec.data()),
              "ALIEN" + std::string(15, ' ') + "SIGOURNEY WEAVER    " + "        9.99" + "19850615");
    EXPECT_EQ(KeyExpression::compile("(Title)+(Star1)", layout()).keyLength(), 90);
}

TEST(Expression, NumericAndDateExpressionsGiveEncodedKeys) {
    auto rec = record("", "1980", "20.5000", "19810101");
    auto n = KeyExpression::compile("Year", layout());
    EXPECT_EQ(n.keyType(), 'N');
    EXPECT_EQ(n.keyLength(), 12);
    EXPECT_EQ(hex(n.evaluate(rec.data())), "38 0D 19 80 00 00 00 00 00 00 00 00");
    EXPECT_EQ(hex(eval("ListPrice", rec)), "36 0D 20 50 00 00 00 00 00 00 00 00");
    auto d = KeyExpression::compile("PurchDate", layout());
    EXPECT_EQ(d.keyType(), 'D');
    EXPECT_EQ(d.keyLength(), 8);
    EXPECT_EQ(decodeDateKey(d.evaluate(rec.data())), 2444606.0);
    EXPECT_EQ(decodeDateKey(eval("PurchDate", record("", "", "", ""))), 0.0);
}

TEST(Expression, ErrorsNameTheExpression) {
    auto expectError = [](const std::string& expr, const std::string& part) {
        try {
            KeyExpression::compile(expr, layout());
            ADD_FAILURE() << "no error for " << expr;
        } catch (const DbError& e) {
            std::string what = e.what();
            EXPECT_NE(what.find("\"" + expr + "\""), std::string::npos) << what;
            EXPECT_NE(what.find(part), std::string::npos) << what;
        }
    };
    expectError("Upper(Left(Titel,40))", "unknown field Titel");
    expectError("Upper(Left(Title,40)", "expected \")\"");
    expectError("Upper(Left(Title,40)))", "unexpected \")\"");
    expectError("LOWER(Title)", "unknown function LOWER");
    expectError("", "unexpected end");
    expectError("Title+", "unexpected end");
    expectError("Title+Year", "character values only");
    expectError("STR(Title,5)", "numeric value");
    expectError("DTOS(Title)", "date value");
    expectError("UPPER(Year)", "character value");
    expectError("LEFT(Title,0)", "at least 1");
    expectError("LEFT(Title,x)", "whole number");
    expectError("STR(Year,300)", "1 to 254");
    expectError("Viewed", "cannot be indexed");
    expectError("Title+Star1+Title", "at most 100");
    expectError("Title $ Star1", "unexpected \"$\"");
}

TEST(Expression, KeysOfOneHundredCharactersAreAllowed) {
    EXPECT_EQ(KeyExpression::compile("Title+LEFT(Star1,30)+LEFT(Title,10)", layout()).keyLength(), 100);
    EXPECT_THROW(KeyExpression::compile("Title+LEFT(Star1,30)+LEFT(Title,11)", layout()), DbError);
}

TEST(KeyEncoding, NumericBcdMatchesTheReference) {
    EXPECT_EQ(hex(encodeNumericKey(1980)), "38 0D 19 80 00 00 00 00 00 00 00 00");
    EXPECT_EQ(hex(encodeNumericKey(20.5)), "36 0D 20 50 00 00 00 00 00 00 00 00");
    EXPECT_EQ(hex(encodeNumericKey(-2.5)), "35 89 25 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(hex(encodeNumericKey(0.05)), "33 05 50 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(hex(encodeNumericKey(0)), "34 01 00 00 00 00 00 00 00 00 00 00");
    for (double v : {1980.0, 20.5, -2.5, 0.05, 0.0, 123456.789, -0.001, 1e15})
        EXPECT_DOUBLE_EQ(decodeNumericKey(encodeNumericKey(v)), v);
}

TEST(KeyEncoding, NumericKeysCompareByValue) {
    std::vector<double> values = {-1000, -20.5, -2.5, -2,   -0.05, 0,    0.001, 0.05,
                                  0.5,   1,     2.5,  9.99, 10,    1980, 1e12};
    for (size_t i = 0; i < values.size(); ++i)
        for (size_t j = 0; j < values.size(); ++j) {
            int c = compareKeys('N', encodeNumericKey(values[i]), encodeNumericKey(values[j]));
            EXPECT_EQ(c < 0, i < j) << values[i] << " " << values[j];
            EXPECT_EQ(c == 0, i == j) << values[i] << " " << values[j];
        }
}

TEST(KeyEncoding, DatesAreJulianDays) {
    EXPECT_EQ(decodeDateKey(encodeDateKey("19810101")), 2444606.0);
    EXPECT_EQ(decodeDateKey(encodeDateKey("20000229")), 2451604.0);
    EXPECT_EQ(decodeDateKey(encodeDateKey("        ")), 0.0);
    EXPECT_EQ(decodeDateKey(encodeDateKey("")), 0.0);
    EXPECT_EQ(dateFromJulian(2444606.0), "19810101");
    EXPECT_EQ(dateFromJulian(0.0), "");
    EXPECT_LT(compareKeys('D', encodeDateKey(""), encodeDateKey("17760704")), 0);
    EXPECT_LT(compareKeys('D', encodeDateKey("19991231"), encodeDateKey("20000101")), 0);
    // The stored bytes are a little-endian IEEE double.
    std::string k = encodeDateKey("19810101");
    double v = 0;
    std::memcpy(&v, k.data(), 8);
    EXPECT_EQ(v, 2444606.0);
}
