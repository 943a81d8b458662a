#pragma once
// Exercises every path of the .MDX code on one (possibly damaged) file. A damaged file may raise
// DbError anywhere; anything else (a crash, a hang, another exception) is a fault. Shared by the
// malformed-file test and the fuzz target.
#include <string>

#include "dbase/keys.h"
#include "dbase/mdx.h"

namespace mdxtest {

struct HarnessResult {
    bool opened = false;
    int tags = 0;
    int damagedTags = 0; // tags whose structural check failed
};

inline HarnessResult exerciseMdx(const std::string& path, bool writes) {
    using dbase::DbError;
    HarnessResult result;
    dbase::MdxFile mdx;
    try {
        mdx.open(path, !writes);
    } catch (const DbError&) {
        return result;
    }
    result.opened = true;
    auto tags = mdx.tags();
    result.tags = int(tags.size());
    for (int t = 0; t < int(tags.size()); ++t) {
        try {
            mdx.checkTag(t);
        } catch (const DbError&) {
            ++result.damagedTags;
        }
        std::string someKey;
        uint32_t someRecno = 0;
        try {
            auto c = mdx.cursor(t);
            for (bool ok = c.first(); ok; ok = c.next()) {
                someKey = c.key();
                someRecno = c.recno();
            }
        } catch (const DbError&) {
        }
        try {
            auto c = mdx.cursor(t);
            for (bool ok = c.last(); ok; ok = c.prior()) {
            }
        } catch (const DbError&) {
        }
        try {
            auto c = mdx.cursor(t);
            c.seek(someKey, someRecno);
            c.seek(std::string(size_t(tags[size_t(t)].keyLength), 'M'));
            c.seek("");
            c.next();
            c.prior();
        } catch (const DbError&) {
        }
        if (!writes) continue;
        std::string key(size_t(tags[size_t(t)].keyLength), 'Q');
        try {
            for (uint32_t r = 1; r <= 40; ++r)
                mdx.insert(t, key, 900000 + r);
            for (uint32_t r = 1; r <= 40; r += 2)
                mdx.remove(t, key, 900000 + r);
        } catch (const DbError&) {
        }
        try {
            if (!someKey.empty()) mdx.remove(t, someKey, someRecno);
        } catch (const DbError&) {
        }
        try {
            mdx.checkTag(t);
        } catch (const DbError&) {
        }
    }
    if (writes) {
        try {
            mdx.addTag({"FUZZNEW", "X", 'C', 10}, {{"0123456789", 1}, {"abcdefghij", 2}});
            mdx.checkTag(mdx.tagIndex("FUZZNEW"));
            if (!tags.empty()) {
                mdx.rebuildTag(0, {});
                mdx.removeTag(tags[0].name);
            }
            mdx.removeTag("FUZZNEW");
        } catch (const DbError&) {
        }
    }
    return result;
}

} // namespace mdxtest
