// The layout designer windows: the definition window with its width switch, line count check, save,
// overwrite and delete; the fonts window; the line editor's drawing and clicks; the entry editor.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/session.h"
#include "common/files.h"
#include "common/scriptedprompts.h"
#include "common/windowdriving.h"
#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"
#include "reports/ui/entryeditor.h"
#include "reports/ui/layoutdesigner.h"
#include "reports/ui/layoutfontsdialog.h"
#include "reports/ui/lineeditor.h"

using namespace reports;
using windowtest::showActive;

namespace {

std::vector<int> usedWidths(const LayoutLine& line) {
    std::vector<int> w;
    for (int k = 0; k < usedEntries(line); ++k)
        w.push_back(line[size_t(k)].width);
    return w;
}

// Types into a box as a person does: focus, select all, type, leave with Tab.
void typeInto(QLineEdit* edit, const QString& text) {
    windowtest::typeInto(edit, text, Qt::Key_Tab);
}

// Runs f on the modal window of type W once it is shown (from inside its event loop).
template <typename W, typename F> void whenShown(F f) {
    QTimer::singleShot(0, [f] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<W*>(w); window && window->isVisible()) return f(*window);
        ADD_FAILURE() << "the window did not open";
    });
}

const QString kTo90 =
    "Switching to 90 characters from 120 or 150 will truncate the current defined lines.  In "
    "addition, the font size will be reset to a 10 point as a default.  Are you sure you wish "
    "to do this?";
const QString kTo120 =
    "Switching to 120 characters from 150 will truncate the current defined lines.  In addition, "
    "the font size will be reset to a 8 point as a default.  Are you sure you wish to do this?";
const QString kNotice120 = "The Report Body font size has been set to a 8 Point default size as.";
const QString kNotice150 = "The Report Body font size has been set to a 6 Point default size as a result of "
                           "switching to 150 characters per line.";

// A program folder with the built-in layouts, and a session for the windows' look and field names.
class Designer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("QUILLON_HOME", dir.path().toLocal8Bit());
        ASSERT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
        file = dir.filePath("QLNVID.URP");
        ASSERT_EQ(LayoutFile(file).names().size(), 6);
    }

    std::unique_ptr<LayoutDesigner> open(int index) {
        ReportLayout l;
        EXPECT_TRUE(LayoutFile(file).read(index, &l));
        auto d = std::make_unique<LayoutDesigner>(session, l, index, file);
        showActive(d.get());
        return d;
    }
    std::unique_ptr<LayoutDesigner> openNew() {
        auto d = std::make_unique<LayoutDesigner>(session, ReportLayout::newLayout(),
                                                  LayoutDesigner::NewLayout, file);
        showActive(d.get());
        return d;
    }
    QStringList names() const { return LayoutFile(file).names(); }

    QTemporaryDir dir;
    Session session;
    ScriptedPrompts prompts;
    QString file;
};

TEST_F(Designer, ShowsTheLayoutItWasOpenedOn) {
    auto d = open(4); // "Large Report"
    EXPECT_EQ(d->windowTitle(), QString("Report Definition"));
    EXPECT_EQ(d->reportName()->text(), QString("Large Report"));
    EXPECT_TRUE(d->widthRadio(120)->isChecked());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d->fontDisplay(i)->text(), QString("Arial 8pt"));
    EXPECT_EQ(d->numLines()->text(), QString("12"));
    EXPECT_EQ(d->margin(0)->text(), QString("0.50"));
    EXPECT_EQ(d->margin(3)->text(), QString("0.50"));
    EXPECT_TRUE(d->level1Group()->isChecked());
    EXPECT_FALSE(d->level2Group()->isChecked());
    EXPECT_TRUE(d->level2Group()->isEnabled());
    EXPECT_TRUE(d->useTotals()->isChecked());
    EXPECT_TRUE(d->pageNumbers()->isChecked());
    EXPECT_TRUE(d->dateOnPages()->isChecked());
    EXPECT_FALSE(d->landscape()->isChecked());
    for (QCheckBox* c : {d->columnHeaders(), d->horizontalLines(), d->verticalLines()})
        EXPECT_FALSE(c->isEnabled());
    EXPECT_TRUE(d->deleteButton()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), d->reportName());

    auto fresh = openNew();
    EXPECT_FALSE(fresh->deleteButton()->isEnabled());
    EXPECT_TRUE(fresh->widthRadio(90)->isChecked());
    EXPECT_EQ(fresh->fontDisplay(0)->text(), QString("Courier New 10pt"));
}

