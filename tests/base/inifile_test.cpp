// The settings-file reader and writer on real files.
#include "base/inifile.h"
#include "base/textfile.h"
#include "common/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lowers the file size limit of the process for its lifetime, so writes fail like on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("TEST.INI"));
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(IniFileTest, FindsSectionsAndKeysIgnoringCase) {
    ASSERT_TRUE(writeFile(path, "[Misc]\r\nButton Bar=2\r\nLAST DATABASE=/x/Y.DBF\r\n"));
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readInt(QStringLiteral("MISC"), QStringLiteral("button bar"), 1), 2);
    EXPECT_EQ(ini.readString(QStringLiteral("misc"), QStringLiteral("Last Database"), QString()),
              QStringLiteral("/x/Y.DBF"));
    EXPECT_TRUE(ini.hasSection(QStringLiteral("mIsC")));
    EXPECT_FALSE(ini.hasSection(QStringLiteral("Label")));
}

TEST_F(IniFileTest, MissingFileAndMissingKeysGiveDefaults) {
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.readInt(QStringLiteral("Misc"), QStringLiteral("Window Size"), 640), 640);
    EXPECT_TRUE(ini.readBool(QStringLiteral("Misc"), QStringLiteral("Show Tips"), true));
    EXPECT_DOUBLE_EQ(ini.readReal(QStringLiteral("Label"), QStringLiteral("Face Width"), 3.06), 3.06);
    EXPECT_EQ(ini.readString(QStringLiteral("Misc"), QStringLiteral("Last File 1"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST_F(IniFileTest, GarbageValuesReadAsZeroOrFalse) {
    ASSERT_TRUE(
        writeFile(path, "[Misc]\nA=abc\nB=12abc\nC=\nD=Maybe\nE=yEs\nF=1.5x\nG=99999999999\nH= -42 \n"));
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    const QString s = QStringLiteral("Misc");
    EXPECT_EQ(ini.readInt(s, QStringLiteral("A"), 7), 0);
    EXPECT_EQ(ini.readInt(s, QStringLiteral("B"), 7), 0);
    EXPECT_EQ(ini.readInt(s, QStringLiteral("C"), 7), 0);
    EXPECT_EQ(ini.readInt(s, QStringLiteral("G"), 7), 0);
    EXPECT_EQ(ini.readInt(s, QStringLiteral("H"), 7), -42);
    EXPECT_FALSE(ini.readBool(s, QStringLiteral("D"), true));
    EXPECT_TRUE(ini.readBool(s, QStringLiteral("E"), false));
    EXPECT_DOUBLE_EQ(ini.readReal(s, QStringLiteral("F"), 2.0), 0.0);
    EXPECT_DOUBLE_EQ(ini.readReal(s, QStringLiteral("A"), 2.0), 0.0);
}

TEST_F(IniFileTest, BuffersCutLongValues) {
    const QString longValue(300, QLatin1Char('x'));
    IniFile ini(path);
    ini.writeString(QStringLiteral("S"), QStringLiteral("K"), longValue);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("K"), {}, IniFile::NumberBuffer).size(), 14);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("K"), {}, IniFile::NameBuffer).size(), 149);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("K"), {}, IniFile::PathBuffer).size(), 249);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("K"), {}, IniFile::Unlimited), longValue);
    // A number longer than its buffer is read from the first 14 characters.
    ini.writeString(QStringLiteral("S"), QStringLiteral("N"), QStringLiteral("1234567890123456"));
    EXPECT_EQ(ini.readInt(QStringLiteral("S"), QStringLiteral("N"), 5), 0); // out of range
    ini.writeString(QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("Yes           trailing"));
    EXPECT_FALSE(ini.readBool(QStringLiteral("S"), QStringLiteral("B"), true));
}

TEST_F(IniFileTest, WritingKeepsEveryOtherLineByteForByte) {
    const QByteArray original = "; a comment\r\n"
                                "[Unknown]\r\n"
                                "Whatever = keep  me \r\n"
                                "\r\n"
                                "[Misc]\n"
                                "Button Bar = 1\n"
                                "Other=x\n"
                                "\n"
                                "[Tail]\r\n"
                                "Z=1";
    ASSERT_TRUE(writeFile(path, original));
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ini.writeInt(QStringLiteral("misc"), QStringLiteral("BUTTON BAR"), 3);
    ini.writeString(QStringLiteral("Misc"), QStringLiteral("New Key"), QStringLiteral("v"));
    ini.writeString(QStringLiteral("Fresh"), QStringLiteral("K"), QStringLiteral("w"));
    ASSERT_TRUE(ini.save()) << ini.errorString().toStdString();
    const QByteArray expected = "; a comment\r\n"
                                "[Unknown]\r\n"
                                "Whatever = keep  me \r\n"
                                "\r\n"
                                "[Misc]\n"
                                "Button Bar=3\n"
                                "Other=x\n"
                                "New Key=v\r\n"
                                "\n"
                                "[Tail]\r\n"
                                "Z=1\r\n"
                                "[Fresh]\r\n"
                                "K=w\r\n";
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(IniFileTest, WritingAnUnchangedValueKeepsTheLine) {
    ASSERT_TRUE(writeFile(path, "[Misc]\r\nWindow Size =  800\r\nShow Tips=YES\r\n"));
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ini.writeInt(QStringLiteral("Misc"), QStringLiteral("Window Size"), 800);
    ini.writeString(QStringLiteral("Misc"), QStringLiteral("Show Tips"), QStringLiteral("YES"));
    EXPECT_FALSE(ini.isModified());
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(path), QByteArray("[Misc]\r\nWindow Size =  800\r\nShow Tips=YES\r\n"));
}

