// The viewer configuration window over a started program: pages and grids, widths, names, the
// order page, the fields to show, the immediate options, help, and the viewer afterwards; the
// settings in force after a restart. Cells are typed as a person does.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/viewermodel.h"
#include "config/ui/viewerconfigwindow.h"
#include "shell_helpers.h"
#include "widgets/helpwindow.h"
#include "widgets/viewergrid.h"

using namespace shelltest;

namespace {

struct Fixture {
    Sandbox box;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<ViewerConfigWindow> window;
    Fixture() {
        box.setProgramKey("Misc", "Show Tips", "No");
        main = start();
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
        open();
    }
    ~Fixture() {
        window.reset();
        finish(main);
    }
    void open() {
        window = std::make_unique<ViewerConfigWindow>(main->session(), main.get());
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    DatabaseSettings& settings() { return main->session().database(); }
};

// The grid's window is the one the keys go to.
void activate(ConfigGrid* g) {
    QWidget* w = g->window();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// Types into a cell of a grid as a person does: go to the cell, type (the first key opens the
// cell's editor and replaces its text), Enter.
void typeInCell(ConfigGrid* g, int row, const QString& text) {
    activate(g);
    g->setFocus();
    g->setCurrentCell(row, ViewerConfigWindow::ValueColumn);
    QTest::keyClicks(g, text.left(1));
    QCoreApplication::processEvents();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && editor->parentWidget() == g->viewport())
        << "no cell editor opened: " << (editor ? editor->metaObject()->className() : "none") << " "
        << (editor ? editor->objectName().toStdString() : "");
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

// Empties a cell as a person does: F2, select all, Backspace, Enter.
void clearCell(ConfigGrid* g, int row) {
    activate(g);
    g->setFocus();
    g->setCurrentCell(row, ViewerConfigWindow::ValueColumn);
    QTest::keyClick(g, Qt::Key_F2);
    QCoreApplication::processEvents();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && editor->parentWidget() == g->viewport());
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

// Clicks a check box or radio button on its box, as a person does.
void tick(QAbstractButton* b) {
    ASSERT_TRUE(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

// Brings a page to the front as clicking its tab does.
void showPage(ViewerConfigWindow& w, int page) {
    w.pages()->setCurrentIndex(page);
    QCoreApplication::processEvents();
}

void clickExit(ViewerConfigWindow& w) {
    QTest::mouseClick(w.button("ExitButton"), Qt::LeftButton);
    QCoreApplication::processEvents();
}

QString cell(ConfigGrid* g, int row, int column) {
    return g->item(row, column)->text();
}

// The slots of the main window's viewer columns from left to right (shown ones only).
std::vector<int> shownColumns(MainWindow& main) {
    ViewerGrid* grid = main.viewerGrid();
    QHeaderView* h = grid->horizontalHeader();
    std::vector<int> shown;
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (!grid->isColumnHidden(logical)) shown.push_back(logical + 1);
    }
    return shown;
}

TEST(ViewerConfigWindow, OpensOnTheNamesPageWithTheSixPagesAndTheFieldsInSlotOrder) {
    Fixture f;
    f.settings().fieldNames[0] = "Film";
    f.settings().displayFields[1] = false;
    f.open();
    ViewerConfigWindow& w = *f.window;
    EXPECT_EQ(w.windowTitle(), QString("Viewer Configuration"));
    QTabWidget* pages = w.pages();
    ASSERT_EQ(pages->count(), 6);
    const char* captions[] = {"&Title",        "&Look and Feel", "Fields to &Show",
                              "Field &Widths", "Field &Order",   "Field &Names"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(pages->tabText(i), QString(captions[i]));
    EXPECT_EQ(pages->currentIndex(), int(ViewerConfigWindow::NamesPage));
    for (ConfigGrid* g : {w.fieldsToDisplay(), w.fieldWidthGrid(), w.fieldNameGrid(), w.fieldOrderGrid()})
        EXPECT_EQ(g->rowCount(), FieldCount);
    EXPECT_EQ(cell(w.fieldNameGrid(), 0, 0), QString("Title"));
    EXPECT_EQ(cell(w.fieldNameGrid(), 0, 1), QString("Film"));
    EXPECT_EQ(w.fieldNameGrid()->horizontalHeaderItem(1)->text(), QString("NAME TO USE"));
    EXPECT_EQ(cell(w.fieldsToDisplay(), 0, 0), QString("Film"));
    EXPECT_EQ(cell(w.fieldsToDisplay(), 1, 1), QString("No"));
    EXPECT_EQ(cell(w.fieldWidthGrid(), 39, 1), QString("15"));
    EXPECT_EQ(cell(w.fieldOrderGrid(), 0, 0), QString("Film"));
    EXPECT_EQ(cell(w.fieldOrderGrid(), 39, 0), QString("User Defined 2"));
    EXPECT_EQ(w.titleFontBox()->text(), QString("12pt Arial"));
    EXPECT_EQ(w.gridFontBox()->text(), QString("10pt Arial"));
    EXPECT_TRUE(w.alignmentButton(2)->isChecked());
    EXPECT_EQ(w.titleShape()->palette().color(QPalette::Window), QColor(130, 130, 130));
    EXPECT_EQ(w.cellColorShape()->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(w.fieldNameGrid()->columnWidth(1), 200);
    EXPECT_EQ(w.fieldWidthGrid()->columnWidth(1), 100);
}

TEST(ViewerConfigWindow, TypedWidthsOutside1To255OrLettersBecome10AndTheViewerTakesTheRest) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    showPage(w, ViewerConfigWindow::WidthsPage);
    ConfigGrid* g = w.fieldWidthGrid();
    typeInCell(g, 0, "0");
    typeInCell(g, 1, "300");
    typeInCell(g, 2, "abc");
    typeInCell(g, 3, "25");
    EXPECT_EQ(cell(g, 1, 1), QString("300")); // the cells show what was typed until closing
    clickExit(w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(cell(g, 0, 1), QString("10"));
    EXPECT_EQ(cell(g, 1, 1), QString("10"));
    EXPECT_EQ(cell(g, 2, 1), QString("10"));
    EXPECT_EQ(cell(g, 3, 1), QString("25"));
    const DatabaseSettings& s = f.settings();
    EXPECT_EQ(s.fieldWidth[0], 10);
    EXPECT_EQ(s.fieldWidth[1], 10);
    EXPECT_EQ(s.fieldWidth[2], 10);
    EXPECT_EQ(s.fieldWidth[3], 25);
    ViewerGrid* grid = f.main->viewerGrid();
    EXPECT_EQ(grid->columnWidth(3), grid->columnWidthFor(25));
    EXPECT_EQ(grid->columnWidth(0), grid->columnWidthFor(10));
}

TEST(ViewerConfigWindow, ADuplicateNameKeepsTheWindowOpenOnTheNamesPageUntilChanged) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    showPage(w, ViewerConfigWindow::OrderPage);
    ConfigGrid* g = w.fieldNameGrid();
    typeInCell(g, 4, "Title");
    f.prompts.expect("Error", "Two field names have the same name \"Title\".  Please change one.",
                     Prompts::Ok);
    clickExit(w);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pages()->currentIndex(), int(ViewerConfigWindow::NamesPage));
    EXPECT_EQ(g->currentRow(), 4);
    EXPECT_TRUE(g->hasFocus());
    EXPECT_EQ(f.settings().fieldNames[4], QString("Star 4")); // nothing taken yet

    // Escape is an attempt to close too.
    f.prompts.expect("Error", "Two field names have the same name \"Title\".  Please change one.",
                     Prompts::Ok);
    QTest::keyClick(g, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());

    typeInCell(g, 4, "Lead Actor");
    clickExit(w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.settings().fieldNames[4], QString("Lead Actor"));
    EXPECT_EQ(f.main->viewerGrid()->model()->headerData(4, Qt::Horizontal).toString(), QString("Lead Actor"));
}

TEST(ViewerConfigWindow, EmptyNamesAreRefused) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    ConfigGrid* g = w.fieldNameGrid();
    clearCell(g, 7);
    clearCell(g, 8);
    EXPECT_EQ(cell(g, 7, 1), QString());
    f.prompts.expect("Error", "The field Producer has no name to use.  Please give it a name.", Prompts::Ok);
    clickExit(w);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(g->currentRow(), 7);
    typeInCell(g, 7, "Made by");
    f.prompts.expect("Error", "The field Director has no name to use.  Please give it a name.", Prompts::Ok);
    clickExit(w);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(g->currentRow(), 8);
    typeInCell(g, 8, "Directed by");
    clickExit(w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.settings().fieldNames[7], QString("Made by"));
}

TEST(ViewerConfigWindow, ANameStillBeingTypedIsTakenWhenTheCloseBoxCloses) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    ConfigGrid* g = w.fieldNameGrid();
    activate(g);
    g->setFocus();
    g->setCurrentCell(2, ViewerConfigWindow::ValueColumn);
    QTest::keyClicks(g, "C");
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && editor->parentWidget() == g->viewport());
    QTest::keyClicks(editor, "o-star");
    EXPECT_TRUE(w.close()); // the window's close box, the cell editor still open
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.settings().fieldNames[2], QString("Co-star"));
}

