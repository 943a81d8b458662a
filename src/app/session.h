#pragma once
// The state of one run of the program, owned by the main window: the open catalogue table and
// everything that depends on it, the settings of both files, the data lists, the regional
// formats, the user fonts, the screen scale, the colour sets, browse mode and the editor mode.
// Windows receive a Session& and work through it; no window reaches into another window.
#include <QFont>
#include <QObject>
#include <QString>
#include <memory>

#include "app/regional.h"
#include "app/settings.h"
#include "dbase/table.h"
#include "editor/datalists.h"

enum class EditorMode { Add = 1, Edit = 2, Copy = 3 };

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    // MyTable: the main catalogue table, open shared for the whole run.
    dbase::Table& table() { return table_; }

    QString currentDatabase() const { return currentDatabase_; }  // full path of the open table
    void setCurrentDatabase(const QString& path) { currentDatabase_ = path; }

    ProgramSettings& program() { return program_; }
    DatabaseSettings& database() { return database_; }
    DataLists& lists() { return lists_; }
    DateFormat& dateFormat() { return dateFormat_; }
    RegionalValues& regional() { return regional_; }

    bool browseMode() const { return browseMode_; }
    void setBrowseMode(bool on) { browseMode_ = on; }
    EditorMode editorMode() const { return editorMode_; }
    void setEditorMode(EditorMode mode) { editorMode_ = mode; }

    // Screen scale of dialogs: 1.00, 1.25, 1.60 or 2.00.
    double screenScale() const { return screenScale_; }
    void setScreenScale(double scale) { screenScale_ = scale; }

    // Field display name of a slot (1..40), from the database settings.
    QString displayName(int slot) const;

signals:
    void databaseChanged();  // another catalogue was opened (or created)
    void recordsChanged();   // records were added, changed or deleted
    void viewerOptionsChanged();

private:
    dbase::Table table_;
    QString currentDatabase_;
    ProgramSettings program_;
    DatabaseSettings database_;
    DataLists lists_;
    DateFormat dateFormat_;
    RegionalValues regional_;
    bool browseMode_ = false;
    EditorMode editorMode_ = EditorMode::Edit;
    double screenScale_ = 1.0;
};
