#pragma once
// The colour sets of the five window groups as the colour configuration edits them: the twelve
// predefined combinations, the seven elements that follow from the six a combination sets, and
// taking an edited set into its window group or into all five.
#include <QString>
#include <QStringList>

#include "catalogue/settings.h"

namespace config {

// The predefined combinations in the order of the drop-down list (entry 1 is "Monochrome"); the
// list itself starts with an empty entry 0 that changes nothing.
constexpr int CombinationCount = 12;
QStringList combinationNames();

// Sets the six elements of combination entry 1..12 (main background, major and minor title,
// edit background and text, radio text) and derives the other seven. Entry 0 or any other
// number leaves the set as it is; returns whether the set was changed.
bool applyCombination(ColorSet& set, int entry);

// The seven elements that follow from the others: combo and list box backgrounds from the edit
// background, their texts from the edit text, radio and check box backgrounds from the main
// background, the check box text from the radio text.
void deriveElements(ColorSet& set);

// What the colour window edits: one window group, or all five at once.
enum class ColorTarget { Main = 1, Edit, Search, Report, Configure, All };

// The set the window starts from: the group's own, the main window's for All.
ColorSet startingSet(const DatabaseSettings& settings, ColorTarget target);
// Ok: the set becomes the target group's (every group's for All).
void acceptSet(DatabaseSettings& settings, ColorTarget target, const ColorSet& set);
// Whether taking a set into the target changes the main window's colours (Main and All).
inline bool changesMainWindow(ColorTarget target) {
    return target == ColorTarget::Main || target == ColorTarget::All;
}

// A colour number (red in the low byte) from its three parts, and back.
constexpr int colorNumber(int red, int green, int blue) {
    return red | (green << 8) | (blue << 16);
}

} // namespace config
