// The search window, the locate dialog and the search and replace window over the main window's
// catalogue, typed into as a person does; their messages answered through ScriptedPrompts.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "common/searchcells.h"
#include "common/testcatalogue.h"
#include "common/windowdriving.h"
#include "find/locate.h"
#include "find/replace.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "find/ui/locatedialog.h"
#include "find/ui/searchoptionspicker.h"
#include "find/ui/searchreplacewindow.h"
#include "find/ui/searchwindow.h"
#include "shell_helpers.h"
#include "widgets/helpwindow.h"

using namespace shelltest;
using namespace windowtest;

namespace {

const char* const kTitles[] = {"Casablanca", "Annie Hall", "The Case", "Brazil", "Ran", "Heat"};
const char* const kCategories[] = {"Drama", "Comedy", "Docudrama", "drama", "War", "Crime"};
const int kYears[] = {1942, 1977, 1985, 1985, 1985, 1995};

void fill(Session& s) {
    appendRecords(s.table(), 6, [](int i) {
        return TestRecord{kTitles[i], kCategories[i], i == 1 ? "19850310" : "", "", kYears[i]};
    });
    s.notifyRecordsChanged();
}

// Clicks the "..." cell of a row.
void clickButtonCell(SearchWindow& w, int slot) {
    QTableWidget* g = w.grid();
    const QRect cell = g->visualRect(g->model()->index(slot - 1, SearchWindow::ButtonColumn));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
}

struct Fixture {
    Sandbox box;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> main = start();
    SearchState search;
    Fixture() { fill(main->session()); }
    ~Fixture() { finish(main); }
    Session& session() { return main->session(); }
};

TEST(SearchWindow, RowsHeadersAndButtonColumn) {
    Fixture f;
    f.session().database().fieldNames[0] = "Film";
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    EXPECT_EQ(w.windowTitle(), "Search");
    QTableWidget* g = w.grid();
    EXPECT_EQ(g->rowCount(), 40);
    EXPECT_EQ(g->horizontalHeaderItem(0)->text(), " FIELD");
    EXPECT_EQ(g->horizontalHeaderItem(2)->text(), " SEARCH CRITERIA    (Level 1)");
    EXPECT_EQ(g->item(0, 0)->text(), " Film");
    // Grey "..." cells on the rows with choices only.
    EXPECT_EQ(g->item(Slot::Title - 1, 1)->text(), "");
    EXPECT_EQ(g->item(Slot::Star3 - 1, 1)->text(), "...");
    EXPECT_EQ(g->item(Slot::Year - 1, 1)->background().color(), QColor(128, 128, 128));
    EXPECT_EQ(g->item(Slot::Viewed - 1, 1)->text(), "...");
    EXPECT_EQ(g->item(Slot::KeyWords - 1, 1)->text(), "");
    EXPECT_EQ(g->columnWidth(0), 200);
    EXPECT_EQ(g->columnWidth(2), 378);
}

TEST(SearchWindow, TypedTextCriterionPutsTheSearchInForce) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    typeInCell(w, Slot::Title, "an");
    EXPECT_EQ(w.cellText(Slot::Title), "an");
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_TRUE(f.search.isOn());
    EXPECT_EQ(f.session().table().recordCount(), 3u);
    EXPECT_EQ(titles(f.session().table()), (QStringList{"Casablanca", "Annie Hall", "Ran"}));
    EXPECT_TRUE(f.prompts.done());
}

TEST(SearchWindow, RangeChosenInThePickerAndTypedIntoItsTemplate) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    QString offered;
    onNextModal([&](QWidget* modal) {
        auto* picker = qobject_cast<SearchOptionsPicker*>(modal);
        ASSERT_TRUE(picker);
        offered = picker->fieldNameLabel()->text();
        EXPECT_EQ(picker->list()->count(), 4);
        EXPECT_EQ(picker->list()->item(3)->text(), " > X < ");
        EXPECT_EQ(picker->chosen(), 0) << "the row's operator is selected";
        QTest::keyClick(picker->list(), Qt::Key_End);
        QTest::keyClick(picker->list(), Qt::Key_Return);
    });
    clickButtonCell(w, Slot::Year);
    EXPECT_EQ(offered, "Year");
    EXPECT_EQ(w.rowOperator(Slot::Year), RowOperator::Range);
    EXPECT_EQ(w.cellTemplate(Slot::Year), "\\> xxxxxxxxx \\A\\N\\D \\< xxxxxxxx");
    // The lower bound fills its nine places, then the upper bound follows the fixed " AND < ".
    typeInCell(w, Slot::Year, "1980     1990");
    EXPECT_EQ(w.cellText(Slot::Year), "> 1980      AND < 1990    ") << w.cellText(Slot::Year).toStdString();
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(titles(f.session().table()), (QStringList{"The Case", "Brazil", "Ran"}));
}

