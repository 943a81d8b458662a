// The production index: file layout, bulk build, maintenance against an in-memory model,
// cursors, tag management.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "dbase/expr.h"
#include "mdx_testutil.h"

using namespace dbase;
using namespace mdxtest;

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::vector<uint8_t>& b, size_t off) {
    return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 |
           uint32_t(b[off + 3]) << 24;
}

std::string charKey(int len, uint32_t value, const std::string& prefix = "") {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%08u", value);
    std::string k = prefix + buf;
    k.resize(size_t(len), ' ');
    return k;
}

void expectSame(const MdxFile& mdx, int tag, const Model& model) {
    std::vector<Entry> want(model.begin(), model.end());
    ASSERT_EQ(walkForward(mdx, tag), want);
    ASSERT_EQ(walkBackward(mdx, tag), want);
    ASSERT_EQ(checked(mdx, tag), want);
}

} // namespace

TEST(Mdx, CreateWritesAnEmptyProductionIndex) {
    TempDir dir;
    std::string path = dir.file("master.mdx");
    MdxFile::create(path, "master");
    auto b = readFile(path);
    ASSERT_EQ(b.size(), 2048u);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[4])), "MASTER");
    EXPECT_EQ(b[20] | b[21] << 8, 2);
    EXPECT_EQ(b[22] | b[23] << 8, 1024);
    EXPECT_EQ(b[24], 1);
    EXPECT_EQ(b[25], 48);
    EXPECT_EQ(b[26], 32);
    EXPECT_EQ(b[28] | b[29] << 8, 0);
    EXPECT_EQ(le32(b, 32), 4u);
    EXPECT_EQ(le32(b, 36), 0u);
    for (size_t i = 512; i < 2048; ++i)
        EXPECT_EQ(b[i], i == 529 ? 1 : 0) << i;
    MdxFile mdx;
    mdx.open(path, true);
    EXPECT_TRUE(mdx.tags().empty());
    EXPECT_EQ(mdx.tagIndex("NewIndex"), -1);
}

TEST(Mdx, TagTableAndTagHeaderFollowTheFormat) {
    TempDir dir;
    std::string path = dir.file("T.MDX");
    MdxFile::create(path, "T");
    MdxFile mdx;
    mdx.open(path, false);
    mdx.addTag({"newindex", "Upper(Left(Title,40))+STR(Year,12,0)", 'C', 52}, {});
    mdx.addTag({"PRICE", "ListPrice", 'N', 12}, {{encodeNumericKey(1.5), 1}});
    mdx.addTag({"BOUGHT", "PurchDate", 'D', 8}, {});
    mdx.addTag({"ZED", "Title", 'C', 10}, {});
    mdx.close();
    auto b = readFile(path);
    EXPECT_EQ(b[28], 4);
    auto slot = [&](int i) { return 544 + 32 * (i - 1); };
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[slot(1) + 4])), "NEWINDEX");
    EXPECT_EQ(b[slot(1) + 15], 0x10);
    EXPECT_EQ(b[slot(1) + 19], 0x02);
    EXPECT_EQ(b[slot(1) + 20], 'C');
    EXPECT_EQ(b[slot(2) + 20], 'N');
    EXPECT_EQ(b[slot(3) + 20], 'D');
    // Name tree: NEWINDEX root; PRICE right of it; BOUGHT left of it; ZED right of PRICE.
    EXPECT_EQ(b[slot(1) + 16], 3);
    EXPECT_EQ(b[slot(1) + 17], 2);
    EXPECT_EQ(b[slot(1) + 18], 0);
    EXPECT_EQ(b[slot(2) + 17], 4);
    EXPECT_EQ(b[slot(2) + 18], 1);
    EXPECT_EQ(b[slot(3) + 18], 1);
    EXPECT_EQ(b[slot(4) + 18], 2);
    size_t th = size_t(le32(b, slot(1))) * 512;
    EXPECT_EQ(b[th + 8], 0x10);
    EXPECT_EQ(b[th + 9], 'C');
    EXPECT_EQ(b[th + 12] | b[th + 13] << 8, 52);
    EXPECT_EQ(b[th + 14] | b[th + 15] << 8, (1024 - 12) / 56);
    EXPECT_EQ(b[th + 18] | b[th + 19] << 8, 56);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[th + 24])),
              "Upper(Left(Title,40))+STR(Year,12,0)");
    size_t dh = size_t(le32(b, slot(3))) * 512;
    EXPECT_EQ(b[dh + 16], 1);
    EXPECT_EQ(b[dh + 18], 12);
    EXPECT_EQ(le32(b, 32) * 512u, b.size());

    MdxFile again;
    again.open(path, true);
    auto tags = again.tags();
    ASSERT_EQ(tags.size(), 4u);
    EXPECT_EQ(tags[0].name, "NEWINDEX");
    EXPECT_EQ(tags[0].expression, "Upper(Left(Title,40))+STR(Year,12,0)");
    EXPECT_EQ(tags[0].keyType, 'C');
    EXPECT_EQ(tags[0].keyLength, 52);
    EXPECT_EQ(tags[1].keyType, 'N');
    EXPECT_EQ(tags[2].keyType, 'D');
    EXPECT_EQ(again.tagIndex("price"), 1);
    EXPECT_EQ(walkForward(again, 1), (std::vector<Entry>{{encodeNumericKey(1.5), 1}}));
}

