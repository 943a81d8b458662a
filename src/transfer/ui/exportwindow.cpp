#include "transfer/ui/exportwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "find/searchstate.h"
#include "transfer/ui/fieldordergrid.h"
#include "widgets/helpwindow.h"
#include "widgets/prompts.h"

namespace {

const QString& Yes = FieldOrderGrid::Yes;
const QString& No = FieldOrderGrid::No;

} // namespace

ExportWindow::ExportWindow(Session& session, SearchState& search, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), search_(search) {
    setObjectName(QStringLiteral("Export"));
    setWindowTitle(QStringLiteral("Export"));
    setFixedSize(620, 440);

    // Up and Down move a field with its Yes or No.
    grid_ =
        new FieldOrderGrid(FieldCount, {QStringLiteral("FIELD"), QStringLiteral("EXPORT IT")}, 0, 1, 1, this);
    grid_->setObjectName(QStringLiteral("ExportGrid"));
    grid_->setGeometry(12, 12, 320, 330);

    auto label = [this](const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, this);
        l->setGeometry(x, y, w, 18);
        return l;
    };
    label(QStringLiteral("Field"), 352, 10, 80);
    label(QStringLiteral("Ordering"), 352, 26, 80);
    upButton_ = new QPushButton(QStringLiteral("&Up"), this);
    upButton_->setGeometry(352, 46, 76, 28);
    downButton_ = new QPushButton(QStringLiteral("&Down"), this);
    downButton_->setGeometry(434, 46, 76, 28);
    defaultsButton_ = new QPushButton(QStringLiteral("D&efaults"), this);
    defaultsButton_->setGeometry(516, 46, 90, 28);
    connect(upButton_, &QPushButton::clicked, this, [this] { grid_->moveCurrentRow(-1); });
    connect(downButton_, &QPushButton::clicked, this, [this] { grid_->moveCurrentRow(1); });
    connect(defaultsButton_, &QPushButton::clicked, this, &ExportWindow::restoreDefaults);

    auto* what = new QGroupBox(QStringLiteral("What to Export"), this);
    what->setGeometry(352, 84, 254, 70);
    entireButton_ = new QRadioButton(QStringLiteral("Export Entire Database"), what);
    entireButton_->setGeometry(10, 20, 236, 22);
    searchButton_ = new QRadioButton(QStringLiteral("Export Search Criteria"), what);
    searchButton_->setGeometry(10, 44, 236, 22);

    auto* how = new QGroupBox(QStringLiteral("How To Export"), this);
    how->setGeometry(352, 160, 254, 70);
    asciiButton_ = new QRadioButton(QStringLiteral("Ascii Delimited Text File"), how);
    asciiButton_->setGeometry(10, 20, 236, 22);
    dbaseButton_ = new QRadioButton(QStringLiteral("DBase File (DBF)"), how);
    dbaseButton_->setGeometry(10, 44, 236, 22);
    connect(asciiButton_, &QRadioButton::toggled, this, &ExportWindow::kindChosen);

    firstRowBox_ = new QCheckBox(QStringLiteral("&First Record Contains Field Names"), this);
    firstRowBox_->setGeometry(352, 236, 260, 24);
    firstRowBox_->setChecked(session.database().exportFirstRow);
    connect(firstRowBox_, &QCheckBox::clicked, this,
            [this](bool on) { session_.database().exportFirstRow = on; });

    label(QStringLiteral("Export Progress"), 352, 268, 200);
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("ExportGauge"));
    gauge_->setGeometry(352, 288, 254, 20);
    gauge_->setRange(0, 1);
    gauge_->setValue(0);
    gauge_->setTextVisible(false);
    gauge_->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: red; }"));
    look::markOwnLook(gauge_);

    startButton_ = new QPushButton(QStringLiteral("&Start Export"), this);
    startButton_->setGeometry(352, 316, 120, 30);
    startButton_->setDefault(true);
    exitButton_ = new QPushButton(QStringLiteral("E&xit"), this);
    exitButton_->setGeometry(486, 316, 120, 30);
    connect(startButton_, &QPushButton::clicked, this, &ExportWindow::startExport);
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* notes = new QGroupBox(QStringLiteral("NOTES"), this);
    notes->setGeometry(12, 350, 456, 80);
    auto* text = new QLabel(QStringLiteral("Yes in the EXPORT IT column includes a field in the export, No "
                                           "leaves it out.  Double-click the cell to switch between Yes and "
                                           "No.  Up and Down change the order of the fields."),
                            notes);
    text->setWordWrap(true);
    text->setGeometry(10, 20, 436, 54);
    helpButton_ = new QPushButton(QStringLiteral("&Help"), this);
    helpButton_->setGeometry(486, 400, 120, 30);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { HelpWindow::showHelp(this, QStringLiteral("Export Window")); });

    fillGrid();
    if (search_.isOn()) {
        searchButton_->setEnabled(true);
        searchButton_->setChecked(true);
    } else {
        entireButton_->setChecked(true);
        searchButton_->setEnabled(false);
    }
    if (session.database().exportFileType == int(transfer::FileKind::DBase))
        dbaseButton_->setChecked(true);
    else
        asciiButton_->setChecked(true);
    kindChosen();
    grid_->setCurrentCell(0, 0);
}

