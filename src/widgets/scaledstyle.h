#pragma once
// The look of check boxes, radio buttons and combo boxes at a screen scale: their check marks,
// radio marks and drop-down arrows grow with the scaled text instead of staying at the size of
// the 640 x 480 screen. The rest of the drawing is the application style's.
#include <QProxyStyle>

class ScaledControlStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The style shared by the controls of one scale (owned by the application).
    static ScaledControlStyle* forScale(double scale);
    double scale() const { return scale_; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

private:
    explicit ScaledControlStyle(double scale);
    double scale_;
};

// Gives a check box, radio button or combo box the look of a scale (1: the application style's).
// Other widgets are left as they are.
void applyControlScale(QWidget* widget, double scale);
