#pragma once
// A field of the current record as text, the way the viewer, the editor and the batch tool show
// it: strings as stored (trailing blanks removed), numbers as plain numerals, dates in the
// program's short date format, logical fields as T or F, memo fields as their text.
#include <QString>
#include <string>

#include "base/regional.h"

namespace dbase {
class Table;
}

// The short date format chosen in the program settings file (Misc: Date Format, Date Leading Zeros).
DateFormat programDateFormat();

QString fieldText(const dbase::Table& table, int field, const DateFormat& dates);
std::string fieldTextUtf8(const dbase::Table& table, int field, const DateFormat& dates);

// Sets a field of the record being edited or appended from text in the same form. Blank text
// empties the field. Text that is not a valid date or number for the field leaves the field
// unchanged, returns false and says why in *error.
bool setFieldText(dbase::Table& table, int field, const QString& text, const DateFormat& dates,
                  QString* error = nullptr);
