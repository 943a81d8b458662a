#include "dbase/table.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dbase/codepage.h"
#include "dbase/deletionscan.h"
#include "dbase/expr.h"
#include "dbase/fileio.h"
#include "dbase/memo.h"
#include "dbase/tableimpl.h"

namespace dbase {

namespace {

constexpr uint64_t kSharedLockByte = 0x7FFFFFFE; // read-locked by every shared user
constexpr size_t kWindowBytes = 1 << 20;         // cursor reads: about a megabyte per pread
constexpr size_t kScanBytes = 256 << 10;         // full passes: blocks that stay in the CPU cache
constexpr size_t kMaxFields = 1024;
constexpr const char* kPackSuffix = ".pack-"; // pack's new file: TABLE.DBF.pack-XXXXXX

// Removes the files that writes killed before their rename left beside the table: packs'
// (TABLE.DBF.pack-XXXXXX), new tables (TABLE.DBF.new-XXXXXX), new indexes (TABLE.MDX.new-XXXXXX)
// and the settings file's (.TABLE.INI.xxxxxxxx.tmp). Called with the table held exclusively, so
// no process is writing them; a file some process still holds locked is left alone.
void removeLeftOverFiles(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string mdx = companionPath(path, ".MDX");
    const std::string mdxFile = mdx.substr(mdx.find_last_of('/') + 1);
    const std::string settingsPrefix = asciiUpper("." + file.substr(0, file.find('.')) + ".INI.");
    auto alnumTail = [](const std::string& name, size_t from, size_t n) {
        if (name.size() != from + n) return false;
        for (size_t i = from; i < name.size(); ++i)
            if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
        return true;
    };
    auto startsWith = [](const std::string& name, const std::string& prefix) {
        return name.compare(0, prefix.size(), prefix) == 0;
    };
    std::vector<std::string> stale;
    if (DIR* dp = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(dp)) {
            const std::string name = e->d_name;
            bool ours = false;
            for (const std::string& prefix :
                 {file + kPackSuffix, file + kIndexTempSuffix, mdxFile + kIndexTempSuffix})
                ours = ours || (startsWith(name, prefix) && alnumTail(name, prefix.size(), 6));
            if (startsWith(asciiUpper(name), settingsPrefix) && name.size() == settingsPrefix.size() + 12 &&
                name.compare(name.size() - 4, 4, ".tmp") == 0)
                ours = true;
            if (ours) stale.push_back(name);
        }
        ::closedir(dp);
    }
    for (const auto& name : stale) {
        const std::string full = slash == std::string::npos ? name : dir + name;
        File f;
        if (f.tryOpen(full, true) && !f.tryLock(File::Lock::Write, 0, 0)) continue;
        ::unlink(full.c_str());
    }
}

uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void put16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}
std::string_view trim(std::string_view s) {
    s = trimRight(s);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    return s;
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool validDate(std::string_view s) {
    if (s.size() != 8 || !allDigits(s)) return false;
    int y = std::atoi(std::string(s.substr(0, 4)).c_str());
    int m = std::atoi(std::string(s.substr(4, 2)).c_str());
    int d = std::atoi(std::string(s.substr(6, 2)).c_str());
    if (y < 1 || m < 1 || m > 12 || d < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = days[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
    return d <= max;
}

std::optional<double> parseNumber(std::string_view s) {
    s = trim(s);
    if (s.empty()) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

void todayBytes(unsigned char* p) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    p[0] = static_cast<unsigned char>(std::min(tm.tm_year, 255));
    p[1] = static_cast<unsigned char>(tm.tm_mon + 1);
    p[2] = static_cast<unsigned char>(tm.tm_mday);
}

bool supportedVersion(uint8_t v) {
    if (v == 0x30 || v == 0x31 || v == 0x32 || v == 0xF5) return true; // FoxPro / Visual FoxPro
    if (v == 0x04 || v == 0x8C) return false;                          // dBase 7
    return (v & 0x07) == 0x03;                                         // dBase III+/IV
}

bool isFoxPro(uint8_t v) {
    return v == 0x30 || v == 0x31 || v == 0x32 || v == 0xF5 || v == 0xFB;
}

} // namespace

FileStamp stampOf(int fd) {
    struct stat st {};
    FileStamp s;
    if (::fstat(fd, &st) == 0) {
        s.size = static_cast<uint64_t>(st.st_size);
        s.sec = st.st_mtim.tv_sec;
        s.nsec = st.st_mtim.tv_nsec;
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Header

void Table::Impl::parseHeader(const File& f, uint64_t fileSize) {
    unsigned char h[32];
    if (fileSize < 32)
        throw DbError(f.path() + " is not a dBase table: the header is truncated (" +
                      std::to_string(fileSize) + " bytes)");
    f.readExact(0, h, 32, "The header");
    version = h[0];
    if (!supportedVersion(version)) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "0x%02X", version);
        throw DbError(f.path() + " is not a dBase III/IV or FoxPro table (version byte " + buf +
                      " at byte 0)");
    }
    count = le32(h + 4);
    headerLen = le16(h + 8);
    recLen = le16(h + 10);
    mdxFlag = h[28];
    cpId = h[29];
    cp = &CodePage::forId(cpId);
    if (headerLen < 32 + 32 + 1)
        throw DbError(f.path() + ": header length " + std::to_string(headerLen) + " at byte 8 is too small");
    if (headerLen > fileSize)
        throw DbError(f.path() + ": header length " + std::to_string(headerLen) +
                      " at byte 8 exceeds the file size " + std::to_string(fileSize));
    if (recLen < 2)
        throw DbError(f.path() + ": record length " + std::to_string(recLen) + " at byte 10 is invalid");

    std::vector<unsigned char> desc(headerLen - 32);
    f.readExact(32, desc.data(), desc.size(), "The field list");
    fields.clear();
    hasMemoFields = false;
    int offset = 1;
    size_t pos = 0;
    bool terminated = false;
    while (pos < desc.size()) {
        if (desc[pos] == 0x0D) {
            terminated = true;
            break;
        }
        if (pos + 32 > desc.size()) break;
        const unsigned char* d = desc.data() + pos;
        const uint64_t at = 32 + pos;
        std::string name;
        for (int i = 0; i < 11 && d[i] != 0; ++i)
            name.push_back(static_cast<char>(d[i]));
        name = std::string(trimRight(name));
        if (name.empty())
            throw DbError(f.path() + ": field " + std::to_string(fields.size() + 1) + " at byte " +
                          std::to_string(at) + " has no name");
        for (char c : name)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                throw DbError(f.path() + ": field name at byte " + std::to_string(at) + " is not text");
        FieldLayout fl;
        fl.def.name = asciiUpper(name);
        fl.def.type = static_cast<char>(d[11]);
        fl.def.width = d[16];
        fl.def.decimals = d[17];
        if (fl.def.type >= 'a' && fl.def.type <= 'z') fl.def.type = static_cast<char>(fl.def.type - 32);
        if (fl.def.type < 0x20 || fl.def.type >= 0x7F)
            throw DbError(f.path() + ": field " + fl.def.name + " at byte " + std::to_string(at) +
                          " has an invalid type byte");
        if (fl.def.width == 0)
            throw DbError(f.path() + ": field " + fl.def.name + " at byte " + std::to_string(at) +
                          " has width 0");
        if (fl.def.type == 'M') hasMemoFields = true;
        fl.offset = offset;
        offset += fl.def.width;
        fields.push_back(fl);
        if (fields.size() > kMaxFields) throw DbError(f.path() + ": too many fields");
        pos += 32;
    }
    if (!terminated)
        throw DbError(f.path() + ": the field list has no end marker (0x0D) within the header length " +
                      std::to_string(headerLen));
    if (fields.empty()) throw DbError(f.path() + ": the table has no fields");
    if (offset != recLen)
        throw DbError(f.path() + ": record length " + std::to_string(recLen) +
                      " at byte 10 does not match the " + std::to_string(fields.size()) + " fields (" +
                      std::to_string(offset) + " bytes)");
    const uint64_t needed = headerLen + uint64_t(count) * recLen;
    const uint64_t whole = (fileSize - headerLen) / recLen;
    surplusWhy.clear();
    if (whole > uint64_t(count) + 1) {
        // One whole record beyond the count is an append killed before its count was written;
        // more is a wrong count. Cutting them would destroy records: the table is read as
        // counted and refused for writing.
        surplusWhy = f.path() + ": the header (byte 4) counts " + std::to_string(count) +
                     " records but the file holds " + std::to_string(whole) +
                     "; the count is wrong, so the table is not changed (restore it from a backup or repair "
                     "the count)";
    }
    if (needed > fileSize && h[14] != 0) {
        // An interrupted write (byte 14) may have left the count ahead of the records on disk
        // (a power cut between the two writes): the records present are what the table holds.
        count = static_cast<uint32_t>((fileSize - headerLen) / recLen);
    } else if (needed > fileSize) {
        const uint64_t present = (fileSize - headerLen) / recLen;
        throw DbError(f.path() + ": the header (byte 4) counts " + std::to_string(count) +
                      " records but the file holds only " + std::to_string(present) + " (" +
                      std::to_string(fileSize) + " bytes)");
    }
}

void Table::Impl::openMemoIfNeeded() const {
    if (memo.isOpen()) return;
    const bool fox = isFoxPro(version);
    std::string mp = companionPath(path, fox ? ".FPT" : ".DBT");
    memo.open(mp, fox ? MemoFile::Kind::Fpt : MemoFile::Kind::Dbt);
}

// ---------------------------------------------------------------------------------------------
// Reading

const char* Table::Impl::record(uint32_t recno, Dir dir) const {
    if (recno < 1 || recno > count)
        throw DbError(path + ": record " + std::to_string(recno) + " does not exist");
    if (winCount && recno >= winFirst && recno < winFirst + winCount)
        return win.data() + size_t(recno - winFirst) * recLen;
    const uint32_t per = std::max<uint32_t>(1, static_cast<uint32_t>(kWindowBytes / recLen));
    uint32_t first = recno;
    uint32_t n = 1;
    if (dir == Dir::Forward) {
        n = std::min<uint32_t>(per, count - recno + 1);
    } else if (dir == Dir::Backward) {
        first = recno > per ? recno - per + 1 : 1;
        n = recno - first + 1;
    }
    win.resize(size_t(n) * recLen);
    winCount = 0;
    const size_t got = dbf.readAt(recOffset(first), win.data(), win.size());
    if (got < size_t(recno - first + 1) * recLen)
        throw DbError(path + ": record " + std::to_string(recno) + " is truncated at byte " +
                      std::to_string(recOffset(first) + got));
    winFirst = first;
    winCount = static_cast<uint32_t>(got / recLen);
    return win.data() + size_t(recno - winFirst) * recLen;
}

bool Table::Impl::accept(uint32_t recno, const char* rec) {
    if (rec[0] == '*') return false;
    if (!filter) return true;
    const char* savedView = view;
    const uint32_t savedRecno = viewRecno;
    view = rec;
    viewRecno = recno;
    bool ok = false;
    try {
        ok = filter(*self);
    } catch (...) {
        view = savedView;
        viewRecno = savedRecno;
        throw;
    }
    view = savedView;
    viewRecno = savedRecno;
    return ok;
}

void Table::Impl::setCurrent(uint32_t recno, const char* rec) {
    cur = recno;
    curRec.assign(rec, recLen);
    view = curRec.data();
    viewRecno = recno;
}

void Table::Impl::clearCurrent() {
    cur = 0;
    curRec.clear();
    view = nullptr;
    viewRecno = 0;
}

// Record-order search from `start` (inclusive) in one direction; positions on the first visible
// record. Uses the visibility map when it is current, else reads blocks in the direction of travel.
bool Table::Impl::seekFrom(uint32_t start, bool forward) {
    if (index.active()) {
        return false; // handled by the caller
    }
    const Dir dir = forward ? Dir::Forward : Dir::Backward;
    for (int64_t r = start; r >= 1 && r <= int64_t(count); r += forward ? 1 : -1) {
        const auto rn = static_cast<uint32_t>(r);
        if (visibleValid && rn <= visible.size()) {
            if (!visible[rn - 1]) continue;
            setCurrent(rn, record(rn, dir));
            return true;
        }
        const char* rec = record(rn, dir);
        if (accept(rn, rec)) {
            setCurrent(rn, rec);
            return true;
        }
    }
    return false;
}

void Table::Impl::buildVisible() {
    uint32_t del = 0;
    if (!filter) {
        // Only the deletion bytes matter: a mapped pass that copies nothing. The file is not
        // shortened below the header count while this process holds it (see deletionscan.h).
        const uint64_t need = headerLen + uint64_t(count) * recLen;
        if (dbf.size() < need)
            throw DbError(path + ": the file is shorter (" + std::to_string(dbf.size()) +
                          " bytes) than its " + std::to_string(count) + " records");
        if (scanDeletionBytes(dbf, headerLen, recLen, count, visible, del)) {
            deleted = del;
            visibleCount = count - del;
            deletedValid = true;
            visibleValid = true;
            return;
        }
    }
    visible.assign(count, 0);
    visibleCount = 0;
    const uint32_t per = std::max<uint32_t>(1, static_cast<uint32_t>(kScanBytes / recLen));
    std::vector<char> buf;
    for (uint32_t first = 1; first <= count;) {
        const uint32_t n = std::min<uint32_t>(per, count - first + 1);
        buf.resize(size_t(n) * recLen);
        dbf.readExact(recOffset(first), buf.data(), buf.size(), "The records");
        for (uint32_t i = 0; i < n; ++i) {
            const char* rec = buf.data() + size_t(i) * recLen;
            if (rec[0] == '*') {
                ++del;
                continue;
            }
            if (accept(first + i, rec)) {
                visible[first + i - 1] = 1;
                ++visibleCount;
            }
        }
        first += n;
    }
    deleted = del;
    deletedValid = true;
    visibleValid = true;
}

void Table::Impl::readHeaderCount() {
    unsigned char h[15];
    dbf.readExact(0, h, sizeof h, "The header");
    uint32_t n = le32(h + 4);
    if (le16(h + 8) != headerLen || le16(h + 10) != recLen)
        throw DbError(path + ": the table's structure was changed by another program; close and reopen it");
    const uint64_t size = dbf.size();
    if (headerLen + uint64_t(n) * recLen > size) {
        if (h[14] == 0 || size < headerLen)
            throw DbError(path + ": the header counts " + std::to_string(n) +
                          " records but the file is only " + std::to_string(size) + " bytes long");
        n = static_cast<uint32_t>((size - headerLen) / recLen); // an interrupted write: see parseHeader
    }
    if (n != count) {
        count = n;
        invalidateCaches();
    }
}

void Table::Impl::ensureVisible() {
    if (visibleValid && !fileChanged()) return;
    readHeaderCount();
    invalidateCaches();
    buildVisible();
    restamp();
}

// ---------------------------------------------------------------------------------------------
// Field values

std::string Table::Impl::fieldValueText(const FieldLayout& f, const char* rec) const {
    const std::string_view raw(rec + f.offset, f.def.width);
    switch (f.def.type) {
    case 'C':
        return cp->toUtf8(trimRight(raw));
    case 'N':
    case 'F':
        return std::string(trim(raw));
    case 'D': {
        std::string_view t = trim(raw);
        if (t.empty() || t == "00000000") return {};
        return std::string(t);
    }
    case 'L': {
        const char c = raw[0];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y') return "T";
        if (c == 'F' || c == 'f' || c == 'N' || c == 'n') return "F";
        return {};
    }
    case 'M': {
        uint64_t block = 0;
        if (f.def.width == 4) {
            block = le32(reinterpret_cast<const unsigned char*>(raw.data()));
        } else {
            std::string_view t = trim(raw);
            if (t.empty()) return {};
            if (!allDigits(t))
                throw DbError(path + ": record " + std::to_string(viewRecno) + ", field " + f.def.name +
                              ": invalid memo block number");
            block = std::strtoull(std::string(t).c_str(), nullptr, 10);
        }
        if (block == 0) return {};
        openMemoIfNeeded();
        std::string bytes = memo.read(block);
        while (!bytes.empty() && (bytes.back() == '\0' || bytes.back() == 0x1A))
            bytes.pop_back();
        return cp->toUtf8(bytes);
    }
    case 'I':
        if (f.def.width == 4)
            return std::to_string(
                static_cast<int32_t>(le32(reinterpret_cast<const unsigned char*>(raw.data()))));
        break;
    case 'Y':
        if (f.def.width == 8) {
            int64_t v = 0;
            std::memcpy(&v, raw.data(), 8);
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(v) / 10000.0);
            return buf;
        }
        break;
    case 'B':
        if (f.def.width == 8 && isFoxPro(version)) {
            double v = 0;
            std::memcpy(&v, raw.data(), 8);
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*g", 15, v);
            return buf;
        }
        break;
    default:
        break;
    }
    return cp->toUtf8(trim(raw));
}

char* Table::Impl::editField(int index) {
    if (state == EditState::None)
        throw DbError(path + ": the table is not in edit or append mode (field " + fields.at(index).def.name +
                      ")");
    return editBuf.data() + fields[index].offset;
}

void Table::Impl::storeField(int index, std::string_view bytes) {
    const FieldLayout& f = fields[index];
    char* dst = editField(index);
    std::memset(dst, ' ', f.def.width);
    std::memcpy(dst, bytes.data(), std::min<size_t>(bytes.size(), f.def.width));
}

// ---------------------------------------------------------------------------------------------
// Writing

void Table::Impl::setFlag14(bool on) {
    const unsigned char b = on ? 1 : 0;
    dbf.writeAt(14, &b, 1);
}

void Table::Impl::writeCount(uint32_t n) {
    unsigned char h[7];
    todayBytes(h);
    put32(h + 3, n);
    if (headerMap)
        std::memcpy(headerMap + 1, h, sizeof h);
    else
        dbf.writeAt(1, h, sizeof h);
}

void Table::Impl::mapHeader() {
    if (headerMap) return;
    void* p = ::mmap(nullptr, 32, PROT_READ | PROT_WRITE, MAP_SHARED, dbf.fd(), 0);
    if (p != MAP_FAILED) headerMap = static_cast<unsigned char*>(p);
}

// The header's changes stay in the file's pages (a sync writes them out with the rest).
void Table::Impl::unmapHeader() {
    if (!headerMap) return;
    ::munmap(headerMap, 32);
    headerMap = nullptr;
}

// Takes the post lock (shared use) and re-reads the record count another writer may have moved.
void Table::Impl::beginWrite() {
    requireWritable();
    if (bulkWriting) return;
    if (mode == OpenMode::Shared && !postLocked) {
        dbf.lockWait(File::Lock::Write, kPostLockByte, 1);
        postLocked = true;
    }
    try {
        readHeaderCount();
        index.beforeWrite(*this);
    } catch (...) {
        endWrite();
        throw;
    }
    if (disabled > 0) {
        setFlag14(true);
        mapHeader();
        bulkWriting = true;
        bulkStartCount = count;
        bulkEdited = false;
    }
}

void Table::Impl::endWrite() {
    if (bulkWriting) return;
    if (postLocked) {
        dbf.unlock(kPostLockByte, 1);
        postLocked = false;
    }
}

void Table::Impl::checkBrowse() {
    if (state != EditState::None) self->post();
}

// ---------------------------------------------------------------------------------------------

Table::Table() : d(std::make_unique<Impl>()) {
    d->self = this;
}

Table::~Table() {
    try {
        close();
    } catch (...) {
    }
}

void Table::open(const std::string& path, OpenMode mode, bool readOnly) {
    close();
    Impl& m = *d;
    const bool writable = !readOnly || mode == OpenMode::Exclusive;
    m.dbf.open(path, writable);
    m.path = path;
    m.mode = mode;
    m.readOnly = readOnly;
    try {
        if (mode == OpenMode::Exclusive) {
            if (!m.dbf.tryLock(File::Lock::Write, 0, 0))
                throw LockError("The table " + path +
                                " is in use by another program or copy: exclusive use is not possible");
        } else if (!m.dbf.tryLock(File::Lock::Read, kSharedLockByte, 1)) {
            throw LockError("The table " + path + " is in exclusive use by another program or copy");
        }
        m.writeRefusal.clear();
        m.parseHeader(m.dbf, m.dbf.size());
        if (mode == OpenMode::Exclusive && !readOnly) removeLeftOverFiles(path);
        m.index.setStale(false);
        m.index.setDeferred(false);
        // In FoxPro tables byte 28 flags a structural .CDX, not a dBase .MDX.
        m.foreignIndex = false;
        if (isFoxPro(m.version)) {
            struct stat st {};
            m.foreignIndex = (m.mdxFlag & 1) && ::stat(companionPath(path, ".CDX").c_str(), &st) == 0;
        } else if (m.mdxFlag != 0) {
            m.index.openFor(m);
        }
        m.isOpen = true;
        unsigned char b14 = 0;
        m.dbf.readExact(14, &b14, 1, "The header");
        if (b14 != 0) m.recover();
        // Another table's index is rebuilt from the records by a writer that holds the table.
        if (mode == OpenMode::Exclusive && !readOnly && m.index.stale() && m.index.readable() &&
            m.surplusWhy.empty() && m.writeRefusal.empty())
            m.index.rebuildAll(m);
        m.restamp();
    } catch (...) {
        m.index.close();
        m.dbf.close();
        m.isOpen = false;
        m.memo.close();
        throw;
    }
    m.state = Impl::EditState::None;
    m.filter = nullptr;
    m.invalidateCaches();
    m.clearCurrent();
    m.eof = m.bof = true;
    first();
}

// A set byte 14 means a write was interrupted, unless a live writer holds the post lock right now.
// Recovery, under the post lock: records fully written beyond the header count (an append killed
// before its count was written; its post never returned) are cut, a count beyond the records
// present is lowered, the end marker is rewritten, every index tag is rebuilt, then byte 14 is
// cleared. A read-only open changes nothing: it ignores the index and uses record order.
void Table::Impl::recover() {
    if (mode == OpenMode::Shared) {
        if (readOnly ? dbf.conflicting(File::Lock::Read, kPostLockByte, 1)
                     : !dbf.tryLock(File::Lock::Write, kPostLockByte, 1))
            return; // a live writer: its post is under way
    }
    const uint64_t size = dbf.size();
    const uint64_t present = size >= headerLen ? (size - headerLen) / recLen : 0;
    if (readOnly || foreignIndex || !surplusWhy.empty() || !writeRefusal.empty()) {
        if (present < count) count = static_cast<uint32_t>(present);
        index.setStale(true);
        return;
    }
    try {
        // Keep exactly `count` records: the last append without a count never returned.
        if (present < count) count = static_cast<uint32_t>(present);
        const uint64_t end = headerLen + uint64_t(count) * recLen;
        const unsigned char marker = 0x1A;
        dbf.writeAt(end, &marker, 1);
        dbf.truncate(end + 1);
        writeCount(count);
        index.rebuildAll(*this);
        dbf.sync();
        setFlag14(false);
        dbf.sync();
    } catch (...) {
        if (mode == OpenMode::Shared) dbf.unlock(kPostLockByte, 1);
        throw;
    }
    if (mode == OpenMode::Shared) dbf.unlock(kPostLockByte, 1);
}

void Table::close() {
    Impl& m = *d;
    if (!m.isOpen) {
        m.dbf.close();
        return;
    }
    std::exception_ptr err;
    try {
        if (m.state != Impl::EditState::None) cancel();
        if (m.bulkWriting) {
            m.disabled = 0;
            enableControls();
        }
    } catch (...) {
        err = std::current_exception();
    }
    m.unmapHeader();
    m.index.close();
    m.memo.close();
    m.dbf.close();
    m.isOpen = false;
    m.bulkWriting = false;
    m.postLocked = false;
    m.disabled = 0;
    m.fields.clear();
    m.clearCurrent();
    m.invalidateCaches();
    m.visible.clear();
    m.filter = nullptr;
    m.eof = m.bof = true;
    if (err) std::rethrow_exception(err);
}

bool Table::isOpen() const {
    return d->isOpen;
}
const std::string& Table::path() const {
    return d->path;
}
OpenMode Table::mode() const {
    return d->mode;
}

TableInfo Table::info() const {
    d->requireOpen();
    TableInfo i;
    i.version = d->version;
    i.codePageId = d->cpId;
    i.mdxFlag = d->mdxFlag;
    i.physicalCount = d->count;
    i.headerLength = d->headerLen;
    i.recordLength = d->recLen;
    i.codePage = d->cp->name();
    return i;
}

int Table::fieldCount() const {
    return static_cast<int>(d->fields.size());
}

const FieldDef& Table::field(int index) const {
    return d->fieldAt(index).def;
}

int Table::fieldIndex(std::string_view name) const {
    const std::string up = asciiUpper(trim(name));
    for (size_t i = 0; i < d->fields.size(); ++i)
        if (d->fields[i].def.name == up) return static_cast<int>(i);
    return -1;
}

int Table::fieldIndexOrThrow(std::string_view name) const {
    d->requireOpen();
    int i = fieldIndex(name);
    if (i < 0) throw DbError("Field '" + std::string(name) + "' not found in " + d->path);
    return i;
}

// ---------------------------------------------------------------------------------------------
// Cursor

bool Table::first() {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    bool ok = m.index.active() ? m.index.seekEdge(m, true) : m.seekFrom(1, true);
    if (!ok) {
        m.clearCurrent();
        m.eof = m.bof = true;
        return false;
    }
    m.bof = true;
    m.eof = false;
    return true;
}

bool Table::last() {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    bool ok = m.index.active() ? m.index.seekEdge(m, false) : m.seekFrom(m.count, false);
    if (!ok) {
        m.clearCurrent();
        m.eof = m.bof = true;
        return false;
    }
    m.eof = true;
    m.bof = false;
    return true;
}

bool Table::next() {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    if (m.cur == 0) {
        m.eof = true;
        return false;
    }
    // A record-order step that finds nothing leaves the current record as it was; only an index
    // step may move off it on the way.
    if (!m.index.active()) {
        if (!m.seekFrom(m.cur + 1, true)) {
            m.eof = true;
            return false;
        }
        m.eof = false;
        m.bof = false;
        return true;
    }
    const uint32_t keep = m.cur;
    const std::string keepRec = m.curRec;
    if (!m.index.step(m, true)) {
        m.cur = keep;
        m.curRec = keepRec;
        m.view = m.curRec.data();
        m.viewRecno = keep;
        m.eof = true;
        return false;
    }
    m.eof = false;
    m.bof = false;
    return true;
}

bool Table::prior() {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    if (m.cur == 0) {
        m.bof = true;
        return false;
    }
    const uint32_t keep = m.cur;
    const std::string keepRec = m.curRec;
    bool ok = m.index.active() ? m.index.step(m, false) : (m.cur > 1 && m.seekFrom(m.cur - 1, false));
    if (!ok) {
        m.cur = keep;
        m.curRec = keepRec;
        m.view = m.curRec.data();
        m.viewRecno = keep;
        m.bof = true;
        return false;
    }
    m.eof = false;
    m.bof = false;
    return true;
}

bool Table::eof() const {
    return d->eof;
}
bool Table::bof() const {
    return d->bof;
}

bool Table::isEmpty() {
    d->requireOpen();
    if (d->cur != 0) return false;
    return recordCount() == 0;
}

uint32_t Table::recNo() const {
    if (d->state == Impl::EditState::Append) return 0;
    return d->viewRecno ? d->viewRecno : d->cur;
}

uint32_t Table::recordCount() {
    Impl& m = *d;
    m.requireOpen();
    m.ensureVisible();
    return m.visibleCount;
}

uint32_t Table::deletedCount() {
    Impl& m = *d;
    m.requireOpen();
    if (!m.deletedValid || m.fileChanged()) {
        m.visibleValid = false;
        m.ensureVisible();
    }
    return m.deleted;
}

std::vector<uint32_t> Table::orderedRecnos() {
    Impl& m = *d;
    m.requireOpen();
    m.ensureVisible();
    std::vector<uint32_t> out;
    out.reserve(m.visibleCount);
    if (m.index.active()) {
        m.index.orderedVisible(m, out);
        return out;
    }
    for (uint32_t r = 1; r <= m.visible.size(); ++r)
        if (m.visible[r - 1]) out.push_back(r);
    return out;
}

bool Table::gotoBookmark(uint32_t recno) {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    if (recno < 1 || recno > m.count) return false;
    const char* rec = m.record(recno, Impl::Dir::Single);
    if (!m.accept(recno, rec)) return false;
    m.setCurrent(recno, rec);
    m.index.positionAt(m, recno);
    m.eof = m.bof = false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Values

std::string Table::getText(int field) const {
    const FieldLayout& f = d->fieldAt(field);
    if (!d->view) return {};
    return d->fieldValueText(f, d->view);
}

std::optional<double> Table::getNumber(int field) const {
    const FieldLayout& f = d->fieldAt(field);
    if (!d->view) return std::nullopt;
    if (f.def.type == 'D' || f.def.type == 'L' || f.def.type == 'M') return std::nullopt;
    return parseNumber(d->fieldValueText(f, d->view));
}

std::string Table::getDate(int field) const {
    const FieldLayout& f = d->fieldAt(field);
    if (f.def.type != 'D') throw DbError("Field " + f.def.name + " of " + d->path + " is not a date field");
    if (!d->view) return {};
    std::string t = d->fieldValueText(f, d->view);
    return validDate(t) ? t : std::string();
}

bool Table::isBlank(int field) const {
    const FieldLayout& f = d->fieldAt(field);
    if (!d->view) return true;
    if (f.def.type == 'M' && f.def.width == 4)
        return le32(reinterpret_cast<const unsigned char*>(d->view + f.offset)) == 0;
    return trim(std::string_view(d->view + f.offset, f.def.width)).empty();
}

std::string_view Table::storedBytes(int field) const {
    const FieldLayout& f = d->fieldAt(field);
    if (!d->view) return {};
    return std::string_view(d->view + f.offset, size_t(f.def.width));
}

std::string_view Table::recordBytes() const {
    d->requireOpen();
    if (!d->view) return {};
    return std::string_view(d->view, d->recLen);
}

int Table::fieldOffset(int field) const {
    return d->fieldAt(field).offset;
}

void Table::setText(int field, std::string_view utf8) {
    Impl& m = *d;
    const FieldLayout& f = m.fieldAt(field);
    switch (f.def.type) {
    case 'C': {
        // ASCII text is stored as it is in every code page.
        bool ascii = true;
        for (char c : utf8)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            m.storeField(field, utf8);
            return;
        }
        std::string bytes = m.cp->fromUtf8(utf8);
        if (bytes.size() > size_t(f.def.width)) bytes.resize(f.def.width);
        m.storeField(field, bytes);
        return;
    }
    case 'N':
    case 'F': {
        if (trim(utf8).empty()) {
            m.storeField(field, "");
            return;
        }
        auto v = parseNumber(utf8);
        if (!v)
            throw DbError("'" + std::string(utf8) + "' is not a valid number for field " + f.def.name +
                          " of " + m.path);
        setNumber(field, *v);
        return;
    }
    case 'D':
        setDate(field, trim(utf8));
        return;
    case 'L': {
        std::string_view t = trim(utf8);
        char c = ' ';
        if (!t.empty()) {
            const char x = t[0];
            if (std::strchr("TtYy", x))
                c = 'T';
            else if (std::strchr("FfNn", x))
                c = 'F';
            else
                throw DbError("'" + std::string(utf8) + "' is not a logical value for field " + f.def.name);
        }
        m.storeField(field, std::string_view(&c, 1));
        return;
    }
    default:
        throw DbError("Field " + f.def.name + " of " + m.path + " (type " + std::string(1, f.def.type) +
                      ") cannot be written by this program");
    }
}

void Table::setNumber(int field, double value) {
    Impl& m = *d;
    const FieldLayout& f = m.fieldAt(field);
    if (!std::isfinite(value)) throw DbError("Invalid number for field " + f.def.name + " of " + m.path);
    if (f.def.type == 'C') {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", value);
        setText(field, buf);
        return;
    }
    if (f.def.type != 'N' && f.def.type != 'F')
        throw DbError("Field " + f.def.name + " of " + m.path + " is not a numeric field");
    // Half away from zero at the field's decimals, as dBase rounds (printf alone rounds ties to
    // even). A value within a few units in the last place of a tie counts as the tie, so 1.005
    // rounds like the decimal it was typed as; values far from a tie are never moved, however large.
    const double scale = std::pow(10.0, f.def.decimals);
    double scaled = value * scale;
    if (std::abs(scaled) < 1e17) {
        const double magnitude = std::abs(scaled);
        const double fraction = magnitude - std::floor(magnitude);
        const double tolerance = 4 * std::numeric_limits<double>::epsilon() * std::max(1.0, magnitude);
        const bool nearTie = tolerance < 0.125 && std::abs(fraction - 0.5) <= tolerance;
        const double rounded = nearTie ? std::floor(magnitude) + 1 : std::round(magnitude);
        scaled = std::copysign(rounded, scaled);
        value = scaled / scale;
    }
    char buf[400];
    int n = 0;
    if (value == std::floor(value) && std::abs(value) < 1e15 && f.def.decimals < 100) {
        // A whole number, as most are: its digits and the decimals' zeros, as printf writes them.
        char digits[20];
        int count = 0;
        for (auto whole = static_cast<uint64_t>(std::abs(value)); count == 0 || whole > 0; whole /= 10)
            digits[count++] = char('0' + whole % 10);
        if (value < 0) buf[n++] = '-';
        while (count > 0)
            buf[n++] = digits[--count];
        if (f.def.decimals > 0) {
            buf[n++] = '.';
            for (int i = 0; i < f.def.decimals; ++i)
                buf[n++] = '0';
        }
    } else {
        n = std::snprintf(buf, sizeof buf, "%.*f", f.def.decimals, value);
    }
    if (n < 0 || n >= static_cast<int>(sizeof buf))
        throw DbError("Number out of range for field " + f.def.name);
    std::string s(buf, n);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1); // no "-0"
    if (static_cast<int>(s.size()) > f.def.width)
        throw DbError("The value " + s + " does not fit field " + f.def.name + " (" +
                      std::to_string(f.def.width) + " characters, " + std::to_string(f.def.decimals) +
                      " decimals) of " + m.path);
    std::string padded(f.def.width - s.size(), ' ');
    padded += s;
    m.storeField(field, padded);
}

