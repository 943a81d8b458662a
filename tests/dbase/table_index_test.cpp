// The table with its production index: seeded random appends, edits and deletes checked against
// an in-memory model after every step, tag maintenance, pack, re-index, byte 28, and the tag
// walked by Perl XBase.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>

#include "dbase/table.h"
#include "support/testutil.h"

using namespace dbase;
using testutil::TempDir;

namespace {

constexpr const char* kExpr = "UPPER(TITLE)+STR(YEAR,4)+DTOS(BOUGHT)";

struct Row {
    std::string title;
    int year = 0;
    std::string date;
    bool deleted = false;
};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string keyOf(const Row& r) {
    std::string t = upper(r.title);
    t.resize(20, ' ');
    char y[16];
    std::snprintf(y, sizeof y, "%4d", r.year);
    return t + y + (r.date.empty() ? std::string(8, ' ') : r.date);
}

std::vector<uint32_t> expectedOrder(const std::vector<Row>& rows) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < rows.size(); ++i)
        if (!rows[i].deleted) out.push_back(i + 1);
    std::stable_sort(out.begin(), out.end(),
                     [&](uint32_t a, uint32_t b) { return keyOf(rows[a - 1]) < keyOf(rows[b - 1]); });
    return out;
}

std::string makeTable(const TempDir& dir, const std::string& name = "IDX.DBF") {
    const std::string path = dir.file(name);
    Table::create(
        path,
        {{"Title", FieldKind::String, 20}, {"Year", FieldKind::Integer, 0}, {"Bought", FieldKind::Date, 0}});
    return path;
}

void setRow(Table& t, const Row& r) {
    t.setText(0, r.title);
    t.setNumber(1, r.year);
    t.setDate(2, r.date);
}

std::vector<uint32_t> cursorWalk(Table& t) {
    std::vector<uint32_t> out;
    for (bool ok = t.first(); ok; ok = t.next())
        out.push_back(t.recNo());
    return out;
}

} // namespace

TEST(TableIndex, RandomOperationsMatchTheModel) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Table t;
    t.open(path);
    t.addIndex("NewIndex", kExpr);
    t.setActiveIndex("newindex");
    EXPECT_EQ(t.activeIndex(), "NEWINDEX");
    ASSERT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(t.tags()[0].expression, kExpr);
    EXPECT_EQ(static_cast<unsigned char>(testutil::readFile(path)[28]), 1);

    std::mt19937 rng(1234);
    const char* words[] = {"alien", "Alien", "BATMAN", "casablanca", "Zorro", "an", "", "heat", "Heat 2"};
    const char* dates[] = {"", "19991231", "20000101", "19800704"};
    std::vector<Row> rows;
    auto randomRow = [&] {
        Row r;
        r.title = words[rng() % 9];
        r.year = 1900 + static_cast<int>(rng() % 5);
        r.date = dates[rng() % 4];
        return r;
    };
    for (int step = 0; step < 400; ++step) {
        const auto live = expectedOrder(rows);
        const int op = static_cast<int>(rng() % 10);
        if (op < 5 || live.empty()) {
            Row r = randomRow();
            t.append();
            setRow(t, r);
            t.post();
            rows.push_back(r);
            EXPECT_EQ(t.recNo(), rows.size());
        } else if (op < 8) {
            const uint32_t recno = live[rng() % live.size()];
            ASSERT_TRUE(t.gotoBookmark(recno));
            Row r = randomRow();
            t.edit();
            setRow(t, r);
            t.post();
            rows[recno - 1] = r;
        } else {
            const uint32_t recno = live[rng() % live.size()];
            ASSERT_TRUE(t.gotoBookmark(recno));
            t.deleteRecord();
            rows[recno - 1].deleted = true;
            // The cursor moved to the neighbour in index order.
            const auto after = expectedOrder(rows);
            if (!after.empty()) {
                const auto old = std::find(live.begin(), live.end(), recno) - live.begin();
                const uint32_t want =
                    static_cast<size_t>(old) + 1 < live.size() ? live[old + 1] : live[old - 1];
                EXPECT_EQ(t.recNo(), want) << "step " << step;
            }
        }
        const auto want = expectedOrder(rows);
        ASSERT_EQ(t.orderedRecnos(), want) << "step " << step;
        ASSERT_EQ(t.recordCount(), want.size());
        if (step % 25 == 0) {
            ASSERT_EQ(cursorWalk(t), want) << "step " << step;
            std::vector<uint32_t> back;
            for (bool ok = t.last(); ok; ok = t.prior())
                back.push_back(t.recNo());
            std::reverse(back.begin(), back.end());
            ASSERT_EQ(back, want);
        }
    }
    EXPECT_NO_THROW(t.checkIndexes());
    t.close();

    // Reopened, the index is still active-able and whole.
    t.open(path);
    EXPECT_TRUE(t.hasProductionIndex());
    t.setActiveIndex("NEWINDEX");
    EXPECT_EQ(cursorWalk(t), expectedOrder(rows));
    EXPECT_NO_THROW(t.checkIndexes());
    t.setActiveIndex("");
    EXPECT_EQ(t.activeIndex(), "");
    auto recordOrder = cursorWalk(t);
    EXPECT_TRUE(std::is_sorted(recordOrder.begin(), recordOrder.end()));
}

