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
class RecordEditor;
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

    // Operations other windows call.
    void showOpenCatalogue();  // everything that depends on the open catalogue
    void displayCount();       // the record count label
    void applyViewerOptions(); // the viewer configuration on the grid
    void applyButtonBar();     // the button-bar mode of the program settings
    void endSearch();          // ends a running search

    // File commands.
    void newCatalogue();
    void openCatalogue();
    void openRecentFile(int entry); // recently used entry 1..5
    void fillRecentFilesMenu();
    void updateDatabase();
    void packCatalogue();
    void rebuildIndex();
    void chooseSortOrder();
    void offerConversion();

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
    // Start-up steps.
    bool chooseStartDatabase();
    void openStartDatabase();
    bool forceValidDatabase();
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
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& key = {});
    void addSpeedButton(const QString& hint, const QString& icon, QAction* twin);
    void layoutCentral();
    void updateCommandStates();
    void setCaptionFor(const QString& path);

    // Handlers.
    void navigatorClicked(RecordNavigator::Button button);
    void showEditor(EditorMode mode);
    void chooseFont(int which);
    void showHelpContents();
    void showTips();
    void showAbout();
    void saveDefaultLists();
    void loadDefaultLists();
    void maintainList(int listNumber);
    bool formatCheck(const QString& path, bool showMessage);
    void reportProblem(const QString& text);
    void applyUserFontsToWindow();
    void reopenShared();
    bool exclusiveOperation(const QString& question, const QString& failure, bool pack);
    void saveOpenDatabase();
    QString dialogFolder() const;
    void createViewerGrid();
    QWidget* gridWidget() const;

    std::unique_ptr<Session> session_;
    bool startedOk_ = true;
    bool databaseValid_ = true; // false while the start-up found no catalogue
    bool tipsShown_ = false;
    bool shownOnce_ = false;
    bool rememberedFieldEditing_ = false;
    int sizeInForce_ = 640;
    QSize screenForChecks_;

    // Menus and items.
    std::vector<QAction*> actions_;
    std::array<QAction*, 5> lastFileItems_{};
    QAction* lastFilesSeparator_ = nullptr;
    std::array<QAction*, 4> sizeItems_{};
    std::array<QAction*, 3> barItems_{};
    std::array<QAction*, 12> dateItems_{};
    QAction* leadingZerosItem_ = nullptr;
    std::array<QAction*, 2> currencyItems_{};
    std::array<QAction*, 2> numericItems_{};
    QMenu* listMenu_ = nullptr;

    // Central area.
    QWidget* central_ = nullptr;
    QWidget* speedBar_ = nullptr;
    std::vector<std::pair<QToolButton*, QAction*>> speedButtons_;
    std::array<QPushButton*, 10> lettered_{};
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
