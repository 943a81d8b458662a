#include "app/ui/dialogbase.h"

#include "app/settings.h"

namespace {
QFont userFont(const UserFontSetting& f) {
    QFont font(f.name);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}
} // namespace

DialogLook dialogLook(const DatabaseSettings& settings, double scale, WindowGroup group) {
    DialogLook look;
    look.labelFont = userFont(settings.labelFont);
    look.editFont = userFont(settings.editFont);
    look.buttonFont = userFont(settings.buttonFont);
    look.scale = scale;
    look.colors.value = settings.colors(group).colors;
    return look;
}

// Until the session carries the settings, the program's defaults apply.
DialogLook dialogLook(const Session&, WindowGroup) {
    return DialogLook{};
}