TEST(SearchWindow, PickerValueReplacesTheCell) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    onNextModal([](QWidget* modal) {
        auto* picker = qobject_cast<SearchOptionsPicker*>(modal);
        ASSERT_TRUE(picker);
        EXPECT_EQ(picker->list()->count(), 2);
        picker->list()->setCurrentRow(1); // NO
        QTest::mouseClick(picker->okButton(), Qt::LeftButton);
    });
    clickButtonCell(w, Slot::Viewed);
    EXPECT_EQ(w.cellText(Slot::Viewed), "NO");
    EXPECT_EQ(w.grid()->currentRow(), Slot::Viewed - 1);
    onNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    clickButtonCell(w, Slot::CheckOut);
    EXPECT_EQ(w.cellText(Slot::CheckOut), "");
}

TEST(SearchWindow, LevelsUpToTenAndOrAcrossThem) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    typeInCell(w, Slot::Title, "casa");
    QTest::mouseClick(w.moreButton(), Qt::LeftButton);
    EXPECT_EQ(w.level(), 2);
    EXPECT_EQ(w.cellText(Slot::Title), "");
    EXPECT_EQ(w.grid()->horizontalHeaderItem(2)->text(), " SEARCH CRITERIA    (Level 2)");
    // A fresh page after Find More has no criterion.
    f.prompts.expect("Error", "No search criteria entered.", Prompts::Ok);
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_TRUE(w.isVisible());
    for (int level = 2; level < 10; ++level) {
        typeInCell(w, Slot::Category, "comedy");
        QTest::mouseClick(w.moreButton(), Qt::LeftButton);
    }
    EXPECT_EQ(w.level(), 10);
    EXPECT_FALSE(w.moreButton()->isEnabled());
    EXPECT_EQ(w.grid()->horizontalHeaderItem(2)->text(), " SEARCH CRITERIA    (Level 10)");
    typeInCell(w, Slot::Title, "heat");
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(f.search.criteria().levelCount(), 10);
    EXPECT_EQ(titles(f.session().table()), (QStringList{"Casablanca", "Annie Hall", "Heat"}));
    EXPECT_TRUE(f.prompts.done());
}

TEST(SearchWindow, InvalidNumberKeepsTheWindowOnTheRow) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    typeInCell(w, Slot::Title, "a");
    typeInCell(w, Slot::RunTime, "9O");
    f.prompts.expect("Error", "Invalid search criteria entered.  Please correct.", Prompts::Ok);
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(f.search.isOn());
    EXPECT_EQ(w.grid()->currentRow(), Slot::RunTime - 1);
}

TEST(SearchWindow, NoMatchClearsAndStays) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    typeInCell(w, Slot::Title, "qqq");
    f.prompts.expect("Notice", "No valid matches found.  Search Criteria will be cleared.", Prompts::Ok);
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.cellText(Slot::Title), "");
    EXPECT_FALSE(f.search.isOn());
    EXPECT_EQ(f.session().table().recordCount(), 6u);
}

TEST(SearchWindow, ExitLeavesTheSearchInForceAsItWas) {
    Fixture f;
    {
        SearchWindow w(f.session(), f.search, f.main.get());
        activate(&w);
        typeInCell(w, Slot::Title, "an");
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
    }
    const SearchCriteria before = f.search.criteria();
    SearchWindow again(f.session(), f.search, f.main.get());
    activate(&again);
    EXPECT_EQ(again.cellText(Slot::Title), "") << "a new search starts empty";
    typeInCell(again, Slot::Category, "war");
    QTest::mouseClick(again.moreButton(), Qt::LeftButton);
    QTest::mouseClick(again.exitButton(), Qt::LeftButton);
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_TRUE(f.search.isOn());
    EXPECT_EQ(f.search.criteria(), before);
    EXPECT_EQ(f.session().table().recordCount(), 3u);
}

