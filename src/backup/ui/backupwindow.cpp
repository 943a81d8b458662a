#include "backup/ui/backupwindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include "backup/filecopy.h"
#include "base/paths.h"
#include "catalogue/session.h"
#include "widgets/prompts.h"

namespace backup {

namespace {

QString lastFolder;

// The mount point of the file system holding a folder.
QString driveOf(const QString& folder) {
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.rootPath() : QStringLiteral("/");
}

} // namespace

QString freeSpaceText(qint64 bytes, const QString& drive) {
    if (bytes < 0) return QStringLiteral("Free space of %1 unknown").arg(drive);
    return QStringLiteral("%1 free on %2").arg(QLocale::system().formattedDataSize(bytes), drive);
}

QString BackupWindow::lastBackupFolder() {
    return lastFolder;
}

BackupWindow::BackupWindow(Session& session, SessionHost::Hooks hooks, QWidget* parent)
    : RunWindow(session, std::move(hooks), parent) {
    setObjectName(QStringLiteral("MyBackup"));
    setWindowTitle(QStringLiteral("Backup"));

    QGroupBox* what =
        buildKinds(QStringLiteral("What To Back Up"), {"BackDBF", "BackLST", "BackURP", "BackINI"},
                   {"Current &Database (*.DBF)", "Data &Lists of Current Database (*.0xx)",
                    "Global &Report Definitions (*.URP)", "Config &File of Current Database (*.INI)"});

    auto* where = new QGroupBox(QStringLiteral("Where To Back Up To"), this);
    drives_ = new QComboBox(where);
    drives_->setObjectName(QStringLiteral("DriveBox"));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        drives_->addItem(volume.rootPath(), volume.rootPath());
    }
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QStringLiteral("/"));
    tree_ = new QTreeView(where);
    tree_->setObjectName(QStringLiteral("DirBox"));
    tree_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->setHeaderHidden(true);
    tree_->setMinimumSize(420, 240);
    folderEdit_ = new QLineEdit(where);
    folderEdit_->setObjectName(QStringLiteral("FolderEdit"));
    free_ = new QLabel(where);
    free_->setObjectName(QStringLiteral("FreeSpace"));

    auto* driveRow = new QHBoxLayout;
    auto* driveLabel = new QLabel(QStringLiteral("Dri&ve:"), where);
    driveLabel->setBuddy(drives_);
    driveRow->addWidget(driveLabel);
    driveRow->addWidget(drives_, 1);
    auto* folderRow = new QHBoxLayout;
    auto* folderLabel = new QLabel(QStringLiteral("F&older:"), where);
    folderLabel->setBuddy(folderEdit_);
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(folderEdit_, 1);
    auto* whereLayout = new QVBoxLayout(where);
    whereLayout->addLayout(driveRow);
    whereLayout->addWidget(tree_, 1);
    whereLayout->addLayout(folderRow);
    whereLayout->addWidget(free_);

    auto* main = new QVBoxLayout(this);
    main->addWidget(what);
    main->addWidget(where, 1);
    buildButtons(main, QStringLiteral("&Start Back Up"));

    connect(drives_, &QComboBox::activated, this, &BackupWindow::driveChosen);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) showFolder(model_->filePath(current));
            });
    connect(folderEdit_, &QLineEdit::editingFinished, this, [this] {
        // Leaving the box takes what was typed; Enter is handled with the start (eventFilter).
        if (!folderEdit_->hasFocus()) folderTyped();
    });
    folderEdit_->installEventFilter(this);

    chooseFolder(ProgramPaths::programFolder());
}

BackupWindow::~BackupWindow() {
    // The folder box loses its focus while the window goes away: that is no folder typed.
    folderEdit_->removeEventFilter(this);
    disconnect(folderEdit_, nullptr, this, nullptr);
}

QString BackupWindow::chosenFolder() const {
    return folder_;
}

// Shows a folder as the chosen one: its drive in the drive box, the tree on it, its path and
// the free space of its file system.
void BackupWindow::showFolder(const QString& folder) {
    folder_ = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString drive = driveOf(folder_);
    const int driveIndex = drives_->findData(drive);
    if (driveIndex >= 0) drives_->setCurrentIndex(driveIndex);
    if (!folderEdit_->hasFocus() || folderEdit_->text() != folder_) folderEdit_->setText(folder_);
    free_->setText(freeSpaceText(freeSpace(folder_), drive));
}

void BackupWindow::chooseFolder(const QString& folder) {
    showFolder(folder);
    const QModelIndex index = model_->index(folder_);
    if (index.isValid()) {
        tree_->setRootIndex(model_->index(driveOf(folder_)));
        tree_->setCurrentIndex(index);
        tree_->scrollTo(index);
        tree_->expand(index);
    }
}

void BackupWindow::driveChosen(int index) {
    const QString drive = drives_->itemData(index).toString();
    if (!drive.isEmpty()) chooseFolder(drive);
}

// A folder typed into the folder box becomes the chosen one when it exists.
bool BackupWindow::folderTyped() {
    const QString typed = folderEdit_->text().trimmed();
    if (typed.isEmpty() || QDir::cleanPath(typed) == folder_) return true;
    if (!QFileInfo(typed).isDir()) {
        Prompts::instance().error(this, QStringLiteral("The folder \"%1\" does not exist.").arg(typed));
        folderEdit_->setText(folder_);
        folderEdit_->selectAll();
        return false;
    }
    chooseFolder(typed);
    return true;
}

// Enter in the folder box starts the backup, unless the typed folder does not exist.
bool BackupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == folderEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !folderTyped()) return true;
    }
    return RunWindow::eventFilter(watched, event);
}

void BackupWindow::startClicked() {
    if (!folderTyped()) return;
    const QString folder = folder_;
    if (!QFileInfo(folder).isDir()) {
        Prompts::instance().error(this, QStringLiteral("The folder \"%1\" does not exist.").arg(folder));
        return;
    }
    const Kind kind = chosenKind();
    const Outcome outcome = run([&](BackupRun& r) { return r.backup(kind, folder); });
    if (outcome == Outcome::Done) lastFolder = folder;
    free_->setText(freeSpaceText(freeSpace(folder), driveOf(folder)));
}

} // namespace backup