TEST_F(Designer, TwoLinesOrMoreDisableColumnHeadersAndRules) {
    auto d = open(0);
    const struct {
        const char* typed;
        const char* shown;
        bool enabled;
    } cases[] = {{"1", "1", true}, {"2", "2", false},   {"12", "12", false},
                 {"0", "0", true}, {" 3x", "3", false}, {"", "0", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        typeInto(d->numLines(), c.typed);
        EXPECT_EQ(d->numLines()->text(), QString(c.shown));
        for (QCheckBox* box : {d->columnHeaders(), d->horizontalLines(), d->verticalLines()})
            EXPECT_EQ(box->isEnabled(), c.enabled);
    }
}

TEST_F(Designer, GroupByLevel2NeedsLevel1) {
    auto d = open(0); // level 1 off
    EXPECT_FALSE(d->level2Group()->isEnabled());
    QTest::mouseClick(d->level1Group(), Qt::LeftButton);
    EXPECT_TRUE(d->level2Group()->isEnabled());
    QTest::mouseClick(d->level2Group(), Qt::LeftButton);
    QTest::mouseClick(d->level1Group(), Qt::LeftButton);
    EXPECT_FALSE(d->level2Group()->isEnabled());
    d->UpdateButtonClick();
    ReportLayout saved;
    ASSERT_TRUE(LayoutFile(file).read(0, &saved));
    EXPECT_FALSE(saved.groupLevel1);
    EXPECT_FALSE(saved.groupLevel2); // level 2 is kept only with level 1
}

TEST_F(Designer, WidthSwitchOfTheFirstBuiltIn) {
    auto d = open(0);
    prompts.expect("Notice", kNotice120, Prompts::Ok);
    QTest::mouseClick(d->widthRadio(120), Qt::LeftButton);
    EXPECT_EQ(usedWidths(d->layout().body[0]), (std::vector<int>{12, 64, 4, 40}));
    EXPECT_EQ(d->fontDisplay(2)->text(), QString("Arial 8pt"));
    EXPECT_EQ(prompts.messages().back().icon, Prompts::Icon::Warning);

    // Back to 90: asked first; No keeps everything.
    prompts.expect("Warning", kTo90, Prompts::No);
    QTest::mouseClick(d->widthRadio(90), Qt::LeftButton);
    EXPECT_TRUE(d->widthRadio(120)->isChecked());
    EXPECT_EQ(usedWidths(d->layout().body[0]), (std::vector<int>{12, 64, 4, 40}));
    EXPECT_EQ(prompts.messages().back().defaultButton, Prompts::No);
    prompts.expect("Warning", kTo90, Prompts::Yes);
    QTest::mouseClick(d->widthRadio(90), Qt::LeftButton);
    EXPECT_TRUE(d->widthRadio(90)->isChecked());
    EXPECT_EQ(usedWidths(d->layout().body[0]), (std::vector<int>{12, 64, 4, 10}));
    EXPECT_EQ(d->fontDisplay(2)->text(), QString("Arial 10pt"));
    EXPECT_TRUE(prompts.done());
}

TEST_F(Designer, WidthSwitchTo150AndBackTo120) {
    auto d = open(2); // "Star Report", 120 wide
    prompts.expect("Notice", kNotice150, Prompts::Ok);
    QTest::mouseClick(d->widthRadio(150), Qt::LeftButton);
    EXPECT_EQ(usedWidths(d->layout().body[0]), (std::vector<int>{16, 1, 10, 10, 1, 60, 8, 1, 4, 39}));
    EXPECT_EQ(usedWidths(d->layout().body[1]), (std::vector<int>{6, 1, 25, 4, 25, 4, 25, 4, 25, 31}));
    EXPECT_EQ(d->fontDisplay(2)->text(), QString("Arial 6pt"));
    const int beeps = prompts.beeps();

    prompts.expect("Warning", kTo120, Prompts::No);
    QTest::mouseClick(d->widthRadio(120), Qt::LeftButton);
    EXPECT_TRUE(d->widthRadio(150)->isChecked());
    prompts.expect("Warning", kTo120, Prompts::Yes).expect("Notice", kNotice120, Prompts::Ok);
    QTest::mouseClick(d->widthRadio(120), Qt::LeftButton);
    EXPECT_EQ(usedWidths(d->layout().body[0]), (std::vector<int>{16, 1, 10, 10, 1, 60, 8, 1, 4, 9}));
    EXPECT_GT(prompts.beeps(), beeps);
    EXPECT_TRUE(prompts.done());
}

TEST_F(Designer, ALineCountOutsideTheRangeIsRefused) {
    auto d = open(1);
    const QByteArray before = readFile(file);
    for (const char* typed : {"13", "-1", "99"}) {
        SCOPED_TRACE(typed);
        typeInto(d->numLines(), typed);
        prompts.expect("Notice", "Number of lines must be in range of 0 to 12.  Please correct.",
                       Prompts::Ok);
        d->UpdateButtonClick();
        EXPECT_EQ(QApplication::focusWidget(), d->numLines());
        prompts.expect("Notice", "Number of lines must be in range of 0 to 12.  Please correct.",
                       Prompts::Ok);
        d->SpecifyButtonClick();
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(d->outcome(), LayoutDesigner::Outcome::Cancelled);
}

TEST_F(Designer, ANewLayoutIsAppendedWithEveryControl) {
    auto d = openNew();
    QTest::keyClicks(d->reportName(), "  My Tapes  ");
    typeInto(d->title(0), "Tapes by shelf");
    typeInto(d->numLines(), "3");
    typeInto(d->margin(1), "1,25");
    QTest::mouseClick(d->landscape(), Qt::LeftButton);
    QTest::mouseClick(d->useTotals(), Qt::LeftButton);
    QTest::mouseClick(d->level2Group(), Qt::LeftButton);
    const qint64 size = QFileInfo(file).size();
    d->UpdateButtonClick();
    EXPECT_EQ(d->outcome(), LayoutDesigner::Outcome::Saved);
    EXPECT_EQ(d->savedIndex(), 6);
    EXPECT_EQ(QFileInfo(file).size(), size + LayoutRecordSize);
    ReportLayout saved;
    ASSERT_TRUE(LayoutFile(file).read(6, &saved));
    EXPECT_EQ(saved.name, QString("My Tapes"));
    EXPECT_EQ(saved.titles[0], QString("Tapes by shelf"));
    EXPECT_EQ(saved.linesPerRecord, 3);
    EXPECT_EQ(saved.bottomMargin, 1.25);
    EXPECT_TRUE(saved.landscape);
    EXPECT_FALSE(saved.useTotals);
    EXPECT_TRUE(saved.groupLevel1);
    EXPECT_TRUE(saved.groupLevel2);
    EXPECT_EQ(saved.width, 90);
    EXPECT_EQ(saved.fonts[0].name, QString("Courier New"));
}

TEST_F(Designer, BadMarginsAndAnEmptyNameAreRefused) {
    auto d = open(1);
    const QByteArray before = readFile(file);
    for (const char* margin : {"abc", "-1", ""}) {
        SCOPED_TRACE(margin);
        typeInto(d->margin(2), margin);
        prompts.expect("Notice", "Margins must be given in inches, such as 0.50.  Please correct.",
                       Prompts::Ok);
        d->UpdateButtonClick();
        EXPECT_EQ(QApplication::focusWidget(), d->margin(2));
    }
    typeInto(d->margin(2), "0.75");
    typeInto(d->reportName(), "   ");
    prompts.expect("Notice", "Please give the report a name.", Prompts::Ok);
    d->UpdateButtonClick();
    EXPECT_EQ(readFile(file), before);
}

TEST_F(Designer, RenamingAsksWhetherToSaveAsNewOverwriteOrCancel) {
    const QString question =
        "Report Title has changed!  Do you wish to save this as a new report?   (YES saves as "
        "new report.  NO overwrites old report.  CANCEL aborts.)";
    {
        auto d = open(1);
        typeInto(d->reportName(), "Ratings Again");
        EXPECT_FALSE(d->deleteButton()->isEnabled());
        prompts.expect("Warning", question, Prompts::Cancel);
        d->UpdateButtonClick();
        EXPECT_EQ(d->outcome(), LayoutDesigner::Outcome::Cancelled);
        EXPECT_EQ(names().size(), 6);
        EXPECT_EQ(prompts.messages().back().buttons, Prompts::Yes | Prompts::No | Prompts::Cancel);

        prompts.expect("Warning", question, Prompts::Yes);
        d->UpdateButtonClick();
        EXPECT_EQ(d->outcome(), LayoutDesigner::Outcome::Saved);
        EXPECT_EQ(d->savedIndex(), 6);
        EXPECT_EQ(names()[1], QString("Ratings Report"));
        EXPECT_EQ(names()[6], QString("Ratings Again"));
    }
    {
        auto d = open(2);
        typeInto(d->reportName(), "Stars Only");
        prompts.expect("Warning", question, Prompts::No);
        d->UpdateButtonClick();
        EXPECT_EQ(d->savedIndex(), 2);
        EXPECT_EQ(names().size(), 7);
        EXPECT_EQ(names()[2], QString("Stars Only"));
    }
    {
        // Typing the old name back enables Delete again.
        auto d = open(3);
        typeInto(d->reportName(), "Other");
        EXPECT_FALSE(d->deleteButton()->isEnabled());
        typeInto(d->reportName(), "Oscar Report");
        EXPECT_TRUE(d->deleteButton()->isEnabled());
        d->UpdateButtonClick(); // same name: overwritten without a question
        EXPECT_EQ(names().size(), 7);
    }
    EXPECT_TRUE(prompts.done());
}

TEST_F(Designer, DeleteAsksAndRemovesTheLayout) {
    const QString question = "Are you sure you want to delete this report?";
    auto d = open(0);
    prompts.expect("Warning", question, Prompts::No);
    d->DeleteButtonClick();
    EXPECT_EQ(names().size(), 6);
    EXPECT_EQ(prompts.messages().back().defaultButton, Prompts::No);
    prompts.expect("Warning", question, Prompts::Yes);
    d->DeleteButtonClick();
    EXPECT_EQ(d->outcome(), LayoutDesigner::Outcome::Deleted);
    EXPECT_EQ(names(), (QStringList{"Ratings Report", "Star Report", "Oscar Report", "Large Report",
                                    "Statistic/Summary Report"}));
    EXPECT_GE(prompts.beeps(), 2);
}

TEST_F(Designer, FontsWindowTakesTheChosenFont) {
    ReportLayout l = defaultReportSet()[0];
    LayoutFontsDialog fonts(session, l);
    EXPECT_EQ(fonts.windowTitle(), QString("Report Fonts"));
    EXPECT_EQ(fonts.display(1)->text(), QString("Arial 8pt"));
    QFont chosen("Courier New");
    chosen.setPointSize(14);
    chosen.setBold(true);
    chosen.setStrikeOut(true);
    prompts.answerFont(chosen).answerFont(std::nullopt);
    fonts.newFontButton(3)->click();
    EXPECT_EQ(prompts.calls().back().initialFont.family(), QString("Arial"));
    EXPECT_EQ(l.fonts[FootnoteFont].size, 14);
    EXPECT_TRUE(l.fonts[FootnoteFont].bold);
    EXPECT_TRUE(l.fonts[FootnoteFont].strikeout);
    EXPECT_FALSE(l.fonts[FootnoteFont].italic);
    EXPECT_EQ(fonts.display(3)->text(), QString("%1 14pt").arg(l.fonts[FootnoteFont].name));
    fonts.newFontButton(0)->click(); // cancelled: unchanged
    EXPECT_EQ(l.fonts[TitlesFont], defaultReportSet()[0].fonts[TitlesFont]);
}

// ---- entry editor ------------------------------------------------------------------------

LayoutLine line12_64_4() {
    LayoutLine l;
    l[0] = LayoutEntry::field(19, 12);
    l[1] = LayoutEntry::field(1, 64);
    l[2] = LayoutEntry::field(11, 4);
    return l;
}

TEST_F(Designer, EntryEditorWidthsKeepTheLineAtTheReportWidth) {
    const struct {
        const char* typed;
        std::vector<int> expected;
    } cases[] = {{"70", {12, 70, 4, 4}}, {"0", {12, 78}}, {"80", {12, 78}}, {" 64", {12, 64, 4, 10}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        LayoutLine line = line12_64_4();
        EntryEditor e(session, line, 1, 1, 90);
        showActive(&e);
        typeInto(e.widthEdit(), c.typed);
        e.OkButtonClick();
        EXPECT_EQ(e.result(), QDialog::Accepted);
        EXPECT_EQ(usedWidths(line), c.expected);
        EXPECT_EQ(line[1].kind, QString("Title"));
    }
}

TEST_F(Designer, EntryEditorRefusesABadWidthAndKeepsTheLine) {
    for (const char* typed : {"x", "", "1a"}) {
        SCOPED_TRACE(typed);
        LayoutLine line = line12_64_4();
        EntryEditor e(session, line, 1, 0, 90);
        showActive(&e);
        typeInto(e.widthEdit(), typed);
        prompts.expect("Error", "Invalid width entered.  Please correct.", Prompts::Ok);
        e.OkButtonClick();
        EXPECT_EQ(QApplication::focusWidget(), e.widthEdit());
        EXPECT_EQ(line, line12_64_4());
    }
}

TEST_F(Designer, EntryEditorKinds) {
    session.database().fieldNames[18] = "Tape No";
    LayoutLine line = line12_64_4();
    {
        EntryEditor e(session, line, 3, 0, 90);
        EXPECT_EQ(e.windowTitle(), QString("Select Report Part"));
        EXPECT_EQ(e.selectedPart()->text(), QString("Line 3, Item 1"));
        ASSERT_EQ(e.fieldList()->count(), 40);
        EXPECT_TRUE(e.fieldRadio()->isChecked());
        EXPECT_EQ(e.fieldList()->currentItem()->text(), QString("Tape No"));
        EXPECT_FALSE(e.labelEdit()->isEnabled());
        EXPECT_TRUE(e.fieldList()->isEnabled());
        EXPECT_EQ(e.widthEdit()->text(), QString("12"));
        // Make it a label.
        e.labelRadio()->click();
        EXPECT_TRUE(e.labelEdit()->isEnabled());
        EXPECT_FALSE(e.fieldList()->isEnabled());
        typeInto(e.labelEdit(), "  Tape:  ");
        e.OkButtonClick();
    }
    EXPECT_EQ(line[0], LayoutEntry::text("Tape:", 12));
    {
        EntryEditor e(session, line, 3, 0, 90);
        EXPECT_TRUE(e.labelRadio()->isChecked());
        EXPECT_EQ(e.labelEdit()->text(), QString("Tape:"));
        e.fillerRadio()->click();
        EXPECT_FALSE(e.labelEdit()->isEnabled());
        EXPECT_FALSE(e.fieldList()->isEnabled());
        e.OkButtonClick();
    }
    EXPECT_EQ(line[0], LayoutEntry::filler(12));
    {
        EntryEditor e(session, line, 3, 2, 90);
        e.fillerRadio()->click();
        e.fieldRadio()->click();
        // A field with nothing chosen is refused; then Producer (slot 8) is chosen.
        prompts.expect("Error", "No field has been selected.  Please choose one from the list.", Prompts::Ok);
        e.OkButtonClick();
        EXPECT_NE(e.result(), QDialog::Accepted);
        e.fieldList()->setCurrentRow(7);
        e.OkButtonClick();
    }
    EXPECT_EQ(line[2].kind, QString("Producer"));
    EXPECT_EQ(line[2].slot, 8);
    EXPECT_EQ(usedWidths(line), (std::vector<int>{12, 64, 4, 10}));
}

TEST_F(Designer, EntryEditorOnTheTotalsLine) {
    ReportLayout l = defaultReportSet()[0];
    EntryEditor e(session, l.totals, EntryEditor::TotalsLineNumber, 2, 90);
    EXPECT_EQ(e.selectedPart()->text(), QString("Totals Line, Item 3"));
    ASSERT_EQ(e.fieldList()->count(), 3);
    EXPECT_EQ(e.fieldList()->item(1)->text(), QString("List Price"));
    EXPECT_EQ(e.fieldList()->currentRow(), 0); // Quantity
    e.fieldList()->setCurrentRow(2);
    e.OkButtonClick();
    EXPECT_EQ(l.totals[2], LayoutEntry::totalItem(3, 12));
}

// ---- line editor -------------------------------------------------------------------------

TEST_F(Designer, LineEditorDrawsTheLinesAndOpensTheEntryClicked) {
    ReportLayout l = defaultReportSet()[4]; // "Large Report", 12 lines
    session.database().fieldNames[0] = "Film";
    LineEditor editor(session, l, 120, true);
    showActive(&editor);
    EXPECT_EQ(editor.windowTitle(), QString("Specify Report Layout"));
    EXPECT_EQ(editor.reportCaption()->text(), QString("Report: Large Report"));
    LayoutDrawing* drawing = editor.drawing();
    EXPECT_EQ(drawing->entryText(l.body[0][5], false), QString("Film"));
    EXPECT_EQ(drawing->entryText(l.body[0][0], false), QString("Media Number:"));
    EXPECT_EQ(drawing->entryText(l.body[0][1], false), QString("Filler"));
    EXPECT_EQ(drawing->entryText(l.totals[2], true), QString("Quantity"));

    // Boxes follow the widths: line 1's title box starts 35/120 of the way across.
    const QRect title = drawing->entryRect(1, 5);
    ASSERT_FALSE(title.isEmpty());
    EXPECT_NEAR(title.left(), 35.0 * drawing->width() / 120, 2);
    // The last box of a line reaches the right edge, whatever its width.
    EXPECT_EQ(drawing->entryRect(1, 8).right(), drawing->width() - 1);
    EXPECT_TRUE(drawing->entryRect(1, 9).isEmpty());
    EXPECT_FALSE(drawing->entryRect(12, 0).isEmpty());
    EXPECT_FALSE(drawing->entryRect(100, 0).isEmpty());
    EXPECT_EQ(drawing->entryAt(title.center()), (std::pair<int, int>{1, 5}));

    // A click on the title box opens the entry editor for line 1, item 6.
    QString part;
    whenShown<EntryEditor>([&](EntryEditor& e) {
        part = e.selectedPart()->text();
        typeInto(e.widthEdit(), "50");
        e.OkButtonClick();
    });
    QTest::mouseClick(drawing, Qt::LeftButton, {}, title.center());
    EXPECT_EQ(part, QString("Line 1, Item 6"));
    EXPECT_EQ(usedWidths(editor.layout().body[0]), (std::vector<int>{13, 1, 10, 10, 1, 50, 8, 1, 4, 22}));
    EXPECT_EQ(usedWidths(l.body[0]).size(), 9u); // the caller's layout is untouched

    // A press on one box and a release on another opens nothing.
    QTest::mousePress(drawing, Qt::LeftButton, {}, drawing->entryRect(2, 0).center());
    QTest::mouseRelease(drawing, Qt::LeftButton, {}, drawing->entryRect(2, 2).center());
    EXPECT_TRUE(prompts.calls().empty());
}

TEST_F(Designer, LineEditorShowsOnlyTheLinesInUse) {
    ReportLayout l = defaultReportSet()[2]; // 3 lines
    LineEditor editor(session, l, 120, false);
    showActive(&editor);
    EXPECT_FALSE(editor.drawing()->entryRect(3, 0).isEmpty());
    EXPECT_TRUE(editor.drawing()->entryRect(4, 0).isEmpty());
    EXPECT_TRUE(editor.drawing()->entryRect(100, 0).isEmpty()); // totals off
    EXPECT_EQ(editor.drawing()->entryAt(QPoint(5, editor.drawing()->height() - 5)),
              (std::pair<int, int>{0, -1}));
}

TEST_F(Designer, SpecifyOkKeepsTheEditedLinesAndCancelDropsThem) {
    auto d = open(0);
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        whenShown<LineEditor>([ok](LineEditor& editor) {
            whenShown<EntryEditor>([](EntryEditor& e) {
                typeInto(e.widthEdit(), "70");
                e.OkButtonClick();
            });
            editor.editEntry(1, 1);
            if (ok)
                editor.okButton()->click();
            else
                editor.reject();
        });
        QTest::mouseClick(d->specifyButton(), Qt::LeftButton);
        EXPECT_EQ(usedWidths(d->layout().body[0]),
                  (ok ? std::vector<int>{12, 70, 4, 4} : std::vector<int>{12, 64, 4}));
    }
    d->UpdateButtonClick();
    ReportLayout saved;
    ASSERT_TRUE(LayoutFile(file).read(0, &saved));
    EXPECT_EQ(usedWidths(saved.body[0]), (std::vector<int>{12, 70, 4, 4}));
}

} // namespace
