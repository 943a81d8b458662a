#include "backup/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "dbase/table.h"

namespace backup {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString systemText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// Closes a descriptor once, on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the error of the close (a delayed write error shows here).
    int close() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

// The new file beside the destination goes away unless it was renamed into place.
class PartialFile {
public:
    explicit PartialFile(QByteArray path) : path_(std::move(path)) {}
    ~PartialFile() {
        if (!path_.isEmpty()) ::unlink(path_.constData());
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    void keep() { path_.clear(); }

private:
    QByteArray path_;
};

CopyResult failed(const QString& what, int err) {
    return {false, err ? QStringLiteral("%1: %2").arg(what, systemText(err)) : what};
}

ssize_t readSome(int fd, char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

ssize_t writeSome(int fd, const char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

} // namespace

CopyResult copyFile(const QString& source, const QString& destination,
                    const std::function<bool(const QString&)>& beforeRename) {
    Descriptor in(::open(native(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return failed(source, errno);
    struct stat sourceStat {};
    if (::fstat(in.get(), &sourceStat) != 0) return failed(source, errno);
    // Only a regular file is copied: a folder cannot be, and a pipe or a device would never end.
    if (!S_ISREG(sourceStat.st_mode)) return failed(QStringLiteral("%1 is not a file").arg(source), 0);

    // A destination that is a symbolic link is replaced where it points.
    QString target = QFileInfo(destination).absoluteFilePath();
    const QFileInfo targetInfo(target);
    if (targetInfo.isSymLink() && targetInfo.exists()) target = targetInfo.canonicalFilePath();
    const QFileInfo finalInfo(target);
    if (finalInfo.exists() && !finalInfo.isFile())
        return failed(QStringLiteral("%1 is not a file").arg(target), 0);

    // The copy keeps the file mode of the file it replaces, else the usual mode of a new file.
    mode_t mode = 0;
    struct stat old {};
    if (::stat(native(target).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    QByteArray partialPath = native(finalInfo.absolutePath() + QStringLiteral("/.") + finalInfo.fileName() +
                                    QStringLiteral(".copy-XXXXXX"));
    Descriptor out(::mkstemp(partialPath.data()));
    if (out.get() < 0) return failed(finalInfo.absolutePath(), errno);
    PartialFile partial(partialPath);
    const QString partialName = QFile::decodeName(partialPath);
    ::fcntl(out.get(), F_SETFD, FD_CLOEXEC);

    char block[kCopyBlock];
    for (;;) {
        const ssize_t got = readSome(in.get(), block, sizeof block);
        if (got < 0) return failed(source, errno);
        if (got == 0) break;
        const ssize_t put = writeSome(out.get(), block, size_t(got));
        if (put < 0) return failed(target, errno);
        // A write that wrote fewer bytes than it was given: the disk is full (or the file has
        // reached the largest size allowed). The copy is incomplete and fails.
        if (put < got) return failed(target, ENOSPC);
    }
    // File systems without Unix modes (a FAT memory stick) refuse this; the copy is still good.
    (void)::fchmod(out.get(), mode);
    if (::fsync(out.get()) != 0) return failed(target, errno);
    if (out.close() != 0) return failed(target, errno);
    if (beforeRename && !beforeRename(partialName)) return failed(target, EIO);
    if (::rename(partialPath.constData(), native(target).constData()) != 0) return failed(target, errno);
    partial.keep();
    // The rename itself survives a crash once the folder is written.
    Descriptor folder(
        ::open(native(finalInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return {true, {}};
}

qint64 freeSpace(const QString& folder) {
    struct statvfs fs {};
    if (::statvfs(native(folder).constData(), &fs) != 0) return -1;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

bool hasRoom(qint64 free, qint64 sourceSize, qint64 existingDestinationSize) {
    if (free < 0) return false;
    return free + existingDestinationSize >= sourceSize;
}

bool sameFile(const QString& a, const QString& b) {
    const QString fullA = QDir::cleanPath(QFileInfo(a).absoluteFilePath());
    const QString fullB = QDir::cleanPath(QFileInfo(b).absoluteFilePath());
    if (fullA.compare(fullB, Qt::CaseInsensitive) == 0) return true;
    struct stat sa {
    }, sb{};
    return ::stat(native(fullA).constData(), &sa) == 0 && ::stat(native(fullB).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString fileInFolder(const QString& folder, const QString& fileName) {
    const QString found = findFileIgnoringCase(folder, fileName);
    if (!found.isEmpty()) return found;
    return QDir::cleanPath(QDir(folder).absoluteFilePath(fileName));
}

struct ExclusiveUse::Held {
    dbase::Table table;
};

ExclusiveUse::ExclusiveUse() = default;

ExclusiveUse::~ExclusiveUse() {
    release();
}

ExclusiveUse::Result ExclusiveUse::take(const QString& tablePath) {
    release();
    auto held = std::make_unique<Held>();
    try {
        held->table.open(enginePath(QFileInfo(tablePath).absoluteFilePath()), dbase::OpenMode::Exclusive);
    } catch (const dbase::LockError&) {
        return Result::HeldElsewhere;
    } catch (const dbase::DbError&) {
        return Result::Unopenable;
    }
    held_ = std::move(held);
    return Result::Taken;
}

void ExclusiveUse::release() {
    if (!held_) return;
    try {
        held_->table.close();
    } catch (const dbase::DbError&) {
        // Nothing was written through this view of the table; closing it cannot lose anything.
    }
    held_.reset();
}

} // namespace backup
