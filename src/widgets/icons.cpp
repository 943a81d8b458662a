#include "widgets/icons.h"

#include <QFile>

static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// Bundled pictures for names the bundled set spells differently.
QString bundledName(const QString& name) {
    if (name == QLatin1String("document-edit")) return QStringLiteral("accessories-text-editor");
    if (name == QLatin1String("document-import")) return QStringLiteral("go-down");
    if (name == QLatin1String("document-export")) return QStringLiteral("document-send");
    if (name == QLatin1String("edit-find-next")) return QStringLiteral("go-jump");
    return name;
}

} // namespace

QIcon themedIcon(const QString& name) {
    static const bool loaded = (initIconResources(), true);
    (void)loaded;
    const QString file = QStringLiteral(":/icons/%1.png").arg(bundledName(name));
    QIcon fallback;
    if (QFile::exists(file)) fallback = QIcon(file);
    return QIcon::fromTheme(name, fallback);
}
