#pragma once
// Export: chosen fields of the catalogue's records, in a chosen order, into a new ASCII
// delimited text file or a new dBase table. The export window and quillon-cli export run this.
//
// The records are those the table's cursor visits, in its order: with a search filter on the
// table, the search result. An export of the whole catalogue while a search is on passes the two
// search hooks; the search is ended for the walk and set again afterwards, whatever happens.
//
// The file is written beside its final name and renamed into place only when every record is in
// it, so a failure half way (a full disk) leaves no half-written file and an existing file of
// that name as it was; the catalogue is never changed.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/regional.h"

struct DatabaseSettings;
namespace dbase {
class Table;
}

namespace transfer {

enum class FileKind { Ascii = 1, DBase = 2 };

// The exported columns in output order (slot numbers) from the stored export settings: for grid
// rows 1 to 40 in order, the slot whose export order is that row, when its export flag is set.
std::vector<int> exportColumns(const DatabaseSettings& settings);

// The header line's name of a slot: its display name when the viewer shows the field, else the
// field's name as the table reports it.
QString exportHeaderName(int slot, const DatabaseSettings& settings, const dbase::Table& table);

struct ExportRequest {
    FileKind kind = FileKind::Ascii;
    QString path;
    std::vector<int> fieldSlots; // catalogue fields in output order
    QStringList headerNames;     // ASCII: a first line with these names when not empty
    DateFormat dates;            // dates of ASCII files (the year always with four digits)
    // A whole-catalogue export during a search: called before and after the walk.
    std::function<void()> endSearch;
    std::function<void()> restoreSearch;
    // Called every 256 records and at the end: records written, records the walk expects.
    std::function<void(uint64_t done, uint64_t total)> progress;
};

struct ExportResult {
    bool ok = false;
    uint64_t records = 0;
    QString message; // for the user when !ok: the system's or the engine's reason
};

ExportResult exportRecords(dbase::Table& table, const ExportRequest& request);

// The ASCII text of a catalogue field of the table's current record (field: the table's index).
QString exportValueText(const dbase::Table& table, int field, const DateFormat& dates);

QString noFieldsSelectedMessage(); // "No fields selected for export."
QString invalidFileTypeMessage();  // "Invalid file type selected."
QString exportCompleteMessage();   // "Export Complete."
// The export or import file is the open catalogue table itself.
QString catalogueItselfMessage();
// True when a dBase file name ends in ".DBF" (any letter case).
bool hasDbfExtension(const QString& path);

} // namespace transfer
