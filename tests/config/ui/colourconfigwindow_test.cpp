// The colour configuration window over a started program: the seven openers and their targets,
// the preview, the colour dialog per button, the combinations, Ok and Cancel; and the windows of
// the program taking their group's colours each time they are shown.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/ui/sortorderdialog.h"
#include "config/colorconfig.h"
#include "config/ui/colorconfigwindow.h"
#include "config/ui/viewerconfigwindow.h"
#include "editor/ui/listeditordialog.h"
#include "editor/ui/recordeditor.h"
#include "find/searchstate.h"
#include "find/ui/locatedialog.h"
#include "find/ui/searchreplacewindow.h"
#include "find/ui/searchwindow.h"
#include "reports/ui/reportwindow.h"
#include "shell_helpers.h"

using namespace shelltest;
using config::ColorTarget;

namespace {

const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor LightGrey(192, 192, 192);

struct Fixture {
    Sandbox box;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> main;
    Fixture() {
        box.setProgramKey("Misc", "Show Tips", "No");
        main = start();
        main->show();
    }
    ~Fixture() { finish(main); }
    DatabaseSettings& settings() { return main->session().database(); }
};

// Runs `work` on the colour window the next command opens, then the command itself.
void withColourWindow(const std::function<void(ColourConfigWindow&)>& work,
                      const std::function<void()>& command) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<ColourConfigWindow*>(QApplication::activeModalWidget());
        ASSERT_TRUE(w);
        seen = true;
        work(*w);
        if (w->isVisible()) w->reject();
    });
    command();
    EXPECT_TRUE(seen);
}

// Chooses an entry of the combinations list as a person does: open the list, walk to it, Enter.
void chooseCombination(ColourConfigWindow& w, int entry) {
    QComboBox* box = w.colorSets();
    box->setFocus();
    box->setCurrentIndex(0);
    for (int i = 0; i < entry; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    QCoreApplication::processEvents();
}

ColorSet monochrome() {
    ColorSet s;
    config::applyCombination(s, 1);
    return s;
}

QColor role(QWidget* w, QPalette::ColorRole r) {
    return w->palette().color(r);
}

TEST(ColourOpeners, EachMenuItemOpensTheWindowOnItsGroupAndAllStartsFromTheMainSet) {
    Fixture f;
    for (int g = 1; g <= 5; ++g)
        f.settings().colorSets[size_t(g - 1)][ColorSet::MainBackground] = g; // tell the sets apart
    const struct {
        const char* item;
        ColorTarget target;
        int startsFrom;
    } cases[] = {
        {"MenuMainColor", ColorTarget::Main, 1},           {"MenuEditColor", ColorTarget::Edit, 2},
        {"MenuSearchColor", ColorTarget::Search, 3},       {"MenuReportColor", ColorTarget::Report, 4},
        {"MenuConfigureColor", ColorTarget::Configure, 5}, {"MenuAllColor", ColorTarget::All, 1}};
    for (const auto& c : cases) {
        QAction* a = f.main->action(c.item);
        ASSERT_TRUE(a);
        EXPECT_TRUE(a->isEnabled());
        withColourWindow(
            [&](ColourConfigWindow& w) {
                EXPECT_EQ(w.windowTitle(), QString("Color Configuration"));
                EXPECT_EQ(w.target(), c.target) << c.item;
                EXPECT_EQ(w.workingCopy()[ColorSet::MainBackground], c.startsFrom) << c.item;
            },
            [&] { a->trigger(); });
    }
    EXPECT_EQ(f.main->action("MenuMainColor")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));
    EXPECT_EQ(f.main->action("MenuAllColor")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F9));
    // The speed button "Color Setup" is ALL Windows Color.
    f.main->chooseButtonBar(ButtonBarMode::Speed);
    QToolButton* speed = f.main->speedButton("Color Setup");
    ASSERT_TRUE(speed);
    EXPECT_TRUE(speed->isEnabled());
    withColourWindow([&](ColourConfigWindow& w) { EXPECT_EQ(w.target(), ColorTarget::All); },
                     [&] { QTest::mouseClick(speed, Qt::LeftButton); });
}

