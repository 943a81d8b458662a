// The main window's database commands: New, Open, the recently used databases, the switch to
// another catalogue, Update, Pack, Rebuild Indexes, the sort order and the conversion of older
// catalogues.
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "backup/backuprun.h"
#include "backup/ui/backupwindow.h"
#include "backup/ui/restorewindow.h"
#include "base/paths.h"
#include "base/recentfiles.h"
#include "catalogue/catalogue.h"
#include "catalogue/conversion.h"
#include "catalogue/sortorder.h"
#include "catalogue/ui/sortorderdialog.h"
#include "shell/mainwindow.h"
#include "widgets/prompts.h"

namespace {

const QString kFilter = QStringLiteral("Database Files (*.DBF *.dbf)");
const QString kSuffix = QStringLiteral("DBF");

bool hasTableExtension(const QString& path) {
    return path.right(4).toUpper() == QLatin1String(".DBF");
}

QString invalidTypeMessage() {
    return QStringLiteral("Invalid file type selected.");
}

} // namespace

// What is wrong with a file offered as a catalogue: the format check's message, or the engine's
// text when it cannot open the file at all; empty for a valid catalogue.
QString MainWindow::formatProblem(const QString& path) const {
    try {
        const FormatCheck check = checkCatalogueFormat(path);
        return check.ok ? QString() : check.message;
    } catch (const dbase::DbError& e) {
        return QString::fromUtf8(e.what());
    }
}

bool MainWindow::formatCheck(const QString& path, bool showMessage) {
    const QString problem = formatProblem(path);
    if (!problem.isEmpty() && showMessage) Prompts::instance().error(this, problem);
    return problem.isEmpty();
}

QString MainWindow::dialogFolder() const {
    return QFileInfo(session_->currentDatabase()).absolutePath();
}

void MainWindow::newCatalogue() {
    const QString path = Prompts::instance().saveFile(this, QStringLiteral("New Database File"), kFilter,
                                                      kSuffix, dialogFolder(), true);
    if (!path.isEmpty()) {
        endSearch();
        if (!hasTableExtension(path)) {
            Prompts::instance().error(this, invalidTypeMessage());
        } else {
            const QString full = QFileInfo(path).absoluteFilePath();
            const bool replacesOpen = full == session_->currentDatabase();
            if (replacesOpen) {
                // The open catalogue is about to be replaced: its settings and lists are kept
                // first, and the main table lets go of the file.
                saveOpenDatabase();
                session_->closeTable();
                databaseValid_ = false;
            }
            const NewTable made = createCatalogue(full);
            if (made.ok) {
                switchDatabase(full, true);
            } else {
                Prompts::instance().error(this, made.message);
                if (replacesOpen) {
                    databaseValid_ = true;
                    reopenShared();
                }
            }
        }
    }
    displayCount();
}

void MainWindow::openCatalogue() {
    openDatabaseDialog();
}

bool MainWindow::openDatabaseDialog() {
    const QString path = Prompts::instance().openFile(this, QStringLiteral("Open Database File"), kFilter,
                                                      kSuffix, dialogFolder());
    if (path.isEmpty()) return false;
    openCatalogueFile(path);
    return true;
}

void MainWindow::openCatalogueFile(const QString& path) {
    if (!hasTableExtension(path)) {
        Prompts::instance().error(this, invalidTypeMessage());
        return;
    }
    const QFileInfo file(path);
    if (!file.isFile()) {
        Prompts::instance().error(this, QStringLiteral("The database \"%1\" does not exist.").arg(path));
        return;
    }
    if (!formatCheck(path, true)) return;
    switchDatabase(file.absoluteFilePath(), false);
}

void MainWindow::openRecentFile(int entry) {
    if (entry < 1 || entry > recent::Count) return;
    const QString path = session_->program().lastFiles[entry - 1];
    if (path.isEmpty()) return;
    if (!QFileInfo(path).isFile()) {
        Prompts::instance().error(this, QStringLiteral("The database \"%1\" does not exist.").arg(path));
        return;
    }
    if (!formatCheck(path, true)) return;
    switchDatabase(path, false);
}

// Writes the open catalogue's settings file and data lists (before a switch).
void MainWindow::saveOpenDatabase() {
    if (!databaseValid_) return;
    for (const QString& problem : session_->saveCatalogueFiles())
        reportProblem(problem);
}

