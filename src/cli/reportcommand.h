#pragma once
#include <QStringList>

namespace cli {

// quillon-cli report FILE [LAYOUT] [--layout N|NAME] [--file URP] (--text OUT.txt | --pdf OUT.pdf)
// [--where ... --or ...]: runs a report layout over the catalogue in its stored sort order, or
// over the search result. Returns the exit code and writes its own messages.
int reportCommand(const QStringList& args);

} // namespace cli
