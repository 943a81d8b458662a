// Damaged tables: a corpus made by truncating and corrupting good files at many offsets. Every
// case must end in a DbError or a readable table, never a crash, a hang or a huge allocation
// (run under AddressSanitizer and UndefinedBehaviorSanitizer by the sanitize preset).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <unistd.h>

#include "dbase/table.h"
#include "dbf_harness.h"
#include "support/testutil.h"

using namespace dbase;
using testutil::TempDir;

namespace {

std::string goodTable(const TempDir& dir) {
    const std::string path = dir.file("good.dbf");
    Table::createRaw(path, {{"NAME", 'C', 12, 0},
                            {"QTY", 'N', 8, 2},
                            {"BORN", 'D', 8, 0},
                            {"OK", 'L', 1, 0},
                            {"RATE", 'F', 6, 1}});
    Table t;
    t.open(path);
    for (int i = 0; i < 4; ++i) {
        t.append();
        t.setText(0, "name é " + std::to_string(i));
        t.setNumber(1, i * 1.5);
        t.setDate(2, "2001020" + std::to_string(i + 1));
        t.setText(3, i % 2 ? "T" : "F");
        t.post();
    }
    t.gotoBookmark(2);
    t.deleteRecord();
    return testutil::readFile(path);
}

// A dBase III table with a memo field and its .DBT.
std::pair<std::string, std::string> goodMemoTable() {
    std::string h(32 + 2 * 32 + 1, '\0');
    h[0] = static_cast<char>(0x83);
    h[4] = 3;
    h[8] = static_cast<char>(h.size());
    h[10] = 1 + 6 + 10;
    std::memcpy(&h[32], "NAME", 4);
    h[43] = 'C';
    h[48] = 6;
    std::memcpy(&h[64], "NOTES", 5);
    h[75] = 'M';
    h[80] = 10;
    h.back() = 0x0D;
    std::string dbf = h + " one            1" + " two            2" + " three          " + "\x1A";
    std::string dbt(512, '\0');
    dbt[0] = 4;
    dbt += "first memo\x1A\x1A" + std::string(500, '\0');
    dbt += "second memo" + std::string(400, 'z') + "\x1A\x1A";
    dbt.resize(2048, '\0');
    return {dbf, dbt};
}

void exercise(const std::string& path, bool writable) {
    dbftest::exerciseDbf(path, writable);
}

} // namespace

TEST(Malformed, TruncatedAtEveryOffset) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("cut.dbf");
    for (size_t len = 0; len < good.size(); ++len) {
        testutil::writeFile(path, good.substr(0, len));
        exercise(path, len % 2 == 0);
        SCOPED_TRACE(len);
    }
}

TEST(Malformed, EveryHeaderByteCorrupted) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("bad.dbf");
    const size_t headerLen = static_cast<unsigned char>(good[8]) | (static_cast<unsigned char>(good[9]) << 8);
    const unsigned char values[] = {0x00, 0xFF, 0x7F, 0x0D, 0x20, 0x80, 0x01, 0x2A};
    for (size_t at = 0; at < headerLen + 2; ++at)
        for (unsigned char v : values) {
            std::string bad = good;
            bad[at] = static_cast<char>(v);
            testutil::writeFile(path, bad);
            exercise(path, at % 3 == 0);
        }
}

TEST(Malformed, AbsurdLengthsAreRefusedWithAMessage) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("bad.dbf");
    auto expectError = [&](std::string bad, const std::string& fragment) {
        testutil::writeFile(path, bad);
        Table t;
        try {
            t.open(path, OpenMode::Shared, true);
            FAIL() << "opened: " << fragment;
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    };
    std::string bad = good;
    bad[4] = bad[5] = bad[6] = bad[7] = '\xFF'; // 4 billion records
    expectError(bad, "records");
    bad = good;
    bad[8] = '\xFF';
    bad[9] = '\x7F'; // header longer than the file
    expectError(bad, "header length");
    bad = good;
    bad[10] = 3; // record length against the fields
    expectError(bad, "record length");
    bad = good;
    bad[32 + 32 * 5] = 'X'; // no field terminator where the header ends
    expectError(bad, "end marker");
    expectError(good.substr(0, 20), "truncated");
    expectError(std::string(100, '\0'), "not a dBase");
}

