// The report window, its status window, the preview, the page range and the printer choice, used
// as a person does: clicks, key walks and typing, with every question answered by ScriptedPrompts
// and the printers replaced by PDF files.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

#include "catalogue/session.h"
#include "common/files.h"
#include "common/scriptedprompts.h"
#include "common/sessioncatalogue.h"
#include "common/windowdriving.h"
#include "render/renderer.h"
#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"
#include "reports/ui/pagerangedialog.h"
#include "reports/ui/previewwindow.h"
#include "reports/ui/printerchoicedialog.h"
#include "reports/ui/reportstatuswindow.h"
#include "reports/ui/reportwindow.h"
#include "widgets/printers.h"

using namespace reports;

namespace {

// Printers that print into PDF files of a folder, one file per job.
class PdfPrinters : public Printers {
public:
    explicit PdfPrinters(QStringList names) : names_(std::move(names)) { install(this); }
    ~PdfPrinters() override { install(nullptr); }
    QStringList names() const override { return names_; }
    std::unique_ptr<QPagedPaintDevice> open(int index, QString* error) const override {
        if (names_.isEmpty()) {
            *error = noPrinterMessage();
            return nullptr;
        }
        opened << index;
        auto writer = std::make_unique<QPdfWriter>(dir.filePath(QString("job%1.pdf").arg(opened.size())));
        writer->setResolution(300);
        return writer;
    }
    QSizeF paperSize(int) const override { return QSizeF(612, 792); }
    int resolution(int) const override { return 300; }
    QString job(int n) const { return dir.filePath(QString("job%1.pdf").arg(n)); }

    mutable QList<int> opened;
    QTemporaryDir dir;

private:
    QStringList names_;
};

// Calls f on the visible window of type W for which ready() holds, as soon as there is one
// (checked every interval milliseconds from whatever event loop runs, for up to twenty seconds;
// interval 0 checks at every pass, which a report run makes between pages every few
// milliseconds). The check never blocks.
template <typename W>
void whenReady(std::function<bool(W&)> ready, std::function<void(W&)> f, bool* seen = nullptr,
               int interval = 5) {
    auto* timer = new QTimer(qApp); // the application frees a timer whose window never came
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(interval);
    QObject::connect(timer, &QTimer::timeout, [timer, ready, f, seen, started] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<W*>(w); window && window->isVisible() && ready(*window)) {
                timer->stop();
                timer->deleteLater();
                if (seen) *seen = true;
                f(*window);
                return;
            }
        if (started->elapsed() > 20000) {
            timer->stop();
            timer->deleteLater();
            if (!seen) ADD_FAILURE() << "the window did not open";
        }
    });
    timer->start();
}

template <typename W> void whenShown(std::function<void(W&)> f, bool* seen = nullptr) {
    whenReady<W>([](W&) { return true; }, f, seen);
}

// The status window of a run: once the report is done, presses its button.
void finishStatus(QString* shownStatus = nullptr) {
    whenReady<ReportStatusWindow>([](ReportStatusWindow& status) { return status.finished(); },
                                  [shownStatus](ReportStatusWindow& status) {
                                      EXPECT_EQ(status.windowTitle(), "Report Status Screen");
                                      if (shownStatus) *shownStatus = status.statusLabel()->text();
                                      EXPECT_EQ(status.button()->text(), "&OK");
                                      QTest::mouseClick(status.button(), Qt::LeftButton);
                                  });
}

// Shows a window as the active one, as a person's click would make it.
void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    (void)QTest::qWaitForWindowActive(w, 1000);
}

// A push button is clicked; a radio button is chosen from the keyboard (focus and Space), as
// quick clicks in a row would read as a double click.
void click(QAbstractButton* b) {
    ASSERT_TRUE(b);
    ASSERT_TRUE(b->isEnabled());
    if (qobject_cast<QRadioButton*>(b)) {
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Space);
    } else {
        QTest::mouseClick(b, Qt::LeftButton);
    }
}

