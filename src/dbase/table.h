#pragma once
// The dBase table engine: dBase III+/IV and FoxPro .DBF tables with a dBase IV production .MDX.
//
// Text crosses this interface as UTF-8. The engine converts to and from the table's code page
// (header byte 29; tables it creates are cp1252, id 0x57).
//
// A Table is a cursor over the live records of one file, in the order of the active index tag
// (or record order), skipping deleted records and records refused by the record filter.
//
// Reading. Records are read on demand, never loaded whole: the record-order cursor reads blocks of
// about a megabyte and full passes 256 KB blocks (one pread per block, not per record); index
// order reads single records. Memory stays at a few megabytes plus one byte per physical record
// for the visibility map below (peak 10-27 MB over a 1.2 GB table).
//
// recordCount() and orderedRecnos(). A dBase file keeps no count of deleted records, so an exact
// count needs the deletion byte of every record. The engine builds a visibility map (one byte per
// physical record: live and passing the filter) in ONE sequential pass, and keeps it until the
// filter changes, refresh() is called, or the file's size or modification time shows that
// another process wrote it; the engine's own posts and deletes update it in place, so a viewer
// can call recordCount()/orderedRecnos() after every post at no cost. Without a filter the pass
// maps the file in 16 MB windows and touches only the deletion bytes (measured on 1M records of
// 1200 bytes, 1.2 GB in the page cache: 0.09 s, where cat needs 0.5 s); with a filter it reads
// 256 KB blocks and calls the filter per live record (0.4-0.7 s with a title filter).
// first()/next()/last()/prior() never need the map: open + first screen takes about a
// millisecond.
// In index order orderedRecnos() walks the tag's leaves once (0.1-0.2 s per million entries) and
// keeps the visible entries; the cursor reads one record per step (about 2 us per record for a
// full ordered pass over 1M records, against 0.5 us in record order). A filtered pass in index
// order that has refused a few thousand records switches to the visibility map (one sequential
// filter pass), so a sparse search result in sort order costs one read of the file plus one
// random read per matching record.
//
// The production index. Every tag is kept current on append and edit; a deleted record keeps its
// entries (as dBase does) and the cursor skips it; pack rebuilds every tag. In shared use a writer
// re-reads the index under the post lock before it changes it, so two processes never work from
// stale pages; readers see other processes' index changes after refresh(). An index found out
// of step with the records during a post is rebuilt from the records on the spot. A .MDX whose
// header cannot be read, or whose header names another table, is never trusted: the table opens
// in record order with indexStale() set, checkIndexes() fails naming the problem, and a writer
// rebuilds it (an exclusive open at once, a shared writer before its first write). A .MDX that
// cannot be written makes the table unwritable. Every change of the tag set and every rebuild
// writes a whole new .MDX beside the old one and renames it into place.
//
// A header count with more than one whole record after it is wrong (an interrupted append
// leaves at most one): the table is read as counted and every write is refused.
//
// Writing and crash safety. post() writes in an order that survives a kill at any instant (see
// Table::post in table.cpp) and fdatasyncs before it returns. Between disableControls() and
// enableControls() the writes of a bulk loop keep the same order but the fdatasync and the
// header's interrupted-write flag (byte 14) are handled once for the whole loop: the flag is set
// at the first write and cleared by enableControls() (or close()) after one fdatasync (inside the
// loop the header's count is written through a shared mapping of the file's first page: the same
// page of the file, written in the same order, without a system call). A kill
// inside the loop therefore still loses no posted record and leaves the index marked stale,
// to be rebuilt on the next open. In shared use a bulk loop that writes keeps the post lock
// until enableControls(), so other writers wait for the loop to end. A loop that only appends
// can be undone after a write error (rollBackAppends); with deferIndexMaintenance() the index
// is not touched until the loop ends.
//
// Locking (POSIX open-file-description locks, so they also conflict with other programs' fcntl
// locks): shared use holds a read lock on byte 0x7FFFFFFE; exclusive use holds a write lock on the
// whole file; a shared writer holds a write lock on byte 0x7FFFFFFD while it writes.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/error.h"

