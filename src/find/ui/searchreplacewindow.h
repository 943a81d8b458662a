#pragma once
// Search and Replace: one field of every record of the whole catalogue whose value equals the
// search value receives the replacement, optionally after a question per record. The counts of
// records processed, found and changed are drawn as the pass runs.
#include "find/replace.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SearchState;

class SearchReplaceWindow : public DialogBase {
    Q_OBJECT
public:
    SearchReplaceWindow(Session& session, SearchState& search, QWidget* parent = nullptr);

    QComboBox* fieldBox() const { return fieldBox_; }
    QLineEdit* searchText() const { return searchText_; }
    QLineEdit* replaceText() const { return replaceText_; }
    QCheckBox* confirmBox() const { return confirmBox_; }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    // The three counts as drawn: processed, found, changed.
    QString countText(int which) const;
    // The counts of the last pass.
    const ReplaceCounts& counts() const { return counts_; }

public slots:
    void StartButtonClick();

private:
    void fieldChosen();
    void showCounts(const ReplaceCounts& counts, bool force);
    // The text of an entry as the pass reads it (a date entry with its template's blanks).
    QString entryText(QLineEdit* edit) const;

    Session& session_;
    SearchState& search_;
    ReplaceCounts counts_;
    QComboBox* fieldBox_;
    QLineEdit* searchText_;
    QLineEdit* replaceText_;
    QCheckBox* confirmBox_;
    QPushButton* startButton_;
    QPushButton* cancelButton_;
    QLabel* countLabels_[3];
};
