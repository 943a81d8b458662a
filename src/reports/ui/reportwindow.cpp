#include "reports/ui/reportwindow.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPagedPaintDevice>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/printjob.h"
#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "render/finishedpages.h"
#include "render/renderer.h"
#include "reports/layoutfile.h"
#include "reports/ui/layoutdesigner.h"
#include "reports/ui/previewwindow.h"
#include "reports/ui/printerchoicedialog.h"
#include "reports/ui/reportstatuswindow.h"
#include "widgets/helpwindow.h"
#include "widgets/printers.h"
#include "widgets/prompts.h"

namespace reports {

const QString ReportWindow::NotUsed = QStringLiteral("*NOT USED*");

namespace {

const char* const WhatCaptions[] = {"Entire Database", "Search Criteria", "Face Labels", "Spine Labels"};
const char* const WhatNames[] = {"ExportEntire", "ExportSearch", "FaceLabels", "SpineLabels"};
const char* const StyleCaptions[] = {"Avery 5199 (USA)", "Avery L7654 (Europe)", "Prof. Labels W3116",
                                     "Z-Label 31512", "User Defined"};

// Restores the search filter a report over the entire catalogue lifted, whatever way the run ends.
class SearchLift {
public:
    SearchLift(Session& session, const SearchHooks& hooks, bool lift)
        : session_(session), hooks_(hooks), lifted_(lift) {
        if (!lifted_) return;
        if (hooks_.endForRun)
            hooks_.endForRun();
        else
            session_.table().clearFilter();
    }
    ~SearchLift() {
        if (!lifted_) return;
        if (hooks_.resumeAfterRun)
            hooks_.resumeAfterRun();
        else if (session_.searchFilter())
            session_.table().setFilter(session_.searchFilter());
    }

private:
    Session& session_;
    const SearchHooks& hooks_;
    bool lifted_;
};

} // namespace

ReportWindow::ReportWindow(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), file_(LayoutFile::programLayoutFile()) {
    setObjectName(QStringLiteral("MyReport"));
    setWindowTitle(QStringLiteral("Reports"));

    // The layout list.
    listHeading_ = new QLabel(QStringLiteral("Report Selection"), this);
    look::markMajorTitle(listHeading_);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ReportBox"));
    list_->setMinimumSize(list_->fontMetrics().averageCharWidth() * 36, list_->fontMetrics().height() * 10);
    listHeading_->setBuddy(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, &ReportWindow::DoView);

    // What to print.
    auto* whatBox = new QGroupBox(QStringLiteral("What to Print"), this);
    auto* whatLayout = new QVBoxLayout(whatBox);
    for (int code = 1; code <= 4; ++code) {
        auto* b = new QRadioButton(QString::fromLatin1(WhatCaptions[code - 1]), whatBox);
        b->setObjectName(QString::fromLatin1(WhatNames[code - 1]));
        connect(b, &QRadioButton::clicked, this, [this, code] { whatToPrintClicked(code); });
        whatLayout->addWidget(b);
        whatButtons_ << b;
    }

    // The buttons.
    auto* viewButton = new QPushButton(QStringLiteral("&View"), this);
    viewButton->setDefault(true);
    auto* printButton = new QPushButton(QStringLiteral("&Print"), this);
    fileButton_ = new QPushButton(QStringLiteral("Print To &File"), this);
    newButton_ = new QPushButton(QStringLiteral("&New Report"), this);
    modifyButton_ = new QPushButton(QStringLiteral("&Modify Report"), this);
    auto* helpButton = new QPushButton(QStringLiteral("&Help"), this);
    auto* exitButton = new QPushButton(QStringLiteral("E&xit"), this);
    connect(viewButton, &QPushButton::clicked, this, &ReportWindow::DoView);
    connect(printButton, &QPushButton::clicked, this, &ReportWindow::DoPrint);
    connect(fileButton_, &QPushButton::clicked, this, &ReportWindow::DoPrintToFile);
    connect(newButton_, &QPushButton::clicked, this, &ReportWindow::DoNew);
    connect(modifyButton_, &QPushButton::clicked, this, &ReportWindow::DoModify);
    connect(helpButton, &QPushButton::clicked, this, &ReportWindow::DoHelp);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {viewButton, printButton, fileButton_, newButton_, modifyButton_, helpButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(exitButton);

    // The sort order.
    auto* sortBox = new QGroupBox(QStringLiteral("Current Sort Order"), this);
    auto* sortLayout = new QVBoxLayout(sortBox);
    sortCaption_ = new QLabel(sortBox);
    sortCaption_->setObjectName(QStringLiteral("SortOrderCaption"));
    sortCaption_->setWordWrap(true);
    sortLayout->addWidget(sortCaption_);

    labelSide_ = buildLabelSide();

    auto* left = new QVBoxLayout;
    left->addWidget(listHeading_);
    left->addWidget(list_, 1);
    left->addWidget(labelSide_, 1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(whatBox);
    middle->addWidget(styleBox_);
    middle->addWidget(sortBox);
    middle->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(middle);
    columns->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    buildMenu();
    main->addLayout(columns);

    const DatabaseSettings& s = session.database();
    LoadReportBox();
    int what = s.whatToPrint;
    if (what < 1 || what > 4) what = EntireDatabase;
    const bool searching = session.searchOn();
    if (!searching && what == SearchCriteria) what = EntireDatabase;
    if (searching && what == EntireDatabase) what = SearchCriteria;
    whatButtons_[what - 1]->setChecked(true);
    whatButtons_[SearchCriteria - 1]->setEnabled(searching);
    const int style = s.labelSize >= 1 && s.labelSize <= 5 ? s.labelSize : 1;
    styleButtons_[style - 1]->setChecked(true);
    if (s.lastReport >= 0 && s.lastReport < list_->count()) list_->setCurrentRow(s.lastReport);
    sortCaption_->setText(sortOrderText(session));
    applyMode();
    applyGridShape();
}

ReportWindow::~ReportWindow() {
    saveState();
}

QWidget* ReportWindow::buildLabelSide() {
    auto* side = new QWidget(this);
    auto* heading = new QLabel(QStringLiteral("Media Numbers"), side);
    look::markMajorTitle(heading);
    grid_ = new QTableWidget(MaxGridRows, GridColumns, side);
    grid_->setObjectName(QStringLiteral("MediaList"));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    const int column = 89;
    for (int c = 0; c < GridColumns; ++c)
        grid_->setColumnWidth(c, column * grid_->fontMetrics().averageCharWidth() / 6);
    grid_->setFixedWidth(2 * grid_->columnWidth(0) + 2 * grid_->frameWidth() + 3);
    heading->setBuddy(grid_);
    const DatabaseSettings& s = session()->database();
    for (int c = 0; c < GridColumns; ++c)
        for (int r = 0; r < MaxGridRows; ++r)
            grid_->setItem(
                r, c,
                new QTableWidgetItem(s.labelItems[std::size_t(c * MaxGridRows + r)].left(MediaNumberLength)));
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (labels_.chooseMediaNumber) labels_.chooseMediaNumber(*this, column, row);
    });
    connect(grid_, &QTableWidget::itemChanged, this, [](QTableWidgetItem* item) {
        if (item->text().size() > MediaNumberLength) item->setText(item->text().left(MediaNumberLength));
    });
    auto* notes = new QGroupBox(QStringLiteral("NOTES"), side);
    auto* noteLayout = new QVBoxLayout(notes);
    auto* note = new QLabel(
        QStringLiteral("Double Click on a media number for a list of possible media numbers."), notes);
    note->setWordWrap(true);
    noteLayout->addWidget(note);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading);
    layout->addWidget(grid_);
    layout->addWidget(notes);
    layout->addStretch(1);

