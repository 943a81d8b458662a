// The viewer over a large catalogue: the first rows at once, the rest counted by a worker, and
// the model's rows equal to the table's order once the count is done, whatever happened
// meanwhile (edits, deletes, appends, a reload), in record order and in index order.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "catalogue/viewermodel.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "shell_helpers.h"
#include "widgets/viewergrid.h"

namespace {

constexpr int kRecords = ViewerModel::FirstRows * 3 + 17;

// Titles run backwards, so that the title order differs from the record order.
TestRecord backwards(int i) {
    TestRecord r;
    r.title = QStringLiteral("Film %1").arg(kRecords - i, 4, 10, QLatin1Char('0'));
    r.year = 1950 + i % 50;
    return r;
}

std::vector<uint32_t> rowsOf(const ViewerModel& model) {
    std::vector<uint32_t> out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.push_back(model.recnoAt(row));
    return out;
}

// Lets the event loop run until the model's count is done.
bool waitForCount(ViewerModel& model) {
    QSignalSpy done(&model, &ViewerModel::countChanged);
    for (int i = 0; i < 100 && model.isCounting(); ++i)
        done.wait(200);
    return !model.isCounting();
}

class ViewerCountTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("MASTER.DBF");
        createTestCatalogue(path);
        table.open(enginePathOf(path));
        table.disableControls(); // one flush for the whole set-up
        appendRecords(table, kRecords, backwards);
        table.enableControls();
        // Deleted records at the start, inside the first rows and further on.
        for (uint32_t recno : {1u, 7u, 300u, 301u, uint32_t(kRecords)}) {
            ASSERT_TRUE(table.gotoBookmark(recno));
            table.deleteRecord();
        }
        if (indexed()) {
            table.addIndex("NEWINDEX", "Upper(Left(Title,80))");
            table.setActiveIndex("NEWINDEX");
        }
        table.first();
    }
    bool indexed() const { return GetParam(); }
    // The order the table's cursor gives, read by the engine in one pass.
    std::vector<uint32_t> tableOrder() { return table.orderedRecnos(); }
    // A model that counts every table in the background, just reloaded.
    void startCounting(ViewerModel& model) {
        model.setBackgroundCountFrom(1);
        model.reload();
    }

    QTemporaryDir dir;
    QString path;
    dbase::Table table;
};

INSTANTIATE_TEST_SUITE_P(Orders, ViewerCountTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "IndexOrder" : "RecordOrder"; });

} // namespace

TEST_P(ViewerCountTest, FirstRowsAtOnceThenEveryRowOfTheTable) {
    ViewerModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy counted(&model, &ViewerModel::countChanged);
    startCounting(model);
    const std::vector<uint32_t> order = tableOrder();
    ASSERT_TRUE(model.isCounting());
    ASSERT_EQ(model.rowCount(), ViewerModel::FirstRows);
    EXPECT_TRUE(std::equal(order.begin(), order.begin() + ViewerModel::FirstRows, rowsOf(model).begin()));
    EXPECT_EQ(model.index(1, Slot::Title - 1).data().toString(), backwards(int(model.recnoAt(1)) - 1).title);

    ASSERT_TRUE(waitForCount(model));
    EXPECT_EQ(rowsOf(model), order);
    EXPECT_EQ(uint32_t(model.rowCount()), table.recordCount());
    EXPECT_EQ(uint32_t(model.rowCount()), uint32_t(kRecords - 5));
    EXPECT_GE(counted.count(), 2); // started, ended
    const int last = model.rowCount() - 1;
    EXPECT_EQ(model.index(last, Slot::Title - 1).data().toString(),
              backwards(int(model.recnoAt(last)) - 1).title);
}

TEST_P(ViewerCountTest, FinishCountWaitsWithoutAnEventLoopAndReleasesTheFile) {
    ViewerModel model(table);
    startCounting(model);
    ASSERT_TRUE(model.isCounting());
    model.finishCount();
    EXPECT_FALSE(model.isCounting());
    EXPECT_EQ(rowsOf(model), tableOrder());
    // The worker's own view of the file is closed: exclusive use is possible again.
    table.close();
    dbase::Table exclusive;
    EXPECT_NO_THROW(exclusive.open(enginePathOf(path), dbase::OpenMode::Exclusive));
}

