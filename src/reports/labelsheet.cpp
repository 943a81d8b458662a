#include "reports/labelsheet.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "dbase/table.h"
#include "render/pagestore.h"

namespace reports {

namespace {

QString fieldOf(const dbase::Table& table, int field, int length) {
    return field < 0 ? QString() : QString::fromStdString(table.getText(field)).left(length);
}

// The cells of one line, placed one after another from x; no cell runs past right.
LabelLine makeLine(double y, double height, int pointSize, double x, double right,
                   std::initializer_list<LabelCell> cells) {
    LabelLine line{y, height, pointSize, {}};
    for (LabelCell c : cells) {
        c.x = x;
        c.width = std::clamp(c.width, 0.0, std::max(0.0, right - x));
        if (c.width <= 0) c.text.clear();
        x += c.width;
        line.cells.push_back(c);
    }
    return line;
}

// A value with a prefix or suffix; nothing at all when the value is empty.
QString decorated(const QString& prefix, const QString& value, const QString& suffix = QString()) {
    return value.isEmpty() ? QString() : prefix + value + suffix;
}

// Shortens the texts of the line from their ends until each fits its cell.
void shortenTexts(LabelLine& line, const LabelMetrics& metrics) {
    for (LabelCell& c : line.cells) {
        const double room = c.width - 2 * LabelCellMargin;
        while (!c.text.isEmpty() && metrics.textWidth(c.text, line.pointSize) > room)
            c.text.chop(1);
    }
}

class LabelBuilder {
public:
    LabelBuilder(LabelBox& box, const LabelMetrics& metrics) : box_(box), metrics_(metrics) {}
    double y = 0;
    void advance(int pointSize) { y += metrics_.lineHeight(pointSize); }
    // Adds the line at y and moves below it; a line that would end below the label is left off.
    void add(LabelLine line) {
        line.y = y;
        line.height = metrics_.lineHeight(line.pointSize);
        y += line.height;
        shortenTexts(line, metrics_);
        if (line.y + line.height > box_.origin.y + box_.height - LabelInset + 1e-9)
            ++box_.droppedLines;
        else
            box_.lines.push_back(std::move(line));
    }

private:
    LabelBox& box_;
    const LabelMetrics& metrics_;
};

double on(bool item, double width) {
    return item ? width : 0;
}

void layoutFace(LabelBox& box, const LabelPosition& p, const LabelItems& items, const LabelMetrics& m) {
    const double x = box.origin.x + LabelInset, w = box.width - 2 * LabelInset, right = x + w;
    LabelBuilder b(box, m);
    b.y = box.origin.y + LabelInset;
    b.advance(10);
    if (items.mediaNumber) b.add(makeLine(0, 0, 10, x, right, {{0, w, Qt::AlignHCenter, p.mediaNumber}}));
    const int count = int(p.matches.size());
    if (count == 1) {
        const LabelMatch& v = p.matches.first();
        constexpr int size = 11;
        b.advance(size);
        // The cells of each line are centred as a group on the label.
        auto centred = [&](std::initializer_list<LabelCell> cells) {
            double total = 0;
            for (const LabelCell& c : cells)
                total += c.width;
            return makeLine(0, 0, size, x + std::max(0.0, (w - total) / 2), right, cells);
        };
        const Qt::Alignment c = Qt::AlignHCenter;
        b.add(centred({{0, on(items.title, w), c, v.title}}));
        b.add(centred(
            {{0, on(items.year, 1.0), c, v.year},
             {0, on(items.playTime, 1.5), c, decorated(QString(), v.playTime, QStringLiteral(" min"))}}));
        b.add(
            centred({{0, on(items.category, 2.0), c, v.category}, {0, on(items.rating, 1.0), c, v.rating}}));
        b.add(centred(
            {{0, on(items.startCounter, 1.5), c, decorated(QStringLiteral("Start: "), v.counterStart)},
             {0, on(items.stopCounter, 1.5), c, decorated(QStringLiteral("Stop: "), v.counterStop)}}));
        return;
    }
    const int size = faceFontSize(count);
    const Qt::Alignment l = Qt::AlignLeft;
    const double ratingWidth = on(items.rating, 0.5);
    for (const LabelMatch& v : p.matches) {
        b.add(makeLine(0, 0, size, x, right,
                       {{0, on(items.title, w - ratingWidth), l, v.title}, {0, ratingWidth, l, v.rating}}));
        b.add(makeLine(0, 0, size, x, right,
                       {{0, on(items.startCounter, 0.5), l, v.counterStart},
                        {0, on(items.stopCounter, 0.5), l, v.counterStop},
                        {0, on(items.year, 0.5), l, v.year},
                        {0, on(items.playTime, 0.5), l, v.playTime},
                        {0, on(items.category, 1.0), l, v.category}}));
    }
}

void layoutSpine(LabelBox& box, const LabelPosition& p, const LabelItems& items, const LabelMetrics& m) {
    const double left = box.origin.x + LabelInset, w = box.width - 2 * LabelInset, right = left + w;
    LabelBuilder b(box, m);
    double media = 0;
    if (items.mediaNumber) {
        media = spineMediaCellWidth(p.mediaNumber, m, w);
        b.y = box.origin.y + 0.25 * box.height;
        b.add(makeLine(0, 0, 10, left, right, {{0, media, Qt::AlignLeft, p.mediaNumber}}));
    }
    // The other cells start beside the media number cell (at the left edge without it), from
    // the label's top.
    b.y = box.origin.y + LabelInset;
    const double x = left + media;
    const Qt::Alignment l = Qt::AlignLeft;
    const int count = int(p.matches.size());
    if (count == 1) {
        const LabelMatch& v = p.matches.first();
        constexpr int size = 11;
        b.advance(size);
        const double rating = on(items.rating, 0.8);
        b.add(makeLine(
            0, 0, size, x, right,
            {{0, on(items.title, w - media - rating), Qt::AlignHCenter, v.title}, {0, rating, l, v.rating}}));
        const double start = on(items.startCounter, 1.15), stop = on(items.stopCounter, 1.15),
                     year = on(items.year, 0.5), time = on(items.playTime, 1.0);
        // The category takes what is left of the label, at most 2 inches beside the media cell.
        const double category =
            on(items.category, std::max(0.0, std::min(2.0 - media, w - media - start - stop - year - time)));
        b.add(makeLine(0, 0, size, x, right,
                       {{0, start, l, decorated(QStringLiteral("Start: "), v.counterStart)},
                        {0, stop, l, decorated(QStringLiteral("Stop: "), v.counterStop)},
                        {0, year, l, v.year},
                        {0, time, l, decorated(QString(), v.playTime, QStringLiteral(" min"))},
                        {0, category, l, v.category}}));
        return;
    }
    const int size = spineFontSize(count);
    const double start = on(items.startCounter, 0.5), stop = on(items.stopCounter, 0.5),
                 year = on(items.year, 0.5), time = on(items.playTime, 0.5),
                 category = on(items.category, 1.0), rating = on(items.rating, 0.5);
    const double title =
        on(items.title, std::max(0.0, w - media - start - stop - year - time - category - rating));
    for (const LabelMatch& v : p.matches)
        b.add(makeLine(0, 0, size, x, right,
                       {{0, start, l, v.counterStart},
                        {0, stop, l, v.counterStop},
                        {0, title, l, v.title},
                        {0, year, l, v.year},
                        {0, time, l, v.playTime},
                        {0, category, l, v.category},
                        {0, rating, l, v.rating}}));
}

} // namespace

void sortMatches(QList<LabelMatch>& matches) {
    std::stable_sort(matches.begin(), matches.end(), [](const LabelMatch& a, const LabelMatch& b) {
        return QString::compare(a.counterStart, b.counterStart, Qt::CaseSensitive) > 0;
    });
}

QList<LabelPosition> collectLabels(dbase::Table& table, const QStringList& mediaNumbers) {
    QList<LabelPosition> positions;
    for (const QString& m : mediaNumbers)
        positions.append({positionMediaNumber(m), {}});
    const int fTitle = table.fieldIndex("Title"), fRating = table.fieldIndex("Rating"),
              fMedia = table.fieldIndex("MediaNum"), fStart = table.fieldIndex("CounterSta"),
              fStop = table.fieldIndex("CounterSto"), fYear = table.fieldIndex("Year"),
              fTime = table.fieldIndex("RunTime"), fCategory = table.fieldIndex("Category");
    if (fMedia < 0 || !anyMediaNumber(mediaNumbers)) return positions;

    const uint32_t at = table.recNo();
    table.disableControls();
    struct Resume {
        dbase::Table& t;
        uint32_t at;
        ~Resume() {
            t.enableControls();
            if (at) t.gotoBookmark(at);
        }
    } resume{table, at};
    for (bool more = table.first(); more; more = table.next()) {
        const QString media = fieldOf(table, fMedia, MediaNumberLength);
        bool wanted = false;
        for (const LabelPosition& p : positions)
            wanted = wanted || (!p.mediaNumber.isEmpty() && p.mediaNumber == media);
        if (!wanted) continue;
        const LabelMatch match{
            fieldOf(table, fTitle, 60), fieldOf(table, fRating, 15),  media,
            fieldOf(table, fStart, 8),  fieldOf(table, fStop, 8),     fieldOf(table, fYear, 4),
            fieldOf(table, fTime, 3),   fieldOf(table, fCategory, 20)};
        for (LabelPosition& p : positions)
            if (!p.mediaNumber.isEmpty() && p.mediaNumber == media && p.matches.size() < MaxLabelMatches)
                p.matches.append(match);
    }
    for (LabelPosition& p : positions)
        sortMatches(p.matches);
    return positions;
}

EngineLabelMetrics::EngineLabelMetrics(const QFont& font, int layoutDpi)
    : font_(font), renderer_(std::make_unique<render::Renderer>(QSizeF(612, 792), layoutDpi)) {}

EngineLabelMetrics::~EngineLabelMetrics() = default;

void EngineLabelMetrics::use(int pointSize) const {
    if (size_ == pointSize) return;
    QFont f = font_;
    f.setPointSize(pointSize);
    renderer_->setFont(f);
    size_ = pointSize;
}

double EngineLabelMetrics::lineHeight(int pointSize) const {
    use(pointSize);
    return renderer_->lineHeight();
}

double EngineLabelMetrics::textWidth(const QString& text, int pointSize) const {
    use(pointSize);
    return renderer_->textWidth(text);
}

int faceFontSize(int matches) {
    switch (matches) {
    case 1:
        return 11;
    case 4:
        return 9;
    case 5:
        return 8;
    case 6:
        return 6;
    default:
        return 10;
    }
}

int spineFontSize(int matches) {
    switch (matches) {
    case 1:
        return 11;
    case 2:
        return 10;
    case 3:
        return 9;
    case 4:
        return 8;
    case 5:
        return 7;
    default:
        return 5;
    }
}

double spineMediaCellWidth(const QString& mediaNumber, const LabelMetrics& metrics, double labelWidth) {
    const double needed = metrics.textWidth(mediaNumber, 10) + 2 * LabelCellMargin;
    int tenths = std::max(1, int(std::ceil(needed * 10 - 1e-9)));
    return std::min(tenths / 10.0, std::max(0.0, labelWidth));
}

LabelSheet layoutLabelSheet(int code, const LabelDimensions& dims, const QList<LabelPosition>& positions,
                            const LabelItems& items, const LabelMetrics& metrics) {
    LabelSheet sheet;
    sheet.code = code;
    sheet.kind = kindOfCode(code);
    sheet.dims = dims;
    sheet.page = sheetPage(code, dims);
    const int count = std::min(positionCount(code, dims), int(positions.size()));
    for (int n = 1; n <= count; ++n) {
        const LabelPosition& p = positions[n - 1];
        if (p.matches.isEmpty()) continue;
        LabelBox box;
        box.position = n;
        box.origin = labelOrigin(sheet.kind, dims, n);
        box.width = dims.width;
        box.height = dims.height;
        if (sheet.kind == LabelType::Face)
            layoutFace(box, p, items, metrics);
        else
            layoutSpine(box, p, items, metrics);
        sheet.labels.push_back(std::move(box));
    }
    return sheet;
}

QFont labelFont(const FontSetting& s) {
    QFont f(s.name);
    f.setPointSize(std::clamp(s.size, 1, 10));
    f.setBold(s.bold);
    f.setItalic(s.italic);
    f.setUnderline(s.underline);
    f.setStrikeOut(s.strikeout);
    return f;
}

QColor labelFontColor(const FontSetting& s) {
    return QColor(s.color & 0xff, (s.color >> 8) & 0xff, (s.color >> 16) & 0xff);
}

void printLabelSheet(render::Renderer& r, const LabelSheet& sheet, const QFont& font, const QColor& color) {
    for (const LabelBox& box : sheet.labels) {
        for (const LabelLine& line : box.lines) {
            QFont f = font;
            f.setPointSize(line.pointSize);
            r.setFont(f, color);
            r.setSection(line.y, sheet.page.height);
            r.goToSectionTop();
            r.clearCells();
            for (const LabelCell& c : line.cells) {
                render::Cell cell;
                cell.width = c.width;
                cell.justify = c.align & Qt::AlignHCenter ? render::Justify::Centre : render::Justify::Left;
                cell.margin = LabelCellMargin;
                cell.left = c.x;
                r.addCell(cell);
            }
            for (const LabelCell& c : line.cells)
                r.printCell(c.text);
        }
    }
}

QSizeF sheetPagePoints(const SheetPage& page) {
    return page.a4 ? QPageSize(QPageSize::A4).size(QPageSize::Point) : QSizeF(612, 792);
}

LabelPrinting::LabelPrinting(dbase::Table& table, LabelRequest request,
                             std::function<void(const QString&)> status)
    : table_(table), request_(std::move(request)), status_(std::move(status)) {}

void LabelPrinting::beforeRun(render::Renderer& r) {
    if (status_) status_(QStringLiteral("Scanning database for media numbers."));
    positions_ = collectLabels(table_, request_.mediaNumbers);
    r.setStatusFormat(QStringLiteral("Printing Page %p\r%0\r%1"));
    r.setStatusLine(0, QString());
    r.setStatusLine(1, QString());
}

bool LabelPrinting::pageBody(render::Renderer& r) {
    const EngineLabelMetrics metrics(request_.font, request_.layoutDpi);
    sheet_ = layoutLabelSheet(request_.code, request_.dims, positions_, request_.items, metrics);
    for (const LabelBox& box : sheet_.labels) {
        if (r.aborted()) break;
        if (status_) status_(QStringLiteral("Formating Label %1").arg(box.position));
        LabelSheet one = sheet_;
        one.labels = {box};
        printLabelSheet(r, one, request_.font, request_.color);
    }
    return false; // one sheet
}

bool runLabelSheet(dbase::Table& table, const LabelRequest& request, render::PageStore& store) {
    render::Renderer renderer(sheetPagePoints(sheetPage(request.code, request.dims)), request.layoutDpi);
    LabelPrinting events(table, request);
    return renderer.run(events, store);
}

bool writeLabelSheetPdf(dbase::Table& table, const LabelRequest& request, const QString& path,
                        QString* error) {
    // The file is written beside and renamed into place: a failure leaves an earlier file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    render::PageStore store;
    runLabelSheet(table, request, store);
    QString reason;
    {
        QPdfWriter writer(&file);
        writer.setResolution(request.layoutDpi);
        writer.setCreator(QStringLiteral("Quillon Videos 97"));
        writer.setTitle(QStringLiteral("Label Printing"));
        if (!render::printPages(store, writer, 0, store.pageCount() - 1, 1, &reason)) {
            if (error) *error = QStringLiteral("%1: %2").arg(path, reason);
            return false;
        }
    }
    if (!file.commit()) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace reports
