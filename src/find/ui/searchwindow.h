#pragma once
// The search window: a grid with one row per catalogue field where the user types criteria, one
// page per search level. "Find More" keeps the page as a level and starts the next (ten at most),
// "Ok" keeps the page and puts the search in force, "Clear Search" starts again at level 1,
// "Exit" leaves without changing the search in force.
//
// Number and date rows carry an operator (=, >, < or a range) chosen in the options picker (the
// grey "..." cell of the row); the cell's edit template keeps the operator sign and the fixed
// literals in the cell's text. Rows with a list offer its values in the same picker.
#include <array>

#include "catalogue/fieldslots.h"
#include "find/criteria.h"
#include "find/searchpage.h"
#include "widgets/dialogbase.h"

class QPushButton;
class QTableWidget;
class SearchState;

class SearchWindow : public DialogBase {
    Q_OBJECT
public:
    static constexpr int FieldColumn = 0;
    static constexpr int ButtonColumn = 1;
    static constexpr int CriteriaColumn = 2;

    SearchWindow(Session& session, SearchState& search, QWidget* parent = nullptr);

    QTableWidget* grid() const { return grid_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    QPushButton* clearButton() const { return clearButton_; }
    QPushButton* moreButton() const { return moreButton_; }
    QPushButton* helpButton() const { return helpButton_; }

    int level() const { return level_; }
    // The levels saved so far on this opening of the window.
    const SearchCriteria& pending() const { return pending_; }
    RowOperator rowOperator(int slot) const { return page_.operators[size_t(slot - 1)]; }
    // Makes op the row's operator: the cell keeps its values in the new shape.
    void setRowOperator(int slot, RowOperator op);
    // The criteria cell of a row (slot 1..40) as the grid holds it.
    QString cellText(int slot) const;
    void setCellText(int slot, const QString& text);

    // The Qt edit template of a row's criteria cell.
    QString cellTemplate(int slot) const;

    // Opens the options picker of a row (the "..." cell).
    void openOptions(int slot);

public slots:
    void OkButtonClick();
    void ExitButtonClick();
    void ClearButtonClick();
    void MoreButtonClick();
    void HelpButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool saveFields();
    void clearSearch();
    bool doit();
    void emptyCells();
    void showLevel();
    void sizeColumns();

    Session& session_;
    SearchState& search_;
    SearchCriteria pending_;
    SearchPage page_; // the operators of the rows
    int level_ = 1;
    QTableWidget* grid_;
    QPushButton* okButton_;
    QPushButton* exitButton_;
    QPushButton* clearButton_;
    QPushButton* moreButton_;
    QPushButton* helpButton_;
};