QPushButton* button(QWidget& w, const QString& text) {
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

// Selects a layout in the list as a person does: focus the list, Home, Down n times.
void pickReport(ReportWindow& w, int n) {
    QListWidget* list = w.reportBox();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < n; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentRow(), n);
}

class ReportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        qputenv("QUILLON_HOME", home.path().toLocal8Bit());
        ASSERT_TRUE(LayoutFile(home.filePath("QLNVID.URP")).create(defaultReportSet()));
        catalogue = std::make_unique<editortest::Catalogue>(session, 5);
    }
    void TearDown() override { session.table().close(); }

    QTemporaryDir home;
    Session session;
    std::unique_ptr<editortest::Catalogue> catalogue;
};

TEST_F(ReportWindowTest, WhatToPrintFollowsTheSearchInForce) {
    const struct {
        int stored;
        bool searching;
        int checked;
    } cases[] = {{1, false, 1}, {2, false, 1}, {2, true, 2}, {1, true, 2},
                 {3, false, 3}, {4, true, 4},  {9, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << (c.searching ? " searching" : ""));
        session.database().whatToPrint = c.stored;
        session.setSearchOn(c.searching);
        ReportWindow w(session);
        EXPECT_EQ(w.whatToPrint(), c.checked);
        EXPECT_EQ(w.whatToPrintButton(2)->isEnabled(), c.searching);
        EXPECT_EQ(w.labelMode(), c.checked >= 3);
    }
    session.setSearchOn(false);
}

TEST_F(ReportWindowTest, NoSelectedReportIsRefusedWithItsMessage) {
    session.database().lastReport = 6; // beyond the six layouts
    ScriptedPrompts prompts;
    ReportWindow w(session);
    w.show();
    EXPECT_TRUE(w.reportBox()->selectedItems().isEmpty());
    for (const char* command : {"&View", "&Print", "Print To &File", "&Modify Report"}) {
        SCOPED_TRACE(command);
        prompts.expect("Error", "No Report has been selected.  Please choose one.", Prompts::Ok);
        click(button(w, command));
        EXPECT_TRUE(prompts.done());
    }
    EXPECT_EQ(prompts.beeps(), 4);
}

// The status window a preview opened over.
ReportStatusWindow* statusOf(PreviewWindow& p) {
    return qobject_cast<ReportStatusWindow*>(p.parentWidget());
}

bool previewShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<PreviewWindow*>(w) && w->isVisible()) return true;
    return false;
}

TEST_F(ReportWindowTest, ViewRunsTheReportAndOpensItsPreview) {
    ScriptedPrompts prompts;
    ReportWindow w(session);
    w.show();
    pickReport(w, 1);
    bool previewed = false;
    whenReady<PreviewWindow>([](PreviewWindow& p) { return !p.building(); },
                             [](PreviewWindow& p) {
                                 EXPECT_EQ(p.windowTitle(), "Ratings Report");
                                 EXPECT_EQ(p.pageLabel()->text(), "Page 1 of 1");
                                 ASSERT_TRUE(statusOf(p));
                                 EXPECT_EQ(statusOf(p)->statusLabel()->text(), "\nReport Completed!");
                                 click(p.speedButton("Next Page"));
                                 click(p.speedButton("Prev Page"));
                                 EXPECT_EQ(p.currentPage(), 1);
                                 p.close(); // the status window goes with it
                             },
                             &previewed);
    click(button(w, "&View"));
    EXPECT_TRUE(previewed);
    EXPECT_FALSE(previewShown());
    EXPECT_EQ(w.lastOutcome(), ReportRun::Outcome::Completed);
    w.accept();
    EXPECT_EQ(session.database().lastReport, 1);
}

