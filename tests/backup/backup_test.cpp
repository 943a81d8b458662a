// Backup and restore through real files, a real session and other processes: each kind copied
// out and back byte for byte, the refusals, the list restore warnings, a restored table opened
// with its index rebuilt, and a disk that fills during a copy.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backup/backuprun.h"
#include "backup/filecopy.h"
#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/session.h"
#include "catalogue/sortorder.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "common/sessioncatalogue.h"

using namespace backup;

namespace {

QByteArray bytesOfSize(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 251) & 0xFF);
    return b;
}

// The records of a table, in its active order: title and year.
QStringList titles(dbase::Table& t) {
    QStringList out;
    const int title = t.fieldIndexOrThrow("TITLE");
    for (bool more = t.first(); more; more = t.next())
        out << QString::fromStdString(t.getText(title));
    return out;
}

void addFilm(dbase::Table& t, const char* title, const char* year) {
    editortest::addRecord(t, {{"TITLE", title}, {"YEAR", year}});
}

// Runs body in a child process and returns its wait status.
template <typename F> int inChild(F body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* sub : {"prog", "backup", "config", "data", "other"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
        prog = dir.filePath(QStringLiteral("prog"));
        backupFolder = dir.filePath(QStringLiteral("backup"));
        qputenv("QUILLON_HOME", QFile::encodeName(prog));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        table = prog + QStringLiteral("/MASTER.DBF");
        dbase::Table::create(enginePath(table), catalogueFields());
        dbase::Table t;
        t.open(enginePath(table));
        addFilm(t, "Vertigo", "1958");
        addFilm(t, "Casablanca", "1942");
        addFilm(t, "Metropolis", "1927");
        t.close();
        // The catalogue is sorted by title.
        session.setCurrentDatabase(table);
        session.database().sortLevels = {Slot::Title, 0, 0, 0};
        ASSERT_TRUE(session.saveDatabaseSettings());
        openCatalogue(table);
    }
    void TearDown() override { session.closeTable(); }

    void openCatalogue(const QString& path) {
        const QStringList problems = session.switchCatalogue(path, false, false, prog);
        ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    }

    SessionHost::Hooks hooks() {
        SessionHost::Hooks h;
        h.endSearch = [this] {
            ++searchEnded;
            return searchOn;
        };
        h.resumeSearch = [this] { ++searchResumed; };
        return h;
    }

    Outcome backupKind(Kind kind, const QString& folder, qint64 free = -2) {
        SessionHost host(session, hooks());
        BackupRun run(host, [this](const Message& m) { messages.push_back(m); });
        if (free != -2) run.setFreeSpaceProbe([free](const QString&) { return free; });
        return run.backup(kind, folder);
    }
    Outcome restoreKind(Kind kind, const QString& chosen, qint64 free = -2) {
        SessionHost host(session, hooks());
        BackupRun run(host, [this](const Message& m) { messages.push_back(m); });
        if (free != -2) run.setFreeSpaceProbe([free](const QString&) { return free; });
        return run.restore(kind, chosen);
    }

    QStringList texts() const {
        QStringList out;
        for (const Message& m : messages)
            out << m.caption + QStringLiteral(": ") + m.text;
        return out;
    }
    QString in(const QString& folder, const char* name) const { return folder + u'/' + QLatin1String(name); }
    // Files left by a copy that did not complete.
    QStringList leftovers(const QString& folder) const {
        return QDir(folder).entryList({QStringLiteral(".*copy-*")}, QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir;
    QString prog, backupFolder, table;
    Session session;
    std::vector<Message> messages;
    bool searchOn = false;
    int searchEnded = 0, searchResumed = 0;
};

// ---------------------------------------------------------------------------------------------
// The copy routine

TEST(FileCopy, CopiesEveryBlockSizeByteForByte) {
    QTemporaryDir dir;
    for (int size : {0, 1, 2047, 2048, 2049, 4096, 10000}) {
        SCOPED_TRACE(size);
        const QString source = dir.filePath(QStringLiteral("source"));
        const QString destination = dir.filePath(QStringLiteral("destination"));
        ASSERT_TRUE(writeFile(source, bytesOfSize(size)));
        const CopyResult r = copyFile(source, destination);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(readFile(destination), bytesOfSize(size));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(FileCopy, AFailedCopyLeavesTheDestination) {
    QTemporaryDir dir;
    const QString destination = dir.filePath(QStringLiteral("destination"));
    ASSERT_TRUE(writeFile(destination, "old"));
    // A missing source, a folder, and a folder that cannot be written.
    EXPECT_FALSE(copyFile(dir.filePath(QStringLiteral("missing")), destination).ok);
    EXPECT_FALSE(copyFile(dir.path(), destination).ok);
    const CopyResult r = copyFile(destination, dir.filePath(QStringLiteral("no/such/folder/file")));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(readFile(destination), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(FileCopy, ACopyThatHitsAFullDiskLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("big"));
    const QString destination = dir.filePath(QStringLiteral("backup"));
    ASSERT_TRUE(writeFile(source, bytesOfSize(20000)));
    ASSERT_TRUE(writeFile(destination, bytesOfSize(3000).right(3000)));
    const QByteArray before = readFile(destination);
    // The child may write no file larger than 9,000 bytes: the copy stops part way.
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{9000, 9000};
        ::setrlimit(RLIMIT_FSIZE, &r);
        ::_exit(copyFile(source, destination).ok ? 3 : 0);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(destination), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(FileCopy, RoomIdentityAndNames) {
    EXPECT_TRUE(hasRoom(100, 100, 0));
    EXPECT_FALSE(hasRoom(99, 100, 0));
    EXPECT_TRUE(hasRoom(10, 100, 90)); // an older copy that will be replaced counts
    EXPECT_FALSE(hasRoom(-1, 0, 0));   // the free space is unknown
    EXPECT_TRUE(sameFile(QStringLiteral("/data/Master.dbf"), QStringLiteral("/DATA/MASTER.DBF")));
    EXPECT_TRUE(sameFile(QStringLiteral("/data/x/../MASTER.DBF"), QStringLiteral("/data/master.dbf")));
    EXPECT_FALSE(sameFile(QStringLiteral("/data/MASTER.DBF"), QStringLiteral("/backup/MASTER.DBF")));
    EXPECT_EQ(fileInFolder(QStringLiteral("/"), QStringLiteral("MASTER.DBF")), QStringLiteral("/MASTER.DBF"));
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("master.dbf")), "x"));
    EXPECT_EQ(fileInFolder(dir.path(), QStringLiteral("MASTER.DBF")),
              dir.filePath(QStringLiteral("master.dbf")));
    // One file reached through a link is the same file.
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath(QStringLiteral("link"))));
    EXPECT_TRUE(sameFile(dir.filePath(QStringLiteral("link/master.dbf")),
                         dir.filePath(QStringLiteral("master.dbf"))));
    EXPECT_GT(freeSpace(dir.path()), 0);
    EXPECT_EQ(freeSpace(dir.filePath(QStringLiteral("missing"))), -1);
    EXPECT_EQ(listExtension(1), QStringLiteral(".001"));
    EXPECT_EQ(listExtension(17), QStringLiteral(".017"));
}

// ---------------------------------------------------------------------------------------------
// Backup then restore, each kind

TEST_F(BackupTest, TheTableComesBackAndOpensWithItsIndexRebuilt) {
    const QByteArray original = readFile(table);
    ASSERT_EQ(backupKind(Kind::Table, backupFolder), Outcome::Done);
    EXPECT_EQ(texts(), QStringList{"Notice: " + backupDoneMessage()});
    EXPECT_EQ(readFile(in(backupFolder, "MASTER.DBF")), original);
    EXPECT_FALSE(QFileInfo::exists(in(backupFolder, "MASTER.MDX"))); // the index is not copied
    EXPECT_TRUE(session.table().isOpen());
    EXPECT_EQ(titles(session.table()), (QStringList{"Casablanca", "Metropolis", "Vertigo"}));

    // A record added after the backup; the restore brings the backed-up table back in its place.
    addFilm(session.table(), "Rebecca", "1940");
    messages.clear();
    ASSERT_EQ(restoreKind(Kind::Table, in(backupFolder, "MASTER.DBF")), Outcome::Done);
    EXPECT_EQ(texts(), QStringList{"Notice: " + restoreDoneMessage()});
    EXPECT_EQ(session.currentDatabase(), table);
    ASSERT_TRUE(session.table().isOpen());
    EXPECT_EQ(titles(session.table()), (QStringList{"Casablanca", "Metropolis", "Vertigo"}));
    EXPECT_EQ(QString::fromStdString(session.table().activeIndex()).toUpper(), QStringLiteral("NEWINDEX"));
    EXPECT_NO_THROW(session.table().checkIndexes());
    // The records are those of the backup: only the index flag differs until the index is built.
    QByteArray restored = readFile(table), backedUp = readFile(in(backupFolder, "MASTER.DBF"));
    ASSERT_EQ(restored.size(), backedUp.size());
    restored[28] = backedUp[28] = 0;
    EXPECT_EQ(restored, backedUp);
}

TEST_F(BackupTest, ARestoredTableOfAnotherNameBecomesTheOpenDatabase) {
    // A table from elsewhere with a stale index of another table beside its future place.
    const QString other = dir.filePath(QStringLiteral("other/Films.dbf"));
    dbase::Table::create(enginePath(other), catalogueFields());
    {
        dbase::Table t;
        t.open(enginePath(other));
        addFilm(t, "Zelig", "1983");
        addFilm(t, "Brazil", "1985");
        t.addIndex("NewIndex", "UPPER(TITLE)");
        t.close();
    }
    ASSERT_TRUE(QFile::copy(prog + "/MASTER.MDX", prog + "/Films.mdx"));
    ASSERT_EQ(restoreKind(Kind::Table, other), Outcome::Done);
    EXPECT_EQ(session.currentDatabase(), prog + "/Films.dbf");
    EXPECT_EQ(readFile(prog + "/Films.dbf").mid(32), readFile(other).mid(32));
    ASSERT_TRUE(session.table().isOpen());
    EXPECT_NO_THROW(session.table().checkIndexes());
    EXPECT_EQ(titles(session.table()).size(), 2);
}

TEST_F(BackupTest, DataListsGoOutAndComeBackWithWarningsFor14And17) {
    session.lists().setList(DataLists::Producer, {"Hal Wallis", "David O. Selznick"});
    session.lists().setList(DataLists::Category, {"Drama", "Comedy"});
    ASSERT_EQ(backupKind(Kind::Lists, backupFolder), Outcome::Done);
    // Lists 14 and 17 have no files of the database and are skipped without a word.
    EXPECT_EQ(texts(), QStringList{"Notice: " + backupDoneMessage()});
    QStringList copied;
    for (int n = 1; n <= 17; ++n) {
        const QString name = QStringLiteral("MASTER") + listExtension(n);
        if (QFileInfo::exists(backupFolder + u'/' + name)) {
            copied << name;
            EXPECT_EQ(readFile(backupFolder + u'/' + name), readFile(prog + u'/' + name))
                << name.toStdString();
        }
    }
    EXPECT_EQ(copied.size(), 15);
    EXPECT_FALSE(copied.contains(QStringLiteral("MASTER.014")));
    EXPECT_FALSE(copied.contains(QStringLiteral("MASTER.017")));
    const QByteArray producers = readFile(prog + "/MASTER.001");

    // The lists change; the restore brings the backed-up files back and loads them.
    session.lists().setList(DataLists::Producer, {"Someone Else"});
    ASSERT_TRUE(session.lists().saveAllLists(table));
    messages.clear();
    ASSERT_EQ(restoreKind(Kind::Lists, in(backupFolder, "MASTER.DBF")), Outcome::Partial);
    EXPECT_EQ(texts(), (QStringList{"Warning: " + missingFileMessage("MASTER.014"),
                                    "Warning: " + missingFileMessage("MASTER.017"),
                                    "Notice: " + listsPartlyRestoredMessage()}));
    EXPECT_EQ(
        texts()[0],
        QStringLiteral("Warning: The following file \"MASTER.014\" could not be located on the specified "
                       "source drive."));
    EXPECT_EQ(readFile(prog + "/MASTER.001"), producers);
    EXPECT_EQ(session.lists().list(DataLists::Producer), (QStringList{"Hal Wallis", "David O. Selznick"}));
}

TEST_F(BackupTest, AllSeventeenListFilesGiveTheAllRestoredNotice) {
    for (int n = 1; n <= 17; ++n)
        ASSERT_TRUE(writeFile(backupFolder + "/MASTER" + listExtension(n),
                              "Value " + QByteArray::number(n) + "\r\n"));
    ASSERT_EQ(restoreKind(Kind::Lists, in(backupFolder, "MASTER.DBF")), Outcome::Done);
    EXPECT_EQ(texts(), QStringList{"Notice: " + listsRestoredMessage()});
    EXPECT_EQ(readFile(prog + "/MASTER.017"), QByteArray("Value 17\r\n"));
}

TEST_F(BackupTest, SettingsGoOutAndComeBackIntoForce) {
    session.database().fieldNames[Slot::Title - 1] = QStringLiteral("Film");
    ASSERT_EQ(backupKind(Kind::Settings, backupFolder), Outcome::Done);
    EXPECT_EQ(texts(), QStringList{"Notice: " + backupDoneMessage()});
    EXPECT_EQ(readFile(in(backupFolder, "MASTER.INI")), readFile(prog + "/MASTER.INI"));
    const QByteArray saved = readFile(prog + "/MASTER.INI");

    session.database().fieldNames[Slot::Title - 1] = QStringLiteral("Movie");
    ASSERT_TRUE(session.saveDatabaseSettings());
    messages.clear();
    ASSERT_EQ(restoreKind(Kind::Settings, in(backupFolder, "MASTER.DBF")), Outcome::Done);
    EXPECT_EQ(texts(), QStringList{"Notice: " + settingsRestoredMessage()});
    EXPECT_EQ(readFile(prog + "/MASTER.INI"), saved);
    EXPECT_EQ(session.displayName(Slot::Title), QStringLiteral("Film"));
}

TEST_F(BackupTest, SettingsOfAnotherDatabaseLeaveThoseInUse) {
    session.database().fieldNames[Slot::Title - 1] = QStringLiteral("Movie");
    ASSERT_TRUE(writeFile(backupFolder + "/OLD.INI", "[Field Names]\r\nTITLE=Picture\r\n"));
    ASSERT_EQ(restoreKind(Kind::Settings, in(backupFolder, "OLD.DBF")), Outcome::Done);
    EXPECT_EQ(readFile(prog + "/OLD.INI"), QByteArray("[Field Names]\r\nTITLE=Picture\r\n"));
    EXPECT_EQ(session.displayName(Slot::Title), QStringLiteral("Movie"));
    messages.clear();
    EXPECT_EQ(restoreKind(Kind::Settings, in(backupFolder, "NONE.DBF")), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Warning: " + missingFileMessage("NONE.INI")});
}

TEST_F(BackupTest, ReportLayoutsGoOutAndComeBack) {
    const QByteArray layouts = bytesOfSize(20622 * 2);
    ASSERT_TRUE(writeFile(prog + "/QLNVID.URP", layouts));
    ASSERT_EQ(backupKind(Kind::Layouts, backupFolder), Outcome::Done);
    EXPECT_EQ(readFile(in(backupFolder, "QLNVID.URP")), layouts);
    ASSERT_TRUE(writeFile(prog + "/QLNVID.URP", bytesOfSize(20622)));
    messages.clear();
    ASSERT_EQ(restoreKind(Kind::Layouts, in(backupFolder, "QLNVID.URP")), Outcome::Done);
    EXPECT_EQ(texts(), QStringList{"Notice: " + restoreDoneMessage()});
    EXPECT_EQ(readFile(prog + "/QLNVID.URP"), layouts);
    // A backup folder without the file.
    messages.clear();
    EXPECT_EQ(restoreKind(Kind::Layouts, dir.filePath(QStringLiteral("other/QLNVID.URP"))), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Error: " + layoutsMissingMessage()});
}

// ---------------------------------------------------------------------------------------------
// Refusals

TEST_F(BackupTest, TheSameFolderIsRefusedBeforeAnythingCloses) {
    ASSERT_TRUE(writeFile(prog + "/QLNVID.URP", "layouts"));
    ASSERT_TRUE(session.lists().saveAllLists(table));
    ASSERT_TRUE(session.saveDatabaseSettings());
    struct Case {
        bool isBackup;
        Kind kind;
        QString where;
        QString message;
    };
    const Case cases[] = {
        {true, Kind::Table, prog, backupIdenticalMessage()},
        {true, Kind::Lists, prog, backupIdenticalMessage()},
        {true, Kind::Settings, prog, backupIdenticalMessage()},
        {true, Kind::Layouts, prog, layoutsIdenticalMessage()},
        {false, Kind::Table, prog + "/master.dbf", restoreIdenticalMessage()}, // letter case ignored
        {false, Kind::Lists, prog + "/MASTER.DBF", restoreIdenticalMessage()},
        {false, Kind::Settings, prog + "/MASTER.DBF", restoreIdenticalMessage()},
        {false, Kind::Layouts, prog + "/QLNVID.URP", restoreIdenticalMessage()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where.toStdString() + (c.isBackup ? " backup" : " restore") + char('0' + int(c.kind)));
        messages.clear();
        const QByteArray before = readFile(table);
        const Outcome o = c.isBackup ? backupKind(c.kind, c.where) : restoreKind(c.kind, c.where);
        EXPECT_EQ(o, Outcome::Refused);
        EXPECT_EQ(texts(), QStringList{"Error: " + c.message});
        EXPECT_TRUE(session.table().isOpen());
        EXPECT_EQ(readFile(table), before);
    }
}

TEST_F(BackupTest, NotEnoughRoomWithAndWithoutAnOlderCopy) {
    const qint64 size = QFileInfo(table).size();
    ASSERT_TRUE(writeFile(prog + "/QLNVID.URP", bytesOfSize(1000)));
    // Without an older copy: refused, the table open again.
    EXPECT_EQ(backupKind(Kind::Table, backupFolder, size - 1), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Error: " + backupNoRoomMessage()});
    EXPECT_TRUE(session.table().isOpen());
    EXPECT_FALSE(QFileInfo::exists(in(backupFolder, "MASTER.DBF")));
    messages.clear();
    EXPECT_EQ(backupKind(Kind::Layouts, backupFolder, 999), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Error: " + layoutsNoRoomMessage()});
    // With an older copy of the same size at the destination: allowed.
    ASSERT_TRUE(writeFile(in(backupFolder, "MASTER.DBF"), bytesOfSize(int(size))));
    ASSERT_TRUE(writeFile(in(backupFolder, "QLNVID.URP"), bytesOfSize(1000)));
    messages.clear();
    EXPECT_EQ(backupKind(Kind::Table, backupFolder, 0), Outcome::Done);
    EXPECT_EQ(readFile(in(backupFolder, "MASTER.DBF")), readFile(table));
    EXPECT_EQ(backupKind(Kind::Layouts, backupFolder, 0), Outcome::Done);
    // A restore into a program folder without room.
    messages.clear();
    ASSERT_TRUE(writeFile(dir.filePath("other/QLNVID.URP"), bytesOfSize(5000)));
    EXPECT_EQ(restoreKind(Kind::Layouts, dir.filePath("other/QLNVID.URP"), 3999), Outcome::Refused);
    EXPECT_EQ(restoreKind(Kind::Table, in(backupFolder, "MASTER.DBF"), 0),
              Outcome::Done); // replaces one as big
    EXPECT_EQ(texts(), (QStringList{"Error: " + restoreNoRoomMessage(), "Notice: " + restoreDoneMessage()}));
    EXPECT_TRUE(session.table().isOpen());
}

TEST_F(BackupTest, ATableHeldByAnotherProcessIsNeitherBackedUpNorReplaced) {
    ASSERT_EQ(backupKind(Kind::Table, backupFolder), Outcome::Done);
    session.closeTable();
    peer::LockHolder holder(table);
    ASSERT_TRUE(holder.locked());
    session.openTable();
    const QByteArray before = readFile(table);
    messages.clear();
    searchOn = true;
    searchEnded = searchResumed = 0;
    EXPECT_EQ(backupKind(Kind::Table, dir.filePath(QStringLiteral("other"))), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Error: " + backupInUseMessage()});
    EXPECT_TRUE(session.table().isOpen());
    EXPECT_EQ(searchEnded, 1);
    EXPECT_EQ(searchResumed, 1); // the search in force comes back
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("other/MASTER.DBF"))));
    messages.clear();
    EXPECT_EQ(restoreKind(Kind::Table, in(backupFolder, "MASTER.DBF")), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Error: " + restoreInUseMessage()});
    EXPECT_EQ(searchResumed, 1); // a restore does not set the search again
    EXPECT_TRUE(session.table().isOpen());
    EXPECT_EQ(readFile(table), before);
}

TEST_F(BackupTest, ASearchEndsForATableBackupAndComesBack) {
    searchOn = true;
    ASSERT_EQ(backupKind(Kind::Table, backupFolder), Outcome::Done);
    EXPECT_EQ(searchEnded, 1);
    EXPECT_EQ(searchResumed, 1);
    // Lists, settings and layouts leave the search alone.
    ASSERT_EQ(backupKind(Kind::Lists, backupFolder), Outcome::Done);
    EXPECT_EQ(searchEnded, 1);
}

TEST_F(BackupTest, AFileThatIsNoCatalogueIsNotRestored) {
    const QString notTable = dir.filePath(QStringLiteral("other/MASTER.DBF"));
    dbase::Table::create(enginePath(notTable), {{"NAME", dbase::FieldKind::String, 20}});
    const QByteArray before = readFile(table);
    EXPECT_EQ(restoreKind(Kind::Table, notTable), Outcome::Refused);
    EXPECT_EQ(texts(), QStringList{"Error: " + notCatalogueMessage()});
    EXPECT_EQ(readFile(table), before);
    EXPECT_TRUE(session.table().isOpen());
}

// ---------------------------------------------------------------------------------------------
// A disk that fills during the copy (a child process limited in the size of the files it writes)

TEST_F(BackupTest, AFullDiskNeverReplacesAGoodBackupOrTable) {
    dbase::Table t;
    t.open(enginePath(table));
    for (int i = 0; i < 40; ++i)
        addFilm(t, "Film", "1990");
    t.close();
    session.closeTable(); // the child takes the table for itself
    const qint64 size = QFileInfo(table).size();
    const QByteArray oldBackup = bytesOfSize(2000);
    ASSERT_TRUE(writeFile(in(backupFolder, "MASTER.DBF"), oldBackup));
    const QByteArray oldTable = readFile(table);
    for (bool isBackup : {true, false}) {
        SCOPED_TRACE(isBackup ? "backup" : "restore");
        if (!isBackup) {
            ASSERT_TRUE(writeFile(dir.filePath("other/MASTER.DBF"), readFile(table) + QByteArray(9000, ' ')));
        }
        const int status = inChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{rlim_t(size - 100), rlim_t(size - 100)};
            ::setrlimit(RLIMIT_FSIZE, &r);
            FilesHost host(table, prog);
            std::vector<Message> seen;
            BackupRun run(host, [&](const Message& m) { seen.push_back(m); });
            const Outcome o = isBackup ? run.backup(Kind::Table, backupFolder)
                                       : run.restore(Kind::Table, dir.filePath("other/MASTER.DBF"));
            const QString expected = isBackup ? backupFailedMessage() : restoreFailedMessage();
            ::_exit(o == Outcome::Failed && seen.size() == 1 && seen[0].text.startsWith(expected) ? 0 : 3);
        });
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(readFile(in(backupFolder, "MASTER.DBF")), oldBackup);
        EXPECT_EQ(readFile(table), oldTable);
        EXPECT_TRUE(leftovers(backupFolder).isEmpty());
        EXPECT_TRUE(leftovers(prog).isEmpty());
    }
}

// The batch tool's host: the restored table gets the index of its own settings' sort levels.
TEST_F(BackupTest, TheBatchHostBuildsTheIndexOfTheRestoredTablesSettings) {
    ASSERT_EQ(backupKind(Kind::Table, backupFolder), Outcome::Done);
    session.closeTable();
    ASSERT_TRUE(QFile::remove(table));
    FilesHost host(prog + "/MASTER.DBF", prog);
    BackupRun run(host, [this](const Message& m) { messages.push_back(m); });
    messages.clear();
    ASSERT_EQ(run.restore(Kind::Table, in(backupFolder, "MASTER.DBF")), Outcome::Done);
    dbase::Table t;
    t.open(enginePath(table), dbase::OpenMode::Shared, true);
    t.setActiveIndex("NewIndex");
    EXPECT_EQ(titles(t), (QStringList{"Casablanca", "Metropolis", "Vertigo"}));
    EXPECT_NO_THROW(t.checkIndexes());
}

} // namespace