    styleBox_ = new QGroupBox(QStringLiteral("Label Style"), this);
    auto* styleLayout = new QGridLayout(styleBox_);
    for (int style = 1; style <= 5; ++style) {
        auto* b = new QRadioButton(QString::fromLatin1(StyleCaptions[style - 1]), styleBox_);
        connect(b, &QRadioButton::clicked, this, [this, style] { labelStyleClicked(style); });
        styleLayout->addWidget(b, style - 1, 0);
        styleButtons_ << b;
    }
    defineButton_ = new QPushButton(QStringLiteral("Define"), styleBox_);
    connect(defineButton_, &QPushButton::clicked, this, [this] {
        if (labels_.define) labels_.define(*this);
    });
    styleLayout->addWidget(defineButton_, 4, 1);
    return side;
}

void ReportWindow::buildMenu() {
    auto* bar = new QMenuBar(this);
    auto add = [this](QMenu* menu, const QString& text, QKeySequence key, auto slot) {
        QAction* a = menu->addAction(text);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        actions_ << a;
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    add(file, QStringLiteral("&View"), QKeySequence(Qt::CTRL | Qt::Key_V), &ReportWindow::DoView);
    add(file, QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P), &ReportWindow::DoPrint);
    add(file, QStringLiteral("Print To &File"), QKeySequence(Qt::CTRL | Qt::Key_F),
        &ReportWindow::DoPrintToFile);
    add(file, QStringLiteral("Printer &Setup"), QKeySequence(Qt::CTRL | Qt::Key_S),
        &ReportWindow::DoPrinterSetup);
    file->addSeparator();
    add(file, QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X), &QDialog::accept);
    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    add(options, QStringLiteral("&New Report"), QKeySequence(Qt::CTRL | Qt::Key_N), &ReportWindow::DoNew);
    add(options, QStringLiteral("&Modify Report"), QKeySequence(Qt::CTRL | Qt::Key_M),
        &ReportWindow::DoModify);
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&Contents"), QKeySequence(QKeySequence::HelpContents), &ReportWindow::DoHelp);
    static_cast<QBoxLayout*>(layout())->setMenuBar(bar);
}

