// Our .MDX files read by an independent reader: Perl XBase (libdbd-xbase-perl) must list the
// tags and walk each tag in key order with the right record numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/wait.h>

#include "dbase/expr.h"
#include "mdx_testutil.h"

using namespace dbase;
using namespace mdxtest;

namespace {

bool perlXBasePresent() {
    return std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") == 0;
}

std::string run(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int rc = pclose(p);
    *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string hex(const std::string& s) {
    static const char* d = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

// A minimal dBase IV table written with plain file I/O.
struct TestTable {
    std::vector<FieldLayout> fields;
    int recordLength = 1;
    std::vector<std::string> records;

    void addField(const std::string& name, char type, int width, int dec) {
        fields.push_back({{name, type, width, dec}, recordLength});
        recordLength += width;
    }
    std::string blank() const { return std::string(size_t(recordLength), ' '); }
    void setLeft(std::string& rec, int f, const std::string& v) const {
        rec.replace(size_t(fields[size_t(f)].offset), std::min(v.size(), size_t(fields[size_t(f)].def.width)),
                    v);
    }
    void setRight(std::string& rec, int f, const std::string& v) const {
        size_t w = size_t(fields[size_t(f)].def.width);
        rec.replace(size_t(fields[size_t(f)].offset) + w - v.size(), v.size(), v);
    }
    void write(const std::string& path, bool mdxFlag) const {
        std::string h(32, '\0');
        h[0] = 0x03;
        h[1] = char(126);
        h[2] = 1;
        h[3] = 1;
        uint32_t n = uint32_t(records.size());
        std::memcpy(&h[4], &n, 4);
        uint16_t hl = uint16_t(32 + 32 * fields.size() + 1), rl = uint16_t(recordLength);
        std::memcpy(&h[8], &hl, 2);
        std::memcpy(&h[10], &rl, 2);
        h[28] = mdxFlag ? 1 : 0;
        h[29] = 0x57;
        for (const auto& f : fields) {
            std::string d(32, '\0');
            std::memcpy(&d[0], f.def.name.data(), f.def.name.size());
            d[11] = f.def.type;
            d[16] = char(f.def.width);
            d[17] = char(f.def.decimals);
            h += d;
        }
        h += '\x0d';
        for (const auto& r : records)
            h += r;
        h += '\x1a';
        std::ofstream(path, std::ios::binary).write(h.data(), std::streamsize(h.size()));
    }
};

} // namespace

TEST(MdxPeer, PerlXBaseWalksEveryTagInKeyOrder) {
    if (!perlXBasePresent()) GTEST_SKIP() << "Perl XBase (libdbd-xbase-perl) is not installed";
    TempDir dir;
    TestTable t;
    t.addField("TITLE", 'C', 60, 0);
    t.addField("YEAR", 'N', 11, 0);
    t.addField("LISTPRICE", 'N', 20, 4);
    t.addField("PURCHDATE", 'D', 8, 0);
    const char* words[] = {"the",    "Love", "night", "STAR", "war",      "man",
                           "Return", "dark", "city",  "blue", "\xe9t\xe9"};
    std::mt19937 rng(42);
    const int total = 3000;
    for (int i = 0; i < total; ++i) {
        std::string rec = t.blank();
        std::string title;
        int nw = 1 + int(rng() % 4);
        for (int w = 0; w < nw; ++w)
            title += std::string(w ? " " : "") + words[rng() % 11];
        t.setLeft(rec, 0, title);
        if (rng() % 10) t.setRight(rec, 1, std::to_string(1920 + rng() % 80));
        char price[32];
        std::snprintf(price, sizeof price, "%.4f", (double(rng() % 20000) - 500) / 100.0);
        t.setRight(rec, 2, price);
        if (rng() % 8) {
            char date[16];
            std::snprintf(date, sizeof date, "%04u%02u%02u", unsigned(1950 + rng() % 50),
                          unsigned(1 + rng() % 12), unsigned(1 + rng() % 28));
            t.setLeft(rec, 3, date);
        }
        t.records.push_back(rec);
    }
    t.write(dir.file("VIDEOS.DBF"), true);

    struct TagDef {
        std::string name, expr;
    };
    std::vector<TagDef> defs = {{"NEWINDEX", "Upper(Left(Title,40))+STR(Year,12,0)"},
                                {"PRICE", "ListPrice"},
                                {"BOUGHT", "PurchDate"},
                                {"WHEN", "DTOS(PurchDate)+STR(ListPrice,12,2)"}};
    std::string mdxPath = dir.file("VIDEOS.MDX");
    MdxFile::create(mdxPath, "VIDEOS");
    MdxFile mdx;
    mdx.open(mdxPath, false);
    std::vector<Model> models;
    // Two thirds built in bulk, the rest inserted one by one (splits), then some removed.
    const int bulk = total * 2 / 3;
    for (const auto& d : defs) {
        auto e = KeyExpression::compile(d.expr, t.fields);
        std::vector<MdxFile::Entry> entries;
        Model model{EntryLess{e.keyType()}};
        for (int r = 0; r < bulk; ++r) {
            std::string k = e.evaluate(t.records[size_t(r)].data());
            entries.push_back({k, uint32_t(r + 1)});
            model.insert({k, uint32_t(r + 1)});
        }
        mdx.addTag({d.name, d.expr, e.keyType(), e.keyLength()}, entries);
        int tag = mdx.tagIndex(d.name);
        for (int r = bulk; r < total; ++r) {
            std::string k = e.evaluate(t.records[size_t(r)].data());
            mdx.insert(tag, k, uint32_t(r + 1));
            model.insert({k, uint32_t(r + 1)});
        }
        for (int r = 0; r < total; r += 7) {
            std::string k = e.evaluate(t.records[size_t(r)].data());
            mdx.remove(tag, k, uint32_t(r + 1));
            model.erase({k, uint32_t(r + 1)});
        }
        models.push_back(std::move(model));
    }
    mdx.flush();

    int status = -1;
    std::string tags = run("index_dump '" + mdxPath + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << tags;
    EXPECT_EQ(tags, "BOUGHT\nNEWINDEX\nPRICE\nWHEN\n");

    std::string script = dir.file("walk.pl");
    std::ofstream(script)
        << "use strict; use XBase::Index;\n"
           "my $i = XBase::Index->new($ARGV[0], tag => $ARGV[1]) or die XBase::Index->errstr;\n"
           "$i->prepare_select or die $i->errstr;\n"
           "while (my ($k, $r) = $i->fetch) { print unpack('H*', $k), \" $r\\n\"; }\n"
           "die $i->errstr if $i->errstr;\n";
    for (size_t i = 0; i < defs.size(); ++i) {
        std::string want;
        for (const auto& e : models[i])
            want += hex(e.first) + " " + std::to_string(e.second) + "\n";
        std::string got = run("perl '" + script + "' '" + mdxPath + "' " + defs[i].name + " 2>&1", &status);
        EXPECT_EQ(status, 0) << got.substr(0, 500);
        EXPECT_EQ(got.size(), want.size()) << defs[i].name;
        EXPECT_TRUE(got == want) << "tag " << defs[i].name << " differs";
    }
    // After most entries are gone (leaves dropped, the tree shrinking to its root) the reader
    // still walks what is left.
    {
        Model& model = models[0];
        std::vector<Entry> all(model.begin(), model.end());
        std::shuffle(all.begin(), all.end(), rng);
        for (size_t i = 0; i + 25 < all.size(); ++i) {
            mdx.remove(0, all[i].first, all[i].second);
            model.erase(all[i]);
        }
        mdx.flush();
        std::string want;
        for (const auto& e : model)
            want += hex(e.first) + " " + std::to_string(e.second) + "\n";
        std::string got = run("perl '" + script + "' '" + mdxPath + "' NEWINDEX 2>&1", &status);
        EXPECT_EQ(status, 0) << got.substr(0, 500);
        EXPECT_EQ(got, want);
    }
    // The numeric tag is ordered by value, the date tag by day, blanks first.
    EXPECT_LT(decodeNumericKey(models[1].begin()->first), 0.0);
    EXPECT_EQ(decodeDateKey(models[2].begin()->first), 0.0);
}
