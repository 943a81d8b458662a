// dBase IV production index (.MDX).
//
// Layout: pages of 512 bytes; pages 0-3 hold the file header and the tag table; every tag has a
// tag header block and a B+ tree of 1024-byte nodes. In a node, entry i is (pointer, key):
// a leaf's pointer is the record number, an interior node's pointer is the child page whose
// subtree's largest key is key i; the 32-bit word after the last entry is the interior node's
// rightmost child, 0 in a leaf. Equal keys are ordered by record number.
//
// Write order (so that a process killed at any instant leaves no pointer to a page that is free
// or beyond the end of the file):
//   1. allocation first: the header's free-list head and page count are written before a page
//      taken from the free list or the end of the file is used (a crash leaks that page, at worst);
//   2. new pages next, before any pointer that reaches them;
//   3. then the existing pages that point to them (tag header, interior nodes top-down, leaves);
//   4. pages leave a tree before they go to the free list.
// A crash between steps 2 and 3 can leave a tag with missing or duplicated entries; the table
// layer marks a post that is under way in the .DBF header and rebuilds the index when it finds
// that mark.
#include "dbase/mdx.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <functional>
#include <list>
#include <unordered_map>
#include <unordered_set>

#include "dbase/expr.h"
#include "dbase/keys.h"

namespace dbase {

namespace {

constexpr int kBlockBytes = 1024;
constexpr uint32_t kBlockPages = 2;
constexpr uint32_t kHeaderPages = 4;
constexpr int kHeaderBytes = 2048;
constexpr int kMaxTags = 47;
constexpr int kSlotBytes = 32;
constexpr int kTagTable = 544; // slot 1
constexpr int kMaxDepth = 32;
constexpr size_t kCacheBlocks = 4096;

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
void put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

void putDate(uint8_t* p) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    p[0] = uint8_t(tm.tm_year);
    p[1] = uint8_t(tm.tm_mon + 1);
    p[2] = uint8_t(tm.tm_mday);
}

struct Block {
    uint8_t b[kBlockBytes];
};
using BlockPtr = std::shared_ptr<const Block>;

struct Tag {
    std::string name;
    std::string expression;
    uint32_t headerPage = 0;
    uint32_t root = 0;
    char keyType = 'C';
    int keyLen = 0;
    int itemLen = 0;
    int maxKeys = 0;
    std::string limitation; // why this program cannot keep the tag current; "" when it can
};

// A decoded node, used while a tree is changed.
struct Node {
    bool leaf = true;
    std::vector<std::string> keys;
    std::vector<uint32_t> ptrs; // leaf: record numbers (one per key); interior: keys + 1 children
};

struct Step {
    uint32_t page = 0;
    int idx = 0;
};
using Path = std::vector<Step>;

int cmpEntry(char type, std::string_view ka, uint32_t ra, std::string_view kb, uint32_t rb) {
    int c = compareKeys(type, ka, kb);
    if (c != 0) return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

} // namespace

struct MdxFile::Impl {
    std::string path;
    int fd = -1;
    bool readOnly = false;
    uint8_t header[kHeaderBytes] = {};
    std::vector<Tag> tags;
    uint64_t fileSize = 0;
    uint64_t generation = 0;

    // Page cache: least recently used blocks are dropped first.
    std::list<uint32_t> lru;
    struct CacheEntry {
        BlockPtr block;
        std::list<uint32_t>::iterator pos;
    };
    std::unordered_map<uint32_t, CacheEntry> cache;

    // Free pages in chain order (front = head), loaded when first needed.
    bool freeLoaded = false;
    std::vector<uint32_t> freeList;

    ~Impl() { closeFd(); }

    void closeFd() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        cache.clear();
        lru.clear();
        tags.clear();
        freeLoaded = false;
        freeList.clear();
        ++generation;
    }

    uint32_t totalPages() const { return le32(header + 32); }
    uint32_t firstFree() const { return le32(header + 36); }
    // Pages that exist both by the header's count and by the file's length.
    uint32_t pageLimit() const {
        uint64_t bySize = fileSize / 512;
        return uint32_t(std::min<uint64_t>(totalPages(), bySize));
    }
    bool inRange(uint32_t page) const {
        return page >= kHeaderPages && uint64_t(page) + kBlockPages <= pageLimit();
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw DbError("Index file " + path + ": " + what);
    }
    [[noreturn]] void failTag(int tag, uint32_t page, const std::string& what) const {
        std::string t = tag >= 0 && size_t(tag) < tags.size() ? tags[size_t(tag)].name : "?";
        throw DbError("Index file " + path + ", tag " + t + ", page " + std::to_string(page) + ": " + what);
    }
    void requireWritable() const {
        if (fd < 0) throw DbError("Index file " + path + " is not open");
        if (readOnly) fail("opened read-only");
    }
    const Tag& tagAt(int tag) const {
        if (fd < 0) throw DbError("Index file is not open");
        if (tag < 0 || size_t(tag) >= tags.size()) fail("no tag number " + std::to_string(tag));
        return tags[size_t(tag)];
    }

