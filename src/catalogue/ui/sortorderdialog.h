#pragma once
// The sort order window: four drop-down lists choose the four sort levels ("<NONE>" or a field
// display name, a list position equal to the slot number). Ok builds the sort expression and
// makes it the active order of the main table, which needs exclusive use of the table for the
// time it takes.
#include <array>

#include "widgets/dialogbase.h"

class QComboBox;
class QPushButton;

class SortOrderDialog : public DialogBase {
    Q_OBJECT
public:
    SortOrderDialog(Session& session, QWidget* parent = nullptr);

    QComboBox* levelBox(int level) const { return boxes_[level]; } // 0..3
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

public slots:
    void okButtonClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void reopenShared();

    Session& session_;
    std::array<QComboBox*, 4> boxes_{};
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
