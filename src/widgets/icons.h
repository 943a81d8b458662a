#pragma once
// The icons of the speed bar and the navigator: one set in one style. The desktop theme's icons
// when the theme has every icon the program asks for, else the program's bundled set for all of
// them (never a mix of the two). A disabled button shows its icon grey and faint, so it looks
// unavailable even when the picture itself is grey.
#include <QIcon>
#include <QPixmap>
#include <QString>

// The icon of a freedesktop name from the theme or the bundled set, with the disabled look.
QIcon themedIcon(const QString& name);
// True when the desktop theme has every icon the program asks for.
bool themeHasEveryIcon();
// An icon whose Disabled mode is the disabled look of its pictures.
QIcon withDisabledLook(const QIcon& icon);
// The disabled look of one picture.
QPixmap disabledLook(const QPixmap& pixmap);