void Table::setDate(int field, std::string_view yyyymmdd) {
    Impl& m = *d;
    const FieldLayout& f = m.fieldAt(field);
    if (f.def.type != 'D') {
        if (f.def.type == 'C') {
            setText(field, yyyymmdd);
            return;
        }
        throw DbError("Field " + f.def.name + " of " + m.path + " is not a date field");
    }
    std::string_view t = trim(yyyymmdd);
    if (t.empty()) {
        m.storeField(field, "");
        return;
    }
    if (!validDate(t))
        throw DbError("'" + std::string(yyyymmdd) + "' is not a valid date (YYYYMMDD) for field " +
                      f.def.name + " of " + m.path);
    m.storeField(field, t);
}

// ---------------------------------------------------------------------------------------------
// Editing

void Table::append() {
    Impl& m = *d;
    m.requireWritable();
    m.checkBrowse();
    m.editBuf.assign(m.recLen, ' ');
    // Binary memo pointers of Visual FoxPro are zero when empty.
    for (const auto& f : m.fields)
        if (f.def.type == 'M' && f.def.width == 4) std::memset(m.editBuf.data() + f.offset, 0, 4);
    m.state = Impl::EditState::Append;
    m.view = m.editBuf.data();
    m.viewRecno = 0;
}

void Table::edit() {
    Impl& m = *d;
    m.requireWritable();
    if (m.state != Impl::EditState::None) return;
    if (m.cur == 0) throw DbError(m.path + ": there is no current record to edit");
    m.editBuf = m.curRec;
    m.state = Impl::EditState::Edit;
    m.view = m.editBuf.data();
    m.viewRecno = m.cur;
}

