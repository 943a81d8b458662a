#pragma once
// quillon-bench viewer FILE: the viewer model over a catalogue (see viewer_bench.cpp).
#include <QStringList>

// Returns the process exit code.
int viewerBench(const QStringList& args);
