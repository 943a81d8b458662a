// The data lists on real files: reading rules, the fall-back to the default lists, adding typed
// values, program-wide lists and safe writing.
#include "base/paths.h"
#include "base/programfiles.h"
#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"
#include "common/files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class DataListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("prog"));
        QDir(dir.path()).mkpath(QStringLiteral("db"));
        qputenv("QUILLON_HOME", QFile::encodeName(dir.filePath(QStringLiteral("prog"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        tablePath = dir.filePath(QStringLiteral("db/MASTER.DBF"));
    }
    QString db(const QString& name) { return dir.filePath(QStringLiteral("db/") + name); }
    QString prog(const QString& name) { return dir.filePath(QStringLiteral("prog/") + name); }
    QTemporaryDir dir;
    QString tablePath;
};

TEST(DataListsInfo, TheSeventeenLists) {
    EXPECT_STREQ(DataLists::info(1).name, "Producer");
    EXPECT_STREQ(DataLists::info(1).defaultFile, "PRODUCER.LST");
    EXPECT_STREQ(DataLists::info(2).defaultFile, "STAR.LST");
    EXPECT_EQ(DataLists::info(14).extension, nullptr);
    EXPECT_STREQ(DataLists::info(14).name, "Oscar Names");
    EXPECT_EQ(DataLists::info(14).longest, 110);
    EXPECT_STREQ(DataLists::info(16).name, "Where Purchase");
    EXPECT_STREQ(DataLists::info(16).menuCaption, "&Where Purchased");
    EXPECT_STREQ(DataLists::info(17).defaultFile, "MISC.LST");
    EXPECT_FALSE(DataLists::isDatabaseList(14));
    EXPECT_FALSE(DataLists::isDatabaseList(17));
    EXPECT_TRUE(DataLists::isDatabaseList(16));
    EXPECT_EQ(DataLists::databaseListOrder().front(), 1);
    EXPECT_EQ(DataLists::databaseListOrder()[1], 3);
    EXPECT_EQ(DataLists::databaseListOrder()[2], 2);
    EXPECT_EQ(DataLists::listForSlot(Slot::Star4), DataLists::Stars);
    EXPECT_EQ(DataLists::listForSlot(Slot::OscarNomination), DataLists::OscarNames);
    EXPECT_EQ(DataLists::listForSlot(Slot::Miscellaneous), DataLists::Miscellaneous);
    EXPECT_EQ(DataLists::listForSlot(Slot::Title), 0);
    // Every field with the list flag has a list, except the two Yes/No flags.
    for (int slot = 1; slot <= FieldCount; ++slot) {
        if (slot == Slot::CheckOut || slot == Slot::Viewed) continue;
        EXPECT_EQ(DataLists::listForSlot(slot) != 0, fieldSlot(slot).listFlag == 1) << slot;
    }
}

TEST_F(DataListsTest, ListFilePathsBesideTheTableAndInTheProgramFolder) {
    EXPECT_EQ(DataLists::listFilePath(tablePath, 1), db(QStringLiteral("MASTER.001")));
    EXPECT_EQ(DataLists::listFilePath(tablePath, 16), db(QStringLiteral("MASTER.016")));
    EXPECT_TRUE(DataLists::listFilePath(tablePath, 14).isEmpty());
    EXPECT_EQ(DataLists::defaultListPath(3), prog(QStringLiteral("DIRECT.LST")));
    EXPECT_EQ(DataLists::programListPath(14), prog(QStringLiteral("OSCAR.LST")));
    ASSERT_TRUE(writeFile(db(QStringLiteral("master.005")), "G\r\n"));
    EXPECT_EQ(DataLists::listFilePath(tablePath, 5), db(QStringLiteral("master.005")));
}

TEST_F(DataListsTest, ReadingRules) {
    const QByteArray longLine(300, 'L');
    ASSERT_TRUE(
        writeFile(db(QStringLiteral("x.lst")), "First\r\n\r\n   \r\n  Leading\r\nTrailing  \r\n\t\r\n" +
                                                   longLine + "\r\nLF only\nCaf\xe9 \x80\nlast without end"));
    const QStringList values = DataLists::readListFile(db(QStringLiteral("x.lst")));
    ASSERT_EQ(values.size(), 7);
    EXPECT_EQ(values[0], QStringLiteral("First"));
    EXPECT_EQ(values[1], QStringLiteral("  Leading"));
    EXPECT_EQ(values[2], QStringLiteral("Trailing  "));
    EXPECT_EQ(values[3], QString(255, QLatin1Char('L')));
    EXPECT_EQ(values[4], QStringLiteral("LF only"));
    EXPECT_EQ(values[5], QStringLiteral("Caf\u00e9 \u20ac"));
    EXPECT_EQ(values[6], QStringLiteral("last without end"));
    EXPECT_TRUE(DataLists::readListFile(db(QStringLiteral("missing.lst"))).isEmpty());
}

TEST_F(DataListsTest, WritingUsesCrLfAndWindows1252) {
    ASSERT_TRUE(DataLists::writeListFile(
        db(QStringLiteral("y.lst")),
        {QStringLiteral(" a "), QStringLiteral("\u00e9\u20ac"), QStringLiteral("b")}));
    EXPECT_EQ(readFile(db(QStringLiteral("y.lst"))), QByteArray(" a \r\n\xe9\x80\r\nb\r\n"));
    ASSERT_TRUE(DataLists::writeListFile(db(QStringLiteral("y.lst")), {}));
    EXPECT_EQ(readFile(db(QStringLiteral("y.lst"))), QByteArray());
}

TEST_F(DataListsTest, OnlyProducerAndStarFilesGiveTheDefaults) {
    ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER.001")), "Own Producer\r\n"));
    ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER.002")), "Own Star\r\n"));
    ASSERT_TRUE(writeFile(prog(QStringLiteral("PRODUCER.LST")), "Default Producer\r\n"));
    ASSERT_TRUE(writeFile(prog(QStringLiteral("STAR.LST")), "Default Star\r\n"));
    ASSERT_TRUE(writeFile(prog(QStringLiteral("FORMAT.LST")), "VHS\r\nBeta\r\n"));
    DataLists lists;
    ASSERT_TRUE(lists.loadAllLists(tablePath));
    EXPECT_EQ(lists.list(DataLists::Producer), QStringList{QStringLiteral("Default Producer")});
    EXPECT_EQ(lists.list(DataLists::Stars), QStringList{QStringLiteral("Default Star")});
    EXPECT_EQ(lists.list(DataLists::Format), (QStringList{QStringLiteral("VHS"), QStringLiteral("Beta")}));
    EXPECT_TRUE(lists.list(DataLists::Director).isEmpty()); // no default file
}

TEST_F(DataListsTest, FormatFileWithoutProducerFileGivesAnEmptyProducerList) {
    ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER.009")), "Laser\r\n"));
    ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER.003")), "Own Director\r\n"));
    ASSERT_TRUE(writeFile(prog(QStringLiteral("PRODUCER.LST")), "Default Producer\r\n"));
    DataLists lists;
    lists.setList(DataLists::Producer, {QStringLiteral("stale")});
    ASSERT_TRUE(lists.loadAllLists(tablePath));
    EXPECT_TRUE(lists.list(DataLists::Producer).isEmpty());
    EXPECT_EQ(lists.list(DataLists::Director), QStringList{QStringLiteral("Own Director")});
    EXPECT_EQ(lists.list(DataLists::Format), QStringList{QStringLiteral("Laser")});
}

TEST_F(DataListsTest, AnyOfTheFourMarkerFilesMeansOwnLists) {
    for (const char* ext : {".007", ".008", ".010", ".009"}) {
        QDir(db(QString())).removeRecursively();
        QDir().mkpath(db(QString()));
        ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER") + QLatin1String(ext)), "x\r\n"));
        ASSERT_TRUE(writeFile(prog(QStringLiteral("PRODUCER.LST")), "Default Producer\r\n"));
        DataLists lists;
        ASSERT_TRUE(lists.loadAllLists(tablePath));
        EXPECT_TRUE(lists.list(DataLists::Producer).isEmpty()) << ext;
    }
}

TEST_F(DataListsTest, SaveAllWritesFifteenFilesAndLoadsBack) {
    DataLists lists;
    for (int number : DataLists::databaseListOrder())
        lists.setList(number, {QStringLiteral("v%1").arg(number), QStringLiteral("w%1").arg(number)});
    QString error;
    ASSERT_TRUE(lists.saveAllLists(tablePath, &error)) << error.toStdString();
    const QStringList files = QDir(db(QString())).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 15);
    EXPECT_FALSE(files.contains(QStringLiteral("MASTER.014")));
    EXPECT_EQ(readFile(db(QStringLiteral("MASTER.002"))), QByteArray("v2\r\nw2\r\n"));
    DataLists back;
    ASSERT_TRUE(back.loadAllLists(tablePath));
    for (int number : DataLists::databaseListOrder())
        EXPECT_EQ(back.list(number), lists.list(number)) << number;
}

TEST_F(DataListsTest, DefaultListsSaveAndLoadWithoutTouchingTheDatabaseFiles) {
    DataLists lists;
    lists.setList(DataLists::Rating, {QStringLiteral("PG")});
    ASSERT_TRUE(lists.saveAllLists(tablePath));
    lists.setList(DataLists::Rating, {QStringLiteral("R")});
    ASSERT_TRUE(lists.saveDefaultLists());
    EXPECT_EQ(readFile(prog(QStringLiteral("RATING.LST"))), QByteArray("R\r\n"));
    lists.setList(DataLists::Rating, {});
    ASSERT_TRUE(lists.loadDefaultLists());
    EXPECT_EQ(lists.list(DataLists::Rating), QStringList{QStringLiteral("R")});
    EXPECT_EQ(readFile(db(QStringLiteral("MASTER.005"))), QByteArray("PG\r\n"));
}

TEST_F(DataListsTest, AddToListTrimsAndComparesExactly) {
    DataLists lists;
    QSignalSpy spy(&lists, &DataLists::listChanged);
    EXPECT_TRUE(lists.addToList(DataLists::Producer, QStringLiteral(" Ridley Scott ")));
    EXPECT_FALSE(lists.addToList(DataLists::Producer, QStringLiteral("Ridley Scott")));
    EXPECT_TRUE(lists.addToList(DataLists::Producer, QStringLiteral("ridley scott")));
    EXPECT_FALSE(lists.addToList(DataLists::Producer, QStringLiteral("   ")));
    EXPECT_FALSE(lists.addToList(DataLists::Producer, QString()));
    EXPECT_EQ(lists.list(DataLists::Producer),
              (QStringList{QStringLiteral("Ridley Scott"), QStringLiteral("ridley scott")}));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), int(DataLists::Producer));
    EXPECT_TRUE(lists.addToStarList(QStringLiteral("\tStar ")));
    EXPECT_FALSE(lists.addToStarList(QStringLiteral("Star")));
    EXPECT_EQ(lists.list(DataLists::Stars), QStringList{QStringLiteral("Star")});
    EXPECT_FALSE(lists.addToList(DataLists::OscarNames, QStringLiteral("x"))); // program-wide file only
    EXPECT_TRUE(lists.addToList(DataLists::Rating, QString(300, QLatin1Char('r'))));
    EXPECT_EQ(lists.list(DataLists::Rating).front().size(), 255);
}

