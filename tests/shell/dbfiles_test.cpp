// The main window's database commands: New, Open, the recently used list, Pack and Rebuild
// Indexes with another program holding the table, older catalogues, and a last database that is
// no catalogue.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "catalogue/catalogue.h"
#include "catalogue/fieldtext.h"
#include "common/files.h"
#include "common/testcatalogue.h"
#include "shell_helpers.h"

using namespace shelltest;

namespace {

QString catalogue(const QString& path) {
    const NewTable made = createCatalogue(path);
    EXPECT_TRUE(made.ok) << made.message.toStdString();
    return path;
}

QStringList recentList(MainWindow& main) {
    const auto& files = main.session().program().lastFiles;
    return QStringList(files.begin(), files.end());
}

void openFromDialog(MainWindow& main, ScriptedPrompts& prompts, const QString& path) {
    prompts.answerFile(path);
    main.action("MenuOpen")->trigger();
}

TEST(DatabaseFiles, OpeningPutsThePreviousOnTopAndTheNewOneOutOfTheList) {
    Sandbox box;
    const QString a = catalogue(box.other("A.DBF"));
    const QString b = catalogue(box.other("B.DBF"));
    ScriptedPrompts prompts;
    auto main = start();
    openFromDialog(*main, prompts, a);
    EXPECT_EQ(main->session().currentDatabase(), a);
    EXPECT_EQ(main->windowTitle(), QString("Quillon Videos 97 (A)"));
    EXPECT_EQ(recentList(*main), QStringList({box.master(), "", "", "", ""}));
    EXPECT_TRUE(main->action("MenuLastFile1")->isVisible());
    EXPECT_EQ(main->action("MenuLastFile1")->text(), "&1   " + box.master());
    EXPECT_FALSE(main->action("MenuLastFile2")->isVisible());

    openFromDialog(*main, prompts, b);
    EXPECT_EQ(recentList(*main), QStringList({a, box.master(), "", "", ""}));
    // The recently used entry 2 (MASTER) leaves the list when opened.
    main->action("MenuLastFile2")->trigger();
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    EXPECT_EQ(recentList(*main), QStringList({b, a, "", "", ""}));
    // Re-opening the open database puts its own path on top.
    openFromDialog(*main, prompts, box.master());
    EXPECT_EQ(recentList(*main), QStringList({box.master(), b, a, "", ""}));
    EXPECT_TRUE(prompts.done());
    finish(main);
    // Every database switched away from has its settings file.
    EXPECT_TRUE(QFileInfo::exists(box.other("A.INI")));
    EXPECT_TRUE(QFileInfo::exists(box.other("B.INI")));
}

TEST(DatabaseFiles, AFullListDropsItsFifthEntry) {
    Sandbox box;
    QStringList names;
    for (int i = 1; i <= 6; ++i)
        names << catalogue(box.other(QString("D%1.DBF").arg(i)));
    ScriptedPrompts prompts;
    auto main = start();
    for (const QString& n : names)
        openFromDialog(*main, prompts, n);
    EXPECT_EQ(recentList(*main), QStringList({names[4], names[3], names[2], names[1], names[0]}));
    openFromDialog(*main, prompts, box.master());
    EXPECT_EQ(recentList(*main), QStringList({names[5], names[4], names[3], names[2], names[1]}));
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(main->action(QString("MenuLastFile%1").arg(i))->isVisible());
    finish(main);
    // The list is in force at the next start.
    auto again = start();
    EXPECT_EQ(recentList(*again), QStringList({names[5], names[4], names[3], names[2], names[1]}));
    EXPECT_EQ(again->session().currentDatabase(), box.master());
    finish(again);
}

TEST(DatabaseFiles, WrongExtensionInEitherDialogChangesNothing) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    prompts.answerFile(box.other("LIST.TXT")).expect("Error", "Invalid file type selected.", Prompts::Ok);
    main->action("MenuOpen")->trigger();
    prompts.answerFile(box.other("NEW.TXT")).expect("Error", "Invalid file type selected.", Prompts::Ok);
    main->action("MenuNew")->trigger();
    EXPECT_FALSE(QFileInfo::exists(box.other("NEW.TXT")));
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    EXPECT_TRUE(prompts.done());
    finish(main);
}