TEST(ViewerConfigWindow, NamesAreCutTo20Characters) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    typeInCell(w.fieldNameGrid(), 0, "The Title Of The Video Tape");
    EXPECT_EQ(cell(w.fieldNameGrid(), 0, 1), QString("The Title Of The Vid"));
    clickExit(w);
    EXPECT_EQ(f.settings().fieldNames[0], QString("The Title Of The Vid"));
}

TEST(ViewerConfigWindow, UpOnTheFirstRowDoesNothingDownMovesAndDefaultsRestoreTheSlotOrder) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    showPage(w, ViewerConfigWindow::OrderPage);
    ConfigGrid* g = w.fieldOrderGrid();
    g->setCurrentCell(0, 0);
    QTest::mouseClick(w.button("OrderUp"), Qt::LeftButton);
    EXPECT_EQ(cell(g, 0, 0), QString("Title"));
    EXPECT_EQ(g->currentRow(), 0);
    QTest::mouseClick(w.button("OrderDown"), Qt::LeftButton);
    QTest::mouseClick(w.button("OrderDown"), Qt::LeftButton);
    EXPECT_EQ(cell(g, 0, 0), QString("Star 1"));
    EXPECT_EQ(cell(g, 1, 0), QString("Star 2"));
    EXPECT_EQ(cell(g, 2, 0), QString("Title"));
    EXPECT_EQ(g->currentRow(), 2);
    g->setCurrentCell(39, 0);
    QTest::mouseClick(w.button("OrderDown"), Qt::LeftButton);
    EXPECT_EQ(cell(g, 39, 0), QString("User Defined 2"));
    clickExit(w);
    EXPECT_EQ(f.settings().fieldOrder[0], 3);
    std::vector<int> expected{2, 3, 1};
    for (int slot = 4; slot <= FieldCount; ++slot)
        expected.push_back(slot);
    EXPECT_EQ(shownColumns(*f.main), expected);

    // Defaults asks first; No keeps the order, Yes puts the slot order back.
    f.open();
    ViewerConfigWindow& again = *f.window;
    f.prompts.expect("Re-Order", "This will set the order of fields to the program defaults.  Continue?",
                     Prompts::No);
    QTest::mouseClick(again.button("OrderDefaults"), Qt::LeftButton);
    EXPECT_EQ(cell(again.fieldOrderGrid(), 0, 0), QString("Star 1"));
    f.prompts.expect("Re-Order", "This will set the order of fields to the program defaults.  Continue?",
                     Prompts::Yes);
    QTest::mouseClick(again.button("OrderDefaults"), Qt::LeftButton);
    EXPECT_EQ(cell(again.fieldOrderGrid(), 0, 0), QString("Title"));
    EXPECT_EQ(f.prompts.beeps(), 2);
    clickExit(again);
    std::vector<int> slotOrder;
    for (int slot = 1; slot <= FieldCount; ++slot)
        slotOrder.push_back(slot);
    EXPECT_EQ(shownColumns(*f.main), slotOrder);
}

