#include "config/colorconfig.h"

#include <array>

namespace config {

namespace {

struct Rgb {
    int r, g, b;
    int number() const { return colorNumber(r, g, b); }
};

struct Combination {
    const char* name;
    Rgb mainBackground, majorTitle, minorTitle, editBackground, editText, radioText;
};

const std::array<Combination, CombinationCount> Combinations = {{
    {"Monochrome", {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {0, 0, 0}},
    {"Gray Mist", {192, 192, 192}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {0, 0, 0}},
    {"Midnight Black",
     {0, 0, 0},
     {192, 192, 192},
     {255, 255, 255},
     {127, 127, 127},
     {0, 0, 0},
     {255, 255, 255}},
    {"Desert Sunset", {255, 255, 128}, {0, 0, 0}, {0, 0, 0}, {255, 255, 0}, {0, 0, 0}, {0, 0, 0}},
    {"Easter Pastel", {255, 128, 255}, {0, 0, 255}, {0, 0, 0}, {128, 0, 128}, {0, 255, 255}, {0, 0, 0}},
    {"Ocean Blue", {0, 255, 255}, {255, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 128}, {0, 0, 0}},
    {"Fiery Red", {255, 0, 0}, {0, 0, 128}, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 0}},
    {"Christmas Season",
     {0, 255, 0},
     {255, 255, 255},
     {255, 0, 0},
     {255, 0, 0},
     {255, 255, 255},
     {255, 0, 0}},
    {"Wine", {128, 0, 64}, {255, 0, 0}, {255, 0, 255}, {128, 0, 128}, {255, 0, 0}, {255, 0, 255}},
    {"More Pastels", {0, 255, 128}, {255, 0, 255}, {128, 0, 128}, {0, 255, 255}, {0, 0, 255}, {128, 0, 128}},
    {"Green Glow", {0, 0, 0}, {0, 255, 0}, {0, 255, 0}, {0, 255, 0}, {0, 0, 0}, {0, 255, 0}},
    {"Camouflage",
     {128, 128, 0},
     {0, 128, 0},
     {127, 127, 127},
     {0, 128, 128},
     {192, 192, 192},
     {127, 127, 127}},
}};

} // namespace

QStringList combinationNames() {
    QStringList names;
    for (const Combination& c : Combinations)
        names << QString::fromLatin1(c.name);
    return names;
}

void deriveElements(ColorSet& set) {
    set[ColorSet::ComboBackground] = set[ColorSet::EditBackground];
    set[ColorSet::ListBoxBackground] = set[ColorSet::EditBackground];
    set[ColorSet::ComboText] = set[ColorSet::EditText];
    set[ColorSet::ListBoxText] = set[ColorSet::EditText];
    set[ColorSet::RadioBackground] = set[ColorSet::MainBackground];
    set[ColorSet::CheckBackground] = set[ColorSet::MainBackground];
    set[ColorSet::CheckText] = set[ColorSet::RadioText];
}

bool applyCombination(ColorSet& set, int entry) {
    if (entry < 1 || entry > CombinationCount) return false;
    const Combination& c = Combinations[size_t(entry - 1)];
    set[ColorSet::MainBackground] = c.mainBackground.number();
    set[ColorSet::MajorTitle] = c.majorTitle.number();
    set[ColorSet::MinorTitle] = c.minorTitle.number();
    set[ColorSet::EditBackground] = c.editBackground.number();
    set[ColorSet::EditText] = c.editText.number();
    set[ColorSet::RadioText] = c.radioText.number();
    deriveElements(set);
    return true;
}

ColorSet startingSet(const DatabaseSettings& settings, ColorTarget target) {
    if (target == ColorTarget::All) return settings.colors(WindowGroup::Main);
    return settings.colors(static_cast<WindowGroup>(target));
}

void acceptSet(DatabaseSettings& settings, ColorTarget target, const ColorSet& set) {
    if (target == ColorTarget::All) {
        for (ColorSet& s : settings.colorSets)
            s = set;
        return;
    }
    settings.colors(static_cast<WindowGroup>(target)) = set;
}

} // namespace config
