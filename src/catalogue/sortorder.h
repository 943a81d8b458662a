#pragma once
// Sort orders: the four sort levels become one dBase index expression, the sort expression,
// kept as the single tag NewIndex of the table's production index.
#include <QString>
#include <array>

namespace dbase {
class Table;
}

// The tag that carries the sort expression.
inline constexpr const char* kSortTag = "NewIndex";

// Four slot numbers (primary, secondary, third, fourth); 0 = none.
using SortLevels = std::array<int, 4>;

// The sort expression of four levels: string fields as Upper(Left(name,w)) where w is 80 divided
// by the number of levels in use, integers as STR(name,12,0), floats as STR(name,12,2), dates as
// DTOS(name), joined by "+". Empty when no level is set. Slot numbers outside 1..40 count as none.
QString sortExpression(int primary, int secondary, int third, int fourth);
QString sortExpression(const SortLevels& levels);

enum class SortApply {
    Rebuild, // a new order, a database switch: NewIndex is rebuilt from the records
    StartUp, // program start: an existing NewIndex with this expression is used as it is
};

// Applies a sort expression to an open table: a non-empty expression becomes the active tag
// NewIndex, an empty one makes record order active (an existing NewIndex stays in the index).
// At start-up a NewIndex tag whose expression differs from the wanted one, or a missing tag, is
// rebuilt, so the order shown always matches the stored levels. Throws dbase::DbError.
void applySortExpression(dbase::Table& table, const QString& expression, SortApply mode);

// The message when a new sort order cannot get exclusive use of the table, and when applying it failed.
QString sortNeedsExclusiveMessage();
QString sortFailedMessage();
