#include "transfer/importer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "base/textfile.h"
#include "catalogue/recordwriter.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "transfer/delimitedtext.h"

namespace transfer {

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string enginePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

bool hasLetter(const QString& text) {
    for (QChar c : text)
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')))
            return true;
    return false;
}

// The leading whole number of a text ("1999abc" -> "1999"); "" when it begins with none.
QString leadingWholeNumber(const QString& text, bool* whole) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    const qsizetype digitsFrom = i;
    while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
        ++i;
    *whole = i == t.size() && i > digitsFrom;
    if (i == digitsFrom) return {};
    bool ok = false;
    const qlonglong n = t.left(i).toLongLong(&ok);
    if (!ok) {
        *whole = false;
        return {};
    }
    return QString::number(n);
}

// ASCII bytes as text, written into the string of the value before (its memory is used again
// once the record before has been written).
void assignAscii(QString& text, const char* bytes, qsizetype size) {
    text.resize(size);
    QChar* out = text.data();
    for (qsizetype i = 0; i < size; ++i)
        out[i] = QLatin1Char(bytes[i]);
}

bool isAscii(const char* bytes, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    return true;
}

// A value's Windows-1252 bytes as text.
void assignCp1252(QString& text, const QByteArray& bytes) {
    if (isAscii(bytes.constData(), bytes.size()))
        assignAscii(text, bytes.constData(), bytes.size());
    else
        text = textfile::fromCp1252(bytes);
}

// The text of a field of a source table's record as getText gives it (at most MaxFieldLength
// characters): the stored bytes themselves where they are ASCII, which every code page keeps as
// they are; text without its trailing blanks and NUL bytes, numerals without those at either end.
void assignSourceText(QString& text, const dbase::Table& source, int field, char type) {
    if (type == 'C' || type == 'N' || type == 'F') {
        std::string_view stored = source.storedBytes(field);
        while (!stored.empty() && (stored.back() == ' ' || stored.back() == '\0'))
            stored.remove_suffix(1);
        while (type != 'C' && !stored.empty() && (stored.front() == ' ' || stored.front() == '\0'))
            stored.remove_prefix(1);
        if (isAscii(stored.data(), qsizetype(stored.size()))) {
            assignAscii(text, stored.data(), qsizetype(std::min(stored.size(), size_t(MaxFieldLength))));
            return;
        }
    }
    text = fromUtf8(source.getText(field)).left(MaxFieldLength);
}

// The texts of dates in the current format by their "YYYYMMDD", for a run of records: a table
// addressed by the date, where a newer date takes the place of an older one.
class DateTexts {
public:
    explicit DateTexts(const DateFormat& dates) : dates_(dates), slots_(size_t(1) << Bits) {}

    const QString& text(const std::string& yyyymmdd) {
        if (yyyymmdd.size() != 8) {
            other_ = dates_.formatFull(QString::fromLatin1(yyyymmdd.data(), qsizetype(yyyymmdd.size())));
            return other_;
        }
        uint64_t key;
        std::memcpy(&key, yyyymmdd.data(), 8);
        Slot& slot = slots_[size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - Bits))];
        if (!slot.used || slot.key != key) {
            slot.text = dates_.formatFull(QString::fromLatin1(yyyymmdd.data(), 8));
            slot.key = key;
            slot.used = true;
        }
        return slot.text;
    }

private:
    static constexpr int Bits = 12;
    struct Slot {
        uint64_t key = 0;
        bool used = false;
        QString text;
    };
    const DateFormat& dates_;
    std::vector<Slot> slots_;
    QString other_;
};

// Closes a bulk loop on the catalogue whatever happens.
class BulkScope {
public:
    explicit BulkScope(dbase::Table& table) : table_(table) {
        table_.disableControls();
        // With the table to itself the index is brought up to date once, at the end.
        if (table_.mode() == dbase::OpenMode::Exclusive) table_.deferIndexMaintenance();
    }
    // Ends the loop; false with the engine's reason when the last writes could not be made durable.
    bool end(QString* error) {
        if (ended_) return true;
        ended_ = true;
        try {
            table_.enableControls();
        } catch (const dbase::DbError& e) {
            *error = fromUtf8(e.what());
            return false;
        }
        return true;
    }
    ~BulkScope() {
        QString ignored;
        end(&ignored);
    }

private:
    dbase::Table& table_;
    bool ended_ = false;
};

} // namespace

