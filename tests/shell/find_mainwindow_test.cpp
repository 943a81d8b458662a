// Finding from the main window: the search command and its state on the window (End Search, the
// "SEARCH ON" label, the record count), the search kept by Update Database and a new sort order,
// locate moving the viewer, and search and replace with a search in force.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/ui/sortorderdialog.h"
#include "common/searchcells.h"
#include "common/testcatalogue.h"
#include "find/ui/locatedialog.h"
#include "find/ui/searchreplacewindow.h"
#include "find/ui/searchwindow.h"
#include "shell_helpers.h"
#include "widgets/viewergrid.h"

using namespace shelltest;
using windowtest::typeInCell;

namespace {

const char* const kTitles[] = {"Casablanca", "Annie Hall", "The Case", "Brazil", "Ran", "Heat"};
const char* const kCategories[] = {"Drama", "Comedy", "Docudrama", "drama", "War", "Crime"};

// Runs `drive` on the next modal window to appear.
// The window is made active first, as a person's click would; a window the drive leaves open is
// closed, so that a failing test cannot hang.
void onNextModal(std::function<void(QWidget*)> drive) {
    QTimer::singleShot(0, [drive] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        modal->activateWindow();
        QApplication::setActiveWindow(modal);
        EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        drive(modal);
        if (modal->isVisible()) {
            ADD_FAILURE() << "the window stayed open";
            if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        }
    });
}

// Searches through the main window's command, typing one criterion and pressing Ok.
void searchFor(MainWindow& main, int slot, const QString& text) {
    onNextModal([slot, text](QWidget* modal) {
        auto* w = qobject_cast<SearchWindow*>(modal);
        ASSERT_TRUE(w);
        typeInCell(*w, slot, text);
        QTest::mouseClick(w->okButton(), Qt::LeftButton);
    });
    main.action("MenuSearch")->trigger();
}

struct MainFixture {
    Sandbox box;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> main;
    MainFixture() {
        box.setProgramKey("Misc", "Show Tips", "No");
        main = start();
        appendRecords(main->session().table(), 6, [](int i) {
            return TestRecord{kTitles[i], kCategories[i], "", "", 1980 + i};
        });
        main->session().notifyRecordsChanged();
        main->show();
        main->displayCount();
    }
    ~MainFixture() { finish(main); }
};

TEST(FindFromTheMainWindow, SearchShowsItsStateAndEnds) {
    MainFixture f;
    MainWindow& m = *f.main;
    EXPECT_TRUE(m.action("MenuSearch")->isEnabled());
    EXPECT_FALSE(m.action("MenuEndSearch")->isEnabled());
    EXPECT_FALSE(m.searchOnLabel()->isVisible());
    searchFor(m, Slot::Title, "an");
    EXPECT_TRUE(m.searchOnLabel()->isVisible());
    EXPECT_EQ(m.searchOnLabel()->text(), "SEARCH ON");
    EXPECT_TRUE(m.action("MenuEndSearch")->isEnabled());
    EXPECT_TRUE(m.speedButton("End Search")->isEnabled());
    EXPECT_EQ(m.countLabel()->text(), "3");
    EXPECT_EQ(m.viewerGrid()->model()->rowCount(), 3);
    m.chooseButtonBar(ButtonBarMode::Lettered);
    EXPECT_TRUE(m.letteredButton(5)->isEnabled()) << "End Srch";

    QTest::mouseClick(m.letteredButton(5), Qt::LeftButton);
    EXPECT_FALSE(m.searchOnLabel()->isVisible());
    EXPECT_FALSE(m.action("MenuEndSearch")->isEnabled());
    EXPECT_FALSE(m.letteredButton(5)->isEnabled());
    EXPECT_EQ(m.countLabel()->text(), "6");
    EXPECT_TRUE(f.prompts.done());
}

