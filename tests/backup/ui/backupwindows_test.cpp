// The backup and restore windows over the main window's catalogue, used as a person does: the
// kind chosen with its Alt key, the folder typed into the folder box, Enter or Alt+S to start;
// the file dialog and every message answered through ScriptedPrompts.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include "backup/backuprun.h"
#include "backup/ui/backupwindow.h"
#include "backup/ui/restorewindow.h"
#include "common/files.h"
#include "common/testcatalogue.h"
#include "common/windowdriving.h"
#include "find/searchstate.h"
#include "shell_helpers.h"
#include "widgets/helpwindow.h"

using namespace shelltest;
using namespace windowtest;
using namespace backup;

namespace {

const char* const kTitles[] = {"Vertigo", "Casablanca", "Metropolis", "Rebecca"};

// A picture of a window for a person to look at, when $QUILLON_SHOTS names a folder.
void shoot(QWidget* w, const char* name) {
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    w->grab().save(folder + u'/' + QLatin1String(name) + QStringLiteral(".png"));
}

struct Fixture {
    Sandbox box;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> main = start();
    Fixture() {
        appendRecords(session().table(), 4, [](int i) {
            return TestRecord{kTitles[i], "Drama", "", "", 1940 + i};
        });
        session().notifyRecordsChanged();
    }
    ~Fixture() { finish(main); }
    Session& session() { return main->session(); }
    QString backupFolder() const { return box.other(QString()).chopped(1); }
    SessionHost::Hooks hooks() {
        SessionHost::Hooks h;
        h.endSearch = [this] {
            const bool was = main->searchState().isOn();
            main->endSearch();
            return was;
        };
        h.resumeSearch = [this] {
            main->searchState().resume(session().table());
            if (main->searchState().isOn()) main->enableEndSearch();
        };
        h.openCatalogue = [this](const QString& path) { main->switchDatabase(path, false); };
        return h;
    }
};

// A button's Alt key clicks it a moment later, as the button shows itself pressed first.
// An access key reaches the window a person is looking at: the test makes sure it is the active
// one, as a loaded machine may still be handing activation around after a run's notice.
void altKey(QWidget* w, Qt::Key key) {
    if (!w->isActiveWindow()) activate(w);
    QTest::keyClick(w, key, Qt::AltModifier);
    QTest::qWait(200);
}

// Types a folder into the backup window's folder box as a person does and starts with Enter.
void typeFolderAndStart(BackupWindow& w, const QString& folder) {
    QLineEdit* edit = w.folderEdit();
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, folder);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
}

TEST(BackupWindow, ItsControlsAndTheProgramFolderToStartWith) {
    Fixture f;
    BackupWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    EXPECT_EQ(w.windowTitle(), "Backup");
    EXPECT_EQ(w.findChild<QRadioButton*>("BackDBF")->text(), "Current &Database (*.DBF)");
    EXPECT_EQ(w.findChild<QRadioButton*>("BackLST")->text(), "Data &Lists of Current Database (*.0xx)");
    EXPECT_EQ(w.findChild<QRadioButton*>("BackURP")->text(), "Global &Report Definitions (*.URP)");
    EXPECT_EQ(w.findChild<QRadioButton*>("BackINI")->text(), "Config &File of Current Database (*.INI)");
    EXPECT_TRUE(w.kindButton(Kind::Table)->isChecked());
    EXPECT_TRUE(w.startButton()->isDefault());
    EXPECT_EQ(w.startButton()->text(), "&Start Back Up");
    EXPECT_EQ(w.cancelButton()->text(), "&Cancel");
    EXPECT_EQ(w.chosenFolder(), f.box.program());
    EXPECT_EQ(w.folderEdit()->text(), f.box.program());
    EXPECT_GE(w.driveBox()->currentIndex(), 0);
    EXPECT_TRUE(f.box.program().startsWith(w.driveBox()->currentText()));
    EXPECT_TRUE(w.freeSpaceLabel()->text().contains(" free on ")) << w.freeSpaceLabel()->text().toStdString();
    EXPECT_EQ(freeSpaceText(1536, "/media/usb"),
              QLocale::system().formattedDataSize(1536) + " free on /media/usb");
    shoot(&w, "backup-window");
}

