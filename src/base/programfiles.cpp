#include "base/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "base/paths.h"

static void initBuiltInLists() {
    Q_INIT_RESOURCE(lists);
}

namespace {

// Where the files come from, relative to the share folder, and where they go, relative to the
// program folder; the name pattern is matched ignoring letter case.
struct ShippedFolder {
    const char* from;
    const char* pattern;
    const char* to;
};
constexpr ShippedFolder kShipped[] = {
    {"lists", "*.lst", ""},
    {"help", "*.html", "help"},
};

bool isFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// A path inside a folder (the built-in folder ":/" included).
QString inside(const QString& parent, const QString& name) {
    return QDir::cleanPath(parent + QLatin1Char('/') + name);
}

// A folder inside parent found ignoring letter case, else parent/name.
QString subFolder(const QString& parent, const QString& name) {
    if (name.isEmpty()) return parent;
    const QDir dir(parent);
    const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return inside(parent, entry);
    }
    return inside(parent, name);
}

QString copyFile(const QString& from, const QString& to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return in.errorString();
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) return out.errorString();
    char block[8192];
    for (;;) {
        const qint64 n = in.read(block, sizeof block);
        if (n < 0) {
            out.cancelWriting();
            return in.errorString();
        }
        if (n == 0) break;
        if (out.write(block, n) != n) {
            out.cancelWriting();
            return out.errorString();
        }
    }
    if (!out.commit()) return out.errorString();
    QFile::setPermissions(to, QFile::permissions(to) | QFile::ReadOwner | QFile::WriteOwner);
    return {};
}

} // namespace

QString ProgramFiles::shareFolder(const QString& executableFolder) {
    const QString installed = QDir::cleanPath(executableFolder + QStringLiteral("/" QUILLON_SHARE_FROM_BIN));
    if (isFolder(installed)) return installed;
    // Run from the build folder (the program or a test program): the source tree's files.
    const QString build = QDir::cleanPath(QStringLiteral(QUILLON_BUILD_FOLDER));
    const QString exe = QDir::cleanPath(executableFolder);
    if ((exe == build || exe.startsWith(build + QLatin1Char('/'))) &&
        isFolder(QStringLiteral(QUILLON_SOURCE_SHARE)))
        return QDir::cleanPath(QStringLiteral(QUILLON_SOURCE_SHARE));
    return {};
}

QString ProgramFiles::shareFolder() {
    const QString found = shareFolder(QCoreApplication::instance()
                                          ? QCoreApplication::applicationDirPath()
                                          : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
    if (!found.isEmpty()) return found;
    initBuiltInLists();
    return QString::fromLatin1(BuiltInShare);
}

ProgramFiles::Provided ProgramFiles::provideMissing(const QString& shareFolder,
                                                    const QString& programFolder) {
    Provided result;
    if (!isFolder(shareFolder)) return result;
    for (const ShippedFolder& shipped : kShipped) {
        const QString from = subFolder(shareFolder, QString::fromLatin1(shipped.from));
        if (!isFolder(from)) continue;
        const QStringList names = QDir(from).entryList({QString::fromLatin1(shipped.pattern)},
                                                       QDir::Files | QDir::Readable, QDir::Name);
        if (names.isEmpty()) continue;
        const QString to = subFolder(programFolder, QString::fromLatin1(shipped.to));
        if (!QDir().mkpath(to)) {
            result.problems << QStringLiteral("%1: the folder cannot be created").arg(to);
            continue;
        }
        for (const QString& name : names) {
            if (!findFileIgnoringCase(to, name).isEmpty()) continue;
            const QString target = inside(to, name);
            const QString error = copyFile(inside(from, name), target);
            if (error.isEmpty())
                result.copied << target;
            else
                result.problems << QStringLiteral("%1: %2").arg(target, error);
        }
    }
    return result;
}
