// The main window's state across its commands: browse mode over a catalogue switch, a search
// across Update Database, the messages of Pack and Rebuild Indexes, and the navigator's Post and
// Cancel while a cell of the grid is edited, and a cell edit that moves its record in the order.
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/viewermodel.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "shell_helpers.h"
#include "widgets/viewergrid.h"

using namespace shelltest;

namespace {

QString catalogueWithEditing(const QString& path, const char* fieldEditing) {
    const NewTable made = createCatalogue(path);
    EXPECT_TRUE(made.ok) << made.message.toStdString();
    {
        dbase::Table t;
        t.open(enginePathOf(path));
        appendRecords(t, 2, [](int i) {
            return TestRecord{QString("Film %1").arg(i), "Drama", "", "No", 1990};
        });
    }
    QString settings = path;
    settings.replace(QLatin1String(".DBF"), QLatin1String(".INI"));
    IniFile ini(settings);
    ini.load();
    ini.writeString("Grid Options", "Field Editing", fieldEditing);
    EXPECT_TRUE(ini.save());
    return path;
}

QString fieldEditingIn(const QString& path) {
    QString settings = path;
    settings.replace(QLatin1String(".DBF"), QLatin1String(".INI"));
    IniFile ini(settings);
    ini.load();
    return ini.value("Grid Options", "Field Editing");
}

void openCatalogue(MainWindow& main, ScriptedPrompts& prompts, const QString& path) {
    prompts.answerFile(path);
    main.action("MenuOpen")->trigger();
    ASSERT_EQ(main.session().currentDatabase(), path);
}

} // namespace

TEST(ShellState, BrowseModeKeepsEveryCatalogueReadOnlyAndWritesNoSettingsFile) {
    Sandbox box;
    const QString a = catalogueWithEditing(box.other("A.DBF"), "Yes");
    const QString b = catalogueWithEditing(box.other("B.DBF"), "No");
    const QString c = catalogueWithEditing(box.other("C.DBF"), "Yes");
    box.setProgramKey("Misc", "Last Database", a);
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    auto main = start({"/BROWSE"});
    ViewerModel& model = *main->viewerGrid()->viewerModel();
    EXPECT_FALSE(model.isEditable());
    // New and Open stay available in browse mode; the catalogue opened keeps the grid read-only.
    EXPECT_TRUE(main->action("MenuOpen")->isEnabled());
    openCatalogue(*main, prompts, c);
    EXPECT_FALSE(model.isEditable());
    EXPECT_FALSE(main->action("MenuAdd")->isEnabled());
    openCatalogue(*main, prompts, b);
    EXPECT_FALSE(model.isEditable());
    finish(main);
    // Every catalogue keeps its own setting: the switches and the end wrote none of browse mode's.
    EXPECT_EQ(fieldEditingIn(a), "Yes");
    EXPECT_EQ(fieldEditingIn(c), "Yes");
    EXPECT_EQ(fieldEditingIn(b), "No");
    EXPECT_TRUE(prompts.done());
}

TEST(ShellState, UpdateDatabaseKeepsTheSearchFilter) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    Session& s = main->session();
    appendRecords(s.table(), 6, [](int i) {
        return TestRecord{QStringList{"Alien", "Brazil", "Heat", "Jaws", "Fargo", "Vertigo"}[i], "", "", "",
                          0};
    });
    const int title = s.table().fieldIndexOrThrow("Title");
    const Session::RecordFilter hasR = [title](const dbase::Table& t) {
        return t.getText(title).find('r') != std::string::npos;
    };
    // A search as the search window starts it: the filter, the flag, the viewer read again.
    s.setSearchFilter(hasR);
    s.table().setFilter(hasR);
    s.setSearchOn(true);
    s.notifyRecordsChanged();
    ASSERT_EQ(main->viewerGrid()->model()->rowCount(), 3); // Brazil, Fargo, Vertigo

    main->action("MenuUpdate")->trigger();
    EXPECT_TRUE(s.searchOn());
    EXPECT_TRUE(s.table().hasFilter());
    EXPECT_EQ(main->viewerGrid()->model()->rowCount(), 3);
    EXPECT_EQ(main->countLabel()->text(), "3");
    EXPECT_TRUE(main->searchOnLabel()->isVisibleTo(main.get()));
    EXPECT_TRUE(main->action("MenuEndSearch")->isEnabled());
    finish(main);
}

TEST(ShellState, PackOfADamagedTableGivesTheReasonNotExclusiveUse) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    dbase::Table& t = main->session().table();
    appendRecords(t, 4, [](int i) { return TestRecord{QString("T%1").arg(i), "", "", "", 0}; });
    const uint32_t recordLength = t.info().recordLength;
    // Another program cuts the last two records off the file.
    QFile file(box.master());
    ASSERT_TRUE(file.resize(file.size() - 2 * recordLength));
    prompts.expect("Confirm", packQuestion(), Prompts::Yes);
    for (int i = 0; i < 3; ++i)
        prompts.answer(Prompts::Ok); // the reopening and the pack report what went wrong
    main->action("MenuPack")->trigger();
    bool reasonShown = false;
    for (const ScriptedPrompts::Call& call : prompts.messages()) {
        EXPECT_NE(call.text, packFailedMessage()) << "nobody else holds the table";
        reasonShown = reasonShown || call.text.contains("records but the file holds only");
    }
    EXPECT_TRUE(reasonShown);
    prompts.clearQueue();
    finish(main);
}