// Write order of post() (crash safety: a kill at any instant leaves a table that opens, and
// every record whose post() returned is in it):
//   1. header byte 14 := 1           (a write is under way; the index may lag behind)
//   2. the record bytes; an append also writes the 0x1A end marker after it
//   3. header date and record count  (an append becomes part of the table only here)
//   4. every tag of the production index
//   5. fdatasync of the index and the table
//   6. header byte 14 := 0
// Open repairs a table left with byte 14 set (Table::Impl::recover). Between disableControls()
// and enableControls() steps 1, 5 and 6 are done once for the whole loop.
void Table::post() {
    Impl& m = *d;
    m.requireWritable();
    if (m.state == Impl::EditState::None) return;
    m.beginWrite();
    uint32_t recno = 0;
    std::string oldRec;
    try {
        if (m.state == Impl::EditState::Append) {
            recno = m.count + 1;
            if (recno == 0) throw DbError(m.path + ": the table is full");
        } else {
            recno = m.cur;
            oldRec.resize(m.recLen);
            m.dbf.readExact(m.recOffset(recno), oldRec.data(), m.recLen, "The record");
        }
        if (!m.bulkWriting) m.setFlag14(true); // 1
        if (m.state == Impl::EditState::Append) {
            std::string bytes = m.editBuf;
            bytes.push_back(0x1A);
            m.dbf.writeAt(m.recOffset(recno), bytes.data(), bytes.size()); // 2
            m.writeCount(recno);                                           // 3
            m.count = recno;
        } else {
            m.bulkEdited = true;
            m.dbf.writeAt(m.recOffset(recno), m.editBuf.data(), m.recLen); // 2
        }
        try {
            if (m.state == Impl::EditState::Append)
                m.index.recordAppended(m, recno, m.editBuf.data()); // 4
            else
                m.index.recordChanged(m, recno, oldRec.data(), m.editBuf.data());
        } catch (const LockError&) {
            throw;
        } catch (const IoError&) {
            throw;
        } catch (const DbError&) {
            // The index did not match the records (damaged, or written by another program):
            // rebuild it from the records, which already hold this post.
            m.invalidateWindow();
            m.index.rebuildAll(m);
        }
        if (!m.bulkWriting) {
            m.index.sync(m); // 5
            m.dbf.sync();
            m.setFlag14(false); // 6
        }
    } catch (...) {
        m.endWrite();
        throw;
    }
    m.endWrite();
    m.invalidateWindow();
    const bool wasAppend = m.state == Impl::EditState::Append;
    m.state = Impl::EditState::None;
    m.setCurrent(recno, m.editBuf.data());
    // Keep the visibility map current.
    if (m.visibleValid) {
        const bool ok = m.accept(recno, m.curRec.data());
        if (wasAppend) {
            if (m.visible.size() + 1 != recno) {
                m.visibleValid = false;
                m.deletedValid = false;
            } else {
                m.visible.push_back(ok);
                m.visibleCount += ok;
            }
        } else {
            m.visibleCount += int(ok) - int(m.visible[recno - 1]);
            m.visible[recno - 1] = ok;
        }
    } else if (wasAppend && m.deletedValid) {
        m.deletedValid = false;
    }
    // Inside a bulk loop the post lock (or exclusive use) keeps other writers out until the loop
    // ends: the file's stamp is taken when it is next needed rather than after every post.
    if (m.bulkWriting)
        m.stampDeferred = true;
    else
        m.restamp();
    m.index.positionAt(m, recno);
    m.eof = m.bof = false;
}

