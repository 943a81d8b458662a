// quillon-bench: timings of the table engine and quillon-cli over generated catalogues.
//
// For each size it makes (once) a catalogue with `quillon-cli generate`, then measures:
//   open + first 40 records in NewIndex order (the start-up path, index present),
//   building NewIndex for Title,Year,
//   a full scan through a record filter (title contains "AN"),
//   `quillon-cli list` of all records to /dev/null,
// and, in the same run for comparison, `cat FILE > /dev/null` and python3-dbfread reading the file.
// Peak memory (maximum resident set) is reported for this process and for each child.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldtext.h"
#include "catalogue/sortorder.h"
#include "dbase/table.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long selfPeakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct ChildRun {
    int status = -1;
    double seconds = 0;
    long peakKb = 0;
};

// Runs a program with its standard output sent to a file (or /dev/null); waits for it and
// returns its time and peak memory.
ChildRun runChild(const std::vector<std::string>& argv, const char* stdoutPath = "/dev/null") {
    ChildRun r;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            close(fd);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    rusage u{};
    wait4(pid, &r.status, 0, &u);
    r.seconds = seconds(start);
    r.peakKb = u.ru_maxrss;
    return r;
}

bool ok(const ChildRun& r) { return WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0; }

void line(const char* what, double secs, const std::string& extra = {}) {
    std::printf("  %-44s %9.3f s  %s\n", what, secs, extra.c_str());
    std::fflush(stdout);
}

std::string mbps(double bytes, double secs) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%8.1f MB/s", secs > 0 ? bytes / secs / 1e6 : 0.0);
    return buf;
}

std::string kb(long k) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "peak RSS %.1f MB", double(k) / 1024.0);
    return buf;
}