TEST(ViewerConfigWindow, DoubleClickSwitchesAFieldOffAndTheViewerHidesItAfterClosing) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    showPage(w, ViewerConfigWindow::ShowPage);
    ConfigGrid* g = w.fieldsToDisplay();
    auto doubleClick = [&](int row, int column) {
        const QRect r = g->visualRect(g->model()->index(row, column));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
    };
    doubleClick(1, 1);
    doubleClick(2, 1);
    doubleClick(2, 1);
    doubleClick(3, 0); // the FIELD column changes nothing
    EXPECT_EQ(cell(g, 1, 1), QString("No"));
    EXPECT_EQ(cell(g, 2, 1), QString("Yes"));
    EXPECT_EQ(cell(g, 3, 1), QString("Yes"));
    EXPECT_TRUE(f.main->viewerGrid()->isColumnHidden(1) == false); // only when the window closes
    clickExit(w);
    EXPECT_FALSE(f.settings().displayFields[1]);
    EXPECT_TRUE(f.main->viewerGrid()->isColumnHidden(1));
    EXPECT_FALSE(f.main->viewerGrid()->isColumnHidden(2));
}

TEST(ViewerConfigWindow, TitleAndLookOptionsChangeTheSettingsAtOnce) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    showPage(w, ViewerConfigWindow::LookPage);
    tick(w.checkBox("RowLines"));
    tick(w.checkBox("FieldEditing"));
    EXPECT_FALSE(f.settings().rowLines);
    EXPECT_TRUE(f.settings().fieldEditing);
    QFont chosen("DejaVu Serif");
    chosen.setPointSize(14);
    chosen.setItalic(true);
    f.prompts.answerFont(chosen);
    QTest::mouseClick(w.button("NewFontButton"), Qt::LeftButton);
    EXPECT_EQ(w.gridFontBox()->text(), QString("14pt DejaVu Serif"));
    EXPECT_TRUE(f.settings().gridFont.italic);
    f.prompts.answerColor(QColor(255, 0, 0));
    QTest::mouseClick(w.button("NewColorBUtton"), Qt::LeftButton);
    EXPECT_EQ(f.settings().cellColor, 255);
    EXPECT_EQ(w.cellColorShape()->palette().color(QPalette::Window), QColor(255, 0, 0));
    f.prompts.answerColor(std::nullopt); // cancelled: nothing changes
    QTest::mouseClick(w.button("NewColorBUtton"), Qt::LeftButton);
    EXPECT_EQ(f.settings().cellColor, 255);

    showPage(w, ViewerConfigWindow::TitlePage);
    tick(w.showGridTitle());
    EXPECT_FALSE(f.settings().showTitles);
    tick(w.alignmentButton(3));
    EXPECT_EQ(f.settings().titleAlignment, 3);
    f.prompts.answerColor(QColor(0, 0, 255));
    QTest::mouseClick(w.button("Button1"), Qt::LeftButton);
    EXPECT_EQ(f.settings().titleBackground, 0xFF0000);
    clickExit(w);
    ViewerGrid* grid = f.main->viewerGrid();
    EXPECT_FALSE(grid->horizontalHeader()->isVisible());
    EXPECT_EQ(grid->font().family(), QString("DejaVu Serif"));
}

