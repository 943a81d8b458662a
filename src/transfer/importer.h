#pragma once
// Import: records from an ASCII delimited file or a dBase table (of this program or any other:
// dBase III/IV, FoxPro, memo fields, any code page the table names) appended to the catalogue,
// one new record per source record. The import window and quillon-cli import run this.
//
// Values pass the catalogue's one rule set (readFieldValue, checkFitsField) and are written
// through RecordWriter, each record posted before the next is read, so an import that stops
// keeps every record posted so far. By field kind:
// - text: cut to the field's width. Characters Windows-1252 cannot hold refuse the record: the
//   import stops there and says which record, field and characters.
// - whole numbers: read as far as they are a number ("1999abc" gives 1999, "" gives 0).
// - decimal numbers: "." as the decimal point; a text that is no number stores 0.
// - dates: in the current date format (dBase date columns as they are); a text without the date
//   separator, with letters, or naming no real day (month 13) leaves the field empty.
// - Checked Out and Viewed: Yes or No (also Y/N, T/F, True/False, 1/0); anything else is No.
// A value that could not be read as it stands is counted, and the count is told at the end.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "catalogue/fieldslots.h"
#include "catalogue/fieldvalue.h"
#include "transfer/exporter.h" // FileKind

namespace dbase {
class Table;
}

namespace transfer {

// The import fields of a dBase table: its field names, at most MaxImportFields of them.
struct SourceFields {
    bool ok = false;
    QStringList names;
    int totalFields = 0; // the table's own count (more than the names when it has over 50)
    QString error;       // !ok: why the table cannot be read
};
SourceFields readDbfFields(const QString& path);
// The notice when a table has more fields than can be imported.
QString tooManyDbfFieldsMessage(int fields);

// Per import field (index 0 is import field 1), the catalogue slot its value goes to, 0 none.
using FieldMap = std::vector<int>;
// Import field n to slot n, as the matching grid starts.
FieldMap defaultFieldMap(int importFields);
// The map of the matching grid: for each import field the first of rows 1 to 40 whose import
// field name is that field's name; the field goes to that row's slot when the row's USE is set.
FieldMap fieldMapFromRows(const QStringList& importNames, const QStringList& rowNames,
                          const std::vector<bool>& rowUse);

struct ImportRequest {
    FileKind kind = FileKind::Ascii;
    QString path;
    int fieldCount = 0;     // import fields (ASCII: the fields of the first line)
    bool skipFirst = false; // ASCII: the first line is not imported
    FieldMap map;
    ValueFormats formats;                           // the current date format
    std::array<QString, FieldCount> displayNames{}; // for messages
    // Called after every posted record with the count so far.
    std::function<void(uint64_t imported)> progress;
};

struct ImportResult {
    bool ok = false; // every record of the file was imported
    uint64_t imported = 0;
    int unreadValues = 0; // values stored as 0 or left empty because they could not be read
    QString message;      // !ok: what stopped the import (the records before it are kept)
};

ImportResult importRecords(dbase::Table& catalogue, const ImportRequest& request);

// "Import Complete.", with the count of values that could not be read when there were some.
QString importCompleteMessage(const ImportResult& result);
// What the user is told when an import stopped: the reason and the records kept.
QString importStoppedMessage(const ImportResult& result);
QString invalidImportFileTypeMessage(); // "Invalid file type selected."

// The value kinds' rules of one value, for tests and the batch tool: the text RecordWriter
// receives for slot, and whether the value was read as it stands.
struct ConvertedValue {
    QString typed;
    bool read = true;
    FieldValue refused; // failed != None: the record cannot be imported (characters)
};
// fieldWidth, fieldDecimals: the catalogue table's own numeric field (0 width: the slot's rules only).
ConvertedValue convertImportValue(int slot, const QString& text, const ValueFormats& formats,
                                  const QString& displayName = QString(), int fieldWidth = 0,
                                  int fieldDecimals = 0);

} // namespace transfer
