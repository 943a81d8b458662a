#include "transfer/exporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

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

// Appends one Windows-1252 value the way appendDelimitedValue does: trimmed of blanks, quotes
// doubled, at most MaxFieldLength characters, enclosed in quotes.
void appendBytes(std::string& line, std::string_view value, bool first) {
    if (!first) line += ',';
    line += '"';
    size_t from = 0, to = value.size();
    while (from < to && value[from] == ' ')
        ++from;
    while (to > from && value[to - 1] == ' ')
        --to;
    value = value.substr(from, to - from);
    if (value.size() > size_t(MaxFieldLength)) value = value.substr(0, size_t(MaxFieldLength));
    // Each double quote doubled: the text up to and including it, then the quote once more.
    for (size_t at = value.find('"'); at != std::string_view::npos; at = value.find('"')) {
        line.append(value.data(), at + 1);
        line += '"';
        value.remove_prefix(at + 1);
    }
    line.append(value.data(), value.size());
    line += '"';
}

// Appends one UTF-8 value the same way, without a QString on the way.
void appendValue(std::string& line, std::string_view utf8, bool first) {
    size_t from = 0, to = utf8.size();
    while (from < to && utf8[from] == ' ')
        ++from;
    while (to > from && utf8[to - 1] == ' ')
        --to;
    std::string_view value = utf8.substr(from, to - from);
    for (char c : value)
        if (static_cast<unsigned char>(c) >= 0x80) {
            appendBytes(line, dbase::CodePage::byName("cp1252").fromUtf8(value), first);
            return;
        }
    appendBytes(line, value, first);
}

bool isAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The stored bytes without the blanks and NUL bytes the engine drops from a value's ends.
std::string_view trimStored(std::string_view s, bool left) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
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

bool writeAscii(dbase::Table& table, const ExportRequest& request, const std::vector<int>& fields,
                ExportResult& result) {
    QSaveFile out(request.path);
    if (!out.open(QIODevice::WriteOnly)) {
        result.message = QStringLiteral("%1: %2").arg(request.path, out.errorString());
        return false;
    }
    // The count needs a pass of its own: only a progress display wants it.
    const uint64_t total = request.progress ? table.recordCount() : 0;
    std::string buffer;
    buffer.reserve(1 << 21);
    if (!request.headerNames.isEmpty()) buffer = delimitedLine(request.headerNames).toStdString();
    // A date's text depends only on its stored bytes, and a catalogue holds few distinct dates.
    std::unordered_map<std::string, std::string> dateTexts;
    // Text of a Windows-1252 table goes out as stored: the output is Windows-1252 as well, and every
    // byte of that page stands for a character of its own, so converting it and back changes nothing.
    const bool storedText = table.info().codePage == "cp1252";
    std::vector<char> types;
    for (int f : fields)
        types.push_back(table.field(f).type);
    for (bool more = table.first(); more; more = table.next()) {
        for (size_t i = 0; i < fields.size(); ++i) {
            const bool first = i == 0;
            switch (types[i]) {
            case 'D': {
                std::string stored(table.storedBytes(fields[i]));
                auto known = dateTexts.find(stored);
                if (known == dateTexts.end()) {
                    if (dateTexts.size() >= (1u << 16)) dateTexts.clear();
                    known = dateTexts
                                .emplace(std::move(stored),
                                         exportValueText(table, fields[i], request.dates).toStdString())
                                .first;
                }
                appendValue(buffer, known->second, first);
                break;
            }
            case 'C':
                if (storedText)
                    appendBytes(buffer, trimStored(table.storedBytes(fields[i]), false), first);
                else
                    appendValue(buffer, table.getText(fields[i]), first);
                break;
            case 'N':
            case 'F': {
                // A numeral is ASCII; other bytes take the converting way.
                const std::string_view numeral = trimStored(table.storedBytes(fields[i]), true);
                if (isAscii(numeral))
                    appendBytes(buffer, numeral, first);
                else
                    appendValue(buffer, table.getText(fields[i]), first);
                break;
            }
            default:
                appendValue(buffer, table.getText(fields[i]), first);
                break;
            }
        }
        buffer += "\r\n";
        ++result.records;
        if (buffer.size() >= (1 << 20)) {
            if (out.write(buffer.data(), qint64(buffer.size())) != qint64(buffer.size())) break;
            buffer.clear();
        }
        if ((result.records & 255) == 0) report(request, result.records, total);
    }
    if (!buffer.empty()) out.write(buffer.data(), qint64(buffer.size()));
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