TEST(FindFromTheMainWindow, UpdateDatabaseAndSortOrderKeepTheSearch) {
    MainFixture f;
    MainWindow& m = *f.main;
    searchFor(m, Slot::Category, "drama");
    ASSERT_EQ(m.countLabel()->text(), "3");
    m.updateDatabase();
    EXPECT_TRUE(m.searchOnLabel()->isVisible());
    EXPECT_EQ(m.countLabel()->text(), "3");
    EXPECT_EQ(m.session().table().recordCount(), 3u);
    {
        SortOrderDialog sort(m.session(), &m);
        sort.show();
        sort.levelBox(0)->setCurrentIndex(Slot::Title);
        sort.okButtonClicked();
    }
    m.displayCount();
    EXPECT_EQ(m.countLabel()->text(), "3");
    dbase::Table& t = m.session().table();
    QStringList titles;
    for (bool more = t.first(); more; more = t.next())
        titles << QString::fromStdString(t.getText(t.fieldIndex("TITLE")));
    EXPECT_EQ(titles, (QStringList{"Brazil", "Casablanca", "The Case"}));
}

TEST(FindFromTheMainWindow, ExitFromASecondSearchKeepsTheFirst) {
    MainFixture f;
    MainWindow& m = *f.main;
    searchFor(m, Slot::Title, "an");
    onNextModal([](QWidget* modal) {
        auto* w = qobject_cast<SearchWindow*>(modal);
        ASSERT_TRUE(w);
        typeInCell(*w, Slot::Title, "heat");
        QTest::mouseClick(w->exitButton(), Qt::LeftButton);
    });
    m.action("MenuSearch")->trigger();
    EXPECT_TRUE(m.searchOnLabel()->isVisible());
    EXPECT_EQ(m.countLabel()->text(), "3");
}

TEST(FindFromTheMainWindow, LocateMovesTheViewer) {
    MainFixture f;
    MainWindow& m = *f.main;
    onNextModal([](QWidget* modal) {
        auto* d = qobject_cast<LocateDialog*>(modal);
        ASSERT_TRUE(d);
        d->fieldNameComboBox()->setCurrentIndex(d->fieldNameComboBox()->findText("Title"));
        QTest::keyClicks(d->searchValue(), "ran");
        QTest::mouseClick(d->firstButton(), Qt::LeftButton);
    });
    m.action("MenuLocate")->trigger();
    EXPECT_EQ(m.viewerGrid()->currentIndex().row(), 4);
    // Locate Next goes on with the same request: nothing more.
    f.prompts.expect("Information", "No more matches found", Prompts::Ok);
    m.action("MenuLocateNext")->trigger();
    EXPECT_EQ(m.viewerGrid()->currentIndex().row(), 4);
    EXPECT_TRUE(f.prompts.done());
}

TEST(FindFromTheMainWindow, ReplaceWithASearchInForce) {
    MainFixture f;
    MainWindow& m = *f.main;
    searchFor(m, Slot::Title, "a");
    ASSERT_EQ(m.countLabel()->text(), "6");
    // A new search replaces the one in force.
    searchFor(m, Slot::Title, "casa");
    ASSERT_EQ(m.countLabel()->text(), "1");
    f.prompts.expect("Finished", "Global Search and Replace Complete.", Prompts::Ok);
    onNextModal([](QWidget* modal) {
        auto* w = qobject_cast<SearchReplaceWindow*>(modal);
        ASSERT_TRUE(w);
        w->fieldBox()->setCurrentIndex(Slot::Category - 1);
        QTest::keyClicks(w->searchText(), "drama");
        QTest::keyClicks(w->replaceText(), "Film Noir");
        QTest::mouseClick(w->startButton(), Qt::LeftButton);
    });
    m.action("MenuSearchReplace")->trigger();
    EXPECT_TRUE(f.prompts.done());
    EXPECT_TRUE(m.searchOnLabel()->isVisible());
    EXPECT_EQ(m.countLabel()->text(), "1");
    m.endSearch();
    dbase::Table& t = m.session().table();
    int noir = 0;
    for (bool more = t.first(); more; more = t.next())
        if (t.getText(t.fieldIndex("CATEGORY")) == "Film Noir") ++noir;
    EXPECT_EQ(noir, 2) << "Brazil, outside the search, changed too";
}

TEST(FindFromTheMainWindow, BrowseModeHasNoSearchAndReplace) {
    Sandbox box;
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    auto main = start({"/BROWSE"});
    EXPECT_FALSE(main->action("MenuSearchReplace")->isEnabled());
    EXPECT_TRUE(main->action("MenuSearch")->isEnabled());
    EXPECT_TRUE(main->action("MenuLocate")->isEnabled());
    finish(main);
}

} // namespace
