// Program folders from the environment, and the companion files of a table.
#include "base/paths.h"
#include "catalogue/fieldslots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
        qunsetenv("QUILLON_HOME");
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }
    QTemporaryDir dir;
};

TEST_F(PathsTest, DefaultsUnderTheHomeFolderAreCreated) {
    const QString home = dir.filePath(QStringLiteral("home"));
    EXPECT_EQ(ProgramPaths::programFolder(), home + QStringLiteral("/.local/share/quillon-videos"));
    EXPECT_EQ(ProgramPaths::settingsFolder(), home + QStringLiteral("/.config/quillon-videos"));
    EXPECT_TRUE(QFileInfo(ProgramPaths::programFolder()).isDir());
    EXPECT_TRUE(QFileInfo(ProgramPaths::settingsFolder()).isDir());
    EXPECT_EQ(ProgramPaths::programSettingsFile(),
              home + QStringLiteral("/.config/quillon-videos/QLNVID.INI"));
    EXPECT_EQ(ProgramPaths::masterTable(), home + QStringLiteral("/.local/share/quillon-videos/MASTER.DBF"));
}

TEST_F(PathsTest, EnvironmentChoosesTheFolders) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    EXPECT_EQ(ProgramPaths::programFolder(), dir.filePath(QStringLiteral("data/quillon-videos")));
    EXPECT_EQ(ProgramPaths::settingsFolder(), dir.filePath(QStringLiteral("config/quillon-videos")));
    qputenv("QUILLON_HOME", QFile::encodeName(dir.filePath(QStringLiteral("prog"))));
    EXPECT_EQ(ProgramPaths::programFolder(), dir.filePath(QStringLiteral("prog")));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("prog"))).isDir());
}

TEST_F(PathsTest, ProgramFilesAreFoundIgnoringCase) {
    qputenv("QUILLON_HOME", QFile::encodeName(dir.filePath(QStringLiteral("prog"))));
    const QString folder = ProgramPaths::programFolder();
    EXPECT_EQ(ProgramPaths::programFile(QStringLiteral("OSCAR.LST")), folder + QStringLiteral("/OSCAR.LST"));
    touch(folder + QStringLiteral("/oscar.lst"));
    EXPECT_EQ(ProgramPaths::programFile(QStringLiteral("OSCAR.LST")), folder + QStringLiteral("/oscar.lst"));
    touch(folder + QStringLiteral("/master.dbf"));
    EXPECT_EQ(ProgramPaths::masterTable(), folder + QStringLiteral("/master.dbf"));
}

TEST_F(PathsTest, CompanionsTakeTheCaseOfTheTableExtension) {
    const QString folder = dir.path();
    EXPECT_EQ(TablePaths::settingsPath(folder + QStringLiteral("/MASTER.DBF")),
              folder + QStringLiteral("/MASTER.INI"));
    EXPECT_EQ(TablePaths::settingsPath(folder + QStringLiteral("/Video.dbf")),
              folder + QStringLiteral("/Video.ini"));
    EXPECT_EQ(TablePaths::indexPath(folder + QStringLiteral("/Video.Dbf")),
              folder + QStringLiteral("/Video.MDX"));
    EXPECT_EQ(TablePaths::listPath(folder + QStringLiteral("/MASTER.DBF"), 1),
              folder + QStringLiteral("/MASTER.001"));
    EXPECT_EQ(TablePaths::listPath(folder + QStringLiteral("/a.dbf"), 16), folder + QStringLiteral("/a.016"));
    EXPECT_EQ(TablePaths::companionPath(folder + QStringLiteral("/a.dbf"), u"MDX"),
              folder + QStringLiteral("/a.mdx"));
}

TEST_F(PathsTest, ExistingCompanionsAreFoundIgnoringCase) {
    const QString folder = dir.path();
    touch(folder + QStringLiteral("/master.ini"));
    touch(folder + QStringLiteral("/Master.Mdx"));
    EXPECT_EQ(TablePaths::settingsPath(folder + QStringLiteral("/MASTER.DBF")),
              folder + QStringLiteral("/master.ini"));
    EXPECT_EQ(TablePaths::indexPath(folder + QStringLiteral("/MASTER.DBF")),
              folder + QStringLiteral("/Master.Mdx"));
    touch(folder + QStringLiteral("/MASTER.INI")); // an exact match wins
    EXPECT_EQ(TablePaths::settingsPath(folder + QStringLiteral("/MASTER.DBF")),
              folder + QStringLiteral("/MASTER.INI"));
}

TEST_F(PathsTest, BaseNameEndsAtTheFirstDot) {
    EXPECT_EQ(TablePaths::baseName(QStringLiteral("/x/MASTER.DBF")), QStringLiteral("MASTER"));
    EXPECT_EQ(TablePaths::baseName(QStringLiteral("/x/my.videos.dbf")), QStringLiteral("my"));
    EXPECT_EQ(TablePaths::basePath(QStringLiteral("/x/y/MASTER.DBF")), QStringLiteral("/x/y/MASTER"));
    EXPECT_EQ(TablePaths::settingsPath(dir.filePath(QStringLiteral("my.videos.dbf"))),
              dir.filePath(QStringLiteral("my.ini")));
}

TEST(FieldSlots, TableAndLookup) {
    EXPECT_STREQ(fieldSlot(1).name, "Title");
    EXPECT_STREQ(fieldSlot(40).name, "UserDef2");
    EXPECT_EQ(fieldSlot(Slot::PersonalRating).width, 15);
    EXPECT_STREQ(fieldSlot(Slot::PersonalRating).defaultTitle, "Personal Rating");
    EXPECT_EQ(fieldSlot(Slot::ListPrice).typeCode, TypeFloat);
    EXPECT_EQ(fieldSlot(Slot::CheckDate).letter, 'D');
    EXPECT_EQ(fieldSlot(Slot::Year).letter, 'N');
    EXPECT_EQ(slotByName(u"PERSONALRA"), Slot::PersonalRating);
    EXPECT_EQ(slotByName(u"userdef2"), 40);
    EXPECT_EQ(slotByName(u"Nope"), 0);
    int listFields = 0;
    for (int s = 1; s <= FieldCount; ++s) {
        EXPECT_LE(std::strlen(fieldSlot(s).name), 10u);
        EXPECT_LE(std::strlen(fieldSlot(s).defaultTitle), 20u);
        EXPECT_EQ(slotByName(QString::fromLatin1(fieldSlot(s).name)), s);
        listFields += fieldSlot(s).listFlag;
    }
    EXPECT_EQ(listFields, 25);
}

} // namespace
