#pragma once
// One sheet of face or spine labels: the collecting pass that finds the videos of each position's
// media number, the layout of every label as data (lines and cells in inches), and the drawing of
// that layout through the page engine into pages for the preview, a printer or a PDF file.
#include <QColor>
#include <QFont>
#include <QList>
#include <QPainter> // complete for the engine header's inline page sink
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "render/renderer.h"

#include "reports/labelstock.h"

namespace dbase {
class Table;
}

namespace reports {

// The videos one label can show.
constexpr int MaxLabelMatches = 6;

// One video on a label: the catalogue fields a label prints.
struct LabelMatch {
    QString title;        // Title, at most 60 characters
    QString rating;       // Rating, 15
    QString mediaNumber;  // MediaNum, 10
    QString counterStart; // CounterSta, 8
    QString counterStop;  // CounterSto, 8
    QString year;         // Year, 4
    QString playTime;     // RunTime, 3
    QString category;     // Category, 20
    bool operator==(const LabelMatch&) const = default;
};

// One position of the sheet: its media number and the videos found for it.
struct LabelPosition {
    QString mediaNumber;
    QList<LabelMatch> matches;
};

// The collecting pass: walks the table from its first record (as its cursor and filter give
// them) and gives every position with a media number the records whose MediaNum equals it
// exactly, at most six in table order, then sorted by counter start text, larger first (equal
// texts keep their order). The table's cursor returns to the record it was on.
QList<LabelPosition> collectLabels(dbase::Table& table, const QStringList& mediaNumbers);
// The order of the matches of one position.
void sortMatches(QList<LabelMatch>& matches);

// Text measures the layout needs, in inches, for the label font at a point size.
class LabelMetrics {
public:
    virtual ~LabelMetrics() = default;
    virtual double lineHeight(int pointSize) const = 0;
    virtual double textWidth(const QString& text, int pointSize) const = 0;
};

// The measures of the page engine for a font: a sheet laid out with them prints as the engine
// draws it, the same in the preview, on paper and in a PDF.
class EngineLabelMetrics : public LabelMetrics {
public:
    explicit EngineLabelMetrics(const QFont& font, int layoutDpi = 1200);
    ~EngineLabelMetrics() override;
    double lineHeight(int pointSize) const override;
    double textWidth(const QString& text, int pointSize) const override;

private:
    void use(int pointSize) const;
    QFont font_;
    std::unique_ptr<render::Renderer> renderer_;
    mutable int size_ = -1;
};

// What a label prints keeps this distance from the label's edges, so that a sheet fed a little
// off its place still prints every text on its own label.
constexpr double LabelInset = 0.03;
// Every cell has this inner margin on both sides; its text is shortened to the rest.
constexpr double LabelCellMargin = 0.02;

// A cell of a label line, in inches from the page's top left. An item that is off is a cell of
// width 0 with no text.
struct LabelCell {
    double x = 0;
    double width = 0;
    Qt::Alignment align = Qt::AlignLeft;
    QString text;
};
struct LabelLine {
    double y = 0; // top of the line
    double height = 0;
    int pointSize = 10;
    std::vector<LabelCell> cells;
};
// One label with its lines. Lines that would run past the label's bottom edge are left off (they
// would print on the next label): droppedLines counts them.
struct LabelBox {
    int position = 0; // 1-based
    LabelOrigin origin;
    double width = 0;
    double height = 0;
    std::vector<LabelLine> lines;
    int droppedLines = 0;
};
struct LabelSheet {
    int code = 1;
    LabelType kind = LabelType::Face;
    LabelDimensions dims;
    SheetPage page;
    std::vector<LabelBox> labels; // positions with at least one match, in position order
};

// Font sizes by the number of matches (compact layouts) and the fixed sizes.
int faceFontSize(int matches);
int spineFontSize(int matches);
// The spine's media number cell: the smallest multiple of 0.1 inch (from 0.1) its text fits in.
double spineMediaCellWidth(const QString& mediaNumber, const LabelMetrics& metrics, double labelWidth);

LabelSheet layoutLabelSheet(int code, const LabelDimensions& dims, const QList<LabelPosition>& positions,
                            const LabelItems& items, const LabelMetrics& metrics);

// The label font of the database settings (section Report Label Font), size limited to 10.
QFont labelFont(const FontSetting& setting);
QColor labelFontColor(const FontSetting& setting);

// Prints the sheet's lines on the engine's current page, each cell at its place.
void printLabelSheet(render::Renderer& renderer, const LabelSheet& sheet, const QFont& font,
                     const QColor& color);

// The page of a sheet in points, for the engine.
QSizeF sheetPagePoints(const SheetPage& page);

// What one label run prints.
struct LabelRequest {
    int code = 1;
    LabelDimensions dims;
    QStringList mediaNumbers; // per position
    LabelItems items;
    QFont font;
    QColor color = Qt::black;
    int layoutDpi = 1200; // the resolution the text is measured at: the printer's, or the engine's
};

// The label run's page events: before the run the collecting pass over the table (as its cursor
// and filter give the records), then one page with the sheet. status (when given) receives what
// the run is doing.
class LabelPrinting : public render::PageEvents {
public:
    LabelPrinting(dbase::Table& table, LabelRequest request, std::function<void(const QString&)> status = {});
    void beforeRun(render::Renderer& renderer) override;
    bool pageBody(render::Renderer& renderer) override;
    const QList<LabelPosition>& positions() const { return positions_; }
    const LabelSheet& sheet() const { return sheet_; }

private:
    dbase::Table& table_;
    LabelRequest request_;
    std::function<void(const QString&)> status_;
    QList<LabelPosition> positions_;
    LabelSheet sheet_;
};

// Runs one sheet into a page store (one page). false when the run was aborted.
bool runLabelSheet(dbase::Table& table, const LabelRequest& request, render::PageStore& store);

// Writes one sheet to a PDF file. false with a reason when the file cannot be written.
bool writeLabelSheetPdf(dbase::Table& table, const LabelRequest& request, const QString& path,
                        QString* error = nullptr);

} // namespace reports
