#include "shell/mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

#include "base/paths.h"
#include "base/recentfiles.h"
#include "base/screensize.h"
#include "catalogue/catalogue.h"
#include "catalogue/sortorder.h"
#include "catalogue/viewermodel.h"
#include "editor/ui/listmaintenance.h"
#include "editor/ui/recordeditor.h"
#include "shell/aboutdialog.h"
#include "shell/tipofthedaydialog.h"
#include "widgets/dialogbase.h"
#include "widgets/helpwindow.h"
#include "widgets/icons.h"
#include "widgets/prompts.h"
#include "widgets/viewergrid.h"

namespace {

const char* const kLetteredCaptions[10] = {"Add",      "Edit",    "Copy",   "Delete", "Search",
                                           "End Srch", "Reports", "Viewer", "Help",   "Exit"};

// The List Maintenance items: caption and list number.
struct ListItem {
    const char* caption;
    int list;
};
const ListItem kListItems[] = {
    {"&Stars", DataLists::Stars},
    {"&Producer", DataLists::Producer},
    {"&Director", DataLists::Director},
    {"&Released By", DataLists::ReleasedBy},
    {"Ra&ting", DataLists::Rating},
    {"Cate&gory", DataLists::Category},
    {"Perso&nal Rating", DataLists::PersonalRating},
    {"P&icture", DataLists::Picture},
    {"So&und", DataLists::Sound},
    {"&Format", DataLists::Format},
    {"R&ecord Speed", DataLists::RecordSpeed},
    {"&Content", DataLists::Content},
    {"&Laser Format", DataLists::LaserFormat},
    {"&Oscars", DataLists::OscarNames},
    {"Chec&k Out Person", DataLists::CheckoutPerson},
    {"&Where Purchased", DataLists::WherePurchased},
    {"&Miscellaneous", DataLists::Miscellaneous},
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Program start

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), session_(std::make_unique<Session>()) {
    setObjectName(QStringLiteral("Main"));
    if (QScreen* screen = QGuiApplication::primaryScreen()) screenForChecks_ = screen->size();

    buildMenus();
    buildCentralArea();

    // Caption, End Search unavailable until a search runs.
    setWindowTitle(QStringLiteral("Quillon Videos 97"));
    action(QStringLiteral("MenuEndSearch"))->setEnabled(false);

    // Program folder (created when missing) and start folder.
    session_->setStartFolder(QDir::currentPath());
    ProgramPaths::programFolder();

    // Program settings; place and size the window.
    QString error;
    if (!session_->loadProgramSettings(&error)) reportProblem(error);
    applyWindowPlacement();

    // Sort expression, date format and the regional menu ticks.
    session_->setSortExpression(sortExpression(session_->database().sortLevels));
    session_->applyDateFormat();

    // The catalogue to start with, checked or replaced by a valid one.
    if (!chooseStartDatabase()) {
        startedOk_ = false;
        return;
    }
    if (formatCheck(session_->currentDatabase(), false)) {
        openStartDatabase();
    } else if (!forceValidDatabase()) {
        startedOk_ = false;
        return;
    }

    // Button bar, screen size and regional formats.
    applyButtonBar();
    applyScreenSize();
    session_->regional() = RegionalValues::fromLocale();
    applyRegionalMenus();

    // Recently used databases, older catalogues.
    fillRecentFilesMenu();
    offerConversion();

    // Command line: /BROWSE starts in browse mode.
    if (!arguments.isEmpty() && arguments.first().toUpper() == QLatin1String("/BROWSE")) applyBrowseMode();
    updateCommandStates();

    // The record editor lives for the whole run and is shown for each record command; it loads
    // the data lists of the open catalogue and opens read-only in browse mode.
    editor_ = new RecordEditor(*session_, this);
}

MainWindow::~MainWindow() {
    session_->closeTable();
}

bool MainWindow::chooseStartDatabase() {
    QString path = session_->program().lastDatabase;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        path = ProgramPaths::masterTable();
        if (!QFileInfo::exists(path)) {
            const NewTable made = createCatalogue(path);
            if (!made.ok) {
                Prompts::instance().error(
                    this, made.message.isEmpty()
                              ? QStringLiteral("The database \"%1\" could not be created.").arg(path)
                              : made.message);
                return false;
            }
        }
    }
    session_->setCurrentDatabase(QFileInfo(path).absoluteFilePath());
    return true;
}

