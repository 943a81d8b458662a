// Table engine: creation, field access, cursor, editing, filter, counts and companions.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dbase/codepage.h"
#include "dbase/table.h"
#include "support/testutil.h"

using namespace dbase;
using testutil::TempDir;

namespace {

std::vector<CreateField> videoFields() {
    return {{"Title", FieldKind::String, 60},
            {"Year", FieldKind::Integer, 0},
            {"ListPrice", FieldKind::Float, 0},
            {"PurchDate", FieldKind::Date, 0},
            {"Viewed", FieldKind::String, 3}};
}

void addVideo(Table& t, const std::string& title, int year, double price = 0, const std::string& date = "") {
    t.append();
    t.setText(t.fieldIndexOrThrow("Title"), title);
    t.setNumber(t.fieldIndexOrThrow("Year"), year);
    t.setNumber(t.fieldIndexOrThrow("ListPrice"), price);
    t.setDate(t.fieldIndexOrThrow("PurchDate"), date);
    t.post();
}

std::vector<std::string> titlesInOrder(Table& t) {
    std::vector<std::string> out;
    int f = t.fieldIndexOrThrow("title");
    for (bool ok = t.first(); ok; ok = t.next())
        out.push_back(t.getText(f));
    return out;
}

} // namespace

TEST(TableCreate, WritesDbaseIvHeaderWithoutIndex) {
    TempDir dir;
    const std::string path = dir.file("MASTER.DBF");
    testutil::writeFile(dir.file("MASTER.MDX"), "stale");
    Table::create(path, videoFields());
    EXPECT_FALSE(testutil::exists(dir.file("MASTER.MDX")));
    const std::string bytes = testutil::readFile(path);
    ASSERT_EQ(bytes.size(), 32u + 5 * 32 + 1 + 1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x57);
    EXPECT_EQ(static_cast<unsigned char>(bytes[14]), 0);
    EXPECT_EQ(bytes.back(), 0x1A);

    Table t;
    t.open(path);
    ASSERT_EQ(t.fieldCount(), 5);
    EXPECT_EQ(t.field(0).name, "TITLE");
    EXPECT_EQ(t.field(0).type, 'C');
    EXPECT_EQ(t.field(0).width, 60);
    EXPECT_EQ(t.field(1).type, 'N');
    EXPECT_EQ(t.field(1).width, 11);
    EXPECT_EQ(t.field(2).width, 20);
    EXPECT_EQ(t.field(2).decimals, 4);
    EXPECT_EQ(t.field(3).type, 'D');
    EXPECT_EQ(t.field(3).width, 8);
    EXPECT_EQ(t.recordCount(), 0u);
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    EXPECT_FALSE(t.first());
    EXPECT_FALSE(t.hasProductionIndex());
    EXPECT_EQ(t.info().codePage, "cp1252");
}

TEST(TableCreate, RefusesBadFieldLists) {
    TempDir dir;
    const std::string path = dir.file("x.dbf");
    EXPECT_THROW(Table::create(path, {}), DbError);
    EXPECT_THROW(Table::create(path, {{"Toolongname1", FieldKind::String, 5}}), DbError);
    EXPECT_THROW(Table::create(path, {{"A", FieldKind::String, 5}, {"a", FieldKind::String, 5}}), DbError);
    EXPECT_THROW(Table::create(path, {{"A", FieldKind::String, 0}}), DbError);
    EXPECT_THROW(Table::create(path, {{"A", FieldKind::String, 255}}), DbError);
    EXPECT_THROW(Table::createRaw(path, {{"NOTES", 'M', 10, 0}}), DbError);
    EXPECT_FALSE(testutil::exists(path));
}

TEST(TableFields, NamesIgnoreCaseAndMissingNameIsAnError) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    EXPECT_EQ(t.fieldIndex("title"), 0);
    EXPECT_EQ(t.fieldIndex("TiTlE"), 0);
    EXPECT_EQ(t.fieldIndex("listprice"), 2);
    EXPECT_EQ(t.fieldIndex("nope"), -1);
    try {
        t.fieldIndexOrThrow("Nope");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Nope"), std::string::npos);
    }
    EXPECT_THROW(t.getText(99), DbError);
}