TEST_F(DataListsTest, ProgramWideListsAreFilesOfTheProgramFolder) {
    DataLists lists;
    EXPECT_TRUE(lists.programList(DataLists::OscarNames).isEmpty());
    QSignalSpy spy(&lists, &DataLists::listChanged);
    ASSERT_TRUE(lists.saveProgramList(DataLists::OscarNames,
                                      {QStringLiteral("Best Picture"), QStringLiteral("Best Picture")}));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(readFile(prog(QStringLiteral("OSCAR.LST"))), QByteArray("Best Picture\r\nBest Picture\r\n"));
    ASSERT_TRUE(writeFile(prog(QStringLiteral("MISC.LST")), "Widescreen\r\n\r\nSubtitled\r\n"));
    EXPECT_EQ(lists.programList(DataLists::Miscellaneous),
              (QStringList{QStringLiteral("Widescreen"), QStringLiteral("Subtitled")}));
    EXPECT_TRUE(lists.programList(DataLists::Producer).isEmpty());
}

TEST_F(DataListsTest, FailedSaveKeepsOldFilesAndLists) {
    DataLists lists;
    lists.setList(DataLists::Producer, {QStringLiteral("Old")});
    ASSERT_TRUE(lists.saveAllLists(tablePath));
    lists.setList(DataLists::Producer, {QString(200, QLatin1Char('N'))});
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    QString error;
    const bool ok = lists.saveAllLists(tablePath, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(QStringLiteral("MASTER.001"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("File too large"))) << error.toStdString();
    EXPECT_EQ(readFile(db(QStringLiteral("MASTER.001"))), QByteArray("Old\r\n"));
    EXPECT_EQ(lists.list(DataLists::Producer).front().size(), 200);
    EXPECT_EQ(QDir(db(QString())).entryList(QDir::Files | QDir::Hidden).size(), 15); // no temporaries
}

TEST_F(DataListsTest, SaveIntoAMissingFolderIsReported) {
    DataLists lists;
    QString error;
    EXPECT_FALSE(lists.saveAllLists(dir.filePath(QStringLiteral("gone/MASTER.DBF")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("No such file or directory"))) << error.toStdString();
}

// The lists shipped with the program, from the share folder and from the copies built into the
// program alike: they arrive where the program folder lacks them and fit their fields.
TEST_F(DataListsTest, ShippedListsFillOnlyWhatTheProgramFolderLacks) {
    const QString program = dir.filePath(QStringLiteral("prog"));
    const QString fromShare = ProgramFiles::shareFolder();
    ASSERT_NE(fromShare, QString::fromLatin1(ProgramFiles::BuiltInShare)) << "run from the build folder";
    for (const QString& share : {fromShare, QString::fromLatin1(ProgramFiles::BuiltInShare)}) {
        SCOPED_TRACE(share.toStdString());
        QDir(program).removeRecursively();
        QDir().mkpath(program);
        ASSERT_TRUE(writeFile(prog(QStringLiteral("Oscar.lst")), "My Own Award\r\n"));
        const ProgramFiles::Provided provided = ProgramFiles::provideMissing(share, program);
        EXPECT_TRUE(provided.problems.isEmpty()) << provided.problems.join("; ").toStdString();
        const QStringList lists = provided.copied.filter(QRegularExpression(QStringLiteral("\\.LST$")));
        EXPECT_EQ(lists.size(), DataLists::ListCount - 1);
        EXPECT_EQ(readFile(prog(QStringLiteral("Oscar.lst"))), QByteArray("My Own Award\r\n"));
        EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("OSCAR.LST"))));
        const QStringList formats = DataLists::readListFile(prog(QStringLiteral("FORMAT.LST")));
        for (const char* format : {"VHS", "Beta", "LaserDisc", "DVD", "Blu-ray"})
            EXPECT_TRUE(formats.contains(QLatin1String(format))) << format;
        EXPECT_TRUE(readFile(prog(QStringLiteral("MISC.LST"))).endsWith("\r\n"));
        EXPECT_TRUE(readFile(prog(QStringLiteral("STAR.LST"))).isEmpty());
        // Every shipped value fits its field and the list editor; both sources ship the same.
        for (int number = 1; number <= DataLists::ListCount; ++number) {
            const QString name = QLatin1String(DataLists::info(number).defaultFile);
            if (number == DataLists::OscarNames) continue;
            const QByteArray bytes = readFile(prog(name));
            EXPECT_EQ(bytes, readFile(fromShare + QStringLiteral("/lists/") + name)) << number;
            EXPECT_FALSE(bytes.contains("\n") && !bytes.contains("\r\n")) << number;
            for (const QString& value : DataLists::parseListBytes(bytes))
                EXPECT_LE(value.size(), DataLists::info(number).longest) << value.toStdString();
        }
        // A second start finds them all and writes nothing.
        EXPECT_TRUE(ProgramFiles::provideMissing(share, program).copied.isEmpty());
    }
}