// Step 8 on success: point the main table at the catalogue, read its settings, choose the index.
void MainWindow::openStartDatabase() {
    Session& s = *session_;
    s.closeTable();
    setCaptionFor(s.currentDatabase());
    QString error;
    if (!s.loadDatabaseSettings(&error)) reportProblem(error);
    s.setSortExpression(sortExpression(s.database().sortLevels));
    try {
        s.openTable(dbase::OpenMode::Shared);
        applySortExpression(s.table(), s.sortExpression(), SortApply::StartUp);
        s.table().first(); // the viewer starts on the first record of the order in force
    } catch (const dbase::DbError& e) {
        // The order could not be set (the index is damaged or the table is held): record order,
        // the table stays usable and Rebuild Indexes can repair it.
        reportProblem(QString::fromUtf8(e.what()));
        if (!s.table().isOpen()) {
            try {
                s.openTable(dbase::OpenMode::Shared);
            } catch (const dbase::DbError& e2) {
                reportProblem(QString::fromUtf8(e2.what()));
            }
        }
    }
}

// The last database is no catalogue: the user opens databases until a valid one is open.
bool MainWindow::forceValidDatabase() {
    Prompts::instance().error(
        this, QStringLiteral("The last database used as recorded in the INI file is not a valid "
                             "Quillon Videos 97 file.  You will need to choose a new file."));
    databaseValid_ = false;
    for (;;) {
        const bool chosen = openDatabaseDialog();
        if (formatCheck(session_->currentDatabase(), true)) {
            databaseValid_ = true;
            return true;
        }
        // Without a catalogue the program cannot run: a cancelled dialog lets the user leave.
        if (!chosen && Prompts::instance().message(
                           this, QStringLiteral("Confirm"),
                           QStringLiteral("No valid Quillon Videos 97 database is open.  "
                                          "Do you want to end the program?"),
                           Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) == Prompts::Yes)
            return false;
    }
}

void MainWindow::applyWindowPlacement() {
    ProgramSettings& p = session_->program();
    // Sizes that no window can have (garbage in the file) fall back to the defaults, and a window
    // placed off every screen comes back to the corner, so the window is always reachable.
    if (p.mainWindowWidth < 200 || p.mainWindowWidth > 20000) p.mainWindowWidth = 640;
    if (p.mainWindowHeight < 150 || p.mainWindowHeight > 20000) p.mainWindowHeight = 480;
    QPoint topLeft(p.mainWindowLeft, p.mainWindowTop);
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->virtualGeometry().adjusted(-100, -100, -40, -40).contains(topLeft)) onScreen = true;
    if (!onScreen && !QGuiApplication::screens().isEmpty()) topLeft = QPoint(0, 0);
    resize(p.mainWindowWidth, p.mainWindowHeight);
    move(topLeft);
}

// The scale of the stored screen size when this screen can show it, else 640 x 480.
void MainWindow::applyScreenSize() {
    const int stored = session_->program().windowSize;
    sizeInForce_ = screensize::effective(stored, screenForChecks_);
    session_->setScreenScale(screensize::scaleFor(sizeInForce_));
    for (int i = 0; i < 4; ++i)
        sizeItems_[i]->setChecked(screensize::Sizes[i] == sizeInForce_);
}

void MainWindow::chooseScreenSize(int size) {
    const int index = screensize::indexOf(size);
    if (index < 0 || size == sizeInForce_) {
        if (index >= 0) sizeItems_[index]->setChecked(true);
        return;
    }
    if (!screensize::supports(screenForChecks_, size)) {
        Prompts::instance().error(this, screensize::unsupportedMessage(size));
        for (int i = 0; i < 4; ++i)
            sizeItems_[i]->setChecked(screensize::Sizes[i] == sizeInForce_);
        return;
    }
    for (int i = 0; i < 4; ++i)
        sizeItems_[i]->setChecked(i == index);
    sizeInForce_ = size;
    session_->program().windowSize = size;
    session_->setScreenScale(screensize::scaleFor(size));
}

void MainWindow::applyRegionalMenus() {
    const ProgramSettings& p = session_->program();
    for (int c = 1; c <= 12; ++c)
        dateItems_[c - 1]->setChecked(c == p.dateFormat);
    leadingZerosItem_->setChecked(p.dateLeadingZeros);
    currencyItems_[0]->setChecked(p.currencyFormat == USFormat);
    currencyItems_[1]->setChecked(p.currencyFormat == SystemFormat);
    numericItems_[0]->setChecked(p.numericFormat == USFormat);
    numericItems_[1]->setChecked(p.numericFormat == SystemFormat);
}

