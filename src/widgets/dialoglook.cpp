#include "widgets/dialogbase.h"

#include "catalogue/session.h"
#include "catalogue/settings.h"

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

DialogLook dialogLook(const Session& session, WindowGroup group) {
    return dialogLook(session.database(), session.screenScale(), group);
}