TEST(ShellState, NavigatorPostAndCancelFollowTheCellBeingEdited) {
    struct Case {
        const char* what;
        RecordNavigator::Button button;
        bool written;
    };
    for (const Case& c :
         {Case{"Post", RecordNavigator::Post, true}, Case{"Cancel", RecordNavigator::Cancel, false}}) {
        SCOPED_TRACE(c.what);
        Sandbox box;
        box.setProgramKey("Misc", "Show Tips", "No");
        const QString master = catalogueWithEditing(box.master(), "Yes");
        ScriptedPrompts prompts;
        auto main = start();
        main->show();
        ViewerGrid* grid = main->viewerGrid();
        RecordNavigator* nav = main->navigator();
        EXPECT_FALSE(nav->button(RecordNavigator::Post)->isEnabled());
        EXPECT_FALSE(nav->button(RecordNavigator::Cancel)->isEnabled());

        const uint32_t recno = grid->viewerModel()->recnoAt(0);
        const QString before = grid->viewerModel()->rawText(0, Slot::Title);
        // Typing into the title cell opens its editor, as a person does.
        grid->setFocus();
        grid->selectRow(0);
        grid->setCurrentIndex(grid->model()->index(0, ViewerModel::columnOfSlot(Slot::Title)));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* line = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(line, nullptr);
        line->end(false);
        QTest::keyClicks(line, " changed");
        EXPECT_TRUE(nav->button(RecordNavigator::Post)->isEnabled());
        EXPECT_TRUE(nav->button(RecordNavigator::Cancel)->isEnabled());
        EXPECT_FALSE(nav->button(RecordNavigator::Insert)->isEnabled());

        QTest::mouseClick(nav->button(c.button), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_FALSE(nav->button(RecordNavigator::Post)->isEnabled());
        EXPECT_FALSE(nav->button(RecordNavigator::Cancel)->isEnabled());
        EXPECT_FALSE(grid->isEditingCell());
        dbase::Table check;
        check.open(enginePathOf(master), dbase::OpenMode::Shared, true);
        ASSERT_TRUE(check.gotoBookmark(recno));
        EXPECT_EQ(QString::fromStdString(check.getText(check.fieldIndexOrThrow("Title"))),
                  c.written ? before + " changed" : before);
        main->hide();
        finish(main);
    }
}

TEST(ShellState, EditingASortKeyCellKeepsTheEditedRecordCurrent) {
    struct Case {
        int row;
        const char* typed;
        Qt::Key leave;
        int newRow;
    };
    for (const Case& c : {Case{3, "Alpha", Qt::Key_Return, 0}, Case{0, "Zulu", Qt::Key_Return, 5},
                          Case{1, "Aardvark", Qt::Key_Tab, 0}, Case{4, "Cobra", Qt::Key_Tab, 2}}) {
        SCOPED_TRACE(c.typed);
        Sandbox box;
        box.setProgramKey("Misc", "Show Tips", "No");
        createTestCatalogue(box.master());
        {
            dbase::Table t;
            t.open(enginePathOf(box.master()));
            appendRecords(t, 6, [](int i) {
                return TestRecord{QStringList{"Foxtrot", "Bravo", "Echo", "Delta", "Golf", "Charlie"}[i],
                                  "Drama", "", "No", 1990};
            });
        }
        {
            IniFile ini(box.program("MASTER.INI"));
            ini.load();
            ini.writeInt("Sort Order", "Primary Sort", 1);
            ini.writeString("Grid Options", "Field Editing", "Yes");
            ASSERT_TRUE(ini.save());
        }
        ScriptedPrompts prompts;
        auto main = start();
        main->show();
        QCoreApplication::processEvents();
        ViewerGrid* grid = main->viewerGrid();
        const uint32_t edited = grid->viewerModel()->recnoAt(c.row);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(c.row, ViewerModel::columnOfSlot(Slot::Title)));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* line = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClicks(line, c.typed);
        QTest::keyClick(line, c.leave);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(grid->viewerModel()->rawText(c.newRow, Slot::Title).trimmed(), QString(c.typed));
        EXPECT_EQ(grid->currentRecordRow(), c.newRow);
        EXPECT_EQ(main->session().table().recNo(), edited);
        // Tab goes on to the next cell of the same record, open for typing; Return stays.
        const int titleColumn = ViewerModel::columnOfSlot(Slot::Title);
        EXPECT_EQ(grid->currentIndex().column() != titleColumn, c.leave == Qt::Key_Tab);
        EXPECT_EQ(grid->isEditingCell(), c.leave == Qt::Key_Tab);
        EXPECT_EQ(main->navigator()->button(RecordNavigator::Post)->isEnabled(), c.leave == Qt::Key_Tab);
        EXPECT_EQ(main->viewerGrid()->model()->headerData(c.newRow, Qt::Vertical).toString(),
                  QString(QChar(0x25B6)));
        EXPECT_TRUE(prompts.messages().empty());
        main->hide();
        finish(main);
    }
}
