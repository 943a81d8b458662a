// The record editor on a real catalogue: validation, prices, clearing, moving with its questions,
// data lists, check-out box, Enter walk, browse mode and the printed record.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "base/paths.h"
#include "base/printjob.h"
#include "common/scriptedprompts.h"
#include "common/sessioncatalogue.h"
#include "editor/ui/awardpickdialog.h"
#include "editor/ui/recordeditor.h"
#include "widgets/printers.h"

using editortest::Catalogue;

namespace {

class RecordEditorWindow : public ::testing::Test {
protected:
    void open(EditorMode mode) {
        editor->setMode(mode);
        editor->show();
    }
    QLineEdit* edit(const char* name) { return editor->findChild<QLineEdit*>(name); }
    QComboBox* combo(const char* name) { return editor->findChild<QComboBox*>(name); }
    QCheckBox* check(const char* name) { return editor->findChild<QCheckBox*>(name); }
    QTabWidget* pages() { return editor->findChild<QTabWidget*>("MyTabbedNoteBook"); }
    QString field(const char* name) {
        dbase::Table& t = session.table();
        return QString::fromStdString(t.getText(t.fieldIndexOrThrow(name)));
    }
    // The record as another reader of the file sees it.
    QString fileField(int recno, const char* name) {
        dbase::Table t;
        t.open(cat.path.toStdString(), dbase::OpenMode::Shared, true);
        t.gotoBookmark(uint32_t(recno));
        return QString::fromStdString(t.getText(t.fieldIndexOrThrow(name)));
    }
    uint32_t count() { return session.table().recordCount(); }
    void leave(QWidget* w) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w, &out);
    }

    Session session;
    Catalogue cat{session};
    ScriptedPrompts prompts;
    std::unique_ptr<RecordEditor> editor = std::make_unique<RecordEditor>(session);
};

const QString kWarning = QStringLiteral("Warning");

} // namespace

TEST_F(RecordEditorWindow, EditShowsTheCurrentRecordWithFourDigitYearDatesAndMoney) {
    session.dateFormat() = DateFormat(5, false); // dd-mm-yy
    open(EditorMode::Edit);
    EXPECT_EQ(editor->windowTitle(), "Edit");
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(edit("Title")->text(), "Casablanca");
    EXPECT_EQ(edit("YearReleased")->text(), "1940");
    EXPECT_EQ(combo("Producer")->currentText(), "Hal Wallis");
    EXPECT_EQ(edit("CheckDate")->text(), "03-04-1997");
    EXPECT_EQ(edit("PurchDate")->text(), "24-12-1996");
    EXPECT_EQ(edit("ListPrice")->text(), "1,234.50");
    EXPECT_TRUE(check("CheckOut")->isChecked());
    EXPECT_TRUE(check("Viewed")->isChecked());
    EXPECT_EQ(editor->findChild<QLabel*>("WarrantyItem")->text(), "Title: Casablanca");
    EXPECT_EQ(editor->findChild<QLabel*>("LibraryItem")->text(), "Title: Casablanca");
    EXPECT_EQ(editor->findChild<QLabel*>("WorthItem")->text(), "Title: Casablanca");
    EXPECT_EQ(check("CheckOut")->text(), "Checked Out");
    EXPECT_FALSE(editor->valuesChanged());
}

TEST_F(RecordEditorWindow, MaximumLengthsAreTheFieldWidths) {
    open(EditorMode::Edit);
    EXPECT_EQ(edit("Title")->maxLength(), 60);
    EXPECT_EQ(combo("Star1")->lineEdit()->maxLength(), 25);
    EXPECT_EQ(edit("YearReleased")->maxLength(), 4);
    EXPECT_EQ(edit("PlayTime")->maxLength(), 3);
    EXPECT_EQ(edit("Description")->maxLength(), 140);
    EXPECT_EQ(edit("OscarAward")->maxLength(), 110);
    EXPECT_EQ(edit("Misc")->maxLength(), 80);
    EXPECT_EQ(combo("RecordSpeed")->lineEdit()->maxLength(), 6);
    EXPECT_EQ(combo("CheckName")->lineEdit()->maxLength(), 25);
}