namespace dbase {

struct FieldDef {
    std::string name; // up to 10 ASCII characters; reported upper-case by an open table
    char type = 'C';  // C, N, F, D, L, M
    int width = 0;    // stored width in bytes
    int decimals = 0;
};

// Field kinds used when creating a catalogue table (type codes 1..4 of the field slot table).
// Stored sizes chosen by the engine for the non-string kinds (the sizes dBase engines give
// these kinds, so every value the program stores fits and other programs read them as numbers):
//   Integer -> N(11,0), Float -> N(20,4), Date -> D(8).
enum class FieldKind { String, Integer, Float, Date };
struct CreateField {
    std::string name;
    FieldKind kind = FieldKind::String;
    int size = 0; // strings only
};

struct TableInfo {
    uint8_t version = 0;        // header byte 0
    uint8_t codePageId = 0;     // header byte 29
    uint8_t mdxFlag = 0;        // header byte 28
    uint32_t physicalCount = 0; // header record count, deleted records included
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    std::string codePage; // name of the code page used for text, e.g. "cp1252"
};

struct TagInfo {
    std::string name;       // upper case
    std::string expression; // as given when the tag was made
    char keyType = 'C';     // C, N, D
    int keyLength = 0;
};

enum class OpenMode { Shared, Exclusive };

class Table {
public:
    Table();
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Creates a dBase IV table (version 0x03, code page 0x57) with these fields and no index.
    // An existing file of that name (and its .MDX) is replaced, unless another process holds it
    // (LockError). The new file is written beside and renamed over the old one.
    // A directory, FIFO, device or dangling symbolic link of that name is refused (DbError).
    static void create(const std::string& path, const std::vector<CreateField>& fields);
    static void createRaw(const std::string& path, const std::vector<FieldDef>& fields);
    // Creates the table only when no file of that name exists, atomically (the new file is
    // linked into place): of two processes creating the same missing table, exactly one
    // succeeds. Returns false, having changed nothing, when the name is taken.
    static bool createNew(const std::string& path, const std::vector<CreateField>& fields);

    // Opens the table; with header byte 28 set the production .MDX of the same base name is
    // opened too (found ignoring letter case). Exclusive use fails with LockError while any
    // other process holds the file; shared opens coexist with each other. readOnly opens
    // never write. Tables of other programs open for reading and writing (memo fields are read
    // only); a FoxPro table whose byte 28 announces a structural .CDX is never changed (DbError
    // on append/edit/delete), since this engine cannot keep that index current. Header byte 14
    // left set by a killed writer is repaired here (see Table::Impl::recover).
    void open(const std::string& path, OpenMode mode = OpenMode::Shared, bool readOnly = false);
    void close();
    bool isOpen() const;
    const std::string& path() const;
    OpenMode mode() const;
    TableInfo info() const;

    // Fields
    int fieldCount() const;
    const FieldDef& field(int index) const;             // 0-based
    int fieldIndex(std::string_view name) const;        // ignoring case; -1 when missing
    int fieldIndexOrThrow(std::string_view name) const; // DbError naming the field when missing

    // Cursor (active order, live records, filter applied)
    bool first(); // false when there is no record
    bool last();
    bool next();  // false at the end: eof() becomes true and the cursor stays on the last record
    bool prior(); // false at the beginning: bof() becomes true
    bool eof() const;
    bool bof() const;
    bool isEmpty();
    uint32_t recNo() const; // 1-based physical record number of the current record, 0 when none

    // Number of records the cursor can visit: live records passing the filter.
    uint32_t recordCount();
    // Physical records marked deleted (still in the file until pack).
    uint32_t deletedCount();

    // The physical record numbers of every record the cursor can visit, in the active order.
    // Used by the viewer to map grid rows to records; reads no more than it must.
    std::vector<uint32_t> orderedRecnos();

    // Bookmarks are physical record numbers.
    uint32_t bookmark() const { return recNo(); }
    bool gotoBookmark(uint32_t recno); // false when that record is deleted or outside the table

