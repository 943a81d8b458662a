// Sort expressions from the four sort levels, and applying them to a table.
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/sortorder.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "dbase/table.h"

namespace {

TEST(sortExpression, NoLevelIsEmpty) {
    EXPECT_EQ(sortExpression(0, 0, 0, 0), QString());
}

TEST(sortExpression, OneStringLevelTakesEighty) {
    EXPECT_EQ(sortExpression(2, 0, 0, 0), "Upper(Left(Star1,80))");
}

TEST(sortExpression, FourStringLevelsTwentyEach) {
    EXPECT_EQ(
        sortExpression(1, 2, 9, 14),
        "Upper(Left(Title,20))+Upper(Left(Star1,20))+Upper(Left(Director,20))+Upper(Left(Category,20))");
}

TEST(sortExpression, ThreeStringLevelsTwentySixEach) {
    EXPECT_EQ(sortExpression(23, 1, 40, 0),
              "Upper(Left(Descriptio,26))+Upper(Left(Title,26))+Upper(Left(UserDef2,26))");
}

TEST(sortExpression, NoneThenTitleCountsOneLevel) {
    EXPECT_EQ(sortExpression(0, 1, 0, 0), "Upper(Left(Title,80))");
    EXPECT_EQ(sortExpression(0, 0, 0, 1), "Upper(Left(Title,80))");
}

TEST(sortExpression, GapsDoNotShiftLaterLevels) {
    EXPECT_EQ(sortExpression(1, 0, 2, 0), "Upper(Left(Title,40))+Upper(Left(Star1,40))");
}

TEST(sortExpression, TitleThenYear) {
    EXPECT_EQ(sortExpression(1, 11, 0, 0), "Upper(Left(Title,40))+STR(Year,12,0)");
}

TEST(sortExpression, NumbersAndDates) {
    EXPECT_EQ(sortExpression(11, 12, 28, 34), "STR(Year,12,0)+STR(RunTime,12,0)+STR(ListPrice,12,2)+"
                                              "STR(PurchPrice,12,2)");
    EXPECT_EQ(sortExpression(35, 32, 0, 0), "DTOS(PurchDate)+DTOS(CheckDate)");
    // Numbers and dates take their own widths; strings still divide 80 by all levels in use.
    EXPECT_EQ(sortExpression(35, 1, 0, 0), "DTOS(PurchDate)+Upper(Left(Title,40))");
}

TEST(sortExpression, EveryStringSlotUsesItsName) {
    for (int s = 1; s <= FieldCount; ++s) {
        const QString e = sortExpression(s, 0, 0, 0);
        EXPECT_TRUE(e.contains(QLatin1String(fieldSlot(s).name))) << s;
        EXPECT_FALSE(e.endsWith('+'));
    }
}

TEST(sortExpression, SlotsOutsideTheTableCountAsNone) {
    EXPECT_EQ(sortExpression(-1, 41, 1, 1000), "Upper(Left(Title,80))");
    EXPECT_EQ(sortExpression(SortLevels{99, -5, 0, 0}), QString());
}

TEST(sortExpression, ArrayAndFourArgumentsAgree) {
    EXPECT_EQ(sortExpression(SortLevels{3, 0, 11, 35}), sortExpression(3, 0, 11, 35));
}

class ApplySort : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file;
    void SetUp() override {
        file = dir.filePath("MOVIES.DBF");
        ASSERT_TRUE(createCatalogue(file).ok);
        dbase::Table t;
        t.open(enginePath(file));
        const int title = t.fieldIndexOrThrow("Title"), year = t.fieldIndexOrThrow("Year");
        const std::pair<const char*, int> rows[] = {
            {"charlie", 1990}, {"Alpha", 1985}, {"bravo", 1970}, {"alpha", 1960}};
        for (auto [name, y] : rows) {
            t.append();
            t.setText(title, name);
            t.setNumber(year, y);
            t.post();
        }
        t.close();
    }
    std::vector<uint32_t> order(dbase::Table& t) {
        std::vector<uint32_t> r;
        for (bool more = t.first(); more; more = t.next())
            r.push_back(t.recNo());
        return r;
    }
};