QAction* ReportWindow::action(const QString& text) const {
    for (QAction* a : actions_)
        if (a->text() == text) return a;
    return nullptr;
}

QRadioButton* ReportWindow::whatToPrintButton(int code) const {
    return code >= 1 && code <= 4 ? whatButtons_[code - 1] : nullptr;
}

QRadioButton* ReportWindow::labelStyleButton(int style) const {
    return style >= 1 && style <= 5 ? styleButtons_[style - 1] : nullptr;
}

int ReportWindow::whatToPrint() const {
    for (int code = 1; code <= 4; ++code)
        if (whatButtons_[code - 1]->isChecked()) return code;
    return EntireDatabase;
}

bool ReportWindow::labelMode() const {
    const int what = whatToPrint();
    return what == FaceLabels || what == SpineLabels;
}

int ReportWindow::labelStyle() const {
    for (int style = 1; style <= 5; ++style)
        if (styleButtons_[style - 1]->isChecked()) return style;
    return 1;
}

QStringList ReportWindow::mediaNumbers() const {
    QStringList out;
    for (int c = 0; c < GridColumns; ++c)
        for (int r = 0; r < MaxGridRows; ++r)
            out << (grid_->item(r, c) ? grid_->item(r, c)->text() : QString());
    return out;
}

QString ReportWindow::sortOrderText(const Session& session) {
    QStringList names;
    for (int slot : session.database().sortLevels)
        if (slot >= 1 && slot <= FieldCount) names << session.displayName(slot);
    return names.isEmpty() ? QStringLiteral("No Sort Order Selected") : names.join(QStringLiteral(", "));
}

int ReportWindow::gridRows(bool spine, int style) {
    if (spine) return style == 3 ? 7 : 8;
    return style == 2 || style == 5 ? 6 : 5;
}

void ReportWindow::LoadReportBox() {
    const int row = list_->currentRow();
    list_->clear();
    QString error;
    list_->addItems(LayoutFile(file_).names(&error));
    if (row >= 0 && row < list_->count()) list_->setCurrentRow(row);
    if (!error.isEmpty()) Prompts::instance().error(this, error);
}

void ReportWindow::applyMode() {
    const bool labels = labelMode();
    labelSide_->setVisible(labels);
    labelSide_->setEnabled(labels);
    styleBox_->setVisible(labels);
    styleBox_->setEnabled(labels);
    for (QWidget* w : std::initializer_list<QWidget*>{list_, listHeading_, newButton_, modifyButton_}) {
        w->setVisible(!labels);
        w->setEnabled(!labels);
    }
    for (const char* text : {"&New Report", "&Modify Report"})
        action(QString::fromLatin1(text))->setEnabled(!labels);
    fileButton_->setText(labels ? QStringLiteral("Options") : QStringLiteral("Print To &File"));
    styleButtons_[2]->setText(whatToPrint() == SpineLabels ? QStringLiteral("Prof. Labels W534")
                                                           : QStringLiteral("Prof. Labels W3116"));
}

