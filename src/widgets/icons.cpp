#include "widgets/icons.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// Every icon the program asks for by name, and its bundled picture (the bundled set spells a few
// names differently).
struct IconName {
    const char* name;
    const char* bundled;
};
constexpr IconName kIcons[] = {
    {"document-edit", "accessories-text-editor"},
    {"document-export", "document-send"},
    {"document-import", "go-down"},
    {"document-new", "document-new"},
    {"document-open", "document-open"},
    {"document-print", "document-print"},
    {"edit-copy", "edit-copy"},
    {"edit-delete", "edit-delete"},
    {"edit-find", "edit-find"},
    {"edit-find-next", "go-jump"},
    {"emblem-default", "emblem-default"},
    {"help-browser", "help-browser"},
    {"list-add", "list-add"},
    {"list-remove", "list-remove"},
    {"preferences-desktop-theme", "preferences-desktop-theme"},
    {"preferences-system-windows", "preferences-system-windows"},
    {"process-stop", "process-stop"},
    {"system-search", "system-search"},
    {"view-refresh", "view-refresh"},
    {"view-sort-ascending", "view-sort-ascending"},
    {"window-close", "window-close"},
    {"go-previous", "go-previous"},
    {"go-next", "go-next"},
    {"zoom-in", "zoom-in"},
    {"zoom-out", "zoom-out"},
    {"zoom-fit-best", "zoom-fit-best"},
    {"zoom-fit-width", "zoom-fit-width"},
};

QString bundledFile(const QString& name) {
    for (const IconName& icon : kIcons)
        if (name == QLatin1String(icon.name))
            return QStringLiteral(":/icons/%1.png").arg(QLatin1String(icon.bundled));
    return QStringLiteral(":/icons/%1.png").arg(name);
}

// The sizes the icons are prepared in: the speed bar and navigator at every screen scale.
constexpr int kSizes[] = {16, 20, 24, 32, 40, 48};

} // namespace

bool themeHasEveryIcon() {
    for (const IconName& icon : kIcons)
        if (!QIcon::hasThemeIcon(QLatin1String(icon.name))) return false;
    return true;
}

QPixmap disabledLook(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            // Grey, a little lighter, and faint: a coloured or a grey picture alike.
            const int grey = 96 + qGray(c) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(c) * 3 / 10);
        }
    }
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(pixmap.devicePixelRatio());
    return out;
}

QIcon withDisabledLook(const QIcon& icon) {
    if (icon.isNull()) return icon;
    QIcon out;
    for (const int size : kSizes) {
        const QPixmap normal = icon.pixmap(QSize(size, size), QIcon::Normal);
        if (normal.isNull()) continue;
        out.addPixmap(normal, QIcon::Normal);
        out.addPixmap(disabledLook(normal), QIcon::Disabled);
    }
    return out;
}

QIcon themedIcon(const QString& name) {
    static const bool loaded = (initIconResources(), true);
    (void)loaded;
    QIcon icon;
    if (themeHasEveryIcon()) {
        icon = QIcon::fromTheme(name);
    } else {
        const QString file = bundledFile(name);
        if (QFile::exists(file)) icon = QIcon(file);
    }
    return withDisabledLook(icon);
}
