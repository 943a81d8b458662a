// The main window: first start, settings kept across runs, browse mode, screen sizes, the
// button-bar modes and their layout.
#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <gtest/gtest.h>

#include "base/paths.h"
#include "catalogue/viewermodel.h"
#include "common/files.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "shell_helpers.h"
#include "widgets/viewergrid.h"

using namespace shelltest;

namespace {

TEST(MainStart, FirstStartWithNoFilesCreatesMasterAndUsesTheDefaults) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    EXPECT_TRUE(QFileInfo::exists(box.master()));
    EXPECT_EQ(main->windowTitle(), QString("Quillon Videos 97 (MASTER)"));
    EXPECT_EQ(main->size(), QSize(640, 480));
    EXPECT_EQ(main->pos(), QPoint(0, 0));
    EXPECT_EQ(main->buttonBarMode(), ButtonBarMode::Speed);
    EXPECT_FALSE(main->speedBar()->isHidden());
    EXPECT_TRUE(main->letteredButton(0)->isHidden());
    EXPECT_TRUE(main->action("MenuSpeedButtons")->isChecked());
    EXPECT_TRUE(main->session().table().isOpen());
    EXPECT_EQ(main->countLabel()->text(), QString("0"));
    EXPECT_TRUE(main->searchOnLabel()->isHidden());
    EXPECT_FALSE(main->action("MenuEndSearch")->isEnabled());
    EXPECT_EQ(main->navigator()->visibleButtonCount(), 10);
    // Recently used list empty: separator and items hidden.
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(main->action(QString("MenuLastFile%1").arg(i))->isVisible());
    finish(main);
    // Both settings files exist after the end, the database's with every default.
    EXPECT_TRUE(QFileInfo::exists(box.iniPath()));
    EXPECT_TRUE(QFileInfo::exists(box.program("MASTER.INI")));
    EXPECT_EQ(box.programKey("Misc", "Last Database"), box.master());
    EXPECT_EQ(box.programKey("Misc", "Show Tips"), QString("Yes"));
    EXPECT_TRUE(prompts.messages().empty());
}

TEST(MainStart, FirstStartCopiesTheShippedListsAndKeepsTheUsersOwn) {
    Sandbox box;
    ASSERT_TRUE(writeFile(box.program("star.lst"), "Garbo\r\n"));
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    for (int number = 1; number <= DataLists::ListCount; ++number) {
        if (number == DataLists::Stars) continue;
        EXPECT_TRUE(QFileInfo(box.program(DataLists::info(number).defaultFile)).isFile()) << number;
    }
    EXPECT_FALSE(QFileInfo::exists(box.program("STAR.LST")));
    EXPECT_EQ(readFile(box.program("star.lst")), QByteArray("Garbo\r\n"));
    // The one copy at start brings the help pages too, as shipped.
    EXPECT_EQ(readFile(box.program("help/contents.html")),
              readFile(qEnvironmentVariable("QUILLON_SOURCE_DIR") + "/resources/help/contents.html"));
    EXPECT_EQ(readFile(box.program("OSCAR.LST")),
              readFile(qEnvironmentVariable("QUILLON_SOURCE_DIR") + "/resources/lists/OSCAR.LST"));
    // The new MASTER catalogue starts from them: the drop-downs and the award pick have values.
    const DataLists& lists = main->session().lists();
    EXPECT_TRUE(lists.list(DataLists::Format).contains("VHS"));
    EXPECT_TRUE(lists.list(DataLists::Format).contains("Blu-ray"));
    EXPECT_EQ(lists.list(DataLists::Stars), QStringList{"Garbo"});
    EXPECT_TRUE(lists.programList(DataLists::OscarNames).contains("Best Picture"));
    EXPECT_FALSE(lists.programList(DataLists::Miscellaneous).isEmpty());
    EXPECT_TRUE(prompts.messages().empty());
    finish(main);
}

