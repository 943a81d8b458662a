#include "base/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString envFolder(const char* name) {
    const QByteArray value = qgetenv(name);
    if (value.isEmpty()) return {};
    return QDir::cleanPath(QFile::decodeName(value));
}

QString ensured(const QString& folder) {
    QDir().mkpath(folder);
    return folder;
}

QString homeFolder() {
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty()) return QFile::decodeName(home);
    return QDir::homePath();
}

bool hasLowerOnly(QStringView text) {
    bool lower = false;
    for (QChar c : text) {
        if (c.isUpper()) return false;
        if (c.isLower()) lower = true;
    }
    return lower;
}

} // namespace

QString ProgramPaths::programFolder() {
    QString folder = envFolder("QUILLON_HOME");
    if (folder.isEmpty()) {
        QString data = envFolder("XDG_DATA_HOME");
        if (data.isEmpty()) data = homeFolder() + QStringLiteral("/.local/share");
        folder = data + QStringLiteral("/quillon-videos");
    }
    return ensured(QDir::cleanPath(folder));
}

QString ProgramPaths::settingsFolder() {
    QString config = envFolder("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = homeFolder() + QStringLiteral("/.config");
    return ensured(QDir::cleanPath(config + QStringLiteral("/quillon-videos")));
}

QString ProgramPaths::programSettingsFile() {
    return settingsFile(QStringLiteral("QLNVID.INI"));
}

QString ProgramPaths::masterTable() {
    return programFile(QStringLiteral("MASTER.DBF"));
}

QString ProgramPaths::programFile(const QString& name) {
    const QString folder = programFolder();
    const QString found = findFileIgnoringCase(folder, name);
    return found.isEmpty() ? folder + QLatin1Char('/') + name : found;
}

QString ProgramPaths::settingsFile(const QString& name) {
    const QString folder = settingsFolder();
    const QString found = findFileIgnoringCase(folder, name);
    return found.isEmpty() ? folder + QLatin1Char('/') + name : found;
}

QString TablePaths::baseName(const QString& tablePath) {
    const QString fileName = QFileInfo(tablePath).fileName();
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QString TablePaths::basePath(const QString& tablePath) {
    const QFileInfo info(tablePath);
    return info.absolutePath() + QLatin1Char('/') + baseName(tablePath);
}

QString TablePaths::companionPath(const QString& tablePath, QStringView extension) {
    QString ext = extension.toString();
    if (!ext.startsWith(QLatin1Char('.'))) ext.prepend(QLatin1Char('.'));
    const QFileInfo info(tablePath);
    const QString folder = info.absolutePath();
    const QString base = baseName(tablePath);
    const QString found = findFileIgnoringCase(folder, base + ext);
    if (!found.isEmpty()) return found;
    // The table's own extension decides the letter case of a new companion.
    const QString fileName = info.fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QStringView tableExt = dot < 0 ? QStringView() : QStringView(fileName).sliced(dot + 1);
    ext = hasLowerOnly(tableExt) ? ext.toLower() : ext.toUpper();
    return folder + QLatin1Char('/') + base + ext;
}

QString TablePaths::listPath(const QString& tablePath, int listNumber) {
    return companionPath(tablePath, QStringLiteral(".%1").arg(listNumber, 3, 10, QLatin1Char('0')));
}

QString findFileIgnoringCase(const QString& folder, const QString& fileName) {
    const QString exact = folder + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(exact)) return exact;
    const QDir dir(folder);
    if (!dir.exists()) return {};
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) return folder + QLatin1Char('/') + entry;
    }
    return {};
}