// A long report is shown from its first page while the later ones are still being made: the page
// count grows, the pages there can be looked at, and the whole report prints only once it is all
// there.
TEST_F(ReportWindowTest, ThePreviewShowsTheFirstPagesWhileTheRestAreMade) {
    session.table().close();
    catalogue = std::make_unique<editortest::Catalogue>(session, 300);
    ScriptedPrompts prompts;
    PdfPrinters printers({"Office"});
    ReportWindow w(session);
    w.show();
    pickReport(w, 4); // "Large Report": dozens of pages
    int countWhileMade = 0;
    whenReady<PreviewWindow>([](PreviewWindow& p) { return p.building() && p.pageCount() >= 2; },
                             [&](PreviewWindow& p) {
                                 countWhileMade = p.pageCount();
                                 EXPECT_EQ(p.pageLabel()->text(),
                                           QString("Page 1 of %1").arg(countWhileMade));
                                 EXPECT_FALSE(p.action("Print &Report")->isEnabled());
                                 EXPECT_FALSE(p.action("Print Ran&ge")->isEnabled());
                                 EXPECT_EQ(statusOf(p)->button()->text(), "&Cancel");
                                 // A page typed beyond the pages made so far shows once it is there.
                                 p.pageEdit()->setFocus();
                                 p.pageEdit()->selectAll();
                                 QTest::keyClicks(p.pageEdit(), "12");
                                 QTest::keyClick(p.pageEdit(), Qt::Key_Return);
                                 EXPECT_EQ(p.currentPage(), 12);
                             },
                             nullptr, 0);
    int finalCount = 0;
    whenReady<PreviewWindow>([](PreviewWindow& p) { return !p.building(); },
                             [&](PreviewWindow& p) {
                                 finalCount = p.pageCount();
                                 EXPECT_EQ(p.pageLabel()->text(), QString("Page 12 of %1").arg(finalCount));
                                 EXPECT_TRUE(p.action("Print &Report")->isEnabled());
                                 EXPECT_EQ(statusOf(p)->statusLabel()->text(), "\nReport Completed!");
                                 QTest::keyClick(&p, Qt::Key_R, Qt::ControlModifier); // Print Report
                                 p.close();
                             });
    click(button(w, "&View"));
    EXPECT_GE(countWhileMade, 2);
    EXPECT_GT(finalCount, countWhileMade);
    EXPECT_FALSE(previewShown());
    EXPECT_EQ(w.lastOutcome(), ReportRun::Outcome::Completed);
    ASSERT_EQ(printers.opened.size(), 1);
    const QByteArray pdf = readFile(printers.job(1));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              finalCount);
}

// Cancelling a run, in the status window or by closing the preview before the last page, leaves
// no preview.
TEST_F(ReportWindowTest, ACancelledRunShowsNoPreview) {
    for (const bool fromStatus : {true, false}) {
        SCOPED_TRACE(fromStatus ? "Cancel in the status window" : "preview closed");
        session.table().close();
        catalogue = std::make_unique<editortest::Catalogue>(session, 300);
        ScriptedPrompts prompts;
        ReportWindow w(session);
        w.show();
        pickReport(w, 4);
        whenReady<PreviewWindow>([](PreviewWindow& p) { return p.building(); },
                                 [fromStatus](PreviewWindow& p) {
                                     if (fromStatus)
                                         QTest::mouseClick(statusOf(p)->button(), Qt::LeftButton);
                                     else
                                         p.close();
                                 },
                                 nullptr, 0);
        QString shown;
        bool previewLeft = true;
        if (fromStatus)
            whenReady<ReportStatusWindow>([](ReportStatusWindow& status) { return status.finished(); },
                                          [&](ReportStatusWindow& status) {
                                              shown = status.statusLabel()->text();
                                              previewLeft = previewShown();
                                              QTest::mouseClick(status.button(), Qt::LeftButton);
                                          });
        click(button(w, "&View"));
        if (fromStatus) {
            EXPECT_EQ(shown, "\nReport Canceled!");
            EXPECT_FALSE(previewLeft);
        }
        EXPECT_EQ(w.lastOutcome(), ReportRun::Outcome::Cancelled);
        EXPECT_FALSE(previewShown());
        w.reject();
    }
}

