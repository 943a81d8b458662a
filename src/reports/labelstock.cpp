#include "reports/labelstock.h"

#include <algorithm>

namespace reports {

namespace {

// Codes 1 to 8: top margin, left margin, width, height, gap, labels per sheet.
const LabelDimensions kStocks[8] = {
    {0.9, 1.1, 3.06, 1.8325, 0.25, 10},     // Avery 5199, face
    {0.52, 1.45, 5.7, 0.6666, 0, 15},       // Avery 5199, spine
    {0.437, 1.12, 3.06, 1.8125, 0.098, 12}, // Avery L7654, face
    {0.625, 1.42, 5.7, 0.667, 0, 16},       // Avery L7654, spine
    {1.0, 1.05, 3.06, 1.8125, 0.375, 10},   // professional, face (W3116)
    {0.7, 1.45, 5.7, 0.75, 0, 13},          // professional, spine (W534)
    {1.0, 1.1, 3.06, 1.8125, 0.25, 10},     // Z-Label 31512, face
    {0.6, 1.45, 5.7, 0.6562, 0, 15},        // Z-Label 31512, spine
};

constexpr double LetterWidth = 8.5, LetterHeight = 11.0;
constexpr double A4Width = 210 / 25.4, A4Height = 297 / 25.4;

int validStyle(int style) {
    return style >= 1 && style <= LabelStyleCount ? style : 1;
}

} // namespace

QString notUsedMarker() {
    return QStringLiteral("*NOT USED*");
}

QString positionMediaNumber(const QString& cell) {
    // A cell still marked as a position the stock does not have holds no media number.
    const QString number = cell.trimmed().left(MediaNumberLength);
    return number == notUsedMarker() ? QString() : number;
}

int labelCode(LabelType kind, int style) {
    return validStyle(style) * 2 - (kind == LabelType::Face ? 1 : 0);
}

LabelType kindOfCode(int code) {
    return code % 2 ? LabelType::Face : LabelType::Spine;
}

int styleOfCode(int code) {
    return validStyle((code + 1) / 2);
}

QString labelStyleCaption(int style, LabelType kind) {
    switch (validStyle(style)) {
    case Avery5199:
        return QStringLiteral("Avery 5199 (USA)");
    case AveryL7654:
        return QStringLiteral("Avery L7654 (Europe)");
    case Professional:
        return kind == LabelType::Face ? QStringLiteral("Prof. Labels W3116")
                                       : QStringLiteral("Prof. Labels W534");
    case ZLabel:
        return QStringLiteral("Z-Label 31512");
    default:
        return QStringLiteral("User Defined");
    }
}

int gridRowCount(LabelType kind, int style) {
    style = validStyle(style);
    if (kind == LabelType::Face) return style == AveryL7654 || style == UserDefined ? 6 : 5;
    return style == Professional ? 7 : 8;
}

int unusedGridCell(LabelType kind, int style) {
    if (kind == LabelType::Face) return -1;
    switch (validStyle(style)) {
    case Avery5199:
    case ZLabel:
        return 1 * GridRows + 7;
    case Professional:
        return 1 * GridRows + 6;
    default:
        return -1;
    }
}

void applyGridShape(std::array<QString, GridCells>& grid, LabelType kind, int style) {
    if (kind != LabelType::Spine) return;
    const int unused = unusedGridCell(kind, style);
    for (const int cell : {1 * GridRows + 6, 1 * GridRows + 7})
        if (cell != unused && grid[size_t(cell)] == notUsedMarker()) grid[size_t(cell)].clear();
    if (unused >= 0) grid[size_t(unused)] = notUsedMarker();
}

LabelDimensions stockDimensions(int code, const ProgramSettings& program) {
    if (code >= 1 && code <= 8) return kStocks[code - 1];
    return kindOfCode(code) == LabelType::Face ? program.face : program.spine;
}

int maxPositions(LabelType kind) {
    return kind == LabelType::Face ? MaxFacePositions : MaxSpinePositions;
}

int positionCount(int code, const LabelDimensions& dims) {
    return std::clamp(dims.count, 0, maxPositions(kindOfCode(code)));
}

int gridCellOfPosition(int n) {
    return ((n - 1) % GridColumns) * GridRows + (n - 1) / GridColumns;
}

QStringList positionMediaNumbers(int code, const LabelDimensions& dims,
                                 const std::array<QString, GridCells>& grid) {
    QStringList numbers;
    const int count = positionCount(code, dims);
    for (int n = 1; n <= count; ++n)
        numbers << positionMediaNumber(grid[size_t(gridCellOfPosition(n))]);
    return numbers;
}

bool anyMediaNumber(const QStringList& mediaNumbers) {
    return std::any_of(mediaNumbers.begin(), mediaNumbers.end(),
                       [](const QString& m) { return !m.isEmpty(); });
}

LabelOrigin labelOrigin(LabelType kind, const LabelDimensions& dims, int n) {
    if (kind == LabelType::Face) {
        const int column = (n - 1) % 2, row = (n - 1) / 2;
        return {dims.leftMargin + column * (dims.width + dims.gap), dims.topMargin + row * dims.height};
    }
    return {dims.leftMargin, dims.topMargin + (n - 1) * (dims.height + dims.gap)};
}

SheetPage sheetPage(int code, const LabelDimensions& dims) {
    const LabelType kind = kindOfCode(code);
    const int count = std::max(1, positionCount(code, dims));
    const int rows = kind == LabelType::Face ? (count + 1) / 2 : count;
    const double right =
        dims.leftMargin + (kind == LabelType::Face && count > 1 ? 2 * dims.width + dims.gap : dims.width);
    const LabelOrigin last = labelOrigin(kind, dims, kind == LabelType::Face ? rows * 2 - 1 : rows);
    const double bottom = last.y + dims.height;
    const bool fitsLetter = right <= LetterWidth + 1e-9 && bottom <= LetterHeight + 1e-9;
    if (code == 3 || code == 4 || !fitsLetter) return {true, A4Width, A4Height};
    return {};
}

LabelItems labelItems(const DatabaseSettings& s) {
    return {s.labelTitle,        s.labelRating,   s.labelStartCounter, s.labelStopCounter,
            s.labelYearReleased, s.labelPlayTime, s.labelCategory,     s.labelMediaNumber};
}

void setLabelItems(DatabaseSettings& s, const LabelItems& items) {
    s.labelTitle = items.title;
    s.labelRating = items.rating;
    s.labelStartCounter = items.startCounter;
    s.labelStopCounter = items.stopCounter;
    s.labelYearReleased = items.year;
    s.labelPlayTime = items.playTime;
    s.labelCategory = items.category;
    s.labelMediaNumber = items.mediaNumber;
}

QString noItemsMessage() {
    return QStringLiteral("No items are selected for print.  Please select printing criteria via the "
                          "\"Options\" button.");
}

QString noMediaNumbersMessage() {
    return QStringLiteral("No media numbers have been entered.  Please enter/choose some media numbers.");
}

} // namespace reports