TEST(BackupWindow, ATypedFolderGetsTheTableAndCancelBecomesClose) {
    Fixture f;
    BackupWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    f.prompts.expect("Notice", backupDoneMessage(), Prompts::Ok);
    typeFolderAndStart(w, f.backupFolder());
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(readFile(f.box.other("MASTER.DBF")), readFile(f.box.master()));
    EXPECT_EQ(w.cancelButton()->text(), "&Close");
    EXPECT_TRUE(w.cancelButton()->hasFocus());
    EXPECT_TRUE(f.session().table().isOpen());
    EXPECT_EQ(titles(f.session().table()).size(), 4);
    EXPECT_EQ(BackupWindow::lastBackupFolder(), f.backupFolder());
}

TEST(BackupWindow, EachKindByItsAltKey) {
    Fixture f;
    ASSERT_TRUE(writeFile(f.box.program("QLNVID.URP"), QByteArray(20622, 'x')));
    f.session().lists().setList(DataLists::Producer, {"Hal Wallis"});
    BackupWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    w.chooseFolder(f.backupFolder());
    struct Case {
        Qt::Key key;
        Kind kind;
        const char* file;
    };
    for (const Case& c :
         {Case{Qt::Key_L, Kind::Lists, "MASTER.001"}, Case{Qt::Key_R, Kind::Layouts, "QLNVID.URP"},
          Case{Qt::Key_F, Kind::Settings, "MASTER.INI"}}) {
        SCOPED_TRACE(c.file);
        altKey(&w, c.key);
        EXPECT_EQ(w.chosenKind(), c.kind);
        f.prompts.expect("Notice", backupDoneMessage(), Prompts::Ok);
        altKey(&w, Qt::Key_S);
        EXPECT_TRUE(f.prompts.done());
        EXPECT_EQ(readFile(f.box.other(c.file)), readFile(f.box.program(c.file)));
    }
}

TEST(BackupWindow, RefusalsLeaveCancelAndTheTableOpen) {
    Fixture f;
    BackupWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    // The program folder itself.
    f.prompts.expect("Error", backupIdenticalMessage(), Prompts::Ok);
    altKey(&w, Qt::Key_S);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(w.cancelButton()->text(), "&Cancel");
    // No room on the file system of the folder.
    w.setFreeSpaceProbe([](const QString&) { return qint64(10); });
    f.prompts.expect("Error", backupNoRoomMessage(), Prompts::Ok);
    typeFolderAndStart(w, f.backupFolder());
    EXPECT_TRUE(f.prompts.done());
    EXPECT_FALSE(QFileInfo::exists(f.box.other("MASTER.DBF")));
    w.setFreeSpaceProbe({});
    // Another program holds the table.
    {
        LockHolder holder(f.box.master());
        ASSERT_TRUE(holder.locked());
        f.prompts.expect("Error", backupInUseMessage(), Prompts::Ok);
        altKey(&w, Qt::Key_S);
        EXPECT_TRUE(f.prompts.done());
    }
    EXPECT_FALSE(QFileInfo::exists(f.box.other("MASTER.DBF")));
    EXPECT_TRUE(f.session().table().isOpen());
    EXPECT_EQ(w.cancelButton()->text(), "&Cancel");
    // A folder that does not exist is named and kept out.
    f.prompts.expect("Error", "The folder \"" + f.box.other("nowhere") + "\" does not exist.", Prompts::Ok);
    typeFolderAndStart(w, f.box.other("nowhere"));
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(w.chosenFolder(), f.backupFolder());
}

