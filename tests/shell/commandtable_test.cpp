// The main window's command table: properties of the rows, and the menus and buttons the window
// builds from them in normal use, in browse mode and with a search on.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "shell/commandtable.h"
#include "shell_helpers.h"

using namespace shelltest;

namespace {

const Command* row(const QString& name) {
    for (const Command& c : mainCommands())
        if (c.name == name) return &c;
    return nullptr;
}

// Every item of the menu bar, submenus included (separators and submenu items left out).
void collectItems(QMenu* menu, std::vector<QAction*>& out) {
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        if (a->menu())
            collectItems(a->menu(), out);
        else
            out.push_back(a);
    }
}
std::vector<QAction*> menuItems(MainWindow& main) {
    std::vector<QAction*> out;
    for (QAction* top : main.menuBar()->actions())
        if (top->menu()) collectItems(top->menu(), out);
    return out;
}

} // namespace

TEST(CommandTable, NoTwoCommandsShareAShortcutOrAName) {
    std::map<QString, QString> byKey;
    std::set<QString> names;
    for (const Command& c : mainCommands()) {
        EXPECT_TRUE(names.insert(c.name).second) << "twice: " << c.name.toStdString();
        EXPECT_FALSE(c.caption.isEmpty()) << c.name.toStdString();
        if (c.shortcut.isEmpty()) continue;
        const QString key = c.shortcut.toString();
        const auto [it, fresh] = byKey.emplace(key, c.name);
        EXPECT_TRUE(fresh) << key.toStdString() << " on " << it->second.toStdString() << " and "
                           << c.name.toStdString();
    }
}

TEST(CommandTable, ButtonPlacesAreFilledOnceEach) {
    std::set<int> speed, lettered;
    for (const Command& c : mainCommands()) {
        if (c.speedPosition >= 0) {
            EXPECT_TRUE(speed.insert(c.speedPosition).second) << c.name.toStdString();
            EXPECT_FALSE(c.speedHint.isEmpty() || c.speedIcon.isEmpty()) << c.name.toStdString();
        }
        if (c.letteredPosition >= 0) {
            EXPECT_TRUE(lettered.insert(c.letteredPosition).second) << c.name.toStdString();
            EXPECT_FALSE(c.letteredCaption.isEmpty()) << c.name.toStdString();
        }
    }
    ASSERT_FALSE(speed.empty());
    EXPECT_EQ(*speed.rbegin(), int(speed.size()) - 1); // 0 .. n-1 without a gap
    EXPECT_EQ(lettered.size(), 10u);
    EXPECT_EQ(*lettered.rbegin(), 9);
}

TEST(CommandTable, TheWindowBuildsEveryItemAndButtonFromTheTable) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    // Every menu item is a row, and every row is a menu item with the row's caption and shortcut.
    const std::vector<QAction*> items = menuItems(*main);
    EXPECT_EQ(items.size(), mainCommands().size());
    for (QAction* a : items) {
        const Command* c = row(a->objectName());
        ASSERT_NE(c, nullptr) << "an item outside the table: " << a->text().toStdString();
        EXPECT_EQ(a->text(), c->caption);
        EXPECT_EQ(a->shortcut(), c->shortcut);
    }
    // Every button is a row's: the speed buttons in their places with hint and icon, the lettered
    // buttons with their captions.
    for (const Command& c : mainCommands()) {
        if (c.speedPosition >= 0) {
            QToolButton* b = main->speedButton(c.speedHint);
            ASSERT_NE(b, nullptr) << c.speedHint.toStdString();
            EXPECT_EQ(b->objectName(), QStringLiteral("Speed%1").arg(c.speedPosition));
            EXPECT_FALSE(b->icon().isNull()) << c.speedHint.toStdString();
        }
        if (c.letteredPosition >= 0) {
            EXPECT_EQ(main->letteredButton(c.letteredPosition)->text(), c.letteredCaption);
        }
    }
    finish(main);
}

TEST(CommandTable, AvailabilityFollowsTheRulesInEveryState) {
    for (const bool browse : {false, true}) {
        SCOPED_TRACE(browse ? "browse mode" : "normal use");
        Sandbox box;
        ScriptedPrompts prompts;
        auto main = start(browse ? QStringList{"/BROWSE"} : QStringList{});
        for (const bool search : {false, true}) {
            SCOPED_TRACE(search ? "search on" : "no search");
            main->session().setSearchOn(search);
            main->updateCommandStates();
            for (const ButtonBarMode mode : {ButtonBarMode::Speed, ButtonBarMode::Lettered}) {
                main->chooseButtonBar(mode);
                for (const Command& c : mainCommands()) {
                    QAction* a = main->action(c.name);
                    const bool changes = c.rule == CommandRule::ChangesCatalogue;
                    // In browse mode exactly the commands that change nothing are available.
                    if (browse && changes) {
                        EXPECT_FALSE(a->isEnabled()) << c.name.toStdString();
                    }
                    // (The recently used items show only while they name a catalogue.)
                    if (c.handler && !changes && c.rule != CommandRule::DuringSearch && a->isVisible()) {
                        EXPECT_TRUE(a->isEnabled()) << c.name.toStdString();
                    }
                    if (c.rule == CommandRule::DuringSearch) {
                        EXPECT_EQ(a->isEnabled(), search && bool(c.handler)) << c.name.toStdString();
                    }
                    // A command whose window the program lacks is shown and unavailable.
                    if (!c.handler) {
                        EXPECT_FALSE(a->isEnabled()) << c.name.toStdString();
                    }
                    if (!c.handler) {
                        EXPECT_TRUE(a->isVisible()) << c.name.toStdString();
                    }
                    // A shown button is available with its menu item; a hidden one never is.
                    if (c.speedPosition >= 0) {
                        EXPECT_EQ(main->speedButton(c.speedHint)->isEnabled(),
                                  mode == ButtonBarMode::Speed && a->isEnabled())
                            << c.name.toStdString();
                    }
                    if (c.letteredPosition >= 0) {
                        EXPECT_EQ(main->letteredButton(c.letteredPosition)->isEnabled(),
                                  mode == ButtonBarMode::Lettered && a->isEnabled())
                            << c.name.toStdString();
                    }
                }
            }
        }
        main->session().setSearchOn(false);
        finish(main);
    }
}