TEST_F(ReportWindowTest, WithoutAnInstalledPrinterPrintingSaysSo) {
    PdfPrinters printers({});
    ScriptedPrompts prompts;
    ReportWindow w(session);
    w.show();
    pickReport(w, 0);
    prompts.expect("Error", "No printers are defined, aborting print job.", Prompts::Ok);
    click(button(w, "&Print"));
    EXPECT_TRUE(prompts.done());
}

TEST_F(ReportWindowTest, PrintGoesToTheChosenPrinter) {
    PdfPrinters printers({"Office Laser", "Label Printer"});
    session.database().defaultPrinter = false;
    session.database().printerIndex = 1;
    ScriptedPrompts prompts;
    ReportWindow w(session);
    w.show();
    pickReport(w, 0);
    finishStatus();
    click(button(w, "&Print"));
    ASSERT_EQ(printers.opened, QList<int>{1});
    EXPECT_TRUE(readFile(printers.job(1)).startsWith("%PDF"));
}

TEST_F(ReportWindowTest, PrintToFileWritesTheTextFileChosen) {
    ScriptedPrompts prompts;
    QTemporaryDir out;
    const QString path = out.filePath("REPORT.TXT");
    prompts.answerFile(path);
    ReportWindow w(session);
    w.show();
    pickReport(w, 0);
    finishStatus();
    click(button(w, "Print To &File"));
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.contains("Casablanca"));
    EXPECT_TRUE(text.contains("Notorious"));
    EXPECT_TRUE(text.endsWith("\x0c\r\n"));
}

TEST_F(ReportWindowTest, TheEntireDatabaseIsPrintedDuringASearchWhichStaysInForce) {
    const int title = session.table().fieldIndexOrThrow("TITLE");
    const Session::RecordFilter filter = [title](const dbase::Table& t) {
        return t.getText(title) == "Vertigo";
    };
    session.setSearchFilter(filter);
    session.setSearchOn(true);
    session.table().setFilter(filter);
    ASSERT_EQ(session.table().recordCount(), 1u);
    ScriptedPrompts prompts;
    QTemporaryDir out;
    ReportWindow w(session);
    w.show();
    EXPECT_EQ(w.whatToPrint(), ReportWindow::SearchCriteria);
    pickReport(w, 0);
    for (const bool entire : {false, true}) {
        SCOPED_TRACE(entire);
        if (entire) click(w.whatToPrintButton(1));
        const QString path = out.filePath(entire ? "ALL.TXT" : "FOUND.TXT");
        prompts.answerFile(path);
        finishStatus();
        click(button(w, "Print To &File"));
        const QByteArray text = readFile(path);
        EXPECT_TRUE(text.contains("Vertigo"));
        EXPECT_EQ(text.contains("Casablanca"), entire);
        EXPECT_EQ(session.table().recordCount(), 1u); // the search is in force again
    }
    session.setSearchOn(false);
    session.table().clearFilter();
}

