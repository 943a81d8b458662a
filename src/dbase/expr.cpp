// dBase index expressions: a small recursive-descent parser producing a typed tree, and the
// evaluation of that tree on raw record bytes into MDX key bytes.
#include "dbase/expr.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dbase/keys.h"

namespace dbase {

struct KeyExpression::Node {
    enum class Op { Field, Upper, Left, Str, Dtos, Concat };
    Op op = Op::Field;
    char type = 'C'; // result type: 'C' text of `width` bytes, 'N' number, 'D' date
    int width = 0;   // C results only
    // Field
    int offset = 0;
    int fieldWidth = 0;
    char fieldType = 'C';
    // LEFT: n; STR: len, dec
    int n = 0;
    int dec = 0;
    std::vector<std::shared_ptr<const Node>> args;
};

namespace {

using NodePtr = std::shared_ptr<const KeyExpression::Node>;

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldLayout>& fields) : text_(text), fields_(fields) {}

    NodePtr parse() {
        NodePtr root = parseSum();
        skipBlanks();
        if (pos_ != text_.size()) fail("unexpected \"" + std::string(1, text_[pos_]) + "\"");
        return root;
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw DbError("Invalid index expression \"" + std::string(text_) + "\": " + what + " at position " +
                      std::to_string(pos_ + 1));
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
            ++pos_;
    }
    bool accept(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!accept(c))
            fail(pos_ < text_.size() ? "expected \"" + std::string(1, c) + "\""
                                     : "unexpected end, expected \"" + std::string(1, c) + "\"");
    }

    NodePtr parseSum() {
        NodePtr left = parsePrimary();
        std::vector<NodePtr> parts{left};
        while (accept('+'))
            parts.push_back(parsePrimary());
        if (parts.size() == 1) return left;
        auto node = std::make_shared<KeyExpression::Node>();
        node->op = KeyExpression::Node::Op::Concat;
        node->type = 'C';
        for (const auto& p : parts) {
            if (p->type != 'C') fail("\"+\" joins character values only");
            node->width += p->width;
        }
        node->args = std::move(parts);
        return node;
    }

    int parseInteger() {
        skipBlanks();
        size_t start = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        if (start == pos_) fail("expected a whole number");
        if (pos_ - start > 4) fail("number too large");
        return std::stoi(std::string(text_.substr(start, pos_ - start)));
    }

    NodePtr parsePrimary() {
        skipBlanks();
        if (pos_ >= text_.size()) fail("unexpected end");
        if (text_[pos_] == '(') {
            ++pos_;
            NodePtr inner = parseSum();
            expect(')');
            return inner;
        }
        size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        if (start == pos_) fail("unexpected \"" + std::string(1, text_[pos_]) + "\"");
        std::string_view name = text_.substr(start, pos_ - start);
        if (accept('(')) return parseCall(name);
        return fieldNode(name, start);
    }

    NodePtr fieldNode(std::string_view name, size_t start) {
        for (const auto& f : fields_) {
            if (!iequals(f.def.name, name)) continue;
            auto node = std::make_shared<KeyExpression::Node>();
            node->op = KeyExpression::Node::Op::Field;
            node->offset = f.offset;
            node->fieldWidth = f.def.width;
            node->fieldType = f.def.type;
            switch (f.def.type) {
            case 'C':
                node->type = 'C';
                node->width = f.def.width;
                break;
            case 'N':
            case 'F':
                node->type = 'N';
                break;
            case 'D':
                node->type = 'D';
                break;
            default:
                pos_ = start;
                fail("field " + std::string(name) + " of type " + std::string(1, f.def.type) +
                     " cannot be indexed");
            }
            return node;
        }
        pos_ = start;
        fail("unknown field " + std::string(name));
    }

    NodePtr parseCall(std::string_view name) {
        auto node = std::make_shared<KeyExpression::Node>();
        using Op = KeyExpression::Node::Op;
        if (iequals(name, "UPPER")) {
            NodePtr arg = parseSum();
            expect(')');
            if (arg->type != 'C') fail("UPPER needs a character value");
            node->op = Op::Upper;
            node->type = 'C';
            node->width = arg->width;
            node->args = {arg};
        } else if (iequals(name, "LEFT")) {
            NodePtr arg = parseSum();
            expect(',');
            int n = parseInteger();
            expect(')');
            if (arg->type != 'C') fail("LEFT needs a character value");
            if (n < 1) fail("LEFT needs a length of at least 1");
            node->op = Op::Left;
            node->type = 'C';
            node->n = std::min(n, arg->width);
            node->width = node->n;
            node->args = {arg};
        } else if (iequals(name, "STR")) {
            NodePtr arg = parseSum();
            int len = 10;
            int dec = 0;
            if (accept(',')) {
                len = parseInteger();
                if (accept(',')) dec = parseInteger();
            }
            expect(')');
            if (arg->type != 'N') fail("STR needs a numeric value");
            if (len < 1 || len > 254) fail("STR length must be 1 to 254");
            if (dec > 15) fail("STR decimals must be 0 to 15");
            node->op = Op::Str;
            node->type = 'C';
            node->n = len;
            node->dec = dec;
            node->width = len;
            node->args = {arg};
        } else if (iequals(name, "DTOS")) {
            NodePtr arg = parseSum();
            expect(')');
            if (arg->type != 'D') fail("DTOS needs a date value");
            node->op = Op::Dtos;
            node->type = 'C';
            node->width = 8;
            node->args = {arg};
        } else {
            fail("unknown function " + std::string(name));
        }
        return node;
    }

    std::string_view text_;
    const std::vector<FieldLayout>& fields_;
    size_t pos_ = 0;
};