TEST(TableValues, TextNumberDateRoundTrip) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    addVideo(t, "Casablanca", 1942, 19.95, "19980704");
    addVideo(t, "", 0, 0, "");
    t.append();
    t.post(); // a record with every field blank

    t.close();
    t.open(path);
    ASSERT_TRUE(t.first());
    const int title = t.fieldIndex("title"), year = t.fieldIndex("year"), price = t.fieldIndex("listprice"),
              date = t.fieldIndex("purchdate");
    EXPECT_EQ(t.getText(title), "Casablanca");
    EXPECT_EQ(t.getText(year), "1942");
    EXPECT_EQ(t.getNumber(year), 1942.0);
    EXPECT_EQ(t.getText(price), "19.9500");
    EXPECT_DOUBLE_EQ(*t.getNumber(price), 19.95);
    EXPECT_EQ(t.getDate(date), "19980704");
    ASSERT_TRUE(t.next());
    EXPECT_EQ(t.getText(title), "");
    EXPECT_EQ(t.getNumber(year), 0.0);
    EXPECT_EQ(t.getDate(date), "");
    ASSERT_TRUE(t.next());
    EXPECT_TRUE(t.isBlank(year));
    EXPECT_FALSE(t.getNumber(year).has_value());
    EXPECT_EQ(t.getText(year), "");
    EXPECT_FALSE(t.next());
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 3u);
}

TEST(TableValues, RefusesValuesThatDoNotFit) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::createRaw(path, {{"NAME", 'C', 5, 0}, {"N", 'N', 4, 1}, {"D", 'D', 8, 0}, {"OK", 'L', 1, 0}});
    Table t;
    t.open(path);
    EXPECT_THROW(t.setText(0, "x"), DbError); // not editing
    t.append();
    t.setText(0, "abcdefgh"); // cut at the width
    EXPECT_EQ(t.getText(0), "abcde");
    t.setNumber(1, 12.34);
    EXPECT_EQ(t.getText(1), "12.3");
    EXPECT_THROW(t.setNumber(1, 123.4), DbError);
    EXPECT_THROW(t.setText(1, "12a"), DbError);
    t.setText(1, " -1.25 ");
    EXPECT_EQ(t.getText(1), "-1.3");
    EXPECT_THROW(t.setDate(2, "20230230"), DbError);
    EXPECT_THROW(t.setDate(2, "2023-01-01"), DbError);
    t.setDate(2, "20240229");
    t.setText(3, "yes");
    EXPECT_EQ(t.getText(3), "T");
    EXPECT_THROW(t.setText(3, "maybe"), DbError);
    t.post();
    EXPECT_EQ(t.getText(0), "abcde");
    EXPECT_EQ(t.getDate(2), "20240229");
    EXPECT_THROW(t.getDate(0), DbError);
}

TEST(TableValues, NumbersRoundHalfAwayFromZeroWithoutMovingLargeValues) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::createRaw(path, {{"PRICE", 'N', 20, 4}, {"CENTS", 'N', 12, 2}});
    Table t;
    t.open(path);
    t.append();
    t.setNumber(0, 123456789012.0); // large prices keep every digit
    EXPECT_EQ(t.getText(0), "123456789012.0000");
    t.setNumber(0, 99999999999.9999);
    EXPECT_EQ(t.getText(0), "99999999999.9999");
    t.setNumber(1, 1.005); // typed as a tie: rounds away from zero like the decimal
    EXPECT_EQ(t.getText(1), "1.01");
    t.setNumber(1, -2.675);
    EXPECT_EQ(t.getText(1), "-2.68");
    t.setNumber(1, 1234.5);
    EXPECT_EQ(t.getText(1), "1234.50");
    t.setNumber(1, 0.004);
    EXPECT_EQ(t.getText(1), "0.00");
    t.setNumber(1, -0.004); // no negative zero
    EXPECT_EQ(t.getText(1), "0.00");
    t.post();
}

// Numbers are stored right-aligned with the field's decimals, whole ones and others alike.
TEST(TableValues, StoredNumeralsOfWholeAndOtherNumbers) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::createRaw(path, {{"WHOLE", 'N', 11, 0}, {"PRICE", 'N', 20, 4}, {"ONE", 'N', 5, 1}});
    Table t;
    t.open(path);
    const struct {
        int field;
        double value;
        const char* stored;
    } cases[] = {
        {0, 0.0, "          0"},
        {0, -0.0, "          0"},
        {0, 1942.0, "       1942"},
        {0, -95.0, "        -95"},
        {0, 12345678901.0, "12345678901"},
        {0, 0.4, "          0"},
        {0, -0.4, "          0"},
        {0, 2.5, "          3"},
        {1, 0.0, "              0.0000"},
        {1, -0.0, "              0.0000"},
        {1, 100.0, "            100.0000"},
        {1, -7.0, "             -7.0000"},
        {1, 12.5, "             12.5000"},
        {1, 999999999999999.0, "999999999999999.0000"},
        {2, 99.0, " 99.0"},
        {2, -9.0, " -9.0"},
        {2, 9.96, " 10.0"},
    };
    for (const auto& c : cases) {
        t.append();
        t.setNumber(c.field, c.value);
        EXPECT_EQ(t.storedBytes(c.field), c.stored) << c.field << " " << c.value;
        t.cancel();
    }
    t.append();
    EXPECT_THROW(t.setNumber(0, 123456789012.0), DbError); // twelve digits in eleven places
    EXPECT_THROW(t.setNumber(2, -100.0), DbError);
    EXPECT_THROW(t.setNumber(1, 1e16), DbError);
    t.cancel();
}