// Through the File menu, with the main window's own search: the backup holds every record, and
// the search is in force again afterwards.
TEST(BackupWindow, ASearchInForceEndsForTheBackupAndComesBack) {
    Fixture f;
    SearchCriteria criteria;
    SearchItem item;
    item.slot = Slot::Title;
    item.text = "CAS";
    criteria.add(item);
    criteria.endLevel();
    ASSERT_TRUE(f.main->searchState().start(f.session().table(), criteria));
    f.main->enableEndSearch();
    ASSERT_EQ(titles(f.session().table()), QStringList{"Casablanca"});
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<BackupWindow*>(QApplication::activeModalWidget());
        ASSERT_TRUE(w);
        w->chooseFolder(f.backupFolder());
        f.prompts.expect("Notice", backupDoneMessage(), Prompts::Ok);
        QTest::mouseClick(w->startButton(), Qt::LeftButton);
        ran = f.prompts.done();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    f.main->action("MenuBackup")->trigger();
    EXPECT_TRUE(ran);
    dbase::Table copy;
    copy.open(enginePathOf(f.box.other("MASTER.DBF")), dbase::OpenMode::Shared, true);
    EXPECT_EQ(titles(copy).size(), 4);
    EXPECT_TRUE(f.main->searchState().isOn());
    EXPECT_TRUE(f.session().searchOn());
    EXPECT_FALSE(f.main->searchOnLabel()->isHidden());
    EXPECT_EQ(titles(f.session().table()), QStringList{"Casablanca"});
    EXPECT_EQ(f.main->countLabel()->text(), "1");
}

TEST(RestoreWindow, ATableComesBackAsTheOpenDatabaseWithItsIndexRebuilt) {
    Fixture f;
    ASSERT_TRUE(QFile::copy(f.box.master(), f.box.other("MASTER.DBF")));
    appendRecords(f.session().table(), 1, [](int) { return TestRecord{"Added later", "", "", "", 1999}; });
    RestoreWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    EXPECT_EQ(w.windowTitle(), "Restore");
    EXPECT_EQ(w.findChild<QRadioButton*>("RestoreDBF")->text(), "&Database File (*.DBF)");
    EXPECT_EQ(w.findChild<QRadioButton*>("RestoreLST")->text(), "Data &Lists of a Database (*.0xx)");
    EXPECT_EQ(w.findChild<QRadioButton*>("RestoreURP")->text(), "Global &Report Definitions (*.URP)");
    EXPECT_EQ(w.findChild<QRadioButton*>("RestoreINI")->text(), "Config &File of a Database (*.INI)");
    EXPECT_EQ(w.startButton()->text(), "&Start Restore");
    shoot(&w, "restore-window");
    f.prompts.answerFile(f.box.other("MASTER.DBF")).expect("Notice", restoreDoneMessage(), Prompts::Ok);
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_TRUE(f.prompts.done());
    ASSERT_GE(f.prompts.calls().size(), 1u);
    EXPECT_EQ(f.prompts.calls()[0].caption, "Restore Database File");
    EXPECT_EQ(w.cancelButton()->text(), "&Close");
    EXPECT_EQ(f.session().currentDatabase(), f.box.master());
    EXPECT_EQ(f.main->windowTitle(), "Quillon Videos 97 (MASTER)");
    ASSERT_TRUE(f.session().table().isOpen());
    EXPECT_EQ(titles(f.session().table()).size(), 4);
    EXPECT_NO_THROW(f.session().table().checkIndexes());
}

TEST(RestoreWindow, DataListsWarnAboutEveryMissingFile) {
    Fixture f;
    ASSERT_TRUE(f.session().lists().saveAllLists(f.box.master()));
    for (int n : {1, 2, 3})
        ASSERT_TRUE(writeFile(f.box.other("MASTER" + listExtension(n)),
                              "Restored " + QByteArray::number(n) + "\r\n"));
    RestoreWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    altKey(&w, Qt::Key_L);
    f.prompts.answerFile(f.box.other("MASTER.DBF"));
    for (int n = 4; n <= 17; ++n)
        f.prompts.expect("Warning", missingFileMessage("MASTER" + listExtension(n)), Prompts::Ok);
    f.prompts.expect("Notice", listsPartlyRestoredMessage(), Prompts::Ok);
    altKey(&w, Qt::Key_S);
    EXPECT_TRUE(f.prompts.done());
    EXPECT_EQ(f.prompts.calls()[0].caption, "Restore Data List Files");
    EXPECT_EQ(f.session().lists().list(DataLists::Producer), QStringList{"Restored 1"});
    EXPECT_EQ(w.cancelButton()->text(), "&Close");
}

