#include "widgets/dialogbase.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <cmath>
#include <unordered_set>

#include "widgets/scaledstyle.h"

QColor WindowColors::color(ColorElement e) const {
    return fromNumber(value[size_t(e)]);
}

QColor WindowColors::fromNumber(int number) {
    return QColor(number & 0xff, (number >> 8) & 0xff, (number >> 16) & 0xff);
}

int WindowColors::toNumber(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

namespace {

// Controls whose inner widgets are their own business: never walked into.
bool isLeaf(const QWidget* w) {
    if (qobject_cast<const QScrollArea*>(w)) return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QProgressBar*>(w);
}

// Calls f for every control below root, in creation order, without entering other windows or
// the inner parts of controls.
template <typename F> void walk(QWidget* root, F&& f) {
    QList<QWidget*> children;
    if (auto* tabs = qobject_cast<QTabWidget*>(root)) {
        for (int i = 0; i < tabs->count(); ++i)
            children << tabs->widget(i);
    } else if (auto* area = qobject_cast<QScrollArea*>(root)) {
        if (area->widget()) children << area->widget();
    } else {
        for (QObject* o : root->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow()) children << w;
    }
    for (QWidget* w : children) {
        if (w->property("quillonOwnLook").toBool()) continue; // keeps the look it sets itself
        f(w);
        if (!isLeaf(w)) walk(w, f);
    }
}

void setRoles(QWidget* w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles) {
    QPalette p = w->palette();
    for (const auto& [role, color] : roles)
        p.setColor(role, color);
    w->setPalette(p);
}

// The system's colours for a control, every role set on it so that nothing comes from its window.
void keepSystemColors(QWidget* w) {
    const QPalette system = QApplication::palette(w);
    QPalette p;
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = QPalette::ColorGroup(g);
            const auto role = QPalette::ColorRole(r);
            if (role != QPalette::NoRole) p.setColor(group, role, system.color(group, role));
        }
    w->setPalette(p);
}

QSize scaled(QSize s, double f) {
    auto one = [f](int v) {
        if (v <= 0 || v >= QWIDGETSIZE_MAX) return v;
        return std::min(QWIDGETSIZE_MAX, int(std::lround(v * f)));
    };
    return {one(s.width()), one(s.height())};
}

} // namespace

namespace look {

FontKind fontKind(const QWidget* w) {
    if (qobject_cast<const QPushButton*>(w)) return FontKind::Button;
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
        qobject_cast<const QLabel*>(w) || qobject_cast<const QGroupBox*>(w) ||
        qobject_cast<const QListView*>(w) || qobject_cast<const QTreeView*>(w))
        return FontKind::Label;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
        qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTableView*>(w) ||
        qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return FontKind::Edit;
    return FontKind::None;
}

const QFont* userFont(FontKind kind, const DialogLook& look) {
    switch (kind) {
    case FontKind::Label:
        return &look.labelFont;
    case FontKind::Edit:
        return &look.editFont;
    case FontKind::Button:
        return &look.buttonFont;
    case FontKind::None:
        break;
    }
    return nullptr;
}

void takeNameAndStyle(QFont& font, const QFont& user) {
    font.setFamilies(user.families().isEmpty() ? QStringList{user.family()} : user.families());
    font.setBold(user.bold());
    font.setItalic(user.italic());
}

static void applyUserFont(QWidget* w, const DialogLook& look) {
    const QFont* user = userFont(fontKind(w), look);
    if (!user) return;
    QFont f = w->font();
    takeNameAndStyle(f, *user);
    w->setFont(f);
}

void applyUserFonts(QWidget* root, const DialogLook& look) {
    walk(root, [&](QWidget* w) { applyUserFont(w, look); });
}

void markOwnLook(QWidget* widget) {
    widget->setProperty("quillonOwnLook", true);
}

void markMajorTitle(QWidget* label) {
    label->setProperty("quillonMajorTitle", true);
}

void applyColors(QWidget* root, const WindowColors& colors) {
    using E = ColorElement;
    auto c = [&](E e) { return colors.color(e); };
    root->setAutoFillBackground(true);
    setRoles(root, {{QPalette::Window, c(E::MainBackground)}, {QPalette::WindowText, c(E::MinorTitle)}});
    walk(root, [&](QWidget* w) {
        if (qobject_cast<QLabel*>(w)) {
            bool major = w->property("quillonMajorTitle").toBool();
            setRoles(w, {{QPalette::Window, c(E::MainBackground)},
                         {QPalette::WindowText, c(major ? E::MajorTitle : E::MinorTitle)}});
        } else if (qobject_cast<QRadioButton*>(w)) {
            w->setAutoFillBackground(true);
            setRoles(w, {{QPalette::Window, c(E::RadioBackground)},
                         {QPalette::Button, c(E::RadioBackground)},
                         {QPalette::WindowText, c(E::RadioText)},
                         {QPalette::ButtonText, c(E::RadioText)}});
        } else if (qobject_cast<QCheckBox*>(w)) {
            w->setAutoFillBackground(true);
            setRoles(w, {{QPalette::Window, c(E::CheckBackground)},
                         {QPalette::Button, c(E::CheckBackground)},
                         {QPalette::WindowText, c(E::CheckText)},
                         {QPalette::ButtonText, c(E::CheckText)}});
        } else if (qobject_cast<QComboBox*>(w)) {
            setRoles(w, {{QPalette::Base, c(E::ComboBackground)},
                         {QPalette::Text, c(E::ComboText)},
                         {QPalette::Button, c(E::ComboBackground)},
                         {QPalette::ButtonText, c(E::ComboText)}});
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                   qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) {
            setRoles(w, {{QPalette::Base, c(E::EditBackground)}, {QPalette::Text, c(E::EditText)}});
        } else if (qobject_cast<QAbstractItemView*>(w)) {
            setRoles(w, {{QPalette::Base, c(E::ListBackground)}, {QPalette::Text, c(E::ListText)}});
        } else if (qobject_cast<QGroupBox*>(w)) {
            setRoles(w, {{QPalette::Window, c(E::MainBackground)}, {QPalette::WindowText, c(E::MinorTitle)}});
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            // The tabs keep the system's colours, so their captions stay readable on any set; each
            // page shows the window background (the style paints the frame around it lighter).
            keepSystemColors(tabs->tabBar());
            for (int i = 0; i < tabs->count(); ++i) {
                QWidget* page = tabs->widget(i);
                page->setAutoFillBackground(true);
                setRoles(page, {{QPalette::Window, c(E::MainBackground)},
                                {QPalette::WindowText, c(E::MinorTitle)}});
            }
        } else if (qobject_cast<QMenuBar*>(w)) {
            keepSystemColors(w); // a window's menu keeps the system's colours
        }
    });
}

} // namespace look

