#include "editor/recordprint.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

#include "base/printjob.h"

namespace {

QFont printFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

QString RecordPrint::line(const QString& displayName, const QString& value) {
    return displayName + QStringLiteral(": ") + value;
}

RecordPrint::Geometry RecordPrint::geometry(QPagedPaintDevice& device) {
    Geometry g;
    g.left = device.width() / 17;
    g.top = device.height() / 22;
    const QFontMetrics metrics(printFont(), &device);
    // The height of a text line is the font's height, whatever letters the text holds.
    g.step = static_cast<int>(
        std::lround(metrics.size(Qt::TextSingleLine, QStringLiteral("ABCDEWjky")).height() * 1.1));
    return g;
}

bool RecordPrint::print(QPagedPaintDevice& device, int copies) const {
    if (copies < 1) copies = 1;
    const PrintJob job;
    QPainter painter;
    if (!painter.begin(&device)) return false;
    painter.setFont(printFont());
    const Geometry g = geometry(device);
    const int ascent = painter.fontMetrics().ascent();
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0) device.newPage();
        for (int n = 0; n < lines_.size(); ++n)
            painter.drawText(g.left, g.top + n * g.step + ascent, lines_[n]);
    }
    return painter.end();
}