void ReportWindow::applyGridShape() {
    const bool spine = whatToPrint() == SpineLabels;
    const int style = labelStyle();
    const int rows = gridRows(spine, style);
    auto setCell = [this](int column, int row, const QString& text, bool editable) {
        QTableWidgetItem* item = grid_->item(row, column);
        item->setText(text);
        item->setFlags(editable ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
    };
    auto clearMarker = [&](int column, int row) {
        if (grid_->item(row, column)->text() == NotUsed) setCell(column, row, QString(), true);
    };
    // Markers of another style's unused positions go first; a media number typed there stays.
    if (spine && rows == 8) {
        clearMarker(1, 6);
        if (style == 1 || style == 4)
            setCell(1, 7, NotUsed, false);
        else
            clearMarker(1, 7);
    } else if (spine) {
        clearMarker(1, 7);
        setCell(1, 6, NotUsed, false);
    } else {
        clearMarker(1, 6);
        clearMarker(1, 7);
    }
    for (int r = 0; r < MaxGridRows; ++r)
        grid_->setRowHidden(r, r >= rows);
    const int rowHeight = grid_->verticalHeader()->defaultSectionSize();
    for (int r = 0; r < MaxGridRows; ++r)
        grid_->setRowHeight(r, rowHeight);
    grid_->setFixedHeight(rows * rowHeight + 2 * grid_->frameWidth() + 2);
}

void ReportWindow::whatToPrintClicked(int code) {
    session()->database().whatToPrint = code;
    applyMode();
    applyGridShape();
}

void ReportWindow::labelStyleClicked(int style) {
    session()->database().labelSize = style;
    applyGridShape();
}

void ReportWindow::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    if (firstShow_) {
        firstShow_ = false;
        if (list_->isEnabled())
            list_->setFocus();
        else
            grid_->setFocus();
    }
}

