// Damaged .MDX files, made from a good one: every kind of damage gives a DbError where it is
// met, never a crash, a hang or an unbounded allocation. Also replays the fuzz corpus.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "dbase/expr.h"
#include "mdx_harness.h"
#include "mdx_testutil.h"

using namespace dbase;
using namespace mdxtest;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void writeFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
uint32_t get32(const Bytes& b, size_t off) {
    return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 |
           uint32_t(b[off + 3]) << 24;
}
void set32(Bytes& b, size_t off, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[off + size_t(i)] = uint8_t(v >> (8 * i));
}
void set16(Bytes& b, size_t off, uint16_t v) {
    b[off] = uint8_t(v);
    b[off + 1] = uint8_t(v >> 8);
}

// A good file: a deep character tag, a numeric tag, an empty date tag and some free pages.
Bytes goodFile(const TempDir& dir) {
    std::string path = dir.file("GOOD.MDX");
    MdxFile::create(path, "GOOD");
    MdxFile mdx;
    mdx.open(path, false);
    std::vector<MdxFile::Entry> c, n, spare;
    for (uint32_t r = 1; r <= 600; ++r) {
        std::string k = "key" + std::to_string(r % 250);
        k.resize(100, ' ');
        c.push_back({k, r});
        if (r <= 300) n.push_back({encodeNumericKey(double(r % 97) - 40.5), r});
        spare.push_back({std::string(40, char('A' + r % 26)), r});
    }
    mdx.addTag({"CK", "Title", 'C', 100}, c);
    mdx.addTag({"SPARE", "Star1", 'C', 40}, spare);
    mdx.addTag({"NK", "Year", 'N', 12}, n);
    mdx.addTag({"DK", "PurchDate", 'D', 8}, {});
    mdx.removeTag("SPARE"); // its pages go to the free list
    for (uint32_t r = 601; r <= 650; ++r) {
        std::string k = "key" + std::to_string(r % 250);
        k.resize(100, ' ');
        mdx.insert(0, k, r);
    }
    mdx.close();
    return readFile(path);
}

size_t slot(int i) {
    return 544 + 32 * size_t(i - 1);
}
size_t tagHeader(const Bytes& b, int i) {
    return size_t(get32(b, slot(i))) * 512;
}
size_t rootOf(const Bytes& b, int i) {
    return size_t(get32(b, tagHeader(b, i))) * 512;
}
// Offset of the first child pointer of an interior node at byte offset `node`.
size_t child(const Bytes& b, size_t node, int i, int itemLen) {
    (void)b;
    return node + 8 + size_t(i) * size_t(itemLen);
}

struct Damage {
    std::string name;
    std::function<void(Bytes&)> apply;
    bool mustFailOpen; // else: open may succeed but the check of some tag must fail
};

