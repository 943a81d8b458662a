#include "render/pagestore.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace render {

void useDevicePoints(QPainter& painter) {
    const QPaintDevice* device = painter.device();
    if (!device) return;
    painter.scale(device->logicalDpiX() / 72.0, device->logicalDpiY() / 72.0);
}

double fontSizeForPointUnits(double points, int deviceDpi) {
    return deviceDpi > 0 ? points * 72.0 / deviceDpi : points;
}

bool printPages(const PageSource& source, QPagedPaintDevice& device, int first, int last, int copies,
                QString* error) {
    first = std::max(first, 0);
    last = std::min(last, source.pageCount() - 1);
    copies = std::max(copies, 1);
    auto layoutFor = [&](int page) {
        const QSizeF size = source.pageSize(page);
        const bool wide = size.width() > size.height();
        const QSizeF portrait = wide ? size.transposed() : size;
        return QPageLayout(QPageSize(portrait, QPageSize::Point),
                           wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                           QPageLayout::Point);
    };
    if (first <= last) device.setPageLayout(layoutFor(first));
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("The pages could not be printed: the printer or file refused them.");
        return false;
    }
    bool firstPage = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = first; page <= last; ++page) {
            if (!firstPage) {
                device.setPageLayout(layoutFor(page));
                if (!device.newPage()) {
                    painter.end();
                    if (error) *error = QStringLiteral("The printer or file refused a new page.");
                    return false;
                }
            }
            firstPage = false;
            painter.save();
            useDevicePoints(painter);
            source.paintPage(page, painter);
            painter.restore();
        }
    }
    return painter.end();
}

PageStore::PageStore(QSizeF pageSize) : size_(pageSize) {}

PageStore::Page& PageStore::addPage() {
    pages_.emplace_back();
    return pages_.back();
}

int PageStore::fontNumber(const QFont& font) {
    const int found = int(fonts_.indexOf(font));
    if (found >= 0) return found;
    fonts_.append(font);
    return int(fonts_.size()) - 1;
}

void PageStore::addText(Page& page, float x, float baseline, const QString& text, int font, QColor color) {
    if (text.isEmpty()) return;
    Text t;
    t.x = x;
    t.y = baseline;
    t.offset = std::uint32_t(page.chars.size());
    t.length = std::uint16_t(std::min<qsizetype>(text.size(), 0xffff));
    t.font = std::uint16_t(font);
    t.color = color.rgba();
    page.chars.append(QStringView(text).left(t.length));
    page.texts.push_back(t);
}

void PageStore::addLine(Page& page, float x1, float y1, float x2, float y2) {
    page.lines.push_back({x1, y1, x2, y2});
}

void PageStore::paintPage(int n, QPainter& painter, const PaintOptions& options) const {
    if (n < 0 || n >= pageCount()) return;
    const Page& page = pages_[std::size_t(n)];
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPen pen(Qt::black);
    pen.setWidthF(0.5);
    painter.setPen(pen);
    for (const Line& l : page.lines)
        painter.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    int shownFont = -1;
    QRgb shownColor = 0;
    bool colorSet = false;
    for (const Text& t : page.texts) {
        if (t.font != shownFont) {
            QFont f = fonts_[t.font];
            f.setPointSizeF(fontSizeForPointUnits(f.pointSizeF(), dpi));
            painter.setFont(f);
            shownFont = t.font;
        }
        const QRgb color = options.monochrome ? qRgb(0, 0, 0) : t.color;
        if (!colorSet || color != shownColor) {
            painter.setPen(QColor::fromRgba(color));
            shownColor = color;
            colorSet = true;
        }
        painter.drawText(QPointF(t.x, t.y), page.chars.mid(t.offset, t.length));
    }
    painter.restore();
}

void PageStore::release(int n) {
    if (n < 0 || n >= pageCount()) return;
    pages_[std::size_t(n)] = Page();
}

QStringList PageStore::pageTexts(int n) const {
    QStringList out;
    if (n < 0 || n >= pageCount()) return out;
    const Page& page = pages_[std::size_t(n)];
    for (const Text& t : page.texts)
        out << page.chars.mid(t.offset, t.length);
    return out;
}

std::size_t PageStore::memoryUse() const {
    std::size_t bytes = pages_.capacity() * sizeof(Page);
    for (const Page& p : pages_)
        bytes += p.texts.capacity() * sizeof(Text) + p.lines.capacity() * sizeof(Line) +
                 std::size_t(p.chars.capacity()) * sizeof(QChar);
    return bytes;
}

} // namespace render
