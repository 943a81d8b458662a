// The speed bar's icons: one set in one style (the theme's only when it has them all), and a
// disabled button that looks disabled whatever the colours of its picture.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "widgets/icons.h"

namespace {

// The names the speed bar and the navigator ask for.
const char* const kNames[] = {"document-new",
                              "document-open",
                              "list-add",
                              "document-edit",
                              "edit-copy",
                              "edit-delete",
                              "document-import",
                              "document-export",
                              "system-search",
                              "process-stop",
                              "edit-find",
                              "edit-find-next",
                              "document-print",
                              "preferences-system-windows",
                              "view-sort-ascending",
                              "preferences-desktop-theme",
                              "help-browser",
                              "list-remove",
                              "emblem-default",
                              "window-close",
                              "view-refresh",
                              "go-previous",
                              "go-next",
                              "zoom-in",
                              "zoom-out",
                              "zoom-fit-best",
                              "zoom-fit-width"};

// How far a picture stands out from the button face: the sum over its pixels of the colour
// distance from the face, weighted by the pixel's cover.
double ink(const QImage& picture, QColor face) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const double d = std::abs(c.red() - face.red()) + std::abs(c.green() - face.green()) +
                             std::abs(c.blue() - face.blue());
            sum += d * c.alphaF();
        }
    return sum;
}

// A button's look: the button drawn enabled or disabled.
QImage buttonPicture(const QIcon& icon, bool enabled) {
    QToolButton b;
    b.setIcon(icon);
    b.setIconSize(QSize(20, 20));
    b.setAutoRaise(true);
    b.resize(24, 24);
    b.setEnabled(enabled);
    return b.grab().toImage();
}

// A theme folder "Fake" holding a red square under each of the names.
void writeTheme(const QString& root, const QStringList& names) {
    const QString folder = root + "/Fake/24x24/actions";
    QDir().mkpath(folder);
    QFile index(root + "/Fake/index.theme");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Fake\nDirectories=24x24/actions\n\n"
                "[24x24/actions]\nSize=24\nType=Fixed\n");
    QImage red(24, 24, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    for (const QString& name : names)
        ASSERT_TRUE(red.save(folder + "/" + name + ".png"));
}

bool isRed(const QIcon& icon) {
    const QImage image = icon.pixmap(QSize(24, 24)).toImage();
    return !image.isNull() && image.pixelColor(12, 12) == QColor(255, 0, 0);
}

// Restores the theme of the run when a test has set its own.
struct ThemeGuard {
    ThemeGuard() : name(QIcon::themeName()), paths(QIcon::themeSearchPaths()) {}
    ~ThemeGuard() {
        QIcon::setThemeSearchPaths(paths);
        QIcon::setThemeName(name);
    }
    QString name;
    QStringList paths;
};

} // namespace

TEST(Icons, EveryIconExistsAndItsDisabledButtonLooksDisabled) {
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        const QIcon icon = themedIcon(QString::fromLatin1(name));
        ASSERT_FALSE(icon.isNull());
        const QImage on = buttonPicture(icon, true);
        const QImage off = buttonPicture(icon, false);
        const QColor face = on.pixelColor(0, 0);
        // Grey pictures (copy, sort, export) too: the disabled one has at most half the ink.
        EXPECT_LT(ink(off, face), 0.5 * ink(on, face));
        EXPECT_GT(ink(off, face), 0.0); // still there, only faint
    }
}

TEST(Icons, OneStyleTheThemesOnlyWhenItHasEveryIcon) {
    ThemeGuard guard;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList all;
    for (const char* name : kNames)
        all << QString::fromLatin1(name);
    struct Case {
        const char* what;
        QStringList names;
        bool theme;
    };
    const Case cases[] = {
        {"a theme with a few of them", {"list-add", "edit-copy"}, false},
        {"a theme with all but one", all.mid(1), false},
        {"a theme with every icon", all, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString root = dir.path() + "/" + QString::number(&c - cases);
        writeTheme(root, c.names);
        QIcon::setThemeSearchPaths({root});
        QIcon::setThemeName("Fake");
        EXPECT_EQ(themeHasEveryIcon(), c.theme);
        for (const QString& name : all) {
            const QIcon icon = themedIcon(name);
            EXPECT_FALSE(icon.isNull()) << name.toStdString();
            EXPECT_EQ(isRed(icon), c.theme) << name.toStdString();
        }
    }
}