TEST(MainStart, AnExistingCatalogueOpensOnItsFirstRecord) {
    Sandbox box;
    createTestCatalogue(box.master());
    {
        dbase::Table t;
        t.open(enginePathOf(box.master()));
        appendRecords(t, 50, [](int i) {
            return TestRecord{QString("Film %1").arg(49 - i, 2, 10, QChar('0')), "", "", "", 1990};
        });
    }
    // Sorted by title, the first physical record is the last in the viewer.
    {
        IniFile ini(box.program("MASTER.INI"));
        ini.writeInt("Sort Order", "Primary Sort", 1);
        ASSERT_TRUE(ini.save());
    }
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    main->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(main->countLabel()->text(), QString("50"));
    EXPECT_EQ(main->viewerGrid()->currentIndex().row(), 0);
    EXPECT_EQ(main->session().table().recNo(), 50u);
    finish(main);
}

TEST(MainStart, MissingLastDatabaseFallsBackToMaster) {
    Sandbox box;
    box.setProgramKey("Misc", "Last Database", box.other("GONE.DBF"));
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    finish(main);
}

TEST(MainStart, GarbageWindowValuesStillGiveAUsableWindow) {
    Sandbox box;
    box.setProgramKey("Misc", "Main Window Width", "wide");
    box.setProgramKey("Misc", "Main Window Height", "-5");
    box.setProgramKey("Misc", "Button Bar", "7");
    ScriptedPrompts prompts;
    auto main = start();
    EXPECT_EQ(main->size(), QSize(640, 480));
    EXPECT_EQ(main->buttonBarMode(), ButtonBarMode::Speed);
    finish(main);
}

TEST(MainSettings, EverySettingChangedIsInForceAfterTheNextStart) {
    Sandbox box;
    ProgramSettings programBefore;
    DatabaseSettings databaseBefore;
    {
        ScriptedPrompts prompts;
        auto main = start();
        main->setScreenSizeForChecks(QSize(1600, 1200));
        main->chooseButtonBar(ButtonBarMode::Lettered);
        main->action("MenuSize1024")->trigger();
        main->action("MenuDateFormat9")->trigger();
        main->action("MenuLeadingZeros")->trigger();
        main->action("MenuCurrencySystem")->trigger();
        main->action("MenuNumericSystem")->trigger();
        QFont label("DejaVu Serif");
        label.setBold(true);
        QFont edit("DejaVu Sans Mono");
        edit.setItalic(true);
        QFont button("DejaVu Sans");
        button.setBold(true);
        button.setItalic(true);
        prompts.answerFont(label).answerFont(edit).answerFont(button);
        main->action("MenuLabelFont")->trigger();
        main->action("MenuEditFont")->trigger();
        main->action("MenuButtonFont")->trigger();
        main->move(33, 44);
        main->resize(700, 520);
        Session& s = main->session();
        s.program().showTips = false;
        s.program().lastImportFile = "/somewhere/in.txt";
        s.database().fieldNames[0] = "Film";
        s.database().fieldWidth[4] = 31;
        s.database().displayFields[7] = false;
        s.database().fieldEditing = true;
        s.database().colorSets[2][3] = 255;
        main->close();
        programBefore = s.program();
        databaseBefore = s.database();
        EXPECT_EQ(programBefore.windowSize, 1024);
        EXPECT_EQ(programBefore.dateFormat, 9);
        EXPECT_TRUE(programBefore.dateLeadingZeros);
        EXPECT_EQ(databaseBefore.labelFont.name, QString("DejaVu Serif"));
        EXPECT_TRUE(databaseBefore.buttonFont.italic);
        main.reset();
        EXPECT_TRUE(prompts.done());
    }
    ScriptedPrompts prompts;
    auto main = start();
    EXPECT_TRUE(main->session().program() == programBefore);
    EXPECT_TRUE(main->session().database() == databaseBefore);
    EXPECT_EQ(main->buttonBarMode(), ButtonBarMode::Lettered);
    EXPECT_TRUE(main->action("MenuLetteredButtons")->isChecked());
    EXPECT_TRUE(main->action("MenuDateFormat9")->isChecked());
    EXPECT_FALSE(main->action("MenuDateFormat1")->isChecked());
    EXPECT_TRUE(main->action("MenuLeadingZeros")->isChecked());
    EXPECT_TRUE(main->action("MenuCurrencySystem")->isChecked());
    EXPECT_FALSE(main->action("MenuCurrencyUS")->isChecked());
    EXPECT_TRUE(main->action("MenuNumericSystem")->isChecked());
    EXPECT_EQ(main->session().dateFormat().code(), 9);
    EXPECT_EQ(main->pos(), QPoint(33, 44));
    EXPECT_EQ(main->size(), QSize(700, 520));
    finish(main);
}