TEST_P(ViewerCountTest, DeletingARowWhileCountingLeavesItOut) {
    ViewerModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    startCounting(model);
    ASSERT_TRUE(model.isCounting());
    const uint32_t gone = model.recnoAt(5);
    ASSERT_TRUE(model.deleteRow(5));
    ASSERT_TRUE(waitForCount(model));
    EXPECT_EQ(model.rowOfRecno(gone), -1);
    EXPECT_EQ(rowsOf(model), tableOrder());
    EXPECT_EQ(uint32_t(model.rowCount()), table.recordCount());
}

TEST_P(ViewerCountTest, EditsWhileCountingKeepRowsEqualToTheTable) {
    struct Case {
        int slot;
        const char* typed;
        bool movesInIndexOrder;
    };
    for (const Case& c : {Case{Slot::Year, "2001", false}, Case{Slot::Title, "AAAA First", true}}) {
        SCOPED_TRACE(c.typed);
        ViewerModel model(table);
        model.setEditable(true);
        startCounting(model);
        ASSERT_TRUE(model.isCounting());
        const uint32_t recno = model.recnoAt(9);
        ASSERT_TRUE(model.setData(model.index(9, c.slot - 1), QString::fromLatin1(c.typed)));
        ASSERT_TRUE(waitForCount(model));
        EXPECT_EQ(rowsOf(model), tableOrder());
        const int row = model.rowOfRecno(recno);
        EXPECT_EQ(row, indexed() && c.movesInIndexOrder ? 0 : 9);
        EXPECT_EQ(model.index(row, c.slot - 1).data().toString(), QString::fromLatin1(c.typed));
    }
}

TEST_P(ViewerCountTest, AReloadWhileCountingCountsAgainWithTheNewRecord) {
    ViewerModel model(table);
    startCounting(model);
    ASSERT_TRUE(model.isCounting());
    table.append();
    table.setText(table.fieldIndexOrThrow("Title"), "Film 0000 added");
    table.post();
    model.reload(); // as the window does after the record editor closes
    ASSERT_TRUE(waitForCount(model));
    const uint32_t added = table.info().physicalCount;
    EXPECT_GE(model.rowOfRecno(added), 0);
    EXPECT_EQ(rowsOf(model), tableOrder());
    EXPECT_EQ(uint32_t(model.rowCount()), uint32_t(kRecords - 5 + 1));
}