TEST(Mdx, BulkBuildSortsByKeyThenRecordNumber) {
    TempDir dir;
    std::string path = dir.file("B.MDX");
    MdxFile::create(path, "B");
    MdxFile mdx;
    mdx.open(path, false);
    Model model{EntryLess{'C'}};
    std::vector<MdxFile::Entry> entries;
    std::mt19937 rng(7);
    for (uint32_t r = 1; r <= 5000; ++r) {
        std::string k = charKey(20, rng() % 700);
        entries.push_back({k, r});
        model.insert({k, r});
    }
    std::shuffle(entries.begin(), entries.end(), rng);
    mdx.addTag({"K", "X", 'C', 20}, entries);
    expectSame(mdx, 0, model);
    // Seek lands on the first entry >= (key, recno).
    auto c = mdx.cursor(0);
    for (int i = 0; i < 200; ++i) {
        std::string k = charKey(20, rng() % 720);
        uint32_t r = rng() % 5200;
        auto it = model.lower_bound({k, r});
        bool ok = c.seek(k, r);
        ASSERT_EQ(ok, it != model.end());
        if (ok) {
            EXPECT_EQ(c.key(), it->first);
            EXPECT_EQ(c.recno(), it->second);
        }
    }
    // A prefix seeks to the first key starting with it.
    ASSERT_TRUE(c.seek("00000"));
    EXPECT_EQ(c.key(), model.begin()->first);
    EXPECT_FALSE(c.seek("1"));
    EXPECT_FALSE(c.valid());
}

// Random inserts and removes, checked against a sorted model after every step.
struct Shape {
    char type;
    int keyLen;
    uint32_t keySpace; // few distinct keys: long runs of equal keys
    int initial;
    int steps;
    int fullCheckEvery;
};

class MdxMaintenance : public ::testing::TestWithParam<Shape> {};

TEST_P(MdxMaintenance, MatchesTheModelAfterEveryStep) {
    const Shape s = GetParam();
    TempDir dir;
    std::string path = dir.file("M.MDX");
    MdxFile::create(path, "M");
    MdxFile mdx;
    mdx.open(path, false);
    std::mt19937 rng(1234 + unsigned(s.keyLen));
    auto makeKey = [&](uint32_t v) {
        if (s.type == 'N') return encodeNumericKey((double(v) - s.keySpace / 2.0) / 4.0);
        return charKey(s.keyLen, v, "k");
    };
    Model model{EntryLess{s.type}};
    uint32_t nextRec = 1;
    std::vector<MdxFile::Entry> start;
    for (int i = 0; i < s.initial; ++i) {
        std::string k = makeKey(rng() % s.keySpace);
        start.push_back({k, nextRec});
        model.insert({k, nextRec++});
    }
    mdx.addTag({"T", "X", s.type, s.keyLen}, start);
    expectSame(mdx, 0, model);
    auto cursor = mdx.cursor(0);
    for (int step = 1; step <= s.steps; ++step) {
        bool grow = model.size() < 50 || rng() % 100 < 52;
        Entry changed;
        if (grow) {
            // Mostly appends (highest record number), sometimes re-inserts of old numbers.
            uint32_t r = rng() % 4 ? nextRec++ : 1 + rng() % nextRec;
            changed = {makeKey(rng() % s.keySpace), r};
            if (model.count(changed)) continue;
            mdx.insert(0, changed.first, changed.second);
            model.insert(changed);
        } else {
            auto it = model.begin();
            std::advance(it, long(rng() % model.size()));
            changed = *it;
            mdx.remove(0, changed.first, changed.second);
            model.erase(it);
        }
        // Seek at the changed place and look at the neighbourhood both ways.
        auto it = model.lower_bound(changed);
        bool ok = cursor.seek(changed.first, changed.second);
        ASSERT_EQ(ok, it != model.end()) << "step " << step;
        if (ok) {
            auto j = it;
            for (int n = 0; n < 3 && j != model.end(); ++n, ++j) {
                ASSERT_EQ(Entry(cursor.key(), cursor.recno()), *j) << "step " << step;
                if (!cursor.next()) {
                    ASSERT_EQ(std::next(j), model.end());
                }
            }
            ASSERT_TRUE(cursor.seek(changed.first, changed.second));
            for (auto k = it;; --k) {
                ASSERT_EQ(Entry(cursor.key(), cursor.recno()), *k) << "step " << step;
                if (k == model.begin()) {
                    ASSERT_FALSE(cursor.prior());
                    break;
                }
                ASSERT_TRUE(cursor.prior());
                if (std::distance(k, it) > 3) break;
            }
        }
        if (step % s.fullCheckEvery == 0) expectSame(mdx, 0, model);
    }
    expectSame(mdx, 0, model);
    // Everything survives closing and opening again.
    mdx.close();
    mdx.open(path, true);
    expectSame(mdx, 0, model);
}

