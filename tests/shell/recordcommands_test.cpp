// The main window's record commands over an empty catalogue and over one with records: Edit, Copy
// and Delete need a current record; Add never does.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "shell_helpers.h"

using namespace shelltest;

namespace {

// Runs a command; a modal window it opens is noted and closed as Escape would.
bool opensAWindow(const std::function<void()>& command) {
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    command();
    QCoreApplication::processEvents(); // the check runs even when nothing opened
    return opened;
}

TEST(RecordCommands, EditCopyAndDeleteNeedACurrentRecord) {
    Sandbox box;
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    main->show();
    ASSERT_EQ(main->session().table().recordCount(), 0u);
    EXPECT_FALSE(opensAWindow([&] { main->editClicked(); }));
    EXPECT_FALSE(opensAWindow([&] { main->copyClicked(); }));
    main->deleteClicked(); // no question: there is nothing to delete
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(main->session().table().recordCount(), 0u);
    // Add opens the editor on the empty catalogue.
    EXPECT_TRUE(opensAWindow([&] { main->addClicked(); }));
    finish(main);
}

TEST(RecordCommands, EditAndCopyOpenTheEditorOnARecord) {
    Sandbox box;
    createTestCatalogue(box.master());
    {
        dbase::Table t;
        t.open(enginePathOf(box.master()));
        appendRecords(t, 2, [](int i) { return TestRecord{QString("Film %1").arg(i), "", "", "", 1990}; });
    }
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    main->show();
    EXPECT_TRUE(opensAWindow([&] { main->editClicked(); }));
    EXPECT_TRUE(opensAWindow([&] { main->copyClicked(); }));
    finish(main);
    EXPECT_TRUE(prompts.messages().empty());
}

} // namespace
