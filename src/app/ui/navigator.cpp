#include "app/ui/navigator.h"

#include <QIcon>
#include <QToolButton>

#include "app/ui/icons.h"

namespace {

struct ButtonInfo {
    const char* icon;
    const char* hint;
};

const ButtonInfo kButtons[TNavigator::ButtonCount] = {
    {"go-first", "First record"},   {"go-previous", "Prior record"}, {"go-next", "Next record"},
    {"go-last", "Last record"},     {"list-add", "Insert record"},   {"list-remove", "Delete record"},
    {"document-edit", "Edit record"}, {"emblem-default", "Post edit"}, {"window-close", "Cancel edit"},
    {"view-refresh", "Refresh data"},
};

}  // namespace

TNavigator::TNavigator(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Navigator"));
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("Navigator%1").arg(i));
        b->setIcon(themedIcon(QString::fromLatin1(kButtons[i].icon)));
        b->setToolTip(QString::fromLatin1(kButtons[i].hint));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, i] { emit clicked(static_cast<Button>(i)); });
        buttons_[i] = b;
    }
    placeButtons();
}

void TNavigator::setBrowseMode(bool on) {
    browse_ = on;
    for (int i = Insert; i < ButtonCount; ++i)
        buttons_[i]->setVisible(!on);
    placeButtons();
}

int TNavigator::visibleButtonCount() const { return browse_ ? 4 : int(ButtonCount); }

void TNavigator::setEditState(bool editing, bool hasRecord) {
    buttons_[Insert]->setEnabled(!editing);
    buttons_[Delete]->setEnabled(!editing && hasRecord);
    buttons_[Edit]->setEnabled(!editing && hasRecord);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
}

void TNavigator::resizeEvent(QResizeEvent*) { placeButtons(); }

void TNavigator::placeButtons() {
    const int n = visibleButtonCount();
    const int w = width();
    int left = 0;
    for (int i = 0; i < n; ++i) {
        // Spread the remainder over the first buttons so the row fills the width exactly.
        const int right = w * (i + 1) / n;
        buttons_[i]->setGeometry(left, 0, right - left, height());
        left = right;
    }
}