TEST(RestoreWindow, SettingsAndLayoutsWithTheirDialogsAndMessages) {
    Fixture f;
    ASSERT_TRUE(writeFile(f.box.other("QLNVID.URP"), QByteArray(20622, 'r')));
    ASSERT_TRUE(f.session().saveDatabaseSettings());
    ASSERT_TRUE(QFile::copy(f.box.program("MASTER.INI"), f.box.other("MASTER.INI")));
    struct Case {
        Qt::Key key;
        const char* dialogTitle;
        QString chosen;
        const char* caption;
        QString message;
        bool closes;
    };
    const Case cases[] = {
        {Qt::Key_F, "Restore Configuration File", f.box.other("NOSUCH.DBF"), "Warning",
         missingFileMessage("NOSUCH.INI"), false},
        {Qt::Key_F, "Restore Configuration File", f.box.other("MASTER.DBF"), "Notice",
         settingsRestoredMessage(), true},
        {Qt::Key_R, "Restore URP File", f.box.other("QLNVID.URP"), "Notice", restoreDoneMessage(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        RestoreWindow w(f.session(), f.hooks(), f.main.get());
        activate(&w);
        altKey(&w, c.key);
        f.prompts.answerFile(c.chosen).expect(c.caption, c.message, Prompts::Ok);
        const size_t before = f.prompts.calls().size();
        altKey(&w, Qt::Key_S);
        EXPECT_TRUE(f.prompts.done());
        ASSERT_GT(f.prompts.calls().size(), before);
        EXPECT_EQ(f.prompts.calls()[before].caption, c.dialogTitle);
        EXPECT_EQ(w.cancelButton()->text(), c.closes ? "&Close" : "&Cancel");
    }
    EXPECT_EQ(readFile(f.box.program("QLNVID.URP")), QByteArray(20622, 'r'));
}

TEST(RestoreWindow, ACancelledFileDialogEndsWithoutAWord) {
    Fixture f;
    RestoreWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    altKey(&w, Qt::Key_R);
    f.prompts.answerFile(QString());
    altKey(&w, Qt::Key_S);
    EXPECT_TRUE(f.prompts.done());
    ASSERT_EQ(f.prompts.calls().size(), 1u);
    EXPECT_EQ(f.prompts.calls()[0].caption, "Restore URP File");
    EXPECT_TRUE(f.prompts.calls()[0].directory.endsWith("/QLNVID.URP"));
    EXPECT_EQ(w.cancelButton()->text(), "&Cancel");
}

TEST(RestoreWindow, HelpOpensAtBackupAndRestore) {
    Fixture f;
    EXPECT_TRUE(HelpWindow::topicUrl("Backup and Restore").isValid());
    RestoreWindow w(f.session(), f.hooks(), f.main.get());
    activate(&w);
    altKey(&w, Qt::Key_H);
    auto* help = f.main->findChild<HelpWindow*>();
    if (!help) help = w.findChild<HelpWindow*>();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->currentTitle(), "Backup and Restore");
    help->close();
}

// The File menu's items open the windows; Cancel closes them.
TEST(RestoreWindow, TheFileMenuOpensBothWindows) {
    Fixture f;
    for (const char* item : {"MenuBackup", "MenuRestore"}) {
        SCOPED_TRACE(item);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal);
            seen = modal->objectName() ==
                   (QLatin1String(item) == QLatin1String("MenuBackup") ? "MyBackup" : "MyRestore");
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        ASSERT_TRUE(f.main->action(item)->isEnabled());
        f.main->action(item)->trigger();
        EXPECT_TRUE(seen);
    }
}

} // namespace