TEST(ColourWindow, ListsTheEmptyEntryAndTheTwelveCombinationsAndPreviewsTheWorkingCopy) {
    Fixture f;
    ColourConfigWindow w(f.main->session(), ColorTarget::Edit, f.main.get());
    w.show();
    QComboBox* sets = w.colorSets();
    ASSERT_EQ(sets->count(), 13);
    EXPECT_EQ(sets->itemText(0), QString());
    EXPECT_EQ(sets->itemText(1), QString("Monochrome"));
    EXPECT_EQ(sets->itemText(12), QString("Camouflage"));
    EXPECT_EQ(w.editSample()->text(), QString("Sample Text"));
    ASSERT_EQ(w.listSample()->count(), 2);
    // Defaults: grey window, white boxes, black text.
    EXPECT_EQ(role(&w, QPalette::Window), LightGrey);
    EXPECT_EQ(role(w.editSample(), QPalette::Base), White);
    EXPECT_EQ(role(w.comboSample(), QPalette::Base), White);
    EXPECT_EQ(role(w.listSample(), QPalette::Text), Black);

    chooseCombination(w, 3); // Midnight Black
    EXPECT_EQ(role(&w, QPalette::Window), Black);
    EXPECT_EQ(role(w.radioSample(), QPalette::WindowText), White);
    EXPECT_EQ(role(w.checkSample(), QPalette::WindowText), White);
    EXPECT_EQ(role(w.editSample(), QPalette::Base), QColor(127, 127, 127));
    EXPECT_EQ(role(w.comboSample(), QPalette::Base), QColor(127, 127, 127));
    EXPECT_EQ(role(sets, QPalette::Base), QColor(127, 127, 127)); // the list shows the combo colours
    EXPECT_EQ(role(w.listSample(), QPalette::Base), QColor(127, 127, 127));
    const auto headings = w.findChildren<QLabel*>();
    int major = 0;
    for (QLabel* l : headings) {
        if (l->text() == "Predefined Color Combinations") {
            EXPECT_EQ(role(l, QPalette::WindowText), White);
        }
        if (l->property("quillonMajorTitle").toBool()) {
            ++major;
            EXPECT_EQ(role(l, QPalette::WindowText), LightGrey) << l->text().toStdString();
        }
    }
    EXPECT_EQ(major, 6);
}

TEST(ColourWindow, EachButtonOpensTheColourDialogOnItsElementAndRepaintsItsSample) {
    Fixture f;
    ColourConfigWindow w(f.main->session(), ColorTarget::Report, f.main.get());
    w.show();
    const struct {
        const char* button;
        int element;
        QWidget* sample;
        QPalette::ColorRole role;
    } cases[] = {
        {"MainBack", ColorSet::MainBackground, &w, QPalette::Window},
        {"RadioText", ColorSet::RadioText, w.radioSample(), QPalette::WindowText},
        {"RadioBack", ColorSet::RadioBackground, w.radioSample(), QPalette::Window},
        {"CheckText", ColorSet::CheckText, w.checkSample(), QPalette::WindowText},
        {"CheckBack", ColorSet::CheckBackground, w.checkSample(), QPalette::Window},
        {"EditBoxText", ColorSet::EditText, w.editSample(), QPalette::Text},
        {"EditBoxBack", ColorSet::EditBackground, w.editSample(), QPalette::Base},
        {"ComboText", ColorSet::ComboText, w.comboSample(), QPalette::Text},
        {"ComboBack", ColorSet::ComboBackground, w.colorSets(), QPalette::Base},
        {"ListText", ColorSet::ListBoxText, w.listSample(), QPalette::Text},
        {"ListBack", ColorSet::ListBoxBackground, w.listSample(), QPalette::Base},
    };
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        const QColor chosen(10 * n, 255 - 10 * n, 7 * n);
        f.prompts.answerColor(chosen);
        QTest::mouseClick(w.colorButton(c.button), Qt::LeftButton);
        const auto& call = f.prompts.calls().back();
        EXPECT_EQ(call.kind, ScriptedPrompts::Kind::Color);
        EXPECT_EQ(w.workingCopy()[c.element], WindowColors::toNumber(chosen)) << c.button;
        EXPECT_EQ(role(c.sample, c.role), chosen) << c.button;
    }
    // The dialog opens on the element's colour; cancelling it changes nothing.
    f.prompts.answerColor(std::nullopt);
    QTest::mouseClick(w.colorButton("EditBoxBack"), Qt::LeftButton);
    EXPECT_EQ(f.prompts.calls().back().initialColor, QColor(70, 185, 49));
    EXPECT_EQ(w.workingCopy()[ColorSet::EditBackground], WindowColors::toNumber(QColor(70, 185, 49)));
    EXPECT_EQ(f.settings().colors(WindowGroup::Report), ColorSet()); // nothing taken before Ok
}