    // Values of the current record (or of the edit buffer while editing/appending).
    std::string getText(int field) const;             // C: trailing blanks removed; N/F: trimmed numeral;
                                                      // D: "YYYYMMDD" or "" ; L: "T"/"F"/""; M: memo text
    std::optional<double> getNumber(int field) const; // nullopt when blank or not a number
    std::string getDate(int field) const;             // "YYYYMMDD" or "" when blank
    void setText(int field, std::string_view utf8);   // N: parsed number; D: "YYYYMMDD" or ""
    void setNumber(int field, double value);
    void setDate(int field, std::string_view yyyymmdd); // "" for blank
    bool isBlank(int field) const;
    // The bytes a field holds in the current record (or the edit buffer), as stored: the table's
    // code page, blanks kept. Valid until the cursor moves or the record changes; empty when there
    // is no record.
    std::string_view storedBytes(int field) const;
    // The whole current record (or the edit buffer) as stored, the deletion byte first; field's
    // bytes begin at fieldOffset(field). Valid as storedBytes is; empty when there is no record.
    // For loops over many records that read fields by their place in the record.
    std::string_view recordBytes() const;
    int fieldOffset(int field) const;

    // Record editing. append() starts a new blank record, edit() the current one; post() writes
    // it (and every index tag) and returns only when it is durable in the file; cancel() drops it.
    void append();
    void edit();
    void post();
    void cancel();
    bool isEditing() const;
    void deleteRecord(); // marks the current record deleted; the cursor moves to the next one

    // Record filter: called with the table positioned on each candidate record.
    void setFilter(std::function<bool(const Table&)> predicate);
    void clearFilter();
    bool hasFilter() const;
    void refresh(); // re-reads header and records (another process may have written)

    // Production index
    std::vector<TagInfo> tags() const;
    bool hasProductionIndex() const;
    // True when the production index was found stale (a write was interrupted) on a read-only
    // open: it is not used, and the cursor runs in record order.
    bool indexStale() const;
    // Every change of the tag set writes a whole new .MDX beside the old one (the tags filled
    // from the records) and renames it into place: a kill or a full disk leaves either index
    // whole. The .MDX gets the table's file mode.
    void addIndex(const std::string& tagName, const std::string& expression); // builds the tag
    // Adds the tag or replaces the expression of an existing one, in one step.
    void replaceIndex(const std::string& tagName, const std::string& expression);
    void deleteIndex(const std::string& tagName);
    void setActiveIndex(const std::string& tagName); // "" = record order
    std::string activeIndex() const;
    // Needs exclusive use. An index that cannot be read at all is dropped (byte 28 cleared,
    // file removed): its tags are unknown, and the caller adds the ones it needs.
    void regenerateIndexes();
    void pack(); // needs exclusive use; new file written beside and swapped in
    // Full check of the table: the header count against the records in the file, and every tag
    // of the production index (structure, key order, one entry with the right key per record);
    // an index that cannot be read or belongs to another table fails. Reads only; DbError.
    void checkIndexes() const;

    // Bulk loops: no per-record work beyond the loop's own (see "Writing" above). Nestable.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;
    // Inside a bulk loop on an exclusive table: appends leave the index tags alone and every
    // tag is rebuilt once (into a new file) by the enableControls() that ends the loop. A kill
    // meanwhile leaves header byte 14 set, so the next writable open rebuilds them.
    void deferIndexMaintenance();
    // Undoes a bulk loop that only appended (a write failed half way): the table is cut back
    // to the records it had before the loop, the count and end marker are rewritten, the index
    // is made to match, and the loop ends. Also usable after enableControls() threw.
    void rollBackAppends();
    // Makes every write so far durable (fdatasync of the table and its index).
    void flush();

private:
    friend class TableIndex;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Clears header byte 28 of a .DBF and writes nothing else. Returns false when the file cannot
// be opened; throws DbError on an I/O error after opening.
bool removeMdxByte(const std::string& dbfPath);

// Finds a companion file (".MDX", ".DBT", ".001") of a table ignoring letter case; returns the
// existing path, or the path with the letter case of the table's extension when none exists.
std::string companionPath(const std::string& tablePath, std::string_view extension);

} // namespace dbase