TEST(TableIndex, FilterInIndexOrder) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Table t;
    t.open(path);
    const std::vector<std::string> titles = {"delta", "alpha", "charlie", "bravo", "echo"};
    for (size_t i = 0; i < titles.size(); ++i) {
        t.append();
        t.setText(0, titles[i]);
        t.setNumber(1, 2000 + static_cast<int>(i));
        t.post();
    }
    t.addIndex("NewIndex", "UPPER(TITLE)");
    t.setActiveIndex("NewIndex");
    t.setFilter([](const Table& tab) { return tab.getText(0) != "charlie"; });
    t.refresh();
    EXPECT_EQ(cursorWalk(t), (std::vector<uint32_t>{2, 4, 1, 5}));
    EXPECT_EQ(t.orderedRecnos(), (std::vector<uint32_t>{2, 4, 1, 5}));
    EXPECT_EQ(t.recordCount(), 4u);
    ASSERT_TRUE(t.gotoBookmark(4));
    ASSERT_TRUE(t.next());
    EXPECT_EQ(t.recNo(), 1u);
    ASSERT_TRUE(t.prior());
    ASSERT_TRUE(t.prior());
    EXPECT_EQ(t.recNo(), 2u);
    EXPECT_FALSE(t.prior());
    EXPECT_EQ(t.recNo(), 2u);
}

TEST(TableIndex, AddDeleteTagsAndErrors) {
    TempDir dir;
    const std::string path = makeTable(dir, "tags.dbf");
    Table t;
    t.open(path);
    EXPECT_FALSE(t.hasProductionIndex());
    EXPECT_THROW(t.setActiveIndex("NewIndex"), DbError);
    try {
        t.addIndex("NewIndex", "UPPER(NOSUCH)");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NOSUCH"), std::string::npos) << e.what();
    }
    t.addIndex("NewIndex", "TITLE");
    EXPECT_TRUE(testutil::exists(dir.file("tags.mdx"))); // letter case of the table's extension
    EXPECT_THROW(t.addIndex("NEWINDEX", "TITLE"), DbError);
    t.addIndex("ByYear", "STR(YEAR,4)");
    EXPECT_EQ(t.tags().size(), 2u);
    t.setActiveIndex("BYYEAR");
    t.deleteIndex("NewIndex");
    EXPECT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(t.activeIndex(), "BYYEAR");
    t.deleteIndex("BYYEAR");
    EXPECT_EQ(t.activeIndex(), "");
    EXPECT_THROW(t.deleteIndex("BYYEAR"), DbError);
    EXPECT_NO_THROW(t.checkIndexes());
}

TEST(TableIndex, MissingMdxOpensInRecordOrder) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path);
        t.append();
        t.setText(0, "x");
        t.post();
        t.addIndex("NewIndex", "TITLE");
    }
    std::remove(dir.file("IDX.MDX").c_str());
    Table t;
    t.open(path);
    EXPECT_FALSE(t.hasProductionIndex());
    EXPECT_EQ(t.recordCount(), 1u);
    t.close();
    EXPECT_TRUE(removeMdxByte(path));
    t.open(path);
    t.addIndex("NewIndex", "TITLE"); // a new .MDX, byte 28 set again
    EXPECT_EQ(static_cast<unsigned char>(testutil::readFile(path)[28]), 1);
}

TEST(TableIndex, PackAndRegenerate) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Table t;
    t.open(path, OpenMode::Exclusive);
    for (int i = 0; i < 300; ++i) {
        t.append();
        t.setText(0, "T" + std::to_string((i * 7919) % 300));
        t.setNumber(1, i);
        t.post();
    }
    t.addIndex("NewIndex", "UPPER(TITLE)");
    t.setActiveIndex("NewIndex");
    for (uint32_t r = 1; r <= 300; r += 3) {
        ASSERT_TRUE(t.gotoBookmark(r));
        t.deleteRecord();
    }
    std::vector<std::string> before;
    for (bool ok = t.first(); ok; ok = t.next())
        before.push_back(t.getText(0));
    t.pack();
    EXPECT_EQ(t.info().physicalCount, 200u);
    EXPECT_EQ(t.deletedCount(), 0u);
    EXPECT_EQ(t.activeIndex(), "NEWINDEX");
    std::vector<std::string> after;
    for (bool ok = t.first(); ok; ok = t.next())
        after.push_back(t.getText(0));
    EXPECT_EQ(after, before);
    EXPECT_NO_THROW(t.checkIndexes());
    t.regenerateIndexes();
    EXPECT_NO_THROW(t.checkIndexes());
    // The packed file leaves no temporary files behind.
    int files = 0;
    for (const auto& name : {"IDX.DBF", "IDX.MDX"})
        files += testutil::exists(dir.file(name));
    EXPECT_EQ(files, 2);
    EXPECT_EQ(testutil::run({"sh", "-c", "ls '" + dir.path() + "' | wc -l"}).out, "2\n");
}

