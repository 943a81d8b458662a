#pragma once
// Internal to the engine: the state of an open table, shared by table.cpp and tableindex.cpp.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbase/codepage.h"
#include "dbase/expr.h"
#include "dbase/fileio.h"
#include "dbase/memo.h"
#include "dbase/table.h"

namespace dbase {

struct FileStamp {
    uint64_t size = 0;
    int64_t sec = 0;
    int64_t nsec = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(int fd);

// Suffix of a file being built beside the one it replaces: NAME.new-XXXXXX. Left-over ones
// (a kill before the rename) are removed at the next exclusive open of the table.
inline constexpr const char* kIndexTempSuffix = ".new-";
// Write-locked by a shared writer while it writes (see table.h, "Locking").
inline constexpr uint64_t kPostLockByte = 0x7FFFFFFD;

// The production index of an open table: the .MDX, the compiled expression of every tag and the
// active tag's position. Implemented in tableindex.cpp.
class TableIndex {
public:
    TableIndex();
    ~TableIndex();
    using Impl = Table::Impl;

    void openFor(Impl& t); // header byte 28 set: open the companion .MDX when present
    void close();
    bool isOpen() const;
    bool stale() const;
    void setStale(bool s);
    bool readable() const; // the .MDX was read (its tags are known)
    // A bulk load on an exclusive table: appends leave the tags alone, which are rebuilt once
    // at its end (or, after a kill, at the next writable open: header byte 14 stays set).
    void setDeferred(bool on);
    bool deferred() const;

    bool active() const;
    std::string activeName() const;
    void setActive(Impl& t, const std::string& tag);
    std::vector<TagInfo> tags() const;

    // Cursor in the active order (skips records that are deleted or refused by the filter).
    bool seekEdge(Impl& t, bool first);
    bool step(Impl& t, bool forward);
    void positionAt(Impl& t, uint32_t recno);
    void orderedVisible(Impl& t, std::vector<uint32_t>& out);
    void refresh(Impl& t);

    // Maintenance inside post(); the caller holds the write lock.
    void beforeWrite(Impl& t); // under the post lock: re-read what other writers changed
    void recordAppended(Impl& t, uint32_t recno, const char* rec);
    void recordChanged(Impl& t, uint32_t recno, const char* oldRec, const char* newRec);
    void sync(Impl& t);

    void addTag(Impl& t, const std::string& name, const std::string& expression);
    void replaceTag(Impl& t, const std::string& name, const std::string& expression);
    void removeTag(Impl& t, const std::string& name);
    void rebuildAll(Impl& t);
    // An announced index that cannot be read at all: the table stops announcing it and the
    // file is removed (its tags cannot be known; the caller makes new ones).
    void dropUnreadable(Impl& t);
    // A rebuild in two halves, for pack: every tag built from the records into a new file
    // ("" when there is no readable index), then that file renamed into place.
    std::string prepareRebuild(Impl& t);
    void installFresh(Impl& t, const std::string& builtFile);
    void check(const Impl& t) const;

private:
    void writeFresh(Impl& t, const std::vector<TagInfo>& wanted);
    bool seekEdgeOnce(Impl& t, bool first);
    bool stepOnce(Impl& t, bool forward);
    void orderedVisibleOnce(Impl& t, std::vector<uint32_t>& out);
    template <typename Walk> auto retrying(Impl& t, Walk walk) -> decltype(walk());
    std::string buildFresh(Impl& t, const std::vector<TagInfo>& wanted);
    std::vector<TagInfo> keptTags(const Impl& t) const;
    struct State;
    std::unique_ptr<State> s_;
};

struct Table::Impl {
    Table* self = nullptr;
    std::string path;
    File dbf;
    bool isOpen = false;
    OpenMode mode = OpenMode::Shared;
    bool readOnly = false;

    // header
    uint8_t version = 0;
    uint8_t cpId = 0;
    uint8_t mdxFlag = 0;
    uint32_t count = 0;
    uint16_t headerLen = 0;
    uint16_t recLen = 0;
    std::vector<FieldLayout> fields;
    const CodePage* cp = nullptr;
    mutable MemoFile memo;
    bool hasMemoFields = false;
    bool foreignIndex = false; // a FoxPro structural .CDX: writing would leave it stale
    std::string writeRefusal;  // why the table cannot be written although it is open for writing
    std::string surplusWhy;    // whole records beyond the header count: the count is wrong

