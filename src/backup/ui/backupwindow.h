#pragma once
// The backup window: one kind of file per run (the open table, its data lists, the report
// layouts, its settings file) copied to a folder chosen in a folder tree. The drive box lists the
// file systems; choosing one shows its folders. Both start on the program folder, and the free
// space of the file system holding the chosen folder is shown beneath.
#include "backup/ui/runwindow.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;

namespace backup {

class BackupWindow : public RunWindow {
    Q_OBJECT
public:
    BackupWindow(Session& session, SessionHost::Hooks hooks = {}, QWidget* parent = nullptr);
    ~BackupWindow() override;

    // The folder the next backup goes to (F).
    QString chosenFolder() const;
    void chooseFolder(const QString& folder);

    QComboBox* driveBox() const { return drives_; }
    QTreeView* folderTree() const { return tree_; }
    QLineEdit* folderEdit() const { return folderEdit_; }
    QLabel* freeSpaceLabel() const { return free_; }

    // The last folder a backup went to in this run of the program (the restore window starts there).
    static QString lastBackupFolder();

protected:
    void startClicked() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void driveChosen(int index);
    // Takes a folder typed into the folder box; false (after saying so) when it does not exist.
    bool folderTyped();
    void showFolder(const QString& folder);

    QComboBox* drives_ = nullptr;
    QTreeView* tree_ = nullptr;
    QFileSystemModel* model_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QLabel* free_ = nullptr;
    QString folder_;
};

// The free space as the window shows it: "12.3 GB free on /home".
QString freeSpaceText(qint64 bytes, const QString& drive);

} // namespace backup
