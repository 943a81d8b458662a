#include "find/searchoptions.h"

#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"
#include "find/searchpage.h"

PickerKind pickerKind(int slot) {
    if (slot < 1 || slot > FieldCount) return PickerKind::None;
    if (rowKind(slot) != RowKind::Text) return PickerKind::Operators;
    return rowHasPicker(slot) ? PickerKind::Values : PickerKind::None;
}

QStringList pickerChoices(int slot, const DataLists& lists) {
    switch (pickerKind(slot)) {
    case PickerKind::None:
        return {};
    case PickerKind::Operators:
        return {operatorChoice(RowOperator::Equal), operatorChoice(RowOperator::Greater),
                operatorChoice(RowOperator::Less), operatorChoice(RowOperator::Range)};
    case PickerKind::Values:
        break;
    }
    if (slot == Slot::CheckOut || slot == Slot::Viewed) return {QStringLiteral("YES"), QStringLiteral("NO")};
    const int list = DataLists::listForSlot(slot);
    if (list == DataLists::OscarNames || list == DataLists::Miscellaneous) {
        // Read afresh from the program folder; blank lines are skipped, a missing file is empty.
        QStringList values;
        for (const QString& v : DataLists::readListFile(DataLists::programListPath(list)))
            if (!v.trimmed().isEmpty()) values << v;
        return values;
    }
    return list ? lists.list(list) : QStringList();
}
