// quillon-bench: timings of the table engine and quillon-cli over generated catalogues.
//
// For each size it makes (once) a catalogue with `quillon-cli generate`, then measures, each in a
// fresh process of its own (so one measurement's heap and memory peak do not colour the next):
//   building NewIndex for Title,Year (a new sort order),
//   open + first 40 records in NewIndex order (the start-up path, index present), and the record
//   count shown beside the first screen,
//   a full scan through a record filter (title contains "AN"), in record order and in NewIndex order,
//   `quillon-cli list` of all records to /dev/null,
// and, in the same run for comparison, `cat FILE > /dev/null` and python3-dbfread reading the file.
// Every line gives wall time, CPU time and the peak resident memory of the process measured.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/fieldtext.h"
#include "catalogue/sortorder.h"
#include "dbase/table.h"
#include "viewer_bench.h"

namespace {

using Clock = std::chrono::steady_clock;

// Wall and CPU time since construction.
class Stopwatch {
public:
    Stopwatch() : wall_(Clock::now()), cpu_(cpuNow()) {}
    double wall() const { return std::chrono::duration<double>(Clock::now() - wall_).count(); }
    double cpu() const { return cpuNow() - cpu_; }

private:
    static double cpuNow() {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    Clock::time_point wall_;
    double cpu_;
};

long selfPeakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

std::string join(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts)
        s.append(p);
    return s;
}

std::string fmt(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

struct ChildRun {
    int status = -1;
    double wall = 0;
    double cpu = 0;
    long peakKb = 0;
    std::string output; // standard output (only when captured)
};

bool ok(const ChildRun& r) {
    return WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0;
}

// Runs a program, its standard output sent to /dev/null or captured; waits for it and returns its
// wall and CPU time and peak memory. The peak comes from /usr/bin/time, whose child starts from a
// small process: the maximum resident set a direct child reports would include this program's
// pages at the fork.
ChildRun runChild(const std::vector<std::string>& command, bool capture = false) {
    static const bool haveTime = access("/usr/bin/time", X_OK) == 0;
    char report[] = "/tmp/quillon-bench-rss-XXXXXX";
    char out[] = "/tmp/quillon-bench-out-XXXXXX";
    const int reportFd = mkstemp(report);
    if (reportFd >= 0) close(reportFd);
    const int outFd = capture ? mkstemp(out) : open("/dev/null", O_WRONLY);
    std::vector<std::string> argv;
    if (haveTime && reportFd >= 0) argv = {"/usr/bin/time", "-f", "%M", "-o", report};
    argv.insert(argv.end(), command.begin(), command.end());

    ChildRun r;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (outFd >= 0) dup2(outFd, 1);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    rusage u{};
    wait4(pid, &r.status, 0, &u);
    r.wall = std::chrono::duration<double>(Clock::now() - start).count();
    r.cpu =
        double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    r.peakKb = u.ru_maxrss;
    if (haveTime && reportFd >= 0) {
        if (FILE* f = std::fopen(report, "r")) {
            long k = 0;
            if (std::fscanf(f, "%ld", &k) == 1) r.peakKb = k;
            std::fclose(f);
        }
    }
    if (reportFd >= 0) unlink(report);
    if (outFd >= 0) {
        if (capture) {
            char buf[4096];
            lseek(outFd, 0, SEEK_SET);
            for (ssize_t n; (n = read(outFd, buf, sizeof buf)) > 0;)
                r.output.append(buf, size_t(n));
            unlink(out);
        }
        close(outFd);
    }
    return r;
}

void line(const std::string& what, double wall, double cpu, long peakKb, const std::string& extra = {}) {
    std::printf("  %-46s %8.3f s  cpu %7.3f s  peak %7.1f MB  %s\n", what.c_str(), wall, cpu,
                double(peakKb) / 1024.0, extra.c_str());
    std::fflush(stdout);
}

std::string mbps(double bytes, double secs) {
    return fmt("%7.1f MB/s", secs > 0 ? bytes / secs / 1e6 : 0.0);
}

// ---- measurements run in a process of their own ------------------------------------------------
// Each prints one line: "wall cpu detail..."

bool titleHasAn(const dbase::Table& r, int title) {
    const std::string s = r.getText(title);
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if ((s[i] == 'A' || s[i] == 'a') && (s[i + 1] == 'N' || s[i + 1] == 'n')) return true;
    return false;
}

int phase(const QString& name, const std::string& path) {
    const QString expression = sortExpression(1, 11, 0, 0); // Title, Year
    const DateFormat dates(1, false);
    try {
        if (name == QLatin1String("build")) {
            dbase::Table t;
            t.open(path, dbase::OpenMode::Exclusive);
            const Stopwatch w;
            applySortExpression(t, expression, SortApply::Rebuild);
            std::printf("%f %f\n", w.wall(), w.cpu());
        } else if (name == QLatin1String("open")) {
            const Stopwatch w;
            dbase::Table t;
            t.open(path);
            applySortExpression(t, expression, SortApply::StartUp);
            std::size_t chars = 0;
            int rows = 0;
            for (bool more = t.first(); more && rows < 40; more = t.next(), ++rows)
                for (int f = 0; f < t.fieldCount(); ++f)
                    chars += fieldTextUtf8(t, f, dates).size();
            const double wall = w.wall(), cpu = w.cpu();
            const Stopwatch c;
            const uint32_t count = t.recordCount();
            std::printf("%f %f %d %zu %f %f %u\n", wall, cpu, rows, chars, c.wall(), c.cpu(), count);
        } else if (name == QLatin1String("scan") || name == QLatin1String("scan-indexed")) {
            dbase::Table t;
            t.open(path, dbase::OpenMode::Shared, true);
            if (name == QLatin1String("scan-indexed")) t.setActiveIndex(kSortTag);
            const int title = t.fieldIndexOrThrow("Title");
            const Stopwatch w;
            t.setFilter([title](const dbase::Table& r) { return titleHasAn(r, title); });
            t.disableControls();
            uint64_t matches = 0;
            for (bool more = t.first(); more; more = t.next())
                ++matches;
            t.enableControls();
            std::printf("%f %f %llu\n", w.wall(), w.cpu(), static_cast<unsigned long long>(matches));
        } else {
            return 2;
        }
    } catch (const dbase::DbError& e) {
        std::fprintf(stderr, "quillon-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "Usage: quillon-bench [--cli PATH] [--dir DIR] [--sizes N,N,...] [--no-python] [--fresh]\n"
                 "       quillon-bench viewer FILE [--rows N]   (the viewer model over a catalogue)\n"
                 "  --cli     quillon-cli to generate and list with (default: beside this program)\n"
                 "  --dir     folder for the generated catalogues (default /tmp/quillon-bench)\n"
                 "  --sizes   record counts (default 100000,1000000)\n"
                 "  --no-python  skip the python3-dbfread comparison\n"
                 "  --fresh   generate the catalogues again even when they exist\n"
                 "       quillon-bench --phase build|open|scan|scan-indexed FILE   one measurement\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--phase")) return phase(args[1], enginePath(args[2]));
    if (args.value(0) == QLatin1String("viewer")) return viewerBench(args.mid(1)); // viewer_bench.cpp

    QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/quillon-cli");
    QString dir = QStringLiteral("/tmp/quillon-bench");
    QList<qulonglong> sizes{100000, 1000000};
    bool python = true, fresh = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--cli") && i + 1 < args.size())
            cli = args[++i];
        else if (a == QLatin1String("--dir") && i + 1 < args.size())
            dir = args[++i];
        else if (a == QLatin1String("--sizes") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& s : args[++i].split(u',')) {
                bool good = false;
                sizes << s.toULongLong(&good);
                if (!good) return usage();
            }
        } else if (a == QLatin1String("--no-python"))
            python = false;
        else if (a == QLatin1String("--fresh"))
            fresh = true;
        else
            return usage();
    }
    if (!QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "quillon-bench: %s is not an executable quillon-cli\n", qPrintable(cli));
        return 1;
    }
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    QDir().mkpath(dir);
    // The CLI reads its date format from the program settings; keep it away from the user's.
    qputenv("XDG_CONFIG_HOME", (dir + QStringLiteral("/config")).toLocal8Bit());
    qputenv("QUILLON_HOME", (dir + QStringLiteral("/home")).toLocal8Bit());

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
            const ChildRun g = runChild(
                {cli.toStdString(), "generate", path, "--records", std::to_string(n), "--seed", "1"});
            if (!ok(g)) {
                std::fprintf(stderr, "quillon-bench: generate failed\n");
                return 1;
            }
            line("quillon-cli generate", g.wall, g.cpu, g.peakKb);
        }
        const double bytes = double(QFileInfo(file).size());
        std::printf("  file size %.1f MB\n", bytes / 1e6);
        // Warm the page cache so that every measurement reads from memory, as cat does.
        runChild({"/bin/cat", path});

        auto measure = [&](const char* which, std::vector<double>* values) {
            const ChildRun r = runChild({self, "--phase", which, path}, true);
            if (!ok(r)) {
                std::fprintf(stderr, "quillon-bench: the %s measurement failed\n", which);
                return ChildRun{};
            }
            for (const QString& v : QString::fromStdString(r.output).split(u' ', Qt::SkipEmptyParts))
                values->push_back(v.toDouble());
            return r;
        };

        std::vector<double> v;
        ChildRun r = measure("build", &v);
        if (v.size() >= 2) line("build NewIndex (Title, Year)", v[0], v[1], r.peakKb);
        v.clear();
        r = measure("open", &v);
        if (v.size() >= 7) {
            line("open + first 40 records in NewIndex order", v[0], v[1], r.peakKb,
                 join({std::to_string(int(v[2])), " rows, ", std::to_string(size_t(v[3])), " chars"}));
            line("  then the record count", v[4], v[5], r.peakKb,
                 join({std::to_string(uint64_t(v[6])), " records"}));
            line("  open + first screen + count", v[0] + v[4], v[1] + v[5], r.peakKb);
        }
        v.clear();
        r = measure("scan", &v);
        if (v.size() >= 3)
            line("filtered scan, record order (title ~ AN)", v[0], v[1], r.peakKb,
                 join({mbps(bytes, v[0]), "  ", std::to_string(uint64_t(v[2])), " matches"}));
        v.clear();
        r = measure("scan-indexed", &v);
        if (v.size() >= 3)
            line("filtered scan, NewIndex order", v[0], v[1], r.peakKb,
                 join({mbps(bytes, v[0]), "  ", std::to_string(uint64_t(v[2])), " matches"}));

        const ChildRun list = runChild({cli.toStdString(), "list", path});
        line("quillon-cli list > /dev/null", list.wall, list.cpu, list.peakKb,
             join({mbps(bytes, list.wall), ok(list) ? "" : "  FAILED"}));
        const ChildRun cat = runChild({"/bin/cat", path});
        line("cat FILE > /dev/null", cat.wall, cat.cpu, cat.peakKb, mbps(bytes, cat.wall));
        if (python) {
            const ChildRun py = runChild(
                {"/usr/bin/python3", "-c",
                 "import sys\nfrom dbfread import DBF\nn = 0\nfor r in DBF(sys.argv[1]): n += 1\nprint(n)\n",
                 path});
            line("python3 dbfread, all records", py.wall, py.cpu, py.peakKb,
                 join({mbps(bytes, py.wall), ok(py) ? "" : "  FAILED"}));
        }
    }
    std::printf("\n(the benchmark itself: peak %.1f MB)\n", double(selfPeakKb()) / 1024.0);
    return 0;
}