DialogBase::DialogBase(Session& session, WindowGroup group, QWidget* parent)
    : QDialog(parent), session_(&session), group_(group) {}

DialogBase::DialogBase(const DialogLook& look, QWidget* parent) : QDialog(parent), look_(look) {}

DialogBase::~DialogBase() = default;

DialogLook DialogBase::currentLook() const {
    if (session_) return dialogLook(*session_, group_);
    return look_;
}

void DialogBase::record() {
    if (!recorded_) {
        if (!testAttribute(Qt::WA_Resized)) adjustSize();
        designSize_ = size();
        designMin_ = minimumSize();
        designMax_ = maximumSize();
        recorded_ = true;
    }
    std::unordered_set<const QWidget*> known;
    for (const Design& d : design_)
        if (d.widget) known.insert(d.widget.data());
    walk(this, [&](QWidget* w) {
        if (known.count(w)) return;
        Design d;
        d.widget = w;
        QWidget* parent = w->parentWidget();
        d.placeGeometry = parent && !parent->layout() && !qobject_cast<QTabWidget*>(parent) &&
                          !qobject_cast<QScrollArea*>(parent);
        d.geometry = w->geometry();
        d.minimum = w->minimumSize();
        d.maximum = w->maximumSize();
        d.font = look::fontKind(w) != look::FontKind::None || qobject_cast<QTabWidget*>(w);
        d.pointSize = w->font().pointSizeF();
        d.pixelSize = w->font().pixelSize();
        design_.push_back(d);
    });
}

void DialogBase::applyLook() {
    const DialogLook lk = currentLook();
    const double scale = lk.scale > 0 ? lk.scale : 1.0;
    record();
    // 1. and 3.: each control from its design values, never from the values of the last showing.
    if (!layout()) { // a layout sets the window's limits itself
        setMinimumSize(scaled(designMin_, scale));
        setMaximumSize(scaled(designMax_, scale));
    }
    for (Design& d : design_) {
        QWidget* w = d.widget;
        if (!w) continue;
        w->setMinimumSize(scaled(d.minimum, scale));
        w->setMaximumSize(scaled(d.maximum, scale));
        if (d.placeGeometry) {
            const QRect& g = d.geometry;
            w->setGeometry(int(std::lround(g.x() * scale)), int(std::lround(g.y() * scale)),
                           int(std::lround(g.width() * scale)), int(std::lround(g.height() * scale)));
        }
        // Check marks, radio marks and drop-down arrows grow with the text.
        applyControlScale(w, scale);
        if (!d.font) continue;
        QFont f = w->font();
        if (d.pointSize > 0)
            f.setPointSizeF(d.pointSize * scale);
        else if (d.pixelSize > 0)
            f.setPixelSize(std::max(1, int(std::lround(d.pixelSize * scale))));
        // 2. the user font of the control's kind: name and style only.
        if (const QFont* user = look::userFont(look::fontKind(w), lk)) look::takeNameAndStyle(f, *user);
        w->setFont(f);
    }
    // The layout takes the new font sizes now, so the window is never shown with clipped text.
    if (layout()) layout()->activate();
    resize(scaled(designSize_, scale));
    // 4.
    if (lk.applyColors) look::applyColors(this, lk.colors);
    // 5.
    centre();
}

void DialogBase::centre() {
    QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!scr) return;
    const QRect avail = scr->availableGeometry();
    QRect r = frameGeometry();
    r.moveCenter(avail.center());
    int top = r.top();
    if (moveUp_ && top > 10) top -= 10;
    move(r.left(), top);
}

void DialogBase::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) applyLook();
    QDialog::showEvent(event);
}

QHBoxLayout* DialogBase::okCancelRow(const std::function<void()>& ok, bool cancel) {
    auto* okButton = new QPushButton(QStringLiteral("&Ok"), this);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, ok);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(okButton);
    if (cancel) {
        auto* cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
        connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
        row->addWidget(cancelButton);
    }
    return row;
}