// Value of a numeric field from its ASCII: blanks, an empty field or garbage read as 0.
double parseNumber(const char* p, int width) {
    char buf[64];
    int n = 0;
    for (int i = 0; i < width && n < 63; ++i) {
        char c = p[i];
        if (c == ' ' || c == '\0') continue;
        buf[n++] = c;
    }
    buf[n] = '\0';
    if (n == 0) return 0.0;
    char* end = nullptr;
    double v = std::strtod(buf, &end);
    if (end == buf || !std::isfinite(v)) return 0.0;
    return v;
}

void evalC(const KeyExpression::Node& node, const char* record, std::string& out);

double evalN(const KeyExpression::Node& node, const char* record) {
    // Only fields produce numbers.
    return parseNumber(record + node.offset, node.fieldWidth);
}

// The stored date of a D field as YYYYMMDD or 8 blanks when blank.
void evalD(const KeyExpression::Node& node, const char* record, std::string& out) {
    const char* p = record + node.offset;
    int w = std::min(node.fieldWidth, 8);
    std::string s(p, static_cast<size_t>(w));
    s.resize(8, ' ');
    bool valid = true;
    for (char c : s)
        if (c < '0' || c > '9') valid = false;
    if (!valid || s == "00000000") s = "        ";
    out += s;
}

void evalC(const KeyExpression::Node& node, const char* record, std::string& out) {
    using Op = KeyExpression::Node::Op;
    switch (node.op) {
    case Op::Field:
        out.append(record + node.offset, static_cast<size_t>(node.fieldWidth));
        break;
    case Op::Upper: {
        size_t start = out.size();
        evalC(*node.args[0], record, out);
        for (size_t i = start; i < out.size(); ++i)
            if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
        break;
    }
    case Op::Left: {
        size_t start = out.size();
        evalC(*node.args[0], record, out);
        out.resize(start + static_cast<size_t>(node.n), ' ');
        break;
    }
    case Op::Str:
        out += formatStr(evalN(*node.args[0], record), node.n, node.dec);
        break;
    case Op::Dtos:
        evalD(*node.args[0], record, out);
        break;
    case Op::Concat:
        for (const auto& a : node.args)
            evalC(*a, record, out);
        break;
    }
}

} // namespace

KeyExpression::KeyExpression() = default;
KeyExpression::~KeyExpression() = default;
KeyExpression::KeyExpression(KeyExpression&&) noexcept = default;
KeyExpression& KeyExpression::operator=(KeyExpression&&) noexcept = default;
KeyExpression::KeyExpression(const KeyExpression&) = default;
KeyExpression& KeyExpression::operator=(const KeyExpression&) = default;

