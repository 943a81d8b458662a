#include "base/printjob.h"

namespace {
int running = 0; // the program prints from its one user interface thread
}

PrintJob::PrintJob() {
    ++running;
}

PrintJob::~PrintJob() {
    --running;
}

bool PrintJob::active() {
    return running > 0;
}
