#pragma once
// Helpers of the .MDX tests: temporary folders, sorted models of a tag, and whole-tag walks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dbase/keys.h"
#include "dbase/mdx.h"

namespace mdxtest {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qdbase-mdx-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

using Entry = std::pair<std::string, uint32_t>;

struct EntryLess {
    char type = 'C';
    bool operator()(const Entry& a, const Entry& b) const {
        int c = dbase::compareKeys(type, a.first, b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    }
};
using Model = std::set<Entry, EntryLess>;

inline std::vector<Entry> walkForward(const dbase::MdxFile& mdx, int tag) {
    std::vector<Entry> out;
    auto c = mdx.cursor(tag);
    for (bool ok = c.first(); ok; ok = c.next())
        out.emplace_back(c.key(), c.recno());
    return out;
}

inline std::vector<Entry> walkBackward(const dbase::MdxFile& mdx, int tag) {
    std::vector<Entry> out;
    auto c = mdx.cursor(tag);
    for (bool ok = c.last(); ok; ok = c.prior())
        out.emplace_back(c.key(), c.recno());
    std::reverse(out.begin(), out.end());
    return out;
}

inline std::vector<Entry> checked(const dbase::MdxFile& mdx, int tag) {
    std::vector<Entry> out;
    for (auto& e : mdx.checkTag(tag))
        out.emplace_back(e.key, e.recno);
    return out;
}

} // namespace mdxtest