void Table::cancel() {
    Impl& m = *d;
    if (m.state == Impl::EditState::None) return;
    m.state = Impl::EditState::None;
    m.editBuf.clear();
    if (m.cur) {
        m.view = m.curRec.data();
        m.viewRecno = m.cur;
    } else {
        m.view = nullptr;
        m.viewRecno = 0;
    }
}

bool Table::isEditing() const {
    return d->state != Impl::EditState::None;
}

void Table::deleteRecord() {
    Impl& m = *d;
    m.requireWritable();
    if (m.state == Impl::EditState::Append) {
        cancel();
        return;
    }
    cancel();
    if (m.cur == 0) throw DbError(m.path + ": there is no current record to delete");
    const uint32_t recno = m.cur;
    m.beginWrite();
    try {
        // A deleted record keeps its index entries (the cursor skips it); only its deletion byte
        // changes, in one write.
        const char star = '*';
        m.bulkEdited = true;
        m.dbf.writeAt(m.recOffset(recno), &star, 1);
        if (!m.bulkWriting) m.dbf.sync();
    } catch (...) {
        m.endWrite();
        throw;
    }
    m.endWrite();
    m.invalidateWindow();
    if (m.visibleValid && recno <= m.visible.size()) {
        m.visibleCount -= m.visible[recno - 1];
        m.visible[recno - 1] = 0;
    }
    if (m.deletedValid) ++m.deleted;
    m.restamp();
    m.curRec[0] = '*';
    // Move to the next visible record, else the prior one.
    bool ok = m.index.active() ? m.index.step(m, true) : m.seekFrom(recno + 1, true);
    if (!ok) {
        m.index.positionAt(m, recno);
        ok = m.index.active() ? m.index.step(m, false) : (recno > 1 && m.seekFrom(recno - 1, false));
        if (!ok) {
            m.clearCurrent();
            m.eof = m.bof = true;
            return;
        }
        m.eof = true;
        m.bof = false;
        return;
    }
    m.eof = m.bof = false;
}

