// quillon-report-bench FILE [LAYOUT ...]: report generation over a catalogue, each built-in layout
// (or the layouts named by number) to a text file, to a PDF file and into the page store of the
// preview. Per run: wall time, time until the first page was finished, pages, and for the preview
// the memory held by the page store.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cstdio>

#include "catalogue/settings.h"
#include "catalogue/sortorder.h"
#include "dbase/table.h"
#include "render/renderer.h"
#include "reports/defaultlayouts.h"
#include "reports/reportrun.h"

namespace {

struct Result {
    double seconds = 0, firstPage = -1;
    int pages = 0;
    std::size_t storeBytes = 0;
};

Result runOnce(const reports::ReportLayout& layout, dbase::Table& table, const std::array<int, 4>& levels,
               const QString& mode, const QString& folder) {
    reports::ReportSource source;
    source.table = &table;
    for (int slot = 1; slot <= FieldCount; ++slot)
        source.displayNames[std::size_t(slot - 1)] = defaultTitle(slot);
    source.sortLevels = levels;
    render::Renderer renderer;
    render::PageStore store;
    Result result;
    QElapsedTimer clock;
    clock.start();
    renderer.setStatusCallback([&](const QString&) {
        if (result.firstPage < 0 && renderer.pageNumber() == 2) result.firstPage = clock.elapsed() / 1000.0;
        result.pages = renderer.pageNumber();
    });
    if (mode == "text") {
        reports::ReportRun run(layout, source, reports::ReportRun::Mode::TextFile);
        run.setTextFile(folder + "/bench.txt");
        run.run(renderer, store);
    } else if (mode == "pdf") {
        QPdfWriter writer(folder + "/bench.pdf");
        writer.setResolution(1200);
        render::DeviceSink sink(writer);
        reports::ReportRun run(layout, source, reports::ReportRun::Mode::Print);
        run.run(renderer, store, &sink);
        sink.finish();
    } else {
        reports::ReportRun run(layout, source, reports::ReportRun::Mode::Preview);
        run.run(renderer, store);
        result.storeBytes = store.memoryUse();
    }
    result.seconds = clock.elapsed() / 1000.0;
    if (result.firstPage < 0) result.firstPage = result.seconds;
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "Usage: quillon-report-bench FILE [LAYOUT-NUMBER ...]\n");
        return 2;
    }
    dbase::Table table;
    table.open(args[0].toStdString(), dbase::OpenMode::Shared, true);
    bool hasTag = false;
    for (const auto& tag : table.tags())
        if (QString::fromStdString(tag.name).compare(kSortTag, Qt::CaseInsensitive) == 0) hasTag = true;
    if (hasTag) table.setActiveIndex(kSortTag);
    DatabaseSettings settings;
    settings.loadForTable(args[0], QString());
    const QList<reports::ReportLayout> layouts = reports::defaultReportSet();
    QList<int> chosen;
    for (const QString& a : args.mid(1))
        chosen << a.toInt();
    if (chosen.isEmpty()) chosen = {0, 4};
    QTemporaryDir dir;
    std::printf("%u records, sort levels %d %d %d %d\n", table.recordCount(), settings.sortLevels[0],
                settings.sortLevels[1], settings.sortLevels[2], settings.sortLevels[3]);
    for (int n : chosen) {
        for (const char* mode : {"text", "pdf", "preview"}) {
            const Result r = runOnce(layouts[n], table, settings.sortLevels, mode, dir.path());
            std::printf("%-32s %-8s %8.2f s  first page %6.3f s  %6d pages", qPrintable(layouts[n].name),
                        mode, r.seconds, r.firstPage, r.pages);
            if (r.storeBytes) std::printf("  page store %.1f MB", r.storeBytes / 1048576.0);
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