TEST_P(ViewerCountTest, SomeTablesAreCountedAtOnce) {
    struct Case {
        const char* what;
        std::function<void(dbase::Table&)> prepare;
        std::function<void(dbase::Table&)> undo;
    };
    const int title = table.fieldIndexOrThrow("Title");
    const Case cases[] = {
        {"record filter",
         [title](dbase::Table& t) {
             t.setFilter([title](const dbase::Table& r) { return r.getText(title).back() % 2 == 0; });
         },
         [](dbase::Table& t) { t.clearFilter(); }},
        {"record being edited", [](dbase::Table& t) { t.edit(); }, [](dbase::Table& t) { t.cancel(); }},
        {"exclusive use",
         [this](dbase::Table& t) {
             t.close();
             t.open(enginePathOf(path), dbase::OpenMode::Exclusive);
             if (indexed()) t.setActiveIndex("NEWINDEX");
             t.first();
         },
         [this](dbase::Table& t) {
             t.close();
             t.open(enginePathOf(path));
             if (indexed()) t.setActiveIndex("NEWINDEX");
             t.first();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(table);
        ViewerModel model(table);
        startCounting(model);
        EXPECT_FALSE(model.isCounting());
        EXPECT_EQ(rowsOf(model), tableOrder());
        c.undo(table);
    }
    // Below the size at which counting in the background pays, the model counts at once.
    ViewerModel small(table);
    EXPECT_FALSE(small.isCounting());
    EXPECT_EQ(rowsOf(small), tableOrder());
}

// ---------------------------------------------------------------------------------------------
// The grid while the count runs

TEST_P(ViewerCountTest, MovingPastTheKnownRowsReachesTheRealEnd) {
    struct Case {
        const char* what;
        std::function<void(ViewerGrid&)> move;
    };
    const Case cases[] = {
        {"Ctrl+End", [](ViewerGrid& g) { QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier); }},
        {"Down at the last known row",
         [](ViewerGrid& g) {
             g.selectRow(ViewerModel::FirstRows - 1);
             QTest::keyClick(&g, Qt::Key_Down);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ViewerGrid grid(table);
        grid.resize(600, 400);
        grid.show();
        ViewerModel& model = *grid.viewerModel();
        table.first();
        startCounting(model);
        ASSERT_TRUE(model.isCounting());
        grid.setFocus();
        c.move(grid);
        EXPECT_FALSE(model.isCounting());
        const std::vector<uint32_t> order = tableOrder();
        const int expected =
            std::string(c.what) == "Ctrl+End" ? int(order.size()) - 1 : ViewerModel::FirstRows;
        EXPECT_EQ(grid.currentRecordRow(), expected);
        EXPECT_EQ(table.recNo(), order[size_t(expected)]);
    }
}

TEST_P(ViewerCountTest, ACurrentRecordBeyondTheFirstRowsStaysCurrent) {
    ViewerGrid grid(table);
    grid.viewerModel()->setBackgroundCountFrom(1);
    const std::vector<uint32_t> order = tableOrder();
    const uint32_t deep = order[size_t(ViewerModel::FirstRows * 2)];
    ASSERT_TRUE(table.gotoBookmark(deep));
    grid.reload();
    EXPECT_EQ(table.recNo(), deep);
    EXPECT_EQ(grid.currentRecordRow(), ViewerModel::FirstRows * 2);
}

// ---------------------------------------------------------------------------------------------
// The main window while the count runs

TEST(ViewerCountWindow, TheCountLabelWaitsForTheCountAndPackWaitsForTheWorker) {
    const char* const kPackQuestion = "Deleted items are not permanently removed from the database until "
                                      "packing occurs.  Packing simply removes them to free up space.  "
                                      "Continue?";
    shelltest::Sandbox box;
    ScriptedPrompts prompts;
    auto main = shelltest::start();
    dbase::Table& t = main->session().table();
    t.disableControls();
    appendRecords(t, kRecords, backwards);
    t.enableControls();
    ASSERT_TRUE(t.gotoBookmark(3));
    t.deleteRecord();
    ViewerGrid* grid = main->viewerGrid();
    ASSERT_NE(grid, nullptr);
    ViewerModel& model = *grid->viewerModel();
    model.setBackgroundCountFrom(1);

    main->session().notifyRecordsChanged(); // as after a command that changed records
    ASSERT_TRUE(model.isCounting());
    EXPECT_EQ(main->countLabel()->text(), QString::fromUtf8("\u2026"));
    ASSERT_TRUE(waitForCount(model));
    EXPECT_EQ(main->countLabel()->text(), QString::number(kRecords - 1));

    // Pack needs the file to itself: a count still running when the table closes ends first.
    main->session().notifyRecordsChanged();
    ASSERT_TRUE(model.isCounting());
    main->session().closeTable();
    EXPECT_FALSE(model.isCounting());
    prompts.expect("Confirm", kPackQuestion, Prompts::Yes);
    main->action("MenuPack")->trigger();
    EXPECT_TRUE(prompts.done());
    EXPECT_EQ(main->session().table().info().physicalCount, uint32_t(kRecords - 1));
    ASSERT_TRUE(waitForCount(model));
    EXPECT_EQ(main->countLabel()->text(), QString::number(kRecords - 1));
    shelltest::finish(main);
}
