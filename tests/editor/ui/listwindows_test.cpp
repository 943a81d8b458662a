// The list editor, the default lists and the award pick window, on real list files.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "base/paths.h"
#include "common/scriptedprompts.h"
#include "common/sessioncatalogue.h"
#include "editor/ui/awardpickdialog.h"
#include "editor/ui/listeditordialog.h"
#include "editor/ui/listmaintenance.h"

using editortest::Catalogue;
using editortest::readLines;
using editortest::writeLines;

namespace {

class ListWindows : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"OSCAR.LST", "MISC.LST", "PRODUCER.LST", "STAR.LST"})
            QFile::remove(ProgramPaths::programFolder() + "/" + name);
    }
    static QString program(const char* name) { return ProgramPaths::programFolder() + "/" + name; }
    static QStringList rows(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    static QStringList selected(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected()) out << list->item(i)->text();
        return out;
    }

    Session session;
    Catalogue cat{session};
    ScriptedPrompts prompts;
};

} // namespace

TEST_F(ListWindows, ListEditorCaptionLengthAndCopyOfTheList) {
    session.lists().setList(DataLists::Producer, {"Hal Wallis", "David O. Selznick"});
    ListEditorDialog box(session, DataLists::Producer);
    EXPECT_EQ(box.windowTitle(), "Edit \"Producer\" List");
    EXPECT_EQ(box.findChild<QLineEdit*>("AddInfo")->maxLength(), 28);
    EXPECT_EQ(box.values(), (QStringList{"Hal Wallis", "David O. Selznick"}));
    box.show();
    EXPECT_EQ(box.findChild<QListWidget*>("TheList")->currentRow(), 0);
    EXPECT_EQ(ListEditorDialog(session, DataLists::OscarNames).findChild<QLineEdit*>("AddInfo")->maxLength(),
              110);
    EXPECT_EQ(ListEditorDialog(session, DataLists::CheckoutPerson).windowTitle(),
              "Edit \"Checkout Person\" List");
}

TEST_F(ListWindows, AddKeepsDuplicatesDeleteMovesTheSelectionCancelChangesNothing) {
    session.lists().setList(DataLists::Rating, {"G", "PG"});
    ListEditorDialog box(session, DataLists::Rating);
    box.show();
    auto* info = box.findChild<QLineEdit*>("AddInfo");
    info->setText("  PG  ");
    box.addButtonClicked();
    info->setText("   ");
    box.addButtonClicked();
    EXPECT_EQ(box.values(), (QStringList{"G", "PG", "PG"}));
    EXPECT_EQ(info->text(), "");
    auto* list = box.findChild<QListWidget*>("TheList");
    list->setCurrentRow(0);
    box.deleteButtonClicked();
    EXPECT_EQ(box.values(), (QStringList{"PG", "PG"}));
    EXPECT_EQ(list->currentRow(), 0);
    list->setCurrentRow(1);
    box.deleteButtonClicked();
    EXPECT_EQ(list->currentRow(), 0);
    box.cancelButtonClicked();
    EXPECT_EQ(session.lists().list(DataLists::Rating), (QStringList{"G", "PG"}));
}

TEST_F(ListWindows, SortAsksAndIgnoresLetterCaseOkReplacesAndSaves) {
    session.lists().setList(DataLists::Stars, {"cary Grant", "Bette Davis", "alan Ladd"});
    ListEditorDialog box(session, DataLists::Stars);
    box.show();
    const QString question = "Are you sure you want to sort the data?  Sorting cannot be undone.";
    prompts.expect("Confirm", question, Prompts::No);
    box.sortButtonClicked();
    EXPECT_EQ(box.values(), (QStringList{"cary Grant", "Bette Davis", "alan Ladd"}));
    prompts.expect("Confirm", question, Prompts::Yes);
    box.sortButtonClicked();
    EXPECT_EQ(box.values(), (QStringList{"alan Ladd", "Bette Davis", "cary Grant"}));
    box.findChild<QLineEdit*>("AddInfo")->setText("Ann Todd");
    box.addButtonClicked(); // later additions go to the end
    box.okButtonClicked();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    const QStringList expected{"alan Ladd", "Bette Davis", "cary Grant", "Ann Todd"};
    EXPECT_EQ(session.lists().list(DataLists::Stars), expected);
    EXPECT_EQ(readLines(cat.listFile(".002")), expected);
}

TEST_F(ListWindows, AwardListOkWritesTheProgramWideFile) {
    writeLines(program("OSCAR.LST"), {"Best Picture", "", "   ", "Best Actor"});
    ListEditorDialog box(session, DataLists::OscarNames);
    EXPECT_EQ(box.values(), (QStringList{"Best Picture", "Best Actor"}));
    box.findChild<QLineEdit*>("AddInfo")->setText("Best Director");
    box.addButtonClicked();
    box.okButtonClicked();
    EXPECT_EQ(readLines(program("OSCAR.LST")), (QStringList{"Best Picture", "Best Actor", "Best Director"}));
}

TEST_F(ListWindows, EditDataListOpensAndCloses) {
    // The window is modal; closing it from inside the event loop ends the call.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<ListEditorDialog*>(w); box && box->isVisible())
                box->cancelButtonClicked();
    });
    editDataList(session, DataLists::Sound, nullptr);
    SUCCEED();
}

