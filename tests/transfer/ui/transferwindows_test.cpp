// The export window, the import format window and the import window over the main window's
// catalogue, worked as a person does: key walks in the grids, button clicks, double clicks on the
// Yes/No cells, file names and messages answered through ScriptedPrompts.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/fieldslots.h"
#include "common/files.h"
#include "common/testcatalogue.h"
#include "common/windowdriving.h"
#include "dbase/table.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "shell_helpers.h"
#include "transfer/delimitedtext.h"
#include "transfer/ui/exportwindow.h"
#include "transfer/ui/importwindow.h"

using namespace shelltest;
using namespace windowtest;

namespace {

const char* const kTitles[] = {"Casablanca", "Annie Hall", "Brazil"};
const int kYears[] = {1942, 1977, 1985};

void fill(Session& s) {
    appendRecords(s.table(), 3, [](int i) {
        return TestRecord{kTitles[i], "Drama", "19961224", "Yes", kYears[i]};
    });
    s.notifyRecordsChanged();
}

// Clicks a button; a radio button or check box at its indicator (its text may be shorter than the box).
void click(QAbstractButton* b) {
    if (b->inherits("QRadioButton") || b->inherits("QCheckBox"))
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    else
        QTest::mouseClick(b, Qt::LeftButton);
}

void doubleClickCell(QTableWidget* g, int row, int column) {
    g->scrollToItem(g->item(row, column));
    const QRect cell = g->visualItemRect(g->item(row, column));
    // A double click as the system delivers it: press and release, then the double click.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
}

// Walks the grid's current row to row by the arrow keys.
void walkTo(QTableWidget* g, int row) {
    g->setFocus();
    while (g->currentRow() < row)
        QTest::keyClick(g, Qt::Key_Down);
    while (g->currentRow() > row)
        QTest::keyClick(g, Qt::Key_Up);
}

struct Fixture {
    Sandbox box;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> main = start();
    SearchState search;
    Fixture() {
        fill(main->session());
        main->session().dateFormat() = DateFormat(7, true);
    }
    ~Fixture() { finish(main); }
    Session& session() { return main->session(); }
    QString file(const QString& name) const { return box.other(name); }
};

} // namespace

TEST(ExportWindow, OpensWithTheStoredChoices) {
    Fixture f;
    f.session().database().exportFileType = 2;
    f.session().database().fieldNames[0] = "Film";
    ExportWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    EXPECT_EQ(w.windowTitle(), "Export");
    QTableWidget* g = w.grid();
    EXPECT_EQ(g->rowCount(), 40);
    EXPECT_EQ(g->horizontalHeaderItem(0)->text(), "FIELD");
    EXPECT_EQ(g->horizontalHeaderItem(1)->text(), "EXPORT IT");
    EXPECT_EQ(g->item(0, 0)->text(), "Film");
    EXPECT_EQ(g->item(39, 0)->text(), "User Defined 2");
    EXPECT_EQ(g->item(0, 1)->text(), "Yes");
    EXPECT_TRUE(w.entireButton()->isChecked());
    EXPECT_FALSE(w.searchButton()->isEnabled()); // no search in force
    EXPECT_TRUE(w.dbaseButton()->isChecked());
    EXPECT_FALSE(w.firstRowBox()->isVisible());
    click(w.asciiButton());
    EXPECT_TRUE(w.firstRowBox()->isVisible());
    EXPECT_TRUE(w.firstRowBox()->isEnabled());
    click(w.exitButton());
    EXPECT_EQ(f.session().database().exportFileType, 1);
}