void ExportWindow::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    const double scale = currentLook().scale;
    grid_->setColumnWidth(0, int(200 * scale));
    grid_->setColumnWidth(1, int(100 * scale) - 4);
}

void ExportWindow::fillGrid() {
    const DatabaseSettings& settings = session_.database();
    for (int row = 0; row < FieldCount; ++row) {
        grid_->setText(row, 0, QString());
        grid_->setText(row, 1, QString());
    }
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const int row = settings.exportOrder[size_t(slot - 1)];
        if (row < 1 || row > FieldCount) continue;
        grid_->setText(row - 1, 0, session_.displayName(slot));
        grid_->setText(row - 1, 1, settings.exportFields[size_t(slot - 1)] ? Yes : No);
    }
}

void ExportWindow::toggleRow(int row) {
    grid_->toggleRow(row);
}

void ExportWindow::restoreDefaults() {
    Prompts& prompts = Prompts::instance();
    prompts.beep();
    if (prompts.message(
            this, QStringLiteral("Re-Order"),
            QStringLiteral("This will set the order of fields to the program defaults.  Continue?"),
            Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) != Prompts::Yes)
        return;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        grid_->setText(slot - 1, 0, session_.displayName(slot));
        grid_->setText(slot - 1, 1, Yes);
    }
}

void ExportWindow::kindChosen() {
    const bool ascii = asciiButton_->isChecked();
    firstRowBox_->setVisible(ascii);
    firstRowBox_->setEnabled(ascii);
}

void ExportWindow::updateConfigs() {
    DatabaseSettings& settings = session_.database();
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const QString name = session_.displayName(slot);
        for (int row = 0; row < FieldCount; ++row) {
            if (grid_->text(row, 0) != name) continue;
            settings.exportOrder[size_t(slot - 1)] = row + 1;
            settings.exportFields[size_t(slot - 1)] = grid_->text(row, 1) == Yes;
            break;
        }
    }
}

void ExportWindow::done(int result) {
    updateConfigs();
    session_.database().exportFileType =
        int(asciiButton_->isChecked() ? transfer::FileKind::Ascii : transfer::FileKind::DBase);
    DialogBase::done(result);
}

void ExportWindow::startExport() {
    updateConfigs();
    Prompts& prompts = Prompts::instance();
    transfer::ExportRequest request;
    request.fieldSlots = transfer::exportColumns(session_.database());
    if (request.fieldSlots.empty()) {
        prompts.error(this, transfer::noFieldsSelectedMessage());
        return;
    }
    const bool ascii = asciiButton_->isChecked();
    request.kind = ascii ? transfer::FileKind::Ascii : transfer::FileKind::DBase;
    const QString folder = session_.program().lastExportFile;
    request.path =
        ascii ? prompts.saveFile(this, QStringLiteral("Export Data"),
                                 QStringLiteral("Ascii Delimited Text (*.TXT *.txt)"), QStringLiteral("TXT"),
                                 folder, true)
              : prompts.saveFile(this, QStringLiteral("Export Data"), QStringLiteral("DBase (*.DBF *.dbf)"),
                                 QStringLiteral("DBF"), folder, true);
    if (request.path.isEmpty()) return;
    session_.program().lastExportFile = request.path;
    if (!ascii && !transfer::hasDbfExtension(request.path)) {
        prompts.error(this, transfer::invalidFileTypeMessage());
        return;
    }
    dbase::Table& table = session_.table();
    if (ascii && firstRowBox_->isChecked())
        for (int slot : request.fieldSlots)
            request.headerNames << transfer::exportHeaderName(slot, session_.database(), table);
    request.dates = session_.dateFormat();
    if (entireButton_->isChecked() && search_.isOn()) {
        request.endSearch = [this, &table] { search_.end(table); };
        request.restoreSearch = [this, &table] { search_.resume(table); };
    }
    request.progress = [this](uint64_t done, uint64_t total) {
        gauge_->setRange(0, int(std::min<uint64_t>(std::max<uint64_t>(total, 1), 0x7FFFFFFF)));
        gauge_->setValue(int(std::min<uint64_t>(done, uint64_t(gauge_->maximum()))));
        gauge_->repaint();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const transfer::ExportResult result = transfer::exportRecords(table, request);
    QApplication::restoreOverrideCursor();
    if (!result.ok) {
        gauge_->setValue(0);
        prompts.error(this, result.message);
        return;
    }
    prompts.message(this, QStringLiteral("Ok"), transfer::exportCompleteMessage(), Prompts::Ok, Prompts::Ok,
                    Prompts::Icon::Information);
    gauge_->setValue(0);
    accept();
}
