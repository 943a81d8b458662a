// The label windows: the user stock's dimensions with their messages and the program settings file,
// the label options surviving a restart, the media number chooser over a view of its own, and the
// label run with its refusals, its status window, the search ended for the run, printer and preview.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "base/paths.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "common/scriptedprompts.h"
#include "common/sessioncatalogue.h"
#include "common/windowdriving.h"
#include "reports/labelstock.h"
#include "reports/ui/labeldimensionsdialog.h"
#include "reports/ui/labeloptionsdialog.h"
#include "reports/ui/labelrun.h"
#include "reports/ui/mediapickerdialog.h"
#include "reports/ui/previewwindow.h"
#include "reports/ui/reportstatuswindow.h"
#include "reports/ui/reportwindow.h"
#include "widgets/printers.h"

#include <gtest/gtest.h>

using namespace reports;
using editortest::addRecord;
using peer::pdfText;
using windowtest::showActive;
using windowtest::typeInto;

namespace {

// A catalogue with tapes, open in a session, and settings folders of its own.
class LabelWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        qputenv("QUILLON_HOME", home.filePath("program").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
        QDir().mkpath(home.filePath("program"));
        QDir().mkpath(home.filePath("config/quillon-videos"));
        catalogue = std::make_unique<editortest::Catalogue>(session, 0);
        dbase::Table& t = session.table();
        addRecord(t, {{"TITLE", "Casablanca"}, {"MEDIANUM", "T7"}, {"COUNTERSTA", "0100"}});
        addRecord(t, {{"TITLE", "Notorious"}, {"MEDIANUM", "T7"}, {"COUNTERSTA", "0500"}});
        addRecord(t, {{"TITLE", "Metropolis"}, {"MEDIANUM", "L2"}, {"COUNTERSTA", "0000"}});
        addRecord(t, {{"TITLE", "Rebecca"}, {"MEDIANUM", "T9"}, {"COUNTERSTA", "0000"}});
        t.first();
    }
    QTemporaryDir home;
    Session session;
    std::unique_ptr<editortest::Catalogue> catalogue;
};

// ---- dimensions -------------------------------------------------------------------------------------

