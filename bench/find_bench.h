#pragma once
// quillon-bench find FILE [--replace]: search, locate and replace over a catalogue (see find_bench.cpp).
#include <QStringList>

// Returns the process exit code.
int findBench(const QStringList& args);