TEST(SearchWindow, SeventySixthItemClearsEverything) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    for (int level = 0; level < 2; ++level) {
        for (int slot = 1; slot <= FieldCount; ++slot)
            if (rowKind(slot) == RowKind::Text) w.setCellText(slot, "x");
        w.setCellText(Slot::Year, "= 1");
        w.setCellText(Slot::RunTime, "= 1");
        w.setCellText(Slot::ListPrice, "= 1");
        w.setCellText(Slot::PurchasePrice, "= 1");
        if (level == 0) QTest::mouseClick(w.moreButton(), Qt::LeftButton);
    }
    f.prompts.expect("Error", tooManyItemsMessage(), Prompts::Ok);
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(w.level(), 1);
    EXPECT_EQ(w.cellText(Slot::Title), "");
    EXPECT_TRUE(w.pending().isEmpty());
    EXPECT_EQ(w.grid()->horizontalHeaderItem(2)->text(), " SEARCH CRITERIA    (Level 1)");
}

TEST(SearchWindow, DateRowTemplateUsesTheDateSeparator) {
    Fixture f;
    f.session().dateFormat() = DateFormat(11, true); // dd-mm-yyyy
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    EXPECT_EQ(w.cellTemplate(Slot::PurchaseDate), "= 00-00-9999");
    // Left at its untouched shape the row adds nothing.
    typeInCell(w, Slot::PurchaseDate, "10031985");
    EXPECT_EQ(w.cellText(Slot::PurchaseDate), "= 10-03-1985");
    QTest::mouseClick(w.okButton(), Qt::LeftButton);
    EXPECT_EQ(titles(f.session().table()), (QStringList{"Annie Hall"}));
}

TEST(SearchWindow, HelpOpensItsPage) {
    Fixture f;
    SearchWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    QTest::mouseClick(w.helpButton(), Qt::LeftButton);
    HelpWindow* help = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<HelpWindow*>(top); h && h->isVisible()) help = h;
    ASSERT_TRUE(help);
    EXPECT_EQ(help->currentPage(), HelpWindow::topicUrl("Search Window"));
    EXPECT_EQ(help->currentTitle(), "Search Window");
    help->close();
}

// ---- locate --------------------------------------------------------------------------------