TEST(ColourWindow, MonochromeForTheEditorGivesItWhiteWindowsBlackLabelsAndWhiteBoxes) {
    Fixture f;
    withColourWindow(
        [](ColourConfigWindow& w) {
            chooseCombination(w, 1);
            QTest::mouseClick(w.okButton(), Qt::LeftButton);
        },
        [&] { f.main->action("MenuEditColor")->trigger(); });
    EXPECT_EQ(f.settings().colors(WindowGroup::Edit), monochrome());
    EXPECT_EQ(f.settings().colors(WindowGroup::Main), ColorSet());
    EXPECT_EQ(role(f.main->centralArea(), QPalette::Window), LightGrey); // the main window stays

    RecordEditor editor(f.main->session(), f.main.get());
    editor.setMode(EditorMode::Add);
    editor.show();
    EXPECT_EQ(role(&editor, QPalette::Window), White);
    int labels = 0, edits = 0, combos = 0;
    for (QWidget* c : editor.findChildren<QWidget*>()) {
        if (c->property("quillonOwnLook").toBool()) continue;
        if (auto* l = qobject_cast<QLabel*>(c)) {
            ++labels;
            EXPECT_EQ(role(l, QPalette::WindowText), Black) << l->objectName().toStdString();
        } else if (auto* cb = qobject_cast<QComboBox*>(c)) {
            ++combos;
            EXPECT_EQ(role(cb, QPalette::Base), White);
            EXPECT_EQ(role(cb, QPalette::Text), Black);
        } else if (auto* e = qobject_cast<QLineEdit*>(c); e && !qobject_cast<QComboBox*>(e->parentWidget())) {
            ++edits;
            EXPECT_EQ(role(e, QPalette::Base), White) << e->objectName().toStdString();
            EXPECT_EQ(role(e, QPalette::Text), Black);
        }
    }
    EXPECT_GT(labels, 20);
    EXPECT_GT(edits, 5);
    EXPECT_GT(combos, 10);
    editor.hide();
}

TEST(ColourWindow, UnderMidnightBlackTheEditorsPagesAreBlackAndItsTabsAndMenuStayReadable) {
    Fixture f;
    ColorSet black;
    config::applyCombination(black, 3);
    config::acceptSet(f.settings(), ColorTarget::Edit, black);
    RecordEditor editor(f.main->session(), f.main.get());
    editor.setMode(EditorMode::Add);
    editor.show();
    auto* tabs = editor.findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_TRUE(tabs->widget(i)->autoFillBackground());
        EXPECT_EQ(role(tabs->widget(i), QPalette::Window), Black);
    }
    const QPalette system = QApplication::palette(tabs->tabBar());
    EXPECT_EQ(role(tabs->tabBar(), QPalette::WindowText), system.color(QPalette::WindowText));
    EXPECT_EQ(role(tabs->tabBar(), QPalette::Button), system.color(QPalette::Button));
    auto* menu = editor.findChild<QMenuBar*>();
    ASSERT_TRUE(menu);
    EXPECT_EQ(role(menu, QPalette::Window), QApplication::palette(menu).color(QPalette::Window));
    EXPECT_EQ(role(menu, QPalette::ButtonText), QApplication::palette(menu).color(QPalette::ButtonText));
    editor.hide();
}

