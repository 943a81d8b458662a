#pragma once
// Backup and restore: one kind of file per run (the open catalogue table, its data lists, its
// database settings file, or the report layouts QLNVID.URP), copied from where it is in use to a
// folder the user picks, or from a backup folder into the program folder.
//
// A run reports its messages, in order, through the reporter (caption "Error", "Warning" or
// "Notice" and the text); the window shows them in message boxes, the batch tool prints them.
// What a run needs of the program around it (the open table, the search, the data lists and
// settings in memory, making a restored table the open database) it asks of its BackupHost.
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

class Session;

namespace backup {

enum class Kind { Table, Lists, Settings, Layouts };

// How a run ended. Done and Partial ran to their end (a restore of data lists that missed some
// files is Partial); Refused changed nothing; Failed stopped at a copy that did not complete.
enum class Outcome { Done, Partial, Refused, Failed };
inline bool ranToEnd(Outcome o) {
    return o == Outcome::Done || o == Outcome::Partial;
}

struct Message {
    QString caption; // "Error", "Warning", "Notice"
    QString text;
};
using Reporter = std::function<void(const Message&)>;

// The program around a run.
class BackupHost {
public:
    virtual ~BackupHost() = default;
    // The open catalogue table (D) and the program folder (P).
    virtual QString tablePath() const = 0;
    virtual QString programFolder() const = 0;
    // Ends a search in force for the run; true when one was on. resumeSearch sets it again.
    virtual bool endSearch() { return false; }
    virtual void resumeSearch() {}
    // Lets go of the main table, and opens it again (shared, with the viewer options re-applied).
    // reopenTable returns the problems met.
    virtual void closeTable() {}
    virtual QStringList reopenTable() { return {}; }
    // Writes the data lists / the database settings in memory to their files; reads them again.
    virtual QStringList saveLists() { return {}; }
    virtual QStringList saveSettings() { return {}; }
    virtual QStringList reloadLists() { return {}; }
    virtual QStringList reloadSettings() { return {}; }
    // Makes the restored table at path the open database, its index NewIndex built afresh.
    virtual QStringList openRestoredTable(const QString& path) = 0;
    // The report layouts file was replaced.
    virtual void layoutsRestored() {}
};

// A run in the program: the Session's open catalogue. The main window passes what only it
// owns: ending and resuming its search, and the switch to a restored table (defaults: no
// search; Session::switchCatalogue).
class SessionHost : public BackupHost {
public:
    struct Hooks {
        std::function<bool()> endSearch;
        std::function<void()> resumeSearch;
        std::function<void(const QString& path)> openCatalogue; // shows its own problems
    };
    explicit SessionHost(Session& session, Hooks hooks = {});

    QString tablePath() const override;
    QString programFolder() const override;
    bool endSearch() override;
    void resumeSearch() override;
    void closeTable() override;
    QStringList reopenTable() override;
    QStringList saveLists() override;
    QStringList saveSettings() override;
    QStringList reloadLists() override;
    QStringList reloadSettings() override;
    QStringList openRestoredTable(const QString& path) override;

private:
    Session& session_;
    Hooks hooks_;
};

// A run of the batch tool: nothing is open. For a backup the table is the FILE named; for a
// restore it is the table of the chosen file's name in the program folder. A restored table
// gets its NewIndex from the sort levels of its own settings file.
class FilesHost : public BackupHost {
public:
    FilesHost(const QString& tablePath, const QString& programFolder);
    QString tablePath() const override { return table_; }
    QString programFolder() const override { return folder_; }
    QStringList openRestoredTable(const QString& path) override;

private:
    QString table_;
    QString folder_;
};

class BackupRun {
public:
    BackupRun(BackupHost& host, Reporter reporter);

    // Copies the chosen kind of file from where it is in use into folder (F).
    Outcome backup(Kind kind, const QString& folder);
    // Copies the chosen kind of file from the folder of chosenFile into the program folder.
    // For the table chosenFile is the table; for data lists and settings it is a table file in
    // the backup folder (its folder, and for settings its name, are used); for layouts a file
    // in the backup folder.
    Outcome restore(Kind kind, const QString& chosenFile);

    // The free space probe (statvfs); tests replace it to try the room check.
    void setFreeSpaceProbe(std::function<qint64(const QString& folder)> probe) {
        freeSpace_ = std::move(probe);
    }

private:
    using Step = Outcome (BackupRun::*)(const QString&);
    // The backup and the restore of a kind.
    static std::pair<Step, Step> steps(Kind kind);

    Outcome backupTable(const QString& folder);
    Outcome backupLists(const QString& folder);
    Outcome backupSettings(const QString& folder);
    Outcome backupLayouts(const QString& folder);
    Outcome restoreTable(const QString& chosen);
    Outcome restoreLists(const QString& chosen);
    Outcome restoreSettings(const QString& chosen);
    Outcome restoreLayouts(const QString& chosen);

    bool roomFor(const QString& source, const QString& destination) const;
    void error(const QString& text);
    void errors(const QStringList& problems);
    void warning(const QString& text);
    void notice(const QString& text);
    void copyFailed(const QString& message, const QString& reason);
    // Copies source over destination; a failure is shown with failedMessage and the reason.
    bool copyOrSay(const QString& source, const QString& destination, const QString& failedMessage);

    BackupHost& host_;
    Reporter report_;
    std::function<qint64(const QString&)> freeSpace_;
};

// The report layouts file of the program and of a backup.
inline constexpr const char* kLayoutsFile = "QLNVID.URP";

// The messages of backup and restore.
QString backupIdenticalMessage();  // database, lists, settings
QString layoutsIdenticalMessage(); // report layouts
QString backupInUseMessage();
QString backupNoRoomMessage();
QString layoutsNoRoomMessage();
QString backupFailedMessage();
QString backupDoneMessage();
QString restoreIdenticalMessage();
QString restoreInUseMessage();
QString restoreNoRoomMessage();
QString restoreFailedMessage();
QString restoreDoneMessage();
QString missingFileMessage(const QString& fileName); // a data list or settings file
QString listsRestoredMessage();
QString listsPartlyRestoredMessage();
QString settingsRestoredMessage();
QString layoutsMissingMessage();

// The list file extension of a list number: ".001" ... ".017".
QString listExtension(int number);

} // namespace backup
