#pragma once
#include <QStringList>

namespace cli {

// quillon-cli backup FILE (--table | --lists | --settings | --layouts) DIR and
// quillon-cli restore (--table | --lists | --settings | --layouts) SOURCE: the checks, copies and
// messages of the backup and restore windows. Notices go to standard output, warnings and errors
// to standard error. Returns the exit code (0 done, 1 refused or failed, 2 wrong usage).
int backupCommand(const QStringList& args);
int restoreCommand(const QStringList& args);

} // namespace cli
