#include "dbase/fileio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dbase/error.h"

namespace dbase {

std::string errnoText(int err) {
    return std::strerror(err);
}

File::~File() {
    close();
}

File::File(File&& o) noexcept : fd_(o.fd_), path_(std::move(o.path_)) {
    o.fd_ = -1;
}

File& File::operator=(File&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.fd_;
        path_ = std::move(o.path_);
        o.fd_ = -1;
    }
    return *this;
}

namespace {

// Opens only regular files. O_NONBLOCK keeps a FIFO or device from blocking the open; the flag is
// cleared again once fstat has shown a regular file. Returns the descriptor or -1 with errno set
// (EISDIR for a directory, EINVAL for any other kind of file).
int openRegular(const std::string& path, int flags, mode_t mode = 0666) {
    int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

} // namespace

std::string openFailureText(const std::string& path, int err) {
    if (err == EISDIR) return path + " is a directory";
    if (err == EINVAL) return path + " is not a regular file";
    if (err == ENOENT) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return path + " is a symbolic link to a file that does not exist";
        return path + ": no such file";
    }
    return "Cannot open " + path + ": " + errnoText(err);
}

void syncFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool File::tryOpen(const std::string& path, bool writable) {
    close();
    int fd = openRegular(path, writable ? O_RDWR : O_RDONLY);
    if (fd < 0) return false;
    fd_ = fd;
    path_ = path;
    return true;
}

void File::open(const std::string& path, bool writable, bool create) {
    close();
    int flags = writable ? O_RDWR : O_RDONLY;
    if (create) flags |= O_CREAT | O_TRUNC;
    int fd = openRegular(path, flags);
    if (fd < 0) throw DbError(openFailureText(path, errno));
    fd_ = fd;
    path_ = path;
}

bool File::createNew(const std::string& path, mode_t mode) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        if (errno == EEXIST) return false;
        throw DbError("Cannot create " + path + ": " + errnoText(errno));
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void File::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw DbError("Cannot read the size of " + path_ + ": " + errnoText(errno));
    return static_cast<uint64_t>(st.st_size);
}

size_t File::readAt(uint64_t offset, void* buf, size_t n) const {
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw IoError("Read error in " + path_ + " at byte " + std::to_string(offset + done) + ": " +
                          errnoText(errno));
        }
        if (r == 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

void File::readExact(uint64_t offset, void* buf, size_t n, const char* what) const {
    size_t got = readAt(offset, buf, n);
    if (got != n)
        throw DbError(std::string(what) + " of " + path_ + " is truncated at byte " +
                      std::to_string(offset + got));
}

void File::writeAt(uint64_t offset, const void* buf, size_t n) {
    size_t done = 0;
    const auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t r = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw IoError("Write error in " + path_ + " at byte " + std::to_string(offset + done) + ": " +
                          errnoText(errno));
        }
        done += static_cast<size_t>(r);
    }
}

void File::truncate(uint64_t length) {
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0)
        throw IoError("Cannot cut " + path_ + " at byte " + std::to_string(length) + ": " + errnoText(errno));
}

void File::sync() {
    if (::fdatasync(fd_) != 0) throw IoError("Cannot flush " + path_ + " to disk: " + errnoText(errno));
}

namespace {
struct flock makeLock(short type, uint64_t start, uint64_t len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;
    return fl;
}
} // namespace

bool File::tryLock(Lock kind, uint64_t start, uint64_t len) {
    struct flock fl = makeLock(kind == Lock::Read ? F_RDLCK : F_WRLCK, start, len);
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return false;
        throw DbError("Cannot lock " + path_ + ": " + errnoText(errno));
    }
}

void File::lockWait(Lock kind, uint64_t start, uint64_t len) {
    struct flock fl = makeLock(kind == Lock::Read ? F_RDLCK : F_WRLCK, start, len);
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLKW, &fl) == 0) return;
        if (errno == EINTR) continue;
        throw DbError("Cannot lock " + path_ + ": " + errnoText(errno));
    }
}

void File::unlock(uint64_t start, uint64_t len) {
    struct flock fl = makeLock(F_UNLCK, start, len);
    ::fcntl(fd_, F_OFD_SETLK, &fl);
}

bool File::conflicting(Lock kind, uint64_t start, uint64_t len) const {
    struct flock fl = makeLock(kind == Lock::Read ? F_RDLCK : F_WRLCK, start, len);
    if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

} // namespace dbase