TEST_F(RecordEditorWindow, ValidationsInOrderWithPageAndFocusAndNothingWritten) {
    open(EditorMode::Edit);
    const uint32_t before = count();
    edit("CheckDate")->setText("13/45/1997");
    edit("PurchDate")->setText("02/30/1997");
    edit("ListPrice")->setText("12x");
    edit("PurchPrice")->setText("1.2.3");
    edit("PlayTime")->setText("1.5");
    edit("YearReleased")->setText("19a");
    edit("Title")->setText("Changed");
    combo("Producer")->setEditText("New Producer");
    struct Step {
        const char* message;
        int page;
        const char* control;
        const char* fix;
    } steps[] = {
        {"Invalid check out date specified.  Please correct.", 2, "CheckDate", "04/03/1997"},
        {"Invalid purchase date specified.  Please correct.", 3, "PurchDate", ""},
        {"Invalid list price specified.  Please correct.", 3, "ListPrice", "12"},
        {"Invalid purchase price specified.  Please correct.", 3, "PurchPrice", " "},
        {"Invalid play time specified.  Please correct.", 2, "PlayTime", "95"},
        {"Invalid year specified.  Please correct.", 0, "YearReleased", "1942"},
    };
    for (const Step& s : steps) {
        pages()->setCurrentIndex(1);
        prompts.expect("Error", s.message, Prompts::Ok);
        EXPECT_FALSE(editor->updateRecord()) << s.message;
        EXPECT_EQ(pages()->currentIndex(), s.page) << s.message;
        EXPECT_EQ(editor->focusWidget(), edit(s.control)) << s.message;
        EXPECT_EQ(prompts.messages().back().caption, "Error");
        EXPECT_EQ(fileField(1, "TITLE"), "Casablanca");
        EXPECT_FALSE(session.lists().list(DataLists::Producer).contains("New Producer"));
        edit(s.control)->setText(s.fix);
    }
    EXPECT_TRUE(editor->updateRecord());
    EXPECT_EQ(count(), before);
    EXPECT_EQ(fileField(1, "TITLE"), "Changed");
    EXPECT_EQ(fileField(1, "YEAR"), "1942");
    EXPECT_EQ(fileField(1, "RUNTIME"), "95");
    EXPECT_TRUE(session.lists().list(DataLists::Producer).contains("New Producer"));
    dbase::Table& t = session.table();
    EXPECT_EQ(t.getDate(t.fieldIndexOrThrow("CHECKDATE")), "19970403");
    EXPECT_EQ(t.getDate(t.fieldIndexOrThrow("PURCHDATE")), "");
    EXPECT_EQ(t.getNumber(t.fieldIndexOrThrow("LISTPRICE")).value_or(-1), 12.0);
    EXPECT_EQ(t.getNumber(t.fieldIndexOrThrow("PURCHPRICE")).value_or(-1), 0.0);
}

TEST_F(RecordEditorWindow, PriceWithGroupingIsStoredAsNumberAndShownAsMoney) {
    open(EditorMode::Edit);
    edit("PurchPrice")->setText("1,234.50");
    leave(edit("PurchPrice"));
    EXPECT_EQ(edit("PurchPrice")->text(), "1,234.50");
    edit("ListPrice")->setText("1234567.891");
    leave(edit("ListPrice"));
    EXPECT_EQ(edit("ListPrice")->text(), "1,234,567.89");
    edit("PurchPrice")->setText("1,234.5"); // typed and updated without leaving the box
    ASSERT_TRUE(editor->updateRecord());
    dbase::Table& t = session.table();
    EXPECT_DOUBLE_EQ(t.getNumber(t.fieldIndexOrThrow("PURCHPRICE")).value_or(0), 1234.5);
    EXPECT_DOUBLE_EQ(t.getNumber(t.fieldIndexOrThrow("LISTPRICE")).value_or(0), 1234567.89);
    editor->loadRecord();
    EXPECT_EQ(edit("PurchPrice")->text(), "1,234.50");
}

TEST_F(RecordEditorWindow, PriceTooLongForTheBoxIsNeverCut) {
    open(EditorMode::Edit);
    edit("ListPrice")->setText("12345678.9");
    leave(edit("ListPrice"));
    EXPECT_EQ(edit("ListPrice")->text(), "12,345,678.90"); // 13 characters in a 12-character field
    ASSERT_TRUE(editor->updateRecord());
    dbase::Table& t = session.table();
    EXPECT_DOUBLE_EQ(t.getNumber(t.fieldIndexOrThrow("LISTPRICE")).value_or(0), 12345678.9);
    editor->loadRecord();
    EXPECT_EQ(edit("ListPrice")->text(), "12,345,678.90");
}