TEST_F(IniFileTest, BooleansRealsAndIntegersAsWritten) {
    IniFile ini(path);
    ini.writeBool(QStringLiteral("S"), QStringLiteral("On"), true);
    ini.writeBool(QStringLiteral("S"), QStringLiteral("Off"), false);
    ini.writeReal(QStringLiteral("S"), QStringLiteral("Real"), 1.8125);
    ini.writeReal(QStringLiteral("S"), QStringLiteral("Round"), 0.656249);
    ini.writeReal(QStringLiteral("S"), QStringLiteral("Zero"), -0.00001);
    ini.writeInt(QStringLiteral("S"), QStringLiteral("Int"), -12);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(path), QByteArray("[S]\r\nOn=Yes\r\nOff=No\r\nReal=1.8125\r\nRound=0.6562\r\n"
                                         "Zero=0.0000\r\nInt=-12\r\n"));
    IniFile back = IniFile::fromFile(path);
    EXPECT_TRUE(back.readBool(QStringLiteral("S"), QStringLiteral("On"), false));
    EXPECT_FALSE(back.readBool(QStringLiteral("S"), QStringLiteral("Off"), true));
    EXPECT_DOUBLE_EQ(back.readReal(QStringLiteral("S"), QStringLiteral("Real"), 0), 1.8125);
    EXPECT_EQ(back.readInt(QStringLiteral("S"), QStringLiteral("Int"), 0), -12);
}

TEST_F(IniFileTest, TextRoundTripsInWindows1252) {
    IniFile ini(path);
    const QString name = QStringLiteral("Caf\u00e9 \u20ac \u2019s");
    ini.writeString(QStringLiteral("Field Names"), QStringLiteral("Title"), name);
    ini.writeString(QStringLiteral("Field Names"), QStringLiteral("Star1"), QStringLiteral("  padded "));
    ini.writeString(QStringLiteral("Field Names"), QStringLiteral("Star2"), QStringLiteral("\"quoted\""));
    ASSERT_TRUE(ini.save());
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.contains("Title=Caf\xe9 \x80 \x92s\r\n"));
    IniFile back = IniFile::fromFile(path);
    EXPECT_EQ(back.readString(QStringLiteral("field names"), QStringLiteral("title"), {}), name);
    EXPECT_EQ(back.readString(QStringLiteral("Field Names"), QStringLiteral("Star1"), {}),
              QStringLiteral("  padded "));
    EXPECT_EQ(back.readString(QStringLiteral("Field Names"), QStringLiteral("Star2"), {}),
              QStringLiteral("\"quoted\""));
}

// File names in any script survive: a value Windows-1252 cannot hold is written in UTF-8.
TEST_F(IniFileTest, ValuesOutsideWindows1252AreKeptInUtf8) {
    IniFile ini(path);
    const QString db = QStringLiteral("/home/\u7528\u6237/\u0424\u0438\u043b\u044c\u043c\u044b/MASTER.DBF");
    ini.writeString(QStringLiteral("Misc"), QStringLiteral("Last Database"), db);
    ini.writeString(QStringLiteral("Misc"), QStringLiteral("Latin"), QStringLiteral("Caf\u00e9"));
    ASSERT_TRUE(ini.save());
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.contains("Last Database=" + db.toUtf8() + "\r\n"));
    EXPECT_TRUE(bytes.contains("Latin=Caf\xe9\r\n"));
    IniFile back = IniFile::fromFile(path);
    EXPECT_EQ(back.readString(QStringLiteral("Misc"), QStringLiteral("Last Database"), {}), db);
    EXPECT_EQ(back.readString(QStringLiteral("Misc"), QStringLiteral("Latin"), {}),
              QStringLiteral("Caf\u00e9"));
    // Writing the same value again changes nothing.
    back.writeString(QStringLiteral("Misc"), QStringLiteral("Last Database"), db);
    EXPECT_FALSE(back.isModified());
    // A file edited in a UTF-8 editor reads as UTF-8.
    ASSERT_TRUE(writeFile(path, "[Field Names]\nTitle=Caf\xc3\xa9\n"));
    EXPECT_EQ(IniFile::fromFile(path).readString(QStringLiteral("Field Names"), QStringLiteral("Title"), {}),
              QStringLiteral("Caf\u00e9"));
}

