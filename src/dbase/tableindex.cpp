// The production index of an open table: keeps every tag of the .MDX current on append and edit
// (deleted records keep their entries, as in dBase), walks the active tag for the cursor, and
// rebuilds tags from the records.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "dbase/mdx.h"
#include "dbase/tableimpl.h"

namespace dbase {

struct TableIndex::State {
    std::unique_ptr<MdxFile> mdx;
    struct Tag {
        TagInfo info;
        std::optional<KeyExpression> expr; // empty when the expression is beyond this engine
        std::string problem;
    };
    std::vector<Tag> tags;
    int active = -1; // index into tags (and the MdxFile's tag list)
    std::string activeName;
    std::optional<MdxFile::Cursor> cursor;
    bool stale = false;
    bool problemReported = false;
    bool deferred = false; // a bulk load: tags are rebuilt once at its end
    std::string staleWhy;  // why the index is not trusted, for check()

    void loadTags(const Impl& t) {
        tags.clear();
        for (const auto& info : mdx->tags()) {
            Tag tag;
            tag.info = info;
            try {
                tag.expr = KeyExpression::compile(info.expression, t.fields);
            } catch (const DbError& e) {
                tag.problem = e.what();
            }
            tags.push_back(std::move(tag));
        }
        cursor.reset();
        active = -1;
        if (!activeName.empty()) {
            active = mdx->tagIndex(activeName);
            if (active < 0) activeName.clear();
        }
    }

    void requireMaintainable(const Impl& t) const {
        for (size_t i = 0; i < tags.size(); ++i) {
            const Tag& tag = tags[i];
            if (!tag.expr)
                throw DbError("The index tag " + tag.info.name + " of " + t.path +
                              " cannot be kept current by this program (" + tag.problem + ")");
            // Descending, unique and conditional tags of other programs are read but never changed:
            // refuse before the record is written rather than half way through the tags.
            const std::string limit = mdx->tagLimitation(static_cast<int>(i));
            if (!limit.empty())
                throw DbError("The index tag " + tag.info.name + " of " + t.path +
                              " cannot be kept current by this program (" + limit + ")");
        }
    }

