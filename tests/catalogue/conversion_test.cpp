// Conversion of 2.x (V2LOG.DBF) and 1.x (VLOG.DBF) catalogues written by python3-dbf.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/conversion.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "dbase/table.h"

namespace {

const char* const kV2Layout =
    "%1; Title C(60); Star1 C(25); Star2 C(25); Star3 C(25); Star4 C(25); Producer C(28); Director C(28); "
    "ReleasedBy C(28); Year N(4,0); RunTime N(3,0); Rating C(15); Category C(20); Picture C(10); Sound "
    "C(10); "
    "Format C(15); PersonalRa C(15); MediaNum C(10); RecSpeed C(6); CounterSta C(8); CounterSto C(8); "
    "Descriptio C(140); Content C(10); Miscellane C(80); KeyWords C(80); LaserForma C(12); ListPrice "
    "N(12,2); "
    "OscarNom C(110); OscarAward C(110)";

const char* const kV1Layout =
    "%1; Title C(60); Star1 C(25); Star2 C(25); Star3 C(25); Star4 C(25); Producer C(28); Director C(28); "
    "ReleasedBy C(28); Year N(4,0); RunTime N(3,0); Rating C(15); Category C(20); Picture C(10); Sound "
    "C(10); "
    "Format C(15); PersonalRa C(15); TapeNum C(10); RecSpeed C(6); CounterSta C(8); CounterSto C(8); "
    "Descriptio C(140); Content C(10); CloseCapt C(3); NoiseRed C(3); SurroundSo C(3)";

// Writes a table with python3-dbf: layout is its field list, rows Python tuples, deleted the
// 0-based rows to mark deleted.
void writeOldTable(const QString& path, const QString& layout, const QString& rows,
                   const QString& deleted = "[]", const QString& type = "db3") {
    peer::python(
        QStringLiteral("import dbf, sys\n"
                       "t = dbf.Table(sys.argv[1], sys.argv[2], dbf_type=sys.argv[3], codepage='cp1252')\n"
                       "t.open(dbf.READ_WRITE)\n"
                       "for r in %1: t.append(r)\n"
                       "for i in %2: dbf.delete(t[i])\n"
                       "t.close()\n")
            .arg(rows, deleted),
        {path, layout, type});
}

QString v2Row(const QString& first, const QString& title, const QString& media, int year,
              const QString& price, const QString& misc = "") {
    // 29 values: first field, Title, Star1..4, Producer, Director, ReleasedBy, Year, RunTime, Rating,
    // Category, Picture, Sound, Format, PersonalRa, MediaNum, RecSpeed, CounterSta, CounterSto,
    // Descriptio, Content, Miscellane, KeyWords, LaserForma, ListPrice, OscarNom, OscarAward
    return QStringLiteral(
               "(%1, %2, 'Gérard Depardieu', 'Star Two', '', '', 'Prod', 'Dir', 'Studio', %3, 120, "
               "'PG', 'Drama', 'Color', 'Stereo', 'VHS', 'Good', %4, 'SP', '0010', '0950', "
               "'A \"quoted\" description', 'Movie', %5, 'key, words', '', %6, 'Best Picture', "
               "'Best Actor')")
        .arg(first, "'" + title + "'")
        .arg(year)
        .arg("'" + media + "'", "'" + misc + "'", price);
}

QString v1Row(const QString& title, const QString& tape, const QString& cc, const QString& nr,
              const QString& ss) {
    return QStringLiteral(
               "(7, '%1', 'Star One', '', '', '', 'Prod', 'Dir', 'Studio', 1984, 95, 'R', 'Action', "
               "'Color', 'Mono', 'Beta', 'Fair', '%2', 'LP', '', '', 'Desc', 'Movie', '%3', '%4', '%5')")
        .arg(title, tape, cc, nr, ss);
}

class Conversion : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString target;
    dbase::Table table;
    void SetUp() override {
        target = dir.filePath("MASTER.DBF");
        ASSERT_TRUE(createCatalogue(target).ok);
        table.open(enginePath(target));
    }
    std::string value(const char* field) const { return table.getText(table.fieldIndexOrThrow(field)); }
};

