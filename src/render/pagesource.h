#pragma once
// Pages that a preview shows and a printer prints: a report's pages in a page store, a sheet of
// labels. User coordinates of the painter are points (1/72 inch) from the top-left corner of the
// page; useDevicePoints() sets that up on a painter that is active on a device.
#include <QSizeF>

class QPainter;
class QPagedPaintDevice;

namespace render {

struct PaintOptions {
    bool monochrome = false; // every colour drawn as black
};

class PageSource {
public:
    virtual ~PageSource() = default;
    virtual int pageCount() const = 0;
    // The size of page n (0-based) in points; portrait or landscape as it is to be printed.
    virtual QSizeF pageSize(int page) const = 0;
    // Paints page n (0-based) in points (see above). A page out of range paints nothing.
    virtual void paintPage(int page, QPainter& painter, const PaintOptions& options = {}) const = 0;
};

// Scales the painter so that one unit is one point on its device.
void useDevicePoints(QPainter& painter);

// A font of the given size in points for a painter whose user units are points and whose device
// has the given logical resolution (fonts are sized by the device, units by the transform).
double fontSizeForPointUnits(double points, int deviceDpi);

// Prints pages first..last (0-based, inclusive, clamped to the source) copies times onto the
// device, each page sized and oriented as the source says. Returns false with a message in
// *error when painting cannot begin (the device refused, a PDF file that cannot be created).
bool printPages(const PageSource& source, QPagedPaintDevice& device, int first, int last, int copies = 1,
                QString* error = nullptr);

} // namespace render
