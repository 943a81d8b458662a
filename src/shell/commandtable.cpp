#include "shell/commandtable.h"

#include "base/regional.h"
#include "base/screensize.h"
#include "catalogue/datalists.h"
#include "shell/mainwindow.h"

bool Command::availableIn(const CommandState& state) const {
    if (!handler) return false;
    switch (rule) {
    case CommandRule::Always:
        return true;
    case CommandRule::ChangesCatalogue:
        return !state.browseMode;
    case CommandRule::DuringSearch:
        return state.searchOn;
    }
    return false;
}

QString submenuObjectName(const QString& caption) {
    QString name = caption;
    name.remove(QLatin1Char('&')).remove(QLatin1Char(' '));
    return QStringLiteral("Menu") + name;
}

namespace {

using Handler = std::function<void(MainWindow&)>;

// Builds the rows in menu order; the helpers keep each row on a line or two.
class TableBuilder {
public:
    explicit TableBuilder(std::vector<Command>& rows) : rows_(rows) {}

    // The menu the next items go into.
    TableBuilder& menu(const QString& path) {
        menu_ = path;
        separator_ = false;
        return *this;
    }
    // A separator line above the next item.
    TableBuilder& separator() {
        separator_ = true;
        return *this;
    }
    Command& item(const QString& name, const QString& caption, const QKeySequence& key, CommandRule rule,
                  Handler handler) {
        Command c;
        c.name = name;
        c.menu = menu_;
        c.caption = caption;
        c.shortcut = key;
        c.rule = rule;
        c.handler = std::move(handler);
        c.separatorBefore = separator_;
        separator_ = false;
        rows_.push_back(std::move(c));
        return rows_.back();
    }

private:
    std::vector<Command>& rows_;
    QString menu_;
    bool separator_ = false;
};

Command& speed(Command& c, const char* hint, const char* icon, int position) {
    c.speedHint = QString::fromLatin1(hint);
    c.speedIcon = QString::fromLatin1(icon);
    c.speedPosition = position;
    return c;
}

// One of the mutually exclusive choices of a setting (a radio item).
Command& choice(Command& c, const char* group) {
    c.checkable = true;
    c.choiceGroup = QString::fromLatin1(group);
    return c;
}

Command& lettered(Command& c, const char* caption, int position) {
    c.letteredCaption = QString::fromLatin1(caption);
    c.letteredPosition = position;
    return c;
}

QKeySequence ctrl(Qt::Key k) {
    return QKeySequence(Qt::CTRL | k);
}
QKeySequence shift(Qt::Key k) {
    return QKeySequence(Qt::SHIFT | k);
}

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

std::vector<Command> buildCommands() {
    using R = CommandRule;
    std::vector<Command> rows;
    TableBuilder t(rows);

    t.menu("&File");
    speed(t.item("MenuNew", "&New Database", ctrl(Qt::Key_W), R::Always, &MainWindow::newCatalogue),
          "New Database", "document-new", 12);
    speed(t.item("MenuOpen", "&Open Database", ctrl(Qt::Key_O), R::Always, &MainWindow::openCatalogue),
          "Open Database", "document-open", 11);
    t.item("MenuUpdate", "&Update Database", ctrl(Qt::Key_Z), R::Always, &MainWindow::updateDatabase);
    t.separator().item("MenuBackup", "&Back Up Data", ctrl(Qt::Key_B), R::ChangesCatalogue,
                       &MainWindow::backupData);
    t.item("MenuRestore", "&Restore Data", ctrl(Qt::Key_Y), R::ChangesCatalogue, &MainWindow::restoreData);
    t.separator().item("MenuPrint", "&Print", ctrl(Qt::Key_P), R::Always, &MainWindow::showReports);
    lettered(
        t.separator().item("MenuExit", "E&xit", ctrl(Qt::Key_X), R::Always, [](MainWindow& w) { w.close(); }),
        "Exit", 9);
    t.separator();
    for (int i = 1; i <= 5; ++i)
        t.item(QStringLiteral("MenuLastFile%1").arg(i), QStringLiteral("&%1").arg(i), {}, R::Always,
               [i](MainWindow& w) { w.openRecentFile(i); });

    t.menu("&Records");
    lettered(speed(t.item("MenuAdd", "&Add", ctrl(Qt::Key_A), R::ChangesCatalogue, &MainWindow::addClicked),
                   "Add Record", "list-add", 0),
             "Add", 0);
    // The record editor opens read-only in browse mode.
    lettered(speed(t.item("MenuEdit", "&Edit", ctrl(Qt::Key_E), R::Always, &MainWindow::editClicked),
                   "Edit Record", "document-edit", 1),
             "Edit", 1);
    lettered(
        speed(t.item("MenuCopy", "&Copy", ctrl(Qt::Key_C), R::ChangesCatalogue, &MainWindow::copyClicked),
              "Copy Record", "edit-copy", 2),
        "Copy", 2);
    lettered(speed(t.item("MenuDelete", "&Delete", ctrl(Qt::Key_D), R::ChangesCatalogue,
                          &MainWindow::deleteClicked),
                   "Delete Record", "edit-delete", 3),
             "Delete", 3);
    speed(t.separator().item("MenuImport", "&Import", ctrl(Qt::Key_M), R::ChangesCatalogue,
                             &MainWindow::importRecords),
          "Import Records", "document-import", 8);
    speed(t.item("MenuExport", "E&xport", ctrl(Qt::Key_T), R::Always, &MainWindow::exportRecords),
          "Export Records", "document-export", 9);

    t.menu("Navi&gate");
    lettered(speed(t.item("MenuSearch", "&Search (Query)", ctrl(Qt::Key_S), R::Always, &MainWindow::search),
                   "Search Records", "system-search", 4),
             "Search", 4);
    lettered(speed(t.item("MenuEndSearch", "&End Search", ctrl(Qt::Key_I), R::DuringSearch,
                          &MainWindow::endSearch),
                   "End Search", "process-stop", 5),
             "End Srch", 5);
    speed(t.item("MenuLocate", "&Locate", ctrl(Qt::Key_L), R::Always, &MainWindow::locate), "Locate Record",
          "edit-find", 15);
    speed(t.item("MenuLocateNext", "Locate &Next", ctrl(Qt::Key_N), R::Always, &MainWindow::locateNext),
          "Locate Next Record", "edit-find-next", 16);
    lettered(speed(t.item("MenuReports", "&Reports", ctrl(Qt::Key_R), R::Always, &MainWindow::showReports),
                   "Reports", "document-print", 6),
             "Reports", 6);
    lettered(speed(t.item("MenuViewer", "&Viewer", ctrl(Qt::Key_V), R::ChangesCatalogue,
                          &MainWindow::configureViewer),
                   "Viewer Configuration", "preferences-system-windows", 7),
             "Viewer", 7);

    t.menu("&Options");
    speed(t.item("MenuSortOrder", "Sort &Order", ctrl(Qt::Key_Q), R::Always, &MainWindow::chooseSortOrder),
          "Set Sorting Order", "view-sort-ascending", 14);
    t.menu("&Options/Screen Si&ze");
    const Qt::Key sizeKeys[4] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
    for (int i = 0; i < 4; ++i) {
        const int size = screensize::Sizes[i];
        const QSize need = screensize::needed(size);
        choice(t.item(QStringLiteral("MenuSize%1").arg(size),
                      QStringLiteral("%1 x %2").arg(need.width()).arg(need.height()), shift(sizeKeys[i]),
                      R::Always, [size](MainWindow& w) { w.chooseScreenSize(size); }),
               "ScreenSize");
    }
    t.menu("&Options/&Screen Access");
    const struct {
        const char* name;
        const char* caption;
        Qt::Key key;
        ButtonBarMode mode;
    } bars[] = {{"MenuSpeedButtons", "&Speed Buttons", Qt::Key_F1, ButtonBarMode::Speed},
                {"MenuLetteredButtons", "&Lettered Buttons", Qt::Key_F2, ButtonBarMode::Lettered},
                {"MenuNoButtons", "&None", Qt::Key_F3, ButtonBarMode::None}};
    for (const auto& b : bars) {
        const ButtonBarMode mode = b.mode;
        choice(t.item(b.name, b.caption, ctrl(b.key), R::Always,
                      [mode](MainWindow& w) { w.chooseButtonBar(mode); }),
               "ScreenAccess");
    }
    t.menu("&Options/&Color");
    // Target 1..5 colours one window group, 6 all five (starting from the main window's set).
    auto colors = [](int target) { return [target](MainWindow& w) { w.configureColors(target); }; };
    t.item("MenuMainColor", "&Main Window Color", ctrl(Qt::Key_F4), R::Always, colors(1));
    t.item("MenuEditColor", "&Edit Window Color", ctrl(Qt::Key_F5), R::Always, colors(2));
    t.item("MenuSearchColor", "&Search Window Color", ctrl(Qt::Key_F6), R::Always, colors(3));
    t.item("MenuReportColor", "&Report Window Color", ctrl(Qt::Key_F7), R::Always, colors(4));
    t.item("MenuConfigureColor", "&Configure Window Color", ctrl(Qt::Key_F8), R::Always, colors(5));
    speed(t.separator().item("MenuAllColor", "&ALL Windows Color", ctrl(Qt::Key_F9), R::Always, colors(6)),
          "Color Setup", "preferences-desktop-theme", 13);
    t.menu("&Options/List &Maintenance");
    t.item("MenuSaveDefaults", "Sa&ve As Defaults", {}, R::ChangesCatalogue, &MainWindow::saveDefaultLists);
    t.item("MenuLoadDefaults", "Lo&ad In Defaults", {}, R::ChangesCatalogue, &MainWindow::loadDefaultLists);
    t.separator();
    for (const ListItem& item : kListItems) {
        const int list = item.list;
        t.item(QStringLiteral("MenuMaintainList%1").arg(list), QString::fromLatin1(item.caption), {},
               R::ChangesCatalogue, [list](MainWindow& w) { w.maintainList(list); });
    }
    t.menu("&Options/C&urrency Format");
    choice(t.item("MenuCurrencyUS", "&U.S. Dollars", {}, R::Always,
                  [](MainWindow& w) { w.chooseCurrencyFormat(USFormat); }),
           "Currency");
    choice(t.item("MenuCurrencySystem", "&Windows Setting", {}, R::Always,
                  [](MainWindow& w) { w.chooseCurrencyFormat(SystemFormat); }),
           "Currency");
    t.menu("&Options/&Numeric Format");
    choice(t.item("MenuNumericUS", "&U.S. Format", {}, R::Always,
                  [](MainWindow& w) { w.chooseNumericFormat(USFormat); }),
           "Numeric");
    choice(t.item("MenuNumericSystem", "&Windows Setting", {}, R::Always,
                  [](MainWindow& w) { w.chooseNumericFormat(SystemFormat); }),
           "Numeric");
    t.menu("&Options/&Date Format");
    t.item("MenuLeadingZeros", "&Leading Zeros", {}, R::Always, &MainWindow::toggleLeadingZeros).checkable =
        true;
    t.separator();
    for (int c = 1; c <= 12; ++c)
        choice(t.item(QStringLiteral("MenuDateFormat%1").arg(c), DateFormat::menuCaption(c), {}, R::Always,
                      [c](MainWindow& w) { w.chooseDateFormat(c); }),
               "DateFormat");
    t.menu("&Options");
    t.separator().item("MenuLabelFont", "&Label Font", shift(Qt::Key_F8), R::Always,
                       [](MainWindow& w) { w.chooseFont(MainWindow::LabelFont); });
    t.item("MenuEditFont", "&Edit Font", shift(Qt::Key_F9), R::Always,
           [](MainWindow& w) { w.chooseFont(MainWindow::EditFont); });
    t.item("MenuButtonFont", "&Button Font", shift(Qt::Key_F10), R::Always,
           [](MainWindow& w) { w.chooseFont(MainWindow::ButtonFont); });

    t.menu("&Tools");
    t.item("MenuSearchReplace", "&Search and Replace", ctrl(Qt::Key_F), R::ChangesCatalogue,
           &MainWindow::searchAndReplace);
    t.item("MenuRebuild", "&Rebuild Indexes", {}, R::ChangesCatalogue, &MainWindow::rebuildIndex);
    t.item("MenuPack", "&Pack Database", {}, R::ChangesCatalogue, &MainWindow::packCatalogue);

    t.menu("&Help");
    lettered(speed(t.item("MenuHelpContents", "&Contents", ctrl(Qt::Key_H), R::Always,
                          &MainWindow::showHelpContents),
                   "Help", "help-browser", 10),
             "Help", 8);
    t.item("MenuTips", "&Review \"Tips of the Day\"", {}, R::Always, &MainWindow::showTips);
    t.item("MenuAbout", "&About", {}, R::Always, &MainWindow::showAbout);
    return rows;
}

} // namespace

const std::vector<Command>& mainCommands() {
    static const std::vector<Command> rows = buildCommands();
    return rows;
}
