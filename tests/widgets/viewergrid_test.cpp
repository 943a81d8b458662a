// The viewer: the model over a real catalogue table and the grid with its options.
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "catalogue/datalists.h"
#include "catalogue/settings.h"
#include "catalogue/viewermodel.h"
#include "common/scriptedprompts.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "widgets/viewergrid.h"

namespace {

TestRecord numbered(int i) {
    TestRecord r;
    r.title = QStringLiteral("Film %1").arg(i, 4, 10, QLatin1Char('0'));
    r.category = i % 2 ? QStringLiteral("Drama") : QStringLiteral("Comedy");
    r.purchDate = QStringLiteral("199704%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
    r.viewed = i % 3 == 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    r.year = 1950 + i % 50;
    return r;
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("MASTER.DBF");
        createTestCatalogue(path);
        table.open(enginePathOf(path));
    }
    void fill(int n, const std::function<TestRecord(int)>& make = numbered) {
        appendRecords(table, n, make);
        table.first();
    }
    QString reread(uint32_t recno, const char* field) {
        dbase::Table t;
        t.open(enginePathOf(path), dbase::OpenMode::Shared, true);
        EXPECT_TRUE(t.gotoBookmark(recno));
        return QString::fromStdString(t.getText(t.fieldIndexOrThrow(field)));
    }
    QTemporaryDir dir;
    QString path;
    dbase::Table table;
};

// Adds the NewIndex tag over the title and makes it the active order.
void addTitleIndex(dbase::Table& table) {
    table.addIndex("NEWINDEX", "Upper(Left(Title,80))");
    table.setActiveIndex("NEWINDEX");
}

// Clicks the check box of a cell (the indicator sits at the left of the cell).
void clickCheckBox(ViewerGrid& grid, int row, int slot) {
    const QModelIndex cell = grid.model()->index(row, ViewerModel::columnOfSlot(slot));
    grid.scrollTo(cell);
    const QRect r = grid.visualRect(cell);
    QStyleOptionViewItem option;
    option.initFrom(&grid);
    option.rect = r;
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = grid.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &grid);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      box.isValid() ? box.center() : QPoint(r.left() + 8, r.center().y()));
    QCoreApplication::processEvents();
}

DatabaseSettings onlyTitle() {
    DatabaseSettings s;
    for (int slot = 1; slot <= FieldCount; ++slot)
        s.displayFields[size_t(slot - 1)] = slot == Slot::Title;
    s.fieldNames[Slot::Title - 1] = QStringLiteral("Name of Film");
    return s;
}

int visibleColumns(const ViewerGrid& grid) {
    int n = 0;
    for (int c = 0; c < grid.model()->columnCount(); ++c)
        n += !grid.isColumnHidden(c);
    return n;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Model

TEST_F(ViewerTest, ModelPassesTheItemModelTesterAcrossBlocks) {
    fill(ViewerModel::BlockRows * 3 + 5);
    ViewerModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), ViewerModel::BlockRows * 3 + 5);
    EXPECT_EQ(model.columnCount(), FieldCount);
    for (int row : {0, 63, 64, 150, model.rowCount() - 1})
        EXPECT_EQ(model.index(row, Slot::Title - 1).data().toString(), numbered(row).title);
    model.reload();
    model.setEditable(true);
    model.refreshValues();
}

