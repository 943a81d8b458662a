#pragma once
// dBase index expressions: field names, UPPER, LEFT, STR, DTOS and "+".
// Compiled once against the table's fields and evaluated on raw record bytes into key bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/table.h"

namespace dbase {

struct FieldLayout {
    FieldDef def;
    int offset = 0; // byte offset inside the record (the deletion byte is offset 0)
};

class KeyExpression {
public:
    // Throws DbError with the expression in its text on a parse error or an unknown field.
    static KeyExpression compile(std::string_view expression, const std::vector<FieldLayout>& fields);

    char keyType() const;  // 'C', 'N' or 'D'
    int keyLength() const; // C: static width; N: 12; D: 8
    const std::string& text() const;

    // Key bytes for one record (record points at the deletion byte), in the MDX encoding:
    // C blank padded, N 12-byte BCD, D little-endian double of the Julian day.
    std::string evaluate(const char* record) const;

    KeyExpression();
    ~KeyExpression();
    KeyExpression(KeyExpression&&) noexcept;
    KeyExpression& operator=(KeyExpression&&) noexcept;
    KeyExpression(const KeyExpression&);
    KeyExpression& operator=(const KeyExpression&);

    struct Node; // the compiled expression tree (defined in expr.cpp)

private:
    std::shared_ptr<const Node> root_;
    std::string text_;
    char type_ = 'C';
    int length_ = 0;
};

// Key encodings shared by the index and its tests.
std::string encodeNumericKey(double value);           // 12-byte BCD
std::string encodeDateKey(std::string_view yyyymmdd); // 8-byte double, blank -> 0.0
double decodeDateKey(std::string_view key);

} // namespace dbase
