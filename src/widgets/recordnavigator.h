#pragma once
// The record navigator of the main window: first, prior, next, last, insert, delete, edit, post,
// cancel and refresh; in browse mode only the first four. The buttons share the navigator's
// width evenly, so the same width holds ten or four buttons.
#include <QWidget>
#include <array>

class QToolButton;

class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, ButtonCount };

    explicit RecordNavigator(QWidget* parent = nullptr);

    // Browse mode shows only First, Prior, Next and Last.
    void setBrowseMode(bool on);
    int visibleButtonCount() const;
    QToolButton* button(Button b) const { return buttons_[b]; }
    // Enables the editing buttons that make sense: Post and Cancel while a record is edited,
    // Insert, Delete and Edit otherwise (and Delete only when there is a record).
    void setEditState(bool editing, bool hasRecord);

signals:
    void clicked(RecordNavigator::Button button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();

    std::array<QToolButton*, ButtonCount> buttons_{};
    bool browse_ = false;
};