    // ---- raw I/O
    void preadAll(void* buf, size_t len, uint64_t off) const {
        auto* p = static_cast<uint8_t*>(buf);
        while (len > 0) {
            ssize_t n = ::pread(fd, p, len, off_t(off));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0)
                throw IoError("Index file " + path + ": cannot read at byte " + std::to_string(off) + ": " +
                              strerror(errno));
            if (n == 0) fail("cannot read at byte " + std::to_string(off) + ": the file ends there");
            p += n;
            len -= size_t(n);
            off += uint64_t(n);
        }
    }
    void pwriteAll(const void* buf, size_t len, uint64_t off) {
        const auto* p = static_cast<const uint8_t*>(buf);
        while (len > 0) {
            ssize_t n = ::pwrite(fd, p, len, off_t(off));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                throw IoError("Index file " + path + ": cannot write at byte " + std::to_string(off) + ": " +
                              strerror(n < 0 ? errno : EIO));
            p += n;
            len -= size_t(n);
            off += uint64_t(n);
        }
        fileSize = std::max(fileSize, off);
    }
    void writeHeader() { pwriteAll(header, kHeaderBytes, 0); }

    // ---- cache
    void remember(uint32_t page, BlockPtr block) {
        auto it = cache.find(page);
        if (it != cache.end()) {
            it->second.block = std::move(block);
            lru.splice(lru.begin(), lru, it->second.pos);
            return;
        }
        if (cache.size() >= kCacheBlocks) {
            cache.erase(lru.back());
            lru.pop_back();
        }
        lru.push_front(page);
        cache.emplace(page, CacheEntry{std::move(block), lru.begin()});
    }
    void forget(uint32_t page) {
        auto it = cache.find(page);
        if (it == cache.end()) return;
        lru.erase(it->second.pos);
        cache.erase(it);
    }

    BlockPtr readBlock(int tag, uint32_t page) {
        if (!inRange(page))
            failTag(tag, page, "page out of range (the file has " + std::to_string(pageLimit()) + " pages)");
        auto it = cache.find(page);
        if (it != cache.end()) {
            lru.splice(lru.begin(), lru, it->second.pos);
            return it->second.block;
        }
        auto b = std::make_shared<Block>();
        preadAll(b->b, kBlockBytes, uint64_t(page) * 512);
        BlockPtr p = b;
        remember(page, p);
        return p;
    }
    void writeBlock(uint32_t page, const Block& block) {
        pwriteAll(block.b, kBlockBytes, uint64_t(page) * 512);
        remember(page, std::make_shared<Block>(block));
    }

    // ---- node access on raw blocks
    int nodeCount(int tag, uint32_t page, const Block& b) const {
        uint32_t n = le32(b.b);
        if (n > uint32_t(tags[size_t(tag)].maxKeys))
            failTag(tag, page,
                    "node holds " + std::to_string(n) + " keys, at most " +
                        std::to_string(tags[size_t(tag)].maxKeys) + " fit");
        return int(n);
    }
    uint32_t trailing(const Tag& t, const Block& b, int n) const { return le32(b.b + 8 + n * t.itemLen); }
    uint32_t ptrAt(const Tag& t, const Block& b, int i) const { return le32(b.b + 8 + i * t.itemLen); }
    std::string_view keyAt(const Tag& t, const Block& b, int i) const {
        return std::string_view(reinterpret_cast<const char*>(b.b + 12 + i * t.itemLen), size_t(t.keyLen));
    }

    Node decode(int tag, uint32_t page, const Block& b) const {
        const Tag& t = tags[size_t(tag)];
        int n = nodeCount(tag, page, b);
        Node node;
        uint32_t tr = trailing(t, b, n);
        node.leaf = tr == 0;
        for (int i = 0; i < n; ++i) {
            node.keys.emplace_back(keyAt(t, b, i));
            node.ptrs.push_back(ptrAt(t, b, i));
        }
        if (!node.leaf) node.ptrs.push_back(tr);
        return node;
    }
    void encode(const Tag& t, const Node& node, Block& b) const {
        std::memset(b.b, 0, kBlockBytes);
        int n = int(node.keys.size());
        put32(b.b, uint32_t(n));
        for (int i = 0; i < n; ++i) {
            put32(b.b + 8 + i * t.itemLen, node.ptrs[size_t(i)]);
            std::memcpy(b.b + 12 + i * t.itemLen, node.keys[size_t(i)].data(), size_t(t.keyLen));
        }
        put32(b.b + 8 + n * t.itemLen, node.leaf ? 0 : node.ptrs[size_t(n)]);
    }

    // ---- tag table
    void loadTags();
    void writeTagTable();
    void writeTagHeader(const Tag& t);
    void writeRoot(const Tag& t);
    const Tag& maintainable(int tag) const {
        const Tag& t = tagAt(tag);
        if (!t.limitation.empty())
            fail("tag " + t.name + " cannot be kept current by this program: " + t.limitation);
        return t;
    }

    // ---- allocation
    void loadFreeList();
    std::vector<uint32_t> allocate(size_t blocks);
    void release(const std::vector<uint32_t>& pages);
    std::vector<uint32_t> treePages(int tag);

    // ---- trees
    uint32_t maxRecno(int tag, uint32_t page, int depth);
    Path descend(int tag, std::string_view key, uint32_t recno);
    bool stepNext(int tag, Path& path, uint64_t* leafVisits);
    bool stepPrior(int tag, Path& path, uint64_t* leafVisits);
    bool descendEdge(int tag, Path& path, bool leftmost);
    bool atEntry(int tag, const Path& path);
    bool positionAtOrAfter(int tag, std::string_view key, uint32_t recno, Path& path, uint64_t* leafVisits);
    void entryAt(int tag, const Path& path, std::string& key, uint32_t& recno);
    uint32_t buildTree(int tag, std::vector<Entry>& entries);
    void checkNode(int tag, uint32_t page, int depth, int& leafDepth, std::unordered_set<uint32_t>& seen,
                   std::vector<Entry>& out, std::string* maxKey, bool* empty);
};

// ---------------------------------------------------------------------------------------------
// Tag table

void MdxFile::Impl::loadTags() {
    tags.clear();
    int used = le16(header + 28);
    if (used > kMaxTags) fail("the header names " + std::to_string(used) + " tags, at most 47 are possible");
    for (int i = 0; i < used; ++i) {
        const uint8_t* s = header + kTagTable + i * kSlotBytes;
        Tag t;
        t.headerPage = le32(s);
        const char* nm = reinterpret_cast<const char*>(s + 4);
        t.name = std::string(nm, strnlen(nm, 11));
        while (!t.name.empty() && t.name.back() == ' ')
            t.name.pop_back();
        if (!inRange(t.headerPage))
            fail("tag " + t.name + ": header page " + std::to_string(t.headerPage) + " out of range");
        Block hb;
        preadAll(hb.b, kBlockBytes, uint64_t(t.headerPage) * 512);
        t.root = le32(hb.b);
        t.keyType = char(hb.b[9]);
        t.keyLen = le16(hb.b + 12);
        t.maxKeys = le16(hb.b + 14);
        t.itemLen = le16(hb.b + 18);
        const char* ex = reinterpret_cast<const char*>(hb.b + 24);
        t.expression = std::string(ex, strnlen(ex, 221));
        std::string where = "tag " + t.name + " (header page " + std::to_string(t.headerPage) + "): ";
        if (t.keyType != 'C' && t.keyType != 'N' && t.keyType != 'D') fail(where + "unknown key type");
        if ((t.keyType == 'C' && (t.keyLen < 1 || t.keyLen > kMaxCharKeyLength)) ||
            (t.keyType == 'N' && t.keyLen != 12) || (t.keyType == 'D' && t.keyLen != 8))
            fail(where + "key length " + std::to_string(t.keyLen) + " does not suit key type " + t.keyType);
        if (t.itemLen < t.keyLen + 4 || t.itemLen > kBlockBytes - 12)
            fail(where + "item length " + std::to_string(t.itemLen) + " does not suit key length");
        if (t.maxKeys < 1 || t.maxKeys * t.itemLen > kBlockBytes - 12)
            fail(where + "keys per node " + std::to_string(t.maxKeys) + " do not fit a node");
        if (!inRange(t.root)) fail(where + "root page " + std::to_string(t.root) + " out of range");
        if (hb.b[8] & 0x08)
            t.limitation = "it is in descending order";
        else if ((hb.b[8] & 0x40) || hb.b[23] != 0)
            t.limitation = "it keeps unique keys only";
        else if (hb.b[245] != 0)
            t.limitation = "it has a FOR condition";
        tags.push_back(std::move(t));
    }
}

void MdxFile::Impl::writeTagTable() {
    std::memset(header + kTagTable, 0, size_t(kMaxTags * kSlotBytes));
    put16(header + 28, uint16_t(tags.size()));
    // Binary search tree over the names, built by inserting the tags in table order.
    std::vector<int> left(tags.size() + 1, 0), right(tags.size() + 1, 0), parent(tags.size() + 1, 0);
    for (size_t i = 1; i < tags.size(); ++i) {
        int slot = int(i) + 1;
        int cur = 1;
        while (true) {
            bool less = tags[i].name < tags[size_t(cur) - 1].name;
            int& next = less ? left[size_t(cur)] : right[size_t(cur)];
            if (next == 0) {
                next = slot;
                parent[size_t(slot)] = cur;
                break;
            }
            cur = next;
        }
    }
    for (size_t i = 0; i < tags.size(); ++i) {
        uint8_t* s = header + kTagTable + i * kSlotBytes;
        put32(s, tags[i].headerPage);
        std::memcpy(s + 4, tags[i].name.data(), std::min<size_t>(tags[i].name.size(), 10));
        s[15] = 0x10;
        s[16] = uint8_t(left[i + 1]);
        s[17] = uint8_t(right[i + 1]);
        s[18] = uint8_t(parent[i + 1]);
        s[19] = 0x02;
        s[20] = uint8_t(tags[i].keyType);
    }
    putDate(header + 44);
}