TEST_F(ListWindows, SaveAndLoadDefaultsAskFirst) {
    session.lists().setList(DataLists::Producer, {"Hal Wallis"});
    const QString save =
        "Your current Data Lists will become your default list values.  These values will be used when new "
        "databases are created.  Previous default values will be lost.  Do you want to proceed?";
    prompts.expect("Warning", save, Prompts::No);
    saveListsAsDefaults(session, nullptr);
    EXPECT_FALSE(QFile::exists(program("PRODUCER.LST")));
    EXPECT_EQ(prompts.messages().back().defaultButton, Prompts::No);
    prompts.expect("Warning", save, Prompts::Yes);
    saveListsAsDefaults(session, nullptr);
    EXPECT_EQ(readLines(program("PRODUCER.LST")), QStringList{"Hal Wallis"});

    session.lists().setList(DataLists::Producer, {"Someone Else"});
    const QString load =
        "Your current Data Lists will be overridden with your default list values. Previous  "
        "values will be lost.  Do you want to proceed?";
    prompts.expect("Warning", load, Prompts::No);
    loadDefaultLists(session, nullptr);
    EXPECT_EQ(session.lists().list(DataLists::Producer), QStringList{"Someone Else"});
    prompts.expect("Warning", load, Prompts::Yes);
    loadDefaultLists(session, nullptr);
    EXPECT_EQ(session.lists().list(DataLists::Producer), QStringList{"Hal Wallis"});
    EXPECT_EQ(prompts.beeps(), 4);
}

TEST_F(ListWindows, AwardsPickShowsNothingSelectedAndReplacesTheText) {
    writeLines(program("OSCAR.LST"), {"Best Picture", "best Actor", "Best Director"});
    AwardPickDialog pick(session, 1, "Best Picture, Something Else");
    pick.show();
    EXPECT_EQ(pick.windowTitle(), "Oscar Awards");
    auto* list = pick.findChild<QListWidget*>("OscarList");
    EXPECT_EQ(rows(list), (QStringList{"best Actor", "Best Director", "Best Picture"}));
    EXPECT_TRUE(selected(list).isEmpty());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::MultiSelection);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(selected(list), (QStringList{"best Actor", "Best Picture"}));
    pick.okButtonClicked();
    EXPECT_EQ(pick.result(), "best Actor, Best Picture");
    EXPECT_EQ(pick.findChild<QListWidget*>("OscarList")->count(), 3);
    EXPECT_EQ(readLines(program("OSCAR.LST")).size(), 3); // picks never change the file
}

TEST_F(ListWindows, NominationsPickCaption) {
    AwardPickDialog pick(session, 2, "");
    EXPECT_EQ(pick.windowTitle(), "Oscar Nominations");
    EXPECT_EQ(pick.items(), QStringList{}); // no OSCAR.LST: an empty list, no message
    pick.okButtonClicked();
    EXPECT_EQ(pick.result(), "");
}

TEST_F(ListWindows, MiscPickAddsAndSelectsItemsOfTheBox) {
    writeLines(program("MISC.LST"), {"Widescreen", "Boxed Set"});
    AwardPickDialog pick(session, 3, "Signed, Director's Cut");
    pick.show();
    EXPECT_EQ(pick.windowTitle(), "Miscellaneous");
    EXPECT_EQ(pick.items(), (QStringList{"Boxed Set", "Director's Cut", "Signed", "Widescreen"}));
    EXPECT_EQ(pick.selectedItems(), (QStringList{"Director's Cut", "Signed"}));
    pick.okButtonClicked();
    EXPECT_EQ(pick.result(), "Director's Cut, Signed");
    EXPECT_EQ(readLines(program("MISC.LST")), (QStringList{"Widescreen", "Boxed Set"}));
}

TEST_F(ListWindows, MiscItemDifferingOnlyInCaseSelectsTheFirstCaselessMatch) {
    writeLines(program("MISC.LST"), {"Widescreen", "Boxed Set"});
    AwardPickDialog pick(session, 3, "boxed set,Widescreen");
    EXPECT_EQ(pick.items().size(), 3);
    EXPECT_TRUE(pick.items().contains("boxed set"));
    EXPECT_EQ(pick.selectedItems(), (QStringList{"Boxed Set", "Widescreen"}));
}

TEST_F(ListWindows, NothingSelectedEmptiesTheTarget) {
    writeLines(program("MISC.LST"), {"Widescreen"});
    AwardPickDialog pick(session, 3, "Widescreen");
    auto* list = pick.findChild<QListWidget*>("OscarList");
    list->clearSelection();
    pick.okButtonClicked();
    EXPECT_EQ(pick.result(), "");
    EXPECT_EQ(pick.result(), QString());
}

TEST_F(ListWindows, PicksTooLongForTheFieldAreRefusedWithAMessage) {
    QStringList many;
    for (int i = 0; i < 12; ++i)
        many << QStringLiteral("Best Supporting Role %1").arg(i, 2, 10, QLatin1Char('0'));
    writeLines(program("OSCAR.LST"), many);
    AwardPickDialog pick(session, 2, "");
    auto* list = pick.findChild<QListWidget*>("OscarList");
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(true);
    prompts.expect(
        "Error",
        "The selected items take 298 characters, but \"Oscar Nomination\" holds at most 110.  Please "
        "select fewer items.",
        Prompts::Ok);
    pick.okButtonClicked();
    EXPECT_EQ(pick.result(), "");
    for (int i = 4; i < list->count(); ++i)
        list->item(i)->setSelected(false);
    pick.okButtonClicked();
    EXPECT_EQ(pick.result().size(), 4 * 23 + 3 * 2);
}