TEST_F(ViewerTest, DatesInTheDateFormatAndYesNoAsCheckStates) {
    fill(3);
    ViewerModel model(table);
    const QModelIndex date = model.index(0, Slot::PurchaseDate - 1);
    EXPECT_EQ(date.data().toString(), "4/1/97");
    ValueFormats formats;
    formats.dates = DateFormat(10, true);
    model.setValueFormats(formats);
    EXPECT_EQ(date.data().toString(), "01/04/1997");
    EXPECT_EQ(model.index(0, Slot::Viewed - 1).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model.index(1, Slot::Viewed - 1).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(model.index(1, Slot::CheckOut - 1).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(model.index(0, Slot::Viewed - 1).data().isValid());
    EXPECT_FALSE(model.index(0, Slot::Title - 1).data(Qt::CheckStateRole).isValid());
}

TEST_F(ViewerTest, ReadingRowsNeverMovesTheCurrentRecord) {
    fill(150);
    ASSERT_TRUE(table.gotoBookmark(7));
    ViewerModel model(table);
    for (int row = 0; row < model.rowCount(); row += 10)
        model.index(row, 0).data();
    model.index(149, 0).data();
    EXPECT_EQ(table.recNo(), 7u);
    EXPECT_EQ(model.currentRow(), 6);
}

TEST_F(ViewerTest, RowsFollowTheActiveIndex) {
    fill(5, [](int i) {
        TestRecord r = numbered(i);
        r.title = QStringList{"delta", "Alpha", "charlie", "Echo", "bravo"}[i];
        return r;
    });
    addTitleIndex(table);
    ViewerModel model(table);
    QStringList titles;
    for (int row = 0; row < model.rowCount(); ++row)
        titles << model.index(row, 0).data().toString();
    EXPECT_EQ(titles, QStringList({"Alpha", "bravo", "charlie", "delta", "Echo"}));
}

TEST_F(ViewerTest, RowsFollowTheRecordFilter) {
    fill(5, [](int i) {
        TestRecord r = numbered(i);
        r.title = QStringList{"delta", "Alpha", "charlie", "Echo", "bravo"}[i];
        return r;
    });
    ViewerModel model(table);
    const int title = table.fieldIndex("Title");
    table.setFilter(
        [title](const dbase::Table& t) { return t.getText(title).find('a') != std::string::npos; });
    model.reload();
    EXPECT_EQ(model.rowCount(), 4); // delta, Alpha, charlie, bravo
    EXPECT_EQ(model.index(3, 0).data().toString(), "bravo");
    table.clearFilter();
    model.reload();
    EXPECT_EQ(model.rowCount(), 5);
}

TEST_F(ViewerTest, SetDataWritesThroughTheTable) {
    fill(3);
    ViewerModel model(table);
    model.setEditable(true);
    QSignalSpy errors(&model, &ViewerModel::engineError);
    EXPECT_TRUE(model.setData(model.index(1, Slot::Title - 1), "A New Title"));
    EXPECT_TRUE(model.setData(model.index(1, Slot::Viewed - 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(1, Slot::PurchaseDate - 1), "12/25/98"));
    EXPECT_TRUE(model.setData(model.index(1, Slot::Year - 1), "1999"));
    EXPECT_EQ(errors.count(), 0);
    const uint32_t recno = model.recnoAt(1);
    EXPECT_EQ(reread(recno, "Title"), "A New Title");
    EXPECT_EQ(reread(recno, "Viewed"), "Yes");
    EXPECT_EQ(reread(recno, "PurchDate"), "19981225");
    EXPECT_EQ(reread(recno, "Year"), "1999");
    EXPECT_EQ(model.index(1, Slot::Title - 1).data().toString(), "A New Title");
    EXPECT_TRUE(model.setData(model.index(1, Slot::Viewed - 1), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(reread(recno, "Viewed"), "No");
}

TEST_F(ViewerTest, BadValuesAreRefusedWithAMessageAndChangeNothing) {
    fill(2);
    ViewerModel model(table);
    model.setEditable(true);
    QSignalSpy errors(&model, &ViewerModel::engineError);
    EXPECT_FALSE(model.setData(model.index(0, Slot::PurchaseDate - 1), "13/45/97"));
    EXPECT_FALSE(model.setData(model.index(0, Slot::Year - 1), "nineteen"));
    EXPECT_FALSE(model.setData(model.index(0, Slot::Year - 1), "1999.5"));
    ASSERT_EQ(errors.count(), 3);
    EXPECT_EQ(errors[0][0].toString(), "Invalid purchase date specified.  Please correct.");
    EXPECT_EQ(errors[1][0].toString(), "Invalid year specified.  Please correct.");
    EXPECT_EQ(reread(model.recnoAt(0), "PurchDate"), "19970401");
    EXPECT_EQ(reread(model.recnoAt(0), "Year"), "1950");
    EXPECT_FALSE(table.isEditing());
}

TEST_F(ViewerTest, CellsFollowTheRulesOfTheRecordEditor) {
    fill(2);
    ViewerModel model(table);
    model.setEditable(true);
    QSignalSpy errors(&model, &ViewerModel::engineError);
    const uint32_t recno = model.recnoAt(0);
    struct Case {
        int slot;
        QString typed;
        const char* field;
        QString stored; // "" with a message: refused, the field keeps its value
        QString message;
    } cases[] = {
        {Slot::Title, "東京物語", "Title", "",
         "The characters \"東京物語\" cannot be stored in Title.  Please correct."},
        {Slot::ListPrice, "1,234.50", "ListPrice", "1234.5000", ""},
        {Slot::PurchasePrice, "abc", "PurchPrice", "", "Invalid purchase price specified.  Please correct."},
        {Slot::RunTime, "21 6", "RunTime", "", "Invalid play time specified.  Please correct."},
        {Slot::Viewed, "maybe", "Viewed", "", "Viewed is either Yes or No.  Please correct."},
        {Slot::CheckOut, "yes", "CheckOut", "Yes", ""},
    };
    for (const Case& c : cases) {
        const QString before = reread(recno, c.field);
        errors.clear();
        const bool ok = model.setData(model.index(0, c.slot - 1), c.typed);
        EXPECT_EQ(ok, c.message.isEmpty()) << c.field;
        if (c.message.isEmpty()) {
            EXPECT_EQ(errors.count(), 0) << c.field;
            EXPECT_EQ(reread(recno, c.field), c.stored) << c.field;
        } else {
            ASSERT_EQ(errors.count(), 1) << c.field;
            EXPECT_EQ(errors[0][0].toString(), c.message);
            EXPECT_EQ(reread(recno, c.field), before) << c.field;
        }
    }
    EXPECT_FALSE(table.isEditing());
}

TEST_F(ViewerTest, ADateCommittedAsShownKeepsItsCentury) {
    fill(1);
    ViewerModel model(table);
    model.setEditable(true);
    const uint32_t recno = model.recnoAt(0);
    const QModelIndex date = model.index(0, Slot::PurchaseDate - 1);
    // A date far outside the two-digit window, shown with two digits (mm/dd/yy).
    ASSERT_TRUE(model.setData(date, "07/04/1876"));
    ASSERT_EQ(reread(recno, "PurchDate"), "18760704");
    EXPECT_EQ(date.data(Qt::EditRole).toString(), "7/4/76");
    EXPECT_TRUE(model.setData(date, date.data(Qt::EditRole)));
    EXPECT_EQ(reread(recno, "PurchDate"), "18760704");
    // Typed anew, a two-digit year is read by the rule.
    ASSERT_TRUE(model.setData(date, "7/5/76"));
    EXPECT_EQ(reread(recno, "PurchDate"), "19760705");
}

TEST_F(ViewerTest, EditingOffRefusesEveryChange) {
    fill(1);
    ViewerModel model(table);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, Slot::Viewed - 1)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.setData(model.index(0, 0), "Changed"));
    EXPECT_EQ(reread(1, "Title"), numbered(0).title);
}

TEST_F(ViewerTest, EditingASortKeyMovesTheRecordToItsPlace) {
    fill(3, [](int i) {
        TestRecord r = numbered(i);
        r.title = QStringList{"Bravo", "Charlie", "Delta"}[i];
        return r;
    });
    addTitleIndex(table);
    ViewerModel model(table);
    model.setEditable(true);
    ASSERT_TRUE(model.setData(model.index(2, 0), "Alpha"));
    EXPECT_EQ(model.index(0, 0).data().toString(), "Alpha");
    EXPECT_EQ(model.index(1, 0).data().toString(), "Bravo");
}

TEST_F(ViewerTest, DeleteRowRemovesTheRecord) {
    fill(3);
    ViewerModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const uint32_t gone = model.recnoAt(1);
    ASSERT_TRUE(model.deleteRow(1));
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(table.recordCount(), 2u);
    EXPECT_EQ(model.rowOfRecno(gone), -1);
    EXPECT_EQ(model.index(1, 0).data().toString(), numbered(2).title);
}

TEST_F(ViewerTest, EmptyAndClosedTables) {
    ViewerModel model(table);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.gotoRow(0));
    table.close();
    model.reload();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.currentRow(), -1);
}

// ---------------------------------------------------------------------------------------------
// Grid

TEST_F(ViewerTest, OnlyTitleShownGivesOneColumnWithItsDisplayName) {
    fill(2);
    ViewerGrid grid(table);
    grid.applyViewerOptions(onlyTitle());
    EXPECT_EQ(visibleColumns(grid), 1);
    EXPECT_FALSE(grid.isColumnHidden(Slot::Title - 1));
    EXPECT_EQ(grid.model()->headerData(Slot::Title - 1, Qt::Horizontal).toString(), "Name of Film");
    EXPECT_EQ(grid.horizontalHeader()->visualIndex(Slot::Title - 1), 0);
}

TEST_F(ViewerTest, ColumnOrderWidthsAndTitlesFollowTheSettings) {
    fill(2);
    DatabaseSettings s;
    for (int slot = 1; slot <= FieldCount; ++slot)
        s.fieldOrder[size_t(slot - 1)] = FieldCount + 1 - slot;
    s.fieldWidth[Slot::Title - 1] = 30;
    s.fieldWidth[Slot::UserDefined2 - 1] = 4;
    s.displayFields[Slot::Writers - 1] = false;
    ViewerGrid grid(table);
    grid.applyViewerOptions(s);
    QHeaderView* h = grid.horizontalHeader();
    EXPECT_EQ(h->logicalIndex(0), Slot::UserDefined2 - 1);
    EXPECT_EQ(h->logicalIndex(1), Slot::UserDefined1 - 1);
    EXPECT_EQ(h->logicalIndex(2), Slot::Viewed - 1); // Writers is hidden: no gap
    EXPECT_TRUE(grid.isColumnHidden(Slot::Writers - 1));
    EXPECT_EQ(visibleColumns(grid), FieldCount - 1);
    EXPECT_EQ(grid.columnWidth(Slot::Title - 1), grid.columnWidthFor(30));
    EXPECT_GT(grid.columnWidthFor(30), grid.columnWidthFor(4) * 5);
    EXPECT_EQ(grid.model()->headerData(Slot::Title - 1, Qt::Horizontal).toString(), "Title");

    // Back to the slot order with the defaults.
    grid.applyViewerOptions(DatabaseSettings{});
    for (int c = 0; c < FieldCount; ++c)
        EXPECT_EQ(h->logicalIndex(c), c);
    EXPECT_EQ(visibleColumns(grid), FieldCount);
}

TEST_F(ViewerTest, GridLookOptions) {
    fill(1);
    DatabaseSettings s;
    s.rowIndicator = false;
    s.showTitles = false;
    s.cellColor = 0x0000ff;
    s.gridFont.name = "Courier New";
    s.gridFont.size = 14;
    s.titleAlignment = 3;
    ViewerGrid grid(table);
    grid.applyViewerOptions(s);
    EXPECT_FALSE(grid.verticalHeader()->isVisibleTo(&grid));
    EXPECT_FALSE(grid.horizontalHeader()->isVisibleTo(&grid));
    EXPECT_EQ(grid.palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(grid.font().family(), "Courier New");
    EXPECT_EQ(grid.font().pointSize(), 14);
    EXPECT_TRUE(grid.horizontalHeader()->defaultAlignment() & Qt::AlignRight);
    EXPECT_TRUE(grid.horizontalHeader()->styleSheet().contains("#828282")); // 8553090
    EXPECT_TRUE(grid.tabKeyNavigation());
    s = DatabaseSettings{};
    grid.applyViewerOptions(s);
    EXPECT_TRUE(grid.verticalHeader()->isVisibleTo(&grid));
    EXPECT_TRUE(grid.horizontalHeader()->isVisibleTo(&grid));
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(ViewerTest, FieldEditingOffTypingChangesNothing) {
    fill(2);
    ViewerGrid grid(table);
    grid.applyViewerOptions(DatabaseSettings{}); // Field Editing No
    grid.resize(600, 300);
    grid.show();
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, Slot::Title - 1));
    QTest::keyClicks(&grid, "Changed");
    QTest::keyClick(&grid, Qt::Key_F2);
    QTest::keyClick(&grid, Qt::Key_Return);
    clickCheckBox(grid, 0, Slot::Viewed);
    EXPECT_EQ(reread(1, "Title"), numbered(0).title);
    EXPECT_EQ(reread(1, "Viewed"), "Yes");
    EXPECT_EQ(grid.model()->index(0, Slot::Title - 1).data().toString(), numbered(0).title);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(ViewerTest, FieldEditingOnTypingWritesTheRecord) {
    fill(2);
    ViewerGrid grid(table);
    DatabaseSettings s;
    s.fieldEditing = true;
    grid.applyViewerOptions(s);
    grid.resize(600, 300);
    grid.show();
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(1, Slot::Title - 1));
    QTest::keyClick(&grid, Qt::Key_F2);
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Typed Title");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits through a queued call
    EXPECT_EQ(reread(2, "Title"), "Typed Title");
}

TEST_F(ViewerTest, FieldEditingOnCheckBoxesStoreYesAndNo) {
    fill(2);
    ViewerGrid grid(table);
    DatabaseSettings s;
    s.fieldEditing = true;
    grid.applyViewerOptions(s);
    grid.resize(600, 300);
    grid.show();
    clickCheckBox(grid, 0, Slot::Viewed); // record 1 was viewed
    EXPECT_EQ(reread(1, "Viewed"), "No");
    clickCheckBox(grid, 1, Slot::CheckOut);
    EXPECT_EQ(reread(2, "CheckOut"), "Yes");
}

TEST_F(ViewerTest, ListFieldsEditThroughDropDownListsOfTheDataLists) {
    fill(1);
    DataLists lists;
    lists.setList(DataLists::Category, {"Comedy", "Drama", "Western"});
    ViewerGrid grid(table);
    grid.setDataLists(&lists);
    DatabaseSettings s;
    s.fieldEditing = true;
    grid.applyViewerOptions(s);
    grid.resize(600, 300);
    grid.show();
    const QModelIndex cell = grid.model()->index(0, Slot::Category - 1);
    grid.setCurrentIndex(cell);
    grid.edit(cell);
    auto* combo = grid.viewport()->findChild<QComboBox*>();
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2), "Western");
    EXPECT_EQ(combo->currentText(), "Comedy");
    EXPECT_EQ(combo->font().family(), grid.font().family());
    combo->setCurrentIndex(2);
    QTest::keyClick(combo, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(reread(1, "Category"), "Western");

    // A list changed later is what the next drop-down offers.
    lists.setList(DataLists::Category, {"Horror"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the last editor goes
    ASSERT_FALSE(grid.viewport()->findChild<QComboBox*>());
    grid.edit(grid.model()->index(0, Slot::Category - 1));
    combo = grid.viewport()->findChild<QComboBox*>();
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->count(), 1);
}

TEST_F(ViewerTest, DeletingTheOnlyRecordLeavesAnEmptyGrid) {
    fill(1);
    ViewerGrid grid(table);
    QSignalSpy changed(&grid, &ViewerGrid::recordsChanged);
    ScriptedPrompts prompts;
    prompts.expect("Confirm", "Delete this record?", Prompts::Yes);
    EXPECT_TRUE(grid.deleteCurrent());
    EXPECT_TRUE(prompts.done());
    EXPECT_EQ(prompts.messages()[0].defaultButton, Prompts::No);
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(table.recordCount(), 0u);
    EXPECT_EQ(grid.currentRecordRow(), -1);
    EXPECT_GE(changed.count(), 1);
    EXPECT_FALSE(grid.deleteCurrent()); // nothing left: no question
}

TEST_F(ViewerTest, AnsweringNoDeletesNothing) {
    fill(3);
    ViewerGrid grid(table);
    grid.selectRow(1);
    ScriptedPrompts prompts;
    prompts.expect("Confirm", "Delete this record?", Prompts::No);
    EXPECT_FALSE(grid.deleteCurrent());
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(table.recordCount(), 3u);
    EXPECT_EQ(grid.currentRecordRow(), 1);
}

TEST_F(ViewerTest, DeleteKeepsTheNextRecordCurrent) {
    fill(3);
    ViewerGrid grid(table);
    grid.selectRow(1);
    ScriptedPrompts prompts;
    prompts.answer(Prompts::Yes).answer(Prompts::Yes);
    ASSERT_TRUE(grid.deleteCurrent());
    EXPECT_EQ(grid.currentRecordRow(), 1);
    EXPECT_EQ(table.recNo(), 3u);
    ASSERT_TRUE(grid.deleteCurrent());
    EXPECT_EQ(grid.currentRecordRow(), 0);
    EXPECT_EQ(table.recNo(), 1u);
}

TEST_F(ViewerTest, CurrentRowIsTheTablesCurrentRecord) {
    fill(10);
    ViewerGrid grid(table);
    QSignalSpy edit(&grid, &ViewerGrid::editRequested);
    grid.resize(600, 300);
    grid.show();
    grid.selectRow(4);
    EXPECT_EQ(table.recNo(), 5u);
    EXPECT_EQ(grid.model()->headerData(4, Qt::Vertical).toString(), QString(QChar(0x25B6)));
    // Another window moves the table; the grid follows.
    table.gotoBookmark(9);
    grid.syncToTable();
    EXPECT_EQ(grid.currentRecordRow(), 8);
    // Double-click opens the editor on the clicked record.
    const QRect cell = grid.visualRect(grid.model()->index(2, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(edit.count(), 1);
    EXPECT_EQ(table.recNo(), 3u);
    // A reload keeps the current record.
    grid.reload();
    EXPECT_EQ(grid.currentRecordRow(), 2);
}

TEST_F(ViewerTest, EngineErrorsAreShownAsErrors) {
    fill(1);
    ViewerGrid grid(table);
    DatabaseSettings s;
    s.fieldEditing = true;
    grid.applyViewerOptions(s);
    ScriptedPrompts prompts;
    prompts.expect("Error", "Invalid purchase date specified.  Please correct.", Prompts::Ok);
    EXPECT_FALSE(grid.model()->setData(grid.model()->index(0, Slot::PurchaseDate - 1), "99/99/99"));
    EXPECT_TRUE(prompts.done());
}

TEST_F(ViewerTest, SelectionFollowsTheFieldEditingOption) {
    fill(3);
    ViewerGrid grid(table);
    grid.applyViewerOptions(DatabaseSettings{});
    grid.selectRow(1);
    EXPECT_EQ(grid.selectionModel()->selectedIndexes().size(), FieldCount); // the whole row
    DatabaseSettings s;
    s.fieldEditing = true;
    grid.applyViewerOptions(s);
    EXPECT_EQ(grid.selectionModel()->selectedIndexes().size(), 1); // the current cell
    grid.applyViewerOptions(DatabaseSettings{});
    EXPECT_EQ(grid.selectionModel()->selectedIndexes().size(), FieldCount);
    EXPECT_EQ(grid.currentRecordRow(), 1);
}

TEST_F(ViewerTest, EditingOtherFieldsKeepsTheOrderWithoutReadingItAgain) {
    fill(3);
    addTitleIndex(table);
    ViewerModel model(table);
    model.setEditable(true);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    ASSERT_TRUE(model.setData(model.index(1, Slot::Category - 1), "Western"));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(model.index(1, Slot::Category - 1).data().toString(), "Western");
    ASSERT_TRUE(model.setData(model.index(1, Slot::Title - 1), "Zulu")); // a key field: read again
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.index(2, Slot::Title - 1).data().toString(), "Zulu");
}

TEST_F(ViewerTest, ARecordTheFilterNoLongerTakesLeavesTheGrid) {
    fill(3);
    const int category = table.fieldIndex("Category");
    table.setFilter([category](const dbase::Table& t) { return t.getText(category) != "Western"; });
    ViewerModel model(table);
    model.setEditable(true);
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_TRUE(model.setData(model.index(0, Slot::Category - 1), "Western"));
    EXPECT_EQ(model.rowCount(), 2);
    table.clearFilter();
    EXPECT_EQ(reread(1, "Category"), "Western");
}

TEST_F(ViewerTest, CtrlDeleteAsksOnlyWhileFieldEditingIsOn) {
    fill(2);
    ViewerGrid grid(table);
    grid.applyViewerOptions(DatabaseSettings{});
    grid.show();
    grid.selectRow(0);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier); // editing off: nothing asked
    EXPECT_EQ(table.recordCount(), 2u);
    DatabaseSettings s;
    s.fieldEditing = true;
    grid.applyViewerOptions(s);
    ScriptedPrompts prompts;
    prompts.expect("Confirm", "Delete this record?", Prompts::Yes);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(prompts.done());
    EXPECT_EQ(table.recordCount(), 1u);
    EXPECT_EQ(grid.model()->rowCount(), 1);
}

namespace {

// A shown grid over Bravo, Charlie, Delta in title order with field editing on.
struct SortedGrid {
    explicit SortedGrid(dbase::Table& table) : grid(table) {
        DatabaseSettings s;
        s.fieldEditing = true;
        grid.applyViewerOptions(s);
        grid.resize(600, 300);
        grid.show();
        grid.setFocus();
    }
    void type(int row, const QString& text, Qt::Key leave) {
        grid.setCurrentIndex(grid.model()->index(row, Slot::Title - 1));
        QTest::keyClick(&grid, Qt::Key_F2);
        auto* editor = grid.viewport()->findChild<QLineEdit*>();
        ASSERT_TRUE(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, leave);
        QCoreApplication::processEvents(); // the delegate commits through a queued call
        QCoreApplication::processEvents(); // then the order is read again
    }
    ViewerGrid grid;
};

} // namespace

TEST_F(ViewerTest, EditingASortKeyInTheGridKeepsTheEditedRecordCurrent) {
    const struct {
        int row;
        const char* typed;
        Qt::Key leave;
        int newRow;
    } cases[] = {
        {2, "Alpha", Qt::Key_Return, 0},
        {0, "Echo", Qt::Key_Return, 2},
        {1, "Aardvark", Qt::Key_Tab, 0},
        {0, "Zulu", Qt::Key_Tab, 2},
    };
    fill(3, [](int i) {
        TestRecord r = numbered(i);
        r.title = QStringList{"Bravo", "Charlie", "Delta"}[i];
        return r;
    });
    addTitleIndex(table);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        SortedGrid sorted(table);
        ViewerGrid& grid = sorted.grid;
        const uint32_t edited = grid.viewerModel()->recnoAt(c.row);
        sorted.type(c.row, QString::fromLatin1(c.typed), c.leave);
        EXPECT_EQ(reread(edited, "Title"), QString::fromLatin1(c.typed));
        EXPECT_EQ(grid.currentRecordRow(), c.newRow);
        EXPECT_EQ(table.recNo(), edited);
        EXPECT_EQ(grid.viewerModel()->recnoAt(grid.currentRecordRow()), edited);
        EXPECT_EQ(grid.model()->headerData(c.newRow, Qt::Vertical).toString(), QString(QChar(0x25B6)));
    }
}