TEST(LocateDialog, FirstThenNextThenNoMore) {
    Fixture f;
    LocateRequest request;
    Session& s = f.session();
    {
        LocateDialog d(s, request, f.main.get());
        activate(&d);
        EXPECT_EQ(d.windowTitle(), "Locate Field Value");
        EXPECT_TRUE(d.matchButton(MatchType::Beginning)->isChecked());
        EXPECT_EQ(d.fieldNameComboBox()->currentIndex(), -1);
        d.fieldNameComboBox()->setCurrentIndex(d.fieldNameComboBox()->findText("Title"));
        EXPECT_EQ(QApplication::focusWidget(), d.searchValue());
        QTest::keyClicks(d.searchValue(), "cas");
        QTest::mouseClick(d.firstButton(), Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(request.value, "cas");
    EXPECT_EQ(request.field, "TITLE");
    EXPECT_EQ(QString::fromStdString(s.table().getText(s.table().fieldIndex("TITLE"))), "Casablanca");
    // Partial anywhere finds The Case next.
    {
        LocateDialog d(s, request, f.main.get());
        activate(&d);
        EXPECT_EQ(d.searchValue()->text(), "cas");
        EXPECT_EQ(d.fieldNameComboBox()->currentText(), "Title");
        QTest::mouseClick(d.matchButton(MatchType::Anywhere), Qt::LeftButton);
        QTest::keyClick(d.searchValue(), Qt::Key_Return); // Next is the default button
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(QString::fromStdString(s.table().getText(s.table().fieldIndex("TITLE"))), "The Case");
    const uint32_t at = s.table().recNo();
    LocateCommand command(s);
    command.request() = request;
    f.prompts.expect("Information", "No more matches found", Prompts::Ok);
    EXPECT_FALSE(command.findNext(f.main.get()));
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(s.table().recNo(), at);
}

TEST(LocateDialog, NoMatchFromTheFirstKeepsTheDialogOpen) {
    Fixture f;
    LocateRequest request{"TITLE", "", MatchType::Exact, false};
    LocateDialog d(f.session(), request, f.main.get());
    activate(&d);
    QTest::keyClicks(d.searchValue(), "casablanc");
    f.prompts.expect("Information", "No matches found", Prompts::Ok);
    QTest::mouseClick(d.firstButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_TRUE(d.isVisible());
    // Case-sensitive exact on the whole title.
    d.searchValue()->clear();
    QTest::keyClicks(d.searchValue(), "Casablanca");
    d.caseSensitive()->setFocus();
    QTest::keyClick(d.caseSensitive(), Qt::Key_Space);
    QTest::mouseClick(d.firstButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(request.caseSensitive);
}

TEST(LocateDialog, LocateNextWithoutARequestOpensTheDialog) {
    Fixture f;
    LocateCommand command(f.session());
    bool opened = false;
    onNextModal([&](QWidget* modal) {
        opened = qobject_cast<LocateDialog*>(modal) != nullptr;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_FALSE(command.findNext(f.main.get()));
    EXPECT_TRUE(opened);
}

// ---- search and replace ---------------------------------------------------------------------

void chooseField(SearchReplaceWindow& w, const QString& name) {
    QComboBox* box = w.fieldBox();
    box->setFocus();
    while (box->currentText() != name && box->currentIndex() < box->count() - 1)
        QTest::keyClick(box, Qt::Key_Down);
    ASSERT_EQ(box->currentText(), name);
}

TEST(SearchReplaceWindow, ReplacesWholeValuesAndSaysSo) {
    Fixture f;
    SearchReplaceWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    EXPECT_EQ(w.fieldBox()->currentIndex(), -1);
    f.prompts.expect("Error", "No field has been selected.", Prompts::Ok);
    QTest::mouseClick(w.startButton(), Qt::LeftButton);
    chooseField(w, "Category");
    QTest::keyClicks(w.searchText(), "DRAMA");
    QTest::keyClicks(w.replaceText(), "Melodrama");
    f.prompts.expect("Finished", "Global Search and Replace Complete.", Prompts::Ok);
    QTest::mouseClick(w.startButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(w.countText(0), "6");
    EXPECT_EQ(w.countText(1), "2");
    EXPECT_EQ(w.countText(2), "2");
    EXPECT_EQ(f.session().table().mode(), dbase::OpenMode::Shared);
    EXPECT_EQ(f.session().table().recordCount(), 6u);
}

TEST(SearchReplaceWindow, ConfirmNoAndChecksOfNumbers) {
    Fixture f;
    SearchReplaceWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    chooseField(w, "Year");
    QTest::keyClicks(w.searchText(), "1985");
    QTest::keyClicks(w.replaceText(), "19x5");
    f.prompts.expect("Error", "Invalid replacement value entered.  Please correct.", Prompts::Ok);
    QTest::mouseClick(w.startButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), w.replaceText());
    w.replaceText()->clear();
    QTest::keyClicks(w.replaceText(), "1986");
    QTest::mouseClick(w.confirmBox(), Qt::LeftButton);
    f.prompts.expect("Confirm", "Item = \"The Case\".  Change this record?", Prompts::No);
    f.prompts.expect("Confirm", "Item = \"Brazil\".  Change this record?", Prompts::Yes);
    f.prompts.expect("Confirm", "Item = \"Ran\".  Change this record?", Prompts::No);
    f.prompts.expect("Finished", "Global Search and Replace Complete.", Prompts::Ok);
    QTest::mouseClick(w.startButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(w.counts(), (ReplaceCounts{6, 3, 1}));
}

TEST(SearchReplaceWindow, TableHeldElsewhere) {
    Fixture f;
    LockHolder holder(f.session().currentDatabase());
    ASSERT_TRUE(holder.locked());
    SearchReplaceWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    chooseField(w, "Category");
    QTest::keyClicks(w.searchText(), "war");
    f.prompts.expect("Error", replaceInUseMessage(), Prompts::Ok);
    QTest::mouseClick(w.startButton(), Qt::LeftButton);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(f.session().table().isOpen());
}

} // namespace
