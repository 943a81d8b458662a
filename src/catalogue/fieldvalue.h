#pragma once
// The one rule set for typed field values: what a person (or an imported file, or a replace)
// may put into each of the forty catalogue fields, and what is then stored.
//
// Every place that writes a typed value into a record reads it here first: the record editor,
// the viewer grid, and import and replace. A value is either accepted, with the exact value to
// store, or refused with the check that failed and a message for the user; nothing is written
// before the whole value has passed.
//
// The rules, by field kind:
// - Text fields: stored as typed (blanks kept). Refused when a character has no Windows-1252
//   byte (the table could only store "?" for it; the message names the field and the
//   characters) or when the text is longer than the field.
// - Year and play time: blank, or a whole number ("+" or "-" allowed) that fits the field.
// - List and purchase price: blank (stored as 0), or money text in the current currency
//   format (with or without grouping, see normaliseMoneyText) that fits the field.
// - Check-out and purchase date: blank (only blanks, separators and the date box's "_"), or
//   a valid date in the current date format, day and month in its order and separator, the
//   year of two or four digits; a two-digit year is read by DateFormat::expandYear.
// - Checked Out and Viewed: stored as "Yes" or "No"; typed Yes/No, Y/N, True/False, T/F or
//   1/0 in any letter case, blank as "No".
#include <QString>

#include "base/regional.h"

// The regional choices that reading typed text depends on.
struct ValueFormats {
    DateFormat dates;
    int currencyFormat = USFormat;
    RegionalValues regional;
};

// Which rule refused a value.
enum class ValueCheck {
    None,        // accepted
    Date,        // not a date in the current format
    WholeNumber, // not a whole number
    Money,       // not an amount of money in the current currency format
    YesNo,       // not Yes or No
    Characters,  // characters Windows-1252 cannot hold
    Width,       // text longer than the field
    Range        // a number too large for the field
};

struct FieldValue {
    ValueCheck failed = ValueCheck::None;
    QString message; // for the user, when refused

    bool blank = false;
    // Accepted values: text fields the text as typed, Yes/No fields "Yes" or "No", dates
    // "YYYYMMDD" ("" when blank), numbers the numeral as typed and trimmed ("" when blank).
    QString stored;
    double number = 0; // numbers and prices (0 when blank)

    bool ok() const { return failed == ValueCheck::None; }
};

// Reads the typed text of field slot 1..40. fieldName names the field in messages (the field's
// display name); empty gives the slot's default title.
FieldValue readFieldValue(int slot, const QString& typed, const ValueFormats& formats,
                          const QString& fieldName = QString());

// The characters of a text that Windows-1252 cannot hold, each once, in the order they first
// appear ("" when every character fits).
QString charactersOutsideCp1252(const QString& text);

// A numeric value must also fit the table's own field (width and decimals of the .DBF field,
// which older tables keep narrower than new ones). Refuses an accepted number that does not
// (ValueCheck::Range); other values pass unchanged.
void checkFitsField(FieldValue& value, int slot, int width, int decimals,
                    const QString& fieldName = QString());

// The editor's own words for the refused values of the six checked fields (0 when the slot has
// none): "Invalid list price specified.  Please correct." and so on.
QString invalidValueMessage(int slot);
