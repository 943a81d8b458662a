// quillon-report-screenshots: pictures of the report output windows for a person to look at (the
// report window with a report and with spine labels chosen, the preview of the "Large Report" and
// of the grouped "Ratings Report" at whole page and page width), written into the folder
// QUILLON_SHOTS names (./screenshots without it). Run it under xvfb-run for real fonts.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/session.h"
#include "common/screenshots.h"
#include "common/sessioncatalogue.h"
#include "render/renderer.h"
#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"
#include "reports/reportrun.h"
#include "reports/ui/previewwindow.h"
#include "reports/ui/reportwindow.h"

using namespace reports;
using shots::shot;

namespace {

void save(QWidget& w, const QString& name) {
    w.show();
    QTest::qWait(100);
    EXPECT_TRUE(w.grab().save(shot(name)));
}

TEST(ReportScreenshots, Windows) {
    shots::makeFolder();
    QTemporaryDir home;
    qputenv("QUILLON_HOME", home.path().toLocal8Bit());
    ASSERT_TRUE(LayoutFile(home.filePath("QLNVID.URP")).create(defaultReportSet()));
    Session session;
    QTemporaryDir dir;
    const QString path = dir.filePath("MASTER.DBF");
    dbase::Table::create(path.toStdString(), ::catalogueFields());
    {
        dbase::Table t;
        t.open(path.toStdString());
        const char* titles[] = {"Casablanca", "Alien",       "Brazil",     "The Third Man",
                                "Vertigo",    "Rear Window", "Metropolis", "Chinatown",
                                "Jaws",       "Amadeus",     "Fargo",      "Heat"};
        const char* categories[] = {"Drama", "Science Fiction", "Thriller"};
        const char* ratings[] = {"PG", "R", "NR", "PG-13"};
        for (int i = 0; i < 36; ++i) {
            editortest::addRecord(
                t, {{"TITLE", titles[i % 12] + std::string(i >= 12 ? " " + std::to_string(i / 12 + 1) : "")},
                    {"CATEGORY", categories[i / 12]},
                    {"RATING", ratings[i % 4]},
                    {"PERSONALRA", i % 3 ? "Excellent" : "Good"},
                    {"MEDIANUM", "T" + std::to_string(10000 + i)},
                    {"YEAR", std::to_string(1940 + i)},
                    {"RUNTIME", std::to_string(90 + i)},
                    {"STAR1", "Humphrey Bogart"},
                    {"STAR2", "Ingrid Bergman"},
                    {"DIRECTOR", "Michael Curtiz"},
                    {"PRODUCER", "Hal B. Wallis"},
                    {"KEYWORDS", "war, romance, airport"},
                    {"DESCRIPTIO", "A cynical nightclub owner protects an old flame."},
                    {"LISTPRICE", std::to_string(10 + i) + ".95"},
                    {"PURCHPRICE", std::to_string(5 + i) + ".50"}});
        }
    }
    session.table().open(path.toStdString());
    session.setCurrentDatabase(path);
    session.database().sortLevels = {Slot::Category, Slot::Title, 0, 0};
    {
        ReportWindow w(session);
        w.reportBox()->setCurrentRow(4);
        save(w, "report-window.png");
        w.whatToPrintButton(ReportWindow::SpineLabels)->click();
        w.labelStyleButton(1)->click();
        save(w, "report-window-spine-labels.png");
    }
    for (const auto& [index, name] : {std::pair{4, "large"}, std::pair{1, "ratings"}}) {
        const ReportLayout layout = defaultReportSet()[index];
        ReportRun run(layout, ReportSource::fromSession(session), ReportRun::Mode::Preview);
        render::Renderer renderer;
        render::PageStore store;
        ASSERT_EQ(run.run(renderer, store), ReportRun::Outcome::Completed);
        session.database().reportViewWidth = 900;
        session.database().reportViewHeight = 700;
        PreviewWindow p(session, store, {layout.name, false});
        p.show();
        QTest::qWait(50);
        p.speedButton("Zoom Whole Page")->click();
        save(p, QString("preview-%1-whole-page.png").arg(name));
        p.speedButton("Zoom Page Width")->click();
        save(p, QString("preview-%1-page-width.png").arg(name));
        p.close();
    }
    {
        // The preview while the later pages are still being made, and its status window, taken at
        // the first look at the events after the first page is finished: over a catalogue long
        // enough that the run is still going then.
        for (int i = 0; i < 400; ++i)
            editortest::addRecord(session.table(),
                                  {{"TITLE", "Extra " + std::to_string(i)}, {"CATEGORY", "Western"}});
        ReportWindow w(session);
        w.show();
        w.whatToPrintButton(ReportWindow::EntireDatabase)->click();
        w.reportBox()->setCurrentRow(4);
        bool taken = false;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* p = qobject_cast<PreviewWindow*>(top);
                if (!p || !p->isVisible()) continue;
                if (p->building() && !taken) {
                    taken = true;
                    p->speedButton("Zoom Whole Page")->click();
                    QApplication::processEvents();
                    EXPECT_TRUE(p->grab().save(shot("preview-while-made.png")));
                    EXPECT_TRUE(p->parentWidget()->grab().save(shot("status-while-made.png")));
                }
                p->close(); // cancels the rest, or ends the run's windows when it is complete
            }
        });
        watch.start();
        w.DoView();
        watch.stop();
        EXPECT_TRUE(taken);
    }
}

} // namespace
