// The viewer configuration's rules: typed widths, the name check, the order page and the closing
// rules taking the grids into the settings, which survive a write and a new read of the file.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "config/viewerconfig.h"

using config::ViewerConfiguration;

namespace {

TEST(ViewerWidths, TypedWidthsOutside1To255OrNotWholeNumbersBecome10) {
    const struct {
        const char* typed;
        int width;
    } cases[] = {
        {"0", 10},   {"300", 10}, {"abc", 10},  {"", 10},   {"-5", 10},    {"12x", 10}, {"1.5", 10},
        {"256", 10}, {"1", 1},    {"255", 255}, {"25", 25}, {" 2 5 ", 25}, {"007", 7},  {"99999999999", 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(config::widthFromText(QString::fromLatin1(c.typed)), c.width) << c.typed;
}

TEST(ViewerConfiguration, ClosingStoresWidthsAndShowsTheReplacedCellsAs10) {
    DatabaseSettings s;
    ViewerConfiguration c(s);
    EXPECT_EQ(c.widthText(1), QString("15"));
    c.setWidthText(1, "0");
    c.setWidthText(2, "300");
    c.setWidthText(3, "wide");
    c.setWidthText(4, " 40");
    c.apply(s);
    EXPECT_EQ(s.fieldWidth[0], 10);
    EXPECT_EQ(s.fieldWidth[1], 10);
    EXPECT_EQ(s.fieldWidth[2], 10);
    EXPECT_EQ(s.fieldWidth[3], 40);
    EXPECT_EQ(s.fieldWidth[4], 15);
    EXPECT_EQ(c.widthText(1), QString("10"));
    EXPECT_EQ(c.widthText(3), QString("10"));
    EXPECT_EQ(c.widthText(4), QString("40"));
}

TEST(ViewerConfiguration, DoubleClickTogglesYesAndNoAndOnlyExactlyYesShows) {
    DatabaseSettings s;
    s.displayFields[1] = false;
    ViewerConfiguration c(s);
    EXPECT_EQ(c.displayText(1), QString("Yes"));
    EXPECT_EQ(c.displayText(2), QString("No"));
    c.toggleDisplayed(1);
    c.toggleDisplayed(2);
    EXPECT_EQ(c.displayText(1), QString("No"));
    EXPECT_EQ(c.displayText(2), QString("Yes"));
    c.setDisplayText(3, "yes");
    c.toggleDisplayed(4);
    c.toggleDisplayed(4);
    c.setDisplayText(5, "maybe");
    c.toggleDisplayed(5); // anything but "Yes" turns into "Yes"
    c.apply(s);
    EXPECT_FALSE(s.displayFields[0]);
    EXPECT_TRUE(s.displayFields[1]);
    EXPECT_FALSE(s.displayFields[2]);
    EXPECT_TRUE(s.displayFields[3]);
    EXPECT_TRUE(s.displayFields[4]);
}

TEST(ViewerConfiguration, NamesAreRefusedWhenEmptyOrEqualAsKept) {
    const struct {
        int slotA;
        const char* a;
        int slotB;
        const char* b;
        int shownSlot; // 0: accepted
        const char* message;
    } cases[] = {
        {1, "Film", 2, "Film", 2, "Two field names have the same name \"Film\".  Please change one."},
        {3, "", 9, "", 3, "The field Star2 has no name to use.  Please give it a name."},
        {5, "   ", 6, "Lead", 5, "The field Star4 has no name to use.  Please give it a name."},
        {1, "film", 2, "Film", 0, ""}, // letter case counts
        {7, "A name of twenty-five chars", 8, "A name of twenty-five CHARS", 8,
         "Two field names have the same name \"A name of twenty-fiv\".  Please change one."},
        {1, "Film ", 2, "Film", 2, "Two field names have the same name \"Film\".  Please change one."},
    };
    for (const auto& k : cases) {
        DatabaseSettings s;
        ViewerConfiguration c(s);
        c.setNameText(k.slotA, QString::fromLatin1(k.a));
        c.setNameText(k.slotB, QString::fromLatin1(k.b));
        const auto problem = c.nameProblem();
        if (k.shownSlot == 0) {
            EXPECT_FALSE(problem) << k.a << " / " << k.b;
            continue;
        }
        ASSERT_TRUE(problem) << k.a << " / " << k.b;
        EXPECT_EQ(problem->slot, k.shownSlot) << k.a;
        EXPECT_EQ(problem->message, QString::fromLatin1(k.message));
    }
    DatabaseSettings defaults;
    EXPECT_FALSE(ViewerConfiguration(defaults).nameProblem());
}

TEST(ViewerConfiguration, NamesAreCutTo20Characters) {
    DatabaseSettings s;
    ViewerConfiguration c(s);
    c.setNameText(1, "The Title Of The Video Tape");
    c.setNameText(2, "Exactly twenty chars");
    c.apply(s);
    EXPECT_EQ(s.fieldNames[0], QString("The Title Of The Vid"));
    EXPECT_EQ(s.fieldNames[1], QString("Exactly twenty chars"));
    EXPECT_EQ(c.nameText(1), QString("The Title Of The Vid"));
}

TEST(ViewerConfiguration, UpOnTheFirstRowAndDownOnTheLastDoNothing) {
    DatabaseSettings s;
    ViewerConfiguration c(s);
    EXPECT_FALSE(c.moveUp(0));
    EXPECT_FALSE(c.moveDown(FieldCount - 1));
    EXPECT_FALSE(c.moveUp(FieldCount));
    EXPECT_FALSE(c.moveDown(-1));
    for (int row = 0; row < FieldCount; ++row)
        EXPECT_EQ(c.orderSlot(row), row + 1);
    EXPECT_TRUE(c.moveUp(1));
    EXPECT_EQ(c.orderText(0), defaultTitle(2));
    EXPECT_EQ(c.orderText(1), defaultTitle(1));
    EXPECT_TRUE(c.moveDown(38));
    EXPECT_EQ(c.orderSlot(39), 39);
    c.apply(s);
    EXPECT_EQ(s.fieldOrder[0], 2);
    EXPECT_EQ(s.fieldOrder[1], 1);
    EXPECT_EQ(s.fieldOrder[38], 40);
    EXPECT_EQ(s.fieldOrder[39], 39);
}

TEST(ViewerConfiguration, DefaultsPutTheFieldsBackInSlotOrder) {
    DatabaseSettings s;
    for (int slot = 1; slot <= FieldCount; ++slot)
        s.fieldOrder[size_t(slot - 1)] = FieldCount + 1 - slot;
    ViewerConfiguration c(s);
    EXPECT_EQ(c.orderSlot(0), 40);
    c.restoreDefaultOrder();
    for (int row = 0; row < FieldCount; ++row)
        EXPECT_EQ(c.orderText(row), s.fieldNames[size_t(row)]);
    c.apply(s);
    for (int slot = 1; slot <= FieldCount; ++slot)
        EXPECT_EQ(s.fieldOrder[size_t(slot - 1)], slot);
}

TEST(ViewerConfiguration, OrderRowsFollowThePositionsAndRenamingKeepsTheOrder) {
    DatabaseSettings s;
    std::swap(s.fieldOrder[0], s.fieldOrder[2]); // Title third, Star2 first
    ViewerConfiguration c(s);
    EXPECT_EQ(c.orderText(0), QString("Star 2"));
    EXPECT_EQ(c.orderText(2), QString("Title"));
    // The order page shows the names of the opening; renaming moves nothing.
    c.setNameText(1, "Film");
    c.setNameText(3, "Title");
    EXPECT_EQ(c.orderText(2), QString("Title"));
    ASSERT_FALSE(c.nameProblem());
    c.apply(s);
    EXPECT_EQ(s.fieldOrder[0], 3);
    EXPECT_EQ(s.fieldOrder[2], 1);
    EXPECT_EQ(s.fieldNames[0], QString("Film"));
    EXPECT_EQ(s.fieldNames[2], QString("Title"));
}

TEST(ViewerConfiguration, AHandEditedOrderStillListsEveryFieldOnceAndClosesAsAPermutation) {
    DatabaseSettings s;
    s.fieldOrder[4] = 1;  // Star4 shares position 1 with Title
    s.fieldOrder[7] = 0;  // out of range
    s.fieldOrder[9] = 99; // out of range
    ViewerConfiguration c(s);
    std::array<int, FieldCount + 1> seen{};
    for (int row = 0; row < FieldCount; ++row)
        ++seen[size_t(c.orderSlot(row))];
    for (int slot = 1; slot <= FieldCount; ++slot)
        EXPECT_EQ(seen[size_t(slot)], 1) << slot;
    EXPECT_EQ(c.orderSlot(0), 1);
    EXPECT_EQ(c.orderSlot(1), 5);
    c.apply(s);
    std::array<int, FieldCount + 1> positions{};
    for (int slot = 1; slot <= FieldCount; ++slot)
        ++positions[size_t(s.fieldOrder[size_t(slot - 1)])];
    for (int p = 1; p <= FieldCount; ++p)
        EXPECT_EQ(positions[size_t(p)], 1) << p;
}

TEST(ViewerConfiguration, SettingsSurviveWritingAndReadingTheDatabaseSettingsFile) {
    QTemporaryDir dir;
    const QString table = dir.filePath("MASTER.DBF");
    DatabaseSettings s;
    ViewerConfiguration c(s);
    c.setNameText(1, "Film title that is far too long");
    c.setWidthText(1, "300");
    c.setWidthText(2, "42");
    c.toggleDisplayed(3);
    c.moveDown(0);
    c.apply(s);
    s.gridFont.name = "DejaVu Serif";
    s.cellColor = 0x123456;
    s.rowLines = false;
    ASSERT_TRUE(s.saveForTable(table));
    DatabaseSettings read;
    ASSERT_TRUE(read.loadForTable(table, dir.filePath("QLNVID.INI")));
    EXPECT_EQ(read, s);
    EXPECT_EQ(read.fieldNames[0], QString("Film title that is f"));
    EXPECT_EQ(read.fieldWidth[0], 10);
    EXPECT_EQ(read.fieldWidth[1], 42);
    EXPECT_FALSE(read.displayFields[2]);
    EXPECT_EQ(read.fieldOrder[0], 2);
    EXPECT_EQ(read.fieldOrder[1], 1);
}

} // namespace
