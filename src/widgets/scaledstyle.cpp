#include "widgets/scaledstyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOption>
#include <cmath>
#include <map>

namespace {

bool growsWithScale(QStyle::PixelMetric metric) {
    switch (metric) {
    case QStyle::PM_IndicatorWidth:
    case QStyle::PM_IndicatorHeight:
    case QStyle::PM_ExclusiveIndicatorWidth:
    case QStyle::PM_ExclusiveIndicatorHeight:
    case QStyle::PM_CheckBoxLabelSpacing:
    case QStyle::PM_RadioButtonLabelSpacing:
        return true;
    default:
        return false;
    }
}

} // namespace

ScaledControlStyle::ScaledControlStyle(double scale) : QProxyStyle(), scale_(scale) {}

ScaledControlStyle* ScaledControlStyle::forScale(double scale) {
    static std::map<int, ScaledControlStyle*> styles; // by scale in hundredths
    const int key = int(std::lround(scale * 100));
    auto& style = styles[key];
    if (!style) {
        style = new ScaledControlStyle(key / 100.0);
        style->setParent(qApp);
        QObject::connect(style, &QObject::destroyed, [key] { styles.erase(key); });
    }
    return style;
}

int ScaledControlStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                    const QWidget* widget) const {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    return growsWithScale(metric) ? int(std::lround(value * scale_)) : value;
}

QRect ScaledControlStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                         SubControl sub, const QWidget* widget) const {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control != CC_ComboBox || (sub != SC_ComboBoxArrow && sub != SC_ComboBoxEditField)) return r;
    // The arrow's part grows to the left; the text field gives way.
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const int extra = int(std::lround(arrow.width() * (scale_ - 1)));
    if (sub == SC_ComboBoxArrow)
        r.setLeft(r.left() - extra);
    else if (r.right() >= arrow.left() - extra)
        r.setRight(std::max(r.left(), r.right() - extra));
    return r;
}

void ScaledControlStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                            QPainter* painter, const QWidget* widget) const {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (control != CC_ComboBox || !combo || !(combo->subControls & SC_ComboBoxArrow)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The box as the application style draws it, and an arrow of the scale in its part (the
    // style's own arrow keeps the size of the unscaled screen).
    QStyleOptionComboBox box(*combo);
    box.subControls &= ~SC_ComboBoxArrow;
    QProxyStyle::drawComplexControl(control, &box, painter, widget);
    const QRect part = proxy()->subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, widget);
    const qreal width = 7.0 * scale_;
    const qreal height = 4.0 * scale_;
    const QPointF centre = QRectF(part).center();
    QPolygonF arrow;
    arrow << QPointF(centre.x() - width / 2, centre.y() - height / 2)
          << QPointF(centre.x() + width / 2, centre.y() - height / 2)
          << QPointF(centre.x(), centre.y() + height / 2);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const QPalette::ColorGroup group = combo->state & State_Enabled ? QPalette::Normal : QPalette::Disabled;
    painter->setBrush(combo->palette.color(group, QPalette::ButtonText));
    painter->drawPolygon(arrow);
    painter->restore();
}

void applyControlScale(QWidget* widget, double scale) {
    if (!qobject_cast<QCheckBox*>(widget) && !qobject_cast<QRadioButton*>(widget) &&
        !qobject_cast<QComboBox*>(widget))
        return;
    const bool ours = qobject_cast<ScaledControlStyle*>(widget->style()) != nullptr;
    if (std::abs(scale - 1.0) < 0.01) {
        if (ours) widget->setStyle(nullptr);
        return;
    }
    ScaledControlStyle* style = ScaledControlStyle::forScale(scale);
    if (widget->style() != style) widget->setStyle(style);
}