TEST(DatabaseFiles, OpeningATableThatIsNoCatalogueChangesNothing) {
    Sandbox box;
    python("import dbf, sys\nt = dbf.Table(sys.argv[1], 'name C(10); age N(3,0)')\nt.open(dbf.READ_WRITE)\n"
           "t.append(('x', 1))\nt.close()\n",
           {box.other("PEOPLE.DBF")});
    ScriptedPrompts prompts;
    auto main = start();
    prompts.answerFile(box.other("PEOPLE.DBF")).expect("Error", notCatalogueMessage(), Prompts::Ok);
    main->action("MenuOpen")->trigger();
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    EXPECT_TRUE(main->session().table().isOpen());
    EXPECT_EQ(recentList(*main), QStringList({"", "", "", "", ""}));
    finish(main);
}

TEST(DatabaseFiles, NewDatabaseIsCreatedEmptyAndOpened) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    {
        dbase::Table& t = main->session().table();
        appendRecords(t, 3, [](int i) {
            return TestRecord{QString("Film %1").arg(i), "Drama", "", "No", 1990};
        });
    }
    main->session().notifyRecordsChanged(); // as the record editor does after an Update
    EXPECT_EQ(main->countLabel()->text(), QString("3"));
    prompts.answerFile(box.other("FRESH.DBF"));
    main->action("MenuNew")->trigger();
    const auto calls = prompts.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().caption, QString("New Database File"));
    EXPECT_TRUE(calls.front().overwritePrompt);
    EXPECT_TRUE(QFileInfo::exists(box.other("FRESH.DBF")));
    EXPECT_EQ(main->windowTitle(), QString("Quillon Videos 97 (FRESH)"));
    EXPECT_EQ(main->countLabel()->text(), QString("0"));
    EXPECT_EQ(recentList(*main).first(), box.master());
    // A new database over an existing file that no other program holds replaces it.
    prompts.answerFile(box.master());
    main->action("MenuNew")->trigger();
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    EXPECT_EQ(main->countLabel()->text(), QString("0"));
    finish(main);
}

TEST(DatabaseFiles, NewDatabaseOverATableHeldByAnotherProgramIsRefused) {
    Sandbox box;
    const QString held = catalogue(box.other("HELD.DBF"));
    ScriptedPrompts prompts;
    auto main = start();
    LockHolder holder(held);
    ASSERT_TRUE(holder.locked());
    prompts.answerFile(held).expect("Error", tableInUseMessage(held), Prompts::Ok);
    main->action("MenuNew")->trigger();
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    EXPECT_TRUE(prompts.done());
    finish(main);
}

const char* kPackQuestion = "Deleted items are not permanently removed from the database until packing "
                            "occurs.  Packing simply removes "
                            "them to free up space.  Continue?";
const char* kRebuildQuestion =
    "It is possible for your index files to become corrupted.  As a result, some items may not show up in "
    "the "
    "viewer or in reports.  This will rebuild your index files correctly.  Continue?";

TEST(DatabaseFiles, PackAndRebuildAreRefusedWhileAnotherProgramHoldsTheTable) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    appendRecords(main->session().table(), 2, [](int i) {
        return TestRecord{QString("T%1").arg(i), "", "", "", 0};
    });
    LockHolder holder(box.master());
    ASSERT_TRUE(holder.locked());
    prompts.expect("Confirm", kPackQuestion, Prompts::Yes)
        .expect("Error",
                "Unable to pack table.  Packing requires exclusive use of the DBase File.  Make sure that "
                "the DBase "
                "File is not in use by another program  or that no other users are running the software or "
                "that no "
                "other copies of the software are in use.",
                Prompts::Ok);
    main->action("MenuPack")->trigger();
    EXPECT_TRUE(main->session().table().isOpen());
    EXPECT_EQ(main->session().table().mode(), dbase::OpenMode::Shared);
    prompts.expect("Confirm", kRebuildQuestion, Prompts::Yes)
        .expect(
            "Error",
            "Unable to reindex table.  Reindexing requires exclusive use of the DBase File.  Make sure that "
            "the "
            "DBase File is not in use by another program  or that no other users are running the software or "
            "that no other copies of the software are in use.",
            Prompts::Ok);
    main->action("MenuRebuild")->trigger();
    EXPECT_TRUE(main->session().table().isOpen());
    EXPECT_EQ(main->countLabel()->text(), QString("2"));
    EXPECT_TRUE(prompts.done());
    finish(main);
}

