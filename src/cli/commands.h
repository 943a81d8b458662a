#pragma once
#include <QStringList>
#include <string>
#include <string_view>

namespace cli {

// Runs one command line (without the program name); returns the exit code:
// 0 done, 1 failed (message on stderr), 2 wrong usage.
int run(const QStringList& args);

// A value as one tab-separated output field: tab, CR, LF and backslash become \t, \r, \n, \\.
void appendEscaped(std::string& out, std::string_view value);

} // namespace cli