TEST(TableIndex, StaleIndexAfterInterruptedWrite) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path);
        for (int i = 0; i < 20; ++i) {
            t.append();
            t.setText(0, "R" + std::to_string(i));
            t.post();
        }
        t.addIndex("NewIndex", "UPPER(TITLE)");
    }
    // Simulate a writer killed after its record bytes: record 21 written, count not, byte 14 set.
    std::string bytes = testutil::readFile(path);
    bytes[14] = 1;
    std::string rec =
        " " + std::string("ZZ") + std::string(18, ' ') + std::string(11, ' ') + std::string(8, ' ');
    bytes.pop_back(); // the end marker
    bytes += rec + "\x1A";
    testutil::writeFile(path, bytes);
    {
        Table ro;
        ro.open(path, OpenMode::Shared, true);
        EXPECT_TRUE(ro.indexStale());
        EXPECT_THROW(ro.setActiveIndex("NewIndex"), DbError);
        EXPECT_EQ(ro.recordCount(), 20u);
    }
    EXPECT_EQ(testutil::readFile(path), bytes); // a read-only open changes nothing
    Table t;
    t.open(path);
    EXPECT_FALSE(t.indexStale());
    EXPECT_EQ(testutil::readFile(path)[14], 0);
    EXPECT_EQ(t.recordCount(), 20u);
    t.setActiveIndex("NewIndex");
    EXPECT_NO_THROW(t.checkIndexes());
}

TEST(TableIndex, PerlXBaseWalksOurTag) {
    if (!testutil::programExists("index_dump")) GTEST_SKIP() << "Perl XBase index_dump is not installed";
    TempDir dir;
    const std::string path = makeTable(dir);
    Table t;
    t.open(path);
    const std::vector<std::string> titles = {"mike", "alpha", "zulu", "Bravo", "kilo", "alpha"};
    for (const auto& s : titles) {
        t.append();
        t.setText(0, s);
        t.post();
    }
    t.addIndex("NewIndex", "UPPER(TITLE)");
    t.gotoBookmark(3);
    t.edit();
    t.setText(0, "able");
    t.post();
    t.close();
    auto r = testutil::run({"index_dump", dir.file("IDX.MDX"), "NEWINDEX"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<uint32_t> recnos;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        auto pos = line.find_last_of(' ');
        if (pos == std::string::npos) continue;
        recnos.push_back(static_cast<uint32_t>(std::stoul(line.substr(pos + 1))));
    }
    EXPECT_EQ(recnos, (std::vector<uint32_t>{3, 2, 6, 4, 5, 1})) << r.out;
}

TEST(TableIndex, DamagedMdxHeaderIsNeverTrusted) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path);
        for (int i = 0; i < 10; ++i) {
            t.append();
            t.setText(0, "R" + std::to_string(9 - i));
            t.post();
        }
        t.addIndex("NewIndex", "TITLE");
    }
    std::string mdx = testutil::readFile(dir.file("IDX.MDX"));
    for (size_t i = 0; i < 64; ++i)
        mdx[i] = '\xEE';
    testutil::writeFile(dir.file("IDX.MDX"), mdx);
    Table t;
    t.open(path);
    EXPECT_TRUE(t.indexStale());
    EXPECT_FALSE(t.hasProductionIndex());
    EXPECT_EQ(t.recordCount(), 10u);
    EXPECT_THROW(t.setActiveIndex("NewIndex"), DbError);
    t.append(); // writes go on in record order
    t.setText(0, "new");
    t.post();
    t.addIndex("NewIndex", "TITLE"); // replaces the damaged file
    EXPECT_FALSE(t.indexStale());
    t.setActiveIndex("NewIndex");
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.getText(0), "R0");
    EXPECT_NO_THROW(t.checkIndexes());
}