// ---------------------------------------------------------------------------------------------
// Filter, refresh, controls

void Table::setFilter(std::function<bool(const Table&)> predicate) {
    d->filter = std::move(predicate);
    d->visibleValid = false;
    d->refusedReads = 0;
}

void Table::clearFilter() {
    d->filter = nullptr;
    d->visibleValid = false;
    d->refusedReads = 0;
}

bool Table::hasFilter() const {
    return bool(d->filter);
}

void Table::refresh() {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    m.readHeaderCount();
    m.invalidateCaches();
    m.index.refresh(m);
    if (m.cur != 0 && m.cur <= m.count) {
        const char* rec = m.record(m.cur, Impl::Dir::Forward);
        if (m.accept(m.cur, rec)) {
            m.setCurrent(m.cur, rec);
            m.index.positionAt(m, m.cur);
            return;
        }
        const uint32_t from = m.cur;
        m.index.positionAt(m, from);
        if (m.index.active() ? m.index.step(m, true) : m.seekFrom(from + 1, true)) return;
    }
    first();
}

void Table::disableControls() {
    ++d->disabled;
}

void Table::enableControls() {
    Impl& m = *d;
    if (m.disabled > 0) --m.disabled;
    if (m.disabled == 0 && m.bulkWriting) {
        m.unmapHeader();
        // A failure here leaves the loop open (byte 14 set, post lock held), so that the caller
        // can still roll its appends back.
        if (m.index.deferred()) {
            m.dbf.sync();
            m.index.setDeferred(false);
            try {
                m.index.rebuildAll(m);
            } catch (...) {
                m.index.setDeferred(true);
                ++m.disabled;
                throw;
            }
        }
        try {
            m.index.sync(m);
            m.dbf.sync();
            m.setFlag14(false);
        } catch (...) {
            ++m.disabled;
            throw;
        }
        // Still the only writer: the stamp the loop's posts deferred is taken now.
        if (m.stampDeferred) m.restamp();
        m.bulkWriting = false;
        m.endWrite();
    } else if (m.disabled == 0) {
        m.index.setDeferred(false);
    }
}

