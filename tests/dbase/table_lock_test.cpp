// Shared and exclusive use between real processes: a forked child holding the table through the
// engine, a Python child holding a plain fcntl lock, and two children appending at once.
#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "dbase/table.h"
#include "support/testutil.h"

using namespace dbase;
using testutil::TempDir;

namespace {

// A child process that holds the table open until it is released.
class Holder {
public:
    Holder(const std::string& path, OpenMode mode) {
        int ready[2], release[2];
        if (::pipe(ready) || ::pipe(release)) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            char status = 'R';
            try {
                Table t;
                t.open(path, mode);
                if (::write(ready[1], &status, 1) != 1) ::_exit(1);
                char c;
                while (::read(release[0], &c, 1) > 0) {
                }
            } catch (...) {
                status = 'E';
                if (::write(ready[1], &status, 1) != 1) ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char c = 0;
        if (::read(ready[0], &c, 1) != 1) c = 0;
        ::close(ready[0]);
        ok_ = c == 'R';
    }
    // A foreign program holding an fcntl (lockf) lock on one byte of the records.
    explicit Holder(const std::string& path) {
        int ready[2], release[2];
        if (::pipe(ready) || ::pipe(release)) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(release[0], 0);
            ::dup2(ready[1], 1);
            ::close(ready[0]);
            ::close(release[1]);
            ::execl("/usr/bin/python3", "python3", "-c",
                    "import fcntl, sys, os\n"
                    "f = open(sys.argv[1], 'rb')\n"
                    "fcntl.lockf(f, fcntl.LOCK_SH, 1, 40)\n"
                    "os.write(1, b'R')\n"
                    "sys.stdin.read()\n",
                    path.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char c = 0;
        if (::read(ready[0], &c, 1) != 1) c = 0;
        ::close(ready[0]);
        ok_ = c == 'R';
    }
    ~Holder() { release(); }
    void release() {
        if (pid_ <= 0) return;
        ::close(release_);
        int st = 0;
        ::waitpid(pid_, &st, 0);
        pid_ = -1;
    }
    bool ok() const { return ok_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool ok_ = false;
};

std::string makeTable(const TempDir& dir) {
    const std::string path = dir.file("LOCK.DBF");
    Table::create(path, {{"Title", FieldKind::String, 30}, {"Year", FieldKind::Integer, 0}});
    Table t;
    t.open(path);
    for (int i = 0; i < 5; ++i) {
        t.append();
        t.setText(0, "T" + std::to_string(i));
        t.post();
    }
    t.first();
    t.deleteRecord();
    return path;
}

} // namespace

TEST(Locking, SharedHolderBlocksExclusiveUse) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Holder holder(path, OpenMode::Shared);
    ASSERT_TRUE(holder.ok());

    Table t;
    try {
        t.open(path, OpenMode::Exclusive);
        FAIL() << "exclusive open succeeded";
    } catch (const LockError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_FALSE(t.isOpen());
    // Shared opens coexist; pack and re-index need exclusive use.
    t.open(path, OpenMode::Shared);
    EXPECT_EQ(t.recordCount(), 4u);
    EXPECT_THROW(t.pack(), LockError);
    EXPECT_THROW(t.regenerateIndexes(), LockError);
    EXPECT_THROW(Table::create(path, {{"X", FieldKind::String, 1}}), LockError);
    t.close();

    holder.release();
    t.open(path, OpenMode::Exclusive);
    t.pack();
    EXPECT_EQ(t.info().physicalCount, 4u);
}

TEST(Locking, ExclusiveHolderBlocksEveryOpen) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Holder holder(path, OpenMode::Exclusive);
    ASSERT_TRUE(holder.ok());
    Table t;
    EXPECT_THROW(t.open(path, OpenMode::Shared), LockError);
    EXPECT_THROW(t.open(path, OpenMode::Shared, true), LockError);
    EXPECT_THROW(t.open(path, OpenMode::Exclusive), LockError);
    // A second exclusive holder cannot start either.
    Holder second(path, OpenMode::Exclusive);
    EXPECT_FALSE(second.ok());
}

TEST(Locking, ForeignFcntlLockBlocksExclusiveUse) {
    if (::access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/python3";
    TempDir dir;
    const std::string path = makeTable(dir);
    Holder holder(path);
    ASSERT_TRUE(holder.ok());
    Table t;
    EXPECT_THROW(t.open(path, OpenMode::Exclusive), LockError);
    t.open(path, OpenMode::Shared); // a read lock of another program does not keep readers out
    EXPECT_EQ(t.recordCount(), 4u);
    t.close();
    holder.release();
    t.open(path, OpenMode::Exclusive);
}

TEST(Locking, WithinOneProcessTwoTablesAlsoConflict) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Table a, b;
    a.open(path, OpenMode::Shared);
    EXPECT_THROW(b.open(path, OpenMode::Exclusive), LockError);
    a.close();
    b.open(path, OpenMode::Exclusive);
    EXPECT_THROW(a.open(path, OpenMode::Shared), LockError);
}

TEST(Locking, ConcurrentSharedAppendsLoseNothing) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path, OpenMode::Exclusive);
        t.addIndex("NewIndex", "UPPER(TITLE)+STR(YEAR,5)");
    }
    constexpr int kEach = 150;
    std::vector<pid_t> kids;
    for (int k = 0; k < 2; ++k) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int code = 0;
            try {
                Table t;
                t.open(path, OpenMode::Shared);
                for (int i = 0; i < kEach; ++i) {
                    t.append();
                    t.setText(0, "child" + std::to_string(k) + "-" + std::to_string(i));
                    t.setNumber(1, i);
                    t.post();
                }
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
        kids.push_back(pid);
    }
    for (pid_t pid : kids) {
        int st = 0;
        ::waitpid(pid, &st, 0);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    }
    Table t;
    t.open(path, OpenMode::Shared, true);
    EXPECT_EQ(t.recordCount(), 4u + 2 * kEach);
    std::set<std::string> seen;
    for (bool ok = t.first(); ok; ok = t.next())
        seen.insert(t.getText(0));
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < kEach; ++i)
            EXPECT_TRUE(seen.count("child" + std::to_string(k) + "-" + std::to_string(i))) << k << " " << i;
    // Both writers kept the one index current.
    EXPECT_NO_THROW(t.checkIndexes());
    t.setActiveIndex("NewIndex");
    EXPECT_EQ(t.orderedRecnos().size(), 4u + 2 * kEach);
}