    // read window
    mutable std::vector<char> win;
    mutable uint32_t winFirst = 0; // record number of win[0]
    mutable uint32_t winCount = 0;

    // cursor
    uint32_t cur = 0;
    bool eof = true;
    bool bof = true;
    std::string curRec;
    const char* view = nullptr; // record bytes the getters read
    uint32_t viewRecno = 0;

    // editing
    enum class EditState { None, Edit, Append } state = EditState::None;
    std::string editBuf;

    // filter and visibility map
    std::function<bool(const Table&)> filter;
    std::vector<uint8_t> visible; // per physical record: live and passing the filter
    bool visibleValid = false;
    uint32_t visibleCount = 0;
    uint32_t deleted = 0;
    bool deletedValid = false;
    uint32_t refusedReads = 0; // index order: records read at random and refused
    FileStamp stamp;
    bool stampDeferred = false; // posts of a bulk loop changed the file since the stamp was taken

    // writes
    int disabled = 0;
    bool bulkWriting = false;    // post lock held and byte 14 set for a bulk loop
    uint32_t bulkStartCount = 0; // records before the bulk loop's first write
    bool bulkEdited = false;     // the loop changed records it did not append
    bool postLocked = false;
    // Inside a bulk loop the header's date and count go through a shared mapping of the file's
    // start: the same page of the file that reads and writes see, without a system call per post.
    // Null when the file cannot be mapped (the count is then written as usual).
    unsigned char* headerMap = nullptr;

    // index
    TableIndex index;

    // ---- helpers
    std::string where() const { return path; }

    void requireOpen() const {
        if (!isOpen) throw DbError("No table is open");
    }
    void requireWritable() const {
        requireOpen();
        if (readOnly) throw DbError("The table " + path + " is open read-only");
        if (!surplusWhy.empty()) throw DbError(surplusWhy);
        if (!writeRefusal.empty()) throw DbError(writeRefusal);
        if (foreignIndex)
            throw DbError("The table " + path +
                          " has a FoxPro index (.CDX) that this program cannot keep "
                          "current, so it is not changed");
    }
    const FieldLayout& fieldAt(int i) const {
        requireOpen();
        if (i < 0 || i >= static_cast<int>(fields.size()))
            throw DbError("Field number " + std::to_string(i + 1) + " does not exist in " + path);
        return fields[i];
    }
    uint64_t recOffset(uint32_t recno) const { return headerLen + uint64_t(recno - 1) * recLen; }

    void parseHeader(const File& f, uint64_t fileSize);
    void openMemoIfNeeded() const;
    void recover();

    void invalidateWindow() const { winCount = 0; }
    enum class Dir { Forward, Backward, Single };
    const char* record(uint32_t recno, Dir dir) const;

    bool accept(uint32_t recno, const char* rec);
    bool visibleRecord(uint32_t recno, Dir dir);
    void setCurrent(uint32_t recno, const char* rec);
    void clearCurrent();
    bool seekFrom(uint32_t start, bool forward);

    void buildVisible();
    void ensureVisible();
    // A stamp deferred by the posts of a bulk loop is taken at the first look: the changes since
    // the last stamp were this table's own.
    bool fileChanged() {
        if (stampDeferred) {
            restamp();
            return false;
        }
        return !(stampOf(dbf.fd()) == stamp);
    }
    void restamp() {
        stamp = stampOf(dbf.fd());
        stampDeferred = false;
    }
    void readHeaderCount();
    void invalidateCaches() {
        refusedReads = 0;
        visibleValid = false;
        deletedValid = false;
        invalidateWindow();
    }

    void beginWrite();
    void endWrite();
    void setFlag14(bool on);
    void writeCount(uint32_t n);
    void mapHeader();
    void unmapHeader();
    void checkBrowse();

    std::string fieldValueText(const FieldLayout& f, const char* rec) const;
    void storeField(int index, std::string_view bytes);
    char* editField(int index);
};

} // namespace dbase
