#pragma once
// The list editor: one data list in a list box, with Add, Delete, Sort, Ok and Cancel.
#include <QStringList>

#include "widgets/dialogbase.h"

class Session;
class QLineEdit;
class QListWidget;
class QPushButton;

class ListEditorDialog : public DialogBase {
    Q_OBJECT
public:
    // listNumber 1..17. The list box gets a copy of the list; only "&Ok" changes it.
    ListEditorDialog(Session& session, int listNumber, QWidget* parent = nullptr);

    int listNumber() const { return listNumber_; }
    QStringList values() const; // the values in the list box, in order

    void addButtonClicked();
    void deleteButtonClicked();
    void sortButtonClicked();
    void okButtonClicked();
    void cancelButtonClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Session& session_;
    int listNumber_;
    QListWidget* list_ = nullptr;
    QLineEdit* addInfo_ = nullptr;
};