TEST_F(LabelWindows, DimensionsShowTheStoredValuesAndRefuseEachFaultyBoxInOrder) {
    ScriptedPrompts prompts;
    LabelDimensionsDialog d(session);
    showActive(&d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Dimensions (in inches)"));
    EXPECT_EQ(d.edit(LabelType::Face, LabelDimensionsDialog::Height)->text(), QStringLiteral("1.8125"));
    EXPECT_EQ(d.edit(LabelType::Face, LabelDimensionsDialog::LeftMargin)->text(), QStringLiteral("1.1000"));
    EXPECT_EQ(d.edit(LabelType::Spine, LabelDimensionsDialog::Count)->text(), QStringLiteral("15"));

    struct Case {
        LabelType type;
        LabelDimensionsDialog::Field field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {LabelType::Face, LabelDimensionsDialog::TopMargin, "one",
         "Invalid top margin specified.  Please correct"},
        {LabelType::Face, LabelDimensionsDialog::LeftMargin, "",
         "Invalid left margin specified.  Please correct"},
        {LabelType::Face, LabelDimensionsDialog::Width, "0", "Invalid width specified.  Please correct"},
        {LabelType::Face, LabelDimensionsDialog::Height, "-1.5", "Invalid height specified.  Please correct"},
        {LabelType::Face, LabelDimensionsDialog::Gap, "1..2", "Invalid gap specified.  Please correct"},
        {LabelType::Face, LabelDimensionsDialog::Count, "2.5", "Invalid count specified.  Please correct"},
        {LabelType::Spine, LabelDimensionsDialog::TopMargin, "x",
         "Invalid top margin specified.  Please correct"},
        {LabelType::Spine, LabelDimensionsDialog::Count, "0", "Invalid count specified.  Please correct"},
    };
    const QByteArray before = readFile(ProgramPaths::programSettingsFile());
    const ProgramSettings stored = session.program();
    for (const Case& c : cases) {
        QLineEdit* box = d.edit(c.type, c.field);
        const QString good = box->text();
        typeInto(box, QString::fromLatin1(c.text));
        // A faulty box before it wins: the earlier boxes are all sound here.
        prompts.expect("Error", c.message, Prompts::Ok);
        d.OkButtonClick();
        EXPECT_TRUE(d.isVisible()) << c.text;
        EXPECT_EQ(QApplication::focusWidget(), box) << c.text;
        EXPECT_EQ(session.program(), stored) << c.text;
        EXPECT_EQ(readFile(ProgramPaths::programSettingsFile()), before) << c.text;
        typeInto(box, good);
    }
}

TEST_F(LabelWindows, DimensionsAreWrittenAndACountAboveTheGridIsLimited) {
    ScriptedPrompts prompts;
    LabelDimensionsDialog d(session);
    showActive(&d);
    typeInto(d.edit(LabelType::Face, LabelDimensionsDialog::Width), "2.75");
    typeInto(d.edit(LabelType::Face, LabelDimensionsDialog::Count), "14");
    typeInto(d.edit(LabelType::Spine, LabelDimensionsDialog::Gap), "0.0625");
    prompts.expect("Notice",
                   "Face labels per page are limited to 12, the positions of the media number grid.",
                   Prompts::Ok);
    d.OkButtonClick();
    EXPECT_FALSE(d.isVisible());
    ProgramSettings reread;
    ASSERT_TRUE(reread.load(QString()));
    EXPECT_DOUBLE_EQ(reread.face.width, 2.75);
    EXPECT_EQ(reread.face.count, 12);
    EXPECT_DOUBLE_EQ(reread.spine.gap, 0.0625);
    EXPECT_EQ(reread.face, session.program().face);
    EXPECT_EQ(reread.spine, session.program().spine);
}

// ---- options --------------------------------------------------------------------------------------

TEST_F(LabelWindows, OptionsNameTheFieldsAndTheSwitchesSurviveARestart) {
    ScriptedPrompts prompts;
    session.database().fieldNames[Slot::Category - 1] = QStringLiteral("Genre");
    {
        LabelOptionsDialog d(session);
        showActive(&d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Label Options"));
        EXPECT_EQ(d.checkBox(LabelOptionsDialog::Category)->text(), QStringLiteral("Genre"));
        EXPECT_EQ(d.checkBox(LabelOptionsDialog::MediaNumber)->text(), QStringLiteral("Media #"));
        EXPECT_EQ(d.fontDisplay()->text(), QStringLiteral("10pt Arial"));
        d.checkBox(LabelOptionsDialog::Category)->setFocus();
        QTest::keyClick(d.checkBox(LabelOptionsDialog::Category), Qt::Key_Space);
        QTest::keyClick(d.checkBox(LabelOptionsDialog::StopCounter), Qt::Key_Space);
        // The font dialog's size does not count: labels are printed at their own sizes.
        QFont chosen(QStringLiteral("Courier New"), 24);
        chosen.setBold(true);
        prompts.answerFont(chosen);
        QTest::mouseClick(d.newFontButton(), Qt::LeftButton);
        EXPECT_EQ(d.fontDisplay()->text(), QStringLiteral("10pt Courier New"));
        d.close(); // the close box stores the switches as well
    }
    EXPECT_FALSE(session.database().labelCategory);
    EXPECT_FALSE(session.database().labelStopCounter);
    EXPECT_TRUE(session.database().labelTitle);
    EXPECT_EQ(session.database().reportLabelFont.size, 10);
    EXPECT_TRUE(session.database().reportLabelFont.bold);

    // Program end writes the settings; the next start reads them.
    ASSERT_TRUE(session.saveDatabaseSettings());
    Session next;
    next.setCurrentDatabase(session.currentDatabase());
    ASSERT_TRUE(next.loadDatabaseSettings());
    EXPECT_FALSE(next.database().labelCategory);
    EXPECT_FALSE(next.database().labelStopCounter);
    EXPECT_TRUE(next.database().labelRating);
    EXPECT_EQ(next.database().reportLabelFont.name, QStringLiteral("Courier New"));
    LabelOptionsDialog again(next);
    EXPECT_FALSE(again.checkBox(LabelOptionsDialog::Category)->isChecked());
    EXPECT_TRUE(again.checkBox(LabelOptionsDialog::Title)->isChecked());
}

// ---- media number chooser -------------------------------------------------------------------------

TEST_F(LabelWindows, ChooserShowsEveryRecordAndLeavesTheMainTableAlone) {
    ScriptedPrompts prompts;
    dbase::Table& t = session.table();
    const int title = t.fieldIndexOrThrow("TITLE");
    t.setFilter([title](const dbase::Table& tt) { return tt.getText(title) == "Rebecca"; });
    t.first();
    const uint32_t at = t.recNo();
    {
        MediaPickerDialog d(session);
        showActive(&d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Choose Media Number"));
        ASSERT_EQ(d.grid()->model()->rowCount(), 4);
        EXPECT_EQ(d.grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Media #"));
        EXPECT_EQ(d.grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Title"));
        d.grid()->setFocus();
        QTest::keyClick(d.grid(), Qt::Key_Down);
        QTest::keyClick(d.grid(), Qt::Key_Down);
        QTest::mouseClick(d.findChild<QPushButton*>(QString(), Qt::FindDirectChildrenOnly), Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.chosenMediaNumber(), QStringLiteral("L2"));
    }
    EXPECT_EQ(t.recNo(), at);
    EXPECT_EQ(t.recordCount(), 1u);
    {
        MediaPickerDialog d(session);
        showActive(&d);
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_TRUE(d.chosenMediaNumber().isEmpty());
    }
}

// ---- the label run --------------------------------------------------------------------------------

// Printing goes into a PDF file.
class PdfPrinter : public Printers {
public:
    explicit PdfPrinter(QString path) : path_(std::move(path)) { Printers::install(this); }
    ~PdfPrinter() override { Printers::install(nullptr); }
    QStringList names() const override { return {QStringLiteral("PDF")}; }
    std::unique_ptr<QPagedPaintDevice> open(int, QString*) const override {
        ++opened;
        return std::make_unique<QPdfWriter>(path_);
    }
    QSizeF paperSize(int) const override { return {612, 792}; }
    int resolution(int) const override { return 1200; }
    mutable int opened = 0;

private:
    QString path_;
};

class NoPrinter : public PdfPrinter {
public:
    NoPrinter() : PdfPrinter(QString()) {}
    std::unique_ptr<QPagedPaintDevice> open(int, QString* error) const override {
        *error = QLatin1String(noPrinterMessage());
        return nullptr;
    }
};

// Answers the windows a run opens as a person does: OK on the status window once the run has
// ended, and the preview looked at and closed.
class WindowAnswers {
public:
    explicit WindowAnswers(std::function<void(PreviewWindow&)> preview = {}) : preview_(std::move(preview)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }
    QString finalStatus;
    int previews = 0;

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* status = qobject_cast<ReportStatusWindow*>(w)) {
            if (!status->finished()) return;
            finalStatus = status->statusLabel()->text();
            QTest::mouseClick(status->button(), Qt::LeftButton);
        } else if (auto* p = qobject_cast<PreviewWindow*>(w)) {
            ++previews;
            if (preview_) preview_(*p);
            p->close();
        }
    }
    QTimer timer_;
    std::function<void(PreviewWindow&)> preview_;
};

std::array<QString, GridCells> gridWith(std::initializer_list<std::pair<int, const char*>> cells) {
    std::array<QString, GridCells> grid;
    for (const auto& [index, text] : cells)
        grid[size_t(index)] = QString::fromLatin1(text);
    return grid;
}

} // namespace

TEST_F(LabelWindows, RunRefusesWithoutItemsOrMediaNumbersAndTheUnusedCellIsNoNumber) {
    ScriptedPrompts prompts;
    LabelRun run(session, nullptr);
    // Spine labels on the Avery 5199 stock: column 1, row 7 is no position.
    const auto onlyMarker =
        gridWith({{unusedGridCell(LabelType::Spine, Avery5199), "*NOT USED*"}, {3, "   "}});
    prompts.expect("Error", noMediaNumbersMessage(), Prompts::Ok);
    EXPECT_EQ(run.run(LabelRun::Mode::Preview, LabelType::Spine, Avery5199, onlyMarker),
              LabelRun::Outcome::Refused);
    EXPECT_EQ(prompts.beeps(), 1);
    EXPECT_EQ(prompts.messages().back().icon, Prompts::Icon::Warning);

    setLabelItems(session.database(), LabelItems{false, false, false, false, false, false, false, false});
    prompts.expect("Error", noItemsMessage(), Prompts::Ok);
    EXPECT_EQ(run.run(LabelRun::Mode::Preview, LabelType::Face, Avery5199, gridWith({{0, "T7"}})),
              LabelRun::Outcome::Refused);
    EXPECT_EQ(prompts.beeps(), 2);
}

TEST_F(LabelWindows, PrintRunEndsTheSearchForTheRunAndPutsItBack) {
    ScriptedPrompts prompts;
    const QString pdf = home.filePath("labels.pdf");
    PdfPrinter printer(pdf);
    dbase::Table& t = session.table();
    const int title = t.fieldIndexOrThrow("TITLE");
    auto filter = [title](const dbase::Table& tt) { return tt.getText(title) == "Rebecca"; };
    t.setFilter(filter);
    session.setSearchOn(true);
    QStringList calls;
    LabelRun run(session, nullptr);
    run.setSearchHooks(
        [&] {
            calls << "end";
            t.clearFilter();
        },
        [&] {
            calls << "resume";
            t.setFilter(filter);
        });
    WindowAnswers answers;
    // Position 1 and position 3 both T7 (cells 0 and 1 of column 0 are positions 1 and 3).
    EXPECT_EQ(run.run(LabelRun::Mode::Print, LabelType::Face, Avery5199,
                      gridWith({{0, "T7"}, {1, " T7 "}, {8, "L2"}})),
              LabelRun::Outcome::Completed);
    EXPECT_EQ(calls, QStringList({"end", "resume"}));
    EXPECT_EQ(t.recordCount(), 1u);
    EXPECT_EQ(answers.finalStatus, QStringLiteral("\nReport Completed!"));
    EXPECT_EQ(printer.opened, 1);
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count(QStringLiteral("Notorious")), 2) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Metropolis")));
    EXPECT_FALSE(text.contains(QStringLiteral("Rebecca")));
    EXPECT_LT(text.indexOf(QStringLiteral("Notorious")), text.indexOf(QStringLiteral("Casablanca")));
}

TEST_F(LabelWindows, PreviewRunShowsOneLabelPageWithoutNavigation) {
    ScriptedPrompts prompts;
    LabelRun run(session, nullptr);
    QString caption;
    int pages = 0;
    bool labelMode = false;
    WindowAnswers answers([&](PreviewWindow& p) {
        caption = p.windowTitle();
        pages = p.pageCount();
        labelMode = p.labelMode();
    });
    EXPECT_EQ(run.run(LabelRun::Mode::Preview, LabelType::Spine, UserDefined, gridWith({{14, "T9"}})),
              LabelRun::Outcome::Completed);
    EXPECT_EQ(answers.previews, 1);
    EXPECT_EQ(caption, QStringLiteral("Label Printing"));
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(labelMode);
}

TEST_F(LabelWindows, NoPrinterInstalledIsSaid) {
    ScriptedPrompts prompts;
    NoPrinter none;
    LabelRun run(session, nullptr);
    WindowAnswers answers;
    prompts.expect("Error", "No printers are defined, aborting print job.", Prompts::Ok);
    EXPECT_EQ(run.run(LabelRun::Mode::Print, LabelType::Face, ZLabel, gridWith({{0, "T7"}})),
              LabelRun::Outcome::Failed);
    EXPECT_EQ(answers.finalStatus, QStringLiteral("\nReport Canceled!"));
}

// The report window with the labels' hooks, used as a person does: spine labels chosen, a media
// number picked by a double click, the options opened from the file button, and View.
TEST_F(LabelWindows, ReportWindowRunsTheLabels) {
    ScriptedPrompts prompts;
    session.database().labelItems = {};
    ReportWindow w(session);
    QStringList calls;
    const SearchHooks search{[&] { calls << "end"; }, [&] { calls << "resume"; }};
    w.setSearchHooks(search);
    w.setLabelHooks(labelHooks(session, search));
    showActive(&w);
    QTest::mouseClick(w.whatToPrintButton(ReportWindow::SpineLabels), Qt::LeftButton);
    QTest::mouseClick(w.labelStyleButton(Avery5199), Qt::LeftButton);
    QTableWidget* grid = w.mediaList();
    ASSERT_TRUE(grid->isVisible());

    // Double click on column 1, row 0 (position 2): the chooser, its third row taken.
    bool chose = false;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<MediaPickerDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        picker->grid()->setFocus();
        QTest::keyClick(picker->grid(), Qt::Key_Down);
        QTest::keyClick(picker->grid(), Qt::Key_Down);
        QTest::keyClick(picker->grid(), Qt::Key_Return);
        chose = true;
    });
    const QRect cell = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(chose);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("L2"));

    // The file button reads "Options" and opens the label options.
    bool options = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<LabelOptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        options = true;
        d->accept();
    });
    QTest::mouseClick(w.fileButton(), Qt::LeftButton);
    EXPECT_TRUE(options);

    // View: no search in force, so none is ended; the preview shows the sheet.
    WindowAnswers answers;
    w.DoView();
    EXPECT_EQ(answers.previews, 1);
    EXPECT_EQ(answers.finalStatus, QStringLiteral("\nReport Completed!"));
    EXPECT_TRUE(calls.isEmpty());
    session.setSearchOn(true);
    w.DoView();
    EXPECT_EQ(answers.previews, 2);
    EXPECT_EQ(calls, QStringList({"end", "resume"}));
}
