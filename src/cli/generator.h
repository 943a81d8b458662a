#pragma once
// Deterministic sample video records for catalogues used in tests and benchmarks.
//
// The same seed always gives the same sequence of records on every machine: the generator uses
// its own pseudo-random sequence and no library distribution whose results may differ.
#include <array>
#include <cstdint>
#include <string>

namespace cli {

class SampleVideos {
public:
    explicit SampleVideos(uint64_t seed);

    // One record: forty UTF-8 values in slot order. Dates are "YYYYMMDD" or "", numbers plain
    // numerals or "".
    using Record = std::array<std::string, 40>;
    void next(Record& record);

private:
    uint64_t state_;
    uint64_t serial_ = 0;

    uint64_t raw();
    uint32_t below(uint32_t n);    // uniform in [0, n)
    bool chance(uint32_t percent); // true with the given probability in percent
    std::string person();
    std::string title();
    std::string date(int fromYear, int toYear);
};

} // namespace cli
