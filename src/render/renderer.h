#pragma once
// The page engine of reports and labels. It lays out pages in inches and points and keeps them in
// a PageStore; a run calls the five events of a PageEvents object (before the run, then per page
// header, body and footer, after the run) until the body says no more pages follow or the run is
// aborted. Every page, as it is finished, is also handed to the page sink when there is one (a
// printer or a PDF file gets its pages as they are made and the store drops them).
//
// Text is measured with the metrics of the device the pages are laid out for (its resolution, the
// fonts drawn without hinting), so that a page looks the same in the preview, on paper and in a PDF.
//
// Within a page the engine has a current section (a band of the page between two heights), a
// current line (its top) and a font; a line is as high as the font's line spacing. Text goes into
// cells, the tab stops of the line: each cell has a width, a justification, box lines and an inner
// margin; a text wider than its cell is shortened from its end (and uses the margins when it
// needs them).
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

class QPagedPaintDevice;
#include <functional>
#include <memory>
#include <vector>

#include "render/pagestore.h"

namespace render {

enum class Justify { Left, Centre, Right };

enum BoxLine { NoLines = 0, LeftLine = 1, RightLine = 2, TopLine = 4, BottomLine = 8, AllLines = 15 };

struct Cell {
    double width = 1.0; // inches
    Justify justify = Justify::Left;
    int lines = NoLines;  // BoxLine flags
    double margin = 0.02; // inches, inside each side
    double left = -1;     // inches from the page's left edge; below 0: right after the previous cell
};

class Renderer;

class PageEvents {
public:
    virtual ~PageEvents() = default;
    virtual void beforeRun(Renderer&) {}
    virtual void pageHeader(Renderer&) {}
    // Fills the body of the page; returns whether more pages follow.
    virtual bool pageBody(Renderer&) = 0;
    virtual void pageFooter(Renderer&) {}
    virtual void afterRun(Renderer&) {}
};

// Receives each finished page (and may drop it from the store).
class PageSink {
public:
    virtual ~PageSink() = default;
    // Returns false to abort the run (the device failed).
    virtual bool pageFinished(PageStore& store, int page) = 0;
};

// Paints each finished page onto a device at once and drops it from the store, so that printing
// a long report holds one page at a time.
class DeviceSink : public PageSink {
public:
    explicit DeviceSink(QPagedPaintDevice& device) : device_(device) {}
    ~DeviceSink() override;
    bool pageFinished(PageStore& store, int page) override;
    // Ends the output; false with a message when the device refused a page or the end.
    bool finish(QString* error = nullptr);
    int pagesPrinted() const { return printed_; }

private:
    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    int printed_ = 0;
    bool failed_ = false;
};

class Renderer {
public:
    // Pages of the given size in points (portrait), laid out for a device of the given resolution.
    explicit Renderer(QSizeF portraitPoints = QSizeF(612, 792), int layoutDpi = 1200);

    // Page geometry. Orientation and size take effect at the next run.
    void setLandscape(bool on) { landscape_ = on; }
    bool landscape() const { return landscape_; }
    void setPaperSize(QSizeF portraitPoints) { paper_ = portraitPoints; }
    double pageWidth() const;  // inches, as oriented
    double pageHeight() const; // inches, as oriented
    void setMargins(double top, double bottom, double left, double right);
    double topMargin() const { return top_; }
    double bottomMargin() const { return bottom_; }
    double leftMargin() const { return left_; }
    double rightMargin() const { return right_; }

    // Drawing on or off: off, lines still advance and pages still count but nothing is kept (the
    // text file mode of reports lays pages out only to know where they break).
    void setDrawing(bool on) { drawing_ = on; }
    bool drawing() const { return drawing_; }

    // Sections: the band between top and bottom (inches from the top of the page).
    void setSection(double top, double bottom);
    void goToSectionTop();
    double sectionTop() const { return sectionTop_; }
    double sectionBottom() const { return sectionBottom_; }
    double currentY() const { return y_ / 72.0; } // inches, top of the current line

    // Fonts: size in points; colour as drawn.
    void setFont(const QFont& font, QColor color = Qt::black);
    const QFont& font() const { return font_; }
    double lineHeight() const; // inches
    double textHeight() const; // inches: the font's ascent plus descent, without the leading
    int layoutDpi() const { return dpi_; }
    // Width of a text in the current font, inches.
    double textWidth(const QString& text) const;
    // Text cut from its end until it is no wider than width inches in the current font.
    QString fitText(const QString& text, double width) const;

    // Cells of the current line.
    void clearCells() { cells_.clear(); }
    void addCell(const Cell& cell);
    int cellCount() const { return int(cells_.size()); }
    double cellWidth(int n) const; // inches; 0 for no such cell
    double cellLeft(int n) const;  // inches from the page's left edge
    // Prints text into the next cell of the line (the first after a new line).
    void printCell(const QString& text);
    // Prints text centred on x (inches from the page's left edge) on the current line.
    void printCentred(const QString& text, double x);
    // Prints text at the left, centre or right of the current section between the margins, on its
    // first line.
    void printInSection(const QString& text, Justify where);
    // Ends the line: the next line starts below it and its cells start again at the first.
    void newLine();
    // Whole lines of the current font left between the current line and the section's bottom.
    int linesLeft() const;

    int pageNumber() const { return page_; } // 1-based, 0 before the first page

    // Status: the format's "%p" is replaced by the page number and "%0", "%1" by the two status
    // lines; the callback gets the text at the start of each page. It may process events (a
    // cancel button) and call abort().
    void setStatusFormat(const QString& format) { statusFormat_ = format; }
    void setStatusLine(int n, const QString& text);
    void setStatusCallback(std::function<void(const QString&)> callback) { status_ = std::move(callback); }
    QString statusText() const;

    void abort() { aborted_ = true; }
    bool aborted() const { return aborted_; }

    // Runs the events over pages kept in the store (cleared first, sized as oriented). sink gets
    // each page when it is finished. Returns false when the run was aborted.
    bool run(PageEvents& events, PageStore& store, PageSink* sink = nullptr);

private:
    struct Metrics {
        double ascent = 0, lineSpacing = 0; // points
    };
    double measure(const QString& text) const; // points
    void emitStatus();
    QFont drawingFont(const QFont& font) const;

    QSizeF paper_;
    int dpi_;
    bool landscape_ = false;
    double top_ = 0.5, bottom_ = 0.5, left_ = 0.5, right_ = 0.5;
    bool drawing_ = true;
    double sectionTop_ = 0, sectionBottom_ = 11;
    double y_ = 0; // points
    QFont font_;
    QColor color_ = Qt::black;
    int fontNumber_ = -1;
    std::unique_ptr<QFontMetricsF> metrics_;
    std::vector<Cell> cells_;
    int nextCell_ = 0;
    int page_ = 0;
    QString statusFormat_;
    QString statusLines_[2];
    std::function<void(const QString&)> status_;
    bool aborted_ = false;
    PageStore* store_ = nullptr;
    PageStore::Page* current_ = nullptr;
};

} // namespace render
