#pragma once
// The stored report layouts in a list ("Reports"), with New Report and Modify Report opening the
// layout designer. It holds the working layout: the layout last loaded for the designer.
#include "reports/reportlayout.h"
#include "widgets/dialogbase.h"

class QListWidget;
class QPushButton;

namespace reports {

class ReportListWindow : public DialogBase {
    Q_OBJECT
public:
    ReportListWindow(Session& session, QWidget* parent = nullptr);

    QListWidget* reportBox() const { return list_; }
    const ReportLayout& workingLayout() const { return working_; }

    // Fills the list from the layout file (empty when it cannot be read; a damaged file is reported).
    void LoadReportBox();

public slots:
    void DoNew();
    void DoModify();

private:
    void design(int index);

    QString file_;
    ReportLayout working_;
    QListWidget* list_;
};

} // namespace reports
