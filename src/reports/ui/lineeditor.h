#pragma once
// The line editor ("Specify Report Layout"): a drawing of the layout's body lines and its totals
// line, one box per entry, as wide as its share of the report width. Clicking an entry opens the
// entry editor for it. The editor works on its own copy of the layout; Ok hands the lines back.
#include <QWidget>

#include "reports/reportlayout.h"
#include "widgets/dialogbase.h"

class QLabel;
class QPushButton;

namespace reports {

// The drawing: body lines from the top, the totals line below them.
class LayoutDrawing : public QWidget {
    Q_OBJECT
public:
    // Size at scale 1: the drawing area is 625 pixels wide, each line 20 high.
    static constexpr int DesignWidth = 625;
    static constexpr int DesignHeight = 320;

    LayoutDrawing(const ReportLayout& layout, QWidget* parent = nullptr);
    QSize sizeHint() const override { return minimumSize(); }

    void setReportWidth(int width) {
        reportWidth_ = width;
        update();
    }
    void setShowTotals(bool on) {
        showTotals_ = on;
        update();
    }
    void setScale(double scale) {
        scale_ = scale;
        update();
    }
    void setDisplayNames(const QStringList& names) {
        displayNames_ = names;
        update();
    }

    // The box of an entry (0-based) of a line (1..12, or 100 for the totals line); empty when the
    // line is not drawn or the entry is not part of it.
    QRect entryRect(int line, int entry) const;
    // The line and entry under a point; {0, -1} when none.
    std::pair<int, int> entryAt(QPoint p) const;
    // The text an entry shows in its box (before shortening to fit).
    QString entryText(const LayoutEntry& e, bool totals) const;

signals:
    void entryClicked(int line, int entry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect rowRect(int line) const;
    const LayoutLine* lineOf(int line) const;
    // Right edges of the line's boxes, one per drawn entry.
    std::vector<int> rightEdges(const LayoutLine& line, const QRect& row) const;

    const ReportLayout& layout_;
    QStringList displayNames_;
    int reportWidth_ = 90;
    bool showTotals_ = true;
    double scale_ = 1.0;
    std::pair<int, int> pressed_{0, -1};
};

class LineEditor : public DialogBase {
    Q_OBJECT
public:
    // reportWidth and useTotals: as the definition window shows them now.
    LineEditor(Session& session, const ReportLayout& layout, int reportWidth, bool useTotals,
               QWidget* parent = nullptr);

    // The edited copy.
    const ReportLayout& layout() const { return copy_; }
    LayoutDrawing* drawing() const { return drawing_; }
    QLabel* reportCaption() const { return caption_; }
    QPushButton* okButton() const { return ok_; }

    // Opens the entry editor for an entry (line 1..12, or 100 for the totals line).
    void editEntry(int line, int entry);

protected:
    void showEvent(QShowEvent* event) override;

private:
    Session& session_;
    ReportLayout copy_;
    int reportWidth_;
    LayoutDrawing* drawing_;
    QLabel* caption_;
    QPushButton* ok_;
};

} // namespace reports
