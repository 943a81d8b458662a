#pragma once
// One page of the search grid: forty criteria cells, one per catalogue field in slot order, and
// the operator chosen for each number and date row. Saving a page turns it into one search level.
//
// What a cell may hold, by the row's field:
//   text:   any text; it matches anywhere in the field, letters a to z in either case. The six
//           star rows match any star field, the key words row any of its words.
//   number: the operator sign and the value ("= 12", "> 1980", "< 90"), or for a range
//           "> LOW AND < HIGH", which matches values strictly between the two.
//   date:   like a number, with dates in the current short date format; a date left at its
//           untouched shape (only separators) counts as empty.
#include <QString>
#include <array>

#include "base/regional.h"
#include "catalogue/fieldslots.h"
#include "find/criteria.h"

enum class RowOperator : int { Equal = 1, Greater = 2, Less = 3, Range = 4 };

// The picker texts of the four operators, in order.
QString operatorChoice(RowOperator op);

enum class RowKind { Text, Number, Date };
RowKind rowKind(int slot);
// The comparison of a text row: any star for the six star rows, any word for the key words,
// contains for every other text row.
Comparison textComparison(int slot);
// True when the row offers choices in the options picker (operators, a list or Yes/No).
bool rowHasPicker(int slot);

struct SearchPage {
    std::array<QString, FieldCount> cells;         // cell texts of rows 1..40 (index slot - 1)
    std::array<RowOperator, FieldCount> operators; // number and date rows

    SearchPage() { operators.fill(RowOperator::Equal); }
    QString& cell(int slot) { return cells[size_t(slot - 1)]; }
    RowOperator& op(int slot) { return operators[size_t(slot - 1)]; }
    void clearCells() { cells.fill(QString()); }
};

struct SaveResult {
    enum Status {
        Saved,      // the page is the store's newest level
        NoCriteria, // nothing filled in: the store is unchanged
        Invalid,    // a number or date that does not convert, or a range with one side empty:
                    // this page's items are dropped, earlier levels stay; row is the offending row
        TooMany,    // more than 75 items: the store has been emptied
    };
    Status status = Saved;
    int row = 0; // Invalid: the slot of the offending row
};

// Adds the page's criteria to the store as one level (rows in slot order).
SaveResult savePage(SearchCriteria& criteria, const SearchPage& page, const DateFormat& dates);

// The operator a typed cell text of a number or date row begins with: "=", ">" (a range when
// the text also holds "AND"), "<"; a text without a sign counts as "=".
RowOperator operatorOfCell(const QString& text);

// Messages.
QString invalidCriteriaMessage();
QString noCriteriaMessage();
QString tooManyItemsMessage();
QString noMatchesMessage();