// A writer in a bulk loop holds the post lock with byte 14 set: another process opening the
// table must see a live writer, not a crash, and neither repair nor distrust anything.
TEST(Locking, LiveBulkWriterIsNotMistakenForACrash) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path, OpenMode::Exclusive);
        t.addIndex("NewIndex", "UPPER(TITLE)");
    }
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        try {
            Table t;
            t.open(path, OpenMode::Shared);
            t.disableControls();
            t.append();
            t.setText(0, "bulk");
            t.post();
            char c = 'R';
            if (::write(ready[1], &c, 1) != 1) ::_exit(1);
            while (::read(release[0], &c, 1) > 0) {
            }
            t.enableControls();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const std::string during = testutil::readFile(path);
    EXPECT_EQ(during[14], 1);
    {
        Table ro;
        ro.open(path, OpenMode::Shared, true);
        EXPECT_FALSE(ro.indexStale());
        ro.setActiveIndex("NewIndex");
        EXPECT_EQ(ro.recordCount(), 5u);
        Table rw;
        rw.open(path, OpenMode::Shared);
        EXPECT_FALSE(rw.indexStale());
    }
    EXPECT_EQ(testutil::readFile(path), during); // nothing repaired under the live writer
    ::close(release[1]);
    int st = 0;
    ::waitpid(pid, &st, 0);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    EXPECT_EQ(testutil::readFile(path)[14], 0);
    Table t;
    t.open(path, OpenMode::Shared, true);
    EXPECT_NO_THROW(t.checkIndexes());
}
