// The dialog base: fonts by control kind, scaling that never compounds, colours, centring.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOption>
#include <QTableWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "catalogue/session.h"
#include "widgets/dialogbase.h"

namespace {

DialogLook testLook(double scale) {
    DialogLook lk;
    lk.labelFont = QFont("Courier New");
    lk.labelFont.setBold(true);
    lk.editFont = QFont("Times New Roman");
    lk.editFont.setItalic(true);
    lk.buttonFont = QFont("Helvetica");
    lk.buttonFont.setPointSize(30); // sizes of the user fonts never apply
    lk.scale = scale;
    return lk;
}

// A dialog laid out by hand, the way the program's windows are designed.
struct PlacedDialog : DialogBase {
    explicit PlacedDialog(const DialogLook& lk) : DialogBase(lk) {
        resize(400, 300);
        label = new QLabel("Title", this);
        label->setGeometry(10, 20, 100, 20);
        QFont f = label->font();
        f.setPointSize(10);
        label->setFont(f);
        edit = new QLineEdit(this);
        edit->setGeometry(120, 20, 200, 24);
        edit->setFont(f);
        combo = new QComboBox(this);
        combo->setGeometry(120, 60, 200, 24);
        check = new QCheckBox("Viewed", this);
        check->setGeometry(10, 100, 100, 20);
        radio = new QRadioButton("Left", this);
        radio->setGeometry(10, 130, 100, 20);
        list = new QListWidget(this);
        list->setGeometry(10, 160, 100, 80);
        grid = new QTableWidget(2, 2, this);
        grid->setGeometry(120, 160, 200, 80);
        group = new QGroupBox("Options", this);
        group->setGeometry(330, 10, 60, 60);
        button = new QPushButton("&Ok", group);
        button->setGeometry(5, 20, 50, 25);
        button->setFont(f);
    }
    QLabel* label;
    QLineEdit* edit;
    QComboBox* combo;
    QCheckBox* check;
    QRadioButton* radio;
    QListWidget* list;
    QTableWidget* grid;
    QGroupBox* group;
    QPushButton* button;
};

} // namespace

TEST(DialogBase, FontsByControlKindNameAndStyleOnly) {
    PlacedDialog d(testLook(1.0));
    d.show();
    EXPECT_EQ(d.label->font().family(), "Courier New");
    EXPECT_TRUE(d.label->font().bold());
    EXPECT_EQ(d.label->font().pointSizeF(), 10);
    for (QWidget* w : std::initializer_list<QWidget*>{d.check, d.radio, d.list, d.group}) {
        EXPECT_EQ(w->font().family(), "Courier New") << w->metaObject()->className();
        EXPECT_TRUE(w->font().bold());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{d.edit, d.combo, d.grid}) {
        EXPECT_EQ(w->font().family(), "Times New Roman") << w->metaObject()->className();
        EXPECT_TRUE(w->font().italic());
        EXPECT_FALSE(w->font().bold());
    }
    EXPECT_EQ(d.button->font().family(), "Helvetica");
    EXPECT_EQ(d.button->font().pointSizeF(), 10);
    EXPECT_FALSE(d.button->font().bold());
}

TEST(DialogBase, ScalingTwiceDoesNotCompound) {
    PlacedDialog d(testLook(1.25));
    for (int showing = 0; showing < 3; ++showing) {
        d.show();
        EXPECT_EQ(d.size(), QSize(500, 375)) << "showing " << showing;
        EXPECT_EQ(d.label->geometry(), QRect(13, 25, 125, 25)) << "showing " << showing;
        EXPECT_EQ(d.button->geometry(), QRect(6, 25, 63, 31));
        EXPECT_DOUBLE_EQ(d.label->font().pointSizeF(), 12.5);
        EXPECT_DOUBLE_EQ(d.button->font().pointSizeF(), 12.5);
        d.hide();
    }
    // A new scale applies to the design values, not to the last showing's.
    d.setLook(testLook(2.0));
    d.show();
    EXPECT_EQ(d.size(), QSize(800, 600));
    EXPECT_EQ(d.label->geometry(), QRect(20, 40, 200, 40));
    EXPECT_DOUBLE_EQ(d.label->font().pointSizeF(), 20);
    d.hide();
    d.setLook(testLook(1.0));
    d.show();
    EXPECT_EQ(d.label->geometry(), QRect(10, 20, 100, 20));
    EXPECT_DOUBLE_EQ(d.edit->font().pointSizeF(), 10);
}

