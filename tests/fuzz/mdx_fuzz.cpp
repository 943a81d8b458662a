// libFuzzer target: arbitrary bytes as a production index file, through every read and write
// path. Only DbError may come out; a crash, a hang or any other exception is a finding.
// Run: build/fuzz/tests/fuzz/mdx_fuzz -max_total_time=60 <work dir> tests/fuzz/corpus/mdx
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "mdx_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/quillon-mdx-fuzz-" + std::to_string(getpid()) + ".mdx";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    mdxtest::exerciseMdx(path, true);
    return 0;
}