SourceFields readDbfFields(const QString& path) {
    SourceFields result;
    try {
        dbase::Table t;
        t.open(enginePath(path), dbase::OpenMode::Shared, true);
        result.totalFields = t.fieldCount();
        for (int i = 0; i < t.fieldCount() && i < MaxImportFields; ++i)
            result.names << fromUtf8(t.field(i).name).left(20);
        result.ok = true;
    } catch (const dbase::DbError& e) {
        result.error = fromUtf8(e.what());
    }
    return result;
}

QString tooManyDbfFieldsMessage(int fields) {
    return QStringLiteral("The selected table has %1 fields.  Only its first %2 fields can be imported.")
        .arg(fields)
        .arg(MaxImportFields);
}

FieldMap defaultFieldMap(int importFields) {
    FieldMap map(size_t(std::max(importFields, 0)), 0);
    for (int i = 0; i < importFields && i < FieldCount; ++i)
        map[size_t(i)] = i + 1;
    return map;
}

FieldMap fieldMapFromRows(const QStringList& importNames, const QStringList& rowNames,
                          const std::vector<bool>& rowUse) {
    FieldMap map(size_t(importNames.size()), 0);
    for (qsizetype i = 0; i < importNames.size(); ++i) {
        for (qsizetype row = 0; row < rowNames.size() && row < FieldCount; ++row) {
            if (rowNames[row] != importNames[i]) continue;
            if (size_t(row) < rowUse.size() && rowUse[size_t(row)]) map[size_t(i)] = int(row) + 1;
            break;
        }
    }
    return map;
}

namespace {

// convertImportValue; where it reads the very text it gives (a number or date read as it stood
// or as far as it could be, a text of other than ASCII), *read is that value as read, its fit
// checked against the field of fieldWidth and fieldDecimals.
ConvertedValue convertValue(int slot, const QString& text, const ValueFormats& formats,
                            const QString& displayName, int fieldWidth, int fieldDecimals,
                            std::optional<FieldValue>* read) {
    ConvertedValue c;
    // Numbers are read with "." as the decimal point, whatever the current format.
    ValueFormats usFormats;
    if (formats.currencyFormat != USFormat) {
        usFormats = formats;
        usFormats.currencyFormat = USFormat;
    }
    const ValueFormats& us = formats.currencyFormat == USFormat ? formats : usFormats;
    if (slot == Slot::CheckOut || slot == Slot::Viewed) {
        const FieldValue v = readFieldValue(slot, text, us, displayName);
        c.typed = v.ok() ? v.stored : QStringLiteral("No");
        c.read = v.ok();
        return c;
    }
    switch (fieldSlot(slot).typeCode) {
    case TypeInteger: {
        const QString trimmed = text.trimmed();
        bool whole = false;
        c.typed = leadingWholeNumber(text, &whole);
        if (c.typed.isEmpty()) c.typed = QStringLiteral("0");
        c.read = whole || trimmed.isEmpty();
        FieldValue v = readFieldValue(slot, c.typed, us, displayName);
        if (fieldWidth > 0) checkFitsField(v, slot, fieldWidth, fieldDecimals, displayName);
        if (!v.ok()) {
            c.typed = QStringLiteral("0");
            c.read = false;
        } else if (read) {
            *read = std::move(v);
        }
        return c;
    }
    case TypeFloat: {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty()) return c;
        FieldValue v;
        const bool decimal = parseDecimal(trimmed).has_value();
        if (decimal) {
            v = readFieldValue(slot, trimmed, us, displayName);
            if (fieldWidth > 0) checkFitsField(v, slot, fieldWidth, fieldDecimals, displayName);
        }
        if (!decimal || !v.ok()) {
            c.typed = QStringLiteral("0");
            c.read = false;
            return c;
        }
        c.typed = trimmed;
        if (read) *read = std::move(v);
        return c;
    }
    case TypeDate: {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty()) return c;
        if (!trimmed.contains(formats.dates.separator()) || hasLetter(trimmed)) {
            c.read = false;
            return c;
        }
        FieldValue v = readFieldValue(slot, trimmed, us, displayName);
        if (!v.ok()) {
            c.read = false;
            return c;
        }
        c.typed = trimmed;
        if (read) *read = std::move(v);
        return c;
    }
    default: {
        c.typed = text.left(fieldSlot(slot).width);
        bool ascii = true;
        for (QChar ch : std::as_const(c.typed))
            ascii = ascii && ch.unicode() < 0x80;
        if (!ascii) {
            FieldValue v = readFieldValue(slot, c.typed, us, displayName);
            if (v.failed == ValueCheck::Characters)
                c.refused = v;
            else if (read && v.ok())
                *read = std::move(v);
        }
        return c;
    }
    }
}

} // namespace

