#pragma once
// Locate: moves the table's cursor to the next record whose value in one field matches a typed
// value, in the table's current order and through its record filter (a search in force), without
// filtering anything. On failure the current record stays where it was.
//
// A field's value is compared as text: strings as stored, whole numbers as digits, other numbers
// in their shortest plain decimal form ("12.5"), dates in the short date format, logical values as
// "True"/"False", memo fields as their text. An exact match on a number field with decimals
// compares numbers instead, so 12.5 finds 12.50.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "base/regional.h"

namespace dbase {
class Table;
}

enum class MatchType : int { Exact = 0, Beginning = 1, Anywhere = 2 };

// The last locate of the run.
struct LocateRequest {
    QString field; // table field name
    QString value; // at most 255 characters
    MatchType match = MatchType::Beginning;
    bool caseSensitive = false;
};

enum class LocateStatus { Found, NotFound, FieldMissing, TableClosed };

struct LocateResult {
    LocateStatus status = LocateStatus::NotFound;
    uint32_t recno = 0;      // Found: the record
    bool memoFailed = false; // a memo could not be read (those records count as no match)
};

struct LocateTuning {
    // Records tested one by one before the rest is decided by one sequential pass over the file
    // (the same answers as going on record by record, much faster on a large table).
    uint32_t walkBeforeScan = 4096;
};

// Locates from the first record (fromFirst) or from the record after the current one.
LocateResult locateRecord(dbase::Table& table, const LocateRequest& request, bool fromFirst,
                          const DateFormat& dates, const LocateTuning& tuning = {});

// The fields locate offers: every field of the table except raw byte and blob fields (memo
// fields are offered), by its label with each "~" as a blank, sorted. label(name) gives a
// field's label (a catalogue field's display name, else its name).
struct LocateField {
    QString label;
    QString name;
};
std::vector<LocateField> locateFields(const dbase::Table& table,
                                      const std::function<QString(const QString&)>& label);

// Messages.
QString noMatchFromFirstMessage(); // "No matches found"
QString noMoreMatchesMessage();    // "No more matches found"
QString fieldNotFoundMessage(const QString& name);
QString tableNotActiveMessage();     // opening the dialog with no table
QString tableNotActiveNextMessage(); // Locate Next with no table
QString memoFailedMessage();