HelpWindow* openHelp() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<HelpWindow*>(w); help && help->isVisible()) return help;
    return nullptr;
}

TEST(ViewerConfigWindow, HelpOpensAtTheKeywordOfThePageInFront) {
    Fixture f;
    ViewerConfigWindow& w = *f.window;
    const char* pages[] = {"viewer-configuration-title", "viewer-configuration-look",
                           "viewer-configuration-show",  "viewer-configuration-widths",
                           "viewer-configuration-order", "viewer-configuration-names"};
    for (int page = 0; page < 6; ++page) {
        EXPECT_TRUE(HelpWindow::topicUrl(ViewerConfigWindow::helpKeyword(page)).isValid()) << page;
        showPage(w, page);
        QTest::mouseClick(w.button("HelpButton"), Qt::LeftButton);
        HelpWindow* help = openHelp();
        ASSERT_TRUE(help);
        EXPECT_TRUE(help->currentPage().toString().contains(pages[page]))
            << help->currentPage().toString().toStdString();
    }
    if (HelpWindow* help = openHelp()) help->close();
}

TEST(ViewerConfigWindow, TheMenuItemOpensItAndTheSettingsAreInForceAfterARestart) {
    Sandbox box;
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    {
        auto main = start();
        main->show();
        QTimer::singleShot(0, [] {
            auto* w = qobject_cast<ViewerConfigWindow*>(QApplication::activeModalWidget());
            ASSERT_TRUE(w);
            w->pages()->setCurrentIndex(ViewerConfigWindow::WidthsPage);
            typeInCell(w->fieldWidthGrid(), 0, "42");
            typeInCell(w->fieldNameGrid(), 1, "Lead");
            tick(w->checkBox("ColumnLines"));
            QTest::mouseClick(w->button("ExitButton"), Qt::LeftButton);
        });
        main->action("MenuViewer")->trigger();
        EXPECT_EQ(main->session().database().fieldWidth[0], 42);
        finish(main);
    }
    auto main = start();
    const DatabaseSettings& s = main->session().database();
    EXPECT_EQ(s.fieldWidth[0], 42);
    EXPECT_EQ(s.fieldNames[1], QString("Lead"));
    EXPECT_FALSE(s.columnLines);
    finish(main);
}

