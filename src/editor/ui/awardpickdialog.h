#pragma once
// The award pick window: the user picks awards, nominations or miscellaneous items from the
// program-wide lists OSCAR.LST and MISC.LST. The record editor creates it for one pick, reads
// result() when it was accepted and writes it into its box.
#include <QString>
#include <QStringList>

#include "widgets/dialogbase.h"

class Session;
class QListWidget;
class QPushButton;

class AwardPickDialog : public DialogBase {
    Q_OBJECT
public:
    // mode 1 awards, 2 nominations, 3 miscellaneous items; current is the text of the editor's
    // box (the miscellaneous mode selects the items already in it).
    AwardPickDialog(Session& session, int mode, const QString& current, QWidget* parent = nullptr);

    int mode() const { return mode_; }
    // The items in the list, in their (alphabetical) order, and which are selected.
    QStringList items() const;
    QStringList selectedItems() const;
    // The joined result of the last accepted pick.
    QString result() const { return result_; }

    void okButtonClicked();
    void cancelButtonClicked();

protected:
    void showEvent(QShowEvent* event) override; // fills the list on each showing

private:
    void loadAwardList();
    void setItems(const QStringList& items);

    Session& session_;
    int mode_;
    QString current_;
    QString result_;
    QListWidget* list_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
