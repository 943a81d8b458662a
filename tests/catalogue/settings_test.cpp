// Both settings files: defaults, a whole round trip, the fall-backs of a database without its own
// settings file, and lines the program does not own.
#include "base/paths.h"
#include "catalogue/settings.h"
#include "common/files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("QUILLON_HOME", QFile::encodeName(dir.filePath(QStringLiteral("prog"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    }
    QString table(const QString& name = QStringLiteral("MASTER.DBF")) { return dir.filePath(name); }
    QTemporaryDir dir;
};

ProgramSettings changedProgramSettings() {
    ProgramSettings p;
    p.buttonBar = 2;
    p.mainWindowLeft = 11;
    p.mainWindowTop = 12;
    p.mainWindowWidth = 801;
    p.mainWindowHeight = 602;
    p.lastImportFile = QStringLiteral("/imports/list.txt");
    p.lastExportFile = QStringLiteral("/exports/out.dbf");
    p.lastDatabase = QStringLiteral("/videos/CURRENT.DBF");
    for (int i = 0; i < ProgramSettings::RecentCount; ++i)
        p.lastFiles[i] = QStringLiteral("/videos/OLD%1.DBF").arg(i);
    p.lastFiles[3] = QStringLiteral("/\u0432\u0438\u0434\u0435\u043e/A.DBF");
    p.lastFiles[4] = QStringLiteral("/a/") + QString(300, QLatin1Char('x')) + QStringLiteral(".DBF");
    p.showTips = false;
    p.windowSize = 1024;
    p.dateFormat = 11;
    p.dateLeadingZeros = true;
    p.currencyFormat = 2;
    p.numericFormat = 2;
    p.face = {1.5, 1.25, 3.5, 2.0, 0.125, 8};
    p.spine = {0.75, 1.5, 6.0, 0.75, 0.0625, 13};
    return p;
}

DatabaseSettings changedDatabaseSettings() {
    DatabaseSettings d;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const int i = slot - 1;
        d.fieldNames[i] = QStringLiteral("Name %1 \u00e9").arg(slot);
        d.displayFields[i] = slot % 2 == 0;
        d.fieldWidth[i] = slot + 3;
        d.fieldOrder[i] = FieldCount + 1 - slot;
        d.exportFields[i] = slot % 3 == 0;
        d.exportOrder[i] = (slot % FieldCount) + 1;
    }
    d.exportFirstRow = false;
    d.exportFileType = 2;
    d.importSkipFirst = false;
    d.importFileType = 2;
    d.sortLevels = {1, 8, 40, 3};
    for (int g = 0; g < DatabaseSettings::GroupCount; ++g)
        for (int e = 0; e < ColorSet::Count; ++e)
            d.colorSets[g][e] = g * 1000 + e * 7 + 1;
    d.showTitles = false;
    d.titleBackground = 255;
    d.titleAlignment = 3;
    d.gridTitleFont = {16711680, QStringLiteral("DejaVu Sans"), 14, true, true, true, true};
    d.gridFont = {65280, QStringLiteral("Liberation Serif"), 9, true, false, true, false};
    d.cellColor = 16777215;
    d.columnLines = false;
    d.rowLines = false;
    d.rowIndicator = false;
    d.fieldEditing = true;
    d.editFont = {QStringLiteral("Courier New"), true, false};
    d.labelFont = {QStringLiteral("Times New Roman"), false, true};
    d.buttonFont = {QStringLiteral("Verdana"), true, true};
    d.lastReport = 4;
    d.defaultPrinter = false;
    d.printerIndex = -1;
    d.reportViewLeft = 5;
    d.reportViewTop = 6;
    d.reportViewWidth = 700;
    d.reportViewHeight = 500;
    d.labelSize = 5;
    d.whatToPrint = 4;
    d.labelRating = false;
    d.labelTitle = false;
    d.labelStartCounter = false;
    d.labelStopCounter = false;
    d.labelPlayTime = false;
    d.labelCategory = false;
    d.labelMediaNumber = false;
    d.labelYearReleased = false;
    for (int i = 0; i < DatabaseSettings::LabelItemCount; ++i)
        d.labelItems[i] = QStringLiteral("T-%1").arg(i);
    d.reportLabelFont = {128, QStringLiteral("Arial Narrow"), 8, true, true, false, true};
    return d;
}

