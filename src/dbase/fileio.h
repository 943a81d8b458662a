#pragma once
// Thin POSIX file wrapper for the engine: full reads and writes with DbError texts naming the
// file and byte offset, and open-file-description locks (F_OFD_SETLK). Only regular files are
// opened: a FIFO, device or directory named as a table is refused without blocking.
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace dbase {

class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& o) noexcept;
    File& operator=(File&& o) noexcept;

    // Throws DbError naming the file when it cannot be opened.
    void open(const std::string& path, bool writable, bool create = false);
    // Returns false (errno kept) instead of throwing.
    bool tryOpen(const std::string& path, bool writable);
    // Creates a file that must not exist yet (O_EXCL), readable and writable. Returns false when
    // the name is taken; throws DbError on any other failure.
    bool createNew(const std::string& path, mode_t mode);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    uint64_t size() const;
    // Reads up to n bytes at offset; returns the count read (short only at end of file).
    size_t readAt(uint64_t offset, void* buf, size_t n) const;
    // Reads exactly n bytes or throws DbError ("... truncated at byte ...").
    void readExact(uint64_t offset, void* buf, size_t n, const char* what) const;
    void writeAt(uint64_t offset, const void* buf, size_t n);
    void truncate(uint64_t length);
    void sync();

    enum class Lock { Read, Write };
    // Non-blocking OFD lock over [start, start+len) (len 0 = to the end and beyond).
    // Returns false when another holder conflicts.
    bool tryLock(Lock kind, uint64_t start, uint64_t len);
    void lockWait(Lock kind, uint64_t start, uint64_t len);
    void unlock(uint64_t start, uint64_t len);
    // True when some other open file description holds a lock conflicting with `kind`.
    bool conflicting(Lock kind, uint64_t start, uint64_t len) const;

private:
    int fd_ = -1;
    std::string path_;
};

std::string errnoText(int err);
// Why a file could not be opened, in words: "is a directory", "is not a regular file", "no such
// file", a dangling symbolic link, or the system's text.
std::string openFailureText(const std::string& path, int err);
// Makes a rename or link in the folder of this path durable (fsync of the folder).
void syncFolderOf(const std::string& path);

} // namespace dbase