TEST_F(Conversion, V2CopiesTheTwentyEightFieldsAndDeletesTheOldFile) {
    const QString old = dir.filePath("V2LOG.DBF");
    writeOldTable(old, QString::fromLatin1(kV2Layout).arg("RecId N(5,0)"),
                  "[" + v2Row("1", "Café Society", "T001", 1985, "19.95", "Letterboxed") + ", " +
                      v2Row("2", "Deleted One", "T002", 1990, "5") + ", " +
                      v2Row("3", "O\\'Brien\\'s Night", "T003", 1970, "0") + "]",
                  "[1]");
    EXPECT_EQ(findOldCatalogue(dir.path(), OldGeneration::V2), old);
    ASSERT_TRUE(isOldLayout(old, OldGeneration::V2));
    EXPECT_FALSE(isOldLayout(old, OldGeneration::V1));

    const ::Conversion result = convertOldCatalogue(table, old, OldGeneration::V2);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.converted, 2);
    EXPECT_FALSE(QFileInfo::exists(old));

    EXPECT_EQ(table.recordCount(), 2u);
    ASSERT_TRUE(table.first());
    EXPECT_EQ(value("Title"), "Café Society");
    EXPECT_EQ(value("Star1"), "Gérard Depardieu");
    EXPECT_EQ(value("MediaNum"), "T001");
    EXPECT_EQ(table.getNumber(table.fieldIndexOrThrow("Year")), 1985.0);
    EXPECT_EQ(table.getNumber(table.fieldIndexOrThrow("ListPrice")), 19.95);
    EXPECT_EQ(value("Miscellane"), "Letterboxed");
    EXPECT_EQ(value("Descriptio"), "A \"quoted\" description");
    EXPECT_EQ(value("OscarAward"), "Best Actor");
    EXPECT_EQ(value("CheckOut"), "");
    ASSERT_TRUE(table.next());
    EXPECT_EQ(value("Title"), "O'Brien's Night");
    EXPECT_EQ(value("MediaNum"), "T003");
}

TEST_F(Conversion, V2FirstFieldMayHaveAnyName) {
    const QString old = dir.filePath("V2LOG.DBF");
    writeOldTable(old, QString::fromLatin1(kV2Layout).arg("Whatever C(3)"),
                  "[" + v2Row("'x'", "T", "M", 1999, "1") + "]");
    ASSERT_TRUE(isOldLayout(old, OldGeneration::V2));
    const ::Conversion result = convertOldCatalogue(table, old, OldGeneration::V2);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.converted, 1);
}

TEST_F(Conversion, WrongLayoutsFailTheTest) {
    // A changed name among fields 2 onwards.
    QString layout = QString::fromLatin1(kV2Layout).arg("RecId N(5,0)");
    layout.replace("KeyWords C(80)", "Keys C(80)");
    writeOldTable(dir.filePath("V2LOG.DBF"), layout, "[]");
    EXPECT_FALSE(isOldLayout(dir.filePath("V2LOG.DBF"), OldGeneration::V2));

    // One field too many.
    writeOldTable(dir.filePath("MORE.DBF"),
                  QString::fromLatin1(kV2Layout).arg("RecId N(5,0)") + "; Extra C(5)", "[]");
    EXPECT_FALSE(isOldLayout(dir.filePath("MORE.DBF"), OldGeneration::V2));

    // The current layout is neither old one, nor is a file that is no table.
    EXPECT_FALSE(isOldLayout(target, OldGeneration::V2));
    EXPECT_FALSE(isOldLayout(target, OldGeneration::V1));
    ASSERT_TRUE(writeFile(dir.filePath("VLOG.DBF"), "not a table"));
    EXPECT_FALSE(isOldLayout(dir.filePath("VLOG.DBF"), OldGeneration::V1));
    EXPECT_FALSE(isOldLayout(dir.filePath("NONE.DBF"), OldGeneration::V1));
}

