#pragma once
#include <QStringList>

namespace cli {

// quillon-cli layouts [--file URP] [--show N]: lists the stored report layouts or prints one of
// them as text. Returns the exit code (0 done, 1 failed, 2 wrong usage) and writes its own messages.
int layoutsCommand(const QStringList& args);

} // namespace cli
