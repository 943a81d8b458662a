#pragma once
// The main window's command table. One row per command gives its menu item (menu, caption,
// shortcut), its speed button and lettered button, the handler, and the rule that says when it is
// available. The main window builds its menus and buttons from these rows and enables them by
// the rules, so a new window adds (or completes) rows here instead of code in the main window.
//
// A row without a handler is a command whose window the program does not have yet: it is shown,
// and it is unavailable in every state.
#include <QKeySequence>
#include <QString>
#include <functional>
#include <vector>

class MainWindow;

// When a command is available.
enum class CommandRule {
    Always,           // in every state
    ChangesCatalogue, // changes the catalogue (records, lists, files, settings): not in browse mode
    DuringSearch,     // only while a search restricts the records
};

// The state the rules look at.
struct CommandState {
    bool browseMode = false;
    bool searchOn = false;
};

struct Command {
    QString name;    // object name of the menu item ("MenuAdd"); tests and windows find it by it
    QString menu;    // menu path, submenus after '/': "&Options/Screen Si&ze"
    QString caption; // "&Add"
    QKeySequence shortcut;
    CommandRule rule = CommandRule::Always;
    std::function<void(MainWindow&)> handler; // empty: the window that does it is not built yet
    bool separatorBefore = false;             // a separator line above the item
    bool checkable = false;                   // ticked to show a choice in force
    // Rows with the same non-empty choice group are the choices of one setting: exactly one of
    // them is on, and the menu shows them with radio marks.
    QString choiceGroup;
    // The speed button: hint, themed icon name and place on the bar (0 first; -1 none).
    QString speedHint;
    QString speedIcon;
    int speedPosition = -1;
    // The lettered button: caption and place (0 first; -1 none).
    QString letteredCaption;
    int letteredPosition = -1;

    // A command without a handler is never available.
    bool availableIn(const CommandState& state) const;
};

// Every command of the main window, in menu order.
const std::vector<Command>& mainCommands();

// The object name of a submenu's item: "Menu" and its caption without '&' and blanks
// ("List &Maintenance" -> "MenuListMaintenance").
QString submenuObjectName(const QString& caption);
