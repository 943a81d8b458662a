// Fields of the current record as text: dates in the short date format, numbers, strings.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/fieldtext.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "dbase/table.h"

namespace {

class FieldText : public ::testing::Test {
protected:
    QTemporaryDir dir;
    dbase::Table t;
    int title = 0, year = 0, price = 0, bought = 0;
    void SetUp() override {
        const QString file = dir.filePath("T.DBF");
        ASSERT_TRUE(createCatalogue(file).ok);
        t.open(enginePath(file));
        title = t.fieldIndexOrThrow("Title");
        year = t.fieldIndexOrThrow("Year");
        price = t.fieldIndexOrThrow("ListPrice");
        bought = t.fieldIndexOrThrow("PurchDate");
        t.append();
    }
};

TEST_F(FieldText, DatesInTheShortDateFormat) {
    const DateFormat us(1, false);
    ASSERT_TRUE(setFieldText(t, bought, "4/3/97", us));
    t.post();
    EXPECT_EQ(t.getDate(bought), "19970403");
    EXPECT_EQ(fieldText(t, bought, us), "4/3/97");
    EXPECT_EQ(fieldText(t, bought, DateFormat(5, false)), "3-4-97");
    EXPECT_EQ(fieldText(t, bought, DateFormat(5, true)), "03-04-97");
    EXPECT_EQ(fieldText(t, bought, DateFormat(9, true)), "04.03.1997");
    EXPECT_EQ(fieldTextUtf8(t, bought, DateFormat(12, true)), "03.04.1997");
}

TEST_F(FieldText, BlankAndInvalidDates) {
    const DateFormat f(10, true);
    ASSERT_TRUE(setFieldText(t, bought, "25/12/1996", f));
    QString error;
    EXPECT_FALSE(setFieldText(t, bought, "31/02/1996", f, &error));
    EXPECT_TRUE(error.contains("31/02/1996"));
    EXPECT_EQ(t.getDate(bought), "19961225") << "a refused date leaves the field as it was";
    ASSERT_TRUE(setFieldText(t, bought, "  ", f));
    t.post();
    EXPECT_EQ(t.getDate(bought), "");
    EXPECT_EQ(fieldText(t, bought, f), "");
}

TEST_F(FieldText, NumbersAsPlainNumerals) {
    const DateFormat f;
    ASSERT_TRUE(setFieldText(t, year, " 1985 ", f));
    ASSERT_TRUE(setFieldText(t, price, "19.95", f));
    QString error;
    EXPECT_FALSE(setFieldText(t, year, "nineteen", f, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(setFieldText(t, price, "1,995.00", f));
    t.post();
    EXPECT_EQ(fieldText(t, year, f), "1985");
    EXPECT_EQ(fieldText(t, price, f).toDouble(), 19.95);
    t.edit();
    ASSERT_TRUE(setFieldText(t, year, "", f));
    t.post();
    EXPECT_EQ(fieldText(t, year, f), "");
}

TEST_F(FieldText, StringsKeepTheirLetters) {
    const DateFormat f;
    ASSERT_TRUE(setFieldText(t, title, QStringLiteral("Le Café des Étoiles \"Noël\""), f));
    t.post();
    EXPECT_EQ(fieldText(t, title, f), QStringLiteral("Le Café des Étoiles \"Noël\""));
    EXPECT_EQ(fieldTextUtf8(t, title, f), "Le Café des Étoiles \"Noël\"");
}

TEST(ProgramDateFormat, ReadFromTheProgramSettings) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("QUILLON_HOME", dir.filePath("home").toLocal8Bit());
    DateFormat f = programDateFormat();
    EXPECT_EQ(f.code(), 1);
    EXPECT_FALSE(f.leadingZeros());
    QDir(dir.path()).mkpath("quillon-videos");
    ASSERT_TRUE(writeFile(dir.filePath("quillon-videos/QLNVID.INI"),
                          "[misc]\r\ndate format=11\r\nDate Leading Zeros=yes\r\n"));
    f = programDateFormat();
    EXPECT_EQ(f.code(), 11);
    EXPECT_TRUE(f.leadingZeros());
}

} // namespace
