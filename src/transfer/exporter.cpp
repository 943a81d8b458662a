#include "transfer/exporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "catalogue/fieldslots.h"
#include "catalogue/settings.h"
#include "dbase/codepage.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "transfer/delimitedtext.h"

namespace transfer {

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The most bytes one value adds to a line: a comma, the enclosing quotes and at most
// MaxFieldLength characters, each of them doubled when it is a double quote.
constexpr size_t MaxValueBytes = 2 * size_t(MaxFieldLength) + 3;

// Writes one Windows-1252 value at out the way appendDelimitedValue does: trimmed of blanks,
// quotes doubled, at most MaxFieldLength characters, enclosed in quotes. Returns the end.
// readable: the sixteen bytes from the value's start may be read even where the value is shorter.
char* putBytes(char* out, std::string_view value, bool first, bool readable = false) {
    if (!first) *out++ = ',';
    *out++ = '"';
    size_t from = 0, to = value.size();
    while (from < to && value[from] == ' ')
        ++from;
    while (to > from && value[to - 1] == ' ')
        --to;
    const char* p = value.data() + from;
    size_t n = std::min(to - from, size_t(MaxFieldLength));
#if defined(__SSE2__)
    // A short value without quotes, as most are, goes in one sixteen-byte copy (the room of a
    // value is far more than sixteen bytes).
    if (readable && n <= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto quotes = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('"'))));
        if ((quotes & ((1u << n) - 1)) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
            out += n;
            *out++ = '"';
            return out;
        }
    }
#endif
    // Each double quote doubled: the text up to and including it, then the quote once more.
    for (const void* q; n > 0 && (q = std::memchr(p, '"', n)) != nullptr;) {
        const size_t upTo = size_t(static_cast<const char*>(q) - p) + 1;
        std::memcpy(out, p, upTo);
        out += upTo;
        *out++ = '"';
        p += upTo;
        n -= upTo;
    }
    std::memcpy(out, p, n);
    out += n;
    *out++ = '"';
    return out;
}

bool isAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Writes one UTF-8 value the same way, converted to Windows-1252 when it is not ASCII.
char* putText(char* out, std::string_view utf8, bool first, const dbase::CodePage& cp1252) {
    size_t from = 0, to = utf8.size();
    while (from < to && utf8[from] == ' ')
        ++from;
    while (to > from && utf8[to - 1] == ' ')
        --to;
    const std::string_view value = utf8.substr(from, to - from);
    if (isAscii(value)) return putBytes(out, value, first);
    return putBytes(out, cp1252.fromUtf8(value), first);
}

// The length of stored bytes without the blanks and NUL bytes the engine drops from a value's
// end; sixteen or eight bytes at a time, since text fields are mostly blank.
size_t storedLength(const char* p, size_t n) {
#if defined(__SSE2__)
    const __m128i notBlankOrNul = _mm_set1_epi8(char(0xDF)); // ' ' and '\0' differ only in bit 5
    const __m128i zero = _mm_setzero_si128();
    while (n >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));
        const auto blank = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, notBlankOrNul), zero)));
        if (blank != 0xFFFF) return n - 16 + size_t(31 - __builtin_clz(~blank & 0xFFFF)) + 1;
        n -= 16;
    }
#endif
    constexpr uint64_t NotBlankOrNul = 0xDFDFDFDFDFDFDFDFull;
    while (n >= 8) {
        uint64_t word;
        std::memcpy(&word, p + n - 8, 8);
        if ((word & NotBlankOrNul) != 0) break;
        n -= 8;
    }
    while (n > 0 && (static_cast<unsigned char>(p[n - 1]) & 0xDF) == 0)
        --n;
    return n;
}

