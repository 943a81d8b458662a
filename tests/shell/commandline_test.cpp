// The command line of the quillon program: what it means, and a catalogue named on it opened as
// File > Open does, with the same checks and messages.
#include <QFileInfo>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "common/files.h"
#include "shell/commandline.h"
#include "shell_helpers.h"

using namespace shelltest;

namespace {

TEST(CommandLine, ReadsFileBrowseHelpAndVersionInAnyOrder) {
    struct Case {
        QStringList arguments;
        QString file;
        bool browse, help, version;
        bool wrong;
    };
    const Case cases[] = {
        {{}, "", false, false, false, false},
        {{"/BROWSE"}, "", true, false, false, false},
        {{"/browse", "A.DBF"}, "A.DBF", true, false, false, false},
        {{"A.DBF", "/Browse"}, "A.DBF", true, false, false, false},
        {{"--browse", "/data/My Videos.dbf"}, "/data/My Videos.dbf", true, false, false, false},
        {{"--help"}, "", false, true, false, false},
        {{"-h", "A.DBF"}, "A.DBF", false, true, false, false},
        {{"--version"}, "", false, false, true, false},
        {{"--", "-odd.DBF"}, "-odd.DBF", false, false, false, false},
        {{"--", "/BROWSE"}, "/BROWSE", false, false, false, false},
        {{"-"}, "-", false, false, false, false},
        {{"--colour"}, "", false, false, false, true},
        {{"-x", "A.DBF"}, "A.DBF", false, false, false, true},
        {{"A.DBF", "B.DBF"}, "A.DBF", false, false, false, true},
        {{""}, "", false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = CommandLine::parse(c.arguments);
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.browse, c.browse);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
        EXPECT_EQ(!line.error.isEmpty(), c.wrong) << line.error.toStdString();
    }
}

TEST(CommandLine, AFileOnTheCommandLineIsOpenedAfterTheStart) {
    Sandbox box;
    const QString movies = box.other("Movies.dbf");
    ASSERT_TRUE(createCatalogue(movies).ok);
    ScriptedPrompts prompts;
    auto main = start({movies});
    EXPECT_EQ(main->session().currentDatabase(), movies);
    EXPECT_EQ(main->windowTitle(), QString("Quillon Videos 97 (Movies)"));
    EXPECT_TRUE(main->session().table().isOpen());
    EXPECT_FALSE(main->session().browseMode());
    // The catalogue of the start (MASTER, made on this first start) is the most recent one.
    EXPECT_EQ(main->session().program().lastFiles[0], box.master());
    EXPECT_TRUE(prompts.messages().empty());
    finish(main);
    // It is the last catalogue at the next start.
    auto again = start();
    EXPECT_EQ(again->session().currentDatabase(), movies);
    finish(again);
}

TEST(CommandLine, AFileAndBrowseModeTogether) {
    Sandbox box;
    const QString movies = box.other("MOVIES.DBF");
    ASSERT_TRUE(createCatalogue(movies).ok);
    for (const QStringList& arguments : {QStringList{movies, "/BROWSE"}, QStringList{"/browse", movies}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        ScriptedPrompts prompts;
        auto main = start(arguments);
        EXPECT_EQ(main->session().currentDatabase(), movies);
        EXPECT_TRUE(main->session().browseMode());
        EXPECT_FALSE(main->action("MenuAdd")->isEnabled());
        finish(main);
    }
}

// A file that is no catalogue gets the same message as from File > Open, and the program goes on
// with the catalogue it started with; nothing is written to the refused file.
TEST(CommandLine, AFileThatIsNoCatalogueIsRefusedWithItsMessage) {
    Sandbox box;
    python("import dbf, sys\nt = dbf.Table(sys.argv[1], 'name C(10); age N(3,0)')\nt.open(dbf.READ_WRITE)\n"
           "t.append(('x', 1))\nt.close()\n",
           {box.other("PEOPLE.DBF")});
    ASSERT_TRUE(writeFile(box.other("NOTES.DBF"), "These are notes, not a table.\n"));
    ASSERT_TRUE(writeFile(box.other("LIST.TXT"), "Casablanca\r\n"));
    struct Case {
        QString file;
        QString message;
    };
    const Case cases[] = {
        {box.other("PEOPLE.DBF"), notCatalogueMessage()},
        {box.other("LIST.TXT"), "Invalid file type selected."},
        {box.other("NONE.DBF"), "The database \"" + box.other("NONE.DBF") + "\" does not exist."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QByteArray before = readFile(c.file);
        ScriptedPrompts prompts;
        prompts.expect("Error", c.message, Prompts::Ok);
        auto main = start({c.file});
        EXPECT_TRUE(prompts.done());
        EXPECT_EQ(main->session().currentDatabase(), box.master());
        EXPECT_TRUE(main->session().table().isOpen());
        EXPECT_EQ(main->windowTitle(), QString("Quillon Videos 97 (MASTER)"));
        finish(main);
        EXPECT_EQ(readFile(c.file), before);
    }
    EXPECT_FALSE(QFileInfo::exists(box.other("PEOPLE.INI"))) << "settings written beside a refused table";
    EXPECT_FALSE(QFileInfo::exists(box.other("PEOPLE.MDX")));
    // A file of another kind that only carries the extension: the format check says so.
    ScriptedPrompts prompts;
    prompts.answer(Prompts::Ok);
    auto main = start({box.other("NOTES.DBF")});
    EXPECT_TRUE(prompts.done());
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0].caption, QString("Error"));
    EXPECT_EQ(main->session().currentDatabase(), box.master());
    finish(main);
}

} // namespace