void Table::deferIndexMaintenance() {
    Impl& m = *d;
    m.requireWritable();
    if (m.mode != OpenMode::Exclusive || m.disabled == 0)
        throw DbError("Deferring the index of " + m.path + " needs exclusive use and a bulk loop");
    m.index.setDeferred(true);
}

// Cuts the records appended since the loop's first write: the count first (a kill after it
// leaves records beyond the count, which the next open cuts), then the file and the end marker.
// A deferred index never saw the appends; an index kept current is made again from the records.
void Table::rollBackAppends() {
    Impl& m = *d;
    m.requireOpen();
    if (m.state != Impl::EditState::None) cancel();
    if (!m.bulkWriting) return;
    if (m.bulkEdited)
        throw DbError(m.path + ": the bulk loop changed existing records, so its appends cannot be undone");
    m.unmapHeader();
    const uint32_t keep = m.bulkStartCount;
    m.writeCount(keep);
    m.count = keep;
    const uint64_t end = m.recOffset(keep + 1);
    const unsigned char marker = 0x1A;
    m.dbf.truncate(end);
    m.dbf.writeAt(end, &marker, 1);
    m.dbf.sync();
    m.invalidateCaches();
    m.clearCurrent();
    bool indexCurrent = true;
    if (m.index.deferred()) {
        m.index.setDeferred(false);
    } else {
        try {
            m.index.rebuildAll(m);
        } catch (const DbError&) {
            indexCurrent = false; // byte 14 stays set: the next writable open rebuilds it
            m.index.setStale(true);
        }
    }
    if (indexCurrent) {
        m.index.sync(m);
        m.setFlag14(false);
        m.dbf.sync();
    }
    m.bulkWriting = false;
    m.disabled = 0;
    m.endWrite();
    m.restamp();
}

bool Table::controlsDisabled() const {
    return d->disabled > 0;
}

void Table::flush() {
    Impl& m = *d;
    m.requireOpen();
    if (m.readOnly) return;
    m.index.sync(m);
    m.dbf.sync();
}