TEST_F(ReportWindowTest, LabelModeShowsTheMediaGridInTheShapeOfTheStock) {
    ReportWindow w(session);
    w.show();
    QTableWidget* grid = w.mediaList();
    auto rows = [grid] {
        int n = 0;
        for (int r = 0; r < ReportWindow::MaxGridRows; ++r)
            n += grid->isRowHidden(r) ? 0 : 1;
        return n;
    };
    auto cell = [grid](int c, int r) { return grid->item(r, c)->text(); };
    EXPECT_FALSE(grid->isVisible());
    click(w.whatToPrintButton(ReportWindow::FaceLabels));
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(w.reportBox()->isVisible());
    EXPECT_EQ(w.fileButton()->text(), "Options");
    EXPECT_EQ(w.labelStyleButton(3)->text(), "Prof. Labels W3116");
    const struct {
        int what, style, rows;
        QString c1r6, c1r7;
    } steps[] = {
        {ReportWindow::FaceLabels, 1, 5, "", ""},
        {ReportWindow::FaceLabels, 2, 6, "", ""},
        {ReportWindow::SpineLabels, 1, 8, "", ReportWindow::NotUsed},
        {ReportWindow::SpineLabels, 2, 8, "", ""},
        {ReportWindow::SpineLabels, 3, 7, ReportWindow::NotUsed, ""},
        {ReportWindow::SpineLabels, 1, 8, "", ReportWindow::NotUsed},
        {ReportWindow::SpineLabels, 4, 8, "", ReportWindow::NotUsed},
        {ReportWindow::SpineLabels, 5, 8, "", ""},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.what << " style " << s.style);
        if (w.whatToPrint() != s.what) click(w.whatToPrintButton(s.what));
        click(w.labelStyleButton(s.style));
        EXPECT_EQ(rows(), s.rows);
        EXPECT_EQ(cell(1, 6), s.c1r6);
        EXPECT_EQ(cell(1, 7), s.c1r7);
        EXPECT_EQ(session.database().labelSize, s.style);
        EXPECT_EQ(session.database().whatToPrint, s.what);
    }
    EXPECT_EQ(w.labelStyleButton(3)->text(), "Prof. Labels W534");
    // A media number typed into the first cell is kept when the window closes.
    grid->setCurrentCell(0, 0);
    grid->editItem(grid->item(0, 0)); // a double click on the cell
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, "T00042");
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(grid->item(0, 0)->text(), "T00042");
    w.accept();
    EXPECT_EQ(session.database().labelItems[0], "T00042");
}

TEST_F(ReportWindowTest, TheSortOrderCaptionNamesTheLevels) {
    session.database().sortLevels = {0, 0, 0, 0};
    EXPECT_EQ(ReportWindow::sortOrderText(session), "No Sort Order Selected");
    session.database().sortLevels = {Slot::Category, 0, Slot::Title, 0};
    EXPECT_EQ(ReportWindow::sortOrderText(session), "Category, Title");
}

// ---- The preview over pages of its own.

class NumberedPages : public render::PageEvents {
public:
    int pages = 3;
    bool pageBody(render::Renderer& r) override {
        r.setSection(1, 10);
        r.goToSectionTop();
        r.setFont(QFont("Arial", 20));
        r.addCell({4.0, render::Justify::Left, render::NoLines, 0.02, 1.0});
        r.printCell(QString("Page text %1").arg(r.pageNumber()));
        return r.pageNumber() < pages;
    }
};

render::PageStore makePages(int count) {
    render::Renderer r;
    render::PageStore store;
    NumberedPages events;
    events.pages = count;
    r.run(events, store);
    return store;
}

// Types into a box and presses Enter.
void typeInto(QLineEdit* edit, const QString& text) {
    windowtest::typeInto(edit, text, Qt::Key_Return);
}

// Types into a box and leaves it with Tab.
void typeText(QLineEdit* edit, const QString& text) {
    windowtest::typeInto(edit, text, Qt::Key_Tab);
}