TEST_F(SettingsTest, ProgramDefaultsFromAMissingFile) {
    ProgramSettings p;
    ASSERT_TRUE(p.load(QStringLiteral("/start")));
    EXPECT_EQ(p.buttonBar, 1);
    EXPECT_EQ(p.mainWindowWidth, 640);
    EXPECT_EQ(p.mainWindowHeight, 480);
    EXPECT_EQ(p.lastImportFile, QStringLiteral("/start"));
    EXPECT_EQ(p.lastExportFile, QStringLiteral("/start"));
    EXPECT_TRUE(p.lastDatabase.isEmpty());
    EXPECT_TRUE(p.showTips);
    EXPECT_EQ(p.windowSize, 640);
    EXPECT_EQ(p.dateFormat, 1);
    EXPECT_FALSE(p.dateLeadingZeros);
    EXPECT_DOUBLE_EQ(p.face.height, 1.8125);
    EXPECT_EQ(p.face.count, 10);
    EXPECT_DOUBLE_EQ(p.spine.height, 0.6562);
    EXPECT_EQ(p.spine.count, 15);
}

TEST_F(SettingsTest, ProgramSettingsRoundTripEveryValue) {
    const ProgramSettings changed = changedProgramSettings();
    QString error;
    ASSERT_TRUE(changed.save(&error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("config/quillon-videos/QLNVID.INI"))));
    ProgramSettings back;
    ASSERT_TRUE(back.load(QStringLiteral("/start")));
    EXPECT_EQ(back, changed);
    const QByteArray bytes = readFile(ProgramPaths::programSettingsFile());
    EXPECT_TRUE(bytes.startsWith("[Misc]\r\nButton Bar=2\r\n"));
    EXPECT_TRUE(bytes.contains("Last File 1=/videos/OLD0.DBF\r\n"));
    EXPECT_TRUE(bytes.contains("Date Leading Zeros=Yes\r\n"));
    EXPECT_TRUE(bytes.contains("[Label]\r\nFace Top Margin=1.5000\r\n"));
    EXPECT_TRUE(bytes.contains("Spine Count=13\r\n"));
}

TEST_F(SettingsTest, DatabaseDefaults) {
    const DatabaseSettings d;
    EXPECT_EQ(d.displayName(1), QStringLiteral("Title"));
    EXPECT_EQ(d.displayName(18), QStringLiteral("Personal Rating"));
    EXPECT_EQ(d.fieldWidth[0], 15);
    EXPECT_EQ(d.fieldOrder[39], 40);
    EXPECT_EQ(d.exportOrder[4], 5);
    EXPECT_EQ(d.sortLevels, (std::array<int, 4>{2, 0, 0, 0}));
    for (const ColorSet& set : d.colorSets) {
        EXPECT_EQ(set[ColorSet::MainBackground], 12632256);
        EXPECT_EQ(set[ColorSet::EditBackground], 16777215);
        EXPECT_EQ(set[ColorSet::CheckText], 0);
    }
    EXPECT_EQ(d.titleBackground, 8553090);
    EXPECT_EQ(d.gridTitleFont.size, 12);
    EXPECT_EQ(d.gridFont.size, 10);
    EXPECT_EQ(d.gridFont.name, QStringLiteral("Arial"));
    EXPECT_EQ(d.cellColor, 12632256);
    EXPECT_FALSE(d.fieldEditing);
    EXPECT_TRUE(d.defaultPrinter);
    EXPECT_EQ(d.reportViewWidth, 640);
    EXPECT_TRUE(d.labelYearReleased);
    EXPECT_EQ(d.reportLabelFont.size, 10);
}

TEST_F(SettingsTest, DatabaseSettingsRoundTripEveryValue) {
    const DatabaseSettings changed = changedDatabaseSettings();
    QString error;
    ASSERT_TRUE(changed.saveForTable(table(), &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("MASTER.INI"))));
    DatabaseSettings back;
    ASSERT_TRUE(back.loadForTable(table(), ProgramPaths::programSettingsFile()));
    EXPECT_EQ(back, changed);
    const QByteArray bytes = readFile(dir.filePath(QStringLiteral("MASTER.INI")));
    EXPECT_TRUE(bytes.startsWith("[Field Names]\r\nTitle=Name 1 \xe9\r\n"));
    EXPECT_TRUE(bytes.contains("[Edit Window Color]\r\nMain Background=1001\r\n"));
    EXPECT_TRUE(bytes.contains("Label Item 00=T-0\r\n"));
    EXPECT_TRUE(bytes.contains("Label Item 17=T-15\r\n"));
    EXPECT_TRUE(
        bytes.contains("[Sort Order]\r\nPrimary Sort=1\r\nSecondary Sort=8\r\nThird Level Sort=40\r\n"));
}

TEST_F(SettingsTest, LowerCaseTableGetsLowerCaseSettingsFile) {
    ASSERT_TRUE(changedDatabaseSettings().saveForTable(table(QStringLiteral("films.dbf"))));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("films.ini"))));
}

