#pragma once
// The options picker of the search window: the row's field display name over a list of choices
// (the four operators of a number or date row, or the values offered for a text row), Ok and
// Cancel. Ok answers the chosen entry.
#include <QStringList>

#include "widgets/dialogbase.h"

class QLabel;
class QListWidget;
class QPushButton;

class SearchOptionsPicker : public DialogBase {
    Q_OBJECT
public:
    SearchOptionsPicker(Session& session, const QString& fieldName, const QStringList& choices, int selected,
                        QWidget* parent = nullptr);

    // The entry chosen (0-based), -1 when none is selected.
    int chosen() const;
    QString chosenText() const;

    QLabel* fieldNameLabel() const { return fieldNameLabel_; }
    QListWidget* list() const { return list_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    QLabel* fieldNameLabel_;
    QListWidget* list_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};