int usage() {
    std::fprintf(stderr,
                 "Usage: quillon-bench [--cli PATH] [--dir DIR] [--sizes N,N,...] [--no-python] [--fresh]\n"
                 "  --cli     quillon-cli to generate and list with (default: beside this program)\n"
                 "  --dir     folder for the generated catalogues (default /tmp/quillon-bench)\n"
                 "  --sizes   record counts (default 100000,1000000)\n"
                 "  --no-python  skip the python3-dbfread comparison\n"
                 "  --fresh   generate the catalogues again even when they exist\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/quillon-cli");
    QString dir = QStringLiteral("/tmp/quillon-bench");
    QList<qulonglong> sizes{100000, 1000000};
    bool python = true, fresh = false;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--cli") && i + 1 < args.size()) cli = args[++i];
        else if (a == QLatin1String("--dir") && i + 1 < args.size()) dir = args[++i];
        else if (a == QLatin1String("--sizes") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& s : args[++i].split(u',')) {
                bool good = false;
                sizes << s.toULongLong(&good);
                if (!good) return usage();
            }
        } else if (a == QLatin1String("--no-python")) python = false;
        else if (a == QLatin1String("--fresh")) fresh = true;
        else return usage();
    }
    if (!QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "quillon-bench: %s is not an executable quillon-cli\n", qPrintable(cli));
        return 1;
    }
    QDir().mkpath(dir);
    // The CLI reads its date format from the program settings; keep it away from the user's.
    qputenv("XDG_CONFIG_HOME", (dir + QStringLiteral("/config")).toLocal8Bit());
    qputenv("QUILLON_HOME", (dir + QStringLiteral("/home")).toLocal8Bit());

    const DateFormat dates(1, false);
    for (qulonglong n : sizes) {
        const QString file = QStringLiteral("%1/BENCH%2.DBF").arg(dir).arg(n);
        const std::string path = enginePath(file);
        std::printf("\n%llu records: %s\n", n, qPrintable(file));

        bool make = fresh || !QFileInfo::exists(file);
        if (!make) {
            dbase::Table t;
            try {
                t.open(path, dbase::OpenMode::Shared, true);
                make = t.info().physicalCount != n;
            } catch (const dbase::DbError&) {
                make = true;
            }
        }
        if (make) {
            QFile::remove(file);
            QFile::remove(QStringLiteral("%1/BENCH%2.MDX").arg(dir).arg(n));
            QFile::remove(QStringLiteral("%1/BENCH%2.INI").arg(dir).arg(n));
            const ChildRun g = runChild({cli.toStdString(), "generate", path, "--records", std::to_string(n),
                                         "--seed", "1"});
            if (!ok(g)) {
                std::fprintf(stderr, "quillon-bench: generate failed\n");
                return 1;
            }
            line("quillon-cli generate", g.seconds, kb(g.peakKb));
        }
        const double bytes = double(QFileInfo(file).size());
        std::printf("  file size %.1f MB\n", bytes / 1e6);

        const QString expression = BuildSortString(1, 11, 0, 0);  // Title, Year
        try {
            // Build of NewIndex for Title, Year (what a new sort order does).
            {
                dbase::Table t;
                t.open(path, dbase::OpenMode::Exclusive);
                const auto start = Clock::now();
                applySortExpression(t, expression, SortApply::Rebuild);
                line("build NewIndex (Title, Year)", seconds(start));
                t.close();
            }
            // Open + first screen in NewIndex order, as at start-up with the index present.
            {
                const auto start = Clock::now();
                dbase::Table t;
                t.open(path);
                applySortExpression(t, expression, SortApply::StartUp);
                std::size_t chars = 0;
                int rows = 0;
                for (bool more = t.first(); more && rows < 40; more = t.next(), ++rows)
                    for (int f = 0; f < t.fieldCount(); ++f) chars += fieldTextUtf8(t, f, dates).size();
                const uint32_t count = t.recordCount();
                const double secs = seconds(start);
                line("open + first 40 records in NewIndex order", secs,
                     "(" + std::to_string(rows) + " rows, count " + std::to_string(count) + ", " +
                         std::to_string(chars) + " chars)");
            }
            // A full scan through a record filter: title contains "AN" (letter case ignored).
            {
                dbase::Table t;
                t.open(path, dbase::OpenMode::Shared, true);
                const int title = t.fieldIndexOrThrow("Title");
                t.setFilter([title](const dbase::Table& r) {
                    const std::string s = r.getText(title);
                    for (std::size_t i = 0; i + 1 < s.size(); ++i)
                        if ((s[i] == 'A' || s[i] == 'a') && (s[i + 1] == 'N' || s[i + 1] == 'n')) return true;
                    return false;
                });
                const auto start = Clock::now();
                t.disableControls();
                uint64_t matches = 0;
                for (bool more = t.first(); more; more = t.next()) ++matches;
                t.enableControls();
                const double secs = seconds(start);
                line("filtered scan, record order (title ~ AN)", secs,
                     mbps(bytes, secs) + "  " + std::to_string(matches) + " matches");

                t.setActiveIndex("");
                t.close();
                t.open(path, dbase::OpenMode::Shared, true);
                t.setActiveIndex(kSortTag);
                t.setFilter([title](const dbase::Table& r) {
                    const std::string s = r.getText(title);
                    for (std::size_t i = 0; i + 1 < s.size(); ++i)
                        if ((s[i] == 'A' || s[i] == 'a') && (s[i + 1] == 'N' || s[i + 1] == 'n')) return true;
                    return false;
                });
                const auto start2 = Clock::now();
                uint64_t matches2 = 0;
                for (bool more = t.first(); more; more = t.next()) ++matches2;
                const double secs2 = seconds(start2);
                line("filtered scan, NewIndex order", secs2, mbps(bytes, secs2) + "  " + std::to_string(matches2) +
                                                                 " matches");
            }
        } catch (const dbase::DbError& e) {
            std::fprintf(stderr, "quillon-bench: %s\n", e.what());
            return 1;
        }
        std::printf("  (this process: %s)\n", kb(selfPeakKb()).c_str());

        const ChildRun list = runChild({cli.toStdString(), "list", path});
        line("quillon-cli list > /dev/null", list.seconds, mbps(bytes, list.seconds) + "  " + kb(list.peakKb) +
                                                               (ok(list) ? "" : "  FAILED"));
        const ChildRun cat = runChild({"/bin/cat", path});
        line("cat FILE > /dev/null", cat.seconds, mbps(bytes, cat.seconds) + "  " + kb(cat.peakKb));
        if (python) {
            const ChildRun py = runChild(
                {"/usr/bin/python3", "-c",
                 "import sys\nfrom dbfread import DBF\nn = 0\nfor r in DBF(sys.argv[1]): n += 1\nprint(n)\n", path});
            line("python3 dbfread, all records", py.seconds, mbps(bytes, py.seconds) + "  " + kb(py.peakKb) +
                                                                  (ok(py) ? "" : "  FAILED"));
        }
    }
    std::printf("\nthis process: %s\n", kb(selfPeakKb()).c_str());
    return 0;
}