TEST(CommandTable, CommandsThatWriteTheCatalogueAreOffInBrowseMode) {
    // Browse mode shows and prints records and changes nothing: the record commands, the lists,
    // import, restore, search and replace, and the commands that rewrite the table file.
    for (const char* name : {"MenuAdd", "MenuCopy", "MenuDelete", "MenuRestore", "MenuImport",
                             "MenuSaveDefaults", "MenuLoadDefaults", "MenuMaintainList1", "MenuSearchReplace",
                             "MenuPack", "MenuRebuild", "MenuViewer", "MenuBackup"}) {
        const Command* c = row(QString::fromLatin1(name));
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(c->rule, CommandRule::ChangesCatalogue) << name;
    }
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start({"/BROWSE"});
    EXPECT_FALSE(main->action("MenuListMaintenance")->isEnabled()); // every item in it changes lists
    EXPECT_TRUE(main->action("MenuScreenSize")->isEnabled());
    EXPECT_TRUE(main->action("MenuEdit")->isEnabled()); // the record editor opens read-only
    finish(main);
}

namespace {

// The rows of each choice group, in table order.
std::map<QString, std::vector<const Command*>> choiceGroups() {
    std::map<QString, std::vector<const Command*>> groups;
    for (const Command& c : mainCommands())
        if (!c.choiceGroup.isEmpty()) groups[c.choiceGroup].push_back(&c);
    return groups;
}

// The checked items of a group (names).
QStringList checkedIn(MainWindow& main, const std::vector<const Command*>& group) {
    QStringList on;
    for (const Command* c : group)
        if (main.action(c->name)->isChecked()) on << c->name;
    return on;
}

} // namespace

TEST(CommandTable, ChoicesOfOneSettingAreRadioItemsOfOneMenu) {
    const auto groups = choiceGroups();
    for (const char* setting : {"ScreenSize", "ScreenAccess", "Currency", "Numeric", "DateFormat"})
        EXPECT_TRUE(groups.count(QString::fromLatin1(setting))) << setting;
    for (const auto& [name, rows] : groups) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_GE(rows.size(), 2u);
        for (const Command* c : rows) {
            EXPECT_TRUE(c->checkable) << c->name.toStdString();
            EXPECT_EQ(c->menu, rows.front()->menu) << c->name.toStdString();
        }
    }
    // Leading zeros go with any date format: a check box of its own.
    EXPECT_TRUE(row("MenuLeadingZeros")->choiceGroup.isEmpty());
    EXPECT_TRUE(row("MenuLeadingZeros")->checkable);

    Sandbox box;
    box.setProgramKey("Misc", "Date Format", "7");
    box.setProgramKey("Misc", "Currency Format", "2");
    box.setProgramKey("Misc", "Numeric Format", "1");
    box.setProgramKey("Misc", "Button Bar", "2");
    ScriptedPrompts prompts;
    auto main = start();
    main->setScreenSizeForChecks(QSize(1280, 1024));
    // One exclusive group per setting (a menu draws its items with radio marks), and the item on
    // is the setting's.
    const std::map<QString, QString> atStart = {{"ScreenSize", "MenuSize640"},
                                                {"ScreenAccess", "MenuLetteredButtons"},
                                                {"Currency", "MenuCurrencySystem"},
                                                {"Numeric", "MenuNumericUS"},
                                                {"DateFormat", "MenuDateFormat7"}};
    for (const auto& [name, rows] : groups) {
        SCOPED_TRACE(name.toStdString());
        QActionGroup* group = main->action(rows.front()->name)->actionGroup();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->isExclusive());
        for (const Command* c : rows)
            EXPECT_EQ(main->action(c->name)->actionGroup(), group) << c->name.toStdString();
        if (atStart.count(name)) {
            EXPECT_EQ(checkedIn(*main, rows), QStringList{atStart.at(name)});
        }
        // Each choice in turn: it alone is on, and the setting follows it.
        for (const Command* c : rows) {
            main->action(c->name)->trigger();
            EXPECT_EQ(checkedIn(*main, rows), QStringList{c->name});
        }
    }
    EXPECT_EQ(main->session().program().dateFormat, 12);
    EXPECT_EQ(main->session().program().currencyFormat, SystemFormat);
    EXPECT_EQ(main->session().program().windowSize, 1280);
    EXPECT_EQ(main->buttonBarMode(), ButtonBarMode::None);

    // A size the screen cannot show is refused: the size in force keeps the mark.
    main->action("MenuSize800")->trigger();
    main->setScreenSizeForChecks(QSize(800, 600));
    prompts.expect("Error", "Your current screen resolution does not support 1024 x 768 pixels.",
                   Prompts::Ok);
    main->action("MenuSize1024")->trigger();
    EXPECT_EQ(checkedIn(*main, groups.at("ScreenSize")), QStringList{"MenuSize800"});
    EXPECT_TRUE(prompts.done());
    finish(main);
}