TEST_F(RecordEditorWindow, ClearShowsZeroInPricesAndPlayTimeAndKeepsTheMode) {
    open(EditorMode::Edit);
    editor->clearControls();
    EXPECT_EQ(edit("ListPrice")->text(), "0");
    EXPECT_EQ(edit("PurchPrice")->text(), "0");
    EXPECT_EQ(edit("PlayTime")->text(), "0");
    EXPECT_EQ(edit("Title")->text(), "");
    EXPECT_EQ(combo("Producer")->currentText(), "");
    EXPECT_TRUE(DateFormat::isBlankDateText(edit("CheckDate")->text()));
    EXPECT_FALSE(check("CheckOut")->isChecked());
    EXPECT_FALSE(check("Viewed")->isChecked());
    EXPECT_EQ(editor->mode(), EditorMode::Edit);
    EXPECT_TRUE(editor->valuesChanged());
}

TEST_F(RecordEditorWindow, AddThenNextAsksAndMovesWithNo) {
    open(EditorMode::Add);
    EXPECT_EQ(edit("Title")->text(), "");
    EXPECT_EQ(edit("PlayTime")->text(), "0");
    EXPECT_FALSE(editor->valuesChanged());
    prompts.expect(
        kWarning,
        "This record has not been updated yet.  Update this record before moving to the next record?",
        Prompts::No);
    editor->nextRecord();
    const auto m = prompts.messages().back();
    EXPECT_EQ(m.buttons, Prompts::Yes | Prompts::No | Prompts::Cancel);
    EXPECT_EQ(m.defaultButton, Prompts::No);
    EXPECT_EQ(m.icon, Prompts::Icon::Question);
    EXPECT_EQ(prompts.beeps(), 1);
    EXPECT_EQ(edit("Title")->text(), "Metropolis");
    EXPECT_EQ(editor->mode(), EditorMode::Edit);
    EXPECT_EQ(count(), 3u);
}

TEST_F(RecordEditorWindow, AddAndMoveWithYesAppendsTheRecordFirst) {
    open(EditorMode::Add);
    edit("Title")->setText("Notorious");
    prompts.expect(kWarning,
                   "This record has not been updated yet.  Update this record before moving to the previous "
                   "record?",
                   Prompts::Yes);
    editor->previousRecord();
    EXPECT_EQ(count(), 4u);
    EXPECT_EQ(fileField(4, "TITLE"), "Notorious");
    EXPECT_EQ(fileField(4, "CHECKOUT"), "No");
    EXPECT_EQ(editor->mode(), EditorMode::Edit);
}

TEST_F(RecordEditorWindow, CancelStaysAndWritesNothing) {
    open(EditorMode::Edit);
    edit("Title")->setText("Other");
    prompts.expect(kWarning, "Data has changed.  Update this record before moving to the next record?",
                   Prompts::Cancel);
    editor->nextRecord();
    EXPECT_EQ(edit("Title")->text(), "Other");
    EXPECT_EQ(fileField(1, "TITLE"), "Casablanca");
    prompts.expect(kWarning, "Data has changed.  Update this record before creating new one?",
                   Prompts::Cancel);
    editor->newRecord();
    EXPECT_EQ(edit("Title")->text(), "Other");
    prompts.expect(kWarning,
                   "Data has changed.  Update this record before creating new one with the current data?",
                   Prompts::Cancel);
    editor->copyRecord();
    EXPECT_EQ(editor->mode(), EditorMode::Edit);
    prompts.expect(kWarning, "Data has changed.  Do you want to exit without updating?", Prompts::No);
    editor->closeAskingFirst();
    EXPECT_TRUE(editor->isVisible());
    prompts.expect(kWarning, "Data has changed.  Do you want to exit without updating?", Prompts::Yes);
    editor->closeAskingFirst();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(fileField(1, "TITLE"), "Casablanca");
    EXPECT_EQ(count(), 3u);
    EXPECT_EQ(prompts.beeps(), 5);
}

