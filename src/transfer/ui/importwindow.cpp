#include "transfer/ui/importwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "transfer/delimitedtext.h"
#include "transfer/ui/fieldordergrid.h"
#include "widgets/helpwindow.h"
#include "widgets/prompts.h"

namespace {

const QString& Yes = FieldOrderGrid::Yes;
const QString Empty = QStringLiteral("<EMPTY>");

} // namespace

ImportWindow::ImportWindow(Session& session, transfer::FileKind kind, const QString& path,
                           const QStringList& importNames, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), kind_(kind), path_(path),
      names_(importNames) {
    setObjectName(QStringLiteral("Import"));
    setWindowTitle(kind == transfer::FileKind::DBase ? QStringLiteral("DBase File Import")
                                                     : QStringLiteral("Ascii Delimited Text Import"));
    setFixedSize(640, 420);

    auto* instructions =
        new QLabel(QStringLiteral("Use Up and Down to match Quillon's fields with the import fields.  Choose "
                                  "Yes to include a field.  Double-click a USE cell to switch between Yes "
                                  "and No."),
                   this);
    instructions->setWordWrap(true);
    instructions->setGeometry(12, 8, 616, 40);

    const int rows = std::max<int>(FieldCount, int(names_.size()));
    // Up and Down move an import field with its USE against the catalogue's fields.
    grid_ = new FieldOrderGrid(
        rows, {QStringLiteral("QUILLON FIELDS"), QStringLiteral("IMPORT FIELDS"), QStringLiteral("USE")}, 1,
        2, 2, this);
    grid_->setObjectName(QStringLiteral("ImportGrid"));
    grid_->setGeometry(12, 54, 420, 356);
    for (int row = 0; row < rows; ++row) {
        grid_->setText(row, 0, row < FieldCount ? session.displayName(row + 1) : QString());
        const bool named = row < names_.size();
        grid_->setText(row, 1, named ? names_[row] : Empty);
        grid_->setText(row, 2, named ? Yes : QString());
    }

    auto label = [this](const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, this);
        l->setGeometry(x, y, w, 18);
        return l;
    };
    label(QStringLiteral("Field"), 448, 54, 80);
    label(QStringLiteral("Alignment"), 448, 70, 80);
    upButton_ = new QPushButton(QStringLiteral("&Up"), this);
    upButton_->setGeometry(448, 92, 76, 28);
    downButton_ = new QPushButton(QStringLiteral("&Down"), this);
    downButton_->setGeometry(448, 126, 76, 28);
    connect(upButton_, &QPushButton::clicked, this, [this] { grid_->moveCurrentRow(-1); });
    connect(downButton_, &QPushButton::clicked, this, [this] { grid_->moveCurrentRow(1); });

    label(QStringLiteral("Import"), 540, 54, 80);
    label(QStringLiteral("Count"), 540, 70, 80);
    countLabel_ = new QLabel(QStringLiteral("0"), this);
    countLabel_->setObjectName(QStringLiteral("ImportCount"));
    countLabel_->setGeometry(540, 96, 90, 22);

    skipFirstBox_ = new QCheckBox(QStringLiteral("Skip First Record"), this);
    skipFirstBox_->setGeometry(448, 176, 180, 24);
    skipFirstBox_->setChecked(session.database().importSkipFirst);
    connect(skipFirstBox_, &QCheckBox::clicked, this,
            [this](bool on) { session_.database().importSkipFirst = on; });
    if (kind == transfer::FileKind::DBase) {
        skipFirstBox_->hide();
        skipFirstBox_->setEnabled(false);
    }

    startButton_ = new QPushButton(QStringLiteral("&Start Import"), this);
    startButton_->setGeometry(448, 300, 180, 30);
    startButton_->setDefault(true);
    exitButton_ = new QPushButton(QStringLiteral("E&xit"), this);
    exitButton_->setGeometry(448, 340, 180, 30);
    helpButton_ = new QPushButton(QStringLiteral("&Help"), this);
    helpButton_->setGeometry(448, 380, 180, 30);
    connect(startButton_, &QPushButton::clicked, this, &ImportWindow::startImport);
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { HelpWindow::showHelp(this, QStringLiteral("Import Window")); });
    grid_->setCurrentCell(0, 1);
}

void ImportWindow::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    const double scale = currentLook().scale;
    grid_->setColumnWidth(0, int(179 * scale));
    grid_->setColumnWidth(1, int(179 * scale));
    grid_->setColumnWidth(2, int(38 * scale));
}

void ImportWindow::toggleRow(int row) {
    grid_->toggleRow(row);
}

