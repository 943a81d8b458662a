// quillon-bench viewer FILE [--rows N]
//
// The viewer model over a (large) catalogue, as the main window uses it:
//   open + model + first screen in record order (no index active), and when the exact record
//   count (counted in the background, as the main window does) is known,
//   the same in NewIndex order (the tag is made first when the file has none),
//   jump to the last row (all forty columns),
//   scroll by a page (N rows, default 30): the mean and the worst of 200 page steps from the middle,
//   and the memory of this process (resident now and at its peak).
#include "viewer_bench.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include "catalogue/viewermodel.h"
#include "dbase/table.h"

namespace {

using Clock = std::chrono::steady_clock;
double ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Reads every column of rows [first, first + count) as the grid paints them.
size_t readRows(const ViewerModel& model, int first, int count) {
    size_t chars = 0;
    const int last = std::min(model.rowCount(), first + count);
    for (int row = first; row < last; ++row)
        for (int c = 0; c < model.columnCount(); ++c)
            chars += size_t(model.index(row, c).data().toString().size());
    return chars;
}

void report(const char* what, double millis, const std::string& extra = std::string()) {
    std::printf("  %-52s %10.2f ms  %s\n", what, millis, extra.c_str());
}

} // namespace

int viewerBench(const QStringList& args) {
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: quillon-bench viewer FILE [--rows N]\n");
        return 2;
    }
    const QString file = args[0];
    int pageRows = 30;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows") && i + 1 < args.size())
            pageRows = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: quillon-bench viewer FILE [--rows N]\n");
            return 2;
        }
    }
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "quillon-bench: %s does not exist\n", qPrintable(file));
        return 1;
    }
    const std::string path = QFile::encodeName(file).toStdString();
    const std::string tag = "NEWINDEX";
    std::printf("viewer over %s, page of %d rows\n", qPrintable(file), pageRows);
    try {
        // Make sure NewIndex exists, so that the timings below are those of a start with the index.
        {
            dbase::Table t;
            t.open(path, dbase::OpenMode::Exclusive);
            bool has = false;
            for (const auto& info : t.tags())
                has = has || info.name == tag;
            if (!has) {
                const auto start = Clock::now();
                t.addIndex(tag, "Upper(Left(Title,40))+STR(Year,12,0)");
                report("build NewIndex (Title, Year), once", ms(start));
            }
        }
        for (bool indexed : {false, true}) {
            const long rssBefore = residentKb();
            const auto start = Clock::now();
            dbase::Table t;
            t.open(path);
            t.setActiveIndex(indexed ? tag : std::string());
            const double openMs = ms(start);
            ViewerModel model(t);
            const double modelMs = ms(start);
            readRows(model, 0, pageRows);
            const double firstScreenMs = ms(start);
            const bool counting = model.isCounting();
            model.finishCount();
            const double countMs = ms(start);
            std::printf(" %s (%d rows)\n", indexed ? "NewIndex order" : "record order", model.rowCount());
            report("open table", openMs);
            report("open + model (first rows read)", modelMs);
            report("open + model + first screen", firstScreenMs);
            report(counting ? "  exact count known (background)" : "  exact count known (at once)", countMs);

            auto s = Clock::now();
            readRows(model, model.rowCount() - pageRows, pageRows);
            report("jump to the last page", ms(s));

            double worst = 0, total = 0;
            const int steps = 200;
            int row = model.rowCount() / 2;
            for (int i = 0; i < steps; ++i, row += pageRows) {
                s = Clock::now();
                readRows(model, row % std::max(1, model.rowCount()), pageRows);
                const double one = ms(s);
                total += one;
                worst = std::max(worst, one);
            }
            report("scroll one page (mean of 200)", total / steps, "worst " + std::to_string(worst) + " ms");
            s = Clock::now();
            model.reload();
            report("reload (records changed), first rows", ms(s));
            model.finishCount();
            report("  and the exact count", ms(s));
            std::printf("  memory: resident %ld kB (model and table %+ld kB), peak %ld kB\n", residentKb(),
                        residentKb() - rssBefore, peakKb());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillon-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
