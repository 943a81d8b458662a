#pragma once
// "Page Printing": asks for the first and last page to print from the preview. "&Print" accepts
// only a starting page from 1 to the page count and an ending page from the starting page to the
// page count; otherwise it names the faulty edit and keeps it focused.
#include "widgets/dialogbase.h"

class QLineEdit;

namespace reports {

class PageRangeDialog : public DialogBase {
    Q_OBJECT
public:
    PageRangeDialog(Session& session, int pageCount, QWidget* parent = nullptr);

    QLineEdit* startEdit() const { return start_; }
    QLineEdit* endEdit() const { return end_; }

    // After the dialog was accepted: the chosen pages (1-based).
    int firstPage() const { return first_; }
    int lastPage() const { return last_; }

public slots:
    void PrintClick();

private:
    int pageCount_;
    int first_ = 0, last_ = 0;
    QLineEdit* start_;
    QLineEdit* end_;
};

} // namespace reports