INSTANTIATE_TEST_SUITE_P(Shapes, MdxMaintenance,
                         ::testing::Values(Shape{'C', 100, 300, 1200, 2500, 10}, // 9 keys a node: 4 levels
                                           Shape{'C', 8, 5000, 9000, 2000, 50},  // 84 keys a node
                                           Shape{'C', 40, 7, 200, 2000, 4},      // long runs of equal keys
                                           Shape{'N', 12, 400, 500, 2000, 8}),
                         [](const ::testing::TestParamInfo<Shape>& info) {
                             return std::string(1, info.param.type) + std::to_string(info.param.keyLen) +
                                    "x" + std::to_string(info.param.keySpace);
                         });

TEST(Mdx, RemovingEverythingLeavesAnEmptyTagThatGrowsAgain) {
    TempDir dir;
    std::string path = dir.file("E.MDX");
    MdxFile::create(path, "E");
    MdxFile mdx;
    mdx.open(path, false);
    Model model{EntryLess{'C'}};
    std::vector<MdxFile::Entry> entries;
    for (uint32_t r = 1; r <= 2000; ++r) {
        entries.push_back({charKey(100, r % 37), r});
        model.insert({charKey(100, r % 37), r});
    }
    mdx.addTag({"T", "X", 'C', 100}, entries);
    std::mt19937 rng(3);
    std::vector<Entry> order(model.begin(), model.end());
    std::shuffle(order.begin(), order.end(), rng);
    for (auto& e : order)
        mdx.remove(0, e.first, e.second);
    EXPECT_TRUE(walkForward(mdx, 0).empty());
    EXPECT_TRUE(checked(mdx, 0).empty());
    auto c = mdx.cursor(0);
    EXPECT_FALSE(c.first());
    EXPECT_FALSE(c.last());
    EXPECT_FALSE(c.seek(""));
    model.clear();
    for (uint32_t r = 1; r <= 300; ++r) {
        mdx.insert(0, charKey(100, r % 5), r);
        model.insert({charKey(100, r % 5), r});
    }
    expectSame(mdx, 0, model);
}

TEST(Mdx, CursorsFollowChangesMadeUnderThem) {
    TempDir dir;
    std::string path = dir.file("C.MDX");
    MdxFile::create(path, "C");
    MdxFile mdx;
    mdx.open(path, false);
    std::vector<MdxFile::Entry> entries;
    for (uint32_t r = 1; r <= 1000; ++r)
        entries.push_back({charKey(30, r * 2), r});
    mdx.addTag({"T", "X", 'C', 30}, entries);
    auto c = mdx.cursor(0);
    ASSERT_TRUE(c.seek(charKey(30, 500)));
    EXPECT_EQ(c.recno(), 250u);
    // Inserting many entries right after the current one (splitting its leaf) does not lose the place.
    for (uint32_t r = 2000; r < 2100; ++r)
        mdx.insert(0, charKey(30, 501), r);
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recno(), 2000u);
    // Removing the current entry: next goes to the one after it, prior to the one before it.
    mdx.remove(0, charKey(30, 501), 2000);
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.recno(), 2001u);
    mdx.remove(0, charKey(30, 501), 2001);
    ASSERT_TRUE(c.prior());
    EXPECT_EQ(c.recno(), 250u);
    // At the ends the cursor stays on the last entry it had.
    ASSERT_TRUE(c.last());
    EXPECT_EQ(c.recno(), 1000u);
    EXPECT_FALSE(c.next());
    EXPECT_TRUE(c.valid());
    EXPECT_EQ(c.recno(), 1000u);
    ASSERT_TRUE(c.first());
    EXPECT_FALSE(c.prior());
    EXPECT_EQ(c.recno(), 1u);
}