// A changed root: only the root pointer of the tag header is written, the rest stays as it is.
void MdxFile::Impl::writeRoot(const Tag& t) {
    uint8_t p[4];
    put32(p, t.root);
    pwriteAll(p, 4, uint64_t(t.headerPage) * 512);
    forget(t.headerPage);
}

void MdxFile::Impl::writeTagHeader(const Tag& t) {
    Block b;
    std::memset(b.b, 0, kBlockBytes);
    put32(b.b, t.root);
    b.b[8] = 0x10;
    b.b[9] = uint8_t(t.keyType);
    put16(b.b + 12, uint16_t(t.keyLen));
    put16(b.b + 14, uint16_t(t.maxKeys));
    put16(b.b + 16, t.keyType == 'D' ? 1 : 0);
    put16(b.b + 18, uint16_t(t.itemLen));
    b.b[20] = 1;
    std::memcpy(b.b + 24, t.expression.data(), std::min<size_t>(t.expression.size(), 220));
    b.b[246] = 1;
    writeBlock(t.headerPage, b);
}

// ---------------------------------------------------------------------------------------------
// Allocation

void MdxFile::Impl::loadFreeList() {
    if (freeLoaded) return;
    freeList.clear();
    std::unordered_set<uint32_t> seen;
    uint32_t p = firstFree();
    while (p != 0) {
        if (!inRange(p)) fail("free page " + std::to_string(p) + " out of range");
        if (!seen.insert(p).second) fail("the free page list loops at page " + std::to_string(p));
        freeList.push_back(p);
        uint8_t next[4];
        preadAll(next, 4, uint64_t(p) * 512 + 4);
        p = le32(next);
    }
    freeLoaded = true;
}

// Takes blocks from the free list, then from the end of the file; the header is written before
// any of them is used.
std::vector<uint32_t> MdxFile::Impl::allocate(size_t blocks) {
    loadFreeList();
    std::vector<uint32_t> pages;
    pages.reserve(blocks);
    size_t fromFree = std::min(blocks, freeList.size());
    pages.assign(freeList.begin(), freeList.begin() + long(fromFree));
    freeList.erase(freeList.begin(), freeList.begin() + long(fromFree));
    std::sort(pages.begin(), pages.end());
    uint64_t total = totalPages();
    if (uint64_t(total) + (blocks - fromFree) * kBlockPages > 0xFFFFFFF0u) fail("the index file is full");
    for (size_t i = fromFree; i < blocks; ++i) {
        pages.push_back(uint32_t(total));
        total += kBlockPages;
    }
    put32(header + 32, uint32_t(total));
    put32(header + 36, freeList.empty() ? 0 : freeList.front());
    for (uint32_t p : pages)
        forget(p);
    writeHeader();
    return pages;
}

// Puts pages that no tree reaches any more on the free list; pages at the end of the file are
// cut off instead.
void MdxFile::Impl::release(const std::vector<uint32_t>& pages) {
    if (pages.empty()) return;
    loadFreeList();
    std::unordered_set<uint32_t> old(freeList.begin(), freeList.end());
    std::vector<uint32_t> fresh;
    for (uint32_t p : pages)
        if (old.insert(p).second) fresh.push_back(p);
    for (uint32_t p : fresh)
        forget(p);
    // Pages at the end of the file are cut off.
    uint32_t total = totalPages();
    bool oldCut = false;
    std::unordered_set<uint32_t> cut;
    while (total >= kHeaderPages + kBlockPages && old.count(total - kBlockPages)) {
        total -= kBlockPages;
        cut.insert(total);
    }
    for (uint32_t p : freeList)
        if (cut.count(p)) oldCut = true;
    Block b;
    if (oldCut) {
        // Chain every remaining free page afresh, in ascending order; each free block is
        // written before the header names the new head.
        std::vector<uint32_t> all;
        for (uint32_t p : old)
            if (!cut.count(p)) all.push_back(p);
        std::sort(all.begin(), all.end());
        for (size_t i = 0; i < all.size(); ++i) {
            std::memset(b.b, 0, kBlockBytes);
            put32(b.b + 4, i + 1 < all.size() ? all[i + 1] : 0);
            pwriteAll(b.b, kBlockBytes, uint64_t(all[i]) * 512);
        }
        freeList = std::move(all);
    } else {
        // Push the new free pages in front of the chain.
        std::sort(fresh.begin(), fresh.end(), std::greater<>());
        for (uint32_t p : fresh) {
            if (cut.count(p)) continue;
            std::memset(b.b, 0, kBlockBytes);
            put32(b.b + 4, freeList.empty() ? 0 : freeList.front());
            pwriteAll(b.b, kBlockBytes, uint64_t(p) * 512);
            freeList.insert(freeList.begin(), p);
        }
    }
    put32(header + 36, freeList.empty() ? 0 : freeList.front());
    put32(header + 32, total);
    writeHeader();
    if (!cut.empty() && uint64_t(total) * 512 < fileSize) {
        if (::ftruncate(fd, off_t(uint64_t(total) * 512)) == 0) fileSize = uint64_t(total) * 512;
    }
}

// Every node page of a tag's tree; empty when the tree cannot be walked safely.
std::vector<uint32_t> MdxFile::Impl::treePages(int tag) {
    std::vector<uint32_t> pages;
    std::unordered_set<uint32_t> seen;
    std::vector<std::pair<uint32_t, int>> stack{{tags[size_t(tag)].root, 0}};
    const Tag& t = tags[size_t(tag)];
    try {
        while (!stack.empty()) {
            auto [page, depth] = stack.back();
            stack.pop_back();
            if (depth > kMaxDepth || !seen.insert(page).second) return {};
            pages.push_back(page);
            BlockPtr b = readBlock(tag, page);
            int n = nodeCount(tag, page, *b);
            uint32_t tr = trailing(t, *b, n);
            if (tr == 0) continue;
            for (int i = 0; i < n; ++i)
                stack.emplace_back(ptrAt(t, *b, i), depth + 1);
            stack.emplace_back(tr, depth + 1);
        }
    } catch (const DbError&) {
        return {};
    }
    return pages;
}

// ---------------------------------------------------------------------------------------------
// Tree navigation

// Record number of the last entry of a subtree (UINT32_MAX when that cannot be told, which
// makes the search enter the subtree and correct itself by walking forward).
uint32_t MdxFile::Impl::maxRecno(int tag, uint32_t page, int depth) {
    const Tag& t = tags[size_t(tag)];
    for (; depth <= kMaxDepth; ++depth) {
        BlockPtr b = readBlock(tag, page);
        int n = nodeCount(tag, page, *b);
        uint32_t tr = trailing(t, *b, n);
        if (tr == 0) return n == 0 ? UINT32_MAX : ptrAt(t, *b, n - 1);
        page = tr;
    }
    failTag(tag, page, "the tree is deeper than " + std::to_string(kMaxDepth) + " levels (a cycle?)");
}