// The stored bytes without the blanks and NUL bytes the engine drops from a value's ends.
std::string_view trimStored(std::string_view s, bool left) {
    s = s.substr(0, storedLength(s.data(), s.size()));
    while (left && !s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    return s;
}

// Ends a whole-catalogue walk: the search set again and the table back on its record.
class WalkScope {
public:
    WalkScope(dbase::Table& table, const ExportRequest& request) : table_(table), request_(request) {
        bookmark_ = table.bookmark();
        if (request.endSearch) {
            request.endSearch();
            ended_ = true;
        }
    }
    ~WalkScope() {
        try {
            if (ended_ && request_.restoreSearch) request_.restoreSearch();
            if (!bookmark_ || !table_.gotoBookmark(bookmark_)) table_.first();
        } catch (const dbase::DbError&) {
            // The table could not be read again; its next reader reports why.
        }
    }

private:
    dbase::Table& table_;
    const ExportRequest& request_;
    uint32_t bookmark_ = 0;
    bool ended_ = false;
};

dbase::FieldKind kindOf(int slot) {
    switch (fieldSlot(slot).typeCode) {
    case TypeInteger:
        return dbase::FieldKind::Integer;
    case TypeFloat:
        return dbase::FieldKind::Float;
    case TypeDate:
        return dbase::FieldKind::Date;
    default:
        return dbase::FieldKind::String;
    }
}

void report(const ExportRequest& request, uint64_t done, uint64_t total) {
    if (request.progress) request.progress(done, total);
}

// Dates of days 1 to 28, which every month of every year has, are written by putting their
// stored digits in the order of the format's text, with its separator: "dd/mm/yyyy" or
// "mm/dd/yyyy" and the like. The order is taken from the format and checked against its own text
// of two dates; when they differ, or the separator is no plain character, every date takes the
// general way.
class DateDigits {
public:
    explicit DateDigits(const DateFormat& dates) {
        const QChar sep = dates.separator();
        if (sep.unicode() <= 0x20 || sep.unicode() >= 0x7F || sep == QLatin1Char('"')) return;
        separator_ = char(sep.unicode());
        dayFirst_ = dates.dayFirst();
        usable_ = true;
        for (const char* sample : {"19970304", "20261127"}) {
            char text[TextLength];
            put(text, sample);
            if (dates.formatFull(QLatin1String(sample)) != QLatin1String(text, TextLength)) usable_ = false;
        }
    }

    // Writes the value (comma, quotes) when the stored date is one of those days.
    bool put(char*& out, std::string_view stored, bool first) const {
        if (!usable_ || stored.size() != 8) return false;
        for (char c : stored)
            if (c < '0' || c > '9') return false;
        if (stored.substr(0, 4) == "0000") return false;
        const int month = (stored[4] - '0') * 10 + (stored[5] - '0');
        const int day = (stored[6] - '0') * 10 + (stored[7] - '0');
        if (month < 1 || month > 12 || day < 1 || day > 28) return false;
        if (!first) *out++ = ',';
        *out++ = '"';
        put(out, stored.data());
        out += TextLength;
        *out++ = '"';
        return true;
    }

private:
    static constexpr size_t TextLength = 10;
    void put(char* text, const char* yyyymmdd) const {
        const char* first = yyyymmdd + (dayFirst_ ? 6 : 4);
        const char* second = yyyymmdd + (dayFirst_ ? 4 : 6);
        text[0] = first[0];
        text[1] = first[1];
        text[2] = separator_;
        text[3] = second[0];
        text[4] = second[1];
        text[5] = separator_;
        std::memcpy(text + 6, yyyymmdd, 4);
    }

    bool usable_ = false;
    bool dayFirst_ = false;
    char separator_ = '/';
};

// The export texts of dates by their stored bytes: a date's text depends on nothing else, and a
// catalogue holds few distinct dates. Eight-byte values (every dBase date field) with short texts
// are kept in a table addressed by their bytes, where a newer date takes the place of an older
// one; others in a map.
class DateTexts {
public:
    DateTexts() : slots_(size_t(1) << Bits) {}

    std::string_view text(const dbase::Table& table, int field, std::string_view stored,
                          const DateFormat& dates) {
        if (stored.size() == 8) {
            uint64_t key;
            std::memcpy(&key, stored.data(), 8);
            Slot& slot = slots_[size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - Bits))];
            if (slot.length <= sizeof slot.text && slot.key == key) return {slot.text, slot.length};
            const std::string text = exportValueText(table, field, dates).toStdString();
            if (text.size() <= sizeof slot.text) {
                slot.key = key;
                slot.length = uint8_t(text.size());
                std::memcpy(slot.text, text.data(), text.size());
                return {slot.text, slot.length};
            }
        }
        auto known = others_.find(std::string(stored));
        if (known == others_.end()) {
            if (others_.size() >= (1u << 16)) others_.clear();
            known = others_.emplace(std::string(stored), exportValueText(table, field, dates).toStdString())
                        .first;
        }
        return known->second;
    }

private:
    static constexpr int Bits = 14;
    struct Slot {
        uint64_t key = 0;
        uint8_t length = 0xFF; // more than the text holds: an empty slot
        char text[23];
    };
    std::vector<Slot> slots_;
    std::unordered_map<std::string, std::string> others_;
};

