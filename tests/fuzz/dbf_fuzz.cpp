// libFuzzer target: arbitrary bytes as a .DBF table, read and written through the table engine.
// Only DbError may come out; a crash, a hang or any other exception is a finding.
// Run: build/fuzz/tests/fuzz/dbf_fuzz -max_total_time=60 <work dir> tests/fuzz/corpus/dbf
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "dbf_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/quillon-dbf-fuzz-" + std::to_string(getpid()) + ".dbf";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    dbftest::exerciseDbf(path, size % 2 == 0);
    return 0;
}