TEST(ViewerConfigWindow, FitsEachScreenSizeWithEveryButtonWhole) {
    Fixture f;
    f.window.reset();
    const struct {
        double scale;
        QSize screen;
    } sizes[] = {{1.0, {640, 480}}, {1.25, {800, 600}}, {1.6, {1024, 768}}, {2.0, {1280, 1024}}};
    for (const auto& sz : sizes) {
        f.main->session().setScreenScale(sz.scale);
        ViewerConfigWindow w(f.main->session(), f.main.get());
        w.show();
        QCoreApplication::processEvents();
        EXPECT_LE(w.width(), sz.screen.width()) << sz.scale;
        EXPECT_LE(w.height(), sz.screen.height() - 40) << sz.scale;
        for (int page = 0; page < 6; ++page) {
            showPage(w, page);
            for (QPushButton* b : w.findChildren<QPushButton*>()) {
                if (!b->isVisible()) continue;
                EXPECT_GE(b->width() + 1, b->sizeHint().width()) << b->objectName().toStdString();
            }
        }
        EXPECT_EQ(w.fieldNameGrid()->columnWidth(0), int(std::lround(200 * sz.scale)));
        w.hide();
    }
}

TEST(ViewerConfigWindow, TheViewerCommandIsUnavailableInBrowseMode) {
    Sandbox box;
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    auto main = start({"/BROWSE"});
    EXPECT_FALSE(main->action("MenuViewer")->isEnabled());
    EXPECT_FALSE(main->speedButton("Viewer Configuration")->isEnabled());
    EXPECT_TRUE(main->action("MenuAllColor")->isEnabled());
    finish(main);
}

} // namespace
