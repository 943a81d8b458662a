#include "dbase/memo.h"

#include <cstring>
#include <vector>

#include "dbase/error.h"

namespace dbase {
namespace {
uint32_t be32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
} // namespace

void MemoFile::open(const std::string& path, Kind kind) {
    file_.open(path, false);
    kind_ = kind;
    size_ = file_.size();
    unsigned char h[32] = {};
    if (file_.readAt(0, h, sizeof h) < 8) throw DbError("The memo file " + path + " has no complete header");
    if (kind == Kind::Fpt) {
        blockSize_ = (uint32_t(h[6]) << 8) | h[7];
        if (blockSize_ == 0) blockSize_ = 64; // FoxPro default when the field is unset
    } else {
        // dBase IV keeps the block length at byte 20; dBase III leaves it 0 (512-byte blocks).
        uint32_t bs = uint32_t(h[20]) | (uint32_t(h[21]) << 8);
        blockSize_ = (bs >= 64 && bs % 64 == 0) ? bs : 512;
    }
}

std::string MemoFile::read(uint64_t block) const {
    if (block == 0) return {};
    const uint64_t offset = block * blockSize_;
    const std::string where =
        " in " + file_.path() + " (block " + std::to_string(block) + ", byte " + std::to_string(offset) + ")";
    if (offset >= size_) throw DbError("Memo block out of range" + where);
    const uint64_t avail = size_ - offset;
    unsigned char h[8] = {};
    size_t got = file_.readAt(offset, h, sizeof h);
    if (kind_ == Kind::Fpt) {
        if (got < 8) throw DbError("Truncated memo block" + where);
        const uint64_t len = be32(h + 4);
        if (len > avail - 8)
            throw DbError("Memo length " + std::to_string(len) + " exceeds the file" + where);
        std::string out(len, '\0');
        file_.readExact(offset + 8, out.data(), len, "Memo");
        return out;
    }
    if (got >= 8 && h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00) {
        // dBase IV: the length counts the 8-byte block header.
        const uint64_t len = le32(h + 4);
        if (len < 8 || len > avail)
            throw DbError("Memo length " + std::to_string(len) + " is invalid" + where);
        std::string out(len - 8, '\0');
        file_.readExact(offset + 8, out.data(), len - 8, "Memo");
        return out;
    }
    // dBase III: text up to the first 0x1A (or the end of the file).
    std::string out;
    std::vector<char> buf(4096);
    uint64_t pos = offset;
    while (pos < size_) {
        size_t n = file_.readAt(pos, buf.data(), buf.size());
        if (n == 0) break;
        const void* end = std::memchr(buf.data(), 0x1A, n);
        if (end) {
            out.append(buf.data(), static_cast<const char*>(end) - buf.data());
            return out;
        }
        out.append(buf.data(), n);
        pos += n;
    }
    return out;
}

} // namespace dbase