TEST(DatabaseFiles, PackRemovesDeletedRecordsAndNoStopsIt) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    dbase::Table& t = main->session().table();
    appendRecords(t, 3, [](int i) { return TestRecord{QString("T%1").arg(i), "", "", "", 0}; });
    ASSERT_TRUE(t.first());
    t.deleteRecord();
    EXPECT_EQ(t.info().physicalCount, 3u);
    prompts.expect("Confirm", kPackQuestion, Prompts::No);
    main->action("MenuPack")->trigger();
    EXPECT_EQ(main->session().table().info().physicalCount, 3u);
    prompts.expect("Confirm", kPackQuestion, Prompts::Yes);
    main->action("MenuPack")->trigger();
    EXPECT_EQ(main->session().table().info().physicalCount, 2u);
    EXPECT_EQ(main->countLabel()->text(), QString("2"));
    prompts.expect("Confirm", kRebuildQuestion, Prompts::Yes);
    main->action("MenuRebuild")->trigger();
    EXPECT_NO_THROW(main->session().table().checkIndexes());
    EXPECT_EQ(main->countLabel()->text(), QString("2"));
    finish(main);
}

TEST(DatabaseFiles, UpdateWritesTheSettingsAndKeepsTheTableOpen) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    main->session().database().fieldNames[0] = "Movie";
    main->action("MenuUpdate")->trigger();
    IniFile ini(box.program("MASTER.INI"));
    ini.load();
    EXPECT_EQ(ini.value("Field Names", "Title"), QString("Movie"));
    EXPECT_TRUE(main->session().table().isOpen());
    finish(main);
}

// Older catalogues written by another program (python3-dbf).
const char* kV2Script = R"(import dbf, sys
t = dbf.Table(sys.argv[1], 'Recno N(5,0); Title C(60); Star1 C(25); Star2 C(25); Star3 C(25); Star4 C(25); '
  'Producer C(28); Director C(28); ReleasedBy C(28); Year N(4,0); RunTime N(3,0); Rating C(15); Category C(20); '
  'Picture C(10); Sound C(10); Format C(15); PersonalRa C(15); MediaNum C(10); RecSpeed C(6); CounterSta C(8); '
  'CounterSto C(8); Descriptio C(140); Content C(10); Miscellane C(80); KeyWords C(80); LaserForma C(12); '
  'ListPrice N(12,2); OscarNom C(110); OscarAward C(110)', codepage='cp1252')
t.open(dbf.READ_WRITE)
for i in range(3):
    t.append({'recno': i, 'title': 'Old film %d' % i, 'star1': 'Star %d' % i, 'year': 1980 + i, 'medianum': 'T%d' % i,
              'miscellane': 'Widescreen', 'listprice': 19.95})
t.close()
)";

const char* kV1Script = R"(import dbf, sys
t = dbf.Table(sys.argv[1], 'Num N(5,0); Title C(60); Star1 C(25); Star2 C(25); Star3 C(25); Star4 C(25); '
  'Producer C(28); Director C(28); ReleasedBy C(28); Year N(4,0); RunTime N(3,0); Rating C(15); Category C(20); '
  'Picture C(10); Sound C(10); Format C(15); PersonalRa C(15); TapeNum C(10); RecSpeed C(6); CounterSta C(8); '
  'CounterSto C(8); Descriptio C(140); Content C(10); CloseCapt C(3); NoiseRed C(3); SurroundSo C(3)',
  codepage='cp1252')
