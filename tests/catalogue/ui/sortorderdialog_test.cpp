// The sort order window over the main window's table: the four levels, the expression made the
// active order and stored, and the refusal while another program holds the table.
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/sortorder.h"
#include "catalogue/ui/sortorderdialog.h"
#include "shell/shell_helpers.h"

using namespace shelltest;

namespace {

bool hasSortTag(dbase::Table& t, std::string* expression = nullptr) {
    for (const dbase::TagInfo& tag : t.tags())
        if (QString::fromStdString(tag.name).compare("NewIndex", Qt::CaseInsensitive) == 0) {
            if (expression) *expression = tag.expression;
            return true;
        }
    return false;
}

bool sortTagActive(dbase::Table& t) {
    return QString::fromStdString(t.activeIndex()).compare("NewIndex", Qt::CaseInsensitive) == 0;
}

void choose(SortOrderDialog& w, int a, int b, int c, int d) {
    w.levelBox(0)->setCurrentIndex(a);
    w.levelBox(1)->setCurrentIndex(b);
    w.levelBox(2)->setCurrentIndex(c);
    w.levelBox(3)->setCurrentIndex(d);
}

TEST(SortOrderWindow, ListsHoldNoneAndTheFortyDisplayNamesAndShowTheLevels) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    main->session().database().fieldNames[0] = "Film";
    auto owned = std::make_unique<SortOrderDialog>(main->session(), main.get());
    SortOrderDialog& w = *owned;
    EXPECT_EQ(w.windowTitle(), QString("Sort Order"));
    EXPECT_EQ(w.levelBox(0)->count(), 41);
    EXPECT_EQ(w.levelBox(0)->itemText(0), QString("<NONE>"));
    EXPECT_EQ(w.levelBox(0)->itemText(1), QString("Film"));
    EXPECT_EQ(w.levelBox(3)->itemText(40), QString("User Defined 2"));
    w.show();
    // A database without settings sorts by slot 2.
    EXPECT_EQ(w.levelBox(0)->currentIndex(), 2);
    EXPECT_EQ(w.levelBox(1)->currentIndex(), 0);
    EXPECT_TRUE(sortTagActive(main->session().table()));
    owned.reset();
    finish(main);
}

TEST(SortOrderWindow, OkMakesTheNewOrderActiveAndStoresIt) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    {
        auto owned = std::make_unique<SortOrderDialog>(main->session(), main.get());
        SortOrderDialog& w = *owned;
        w.show();
        choose(w, 1, 2, 3, 4); // four string levels: 20 characters each
        w.okButtonClicked();
        EXPECT_EQ(w.result(), QDialog::Accepted);
    }
    Session& s = main->session();
    const QString four =
        "Upper(Left(Title,20))+Upper(Left(Star1,20))+Upper(Left(Star2,20))+Upper(Left(Star3,20))";
    EXPECT_EQ(s.sortExpression(), four);
    std::string expression;
    ASSERT_TRUE(hasSortTag(s.table(), &expression));
    EXPECT_EQ(QString::fromStdString(expression), four);
    EXPECT_TRUE(sortTagActive(s.table()));
    EXPECT_EQ(s.table().mode(), dbase::OpenMode::Shared);
    IniFile ini(box.program("MASTER.INI"));
    ini.load();
    EXPECT_EQ(ini.value("Sort Order", "Primary Sort"), QString("1"));
    EXPECT_EQ(ini.value("Sort Order", "Fourth Level Sort"), QString("4"));

    {
        SortOrderDialog w(s, main.get());
        w.show();
        choose(w, 0, 1, 0, 0); // <NONE> then Title
        w.okButtonClicked();
    }
    EXPECT_EQ(s.sortExpression(), QString("Upper(Left(Title,80))"));
    {
        SortOrderDialog w(s, main.get());
        w.show();
        choose(w, 1, 11, 35, 0); // three levels: 26 characters; integer and date pieces
        w.okButtonClicked();
    }
    EXPECT_EQ(s.sortExpression(), QString("Upper(Left(Title,26))+STR(Year,12,0)+DTOS(PurchDate)"));
    {
        SortOrderDialog w(s, main.get());
        w.show();
        choose(w, 0, 0, 0, 0);
        w.okButtonClicked();
    }
    EXPECT_EQ(s.sortExpression(), QString());
    EXPECT_FALSE(sortTagActive(s.table()));
    EXPECT_TRUE(hasSortTag(s.table())); // the old tag stays in the index
    EXPECT_TRUE(prompts.done());
    finish(main);
    // Record order is in force at the next start too.
    auto again = start();
    EXPECT_EQ(again->session().sortExpression(), QString());
    EXPECT_FALSE(sortTagActive(again->session().table()));
    finish(again);
}

TEST(SortOrderWindow, OrderOfTheViewerFollowsTheChoice) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    dbase::Table& t = main->session().table();
    for (const char* title : {"Casablanca", "Alien", "Brazil"}) {
        t.append();
        t.setText(t.fieldIndex("Title"), title);
        t.post();
    }
    auto owned = std::make_unique<SortOrderDialog>(main->session(), main.get());
    SortOrderDialog& w = *owned;
    w.show();
    choose(w, 1, 0, 0, 0);
    w.okButtonClicked();
    owned.reset();
    QStringList titles;
    for (bool ok = t.first(); ok; ok = t.next())
        titles << QString::fromStdString(t.getText(t.fieldIndex("Title")));
    EXPECT_EQ(titles, QStringList({"Alien", "Brazil", "Casablanca"}));
    finish(main);
}

TEST(SortOrderWindow, TableHeldByAnotherProgramKeepsThePreviousOrder) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    Session& s = main->session();
    const QString before = s.sortExpression();
    LockHolder holder(box.master());
    ASSERT_TRUE(holder.locked());
    auto owned = std::make_unique<SortOrderDialog>(s, main.get());
    SortOrderDialog& w = *owned;
    w.show();
    choose(w, 1, 0, 0, 0);
    prompts.expect("Error", sortNeedsExclusiveMessage(), Prompts::Ok);
    w.okButtonClicked();
    EXPECT_TRUE(prompts.done());
    EXPECT_TRUE(w.isVisible()); // the window stays open
    EXPECT_EQ(s.sortExpression(), before);
    EXPECT_EQ(s.database().sortLevels[0], 2);
    EXPECT_TRUE(s.table().isOpen());
    EXPECT_TRUE(sortTagActive(s.table()));
    owned.reset();
    finish(main);
}

} // namespace
