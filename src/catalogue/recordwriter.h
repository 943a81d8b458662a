#pragma once
// Writing one video record from typed values: what the record editor's Update does, without
// the window. The batch tool and any later window that writes whole records use the same code.
//
// write() runs, in this order:
// - the editor's checks, first failure wins: check-out date, purchase date, list price,
//    purchase price, play time, year; then every other field in the order it is written
//    (characters Windows-1252 cannot hold, text longer than the field, Checked Out and Viewed
//    not Yes or No); with an edit, that there is a current record to change;
// - append a new record or edit the current one, set all forty fields, post;
// - only after the post: add the new values of the list fields to their data lists.
// A refused value or an engine failure writes nothing (a started append or edit is cancelled)
// and changes no data list; the outcome names the field and the message for the user.
#include <QString>

#include <array>
#include <optional>

#include "catalogue/fieldslots.h"
#include "catalogue/fieldvalue.h"

class DataLists;
namespace dbase {
class Table;
}

// The typed text of each field: slot 1..40; Checked Out and Viewed "Yes" or "No".
struct RecordEntry {
    std::array<QString, FieldCount> texts;

    QString& operator[](int slot) { return texts[size_t(slot - 1)]; }
    const QString& operator[](int slot) const { return texts[size_t(slot - 1)]; }
};

struct WriteOutcome {
    bool ok = false;
    int slot = 0; // the field whose value was refused; 0 when the record as a whole failed
    ValueCheck failed = ValueCheck::None;
    QString message;            // for the user when !ok
    bool engineFailure = false; // the table engine refused (message is its text)
};

class RecordWriter {
public:
    // lists may be null (no data list is kept up to date). names: field display names by slot
    // (index slot - 1) for the messages; empty entries give the default titles.
    RecordWriter(dbase::Table& table, DataLists* lists, const ValueFormats& formats,
                 const std::array<QString, FieldCount>& names = {});

    // The checks of step 1 without writing anything.
    WriteOutcome check(const RecordEntry& entry, bool append) const;
    // Steps 1 to 3. append: a new record; else the table's current record is changed.
    WriteOutcome write(const RecordEntry& entry, bool append);

    // What the checks read from the typed text of a slot: readFieldValue, and for a number the
    // check that it fits the table's own field.
    FieldValue read(int slot, const QString& typed) const;
    // write() of values read before: values[slot - 1] is read(slot, entry[slot]) for every slot.
    // For a run of writes that has read every value already (an import, which reads each value
    // while converting it); the outcome is write()'s. Only the data lists take their values from
    // entry: a writer without lists never looks at it.
    WriteOutcome writeRead(const RecordEntry& entry, const std::array<FieldValue, FieldCount>& values,
                           bool append);

    // The order in which the fields are checked: the six fields with the editor's own messages
    // first, then the others in the order they are written.
    static const std::array<int, FieldCount>& checkOrder();
    // The data list additions in their order: slot of each field that feeds a list.
    static const std::array<int, 20>& listOrder();

    // The name a message gives a field: its display name, else its default title.
    const QString& fieldName(int slot) const;

    // The message when an edit finds no current record.
    static QString noRecordMessage();

    // Looks the fields up once for a run of writes (an import) to the table as it is open now;
    // without it every check and write looks them up again, for a table that may be reopened.
    void bindFields();

private:
    // The table's field index of every slot, -1 where the table lacks the field or is closed.
    std::array<int, FieldCount> fieldIndices() const;
    FieldValue readOne(int slot, const QString& typed, const std::array<int, FieldCount>& index) const;
    WriteOutcome readAll(const RecordEntry& entry, const std::array<int, FieldCount>& index,
                         std::array<FieldValue, FieldCount>& values) const;
    // Steps 2 and 3 for values that passed the checks.
    WriteOutcome store(const RecordEntry& entry, const std::array<FieldValue, FieldCount>& values,
                       const std::array<int, FieldCount>& index, bool append);

    dbase::Table& table_;
    DataLists* lists_;
    ValueFormats formats_;
    std::array<QString, FieldCount> names_;
    std::optional<std::array<int, FieldCount>> boundFields_;
};