// Path from the root to the leaf position of the first entry >= (key, recno); the leaf index may
// be the leaf's count when every entry of that leaf is smaller.
Path MdxFile::Impl::descend(int tag, std::string_view key, uint32_t recno) {
    const Tag& t = tags[size_t(tag)];
    Path path;
    uint32_t page = t.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth)
            failTag(tag, page, "the tree is deeper than " + std::to_string(kMaxDepth) + " levels (a cycle?)");
        BlockPtr b = readBlock(tag, page);
        int n = nodeCount(tag, page, *b);
        uint32_t tr = trailing(t, *b, n);
        if (tr == 0) {
            int lo = 0, hi = n;
            while (lo < hi) {
                int mid = (lo + hi) / 2;
                if (cmpEntry(t.keyType, keyAt(t, *b, mid), ptrAt(t, *b, mid), key, recno) < 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            path.push_back({page, lo});
            return path;
        }
        // First key >= key.
        int lo = 0, hi = n;
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (compareKeys(t.keyType, keyAt(t, *b, mid), key) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        int i = lo;
        if (i < n && recno > 0 && compareKeys(t.keyType, keyAt(t, *b, i), key) == 0) {
            // A run of children whose largest key equals the key: pick the first whose largest
            // record number reaches recno.
            int j = i;
            while (j + 1 < n && compareKeys(t.keyType, keyAt(t, *b, j + 1), key) == 0)
                ++j;
            int a = i, z = j + 1;
            while (a < z) {
                int mid = (a + z) / 2;
                if (maxRecno(tag, ptrAt(t, *b, mid), depth + 1) < recno)
                    a = mid + 1;
                else
                    z = mid;
            }
            i = a;
        }
        path.push_back({page, i});
        page = i < n ? ptrAt(t, *b, i) : tr;
    }
}

// From an interior position, descends to the first (leftmost) or last entry below it.
// Returns false when the leaf reached is empty.
bool MdxFile::Impl::descendEdge(int tag, Path& path, bool leftmost) {
    const Tag& t = tags[size_t(tag)];
    while (true) {
        if (path.size() > size_t(kMaxDepth))
            failTag(tag, path.back().page,
                    "the tree is deeper than " + std::to_string(kMaxDepth) + " levels (a cycle?)");
        const Step& s = path.back();
        BlockPtr b = readBlock(tag, s.page);
        int n = nodeCount(tag, s.page, *b);
        uint32_t tr = trailing(t, *b, n);
        if (tr == 0) {
            // s is a leaf: its idx was set by the caller or the loop below.
            return n > 0;
        }
        uint32_t child = s.idx < n ? ptrAt(t, *b, s.idx) : tr;
        BlockPtr cb = readBlock(tag, child);
        int cn = nodeCount(tag, child, *cb);
        bool childLeaf = trailing(t, *cb, cn) == 0;
        int idx = leftmost ? 0 : (childLeaf ? cn - 1 : cn);
        path.push_back({child, std::max(idx, 0)});
        if (childLeaf) return cn > 0;
    }
}

bool MdxFile::Impl::atEntry(int tag, const Path& path) {
    if (path.empty()) return false;
    BlockPtr b = readBlock(tag, path.back().page);
    int n = nodeCount(tag, path.back().page, *b);
    return path.back().idx >= 0 && path.back().idx < n;
}

void MdxFile::Impl::entryAt(int tag, const Path& path, std::string& key, uint32_t& recno) {
    const Tag& t = tags[size_t(tag)];
    BlockPtr b = readBlock(tag, path.back().page);
    key.assign(keyAt(t, *b, path.back().idx));
    recno = ptrAt(t, *b, path.back().idx);
}

// Moves to the next entry in key order; false (path unchanged) at the end.
bool MdxFile::Impl::stepNext(int tag, Path& path, uint64_t* leafVisits) {
    {
        BlockPtr b = readBlock(tag, path.back().page);
        int n = nodeCount(tag, path.back().page, *b);
        if (path.back().idx + 1 < n) {
            ++path.back().idx;
            return true;
        }
    }
    Path p = path;
    uint64_t limit = pageLimit() / kBlockPages + 1;
    while (true) {
        p.pop_back();
        // Climb to a level with a child to the right.
        while (!p.empty()) {
            BlockPtr b = readBlock(tag, p.back().page);
            int n = nodeCount(tag, p.back().page, *b);
            if (p.back().idx < n) break;
            p.pop_back();
        }
        if (p.empty()) return false;
        ++p.back().idx;
        bool found = descendEdge(tag, p, true);
        if (leafVisits && ++*leafVisits > limit)
            failTag(tag, p.back().page, "a walk meets more leaves than the file holds (a cycle?)");
        if (found) {
            path = std::move(p);
            return true;
        }
    }
}

bool MdxFile::Impl::stepPrior(int tag, Path& path, uint64_t* leafVisits) {
    if (path.back().idx > 0) {
        --path.back().idx;
        return true;
    }
    Path p = path;
    uint64_t limit = pageLimit() / kBlockPages + 1;
    while (true) {
        p.pop_back();
        while (!p.empty() && p.back().idx == 0)
            p.pop_back();
        if (p.empty()) return false;
        --p.back().idx;
        bool found = descendEdge(tag, p, false);
        if (leafVisits && ++*leafVisits > limit)
            failTag(tag, p.back().page, "a walk meets more leaves than the file holds (a cycle?)");
        if (found) {
            path = std::move(p);
            return true;
        }
    }
}

// Positions at the first entry >= (key, recno). False when there is none (path then ends past
// the last entry of its leaf).
bool MdxFile::Impl::positionAtOrAfter(int tag, std::string_view key, uint32_t recno, Path& path,
                                      uint64_t* leafVisits) {
    const Tag& t = tags[size_t(tag)];
    path = descend(tag, key, recno);
    if (!atEntry(tag, path)) {
        // Past the end of this leaf: the next entry is the first of the following leaves.
        Path p = path;
        BlockPtr b = readBlock(tag, p.back().page);
        int n = nodeCount(tag, p.back().page, *b);
        if (n == 0) {
            p.back().idx = 0;
            // Empty leaf: look for the next non-empty one.
            Path q = p;
            q.back().idx = -1;
            // stepNext treats idx + 1 < n; with n == 0 it climbs.
            if (!stepNext(tag, q, leafVisits)) return false;
            path = std::move(q);
        } else {
            p.back().idx = n - 1;
            if (!stepNext(tag, p, leafVisits)) return false;
            path = std::move(p);
        }
    }
    // Walk forward over anything still smaller (only in files whose interior keys are loose).
    while (true) {
        BlockPtr b = readBlock(tag, path.back().page);
        if (cmpEntry(t.keyType, keyAt(t, *b, path.back().idx), ptrAt(t, *b, path.back().idx), key, recno) >=
            0)
            return true;
        if (!stepNext(tag, path, leafVisits)) return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Bulk build: sorted entries into full leaves, then interior levels bottom-up.

uint32_t MdxFile::Impl::buildTree(int tag, std::vector<Entry>& entries) {
    const Tag& t = tags[size_t(tag)];
    for (const auto& e : entries)
        if (e.key.size() != size_t(t.keyLen))
            fail("tag " + t.name + ": key of record " + std::to_string(e.recno) + " is " +
                 std::to_string(e.key.size()) + " bytes, the tag's keys are " + std::to_string(t.keyLen));
    if (t.keyType == 'C') {
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            int c = std::memcmp(a.key.data(), b.key.data(), a.key.size());
            return c != 0 ? c < 0 : a.recno < b.recno;
        });
    } else {
        char type = t.keyType;
        std::sort(entries.begin(), entries.end(), [type](const Entry& a, const Entry& b) {
            return cmpEntry(type, a.key, a.recno, b.key, b.recno) < 0;
        });
    }
    const size_t N = entries.size();
    const size_t fan = size_t(t.maxKeys);
    // Node counts per level.
    std::vector<size_t> counts;
    size_t leaves = N == 0 ? 1 : (N + fan - 1) / fan;
    counts.push_back(leaves);
    while (counts.back() > 1)
        counts.push_back((counts.back() + fan) / (fan + 1));
    size_t totalNodes = 0;
    for (size_t c : counts)
        totalNodes += c;
    std::vector<uint32_t> pages = allocate(totalNodes);

    // Writes go out in runs of consecutive pages.
    std::vector<uint8_t> buf;
    uint32_t runStart = 0;
    size_t runBlocks = 0;
    auto flushRun = [&]() {
        if (runBlocks) pwriteAll(buf.data(), runBlocks * kBlockBytes, uint64_t(runStart) * 512);
        runBlocks = 0;
    };
    auto emit = [&](uint32_t page) -> uint8_t* {
        if (runBlocks && (page != runStart + runBlocks * kBlockPages || runBlocks >= 1024)) flushRun();
        if (runBlocks == 0) runStart = page;
        buf.resize(std::max(buf.size(), (runBlocks + 1) * kBlockBytes));
        uint8_t* b = buf.data() + runBlocks * kBlockBytes;
        std::memset(b, 0, kBlockBytes);
        ++runBlocks;
        return b;
    };

    size_t next = 0; // index into pages
    // Children of the level being built: page and the index of the entry holding its largest key.
    std::vector<std::pair<uint32_t, size_t>> level;
    level.reserve(leaves);
    {
        size_t base = N / leaves, extra = N % leaves, e = 0;
        for (size_t i = 0; i < leaves; ++i) {
            size_t cnt = base + (i < extra ? 1 : 0);
            uint32_t page = pages[next++];
            uint8_t* b = emit(page);
            put32(b, uint32_t(cnt));
            for (size_t k = 0; k < cnt; ++k, ++e) {
                put32(b + 8 + k * size_t(t.itemLen), entries[e].recno);
                std::memcpy(b + 12 + k * size_t(t.itemLen), entries[e].key.data(), size_t(t.keyLen));
            }
            level.emplace_back(page, e == 0 ? 0 : e - 1);
        }
    }
    while (level.size() > 1) {
        size_t C = level.size();
        size_t nodes = (C + fan) / (fan + 1);
        size_t base = C / nodes, extra = C % nodes, c = 0;
        std::vector<std::pair<uint32_t, size_t>> up;
        up.reserve(nodes);
        for (size_t i = 0; i < nodes; ++i) {
            size_t cnt = base + (i < extra ? 1 : 0); // children, >= 2 unless C == 1
            uint32_t page = pages[next++];
            uint8_t* b = emit(page);
            put32(b, uint32_t(cnt - 1));
            for (size_t k = 0; k + 1 < cnt; ++k) {
                put32(b + 8 + k * size_t(t.itemLen), level[c + k].first);
                std::memcpy(b + 12 + k * size_t(t.itemLen), entries[level[c + k].second].key.data(),
                            size_t(t.keyLen));
            }
            put32(b + 8 + (cnt - 1) * size_t(t.itemLen), level[c + cnt - 1].first);
            up.emplace_back(page, level[c + cnt - 1].second);
            c += cnt;
        }
        level = std::move(up);
    }
    flushRun();
    return level.front().first;
}

// ---------------------------------------------------------------------------------------------
// Structural check

void MdxFile::Impl::checkNode(int tag, uint32_t page, int depth, int& leafDepth,
                              std::unordered_set<uint32_t>& seen, std::vector<Entry>& out,
                              std::string* maxKey, bool* empty) {
    const Tag& t = tags[size_t(tag)];
    if (depth > kMaxDepth)
        failTag(tag, page, "the tree is deeper than " + std::to_string(kMaxDepth) + " levels");
    if (!inRange(page))
        failTag(tag, page, "page out of range (the file has " + std::to_string(pageLimit()) + " pages)");
    if (!seen.insert(page).second) failTag(tag, page, "page reached twice (a cycle or a shared node)");
    BlockPtr b = readBlock(tag, page);
    int n = nodeCount(tag, page, *b);
    uint32_t tr = trailing(t, *b, n);
    if (tr == 0) {
        if (leafDepth < 0)
            leafDepth = depth;
        else if (leafDepth != depth)
            failTag(tag, page,
                    "leaf at depth " + std::to_string(depth) + ", other leaves are at depth " +
                        std::to_string(leafDepth));
        for (int i = 0; i < n; ++i) {
            std::string_view k = keyAt(t, *b, i);
            uint32_t r = ptrAt(t, *b, i);
            if (r == 0) failTag(tag, page, "entry " + std::to_string(i) + " has record number 0");
            if (!out.empty() && cmpEntry(t.keyType, out.back().key, out.back().recno, k, r) >= 0)
                failTag(tag, page, "keys out of order at entry " + std::to_string(i));
            out.push_back({std::string(k), r});
        }
        *empty = n == 0;
        if (n > 0) *maxKey = std::string(keyAt(t, *b, n - 1));
        return;
    }
    // Keep the block: recursion may evict it from the cache.
    BlockPtr keep = b;
    *empty = true;
    for (int i = 0; i <= n; ++i) {
        uint32_t child = i < n ? ptrAt(t, *keep, i) : tr;
        std::string childMax;
        bool childEmpty = true;
        checkNode(tag, child, depth + 1, leafDepth, seen, out, &childMax, &childEmpty);
        if (!childEmpty) {
            *empty = false;
            *maxKey = childMax;
        }
        if (i < n && !childEmpty && compareKeys(t.keyType, keyAt(t, *keep, i), childMax) != 0)
            failTag(tag, page,
                    "key " + std::to_string(i) + " is not the largest key of child page " +
                        std::to_string(child));
        if (i < n && i > 0 && compareKeys(t.keyType, keyAt(t, *keep, i - 1), keyAt(t, *keep, i)) > 0)
            failTag(tag, page, "keys out of order at entry " + std::to_string(i));
    }
}

// ---------------------------------------------------------------------------------------------
// MdxFile

MdxFile::MdxFile() : d(std::make_unique<Impl>()) {}
MdxFile::~MdxFile() = default;

void MdxFile::create(const std::string& path, const std::string& dbfBaseName, unsigned mode) {
    uint8_t h[kHeaderBytes] = {};
    h[0] = 2;
    putDate(h + 1);
    std::string base = upper(dbfBaseName).substr(0, 16);
    std::memcpy(h + 4, base.data(), base.size());
    put16(h + 20, kBlockPages);
    put16(h + 22, kBlockBytes);
    h[24] = 1;
    h[25] = 48;
    h[26] = kSlotBytes;
    put32(h + 32, kHeaderPages);
    putDate(h + 44);
    h[529] = 0x01;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode_t(mode));
    if (fd < 0) throw DbError("Cannot create index file " + path + ": " + strerror(errno));
    // The mode asked for, whatever the umask: an index beside a group-shared table is as
    // writable as the table.
    ::fchmod(fd, mode_t(mode));
    size_t done = 0;
    while (done < sizeof h) {
        ssize_t n = ::write(fd, h + done, sizeof h - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int e = errno;
            ::close(fd);
            throw IoError("Cannot write index file " + path + ": " + strerror(e));
        }
        done += size_t(n);
    }
    if (::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        throw IoError("Cannot write index file " + path + ": " + strerror(e));
    }
    ::close(fd);
}

