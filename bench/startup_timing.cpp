// quillon-startup-timing: start-up of the main window over a large catalogue, timed for a person to
// read. QUILLON_TIMING_TABLE names the catalogue table (for example one made by quillon-cli generate).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

#include "shell_helpers.h"
#include "widgets/viewergrid.h"

using namespace shelltest;

namespace {

long residentKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

TEST(StartupTiming, FirstScreenOverALargeCatalogue) {
    const QString table = qEnvironmentVariable("QUILLON_TIMING_TABLE");
    ASSERT_FALSE(table.isEmpty()) << "Name a catalogue table in QUILLON_TIMING_TABLE";
    Sandbox box;
    box.setProgramKey("Misc", "Last Database", table);
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    for (int run = 0; run < 2; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto main = start();
        main->show();
        main->grab(); // the first screen painted
        const qint64 firstScreen = timer.elapsed();
        const QString countShown = main->countLabel()->text();
        // The exact count of a large catalogue follows in the background.
        main->viewerGrid()->ensureAllRows();
        const qint64 counted = timer.elapsed();
        timer.restart();
        main->viewerGrid()->selectRow(main->viewerGrid()->model()->rowCount() - 1);
        main->grab();
        const qint64 last = timer.elapsed();
        std::printf(
            "run %d (%s): first screen %lld ms (count shown \"%s\"), exact count %lld ms, jump to last "
            "row %lld ms, records %s, resident %ld kB\n",
            run, run == 0 ? "index may be built" : "index present", (long long)firstScreen,
            qPrintable(countShown), (long long)counted, (long long)last,
            qPrintable(main->countLabel()->text()), residentKb());
        main->hide();
        finish(main);
    }
}

} // namespace