TEST_F(SettingsTest, DatabaseWithoutItsOwnFileReadsTheProgramFile) {
    // The program settings file normally lacks the database sections: defaults apply.
    ASSERT_TRUE(changedProgramSettings().save());
    DatabaseSettings d = changedDatabaseSettings();
    ASSERT_TRUE(d.loadForTable(table(), ProgramPaths::programSettingsFile()));
    EXPECT_EQ(d, DatabaseSettings());
    // Sections that are there are taken from it.
    IniFile program(ProgramPaths::programSettingsFile());
    ASSERT_TRUE(program.load());
    program.writeInt(QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"), 7);
    ASSERT_TRUE(program.save());
    ASSERT_TRUE(d.loadForTable(table(), ProgramPaths::programSettingsFile()));
    EXPECT_EQ(d.sortLevels[0], 7);
    // Writing goes to the table's own file; the program file is left alone.
    const QByteArray programBytes = readFile(ProgramPaths::programSettingsFile());
    ASSERT_TRUE(d.saveForTable(table()));
    EXPECT_EQ(readFile(ProgramPaths::programSettingsFile()), programBytes);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("MASTER.INI"))));
}

TEST_F(SettingsTest, NewDatabaseStartsFromTheTemplate) {
    const QString templ = dir.filePath(QStringLiteral("QLNINV.INI"));
    ASSERT_TRUE(writeFile(templ, "[Field Names]\r\nTitle=Film\r\n[Grid Options]\r\nField Editing=Yes\r\n"));
    DatabaseSettings d;
    ASSERT_TRUE(d.loadForNewTable(templ, ProgramPaths::programSettingsFile()));
    EXPECT_EQ(d.displayName(1), QStringLiteral("Film"));
    EXPECT_TRUE(d.fieldEditing);
    EXPECT_EQ(d.displayName(2), QStringLiteral("Star 1"));
    // Without the template: the program settings file, i.e. the defaults.
    ASSERT_TRUE(
        d.loadForNewTable(dir.filePath(QStringLiteral("NONE.INI")), ProgramPaths::programSettingsFile()));
    EXPECT_EQ(d, DatabaseSettings());
}

TEST_F(SettingsTest, KeysAreWrittenBackAsSpeltAndForeignLinesStay) {
    const QString ini = dir.filePath(QStringLiteral("MASTER.INI"));
    ASSERT_TRUE(writeFile(ini, "; my notes\r\n"
                               "[field names]\r\n"
                               "TITLE=Movie\r\n"
                               "[My Own Section]\r\n"
                               "Anything=kept\r\n"
                               "[grid options]\r\n"
                               "field editing=yes\r\n"
                               "Custom=1\r\n"));
    DatabaseSettings d;
    ASSERT_TRUE(d.loadForTable(table(), ProgramPaths::programSettingsFile()));
    EXPECT_EQ(d.displayName(1), QStringLiteral("Movie"));
    EXPECT_TRUE(d.fieldEditing);
    d.fieldNames[0] = QStringLiteral("Feature");
    ASSERT_TRUE(d.saveForTable(table()));
    const QByteArray bytes = readFile(ini);
    EXPECT_TRUE(bytes.startsWith("; my notes\r\n[field names]\r\nTITLE=Feature\r\nStar1=Star 1\r\n"));
    EXPECT_TRUE(bytes.contains(
        "[My Own Section]\r\nAnything=kept\r\n[grid options]\r\nfield editing=Yes\r\nCustom=1\r\n"));
    EXPECT_EQ(bytes.count("[Field Names]"), 0);
    EXPECT_EQ(bytes.count("Field Editing"), 0);
}

TEST_F(SettingsTest, LongAndGarbageValues) {
    const QString ini = dir.filePath(QStringLiteral("MASTER.INI"));
    ASSERT_TRUE(writeFile(ini, "[Field Names]\r\nTitle=A name much longer than twenty\r\n"
                               "[Field Width]\r\nTitle=wide\r\n"
                               "[Reports]\r\nLabel Item 13=ABCDEFGHIJKLMNOPQRST\r\nDefault Printer=Nope\r\n"
                               "[Grid Font]\r\nSize=\r\n"));
    DatabaseSettings d;
    ASSERT_TRUE(d.loadForTable(table(), ProgramPaths::programSettingsFile()));
    EXPECT_EQ(d.displayName(1), QStringLiteral("A name much longer t"));
    EXPECT_EQ(d.fieldWidth[0], 0);
    EXPECT_EQ(d.labelItems[8 + 3], QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_FALSE(d.defaultPrinter);
    EXPECT_EQ(d.gridFont.size, 0);
}

TEST_F(SettingsTest, UnwritableSettingsFileIsReported) {
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    ASSERT_TRUE(writeFile(blocked, "not a folder"));
    QString error;
    EXPECT_FALSE(DatabaseSettings().saveForTable(blocked + QStringLiteral("/MASTER.DBF"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Not a directory"))) << error.toStdString();
    EXPECT_FALSE(changedProgramSettings().save(&error, blocked + QStringLiteral("/QLNVID.INI")));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