ConvertedValue convertImportValue(int slot, const QString& text, const ValueFormats& formats,
                                  const QString& displayName, int fieldWidth, int fieldDecimals) {
    return convertValue(slot, text, formats, displayName, fieldWidth, fieldDecimals, nullptr);
}

ImportResult importRecords(dbase::Table& catalogue, const ImportRequest& request) {
    ImportResult result;
    if (sameFile(request.path, QFile::decodeName(QByteArray::fromStdString(catalogue.path())))) {
        result.message =
            QStringLiteral("The file selected is the open catalogue itself.  Choose another file.");
        return result;
    }
    ValueFormats formats = request.formats;
    formats.currencyFormat = USFormat;
    RecordWriter writer(catalogue, nullptr, formats, request.displayNames);
    writer.bindFields();
    // Numbers must also fit the catalogue's own fields, which older catalogues keep narrower.
    std::array<const dbase::FieldDef*, FieldCount> numberFields{};
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const int type = fieldSlot(slot).typeCode;
        const int f = catalogue.fieldIndex(fieldSlot(slot).name);
        if ((type == TypeInteger || type == TypeFloat) && f >= 0)
            numberFields[size_t(slot - 1)] = &catalogue.field(f);
    }
    std::array<QString, FieldCount> names;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const QString& n = request.displayNames[size_t(slot - 1)];
        names[size_t(slot - 1)] = n.isEmpty() ? defaultTitle(slot) : n;
    }

    const RecordEntry noEntry;
    // What the writer reads from a field left empty, and from the two texts of a Yes/No field.
    std::array<FieldValue, FieldCount> emptyValues;
    std::array<FieldValue, FieldCount> yesValues;
    std::array<FieldValue, FieldCount> noValues;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        emptyValues[size_t(slot - 1)] = writer.read(slot, QString());
        yesValues[size_t(slot - 1)] = writer.read(slot, QStringLiteral("Yes"));
        noValues[size_t(slot - 1)] = writer.read(slot, QStringLiteral("No"));
    }

    // One source record into a new catalogue record; false when the import stops here.
    // where: "Line %1 of the file" or "Record %1 of the table", number: the source record.
    // The writer takes each value as the conversion read it where that is what it would read itself:
    // the same text, and for a number the same field to fit (the writer checks a number against
    // the catalogue's field only when that is a numeric one).
    auto store = [&](const std::vector<QString>& values, const QString& where, uint64_t number) {
        std::array<FieldValue, FieldCount> read = emptyValues;
        int unread = 0;
        for (size_t i = 0; i < values.size() && i < request.map.size(); ++i) {
            const int slot = request.map[i];
            if (slot < 1 || slot > FieldCount) continue;
            const dbase::FieldDef* def = numberFields[size_t(slot - 1)];
            std::optional<FieldValue> converted;
            const ConvertedValue c = convertValue(slot, values[i], formats, names[size_t(slot - 1)],
                                                  def ? def->width : 0, def ? def->decimals : 0, &converted);
            if (!c.refused.ok()) {
                result.message =
                    QStringLiteral("%1 was not imported.  %2").arg(where.arg(number), c.refused.message);
                return false;
            }
            FieldValue& value = read[size_t(slot - 1)];
            if (slot == Slot::CheckOut || slot == Slot::Viewed)
                value = c.typed == QLatin1String("Yes") ? yesValues[size_t(slot - 1)]
                                                        : noValues[size_t(slot - 1)];
            else if (converted && (!def || def->type == 'N' || def->type == 'F'))
                value = std::move(*converted);
            else
                value = writer.read(slot, c.typed);
            if (!c.read) ++unread;
        }
        const WriteOutcome written = writer.writeRead(noEntry, read, true); // the writer keeps no lists
        if (!written.ok) {
            result.message =
                QStringLiteral("%1 was not imported.  %2").arg(where.arg(number), written.message);
            return false;
        }
        result.unreadValues += unread;
        ++result.imported;
        if (request.progress) request.progress(result.imported);
        return true;
    };

    const QString lineWhere = QStringLiteral("Line %1 of the file");
    const QString recordWhere = QStringLiteral("Record %1 of the table");
    if (request.kind == FileKind::Ascii) {
        DelimitedReader reader(request.path);
        if (!reader.open()) {
            result.message = reader.error();
            return result;
        }
        const int fields = std::max(request.fieldCount, 1);
        BulkScope bulk(catalogue);
        DelimitedReader::Record record;
        uint64_t line = 0;
        if (request.skipFirst && reader.next(record, fields)) ++line;
        std::vector<QString> values;
        bool stopped = false;
        while (!reader.readFailed() && reader.next(record, fields)) {
            ++line;
            bool empty = true;
            for (const QByteArray& f : record.fields)
                empty = empty && f.isEmpty();
            if (record.blank || empty) continue; // a blank line is no record
            values.resize(record.fields.size());
            for (size_t i = 0; i < record.fields.size(); ++i)
                assignCp1252(values[i], record.fields[i]);
            if (!store(values, lineWhere, line)) {
                stopped = true;
                break;
            }
        }
        QString error;
        if (!bulk.end(&error) && !stopped) {
            result.message = error;
            return result;
        }
        if (reader.readFailed() && !stopped) {
            result.message = reader.error();
            return result;
        }
        result.ok = !stopped;
        return result;
    }

    try {
        dbase::Table source;
        source.open(enginePath(request.path), dbase::OpenMode::Shared, true);
        const int fields = std::min({source.fieldCount(), MaxImportFields,
                                     request.fieldCount > 0 ? request.fieldCount : MaxImportFields});
        std::vector<char> types;
        for (int i = 0; i < fields; ++i)
            types.push_back(source.field(i).type);
        BulkScope bulk(catalogue);
        std::vector<QString> values(static_cast<size_t>(fields));
        DateTexts dateTexts(request.formats.dates);
        bool stopped = false;
        for (bool more = source.first(); more; more = source.next()) {
            for (int i = 0; i < fields; ++i) {
                if (i >= int(request.map.size()) || request.map[size_t(i)] == 0) continue;
                if (types[size_t(i)] == 'D') {
                    const std::string date = source.getDate(i);
                    values[size_t(i)] = date.empty() ? QString() : dateTexts.text(date);
                } else {
                    assignSourceText(values[size_t(i)], source, i, types[size_t(i)]);
                }
            }
            if (!store(values, recordWhere, source.recNo())) {
                stopped = true;
                break;
            }
        }
        QString error;
        if (!bulk.end(&error) && !stopped) {
            result.message = error;
            return result;
        }
        result.ok = !stopped;
    } catch (const dbase::DbError& e) {
        result.message = fromUtf8(e.what());
    }
    return result;
}

QString importCompleteMessage(const ImportResult& result) {
    QString text = QStringLiteral("Import Complete.");
    if (result.unreadValues == 1)
        text += QStringLiteral("  1 value could not be read as it stood: a number was stored as far as it "
                               "could be read (0 when not at all), a date or Yes/No was left empty.");
    else if (result.unreadValues > 1)
        text += QStringLiteral("  %1 values could not be read as they stood: numbers were stored as far as "
                               "they could be read (0 when not at all), dates and Yes/No values were left "
                               "empty.")
                    .arg(result.unreadValues);
    return text;
}

QString importStoppedMessage(const ImportResult& result) {
    const QString kept =
        result.imported == 1
            ? QStringLiteral("1 record was imported before the import stopped.")
            : QStringLiteral("%1 records were imported before the import stopped.").arg(result.imported);
    return result.message + QStringLiteral("  ") + kept;
}

QString invalidImportFileTypeMessage() {
    return QStringLiteral("Invalid file type selected.");
}

} // namespace transfer