TEST(DialogBase, LayoutsKeepPlacingTheirControls) {
    DialogBase d(testLook(1.6));
    auto* layout = new QVBoxLayout(&d);
    auto* label = new QLabel("Name");
    QFont f = label->font();
    f.setPointSize(10);
    label->setFont(f);
    auto* edit = new QLineEdit;
    edit->setFont(f);
    auto* button = new QPushButton("&Ok");
    button->setFixedWidth(80);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(button);
    d.show();
    d.hide();
    d.show();
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 16);
    EXPECT_DOUBLE_EQ(edit->font().pointSizeF(), 16);
    EXPECT_EQ(button->width(), 128);
    EXPECT_GE(d.height(), label->height() + edit->height());
    // The layout has taken the scaled fonts before the window shows: no clipped text.
    EXPECT_GE(label->width(), label->sizeHint().width());
    EXPECT_GE(label->height(), label->sizeHint().height());
}

TEST(DialogBase, ColourSetOfTheGroup) {
    DialogLook lk = testLook(1.0);
    lk.colors.value[int(ColorElement::MainBackground)] = 0x0000ff; // red
    lk.colors.value[int(ColorElement::MinorTitle)] = 0x00ff00;     // green
    lk.colors.value[int(ColorElement::EditBackground)] = 0x800000; // dark blue
    lk.colors.value[int(ColorElement::CheckText)] = 0x808080;
    PlacedDialog d(lk);
    d.show();
    EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(d.label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(d.edit->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(d.check->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(d.list->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(d.radio->palette().color(QPalette::Window), QColor(192, 192, 192));
    // Buttons fill their background with their own role, not the window's.
    EXPECT_EQ(d.check->palette().color(d.check->backgroundRole()), QColor(192, 192, 192));
}

TEST(DialogBase, DefaultColoursAreTheProgramDefaults) {
    WindowColors c;
    EXPECT_EQ(c.color(ColorElement::MainBackground), QColor(192, 192, 192));
    EXPECT_EQ(c.color(ColorElement::EditBackground), QColor(255, 255, 255));
    EXPECT_EQ(c.color(ColorElement::CheckText), QColor(0, 0, 0));
    EXPECT_EQ(WindowColors::toNumber(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(WindowColors::fromNumber(8553090), QColor(130, 130, 130));
}

TEST(DialogBase, CentresOnTheScreenAndMovesUpWhenAsked) {
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    PlacedDialog d(testLook(1.0));
    d.show();
    EXPECT_LE(std::abs(d.frameGeometry().center().x() - avail.center().x()), 1);
    const int centredTop = d.frameGeometry().top();
    d.hide();
    d.setMoveUp(true);
    d.show();
    EXPECT_EQ(d.frameGeometry().top(), centredTop > 10 ? centredTop - 10 : centredTop);
}

TEST(DialogBase, LookFromTheDatabaseSettings) {
    DatabaseSettings s;
    s.labelFont = {QStringLiteral("Courier New"), true, false};
    s.editFont = {QStringLiteral("Times New Roman"), false, true};
    s.buttonFont = {QStringLiteral("Helvetica"), true, true};
    s.colors(WindowGroup::Edit)[ColorSet::MainBackground] = 16777215;
    s.colors(WindowGroup::Edit)[ColorSet::EditText] = 255;
    const DialogLook edit = dialogLook(s, 1.6, WindowGroup::Edit);
    EXPECT_EQ(edit.labelFont.family(), "Courier New");
    EXPECT_TRUE(edit.labelFont.bold());
    EXPECT_TRUE(edit.editFont.italic());
    EXPECT_TRUE(edit.buttonFont.bold() && edit.buttonFont.italic());
    EXPECT_DOUBLE_EQ(edit.scale, 1.6);
    EXPECT_EQ(edit.colors.color(ColorElement::MainBackground), QColor(255, 255, 255));
    EXPECT_EQ(edit.colors.color(ColorElement::EditText), QColor(255, 0, 0));
    // Other groups keep their own sets.
    const DialogLook search = dialogLook(s, 1.0, WindowGroup::Search);
    EXPECT_EQ(search.colors.color(ColorElement::MainBackground), QColor(192, 192, 192));
}

TEST(DialogBase, TakesItsLookFromTheSessionEachTimeItIsShown) {
    Session session;
    session.setScreenScale(1.25);
    look::takeUserFont(session.database().labelFont, QFont("Courier New"));
    session.database().colors(WindowGroup::Search)[ColorSet::MainBackground] = 0x00ffff; // yellow
    DialogBase d(session, WindowGroup::Search);
    d.resize(200, 100);
    auto* label = new QLabel("Name", &d);
    label->setGeometry(10, 10, 80, 20);
    d.show();
    EXPECT_EQ(d.size(), QSize(250, 125));
    EXPECT_EQ(label->font().family(), "Courier New");
    EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 255, 0));
    d.hide();
    // A new screen size and font apply at the next showing.
    session.setScreenScale(2.0);
    look::takeUserFont(session.database().labelFont, QFont("Times New Roman"));
    d.show();
    EXPECT_EQ(d.size(), QSize(400, 200));
    EXPECT_EQ(label->geometry(), QRect(20, 20, 160, 40));
    EXPECT_EQ(label->font().family(), "Times New Roman");
}

namespace {

// Pixels of a picture darker than the light faces around them, within an area.
int darkPixels(const QImage& picture, const QRect& area) {
    int n = 0;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 110) ++n;
    return n;
}

// The check box's mark and the combo box's arrow as they are drawn at a scale.
struct Marks {
    int indicatorWidth = 0;
    int checkInk = 0;
    int radioWidth = 0;
    int arrowWidth = 0;
    int arrowInk = 0;
};
Marks marksAt(PlacedDialog& d, double scale) {
    d.setLook(testLook(scale));
    d.check->setText(QString()); // only the mark is dark
    d.check->setChecked(true);
    d.show();
    Marks m;
    QStyleOptionButton check;
    check.initFrom(d.check);
    m.indicatorWidth =
        d.check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &check, d.check).width();
    m.checkInk = darkPixels(d.check->grab().toImage(), d.check->rect());
    QStyleOptionButton radio;
    radio.initFrom(d.radio);
    m.radioWidth = d.radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &radio, d.radio).width();
    QStyleOptionComboBox combo;
    combo.initFrom(d.combo);
    combo.subControls = QStyle::SC_All;
    const QRect arrow =
        d.combo->style()->subControlRect(QStyle::CC_ComboBox, &combo, QStyle::SC_ComboBoxArrow, d.combo);
    m.arrowWidth = arrow.width();
    m.arrowInk = darkPixels(d.combo->grab().toImage(), arrow.adjusted(3, 3, -3, -3));
    d.hide();
    return m;
}

} // namespace

TEST(DialogBase, CheckMarksAndComboArrowsGrowWithTheScale) {
    PlacedDialog d(testLook(1.0));
    const Marks small = marksAt(d, 1.0);
    ASSERT_GT(small.checkInk, 0);
    ASSERT_GT(small.arrowInk, 0);
    const Marks large = marksAt(d, 2.0);
    EXPECT_GE(large.indicatorWidth, 2 * small.indicatorWidth - 1);
    EXPECT_GE(large.radioWidth, 2 * small.radioWidth - 1);
    EXPECT_GE(large.arrowWidth, 2 * small.arrowWidth - 2);
    // A mark twice as wide and high covers about four times the pixels.
    EXPECT_GE(large.checkInk, 3 * small.checkInk);
    EXPECT_GE(large.arrowInk, 3 * small.arrowInk);
    // Back at the 640 screen: the application's own style and sizes again.
    const Marks again = marksAt(d, 1.0);
    EXPECT_EQ(d.check->style(), QApplication::style());
    EXPECT_EQ(again.indicatorWidth, small.indicatorWidth);
    EXPECT_EQ(again.arrowWidth, small.arrowWidth);
}