TEST_F(IniFileTest, FirstOfRepeatedSectionsAndKeysWins) {
    ASSERT_TRUE(writeFile(path, "[A]\nk=1\nK=2\n[a]\nk=3\nx=4\n"));
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readInt(QStringLiteral("A"), QStringLiteral("K"), 0), 1);
    EXPECT_EQ(ini.readInt(QStringLiteral("A"), QStringLiteral("x"), 0), 0); // only the first [A]
    EXPECT_FALSE(ini.hasKey(QStringLiteral("A"), QStringLiteral("x")));
}

// A write that fails half way (here: the file size limit, as a full disk would) leaves the old
// file as it was and no temporary file behind.
TEST_F(IniFileTest, FailedWriteLeavesTheOldFileIntact) {
    ASSERT_TRUE(writeFile(path, "[Misc]\r\nButton Bar=1\r\n"));
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ini.writeInt(QStringLiteral("Misc"), QStringLiteral("Button Bar"), 2);
    ini.writeString(QStringLiteral("Misc"), QStringLiteral("Long"), QString(200, QLatin1Char('x')));
    bool saved = true;
    {
        FileSizeLimit limit(64);
        saved = ini.save();
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(ini.errorString().contains(QStringLiteral("File too large")))
        << ini.errorString().toStdString();
    EXPECT_TRUE(ini.errorString().contains(path));
    EXPECT_EQ(readFile(path), QByteArray("[Misc]\r\nButton Bar=1\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left
    // Once the disk takes it again, a later save succeeds.
    ASSERT_TRUE(ini.save());
    EXPECT_TRUE(readFile(path).startsWith("[Misc]\r\nButton Bar=2\r\nLong=xxx"));
}

TEST_F(IniFileTest, WriteIntoAMissingOrReadOnlyFolderFails) {
    IniFile ini(dir.filePath(QStringLiteral("no/such/folder/TEST.INI")));
    ASSERT_TRUE(ini.load());
    ini.writeInt(QStringLiteral("Misc"), QStringLiteral("Button Bar"), 2);
    EXPECT_FALSE(ini.save());
    EXPECT_TRUE(ini.errorString().contains(QStringLiteral("No such file or directory")));
    if (::geteuid() == 0) return; // permissions do not bind the superuser
    ASSERT_TRUE(writeFile(path, "[Misc]\r\nButton Bar=1\r\n"));
    IniFile other(path);
    ASSERT_TRUE(other.load());
    other.writeInt(QStringLiteral("Misc"), QStringLiteral("Button Bar"), 2);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    const bool saved = other.save();
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(other.errorString().contains(QStringLiteral("Permission denied")));
    EXPECT_EQ(readFile(path), QByteArray("[Misc]\r\nButton Bar=1\r\n"));
}

TEST_F(IniFileTest, UnreadableFileIsNeverOverwritten) {
    // A folder where the file should be cannot be read as a settings file.
    const QString folder = dir.filePath(QStringLiteral("FOLDER.INI"));
    ASSERT_TRUE(QDir().mkpath(folder));
    IniFile blocked(folder);
    EXPECT_FALSE(blocked.load());
    EXPECT_TRUE(blocked.errorString().contains(QStringLiteral("Is a directory")))
        << blocked.errorString().toStdString();
    blocked.writeInt(QStringLiteral("Misc"), QStringLiteral("Button Bar"), 2);
    EXPECT_FALSE(blocked.save());
    EXPECT_TRUE(QFileInfo(folder).isDir());

    if (::geteuid() == 0) return; // permissions do not bind the superuser
    ASSERT_TRUE(writeFile(path, "[Misc]\r\nButton Bar=1\r\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0200), 0);
    IniFile ini(path);
    EXPECT_FALSE(ini.load());
    EXPECT_FALSE(ini.errorString().isEmpty());
    ini.writeInt(QStringLiteral("Misc"), QStringLiteral("Button Bar"), 2);
    EXPECT_FALSE(ini.save());
    ::chmod(QFile::encodeName(path).constData(), 0644);
    EXPECT_EQ(readFile(path), QByteArray("[Misc]\r\nButton Bar=1\r\n"));
}

TEST_F(IniFileTest, SaveKeepsTheFileModeAndFollowsALink) {
    ASSERT_TRUE(writeFile(path, "[A]\r\nk=1\r\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("LINK.INI"));
    ASSERT_TRUE(QFile::link(path, link));
    IniFile ini(link);
    ASSERT_TRUE(ini.load());
    ini.writeInt(QStringLiteral("A"), QStringLiteral("k"), 2);
    ASSERT_TRUE(ini.save());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(path), QByteArray("[A]\r\nk=2\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

} // namespace
