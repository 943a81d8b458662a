#pragma once
// Where the main window places its parts in each button-bar mode (client coordinates of the
// central area; W and H are its width and height).
#include <QRect>

enum class ButtonBarMode { Speed = 1, Lettered = 2, None = 3 };

struct MainLayout {
    QRect navigator;
    int searchOnTop = 0;
    int countTop = 0;
    int videosTop = 0;
    QRect viewerFrame;
    int viewerLabelTop = 0;
    QRect viewerGrid;
};

inline MainLayout mainLayoutFor(ButtonBarMode mode, int W, int H) {
    constexpr int NavigatorHeight = 25;
    MainLayout l;
    switch (mode) {
    case ButtonBarMode::Speed:
        l.navigator = QRect(424, 3, 241, NavigatorHeight);
        l.searchOnTop = 44;
        l.countTop = 38;
        l.videosTop = 52;
        l.viewerFrame = QRect(3, 34, W - 6, H - 37);
        l.viewerLabelTop = 38;
        l.viewerGrid = QRect(7, 70, W - 14, H - 77);
        break;
    case ButtonBarMode::Lettered:
        l.navigator = QRect(400, 47, 221, NavigatorHeight);
        l.searchOnTop = 96;
        l.countTop = 90;
        l.videosTop = 105;
        l.viewerFrame = QRect(3, 86, W - 6, H - 89);
        l.viewerLabelTop = 90;
        l.viewerGrid = QRect(7, 122, W - 14, H - 129);
        break;
    case ButtonBarMode::None:
        l.navigator = QRect(W - 207, 8, 201, NavigatorHeight);
        l.searchOnTop = 14;
        l.countTop = 8;
        l.videosTop = 23;
        l.viewerFrame = QRect(3, 4, W - 6, H - 7);
        l.viewerLabelTop = 8;
        l.viewerGrid = QRect(7, 40, W - 14, H - 47);
        break;
    }
    return l;
}