TEST(Mdx, RemovingAndAddingATagKeepsTheFileSize) {
    TempDir dir;
    std::string path = dir.file("S.MDX");
    MdxFile::create(path, "S");
    MdxFile mdx;
    mdx.open(path, false);
    std::vector<MdxFile::Entry> entries;
    for (uint32_t r = 1; r <= 3000; ++r)
        entries.push_back({charKey(52, r % 101), r});
    mdx.addTag({"OTHER", "Y", 'N', 12}, {{encodeNumericKey(3), 1}});
    mdx.addTag({"NEWINDEX", "X", 'C', 52}, entries);
    uint64_t size = std::filesystem::file_size(path);
    for (int i = 0; i < 5; ++i) {
        mdx.removeTag("newindex");
        EXPECT_EQ(mdx.tagIndex("NEWINDEX"), -1);
        mdx.addTag({"NEWINDEX", "X", 'C', 52}, entries);
        EXPECT_EQ(std::filesystem::file_size(path), size);
    }
    // Removing the first tag moves the others up in the tag table.
    mdx.removeTag("OTHER");
    EXPECT_EQ(mdx.tagIndex("NEWINDEX"), 0);
    EXPECT_EQ(checked(mdx, 0).size(), 3000u);
    // Pages freed in the middle of the file are used again by the next build.
    mdx.addTag({"OTHER", "Y", 'C', 52}, entries);
    mdx.removeTag("NEWINDEX");
    uint64_t before = std::filesystem::file_size(path);
    mdx.addTag({"THIRD", "Y", 'C', 52}, entries);
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(checked(mdx, 0), checked(mdx, 1));
    mdx.close();
    mdx.open(path, false);
    EXPECT_EQ(checked(mdx, 0), checked(mdx, 1));
}

TEST(Mdx, RebuildReplacesTheContents) {
    TempDir dir;
    std::string path = dir.file("R.MDX");
    MdxFile::create(path, "R");
    MdxFile mdx;
    mdx.open(path, false);
    std::vector<MdxFile::Entry> a, b;
    for (uint32_t r = 1; r <= 2000; ++r) {
        a.push_back({charKey(12, r), r});
        b.push_back({charKey(12, 5000 - r), r});
    }
    mdx.addTag({"T", "X", 'C', 12}, a);
    mdx.rebuildTag(0, b);
    auto got = checked(mdx, 0);
    ASSERT_EQ(got.size(), 2000u);
    EXPECT_EQ(got.front(), Entry(charKey(12, 3000), 2000u));
    mdx.rebuildTag(0, {});
    EXPECT_TRUE(checked(mdx, 0).empty());
    mdx.rebuildTag(0, a);
    EXPECT_EQ(checked(mdx, 0).size(), 2000u);
}

