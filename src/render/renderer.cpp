#include "render/renderer.h"

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace render {

namespace {

// A paint device of the layout resolution, only for measuring text.
const QImage& measuringDevice(int dpi) {
    thread_local QImage image;
    thread_local int imageDpi = 0;
    if (image.isNull() || imageDpi != dpi) {
        image = QImage(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = int(std::lround(dpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        imageDpi = dpi;
    }
    return image;
}

constexpr double Points = 72.0;

} // namespace

DeviceSink::~DeviceSink() {
    if (painter_ && painter_->isActive()) painter_->end();
}

bool DeviceSink::pageFinished(PageStore& store, int page) {
    if (failed_) return false;
    const QSizeF size = store.pageSize();
    const bool wide = size.width() > size.height();
    const QPageLayout layout(QPageSize(wide ? size.transposed() : size, QPageSize::Point),
                             wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                             QPageLayout::Point);
    if (!painter_) {
        device_.setPageLayout(layout);
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&device_)) {
            failed_ = true;
            return false;
        }
    } else if (!device_.newPage()) {
        failed_ = true;
        return false;
    }
    painter_->save();
    useDevicePoints(*painter_);
    store.paintPage(page, *painter_);
    painter_->restore();
    store.release(page);
    ++printed_;
    return true;
}

bool DeviceSink::finish(QString* error) {
    bool ok = !failed_;
    if (painter_ && painter_->isActive()) ok = painter_->end() && ok;
    if (!ok && error)
        *error = QStringLiteral("The pages could not be printed: the printer or file refused them.");
    return ok;
}

Renderer::Renderer(QSizeF portraitPoints, int layoutDpi)
    : paper_(portraitPoints), dpi_(std::max(layoutDpi, 72)) {
    setFont(QFont(QStringLiteral("Arial"), 10));
}

double Renderer::pageWidth() const {
    return (landscape_ ? paper_.height() : paper_.width()) / Points;
}

double Renderer::pageHeight() const {
    return (landscape_ ? paper_.width() : paper_.height()) / Points;
}

void Renderer::setMargins(double top, double bottom, double left, double right) {
    top_ = top;
    bottom_ = bottom;
    left_ = left;
    right_ = right;
}

void Renderer::setSection(double top, double bottom) {
    sectionTop_ = top;
    sectionBottom_ = std::max(top, bottom);
}

void Renderer::goToSectionTop() {
    y_ = sectionTop_ * Points;
    nextCell_ = 0;
}

QFont Renderer::drawingFont(const QFont& font) const {
    QFont f = font;
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

void Renderer::setFont(const QFont& font, QColor color) {
    font_ = drawingFont(font);
    color_ = color;
    metrics_ = std::make_unique<QFontMetricsF>(font_, &measuringDevice(dpi_));
    fontNumber_ = store_ ? store_->fontNumber(font_) : -1;
}

double Renderer::measure(const QString& text) const {
    return metrics_->horizontalAdvance(text) * Points / dpi_;
}

double Renderer::lineHeight() const {
    return metrics_->lineSpacing() / dpi_;
}

double Renderer::textHeight() const {
    return metrics_->height() / dpi_;
}

double Renderer::textWidth(const QString& text) const {
    return measure(text) / Points;
}

QString Renderer::fitText(const QString& text, double width) const {
    const double limit = width * Points + 1e-6;
    if (measure(text) <= limit) return text;
    // The longest start of the text that fits (widths grow with length): a binary search gives
    // what cutting one character at a time would.
    qsizetype low = 0, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (measure(text.left(mid)) <= limit)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low);
}

void Renderer::addCell(const Cell& cell) {
    cells_.push_back(cell);
}

double Renderer::cellLeft(int n) const {
    double x = left_;
    for (int i = 0; i <= n && i < cellCount(); ++i) {
        if (cells_[std::size_t(i)].left >= 0) x = cells_[std::size_t(i)].left;
        if (i == n) return x;
        x += cells_[std::size_t(i)].width;
    }
    return x;
}

double Renderer::cellWidth(int n) const {
    return n >= 0 && n < cellCount() ? cells_[std::size_t(n)].width : 0.0;
}

void Renderer::printCell(const QString& text) {
    if (nextCell_ >= cellCount()) return;
    const int n = nextCell_++;
    if (!drawing_ || !current_) return;
    const Cell& cell = cells_[std::size_t(n)];
    const double x = cellLeft(n) * Points;
    const double w = cell.width * Points;
    const double margin = cell.margin * Points;
    const double h = metrics_->lineSpacing() * Points / dpi_;
    if (cell.lines & TopLine) PageStore::addLine(*current_, float(x), float(y_), float(x + w), float(y_));
    if (cell.lines & BottomLine)
        PageStore::addLine(*current_, float(x), float(y_ + h), float(x + w), float(y_ + h));
    if (cell.lines & LeftLine) PageStore::addLine(*current_, float(x), float(y_), float(x), float(y_ + h));
    if (cell.lines & RightLine)
        PageStore::addLine(*current_, float(x + w), float(y_), float(x + w), float(y_ + h));
    if (text.isEmpty()) return;
    // The text may use the margins when it needs them: it is cut only where it is wider than
    // the cell itself, and the margins shrink to what room is left.
    const QString shown = fitText(text, std::max(0.0, w / Points));
    const double width = measure(shown);
    const double inner = std::clamp((w - width) / 2, 0.0, margin);
    double tx = x + inner;
    if (cell.justify == Justify::Right)
        tx = x + w - inner - width;
    else if (cell.justify == Justify::Centre)
        tx = x + (w - width) / 2;
    store_->addText(*current_, float(tx), float(y_ + metrics_->ascent() * Points / dpi_), shown, fontNumber_,
                    color_);
}

void Renderer::printCentred(const QString& text, double x) {
    if (!drawing_ || !current_ || text.isEmpty()) return;
    const double width = measure(text);
    store_->addText(*current_, float(x * Points - width / 2), float(y_ + metrics_->ascent() * Points / dpi_),
                    text, fontNumber_, color_);
}

void Renderer::printInSection(const QString& text, Justify where) {
    if (!drawing_ || !current_ || text.isEmpty()) return;
    const double width = measure(text);
    const double leftEdge = left_ * Points;
    const double rightEdge = (pageWidth() - right_) * Points;
    double x = leftEdge;
    if (where == Justify::Right)
        x = rightEdge - width;
    else if (where == Justify::Centre)
        x = (leftEdge + rightEdge - width) / 2;
    const double baseline = sectionTop_ * Points + metrics_->ascent() * Points / dpi_;
    store_->addText(*current_, float(x), float(baseline), text, fontNumber_, color_);
}

void Renderer::newLine() {
    y_ += metrics_->lineSpacing() * Points / dpi_;
    nextCell_ = 0;
}

int Renderer::linesLeft() const {
    const double spacing = metrics_->lineSpacing() * Points / dpi_;
    if (spacing <= 0) return 0;
    const double room = sectionBottom_ * Points - y_;
    return std::max(0, int(std::floor(room / spacing + 1e-6)));
}

void Renderer::setStatusLine(int n, const QString& text) {
    if (n == 0 || n == 1) statusLines_[n] = text;
}

QString Renderer::statusText() const {
    QString text = statusFormat_;
    text.replace(QStringLiteral("%p"), QString::number(page_));
    text.replace(QStringLiteral("%0"), statusLines_[0]);
    text.replace(QStringLiteral("%1"), statusLines_[1]);
    return text;
}

void Renderer::emitStatus() {
    if (status_) status_(statusText());
}

bool Renderer::run(PageEvents& events, PageStore& store, PageSink* sink) {
    store = PageStore(QSizeF(pageWidth() * Points, pageHeight() * Points));
    store_ = &store;
    aborted_ = false;
    page_ = 0;
    setFont(font_, color_); // its number in this store
    events.beforeRun(*this);
    bool more = !aborted_;
    while (more && !aborted_) {
        ++page_;
        if (drawing_) {
            current_ = &store.addPage();
        } else {
            store.clear();
            current_ = nullptr;
        }
        emitStatus();
        if (aborted_) break;
        cells_.clear();
        nextCell_ = 0;
        setSection(0, pageHeight());
        goToSectionTop();
        events.pageHeader(*this);
        more = events.pageBody(*this);
        events.pageFooter(*this);
        if (sink && drawing_ && !sink->pageFinished(store, store.pageCount() - 1)) aborted_ = true;
    }
    events.afterRun(*this);
    current_ = nullptr;
    store_ = nullptr;
    fontNumber_ = -1;
    return !aborted_;
}

} // namespace render
