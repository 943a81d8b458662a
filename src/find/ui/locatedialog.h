#pragma once
// Locate: the dialog "Locate Field Value" and the request it remembers for the run.
//
// LocateCommand belongs to the main window for the whole run and holds the last request (field,
// value, match type, case). find() opens the dialog; findNext() repeats the request from the
// record after the current one, opening the dialog when there is no value yet. Every locate works
// on the records the viewer can reach, in its order; on failure the current record stays.
#include "find/locate.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class LocateDialog : public DialogBase {
    Q_OBJECT
public:
    LocateDialog(Session& session, LocateRequest& request, QWidget* parent = nullptr);

    QLineEdit* searchValue() const { return searchValue_; }
    QComboBox* fieldNameComboBox() const { return fieldBox_; }
    QCheckBox* caseSensitive() const { return caseBox_; }
    QRadioButton* matchButton(MatchType type) const { return matchButtons_[int(type)]; }
    QPushButton* firstButton() const { return firstButton_; }
    QPushButton* nextButton() const { return nextButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

public slots:
    void FindFirst();
    void FindNextBtnClick();
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void locate(bool fromFirst);
    void storeRequest();

    Session& session_;
    LocateRequest& request_;
    std::vector<LocateField> fields_;
    QLineEdit* searchValue_;
    QComboBox* fieldBox_;
    QCheckBox* caseBox_;
    QRadioButton* matchButtons_[3];
    QPushButton* firstButton_;
    QPushButton* nextButton_;
    QPushButton* cancelButton_;
};

class LocateCommand {
public:
    explicit LocateCommand(Session& session) : session_(session) {}
    LocateRequest& request() { return request_; }

    // Opens the dialog; true when a record was found (the table is on it).
    bool find(QWidget* parent);
    // Repeats the last request after the current record; true when a record was found.
    bool findNext(QWidget* parent);

private:
    Session& session_;
    LocateRequest request_;
};

// Runs a locate for a window and shows its failure messages; true when a record was found.
bool runLocate(Session& session, const LocateRequest& request, bool fromFirst, QWidget* parent);
