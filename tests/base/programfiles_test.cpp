// The shipped program files: where the share folder is, and what a start copies into a program
// folder, through real folders.
#include "base/programfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/files.h"

namespace {

class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }
    // Writes a file, creating its folders.
    void put(const QString& rel, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(rel)).absolutePath());
        ASSERT_TRUE(writeFile(path(rel), bytes)) << rel.toStdString();
    }
    // Every file under a folder, relative to it, in name order.
    QStringList tree(const QString& rel) const {
        QStringList out;
        const QString root = path(rel);
        QDir d(root);
        for (const QString& f : d.entryList(QDir::Files, QDir::Name))
            out << f;
        for (const QString& sub : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            for (const QString& f : QDir(root + u'/' + sub).entryList(QDir::Files, QDir::Name))
                out << sub + u'/' + f;
        return out;
    }
    void shipDefaults() const {
        put("share/lists/OSCAR.LST", "Best Picture\r\n");
        put("share/lists/MISC.LST", "Widescreen\r\n");
        put("share/lists/README.md", "not a list");
        put("share/help/contents.html", "<html>contents</html>");
        put("share/help/viewer.html", "<html>viewer</html>");
        put("share/help/notes.txt", "not a page");
        put("share/icons/app.png", "png");
    }

    QTemporaryDir dir;
};

TEST_F(ProgramFilesTest, AFirstStartCopiesTheListsAndTheHelpPages) {
    shipDefaults();
    const auto provided = ProgramFiles::provideMissing(path("share"), path("home"));
    EXPECT_TRUE(provided.problems.isEmpty()) << provided.problems.join("; ").toStdString();
    EXPECT_EQ(tree("home"), QStringList({"MISC.LST", "OSCAR.LST", "help/contents.html", "help/viewer.html"}));
    EXPECT_EQ(provided.copied.size(), 4);
    EXPECT_EQ(readFile(path("home/OSCAR.LST")), QByteArray("Best Picture\r\n"));
    EXPECT_EQ(readFile(path("home/help/viewer.html")), QByteArray("<html>viewer</html>"));
    // A second start has nothing to copy.
    EXPECT_TRUE(ProgramFiles::provideMissing(path("share"), path("home")).copied.isEmpty());
}

// What the program folder already has, in any letter case, stays as the user left it; only the
// missing files arrive.
TEST_F(ProgramFilesTest, FilesAlreadyThereAreNeverReplaced) {
    struct Case {
        const char* existing;
        const char* expectedTree;
    };
    const Case cases[] = {
        {"OSCAR.LST", "MISC.LST OSCAR.LST help/contents.html help/viewer.html"},
        {"oscar.lst", "MISC.LST oscar.lst help/contents.html help/viewer.html"},
        {"help/VIEWER.HTML", "MISC.LST OSCAR.LST help/VIEWER.HTML help/contents.html"},
        {"Help/viewer.html", "MISC.LST OSCAR.LST Help/contents.html Help/viewer.html"},
    };
    shipDefaults();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.existing);
        QDir(path("home")).removeRecursively();
        put(QStringLiteral("home/") + c.existing, "mine");
        const auto provided = ProgramFiles::provideMissing(path("share"), path("home"));
        EXPECT_TRUE(provided.problems.isEmpty());
        EXPECT_EQ(tree("home").join(u' '), QString::fromLatin1(c.expectedTree));
        EXPECT_EQ(readFile(path(QStringLiteral("home/") + c.existing)), QByteArray("mine"));
        EXPECT_EQ(provided.copied.size(), 3);
    }
}

TEST_F(ProgramFilesTest, ACopyOfAReadOnlyShippedListCanBeEdited) {
    put("share/lists/OSCAR.LST", "Best Picture\r\n");
    ASSERT_TRUE(QFile::setPermissions(path("share/lists/OSCAR.LST"), QFile::ReadOwner | QFile::ReadOther));
    ProgramFiles::provideMissing(path("share"), path("home"));
    EXPECT_TRUE(QFile::permissions(path("home/OSCAR.LST")) & QFile::WriteOwner);
    QFile f(path("home/OSCAR.LST"));
    EXPECT_TRUE(f.open(QIODevice::Append));
}

TEST_F(ProgramFilesTest, NoShareFolderOrAnEmptyOneCopiesNothing) {
    for (const char* share : {"nowhere", "empty"}) {
        SCOPED_TRACE(share);
        QDir().mkpath(path("empty/help"));
        const auto provided = ProgramFiles::provideMissing(path(share), path("home"));
        EXPECT_TRUE(provided.copied.isEmpty());
        EXPECT_TRUE(provided.problems.isEmpty());
        EXPECT_TRUE(tree("home").isEmpty());
    }
}

TEST_F(ProgramFilesTest, AProgramFolderThatCannotBeWrittenIsReportedFileByFile) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    shipDefaults();
    QDir().mkpath(path("home/help"));
    ASSERT_TRUE(QFile::setPermissions(path("home"), QFile::ReadOwner | QFile::ExeOwner));
    const auto provided = ProgramFiles::provideMissing(path("share"), path("home"));
    QFile::setPermissions(path("home"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(provided.problems.size(), 2) << provided.problems.join("; ").toStdString();
    EXPECT_TRUE(provided.problems.first().startsWith(path("home/MISC.LST") + ": "));
    // The help folder was writable: its pages arrived.
    EXPECT_EQ(provided.copied, QStringList({path("home/help/contents.html"), path("home/help/viewer.html")}));
    EXPECT_EQ(tree("home"), QStringList({"help/contents.html", "help/viewer.html"}));
}

// The installed layout PREFIX/bin + PREFIX/share/quillon-videos, a program copied on its own, and
// a program run from the build folder.
TEST_F(ProgramFilesTest, TheShareFolderIsBesideTheProgramOrInTheSourceTree) {
    QDir().mkpath(path("usr/bin"));
    QDir().mkpath(path("usr/share/quillon-videos/help"));
    QDir().mkpath(path("opt/alone"));
    EXPECT_EQ(ProgramFiles::shareFolder(path("usr/bin")), path("usr/share/quillon-videos"));
    EXPECT_EQ(ProgramFiles::shareFolder(path("opt/alone")), QString());
    // This test program runs from the build folder: the source tree's resources are its files.
    const QString source = qEnvironmentVariable("QUILLON_SOURCE_DIR");
    if (!source.isEmpty()) {
        EXPECT_EQ(ProgramFiles::shareFolder(), QDir::cleanPath(source + "/resources"));
        EXPECT_TRUE(QFileInfo::exists(ProgramFiles::shareFolder() + "/help/contents.html"));
    }
}

} // namespace
