#pragma once
// Screen sizes of the Options, Screen Size menu and the dialog scale derived from them.
#include <QSize>

namespace screensize {

// The four choices, in menu order.
constexpr int Sizes[4] = {640, 800, 1024, 1280};

// Index 0..3 of a window size, -1 when it is none of the four.
int indexOf(int windowSize);
// The screen a window size needs (640 x 480 for 640 and for unknown sizes).
QSize needed(int windowSize);
// Scale of dialogs for a window size: 1.00, 1.25, 1.60 or 2.00 (1.00 for unknown sizes).
double scaleFor(int windowSize);
// Whether a screen of this size can show the window size.
bool supports(const QSize& screen, int windowSize);
// The size in force on this screen: the stored choice when the screen can show it, else 640.
int effective(int windowSize, const QSize& screen);
// "Your current screen resolution does not support 800 x 600 pixels." and so on.
QString unsupportedMessage(int windowSize);

} // namespace screensize