TEST(MainBrowse, BrowseModeInAnyCaseLeavesFieldEditingInTheFile) {
    Sandbox box;
    {
        ScriptedPrompts prompts;
        auto main = start();
        main->session().database().fieldEditing = true;
        finish(main);
    }
    ScriptedPrompts prompts;
    auto main = start({"/bRoWsE"});
    EXPECT_TRUE(main->session().browseMode());
    // The grid does not edit; the catalogue's own setting is left as it is.
    EXPECT_FALSE(main->viewerGrid()->viewerModel()->isEditable());
    EXPECT_TRUE(main->session().database().fieldEditing);
    for (const char* off : {"MenuAdd", "MenuCopy", "MenuDelete", "MenuBackup", "MenuRestore", "MenuViewer",
                            "MenuImport", "MenuListMaintenance", "MenuSearchReplace"})
        EXPECT_FALSE(main->action(off)->isEnabled()) << off;
    EXPECT_TRUE(main->action("MenuEdit")->isEnabled()); // the editor opens read-only
    for (const char* hint :
         {"Add Record", "Copy Record", "Delete Record", "Import Records", "Viewer Configuration"})
        EXPECT_FALSE(main->speedButton(hint)->isEnabled()) << hint;
    main->chooseButtonBar(ButtonBarMode::Lettered);
    for (int i : {0, 2, 3, 7})
        EXPECT_FALSE(main->letteredButton(i)->isEnabled()) << i;
    EXPECT_TRUE(main->letteredButton(9)->isEnabled());
    EXPECT_EQ(main->navigator()->visibleButtonCount(), 4);
    EXPECT_TRUE(main->navigator()->button(RecordNavigator::Insert)->isHidden());
    EXPECT_FALSE(main->navigator()->button(RecordNavigator::Last)->isHidden());
    finish(main);
    IniFile ini(box.program("MASTER.INI"));
    ini.load();
    EXPECT_EQ(ini.value("Grid Options", "Field Editing"), QString("Yes"));
}

TEST(MainBrowse, OtherArgumentsDoNotSwitchBrowseModeOn) {
    Sandbox box;
    ScriptedPrompts prompts;
    // Any other argument names a file to open, and this one is no catalogue file.
    prompts.expect("Error", "Invalid file type selected.", Prompts::Ok);
    auto main = start({"/BROWSER"});
    EXPECT_TRUE(prompts.done());
    EXPECT_FALSE(main->session().browseMode());
    EXPECT_TRUE(main->action("MenuDelete")->isEnabled());
    EXPECT_EQ(main->navigator()->visibleButtonCount(), 10);
    finish(main);
}

TEST(MainScreenSize, SizeTheScreenCannotShowStartsAt640AndIsKept) {
    Sandbox box;
    const QSize screen = QGuiApplication::primaryScreen()->size();
    if (screen.width() >= 1024 && screen.height() >= 768) GTEST_SKIP() << "the test screen shows 1024 x 768";
    box.setProgramKey("Misc", "Window Size", "1024");
    ScriptedPrompts prompts;
    auto main = start();
    EXPECT_EQ(main->windowSizeInForce(), 640);
    EXPECT_DOUBLE_EQ(main->session().screenScale(), 1.00);
    EXPECT_TRUE(main->action("MenuSize640")->isChecked());
    EXPECT_FALSE(main->action("MenuSize1024")->isChecked());
    finish(main);
    EXPECT_EQ(box.programKey("Misc", "Window Size"), QString("1024"));
}