TEST(ColourWindow, TheEmptyEntryLeavesTheWorkingCopyAsItWas) {
    Fixture f;
    ColourConfigWindow w(f.main->session(), ColorTarget::Search, f.main.get());
    w.show();
    f.prompts.answerColor(QColor(1, 2, 3));
    QTest::mouseClick(w.colorButton("MajorTitles"), Qt::LeftButton);
    const ColorSet before = w.workingCopy();
    QComboBox* box = w.colorSets();
    box->setCurrentIndex(4); // shown, not chosen
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home); // the empty entry, chosen
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(w.workingCopy(), before);
    EXPECT_EQ(w.workingCopy()[ColorSet::MajorTitle], WindowColors::toNumber(QColor(1, 2, 3)));
}

TEST(ColourWindow, AllWindowsStartsFromTheMainSetAndOkMakesTheFiveEqualAndRepaintsTheMainWindow) {
    Fixture f;
    f.settings().colors(WindowGroup::Main)[ColorSet::MinorTitle] = 0x0000FF;
    f.settings().colors(WindowGroup::Report)[ColorSet::MainBackground] = 0x00FF00;
    withColourWindow(
        [](ColourConfigWindow& w) {
            EXPECT_EQ(w.workingCopy()[ColorSet::MinorTitle], 0x0000FF);
            chooseCombination(w, 6); // Ocean Blue
            QTest::mouseClick(w.okButton(), Qt::LeftButton);
        },
        [&] { f.main->action("MenuAllColor")->trigger(); });
    ColorSet ocean = f.settings().colors(WindowGroup::Main);
    EXPECT_EQ(ocean[ColorSet::MainBackground], config::colorNumber(0, 255, 255));
    for (const ColorSet& s : f.settings().colorSets)
        EXPECT_EQ(s, ocean);
    EXPECT_EQ(role(f.main->centralArea(), QPalette::Window), QColor(0, 255, 255));
    QLabel* heading = f.main->findChild<QLabel*>("ViewerLabel");
    ASSERT_TRUE(heading);
    EXPECT_EQ(role(heading, QPalette::WindowText), QColor(255, 0, 0));

    // Every other window takes the set when it is next shown.
    SortOrderDialog sort(f.main->session(), f.main.get());
    sort.show();
    EXPECT_EQ(role(&sort, QPalette::Window), QColor(0, 255, 255));
    sort.hide();
}

TEST(ColourWindow, CancelAfterColoursAndACombinationChangesNoSet) {
    Fixture f;
    const DatabaseSettings before = f.settings();
    for (const char* item : {"MenuConfigureColor", "MenuAllColor"}) {
        withColourWindow(
            [&](ColourConfigWindow& w) {
                f.prompts.answerColor(QColor(9, 9, 9));
                QTest::mouseClick(w.colorButton("MainBack"), Qt::LeftButton);
                chooseCombination(w, 8);
                QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
            },
            [&] { f.main->action(item)->trigger(); });
        EXPECT_EQ(f.settings().colorSets, before.colorSets) << item;
    }
    EXPECT_EQ(role(f.main->centralArea(), QPalette::Window), LightGrey);
}

