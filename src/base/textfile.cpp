#include "base/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {

// Unicode values of the bytes 0x80..0x9F in Windows-1252 (0 marks an unassigned byte).
constexpr char16_t HighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int byteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] == c) return 0x80 + i;
    }
    if (c >= 0x80 && c < 0xA0) { // an unassigned byte read earlier maps back to itself
        if (HighControls[c - 0x80] == 0) return c;
    }
    return -1;
}

QString pathWithText(const QString& path, const QString& text) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), text);
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

QString fromCp1252(QByteArrayView bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0 && HighControls[b - 0x80] != 0)
            dst[i] = QChar(HighControls[b - 0x80]);
        else
            dst[i] = QChar(static_cast<char16_t>(b));
    }
    return out;
}

QByteArray toCp1252(QStringView text) {
    QByteArray out;
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = byteFor(text[i].unicode());
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

bool fitsCp1252(QStringView text) {
    for (QChar c : text) {
        if (byteFor(c.unicode()) < 0) return false;
    }
    return true;
}

QByteArray encodeSettingsText(QStringView text) {
    return fitsCp1252(text) ? toCp1252(text) : text.toUtf8();
}

QString decodeSettingsText(QByteArrayView bytes) {
    bool high = false;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            high = true;
            break;
        }
    }
    if (high) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError()) return text;
    }
    return fromCp1252(bytes);
}

QString systemErrorText(int errorNumber) {
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

ReadResult readAll(const QString& path, QByteArray* contents, QString* error) {
    contents->clear();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR) return ReadResult::Missing;
        if (error) *error = pathWithText(path, systemErrorText(e));
        return ReadResult::Unopenable;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error) *error = pathWithText(path, systemErrorText(EISDIR));
        return ReadResult::Unopenable;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            contents->clear();
            if (error) *error = pathWithText(path, systemErrorText(e));
            return ReadResult::Failed;
        }
        if (n == 0) break;
        contents->append(buffer, n);
    }
    ::close(fd);
    return ReadResult::Ok;
}

bool writeAtomically(const QString& path, QByteArrayView contents, QString* error) {
    // Replace the target of a symbolic link, not the link itself.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.symLinkTarget();
        if (!resolved.isEmpty()) target = resolved;
    }
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();

    mode_t mode = 0666;
    bool keepMode = false;
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
        keepMode = true;
    }

    QString tempPath;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = QStringLiteral("%1/.%2.%3.tmp")
                       .arg(folder, targetInfo.fileName())
                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        fd = ::open(QFile::encodeName(tempPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        if (error) *error = pathWithText(path, systemErrorText(errno));
        return false;
    }
    const QByteArray nativeTemp = QFile::encodeName(tempPath);
    auto fail = [&](int e) {
        if (fd >= 0) ::close(fd);
        ::unlink(nativeTemp.constData());
        if (error) *error = pathWithText(path, systemErrorText(e));
        return false;
    };
    if (keepMode && ::fchmod(fd, mode) != 0) {
        // Not fatal: the file keeps the mode the umask gave it.
    }
    if (!writeAll(fd, contents.data(), contents.size())) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        fd = -1;
        return fail(errno);
    }
    fd = -1;
    if (::rename(nativeTemp.constData(), QFile::encodeName(target).constData()) != 0) return fail(errno);
    // Make the rename itself durable.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

QList<QByteArray> splitLines(QByteArrayView bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\n' || c == '\r') {
            lines.append(bytes.sliced(start, i - start).toByteArray());
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines.append(bytes.sliced(start).toByteArray());
    return lines;
}

} // namespace textfile