KeyExpression KeyExpression::compile(std::string_view expression, const std::vector<FieldLayout>& fields) {
    Parser parser(expression, fields);
    KeyExpression e;
    e.root_ = parser.parse();
    e.text_ = std::string(expression);
    e.type_ = e.root_->type;
    if (e.type_ == 'C') {
        e.length_ = e.root_->width;
        if (e.length_ > kMaxCharKeyLength)
            throw DbError("Invalid index expression \"" + e.text_ + "\": the key is " +
                          std::to_string(e.length_) + " characters long, at most " +
                          std::to_string(kMaxCharKeyLength) + " are allowed");
        if (e.length_ < 1) throw DbError("Invalid index expression \"" + e.text_ + "\": the key is empty");
    } else if (e.type_ == 'N') {
        e.length_ = 12;
    } else {
        e.length_ = 8;
    }
    if (e.text_.size() > kMaxExpressionLength)
        throw DbError("Invalid index expression \"" + e.text_ + "\": longer than " +
                      std::to_string(kMaxExpressionLength) + " characters");
    return e;
}

char KeyExpression::keyType() const {
    return type_;
}
int KeyExpression::keyLength() const {
    return length_;
}
const std::string& KeyExpression::text() const {
    return text_;
}

std::string KeyExpression::evaluate(const char* record) const {
    if (!root_) throw DbError("Index expression not compiled");
    std::string out;
    switch (type_) {
    case 'C':
        out.reserve(static_cast<size_t>(length_));
        evalC(*root_, record, out);
        out.resize(static_cast<size_t>(length_), ' ');
        return out;
    case 'N':
        return encodeNumericKey(evalN(*root_, record));
    default:
        evalD(*root_, record, out);
        return encodeDateKey(out);
    }
}

// ---------------------------------------------------------------------------------------------
// Number formatting and key encodings

namespace {

// The decimal digits of |v| (15 significant digits, the precision a double holds safely) and
// the exponent e with |v| = 0.d1d2d3... * 10^e. Returns false for zero.
bool decimalDigits(double v, std::string& digits, int& exponent) {
    v = std::fabs(v);
    if (v == 0.0 || !std::isfinite(v)) return false;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    // buf: d.dddddddddddddde[+-]XX
    digits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    exponent = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;
    return true;
}

} // namespace

std::string formatFixed(double value, int dec) {
    std::string digits;
    int e = 0;
    bool negative = value < 0;
    std::string intPart = "0";
    std::string fracPart(static_cast<size_t>(dec), '0');
    if (decimalDigits(value, digits, e)) {
        // Keep the digits down to 10^-dec, rounding half away from zero on the decimal digits.
        int keep = e + dec;
        if (keep < 0) {
            digits.clear();
        } else {
            if (keep < static_cast<int>(digits.size())) {
                bool up = digits[static_cast<size_t>(keep)] >= '5';
                digits.resize(static_cast<size_t>(keep));
                if (up) {
                    int i = keep - 1;
                    for (; i >= 0; --i) {
                        if (digits[static_cast<size_t>(i)] == '9') {
                            digits[static_cast<size_t>(i)] = '0';
                        } else {
                            ++digits[static_cast<size_t>(i)];
                            break;
                        }
                    }
                    if (i < 0) {
                        digits.insert(digits.begin(), '1');
                        ++e;
                        ++keep;
                    }
                }
            }
            digits.resize(static_cast<size_t>(keep), '0');
        }
        // digits now holds exactly e integer digits (when e > 0) followed by dec decimals,
        // or, for e <= 0, the decimals after -e leading zeros.
        if (!digits.empty()) {
            std::string all;
            if (e > 0) {
                all = digits;
            } else {
                all = std::string(static_cast<size_t>(-e), '0') + digits;
                all = all.substr(0, static_cast<size_t>(dec));
                all.insert(all.begin(), '0');
                // all is "0" + dec decimals
            }
            size_t intLen = all.size() - static_cast<size_t>(dec);
            intPart = all.substr(0, intLen);
            size_t nz = intPart.find_first_not_of('0');
            intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
            fracPart = all.substr(intLen);
        }
    }
    bool zero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::string s = (negative && !zero) ? "-" : "";
    s += intPart;
    if (dec > 0) s += "." + fracPart;
    return s;
}

std::string formatStr(double value, int len, int dec) {
    std::string s = formatFixed(value, dec);
    if (static_cast<int>(s.size()) > len) return std::string(static_cast<size_t>(len), '*');
    return std::string(static_cast<size_t>(len) - s.size(), ' ') + s;
}