TEST(ColourWindow, WithoutColourSectionsEveryWindowIsGreyWithWhiteBoxesAndBlackText) {
    Fixture f;
    ViewerConfigWindow viewer(f.main->session(), f.main.get());
    viewer.show();
    EXPECT_EQ(role(&viewer, QPalette::Window), LightGrey);
    EXPECT_EQ(role(viewer.titleFontBox(), QPalette::Base), White);
    EXPECT_EQ(role(viewer.titleFontBox(), QPalette::Text), Black);
    EXPECT_EQ(role(viewer.fieldNameGrid(), QPalette::Base), White);
    EXPECT_EQ(role(viewer.showGridTitle(), QPalette::WindowText), Black);
    viewer.hide();
    RecordEditor editor(f.main->session(), f.main.get());
    editor.setMode(EditorMode::Add);
    editor.show();
    EXPECT_EQ(role(&editor, QPalette::Window), LightGrey);
    editor.hide();
    EXPECT_EQ(role(f.main->centralArea(), QPalette::Window), LightGrey);
}

TEST(ColourWindow, EveryWindowTakesItsGroupsSetEachTimeItIsShown) {
    Fixture f;
    Session& session = f.main->session();
    auto background = [](int group) { return QColor(40 * group, 255 - 40 * group, 17 * group); };
    for (int g = 1; g <= 5; ++g) {
        ColorSet set;
        set[ColorSet::MainBackground] = WindowColors::toNumber(background(g));
        config::acceptSet(f.settings(), static_cast<ColorTarget>(g), set);
    }
    SearchState search;
    LocateRequest request;
    std::vector<std::pair<std::unique_ptr<QDialog>, int>> windows;
    windows.emplace_back(std::make_unique<RecordEditor>(session, f.main.get()), 2);
    windows.emplace_back(std::make_unique<SearchWindow>(session, search, f.main.get()), 3);
    windows.emplace_back(std::make_unique<reports::ReportWindow>(session, f.main.get()), 4);
    windows.emplace_back(std::make_unique<SortOrderDialog>(session, f.main.get()), 5);
    windows.emplace_back(std::make_unique<LocateDialog>(session, request, f.main.get()), 5);
    windows.emplace_back(std::make_unique<SearchReplaceWindow>(session, search, f.main.get()), 5);
    windows.emplace_back(std::make_unique<ListEditorDialog>(session, DataLists::Producer, f.main.get()), 5);
    windows.emplace_back(std::make_unique<ViewerConfigWindow>(session, f.main.get()), 5);
    for (auto& [window, group] : windows) {
        window->show();
        EXPECT_EQ(role(window.get(), QPalette::Window), background(group))
            << window->objectName().toStdString();
        window->hide();
    }
    // A window shown again takes the set in force then.
    ColorSet configure;
    config::applyCombination(configure, 8);
    config::acceptSet(f.settings(), ColorTarget::Configure, configure);
    QDialog* sort = windows[3].first.get();
    sort->show();
    EXPECT_EQ(role(sort, QPalette::Window), QColor(0, 255, 0));
    sort->hide();
    f.prompts.clearQueue();
}

TEST(ColourWindow, TheSetsAreInForceAfterARestart) {
    Sandbox box;
    box.setProgramKey("Misc", "Show Tips", "No");
    ScriptedPrompts prompts;
    {
        auto main = start();
        main->show();
        withColourWindow(
            [](ColourConfigWindow& w) {
                chooseCombination(w, 11); // Green Glow
                QTest::mouseClick(w.okButton(), Qt::LeftButton);
            },
            [&] { main->action("MenuSearchColor")->trigger(); });
        finish(main);
    }
    auto main = start();
    main->show();
    ColorSet glow;
    config::applyCombination(glow, 11);
    EXPECT_EQ(main->session().database().colors(WindowGroup::Search), glow);
    EXPECT_EQ(main->session().database().colors(WindowGroup::Main), ColorSet());
    finish(main);
}

} // namespace