// A list file that exists but cannot be read: a folder or a named pipe in its place. The load
// names it and still loads the other lists; saving passes it by, so the user's list survives.
struct UnreadableCase {
    const char* what;
    bool (*make)(const QString& path);
};
const UnreadableCase kUnreadable[] = {
    {"folder", [](const QString& path) { return QDir().mkpath(path); }},
    {"named pipe",
     [](const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0; }},
};

TEST_F(DataListsTest, UnreadableListFileIsReportedAndNeverWrittenOver) {
    for (const UnreadableCase& c : kUnreadable) {
        SCOPED_TRACE(c.what);
        QDir(db(QString())).removeRecursively();
        QDir().mkpath(db(QString()));
        ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER.009")), "VHS\r\n"));
        ASSERT_TRUE(writeFile(db(QStringLiteral("MASTER.003")), "Hitch\r\n"));
        const QString stars = db(QStringLiteral("MASTER.002"));
        ASSERT_TRUE(c.make(stars));
        DataLists lists;
        lists.setList(DataLists::Stars, {QStringLiteral("stale")});
        QString error;
        EXPECT_FALSE(lists.loadAllLists(tablePath, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("MASTER.002"))) << error.toStdString();
        EXPECT_TRUE(lists.list(DataLists::Stars).isEmpty());
        EXPECT_EQ(lists.list(DataLists::Format), QStringList{QStringLiteral("VHS")});
        EXPECT_EQ(lists.list(DataLists::Director), QStringList{QStringLiteral("Hitch")});
        EXPECT_TRUE(lists.isUnreadable(stars));

        // The next save (a switch, the end of the program) writes every other list.
        lists.addToList(DataLists::Stars, QStringLiteral("Typed"));
        lists.addToList(DataLists::Director, QStringLiteral("Lang"));
        EXPECT_TRUE(lists.saveAllLists(tablePath, &error)) << error.toStdString();
        const QFileInfo after(stars);
        EXPECT_FALSE(after.isFile());
        EXPECT_TRUE(after.exists());
        EXPECT_EQ(readFile(db(QStringLiteral("MASTER.003"))), QByteArray("Hitch\r\nLang\r\n"));
    }
}

TEST_F(DataListsTest, UnreadableProgramWideListIsNotWrittenOver) {
    const QString oscar = prog(QStringLiteral("OSCAR.LST"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(oscar).constData(), 0644), 0);
    DataLists lists;
    EXPECT_TRUE(lists.programList(DataLists::OscarNames).isEmpty());
    QString error;
    EXPECT_FALSE(lists.saveProgramList(DataLists::OscarNames, {QStringLiteral("Best Picture")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("OSCAR.LST"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo(oscar).isFile());
}

} // namespace
