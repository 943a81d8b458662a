// The colour sets: the twelve combinations with their derived elements, the empty entry, taking a
// set into one group or all five, and the sets in the database settings file (defaults without
// colour sections, colour numbers with red in the low byte, surviving a write and a new read).
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/inifile.h"
#include "config/colorconfig.h"

using namespace config;

namespace {

constexpr int White = 0xFFFFFF;
constexpr int Black = 0;
constexpr int LightGrey = 12632256;

TEST(ColorCombinations, TheListHoldsTheTwelveNamesInOrder) {
    const QStringList names = combinationNames();
    ASSERT_EQ(names.size(), CombinationCount);
    EXPECT_EQ(names.first(), QString("Monochrome"));
    EXPECT_EQ(names[2], QString("Midnight Black"));
    EXPECT_EQ(names.last(), QString("Camouflage"));
}

TEST(ColorCombinations, EachSetsSixElementsAndDerivesTheOtherSeven) {
    const struct {
        int entry;
        int main, major, minor, editBack, editText, radioText;
    } cases[] = {
        {1, White, Black, Black, White, Black, Black},
        {3, colorNumber(0, 0, 0), colorNumber(192, 192, 192), colorNumber(255, 255, 255),
         colorNumber(127, 127, 127), Black, colorNumber(255, 255, 255)},
        {5, colorNumber(255, 128, 255), colorNumber(0, 0, 255), Black, colorNumber(128, 0, 128),
         colorNumber(0, 255, 255), Black},
        {9, colorNumber(128, 0, 64), colorNumber(255, 0, 0), colorNumber(255, 0, 255),
         colorNumber(128, 0, 128), colorNumber(255, 0, 0), colorNumber(255, 0, 255)},
        {12, colorNumber(128, 128, 0), colorNumber(0, 128, 0), colorNumber(127, 127, 127),
         colorNumber(0, 128, 128), colorNumber(192, 192, 192), colorNumber(127, 127, 127)},
    };
    for (const auto& c : cases) {
        ColorSet set;
        for (int e = 0; e < ColorSet::Count; ++e)
            set[e] = 0x010203 * (e + 1); // a colour for each element that no combination has
        ASSERT_TRUE(applyCombination(set, c.entry));
        const int expected[ColorSet::Count] = {c.main,      c.major,    c.minor,    c.editBack, c.editText,
                                               c.editBack,  c.editText, c.editBack, c.editText, c.main,
                                               c.radioText, c.main,     c.radioText};
        for (int e = 0; e < ColorSet::Count; ++e)
            EXPECT_EQ(set[e], expected[e]) << "entry " << c.entry << " element " << ColorSet::keyName(e);
    }
}

TEST(ColorCombinations, TheEmptyEntryAndUnknownEntriesChangeNothing) {
    ColorSet set;
    set[ColorSet::EditText] = 0x0000FF;
    set[ColorSet::ComboText] = 0x00FF00;
    const ColorSet before = set;
    for (int entry : {0, -1, 13})
        EXPECT_FALSE(applyCombination(set, entry));
    EXPECT_EQ(set, before);
}

TEST(ColorTargets, OneGroupTakesTheSetAndAllMakesTheFiveEqual) {
    DatabaseSettings s;
    s.colors(WindowGroup::Main)[ColorSet::MainBackground] = 0x00FFFF;
    s.colors(WindowGroup::Edit)[ColorSet::MainBackground] = 0x0000FF;
    EXPECT_EQ(startingSet(s, ColorTarget::Edit), s.colors(WindowGroup::Edit));
    EXPECT_EQ(startingSet(s, ColorTarget::All), s.colors(WindowGroup::Main));

    ColorSet mono = startingSet(s, ColorTarget::Edit);
    applyCombination(mono, 1);
    DatabaseSettings one = s;
    acceptSet(one, ColorTarget::Edit, mono);
    EXPECT_EQ(one.colors(WindowGroup::Edit), mono);
    EXPECT_EQ(one.colors(WindowGroup::Main), s.colors(WindowGroup::Main));
    EXPECT_EQ(one.colors(WindowGroup::Configure), s.colors(WindowGroup::Configure));
    EXPECT_FALSE(changesMainWindow(ColorTarget::Edit));

    DatabaseSettings all = s;
    ColorSet fromMain = startingSet(all, ColorTarget::All);
    fromMain[ColorSet::MajorTitle] = 0x808080;
    acceptSet(all, ColorTarget::All, fromMain);
    for (const ColorSet& set : all.colorSets)
        EXPECT_EQ(set, fromMain);
    EXPECT_TRUE(changesMainWindow(ColorTarget::All));
    EXPECT_TRUE(changesMainWindow(ColorTarget::Main));
}

TEST(ColorSettings, AFileWithoutColourSectionsGivesGreyWindowsWhiteBoxesAndBlackText) {
    QTemporaryDir dir;
    const QString table = dir.filePath("MASTER.DBF");
    QFile f(dir.filePath("MASTER.INI"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Grid Options]\r\nCell Color=255\r\n");
    f.close();
    DatabaseSettings s;
    s.colors(WindowGroup::Report)[ColorSet::MainBackground] = 1; // must be replaced by the default
    ASSERT_TRUE(s.loadForTable(table, dir.filePath("QLNVID.INI")));
    EXPECT_EQ(s.cellColor, 255);
    for (const ColorSet& set : s.colorSets) {
        for (int e : {ColorSet::MainBackground, ColorSet::RadioBackground, ColorSet::CheckBackground})
            EXPECT_EQ(set[e], LightGrey);
        for (int e : {ColorSet::EditBackground, ColorSet::ComboBackground, ColorSet::ListBoxBackground})
            EXPECT_EQ(set[e], White);
        for (int e : {ColorSet::MajorTitle, ColorSet::MinorTitle, ColorSet::EditText, ColorSet::ComboText,
                      ColorSet::ListBoxText, ColorSet::RadioText, ColorSet::CheckText})
            EXPECT_EQ(set[e], Black);
    }
}

TEST(ColorSettings, SetsAreStoredAsDecimalNumbersRedLowAndSurviveARestart) {
    QTemporaryDir dir;
    const QString table = dir.filePath("MASTER.DBF");
    DatabaseSettings s;
    ColorSet ocean = startingSet(s, ColorTarget::Search);
    applyCombination(ocean, 6); // Ocean Blue: main background 0,255,255; major title 255,0,0
    acceptSet(s, ColorTarget::Search, ocean);
    ASSERT_TRUE(s.saveForTable(table));

    IniFile ini(dir.filePath("MASTER.INI"));
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.value("Search Window Color", "Main Background"), QString::number(255 * 256 + 255 * 65536));
    EXPECT_EQ(ini.value("Search Window Color", "Major Title"), QString("255"));
    EXPECT_EQ(ini.value("Search Window Color", "Edit Text"), QString::number(128 * 65536));
    EXPECT_EQ(ini.value("Main Window Color", "Main Background"), QString::number(LightGrey));

    DatabaseSettings read;
    ASSERT_TRUE(read.loadForTable(table, dir.filePath("QLNVID.INI")));
    EXPECT_EQ(read.colors(WindowGroup::Search), ocean);
    EXPECT_EQ(read.colors(WindowGroup::Main), ColorSet());
}

} // namespace
