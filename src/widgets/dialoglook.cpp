#include "widgets/dialogbase.h"

#include "catalogue/session.h"
#include "catalogue/settings.h"

QFont look::userFont(const UserFontSetting& f) {
    QFont font(f.name);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

void look::takeUserFont(UserFontSetting& setting, const QFont& font) {
    setting.name = font.family();
    setting.bold = font.bold();
    setting.italic = font.italic();
}

DialogLook dialogLook(const DatabaseSettings& settings, double scale, WindowGroup group) {
    DialogLook look;
    look.labelFont = look::userFont(settings.labelFont);
    look.editFont = look::userFont(settings.editFont);
    look.buttonFont = look::userFont(settings.buttonFont);
    look.scale = scale;
    look.colors.value = settings.colors(group).colors;
    return look;
}

DialogLook dialogLook(const Session& session, WindowGroup group) {
    return dialogLook(session.database(), session.screenScale(), group);
}