transfer::FieldMap ImportWindow::fieldMap() const {
    QStringList rowNames;
    std::vector<bool> use;
    for (int row = 0; row < FieldCount && row < grid_->rowCount(); ++row) {
        rowNames << grid_->text(row, 1);
        use.push_back(grid_->text(row, 2) == Yes);
    }
    return transfer::fieldMapFromRows(names_, rowNames, use);
}

void ImportWindow::startImport() {
    transfer::ImportRequest request;
    request.kind = kind_;
    request.path = path_;
    request.fieldCount = int(names_.size());
    request.skipFirst = kind_ == transfer::FileKind::Ascii && skipFirstBox_->isChecked();
    request.map = fieldMap();
    request.formats = session_.valueFormats();
    for (int slot = 1; slot <= FieldCount; ++slot)
        request.displayNames[size_t(slot - 1)] = session_.displayName(slot);
    request.progress = [this](uint64_t imported) {
        if ((imported & 63) != 0) return;
        countLabel_->setText(QString::number(imported));
        countLabel_->repaint();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    result_ = transfer::importRecords(session_.table(), request);
    QApplication::restoreOverrideCursor();
    countLabel_->setText(QString::number(result_.imported));
    if (result_.imported > 0) session_.notifyRecordsChanged();
    Prompts& prompts = Prompts::instance();
    if (result_.ok)
        prompts.message(this, QStringLiteral("Ok"), transfer::importCompleteMessage(result_), Prompts::Ok,
                        Prompts::Ok, Prompts::Icon::Information);
    else
        prompts.error(this, transfer::importStoppedMessage(result_));
    accept();
}

ImportFormatDialog::ImportFormatDialog(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session) {
    setObjectName(QStringLiteral("ImportFormat"));
    setWindowTitle(QStringLiteral("Import Format"));
    setFixedSize(300, 150);
    auto* group = new QGroupBox(QStringLiteral("Import File Type"), this);
    group->setGeometry(12, 10, 276, 76);
    asciiButton_ = new QRadioButton(QStringLiteral("Ascii Delimited File"), group);
    asciiButton_->setGeometry(12, 22, 250, 22);
    dbaseButton_ = new QRadioButton(QStringLiteral("DBase File (DBF)"), group);
    dbaseButton_->setGeometry(12, 46, 250, 22);
    if (session.database().importFileType == int(transfer::FileKind::DBase))
        dbaseButton_->setChecked(true);
    else
        asciiButton_->setChecked(true);
    fileButton_ = new QPushButton(QStringLiteral("Select &File"), this);
    fileButton_->setGeometry(30, 100, 110, 30);
    fileButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setGeometry(160, 100, 110, 30);
    connect(fileButton_, &QPushButton::clicked, this, &ImportFormatDialog::chooseFile);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void ImportFormatDialog::done(int result) {
    session_.database().importFileType =
        int(dbaseButton_->isChecked() ? transfer::FileKind::DBase : transfer::FileKind::Ascii);
    DialogBase::done(result);
}

void ImportFormatDialog::chooseFile() {
    Prompts& prompts = Prompts::instance();
    const QString folder = session_.program().lastImportFile;
    if (asciiButton_->isChecked()) {
        const QString path = prompts.openFile(this, QStringLiteral("Import Data"),
                                              QStringLiteral("Ascii Delimited Text (*.TXT *.txt)"),
                                              QStringLiteral("TXT"), folder);
        if (path.isEmpty()) return;
        session_.program().lastImportFile = path;
        const transfer::FirstLine first = transfer::readFirstLine(path);
        if (first.code != transfer::FirstLine::Ok) {
            prompts.error(this, transfer::firstLineMessage(first));
            return;
        }
        runImportWindow(transfer::FileKind::Ascii, path, first.names);
        return;
    }
    const QString path =
        prompts.openFile(this, QStringLiteral("Import Data"), QStringLiteral("DBase  (*.DBF *.dbf)"),
                         QStringLiteral("DBF"), folder);
    if (path.isEmpty()) return;
    session_.program().lastImportFile = path;
    if (!transfer::hasDbfExtension(path)) {
        prompts.error(this, transfer::invalidImportFileTypeMessage());
        return;
    }
    const transfer::SourceFields fields = transfer::readDbfFields(path);
    if (!fields.ok) {
        prompts.error(this, fields.error);
        return;
    }
    if (fields.totalFields > transfer::MaxImportFields)
        prompts.notice(this, transfer::tooManyDbfFieldsMessage(fields.totalFields));
    runImportWindow(transfer::FileKind::DBase, path, fields.names);
}

void ImportFormatDialog::runImportWindow(transfer::FileKind kind, const QString& path,
                                         const QStringList& names) {
    ImportWindow window(session_, kind, path, names, this);
    importWindow_ = &window;
    window.exec();
    importWindow_ = nullptr;
    accept(); // closing the import window closes this one too
}