TEST_F(ViewerTest, TheIndicatorMarksTheCurrentRecordAfterADelete) {
    for (int deleted : {0, 1, 2}) {
        SCOPED_TRACE(deleted);
        table.close();
        createTestCatalogue(path);
        table.open(enginePathOf(path));
        fill(3);
        ViewerGrid grid(table);
        grid.resize(600, 300);
        grid.show();
        grid.selectRow(deleted);
        ScriptedPrompts prompts;
        prompts.answer(Prompts::Yes);
        ASSERT_TRUE(grid.deleteCurrent());
        QCoreApplication::processEvents();
        const int current = grid.currentRecordRow();
        ASSERT_GE(current, 0);
        EXPECT_EQ(current, std::min(deleted, 1));
        EXPECT_EQ(grid.viewerModel()->recnoAt(current), table.recNo());
        int marked = -1;
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            if (grid.model()->headerData(row, Qt::Vertical).toString() == QString(QChar(0x25B6))) {
                EXPECT_EQ(marked, -1) << "two rows marked";
                marked = row;
            }
        EXPECT_EQ(marked, current);
        const QModelIndexList selected = grid.selectionModel()->selectedIndexes();
        ASSERT_FALSE(selected.isEmpty());
        EXPECT_EQ(selected.front().row(), current);
    }
}