TEST(MainScreenSize, MenuRefusesSizesTheScreenCannotShow) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    main->setScreenSizeForChecks(QSize(800, 600));
    prompts.expect("Error", "Your current screen resolution does not support 1024 x 768 pixels.",
                   Prompts::Ok);
    main->action("MenuSize1024")->trigger();
    EXPECT_TRUE(main->action("MenuSize640")->isChecked());
    EXPECT_FALSE(main->action("MenuSize1024")->isChecked());
    EXPECT_DOUBLE_EQ(main->session().screenScale(), 1.00);
    prompts.expect("Error", "Your current screen resolution does not support 1280 x 1024 pixels.",
                   Prompts::Ok);
    main->action("MenuSize1280")->trigger();
    main->action("MenuSize800")->trigger();
    EXPECT_TRUE(main->action("MenuSize800")->isChecked());
    EXPECT_FALSE(main->action("MenuSize640")->isChecked());
    EXPECT_DOUBLE_EQ(main->session().screenScale(), 1.25);
    EXPECT_EQ(main->session().program().windowSize, 800);
    // The current size again changes nothing and keeps its tick.
    main->action("MenuSize800")->trigger();
    EXPECT_TRUE(main->action("MenuSize800")->isChecked());
    EXPECT_TRUE(prompts.done());
    finish(main);
}

TEST(MainLayout, EachButtonBarModePlacesTheViewerByTheTable) {
    Sandbox box;
    ScriptedPrompts prompts;
    box.setProgramKey("Misc", "Show Tips", "No");
    auto main = start();
    main->resize(900, 640);
    main->show();
    QWidget* area = main->centralArea();
    const int W = area->width();
    const int H = area->height();
    QWidget* grid = area->findChild<QWidget*>("ViewerGrid");
    ASSERT_NE(grid, nullptr);

    main->action("MenuSpeedButtons")->trigger();
    EXPECT_EQ(main->navigator()->geometry(), QRect(424, 3, 241, 25));
    EXPECT_EQ(grid->geometry(), QRect(7, 70, W - 14, H - 77));
    EXPECT_TRUE(main->speedBar()->isVisible());
    EXPECT_FALSE(main->letteredButton(0)->isVisible());

    main->action("MenuLetteredButtons")->trigger();
    EXPECT_EQ(main->buttonBarMode(), ButtonBarMode::Lettered);
    EXPECT_EQ(main->navigator()->geometry(), QRect(400, 47, 221, 25));
    EXPECT_EQ(grid->geometry(), QRect(7, 122, W - 14, H - 129));
    EXPECT_FALSE(main->speedBar()->isVisible());
    EXPECT_TRUE(main->letteredButton(9)->isVisible());
    EXPECT_EQ(main->letteredButton(5)->text(), QString("End Srch"));
    EXPECT_FALSE(main->letteredButton(5)->isEnabled()); // no search on
    EXPECT_TRUE(main->action("MenuLetteredButtons")->isChecked());
    EXPECT_FALSE(main->action("MenuSpeedButtons")->isChecked());

    main->action("MenuNoButtons")->trigger();
    EXPECT_EQ(main->navigator()->geometry(), QRect(W - 207, 8, 201, 25));
    EXPECT_EQ(grid->geometry(), QRect(7, 40, W - 14, H - 47));
    EXPECT_FALSE(main->speedBar()->isVisible());
    EXPECT_FALSE(main->letteredButton(0)->isVisible());
    EXPECT_FALSE(main->speedButton("Add Record")->isEnabled()); // hidden buttons are unavailable

    // On resize the navigator of mode 3 follows the right edge.
    main->resize(1000, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(main->navigator()->geometry().left(), area->width() - 207);
    EXPECT_EQ(grid->geometry(), QRect(7, 40, area->width() - 14, area->height() - 47));
    main->hide();
    finish(main);
}

} // namespace

