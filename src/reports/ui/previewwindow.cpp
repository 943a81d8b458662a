#include "reports/ui/previewwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/printjob.h"
#include "catalogue/session.h"
#include "reports/ui/pagerangedialog.h"
#include "widgets/icons.h"
#include "widgets/printers.h"
#include "widgets/prompts.h"

namespace reports {

namespace {
// The grey border around the page, a share of the page's size on each side.
constexpr double PageMargin = 0.025;
constexpr double MinZoom = 5.0;
constexpr double MaxZoom = 1000.0;
} // namespace

// The current page at the window's zoom, on a grey ground with a border around it.
class PageView : public QWidget {
public:
    PageView(const render::PageSource& pages, QWidget* parent) : QWidget(parent), pages_(pages) {
        setObjectName(QStringLiteral("PreviewPage"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void show(int page, double zoom, bool monochrome) {
        page_ = page;
        zoom_ = zoom;
        monochrome_ = monochrome;
        setFixedSize(fullSize(zoom));
        update();
    }

    // Pixels per point at a zoom.
    double scaleAt(double zoom) const { return zoom / 100.0 * logicalDpiX() / 72.0; }
    QSizeF pagePoints() const {
        const int n = std::clamp(page_ - 1, 0, std::max(0, pages_.pageCount() - 1));
        return pages_.pageCount() > 0 ? pages_.pageSize(n) : QSizeF(612, 792);
    }
    // The page with its border, in pixels.
    QSize fullSize(double zoom) const {
        const QSizeF points = pagePoints() * (1 + 2 * PageMargin) * scaleAt(zoom);
        return QSize(int(std::ceil(points.width())), int(std::ceil(points.height())));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(128, 128, 128));
        const double scale = scaleAt(zoom_);
        const QSizeF points = pagePoints();
        const QRectF paper(points.width() * PageMargin * scale, points.height() * PageMargin * scale,
                           points.width() * scale, points.height() * scale);
        painter.fillRect(paper, Qt::white);
        if (page_ < 1 || page_ > pages_.pageCount()) return;
        painter.translate(paper.topLeft());
        painter.scale(scale, scale);
        painter.setClipRect(QRectF(QPointF(0, 0), points));
        render::PaintOptions options;
        options.monochrome = monochrome_;
        pages_.paintPage(page_ - 1, painter, options);
    }

private:
    const render::PageSource& pages_;
    int page_ = 1;
    double zoom_ = 100;
    bool monochrome_ = false;
};

PreviewWindow::PreviewWindow(Session& session, const render::PageSource& pages, PreviewOptions options,
                             QWidget* parent)
    : QDialog(parent), session_(session), pages_(pages), options_(std::move(options)) {
    setObjectName(QStringLiteral("MyPreview"));
    setWindowTitle(options_.labelMode ? QStringLiteral("Label Printing") : options_.caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PreviewArea"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new PageView(pages_, scroll_);
    scroll_->setWidget(view_);

    // The speed buttons and the zoom and page boxes in a tool bar, which folds what does not fit
    // into its extension menu when the window is narrow.
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewBar"));
    bar->setIconSize(QSize(20, 20));
    addSpeedButton(QStringLiteral("Zoom In"), QStringLiteral("zoom-in"), &PreviewWindow::ZoomIn);
    addSpeedButton(QStringLiteral("Zoom Out"), QStringLiteral("zoom-out"), &PreviewWindow::ZoomOut);
    addSpeedButton(QStringLiteral("Zoom Page Width"), QStringLiteral("zoom-fit-width"),
                   &PreviewWindow::ZoomPageWidth);
    addSpeedButton(QStringLiteral("Zoom Whole Page"), QStringLiteral("zoom-fit-best"),
                   &PreviewWindow::ZoomWholePage);
    addSpeedButton(QStringLiteral("Prev Page"), QStringLiteral("go-previous"), &PreviewWindow::PrevPage);
    addSpeedButton(QStringLiteral("Next Page"), QStringLiteral("go-next"), &PreviewWindow::NextPage);
    addSpeedButton(QStringLiteral("Print Page"), QStringLiteral("document-print"), &PreviewWindow::PrintPage);
    addSpeedButton(QStringLiteral("Done"), QStringLiteral("window-close"), &PreviewWindow::Done);
    for (QToolButton* b : speedButtons_)
        bar->addWidget(b);
    bar->addSeparator();

    zoomEdit_ = new QLineEdit(this);
    zoomEdit_->setObjectName(QStringLiteral("ZoomEdit"));
    zoomEdit_->setMaxLength(10);
    zoomEdit_->setFixedWidth(zoomEdit_->fontMetrics().averageCharWidth() * 9);
    auto* zoomCaption = new QLabel(QStringLiteral(" Zoom % "), this);
    zoomCaption->setBuddy(zoomEdit_);
    pageEdit_ = new QLineEdit(this);
    pageEdit_->setObjectName(QStringLiteral("PageEdit"));
    pageEdit_->setFixedWidth(pageEdit_->fontMetrics().averageCharWidth() * 7);
    auto* pageCaption = new QLabel(QStringLiteral("  Page # "), this);
    pageCaption->setBuddy(pageEdit_);
    pageLabel_ = new QLabel(QStringLiteral("Page 1 of 1"), this);
    pageLabel_->setObjectName(QStringLiteral("PageLabel"));
    bar->addWidget(zoomCaption);
    bar->addWidget(zoomEdit_);
    bar->addWidget(pageCaption);
    bar->addWidget(pageEdit_);
    bar->addWidget(new QLabel(QStringLiteral("  "), this));
    bar->addWidget(pageLabel_);
    connect(pageEdit_, &QLineEdit::editingFinished, this, &PreviewWindow::pageTyped);
    connect(zoomEdit_, &QLineEdit::editingFinished, this, &PreviewWindow::zoomTyped);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->setMenuBar(buildMenu());
    main->addWidget(bar);
    main->addWidget(scroll_, 1);

    if (options_.labelMode) {
        navigateMenu_->setEnabled(false);
        for (QAction* a : navigateMenu_->actions())
            a->setEnabled(false);
        action(QStringLiteral("Print &Report"))->setEnabled(false);
        action(QStringLiteral("Print Ran&ge"))->setEnabled(false);
        speedButton(QStringLiteral("Prev Page"))->setEnabled(false);
        speedButton(QStringLiteral("Next Page"))->setEnabled(false);
        pageEdit_->setEnabled(false);
    }

    const DatabaseSettings& s = session_.database();
    resize(std::max(s.reportViewWidth, 200), std::max(s.reportViewHeight, 150));
    move(s.reportViewLeft, s.reportViewTop);
    page_ = 1;
    zoom_ = 100;
    view_->show(page_, zoom_, monochrome_);
    showNumbers();
}

PreviewWindow::~PreviewWindow() {
    // Hiding the window on its way out takes the focus from a box, which would read the box into
    // a window that is no longer there.
    zoomEdit_->disconnect(this);
    pageEdit_->disconnect(this);
    saveGeometry();
}

QWidget* PreviewWindow::pageView() const {
    return view_;
}

QToolButton* PreviewWindow::addSpeedButton(const QString& hint, const QString& icon,
                                           void (PreviewWindow::*slot)()) {
    auto* b = new QToolButton(this);
    b->setToolTip(hint);
    b->setText(hint);
    b->setIcon(themedIcon(icon));
    b->setToolButtonStyle(b->icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, slot);
    speedButtons_ << b;
    return b;
}

QMenuBar* PreviewWindow::buildMenu() {
    auto* menuBar = new QMenuBar(this);
    auto add = [this](QMenu* menu, const QString& text, QKeySequence key, auto slot) {
        QAction* a = menu->addAction(text);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, slot);
        actions_ << a;
        return a;
    };
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    add(file, QStringLiteral("&Print Page"), QKeySequence(Qt::CTRL | Qt::Key_P), &PreviewWindow::PrintPage);
    add(file, QStringLiteral("Print &Report"), QKeySequence(Qt::CTRL | Qt::Key_R),
        &PreviewWindow::PrintReport);
    add(file, QStringLiteral("Print Ran&ge"), QKeySequence(Qt::CTRL | Qt::Key_G), &PreviewWindow::PrintRange);
    file->addSeparator();
    add(file, QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X), &PreviewWindow::Done);
    navigateMenu_ = menuBar->addMenu(QStringLiteral("&Navigate"));
    add(navigateMenu_, QStringLiteral("&Previous Page"), QKeySequence(Qt::CTRL | Qt::Key_E),
        &PreviewWindow::PrevPage);
    add(navigateMenu_, QStringLiteral("&Next Page"), QKeySequence(Qt::CTRL | Qt::Key_N),
        &PreviewWindow::NextPage);
    add(navigateMenu_, QStringLiteral("&First Page"), QKeySequence(Qt::CTRL | Qt::Key_F),
        &PreviewWindow::FirstPage);
    add(navigateMenu_, QStringLiteral("&Last Page"), QKeySequence(Qt::CTRL | Qt::Key_L),
        &PreviewWindow::LastPage);
    QMenu* view = menuBar->addMenu(QStringLiteral("&View"));
    QAction* color = add(view, QStringLiteral("Use Color"), QKeySequence(Qt::CTRL | Qt::Key_C),
                         &PreviewWindow::UseColorClick);
    color->setCheckable(true);
    color->setChecked(true);
    QMenu* zoomIn = view->addMenu(QStringLiteral("Zoom &In"));
    QMenu* zoomOut = view->addMenu(QStringLiteral("Zoom &Out"));
    const struct {
        QMenu* menu;
        const char* text;
        double zoom;
    } ratios[] = {{zoomIn, "&1 : 1", 100}, {zoomIn, "&2 : 1", 200},   {zoomOut, "1 : &1", 100},
                  {zoomOut, "1 : &2", 50}, {zoomOut, "1 : &3", 33.3}, {zoomOut, "1 : &4", 25},
                  {zoomOut, "1 : &5", 20}};
    for (const auto& r : ratios) {
        QAction* a = r.menu->addAction(QString::fromLatin1(r.text));
        const double z = r.zoom;
        connect(a, &QAction::triggered, this, [this, z] { setZoom(z); });
        actions_ << a;
    }
    // The two submenus' own shortcuts step the zoom.
    auto* stepIn = new QAction(this);
    stepIn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(stepIn, &QAction::triggered, this, &PreviewWindow::ZoomIn);
    auto* stepOut = new QAction(this);
    stepOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(stepOut, &QAction::triggered, this, &PreviewWindow::ZoomOut);
    addAction(stepIn);
    addAction(stepOut);
    add(view, QStringLiteral("Zoom &Page Width"), QKeySequence(Qt::CTRL | Qt::Key_Z),
        &PreviewWindow::ZoomPageWidth);
    add(view, QStringLiteral("Zoom &Whole Page"), QKeySequence(Qt::CTRL | Qt::Key_W),
        &PreviewWindow::ZoomWholePage);
    return menuBar;
}

QAction* PreviewWindow::action(const QString& text) const {
    for (QAction* a : actions_)
        if (a->text() == text) return a;
    return nullptr;
}

QToolButton* PreviewWindow::speedButton(const QString& hint) const {
    for (QToolButton* b : speedButtons_)
        if (b->toolTip() == hint) return b;
    return nullptr;
}

void PreviewWindow::setBuilding(bool on) {
    building_ = on;
    if (options_.labelMode) return;
    action(QStringLiteral("Print &Report"))->setEnabled(!on);
    action(QStringLiteral("Print Ran&ge"))->setEnabled(!on);
}

void PreviewWindow::pagesAdded() {
    const int count = pageCount();
    if (count == shownCount_) return;
    // The page in view had nothing to show before.
    if (page_ > shownCount_ && page_ <= count) view_->show(page_, zoom_, monochrome_);
    shownCount_ = count;
    pageLabel_->setText(QStringLiteral("Page %1 of %2").arg(page_).arg(std::max(1, count)));
}

void PreviewWindow::showNumbers() {
    shownCount_ = pageCount();
    pageEdit_->setText(QString::number(page_));
    pageLabel_->setText(QStringLiteral("Page %1 of %2").arg(page_).arg(std::max(1, pageCount())));
    zoomEdit_->setText(QString::number(zoom_, 'f', 1).left(10));
}

void PreviewWindow::showPage(int page) {
    if (page == page_) return;
    page_ = page;
    view_->show(page_, zoom_, monochrome_);
    showNumbers();
}

void PreviewWindow::PrevPage() {
    if (options_.labelMode) return;
    if (page_ > 1) showPage(page_ - 1);
}

void PreviewWindow::NextPage() {
    if (options_.labelMode) return;
    if (page_ < pageCount()) showPage(page_ + 1);
}

void PreviewWindow::FirstPage() {
    if (options_.labelMode) return;
    showPage(1);
}

void PreviewWindow::LastPage() {
    if (options_.labelMode) return;
    showPage(std::max(1, pageCount()));
}

void PreviewWindow::setZoom(double percent) {
    zoom_ = std::clamp(percent, MinZoom, MaxZoom);
    view_->show(page_, zoom_, monochrome_);
    showNumbers();
}

void PreviewWindow::ZoomIn() {
    setZoom(zoom_ + ZoomStep);
}

void PreviewWindow::ZoomOut() {
    setZoom(zoom_ - ZoomStep);
}

// The room the page has in the scroll area when no scroll bar is shown.
static QSize roomWithoutScrollBars(const QScrollArea* scroll) {
    QSize room = scroll->viewport()->size();
    if (scroll->verticalScrollBar()->isVisible()) room.rwidth() += scroll->verticalScrollBar()->width();
    if (scroll->horizontalScrollBar()->isVisible()) room.rheight() += scroll->horizontalScrollBar()->height();
    return room;
}

double PreviewWindow::pageWidthZoom() const {
    // A page as wide as the room is mostly taller than it: leave the vertical scroll bar its place.
    const QSize area =
        roomWithoutScrollBars(scroll_) - QSize(scroll_->verticalScrollBar()->sizeHint().width(), 0);
    const double perPercent = view_->fullSize(100).width() / 100.0;
    return perPercent > 0 ? std::max(MinZoom, area.width() / perPercent) : zoom_;
}

double PreviewWindow::wholePageZoom() const {
    const QSize area = roomWithoutScrollBars(scroll_);
    const QSize full = view_->fullSize(100);
    if (full.isEmpty()) return zoom_;
    return std::max(MinZoom,
                    std::min(area.width() * 100.0 / full.width(), area.height() * 100.0 / full.height()));
}

void PreviewWindow::ZoomPageWidth() {
    setZoom(std::floor(pageWidthZoom() * 10) / 10);
}

void PreviewWindow::ZoomWholePage() {
    setZoom(std::floor(wholePageZoom() * 10) / 10);
}

void PreviewWindow::pageTyped() {
    if (options_.labelMode) return;
    bool ok = false;
    const int page = pageEdit_->text().trimmed().toInt(&ok);
    if (ok && page != page_)
        showPage(page);
    else
        showNumbers();
}

void PreviewWindow::zoomTyped() {
    bool ok = false;
    const double zoom = zoomEdit_->text().trimmed().toDouble(&ok);
    if (ok && zoom > 0 && std::abs(zoom - zoom_) > 1e-9)
        setZoom(zoom);
    else
        showNumbers();
}

void PreviewWindow::UseColorClick() {
    monochrome_ = !monochrome_;
    if (QAction* a = action(QStringLiteral("Use Color"))) a->setChecked(!monochrome_);
    view_->show(page_, zoom_, monochrome_);
}

void PreviewWindow::Done() {
    close();
}

void PreviewWindow::PrintPage() {
    print(page_, page_);
}

void PreviewWindow::PrintReport() {
    if (options_.labelMode || building_) return;
    print(1, pageCount());
}

void PreviewWindow::PrintRange() {
    if (options_.labelMode || building_) return;
    PageRangeDialog range(session_, pageCount(), this);
    if (range.exec() != QDialog::Accepted) return;
    print(range.firstPage(), range.lastPage());
}

void PreviewWindow::print(int first, int last) {
    Prompts& prompts = Prompts::instance();
    if (PrintJob::active()) {
        prompts.error(this, QStringLiteral("Previous print job has not yet finished.  Try again later."));
        return;
    }
    if (first < 1 || first > pageCount()) return;
    const PrintJob job;
    QString error;
    const std::unique_ptr<QPagedPaintDevice> device =
        Printers::instance().open(chosenPrinterIndex(session_.database()), &error);
    if (!device) {
        prompts.error(this, error);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = render::printPages(pages_, *device, first - 1, last - 1, 1, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) prompts.error(this, error);
}

void PreviewWindow::saveGeometry() {
    if (saved_) return;
    saved_ = true;
    DatabaseSettings& s = session_.database();
    s.reportViewLeft = pos().x();
    s.reportViewTop = pos().y();
    s.reportViewWidth = width();
    s.reportViewHeight = height();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    saveGeometry();
    QDialog::closeEvent(event);
}

void PreviewWindow::done(int result) {
    saveGeometry();
    QDialog::done(result);
}

} // namespace reports
