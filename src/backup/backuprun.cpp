#include "backup/backuprun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "backup/filecopy.h"
#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/datalists.h"
#include "catalogue/session.h"
#include "catalogue/settings.h"
#include "catalogue/sortorder.h"
#include "dbase/table.h"

namespace backup {

// ---------------------------------------------------------------------------------------------
// Messages

QString backupIdenticalMessage() {
    return QStringLiteral("Destination File and Source File are identical.  You cannot copy a file  over top "
                          "of itself.  Please choose a different directory/folder to backup to.");
}
QString layoutsIdenticalMessage() {
    return QStringLiteral("Destination File and Source File are identical.  You cannot copy a file  over top "
                          "of itself.  Please choose a different directory to backup to.");
}
QString backupInUseMessage() {
    return QStringLiteral("Backing up the database requires exclusive use of the DBase File.  Make sure that "
                          "the DBase File is not in use by another program  or that no other users are "
                          "running the software or that no other copies of the software are in use.");
}
QString backupNoRoomMessage() {
    return QStringLiteral("There is not enough room on the destination drive to perform a backup.  If you "
                          "are already using blank empty media, then you will need to use the ASCII "
                          "Delimited Import/Export functions for backup and restore purposes.");
}
QString layoutsNoRoomMessage() {
    return QStringLiteral("There is not enough room on the destination drive to backup this file.  You will "
                          "need to free up space on the destination drive or use an alternative method to "
                          "backup the \"QLNVID.URP\" file.");
}
QString backupFailedMessage() {
    return QStringLiteral("An error occurred during backup.  Backup not completed.");
}
QString backupDoneMessage() {
    return QStringLiteral("Backup completed successfully.");
}
QString restoreIdenticalMessage() {
    return QStringLiteral("Destination File and Source File are identical.  You cannot copy a file  over top "
                          "of itself.  Please choose a different directory/folder to restore from.");
}
QString restoreInUseMessage() {
    return QStringLiteral("Unable to restore the database.  Make sure the database is not in use by any "
                          "other users or by another copy of the software.");
}
QString restoreNoRoomMessage() {
    return QStringLiteral("There is not enough room on the destination drive to perform a restore.  You "
                          "will need to free up hard drive space before completing the restore.");
}
QString restoreFailedMessage() {
    return QStringLiteral("An error occurred during restore.  Restore not completed.");
}
QString restoreDoneMessage() {
    return QStringLiteral("Restore completed successfully.");
}
QString missingFileMessage(const QString& fileName) {
    return QStringLiteral("The following file \"") + fileName +
           QStringLiteral("\" could not be located on the specified source drive.");
}
QString listsRestoredMessage() {
    return QStringLiteral("ALL proper \"Data List\" files restored successfully.");
}
QString listsPartlyRestoredMessage() {
    return QStringLiteral(
        "One or more files were not restored.  Restore may not have completed successfully.");
}
QString settingsRestoredMessage() {
    return QStringLiteral("Configuration File restored successfully.");
}
QString layoutsMissingMessage() {
    return QStringLiteral("The Report Definitions file \"QLNVID.URP\" could not be  located on the specified "
                          "source drive.");
}

QString listExtension(int number) {
    return QStringLiteral(".%1").arg(number, 3, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------------------------
// Hosts

SessionHost::SessionHost(Session& session, Hooks hooks) : session_(session), hooks_(std::move(hooks)) {}

QString SessionHost::tablePath() const {
    return session_.currentDatabase();
}

QString SessionHost::programFolder() const {
    return ProgramPaths::programFolder();
}

bool SessionHost::endSearch() {
    return hooks_.endSearch ? hooks_.endSearch() : false;
}

void SessionHost::resumeSearch() {
    if (hooks_.resumeSearch) hooks_.resumeSearch();
}

void SessionHost::closeTable() {
    session_.closeTable();
}

QStringList SessionHost::reopenTable() {
    QStringList problems;
    try {
        session_.openTable(dbase::OpenMode::Shared);
    } catch (const dbase::DbError& e) {
        problems << QString::fromUtf8(e.what());
    }
    session_.notifyRecordsChanged();
    session_.notifyViewerOptionsChanged();
    return problems;
}

QStringList SessionHost::saveLists() {
    QString error;
    if (session_.lists().saveAllLists(session_.currentDatabase(), &error)) return {};
    return {error};
}

QStringList SessionHost::saveSettings() {
    QString error;
    if (session_.saveDatabaseSettings(&error)) return {};
    return {error};
}

QStringList SessionHost::reloadLists() {
    QString error;
    if (session_.lists().loadAllLists(session_.currentDatabase(), &error)) return {};
    return {error};
}

// The restored settings come into force: fonts, viewer options and colours at once, and a sort
// order that differs from the one in force rebuilds NewIndex (unless another program holds the
// table, when the order in force stays until the next opening of the catalogue).
QStringList SessionHost::reloadSettings() {
    QStringList problems;
    QString error;
    if (!session_.loadDatabaseSettings(&error)) problems << error;
    const QString expression = sortExpression(session_.database().sortLevels);
    if (expression != session_.sortExpression()) {
        session_.closeTable();
        if (!isTableInUse(session_.currentDatabase())) {
            try {
                session_.setSortExpression(expression);
                session_.openTable(dbase::OpenMode::Exclusive);
                applySortExpression(session_.table(), expression, SortApply::Rebuild);
            } catch (const dbase::DbError& e) {
                problems << QString::fromUtf8(e.what());
            }
            session_.closeTable();
        }
        problems << reopenTable();
    }
    session_.notifyViewerOptionsChanged();
    session_.notifyDisplayFormatsChanged();
    return problems;
}

QStringList SessionHost::openRestoredTable(const QString& path) {
    if (hooks_.openCatalogue) {
        hooks_.openCatalogue(path);
        return {};
    }
    QStringList problems = session_.switchCatalogue(path, false, true, QDir::currentPath());
    session_.notifyDatabaseChanged();
    return problems;
}

FilesHost::FilesHost(const QString& tablePath, const QString& programFolder)
    : table_(QFileInfo(tablePath).absoluteFilePath()), folder_(QFileInfo(programFolder).absoluteFilePath()) {}

QStringList FilesHost::openRestoredTable(const QString& path) {
    DatabaseSettings settings;
    QString error;
    QStringList problems;
    if (!settings.loadForTable(path, ProgramPaths::programSettingsFile(), &error)) problems << error;
    try {
        dbase::Table table;
        table.open(enginePath(path), dbase::OpenMode::Exclusive);
        applySortExpression(table, sortExpression(settings.sortLevels), SortApply::Rebuild);
        table.close();
    } catch (const dbase::DbError& e) {
        problems << QString::fromUtf8(e.what());
    }
    return problems;
}

// ---------------------------------------------------------------------------------------------
// The runs

namespace {

qint64 sizeOf(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

// The companion of a table (found ignoring case) in another folder: folder/NAME.ext.
QString companionIn(const QString& folder, const QString& tableFileName, const QString& extension) {
    return TablePaths::companionPath(QDir(folder).absoluteFilePath(tableFileName), extension);
}

} // namespace

BackupRun::BackupRun(BackupHost& host, Reporter reporter)
    : host_(host), report_(std::move(reporter)), freeSpace_(&backup::freeSpace) {}

void BackupRun::error(const QString& text) {
    if (report_ && !text.isEmpty()) report_({QStringLiteral("Error"), text});
}

void BackupRun::errors(const QStringList& problems) {
    for (const QString& p : problems)
        error(p);
}

void BackupRun::warning(const QString& text) {
    if (report_) report_({QStringLiteral("Warning"), text});
}

void BackupRun::notice(const QString& text) {
    if (report_) report_({QStringLiteral("Notice"), text});
}

// The message of a copy that did not complete, with the system's reason below it.
bool BackupRun::copyOrSay(const QString& source, const QString& destination, const QString& failedMessage) {
    const CopyResult copied = copyFile(source, destination);
    if (!copied.ok) copyFailed(failedMessage, copied.error);
    return copied.ok;
}

void BackupRun::copyFailed(const QString& message, const QString& reason) {
    error(reason.isEmpty() ? message : message + QStringLiteral("\n\n") + reason);
}

bool BackupRun::roomFor(const QString& source, const QString& destination) const {
    return hasRoom(freeSpace_(folderOf(destination)), sizeOf(source), sizeOf(destination));
}

std::pair<BackupRun::Step, BackupRun::Step> BackupRun::steps(Kind kind) {
    switch (kind) {
    case Kind::Table:
        return {&BackupRun::backupTable, &BackupRun::restoreTable};
    case Kind::Lists:
        return {&BackupRun::backupLists, &BackupRun::restoreLists};
    case Kind::Settings:
        return {&BackupRun::backupSettings, &BackupRun::restoreSettings};
    case Kind::Layouts:
        break;
    }
    return {&BackupRun::backupLayouts, &BackupRun::restoreLayouts};
}

Outcome BackupRun::backup(Kind kind, const QString& folder) {
    return (this->*steps(kind).first)(QFileInfo(folder).absoluteFilePath());
}

Outcome BackupRun::restore(Kind kind, const QString& chosenFile) {
    return (this->*steps(kind).second)(QFileInfo(chosenFile).absoluteFilePath());
}

Outcome BackupRun::backupTable(const QString& folder) {
    const QString source = host_.tablePath();
    const QString destination = fileInFolder(folder, fileNameOf(source));
    if (sameFile(source, destination)) {
        error(backupIdenticalMessage());
        return Outcome::Refused;
    }
    const bool searchWasOn = host_.endSearch();
    auto reopen = [&] {
        const QStringList problems = host_.reopenTable();
        if (searchWasOn) host_.resumeSearch();
        errors(problems);
    };
    // The table is held for exclusive use until the copy is complete: no other program changes
    // it half way through.
    host_.closeTable();
    ExclusiveUse use;
    if (use.take(source) != ExclusiveUse::Result::Taken) {
        reopen();
        error(backupInUseMessage());
        return Outcome::Refused;
    }
    if (!roomFor(source, destination)) {
        use.release();
        reopen();
        error(backupNoRoomMessage());
        return Outcome::Refused;
    }
    const CopyResult copied = copyFile(source, destination);
    use.release();
    reopen();
    if (!copied.ok) {
        copyFailed(backupFailedMessage(), copied.error);
        return Outcome::Failed;
    }
    notice(backupDoneMessage());
    return Outcome::Done;
}

Outcome BackupRun::backupLists(const QString& folder) {
    // The lists in memory go to their files first, so that the backup holds what the user sees.
    const QStringList problems = host_.saveLists();
    if (!problems.isEmpty()) {
        errors(problems);
        return Outcome::Failed;
    }
    const QString table = host_.tablePath();
    for (int number = 1; number <= DataLists::ListCount; ++number) {
        const QString source = TablePaths::companionPath(table, listExtension(number));
        if (!QFileInfo(source).isFile()) continue;
        const QString destination = fileInFolder(folder, fileNameOf(source));
        if (sameFile(source, destination)) {
            error(backupIdenticalMessage());
            return Outcome::Refused;
        }
        if (!copyOrSay(source, destination, backupFailedMessage())) return Outcome::Failed;
    }
    notice(backupDoneMessage());
    return Outcome::Done;
}

Outcome BackupRun::backupSettings(const QString& folder) {
    const QStringList problems = host_.saveSettings();
    if (!problems.isEmpty()) {
        errors(problems);
        return Outcome::Failed;
    }
    const QString source = TablePaths::settingsPath(host_.tablePath());
    // The settings were just written: a missing file means they could not be, and nothing was
    // backed up.
    if (!QFileInfo(source).isFile()) {
        copyFailed(backupFailedMessage(), QStringLiteral("%1 does not exist").arg(source));
        return Outcome::Failed;
    }
    const QString destination = fileInFolder(folder, fileNameOf(source));
    if (sameFile(source, destination)) {
        error(backupIdenticalMessage());
        return Outcome::Refused;
    }
    if (!copyOrSay(source, destination, backupFailedMessage())) return Outcome::Failed;
    notice(backupDoneMessage());
    return Outcome::Done;
}

Outcome BackupRun::backupLayouts(const QString& folder) {
    const QString name = QString::fromLatin1(kLayoutsFile);
    const QString source = fileInFolder(host_.programFolder(), name);
    const QString destination = fileInFolder(folder, name);
    if (sameFile(source, destination)) {
        error(layoutsIdenticalMessage());
        return Outcome::Refused;
    }
    if (!roomFor(source, destination)) {
        error(layoutsNoRoomMessage());
        return Outcome::Refused;
    }
    if (!copyOrSay(source, destination, backupFailedMessage())) return Outcome::Failed;
    notice(backupDoneMessage());
    return Outcome::Done;
}

Outcome BackupRun::restoreTable(const QString& chosen) {
    host_.endSearch(); // a restored table is another database: the search is not set again
    const QString open = host_.tablePath();
    if (sameFile(chosen, open)) {
        error(restoreIdenticalMessage());
        return Outcome::Refused;
    }
    const QString destination = fileInFolder(host_.programFolder(), fileNameOf(chosen));
    if (sameFile(chosen, destination)) {
        error(restoreIdenticalMessage());
        return Outcome::Refused;
    }
    try {
        const FormatCheck check = checkCatalogueFormat(chosen);
        if (!check.ok) {
            error(check.message);
            return Outcome::Refused;
        }
    } catch (const dbase::DbError& e) {
        error(QString::fromUtf8(e.what()));
        return Outcome::Refused;
    }

    // A table about to be replaced is taken for exclusive use first: the open one (closed by
    // this program first) or any other table of that name that another program may hold.
    bool closed = false;
    auto reopen = [&] {
        if (closed) errors(host_.reopenTable());
    };
    ExclusiveUse use;
    if (QFileInfo::exists(destination)) {
        if (sameFile(destination, open)) {
            host_.closeTable();
            closed = true;
        }
        // A damaged table that no program can open may be replaced: that is what a restore is for.
        if (use.take(destination) == ExclusiveUse::Result::HeldElsewhere) {
            reopen();
            error(restoreInUseMessage());
            return Outcome::Refused;
        }
    }
    if (!roomFor(chosen, destination)) {
        use.release();
        reopen();
        error(restoreNoRoomMessage());
        return Outcome::Refused;
    }
    host_.closeTable();
    closed = true;
    // The copy comes without an index: its index flag is cleared before it takes the place of
    // the old table, so that the table never announces an index that is not its own.
    const CopyResult copied =
        copyFile(chosen, destination, [](const QString& copy) { return clearIndexFlag(copy); });
    use.release();
    if (!copied.ok) {
        reopen();
        copyFailed(restoreFailedMessage(), copied.error);
        return Outcome::Failed;
    }
    const QString index = TablePaths::indexPath(destination);
    if (QFileInfo::exists(index) && !QFile::remove(index))
        error(QStringLiteral("%1 could not be deleted.").arg(index));
    errors(host_.openRestoredTable(destination));
    notice(restoreDoneMessage());
    return Outcome::Done;
}

Outcome BackupRun::restoreLists(const QString& chosen) {
    const QString tableName = fileNameOf(host_.tablePath());
    const QString baseName = TablePaths::baseName(host_.tablePath());
    const QString sourceFolder = folderOf(chosen);
    bool missing = false;
    for (int number = 1; number <= DataLists::ListCount; ++number) {
        const QString ext = listExtension(number);
        const QString source = companionIn(sourceFolder, tableName, ext);
        const QString destination = companionIn(host_.programFolder(), tableName, ext);
        if (sameFile(source, destination)) {
            error(restoreIdenticalMessage());
            return Outcome::Refused;
        }
        if (!QFileInfo(source).isFile()) {
            warning(missingFileMessage(baseName + ext));
            missing = true;
            continue;
        }
        if (!copyOrSay(source, destination, restoreFailedMessage())) return Outcome::Failed;
    }
    notice(missing ? listsPartlyRestoredMessage() : listsRestoredMessage());
    errors(host_.reloadLists());
    return missing ? Outcome::Partial : Outcome::Done;
}

Outcome BackupRun::restoreSettings(const QString& chosen) {
    const QString name = fileNameOf(chosen);
    const QString source = companionIn(folderOf(chosen), name, QStringLiteral(".INI"));
    const QString destination = companionIn(host_.programFolder(), name, QStringLiteral(".INI"));
    if (sameFile(source, destination)) {
        error(restoreIdenticalMessage());
        return Outcome::Refused;
    }
    if (!QFileInfo(source).isFile()) {
        warning(missingFileMessage(TablePaths::baseName(chosen) + QStringLiteral(".INI")));
        return Outcome::Refused;
    }
    if (!copyOrSay(source, destination, restoreFailedMessage())) return Outcome::Failed;
    // The settings of the open database come into force; those of another database wait in
    // their file.
    if (sameFile(destination, TablePaths::settingsPath(host_.tablePath()))) errors(host_.reloadSettings());
    notice(settingsRestoredMessage());
    return Outcome::Done;
}

Outcome BackupRun::restoreLayouts(const QString& chosen) {
    const QString name = QString::fromLatin1(kLayoutsFile);
    const QString source = fileInFolder(folderOf(chosen), name);
    const QString destination = fileInFolder(host_.programFolder(), name);
    if (sameFile(source, destination)) {
        error(restoreIdenticalMessage());
        return Outcome::Refused;
    }
    if (!QFileInfo(source).isFile()) {
        error(layoutsMissingMessage());
        return Outcome::Refused;
    }
    if (!roomFor(source, destination)) {
        error(restoreNoRoomMessage());
        return Outcome::Refused;
    }
    if (!copyOrSay(source, destination, restoreFailedMessage())) return Outcome::Failed;
    host_.layoutsRestored();
    notice(restoreDoneMessage());
    return Outcome::Done;
}

} // namespace backup
