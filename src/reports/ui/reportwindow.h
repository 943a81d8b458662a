#pragma once
// "Reports": the one entry point of printed output. The user picks a stored report layout and
// what to print (the entire catalogue, the search result, face labels or spine labels) and sends
// the report to the preview (View), the printer (Print) or a text file (Print To File); New Report
// and Modify Report open the layout designer, Printer Setup the printer choice.
//
// With face or spine labels chosen the window shows the label style and the media number grid
// (2 columns, as many rows as the label stock has positions; "*NOT USED*" marks a position the
// stock lacks) instead of the layout list. The label runs themselves belong to the labels: the
// window calls the LabelHooks given to it.
//
// Closing the window stores the selected layout and the media numbers in the database settings.
#include <QList>
#include <functional>

#include "reports/reportlayout.h"
#include "reports/reportrun.h"
#include "widgets/dialogbase.h"

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace render {
class PageStore;
}

namespace reports {

class ReportWindow;

// What the labels add to the window. Every member may be empty (the command then does nothing).
struct LabelHooks {
    std::function<void(ReportWindow&, ReportRun::Mode)> run; // face or spine labels to preview or printer
    std::function<void(ReportWindow&)> options;              // "Options" (the file button in label mode)
    std::function<void(ReportWindow&)> define;               // "Define" of "User Defined"
    std::function<void(ReportWindow&, int column, int row)> chooseMediaNumber; // double click on a cell
};

// How a report over the entire catalogue gets past a search in force: end it for the run and put
// it back afterwards (the main window's own search state and signs).
struct SearchHooks {
    std::function<void()> endForRun;
    std::function<void()> resumeAfterRun;
};

class ReportWindow : public DialogBase {
    Q_OBJECT
public:
    enum WhatToPrint { EntireDatabase = 1, SearchCriteria = 2, FaceLabels = 3, SpineLabels = 4 };
    static constexpr int GridColumns = 2;
    static constexpr int MaxGridRows = 8;
    static constexpr int MediaNumberLength = 15;
    static const QString NotUsed; // "*NOT USED*"

    ReportWindow(Session& session, QWidget* parent = nullptr);
    ~ReportWindow() override;

    void setLabelHooks(LabelHooks hooks) { labels_ = std::move(hooks); }
    void setSearchHooks(SearchHooks hooks) { search_ = std::move(hooks); }

    // Controls, for the labels and for tests.
    QListWidget* reportBox() const { return list_; }
    QTableWidget* mediaList() const { return grid_; }
    QRadioButton* whatToPrintButton(int code) const; // 1..4
    QRadioButton* labelStyleButton(int style) const; // 1..5
    QPushButton* fileButton() const { return fileButton_; }
    QLabel* sortOrderCaption() const { return sortCaption_; }
    QAction* action(const QString& text) const;

    int whatToPrint() const;
    bool labelMode() const;
    int labelStyle() const;
    // The media numbers of the grid's cells (column-major, 2 x 8, "" for rows the grid lacks).
    QStringList mediaNumbers() const;
    const ReportLayout& workingLayout() const { return working_; }

    // The caption of the sort levels: display names joined by ", ", or "No Sort Order Selected".
    static QString sortOrderText(const Session& session);
    // Rows of the media number grid and its unused cell (-1 none) for a label style.
    static int gridRows(bool spine, int style);

    // Fills the list from the layout file.
    void LoadReportBox();

    // The last finished run (for the windows that test it): its outcome and pages.
    ReportRun::Outcome lastOutcome() const { return lastOutcome_; }

public slots:
    void DoView();
    void DoPrint();
    void DoPrintToFile();
    void DoNew();
    void DoModify();
    void DoPrinterSetup();
    void DoHelp();

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenu();
    QWidget* buildLabelSide();
    void applyMode();
    void applyGridShape();
    void whatToPrintClicked(int code);
    void labelStyleClicked(int style);
    bool selectedLayout(ReportLayout* layout);
    // Runs the selected layout: 1 printer, 2 preview, 3 text file (path).
    void DoIt(ReportRun::Mode mode, const QString& path = QString());
    void saveState();

    ReportLayout working_;
    QString file_;
    LabelHooks labels_;
    SearchHooks search_;
    ReportRun::Outcome lastOutcome_ = ReportRun::Outcome::Failed;
    bool firstShow_ = true;
    bool saved_ = false;

    QListWidget* list_;
    QLabel* listHeading_;
    QTableWidget* grid_;
    QWidget* labelSide_;
    QGroupBox* styleBox_;
    QList<QRadioButton*> whatButtons_;
    QList<QRadioButton*> styleButtons_;
    QPushButton* defineButton_;
    QPushButton* fileButton_;
    QPushButton* newButton_;
    QPushButton* modifyButton_;
    QLabel* sortCaption_;
    QList<QAction*> actions_;
};

} // namespace reports