TEST(Mdx, RefusesBadRequests) {
    TempDir dir;
    std::string path = dir.file("X.MDX");
    MdxFile::create(path, "X");
    MdxFile mdx;
    mdx.open(path, false);
    mdx.addTag({"T", "X", 'C', 10}, {{charKey(10, 1), 1}});
    EXPECT_THROW(mdx.addTag({"t", "X", 'C', 10}, {}), DbError);           // exists
    EXPECT_THROW(mdx.addTag({"ELEVENCHARS", "X", 'C', 10}, {}), DbError); // too long
    EXPECT_THROW(mdx.addTag({"A B", "X", 'C', 10}, {}), DbError);
    EXPECT_THROW(mdx.addTag({"", "X", 'C', 10}, {}), DbError);
    EXPECT_THROW(mdx.addTag({"L", "X", 'C', 101}, {}), DbError);
    EXPECT_THROW(mdx.addTag({"N", "X", 'N', 8}, {}), DbError);
    EXPECT_THROW(mdx.addTag({"W", "X", 'C', 10}, {{"short", 1}}), DbError);
    EXPECT_THROW(mdx.insert(0, "short", 2), DbError);
    EXPECT_THROW(mdx.remove(0, charKey(10, 1), 2), DbError); // absent
    EXPECT_THROW(mdx.remove(0, charKey(10, 2), 1), DbError);
    EXPECT_THROW(mdx.removeTag("NOPE"), DbError);
    EXPECT_THROW(mdx.cursor(3), DbError);
    for (int i = 1; i < 47; ++i)
        mdx.addTag({"T" + std::to_string(i), "X", 'C', 10}, {});
    EXPECT_THROW(mdx.addTag({"ONEMORE", "X", 'C', 10}, {}), DbError);
    EXPECT_EQ(mdx.tags().size(), 47u);
    EXPECT_EQ(checked(mdx, 0).size(), 1u);
    mdx.close();
    mdx.open(path, true);
    EXPECT_EQ(mdx.tags().size(), 47u);
    EXPECT_THROW(mdx.insert(0, charKey(10, 1), 5), DbError); // read-only
    EXPECT_THROW(MdxFile::create(dir.file("no/such/dir.mdx"), "X"), DbError);
    MdxFile other;
    EXPECT_THROW(other.open(dir.file("missing.mdx"), true), DbError);
}

// Tags another program made with features this program does not keep: readable, not writable.
TEST(Mdx, ForeignTagsWithUnsupportedFeaturesAreReadOnly) {
    TempDir dir;
    std::string path = dir.file("F.MDX");
    MdxFile::create(path, "F");
    std::vector<MdxFile::Entry> entries;
    for (uint32_t r = 1; r <= 300; ++r)
        entries.push_back({charKey(10, r), r});
    {
        MdxFile mdx;
        mdx.open(path, false);
        for (const char* name : {"PLAIN", "DESC", "UNIQ", "FILTERED"})
            mdx.addTag({name, "X", 'C', 10}, entries);
    }
    auto patch = [&](int slotNo, size_t off, uint8_t value) {
        std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
        auto b = readFile(path);
        size_t header = size_t(le32(b, 544 + 32 * size_t(slotNo - 1))) * 512;
        f.seekp(std::streamoff(header + off));
        f.put(char(value));
    };
    patch(1, 20, 7);   // a change counter of another program: kept as it is
    patch(2, 8, 0x18); // descending
    patch(3, 23, 1);   // unique
    patch(4, 245, 1);  // FOR condition
    MdxFile mdx;
    mdx.open(path, false);
    EXPECT_EQ(mdx.tagLimitation(0), "");
    EXPECT_NE(mdx.tagLimitation(1).find("descending"), std::string::npos);
    EXPECT_NE(mdx.tagLimitation(2).find("unique"), std::string::npos);
    EXPECT_NE(mdx.tagLimitation(3).find("FOR"), std::string::npos);
    for (int t = 1; t <= 3; ++t) {
        EXPECT_EQ(walkForward(mdx, t).size(), 300u);
        EXPECT_THROW(mdx.insert(t, charKey(10, 5), 301), DbError);
        EXPECT_THROW(mdx.remove(t, charKey(10, 5), 5), DbError);
        EXPECT_THROW(mdx.rebuildTag(t, entries), DbError);
    }
    // A plain tag is maintained; its root moves without touching the rest of its header.
    for (uint32_t r = 301; r <= 700; ++r)
        mdx.insert(0, charKey(10, r), r);
    mdx.rebuildTag(0, entries);
    mdx.close();
    auto b = readFile(path);
    size_t header = size_t(le32(b, 544)) * 512;
    EXPECT_EQ(b[header + 20], 7);
    mdx.open(path, true);
    EXPECT_EQ(checked(mdx, 0).size(), 300u);
}

