#pragma once
// dBase IV production index (.MDX): 1024-byte blocks, up to 47 tags, each a B+ tree of
// (key, record number) entries ordered by key bytes, then record number.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbase/error.h"
#include "dbase/table.h"

namespace dbase {

class MdxFile {
public:
    MdxFile();
    ~MdxFile();
    MdxFile(const MdxFile&) = delete;
    MdxFile& operator=(const MdxFile&) = delete;

    // Creates an empty production index for the table base name (upper-cased into the header),
    // with exactly the given file mode (the umask does not apply).
    static void create(const std::string& path, const std::string& dbfBaseName, unsigned mode = 0644);
    // Opens an existing file; throws DbError on a malformed header or tag table.
    void open(const std::string& path, bool readOnly);
    void close();
    bool isOpen() const;
    const std::string& path() const;
    // The table base name recorded in the header (bytes 4-19), as stored.
    std::string tableName() const;

    std::vector<TagInfo> tags() const;
    int tagIndex(const std::string& name) const; // ignoring case; -1 when missing
    // Why this program cannot keep a tag current (a descending, unique or FOR-condition tag made
    // by another program), "" when it can. insert, remove and rebuildTag refuse such tags.
    std::string tagLimitation(int tag) const;

    // Adds a tag and fills it from the given entries (any order; sorted here).
    struct Entry {
        std::string key;
        uint32_t recno;
    };
    void addTag(const TagInfo& tag, std::vector<Entry> entries);
    void removeTag(const std::string& name);
    void rebuildTag(int tag, std::vector<Entry> entries); // replaces the tag's contents

    // Maintenance of one tag on append, edit and delete.
    void insert(int tag, const std::string& key, uint32_t recno);
    void remove(int tag, const std::string& key, uint32_t recno); // DbError when absent

    // Ordered walk of one tag. A cursor stays usable while the index changes under it (it finds
    // its place again by its key and record number); it must not outlive its MdxFile.
    class Cursor {
    public:
        bool first(); // false when the tag is empty
        bool last();
        // false at the end (beginning): the cursor then stays on the entry it had.
        bool next();
        bool prior();
        // Positions at the first entry >= (key, recno); false (and not valid) past the end.
        // A character key shorter than the tag's keys seeks by prefix.
        bool seek(const std::string& key, uint32_t recno = 0);
        uint32_t recno() const;
        const std::string& key() const;
        bool valid() const;

    private:
        friend class MdxFile;
        struct State;
        std::shared_ptr<State> s_;
    };
    Cursor cursor(int tag) const;

    // Structural check of one tag: pages in range, no cycles, keys in order, leaf depth equal.
    // Returns every entry in order; throws DbError naming the file, tag and page.
    std::vector<Entry> checkTag(int tag) const;

    // Writes everything buffered and fsyncs.
    void flush();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace dbase
