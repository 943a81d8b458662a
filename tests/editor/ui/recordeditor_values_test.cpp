// The record editor typed into as a person does: the Enter walk lands like Tab, prices of every
// size, text a catalogue cannot store, and an update with no record to change.
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "catalogue/recordwriter.h"
#include "common/scriptedprompts.h"
#include "common/sessioncatalogue.h"
#include "editor/ui/recordeditor.h"

using editortest::Catalogue;

namespace {

class EditorTyping : public ::testing::Test {
protected:
    void open(EditorMode mode) {
        editor->setMode(mode);
        editor->show();
        // Focus changes (leaving a price box) reach the boxes only in the active window.
        QApplication::setActiveWindow(editor.get());
        active = QTest::qWaitForWindowActive(editor.get(), 2000);
    }
    // Text typed through an input method, as for a script the keyboard does not have.
    static void compose(QWidget* box, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    }
    QLineEdit* edit(const char* name) { return editor->findChild<QLineEdit*>(name); }
    QComboBox* combo(const char* name) { return editor->findChild<QComboBox*>(name); }
    QTabWidget* pages() { return editor->findChild<QTabWidget*>("MyTabbedNoteBook"); }
    // Enter in one box, then typing into whatever box has the focus.
    void enterThenType(QWidget* from, const QString& typed) {
        from->setFocus();
        QTest::keyClick(from, Qt::Key_Return);
        QTest::keyClicks(editor->focusWidget(), typed);
    }
    QString fileField(int recno, const char* name) {
        dbase::Table t;
        t.open(cat.path.toStdString(), dbase::OpenMode::Shared, true);
        if (!t.gotoBookmark(uint32_t(recno))) return QStringLiteral("<none>");
        return QString::fromStdString(t.getText(t.fieldIndexOrThrow(name)));
    }