// Year moved to row 1 and every other row switched to No writes one column: the year.
TEST(ExportWindow, YearAloneInTheFirstRow) {
    Fixture f;
    f.session().database().exportFirstRow = false;
    ExportWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    QTableWidget* g = w.grid();
    walkTo(g, Slot::Year - 1);
    for (int i = 0; i < Slot::Year - 1; ++i)
        click(w.upButton());
    EXPECT_EQ(g->item(0, 0)->text(), "Year");
    EXPECT_EQ(g->currentRow(), 0);
    click(w.upButton()); // nothing above row 1
    EXPECT_EQ(g->item(0, 0)->text(), "Year");
    EXPECT_EQ(g->item(1, 0)->text(), "Title");
    for (int row = 1; row < 40; ++row)
        doubleClickCell(g, row, 1);
    EXPECT_EQ(g->item(39, 1)->text(), "No");
    doubleClickCell(g, 5, 0); // the name column does not switch
    EXPECT_EQ(g->item(5, 1)->text(), "No");

    const QString out = f.file("year.txt");
    f.prompts.answerFile(out).expect("Ok", "Export Complete.", Prompts::Ok);
    click(w.startButton());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(readFile(out), "\"1942\"\r\n\"1977\"\r\n\"1985\"\r\n");
    EXPECT_EQ(f.session().database().exportOrder[Slot::Year - 1], 1);
    EXPECT_EQ(f.session().database().exportOrder[Slot::Title - 1], 2);
    EXPECT_FALSE(f.session().database().exportFields[Slot::Title - 1]);
    EXPECT_EQ(f.session().program().lastExportFile, out);
    EXPECT_EQ(w.gauge()->value(), 0);
    const ScriptedPrompts::Call& dialog = f.prompts.calls().front();
    EXPECT_EQ(dialog.caption, "Export Data");
    EXPECT_TRUE(dialog.overwritePrompt);
    EXPECT_TRUE(f.prompts.done());
}

TEST(ExportWindow, DefaultsOnlyAfterYesAndNoFieldsIsRefused) {
    Fixture f;
    ExportWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    QTableWidget* g = w.grid();
    for (int row = 0; row < 40; ++row)
        doubleClickCell(g, row, 1);
    walkTo(g, 2);
    click(w.downButton());
    EXPECT_EQ(g->item(3, 0)->text(), "Star 2");
    f.prompts.expect("Error", "No fields selected for export.", Prompts::Ok);
    click(w.startButton());
    EXPECT_TRUE(w.isVisible());

    const QString question = "This will set the order of fields to the program defaults.  Continue?";
    f.prompts.expect("Re-Order", question, Prompts::No);
    click(w.defaultsButton());
    EXPECT_EQ(g->item(3, 0)->text(), "Star 2");
    EXPECT_EQ(g->item(0, 1)->text(), "No");
    f.prompts.expect("Re-Order", question, Prompts::Yes);
    click(w.defaultsButton());
    EXPECT_EQ(g->item(3, 0)->text(), "Star 3");
    EXPECT_EQ(g->item(0, 1)->text(), "Yes");
    EXPECT_EQ(f.prompts.beeps(), 2);
    // A cancelled file dialog leaves the window open.
    f.prompts.answerFile("");
    click(w.startButton());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(f.prompts.done());
}

TEST(ExportWindow, DbaseNeedsItsExtension) {
    Fixture f;
    ExportWindow w(f.session(), f.search, f.main.get());
    activate(&w);
    click(w.dbaseButton());
    EXPECT_FALSE(w.firstRowBox()->isVisible());
    f.prompts.answerFile(f.file("films.txt")).expect("Error", "Invalid file type selected.", Prompts::Ok);
    click(w.startButton());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(QFile::exists(f.file("films.txt")));
    f.prompts.answerFile(f.file("FILMS.DBF")).expect("Ok", "Export Complete.", Prompts::Ok);
    click(w.startButton());
    EXPECT_FALSE(w.isVisible());
    dbase::Table t;
    t.open(enginePathOf(f.file("FILMS.DBF")), dbase::OpenMode::Shared, true);
    EXPECT_EQ(t.fieldCount(), 40);
    EXPECT_EQ(titles(t), (QStringList{"Casablanca", "Annie Hall", "Brazil"}));
    EXPECT_EQ(f.session().database().exportFileType, 2);
}

