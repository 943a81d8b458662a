#include "reports/ui/lineeditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "reports/ui/entryeditor.h"

namespace reports {

namespace {
constexpr int RowHeight = 20;
constexpr int BodyTop = 20;    // below the "Report Body" heading
constexpr int TotalsTop = 300; // below the twelve body lines and the "Report Totals" heading
} // namespace

// ---- the drawing ------------------------------------------------------------------------

LayoutDrawing::LayoutDrawing(const ReportLayout& layout, QWidget* parent) : QWidget(parent), layout_(layout) {
    setObjectName(QStringLiteral("LayoutDrawing"));
    setMinimumSize(DesignWidth, DesignHeight);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

const LayoutLine* LayoutDrawing::lineOf(int line) const {
    if (line == EntryEditor::TotalsLineNumber) return showTotals_ ? &layout_.totals : nullptr;
    const int lines = std::clamp(layout_.linesPerRecord, 0, MaxBodyLines);
    if (line < 1 || line > lines) return nullptr;
    return &layout_.body[size_t(line - 1)];
}

QRect LayoutDrawing::rowRect(int line) const {
    const int top = line == EntryEditor::TotalsLineNumber ? TotalsTop : BodyTop + (line - 1) * RowHeight;
    return QRect(0, int(top * scale_), width(), int(RowHeight * scale_));
}

std::vector<int> LayoutDrawing::rightEdges(const LayoutLine& line, const QRect& row) const {
    std::vector<int> edges;
    const int used = usedEntries(line);
    const int w = reportWidth_ > 0 ? reportWidth_ : 90;
    long long sum = 0;
    for (int k = 0; k < used; ++k) {
        sum += line[size_t(k)].width;
        // The last box of a line reaches the right edge of the area.
        const bool last = k == used - 1;
        const int right = last
                              ? row.right()
                              : row.left() + int(std::min<long long>(sum * row.width() / w, row.width() - 1));
        edges.push_back(right);
    }
    return edges;
}

QRect LayoutDrawing::entryRect(int line, int entry) const {
    const LayoutLine* l = lineOf(line);
    if (!l) return {};
    const QRect row = rowRect(line);
    const std::vector<int> edges = rightEdges(*l, row);
    if (entry < 0 || entry >= int(edges.size())) return {};
    const int left = entry == 0 ? row.left() : edges[size_t(entry - 1)] + 1;
    return QRect(QPoint(left, row.top()), QPoint(edges[size_t(entry)], row.bottom()));
}

std::pair<int, int> LayoutDrawing::entryAt(QPoint p) const {
    std::vector<int> lines;
    for (int n = 1; n <= MaxBodyLines; ++n)
        lines.push_back(n);
    lines.push_back(EntryEditor::TotalsLineNumber);
    for (int line : lines) {
        const LayoutLine* l = lineOf(line);
        if (!l || !rowRect(line).contains(p)) continue;
        const std::vector<int> edges = rightEdges(*l, rowRect(line));
        for (size_t k = 0; k < edges.size(); ++k)
            if (p.x() <= edges[k]) return {line, int(k)};
    }
    return {0, -1};
}

QString LayoutDrawing::entryText(const LayoutEntry& e, bool totals) const {
    if (e.isFiller()) return QStringLiteral("Filler");
    if (e.isLabel()) return e.label;
    const int slot = totals ? 0 : slotByName(e.kind);
    if (slot > 0 && slot <= displayNames_.size()) return displayNames_[slot - 1];
    return e.kind;
}

void LayoutDrawing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8 * scale_);
    p.setFont(font);
    const QFontMetrics fm(font);

