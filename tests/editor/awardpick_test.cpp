// The award pick logic: alphabetical list, Misc pre-selection and the joined result.
#include "catalogue/fieldslots.h"
#include "common/files.h"
#include "editor/awardpick.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(AwardPickTest, ModesCaptionsAndTargets) {
    EXPECT_EQ(AwardPick::caption(AwardPick::Awards), QStringLiteral("Oscar Awards"));
    EXPECT_EQ(AwardPick::caption(AwardPick::Nominations), QStringLiteral("Oscar Nominations"));
    EXPECT_EQ(AwardPick::caption(AwardPick::Miscellaneous), QStringLiteral("Miscellaneous"));
    EXPECT_EQ(AwardPick::targetSlot(AwardPick::Awards), Slot::OscarAward);
    EXPECT_EQ(AwardPick::targetSlot(AwardPick::Nominations), Slot::OscarNomination);
    EXPECT_EQ(AwardPick::targetWidth(AwardPick::Miscellaneous), 80);
    EXPECT_EQ(AwardPick::targetWidth(AwardPick::Awards), 110);
}

TEST(AwardPickTest, ListIsAlphabeticalIgnoringCase) {
    AwardPick pick;
    pick.setItems({QStringLiteral("Best Sound"), QStringLiteral("actor"), QStringLiteral("Best Picture"),
                   QStringLiteral("Zeta")});
    EXPECT_EQ(pick.items(), (QStringList{QStringLiteral("actor"), QStringLiteral("Best Picture"),
                                         QStringLiteral("Best Sound"), QStringLiteral("Zeta")}));
    for (int i = 0; i < pick.count(); ++i)
        EXPECT_FALSE(pick.isSelected(i));
}

TEST(AwardPickTest, SplitsMiscText) {
    EXPECT_EQ(AwardPick::splitItems(QStringLiteral("Widescreen, Subtitled")),
              (QStringList{QStringLiteral("Widescreen"), QStringLiteral("Subtitled")}));
    EXPECT_EQ(AwardPick::splitItems(QStringLiteral("  One ,Two,, Three  ,")),
              (QStringList{QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}));
    EXPECT_TRUE(AwardPick::splitItems(QStringLiteral("   ")).isEmpty());
    EXPECT_EQ(AwardPick::splitItems(QStringLiteral("Single")), QStringList{QStringLiteral("Single")});
}

TEST(AwardPickTest, MiscItemsNotInTheListAreAddedAndSelected) {
    AwardPick pick(AwardPick::Miscellaneous);
    pick.setItems({QStringLiteral("Boxed Set"), QStringLiteral("Letterbox")});
    pick.preselect(QStringLiteral("Subtitled, Director's Cut"));
    EXPECT_EQ(pick.items(), (QStringList{QStringLiteral("Boxed Set"), QStringLiteral("Director's Cut"),
                                         QStringLiteral("Letterbox"), QStringLiteral("Subtitled")}));
    EXPECT_EQ(pick.selectedIndexes(), (QList<int>{1, 3}));
    // OK writes them back in alphabetical order.
    EXPECT_EQ(pick.joined(), QStringLiteral("Director's Cut, Subtitled"));
}

TEST(AwardPickTest, ItemsFoundExactlyAreSelected) {
    AwardPick pick(AwardPick::Miscellaneous);
    pick.setItems({QStringLiteral("Letterbox"), QStringLiteral("Boxed Set")});
    EXPECT_EQ(pick.findMisc(QStringLiteral("Letterbox")), 1);
    EXPECT_EQ(pick.findMisc(QStringLiteral("letterbox")), -1);
    pick.preselect(QStringLiteral("Letterbox"));
    EXPECT_EQ(pick.count(), 2);
    EXPECT_EQ(pick.selectedIndexes(), QList<int>{1});
}

TEST(AwardPickTest, CaseVariantIsAddedAndTheFirstCaseInsensitiveMatchSelected) {
    AwardPick pick(AwardPick::Miscellaneous);
    pick.setItems({QStringLiteral("Letterbox"), QStringLiteral("Widescreen")});
    pick.preselect(QStringLiteral("letterbox"));
    EXPECT_EQ(pick.items(), (QStringList{QStringLiteral("Letterbox"), QStringLiteral("letterbox"),
                                         QStringLiteral("Widescreen")}));
    EXPECT_EQ(pick.selectedIndexes(), QList<int>{0});
    EXPECT_EQ(pick.joined(), QStringLiteral("Letterbox"));
}

TEST(AwardPickTest, JoinedResult) {
    AwardPick pick;
    pick.setItems({QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")});
    EXPECT_EQ(pick.joined(), QString()); // nothing selected empties the target
    pick.toggle(2);
    pick.toggle(0);
    EXPECT_EQ(pick.joined(), QStringLiteral("A, C"));
    pick.toggle(0);
    EXPECT_EQ(pick.joined(), QStringLiteral("C"));
    pick.setItems({QString(200, QLatin1Char('a')), QString(200, QLatin1Char('b'))});
    pick.setSelected(0, true);
    pick.setSelected(1, true);
    EXPECT_EQ(pick.joined().size(), 255);
    EXPECT_FALSE(pick.fitsTarget());
}

TEST(AwardPickTest, FitsTheTargetField) {
    AwardPick pick(AwardPick::Miscellaneous); // 80 characters
    pick.setItems({QString(40, QLatin1Char('a')), QString(38, QLatin1Char('b')), QStringLiteral("c")});
    pick.setSelected(0, true);
    pick.setSelected(1, true);
    EXPECT_EQ(pick.joined().size(), 80);
    EXPECT_TRUE(pick.fitsTarget());
    pick.setSelected(2, true);
    EXPECT_FALSE(pick.fitsTarget());
}

TEST(AwardPickTest, LoadsTheProgramWideFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("QUILLON_HOME", QFile::encodeName(dir.path()));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("OSCAR.LST")), "Best Picture\r\n  \r\nBest Actor\r\n"));
    AwardPick pick(AwardPick::Nominations);
    pick.loadList();
    EXPECT_EQ(pick.items(), (QStringList{QStringLiteral("Best Actor"), QStringLiteral("Best Picture")}));
    AwardPick misc(AwardPick::Miscellaneous);
    misc.loadList(); // MISC.LST missing: empty
    EXPECT_EQ(misc.count(), 0);
}

} // namespace