TEST_F(ReportWindowTest, PreviewNavigationAndZoom) {
    const render::PageStore pages = makePages(3);
    PreviewWindow p(session, pages, {"Star Report", false});
    showActive(&p);
    EXPECT_EQ(p.windowTitle(), "Star Report");
    EXPECT_EQ(p.pageLabel()->text(), "Page 1 of 3");
    EXPECT_EQ(p.zoomEdit()->text(), "100.0");
    click(p.speedButton("Prev Page"));
    EXPECT_EQ(p.currentPage(), 1);
    const struct {
        QString typed;
        int page;
    } typedPages[] = {{"abc", 1}, {"3", 3}, {" 2 ", 2}, {"", 2}};
    for (const auto& t : typedPages) {
        typeInto(p.pageEdit(), t.typed);
        EXPECT_EQ(p.currentPage(), t.page) << t.typed.toStdString();
        EXPECT_EQ(p.pageEdit()->text(), QString::number(t.page));
    }
    p.action("&Last Page")->trigger();
    EXPECT_EQ(p.pageLabel()->text(), "Page 3 of 3");
    click(p.speedButton("Next Page"));
    EXPECT_EQ(p.currentPage(), 3);
    p.action("&First Page")->trigger();
    EXPECT_EQ(p.currentPage(), 1);

    click(p.speedButton("Zoom In"));
    EXPECT_DOUBLE_EQ(p.zoom(), 110);
    click(p.speedButton("Zoom Out"));
    click(p.speedButton("Zoom Out"));
    EXPECT_DOUBLE_EQ(p.zoom(), 90);
    const struct {
        QString typed;
        double zoom;
    } typedZooms[] = {{"x", 90}, {"150", 150}, {"62.5", 62.5}, {"", 62.5}};
    for (const auto& t : typedZooms) {
        typeInto(p.zoomEdit(), t.typed);
        EXPECT_DOUBLE_EQ(p.zoom(), t.zoom) << t.typed.toStdString();
    }
    EXPECT_EQ(p.zoomEdit()->text(), "62.5");
    p.action("1 : &3")->trigger();
    EXPECT_DOUBLE_EQ(p.zoom(), 33.3);
    p.action("&2 : 1")->trigger();
    EXPECT_DOUBLE_EQ(p.zoom(), 200);
    EXPECT_GT(p.pageView()->width(), 2 * 8 * 72);

    p.resize(700, 500);
    QTest::qWait(20);

    click(p.speedButton("Zoom Whole Page"));
    const double whole = p.zoom();
    QTest::qWait(20); // the scroll bars the smaller page no longer needs go
    EXPECT_LE(p.pageView()->height(), p.findChild<QScrollArea*>()->viewport()->height() + 2);
    click(p.speedButton("Zoom Page Width"));
    const double width = p.zoom();
    QTest::qWait(20);
    EXPECT_LT(whole, width);
    EXPECT_LE(p.pageView()->width(), p.findChild<QScrollArea*>()->viewport()->width() + 2);
    EXPECT_TRUE(p.usesColor());
    p.action("Use Color")->trigger();
    EXPECT_FALSE(p.usesColor());
    EXPECT_FALSE(p.action("Use Color")->isChecked());
}

TEST_F(ReportWindowTest, ALabelPreviewHasNoNavigationNorWholeReportPrinting) {
    PdfPrinters printers({"Office Laser"});
    const render::PageStore pages = makePages(1);
    PreviewWindow p(session, pages, {"ignored", true});
    showActive(&p);
    EXPECT_EQ(p.windowTitle(), "Label Printing");
    for (const char* item : {"Print &Report", "Print Ran&ge", "&Next Page", "&Previous Page", "&First Page"})
        EXPECT_FALSE(p.action(item)->isEnabled()) << item;
    EXPECT_FALSE(p.speedButton("Prev Page")->isEnabled());
    EXPECT_FALSE(p.speedButton("Next Page")->isEnabled());
    ScriptedPrompts prompts;
    p.action("&Print Page")->trigger();
    ASSERT_EQ(printers.opened.size(), 1);
    EXPECT_TRUE(readFile(printers.job(1)).startsWith("%PDF"));
}