TEST(Malformed, RandomDamage) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("rnd.dbf");
    std::mt19937 rng(77);
    for (int i = 0; i < 1500; ++i) {
        std::string bad = good;
        const int hits = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < hits; ++k)
            bad[rng() % bad.size()] = static_cast<char>(rng());
        if (rng() % 4 == 0) bad.resize(rng() % bad.size());
        testutil::writeFile(path, bad);
        exercise(path, i % 2 == 0);
    }
}

TEST(Malformed, DamagedMemoFiles) {
    TempDir dir;
    const auto [dbf, dbt] = goodMemoTable();
    const std::string path = dir.file("memo.dbf");
    testutil::writeFile(path, dbf);
    testutil::writeFile(dir.file("memo.dbt"), dbt);
    {
        Table t;
        t.open(path, OpenMode::Shared, true);
        ASSERT_TRUE(t.first());
        EXPECT_EQ(t.getText(1), "first memo");
        ASSERT_TRUE(t.next());
        EXPECT_EQ(t.getText(1), "second memo" + std::string(400, 'z'));
    }
    std::mt19937 rng(5);
    for (size_t len = 0; len < dbt.size(); len += 7) {
        testutil::writeFile(dir.file("memo.dbt"), dbt.substr(0, len));
        exercise(path, false);
    }
    for (int i = 0; i < 300; ++i) {
        std::string bad = dbt;
        for (int k = 0; k < 4; ++k)
            bad[rng() % bad.size()] = static_cast<char>(rng());
        std::string badDbf = dbf;
        badDbf[badDbf.size() - 1 - rng() % 40] = static_cast<char>(rng());
        testutil::writeFile(dir.file("memo.dbt"), bad);
        testutil::writeFile(path, badDbf);
        exercise(path, false);
    }
}

// Another program cutting the file while the engine counts: a DbError or a count, never a crash
// (the count maps the file; a cut mapping raises SIGBUS, which the engine turns into a DbError).
TEST(Malformed, FileCutWhileCounting) {
    TempDir dir;
    const std::string path = dir.file("cut.dbf");
    Table::createRaw(path, {{"NAME", 'C', 99, 0}});
    {
        Table t;
        t.open(path, OpenMode::Exclusive);
        t.disableControls();
        for (int i = 0; i < 100000; ++i) {
            t.append();
            t.post();
        }
        t.enableControls();
    }
    const off_t full = static_cast<off_t>(testutil::readFile(path).size());
    Table t;
    t.open(path, OpenMode::Shared, true);
    std::atomic<bool> stop{false};
    std::thread cutter([&] {
        while (!stop) {
            if (::truncate(path.c_str(), 4096) != 0) break;
            if (::truncate(path.c_str(), full) != 0) break;
        }
    });
    int errors = 0, counts = 0, cutShort = 0;
    for (int i = 0; i < 200; ++i) {
        try {
            t.refresh();
            t.recordCount();
            ++counts;
        } catch (const DbError& e) {
            ++errors;
            cutShort += std::string(e.what()).find("cut short") != std::string::npos;
        }
    }
    stop = true;
    cutter.join();
    std::printf("%d counts, %d errors, %d cut while mapped\n", counts, errors, cutShort);
    EXPECT_EQ(errors + counts, 200);
}

// Inputs the libFuzzer target (tests/fuzz/dbf_fuzz.cpp) keeps are replayed here.
TEST(Malformed, FuzzCorpusReplays) {
    const char* src = std::getenv("QUILLON_SOURCE_DIR");
    if (!src) GTEST_SKIP() << "QUILLON_SOURCE_DIR not set";
    const std::filesystem::path corpus = std::filesystem::path(src) / "tests/fuzz/corpus/dbf";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    TempDir dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        const std::string copy = dir.file("CORPUS.DBF");
        std::filesystem::copy_file(entry.path(), copy, std::filesystem::copy_options::overwrite_existing);
        exercise(copy, false);
        exercise(copy, true);
        ++files;
    }
    EXPECT_GT(files, 0);
}
