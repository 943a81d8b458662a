#pragma once
// The printed record of the record editor: one page per copy, each page the lines of the record
// ("Title: Casablanca" and so on) in Arial 10, starting a seventeenth of the printable width from
// the left and a twenty-second of the printable height from the top.
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

class RecordPrint {
public:
    // Where the lines of a page go on a device of the given printable size (device pixels).
    struct Geometry {
        int left = 0; // x of every line
        int top = 0;  // top of line 0
        int step = 0; // distance from one line's top to the next
    };

    explicit RecordPrint(QStringList lines) : lines_(std::move(lines)) {}

    const QStringList& lines() const { return lines_; }

    // "Title: Casablanca": the field display name, ": " and the value.
    static QString line(const QString& displayName, const QString& value);

    // The layout on a device; step is the height of "ABCDEWjky" in the print font times 1.1.
    static Geometry geometry(QPagedPaintDevice& device);

    // Paints copies pages (at least one) onto the device, a new page between copies.
    // Returns false when painting could not begin (the device refused, for example a PDF file that
    // cannot be created). It holds a PrintJob while it paints.
    bool print(QPagedPaintDevice& device, int copies) const;

private:
    QStringList lines_;
};
