#include "base/screensize.h"

#include <QString>

namespace screensize {

int indexOf(int windowSize) {
    for (int i = 0; i < 4; ++i)
        if (Sizes[i] == windowSize) return i;
    return -1;
}

QSize needed(int windowSize) {
    switch (windowSize) {
    case 800:
        return {800, 600};
    case 1024:
        return {1024, 768};
    case 1280:
        return {1280, 1024};
    default:
        return {640, 480};
    }
}

double scaleFor(int windowSize) {
    switch (windowSize) {
    case 800:
        return 1.25;
    case 1024:
        return 1.60;
    case 1280:
        return 2.00;
    default:
        return 1.00;
    }
}

bool supports(const QSize& screen, int windowSize) {
    if (indexOf(windowSize) <= 0) return true; // 640 x 480 (and anything unknown) needs no particular screen
    const QSize need = needed(windowSize);
    return screen.width() >= need.width() && screen.height() >= need.height();
}

int effective(int windowSize, const QSize& screen) {
    if (indexOf(windowSize) < 0 || !supports(screen, windowSize)) return 640;
    return windowSize;
}

QString unsupportedMessage(int windowSize) {
    const QSize need = needed(windowSize);
    return QStringLiteral("Your current screen resolution does not support %1 x %2 pixels.")
        .arg(need.width())
        .arg(need.height());
}

} // namespace screensize
