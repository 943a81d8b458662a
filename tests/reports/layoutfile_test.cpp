// The layout file QLNVID.URP: list, read, append, overwrite, delete; damaged files; saves cut short
// by a full disk or a killed process; the first start's built-in set and the VIDEO2.CFR conversion;
// quillon-cli layouts.
#include "catalogue/fieldslots.h"
#include "common/files.h"
#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace reports;

namespace {

ReportLayout named(const QString& name) {
    ReportLayout l = ReportLayout::newLayout();
    l.name = name;
    return l;
}

QStringList namesOf(const LayoutFile& f) {
    return f.names();
}

class LayoutFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath(QStringLiteral("QLNVID.URP")); }
    qint64 size() const { return QFileInfo(path()).size(); }
    QStringList leftovers() const {
        QStringList all = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        all.removeAll(QStringLiteral("QLNVID.URP"));
        return all;
    }
    QTemporaryDir dir;
};

TEST_F(LayoutFileTest, AppendOverwriteAndDeleteKeepWholeRecords) {
    LayoutFile file(path());
    EXPECT_TRUE(namesOf(file).isEmpty());
    QList<ReportLayout> loaded;
    EXPECT_EQ(file.load(&loaded), LayoutFile::Status::Missing);

    const QList<ReportLayout> set = defaultReportSet();
    for (qsizetype n = 0; n < set.size(); ++n) {
        ASSERT_TRUE(file.append(set[n]));
        EXPECT_EQ(size(), (n + 1) * 20622);
    }
    ASSERT_EQ(file.load(&loaded), LayoutFile::Status::Ok);
    EXPECT_EQ(loaded, set);
    EXPECT_EQ(readFile(path()).mid(4 * 20622, 20622), set[4].toBytes());

    ReportLayout mine = named(QStringLiteral("Mine"));
    ASSERT_TRUE(file.append(mine));
    EXPECT_EQ(size(), 7 * 20622);
    EXPECT_EQ(namesOf(file).last(), QStringLiteral("Mine"));

    mine.name = QStringLiteral("Renamed");
    ASSERT_TRUE(file.overwrite(2, mine));
    ReportLayout read;
    ASSERT_TRUE(file.read(2, &read));
    EXPECT_EQ(read, mine);
    EXPECT_EQ(size(), 7 * 20622);

    // Deleting layout 0 moves the others down by one.
    ASSERT_TRUE(file.remove(0));
    EXPECT_EQ(namesOf(file), (QStringList{"Ratings Report", "Renamed", "Oscar Report", "Large Report",
                                          "Statistic/Summary Report", "Mine"}));
    EXPECT_EQ(readFile(path()).left(20622), set[1].toBytes());
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(LayoutFileTest, DeletingTheOnlyLayoutLeavesAnEmptyFile) {
    LayoutFile file(path());
    ASSERT_TRUE(file.append(named(QStringLiteral("Only"))));
    ASSERT_TRUE(file.remove(0));
    EXPECT_TRUE(QFileInfo::exists(path()));
    EXPECT_EQ(size(), 0);
    QList<ReportLayout> loaded;
    EXPECT_EQ(file.load(&loaded), LayoutFile::Status::Ok);
    EXPECT_TRUE(loaded.isEmpty());
}

TEST_F(LayoutFileTest, NumbersOutsideTheFileAreRefused) {
    LayoutFile file(path());
    ASSERT_TRUE(file.create(defaultReportSet()));
    const QByteArray before = readFile(path());
    QString error;
    ReportLayout l;
    for (int index : {-1, 6, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_FALSE(file.read(index, &l, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("no report layout number")));
        EXPECT_FALSE(file.overwrite(index, l, &error));
        EXPECT_FALSE(file.remove(index, &error));
    }
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(LayoutFileTest, ATruncatedFileIsReportedAndNeverChanged) {
    LayoutFile file(path());
    ASSERT_TRUE(file.create(defaultReportSet()));
    const QByteArray whole = readFile(path());
    struct Case {
        const char* what;
        qsizetype size;
        int complete;
    };
    const Case cases[] = {{"cut inside the last layout", whole.size() - 100, 5},
                          {"cut inside the first layout", 20621, 0},
                          {"a byte too many", whole.size() + 1, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray damaged = whole.left(c.size);
        if (c.size > whole.size()) damaged.append('x');
        ASSERT_TRUE(writeFile(path(), damaged));

        QList<ReportLayout> loaded;
        QString error;
        EXPECT_EQ(file.load(&loaded, &error), LayoutFile::Status::Damaged);
        EXPECT_EQ(loaded.size(), c.complete);
        EXPECT_EQ(loaded, defaultReportSet().mid(0, c.complete));
        EXPECT_TRUE(error.contains(QStringLiteral("is damaged"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::number(c.size % 1000))) << error.toStdString();

        ReportLayout l;
        EXPECT_FALSE(file.read(c.complete, &l, &error)); // the incomplete record is never read
        EXPECT_FALSE(file.append(named(QStringLiteral("New")), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("restored from a backup")));
        EXPECT_FALSE(file.overwrite(0, l, &error));
        EXPECT_FALSE(file.remove(0, &error));
        EXPECT_EQ(readFile(path()), damaged);
    }
}

// Runs body in a child process and returns its wait status.
template <typename Body> int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST_F(LayoutFileTest, AFullDiskWhileSavingLeavesEveryEarlierLayout) {
    LayoutFile file(path());
    ASSERT_TRUE(file.create(defaultReportSet()));
    const QByteArray before = readFile(path());
    // The child may write no file larger than the current one: the new file cannot be written.
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = rlim_t(before.size() + 1000);
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
        LayoutFile child(path());
        QString error;
        const bool appended = child.append(named(QStringLiteral("Too much")), &error);
        const bool overwrote = child.overwrite(0, named(QStringLiteral("Fits")), &error);
        ::_exit(!appended && overwrote ? 0 : 3);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    QList<ReportLayout> loaded;
    ASSERT_EQ(file.load(&loaded), LayoutFile::Status::Ok);
    ASSERT_EQ(loaded.size(), 6);
    EXPECT_EQ(loaded[0].name, QStringLiteral("Fits"));
    EXPECT_EQ(readFile(path()).mid(20622), before.mid(20622));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();
}

TEST_F(LayoutFileTest, AProcessKilledWhileSavingLeavesEveryEarlierLayout) {
    LayoutFile file(path());
    ASSERT_TRUE(file.create(defaultReportSet()));
    // A child appends and deletes layouts without end; it is killed at some moment of a save,
    // several times over, and the file must always read whole.
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            LayoutFile child(path());
            for (int n = 0;; ++n) {
                if (n == 3 && ::write(ready[1], "x", 1) != 1) ::_exit(4);
                child.append(named(QStringLiteral("Child %1").arg(n)));
                child.remove(6);
            }
        }
        ::close(ready[1]);
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::usleep(useconds_t(1000 * (round * 7 % 5)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ::close(ready[0]);

        QList<ReportLayout> loaded;
        ASSERT_EQ(file.load(&loaded), LayoutFile::Status::Ok);
        ASSERT_GE(loaded.size(), 6);
        ASSERT_LE(loaded.size(), 7);
        EXPECT_EQ(loaded.mid(0, 6), defaultReportSet());
        if (loaded.size() == 7) {
            ASSERT_TRUE(file.remove(6));
        }
    }
}

// ---- first start and the older layout file -----------------------------------------------

// A record of the older layout file.
QByteArray olderRecord(const QByteArray& name, int width, int lines, const QList<QByteArray>& fieldKinds,
                       const QByteArray& totalsKind) {
    QByteArray r(OlderLayoutRecordSize, '\0');
    auto string = [&](int at, const QByteArray& s) {
        r[at] = char(s.size());
        std::memcpy(r.data() + at + 1, s.constData(), size_t(s.size()));
    };
    auto entry = [&](int at, const QByteArray& kind, int slot, int w, const QByteArray& label) {
        string(at, kind);
        r[at + 31] = char(slot);
        qToLittleEndian<qint16>(qint16(w), r.data() + at + 32);
        string(at + 34, label);
    };
    string(0, name);
    qToLittleEndian<qint16>(qint16(width), r.data() + 31);
    r[33] = 'x'; // the unread part
    r[83] = 1;   // column headers
    r[84] = 0;   // page numbers
    r[85] = 1;   // use totals
    qToLittleEndian<qint16>(qint16(lines), r.data() + 86);
    entry(88, "<LABEL>", 0, 10, "Total:");
    entry(88 + 75, totalsKind, 0, 12, "");
    string(1588, "First title");
    string(1588 + 81, QByteArray(80, 'T'));
    for (qsizetype k = 0; k < fieldKinds.size(); ++k)
        entry(1831 + int(k) * 75, fieldKinds[k], 0, 20, "");
    entry(1831 + 1500, "<LABEL>", 0, 15, "Line two");
    entry(1831 + 1500 + 75, "<FILLER>", 0, 5, "");
    return r;
}

TEST_F(LayoutFileTest, FirstStartWritesTheBuiltInSetAndLeavesAnExistingFileAlone) {
    EXPECT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    LayoutFile file(path());
    QList<ReportLayout> loaded;
    ASSERT_EQ(file.load(&loaded), LayoutFile::Status::Ok);
    EXPECT_EQ(loaded, defaultReportSet());
    EXPECT_EQ(size(), 6 * 20622);

    ASSERT_TRUE(file.remove(3));
    EXPECT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    EXPECT_EQ(namesOf(file).size(), 5);

    ASSERT_TRUE(QFile::remove(path()));
    EXPECT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    EXPECT_EQ(namesOf(file).size(), 6);
}

TEST_F(LayoutFileTest, AFileInAnotherLetterCaseIsTheLayoutFile) {
    const QString lower = dir.filePath(QStringLiteral("qlnvid.urp"));
    ASSERT_TRUE(LayoutFile(lower).create({named(QStringLiteral("Kept"))}));
    EXPECT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_EQ(LayoutFile(lower).names(), QStringList{"Kept"});
}

TEST_F(LayoutFileTest, TheOlderFileIsConvertedWithoutItsBuiltInLayouts) {
    const QString older = dir.filePath(QStringLiteral("VIDEO2.CFR"));
    QByteArray contents = olderRecord("Star Report", 120, 2, {"MediaNum"}, "Quantity");
    contents +=
        olderRecord("My Tapes", 120, 3, {"mediaNUM", "Title", "NoSuchField", "<FILLER>"}, "list price");
    contents += olderRecord("Wide Ones", 90, 1, {"Year"}, "Bogus Total");
    contents += QByteArray(100, 'z'); // a record cut short ends the file
    ASSERT_TRUE(writeFile(older, contents));

    EXPECT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(older));
    LayoutFile file(path());
    QList<ReportLayout> loaded;
    ASSERT_EQ(file.load(&loaded), LayoutFile::Status::Ok);
    ASSERT_EQ(loaded.size(), 8);
    EXPECT_EQ(loaded.mid(0, 6), defaultReportSet());

    const ReportLayout& mine = loaded[6];
    EXPECT_EQ(mine.name, QStringLiteral("My Tapes"));
    EXPECT_EQ(mine.width, 120);
    EXPECT_EQ(mine.linesPerRecord, 3);
    EXPECT_TRUE(mine.columnHeaders);
    EXPECT_FALSE(mine.pageNumbers);
    EXPECT_TRUE(mine.useTotals);
    EXPECT_FALSE(mine.landscape);
    EXPECT_TRUE(mine.dateOnPages);
    EXPECT_FALSE(mine.verticalLines);
    EXPECT_FALSE(mine.horizontalLines);
    EXPECT_TRUE(mine.groupLevel1);
    EXPECT_FALSE(mine.groupLevel2);
    for (double m : {mine.topMargin, mine.bottomMargin, mine.leftMargin, mine.rightMargin})
        EXPECT_EQ(m, 0.5);
    EXPECT_EQ(mine.titles[0], QStringLiteral("First title"));
    EXPECT_EQ(mine.titles[1], QString(80, u'T'));
    EXPECT_EQ(mine.titles[2], QString());
    for (int i = 0; i < FontCount; ++i) {
        SCOPED_TRACE(i);
        const bool bold = i == TitlesFont || i == ColumnHeaderFont || i == FootnoteFont;
        EXPECT_EQ(mine.fonts[size_t(i)],
                  (LayoutFont{QStringLiteral("Courier New"), 8, bold, false, false, false, 0}));
    }
    EXPECT_EQ(loaded[7].fonts[BodyFont].size, 10); // 90 characters wide

    // Fields get their slot by name ignoring case; an unknown name becomes a filler as wide.
    const LayoutLine& line1 = mine.body[0];
    EXPECT_EQ(line1[0], LayoutEntry::field(Slot::MediaNumber, 20));
    EXPECT_EQ(line1[1], LayoutEntry::field(Slot::Title, 20));
    EXPECT_EQ(line1[2], LayoutEntry::filler(20));
    EXPECT_EQ(line1[3], LayoutEntry::filler(20));
    EXPECT_EQ(mine.body[1][0], LayoutEntry::text(QStringLiteral("Line two"), 15));
    EXPECT_EQ(mine.body[1][1], LayoutEntry::filler(5));
    EXPECT_EQ(mine.totals[0], LayoutEntry::text(QStringLiteral("Total:"), 10));
    EXPECT_EQ(mine.totals[1], LayoutEntry::totalItem(2, 12));
    EXPECT_EQ(loaded[7].totals[1], LayoutEntry::filler(12));

    // A second start converts nothing more.
    EXPECT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    EXPECT_EQ(namesOf(file).size(), 8);
}

TEST_F(LayoutFileTest, TheOlderFileStaysWhenItsLayoutsCannotBeSaved) {
    ASSERT_TRUE(writeFile(path(), QByteArray(20622 + 5, '\0'))); // a damaged layout file
    const QString older = dir.filePath(QStringLiteral("video2.cfr"));
    const QByteArray contents = olderRecord("Keep Me", 90, 1, {"Title"}, "Quantity");
    ASSERT_TRUE(writeFile(older, contents));
    const QStringList problems = prepareLayoutFile(dir.path());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("is damaged")));
    EXPECT_EQ(readFile(older), contents);
}

// ---- quillon-cli layouts -----------------------------------------------------------------

struct CliRun {
    int code;
    QString out, err;
};

CliRun cli(const QStringList& args, const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("QUILLON_CLI"), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST_F(LayoutFileTest, TheBatchToolListsAndShowsLayouts) {
    if (qEnvironmentVariableIsEmpty("QUILLON_CLI")) GTEST_SKIP() << "QUILLON_CLI not set";
    ASSERT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    CliRun r = cli({QStringLiteral("layouts")}, dir.path());
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("number\tname\twidth\tlines per record\n"
                                    "0\tTitle and Media Number Report\t90\t1\n"
                                    "1\tRatings Report\t90\t1\n"
                                    "2\tStar Report\t120\t3\n"
                                    "3\tOscar Report\t120\t4\n"
                                    "4\tLarge Report\t120\t12\n"
                                    "5\tStatistic/Summary Report\t90\t0\n"));

    r = cli({QStringLiteral("layouts"), QStringLiteral("--show"), QStringLiteral("4")}, dir.path());
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n');
    EXPECT_EQ(lines[0], QStringLiteral("name\tLarge Report"));
    EXPECT_TRUE(lines.contains(QStringLiteral("body font\tArial\t8\tregular\tcolour 0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("margins\t0.50\t0.50\t0.50\t0.50")));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("body line\t7\tlabel \"Key Words:\" 10\tfiller 1\tfield KeyWords (26) 80")));
    EXPECT_TRUE(lines.contains(QStringLiteral("body line\t12\tfiller 150")));

    // Another file, a layout number beyond it, a damaged file, wrong usage.
    const QString other = dir.filePath(QStringLiteral("other.urp"));
    ASSERT_TRUE(LayoutFile(other).create({named(QStringLiteral("Tab\there"))}));
    r = cli({QStringLiteral("layouts"), QStringLiteral("--file"), other}, dir.path());
    EXPECT_EQ(r.out, QStringLiteral("number\tname\twidth\tlines per record\n0\tTab\\there\t90\t1\n"));
    r = cli({QStringLiteral("layouts"), QStringLiteral("--file"), other, QStringLiteral("--show"),
             QStringLiteral("1")},
            dir.path());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no report layout number 1")));

    ASSERT_TRUE(writeFile(other, readFile(other) + "abc"));
    r = cli({QStringLiteral("layouts"), QStringLiteral("--file"), other}, dir.path());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("0\tTab")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("is damaged")));

    r = cli({QStringLiteral("layouts"), QStringLiteral("--file"), dir.filePath(QStringLiteral("none.urp"))},
            dir.path());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no such file")));
    for (const QStringList& wrong : {QStringList{"layouts", "--show", "x"}, QStringList{"layouts", "extra"},
                                     QStringList{"layouts", "--show"}}) {
        EXPECT_EQ(cli(wrong, dir.path()).code, 2) << wrong.join(u' ').toStdString();
    }
}

} // namespace
