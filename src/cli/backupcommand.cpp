#include "cli/backupcommand.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "backup/backuprun.h"
#include "base/paths.h"
#include "cli/clisupport.h"

namespace cli {

namespace {

std::optional<backup::Kind> kindOption(const QString& arg) {
    if (arg == QLatin1String("--table")) return backup::Kind::Table;
    if (arg == QLatin1String("--lists")) return backup::Kind::Lists;
    if (arg == QLatin1String("--settings")) return backup::Kind::Settings;
    if (arg == QLatin1String("--layouts")) return backup::Kind::Layouts;
    return std::nullopt;
}

// The one kind option and the other arguments, in order.
backup::Kind splitArguments(const QString& command, const QStringList& args, QStringList* rest) {
    std::optional<backup::Kind> kind;
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--"))) {
            const std::optional<backup::Kind> k = kindOption(a);
            if (!k) throw UsageError{QStringLiteral("unknown option %1").arg(a)};
            if (kind)
                throw UsageError{
                    QStringLiteral("%1 takes one of --table, --lists, --settings, --layouts").arg(command)};
            kind = k;
        } else {
            *rest << a;
        }
    }
    if (!kind)
        throw UsageError{
            QStringLiteral("%1 needs one of --table, --lists, --settings, --layouts").arg(command)};
    return *kind;
}

void put(FILE* f, const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fflush(f);
}

void report(const backup::Message& m) {
    if (m.caption == QLatin1String("Notice"))
        put(stdout, m.text);
    else if (m.caption == QLatin1String("Warning"))
        put(stderr, QStringLiteral("Warning: ") + m.text);
    else
        put(stderr, m.text);
}

int exitCode(backup::Outcome o) {
    return backup::ranToEnd(o) ? 0 : 1;
}

} // namespace

int backupCommand(const QStringList& args) {
    QStringList rest;
    const backup::Kind kind = splitArguments(QStringLiteral("backup"), args, &rest);
    if (rest.size() != 2) throw UsageError{QStringLiteral("backup needs a FILE and a DIR")};
    const QString file = tablePath(rest[0]);
    requireExisting(file);
    if (kind == backup::Kind::Table) requireCatalogue(file);
    const QString folder = rest[1];
    if (!QFileInfo(folder).isDir())
        throw Failure{QStringLiteral("The folder \"%1\" does not exist.").arg(folder)};
    backup::FilesHost host(file, ProgramPaths::programFolder());
    backup::BackupRun run(host, &report);
    return exitCode(run.backup(kind, folder));
}

int restoreCommand(const QStringList& args) {
    QStringList rest;
    const backup::Kind kind = splitArguments(QStringLiteral("restore"), args, &rest);
    if (rest.size() != 1) throw UsageError{QStringLiteral("restore needs one SOURCE")};
    // The source names the backup: the table itself, or a file in the backup folder whose folder
    // (and, for settings and lists, whose name) is used.
    QString source = rest[0];
    if (kind == backup::Kind::Table) {
        source = tablePath(source);
        requireExisting(source);
    } else if (!QFileInfo(QFileInfo(source).absolutePath()).isDir()) {
        throw Failure{
            QStringLiteral("The folder \"%1\" does not exist.").arg(QFileInfo(source).absolutePath())};
    }
    const QString program = ProgramPaths::programFolder();
    // The table of the backup's name in the program folder is the database being restored.
    backup::FilesHost host(QDir(program).absoluteFilePath(QFileInfo(source).fileName()), program);
    backup::BackupRun run(host, &report);
    return exitCode(run.restore(kind, source));
}

} // namespace cli