void MainWindow::chooseDateFormat(int code) {
    ProgramSettings& p = session_->program();
    if (code == p.dateFormat) {
        dateItems_[code - 1]->setChecked(true);
        return;
    }
    p.dateFormat = code;
    for (int c = 1; c <= 12; ++c)
        dateItems_[c - 1]->setChecked(c == code);
    session_->applyDateFormat();
    session_->notifyDisplayFormatsChanged();
}

void MainWindow::toggleLeadingZeros() {
    ProgramSettings& p = session_->program();
    p.dateLeadingZeros = !p.dateLeadingZeros;
    leadingZerosItem_->setChecked(p.dateLeadingZeros);
    session_->applyDateFormat();
    session_->notifyDisplayFormatsChanged();
}

// Step 14: browse mode.
void MainWindow::applyBrowseMode() {
    session_->setBrowseMode(true);
    rememberedFieldEditing_ = session_->database().fieldEditing;
    session_->database().fieldEditing = false;
    navigator_->setBrowseMode(true);
}

// ---------------------------------------------------------------------------------------------
// Menus, speed bar, lettered buttons

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption,
                             const QKeySequence& key) {
    auto* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    actions_.push_back(a);
    return a;
}

QAction* MainWindow::action(const QString& name) const {
    for (QAction* a : actions_)
        if (a->objectName() == name) return a;
    return nullptr;
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto ctrl = [](Qt::Key k) { return QKeySequence(Qt::CTRL | k); };
    const auto shift = [](Qt::Key k) { return QKeySequence(Qt::SHIFT | k); };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    connect(addItem(file, "MenuNew", "&New Database", ctrl(Qt::Key_W)), &QAction::triggered, this,
            &MainWindow::newCatalogue);
    connect(addItem(file, "MenuOpen", "&Open Database", ctrl(Qt::Key_O)), &QAction::triggered, this,
            &MainWindow::openCatalogue);
    connect(addItem(file, "MenuUpdate", "&Update Database", ctrl(Qt::Key_Z)), &QAction::triggered, this,
            &MainWindow::updateDatabase);
    file->addSeparator();
    addItem(file, "MenuBackup", "&Back Up Data", ctrl(Qt::Key_B));
    addItem(file, "MenuRestore", "&Restore Data", ctrl(Qt::Key_Y));
    file->addSeparator();
    addItem(file, "MenuPrint", "&Print", ctrl(Qt::Key_P));
    file->addSeparator();
    connect(addItem(file, "MenuExit", "E&xit", ctrl(Qt::Key_X)), &QAction::triggered, this, &QWidget::close);
    lastFilesSeparator_ = file->addSeparator();
    for (int i = 0; i < 5; ++i) {
        QAction* a =
            addItem(file, QStringLiteral("MenuLastFile%1").arg(i + 1), QStringLiteral("&%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, i] { openRecentFile(i + 1); });
        lastFileItems_[i] = a;
    }

    QMenu* records = bar->addMenu(QStringLiteral("&Records"));
    connect(addItem(records, "MenuAdd", "&Add", ctrl(Qt::Key_A)), &QAction::triggered, this,
            &MainWindow::addClicked);
    connect(addItem(records, "MenuEdit", "&Edit", ctrl(Qt::Key_E)), &QAction::triggered, this,
            &MainWindow::editClicked);
    connect(addItem(records, "MenuCopy", "&Copy", ctrl(Qt::Key_C)), &QAction::triggered, this,
            &MainWindow::copyClicked);
    connect(addItem(records, "MenuDelete", "&Delete", ctrl(Qt::Key_D)), &QAction::triggered, this,
            &MainWindow::deleteClicked);
    records->addSeparator();
    addItem(records, "MenuImport", "&Import", ctrl(Qt::Key_M));
    addItem(records, "MenuExport", "E&xport", ctrl(Qt::Key_T));

    QMenu* navigate = bar->addMenu(QStringLiteral("Navi&gate"));
    addItem(navigate, "MenuSearch", "&Search (Query)", ctrl(Qt::Key_S));
    connect(addItem(navigate, "MenuEndSearch", "&End Search", ctrl(Qt::Key_I)), &QAction::triggered, this,
            &MainWindow::endSearch);
    addItem(navigate, "MenuLocate", "&Locate", ctrl(Qt::Key_L));
    addItem(navigate, "MenuLocateNext", "Locate &Next", ctrl(Qt::Key_N));
    addItem(navigate, "MenuReports", "&Reports", ctrl(Qt::Key_R));
    addItem(navigate, "MenuViewer", "&Viewer", ctrl(Qt::Key_V));

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    connect(addItem(options, "MenuSortOrder", "Sort &Order", ctrl(Qt::Key_Q)), &QAction::triggered, this,
            &MainWindow::chooseSortOrder);
    QMenu* sizes = options->addMenu(QStringLiteral("Screen Si&ze"));
    const Qt::Key sizeKeys[4] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
    for (int i = 0; i < 4; ++i) {
        const int size = screensize::Sizes[i];
        const QSize need = screensize::needed(size);
        QAction* a =
            addItem(sizes, QStringLiteral("MenuSize%1").arg(size),
                    QStringLiteral("%1 x %2").arg(need.width()).arg(need.height()), shift(sizeKeys[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, size] { chooseScreenSize(size); });
        sizeItems_[i] = a;
    }
    QMenu* access = options->addMenu(QStringLiteral("&Screen Access"));
    const char* barNames[3] = {"MenuSpeedButtons", "MenuLetteredButtons", "MenuNoButtons"};
    const char* barCaptions[3] = {"&Speed Buttons", "&Lettered Buttons", "&None"};
    const Qt::Key barKeys[3] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3};
    for (int i = 0; i < 3; ++i) {
        QAction* a = addItem(access, barNames[i], barCaptions[i], ctrl(barKeys[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this,
                [this, i] { chooseButtonBar(static_cast<ButtonBarMode>(i + 1)); });
        barItems_[i] = a;
    }
    QMenu* color = options->addMenu(QStringLiteral("&Color"));
    addItem(color, "MenuMainColor", "&Main Window Color", ctrl(Qt::Key_F4));
    addItem(color, "MenuEditColor", "&Edit Window Color", ctrl(Qt::Key_F5));
    addItem(color, "MenuSearchColor", "&Search Window Color", ctrl(Qt::Key_F6));
    addItem(color, "MenuReportColor", "&Report Window Color", ctrl(Qt::Key_F7));
    addItem(color, "MenuConfigureColor", "&Configure Window Color", ctrl(Qt::Key_F8));
    color->addSeparator();
    addItem(color, "MenuAllColor", "&ALL Windows Color", ctrl(Qt::Key_F9));
    listMenu_ = options->addMenu(QStringLiteral("List &Maintenance"));
    listMenu_->menuAction()->setObjectName(QStringLiteral("MenuListMaintenance"));
    actions_.push_back(listMenu_->menuAction());
    connect(addItem(listMenu_, "MenuSaveDefaults", "Sa&ve As Defaults"), &QAction::triggered, this,
            &MainWindow::saveDefaultLists);
    connect(addItem(listMenu_, "MenuLoadDefaults", "Lo&ad In Defaults"), &QAction::triggered, this,
            &MainWindow::loadDefaultLists);
    listMenu_->addSeparator();
    for (const ListItem& item : kListItems) {
        const int list = item.list;
        QAction* a = addItem(listMenu_, QStringLiteral("MenuMaintainList%1").arg(list), item.caption);
        connect(a, &QAction::triggered, this, [this, list] { maintainList(list); });
    }
    QMenu* currency = options->addMenu(QStringLiteral("C&urrency Format"));
    currencyItems_[0] = addItem(currency, "MenuCurrencyUS", "&U.S. Dollars");
    currencyItems_[1] = addItem(currency, "MenuCurrencySystem", "&Windows Setting");
    QMenu* numeric = options->addMenu(QStringLiteral("&Numeric Format"));
    numericItems_[0] = addItem(numeric, "MenuNumericUS", "&U.S. Format");
    numericItems_[1] = addItem(numeric, "MenuNumericSystem", "&Windows Setting");
    for (int i = 0; i < 2; ++i) {
        const int choice = i + 1;
        currencyItems_[i]->setCheckable(true);
        numericItems_[i]->setCheckable(true);
        connect(currencyItems_[i], &QAction::triggered, this, [this, choice] {
            session_->program().currencyFormat = choice;
            currencyItems_[0]->setChecked(choice == USFormat);
            currencyItems_[1]->setChecked(choice == SystemFormat);
            session_->notifyDisplayFormatsChanged();
        });
        connect(numericItems_[i], &QAction::triggered, this, [this, choice] {
            session_->program().numericFormat = choice;
            numericItems_[0]->setChecked(choice == USFormat);
            numericItems_[1]->setChecked(choice == SystemFormat);
            session_->notifyDisplayFormatsChanged();
        });
    }
    QMenu* date = options->addMenu(QStringLiteral("&Date Format"));
    leadingZerosItem_ = addItem(date, "MenuLeadingZeros", "&Leading Zeros");
    leadingZerosItem_->setCheckable(true);
    connect(leadingZerosItem_, &QAction::triggered, this, &MainWindow::toggleLeadingZeros);
    date->addSeparator();
    for (int c = 1; c <= 12; ++c) {
        QAction* a = addItem(date, QStringLiteral("MenuDateFormat%1").arg(c), DateFormat::menuCaption(c));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, c] { chooseDateFormat(c); });
        dateItems_[c - 1] = a;
    }
    options->addSeparator();
    connect(addItem(options, "MenuLabelFont", "&Label Font", shift(Qt::Key_F8)), &QAction::triggered, this,
            [this] { chooseFont(0); });
    connect(addItem(options, "MenuEditFont", "&Edit Font", shift(Qt::Key_F9)), &QAction::triggered, this,
            [this] { chooseFont(1); });
    connect(addItem(options, "MenuButtonFont", "&Button Font", shift(Qt::Key_F10)), &QAction::triggered, this,
            [this] { chooseFont(2); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    addItem(tools, "MenuSearchReplace", "&Search and Replace", ctrl(Qt::Key_F));
    connect(addItem(tools, "MenuRebuild", "&Rebuild Indexes"), &QAction::triggered, this,
            &MainWindow::rebuildIndex);
    connect(addItem(tools, "MenuPack", "&Pack Database"), &QAction::triggered, this,
            &MainWindow::packCatalogue);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    connect(addItem(help, "MenuHelpContents", "&Contents", ctrl(Qt::Key_H)), &QAction::triggered, this,
            &MainWindow::showHelpContents);
    connect(addItem(help, "MenuTips", "&Review \"Tips of the Day\""), &QAction::triggered, this,
            &MainWindow::showTips);
    connect(addItem(help, "MenuAbout", "&About"), &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::addSpeedButton(const QString& hint, const QString& icon, QAction* twin) {
    auto* b = new QToolButton(speedBar_);
    b->setObjectName(QStringLiteral("Speed%1").arg(speedButtons_.size()));
    b->setIcon(themedIcon(icon));
    b->setIconSize(QSize(20, 20));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    const int i = int(speedButtons_.size());
    b->setGeometry(4 + i * 24, 4, 24, 24);
    connect(b, &QToolButton::clicked, twin, &QAction::trigger);
    speedButtons_.emplace_back(b, twin);
}

QToolButton* MainWindow::speedButton(const QString& hint) const {
    for (const auto& [button, twin] : speedButtons_)
        if (button->toolTip() == hint) return button;
    return nullptr;
}

void MainWindow::buildSpeedBar() {
    speedBar_ = new QFrame(central_);
    speedBar_->setObjectName(QStringLiteral("SpeedBar"));
    static_cast<QFrame*>(speedBar_)->setFrameShape(QFrame::NoFrame);
    const struct {
        const char* hint;
        const char* icon;
        const char* twin;
    } buttons[] = {
        {"Add Record", "list-add", "MenuAdd"},
        {"Edit Record", "document-edit", "MenuEdit"},
        {"Copy Record", "edit-copy", "MenuCopy"},
        {"Delete Record", "edit-delete", "MenuDelete"},
        {"Search Records", "system-search", "MenuSearch"},
        {"End Search", "process-stop", "MenuEndSearch"},
        {"Reports", "document-print", "MenuReports"},
        {"Viewer Configuration", "preferences-system-windows", "MenuViewer"},
        {"Import Records", "document-import", "MenuImport"},
        {"Export Records", "document-export", "MenuExport"},
        {"Help", "help-browser", "MenuHelpContents"},
        {"Open Database", "document-open", "MenuOpen"},
        {"New Database", "document-new", "MenuNew"},
        {"Color Setup", "preferences-desktop-theme", "MenuAllColor"},
        {"Set Sorting Order", "view-sort-ascending", "MenuSortOrder"},
        {"Locate Record", "edit-find", "MenuLocate"},
        {"Locate Next Record", "edit-find-next", "MenuLocateNext"},
    };
    for (const auto& b : buttons)
        addSpeedButton(QString::fromLatin1(b.hint), QString::fromLatin1(b.icon),
                       action(QString::fromLatin1(b.twin)));
}

void MainWindow::buildLetteredButtons() {
    const char* twins[10] = {"MenuAdd",       "MenuEdit",    "MenuCopy",   "MenuDelete",       "MenuSearch",
                             "MenuEndSearch", "MenuReports", "MenuViewer", "MenuHelpContents", "MenuExit"};
    for (int i = 0; i < 10; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(kLetteredCaptions[i]), central_);
        b->setObjectName(QStringLiteral("Lettered%1").arg(i));
        b->setGeometry(4 + i * 63, 3, 62, 40);
        b->setFocusPolicy(Qt::NoFocus);
        QAction* twin = action(QString::fromLatin1(twins[i]));
        connect(b, &QPushButton::clicked, twin, &QAction::trigger);
        lettered_[i] = b;
    }
    navigationLabel_ = new QLabel(QStringLiteral("Navigation Controls"), central_);
    navigationLabel_->setObjectName(QStringLiteral("NavigationLabel"));
    navigationLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void MainWindow::buildCentralArea() {
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("MainArea"));
    setCentralWidget(central_);
    central_->installEventFilter(this);

    viewerFrame_ = new QFrame(central_);
    viewerFrame_->setObjectName(QStringLiteral("ViewerFrame"));
    viewerFrame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    buildSpeedBar();
    buildLetteredButtons();

    viewerLabel_ = new QLabel(QStringLiteral("Video Viewer"), central_);
    viewerLabel_->setObjectName(QStringLiteral("ViewerLabel"));
    QFont titleFont = viewerLabel_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    viewerLabel_->setFont(titleFont);
    viewerLabel_->adjustSize();
    look::markMajorTitle(viewerLabel_);

    countLabel_ = new QLabel(QStringLiteral("0"), central_);
    countLabel_->setObjectName(QStringLiteral("CountLabel"));
    QFont bold = countLabel_->font();
    bold.setBold(true);
    countLabel_->setFont(bold);
    videosLabel_ = new QLabel(QStringLiteral("Videos"), central_);
    videosLabel_->setObjectName(QStringLiteral("VideosLabel"));
    searchOnLabel_ = new QLabel(QStringLiteral("SEARCH ON"), central_);
    searchOnLabel_->setObjectName(QStringLiteral("SearchOnLabel"));
    searchOnLabel_->setFont(bold);
    searchOnLabel_->setStyleSheet(QStringLiteral("color: #c00000;"));
    searchOnLabel_->hide();

    navigator_ = new RecordNavigator(central_);
    connect(navigator_, &RecordNavigator::clicked, this, &MainWindow::navigatorClicked);

    createViewerGrid();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == central_ && event->type() == QEvent::Resize) layoutCentral();
    return QMainWindow::eventFilter(watched, event);
}

ButtonBarMode MainWindow::buttonBarMode() const {
    const int mode = session_->program().buttonBar;
    return mode == 2 ? ButtonBarMode::Lettered : mode == 3 ? ButtonBarMode::None : ButtonBarMode::Speed;
}

// Places every part of the central area by the layout table of the button-bar mode.
void MainWindow::layoutCentral() {
    const int W = central_->width();
    const int H = central_->height();
    const ButtonBarMode mode = buttonBarMode();
    const MainLayout l = mainLayoutFor(mode, W, H);
    speedBar_->setGeometry(0, 0, W, 32);
    // A window narrower than the navigator's place narrows the navigator, so no button is cut off.
    QRect nav = l.navigator;
    if (nav.right() > W - 3) nav.setWidth(std::max(4 * 16, W - 3 - nav.left()));
    navigator_->setGeometry(nav);
    navigationLabel_->setGeometry(l.navigator.left() - 156, l.navigator.top(), 150, l.navigator.height());
    viewerFrame_->setGeometry(l.viewerFrame);
    viewerLabel_->adjustSize();
    viewerLabel_->move((W - viewerLabel_->width()) / 2, l.viewerLabelTop);
    countLabel_->setGeometry(14, l.countTop, 100, videosLabel_->sizeHint().height());
    videosLabel_->setGeometry(14, l.videosTop, 100, videosLabel_->sizeHint().height());
    searchOnLabel_->adjustSize();
    searchOnLabel_->move(120, l.searchOnTop);
    gridWidget()->setGeometry(l.viewerGrid);
    viewerFrame_->lower();
    navigator_->raise();
}

void MainWindow::applyButtonBar() {
    const ButtonBarMode mode = buttonBarMode();
    speedBar_->setVisible(mode == ButtonBarMode::Speed);
    for (QPushButton* b : lettered_)
        b->setVisible(mode == ButtonBarMode::Lettered);
    navigationLabel_->setVisible(mode == ButtonBarMode::Lettered);
    for (int i = 0; i < 3; ++i)
        barItems_[i]->setChecked(i + 1 == static_cast<int>(mode));
    layoutCentral();
    updateCommandStates();
}

void MainWindow::chooseButtonBar(ButtonBarMode mode) {
    session_->program().buttonBar = static_cast<int>(mode);
    applyButtonBar();
}

// Which commands are available: browse mode, the search state, and the button-bar mode.
void MainWindow::updateCommandStates() {
    const bool browse = session_->browseMode();
    const bool search = session_->searchOn();
    const auto set = [this](const char* name, bool on) { action(QString::fromLatin1(name))->setEnabled(on); };

    set("MenuAdd", !browse);
    set("MenuCopy", !browse);
    set("MenuDelete", !browse);
    set("MenuEndSearch", search);
    set("MenuListMaintenance", !browse);
    // Commands whose windows the program does not have yet stay visible and unavailable.
    for (const char* later :
         {"MenuBackup", "MenuRestore", "MenuPrint", "MenuImport", "MenuExport", "MenuSearch", "MenuLocate",
          "MenuLocateNext", "MenuReports", "MenuViewer", "MenuMainColor", "MenuEditColor", "MenuSearchColor",
          "MenuReportColor", "MenuConfigureColor", "MenuAllColor", "MenuSearchReplace"})
        set(later, false);

    const ButtonBarMode mode = buttonBarMode();
    for (const auto& [button, twin] : speedButtons_)
        button->setEnabled(mode == ButtonBarMode::Speed && twin->isEnabled());
    const char* twins[10] = {"MenuAdd",       "MenuEdit",    "MenuCopy",   "MenuDelete",       "MenuSearch",
                             "MenuEndSearch", "MenuReports", "MenuViewer", "MenuHelpContents", "MenuExit"};
    for (int i = 0; i < 10; ++i)
        lettered_[i]->setEnabled(mode == ButtonBarMode::Lettered &&
                                 action(QString::fromLatin1(twins[i]))->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// Showing, activation, end

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        showOpenCatalogue();
        // Ask for the focus, so that the window becomes active (and the tip of the day appears)
        // also on a desktop without a window manager.
        QMetaObject::invokeMethod(
            this, [this] { activateWindow(); }, Qt::QueuedConnection);
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !tipsShown_) {
        // The tip of the day at the first activation after start-up.
        tipsShown_ = true;
        if (session_->program().showTips)
            QMetaObject::invokeMethod(this, &MainWindow::showTips, Qt::QueuedConnection);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Session& s = *session_;
    if (s.searchOn()) endSearch();
    ProgramSettings& p = s.program();
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : QRect(pos(), size());
    p.mainWindowLeft = normal.left();
    p.mainWindowTop = normal.top();
    p.mainWindowWidth = normal.width();
    p.mainWindowHeight = normal.height();
    p.lastDatabase = s.currentDatabase();
    if (s.browseMode()) s.database().fieldEditing = rememberedFieldEditing_;
    QString error;
    if (!s.saveProgramSettings(&error)) reportProblem(error);
    if (databaseValid_ && !s.saveDatabaseSettings(&error)) reportProblem(error);
    if (s.browseMode()) s.database().fieldEditing = false;
    event->accept();
}

void MainWindow::reportProblem(const QString& text) {
    if (!text.isEmpty()) Prompts::instance().error(this, text);
}

void MainWindow::setCaptionFor(const QString& path) {
    setWindowTitle(QStringLiteral("Quillon Videos 97 (%1)").arg(TablePaths::baseName(path)));
}

// ---------------------------------------------------------------------------------------------
// The display of the open catalogue

void MainWindow::applyUserFontsToWindow() {
    DialogLook l = dialogLook(*session_, WindowGroup::Main);
    look::applyUserFonts(central_, l);
}

void MainWindow::showOpenCatalogue() {
    applyUserFontsToWindow();
    applyViewerOptions();
    DialogLook l = dialogLook(*session_, WindowGroup::Main);
    if (l.applyColors) look::applyColors(central_, l.colors);
    displayCount();
}

void MainWindow::displayCount() {
    // The grid's rows are the records the table's cursor visits, so their number is the count.
    // A large catalogue is still being counted just after it opened: the label waits for it.
    const ViewerModel* model = grid_->viewerModel();
    const bool open = session_->table().isOpen();
    if (open && model->isCounting()) {
        countLabel_->setText(QStringLiteral("\u2026"));
        countLabel_->setToolTip(QStringLiteral("Counting the videos"));
    } else {
        countLabel_->setText(QString::number(open ? model->rowCount() : 0));
        countLabel_->setToolTip(QString());
    }
    navigator_->setEditState(false, open && model->rowCount() > 0);
}

void MainWindow::endSearch() {
    if (!session_->searchOn()) return;
    session_->table().clearFilter();
    session_->setSearchOn(false);
    searchOnLabel_->hide();
    updateCommandStates();
    applyViewerOptions();
    displayCount();
}

// ---------------------------------------------------------------------------------------------
// Options and help

void MainWindow::chooseFont(int which) {
    Session& s = *session_;
    const QFont current = which == 0 ? s.labelFont() : which == 1 ? s.editFont() : s.buttonFont();
    const std::optional<QFont> chosen = Prompts::instance().font(this, current);
    if (!chosen) return;
    if (which == 0)
        s.setLabelFont(*chosen);
    else if (which == 1)
        s.setEditFont(*chosen);
    else
        s.setButtonFont(*chosen);
    applyUserFontsToWindow();
    layoutCentral();
}

void MainWindow::showHelpContents() {
    HelpWindow::showHelp(this);
}

void MainWindow::showTips() {
    TipOfTheDayDialog tips(*session_, session_->program().showTips, this);
    tips.exec();
}

void MainWindow::showAbout() {
    AboutDialog about(*session_, this);
    about.exec();
}

void MainWindow::saveDefaultLists() {
    saveListsAsDefaults(*session_, this);
}

void MainWindow::loadDefaultLists() {
    ::loadDefaultLists(*session_, this);
}

void MainWindow::maintainList(int listNumber) {
    editDataList(*session_, listNumber, this);
}

// ---------------------------------------------------------------------------------------------
// The viewer and the record commands

void MainWindow::createViewerGrid() {
    grid_ = new ViewerGrid(session_->table(), central_);
    grid_->setObjectName(QStringLiteral("ViewerGrid"));
    grid_->setDataLists(&session_->lists());
    connect(grid_, &ViewerGrid::editRequested, this, &MainWindow::editClicked);
    connect(grid_, &ViewerGrid::recordsChanged, this, &MainWindow::displayCount);
    connect(session_.get(), &Session::viewerOptionsChanged, this, &MainWindow::applyViewerOptions);
    connect(session_.get(), &Session::recordsChanged, this, [this] {
        grid_->reload();
        displayCount();
    });
    connect(session_.get(), &Session::displayFormatsChanged, this,
            [this] { grid_->setDateFormat(session_->dateFormat()); });
    // A count still running holds the file open: it ends before the table closes.
    connect(session_.get(), &Session::tableClosing, grid_->viewerModel(), &ViewerModel::finishCount);
}

QWidget* MainWindow::gridWidget() const {
    return grid_;
}

void MainWindow::applyViewerOptions() {
    grid_->setDateFormat(session_->dateFormat());
    grid_->reload();
    grid_->applyViewerOptions(session_->database());
}

void MainWindow::navigatorClicked(RecordNavigator::Button button) {
    if (!session_->table().isOpen()) return;
    const int rows = grid_->model()->rowCount();
    const int row = grid_->currentRecordRow();
    switch (button) {
    case RecordNavigator::First:
        if (rows > 0) grid_->selectRow(0);
        break;
    case RecordNavigator::Prior:
        if (row > 0) grid_->selectRow(row - 1);
        break;
    case RecordNavigator::Next:
        if (row + 1 >= rows) grid_->ensureAllRows();
        if (row + 1 < grid_->model()->rowCount()) grid_->selectRow(row + 1);
        break;
    case RecordNavigator::Last:
        grid_->ensureAllRows();
        if (grid_->model()->rowCount() > 0) grid_->selectRow(grid_->model()->rowCount() - 1);
        break;
    case RecordNavigator::Insert:
        addClicked();
        break;
    case RecordNavigator::Delete:
        deleteClicked();
        break;
    case RecordNavigator::Edit:
        editClicked();
        break;
    case RecordNavigator::Post:
    case RecordNavigator::Cancel:
        // Edits in the grid are posted as each cell is left; the record editor posts its own.
        break;
    case RecordNavigator::Refresh:
        try {
            session_->table().refresh();
        } catch (const dbase::DbError& e) {
            reportProblem(QString::fromUtf8(e.what()));
        }
        grid_->reload();
        break;
    default:
        break;
    }
    displayCount();
}

void MainWindow::showEditor(EditorMode mode) {
    if (!session_->table().isOpen()) return;
    session_->setEditorMode(mode);
    // The editor works on the table's current record: the grid's current row.
    const int row = grid_->currentRecordRow();
    if (row >= 0) grid_->selectRow(row);
    editor_->exec();
    grid_->reload();
    grid_->syncToTable();
    displayCount();
}

void MainWindow::addClicked() {
    showEditor(EditorMode::Add);
}
void MainWindow::editClicked() {
    showEditor(EditorMode::Edit);
}
void MainWindow::copyClicked() {
    showEditor(EditorMode::Copy);
}

void MainWindow::deleteClicked() {
    if (session_->browseMode()) return;
    grid_->deleteCurrent();
    displayCount();
}