TEST(TableValues, TextIsConvertedToTheCodePage) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::createRaw(path, {{"NAME", 'C', 20, 0}});
    Table t;
    t.open(path);
    t.append();
    t.setText(0, "Amélie € ж"); // ж is not in cp1252
    t.post();
    t.close();
    const std::string bytes = testutil::readFile(path);
    const std::string rec = bytes.substr(32 + 32 + 1, 21);
    EXPECT_EQ(rec.substr(1, 10), std::string("Am\xE9lie \x80 ?"));
    t.open(path);
    t.first();
    EXPECT_EQ(t.getText(0), "Amélie € ?");
}

TEST(TableCodePage, ConversionTables) {
    const CodePage& cp437 = CodePage::forId(0x01);
    const CodePage& cp850 = CodePage::forId(0x02);
    const CodePage& cp1252 = CodePage::forId(0x57);
    EXPECT_STREQ(cp437.name(), "cp437");
    EXPECT_STREQ(CodePage::forId(0x1B).name(), "cp437");
    EXPECT_STREQ(cp850.name(), "cp850");
    EXPECT_STREQ(CodePage::forId(0x00).name(), "cp1252");
    EXPECT_STREQ(CodePage::forId(0x03).name(), "cp1252");
    EXPECT_STREQ(CodePage::forId(0x58).name(), "cp1252");
    EXPECT_STREQ(CodePage::forId(0x59).name(), "cp1252");
    EXPECT_STREQ(CodePage::forId(0xC9).name(), "cp1251");
    EXPECT_EQ(cp437.toUtf8("\x82\x9B\xE1"), "é¢ß");
    EXPECT_EQ(cp850.toUtf8("\x82\x9B\xD0"), "éøð");
    EXPECT_EQ(cp1252.toUtf8("\x80\xE9\x9F"), "€éŸ");
    EXPECT_EQ(cp437.fromUtf8("é¢ß€"), "\x82\x9B\xE1?");
    EXPECT_EQ(cp850.fromUtf8("øð"), "\x9B\xD0");
    EXPECT_EQ(cp1252.fromUtf8("a\xFF\xFE"
                              "b"),
              "a??b");              // invalid UTF-8
    for (int b = 0; b < 256; ++b) { // every defined byte survives a round trip
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(cp1252.fromUtf8(cp1252.toUtf8(one)), one) << b;
        EXPECT_EQ(cp437.fromUtf8(cp437.toUtf8(one)), one) << b;
        EXPECT_EQ(cp850.fromUtf8(cp850.toUtf8(one)), one) << b;
    }
}

TEST(TableCursor, NavigatesAndSkipsDeletedRecords) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    for (int i = 1; i <= 6; ++i)
        addVideo(t, "V" + std::to_string(i), 1990 + i);
    EXPECT_EQ(t.recordCount(), 6u);
    ASSERT_TRUE(t.gotoBookmark(3));
    t.deleteRecord();
    EXPECT_EQ(t.recNo(), 4u); // moved to the next record
    EXPECT_EQ(t.recordCount(), 5u);
    EXPECT_EQ(t.deletedCount(), 1u);
    EXPECT_FALSE(t.gotoBookmark(3));
    EXPECT_FALSE(t.gotoBookmark(0));
    EXPECT_FALSE(t.gotoBookmark(7));
    ASSERT_TRUE(t.gotoBookmark(6));
    t.deleteRecord(); // the last one: moves back
    EXPECT_EQ(t.recNo(), 5u);
    EXPECT_EQ(titlesInOrder(t), (std::vector<std::string>{"V1", "V2", "V4", "V5"}));
    EXPECT_EQ(t.orderedRecnos(), (std::vector<uint32_t>{1, 2, 4, 5}));

    ASSERT_TRUE(t.last());
    EXPECT_EQ(t.recNo(), 5u);
    EXPECT_TRUE(t.eof());
    ASSERT_TRUE(t.prior());
    EXPECT_EQ(t.recNo(), 4u);
    ASSERT_TRUE(t.prior());
    EXPECT_EQ(t.recNo(), 2u);
    ASSERT_TRUE(t.prior());
    EXPECT_FALSE(t.prior());
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.recNo(), 1u);

    // Another table object sees the same state from the file.
    Table u;
    u.open(path, OpenMode::Shared, true);
    EXPECT_EQ(u.recordCount(), 4u);
    EXPECT_EQ(u.deletedCount(), 2u);
    EXPECT_EQ(u.info().physicalCount, 6u);
}