void MainWindow::switchDatabase(const QString& path, bool isNew) {
    Session& s = *session_;
    endSearch();
    search_.reset();
    const QString previous = s.currentDatabase();
    const bool previousValid = databaseValid_;
    setCaptionFor(path);
    const QStringList problems = s.switchCatalogue(path, isNew, previousValid, QDir::currentPath());
    databaseValid_ = true;
    for (const QString& problem : problems)
        reportProblem(problem);
    s.notifyDatabaseChanged();
    showOpenCatalogue();
    updateCommandStates();
    // The recently used list.
    QStringList list(s.program().lastFiles.begin(), s.program().lastFiles.end());
    recent::updateRecentFiles(list, previous, path);
    if (!previousValid || previous.isEmpty()) {
        // Nothing valid was open before: there is no database to remember.
        list.removeFirst();
        list.append(QString());
    }
    for (int i = 0; i < recent::Count; ++i)
        s.program().lastFiles[i] = list[i];
    fillRecentFilesMenu();
    displayCount();
}

void MainWindow::reopenShared() {
    try {
        session_->openTable(dbase::OpenMode::Shared);
    } catch (const dbase::DbError& e) {
        reportProblem(QString::fromUtf8(e.what()));
    }
}

void MainWindow::fillRecentFilesMenu() {
    const auto& files = session_->program().lastFiles;
    bool any = false;
    for (int i = 0; i < recent::Count; ++i) {
        const bool used = !files[i].isEmpty();
        any = any || used;
        lastFileItems_[i]->setVisible(used);
        if (used) lastFileItems_[i]->setText(recent::menuCaption(i + 1, files[i]));
    }
    lastFilesSeparator_->setVisible(any);
}

// Writes the database settings file and opens the table again; a search in force stays in force
// (the session installs its filter on the reopened table).
void MainWindow::updateDatabase() {
    Session& s = *session_;
    QString error;
    if (!s.saveDatabaseSettings(&error)) reportProblem(error);
    s.closeTable();
    reopenShared();
    searchOnLabel_->setVisible(s.searchOn());
    updateCommandStates();
    s.notifyRecordsChanged();
    applyViewerOptions();
    displayCount();
}

// Pack and Rebuild Indexes: the question, then the core's run on the exclusively opened table
// (the one the batch tool uses), with its message when another program holds the table and the
// engine's reason for any other failure.
void MainWindow::exclusiveOperation(const QString& question, ExclusiveRun (*run)(const QString&),
                                    const QString& inUseMessage) {
    if (!Prompts::instance().confirm(this, question)) return;
    Session& s = *session_;
    s.closeTable();
    const ExclusiveRun result = run(s.currentDatabase());
    reopenShared();
    s.notifyRecordsChanged();
    applyViewerOptions();
    displayCount();
    if (!result.ok) Prompts::instance().error(this, result.inUse ? inUseMessage : result.detail);
}

void MainWindow::packCatalogue() {
    exclusiveOperation(packQuestion(), &packTable, packFailedMessage());
}

void MainWindow::rebuildIndex() {
    exclusiveOperation(reindexQuestion(), &reindexTable, reindexFailedMessage());
}

void MainWindow::chooseSortOrder() {
    SortOrderDialog window(*session_, this);
    window.exec();
    applyViewerOptions();
    displayCount();
}

void MainWindow::offerConversion() {
    const QString folder = ProgramPaths::programFolder();
    bool converted = false;
    for (OldGeneration generation : {OldGeneration::V2, OldGeneration::V1}) {
        const QString old = findOldCatalogue(folder, generation);
        if (old.isEmpty() || !isOldLayout(old, generation)) continue;
        if (Prompts::instance().message(this, QStringLiteral("Convert"), conversionQuestion(generation),
                                        Prompts::Yes | Prompts::No, Prompts::No,
                                        Prompts::Icon::Question) != Prompts::Yes)
            continue;
        const Conversion result = convertOldCatalogue(session_->table(), old, generation);
        converted = converted || result.converted > 0;
        if (!result.ok) reportProblem(result.error);
    }
    if (converted) {
        session_->notifyRecordsChanged();
        displayCount();
    }
}

// Backup and restore: the windows end and resume the search of the main window, and a restored
// table is opened as File > Open opens a catalogue.
namespace {

backup::SessionHost::Hooks backupHooks(MainWindow& w) {
    backup::SessionHost::Hooks h;
    h.endSearch = [&w] {
        const bool wasOn = w.searchState().isOn();
        w.endSearch();
        return wasOn;
    };
    h.resumeSearch = [&w] {
        w.searchState().resume(w.session().table());
        if (w.searchState().isOn()) w.enableEndSearch();
        w.session().notifyRecordsChanged();
    };
    h.openCatalogue = [&w](const QString& path) { w.switchDatabase(path, false); };
    return h;
}

} // namespace

void MainWindow::backupData() {
    {
        backup::BackupWindow window(*session_, backupHooks(*this), this);
        window.exec();
    }
    showOpenCatalogue();
    updateCommandStates();
}

void MainWindow::restoreData() {
    {
        backup::RestoreWindow window(*session_, backupHooks(*this), this);
        window.exec();
    }
    showOpenCatalogue();
    updateCommandStates();
}