TEST(Mdx, RemovingATagMovesTheOthersUpAndRebuildsTheNameTree) {
    TempDir dir;
    std::string path = dir.file("N.MDX");
    MdxFile::create(path, "N");
    {
        MdxFile mdx;
        mdx.open(path, false);
        for (const char* name : {"MIDDLE", "ALPHA", "ZULU", "BRAVO"})
            mdx.addTag({name, "X", 'C', 10}, {{charKey(10, 1), 1}});
        mdx.removeTag("MIDDLE");
    }
    auto b = readFile(path);
    auto slot = [&](int i) { return 544 + 32 * size_t(i - 1); };
    EXPECT_EQ(b[28], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[slot(1) + 4])), "ALPHA");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[slot(2) + 4])), "ZULU");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[slot(3) + 4])), "BRAVO");
    // ALPHA is the root; ZULU its right child; BRAVO the left child of ZULU.
    EXPECT_EQ(b[slot(1) + 16], 0);
    EXPECT_EQ(b[slot(1) + 17], 2);
    EXPECT_EQ(b[slot(1) + 18], 0);
    EXPECT_EQ(b[slot(2) + 16], 3);
    EXPECT_EQ(b[slot(2) + 18], 1);
    EXPECT_EQ(b[slot(3) + 18], 2);
    for (size_t i = slot(4); i < 2048; ++i)
        EXPECT_EQ(b[i], 0) << i;
    MdxFile mdx;
    mdx.open(path, true);
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(checked(mdx, t).size(), 1u);
}

TEST(Mdx, SeeksInNumericAndDateTagsGoByValue) {
    TempDir dir;
    std::string path = dir.file("V.MDX");
    MdxFile::create(path, "V");
    MdxFile mdx;
    mdx.open(path, false);
    std::vector<MdxFile::Entry> n, d;
    std::vector<double> values = {-1000, -20.5, -2.5, 0, 0.05, 2.5, 19.99, 20, 1980, 250000.5};
    std::vector<std::string> dates = {"", "19500101", "19810101", "19991231", "20000101", "20261208"};
    for (uint32_t r = 1; r <= 600; ++r) {
        n.push_back({encodeNumericKey(values[r % values.size()]), r});
        d.push_back({encodeDateKey(dates[r % dates.size()]), r});
    }
    mdx.addTag({"PRICE", "ListPrice", 'N', 12}, n);
    mdx.addTag({"BOUGHT", "PurchDate", 'D', 8}, d);
    auto c = mdx.cursor(0);
    ASSERT_TRUE(c.first());
    EXPECT_EQ(decodeNumericKey(c.key()), -1000);
    ASSERT_TRUE(c.seek(encodeNumericKey(-3)));
    EXPECT_EQ(decodeNumericKey(c.key()), -2.5);
    EXPECT_EQ(c.recno(), 2u); // the smallest record number with that value
    ASSERT_TRUE(c.seek(encodeNumericKey(19.995)));
    EXPECT_EQ(decodeNumericKey(c.key()), 20);
    ASSERT_TRUE(c.seek(encodeNumericKey(0)));
    EXPECT_EQ(decodeNumericKey(c.key()), 0);
    EXPECT_FALSE(c.seek(encodeNumericKey(1e9)));
    ASSERT_TRUE(c.last());
    EXPECT_EQ(decodeNumericKey(c.key()), 250000.5);

    auto dc = mdx.cursor(1);
    ASSERT_TRUE(dc.first());
    EXPECT_EQ(decodeDateKey(dc.key()), 0.0); // blank dates first
    ASSERT_TRUE(dc.seek(encodeDateKey("19800101")));
    EXPECT_EQ(dateFromJulian(decodeDateKey(dc.key())), "19810101");
    ASSERT_TRUE(dc.seek(encodeDateKey("20000101"), 500));
    EXPECT_EQ(dateFromJulian(decodeDateKey(dc.key())), "20000101");
    EXPECT_EQ(dc.recno(), 502u);
    EXPECT_FALSE(dc.seek(encodeDateKey("20270101")));
}

TEST(Mdx, ScrollingBackAndForthAcrossLeavesNeverLooksLikeACycle) {
    TempDir dir;
    std::string path = dir.file("W.MDX");
    MdxFile::create(path, "W");
    MdxFile mdx;
    mdx.open(path, false);
    std::vector<MdxFile::Entry> entries;
    for (uint32_t r = 1; r <= 20; ++r)
        entries.push_back({charKey(100, r), r}); // 9 keys a leaf: three leaves
    mdx.addTag({"T", "X", 'C', 100}, entries);
    auto c = mdx.cursor(0);
    ASSERT_TRUE(c.seek(charKey(100, 9)));
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(c.next());
        ASSERT_EQ(c.recno(), 10u);
        ASSERT_TRUE(c.prior());
        ASSERT_EQ(c.recno(), 9u);
    }
    // A full walk each way, repeated, with the same cursor.
    for (int i = 0; i < 50; ++i) {
        while (c.next()) {
        }
        EXPECT_EQ(c.recno(), 20u);
        while (c.prior()) {
        }
        EXPECT_EQ(c.recno(), 1u);
    }
}