void MdxFile::open(const std::string& path, bool readOnly) {
    close();
    d->path = path;
    d->readOnly = readOnly;
    d->fd = ::open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (d->fd < 0) throw DbError("Cannot open index file " + path + ": " + strerror(errno));
    try {
        struct stat st {};
        if (::fstat(d->fd, &st) != 0) d->fail(std::string("cannot read its size: ") + strerror(errno));
        if (!S_ISREG(st.st_mode)) d->fail("not a regular file");
        ::fcntl(d->fd, F_SETFL, ::fcntl(d->fd, F_GETFL) & ~O_NONBLOCK);
        d->fileSize = uint64_t(st.st_size);
        if (d->fileSize < uint64_t(kHeaderBytes))
            d->fail("only " + std::to_string(d->fileSize) + " bytes, too short for a header");
        d->preadAll(d->header, kHeaderBytes, 0);
        const uint8_t* h = d->header;
        if (h[0] != 2) d->fail("not a dBase IV production index (version byte " + std::to_string(h[0]) + ")");
        if (le16(h + 20) != kBlockPages || le16(h + 22) != kBlockBytes)
            d->fail("block size " + std::to_string(le16(h + 22)) + " bytes (" + std::to_string(le16(h + 20)) +
                    " pages) is not supported, only 1024 bytes (2 pages)");
        if (h[26] != kSlotBytes)
            d->fail("tag table entries of " + std::to_string(h[26]) + " bytes are not supported");
        if (d->totalPages() < kHeaderPages)
            d->fail("page count " + std::to_string(d->totalPages()) + " is smaller than the header");
        if (d->firstFree() != 0 && !d->inRange(d->firstFree()))
            d->fail("first free page " + std::to_string(d->firstFree()) + " out of range");
        d->loadTags();
    } catch (...) {
        d->closeFd();
        throw;
    }
    ++d->generation;
}

