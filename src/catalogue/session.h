#pragma once
// The state of one run of the program, owned by the main window: the open catalogue table and
// everything that depends on it, the settings of both files, the data lists, the regional
// formats, the user fonts, the screen scale, the colour sets, browse mode and the editor mode.
// Windows receive a Session& and work through it; no window reaches into another window.
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "base/regional.h"
#include "catalogue/datalists.h"
#include "catalogue/fieldvalue.h"
#include "catalogue/settings.h"
#include "dbase/table.h"

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    // MyTable: the main catalogue table, open shared for the whole run.
    dbase::Table& table() { return table_; }
    const dbase::Table& table() const { return table_; }

    // The open catalogue and the files derived from its folder and base name.
    QString currentDatabase() const { return currentDatabase_; } // full path of the open table
    void setCurrentDatabase(const QString& path) { currentDatabase_ = path; }
    QString indexPath() const;    // NAME.MDX
    QString settingsPath() const; // NAME.INI, the database settings file
    QString basePath() const;     // folder and base name without extension (data list files)
    QString baseName() const;     // MASTER for .../MASTER.DBF

    // The current folder when the program started (default of the last import and export files).
    QString startFolder() const { return startFolder_; }
    void setStartFolder(const QString& folder) { startFolder_ = folder; }

    ProgramSettings& program() { return program_; }
    const ProgramSettings& program() const { return program_; }
    DatabaseSettings& database() { return database_; }
    const DatabaseSettings& database() const { return database_; }
    DataLists& lists() { return lists_; }
    const DataLists& lists() const { return lists_; }
    DateFormat& dateFormat() { return dateFormat_; }
    const DateFormat& dateFormat() const { return dateFormat_; }
    // The date and currency formats typed values are read in.
    ValueFormats valueFormats() const { return {dateFormat_, program_.currencyFormat, regional_}; }
    RegionalValues& regional() { return regional_; }
    const RegionalValues& regional() const { return regional_; }

    bool browseMode() const { return browseMode_; }
    void setBrowseMode(bool on) { browseMode_ = on; }

    // The search-on flag: while set, the main table's record filter restricts the records.
    bool searchOn() const { return searchOn_; }
    void setSearchOn(bool on) { searchOn_ = on; }
    // The record filter of the search. While the search is on, every opening of the main table
    // installs it again, so an operation that closes and reopens the table keeps the search.
    using RecordFilter = std::function<bool(const dbase::Table&)>;
    void setSearchFilter(RecordFilter filter) { searchFilter_ = std::move(filter); }
    const RecordFilter& searchFilter() const { return searchFilter_; }

    // Screen scale of dialogs: 1.00, 1.25, 1.60 or 2.00.
    double screenScale() const { return screenScale_; }
    void setScreenScale(double scale) { screenScale_ = scale; }

    // Field display name of a slot (1..40), from the database settings.
    QString displayName(int slot) const;

    // The sort expression in force (built from the four sort levels by sortExpression).
    QString sortExpression() const { return sortExpression_; }
    void setSortExpression(const QString& expression) { sortExpression_ = expression; }

    // Settings files. Each returns false with the reason in *error when a file cannot be read or
    // written; a file that cannot be written keeps its old contents.
    bool loadProgramSettings(QString* error = nullptr);
    bool saveProgramSettings(QString* error = nullptr) const;
    // Reads the settings of the current database (its own file, else the defaults).
    bool loadDatabaseSettings(QString* error = nullptr);
    // Reads the settings of a new database (the template QLNINV.INI in templateFolder, else defaults).
    bool loadNewDatabaseSettings(const QString& templateFolder, QString* error = nullptr);
    bool saveDatabaseSettings(QString* error = nullptr) const;

    // The main table: opens the current database (shared or exclusive) or closes it. The tag
    // NewIndex becomes the active order when there is a sort expression; else record order.
    void openTable(dbase::OpenMode mode = dbase::OpenMode::Shared);
    void closeTable();
    // Called by openTable with the table just opened, before it goes to its first record: a search
    // in force puts its record filter back (a table forgets its filter when it is closed).
    void setTableOpenedHook(std::function<void(dbase::Table&)> hook) { tableOpened_ = std::move(hook); }

    // Writes the open catalogue's settings file and data lists. Returns the problems met (for the
    // caller to show); a file that cannot be written keeps its old contents.
    QStringList saveCatalogueFiles();
    // Switches the run to another catalogue (New, Open, a recently used entry, a restored table):
    // ends a search, writes the open catalogue's settings file and data lists when saveCurrent,
    // makes path the current catalogue and reads its settings and data lists (for a new catalogue
    // the template settings QLNINV.INI of templateFolder and the default lists), builds its sort
    // index unless another program holds the table, and opens it shared. Browse mode stays as it
    // is and is never written into a settings file. Returns the problems met on the way, for the
    // caller to show; the new catalogue is the current one even when there were some.
    QStringList switchCatalogue(const QString& path, bool isNew, bool saveCurrent,
                                const QString& templateFolder);

    // The date format of the program settings in force (code and leading zeros).
    void applyDateFormat();

    // Tells the windows that something they show changed.
    void notifyDatabaseChanged() { emit databaseChanged(); }
    void notifyRecordsChanged() { emit recordsChanged(); }
    void notifyViewerOptionsChanged() { emit viewerOptionsChanged(); }
    void notifyDisplayFormatsChanged() { emit displayFormatsChanged(); }

signals:
    void databaseChanged(); // another catalogue was opened (or created)
    void recordsChanged();  // records were added, changed or deleted
    void viewerOptionsChanged();
    void displayFormatsChanged(); // date, numeric or currency format changed
    // The main table is about to close (or to be opened again): whatever reads the file on the
    // side must stop now.
    void tableClosing();

private:
    dbase::Table table_;
    std::function<void(dbase::Table&)> tableOpened_;
    QString currentDatabase_;
    QString startFolder_;
    ProgramSettings program_;
    DatabaseSettings database_;
    DataLists lists_;
    DateFormat dateFormat_;
    RegionalValues regional_;
    QString sortExpression_;
    bool browseMode_ = false;
    bool searchOn_ = false;
    RecordFilter searchFilter_;
    double screenScale_ = 1.0;
};
