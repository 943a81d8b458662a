#pragma once
// The dBase table engine: dBase III+/IV and FoxPro .DBF tables with a dBase IV production .MDX.
//
// Text crosses this interface as UTF-8. The engine converts to and from the table's code page
// (header byte 29; tables it creates are cp1252, id 0x57).
//
// A Table is a cursor over the live records of one file, in the order of the active index tag
// (or record order), skipping deleted records and records refused by the record filter.
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
    std::string name;  // up to 10 ASCII characters; reported upper-case by an open table
    char type = 'C';   // C, N, F, D, L, M
    int width = 0;     // stored width in bytes
    int decimals = 0;
};

// Field kinds used when creating a catalogue table (type codes 1..4 of the field slot table).
// Stored sizes chosen by the engine for the non-string kinds:
//   Integer -> N(11,0), Float -> N(20,4), Date -> D(8).
enum class FieldKind { String, Integer, Float, Date };
struct CreateField {
    std::string name;
    FieldKind kind = FieldKind::String;
    int size = 0;  // strings only
};

struct TableInfo {
    uint8_t version = 0;       // header byte 0
    uint8_t codePageId = 0;    // header byte 29
    uint8_t mdxFlag = 0;       // header byte 28
    uint32_t physicalCount = 0; // header record count, deleted records included
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
};

struct TagInfo {
    std::string name;        // upper case
    std::string expression;  // as given when the tag was made
    char keyType = 'C';      // C, N, D
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
    // An existing file of that name (and its .MDX) is replaced.
    static void create(const std::string& path, const std::vector<CreateField>& fields);
    static void createRaw(const std::string& path, const std::vector<FieldDef>& fields);

    // Opens the table; with header byte 28 set the production .MDX of the same base name is
    // opened too (found ignoring letter case). Exclusive use fails with LockError while any
    // other process holds the file; shared opens coexist with each other. readOnly opens
    // never write.
    void open(const std::string& path, OpenMode mode = OpenMode::Shared, bool readOnly = false);
    void close();
    bool isOpen() const;
    const std::string& path() const;
    OpenMode mode() const;
    TableInfo info() const;

    // Fields
    int fieldCount() const;
    const FieldDef& field(int index) const;  // 0-based
    int fieldIndex(std::string_view name) const;  // ignoring case; -1 when missing
    int fieldIndexOrThrow(std::string_view name) const;  // DbError naming the field when missing

    // Cursor (active order, live records, filter applied)
    bool first();   // false when there is no record
    bool last();
    bool next();    // false at the end: eof() becomes true and the cursor stays on the last record
    bool prior();   // false at the beginning: bof() becomes true
    bool eof() const;
    bool bof() const;
    bool isEmpty();
    uint32_t recNo() const;  // 1-based physical record number of the current record, 0 when none

    // Number of records the cursor can visit: live records passing the filter.
    uint32_t recordCount();

    // The physical record numbers of every record the cursor can visit, in the active order.
    // Used by the viewer to map grid rows to records; reads no more than it must.
    std::vector<uint32_t> orderedRecnos();

    // Bookmarks are physical record numbers.
    uint32_t bookmark() const { return recNo(); }
    bool gotoBookmark(uint32_t recno);  // false when that record is deleted or outside the table

    // Values of the current record (or of the edit buffer while editing/appending).
    std::string getText(int field) const;   // C: trailing blanks removed; N/F: trimmed numeral;
                                            // D: "YYYYMMDD" or "" ; L: "T"/"F"/""; M: memo text
    std::optional<double> getNumber(int field) const;  // nullopt when blank or not a number
    std::string getDate(int field) const;   // "YYYYMMDD" or "" when blank
    void setText(int field, std::string_view utf8);   // N: parsed number; D: "YYYYMMDD" or ""
    void setNumber(int field, double value);
    void setDate(int field, std::string_view yyyymmdd);  // "" for blank
    bool isBlank(int field) const;

    // Record editing. append() starts a new blank record, edit() the current one; post() writes
    // it (and every index tag) and returns only when it is durable in the file; cancel() drops it.
    void append();
    void edit();
    void post();
    void cancel();
    bool isEditing() const;
    void deleteRecord();  // marks the current record deleted; the cursor moves to the next one

    // Record filter: called with the table positioned on each candidate record.
    void setFilter(std::function<bool(const Table&)> predicate);
    void clearFilter();
    void refresh();  // re-reads header and records (another process may have written)

    // Production index
    std::vector<TagInfo> tags() const;
    bool hasProductionIndex() const;
    void addIndex(const std::string& tagName, const std::string& expression);  // builds the tag
    void deleteIndex(const std::string& tagName);
    void setActiveIndex(const std::string& tagName);  // "" = record order
    std::string activeIndex() const;
    void regenerateIndexes();  // needs exclusive use
    void pack();               // needs exclusive use; new file written beside and swapped in
    // Full structural check of the production index against the records; throws DbError.
    void checkIndexes() const;

    // Bulk loops: no per-record work beyond the loop's own.
    void disableControls();
    void enableControls();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Clears header byte 28 of a .DBF and writes nothing else. Returns false when the file cannot
// be opened; throws DbError on an I/O error after opening.
bool removeMdxByte(const std::string& dbfPath);

// Finds a companion file (".MDX", ".DBT", ".001") of a table ignoring letter case; returns the
// existing path, or the path with the letter case of the table's extension when none exists.
std::string companionPath(const std::string& tablePath, std::string_view extension);

}  // namespace dbase