std::vector<Damage> damages() {
    const int L = 104; // item length of tag CK
    return {
        {"empty file", [](Bytes& b) { b.clear(); }, true},
        {"header cut short", [](Bytes& b) { b.resize(100); }, true},
        {"tag table cut short", [](Bytes& b) { b.resize(2047); }, true},
        {"nodes cut off", [](Bytes& b) { b.resize(2048 + 1024); }, true},
        {"version 0", [](Bytes& b) { b[0] = 0; }, true},
        {"version 3", [](Bytes& b) { b[0] = 3; }, true},
        {"block pages 4", [](Bytes& b) { set16(b, 20, 4); }, true},
        {"block bytes 512", [](Bytes& b) { set16(b, 22, 512); }, true},
        {"slot length 16", [](Bytes& b) { b[26] = 16; }, true},
        {"48 tags", [](Bytes& b) { set16(b, 28, 48); }, true},
        {"65535 tags", [](Bytes& b) { set16(b, 28, 65535); }, true},
        {"page count 0", [](Bytes& b) { set32(b, 32, 0); }, true},
        {"page count too small", [](Bytes& b) { set32(b, 32, 8); }, true},
        {"free page beyond the end", [](Bytes& b) { set32(b, 36, 0x7FFFFFF0); }, true},
        {"free page in the header", [](Bytes& b) { set32(b, 36, 2); }, true},
        {"tag header page 0", [](Bytes& b) { set32(b, slot(1), 0); }, true},
        {"tag header page huge", [](Bytes& b) { set32(b, slot(2), 0xFFFFFFFF); }, true},
        {"tag header at the last page", [](Bytes& b) { set32(b, slot(2), uint32_t(b.size() / 512 - 1)); },
         true},
        {"key type X", [](Bytes& b) { b[tagHeader(b, 1) + 9] = 'X'; }, true},
        {"key length 0", [](Bytes& b) { set16(b, tagHeader(b, 1) + 12, 0); }, true},
        {"key length 101", [](Bytes& b) { set16(b, tagHeader(b, 1) + 12, 101); }, true},
        {"numeric key length 8", [](Bytes& b) { set16(b, tagHeader(b, 2) + 12, 8); }, true},
        {"item length 0", [](Bytes& b) { set16(b, tagHeader(b, 1) + 18, 0); }, true},
        {"item length 2000", [](Bytes& b) { set16(b, tagHeader(b, 1) + 18, 2000); }, true},
        {"keys per node 0", [](Bytes& b) { set16(b, tagHeader(b, 1) + 14, 0); }, true},
        {"keys per node 1000", [](Bytes& b) { set16(b, tagHeader(b, 1) + 14, 1000); }, true},
        {"root page 1", [](Bytes& b) { set32(b, tagHeader(b, 1), 1); }, true},
        {"root page huge", [](Bytes& b) { set32(b, tagHeader(b, 3), 0x40000000); }, true},
        {"root node count huge", [](Bytes& b) { set32(b, rootOf(b, 1), 0xFFFFFFFF); }, false},
        {"root node count 10", [](Bytes& b) { set32(b, rootOf(b, 1), 10); }, false},
        {"child out of range", [=](Bytes& b) { set32(b, child(b, rootOf(b, 1), 0, L), 0x00FFFFF0); }, false},
        {"child is page 0", [=](Bytes& b) { set32(b, child(b, rootOf(b, 1), 1, L), 0); }, false},
        {"child is the root (cycle)",
         [=](Bytes& b) { set32(b, child(b, rootOf(b, 1), 0, L), uint32_t(rootOf(b, 1) / 512)); }, false},
        {"two children share a node",
         [=](Bytes& b) {
             size_t r = rootOf(b, 1);
             set32(b, child(b, r, 1, L), get32(b, child(b, r, 0, L)));
         },
         false},
        {"grandchild points back up",
         [=](Bytes& b) {
             size_t r = rootOf(b, 1);
             size_t c0 = size_t(get32(b, child(b, r, 0, L))) * 512;
             set32(b, child(b, c0, 0, L), uint32_t(r / 512));
         },
         false},
        {"trailing pointer out of range",
         [=](Bytes& b) {
             size_t r = rootOf(b, 1);
             set32(b, r + 8 + get32(b, r) * L, 0x7FFFFFFF);
         },
         false},
        {"keys out of order in a leaf",
         [=](Bytes& b) {
             size_t r = rootOf(b, 1);
             size_t c0 = size_t(get32(b, child(b, r, 0, L))) * 512;
             size_t leaf = size_t(get32(b, child(b, c0, 0, L))) * 512;
             size_t last = leaf + 12 + (get32(b, leaf) - 1) * L;
             std::swap_ranges(b.begin() + long(leaf + 12), b.begin() + long(leaf + 12 + 100),
                              b.begin() + long(last));
         },
         false},
        {"interior key not the largest of its child",
         [=](Bytes& b) {
             size_t r = rootOf(b, 1);
             b[r + 12] = '!';
         },
         false},
        {"leaf made interior (depth mismatch)",
         [=](Bytes& b) {
             size_t r = rootOf(b, 1);
             size_t c0 = size_t(get32(b, child(b, r, 0, L))) * 512;
             size_t leaf = size_t(get32(b, child(b, c0, 0, L))) * 512;
             size_t n = get32(b, leaf);
             set32(b, leaf + 8 + n * L, uint32_t(size_t(get32(b, child(b, c0, 1, L)))));
         },
         false},
        {"record number 0", [=](Bytes& b) { set32(b, rootOf(b, 2) + 8, 0); }, false},
        {"numeric keys out of order",
         [=](Bytes& b) {
             size_t r = rootOf(b, 2);
             size_t leaf = size_t(get32(b, r + 8)) * 512;
             std::string big = encodeNumericKey(1e6);
             std::copy(big.begin(), big.end(), b.begin() + long(leaf + 12));
         },
         false},
    };
}

} // namespace

TEST(MdxMalformed, EveryDamageIsADbErrorWhereItIsMet) {
    TempDir dir;
    Bytes good = goodFile(dir);
    {
        std::string path = dir.file("CHECK.MDX");
        writeFile(path, good);
        auto r = exerciseMdx(path, true);
        ASSERT_TRUE(r.opened);
        ASSERT_EQ(r.tags, 3);
        ASSERT_EQ(r.damagedTags, 0);
        ASSERT_GT(rootOf(good, 1), 0u);
    }
    for (const auto& d : damages()) {
        SCOPED_TRACE(d.name);
        Bytes b = good;
        d.apply(b);
        std::string path = dir.file("BAD.MDX");
        writeFile(path, b);
        if (d.mustFailOpen) {
            MdxFile mdx;
            try {
                mdx.open(path, true);
                ADD_FAILURE() << "opened";
            } catch (const DbError& e) {
                EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            }
        } else {
            MdxFile mdx;
            mdx.open(path, true);
            bool failed = false;
            for (int t = 0; t < int(mdx.tags().size()); ++t) {
                try {
                    mdx.checkTag(t);
                } catch (const DbError& e) {
                    failed = true;
                    std::string what = e.what();
                    EXPECT_NE(what.find(path), std::string::npos) << what;
                    EXPECT_NE(what.find("tag " + mdx.tags()[size_t(t)].name), std::string::npos) << what;
                    EXPECT_NE(what.find("page "), std::string::npos) << what;
                }
            }
            EXPECT_TRUE(failed) << "no tag check failed";
        }
        // Every read and write path on the damaged file, read-only and writable.
        writeFile(path, b);
        exerciseMdx(path, false);
        exerciseMdx(path, true);
    }
}

