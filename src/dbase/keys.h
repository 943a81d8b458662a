#pragma once
// Helpers of the index key encodings, shared by the expression evaluator, the .MDX code and
// their tests.
#include <string>
#include <string_view>

namespace dbase {

constexpr int kMaxCharKeyLength = 100;    // longest character key of a tag
constexpr int kMaxExpressionLength = 220; // room for the expression in a tag header

// dBase STR(): the number rounded half away from zero to `dec` decimals (on its decimal digits,
// so 10.765 rounds to 10.77), right-justified in `len` characters; `len` asterisks when it does
// not fit.
std::string formatStr(double value, int len, int dec);
// The same number without padding ("-12.50", "0").
std::string formatFixed(double value, int dec);

double decodeNumericKey(std::string_view key);
// YYYYMMDD of a Julian day number; "" for 0 (blank) or out of range.
std::string dateFromJulian(double julianDay);

// Orders two keys of a tag of the given key type: C as unsigned bytes, N by numeric value of the
// BCD, D by the Julian day. Returns <0, 0, >0.
int compareKeys(char type, std::string_view a, std::string_view b);

} // namespace dbase
