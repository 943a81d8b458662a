#include "editor/recordprint.h"

#include <QFont>
#include <cmath>

#include "render/renderer.h"

namespace {

QFont printFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

class RecordPages : public render::PageEvents {
public:
    RecordPages(const QStringList& lines, int copies) : lines_(lines), copies_(copies) {}

    void beforeRun(render::Renderer& r) override {
        r.setFont(printFont());
        g_ = RecordPrint::geometry(r);
        r.setMargins(0, 0, g_.left, 0);
    }

    bool pageBody(render::Renderer& r) override {
        for (int n = 0; n < lines_.size(); ++n) {
            const double top = g_.top + n * g_.step;
            if (top + r.textHeight() > r.pageHeight()) break;
            r.setSection(top, r.pageHeight());
            r.printInSection(lines_[n], render::Justify::Left);
        }
        return ++printed_ < copies_;
    }

private:
    const QStringList& lines_;
    int copies_;
    int printed_ = 0;
    RecordPrint::Geometry g_;
};

} // namespace

QString RecordPrint::line(const QString& displayName, const QString& value) {
    return displayName + QStringLiteral(": ") + value;
}

RecordPrint::Geometry RecordPrint::geometry(render::Renderer& renderer) {
    const QFont saved = renderer.font();
    renderer.setFont(printFont());
    const double dpi = renderer.layoutDpi();
    const auto width = static_cast<long>(std::lround(renderer.pageWidth() * dpi));
    const auto height = static_cast<long>(std::lround(renderer.pageHeight() * dpi));
    Geometry g;
    g.left = double(width / 17) / dpi;
    g.top = double(height / 22) / dpi;
    // The height of a text line is the font's height, whatever letters the text holds.
    g.step = double(std::lround(renderer.textHeight() * dpi * 1.1)) / dpi;
    renderer.setFont(saved);
    return g;
}

void RecordPrint::layOut(render::Renderer& renderer, render::PageStore& store, int copies) const {
    RecordPages pages(lines_, std::max(copies, 1));
    renderer.run(pages, store);
}