TEST_F(ApplySort, RebuildMakesNewIndexActive) {
    dbase::Table t;
    t.open(enginePath(file), dbase::OpenMode::Exclusive);
    applySortExpression(t, sortExpression(1, 11, 0, 0), SortApply::Rebuild);
    EXPECT_EQ(QString::fromStdString(t.activeIndex()).toUpper(), "NEWINDEX");
    ASSERT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(QString::fromStdString(t.tags()[0].expression), "Upper(Left(Title,40))+STR(Year,12,0)");
    EXPECT_EQ(order(t), (std::vector<uint32_t>{4, 2, 3, 1}));
    t.checkIndexes();

    // A new order replaces the tag: still one tag, the new expression.
    applySortExpression(t, sortExpression(11, 0, 0, 0), SortApply::Rebuild);
    ASSERT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(QString::fromStdString(t.tags()[0].expression), "STR(Year,12,0)");
    EXPECT_EQ(order(t), (std::vector<uint32_t>{4, 3, 2, 1}));
    t.checkIndexes();
}

TEST_F(ApplySort, EmptyExpressionShowsRecordOrderAndKeepsTheTag) {
    dbase::Table t;
    t.open(enginePath(file), dbase::OpenMode::Exclusive);
    applySortExpression(t, sortExpression(1, 0, 0, 0), SortApply::Rebuild);
    applySortExpression(t, sortExpression(0, 0, 0, 0), SortApply::Rebuild);
    EXPECT_EQ(t.activeIndex(), "");
    EXPECT_EQ(order(t), (std::vector<uint32_t>{1, 2, 3, 4}));
    ASSERT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(QString::fromStdString(t.tags()[0].name).toUpper(), "NEWINDEX");
}

TEST_F(ApplySort, EmptyExpressionOnTableWithoutIndexCreatesNoMdx) {
    dbase::Table t;
    t.open(enginePath(file), dbase::OpenMode::Exclusive);
    applySortExpression(t, QString(), SortApply::StartUp);
    t.close();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("MOVIES.MDX")));
}

TEST_F(ApplySort, StartUpUsesTheExistingTagWithoutRebuilding) {
    const QString expression = sortExpression(1, 11, 0, 0);
    {
        dbase::Table t;
        t.open(enginePath(file), dbase::OpenMode::Exclusive);
        applySortExpression(t, expression, SortApply::Rebuild);
        t.close();
    }
    const QString mdx = dir.filePath("MOVIES.MDX");
    const QByteArray before = readFile(mdx);
    ASSERT_FALSE(before.isEmpty());

    dbase::Table t;
    t.open(enginePath(file));
    applySortExpression(t, expression, SortApply::StartUp);
    EXPECT_EQ(QString::fromStdString(t.activeIndex()).toUpper(), "NEWINDEX");
    EXPECT_EQ(order(t), (std::vector<uint32_t>{4, 2, 3, 1}));
    t.close();
    EXPECT_EQ(readFile(mdx), before) << "the index was rewritten";
}

TEST_F(ApplySort, StartUpRebuildsATagOfAnotherExpression) {
    {
        dbase::Table t;
        t.open(enginePath(file), dbase::OpenMode::Exclusive);
        applySortExpression(t, sortExpression(1, 0, 0, 0), SortApply::Rebuild);
        t.close();
    }
    dbase::Table t;
    t.open(enginePath(file), dbase::OpenMode::Exclusive);
    applySortExpression(t, sortExpression(11, 0, 0, 0), SortApply::StartUp);
    ASSERT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(QString::fromStdString(t.tags()[0].expression), "STR(Year,12,0)");
    EXPECT_EQ(order(t), (std::vector<uint32_t>{4, 3, 2, 1}));
}

TEST_F(ApplySort, StartUpWithoutMdxBuildsTheTag) {
    dbase::Table t;
    t.open(enginePath(file), dbase::OpenMode::Exclusive);
    applySortExpression(t, sortExpression(2, 0, 0, 0), SortApply::StartUp);
    EXPECT_EQ(QString::fromStdString(t.activeIndex()).toUpper(), "NEWINDEX");
    t.close();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("MOVIES.MDX")));
}

TEST_F(ApplySort, PostedRecordsFollowTheOrder) {
    dbase::Table t;
    t.open(enginePath(file), dbase::OpenMode::Exclusive);
    applySortExpression(t, sortExpression(1, 0, 0, 0), SortApply::Rebuild);
    t.append();
    t.setText(t.fieldIndexOrThrow("Title"), "Aardvark");
    t.post();
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.getText(t.fieldIndexOrThrow("Title")), "Aardvark");
    t.checkIndexes();
}

TEST(SortMessages, Texts) {
    EXPECT_EQ(sortFailedMessage(), "Error in implementing sort order.  New sort order not implemented.");
    EXPECT_TRUE(
        sortNeedsExclusiveMessage().startsWith("Creating a new sort order requires exclusive use of the "
                                               "DBase File.  Make sure"));
}

} // namespace