TEST(TableIndex, IndexOutOfStepIsRebuiltOnPost) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path);
        for (int i = 0; i < 10; ++i) {
            t.append();
            t.setText(0, "R" + std::to_string(i));
            t.post();
        }
        t.addIndex("NewIndex", "TITLE");
    }
    // Another program changes a title behind the index's back (record 3, bytes 1-20).
    std::string bytes = testutil::readFile(path);
    const size_t headerLen =
        static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    const size_t recLen =
        static_cast<unsigned char>(bytes[10]) | (static_cast<unsigned char>(bytes[11]) << 8);
    bytes.replace(headerLen + 2 * recLen + 1, 2, "ZZ");
    testutil::writeFile(path, bytes);
    Table t;
    t.open(path);
    EXPECT_THROW(t.checkIndexes(), DbError);
    ASSERT_TRUE(t.gotoBookmark(3));
    t.edit();
    t.setText(0, "AA");
    t.post(); // the old key is not in the index: the tag is rebuilt from the records
    EXPECT_NO_THROW(t.checkIndexes());
    t.setActiveIndex("NewIndex");
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.recNo(), 3u);
}

TEST(TableIndex, CountAheadOfTheRecordsAfterAnInterruptedWrite) {
    TempDir dir;
    const std::string path = makeTable(dir);
    {
        Table t;
        t.open(path);
        for (int i = 0; i < 5; ++i) {
            t.append();
            t.setText(0, "R" + std::to_string(i));
            t.post();
        }
        t.addIndex("NewIndex", "TITLE");
    }
    // The count says 6 but only 5 records reached the disk; byte 14 says a write was under way.
    std::string bytes = testutil::readFile(path);
    bytes[4] = 6;
    bytes[14] = 1;
    testutil::writeFile(path, bytes);
    {
        Table ro;
        ro.open(path, OpenMode::Shared, true);
        EXPECT_EQ(ro.recordCount(), 5u);
    }
    Table t;
    t.open(path);
    EXPECT_EQ(t.info().physicalCount, 5u);
    EXPECT_EQ(testutil::readFile(path)[4], 5);
    EXPECT_EQ(testutil::readFile(path)[14], 0);
    EXPECT_NO_THROW(t.checkIndexes());
    // Without byte 14 the same damage is an error that says what is wrong.
    t.close();
    bytes = testutil::readFile(path);
    bytes[4] = 9;
    testutil::writeFile(path, bytes);
    EXPECT_THROW(t.open(path), DbError);
}

// A sparse filter in index order: past a few thousand refused records the cursor switches from
// random reads to the visibility map in the middle of the walk; the result is the same.
TEST(TableIndex, SparseFilterInIndexOrder) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Table t;
    t.open(path, OpenMode::Exclusive);
    t.addIndex("NewIndex", "STR(YEAR,6)");
    t.setActiveIndex("NewIndex");
    constexpr int kRecords = 8000;
    t.disableControls();
    for (int i = 0; i < kRecords; ++i) {
        t.append();
        t.setNumber(1, (i * 7919) % kRecords);
        t.post();
    }
    t.enableControls();
    t.setFilter([](const Table& tab) { return static_cast<int>(*tab.getNumber(1)) % 10 == 3; });
    t.refresh();
    std::vector<int> years;
    for (bool ok = t.first(); ok; ok = t.next())
        years.push_back(static_cast<int>(*t.getNumber(1)));
    ASSERT_EQ(years.size(), static_cast<size_t>(kRecords / 10));
    for (size_t i = 0; i < years.size(); ++i)
        EXPECT_EQ(years[i], static_cast<int>(i) * 10 + 3);
    std::vector<int> back;
    for (bool ok = t.last(); ok; ok = t.prior())
        back.push_back(static_cast<int>(*t.getNumber(1)));
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, years);
    EXPECT_EQ(t.recordCount(), static_cast<uint32_t>(kRecords / 10));
}

// Two table objects on one file: the reader sees the writer's new records in index order after
// refresh().
TEST(TableIndex, ReaderSeesAnotherWritersIndexAfterRefresh) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Table writer, reader;
    writer.open(path);
    writer.addIndex("NewIndex", "UPPER(TITLE)");
    reader.open(path, OpenMode::Shared, true);
    reader.setActiveIndex("NewIndex");
    EXPECT_FALSE(reader.first());
    for (const char* title : {"mike", "alpha", "zulu"}) {
        writer.append();
        writer.setText(0, title);
        writer.post();
    }
    reader.refresh();
    std::vector<std::string> titles;
    for (bool ok = reader.first(); ok; ok = reader.next())
        titles.push_back(reader.getText(0));
    EXPECT_EQ(titles, (std::vector<std::string>{"alpha", "mike", "zulu"}));
    EXPECT_EQ(reader.orderedRecnos(), (std::vector<uint32_t>{2, 1, 3}));
}
