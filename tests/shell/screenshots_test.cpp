// Pictures of the main window and its windows for a person to look at. Runs only when
// QUILLON_SHOTS names a folder to write them into; otherwise skipped.
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/ui/sortorderdialog.h"
#include "common/testcatalogue.h"
#include "shell/tipofthedaydialog.h"
#include "shell_helpers.h"
#include "widgets/helpwindow.h"

using namespace shelltest;

namespace {

void save(QWidget* w, const QString& name) {
    QCoreApplication::processEvents();
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS");
    EXPECT_TRUE(w->grab().save(folder + "/" + name));
}

TEST(Screenshots, MainWindowAndItsWindows) {
    if (qEnvironmentVariable("QUILLON_SHOTS").isEmpty()) GTEST_SKIP() << "QUILLON_SHOTS not set";
    QDir().mkpath(qEnvironmentVariable("QUILLON_SHOTS"));
    Sandbox box;
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    {
        auto main = start();
        const char* titles[] = {"Casablanca", "Alien",       "Brazil",     "The Third Man",
                                "Vertigo",    "Rear Window", "Metropolis", "Chinatown",
                                "Jaws",       "Amadeus",     "Fargo",      "Heat"};
        appendRecords(main->session().table(), 12, [&](int i) {
            return TestRecord{titles[i], i % 2 ? "Drama" : "Thriller", "19970403", i % 3 ? "Yes" : "No",
                              1940 + 4 * i};
        });
        main->session().notifyRecordsChanged();
        main->show();
        main->displayCount();
        save(main.get(), "main-speed-640.png");
        main->chooseButtonBar(ButtonBarMode::Lettered);
        save(main.get(), "main-lettered-640.png");
        main->chooseButtonBar(ButtonBarMode::None);
        save(main.get(), "main-none-640.png");
        main->chooseButtonBar(ButtonBarMode::Speed);
        main->resize(800, 600);
        save(main.get(), "main-speed-800.png");

        auto sort = std::make_unique<SortOrderDialog>(main->session(), main.get());
        sort->show();
        save(sort.get(), "sort-order.png");
        sort.reset();

        bool showTips = true;
        auto tips = std::make_unique<TipOfTheDayDialog>(main->session(), showTips, main.get());
        tips->setTip(9);
        tips->show();
        save(tips.get(), "tip-of-the-day.png");
        tips.reset();

        HelpWindow* help = HelpWindow::showHelp(main.get(), "sort-order");
        ASSERT_NE(help, nullptr);
        save(help, "help-sort-order.png");
        help->close();
        main->hide();
        finish(main);
    }
}

} // namespace