TEST(MdxMalformed, RandomByteDamageNeverCrashesOrHangs) {
    TempDir dir;
    Bytes good = goodFile(dir);
    std::mt19937 rng(20261208);
    std::string path = dir.file("FLIP.MDX");
    for (int round = 0; round < 300; ++round) {
        Bytes b = good;
        int flips = 1 + int(rng() % 8);
        for (int i = 0; i < flips; ++i) {
            // Mostly in the tree pages, sometimes in the header and tag table.
            size_t off = rng() % 4 == 0 ? rng() % 2048 : 2048 + rng() % (b.size() - 2048);
            switch (rng() % 3) {
            case 0:
                b[off] = uint8_t(rng());
                break;
            case 1:
                b[off] ^= uint8_t(1u << (rng() % 8));
                break;
            default:
                b[off] = rng() % 2 ? 0 : 0xFF;
            }
        }
        if (rng() % 20 == 0) b.resize(rng() % b.size());
        writeFile(path, b);
        exerciseMdx(path, round % 2 == 0);
    }
}

// Files under tests/fuzz/corpus/mdx (seeds and whatever the fuzzer found) replayed here.
TEST(MdxMalformed, FuzzCorpusReplays) {
    const char* src = std::getenv("QUILLON_SOURCE_DIR");
    if (!src) GTEST_SKIP() << "QUILLON_SOURCE_DIR not set";
    std::filesystem::path corpus = std::filesystem::path(src) / "tests/fuzz/corpus/mdx";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    TempDir dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        std::string copy = dir.file("CORPUS.MDX");
        std::filesystem::copy_file(entry.path(), copy, std::filesystem::copy_options::overwrite_existing);
        exerciseMdx(copy, false);
        exerciseMdx(copy, true);
        ++files;
    }
    EXPECT_GT(files, 0);
}

// Writes the starting corpus of the fuzz target (run by hand with QUILLON_WRITE_CORPUS=<folder>).
TEST(MdxMalformed, WritesSeedCorpusWhenAsked) {
    const char* out = std::getenv("QUILLON_WRITE_CORPUS");
    if (!out) GTEST_SKIP() << "QUILLON_WRITE_CORPUS not set";
    TempDir dir;
    Bytes good = goodFile(dir);
    std::string path = dir.file("SMALL.MDX");
    MdxFile::create(path, "SMALL");
    {
        MdxFile mdx;
        mdx.open(path, false);
        mdx.addTag({"C", "T", 'C', 6}, {{"abcdef", 1}, {"abcdeg", 2}});
        mdx.addTag({"N", "Y", 'N', 12}, {{encodeNumericKey(1), 1}, {encodeNumericKey(-2), 2}});
        mdx.addTag({"D", "D", 'D', 8}, {{encodeDateKey("19810101"), 1}});
    }
    writeFile(std::string(out) + "/small.mdx", readFile(path));
    path = dir.file("MEDIUM.MDX");
    MdxFile::create(path, "MEDIUM");
    {
        MdxFile mdx;
        mdx.open(path, false);
        std::vector<MdxFile::Entry> c, n, d;
        for (uint32_t r = 1; r <= 100; ++r) {
            std::string k = "k" + std::to_string(r % 40);
            k.resize(100, ' ');
            if (r <= 60) c.push_back({k, r});
            n.push_back({encodeNumericKey(double(r % 33) / 4 - 3), r});
            if (r <= 20) d.push_back({encodeDateKey("199901" + std::to_string(10 + r)), r});
        }
        mdx.addTag({"C", "T", 'C', 100}, c);
        mdx.addTag({"N", "Y", 'N', 12}, n);
        mdx.addTag({"D", "D", 'D', 8}, d);
        mdx.insert(0, std::string(100, 'z'), 101);
        mdx.remove(1, encodeNumericKey(1.0 / 4 - 3), 1);
    }
    writeFile(std::string(out) + "/medium.mdx", readFile(path));
    int i = 0;
    for (const auto& d : damages()) {
        Bytes b = good;
        d.apply(b);
        if (b.size() <= 64 * 1024) writeFile(std::string(out) + "/damage" + std::to_string(i++) + ".mdx", b);
    }
}