TEST_F(RecordEditorWindow, PreviousAndNextStayAtBothEnds) {
    open(EditorMode::Edit);
    editor->previousRecord();
    EXPECT_EQ(edit("Title")->text(), "Casablanca");
    editor->nextRecord();
    editor->nextRecord();
    EXPECT_EQ(edit("Title")->text(), "Vertigo");
    editor->nextRecord();
    EXPECT_EQ(edit("Title")->text(), "Vertigo");
    editor->previousRecord();
    EXPECT_EQ(edit("Title")->text(), "Metropolis");
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(RecordEditorWindow, NewAndCopiedRecordsAreAppended) {
    open(EditorMode::Edit);
    editor->copyRecord();
    EXPECT_EQ(editor->windowTitle(), "Edit (New Copied Record)");
    EXPECT_EQ(editor->mode(), EditorMode::Add);
    ASSERT_TRUE(editor->updateRecord());
    EXPECT_EQ(count(), 4u);
    EXPECT_EQ(fileField(4, "TITLE"), "Casablanca");
    EXPECT_EQ(editor->mode(), EditorMode::Edit);
    editor->snapshotValues();
    editor->newRecord();
    EXPECT_EQ(editor->windowTitle(), "Edit (New Record)");
    EXPECT_EQ(edit("Title")->text(), "");
    edit("Title")->setText("Rope");
    editor->updateAndStay();
    EXPECT_EQ(editor->windowTitle(), "Edit");
    EXPECT_EQ(count(), 5u);
    edit("Title")->setText("Rope (1948)");
    editor->updateAndStay(); // now an edit of the new record
    EXPECT_EQ(count(), 5u);
    EXPECT_EQ(fileField(5, "TITLE"), "Rope (1948)");
}

TEST_F(RecordEditorWindow, NewStarJoinsAllSixStarListsOnceAndCaseVariantsAgain) {
    open(EditorMode::Edit);
    combo("Star3")->setEditText("  Cary Grant  ");
    combo("Star5")->setEditText("Cary Grant");
    ASSERT_TRUE(editor->updateRecord());
    EXPECT_EQ(field("STAR3"), "  Cary Grant"); // the box text is written unchanged
    for (int i = 1; i <= 6; ++i) {
        QComboBox* c = combo(qPrintable(QStringLiteral("Star%1").arg(i)));
        EXPECT_EQ(c->findText("Cary Grant", Qt::MatchExactly | Qt::MatchCaseSensitive), 0) << i;
        EXPECT_EQ(c->count(), 1) << i;
    }
    combo("Star1")->setEditText("cary grant");
    ASSERT_TRUE(editor->updateRecord());
    for (int i = 1; i <= 6; ++i) {
        QComboBox* c = combo(qPrintable(QStringLiteral("Star%1").arg(i)));
        ASSERT_EQ(c->count(), 2) << i;
        EXPECT_EQ(c->itemText(1), "cary grant");
    }
    EXPECT_EQ(session.lists().list(DataLists::Stars), (QStringList{"Cary Grant", "cary grant"}));
    // The box keeps what it shows while its list changes.
    EXPECT_EQ(combo("Star1")->currentText(), "cary grant");
}

TEST_F(RecordEditorWindow, ClosingWritesTheListFiles) {
    open(EditorMode::Edit);
    combo("Director")->setEditText("Michael Curtiz");
    ASSERT_TRUE(editor->updateRecord());
    editor->snapshotValues();
    editor->closeAskingFirst();
    EXPECT_EQ(editortest::readLines(cat.listFile(".003")), QStringList{"Michael Curtiz"});
    EXPECT_TRUE(QFile::exists(cat.listFile(".016")));
    EXPECT_FALSE(QFile::exists(cat.listFile(".014")));
}

TEST_F(RecordEditorWindow, ComboBoxesFollowTheDataLists) {
    open(EditorMode::Edit);
    session.lists().setList(DataLists::Rating, {"G", "PG", "R"});
    EXPECT_EQ(combo("Rating")->count(), 3);
    session.lists().setList(DataLists::Stars, {"Ingrid Bergman"});
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(combo(qPrintable(QStringLiteral("Star%1").arg(i)))->itemText(0), "Ingrid Bergman");
    EXPECT_EQ(combo("Producer")->currentText(), "Hal Wallis");
}

TEST_F(RecordEditorWindow, CheckOutBoxRemembersDateAndPerson) {
    open(EditorMode::Edit);
    QCheckBox* box = check("CheckOut");
    box->click();
    EXPECT_TRUE(DateFormat::isBlankDateText(edit("CheckDate")->text()));
    EXPECT_EQ(combo("CheckName")->currentText(), "");
    box->click();
    EXPECT_EQ(edit("CheckDate")->text(), "04/03/1997");
    EXPECT_EQ(combo("CheckName")->currentText(), "Ann");
    EXPECT_FALSE(editor->valuesChanged());
}

TEST_F(RecordEditorWindow, BlankDateButtonsStoreEmptyDates) {
    session.dateFormat() = DateFormat(12, true);
    open(EditorMode::Edit);
    EXPECT_EQ(edit("PurchDate")->text(), "24.12.1996");
    editor->findChild<QPushButton*>("BlankPurchDate")->click();
    editor->findChild<QPushButton*>("BlankCheckOut")->click();
    ASSERT_TRUE(editor->updateRecord());
    dbase::Table& t = session.table();
    EXPECT_EQ(t.getDate(t.fieldIndexOrThrow("PURCHDATE")), "");
    EXPECT_EQ(t.getDate(t.fieldIndexOrThrow("CHECKDATE")), "");
}

TEST_F(RecordEditorWindow, EnterWalksAcrossThePages) {
    open(EditorMode::Edit);
    edit("Title")->setFocus();
    QTest::keyClick(edit("Title"), Qt::Key_Return);
    EXPECT_EQ(editor->focusWidget(), combo("Star1"));
    combo("ReleasedBy")->setFocus();
    QTest::keyClick(combo("ReleasedBy"), Qt::Key_Return);
    EXPECT_EQ(pages()->currentIndex(), 1);
    EXPECT_EQ(editor->focusWidget(), combo("Category"));
    edit("PlayTime")->setFocus();
    QTest::keyClick(edit("PlayTime"), Qt::Key_Enter);
    EXPECT_EQ(editor->focusWidget(), check("Viewed"));
    QTest::keyClick(check("Viewed"), Qt::Key_Return);
    EXPECT_EQ(editor->focusWidget(), check("CheckOut"));
    EXPECT_TRUE(check("Viewed")->isChecked()); // Enter did not toggle it
    pages()->setCurrentIndex(3);
    edit("UserDef2")->setFocus();
    QTest::keyClick(edit("UserDef2"), Qt::Key_Return);
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(editor->focusWidget(), edit("Title"));
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(RecordEditorWindow, BrowseModeNeverAsksAndNeverWrites) {
    session.setBrowseMode(true);
    open(EditorMode::Edit);
    EXPECT_FALSE(editor->findChild<QPushButton*>("UpdateButton")->isEnabled());
    EXPECT_FALSE(editor->findChild<QPushButton*>("UpdateExitButton")->isEnabled());
    EXPECT_FALSE(editor->findChild<QPushButton*>("ClearButton")->isEnabled());
    EXPECT_TRUE(editor->findChild<QPushButton*>("PrevButton")->isEnabled());
    EXPECT_TRUE(edit("Title")->isReadOnly());
    edit("Title")->setText("Typed anyway");
    editor->nextRecord();
    EXPECT_EQ(edit("Title")->text(), "Metropolis");
    edit("Title")->setText("Typed anyway");
    editor->closeAskingFirst();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(fileField(2, "TITLE"), "Metropolis");
}

TEST_F(RecordEditorWindow, ReusedAcrossShowings) {
    open(EditorMode::Edit);
    edit("Title")->setText("x");
    prompts.answer(Prompts::Yes);
    editor->closeAskingFirst();
    session.table().last();
    open(EditorMode::Copy);
    EXPECT_EQ(edit("Title")->text(), "Vertigo");
    EXPECT_FALSE(editor->valuesChanged());
    editor->updateAndClose();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(count(), 4u);
    open(EditorMode::Add);
    EXPECT_EQ(edit("Title")->text(), "");
    EXPECT_EQ(pages()->currentIndex(), 0);
}

namespace {
// Prints into a PDF file instead of asking for a printer.
class PdfPrompts : public ScriptedPrompts {
public:
    explicit PdfPrompts(QString file, int copies, bool landscape = false)
        : file_(std::move(file)), copies_(copies), landscape_(landscape) {}
    bool print(QWidget*, QPrinter* printer) override {
        docName = printer->docName();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file_);
        printer->setCopyCount(copies_);
        printer->setPageSize(QPageSize(QPageSize::A4));
        if (landscape_) printer->setPageOrientation(QPageLayout::Landscape);
        return true;
    }
    QString docName;

private:
    QString file_;
    int copies_;
    bool landscape_;
};

// The print dialog closed with OK on the system's printer, whatever it is.
class PrinterPrompts : public ScriptedPrompts {
public:
    bool print(QWidget*, QPrinter*) override { return true; }
};

// No printer installed.
class NoPrinters : public Printers {
public:
    NoPrinters() { install(this); }
    ~NoPrinters() override { install(nullptr); }
    QStringList names() const override { return {}; }
    std::unique_ptr<QPagedPaintDevice> open(int, QString* error) const override {
        *error = noPrinterMessage();
        return nullptr;
    }
    QSizeF paperSize(int) const override { return QSizeF(612, 792); }
    int resolution(int) const override { return 300; }
};

QString pdfInfo(const QString& file) {
    QProcess p;
    p.start("pdfinfo", {file});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList nonEmptyLines(const QString& page) {
    QStringList lines;
    for (const QString& l : page.split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty()) lines << l.trimmed();
    return lines;
}

QString pdfText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

TEST_F(RecordEditorWindow, PrintedRecordHoldsTheFortyLinesInOrder) {
    open(EditorMode::Edit);
    edit("Title")->setText("Shown, not updated");
    const QString pdf = cat.dir.path() + "/record.pdf";
    {
        PdfPrompts pdfPrompts(pdf, 2);
        editor->printRecord();
        EXPECT_EQ(pdfPrompts.docName, "Quillon Videos 97");
    }
    const QString text = pdfText(pdf);
    const QStringList pagesText = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pagesText.size(), 2);
    const QStringList expectedNames = {
        "Title",          "Star 1",           "Star 2",          "Star 3",           "Star 4",
        "Star 5",         "Star 6",           "Producer",        "Director",         "Released By",
        "Year",           "Play Time",        "Rating",          "Category",         "Picture",
        "Sound",          "Format",           "Personal Rating", "Media #",          "Rec Speed",
        "Counter Start",  "Counter Stop",     "Description",     "Content",          "Miscellaneous",
        "Key Words",      "Laser Format",     "List Price",      "Oscar Nomination", "Oscar Award",
        "Check Out Date", "Check Out Person", "Purch Price",     "Purch Date",       "Where Purchased",
        "Writers",        "User Defined 1",   "User Defined 2",  "Checked Out",      "Viewed"};
    for (int page = 0; page < 2; ++page) {
        QStringList lines;
        for (const QString& l : pagesText[page].split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty()) lines << l.trimmed();
        ASSERT_EQ(lines.size(), 40) << pagesText[page].toStdString();
        for (int i = 0; i < 40; ++i)
            EXPECT_TRUE(lines[i].startsWith(expectedNames[i] + ":")) << lines[i].toStdString();
        EXPECT_EQ(lines[0], "Title: Shown, not updated");
        EXPECT_EQ(lines[10], "Year: 1940");
        EXPECT_EQ(lines[27], "List Price: 1,234.50");
        EXPECT_EQ(lines[30], "Check Out Date: 04/03/1997");
        EXPECT_EQ(lines[38], "Checked Out: Yes");
        EXPECT_EQ(lines[39], "Viewed: Yes");
    }
}

TEST_F(RecordEditorWindow, CtrlTPrintsWhatIsTypedOnTheChosenPaper) {
    open(EditorMode::Edit);
    QApplication::setActiveWindow(editor.get());
    if (!QTest::qWaitForWindowActive(editor.get(), 2000)) GTEST_SKIP() << "no active window on this platform";
    edit("Title")->setFocus();
    edit("Title")->selectAll();
    QTest::keyClicks(edit("Title"), "Typed, never saved");
    struct Case {
        bool landscape;
        int copies;
        const char* size;
    };
    for (const Case& c : {Case{false, 3, "595 x 842"}, Case{true, 1, "842 x 595"}}) {
        const QString pdf = cat.dir.path() + QStringLiteral("/typed%1.pdf").arg(c.landscape);
        {
            PdfPrompts pdfPrompts(pdf, c.copies, c.landscape);
            QTest::keyClick(edit("Title"), Qt::Key_T, Qt::ControlModifier);
        }
        const QString info = pdfInfo(pdf);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\b").arg(c.copies))))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression(c.size))) << info.toStdString();
        const QStringList pagesText = pdfText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_EQ(pagesText.size(), c.copies);
        for (const QString& page : pagesText) {
            const QStringList lines = nonEmptyLines(page);
            ASSERT_FALSE(lines.isEmpty());
            EXPECT_EQ(lines[0], "Title: Typed, never saved");
            EXPECT_EQ(lines.size(), 40); // A4 turned is still high enough for all of them
        }
    }
    EXPECT_EQ(field("Title"), "Casablanca");
}

TEST_F(RecordEditorWindow, WithoutPrintersOnlyAFileCanBePrintedTo) {
    open(EditorMode::Edit);
    const NoPrinters none;
    {
        PrinterPrompts printer;
        printer.expect("Error", Printers::noPrinterMessage(), Prompts::Ok);
        editor->printRecord();
        EXPECT_TRUE(printer.done());
    }
    const QString pdf = cat.dir.path() + "/anyway.pdf";
    {
        PdfPrompts pdfPrompts(pdf, 1);
        editor->printRecord();
    }
    EXPECT_EQ(nonEmptyLines(pdfText(pdf)).size(), 40);
}

TEST_F(RecordEditorWindow, AFileThatCannotBeWrittenIsReported) {
    open(EditorMode::Edit);
    const QString pdf = cat.dir.path() + "/no-such-folder/record.pdf";
    PdfPrompts pdfPrompts(pdf, 1);
    pdfPrompts.expect("Error", "The record could not be printed on " + pdf + ".", Prompts::Ok);
    editor->printRecord();
    EXPECT_TRUE(pdfPrompts.done());
    EXPECT_FALSE(PrintJob::active());
}

TEST_F(RecordEditorWindow, PrintCancelledPrintsNothing) {
    open(EditorMode::Edit);
    prompts.answerPrint(false);
    editor->printRecord();
    EXPECT_TRUE(prompts.done());
}

TEST_F(RecordEditorWindow, APrintWhileAnotherPrintJobRunsIsRefused) {
    open(EditorMode::Edit);
    {
        const PrintJob report; // a report still sending its pages
        prompts.expect("Error", "Other print job currently in progress.", Prompts::Ok);
        editor->printRecord(); // no print dialog: the question above is the only one
        EXPECT_TRUE(prompts.done());
    }
    // Once it has ended, printing asks for the printer again.
    prompts.answerPrint(false);
    editor->printRecord();
    EXPECT_TRUE(prompts.done());
}

TEST_F(RecordEditorWindow, LabelsTitleLinesAndPrintUseTheFieldDisplayNames) {
    session.database().fieldNames[Slot::Title - 1] = "Film";
    session.database().fieldNames[Slot::Star1 - 1] = "Cast & Crew";
    session.database().fieldNames[Slot::Viewed - 1] = "Seen";
    open(EditorMode::Edit);
    EXPECT_EQ(editor->findChild<QLabel*>("TitleLabel")->text(), "Film");
    EXPECT_EQ(editor->findChild<QLabel*>("StarsLabel")->text(), "Cast && Crew");
    EXPECT_EQ(check("Viewed")->text(), "Seen");
    EXPECT_EQ(editor->findChild<QLabel*>("WorthItem")->text(), "Film: Casablanca");
    edit("Title")->setText("Casablanca (1942)");
    edit("Title")->setFocus();
    edit("Misc")->setFocus(); // leaving the title box refreshes the title lines
    leave(edit("Title"));
    EXPECT_EQ(editor->findChild<QLabel*>("LibraryItem")->text(), "Film: Casablanca (1942)");
    const QStringList lines = editor->printLines();
    ASSERT_EQ(lines.size(), 40);
    EXPECT_EQ(lines[0], "Film: Casablanca (1942)");
    EXPECT_EQ(lines[1], "Cast & Crew: ");
    EXPECT_EQ(lines[39], "Seen: Yes");
}

TEST_F(RecordEditorWindow, AwardSelectWritesThePickIntoItsBox) {
    editortest::writeLines(ProgramPaths::programFolder() + "/OSCAR.LST", {"Best Picture", "Best Actor"});
    open(EditorMode::Edit);
    edit("OscarAward")->setText("Old text");
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* pick = qobject_cast<AwardPickDialog*>(w); pick && pick->isVisible()) {
                auto* list = pick->findChild<QListWidget*>("OscarList");
                list->item(1)->setSelected(true); // "Best Picture"
                pick->okButtonClicked();
            }
    });
    editor->findChild<QPushButton*>("SelectOscarAward")->click();
    EXPECT_EQ(edit("OscarAward")->text(), "Best Picture");
    EXPECT_TRUE(editor->valuesChanged());
}