bool writeAscii(dbase::Table& table, const ExportRequest& request, const std::vector<int>& fields,
                ExportResult& result) {
    QSaveFile out(request.path);
    if (!out.open(QIODevice::WriteOnly)) {
        result.message = QStringLiteral("%1: %2").arg(request.path, out.errorString());
        return false;
    }
    // The count needs a pass of its own: only a progress display wants it.
    const uint64_t total = request.progress ? table.recordCount() : 0;
    // Lines are made in a block that goes to the file whenever it holds FlushBytes or more; the
    // block has room for one more line of the longest values beyond that.
    constexpr size_t FlushBytes = size_t(1) << 18;
    const size_t lineRoom = fields.size() * MaxValueBytes + 2;
    std::unique_ptr<char[]> block(new char[FlushBytes + lineRoom]);
    char* const begin = block.get();
    char* at = begin;
    bool writeFailed = false;
    auto flush = [&] {
        const qint64 n = qint64(at - begin);
        if (n > 0 && !writeFailed && out.write(begin, n) != n) writeFailed = true;
        at = begin;
    };
    if (!request.headerNames.isEmpty()) {
        const QByteArray header = delimitedLine(request.headerNames);
        if (out.write(header) != header.size()) writeFailed = true;
    }
    const dbase::CodePage& cp1252 = dbase::CodePage::byName("cp1252");
    // Text of a Windows-1252 table goes out as stored: the output is Windows-1252 as well, and every
    // byte of that page stands for a character of its own, so converting it and back changes nothing.
    const bool storedText = table.info().codePage == "cp1252";
    struct Column {
        int field;
        char type;
        size_t offset; // in the record
        size_t width;
        bool readable; // sixteen bytes from any place of the value lie inside the record
    };
    std::vector<Column> columns;
    const size_t recordLength = table.info().recordLength;
    for (int f : fields) {
        const auto offset = size_t(table.fieldOffset(f));
        const auto width = size_t(table.field(f).width);
        columns.push_back({f, table.field(f).type, offset, width, offset + width + 16 <= recordLength});
    }
    DateTexts dateTexts;
    const DateDigits dateDigits(request.dates);
    for (bool more = table.first(); more && !writeFailed; more = table.next()) {
        const char* record = table.recordBytes().data();
        for (size_t i = 0; i < columns.size(); ++i) {
            Column& c = columns[i];
            const bool first = i == 0;
            const std::string_view stored(record + c.offset, c.width);
            switch (c.type) {
            case 'D':
                if (!dateDigits.put(at, stored, first))
                    at = putText(at, dateTexts.text(table, c.field, stored, request.dates), first, cp1252);
                break;
            case 'C':
                if (storedText)
                    at = putBytes(at, stored.substr(0, storedLength(stored.data(), stored.size())), first,
                                  c.readable);
                else
                    at = putText(at, table.getText(c.field), first, cp1252);
                break;
            case 'N':
            case 'F': {
                // A numeral is ASCII; other bytes take the converting way.
                const std::string_view numeral = trimStored(stored, true);
                if (isAscii(numeral))
                    at = putBytes(at, numeral, first, c.readable);
                else
                    at = putText(at, table.getText(c.field), first, cp1252);
                break;
            }
            default:
                at = putText(at, table.getText(c.field), first, cp1252);
                break;
            }
        }
        *at++ = '\r';
        *at++ = '\n';
        ++result.records;
        if (size_t(at - begin) >= FlushBytes) flush();
        if ((result.records & 255) == 0) report(request, result.records, total);
    }
    flush();
    if (!out.commit()) {
        result.message = QStringLiteral("%1: %2").arg(request.path, out.errorString());
        return false;
    }
    report(request, result.records, total);
    return true;
}