TEST_F(Conversion, V1MapsTapeNumAndBuildsMiscellaneFromTheFlags) {
    const QString old = dir.filePath("vlog.dbf");
    writeOldTable(old, QString::fromLatin1(kV1Layout).arg("No N(3,0)"),
                  "[" + v1Row("Flags", "TAPE 12", "yes", "No", "YES") + ", " +
                      v1Row("None", "TAPE 13", "", "no", "") + ", " +
                      v1Row("All", "T14", "Yes", "yEs", "yes") + ", " +
                      v1Row("Noise", "T15", "n", "YES", "") + "]");
    EXPECT_EQ(findOldCatalogue(dir.path(), OldGeneration::V1), old);
    ASSERT_TRUE(isOldLayout(old, OldGeneration::V1));
    EXPECT_FALSE(isOldLayout(old, OldGeneration::V2));

    const ::Conversion result = convertOldCatalogue(table, old, OldGeneration::V1);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.converted, 4);
    EXPECT_FALSE(QFileInfo::exists(old));

    ASSERT_TRUE(table.first());
    EXPECT_EQ(value("Title"), "Flags");
    EXPECT_EQ(value("MediaNum"), "TAPE 12");
    EXPECT_EQ(value("Miscellane"), "Closed Captioned, Surround Sound");
    EXPECT_EQ(value("Format"), "Beta");
    EXPECT_EQ(table.getNumber(table.fieldIndexOrThrow("RunTime")), 95.0);
    ASSERT_TRUE(table.next());
    EXPECT_EQ(value("Miscellane"), "");
    EXPECT_EQ(value("MediaNum"), "TAPE 13");
    ASSERT_TRUE(table.next());
    EXPECT_EQ(value("Miscellane"), "Closed Captioned, Noise Reduction, Surround Sound");
    ASSERT_TRUE(table.next());
    EXPECT_EQ(value("Miscellane"), "Noise Reduction");
}

TEST_F(Conversion, OldFileWithMissingMdxHasItsFlagClearedFirst) {
    const QString old = dir.filePath("V2LOG.DBF");
    writeOldTable(old, QString::fromLatin1(kV2Layout).arg("RecId N(5,0)"),
                  "[" + v2Row("1", "T", "M", 1999, "1") + "]");
    QByteArray bytes = readFile(old);
    bytes[28] = 1; // claims a production index that is not there
    ASSERT_TRUE(writeFile(old, bytes));
    ASSERT_TRUE(isOldLayout(old, OldGeneration::V2));
    EXPECT_EQ(readFile(old)[28], 0);
    EXPECT_TRUE(convertOldCatalogue(table, old, OldGeneration::V2).ok);
}

TEST_F(Conversion, AFailureKeepsTheOldFileAndTheRecordsSoFar) {
    // The old file goes away between the test and the conversion: the engine's error is reported
    // and nothing is deleted.
    const ::Conversion result = convertOldCatalogue(table, dir.filePath("V2LOG.DBF"), OldGeneration::V2);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.converted, 0);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(table.recordCount(), 0u);
}

TEST(ConversionTexts, Questions) {
    EXPECT_EQ(
        conversionQuestion(OldGeneration::V2),
        "A database from a previous version (2.X) has been detected.  Would you like to convert it now?  "
        "NOTE: After conversion the old file will be deleted.  You may wish to make a copy of "
        "\"V2LOG.DBF\" first.");
    EXPECT_EQ(
        conversionQuestion(OldGeneration::V1),
        "A database from a previous version (1.X) has been detected.  Would you like to convert it now?  "
        "NOTE: After conversion the old file will be deleted.  You may wish to make a copy of "
        "\"VLOG.DBF\" first.");
}

TEST(ConversionTexts, MiscellaneFlags) {
    EXPECT_EQ(miscellaneFromFlags("yes", "No", "YES"), "Closed Captioned, Surround Sound");
    EXPECT_EQ(miscellaneFromFlags("", "", ""), "");
    EXPECT_EQ(miscellaneFromFlags("Y", "yes", "T"), "Noise Reduction");
    EXPECT_EQ(miscellaneFromFlags("YES", "YES", "YES"), "Closed Captioned, Noise Reduction, Surround Sound");
}

TEST(ConversionTexts, FindIgnoresCase) {
    QTemporaryDir dir;
    EXPECT_EQ(findOldCatalogue(dir.path(), OldGeneration::V2), QString());
    ASSERT_TRUE(writeFile(dir.filePath("V2Log.Dbf"), "x"));
    EXPECT_EQ(findOldCatalogue(dir.path(), OldGeneration::V2), dir.filePath("V2Log.Dbf"));
    EXPECT_EQ(findOldCatalogue(dir.path(), OldGeneration::V1), QString());
}

} // namespace
