#pragma once
// The Export window: which catalogue fields go out and in which order (a grid of display names
// with Yes or No), what (the whole catalogue or the search result) and how (ASCII delimited text
// or a dBase table). The choices are kept in the database settings; the export itself is the
// transfer core's.
#include "transfer/exporter.h"
#include "transfer/ui/fieldordergrid.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class SearchState;

class ExportWindow : public DialogBase {
    Q_OBJECT
public:
    ExportWindow(Session& session, SearchState& search, QWidget* parent = nullptr);

    FieldOrderGrid* grid() const { return grid_; }
    QPushButton* upButton() const { return upButton_; }
    QPushButton* downButton() const { return downButton_; }
    QPushButton* defaultsButton() const { return defaultsButton_; }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    QPushButton* helpButton() const { return helpButton_; }
    QRadioButton* entireButton() const { return entireButton_; }
    QRadioButton* searchButton() const { return searchButton_; }
    QRadioButton* asciiButton() const { return asciiButton_; }
    QRadioButton* dbaseButton() const { return dbaseButton_; }
    QCheckBox* firstRowBox() const { return firstRowBox_; }
    QProgressBar* gauge() const { return gauge_; }

    // The grid's choices into the settings: each slot's row and Yes or No.
    void updateConfigs();
    // Runs the export as Start Export does.
    void startExport();
    // A double click on the EXPORT IT cell of a row (0-based).
    void toggleRow(int row);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillGrid();
    void restoreDefaults();
    void kindChosen();

    Session& session_;
    SearchState& search_;
    FieldOrderGrid* grid_;
    QPushButton* upButton_;
    QPushButton* downButton_;
    QPushButton* defaultsButton_;
    QPushButton* startButton_;
    QPushButton* exitButton_;
    QPushButton* helpButton_;
    QRadioButton* entireButton_;
    QRadioButton* searchButton_;
    QRadioButton* asciiButton_;
    QRadioButton* dbaseButton_;
    QCheckBox* firstRowBox_;
    QProgressBar* gauge_;
};
