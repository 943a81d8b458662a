#pragma once
// Memo files of foreign tables, read only: dBase III .DBT (512-byte blocks, text ended by 0x1A),
// dBase IV .DBT (blocks starting FF FF 08 00 + length) and FoxPro .FPT (big-endian block header).
#include <cstdint>
#include <string>

#include "dbase/fileio.h"

namespace dbase {

class MemoFile {
public:
    enum class Kind { Dbt, Fpt };
    // Throws DbError naming the memo file when it is missing or its header is malformed.
    void open(const std::string& path, Kind kind);
    bool isOpen() const { return file_.isOpen(); }
    void close() { file_.close(); }
    // Raw bytes of the memo at a block number; 0 = no memo. Throws DbError on a bad block.
    std::string read(uint64_t block) const;

private:
    File file_;
    Kind kind_ = Kind::Dbt;
    uint32_t blockSize_ = 512;
    uint64_t size_ = 0;
};

} // namespace dbase
