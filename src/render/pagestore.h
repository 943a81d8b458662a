#pragma once
// Finished pages kept in memory: the text and lines of each page in points, replayable on any
// device (the preview, a printer, a PDF file) as often as wanted. Texts of a page share one
// character buffer and fonts are kept once per store, so a page of a long report costs a few
// kilobytes.
#include <QColor>
#include <QFont>
#include <QList>
#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <vector>

#include "render/pagesource.h"

namespace render {

class PageStore : public PageSource {
public:
    struct Text {
        float x = 0, y = 0; // baseline start, points
        std::uint32_t offset = 0;
        std::uint16_t length = 0;
        std::uint16_t font = 0;
        QRgb color = 0xff000000;
    };
    struct Line {
        float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    };
    struct Page {
        std::vector<Text> texts;
        std::vector<Line> lines;
        QString chars;
    };

    // pageSize in points, as printed (a landscape page is wider than high).
    explicit PageStore(QSizeF pageSize = QSizeF(612, 792));

    int pageCount() const override { return int(pages_.size()); }
    QSizeF pageSize(int) const override { return size_; }
    QSizeF pageSize() const { return size_; }
    void paintPage(int page, QPainter& painter, const PaintOptions& options = {}) const override;

    // Building pages: a new empty page becomes the last one.
    Page& addPage();
    // The number of a font (fonts equal to an earlier one share its number).
    int fontNumber(const QFont& font);
    const QFont& font(int number) const { return fonts_[number]; }
    void addText(Page& page, float x, float baseline, const QString& text, int font, QColor color);
    static void addLine(Page& page, float x1, float y1, float x2, float y2);

    const Page& page(int n) const { return pages_[n]; }
    // Texts of a page in drawing order, for tests and text dumps.
    QStringList pageTexts(int n) const;
    // Bytes held by the pages (texts, lines, characters), a measure for the benchmark.
    std::size_t memoryUse() const;

    void clear() { pages_.clear(); }
    // Drops what page n holds (it stays in the count and paints nothing).
    void release(int n);

private:
    QSizeF size_;
    std::vector<Page> pages_;
    QList<QFont> fonts_;
};

} // namespace render