void MdxFile::close() {
    d->closeFd();
}
bool MdxFile::isOpen() const {
    return d->fd >= 0;
}
const std::string& MdxFile::path() const {
    return d->path;
}

std::string MdxFile::tableName() const {
    const char* p = reinterpret_cast<const char*>(d->header + 4);
    std::string name(p, strnlen(p, 16));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

std::vector<TagInfo> MdxFile::tags() const {
    std::vector<TagInfo> out;
    for (const auto& t : d->tags)
        out.push_back({t.name, t.expression, t.keyType, t.keyLen});
    return out;
}

std::string MdxFile::tagLimitation(int tag) const {
    return d->tagAt(tag).limitation;
}

int MdxFile::tagIndex(const std::string& name) const {
    std::string u = upper(name);
    for (size_t i = 0; i < d->tags.size(); ++i)
        if (d->tags[i].name == u) return int(i);
    return -1;
}

void MdxFile::addTag(const TagInfo& info, std::vector<Entry> entries) {
    d->requireWritable();
    std::string name = upper(info.name);
    if (name.empty() || name.size() > 10)
        d->fail("tag name \"" + info.name + "\" must have 1 to 10 characters");
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            d->fail("tag name \"" + info.name + "\" may hold only letters, digits and underscores");
    if (tagIndex(name) >= 0) d->fail("tag " + name + " exists already");
    if (d->tags.size() >= size_t(kMaxTags))
        d->fail("no room for tag " + name + ": 47 tags are the most an index file holds");
    Tag t;
    t.name = name;
    t.expression = info.expression;
    t.keyType = info.keyType;
    t.keyLen = info.keyLength;
    if (t.keyType != 'C' && t.keyType != 'N' && t.keyType != 'D')
        d->fail("tag " + name + ": unknown key type");
    if ((t.keyType == 'C' && (t.keyLen < 1 || t.keyLen > kMaxCharKeyLength)) ||
        (t.keyType == 'N' && t.keyLen != 12) || (t.keyType == 'D' && t.keyLen != 8))
        d->fail("tag " + name + ": key length " + std::to_string(t.keyLen) + " does not suit key type " +
                t.keyType);
    if (t.expression.size() > size_t(kMaxExpressionLength))
        d->fail("tag " + name + ": the expression is longer than 220 characters");
    t.itemLen = (t.keyLen + 4 + 3) / 4 * 4;
    t.maxKeys = (kBlockBytes - 12) / t.itemLen;
    d->tags.push_back(t);
    int tag = int(d->tags.size()) - 1;
    try {
        Tag& nt = d->tags.back();
        nt.root = d->buildTree(tag, entries);
        nt.headerPage = d->allocate(1).front();
        d->writeTagHeader(nt);
        d->writeTagTable();
        d->writeHeader();
    } catch (...) {
        d->tags.pop_back();
        ++d->generation;
        throw;
    }
    ++d->generation;
}

void MdxFile::removeTag(const std::string& name) {
    d->requireWritable();
    int tag = tagIndex(name);
    if (tag < 0) d->fail("no tag " + upper(name));
    std::vector<uint32_t> pages = d->treePages(tag);
    pages.push_back(d->tags[size_t(tag)].headerPage);
    d->tags.erase(d->tags.begin() + tag);
    d->writeTagTable();
    d->writeHeader();
    ++d->generation;
    d->release(pages);
}

void MdxFile::rebuildTag(int tag, std::vector<Entry> entries) {
    d->requireWritable();
    d->maintainable(tag);
    std::vector<uint32_t> old = d->treePages(tag);
    ++d->generation;
    uint32_t root = d->buildTree(tag, entries);
    d->tags[size_t(tag)].root = root;
    d->writeRoot(d->tags[size_t(tag)]);
    d->release(old);
}

void MdxFile::insert(int tag, const std::string& key, uint32_t recno) {
    d->requireWritable();
    const Tag& t = d->maintainable(tag);
    if (key.size() != size_t(t.keyLen))
        d->fail("tag " + t.name + ": key of record " + std::to_string(recno) + " is " +
                std::to_string(key.size()) + " bytes, the tag's keys are " + std::to_string(t.keyLen));
    ++d->generation;
    Path path = d->descend(tag, key, recno);
    std::vector<Node> nodes;
    for (const Step& s : path)
        nodes.push_back(d->decode(tag, s.page, *d->readBlock(tag, s.page)));
    if (!nodes.back().leaf) d->failTag(tag, path.back().page, "leaf expected");
    Node& leaf = nodes.back();
    size_t idx = size_t(path.back().idx);
    leaf.keys.insert(leaf.keys.begin() + long(idx), key);
    leaf.ptrs.insert(leaf.ptrs.begin() + long(idx), recno);
    bool maxChanged = idx + 1 == leaf.keys.size();

    const size_t maxKeys = size_t(t.maxKeys);
    std::vector<bool> dirty(nodes.size(), false);
    dirty.back() = true;
    // Splits: the left half moves to a new page, the right half stays, so the parent's pointer
    // and key for the old page stay right and only the new left page is inserted before it.
    std::vector<std::pair<uint32_t, Node>> created;
    uint32_t newRoot = 0;
    for (size_t level = nodes.size(); level-- > 0;) {
        Node& node = nodes[level];
        size_t childPos = level > 0 ? size_t(path[level - 1].idx) : 0;
        if (node.keys.size() > maxKeys) {
            size_t m = node.keys.size();
            size_t h = m / 2;
            Node left;
            left.leaf = node.leaf;
            std::string sep;
            if (node.leaf) {
                left.keys.assign(node.keys.begin(), node.keys.begin() + long(h));
                left.ptrs.assign(node.ptrs.begin(), node.ptrs.begin() + long(h));
                node.keys.erase(node.keys.begin(), node.keys.begin() + long(h));
                node.ptrs.erase(node.ptrs.begin(), node.ptrs.begin() + long(h));
                sep = left.keys.back();
            } else {
                // Children 0..h go left (keys 0..h-1, trailing child h); key h moves up.
                left.keys.assign(node.keys.begin(), node.keys.begin() + long(h));
                left.ptrs.assign(node.ptrs.begin(), node.ptrs.begin() + long(h) + 1);
                sep = node.keys[h];
                node.keys.erase(node.keys.begin(), node.keys.begin() + long(h) + 1);
                node.ptrs.erase(node.ptrs.begin(), node.ptrs.begin() + long(h) + 1);
            }
            uint32_t leftPage = d->allocate(1).front();
            created.emplace_back(leftPage, std::move(left));
            if (level == 0) {
                Node root;
                root.leaf = false;
                root.keys = {sep};
                root.ptrs = {leftPage, path[0].page};
                newRoot = d->allocate(1).front();
                created.emplace_back(newRoot, std::move(root));
            } else {
                Node& parent = nodes[level - 1];
                parent.keys.insert(parent.keys.begin() + long(childPos), sep);
                parent.ptrs.insert(parent.ptrs.begin() + long(childPos), leftPage);
                ++childPos;
                path[level - 1].idx = int(childPos);
                dirty[level - 1] = true;
            }
        }
        if (maxChanged && level > 0) {
            Node& parent = nodes[level - 1];
            if (childPos < parent.keys.size()) {
                parent.keys[childPos] = key;
                dirty[level - 1] = true;
                maxChanged = false;
            }
        }
    }
    Block b;
    for (const auto& [page, node] : created) {
        d->encode(t, node, b);
        d->writeBlock(page, b);
    }
    if (newRoot) {
        d->tags[size_t(tag)].root = newRoot;
        d->writeRoot(d->tags[size_t(tag)]);
    }
    for (size_t level = 0; level < nodes.size(); ++level) {
        if (!dirty[level]) continue;
        d->encode(t, nodes[level], b);
        d->writeBlock(path[level].page, b);
    }
}

void MdxFile::remove(int tag, const std::string& key, uint32_t recno) {
    d->requireWritable();
    const Tag& t = d->maintainable(tag);
    ++d->generation;
    Path path;
    uint64_t visits = 0;
    bool found = key.size() == size_t(t.keyLen) && d->positionAtOrAfter(tag, key, recno, path, &visits);
    if (found) {
        std::string k;
        uint32_t r = 0;
        d->entryAt(tag, path, k, r);
        found = r == recno && compareKeys(t.keyType, k, key) == 0;
    }
    if (!found)
        d->fail("tag " + t.name + ": no entry for record " + std::to_string(recno) + " with that key");

    std::vector<Node> nodes;
    for (const Step& s : path)
        nodes.push_back(d->decode(tag, s.page, *d->readBlock(tag, s.page)));
    std::vector<bool> dirty(nodes.size(), false);
    std::vector<uint32_t> freed;
    Node& leaf = nodes.back();
    size_t idx = size_t(path.back().idx);
    leaf.keys.erase(leaf.keys.begin() + long(idx));
    leaf.ptrs.erase(leaf.ptrs.begin() + long(idx));
    dirty.back() = true;

    // Walk up: drop empty nodes from their parents and keep each parent key equal to the largest
    // key of its child.
    bool removeChild = leaf.keys.empty();
    bool maxChanged = !removeChild && idx == leaf.keys.size();
    std::string newMax = maxChanged ? leaf.keys.back() : std::string();
    for (size_t level = nodes.size() - 1; level > 0; --level) {
        Node& parent = nodes[level - 1];
        size_t pos = size_t(path[level - 1].idx);
        if (removeChild) {
            freed.push_back(path[level].page);
            dirty[level] = false;
            dirty[level - 1] = true;
            if (pos < parent.keys.size()) {
                parent.keys.erase(parent.keys.begin() + long(pos));
                parent.ptrs.erase(parent.ptrs.begin() + long(pos));
                removeChild = false;
                maxChanged = false;
            } else if (!parent.keys.empty()) {
                // The rightmost child goes: its left neighbour becomes the rightmost and the
                // parent's largest key becomes that neighbour's.
                newMax = parent.keys.back();
                parent.keys.pop_back();
                parent.ptrs.erase(parent.ptrs.begin() + long(pos));
                removeChild = false;
                maxChanged = true;
            } else {
                removeChild = true; // the parent had this one child only
            }
            continue;
        }
        if (maxChanged) {
            if (pos < parent.keys.size()) {
                parent.keys[pos] = newMax;
                dirty[level - 1] = true;
                maxChanged = false;
            }
        } else {
            break;
        }
    }
    if (removeChild) {
        // Every node on the path emptied: the root becomes an empty leaf.
        nodes[0] = Node{};
        dirty[0] = true;
        for (auto it = freed.begin(); it != freed.end();)
            it = *it == path[0].page ? freed.erase(it) : it + 1;
    }
    // A leaf that fell below a quarter full merges with a neighbour under the same parent when
    // the two fill at most three quarters of a node (so that the next inserts do not split it
    // again at once). The surviving page keeps its parent key; the other page leaves the parent.
    Block b;
    const size_t leafLevel = nodes.size() - 1;
    if (!removeChild && leafLevel > 0 && dirty[leafLevel] && !nodes[leafLevel].keys.empty() &&
        nodes[leafLevel].keys.size() < size_t(t.maxKeys) / 4) {
        Node& parent = nodes[leafLevel - 1];
        Node& lf = nodes[leafLevel];
        size_t pos = size_t(path[leafLevel - 1].idx);
        size_t children = parent.keys.size() + 1;
        for (size_t sib : {pos + 1, pos - 1}) {
            if (sib >= children) // also catches pos - 1 when pos == 0
                continue;
            uint32_t sibPage = parent.ptrs[sib];
            Node other = d->decode(tag, sibPage, *d->readBlock(tag, sibPage));
            if (!other.leaf || other.keys.size() + lf.keys.size() > size_t(t.maxKeys) * 3 / 4) continue;
            size_t gone; // child index that leaves the parent
            if (sib > pos) {
                // Into the right neighbour: it keeps its largest key.
                lf.keys.insert(lf.keys.end(), other.keys.begin(), other.keys.end());
                lf.ptrs.insert(lf.ptrs.end(), other.ptrs.begin(), other.ptrs.end());
                d->encode(t, lf, b);
                d->writeBlock(sibPage, b);
                freed.push_back(path[leafLevel].page);
                gone = pos;
            } else {
                // The left neighbour comes into this leaf, whose largest key stays.
                other.keys.insert(other.keys.end(), lf.keys.begin(), lf.keys.end());
                other.ptrs.insert(other.ptrs.end(), lf.ptrs.begin(), lf.ptrs.end());
                d->encode(t, other, b);
                d->writeBlock(path[leafLevel].page, b);
                freed.push_back(sibPage);
                gone = sib;
            }
            dirty[leafLevel] = false;
            parent.keys.erase(parent.keys.begin() + long(gone));
            parent.ptrs.erase(parent.ptrs.begin() + long(gone));
            dirty[leafLevel - 1] = true;
            break;
        }
    }
    // Bottom-up: a page that receives entries is written before the parent stops pointing to
    // the page they came from.
    for (size_t level = nodes.size(); level-- > 0;) {
        if (!dirty[level]) continue;
        d->encode(t, nodes[level], b);
        d->writeBlock(path[level].page, b);
    }
    // An interior root with a single child hands the root over to that child.
    Tag& mt = d->tags[size_t(tag)];
    uint32_t oldRoot = mt.root;
    for (int guard = 0; guard < kMaxDepth; ++guard) {
        BlockPtr rb = d->readBlock(tag, mt.root);
        int n = d->nodeCount(tag, mt.root, *rb);
        uint32_t tr = d->trailing(mt, *rb, n);
        if (tr == 0 || n > 0) break;
        freed.push_back(mt.root);
        mt.root = tr;
    }
    if (mt.root != oldRoot) d->writeRoot(mt);
    d->release(freed);
}

// ---------------------------------------------------------------------------------------------
// Cursor

struct MdxFile::Cursor::State {
    Impl* impl = nullptr;
    int tag = -1;
    uint64_t generation = 0;
    Path path;
    bool valid = false;
    std::string key;
    uint32_t recno = 0;
    // Leaves entered by the current walk in one direction: more than the file holds means a
    // cycle. A change of direction starts a new walk.
    uint64_t leafVisits = 0;
    int direction = 0;
    void walking(int dir) {
        if (direction != dir) leafVisits = 0;
        direction = dir;
    }

    void load() {
        impl->entryAt(tag, path, key, recno);
        valid = true;
        generation = impl->generation;
    }
    bool usable() const { return impl && impl->fd >= 0 && tag >= 0 && size_t(tag) < impl->tags.size(); }
};

MdxFile::Cursor MdxFile::cursor(int tag) const {
    d->tagAt(tag);
    Cursor c;
    c.s_ = std::make_shared<Cursor::State>();
    c.s_->impl = d.get();
    c.s_->tag = tag;
    return c;
}

bool MdxFile::Cursor::first() {
    if (!s_ || !s_->usable()) return false;
    State& s = *s_;
    s.leafVisits = 0;
    s.valid = false;
    s.path = {{s.impl->tags[size_t(s.tag)].root, 0}};
    bool found = s.impl->descendEdge(s.tag, s.path, true);
    if (!found) {
        s.path.back().idx = -1;
        if (!s.impl->stepNext(s.tag, s.path, &s.leafVisits)) return false;
    }
    s.load();
    return true;
}

bool MdxFile::Cursor::last() {
    if (!s_ || !s_->usable()) return false;
    State& s = *s_;
    s.leafVisits = 0;
    s.valid = false;
    const Tag& t = s.impl->tags[size_t(s.tag)];
    BlockPtr rb = s.impl->readBlock(s.tag, t.root);
    int n = s.impl->nodeCount(s.tag, t.root, *rb);
    bool rootLeaf = s.impl->trailing(t, *rb, n) == 0;
    s.path = {{t.root, rootLeaf ? n - 1 : n}};
    bool found = rootLeaf ? n > 0 : s.impl->descendEdge(s.tag, s.path, false);
    if (!found) {
        s.path.back().idx = 0;
        if (!s.impl->stepPrior(s.tag, s.path, &s.leafVisits)) return false;
    }
    s.load();
    return true;
}

bool MdxFile::Cursor::next() {
    if (!s_ || !s_->usable() || !s_->valid) return false;
    State& s = *s_;
    s.walking(1);
    if (s.generation != s.impl->generation) {
        // The index changed since the cursor was placed: find the place again.
        std::string key = s.key;
        uint32_t recno = s.recno;
        Path p;
        s.leafVisits = 0;
        if (!s.impl->positionAtOrAfter(s.tag, key, recno, p, &s.leafVisits)) {
            // Nothing at or after the old entry: stay on the last entry.
            last();
            return false;
        }
        s.path = std::move(p);
        std::string k;
        uint32_t r = 0;
        s.impl->entryAt(s.tag, s.path, k, r);
        if (!(r == recno && k == key)) {
            s.load();
            return true;
        }
        s.load();
    }
    if (!s.impl->stepNext(s.tag, s.path, &s.leafVisits)) return false;
    s.load();
    return true;
}

bool MdxFile::Cursor::prior() {
    if (!s_ || !s_->usable() || !s_->valid) return false;
    State& s = *s_;
    s.walking(-1);
    if (s.generation != s.impl->generation) {
        std::string key = s.key;
        uint32_t recno = s.recno;
        Path p;
        s.leafVisits = 0;
        if (!s.impl->positionAtOrAfter(s.tag, key, recno, p, &s.leafVisits)) return last();
        s.path = std::move(p);
        std::string k;
        uint32_t r = 0;
        s.impl->entryAt(s.tag, s.path, k, r);
        s.load();
        if (!(r == recno && k == key)) {
            // The old entry is gone; the one before the entry found is the answer.
            if (!s.impl->stepPrior(s.tag, s.path, &s.leafVisits)) {
                first();
                return false;
            }
            s.load();
            return true;
        }
    }
    if (!s.impl->stepPrior(s.tag, s.path, &s.leafVisits)) return false;
    s.load();
    return true;
}

bool MdxFile::Cursor::seek(const std::string& key, uint32_t recno) {
    if (!s_ || !s_->usable()) return false;
    State& s = *s_;
    s.leafVisits = 0;
    s.valid = false;
    Path p;
    if (!s.impl->positionAtOrAfter(s.tag, key, recno, p, &s.leafVisits)) return false;
    s.path = std::move(p);
    s.load();
    return true;
}

uint32_t MdxFile::Cursor::recno() const {
    return s_ && s_->valid ? s_->recno : 0;
}
const std::string& MdxFile::Cursor::key() const {
    static const std::string empty;
    return s_ && s_->valid ? s_->key : empty;
}
bool MdxFile::Cursor::valid() const {
    return s_ && s_->valid;
}

std::vector<MdxFile::Entry> MdxFile::checkTag(int tag) const {
    d->tagAt(tag);
    std::vector<Entry> out;
    std::unordered_set<uint32_t> seen;
    int leafDepth = -1;
    std::string maxKey;
    bool empty = true;
    d->checkNode(tag, d->tags[size_t(tag)].root, 0, leafDepth, seen, out, &maxKey, &empty);
    return out;
}

void MdxFile::flush() {
    if (d->fd < 0 || d->readOnly) return;
    if (::fsync(d->fd) != 0) throw IoError("Index file " + d->path + ": cannot flush: " + strerror(errno));
}

} // namespace dbase