// ---------------------------------------------------------------------------------------------
// Index operations

std::vector<TagInfo> Table::tags() const {
    return d->index.tags();
}

bool Table::hasProductionIndex() const {
    return d->index.isOpen();
}

bool Table::indexStale() const {
    return d->index.stale();
}

void Table::addIndex(const std::string& tagName, const std::string& expression) {
    Impl& m = *d;
    m.requireWritable();
    m.checkBrowse();
    m.beginWrite();
    try {
        m.index.addTag(m, tagName, expression);
    } catch (...) {
        m.endWrite();
        throw;
    }
    m.endWrite();
    m.restamp();
}

void Table::replaceIndex(const std::string& tagName, const std::string& expression) {
    Impl& m = *d;
    m.requireWritable();
    m.checkBrowse();
    m.beginWrite();
    try {
        m.index.replaceTag(m, tagName, expression);
    } catch (...) {
        m.endWrite();
        throw;
    }
    m.endWrite();
    m.restamp();
}

void Table::deleteIndex(const std::string& tagName) {
    Impl& m = *d;
    m.requireWritable();
    m.checkBrowse();
    m.beginWrite();
    try {
        m.index.removeTag(m, tagName);
    } catch (...) {
        m.endWrite();
        throw;
    }
    m.endWrite();
}

void Table::setActiveIndex(const std::string& tagName) {
    Impl& m = *d;
    m.requireOpen();
    m.checkBrowse();
    m.index.setActive(m, tagName);
    m.visibleValid = m.visibleValid; // the map is per record, not per order
    if (m.cur) {
        m.index.positionAt(m, m.cur);
    } else {
        first();
    }
}

std::string Table::activeIndex() const {
    return d->index.activeName();
}

void Table::regenerateIndexes() {
    Impl& m = *d;
    m.requireWritable();
    if (m.mode != OpenMode::Exclusive)
        throw LockError("Rebuilding the indexes of " + m.path + " needs exclusive use of the table");
    m.checkBrowse();
    // The new index is built beside the old one and renamed into place; an index that cannot
    // be read at all is dropped (its tags are unknown).
    m.index.dropUnreadable(m);
    m.index.rebuildAll(m);
    m.restamp();
    m.index.positionAt(m, m.cur);
}

// pack() writes the live records into a new file beside the table (header byte 14 set: its index
// is not yet current), takes the exclusive lock on the new file, fsyncs it and renames it over
// the table; then it rebuilds every index tag, fsyncs and clears byte 14. A crash before the
// rename leaves the old table whole; after it, the new table is whole and its index is rebuilt
// on the next open.
void Table::pack() {
    Impl& m = *d;
    m.requireWritable();
    if (m.mode != OpenMode::Exclusive)
        throw LockError("Packing " + m.path + " needs exclusive use of the table");
    m.checkBrowse();
    m.unmapHeader(); // the header of the file being replaced
    std::string tmp = m.path + kPackSuffix + "XXXXXX";
    std::vector<char> tmpl(tmp.begin(), tmp.end());
    tmpl.push_back('\0');
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        throw DbError("Cannot pack " + m.path + ": cannot create a file beside it: " + errnoText(errno));
    ::close(fd);
    tmp = tmpl.data();
    File out;
    std::string newIndex;
    try {
        out.open(tmp, true);
        struct stat st {};
        if (::fstat(m.dbf.fd(), &st) == 0) ::fchmod(out.fd(), st.st_mode & 07777);
        if (!out.tryLock(File::Lock::Write, 0, 0)) throw DbError("Cannot lock the new file " + tmp);
        std::vector<unsigned char> header(m.headerLen);
        m.dbf.readExact(0, header.data(), header.size(), "The header");
        header[14] = 1;
        std::vector<char> buf;
        std::vector<char> outBuf;
        uint64_t outPos = m.headerLen;
        uint32_t kept = 0;
        const uint32_t per = std::max<uint32_t>(1, static_cast<uint32_t>((4 << 20) / m.recLen));
        for (uint32_t first = 1; first <= m.count;) {
            const uint32_t n = std::min<uint32_t>(per, m.count - first + 1);
            buf.resize(size_t(n) * m.recLen);
            m.dbf.readExact(m.recOffset(first), buf.data(), buf.size(), "The records");
            outBuf.clear();
            for (uint32_t i = 0; i < n; ++i) {
                const char* rec = buf.data() + size_t(i) * m.recLen;
                if (rec[0] == '*') continue;
                outBuf.insert(outBuf.end(), rec, rec + m.recLen);
                ++kept;
            }
            out.writeAt(outPos, outBuf.data(), outBuf.size());
            outPos += outBuf.size();
            first += n;
        }
        const char marker = 0x1A;
        out.writeAt(outPos, &marker, 1);
        todayBytes(&header[1]);
        put32(&header[4], kept);
        out.writeAt(0, header.data(), header.size());
        out.sync();
        // The new index is built from the new file before either replaces anything, so that a
        // full disk fails the pack with the old table and index untouched.
        const uint32_t oldCount = m.count;
        std::swap(m.dbf, out);
        m.count = kept;
        m.invalidateCaches();
        try {
            newIndex = m.index.prepareRebuild(m);
        } catch (...) {
            std::swap(m.dbf, out);
            m.count = oldCount;
            m.invalidateCaches();
            throw;
        }
        std::swap(m.dbf, out);
        m.count = oldCount;
        m.invalidateCaches();
        if (::rename(tmp.c_str(), m.path.c_str()) != 0)
            throw IoError("Cannot pack " + m.path + ": cannot replace it: " + errnoText(errno));
    } catch (...) {
        out.close();
        ::unlink(tmp.c_str());
        if (!newIndex.empty()) ::unlink(newIndex.c_str());
        throw;
    }
    syncFolderOf(m.path);
    m.dbf = std::move(out); // closes the old file and its lock; the new one is locked already
    m.count = 0;
    m.parseHeader(m.dbf, m.dbf.size());
    m.invalidateCaches();
    m.clearCurrent();
    // From here the packed table is in place with byte 14 set: should the index not follow,
    // the next writable open rebuilds it.
    if (!newIndex.empty()) m.index.installFresh(m, newIndex);
    try {
        // The packed records and their index are durable already; the flag only spares the
        // next open a rebuild, so failing to clear it does not fail the pack.
        m.setFlag14(false);
        m.dbf.sync();
    } catch (const IoError&) {
    }
    m.restamp();
    first();
}

void Table::checkIndexes() const {
    d->requireOpen();
    if (!d->surplusWhy.empty()) throw DbError(d->surplusWhy);
    d->index.check(*d);
}

// ---------------------------------------------------------------------------------------------
// Creation

namespace {

void validateFields(const std::string& path, const std::vector<FieldDef>& fields) {
    if (fields.empty()) throw DbError("Cannot create " + path + ": a table needs at least one field");
    if (fields.size() > 255) throw DbError("Cannot create " + path + ": more than 255 fields");
    int recLen = 1;
    std::vector<std::string> seen;
    for (const auto& f : fields) {
        const std::string up = asciiUpper(f.name);
        bool ok = !up.empty() && up.size() <= 10 && up[0] >= 'A' && up[0] <= 'Z';
        for (char c : up)
            ok = ok && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
        if (!ok) throw DbError("Cannot create " + path + ": invalid field name '" + f.name + "'");
        if (std::find(seen.begin(), seen.end(), up) != seen.end())
            throw DbError("Cannot create " + path + ": duplicate field name '" + f.name + "'");
        seen.push_back(up);
        bool sizeOk = false;
        switch (f.type) {
        case 'C':
            sizeOk = f.width >= 1 && f.width <= 254 && f.decimals == 0;
            break;
        case 'N':
        case 'F':
            sizeOk = f.width >= 1 && f.width <= 20 && f.decimals >= 0 &&
                     (f.decimals == 0 || f.decimals <= f.width - 2);
            break;
        case 'D':
            sizeOk = f.width == 8 && f.decimals == 0;
            break;
        case 'L':
            sizeOk = f.width == 1 && f.decimals == 0;
            break;
        default:
            throw DbError("Cannot create " + path + ": field " + f.name + " has type '" +
                          std::string(1, f.type) + "', which this program does not write");
        }
        if (!sizeOk)
            throw DbError("Cannot create " + path + ": field " + f.name + " has an invalid size " +
                          std::to_string(f.width) + "," + std::to_string(f.decimals));
        recLen += f.width;
    }
    if (recLen > 65535) throw DbError("Cannot create " + path + ": records longer than 65535 bytes");
}

} // namespace

