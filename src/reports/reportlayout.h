#pragma once
// A report layout: how wide a report is, its fonts, title lines, options and margins, up to 12
// printed lines per video record and the totals line. Each line is a row of 20 entries: empty
// space (a filler), constant text (a label) or a catalogue field (a total item in the totals line).
//
// On disk a layout is a record of 20,622 bytes, little-endian, strings as a length byte followed by
// their full width of Windows-1252 characters (unused bytes zero):
//
//     0  name string[30]            338  column headers, page numbers, landscape, date on pages,
//    31  width int16                       use totals (one byte each)
//    33  five 61-byte font records  343  lines per record int16
//        (titles, column headers,   345  totals line, 20 entries of 75 bytes
//        body, unused, footnotes)  1845  top, bottom, left, right margin float64 (inches)
//                                  1877  vertical lines, 1878 horizontal lines
//                                  1879  three title lines string[80]
//                                  2122  12 body lines of 20 entries
//                                 20122  group by level 1, 20123 group by level 2, then 498 zeros
//
// Font record: name string[50], size int16, bold, italic, underline, strikeout, colour int32 (RGB
// in the low three bytes, red lowest). Entry: kind string[30] ("<FILLER>", "<LABEL>" or the field
// name), slot uint8, width int16, label text string[40].
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>

namespace reports {

constexpr int LayoutRecordSize = 20622;
constexpr int FontRecordSize = 61;
constexpr int EntrySize = 75;
constexpr int EntriesPerLine = 20;
constexpr int LineSize = EntriesPerLine * EntrySize; // 1500
constexpr int MaxBodyLines = 12;

// Field offsets of the layout record.
namespace offset {
constexpr int Name = 0;
constexpr int Width = 31;
constexpr int Fonts = 33;
constexpr int ColumnHeaders = 338;
constexpr int PageNumbers = 339;
constexpr int Landscape = 340;
constexpr int DateOnPages = 341;
constexpr int UseTotals = 342;
constexpr int LinesPerRecord = 343;
constexpr int TotalsLine = 345;
constexpr int TopMargin = 1845;
constexpr int BottomMargin = 1853;
constexpr int LeftMargin = 1861;
constexpr int RightMargin = 1869;
constexpr int VerticalLines = 1877;
constexpr int HorizontalLines = 1878;
constexpr int Titles = 1879; // 81 bytes each
constexpr int BodyLines = 2122;
constexpr int GroupLevel1 = 20122;
constexpr int GroupLevel2 = 20123;
constexpr int Reserved = 20124;
} // namespace offset

// Longest texts of the record, in characters.
constexpr int MaxNameLength = 30;
constexpr int MaxFontNameLength = 50;
constexpr int MaxKindLength = 30;
constexpr int MaxLabelLength = 40;
constexpr int MaxTitleLength = 80;

struct LayoutFont {
    QString name = QStringLiteral("Arial");
    int size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    qint32 color = 0; // 0x00BBGGRR

    // "Arial 8pt", as the designer shows a font.
    QString description() const;
    bool operator==(const LayoutFont&) const = default;
};

// The five font records in their order in the record.
enum FontRole { TitlesFont = 0, ColumnHeaderFont = 1, BodyFont = 2, UnusedFont = 3, FootnoteFont = 4 };
constexpr int FontCount = 5;

inline const QString FillerKind = QStringLiteral("<FILLER>");
inline const QString LabelKind = QStringLiteral("<LABEL>");

struct LayoutEntry {
    QString kind = FillerKind; // "<FILLER>", "<LABEL>" or a field name
    int slot = 0;              // field entries: slot 1..40 (body) or total item 1..3 (totals line)
    int width = 0;             // characters; below 1 ends the line
    QString label;             // label entries: the constant text

    bool isFiller() const { return kind == FillerKind; }
    bool isLabel() const { return kind == LabelKind; }
    bool isField() const { return !isFiller() && !isLabel(); }

    static LayoutEntry filler(int width);
    static LayoutEntry text(const QString& label, int width);
    static LayoutEntry field(int slot, int width);     // a catalogue field by slot number
    static LayoutEntry totalItem(int item, int width); // 1 Quantity, 2 List Price, 3 Purchase Price

    bool operator==(const LayoutEntry&) const = default;
};

using LayoutLine = std::array<LayoutEntry, EntriesPerLine>;

// The number of entries that make up the line: those before the first entry whose width is below 1.
int usedEntries(const LayoutLine& line);
// The sum of the widths of the used entries.
int usedWidth(const LayoutLine& line);

// Makes the line exactly reportWidth characters wide, as the designer keeps every edited line:
// from entry 1 on, an entry of width below 1 takes the full report width, until the widths reach
// the report width or entry 20; that last entry is narrowed (or, at entry 20, widened) so that the
// sum is exactly the report width, and every entry after it gets width 0. Returns the index of the
// last entry of the line.
int fitLine(LayoutLine& line, int reportWidth);

// The total items of the totals line, in order ("Quantity", "List Price", "Purchase Price").
QString totalItemName(int item);       // 1..3, else ""
int totalItemByName(QStringView name); // ignoring letter case; 0 when none
constexpr int TotalItemCount = 3;

// The 20 entries of a line stored at the given offset of a record (layout or older layout record).
LayoutLine readLine(QByteArrayView record, int at);

// A line of a report width's filler followed by fillers of width 0.
LayoutLine blankLine(int width);

struct ReportLayout {
    QString name;
    int width = 90;
    std::array<LayoutFont, FontCount> fonts;
    bool columnHeaders = true;
    bool pageNumbers = true;
    bool landscape = false;
    bool dateOnPages = true;
    bool useTotals = true;
    int linesPerRecord = 1;
    LayoutLine totals;
    double topMargin = 0.5;
    double bottomMargin = 0.5;
    double leftMargin = 0.5;
    double rightMargin = 0.5;
    bool verticalLines = true;
    bool horizontalLines = true;
    std::array<QString, 3> titles;
    std::array<LayoutLine, MaxBodyLines> body;
    bool groupLevel1 = true;
    bool groupLevel2 = false;

    // The layout a new report starts from: width 90, one line, Courier New 10 (bold but for the
    // body and the unused font), every line a single 150-wide filler.
    static ReportLayout newLayout();

    // The record bytes; texts longer than their field are cut at its width.
    QByteArray toBytes() const;
    // Reads a record of at least LayoutRecordSize bytes (only the first LayoutRecordSize count). A
    // length byte larger than its field reads as the full field; any non-zero flag byte as true.
    static ReportLayout fromBytes(QByteArrayView record);

    // Switching the report width as the designer does: every body line up to the lines per record
    // is fitted to the new width (the totals line and later lines are left as they are), and the
    // body font size becomes 10 points for 90 characters, 8 for 120 and 6 for 150.
    void switchWidth(int newWidth);

    bool operator==(const ReportLayout&) const = default;
};

// The body font size that goes with a report width (10, 8 or 6).
int bodyFontSizeForWidth(int width);

// Reads an integer as the designer's edit boxes do: leading blanks skipped, an optional sign, then
// digits up to the first other character. complete is set when the whole text (trailing blanks
// aside) was one such number with at least one digit. Values beyond the int range are clamped.
int readInteger(QStringView text, bool* complete = nullptr);

} // namespace reports
