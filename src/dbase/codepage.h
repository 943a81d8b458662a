#pragma once
// Single-byte code pages of dBase tables (header byte 29, the language driver id) and their
// conversion to and from UTF-8. Characters a code page cannot represent become '?'.
#include <cstdint>
#include <string>
#include <string_view>

namespace dbase {

class CodePage {
public:
    // The code page of a language driver id. 0x00 (unspecified), unknown ids and the multi-byte
    // Asian pages fall back to cp1252.
    static const CodePage& forId(uint8_t languageDriverId);
    static const CodePage& byName(std::string_view name); // "cp437", "cp850", "cp1252", ...

    const char* name() const { return name_; }
    std::string toUtf8(std::string_view bytes) const;
    void appendUtf8(std::string& out, std::string_view bytes) const;
    // Invalid UTF-8 sequences and unrepresentable characters become '?'.
    std::string fromUtf8(std::string_view utf8) const;

    CodePage(const char* name, const char16_t* high);

private:
    const char* name_;
    const char16_t* high_;      // code points of bytes 0x80..0xFF
    char32_t reverseKeys_[128]; // sorted code points of the upper half
    uint8_t reverseBytes_[128];
    int reverseCount_ = 0;
};

// Upper-case ASCII letters only (field and tag names).
std::string asciiUpper(std::string_view s);

} // namespace dbase