namespace {

std::vector<FieldDef> fieldDefs(const std::vector<CreateField>& fields) {
    std::vector<FieldDef> defs;
    for (const auto& f : fields) {
        FieldDef d;
        d.name = f.name;
        switch (f.kind) {
        case FieldKind::String:
            d.type = 'C';
            d.width = f.size;
            break;
        case FieldKind::Integer:
            d.type = 'N';
            d.width = 11;
            break;
        case FieldKind::Float:
            d.type = 'N';
            d.width = 20;
            d.decimals = 4;
            break;
        case FieldKind::Date:
            d.type = 'D';
            d.width = 8;
            break;
        }
        defs.push_back(d);
    }
    return defs;
}

std::vector<unsigned char> emptyTableBytes(const std::vector<FieldDef>& fields) {
    const size_t n = fields.size();
    const uint32_t headerLen = static_cast<uint32_t>(32 + 32 * n + 1);
    std::vector<unsigned char> h(headerLen + 1, 0);
    h[0] = 0x03;
    todayBytes(&h[1]);
    put32(&h[4], 0);
    put16(&h[8], headerLen);
    uint32_t recLen = 1;
    for (const auto& f : fields)
        recLen += f.width;
    put16(&h[10], recLen);
    h[28] = 0;
    h[29] = 0x57;
    for (size_t i = 0; i < n; ++i) {
        unsigned char* d = &h[32 + 32 * i];
        const std::string up = asciiUpper(fields[i].name);
        std::memcpy(d, up.data(), up.size());
        d[11] = static_cast<unsigned char>(fields[i].type);
        d[16] = static_cast<unsigned char>(fields[i].width);
        d[17] = static_cast<unsigned char>(fields[i].decimals);
    }
    h[headerLen - 1] = 0x0D;
    h[headerLen] = 0x1A;
    return h;
}

// Writes a new empty table beside `path` and publishes it: by rename over an existing file
// (replace), or by link, which fails when any file of that name exists, so that two creators
// of a missing table never both succeed. Returns false when !replace and the name is taken.
// A replaced table stays locked by this process until the rename, so nobody opens it between
// the check that it is free and its replacement.
bool writeNewTable(const std::string& path, const std::vector<FieldDef>& fields, bool replace) {
    validateFields(path, fields);
    File existing;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0) {
        if (!replace) return false;
        if (!existing.tryOpen(path, true)) {
            const int err = errno;
            if (err == EISDIR || err == EINVAL || err == ENOENT)
                throw DbError("Cannot create " + path + ": " + openFailureText(path, err));
        } else if (!existing.tryLock(File::Lock::Write, 0, 0)) {
            throw LockError("Cannot create " + path + ": the table is in use by another program or copy");
        }
    }
    const std::vector<unsigned char> h = emptyTableBytes(fields);
    std::string tmp = path + kIndexTempSuffix + "XXXXXX";
    std::vector<char> tmpl(tmp.begin(), tmp.end());
    tmpl.push_back('\0');
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw DbError("Cannot create " + path + ": " + errnoText(errno));
    tmp = tmpl.data();
    ::close(fd);
    bool published = true;
    try {
        File f;
        f.open(tmp, true);
        f.tryLock(File::Lock::Write, 0, 0); // a cleanup of left-over files leaves it alone
        ::fchmod(
            f.fd(), 0666 & ~[] {
                mode_t u = ::umask(0);
                ::umask(u);
                return u;
            }());
        f.writeAt(0, h.data(), h.size());
        f.sync();
        if (replace) {
            if (::rename(tmp.c_str(), path.c_str()) != 0)
                throw DbError("Cannot create " + path + ": " + errnoText(errno));
        } else {
            if (::link(tmp.c_str(), path.c_str()) != 0) {
                if (errno != EEXIST) throw DbError("Cannot create " + path + ": " + errnoText(errno));
                published = false;
            }
            ::unlink(tmp.c_str());
        }
        syncFolderOf(path);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    if (!published) return false;
    // A new table has no production index: drop a stale one of the same base name. A file
    // left behind by a kill right here is not the table's index (byte 28 is clear).
    const std::string mdx = companionPath(path, ".MDX");
    struct stat st {};
    if (::lstat(mdx.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(mdx.c_str());
    return true;
}

} // namespace

void Table::create(const std::string& path, const std::vector<CreateField>& fields) {
    createRaw(path, fieldDefs(fields));
}

void Table::createRaw(const std::string& path, const std::vector<FieldDef>& fields) {
    writeNewTable(path, fields, true);
}

bool Table::createNew(const std::string& path, const std::vector<CreateField>& fields) {
    return writeNewTable(path, fieldDefs(fields), false);
}

// ---------------------------------------------------------------------------------------------

bool removeMdxByte(const std::string& dbfPath) {
    int fd = ::open(dbfPath.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false; // not a table file: opening it reports what it is
    }
    const unsigned char zero = 0;
    ssize_t r;
    do {
        r = ::pwrite(fd, &zero, 1, 28);
    } while (r < 0 && errno == EINTR);
    const int err = errno;
    ::close(fd);
    if (r != 1) throw DbError("Cannot write byte 28 of " + dbfPath + ": " + errnoText(r < 0 ? err : EIO));
    return true;
}

std::string companionPath(const std::string& tablePath, std::string_view extension) {
    std::string ext(extension);
    if (!ext.empty() && ext[0] != '.') ext.insert(ext.begin(), '.');
    const size_t slash = tablePath.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : tablePath.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? tablePath : tablePath.substr(slash + 1);
    const size_t dot = file.find('.');
    const std::string base = dot == std::string::npos ? file : file.substr(0, dot);
    const std::string tableExt = dot == std::string::npos ? std::string() : file.substr(file.rfind('.') + 1);

    // The letter case of the table's extension decides the new file's extension.
    bool anyLower = false, anyUpper = false;
    for (char c : tableExt) {
        anyLower = anyLower || (c >= 'a' && c <= 'z');
        anyUpper = anyUpper || (c >= 'A' && c <= 'Z');
    }
    std::string wantedExt = ext;
    if (anyLower && !anyUpper)
        for (char& c : wantedExt)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (anyUpper && !anyLower)
        wantedExt = asciiUpper(wantedExt);
    const std::string wanted = base + wantedExt;

    const std::string target = asciiUpper(base + ext);
    std::vector<std::string> matches;
    if (DIR* dp = ::opendir(dir.empty() ? "." : dir.c_str())) {
        while (dirent* e = ::readdir(dp))
            if (asciiUpper(e->d_name) == target) matches.emplace_back(e->d_name);
        ::closedir(dp);
    }
    if (matches.empty()) return dir + wanted;
    if (std::find(matches.begin(), matches.end(), wanted) != matches.end()) return dir + wanted;
    std::sort(matches.begin(), matches.end());
    return dir + matches.front();
}

} // namespace dbase
