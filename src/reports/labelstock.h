#pragma once
// Label stocks: the sheets of face and spine labels the program prints on, their dimensions in
// inches, and how the positions of one sheet take their media numbers from the report window's
// grid of 2 columns x 8 rows.
//
// A stock is named by its code: face stocks are odd (1, 3, 5, 7 and the user's 9), spine stocks
// even (2, 4, 6, 8 and the user's 10). The report window's label style (1 to 5) and the choice
// of face or spine labels give the code.
#include <QString>
#include <QStringList>
#include <array>

#include "catalogue/settings.h"

namespace reports {

enum class LabelType { Face, Spine };

// The label styles of the report window, in the order of its radios.
enum LabelStyle : int { Avery5199 = 1, AveryL7654 = 2, Professional = 3, ZLabel = 4, UserDefined = 5 };
constexpr int LabelStyleCount = 5;

// The grid of media numbers: 2 columns x 8 rows, cell index = column x 8 + row.
constexpr int GridColumns = 2;
constexpr int GridRows = 8;
constexpr int GridCells = GridColumns * GridRows;
// The most label positions the grid offers for each kind.
constexpr int MaxFacePositions = 12;
constexpr int MaxSpinePositions = 16;
// What the grid shows in a cell the stock has no position for.
QString notUsedMarker(); // "*NOT USED*"
// A media number as a position reads it from its grid cell: trimmed and cut to 10 characters.
constexpr int MediaNumberLength = 10;
QString positionMediaNumber(const QString& cell);

int labelCode(LabelType kind, int style); // 1..10; a style outside 1..5 counts as 1
LabelType kindOfCode(int code);
int styleOfCode(int code);
// The caption of a label style radio; the professional stock has a face and a spine name.
QString labelStyleCaption(int style, LabelType kind);

// Rows of the grid for a style and kind, and the grid cell the stock does not have (-1 for none).
int gridRowCount(LabelType kind, int style);
int unusedGridCell(LabelType kind, int style);
// Marks the cells of the grid for a spine stock: a cell left marked by another stock is cleared,
// the stock's own unused cell marked. Face stocks leave the grid as it is.
void applyGridShape(std::array<QString, GridCells>& grid, LabelType kind, int style);

// The dimensions of a stock: codes 1 to 8 are fixed, 9 and 10 the user's (program settings).
LabelDimensions stockDimensions(int code, const ProgramSettings& program);
// The labels one sheet of the stock prints: its count, limited to the positions of the grid.
int positionCount(int code, const LabelDimensions& dims);
// The largest count the grid allows for a kind of label.
int maxPositions(LabelType kind);

// Grid cell of position n (1-based): column (n - 1) mod 2, row (n - 1) div 2.
int gridCellOfPosition(int n);
// The media number of every position of the sheet, in position order.
QStringList positionMediaNumbers(int code, const LabelDimensions& dims,
                                 const std::array<QString, GridCells>& grid);
// True when at least one position of the sheet has a media number: the run needs one.
bool anyMediaNumber(const QStringList& mediaNumbers);

// Top left corner of position n (1-based) on the sheet, in inches from the page's top left.
struct LabelOrigin {
    double x = 0;
    double y = 0;
    bool operator==(const LabelOrigin&) const = default;
};
LabelOrigin labelOrigin(LabelType kind, const LabelDimensions& dims, int n);

// The page a sheet is printed on: Letter, or A4 for the European stock and for any sheet that
// does not fit on Letter. Width and height in inches.
struct SheetPage {
    bool a4 = false;
    double width = 8.5;
    double height = 11.0;
};
SheetPage sheetPage(int code, const LabelDimensions& dims);

// The eight label items (database settings, section Reports).
struct LabelItems {
    bool title = true;
    bool rating = true;
    bool startCounter = true;
    bool stopCounter = true;
    bool year = true;
    bool playTime = true;
    bool category = true;
    bool mediaNumber = true;
    bool any() const {
        return title || rating || startCounter || stopCounter || year || playTime || category || mediaNumber;
    }
    bool operator==(const LabelItems&) const = default;
};
LabelItems labelItems(const DatabaseSettings& settings);
void setLabelItems(DatabaseSettings& settings, const LabelItems& items);

// The two refusals before a run.
QString noItemsMessage();
QString noMediaNumbersMessage();

} // namespace reports