    // Entries of one tag for every physical record (deleted ones included), in large reads.
    std::vector<MdxFile::Entry> entriesOf(const Impl& t, const KeyExpression& expr) const {
        std::vector<MdxFile::Entry> out;
        out.reserve(t.count);
        const uint32_t per = std::max<uint32_t>(1, static_cast<uint32_t>((1u << 20) / t.recLen));
        std::vector<char> buf;
        for (uint32_t first = 1; first <= t.count;) {
            const uint32_t n = std::min<uint32_t>(per, t.count - first + 1);
            buf.resize(size_t(n) * t.recLen);
            t.dbf.readExact(t.recOffset(first), buf.data(), buf.size(), "The records");
            for (uint32_t i = 0; i < n; ++i)
                out.push_back({expr.evaluate(buf.data() + size_t(i) * t.recLen), first + i});
            first += n;
        }
        return out;
    }
};

TableIndex::TableIndex() : s_(std::make_unique<State>()) {}
TableIndex::~TableIndex() = default;

namespace {

// The table's base name as an index header records it: upper case, at most 16 characters.
std::string indexTableName(const std::string& tablePath) {
    std::string base = tablePath.substr(tablePath.find_last_of('/') + 1);
    base = asciiUpper(base.substr(0, base.find('.')));
    return base.substr(0, 16);
}

} // namespace

void TableIndex::openFor(Impl& t) {
    close();
    const std::string path = companionPath(t.path, ".MDX");
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return; // byte 28 without a file: record order only
    bool readOnly = t.readOnly;
    if (!readOnly && ::access(path.c_str(), R_OK | W_OK) != 0 && errno != ENOENT) {
        // Writes to the table would leave this index behind: the table is not writable.
        t.writeRefusal = "The index file " + path + " cannot be written (" + errnoText(errno) +
                         "), so the table " + t.path + " cannot be changed";
        readOnly = true;
    }
    auto mdx = std::make_unique<MdxFile>();
    try {
        if (!S_ISREG(st.st_mode)) throw DbError(path + " is not a regular file");
        mdx->open(path, readOnly);
    } catch (const DbError& e) {
        // A production index whose header or tag table is damaged cannot say which tags it
        // held; it is never trusted. Without it the table works in record order.
        s_->stale = true;
        s_->staleWhy = std::string("The production index cannot be read: ") + e.what();
        return;
    }
    const std::string recorded = asciiUpper(mdx->tableName());
    const std::string expected = indexTableName(t.path);
    if (!recorded.empty() && recorded != expected) {
        // Another table's index (a copied file): its tags are known, its entries are not ours.
        s_->stale = true;
        s_->staleWhy =
            "The index file " + path + " belongs to the table " + recorded + ", not to " + expected;
    }
    s_->mdx = std::move(mdx);
    s_->loadTags(t);
}

void TableIndex::close() {
    s_->cursor.reset();
    if (s_->mdx) s_->mdx->close();
    s_->mdx.reset();
    s_->tags.clear();
    s_->active = -1;
    s_->activeName.clear();
}

bool TableIndex::isOpen() const {
    return s_->mdx && s_->mdx->isOpen();
}

bool TableIndex::stale() const {
    return s_->stale;
}

void TableIndex::setStale(bool s) {
    s_->stale = s;
    s_->staleWhy =
        s ? "The production index is out of date: an earlier write to the table was interrupted" : "";
}

bool TableIndex::readable() const {
    return s_->mdx != nullptr;
}

void TableIndex::setDeferred(bool on) {
    s_->deferred = on;
}

bool TableIndex::deferred() const {
    return s_->deferred;
}

bool TableIndex::active() const {
    return s_->active >= 0 && !s_->stale && s_->mdx;
}

std::string TableIndex::activeName() const {
    return active() ? s_->tags[s_->active].info.name : std::string();
}

void TableIndex::setActive(Impl& t, const std::string& tag) {
    s_->cursor.reset();
    if (tag.empty()) {
        s_->active = -1;
        s_->activeName.clear();
        return;
    }
    if (s_->stale)
        throw DbError(
            "The production index of " + t.path +
            " is not current (an earlier write was interrupted); open the table for writing to rebuild it");
    const int i = s_->mdx ? s_->mdx->tagIndex(tag) : -1;
    if (i < 0) throw DbError("Index tag " + tag + " not found for " + t.path);
    if (!s_->tags[i].expr)
        throw DbError("The index tag " + s_->tags[i].info.name + " of " + t.path +
                      " cannot be used: " + s_->tags[i].problem);
    s_->active = i;
    s_->activeName = s_->tags[i].info.name;
}

std::vector<TagInfo> TableIndex::tags() const {
    std::vector<TagInfo> out;
    for (const auto& tag : s_->tags)
        out.push_back(tag.info);
    return out;
}

namespace {

constexpr uint32_t kRefusedBeforeMap = 5000;

bool visibleAt(TableIndex::Impl& t, uint32_t recno, const char** rec) {
    if (recno < 1 || recno > t.count) return false;
    if (t.visibleValid && recno <= t.visible.size()) {
        if (!t.visible[recno - 1]) return false;
        *rec = t.record(recno, TableIndex::Impl::Dir::Single);
        return true;
    }
    *rec = t.record(recno, TableIndex::Impl::Dir::Single);
    if (t.accept(recno, *rec)) return true;
    // Index order reads records one by one. When many are refused, one sequential pass that
    // builds the visibility map is cheaper than reading every refused record at random.
    if (++t.refusedReads >= kRefusedBeforeMap && t.filter) t.ensureVisible();
    return false;
}

} // namespace

bool TableIndex::seekEdgeOnce(Impl& t, bool first) {
    s_->cursor = s_->mdx->cursor(s_->active);
    MdxFile::Cursor& c = *s_->cursor;
    for (bool ok = first ? c.first() : c.last(); ok; ok = first ? c.next() : c.prior()) {
        const char* rec = nullptr;
        if (visibleAt(t, c.recno(), &rec)) {
            t.setCurrent(c.recno(), rec);
            return true;
        }
    }
    return false;
}

bool TableIndex::stepOnce(Impl& t, bool forward) {
    if (!s_->cursor || !s_->cursor->valid() || s_->cursor->recno() != t.cur) positionAt(t, t.cur);
    if (!s_->cursor) return false;
    MdxFile::Cursor& c = *s_->cursor;
    if (!c.valid()) return false;
    const std::string keepKey = c.key();
    const uint32_t keepRecno = c.recno();
    while (forward ? c.next() : c.prior()) {
        const char* rec = nullptr;
        if (visibleAt(t, c.recno(), &rec)) {
            t.setCurrent(c.recno(), rec);
            return true;
        }
    }
    c.seek(keepKey, keepRecno); // stay where the cursor was
    return false;
}

void TableIndex::positionAt(Impl& t, uint32_t recno) {
    if (!active()) return;
    if (recno < 1 || recno > t.count) {
        s_->cursor.reset();
        return;
    }
    const char* rec =
        (recno == t.cur && !t.curRec.empty()) ? t.curRec.data() : t.record(recno, Impl::Dir::Single);
    if (!s_->cursor) s_->cursor = s_->mdx->cursor(s_->active);
    const std::string key = s_->tags[s_->active].expr->evaluate(rec);
    // When the record has no entry where its key says (an index out of step with the records),
    // the cursor stays at the nearest entry; checkIndexes() reports such damage.
    s_->cursor->seek(key, recno);
}

void TableIndex::orderedVisibleOnce(Impl& t, std::vector<uint32_t>& out) {
    MdxFile::Cursor c = s_->mdx->cursor(s_->active);
    for (bool ok = c.first(); ok; ok = c.next()) {
        const uint32_t r = c.recno();
        if (r >= 1 && r <= t.visible.size() && t.visible[r - 1]) out.push_back(r);
    }
}

// A reader in shared use meets the index as another process left it between two of its
// writes: a page beyond the file this reader knew, or a node out of step with the ones it has
// cached. It reads the index again under a read lock on the post byte (so no writer is half way
// through a post) and tries once more; only a second failure is reported.
template <typename Walk> auto TableIndex::retrying(Impl& t, Walk walk) -> decltype(walk()) {
    try {
        return walk();
    } catch (const IoError&) {
        throw;
    } catch (const LockError&) {
        throw;
    } catch (const DbError&) {
        if (t.mode != OpenMode::Shared || t.postLocked || !s_->mdx) throw;
    }
    t.dbf.lockWait(File::Lock::Read, kPostLockByte, 1);
    try {
        t.readHeaderCount();
        t.invalidateCaches();
        refresh(t);
        if (!active()) throw DbError("The index of " + t.path + " changed while it was read");
        auto result = walk();
        t.dbf.unlock(kPostLockByte, 1);
        return result;
    } catch (...) {
        t.dbf.unlock(kPostLockByte, 1);
        throw;
    }
}

bool TableIndex::seekEdge(Impl& t, bool first) {
    return retrying(t, [&] { return seekEdgeOnce(t, first); });
}

bool TableIndex::step(Impl& t, bool forward) {
    return retrying(t, [&] { return stepOnce(t, forward); });
}

void TableIndex::orderedVisible(Impl& t, std::vector<uint32_t>& out) {
    const size_t keep = out.size();
    retrying(t, [&] {
        out.resize(keep);
        orderedVisibleOnce(t, out);
        return true;
    });
}

void TableIndex::refresh(Impl& t) {
    if (!s_->mdx) return;
    // Another process may have changed the index: drop every cached page.
    const std::string keep = s_->activeName;
    const std::string path = s_->mdx->path();
    s_->cursor.reset();
    s_->mdx->close();
    try {
        s_->mdx->open(path, t.readOnly);
    } catch (const DbError&) {
        s_->mdx.reset();
        s_->tags.clear();
        s_->active = -1;
        s_->stale = true;
        return;
    }
    s_->activeName = keep;
    s_->loadTags(t);
}

void TableIndex::beforeWrite(Impl& t) {
    if (!s_->mdx || s_->deferred) return;
    // In shared use another process may have written the index since this one read it: start
    // from the file, not from cached pages (the caller holds the post lock).
    if (t.mode == OpenMode::Shared) refresh(t);
    s_->requireMaintainable(t);
    // An index found stale (another table's, or behind an interrupted write) is made again
    // from the records before anything is written to it.
    if (s_->stale && s_->mdx) rebuildAll(t);
}

void TableIndex::recordAppended(Impl& t, uint32_t recno, const char* rec) {
    if (!s_->mdx || s_->deferred) return;
    for (size_t i = 0; i < s_->tags.size(); ++i)
        s_->mdx->insert(static_cast<int>(i), s_->tags[i].expr->evaluate(rec), recno);
    (void)t;
}

void TableIndex::recordChanged(Impl& t, uint32_t recno, const char* oldRec, const char* newRec) {
    if (!s_->mdx || s_->deferred) return;
    for (size_t i = 0; i < s_->tags.size(); ++i) {
        const KeyExpression& e = *s_->tags[i].expr;
        const std::string before = e.evaluate(oldRec);
        const std::string after = e.evaluate(newRec);
        if (before == after) continue;
        s_->mdx->remove(static_cast<int>(i), before, recno);
        s_->mdx->insert(static_cast<int>(i), after, recno);
    }
    (void)t;
}

void TableIndex::sync(Impl&) {
    if (s_->mdx) s_->mdx->flush();
}

// Builds a whole new index file holding these tags, filled from the records, beside the old
// one, and renames it into place: a kill or a write error at any point leaves either the old
// index or the new one, never a file with a tag half replaced. The new file gets the table's
// mode. Byte 28 of the table is set only once the index exists.
std::string TableIndex::buildFresh(Impl& t, const std::vector<TagInfo>& wanted) {
    std::vector<std::pair<TagInfo, KeyExpression>> tags;
    for (const TagInfo& info : wanted) {
        KeyExpression expr = KeyExpression::compile(info.expression, t.fields);
        TagInfo made = info;
        made.keyType = expr.keyType();
        made.keyLength = expr.keyLength();
        tags.emplace_back(std::move(made), std::move(expr));
    }
    const std::string path = s_->mdx ? s_->mdx->path() : companionPath(t.path, ".MDX");
    struct stat st {};
    unsigned mode = 0644;
    if (::fstat(t.dbf.fd(), &st) == 0) mode = st.st_mode & 0666;

    std::string tmp = path + kIndexTempSuffix + "XXXXXX";
    std::vector<char> tmpl(tmp.begin(), tmp.end());
    tmpl.push_back('\0');
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw IoError("Cannot create a new index beside " + path + ": " + errnoText(errno));
    ::close(fd);
    tmp = tmpl.data();
    try {
        // Held while it is built, so that a cleanup of left-over files never takes it.
        File guard;
        guard.open(tmp, true);
        guard.tryLock(File::Lock::Write, 0, 0);
        MdxFile::create(tmp, indexTableName(t.path), mode);
        MdxFile fresh;
        fresh.open(tmp, false);
        for (const auto& [info, expr] : tags)
            fresh.addTag(info, s_->entriesOf(t, expr));
        fresh.flush();
        fresh.close();
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    return tmp;
}

void TableIndex::installFresh(Impl& t, const std::string& tmp) {
    const std::string path = s_->mdx ? s_->mdx->path() : companionPath(t.path, ".MDX");
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw IoError("Cannot replace the index file " + path + ": " + errnoText(err));
    }
    syncFolderOf(path);
    const std::string keep = s_->activeName;
    s_->cursor.reset();
    if (s_->mdx) s_->mdx->close();
    auto mdx = std::make_unique<MdxFile>();
    mdx->open(path, t.readOnly);
    s_->mdx = std::move(mdx);
    s_->activeName = keep;
    s_->loadTags(t);
    s_->stale = false;
    s_->staleWhy.clear();
    if (t.mdxFlag == 0) {
        // The index exists and is complete: only now does the table announce it (byte 28).
        const unsigned char one = 1;
        t.dbf.writeAt(28, &one, 1);
        t.dbf.sync();
        t.mdxFlag = 1;
    }
}

void TableIndex::writeFresh(Impl& t, const std::vector<TagInfo>& wanted) {
    installFresh(t, buildFresh(t, wanted));
}

std::string TableIndex::prepareRebuild(Impl& t) {
    if (!s_->mdx) return {};
    s_->requireMaintainable(t);
    return buildFresh(t, tags());
}

// The tags a new index file keeps from the current one: none when the table announces no
// index (a left-over file is not the table's) or when it cannot be read.
std::vector<TagInfo> TableIndex::keptTags(const Impl& t) const {
    if (!s_->mdx || t.mdxFlag == 0) return {};
    s_->requireMaintainable(t);
    return tags();
}

void TableIndex::addTag(Impl& t, const std::string& name, const std::string& expression) {
    const std::string upper = asciiUpper(name);
    if (upper.empty() || upper.size() > 10)
        throw DbError("Invalid index tag name '" + name + "' for " + t.path);
    KeyExpression::compile(expression, t.fields); // DbError naming the expression
    std::vector<TagInfo> wanted = keptTags(t);
    for (const TagInfo& tag : wanted)
        if (tag.name == upper)
            throw DbError("The index tag " + upper + " already exists in " + s_->mdx->path());
    TagInfo info;
    info.name = upper;
    info.expression = expression;
    wanted.push_back(info);
    writeFresh(t, wanted);
}

void TableIndex::replaceTag(Impl& t, const std::string& name, const std::string& expression) {
    const std::string upper = asciiUpper(name);
    if (upper.empty() || upper.size() > 10)
        throw DbError("Invalid index tag name '" + name + "' for " + t.path);
    KeyExpression::compile(expression, t.fields);
    std::vector<TagInfo> wanted = keptTags(t);
    bool found = false;
    for (TagInfo& tag : wanted)
        if (tag.name == upper) {
            tag.expression = expression;
            found = true;
        }
    if (!found) {
        TagInfo info;
        info.name = upper;
        info.expression = expression;
        wanted.push_back(info);
    }
    writeFresh(t, wanted);
}

void TableIndex::removeTag(Impl& t, const std::string& name) {
    const int i = s_->mdx ? s_->mdx->tagIndex(name) : -1;
    if (i < 0) throw DbError("Index tag " + name + " not found for " + t.path);
    if (i == s_->active) {
        s_->active = -1;
        s_->activeName.clear();
    }
    std::vector<TagInfo> wanted = keptTags(t);
    wanted.erase(wanted.begin() + i);
    writeFresh(t, wanted);
}

void TableIndex::rebuildAll(Impl& t) {
    if (!s_->mdx) {
        if (t.mdxFlag == 0) return;
        openFor(t);
        if (!s_->mdx) return;
    }
    s_->requireMaintainable(t);
    writeFresh(t, tags());
}

void TableIndex::dropUnreadable(Impl& t) {
    if (s_->mdx || t.mdxFlag == 0) return;
    const std::string path = companionPath(t.path, ".MDX");
    // The table stops announcing the index before the file goes.
    const unsigned char zero = 0;
    t.dbf.writeAt(28, &zero, 1);
    t.dbf.sync();
    t.mdxFlag = 0;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
    s_->stale = false;
    s_->staleWhy.clear();
}

void TableIndex::check(const Impl& t) const {
    if (s_->stale) throw DbError(t.path + ": " + s_->staleWhy);
    if (!s_->mdx) return;
    for (size_t i = 0; i < s_->tags.size(); ++i) {
        const auto& tag = s_->tags[i];
        std::vector<MdxFile::Entry> entries = s_->mdx->checkTag(static_cast<int>(i));
        if (!tag.expr) continue;
        std::vector<MdxFile::Entry> expected = s_->entriesOf(t, *tag.expr);
        if (entries.size() != expected.size())
            throw DbError("The index tag " + tag.info.name + " of " + s_->mdx->path() + " holds " +
                          std::to_string(entries.size()) + " entries for " + std::to_string(expected.size()) +
                          " records");
        std::vector<std::string> keyOf(t.count + 1);
        for (auto& e : expected)
            keyOf[e.recno] = std::move(e.key);
        std::vector<bool> seen(t.count + 1, false);
        for (const auto& e : entries) {
            if (e.recno < 1 || e.recno > t.count || seen[e.recno])
                throw DbError("The index tag " + tag.info.name + " of " + s_->mdx->path() +
                              " holds a wrong record number " + std::to_string(e.recno));
            seen[e.recno] = true;
            if (e.key != keyOf[e.recno])
                throw DbError("The index tag " + tag.info.name + " of " + s_->mdx->path() +
                              " holds a stale key for record " + std::to_string(e.recno));
        }
    }
}

} // namespace dbase