t.open(dbf.READ_WRITE)
t.append({'num': 1, 'title': 'Tape film', 'tapenum': 'V7', 'closecapt': 'yes', 'noisered': 'No', 'surroundso': 'YES'})
t.append({'num': 2, 'title': 'Plain', 'tapenum': 'V8', 'closecapt': 'No', 'noisered': 'No', 'surroundso': ''})
t.close()
)";

QString fieldOf(dbase::Table& t, const char* name) {
    return QString::fromStdString(t.getText(t.fieldIndexOrThrow(name)));
}

TEST(Conversion, OlderCatalogueOfEachGenerationIsConvertedAndDeleted) {
    Sandbox box;
    python(kV2Script, {box.program("V2LOG.DBF")});
    python(kV1Script, {box.program("VLOG.DBF")});
    ScriptedPrompts prompts;
    prompts
        .expect(
            "Convert",
            "A database from a previous version (2.X) has been detected.  Would you like to convert it now?  "
            "NOTE: After conversion the old file will be deleted.  You may wish to make a copy of "
            "\"V2LOG.DBF\" first.",
            Prompts::Yes)
        .expect(
            "Convert",
            "A database from a previous version (1.X) has been detected.  Would you like to convert it now?  "
            "NOTE: After conversion the old file will be deleted.  You may wish to make a copy of "
            "\"VLOG.DBF\" first.",
            Prompts::Yes);
    auto main = start();
    EXPECT_TRUE(prompts.done());
    EXPECT_FALSE(QFileInfo::exists(box.program("V2LOG.DBF")));
    EXPECT_FALSE(QFileInfo::exists(box.program("VLOG.DBF")));
    dbase::Table& t = main->session().table();
    EXPECT_EQ(t.recordCount(), 5u);
    QStringList titles, miscs, media;
    t.setActiveIndex("");
    for (bool ok = t.first(); ok; ok = t.next()) {
        titles << fieldOf(t, "Title");
        miscs << fieldOf(t, "Miscellane");
        media << fieldOf(t, "MediaNum");
    }
    EXPECT_EQ(titles, QStringList({"Old film 0", "Old film 1", "Old film 2", "Tape film", "Plain"}));
    EXPECT_EQ(miscs, QStringList(
                         {"Widescreen", "Widescreen", "Widescreen", "Closed Captioned, Surround Sound", ""}));
    EXPECT_EQ(media, QStringList({"T0", "T1", "T2", "V7", "V8"}));
    finish(main);
}

TEST(Conversion, AnsweringNoKeepsTheOldFileAndTheCatalogueEmpty) {
    Sandbox box;
    python(kV2Script, {box.program("V2LOG.DBF")});
    ScriptedPrompts prompts;
    prompts.answer(Prompts::No);
    auto main = start();
    EXPECT_TRUE(QFileInfo::exists(box.program("V2LOG.DBF")));
    EXPECT_EQ(main->session().table().recordCount(), 0u);
    finish(main);
}

TEST(Conversion, AFileOfAnotherLayoutIsLeftAloneWithoutAMessage) {
    Sandbox box;
    python("import dbf, sys\nt = dbf.Table(sys.argv[1], 'name C(10)')\nt.open(dbf.READ_WRITE)\nt.close()\n",
           {box.program("V2LOG.DBF")});
    ScriptedPrompts prompts;
    auto main = start();
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_TRUE(QFileInfo::exists(box.program("V2LOG.DBF")));
    finish(main);
}

const char* kNotValid = "The last database used as recorded in the INI file is not a valid Quillon Videos 97 "
                        "file.  You will need to choose a new file.";
const char* kEndQuestion = "No valid Quillon Videos 97 database is open.  Do you want to end the program?";

QString startMessage(const QString& what, const QString& path, const QString& problem) {
    return QString("%1\n\n%2:\n%3").arg(what, path, problem);
}

// A program folder whose MASTER.DBF cannot be used, and no last database in the settings: the
// first message names the file and the reason (not the settings file), then the Open dialog.
struct BadMaster {
    const char* what;
    void (*make)(const QString& path);
    const char* reason; // a part of the engine's or the format check's text
};
const BadMaster kBadMasters[] = {
    {"zero bytes", [](const QString& p) { ASSERT_TRUE(writeFile(p, QByteArray())); }, "truncated"},
    {"truncated",
     [](const QString& p) {
         ASSERT_TRUE(createCatalogue(p).ok);
         QFile f(p);
         ASSERT_TRUE(f.resize(100));
     },
     "exceeds the file size"},
    {"a folder", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); }, "is a directory"},
    {"a named pipe", [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0644), 0); },
     "not a regular file"},
};