bool ReportWindow::selectedLayout(ReportLayout* layout) {
    Prompts& prompts = Prompts::instance();
    const int index = list_->currentRow();
    if (index < 0 || !list_->currentItem() || !list_->currentItem()->isSelected()) {
        prompts.beep();
        prompts.message(this, QStringLiteral("Error"),
                        QStringLiteral("No Report has been selected.  Please choose one."), Prompts::Ok,
                        Prompts::Ok, Prompts::Icon::Warning);
        list_->setFocus();
        return false;
    }
    QString error;
    if (!LayoutFile(file_).read(index, layout, &error)) {
        prompts.message(this, QStringLiteral("Error"), QStringLiteral("Report format could not be located."),
                        Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
        return false;
    }
    return true;
}

void ReportWindow::DoView() {
    if (labelMode()) {
        if (labels_.run) labels_.run(*this, ReportRun::Mode::Preview);
        return;
    }
    DoIt(ReportRun::Mode::Preview);
}

void ReportWindow::DoPrint() {
    if (labelMode()) {
        if (labels_.run) labels_.run(*this, ReportRun::Mode::Print);
        return;
    }
    DoIt(ReportRun::Mode::Print);
}

void ReportWindow::DoPrintToFile() {
    if (labelMode()) {
        if (labels_.options) labels_.options(*this);
        return;
    }
    // The layout is asked for before the file, so a missing choice costs no dialog.
    ReportLayout layout;
    if (!selectedLayout(&layout)) return;
    const QString path = Prompts::instance().saveFile(this, QStringLiteral("Save Report As a Text File"),
                                                      QStringLiteral("Text Files (*.TXT)"),
                                                      QStringLiteral("TXT"), session()->startFolder(), true);
    if (path.isEmpty()) return;
    DoIt(ReportRun::Mode::TextFile, path);
}

void ReportWindow::DoIt(ReportRun::Mode mode, const QString& path) {
    const bool entire = whatToPrint() == EntireDatabase;
    if (!selectedLayout(&working_)) return;
    Prompts& prompts = Prompts::instance();
    Session& s = *session();
    if (!s.table().isOpen()) {
        prompts.error(this, QStringLiteral("No catalogue is open."));
        return;
    }
    const SearchLift lift(s, search_, s.searchOn() && entire);

    const int printer = chosenPrinterIndex(s.database());
    Printers& printers = Printers::instance();
    std::unique_ptr<QPagedPaintDevice> device;
    std::unique_ptr<PrintJob> job;
    if (mode == ReportRun::Mode::Print) {
        if (PrintJob::active()) {
            prompts.error(this, QString::fromLatin1(PrintJob::busyMessage()));
            return;
        }
        QString error;
        device = printers.open(printer, &error);
        if (!device) {
            prompts.error(this, error);
            return;
        }
        job = std::make_unique<PrintJob>();
    }
    render::Renderer renderer(printers.paperSize(printer), printers.resolution(printer));
    render::PageStore store;
    ReportRun run(working_, ReportSource::fromSession(s), mode);
    run.setTextFile(path);
    ReportRun::Outcome outcome = ReportRun::Outcome::Failed;
    QString error;
    // The preview opens over the status window as soon as the first page is finished and takes in
    // the later pages as they come. Closing it before the end cancels the run; a cancelled run
    // leaves no preview.
    QPointer<PreviewWindow> preview;
    std::unique_ptr<ReportStatusWindow> status;
    render::FinishedPages finished(store, [&](int pages) {
        if (pages == 1) {
            PreviewOptions options;
            options.caption = working_.name;
            preview = new PreviewWindow(s, finished, options, status.get());
            preview->setBuilding(true);
            // The run goes on, but the pages that are there can be looked at.
            QApplication::changeOverrideCursor(Qt::BusyCursor);
            connect(preview, &QDialog::finished, status.get(), [&] {
                if (!status->finished()) renderer.abort();
                status->closeWhenFinished();
            });
            preview->show();
        } else if (preview) {
            preview->pagesAdded();
        }
    });
    std::unique_ptr<render::DeviceSink> sink;
    if (device) sink = std::make_unique<render::DeviceSink>(*device);
    render::PageSink* pageSink = sink.get();
    if (mode == ReportRun::Mode::Preview) pageSink = &finished;
    status = std::make_unique<ReportStatusWindow>(
        s, renderer,
        [&] {
            outcome = run.run(renderer, store, pageSink);
            error = run.error();
            if (sink && !sink->finish(&error) && outcome == ReportRun::Outcome::Completed)
                outcome = ReportRun::Outcome::Failed;
            if (outcome == ReportRun::Outcome::Failed) {
                renderer.abort();
                prompts.error(this, error);
            }
            if (preview) {
                if (outcome == ReportRun::Outcome::Completed) {
                    preview->setBuilding(false);
                } else {
                    const QSignalBlocker quiet(preview);
                    preview->close();
                }
            }
        },
        this);
    status->exec();
    lastOutcome_ = status->finished() ? outcome : lastOutcome_;
    job.reset();
    // A preview still open when the status window was closed goes with it (the pages it shows end
    // with this call).
    delete preview;
}

void ReportWindow::DoNew() {
    if (labelMode()) return;
    working_ = ReportLayout::newLayout();
    LayoutDesigner designer(*session(), working_, LayoutDesigner::NewLayout, file_, this);
    designer.exec();
    working_ = designer.layout();
    if (designer.outcome() == LayoutDesigner::Outcome::Saved) {
        LoadReportBox();
        list_->setCurrentRow(designer.savedIndex());
    }
}

void ReportWindow::DoModify() {
    if (labelMode()) return;
    if (!selectedLayout(&working_)) return;
    const int index = list_->currentRow();
    LayoutDesigner designer(*session(), working_, index, file_, this);
    designer.exec();
    working_ = designer.layout();
    switch (designer.outcome()) {
    case LayoutDesigner::Outcome::Saved:
        LoadReportBox();
        list_->setCurrentRow(designer.savedIndex());
        break;
    case LayoutDesigner::Outcome::Deleted:
        LoadReportBox();
        list_->clearSelection();
        list_->setCurrentRow(-1);
        break;
    case LayoutDesigner::Outcome::Cancelled:
        break;
    }
}

void ReportWindow::DoPrinterSetup() {
    PrinterChoiceDialog dialog(*session(), this);
    dialog.exec();
}

void ReportWindow::DoHelp() {
    HelpWindow::showHelp(this, QStringLiteral("Report Window"));
}

void ReportWindow::saveState() {
    if (saved_) return;
    saved_ = true;
    DatabaseSettings& s = session()->database();
    s.lastReport = list_->currentRow();
    const QStringList numbers = mediaNumbers();
    for (int i = 0; i < numbers.size() && i < DatabaseSettings::LabelItemCount; ++i)
        s.labelItems[std::size_t(i)] = numbers[i].left(MediaNumberLength);
}

void ReportWindow::done(int result) {
    saveState();
    DialogBase::done(result);
}

} // namespace reports