TEST(TableCursor, DeletingEveryRecordLeavesAnEmptyCursor) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    addVideo(t, "A", 1);
    addVideo(t, "B", 2);
    t.first();
    t.deleteRecord();
    t.deleteRecord();
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.recNo(), 0u);
    EXPECT_TRUE(t.isEmpty());
    EXPECT_THROW(t.deleteRecord(), DbError);
    EXPECT_THROW(t.edit(), DbError);
}

TEST(TableEditing, EditPostCancelAndAutoPost) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    addVideo(t, "One", 2001);
    addVideo(t, "Two", 2002);
    const int title = t.fieldIndex("title");
    t.first();
    t.edit();
    t.setText(title, "Changed");
    EXPECT_EQ(t.getText(title), "Changed");
    t.cancel();
    EXPECT_EQ(t.getText(title), "One");
    t.edit();
    t.setText(title, "Edited");
    EXPECT_TRUE(t.isEditing());
    t.next(); // navigation posts the edit
    EXPECT_FALSE(t.isEditing());
    EXPECT_EQ(t.getText(title), "Two");
    t.append();
    EXPECT_EQ(t.recNo(), 0u);
    t.setText(title, "Three");
    t.cancel();
    EXPECT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(titlesInOrder(t), (std::vector<std::string>{"Edited", "Two"}));
}

TEST(TableFilter, PredicateDecidesVisibilityAndCount) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    for (int i = 1; i <= 10; ++i)
        addVideo(t, "V" + std::to_string(i), 1990 + i);
    const int year = t.fieldIndex("year");
    t.setFilter([year](const Table& tab) { return *tab.getNumber(year) >= 1995; });
    t.refresh();
    EXPECT_EQ(t.recordCount(), 6u);
    EXPECT_EQ(t.orderedRecnos(), (std::vector<uint32_t>{5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.recNo(), 5u);
    EXPECT_FALSE(t.gotoBookmark(2));
    // Posts keep the cached count in step with the filter.
    addVideo(t, "New", 2000);
    addVideo(t, "Old", 1980);
    EXPECT_EQ(t.recordCount(), 7u);
    t.gotoBookmark(5);
    t.edit();
    t.setNumber(year, 1950);
    t.post();
    EXPECT_EQ(t.recordCount(), 6u);
    t.clearFilter();
    t.refresh();
    EXPECT_EQ(t.recordCount(), 12u);
    // A filter sees the record it is asked about.
    std::vector<uint32_t> asked;
    t.setFilter([&asked](const Table& tab) {
        asked.push_back(tab.recNo());
        return true;
    });
    t.recordCount();
    EXPECT_EQ(asked.size(), 12u);
    EXPECT_EQ(asked.front(), 1u);
    EXPECT_EQ(asked.back(), 12u);
}

TEST(TableFilter, CountFollowsWritesOfAnotherTableObject) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table a, b;
    a.open(path);
    b.open(path);
    addVideo(a, "A", 1);
    EXPECT_EQ(b.recordCount(), 1u);
    addVideo(a, "B", 2);
    addVideo(b, "C", 3); // b sees a's count before appending
    EXPECT_EQ(a.recordCount(), 3u);
    a.refresh();
    EXPECT_EQ(titlesInOrder(a), (std::vector<std::string>{"A", "B", "C"}));

    // Inside a bulk loop the count follows the loop's own posts; after it, the other writer's
    // again.
    a.disableControls();
    for (int i = 0; i < 5; ++i) {
        addVideo(a, "R" + std::to_string(i), i);
        EXPECT_EQ(a.recordCount(), uint32_t(i + 4));
    }
    a.enableControls();
    EXPECT_EQ(a.recordCount(), 8u);
    addVideo(b, "Other", 1);
    EXPECT_EQ(a.recordCount(), 9u);
    a.disableControls();
    addVideo(a, "Last", 2);
    a.enableControls();
    addVideo(b, "After", 3);
    EXPECT_EQ(a.recordCount(), 11u);
    EXPECT_EQ(a.deletedCount(), 0u);
}

