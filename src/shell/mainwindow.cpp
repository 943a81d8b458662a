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
#include <map>

#include "base/paths.h"
#include "base/programfiles.h"
#include "base/recentfiles.h"
#include "base/screensize.h"
#include "catalogue/catalogue.h"
#include "catalogue/sortorder.h"
#include "catalogue/viewermodel.h"
#include "config/ui/colorconfigwindow.h"
#include "config/ui/viewerconfigwindow.h"
#include "editor/ui/listmaintenance.h"
#include "editor/ui/recordeditor.h"
#include "find/ui/locatedialog.h"
#include "find/ui/searchreplacewindow.h"
#include "find/ui/searchwindow.h"
#include "reports/defaultlayouts.h"
#include "reports/ui/labelrun.h"
#include "reports/ui/reportwindow.h"
#include "shell/aboutdialog.h"
#include "shell/commandline.h"
#include "shell/commandtable.h"
#include "shell/tipofthedaydialog.h"
#include "transfer/ui/exportwindow.h"
#include "transfer/ui/importwindow.h"
#include "widgets/dialogbase.h"
#include "widgets/helpwindow.h"
#include "widgets/icons.h"
#include "widgets/prompts.h"
#include "widgets/viewergrid.h"

// ---------------------------------------------------------------------------------------------
// Program start

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), session_(std::make_unique<Session>()) {
    setObjectName(QStringLiteral("Main"));
    // Whenever the main table is opened again, a search in force stays in force.
    session_->setTableOpenedHook([this](dbase::Table& table) { search_.applyTo(table); });
    locate_ = std::make_unique<LocateCommand>(*session_);
    if (QScreen* screen = QGuiApplication::primaryScreen()) screenForChecks_ = screen->size();

    buildMenus();
    buildCentralArea();

    // Caption; End Search stays unavailable until a search runs (the command table's rule).
    setWindowTitle(QStringLiteral("Quillon Videos 97"));
    updateCommandStates();

    // Program folder (created when missing) and start folder.
    session_->setStartFolder(QDir::currentPath());
    const QString programFolder = ProgramPaths::programFolder();

    // The report layout file: the built-in layouts at first start, older layouts converted.
    for (const QString& problem : reports::prepareLayoutFile(programFolder))
        reportProblem(problem);
    // The files shipped with the program that the program folder lacks (on a first start the
    // default lists, OSCAR.LST, MISC.LST and the help pages); the user's own are never replaced.
    const ProgramFiles::Provided provided =
        ProgramFiles::provideMissing(ProgramFiles::shareFolder(), programFolder);
    if (!provided.problems.isEmpty())
        reportProblem(QStringLiteral("These files could not be copied into the program folder:\n") +
                      provided.problems.join(QLatin1Char('\n')));

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
    const QString problem = formatProblem(session_->currentDatabase());
    if (problem.isEmpty()) {
        openStartDatabase();
    } else if (!forceValidDatabase(problem)) {
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

    // Command line: a catalogue file to open, and /BROWSE for browse mode.
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.file.isEmpty()) openCatalogueFile(line.file);
    if (line.browse) applyBrowseMode();
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
    startFromSettings_ = !path.isEmpty() && QFileInfo(path).isFile();
    if (!startFromSettings_) {
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

// A catalogue that passed the format check at start: point the main table at it, read its
// settings, choose the index.
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

// The start catalogue cannot be used: the message says which file and what is wrong with it, then
// the user opens databases until a valid one is open.
bool MainWindow::forceValidDatabase(const QString& problem) {
    const QString path = QDir::toNativeSeparators(session_->currentDatabase());
    const QString what =
        startFromSettings_
            ? QStringLiteral("The last database used as recorded in the INI file is not a valid "
                             "Quillon Videos 97 file.  You will need to choose a new file.")
            : QStringLiteral("The database \"%1\" cannot be used.  You will need to choose a new file.")
                  .arg(path);
    // The engine's texts name the file already; the format check's does not.
    const QString detail = problem.contains(path) ? problem : QStringLiteral("%1:\n%2").arg(path, problem);
    Prompts::instance().error(this, QStringLiteral("%1\n\n%2").arg(what, detail));
    databaseValid_ = false;
    for (;;) {
        // A wrong file chosen in the dialog is reported there.
        const bool chosen = openDatabaseDialog();
        if (formatCheck(session_->currentDatabase(), false)) {
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

void MainWindow::chooseCurrencyFormat(int choice) {
    session_->program().currencyFormat = choice;
    currencyItems_[0]->setChecked(choice == USFormat);
    currencyItems_[1]->setChecked(choice == SystemFormat);
    session_->notifyDisplayFormatsChanged();
}

void MainWindow::chooseNumericFormat(int choice) {
    session_->program().numericFormat = choice;
    numericItems_[0]->setChecked(choice == USFormat);
    numericItems_[1]->setChecked(choice == SystemFormat);
    session_->notifyDisplayFormatsChanged();
}

void MainWindow::toggleLeadingZeros() {
    ProgramSettings& p = session_->program();
    p.dateLeadingZeros = !p.dateLeadingZeros;
    leadingZerosItem_->setChecked(p.dateLeadingZeros);
    session_->applyDateFormat();
    session_->notifyDisplayFormatsChanged();
}

// Browse mode: the commands that change the catalogue are off (the command table's rule), the
// navigator only moves, and the grid never edits, whichever catalogue is open (see
// applyViewerOptions; the catalogues' own Field Editing settings are left as they are).
void MainWindow::applyBrowseMode() {
    session_->setBrowseMode(true);
    navigator_->setBrowseMode(true);
}

// ---------------------------------------------------------------------------------------------
// Menus, speed bar, lettered buttons

QAction* MainWindow::action(const QString& name) const {
    for (const auto& [command, a] : commands_)
        if (a->objectName() == name) return a;
    for (QMenu* menu : submenus_)
        if (menu->menuAction()->objectName() == name) return menu->menuAction();
    return nullptr;
}

// The menus from the command table: menus and submenus in the order their first item comes.
void MainWindow::buildMenus() {
    std::map<QString, QMenu*> menus;
    // The choices of one setting: an exclusive group, shown with radio marks.
    std::map<QString, QActionGroup*> choiceGroups;
    const auto menuFor = [&](const QString& path) {
        if (auto it = menus.find(path); it != menus.end()) return it->second;
        const qsizetype slash = path.lastIndexOf(u'/');
        QMenu* menu = nullptr;
        if (slash < 0) {
            menu = menuBar()->addMenu(path);
        } else {
            const QString caption = path.mid(slash + 1);
            QMenu* parent = menus.at(path.left(slash));
            menu = parent->addMenu(caption);
            menu->menuAction()->setObjectName(submenuObjectName(caption));
            submenus_.push_back(menu);
        }
        menus[path] = menu;
        return menu;
    };
    for (const Command& c : mainCommands()) {
        QMenu* menu = menuFor(c.menu);
        QAction* separator = c.separatorBefore ? menu->addSeparator() : nullptr;
        QAction* a = menu->addAction(c.caption);
        a->setObjectName(c.name);
        if (!c.shortcut.isEmpty()) a->setShortcut(c.shortcut);
        a->setCheckable(c.checkable);
        if (!c.choiceGroup.isEmpty()) {
            QActionGroup*& group = choiceGroups[c.choiceGroup];
            if (!group) {
                group = new QActionGroup(this);
                group->setObjectName(QStringLiteral("Choices") + c.choiceGroup);
                group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
            }
            a->setActionGroup(group);
        }
        if (c.handler) connect(a, &QAction::triggered, this, [this, &c] { c.handler(*this); });
        commands_.emplace_back(&c, a);
        if (c.name == QLatin1String("MenuLastFile1")) lastFilesSeparator_ = separator;
    }

    // The items that show a choice in force or change with the recently used list.
    for (int i = 0; i < 5; ++i)
        lastFileItems_[i] = action(QStringLiteral("MenuLastFile%1").arg(i + 1));
    for (int i = 0; i < 4; ++i)
        sizeItems_[i] = action(QStringLiteral("MenuSize%1").arg(screensize::Sizes[i]));
    const char* bars[3] = {"MenuSpeedButtons", "MenuLetteredButtons", "MenuNoButtons"};
    for (int i = 0; i < 3; ++i)
        barItems_[i] = action(QString::fromLatin1(bars[i]));
    for (int c = 1; c <= 12; ++c)
        dateItems_[c - 1] = action(QStringLiteral("MenuDateFormat%1").arg(c));
    leadingZerosItem_ = action(QStringLiteral("MenuLeadingZeros"));
    currencyItems_ = {action(QStringLiteral("MenuCurrencyUS")), action(QStringLiteral("MenuCurrencySystem"))};
    numericItems_ = {action(QStringLiteral("MenuNumericUS")), action(QStringLiteral("MenuNumericSystem"))};
}

QToolButton* MainWindow::speedButton(const QString& hint) const {
    for (const auto& [button, twin] : speedButtons_)
        if (button->toolTip() == hint) return button;
    return nullptr;
}

// The commands of the table in the order of a button position (speed bar or lettered buttons).
static std::vector<const Command*> commandsByPosition(int Command::*position) {
    std::vector<const Command*> out;
    for (const Command& c : mainCommands())
        if (c.*position >= 0) out.push_back(&c);
    std::sort(out.begin(), out.end(),
              [position](const Command* a, const Command* b) { return a->*position < b->*position; });
    return out;
}

void MainWindow::buildSpeedBar() {
    speedBar_ = new QFrame(central_);
    speedBar_->setObjectName(QStringLiteral("SpeedBar"));
    static_cast<QFrame*>(speedBar_)->setFrameShape(QFrame::NoFrame);
    for (const Command* c : commandsByPosition(&Command::speedPosition)) {
        auto* b = new QToolButton(speedBar_);
        const int i = int(speedButtons_.size());
        b->setObjectName(QStringLiteral("Speed%1").arg(i));
        b->setIcon(themedIcon(c->speedIcon));
        b->setIconSize(QSize(20, 20));
        b->setToolTip(c->speedHint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(4 + i * 24, 4, 24, 24);
        QAction* twin = action(c->name);
        connect(b, &QToolButton::clicked, twin, &QAction::trigger);
        speedButtons_.emplace_back(b, twin);
    }
}

void MainWindow::buildLetteredButtons() {
    for (const Command* c : commandsByPosition(&Command::letteredPosition)) {
        const int i = c->letteredPosition;
        if (i >= int(lettered_.size())) continue;
        auto* b = new QPushButton(c->letteredCaption, central_);
        b->setObjectName(QStringLiteral("Lettered%1").arg(i));
        b->setGeometry(4 + i * 63, 3, 62, 40);
        b->setFocusPolicy(Qt::NoFocus);
        QAction* twin = action(c->name);
        connect(b, &QPushButton::clicked, twin, &QAction::trigger);
        lettered_[size_t(i)] = b;
        letteredTwins_[size_t(i)] = twin;
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

// Which commands are available: the command table's rules for browse mode and the search state;
// a submenu is available when one of its items is; a hidden button is not available.
void MainWindow::updateCommandStates() {
    CommandState state;
    state.browseMode = session_->browseMode();
    state.searchOn = session_->searchOn();
    for (const auto& [command, a] : commands_)
        a->setEnabled(command->availableIn(state));
    for (QMenu* menu : submenus_) {
        bool any = false;
        for (QAction* a : menu->actions())
            any = any || (!a->isSeparator() && a->isEnabled());
        menu->menuAction()->setEnabled(any);
    }

    const ButtonBarMode mode = buttonBarMode();
    for (const auto& [button, twin] : speedButtons_)
        button->setEnabled(mode == ButtonBarMode::Speed && twin->isEnabled());
    for (size_t i = 0; i < lettered_.size(); ++i)
        if (lettered_[i])
            lettered_[i]->setEnabled(mode == ButtonBarMode::Lettered && letteredTwins_[i]->isEnabled());
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
    search_.reset();
    ProgramSettings& p = s.program();
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : QRect(pos(), size());
    p.mainWindowLeft = normal.left();
    p.mainWindowTop = normal.top();
    p.mainWindowWidth = normal.width();
    p.mainWindowHeight = normal.height();
    p.lastDatabase = s.currentDatabase();
    QString error;
    if (!s.saveProgramSettings(&error)) reportProblem(error);
    if (databaseValid_ && !s.saveDatabaseSettings(&error)) reportProblem(error);
    event->accept();
}

void MainWindow::showReports() {
    reports::ReportWindow window(*session_, this);
    // A report of the entire catalogue lifts the search for its run and puts it back afterwards.
    const reports::SearchHooks search{[this] { search_.end(session_->table()); },
                                      [this] {
                                          search_.resume(session_->table());
                                          enableEndSearch();
                                      }};
    window.setSearchHooks(search);
    // Face and spine labels: their runs, options, dimensions and media number chooser.
    window.setLabelHooks(reports::labelHooks(*session_, search));
    window.exec();
    // The runs moved the table's cursor and may have lifted and restored the search.
    applyViewerOptions();
    grid_->syncToTable();
    displayCount();
}

void MainWindow::importRecords() {
    {
        ImportFormatDialog window(*session_, this);
        window.exec();
    }
    displayCount();
}

void MainWindow::exportRecords() {
    {
        ExportWindow window(*session_, search_, this);
        window.exec();
    }
    // A whole-catalogue export ends a search for its walk and sets it again.
    showSearchState();
    displayCount();
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
    applyMainColors();
    displayCount();
}

void MainWindow::applyMainColors() {
    DialogLook l = dialogLook(*session_, WindowGroup::Main);
    if (l.applyColors) look::applyColors(central_, l.colors);
}

void MainWindow::configureViewer() {
    if (session_->browseMode()) return;
    ::configureViewer(*session_, this); // the viewer takes the new options when it closes
    displayCount();
}

void MainWindow::configureColors(int target) {
    if (target < 1 || target > 6) return;
    const auto t = static_cast<config::ColorTarget>(target);
    if (::configureColors(*session_, t, this) && config::changesMainWindow(t)) applyMainColors();
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
    navigator_->setEditState(grid_->isEditingCell(), open && model->rowCount() > 0);
}

void MainWindow::endSearch() {
    if (!session_->searchOn() && !search_.isOn()) return;
    search_.end(session_->table());
    disableEndSearch();
    applyViewerOptions();
    displayCount();
}

void MainWindow::enableEndSearch() {
    session_->setSearchOn(true);
    searchOnLabel_->show();
    updateCommandStates();
}

void MainWindow::showSearchState() {
    if (search_.isOn())
        enableEndSearch();
    else
        disableEndSearch();
}

void MainWindow::disableEndSearch() {
    session_->setSearchOn(false);
    searchOnLabel_->hide();
    updateCommandStates();
}

// The search window; afterwards the main window shows what is in force.
void MainWindow::search() {
    {
        SearchWindow window(*session_, search_, this);
        window.exec();
    }
    showSearchState();
    applyViewerOptions();
    grid_->syncToTable();
    displayCount();
}

void MainWindow::locate() {
    if (locate_->find(this)) grid_->syncToTable();
}

void MainWindow::locateNext() {
    if (locate_->findNext(this)) grid_->syncToTable();
}

void MainWindow::searchAndReplace() {
    {
        SearchReplaceWindow window(*session_, search_, this);
        window.exec();
    }
    showSearchState();
    applyViewerOptions();
    displayCount();
}

// ---------------------------------------------------------------------------------------------
// Options and help

void MainWindow::chooseFont(UserFont which) {
    DatabaseSettings& d = session_->database();
    UserFontSetting& setting = which == LabelFont  ? d.labelFont
                               : which == EditFont ? d.editFont
                                                   : d.buttonFont;
    const std::optional<QFont> chosen = Prompts::instance().font(this, look::userFont(setting));
    if (!chosen) return;
    look::takeUserFont(setting, *chosen);
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
            [this] { grid_->setValueFormats(session_->valueFormats()); });
    // Post and Cancel of the navigator follow the cell being edited in the grid.
    connect(grid_, &ViewerGrid::editStateChanged, this, [this](bool editing) {
        navigator_->setEditState(editing, grid_->viewerModel()->rowCount() > 0);
    });
    // A count still running holds the file open: it ends before the table closes.
    connect(session_.get(), &Session::tableClosing, grid_->viewerModel(), &ViewerModel::finishCount);
}

QWidget* MainWindow::gridWidget() const {
    return grid_;
}

void MainWindow::applyViewerOptions() {
    grid_->setValueFormats(session_->valueFormats());
    grid_->reload();
    DatabaseSettings shown = session_->database();
    if (session_->browseMode()) shown.fieldEditing = false;
    grid_->applyViewerOptions(shown);
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
        grid_->postEdit();
        break;
    case RecordNavigator::Cancel:
        grid_->cancelEdit();
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
    // The editor works on the table's current record: the grid's current row. Edit and Copy
    // need one; with none (an empty catalogue or search result) they do nothing.
    const int row = grid_->currentRecordRow();
    if (mode != EditorMode::Add && (row < 0 || session_->table().recNo() == 0)) return;
    editor_->setMode(mode);
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
