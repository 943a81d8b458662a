#pragma once
// The main window: owns the run's Session (the open catalogue, both settings files, the data
// lists, fonts, scale and formats), shows the catalogue in the viewer grid with the record
// navigator and the record count, and opens every other window modally from its menus, its speed
// bar and its lettered buttons.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "catalogue/session.h"
#include "find/searchstate.h"
#include "shell/mainlayout.h"
#include "widgets/recordnavigator.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QWidget;
class LocateCommand;
class RecordEditor;
enum class EditorMode;
struct Command;
struct ExclusiveRun;
class ViewerGrid;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Runs the whole program start. arguments: the command line without the program name.
    explicit MainWindow(const QStringList& arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when the program could not start (no catalogue could be created or chosen); the
    // caller ends the program at once.
    bool startedOk() const { return startedOk_; }

    Session& session() { return *session_; }

    // Enables the commands by the command table's rules for the state in force (browse mode,
    // search on) and the button-bar mode.
    void updateCommandStates();

    // Operations other windows call.
    void showOpenCatalogue();  // everything that depends on the open catalogue
    void displayCount();       // the record count label
    void applyViewerOptions(); // the viewer configuration on the grid
    void applyButtonBar();     // the button-bar mode of the program settings
    void endSearch();          // ends a running search

    // Finding: the search window, locate and search and replace.
    void search();
    void locate();
    void locateNext();
    void searchAndReplace();
    // The search-on state shown: the three End Search controls and the "SEARCH ON" label.
    void enableEndSearch();
    void disableEndSearch();
    // The End Search command and the search sign follow the search in force after a window that
    // may have set or ended it.
    void showSearchState();
    SearchState& searchState() { return search_; }

    // File commands.
    void newCatalogue();
    void openCatalogue();
    // Opens a catalogue file as File > Open does after its dialog: the extension and format
    // checks with their messages, then the switch. The command line's FILE comes here too.
    void openCatalogueFile(const QString& path);
    void openRecentFile(int entry); // recently used entry 1..5
    void fillRecentFilesMenu();
    void updateDatabase();
    void packCatalogue();
    void rebuildIndex();
    void chooseSortOrder();
    void offerConversion();
    void showReports();   // the report window: reports to preview, printer or text file, and labels
    void importRecords(); // the import format window, then the import window
    void exportRecords(); // the export window
    void backupData();    // the backup window
    void restoreData();   // the restore window

    // Appearance: the viewer configuration, and the colours of a window group (1 main, 2 edit,
    // 3 search, 4 report, 5 configure) or of all five (6).
    void configureViewer();
    void configureColors(int target);
    void applyMainColors(); // the main window's colour set on the main window

    // Record commands.
    void addClicked();
    void editClicked();
    void copyClicked();
    void deleteClicked();

    // For tests and the windows: a menu item by its object name ("MenuAdd", "MenuSize800" ...).
    QAction* action(const QString& name) const;
    ButtonBarMode buttonBarMode() const;
    RecordNavigator* navigator() const { return navigator_; }
    QWidget* speedBar() const { return speedBar_; }
    QToolButton* speedButton(const QString& hint) const;                      // by its hint ("Add Record")
    QPushButton* letteredButton(int index) const { return lettered_[index]; } // 0..9
    QLabel* countLabel() const { return countLabel_; }
    QLabel* searchOnLabel() const { return searchOnLabel_; }
    QWidget* centralArea() const { return central_; }
    ViewerGrid* viewerGrid() const { return grid_; }
    int windowSizeInForce() const { return sizeInForce_; }

    // Sets the screen size as the Screen Size menu does (the screen is the primary screen's).
    void chooseScreenSize(int size);
    void chooseButtonBar(ButtonBarMode mode);
    void chooseDateFormat(int code);
    void toggleLeadingZeros();
    void chooseCurrencyFormat(int choice); // USFormat or SystemFormat
    void chooseNumericFormat(int choice);

    // Commands of the Options and Help menus.
    enum UserFont { LabelFont, EditFont, ButtonFont };
    void chooseFont(UserFont which);
    void showHelpContents();
    void showTips();
    void showAbout();
    void saveDefaultLists();
    void loadDefaultLists();
    void maintainList(int listNumber);

    // The screen size the checks use; tests set a smaller one.
    void setScreenSizeForChecks(const QSize& size) { screenForChecks_ = size; }

    // Switches to another catalogue (the steps shared by New, Open and the recently used list).
    // isNew: the catalogue was just created (default lists and template settings).
    void switchDatabase(const QString& path, bool isNew);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What is wrong with the table at path as a catalogue, or empty when it is one.
    QString formatProblem(const QString& path) const;
    // Start-up steps.
    bool chooseStartDatabase();
    void openStartDatabase();
    bool forceValidDatabase(const QString& problem);
    bool openDatabaseDialog(); // false when the dialog was cancelled
    void applyWindowPlacement();
    void applyScreenSize();
    void applyRegionalMenus();
    void applyBrowseMode();

    // Building the window.
    void buildMenus();
    void buildSpeedBar();
    void buildLetteredButtons();
    void buildCentralArea();
    void layoutCentral();
    void setCaptionFor(const QString& path);

    // Handlers.
    void navigatorClicked(RecordNavigator::Button button);
    void showEditor(EditorMode mode);
    bool formatCheck(const QString& path, bool showMessage);
    void reportProblem(const QString& text);
    void applyUserFontsToWindow();
    void reopenShared();
    void exclusiveOperation(const QString& question, ExclusiveRun (*run)(const QString&),
                            const QString& inUseMessage);
    void saveOpenDatabase();
    QString dialogFolder() const;
    void createViewerGrid();
    QWidget* gridWidget() const;

    std::unique_ptr<Session> session_;
    SearchState search_;
    std::unique_ptr<LocateCommand> locate_;
    bool startedOk_ = true;
    bool databaseValid_ = true;      // false while the start-up found no catalogue
    bool startFromSettings_ = false; // the start catalogue is the settings' last database
    bool tipsShown_ = false;
    bool shownOnce_ = false;
    int sizeInForce_ = 640;
    QSize screenForChecks_;

    // Menus and items: one item per row of the command table.
    std::vector<std::pair<const Command*, QAction*>> commands_;
    std::vector<QMenu*> submenus_;
    std::array<QAction*, 5> lastFileItems_{};
    QAction* lastFilesSeparator_ = nullptr;
    std::array<QAction*, 4> sizeItems_{};
    std::array<QAction*, 3> barItems_{};
    std::array<QAction*, 12> dateItems_{};
    QAction* leadingZerosItem_ = nullptr;
    std::array<QAction*, 2> currencyItems_{};
    std::array<QAction*, 2> numericItems_{};

    // Central area.
    QWidget* central_ = nullptr;
    QWidget* speedBar_ = nullptr;
    std::vector<std::pair<QToolButton*, QAction*>> speedButtons_;
    std::array<QPushButton*, 10> lettered_{};
    std::array<QAction*, 10> letteredTwins_{};
    QLabel* navigationLabel_ = nullptr;
    RecordNavigator* navigator_ = nullptr;
    QFrame* viewerFrame_ = nullptr;
    QLabel* viewerLabel_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* videosLabel_ = nullptr;
    QLabel* searchOnLabel_ = nullptr;
    ViewerGrid* grid_ = nullptr;
    RecordEditor* editor_ = nullptr;
};