// With a search on: its result by default; the whole catalogue on request, the search kept.
TEST(ExportWindow, SearchResultOrEntireDatabase) {
    Fixture f;
    SearchCriteria criteria;
    SearchPage page;
    page.cell(Slot::Title) = "an";
    ASSERT_EQ(savePage(criteria, page, f.session().dateFormat()).status, SaveResult::Saved);
    ASSERT_TRUE(f.search.start(f.session().table(), criteria));
    ASSERT_EQ(f.session().table().recordCount(), 2u);
    f.session().database().exportFirstRow = true;
    f.session().database().displayFields.fill(false);
    f.session().database().displayFields[0] = true;
    for (int slot = 2; slot <= FieldCount; ++slot)
        f.session().database().exportFields[size_t(slot - 1)] = slot == Slot::Year;
    {
        ExportWindow w(f.session(), f.search, f.main.get());
        activate(&w);
        EXPECT_TRUE(w.searchButton()->isEnabled());
        EXPECT_TRUE(w.searchButton()->isChecked());
        EXPECT_TRUE(w.firstRowBox()->isChecked());
        f.prompts.answerFile(f.file("result.txt")).expect("Ok", "Export Complete.", Prompts::Ok);
        click(w.startButton());
    }
    // The viewer shows Title; Year is named as the table reports it.
    EXPECT_EQ(readFile(f.file("result.txt")),
              "\"Title\",\"YEAR\"\r\n\"Casablanca\",\"1942\"\r\n\"Annie Hall\",\"1977\"\r\n");
    {
        ExportWindow w(f.session(), f.search, f.main.get());
        activate(&w);
        click(w.entireButton());
        click(w.firstRowBox());
        EXPECT_FALSE(f.session().database().exportFirstRow);
        f.prompts.answerFile(f.file("all.txt")).expect("Ok", "Export Complete.", Prompts::Ok);
        click(w.startButton());
    }
    EXPECT_EQ(readFile(f.file("all.txt")),
              "\"Casablanca\",\"1942\"\r\n\"Annie Hall\",\"1977\"\r\n\"Brazil\",\"1985\"\r\n");
    EXPECT_TRUE(f.search.isOn());
    EXPECT_EQ(f.session().table().recordCount(), 2u);
    EXPECT_TRUE(f.prompts.done());
}

TEST(ImportWindows, MalformedFirstLineIsRefusedWithTheComposedMessage) {
    Fixture f;
    ASSERT_TRUE(writeFile(f.file("bad.txt"), "\"Title\",\"Year\r\n"));
    f.session().database().importFileType = 1;
    ImportFormatDialog d(f.session(), f.main.get());
    activate(&d);
    EXPECT_EQ(d.windowTitle(), "Import Format");
    EXPECT_TRUE(d.asciiButton()->isChecked());
    transfer::FirstLine line;
    line.code = transfer::FirstLine::UnexpectedEnd;
    f.prompts.answerFile(f.file("bad.txt")).expect("Error", transfer::firstLineMessage(line), Prompts::Ok);
    click(d.fileButton());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(f.prompts.calls().front().caption, "Import Data");
    f.prompts.answerFile("");
    click(d.fileButton());
    EXPECT_TRUE(d.isVisible());
    click(d.dbaseButton());
    f.prompts.answerFile(f.file("bad.txt")).expect("Error", "Invalid file type selected.", Prompts::Ok);
    click(d.fileButton());
    click(d.cancelButton());
    EXPECT_EQ(f.session().database().importFileType, 2);
    EXPECT_EQ(f.session().table().recordCount(), 3u);
    EXPECT_TRUE(f.prompts.done());
}