TEST_F(ViewerTest, PricesShowInTheMoneyFormatAndEditAsPlainNumbers) {
    fill(1);
    table.first();
    table.edit();
    table.setText(table.fieldIndexOrThrow("ListPrice"), "1234.5");
    table.setText(table.fieldIndexOrThrow("PurchPrice"), "-7");
    table.post();
    ViewerModel model(table);
    RegionalValues comma;
    comma.sDecimal = QLatin1Char(',');
    comma.sThousand = QLatin1Char('.');
    comma.iCurrDigits = 2;
    const struct {
        int format;
        const char* list;
        const char* purch;
        const char* edit;
    } cases[] = {{USFormat, "1,234.50", "-7.00", "1234.50"}, {SystemFormat, "1.234,50", "-7,00", "1234,50"}};
    for (const auto& c : cases) {
        ValueFormats formats;
        formats.currencyFormat = c.format;
        formats.regional = comma;
        model.setValueFormats(formats);
        EXPECT_EQ(model.index(0, Slot::ListPrice - 1).data().toString(), c.list);
        EXPECT_EQ(model.index(0, Slot::PurchasePrice - 1).data().toString(), c.purch);
        EXPECT_EQ(model.index(0, Slot::ListPrice - 1).data(Qt::EditRole).toString(), c.edit);
    }
    // Editing takes a plain number in the money's decimal separator; the cell committed as it
    // was offered is the same amount and writes nothing.
    model.setEditable(true);
    const QModelIndex list = model.index(0, Slot::ListPrice - 1);
    ASSERT_TRUE(model.setData(list, list.data(Qt::EditRole)));
    EXPECT_DOUBLE_EQ(reread(1, "ListPrice").toDouble(), 1234.5);
    ASSERT_TRUE(model.setData(model.index(0, Slot::ListPrice - 1), "99,5"));
    EXPECT_DOUBLE_EQ(reread(1, "ListPrice").toDouble(), 99.5);
    EXPECT_EQ(model.index(0, Slot::ListPrice - 1).data().toString(), "99,50");
}

