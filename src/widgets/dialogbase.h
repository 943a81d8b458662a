#pragma once
// The base of every dialog of the program. Each time a dialog is shown it
//   1. puts its controls back to their design geometry and font sizes (recorded the first time),
//   2. gives its controls the user fonts by kind (name and style only, sizes stay):
//        labels, list boxes, check boxes, radio buttons, group boxes   -> label font
//        edit boxes, masked edits, spin and date boxes, combo boxes, grids -> edit font
//        push buttons                                                   -> button font
//   3. scales positions, sizes and font sizes by the screen scale (never compounding, because of 1),
//   4. applies the colour set of its window group,
//   5. centres itself on the screen (and moves up by 10 pixels when asked to).
// Controls placed by a layout keep their place; their fonts grow and the layout follows.
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <array>
#include <functional>
#include <vector>

class Session;
class QShowEvent;

#include "catalogue/settings.h" // WindowGroup, DatabaseSettings

// The thirteen elements of a colour set, in the order of their settings keys.
enum class ColorElement {
    MainBackground = 0,
    MajorTitle,
    MinorTitle,
    EditBackground,
    EditText,
    ComboBackground,
    ComboText,
    ListBackground,
    ListText,
    RadioBackground,
    RadioText,
    CheckBackground,
    CheckText,
};
constexpr int ColorElementCount = 13;

// A colour set as colour numbers of the settings file (red in the low byte).
struct WindowColors {
    std::array<int, ColorElementCount> value{12632256, 0, 0,        16777215, 0,        16777215, 0,
                                             16777215, 0, 12632256, 0,        12632256, 0};
    QColor color(ColorElement e) const;
    static QColor fromNumber(int number); // 0x00BBGGRR -> QColor
    static int toNumber(const QColor& color);
};

// Everything a dialog takes from the run when it is shown.
struct DialogLook {
    QFont labelFont{QStringLiteral("Arial")};
    QFont editFont{QStringLiteral("Arial")};
    QFont buttonFont{QStringLiteral("Arial")};
    double scale = 1.0;
    WindowColors colors;
    bool applyColors = true;
};

// The look of the run for a window group (fonts, scale and colour set from the session).
DialogLook dialogLook(const Session& session, WindowGroup group);
// The same from the database settings and the screen scale.
DialogLook dialogLook(const DatabaseSettings& settings, double scale, WindowGroup group);

// The parts of the look, for windows that are not dialogs (the main window is not scaled).
namespace look {

// A user font of the database settings (family, bold, italic; the size is the application's) as
// a QFont, and a chosen QFont taken back into the setting.
QFont userFont(const UserFontSetting& setting);
void takeUserFont(UserFontSetting& setting, const QFont& font);
// The font kind of a control: 0 none, 1 label, 2 edit, 3 button.
enum class FontKind { None, Label, Edit, Button };
FontKind fontKind(const QWidget* w);
// Name and style of the user font on every control below root, sizes kept.
void applyUserFonts(QWidget* root, const DialogLook& look);
// The colour set on root and the controls below it.
void applyColors(QWidget* root, const WindowColors& colors);
// The user font of a kind (nullptr for None), and taking its name and style into a font.
const QFont* userFont(FontKind kind, const DialogLook& look);
void takeNameAndStyle(QFont& font, const QFont& user);
// Marks a label as a large section heading (coloured with the major title colour).
void markMajorTitle(QWidget* label);
// A control with fonts and colours of its own (the viewer grid follows the viewer options): the
// window's user fonts and colours pass it and its parts by.
void markOwnLook(QWidget* widget);
} // namespace look

class QHBoxLayout;

class DialogBase : public QDialog {
    Q_OBJECT
public:
    // The usual constructor: the look comes from the session each time the dialog is shown.
    DialogBase(Session& session, WindowGroup group, QWidget* parent = nullptr);
    // A dialog with a fixed look (tests, windows shown before a session exists).
    explicit DialogBase(const DialogLook& look, QWidget* parent = nullptr);
    ~DialogBase() override;

    Session* session() const { return session_; }
    WindowGroup windowGroup() const { return group_; } // Main for a dialog with a fixed look

    // After centring, move the window up by 10 pixels when its top is more than 10.
    void setMoveUp(bool on) { moveUp_ = on; }
    // Replace the fixed look (used when the dialog has no session).
    void setLook(const DialogLook& look) { look_ = look; }
    // The look applied at the next showing.
    DialogLook currentLook() const;

    // Restores the design geometry and font sizes, applies fonts, scale and colours and centres.
    // Called each time the dialog is shown; public so that a window can re-apply after a change.
    void applyLook();

    // Number of controls whose design values are recorded (0 before the first showing).
    int recordedControls() const { return int(design_.size()); }

protected:
    void showEvent(QShowEvent* event) override;
    // A row with "&Ok" (the default button, calling ok) and, with cancel, "&Cancel" (closing the
    // window unchanged) at its right.
    QHBoxLayout* okCancelRow(const std::function<void()>& ok, bool cancel = true);

private:
    struct Design {
        QPointer<QWidget> widget;
        QRect geometry;
        QSize minimum, maximum;
        bool placeGeometry = false; // not placed by a layout
        qreal pointSize = -1;
        int pixelSize = -1;
        bool font = false;
    };
    void record();
    void centre();

    Session* session_ = nullptr;
    WindowGroup group_ = WindowGroup::Main;
    DialogLook look_;
    bool recorded_ = false;
    bool moveUp_ = false;
    QSize designSize_, designMin_, designMax_;
    std::vector<Design> design_;
};