// An exported file with its header line imports with Skip First Record; import field 3 moved to
// row 1 and the other fields switched to No import only that field, into Title.
TEST(ImportWindows, MatchingGridMovesAndSwitchesFields) {
    Fixture f;
    ASSERT_TRUE(writeFile(f.file("in.txt"), "\"Name\",\"Made\",\"Film\"\r\n"
                                            "\"x\",\"1999\",\"Metropolis\"\r\n"
                                            "\"y\",\"2001\",\"Vertigo \"\"58\"\"\"\r\n"));
    f.session().database().importSkipFirst = true;
    ImportFormatDialog d(f.session(), f.main.get());
    activate(&d);
    bool checked = false;
    onNextModal([&](QWidget* modal) {
        auto* w = qobject_cast<ImportWindow*>(modal);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->windowTitle(), "Ascii Delimited Text Import");
        QTableWidget* g = w->grid();
        EXPECT_EQ(g->rowCount(), 40);
        EXPECT_EQ(g->horizontalHeaderItem(0)->text(), "QUILLON FIELDS");
        EXPECT_EQ(g->horizontalHeaderItem(1)->text(), "IMPORT FIELDS");
        EXPECT_EQ(g->horizontalHeaderItem(2)->text(), "USE");
        EXPECT_EQ(g->item(2, 1)->text(), "Film");
        EXPECT_EQ(g->item(3, 1)->text(), "<EMPTY>");
        EXPECT_EQ(g->item(3, 2)->text(), "");
        EXPECT_TRUE(w->skipFirstBox()->isVisible());
        EXPECT_TRUE(w->skipFirstBox()->isChecked());
        walkTo(g, 2);
        click(w->upButton());
        click(w->upButton());
        EXPECT_EQ(g->item(0, 1)->text(), "Film");
        EXPECT_EQ(g->item(0, 0)->text(), "Title"); // the catalogue's names never move
        doubleClickCell(g, 1, 2);
        doubleClickCell(g, 2, 2);
        doubleClickCell(g, 3, 2); // an <EMPTY> row has no USE to switch
        EXPECT_EQ(g->item(1, 2)->text(), "No");
        EXPECT_EQ(g->item(3, 2)->text(), "");
        f.prompts.expect("Ok", "Import Complete.", Prompts::Ok);
        click(w->startButton());
        EXPECT_EQ(w->countLabel()->text(), "2");
        checked = true;
    });
    f.prompts.answerFile(f.file("in.txt"));
    click(d.fileButton());
    EXPECT_TRUE(checked);
    EXPECT_FALSE(d.isVisible()); // closing the import window closed this one
    EXPECT_EQ(titles(f.session().table()),
              (QStringList{"Casablanca", "Annie Hall", "Brazil", "Metropolis", "Vertigo \"58\""}));
    EXPECT_TRUE(f.prompts.done());
}

// A dBase table with 12 fields: 12 named rows with Yes, 28 <EMPTY>; no Skip First Record.
TEST(ImportWindows, DbaseTableOfTwelveFields) {
    Fixture f;
    std::vector<dbase::FieldDef> defs;
    for (int i = 1; i <= 12; ++i)
        defs.push_back({"F" + std::to_string(i), 'C', 10, 0});
    const QString source = f.file("TWELVE.DBF");
    dbase::Table::createRaw(enginePathOf(source), defs);
    {
        dbase::Table t;
        t.open(enginePathOf(source));
        t.append();
        t.setText(0, "Twelve");
        t.setText(10, "1957");
        t.post();
    }
    f.session().database().importFileType = 2;
    ImportFormatDialog d(f.session(), f.main.get());
    activate(&d);
    onNextModal([&](QWidget* modal) {
        auto* w = qobject_cast<ImportWindow*>(modal);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->windowTitle(), "DBase File Import");
        QTableWidget* g = w->grid();
        EXPECT_EQ(g->rowCount(), 40);
        for (int row = 0; row < 40; ++row) {
            EXPECT_EQ(g->item(row, 1)->text(), row < 12 ? QString("F%1").arg(row + 1) : "<EMPTY>");
            EXPECT_EQ(g->item(row, 2)->text(), row < 12 ? "Yes" : "");
        }
        EXPECT_FALSE(w->skipFirstBox()->isVisible());
        f.prompts.expect("Ok", "Import Complete.", Prompts::Ok);
        click(w->startButton());
    });
    f.prompts.answerFile(source);
    click(d.fileButton());
    EXPECT_FALSE(d.isVisible());
    dbase::Table& t = f.session().table();
    EXPECT_EQ(t.recordCount(), 4u);
    ASSERT_TRUE(t.last());
    EXPECT_EQ(t.getText(t.fieldIndex("Title")), "Twelve");
    EXPECT_EQ(t.getNumber(t.fieldIndex("Year")), 1957);
    EXPECT_TRUE(f.prompts.done());
}

// The main window's Import and Export commands open the windows.
TEST(ImportWindows, MainWindowCommandsOpenTheWindows) {
    Fixture f;
    QString seen;
    onNextModal([&](QWidget* modal) {
        seen = modal->windowTitle();
        auto* d = qobject_cast<ImportFormatDialog*>(modal);
        ASSERT_TRUE(d);
        click(d->cancelButton());
    });
    f.main->action("MenuImport")->trigger();
    EXPECT_EQ(seen, "Import Format");
    onNextModal([&](QWidget* modal) {
        seen = modal->windowTitle();
        auto* w = qobject_cast<ExportWindow*>(modal);
        ASSERT_TRUE(w);
        click(w->exitButton());
    });
    f.main->action("MenuExport")->trigger();
    EXPECT_EQ(seen, "Export");
}
