#pragma once
// One run of a report layout over the records of the catalogue table (all of them, or the search
// result while the table's filter is on), in the table's order: the page header with the title
// lines, the body with optional column headers and box lines, grouping by the first one or two
// sort levels that name a field with a boxed heading per group and "TOTALS" after it, the final
// "TOTALS" and "GRAND TOTALS", and the page footer with "Page n" and the date.
//
// It draws through a render::Renderer, or in text file mode writes every line as plain text
// (Windows-1252, CR LF, a form feed ending each page) while the renderer lays the pages out
// without drawing, so pages break where they would on paper.
#include <QDate>
#include <QSaveFile>
#include <QString>
#include <array>
#include <memory>

#include "base/regional.h"
#include "catalogue/fieldslots.h"
#include "render/renderer.h"
#include "reports/reportlayout.h"

namespace dbase {
class Table;
}
class Session;

namespace reports {

// What a run reads besides the layout: the table (at whatever filter it has), the field display
// names, the sort levels and the display formats.
struct ReportSource {
    dbase::Table* table = nullptr;
    std::array<QString, FieldCount> displayNames;
    std::array<int, 4> sortLevels{};
    DateFormat dates;
    int numericFormat = USFormat;
    int currencyFormat = USFormat;
    RegionalValues regional;
    QDate today = QDate::currentDate();

    static ReportSource fromSession(Session& session);
};

class ReportRun : public render::PageEvents {
public:
    enum class Mode { Print = 1, Preview = 2, TextFile = 3 };
    enum class Outcome { Completed, Cancelled, Failed };

    ReportRun(const ReportLayout& layout, ReportSource source, Mode mode);
    ~ReportRun() override;

    // Text file mode: the file the lines go to (replaced when the run completes).
    void setTextFile(const QString& path) { textPath_ = path; }

    // Sets the renderer's margins and orientation from the layout, then runs it. Pages go to the
    // store (and to the sink when given). A failure (the text file cannot be written) gives
    // Failed and error().
    Outcome run(render::Renderer& renderer, render::PageStore& store, render::PageSink* sink = nullptr);
    QString error() const { return error_; }

    // The group fields found for the layout and sort levels (slot numbers, 0 none).
    int groupField1() const { return group1_; }
    int groupField2() const { return group2_; }

    // A field of the current record as a report prints it: C and D fields as text (dates in the
    // short date format), ListPrice and PurchPrice as money, Year as a plain number, RunTime as a
    // grouped number; a blank number prints nothing.
    static QString fieldValue(const dbase::Table& table, int slot, const ReportSource& source);

    // PageEvents.
    void beforeRun(render::Renderer& r) override;
    void pageHeader(render::Renderer& r) override;
    bool pageBody(render::Renderer& r) override;
    void pageFooter(render::Renderer& r) override;
    void afterRun(render::Renderer& r) override;

private:
    struct Totals {
        double count = 0, listPrice = 0, purchasePrice = 0;
    };
    bool textMode() const { return mode_ == Mode::TextFile; }
    QString value(int slot) const;
    void writeText(const QString& line);
    void writeLine(render::Renderer& r, const QString& line); // text mode: the file and one line
    void setBodyCells(render::Renderer& r, const LayoutLine& line, int lines) const;
    void setLineCells(render::Renderer& r, const LayoutLine& line, bool bodyJustify, int lines) const;
    double cellWidth(int entryWidth) const;
    QString entryText(const LayoutEntry& e, bool header) const;
    QString totalText(const LayoutEntry& e, const Totals& totals) const;
    QString textLine(const LayoutLine& line, const std::function<QString(const LayoutEntry&)>& valueOf) const;
    void printLine(render::Renderer& r, const LayoutLine& line,
                   const std::function<QString(const LayoutEntry&)>& valueOf);
    void printRecord(render::Renderer& r);
    void addToTotals();
    bool tryGroupFooter(render::Renderer& r);
    bool tryGroupHeading(render::Renderer& r);
    bool tryFinalTotals(render::Renderer& r);
    void printCaption(render::Renderer& r, const QString& caption);
    void printTotals(render::Renderer& r, const Totals& totals);
    QFont font(FontRole role, QColor* color) const;

    ReportLayout layout_;
    ReportSource source_;
    Mode mode_;
    QString textPath_;
    std::unique_ptr<QSaveFile> text_;
    QString error_;
    std::array<int, FieldCount + 1> fieldIndex_{};

    double printable_ = 7.5; // P, inches
    int boxLines_ = 0;
    int group1_ = 0, group2_ = 0;
    QString previous1_, previous2_;
    bool headingPending_ = false, footerPending_ = false, firstGroup_ = true;
    bool atEnd_ = false, finalDone_ = false;
    Totals group_, grand_;
    int progress_ = 0; // records, headings and totals printed so far
};

} // namespace reports
