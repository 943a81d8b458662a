#include "backup/ui/restorewindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QVBoxLayout>

#include "backup/ui/backupwindow.h"
#include "widgets/prompts.h"

namespace backup {

namespace {

QString lastRestoreFolder;

struct SourceDialog {
    const char* title;
    const char* filter;
    const char* suffix;
    const char* fileName; // preset in the dialog, or nullptr
};

SourceDialog sourceDialog(Kind kind) {
    switch (kind) {
    case Kind::Table:
        return {"Restore Database File", "DBase Files (*.DBF *.dbf)", "DBF", nullptr};
    case Kind::Lists:
        return {"Restore Data List Files", "DBase Files (*.DBF *.dbf)", "DBF", nullptr};
    case Kind::Settings:
        return {"Restore Configuration File", "DBase Files (*.DBF *.dbf)", "DBF", nullptr};
    case Kind::Layouts:
        return {"Restore URP File", "Reports Files (*.URP *.urp)", "URP", kLayoutsFile};
    }
    return {"", "", "", nullptr};
}

} // namespace

RestoreWindow::RestoreWindow(Session& session, SessionHost::Hooks hooks, QWidget* parent)
    : RunWindow(session, std::move(hooks), parent) {
    setObjectName(QStringLiteral("MyRestore"));
    setWindowTitle(QStringLiteral("Restore"));
    QGroupBox* what = buildKinds(
        QStringLiteral("What To Restore"), {"RestoreDBF", "RestoreLST", "RestoreURP", "RestoreINI"},
        {"&Database File (*.DBF)", "Data &Lists of a Database (*.0xx)", "Global &Report Definitions (*.URP)",
         "Config &File of a Database (*.INI)"});
    auto* main = new QVBoxLayout(this);
    main->addWidget(what);
    main->addSpacing(8);
    buildButtons(main, QStringLiteral("&Start Restore"));
}

void RestoreWindow::startClicked() {
    const Kind kind = chosenKind();
    const SourceDialog d = sourceDialog(kind);
    // The dialog opens where the last backup or restore of this run was, else in the home folder.
    QString folder = !lastRestoreFolder.isEmpty()                  ? lastRestoreFolder
                     : !BackupWindow::lastBackupFolder().isEmpty() ? BackupWindow::lastBackupFolder()
                                                                   : QDir::homePath();
    if (d.fileName) folder = QDir(folder).filePath(QString::fromLatin1(d.fileName));
    const QString chosen =
        Prompts::instance().openFile(this, QString::fromLatin1(d.title), QString::fromLatin1(d.filter),
                                     QString::fromLatin1(d.suffix), folder);
    if (chosen.isEmpty()) return;
    lastRestoreFolder = QFileInfo(chosen).absolutePath();
    run([&](BackupRun& r) { return r.restore(kind, chosen); });
}

} // namespace backup
