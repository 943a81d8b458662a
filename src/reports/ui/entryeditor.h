#pragma once
// The entry editor ("Select Report Part"): one entry of a layout line becomes empty space, a
// constant text or a field (a total item in the totals line) of a given width. On Ok the whole
// line is made exactly as wide as the report again and the entry is written back into the line.
#include "reports/reportlayout.h"
#include "widgets/dialogbase.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace reports {

class EntryEditor : public DialogBase {
    Q_OBJECT
public:
    static constexpr int TotalsLineNumber = 100;

    // line: the line being edited (changed on Ok only); lineNumber 1..12, or TotalsLineNumber for
    // the totals line; entry 0..19; reportWidth the width the line is fitted to.
    EntryEditor(Session& session, LayoutLine& line, int lineNumber, int entry, int reportWidth,
                QWidget* parent = nullptr);

    QRadioButton* fillerRadio() const { return filler_; }
    QRadioButton* labelRadio() const { return label_; }
    QRadioButton* fieldRadio() const { return field_; }
    QListWidget* fieldList() const { return fields_; }
    QLineEdit* widthEdit() const { return width_; }
    QLineEdit* labelEdit() const { return labelName_; }
    QLabel* selectedPart() const { return selected_; }
    QPushButton* okButton() const { return ok_; }

public slots:
    void OkButtonClick();

private:
    void kindChanged();
    bool totalsLine() const { return lineNumber_ == TotalsLineNumber; }

    LayoutLine& line_;
    int lineNumber_;
    int entry_;
    int reportWidth_;
    QRadioButton* filler_;
    QRadioButton* label_;
    QRadioButton* field_;
    QListWidget* fields_;
    QLineEdit* width_;
    QLineEdit* labelName_;
    QLabel* selected_;
    QPushButton* ok_;
};

} // namespace reports
