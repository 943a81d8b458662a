#pragma once
// What the options picker of the search window offers for a row: the four operators for number
// and date rows, the field's data list for list-fed text rows, the award names (OSCAR.LST) and the
// miscellaneous items (MISC.LST) for their rows, "YES" and "NO" for the two yes/no rows, and
// nothing for the other rows.
#include <QStringList>

class DataLists;

enum class PickerKind { None, Operators, Values };

PickerKind pickerKind(int slot);
// The entries offered for a row (the operator texts for number and date rows).
QStringList pickerChoices(int slot, const DataLists& lists);