TEST_F(RecordEditorWindow, ClipboardMenuWorksOnEditAndComboBoxesButNotDateBoxes) {
    open(EditorMode::Edit);
    auto action = [this](const QString& caption) {
        for (QAction* a : editor->findChildren<QAction*>())
            if (a->text() == caption) return a;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_NE(action("Cu&t"), nullptr);
    EXPECT_EQ(action("Cu&t")->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_EQ(action("N&ew Record")->shortcut(), QKeySequence("Ctrl+E"));
    EXPECT_EQ(action("Prin&t Record")->shortcut(), QKeySequence("Ctrl+T"));
    edit("Title")->setFocus();
    edit("Title")->setSelection(0, 4); // "Casa"
    action("Cu&t")->trigger();
    EXPECT_EQ(edit("Title")->text(), "blanca");
    combo("Director")->setFocus();
    combo("Director")->setEditText("");
    action("&Paste")->trigger();
    EXPECT_EQ(combo("Director")->currentText(), "Casa");
    combo("Director")->lineEdit()->setSelection(1, 2);
    action("&Delete")->trigger();
    EXPECT_EQ(combo("Director")->currentText(), "Ca");
    edit("CheckDate")->setFocus();
    edit("CheckDate")->selectAll();
    action("Cu&t")->trigger();
    EXPECT_EQ(edit("CheckDate")->text(), "04/03/1997");
}

TEST_F(RecordEditorWindow, DateBoxesFollowTheDateFormatAndBlankBoxesStoreNoDate) {
    session.dateFormat() = DateFormat(5, false); // dd-mm-yy: the box still shows the century
    open(EditorMode::Edit);
    EXPECT_EQ(edit("CheckDate")->inputMask(), "99-99-9999;_");
    EXPECT_EQ(edit("CheckDate")->text(), "03-04-1997");
    editor->findChild<QPushButton*>("BlankCheckOut")->click();
    EXPECT_EQ(edit("CheckDate")->displayText(), "__-__-____");
    prompts.answer(Prompts::Yes);
    editor->closeAskingFirst();
    session.dateFormat() = DateFormat(3, true); // mm.dd.yy
    open(EditorMode::Edit);
    EXPECT_EQ(edit("CheckDate")->inputMask(), "99.99.9999;_");
    EXPECT_EQ(edit("CheckDate")->text(), "04.03.1997");
    EXPECT_EQ(edit("PurchDate")->text(), "12.24.1996");
    edit("PurchDate")->clear();
    edit("CheckDate")->setText("12.31.2031");
    ASSERT_TRUE(editor->updateRecord());
    dbase::Table& t = session.table();
    EXPECT_EQ(t.getDate(t.fieldIndexOrThrow("PURCHDATE")), "");
    EXPECT_EQ(t.getDate(t.fieldIndexOrThrow("CHECKDATE")), "20311231");
    edit("CheckDate")->setText("12.3"); // half typed
    prompts.expect("Error", "Invalid check out date specified.  Please correct.", Prompts::Ok);
    EXPECT_FALSE(editor->updateRecord());
}

TEST_F(RecordEditorWindow, MenuShortcutsWinOverTheBoxesOwnKeys) {
    open(EditorMode::Edit);
    QApplication::setActiveWindow(editor.get());
    if (!QTest::qWaitForWindowActive(editor.get(), 2000)) GTEST_SKIP() << "no active window on this platform";
    edit("Title")->setFocus();
    edit("Title")->setCursorPosition(0);
    // Ctrl+E would move the cursor to the end of the line in a box; here it starts a new record.
    QTest::keyClick(edit("Title"), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(editor->windowTitle(), "Edit (New Record)");
    EXPECT_EQ(edit("Title")->text(), "");
}