TEST(TableBulk, DisabledControlsDeferTheFlush) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    t.disableControls();
    for (int i = 0; i < 100; ++i)
        addVideo(t, "R" + std::to_string(i), i);
    EXPECT_TRUE(t.controlsDisabled());
    EXPECT_EQ(testutil::readFile(path)[14], 1); // marked under way until the loop ends
    t.enableControls();
    EXPECT_EQ(testutil::readFile(path)[14], 0);
    EXPECT_EQ(t.recordCount(), 100u);
}

// The whole record as stored and the place of each field in it; a step past the last record (or
// past the last one a filter lets through) stays on the record it was on.
TEST(TableCursor, RecordBytesAndStepsPastTheEnd) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    EXPECT_TRUE(t.recordBytes().empty());
    addVideo(t, "First", 1997, 12.5, "19970304");
    addVideo(t, "Second", 1998);
    addVideo(t, "Third", 1999);
    ASSERT_TRUE(t.first());
    const std::string_view record = t.recordBytes();
    ASSERT_EQ(record.size(), t.info().recordLength);
    EXPECT_EQ(record[0], ' ');
    EXPECT_EQ(t.fieldOffset(0), 1);
    EXPECT_EQ(t.fieldOffset(1), 61);
    for (int f = 0; f < t.fieldCount(); ++f)
        EXPECT_EQ(record.substr(size_t(t.fieldOffset(f)), size_t(t.field(f).width)), t.storedBytes(f)) << f;
    EXPECT_THROW(t.fieldOffset(t.fieldCount()), DbError);
    t.edit();
    t.setText(0, "Edited");
    EXPECT_EQ(t.recordBytes().substr(1, 7), "Edited ");
    t.cancel();
    EXPECT_EQ(t.recordBytes().substr(1, 6), "First ");

    const int title = t.fieldIndex("title");
    ASSERT_TRUE(t.last());
    EXPECT_FALSE(t.next());
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 3u);
    EXPECT_EQ(t.getText(title), "Third");
    const int year = t.fieldIndex("year");
    t.setFilter([year](const Table& tab) { return *tab.getNumber(year) < 1999; });
    ASSERT_TRUE(t.first());
    ASSERT_TRUE(t.next());
    EXPECT_FALSE(t.next()); // the third record is refused
    EXPECT_EQ(t.recNo(), 2u);
    EXPECT_EQ(t.getText(title), "Second");
    EXPECT_EQ(t.recordBytes().substr(1, 7), "Second ");
}

TEST(TableReadOnly, RefusesWrites) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path, OpenMode::Shared, true);
    EXPECT_THROW(t.append(), DbError);
    EXPECT_THROW(t.pack(), DbError);
}

TEST(TableCompanions, MdxByteAndCompanionPath) {
    TempDir dir;
    const std::string path = dir.file("Video.dbf");
    Table::create(path, videoFields());
    std::string bytes = testutil::readFile(path);
    bytes[28] = 1;
    testutil::writeFile(path, bytes);
    EXPECT_TRUE(removeMdxByte(path));
    std::string after = testutil::readFile(path);
    EXPECT_EQ(after[28], 0);
    bytes[28] = 0;
    EXPECT_EQ(after, bytes); // nothing else changed
    EXPECT_FALSE(removeMdxByte(dir.file("missing.dbf")));

    EXPECT_EQ(companionPath(path, ".MDX"), dir.file("Video.mdx"));
    EXPECT_EQ(companionPath(dir.file("VIDEO.DBF"), ".mdx"), dir.file("VIDEO.MDX"));
    EXPECT_EQ(companionPath(dir.file("a.b.DBF"), ".INI"), dir.file("a.INI"));
    testutil::writeFile(dir.file("VIDEO.Mdx"), "x");
    EXPECT_EQ(companionPath(path, ".MDX"), dir.file("VIDEO.Mdx"));
    EXPECT_EQ(companionPath(path, "001"), dir.file("Video.001"));
}

TEST(TableCreate, ReplacingATableInUseIsRefused) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    Table::create(path, videoFields());
    Table t;
    t.open(path);
    EXPECT_THROW(Table::create(path, videoFields()), LockError);
    t.close();
    Table::create(path, videoFields());
}