TEST_F(ReportWindowTest, PageRangeMessages) {
    const struct {
        QString start, end;
        QString message;
    } cases[] = {
        {"0", "3", "Invalid Starting Page specified. Please correct."},
        {"6", "6", "Invalid Starting Page specified. Please correct."},
        {"x", "3", "Invalid Starting Page specified. Please correct."},
        {"3", "2", "Invalid Ending Page specified.  Please correct."},
        {"2", "6", "Invalid Ending Page specified.  Please correct."},
        {" 5", "5 ", ""},
        {"1", "5", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.start + "-" + c.end).toStdString());
        ScriptedPrompts prompts;
        PageRangeDialog d(session, 5);
        d.show();
        EXPECT_EQ(d.startEdit()->text(), "1");
        EXPECT_EQ(d.endEdit()->text(), "5");
        typeText(d.startEdit(), c.start);
        if (!c.message.isEmpty()) prompts.expect("Error", c.message, Prompts::Ok);
        // Return in the ending page presses the default button, "&Print".
        d.endEdit()->setFocus();
        d.endEdit()->selectAll();
        QTest::keyClicks(d.endEdit(), c.end);
        QTest::keyClick(d.endEdit(), Qt::Key_Return);
        EXPECT_TRUE(prompts.done());
        EXPECT_EQ(d.result() == QDialog::Accepted, c.message.isEmpty());
        if (c.message.isEmpty()) {
            EXPECT_EQ(d.firstPage(), c.start.trimmed().toInt());
            EXPECT_EQ(d.lastPage(), c.end.trimmed().toInt());
        } else {
            EXPECT_TRUE(d.isVisible());
            QLineEdit* faulty = c.message.contains("Starting") ? d.startEdit() : d.endEdit();
            EXPECT_EQ(d.focusWidget(), faulty);
        }
    }
}

TEST_F(ReportWindowTest, PrintRangeFromThePreviewPrintsThosePagesOnly) {
    PdfPrinters printers({"Office Laser"});
    const render::PageStore pages = makePages(5);
    PreviewWindow p(session, pages, {"Report", false});
    showActive(&p);
    whenShown<PageRangeDialog>([](PageRangeDialog& d) {
        typeText(d.startEdit(), "2");
        d.endEdit()->setFocus();
        d.endEdit()->selectAll();
        QTest::keyClicks(d.endEdit(), "3");
        QTest::keyClick(d.endEdit(), Qt::Key_Return);
    });
    p.action("Print Ran&ge")->trigger();
    ASSERT_EQ(printers.opened.size(), 1);
    const QByteArray pdf = readFile(printers.job(1));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 2);
}

TEST_F(ReportWindowTest, ThePreviewReopensWhereItWasLeft) {
    const render::PageStore pages = makePages(1);
    {
        PreviewWindow p(session, pages, {"Report", false});
        p.show();
        p.move(120, 90);
        p.resize(520, 410);
        QApplication::processEvents();
        p.close();
    }
    EXPECT_EQ(session.database().reportViewWidth, 520);
    EXPECT_EQ(session.database().reportViewHeight, 410);
    PreviewWindow again(session, pages, {"Report", false});
    EXPECT_EQ(again.size(), QSize(520, 410));
    EXPECT_EQ(again.pos(), QPoint(session.database().reportViewLeft, session.database().reportViewTop));
}

TEST_F(ReportWindowTest, PrinterChoiceStoresTheDefaultOrTheIndex) {
    PdfPrinters printers({"Office Laser", "Label Printer"});
    const struct {
        bool pickDefault;
        int pick; // -1 none
        bool storedDefault;
        int storedIndex;
    } cases[] = {{true, -1, true, -1}, {false, 1, false, 1}, {false, -1, false, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pick);
        session.database().printerIndex = 5; // beyond the list: nothing picked
        PrinterChoiceDialog d(session);
        d.show();
        EXPECT_EQ(d.printerList()->count(), 2);
        EXPECT_EQ(d.printerList()->currentIndex(), -1);
        click(c.pickDefault ? d.defaultButton() : d.otherButton());
        if (c.pick >= 0) d.printerList()->setCurrentIndex(c.pick);
        click(button(d, "&Ok"));
        EXPECT_EQ(session.database().defaultPrinter, c.storedDefault);
        EXPECT_EQ(session.database().printerIndex, c.storedIndex);
        EXPECT_EQ(chosenPrinterIndex(session.database()), c.storedDefault ? -1 : c.storedIndex);
    }
}

} // namespace
