#pragma once
// The preview of a report's or a label sheet's pages: one page at a time in a scroll area, with
// page navigation, zoom (in and out by 10 points, page width, whole page, fixed ratios, a typed
// zoom or page), colour or black display, and printing the page, all pages or a page range from
// the pages already made, on the printer chosen for the runs. It never touches the catalogue.
//
// A report's pages may still be coming when the preview opens: pagesAdded() takes in the pages
// finished since, and while setBuilding(true) holds, "Print &Report" and "Print Ran&ge" wait for the
// whole report.
//
// In label mode (a label sheet is one page) the caption is "Label Printing" and the page
// navigation, "Print &Report" and "Print Ran&ge" are unavailable.
//
// Its place and size are kept in the database settings ("Report Viewing Window ..."): restored
// when it opens, saved when it closes.
#include <QDialog>
#include <QPointer>

#include "render/pagesource.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QScrollArea;
class QToolButton;
class Session;

namespace reports {

class PageView;

struct PreviewOptions {
    QString caption;        // the report's name (ignored in label mode)
    bool labelMode = false; // a label sheet
};

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    PreviewWindow(Session& session, const render::PageSource& pages, PreviewOptions options,
                  QWidget* parent = nullptr);
    ~PreviewWindow() override;

    static constexpr double ZoomStep = 10.0;

    int currentPage() const { return page_; } // 1-based
    int pageCount() const { return pages_.pageCount(); }
    double zoom() const { return zoom_; }
    bool usesColor() const { return !monochrome_; }
    bool labelMode() const { return options_.labelMode; }
    bool building() const { return building_; }
    void setBuilding(bool on);

    QLineEdit* zoomEdit() const { return zoomEdit_; }
    QLineEdit* pageEdit() const { return pageEdit_; }
    QLabel* pageLabel() const { return pageLabel_; }
    QWidget* pageView() const;
    // Menu items and speed buttons by their caption or hint (for the windows that test it).
    QAction* action(const QString& text) const;
    QToolButton* speedButton(const QString& hint) const;

    // The zoom that makes the page's width, or the whole page, fill the visible area.
    double pageWidthZoom() const;
    double wholePageZoom() const;

public slots:
    // The page source has more pages than before: the page count shown follows, and a page that
    // was typed beyond the pages shows once it exists.
    void pagesAdded();
    void showPage(int page); // 1-based; beyond the pages shows nothing but the number
    void PrevPage();
    void NextPage();
    void FirstPage();
    void LastPage();
    void setZoom(double percent);
    void ZoomIn();
    void ZoomOut();
    void ZoomPageWidth();
    void ZoomWholePage();
    void UseColorClick();
    void PrintPage();
    void PrintReport();
    void PrintRange();
    void Done();

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    QMenuBar* buildMenu();
    QToolButton* addSpeedButton(const QString& hint, const QString& icon, void (PreviewWindow::*slot)());
    void showNumbers();
    void pageTyped();
    void zoomTyped();
    void print(int first, int last);
    void saveGeometry();

    Session& session_;
    const render::PageSource& pages_;
    PreviewOptions options_;
    int page_ = 1;
    double zoom_ = 100.0;
    bool monochrome_ = false;
    bool saved_ = false;
    bool building_ = false;
    int shownCount_ = 0; // the page count when the view was last drawn
    QScrollArea* scroll_;
    PageView* view_;
    QLineEdit* zoomEdit_;
    QLineEdit* pageEdit_;
    QLabel* pageLabel_;
    QMenu* navigateMenu_ = nullptr;
    QList<QAction*> actions_;
    QList<QToolButton*> speedButtons_;
};

} // namespace reports