TEST_F(ViewerTest, TitlesWiderThanTheirColumnEndInAnEllipsisAndShowWholeAsTooltips) {
    fill(1);
    ViewerGrid grid(table);
    DatabaseSettings s;
    s.fieldNames[Slot::OscarNomination - 1] = QStringLiteral("Oscar Nomination");
    s.fieldWidth[Slot::OscarNomination - 1] = 4;
    grid.applyViewerOptions(s);
    const int column = Slot::OscarNomination - 1;
    EXPECT_EQ(grid.horizontalHeader()->textElideMode(), Qt::ElideRight);
    EXPECT_EQ(grid.model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString(),
              "Oscar Nomination");
    EXPECT_LT(grid.columnWidth(column),
              grid.horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("Oscar Nomination")));
}

TEST_F(ViewerTest, TheCellEditorKeepsWithinItsCellWhileTyping) {
    fill(2);
    ViewerGrid grid(table);
    DatabaseSettings s;
    s.fieldEditing = true;
    s.fieldWidth[Slot::Title - 1] = 6;
    grid.applyViewerOptions(s);
    grid.resize(600, 300);
    grid.show();
    grid.setFocus();
    const QModelIndex cell = grid.model()->index(0, Slot::Title - 1);
    grid.setCurrentIndex(cell);
    QTest::keyClick(&grid, Qt::Key_F2);
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, "A title much longer than its narrow column");
    QCoreApplication::processEvents();
    const QRect rect = grid.visualRect(cell);
    EXPECT_LE(editor->geometry().right(), rect.right());
    EXPECT_LE(editor->width(), rect.width());
}