    bool active = false;
    Session session;
    Catalogue cat{session};
    ScriptedPrompts prompts;
    std::unique_ptr<RecordEditor> editor = std::make_unique<RecordEditor>(session);
};

TEST_F(EditorTyping, EnterLandsWithTheWholeTextSelectedSoTypingReplacesIt) {
    open(EditorMode::Edit); // Casablanca, 1940, play time 100
    struct Case {
        const char* from;
        const char* to;
        QString typed;
        QString expected;
    } cases[] = {
        {"Star6", "YearReleased", "1943", "1943"},    // a full year box
        {"Director", "Writer", "Koch", "Koch"},       // a text box
        {"CounterStop", "PlayTime", "216", "216"},    // play time holding 100
        {"ReleasedBy", "Category", "Drama", "Drama"}, // across to the next page
    };
    for (const Case& c : cases) {
        QWidget* from = editor->findChild<QWidget*>(c.from);
        enterThenType(from, c.typed);
        QWidget* to = editor->findChild<QWidget*>(c.to);
        ASSERT_EQ(editor->focusWidget(), to) << c.to;
        const QString text =
            qobject_cast<QComboBox*>(to) ? combo(c.to)->currentText() : qobject_cast<QLineEdit*>(to)->text();
        EXPECT_EQ(text, c.expected) << c.to;
    }
    // A cleared play time holds "0": typing replaces it too.
    editor->clearControls();
    enterThenType(edit("CounterStop"), "95");
    EXPECT_EQ(edit("PlayTime")->text(), "95");
}

TEST_F(EditorTyping, EnterIntoADateBoxFillsItFromTheFirstPlace) {
    ASSERT_TRUE(session.table().next()); // Metropolis: not checked out, bought 12/24/1996
    open(EditorMode::Edit);
    ASSERT_EQ(edit("CheckDate")->displayText(), "__/__/____");
    auto* checkOut = editor->findChild<QCheckBox*>("CheckOut");
    enterThenType(checkOut, "12251999");
    EXPECT_EQ(editor->focusWidget(), edit("CheckDate"));
    EXPECT_EQ(edit("CheckDate")->text(), "12/25/1999");
    // A date box that holds a date is typed over from its first place.
    enterThenType(edit("PurchPrice"), "01021998");
    EXPECT_EQ(edit("PurchDate")->text(), "01/02/1998");
}

TEST_F(EditorTyping, LeavingAPriceBoxShowsMoneyOrKeepsWhatIsNotANumber) {
    open(EditorMode::Add); // both prices "0"
    if (!active) GTEST_SKIP() << "no active window on this platform";
    enterThenType(combo("CheckName") /* last box of page 2 */, "abc");
    EXPECT_EQ(editor->focusWidget(), edit("ListPrice"));
    QTest::keyClick(edit("ListPrice"), Qt::Key_Return); // on to the purchase price
    EXPECT_EQ(edit("ListPrice")->text(), "abc");
    QTest::keyClicks(editor->focusWidget(), "1234.5");
    QTest::keyClick(edit("PurchPrice"), Qt::Key_Return);
    EXPECT_EQ(edit("PurchPrice")->text(), "1,234.50");
    // Update names the box that is not a number.
    prompts.expect("Error", "Invalid list price specified.  Please correct.", Prompts::Ok);
    EXPECT_FALSE(editor->updateRecord());
    EXPECT_EQ(pages()->currentIndex(), 3);
    EXPECT_EQ(editor->focusWidget(), edit("ListPrice"));
}

TEST_F(EditorTyping, PricesOfTenMillionOrMoreAreNotTakenForChangedData) {
    for (const char* price : {"9999999.99", "10000000", "123456789.5"}) {
        dbase::Table& t = session.table();
        ASSERT_TRUE(t.first());
        t.edit();
        t.setText(t.fieldIndexOrThrow("LISTPRICE"), price);
        t.setText(t.fieldIndexOrThrow("PURCHPRICE"), price);
        t.post();
        open(EditorMode::Edit);
        EXPECT_FALSE(editor->valuesChanged())
            << price << " shown as " << edit("ListPrice")->text().toStdString();
        editor->closeAskingFirst(); // closes without a question
        EXPECT_FALSE(editor->isVisible()) << price;
        EXPECT_TRUE(prompts.messages().empty()) << price;
    }
    // Updating such a price keeps it whole.
    open(EditorMode::Edit);
    editor->updateAndStay();
    EXPECT_EQ(fileField(1, "LISTPRICE").toDouble(), 123456789.5);
    EXPECT_FALSE(editor->valuesChanged());
}

TEST_F(EditorTyping, TextACatalogueCannotStoreIsRefusedBeforeAnythingIsWritten) {
    open(EditorMode::Add);
    combo("Director")->setFocus();
    QTest::keyClicks(combo("Director"), "Yasujiro Ozu");
    edit("Title")->setFocus();
    compose(edit("Title"), "東京物語");
    EXPECT_EQ(edit("Title")->text(), "東京物語");
    pages()->setCurrentIndex(3);
    const uint32_t before = session.table().recordCount();
    prompts.expect("Error", "The characters \"東京物語\" cannot be stored in Title.  Please correct.",
                   Prompts::Ok);
    EXPECT_FALSE(editor->updateRecord());
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(editor->focusWidget(), edit("Title"));
    EXPECT_EQ(session.table().recordCount(), before);
    EXPECT_FALSE(session.lists().list(DataLists::Director).contains("Yasujiro Ozu"));
}

TEST_F(EditorTyping, UpdateInEditModeOnAnEmptyCatalogueWritesNothing) {
    Session empty;
    Catalogue none{empty, 0};
    RecordEditor emptyEditor(empty);
    emptyEditor.setMode(EditorMode::Edit);
    emptyEditor.show();
    auto* director = emptyEditor.findChild<QComboBox*>("Director");
    director->setFocus();
    QTest::keyClicks(director, "Michael Curtiz");
    prompts.expect("Error", RecordWriter::noRecordMessage(), Prompts::Ok);
    EXPECT_FALSE(emptyEditor.updateRecord());
    EXPECT_EQ(empty.table().recordCount(), 0u);
    EXPECT_FALSE(empty.lists().list(DataLists::Director).contains("Michael Curtiz"));
    emptyEditor.hide();
}

} // namespace
