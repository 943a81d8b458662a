// A process changing an index is killed at random moments. Because allocation is written before
// the pages are used and new pages before the pointers that reach them, the file always opens,
// no pointer ever leads outside the file, and a rebuild makes the tag whole again.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <random>

#include "mdx_testutil.h"

using namespace dbase;
using namespace mdxtest;

namespace {

std::string key(uint32_t v) {
    std::string k = "title " + std::to_string(v % 997);
    k.resize(84, ' ');
    return k;
}

[[noreturn]] void churn(const std::string& path, unsigned seed) {
    try {
        MdxFile mdx;
        mdx.open(path, false);
        std::mt19937 rng(seed);
        for (uint32_t r = 100000;; ++r) {
            mdx.insert(0, key(rng()), r);
            if (r % 3 == 0) {
                auto c = mdx.cursor(0);
                if (c.seek(key(rng()))) mdx.remove(0, c.key(), c.recno());
            }
            if (r % 500 == 0) {
                if (mdx.tagIndex("SIDE") >= 0) // a killed predecessor may have removed it
                    mdx.removeTag("SIDE");
                mdx.addTag({"SIDE", "Y", 'C', 84}, {{key(r), r}, {key(r + 1), r + 1}});
            }
        }
    } catch (...) {
        _exit(3);
    }
}

} // namespace

TEST(MdxCrash, KilledWritersLeaveAFileThatOpensAndRebuilds) {
    TempDir dir;
    std::string path = dir.file("K.MDX");
    MdxFile::create(path, "K");
    std::vector<MdxFile::Entry> entries;
    for (uint32_t r = 1; r <= 3000; ++r)
        entries.push_back({key(r * 7919), r});
    {
        MdxFile mdx;
        mdx.open(path, false);
        mdx.addTag({"T", "X", 'C', 84}, entries);
        mdx.addTag({"SIDE", "Y", 'C', 84}, {});
    }
    std::mt19937 rng(99);
    int damaged = 0;
    for (int round = 0; round < 25; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) churn(path, unsigned(round));
        usleep(useconds_t(2000 + rng() % 60000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

        MdxFile mdx;
        ASSERT_NO_THROW(mdx.open(path, false)) << "round " << round;
        int t = mdx.tagIndex("T");
        ASSERT_GE(t, 0);
        try {
            mdx.checkTag(t);
        } catch (const DbError& e) {
            // An operation cut in half may leave entries twice or a parent key behind, never a
            // pointer outside the file.
            std::string what = e.what();
            EXPECT_EQ(what.find("out of range"), std::string::npos) << what;
            std::cout << "after a kill: " << what << "\n";
            ++damaged;
            mdx.rebuildTag(t, entries);
            EXPECT_EQ(mdx.checkTag(t).size(), entries.size());
        }
        // The free list is sound: a new tag can be built and checked.
        mdx.addTag({"PROBE", "Z", 'C', 84}, entries);
        EXPECT_EQ(mdx.checkTag(mdx.tagIndex("PROBE")).size(), entries.size());
        mdx.removeTag("PROBE");
        EXPECT_EQ(mdx.checkTag(t).size() >= 1, true);
    }
    std::cout << damaged << " of 25 kills left the tag needing a rebuild\n";
}
