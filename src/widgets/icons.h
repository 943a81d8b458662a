#pragma once
// Icons of the desktop's theme, with the program's own pictures when the theme lacks a name.
#include <QIcon>
#include <QString>

// The theme icon of a freedesktop name, else the bundled picture for it.
QIcon themedIcon(const QString& name);