namespace {

TEST(MainMenus, SaveAndLoadDefaultListsAskFirst) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    DataLists& lists = main->session().lists();
    lists.setList(DataLists::Producer, {"Zanuck", "Selznick"});
    const QString save =
        "Your current Data Lists will become your default list values.  These values will be used "
        "when new databases are created.  Previous default values will be lost.  Do you want to "
        "proceed?";
    prompts.expect("Warning", save, Prompts::No);
    main->action("MenuSaveDefaults")->trigger();
    EXPECT_EQ(readFile(DataLists::defaultListPath(DataLists::Producer)), QByteArray()); // as shipped
    prompts.expect("Warning", save, Prompts::Yes);
    main->action("MenuSaveDefaults")->trigger();
    EXPECT_TRUE(QFileInfo::exists(DataLists::defaultListPath(DataLists::Producer)));
    lists.setList(DataLists::Producer, {"Other"});
    prompts.expect(
        "Warning",
        "Your current Data Lists will be overridden with your default list values. Previous  values will "
        "be lost.  Do you want to proceed?",
        Prompts::Yes);
    main->action("MenuLoadDefaults")->trigger();
    EXPECT_EQ(lists.list(DataLists::Producer), QStringList({"Zanuck", "Selznick"}));
    EXPECT_EQ(prompts.beeps(), 3);
    EXPECT_TRUE(prompts.done());
    finish(main);
}

TEST(MainMenus, DateFormatChoicesTickOneItemAndSetThePattern) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    main->action("MenuDateFormat5")->trigger();
    EXPECT_EQ(main->session().dateFormat().format(QString("19970403")), QString("3-4-97"));
    main->action("MenuLeadingZeros")->trigger();
    EXPECT_EQ(main->session().dateFormat().format(QString("19970403")), QString("03-04-97"));
    int ticked = 0;
    for (int c = 1; c <= 12; ++c)
        ticked += main->action(QString("MenuDateFormat%1").arg(c))->isChecked() ? 1 : 0;
    EXPECT_EQ(ticked, 1);
    // Choosing the ticked item again changes nothing and keeps its tick.
    main->action("MenuDateFormat5")->trigger();
    EXPECT_TRUE(main->action("MenuDateFormat5")->isChecked());
    main->action("MenuCurrencySystem")->trigger();
    EXPECT_EQ(main->session().program().currencyFormat, SystemFormat);
    EXPECT_FALSE(main->action("MenuCurrencyUS")->isChecked());
    main->action("MenuNumericUS")->trigger();
    EXPECT_EQ(main->session().program().numericFormat, USFormat);
    EXPECT_TRUE(main->action("MenuNumericUS")->isChecked());
    finish(main);
}

} // namespace

namespace {

// The grid shows the viewer options of the open catalogue: cell colour, text colour and font.
void expectViewerLook(MainWindow& main, const char* after) {
    SCOPED_TRACE(after);
    const DatabaseSettings& d = main.session().database();
    ViewerGrid* grid = main.viewerGrid();
    const QColor cell(d.cellColor & 0xff, (d.cellColor >> 8) & 0xff, (d.cellColor >> 16) & 0xff);
    EXPECT_EQ(grid->palette().color(QPalette::Base), cell);
    EXPECT_EQ(grid->font().family(), d.gridFont.name);
    EXPECT_EQ(grid->font().pointSize(), d.gridFont.size);
}

} // namespace

TEST(MainViewer, TheGridShowsTheViewerOptionsAfterEveryCommandThatReloadsIt) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    main->show();
    QCoreApplication::processEvents();
    DatabaseSettings& d = main->session().database();
    d.cellColor = 0x40C0F0;
    d.gridFont.name = "DejaVu Serif";
    d.gridFont.size = 13;
    main->showOpenCatalogue(); // as a start, New, Open or a recent file does
    expectViewerLook(*main, "showing the catalogue");
    main->updateDatabase();
    expectViewerLook(*main, "Update");
    prompts.answerFont(QFont("DejaVu Sans Mono", 20));
    main->action("MenuEditFont")->trigger();
    expectViewerLook(*main, "Edit Font");
    prompts.answerFont(QFont("DejaVu Sans Mono", 20));
    main->action("MenuLabelFont")->trigger();
    expectViewerLook(*main, "Label Font");
    prompts.answerFile(box.other("NEW.DBF"));
    main->action("MenuNew")->trigger();
    ASSERT_EQ(main->session().currentDatabase(), box.other("NEW.DBF"));
    expectViewerLook(*main, "New");
    EXPECT_TRUE(prompts.done());
    finish(main);
}