TEST(StartDatabase, ABadMasterTableIsNamedWithItsReasonBeforeTheDialog) {
    for (const BadMaster& bad : kBadMasters) {
        SCOPED_TRACE(bad.what);
        Sandbox box;
        bad.make(box.master());
        const QString good = catalogue(box.other("GOOD.DBF"));
        ScriptedPrompts prompts;
        prompts.answer(Prompts::Ok).answerFile(good);
        auto main = start();
        ASSERT_TRUE(main->startedOk());
        EXPECT_EQ(main->session().currentDatabase(), good);
        const auto messages = prompts.messages();
        ASSERT_FALSE(messages.empty());
        const QString first = messages.front().text;
        EXPECT_TRUE(first.startsWith(QString("The database \"%1\" cannot be used.").arg(box.master())))
            << first.toStdString();
        EXPECT_FALSE(first.contains("INI file")) << first.toStdString();
        EXPECT_TRUE(first.contains(bad.reason)) << first.toStdString();
        EXPECT_EQ(first.count(box.master()), 2) << first.toStdString(); // the file, once in the detail
        EXPECT_EQ(prompts.calls().front().kind, ScriptedPrompts::Kind::Message); // before the dialog
        finish(main);
    }
}

TEST(StartDatabase, LastDatabaseThatIsNoCatalogueForcesOpenUntilAValidOne) {
    Sandbox box;
    python("import dbf, sys\nt = dbf.Table(sys.argv[1], 'name C(10)')\nt.open(dbf.READ_WRITE)\nt.close()\n",
           {box.other("WRONG.DBF")});
    const QString good = catalogue(box.other("GOOD.DBF"));
    box.setProgramKey("Misc", "Last Database", box.other("WRONG.DBF"));
    ScriptedPrompts prompts;
    // First what is wrong with which file, then the dialog.
    prompts
        .expect("Error", startMessage(kNotValid, box.other("WRONG.DBF"), notCatalogueMessage()), Prompts::Ok)
        .answerFile("") // cancelled
        .expect("Confirm", kEndQuestion, Prompts::No)
        .answerFile(box.other("WRONG.DBF")) // the same wrong file: refused by Open
        .expect("Error", notCatalogueMessage(), Prompts::Ok)
        .answerFile(good);
    auto main = start();
    EXPECT_TRUE(prompts.done());
    ASSERT_TRUE(main->startedOk());
    EXPECT_EQ(main->session().currentDatabase(), good);
    EXPECT_EQ(main->windowTitle(), QString("Quillon Videos 97 (GOOD)"));
    EXPECT_TRUE(main->session().table().isOpen());
    // The invalid table is not remembered, and no settings file was written beside it.
    EXPECT_EQ(recentList(*main), QStringList({"", "", "", "", ""}));
    EXPECT_FALSE(QFileInfo::exists(box.other("WRONG.INI")));
    finish(main);
    EXPECT_EQ(box.programKey("Misc", "Last Database"), good);
}

TEST(StartDatabase, CancellingTheForcedOpenCanEndTheProgram) {
    Sandbox box;
    python("import dbf, sys\nt = dbf.Table(sys.argv[1], 'name C(10)')\nt.open(dbf.READ_WRITE)\nt.close()\n",
           {box.other("WRONG.DBF")});
    box.setProgramKey("Misc", "Last Database", box.other("WRONG.DBF"));
    ScriptedPrompts prompts;
    prompts
        .expect("Error", startMessage(kNotValid, box.other("WRONG.DBF"), notCatalogueMessage()), Prompts::Ok)
        .answerFile("")
        .expect("Confirm", kEndQuestion, Prompts::Yes);
    auto main = start();
    EXPECT_FALSE(main->startedOk());
    EXPECT_TRUE(prompts.done());
}

} // namespace
