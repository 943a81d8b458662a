// quillon-screenshots: pictures of the main window and its windows for a person to look at, written
// into the folder QUILLON_SHOTS names (./screenshots without it): the button bars, a catalogue of a
// hundred videos after start and after Sort, the record editor at the 640 and 1280 screen sizes,
// the menus of exclusive choices, and the award pick of a first start. Run it under xvfb-run for
// real fonts (with a screen of at least 1280 x 1024: xvfb-run -s "-screen 0 1600x1200x24").
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>

#include "base/inifile.h"
#include "catalogue/ui/sortorderdialog.h"
#include "common/programshots.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "editor/ui/awardpickdialog.h"
#include "editor/ui/recordeditor.h"
#include "shell/tipofthedaydialog.h"
#include "shell_helpers.h"
#include "widgets/helpwindow.h"

using namespace shelltest;
using shots::save;

namespace {

TEST(Screenshots, MainWindowAndItsWindows) {
    shots::makeFolder();
    shots::Sandbox box;
    ScriptedPrompts prompts;
    {
        auto main = shots::startWithTwelveVideos();
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

// A hundred videos in MASTER, in the order they were added.
void writeHundredVideos(const Sandbox& box) {
    createTestCatalogue(box.master());
    dbase::Table t;
    t.open(enginePathOf(box.master()));
    const char* words[] = {"Silent", "Night",  "River", "Glass", "Winter",
                           "Shadow", "Golden", "Iron",  "Blue",  "Last"};
    appendRecords(t, 100, [&](int i) {
        return TestRecord{QString("%1 %2 %3").arg(words[i % 10], words[(i / 10) % 10]).arg(i + 1),
                          i % 3 ? "Drama" : "Comedy", "19970403", i % 4 ? "No" : "Yes", 1930 + i % 70};
    });
}

TEST(Screenshots, AHundredVideosAfterStartAndAfterSort) {
    shots::makeFolder();
    shots::Sandbox box;
    writeHundredVideos(box);
    ScriptedPrompts prompts;
    auto main = shots::startShown();
    main->displayCount();
    save(main.get(), "main-100-start.png");
    {
        SortOrderDialog sort(main->session(), main.get());
        sort.show();
        sort.levelBox(0)->setCurrentIndex(Slot::Title);
        sort.okButtonClicked();
    }
    save(main.get(), "main-100-after-sort.png");
    main->hide();
    finish(main);
}

TEST(Screenshots, TheRecordEditorAt640And1280) {
    shots::Sandbox box;
    writeHundredVideos(box);
    ScriptedPrompts prompts;
    auto main = shots::startShown();
    for (const double scale : {1.0, 2.0}) {
        main->session().setScreenScale(scale);
        RecordEditor editor(main->session(), main.get());
        editor.setMode(EditorMode::Edit);
        editor.show();
        auto* pages = editor.findChild<QTabWidget*>();
        ASSERT_NE(pages, nullptr);
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            save(&editor, QString("editor-%1-page%2.png").arg(scale > 1 ? 1280 : 640).arg(page + 1));
        }
        editor.hide();
    }
    main->session().setScreenScale(1.0);
    main->hide();
    finish(main);
}

TEST(Screenshots, MenusOfExclusiveChoices) {
    shots::Sandbox box;
    ScriptedPrompts prompts;
    auto main = shots::startShown();
    for (const char* name : {"MenuDateFormat", "MenuScreenSize", "MenuCurrencyFormat", "MenuScreenAccess"}) {
        QMenu* menu = main->action(name)->menu();
        ASSERT_NE(menu, nullptr) << name;
        menu->popup(main->mapToGlobal(QPoint(40, 40)));
        save(menu, QString("menu-%1.png").arg(QString(name).mid(4).toLower()));
        menu->hide();
    }
    main->hide();
    finish(main);
}

TEST(Screenshots, TheAwardPickOfAFirstStart) {
    shots::Sandbox box;
    ScriptedPrompts prompts;
    auto main = shots::startShown();
    {
        AwardPickDialog pick(main->session(), 1, QString(), main.get());
        pick.show();
        save(&pick, "award-pick-first-start.png");
    }
    main->hide();
    finish(main);
}

} // namespace
