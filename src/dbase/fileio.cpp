#include "dbase/fileio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dbase/error.h"

namespace dbase {

std::string errnoText(int err)
{
    return std::strerror(err);
}

File::~File()
{
    close();
}

File::File(File&& o) noexcept : fd_(o.fd_), path_(std::move(o.path_))
{
    o.fd_ = -1;
}

File& File::operator=(File&& o) noexcept
{
    if (this != &o) {
        close();
        fd_ = o.fd_;
        path_ = std::move(o.path_);
        o.fd_ = -1;
    }
    return *this;
}

bool File::tryOpen(const std::string& path, bool writable)
{
    close();
    // Never waits on a named pipe or a device standing where a file is expected.
    int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    path_ = path;
    return true;
}

void File::open(const std::string& path, bool writable, bool create)
{
    close();
    int flags = (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (create) flags |= O_CREAT | O_TRUNC;
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) throw DbError("Cannot open " + path + ": " + errnoText(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw DbError("Cannot open " + path + ": not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    path_ = path;
}

void File::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

uint64_t File::size() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw DbError("Cannot read the size of " + path_ + ": " + errnoText(errno));
    return static_cast<uint64_t>(st.st_size);
}

size_t File::readAt(uint64_t offset, void* buf, size_t n) const
{
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw DbError("Read error in " + path_ + " at byte " + std::to_string(offset + done) + ": " +
                          errnoText(errno));
        }
        if (r == 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

void File::readExact(uint64_t offset, void* buf, size_t n, const char* what) const
{
    size_t got = readAt(offset, buf, n);
    if (got != n)
        throw DbError(std::string(what) + " of " + path_ + " is truncated at byte " + std::to_string(offset + got));
}

void File::writeAt(uint64_t offset, const void* buf, size_t n)
{
    size_t done = 0;
    const auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t r = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw DbError("Write error in " + path_ + " at byte " + std::to_string(offset + done) + ": " +
                          errnoText(errno));
        }
        done += static_cast<size_t>(r);
    }
}

void File::truncate(uint64_t length)
{
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0)
        throw DbError("Cannot cut " + path_ + " at byte " + std::to_string(length) + ": " + errnoText(errno));
}

void File::sync()
{
    if (::fdatasync(fd_) != 0) throw DbError("Cannot flush " + path_ + " to disk: " + errnoText(errno));
}

namespace {
struct flock makeLock(short type, uint64_t start, uint64_t len)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;
    return fl;
}
}  // namespace

bool File::tryLock(Lock kind, uint64_t start, uint64_t len)
{
    struct flock fl = makeLock(kind == Lock::Read ? F_RDLCK : F_WRLCK, start, len);
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return false;
        throw DbError("Cannot lock " + path_ + ": " + errnoText(errno));
    }
}

void File::lockWait(Lock kind, uint64_t start, uint64_t len)
{
    struct flock fl = makeLock(kind == Lock::Read ? F_RDLCK : F_WRLCK, start, len);
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLKW, &fl) == 0) return;
        if (errno == EINTR) continue;
        throw DbError("Cannot lock " + path_ + ": " + errnoText(errno));
    }
}

void File::unlock(uint64_t start, uint64_t len)
{
    struct flock fl = makeLock(F_UNLCK, start, len);
    ::fcntl(fd_, F_OFD_SETLK, &fl);
}

bool File::conflicting(Lock kind, uint64_t start, uint64_t len) const
{
    struct flock fl = makeLock(kind == Lock::Read ? F_RDLCK : F_WRLCK, start, len);
    if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

}  // namespace dbase