std::string encodeNumericKey(double value) {
    std::string key(12, '\0');
    std::string digits;
    int e = 0;
    if (!decimalDigits(value, digits, e) || e < -0x34 || e > 0xFF - 0x34) {
        key[0] = 0x34;
        key[1] = 0x01;
        return key;
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.size() > 20) digits.resize(20);
    key[0] = static_cast<char>(0x34 + e);
    key[1] = static_cast<char>((value < 0 ? 0x80 : 0) | (static_cast<int>(digits.size()) << 2) | 1);
    for (size_t i = 0; i < digits.size(); ++i) {
        int d = digits[i] - '0';
        size_t b = 2 + i / 2;
        if (i % 2 == 0)
            key[b] = static_cast<char>(d << 4);
        else
            key[b] = static_cast<char>(static_cast<unsigned char>(key[b]) | d);
    }
    return key;
}

double decodeNumericKey(std::string_view key) {
    if (key.size() < 2) return 0.0;
    auto b = [&](size_t i) { return i < key.size() ? static_cast<unsigned char>(key[i]) : 0u; };
    int count = (b(1) >> 2) & 0x1F;
    if (count == 0) return 0.0;
    std::string s = "0.";
    for (int i = 0; i < count && i < 20; ++i) {
        unsigned v = b(2 + static_cast<size_t>(i) / 2);
        s += static_cast<char>('0' + ((i % 2 == 0) ? (v >> 4) : (v & 0xF)) % 10);
    }
    s += 'e';
    s += std::to_string(static_cast<int>(b(0)) - 0x34);
    double v = std::strtod(s.c_str(), nullptr);
    return (b(1) & 0x80) ? -v : v;
}

namespace {

long julianDay(int y, int m, int d) {
    // Gregorian calendar date to Julian day number.
    long a = (14 - m) / 12;
    long yy = y + 4800 - a;
    long mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

} // namespace

std::string encodeDateKey(std::string_view yyyymmdd) {
    double jd = 0.0;
    if (yyyymmdd.size() >= 8) {
        bool digits = true;
        for (size_t i = 0; i < 8; ++i)
            if (yyyymmdd[i] < '0' || yyyymmdd[i] > '9') digits = false;
        if (digits) {
            int y = std::stoi(std::string(yyyymmdd.substr(0, 4)));
            int m = std::stoi(std::string(yyyymmdd.substr(4, 2)));
            int d = std::stoi(std::string(yyyymmdd.substr(6, 2)));
            if (m >= 1 && m <= 12 && d >= 1 && d <= 31 && y > 0) jd = static_cast<double>(julianDay(y, m, d));
        }
    }
    std::string key(8, '\0');
    std::memcpy(key.data(), &jd, 8); // little-endian hosts only (x86-64, arm64)
    return key;
}

double decodeDateKey(std::string_view key) {
    double v = 0.0;
    if (key.size() >= 8) std::memcpy(&v, key.data(), 8);
    return v;
}

std::string dateFromJulian(double jd) {
    if (!(jd >= 1.0) || jd > 1e8) return "";
    long j = static_cast<long>(jd);
    long a = j + 32044;
    long b = (4 * a + 3) / 146097;
    long c = a - 146097 * b / 4;
    long d = (4 * c + 3) / 1461;
    long e = c - 1461 * d / 4;
    long m = (5 * e + 2) / 153;
    long day = e - (153 * m + 2) / 5 + 1;
    long month = m + 3 - 12 * (m / 10);
    long year = 100 * b + d - 4800 + m / 10;
    if (year < 1 || year > 9999) return "";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04ld%02ld%02ld", year, month, day);
    return buf;
}

int compareKeys(char type, std::string_view a, std::string_view b) {
    if (type == 'D') {
        double x = decodeDateKey(a);
        double y = decodeDateKey(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (type == 'N') {
        auto byte = [](std::string_view k, size_t i) {
            return i < k.size() ? static_cast<unsigned char>(k[i]) : 0u;
        };
        auto sign = [&](std::string_view k) {
            if (((byte(k, 1) >> 2) & 0x1F) == 0) return 0;
            return (byte(k, 1) & 0x80) ? -1 : 1;
        };
        int sa = sign(a);
        int sb = sign(b);
        if (sa != sb) return sa < sb ? -1 : 1;
        if (sa == 0) return 0;
        int c = 0;
        if (byte(a, 0) != byte(b, 0)) {
            c = byte(a, 0) < byte(b, 0) ? -1 : 1;
        } else {
            for (size_t i = 2; i < 12 && c == 0; ++i)
                if (byte(a, i) != byte(b, i)) c = byte(a, i) < byte(b, i) ? -1 : 1;
        }
        return sa > 0 ? c : -c;
    }
    size_t n = std::min(a.size(), b.size());
    int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace dbase