bool writeDbf(dbase::Table& table, const ExportRequest& request, const std::vector<int>& fields,
              ExportResult& result) {
    const QFileInfo target(request.path);
    // The new table is made under a temporary name in the target's folder and renamed into place.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.export-XXXXXX.DBF"));
    if (!temp.open()) {
        result.message = QStringLiteral("%1: %2").arg(request.path, temp.errorString());
        return false;
    }
    const QString tempPath = temp.fileName();
    temp.close();
    std::vector<dbase::CreateField> columns;
    for (size_t i = 0; i < fields.size(); ++i) {
        dbase::CreateField c;
        c.name = fieldSlot(request.fieldSlots[i]).name;
        c.kind = kindOf(request.fieldSlots[i]);
        if (c.kind == dbase::FieldKind::String) c.size = table.field(fields[i]).width;
        columns.push_back(c);
    }
    const uint64_t total = request.progress ? table.recordCount() : 0;
    try {
        dbase::Table::create(QFile::encodeName(tempPath).toStdString(), columns);
        dbase::Table out;
        out.open(QFile::encodeName(tempPath).toStdString(), dbase::OpenMode::Exclusive);
        out.disableControls();
        for (bool more = table.first(); more; more = table.next()) {
            out.append();
            for (size_t i = 0; i < fields.size(); ++i) {
                const int f = fields[i];
                const int o = int(i);
                switch (table.field(f).type) {
                case 'D': {
                    const std::string date = table.getDate(f);
                    if (!date.empty()) out.setDate(o, date);
                    break;
                }
                case 'N':
                case 'F':
                    if (const std::optional<double> n = table.getNumber(f)) {
                        if (columns[i].kind == dbase::FieldKind::String)
                            out.setText(o, table.getText(f));
                        else
                            out.setNumber(o, *n);
                    }
                    break;
                default:
                    if (columns[i].kind == dbase::FieldKind::String)
                        out.setText(o, table.getText(f));
                    else if (!table.isBlank(f))
                        out.setText(o, table.getText(f));
                    break;
                }
            }
            out.post();
            ++result.records;
            if ((result.records & 255) == 0) report(request, result.records, total);
        }
        out.enableControls();
        out.close();
    } catch (const dbase::DbError& e) {
        QFile::remove(tempPath);
        result.message = QStringLiteral("%1: %2").arg(request.path, fromUtf8(e.what()));
        return false;
    }
    // No index belongs to the export: an index left by an older file of that name goes.
    const QString oldIndex =
        fromUtf8(dbase::companionPath(QFile::encodeName(request.path).toStdString(), ".MDX"));
    if (QFile::exists(oldIndex)) QFile::remove(oldIndex);
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(request.path).constData()) !=
        0) {
        const int err = errno;
        QFile::remove(tempPath);
        result.message =
            QStringLiteral("%1: %2").arg(request.path, QString::fromLocal8Bit(std::strerror(err)));
        return false;
    }
    report(request, result.records, total);
    return true;
}

} // namespace

std::vector<int> exportColumns(const DatabaseSettings& settings) {
    std::vector<int> chosen;
    for (int row = 1; row <= FieldCount; ++row)
        for (int slot = 1; slot <= FieldCount; ++slot)
            if (settings.exportOrder[size_t(slot - 1)] == row) {
                if (settings.exportFields[size_t(slot - 1)]) chosen.push_back(slot);
                break;
            }
    return chosen;
}

QString exportHeaderName(int slot, const DatabaseSettings& settings, const dbase::Table& table) {
    if (settings.displayFields[size_t(slot - 1)]) {
        const QString name = settings.fieldNames[size_t(slot - 1)];
        return name.isEmpty() ? defaultTitle(slot) : name;
    }
    const int f = table.isOpen() ? table.fieldIndex(fieldSlot(slot).name) : -1;
    return f >= 0 ? fromUtf8(table.field(f).name) : fieldName(slot);
}

QString exportValueText(const dbase::Table& table, int field, const DateFormat& dates) {
    if (table.field(field).type == 'D') {
        const std::string date = table.getDate(field);
        return date.empty() ? QString()
                            : dates.formatFull(QString::fromLatin1(date.data(), qsizetype(date.size())));
    }
    return fromUtf8(table.getText(field));
}

ExportResult exportRecords(dbase::Table& table, const ExportRequest& request) {
    ExportResult result;
    if (request.fieldSlots.empty()) {
        result.message = noFieldsSelectedMessage();
        return result;
    }
    if (request.kind == FileKind::DBase && !hasDbfExtension(request.path)) {
        result.message = invalidFileTypeMessage();
        return result;
    }
    // Writing over the catalogue itself would replace the table being read.
    const QString own =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(table.path()))).canonicalFilePath();
    if (!own.isEmpty() && QFileInfo(request.path).canonicalFilePath() == own) {
        result.message = catalogueItselfMessage();
        return result;
    }
    std::vector<int> fields;
    for (int slot : request.fieldSlots) {
        const int f = table.fieldIndex(fieldSlot(slot).name);
        if (f < 0) {
            result.message = QStringLiteral("The catalogue has no field %1.").arg(fieldName(slot));
            return result;
        }
        fields.push_back(f);
    }
    try {
        WalkScope scope(table, request);
        result.ok = request.kind == FileKind::DBase ? writeDbf(table, request, fields, result)
                                                    : writeAscii(table, request, fields, result);
    } catch (const dbase::DbError& e) {
        result.ok = false;
        result.message = fromUtf8(e.what());
    }
    return result;
}

QString noFieldsSelectedMessage() {
    return QStringLiteral("No fields selected for export.");
}
QString invalidFileTypeMessage() {
    return QStringLiteral("Invalid file type selected.");
}
QString catalogueItselfMessage() {
    return QStringLiteral("The file selected is the open catalogue itself.  Choose another file.");
}
QString exportCompleteMessage() {
    return QStringLiteral("Export Complete.");
}
bool hasDbfExtension(const QString& path) {
    return path.toUpper().endsWith(QLatin1String(".DBF"));
}

} // namespace transfer
