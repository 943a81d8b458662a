#pragma once
// The printed record of the record editor: one page per copy, each page the lines of the record
// ("Title: Casablanca" and so on) in Arial 10, starting a seventeenth of the page width from the
// left and a twenty-second of the page height from the top, one line below the other at 1.1 times
// the height of the font. The pages are laid out by the page engine, so they print, preview and
// go into a PDF file as the reports do.
#include <QString>
#include <QStringList>

namespace render {
class Renderer;
class PageStore;
} // namespace render

class RecordPrint {
public:
    // Where the lines of a page go, in inches from the top-left corner of the page.
    struct Geometry {
        double left = 0; // x of every line
        double top = 0;  // top of line 0
        double step = 0; // distance from one line's top to the next
    };

    explicit RecordPrint(QStringList lines) : lines_(std::move(lines)) {}

    const QStringList& lines() const { return lines_; }

    // "Title: Casablanca": the field display name, ": " and the value.
    static QString line(const QString& displayName, const QString& value);

    // The layout for the renderer's page and resolution: left and top are whole device dots of
    // the layout resolution (a seventeenth of the page width, a twenty-second of its height);
    // step is the height of the print font times 1.1, rounded to whole dots.
    static Geometry geometry(render::Renderer& renderer);

    // Lays out copies pages (at least one), each holding every line, into the store. Lines that
    // would run past the bottom of the page are left off rather than drawn off the paper.
    void layOut(render::Renderer& renderer, render::PageStore& store, int copies = 1) const;

private:
    QStringList lines_;
};
