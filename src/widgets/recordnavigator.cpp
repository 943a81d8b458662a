#include "widgets/recordnavigator.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QToolButton>

#include "widgets/icons.h"

namespace {

struct ButtonInfo {
    const char* icon;
    const char* hint;
};

const ButtonInfo kButtons[RecordNavigator::ButtonCount] = {
    {"go-first", "First record"},     {"go-previous", "Prior record"}, {"go-next", "Next record"},
    {"go-last", "Last record"},       {"list-add", "Insert record"},   {"list-remove", "Delete record"},
    {"document-edit", "Edit record"}, {"emblem-default", "Post edit"}, {"window-close", "Cancel edit"},
    {"view-refresh", "Refresh data"},
};

// The four arrows drawn as solid dark shapes, so they read clearly on any button face.
QIcon arrowIcon(int which) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x40, 0x60));
    const bool left = which == RecordNavigator::First || which == RecordNavigator::Prior;
    const bool bar = which == RecordNavigator::First || which == RecordNavigator::Last;
    QPolygonF triangle;
    if (left)
        triangle << QPointF(24, 6) << QPointF(24, 26) << QPointF(10, 16);
    else
        triangle << QPointF(8, 6) << QPointF(8, 26) << QPointF(22, 16);
    p.drawPolygon(triangle);
    if (bar) p.drawRect(left ? QRectF(5, 6, 4, 20) : QRectF(23, 6, 4, 20));
    p.end();
    return QIcon(pm);
}

} // namespace

RecordNavigator::RecordNavigator(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Navigator"));
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("Navigator%1").arg(i));
        b->setIcon(i <= Last ? withDisabledLook(arrowIcon(i))
                             : themedIcon(QString::fromLatin1(kButtons[i].icon)));
        b->setToolTip(QString::fromLatin1(kButtons[i].hint));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, i] { emit clicked(static_cast<Button>(i)); });
        buttons_[i] = b;
    }
    placeButtons();
}

void RecordNavigator::setBrowseMode(bool on) {
    browse_ = on;
    for (int i = Insert; i < ButtonCount; ++i)
        buttons_[i]->setVisible(!on);
    placeButtons();
}

int RecordNavigator::visibleButtonCount() const {
    return browse_ ? 4 : int(ButtonCount);
}

void RecordNavigator::setEditState(bool editing, bool hasRecord) {
    buttons_[Insert]->setEnabled(!editing);
    buttons_[Delete]->setEnabled(!editing && hasRecord);
    buttons_[Edit]->setEnabled(!editing && hasRecord);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
}

void RecordNavigator::resizeEvent(QResizeEvent*) {
    placeButtons();
}

void RecordNavigator::placeButtons() {
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