    const int lines = std::clamp(layout_.linesPerRecord, 0, MaxBodyLines);
    if (lines > 0)
        p.drawText(QRect(0, 0, width(), int(BodyTop * scale_)), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Report Body"));
    if (showTotals_)
        p.drawText(QRect(0, int((TotalsTop - BodyTop) * scale_), width(), int(BodyTop * scale_)),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Report Totals"));

    std::vector<int> drawn;
    for (int n = 1; n <= lines; ++n)
        drawn.push_back(n);
    if (showTotals_) drawn.push_back(EntryEditor::TotalsLineNumber);
    for (int line : drawn) {
        const LayoutLine& l = *lineOf(line);
        const bool totals = line == EntryEditor::TotalsLineNumber;
        for (int k = 0, used = usedEntries(l); k < used; ++k) {
            const QRect box = entryRect(line, k);
            const LayoutEntry& e = l[size_t(k)];
            p.setPen(Qt::black);
            p.drawRect(box.adjusted(0, 0, -1, -1));
            QColor colour = Qt::black;
            Qt::Alignment align = Qt::AlignLeft;
            if (e.isFiller()) {
                colour = Qt::darkGreen;
                align = Qt::AlignHCenter;
            } else if (e.isLabel()) {
                colour = Qt::red;
                align = Qt::AlignRight;
            }
            QString text = entryText(e, totals);
            const QRect inner = box.adjusted(2, 0, -2, 0);
            if (fm.horizontalAdvance(text) > inner.width()) {
                while (!text.isEmpty() && fm.horizontalAdvance(text) > inner.width())
                    text.chop(1);
                align = Qt::AlignLeft;
            }
            p.setPen(colour);
            p.drawText(inner, align | Qt::AlignVCenter, text);
        }
    }
}

void LayoutDrawing::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? entryAt(event->position().toPoint()) : std::pair{0, -1};
}

void LayoutDrawing::mouseReleaseEvent(QMouseEvent* event) {
    const std::pair<int, int> released = entryAt(event->position().toPoint());
    const std::pair<int, int> pressed = pressed_;
    pressed_ = {0, -1};
    if (event->button() == Qt::LeftButton && pressed.second >= 0 && released == pressed)
        emit entryClicked(pressed.first, pressed.second);
}

// ---- the window -------------------------------------------------------------------------

LineEditor::LineEditor(Session& session, const ReportLayout& layout, int reportWidth, bool useTotals,
                       QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), session_(session), copy_(layout),
      reportWidth_(reportWidth) {
    setObjectName(QStringLiteral("RepLayout"));
    setWindowTitle(QStringLiteral("Specify Report Layout"));

    auto* note =
        new QLabel(QStringLiteral("Using the left mouse button, click on the area where you would like to "
                                  "add or change the report layout."),
                   this);
    note->setWordWrap(true);
    caption_ = new QLabel(QStringLiteral("Report: ") + copy_.name, this);
    caption_->setObjectName(QStringLiteral("ReportCaption"));
    look::markMajorTitle(caption_);

    drawing_ = new LayoutDrawing(copy_, this);
    drawing_->setReportWidth(reportWidth);
    drawing_->setShowTotals(useTotals);
    QStringList names;
    for (int slot = 1; slot <= FieldCount; ++slot)
        names << session.displayName(slot);
    drawing_->setDisplayNames(names);
    connect(drawing_, &LayoutDrawing::entryClicked, this, &LineEditor::editEntry);

    ok_ = new QPushButton(QStringLiteral("&Ok"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(4, 6, 4, 6);
    main->addWidget(note);
    main->addWidget(caption_);
    main->addWidget(drawing_, 0, Qt::AlignHCenter);
    main->addLayout(buttons);
}

void LineEditor::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    drawing_->setScale(currentLook().scale > 0 ? currentLook().scale : 1.0);
}

void LineEditor::editEntry(int line, int entry) {
    LayoutLine& l = line == EntryEditor::TotalsLineNumber ? copy_.totals : copy_.body[size_t(line - 1)];
    EntryEditor editor(session_, l, line, entry, reportWidth_, this);
    editor.exec();
    drawing_->update();
}

} // namespace reports
