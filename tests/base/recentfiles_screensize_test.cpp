// The recently-used list and the screen-size rules of the main window.
#include <gtest/gtest.h>

#include "base/recentfiles.h"
#include "base/screensize.h"

namespace {

QStringList five(const char* a, const char* b, const char* c, const char* d, const char* e) {
    return {QString::fromUtf8(a), QString::fromUtf8(b), QString::fromUtf8(c), QString::fromUtf8(d),
            QString::fromUtf8(e)};
}

TEST(RecentFiles, OpeningPutsThePreviousOnTopAndRemovesTheNewOne) {
    QStringList list = five("/d/B.DBF", "/d/C.DBF", "", "", "");
    recent::updateRecentFiles(list, "/d/A.DBF", "/d/C.DBF");
    EXPECT_EQ(list, five("/d/A.DBF", "/d/B.DBF", "", "", ""));
}

TEST(RecentFiles, FifthEntryDropsOutWhenTheNewDatabaseIsNotListed) {
    QStringList list = five("/1", "/2", "/3", "/4", "/5");
    recent::updateRecentFiles(list, "/0", "/new");
    EXPECT_EQ(list, five("/0", "/1", "/2", "/3", "/4"));
}

TEST(RecentFiles, ReopeningTheOpenDatabasePutsItsOwnPathOnTop) {
    QStringList list = five("/1", "/2", "", "", "");
    recent::updateRecentFiles(list, "/cur", "/cur");
    EXPECT_EQ(list, five("/cur", "/1", "/2", "", ""));
}

TEST(RecentFiles, ComparesPathsByteForByte) {
    QStringList list = five("/d/a.dbf", "", "", "", "");
    recent::updateRecentFiles(list, "/d/X.DBF", "/d/A.DBF");
    EXPECT_EQ(list, five("/d/X.DBF", "/d/a.dbf", "", "", ""));
}

TEST(RecentFiles, NewDatabaseInTheMiddleOfAFullList) {
    QStringList list = five("/1", "/2", "/3", "/4", "/5");
    recent::updateRecentFiles(list, "/0", "/3");
    EXPECT_EQ(list, five("/0", "/1", "/2", "/4", "/5"));
}

TEST(RecentFiles, ShortListIsFilledToFive) {
    QStringList list;
    recent::updateRecentFiles(list, "/a", "/b");
    EXPECT_EQ(list, five("/a", "", "", "", ""));
}

TEST(RecentFiles, MenuCaptionHasDigitAndThreeBlanks) {
    EXPECT_EQ(recent::menuCaption(3, "/v/M.DBF"), QString("&3   /v/M.DBF"));
    EXPECT_EQ(recent::menuCaption(1, "/v/A&B.DBF"), QString("&1   /v/A&&B.DBF"));
}

TEST(ScreenSize, ScaleByWindowSize) {
    EXPECT_DOUBLE_EQ(screensize::scaleFor(640), 1.00);
    EXPECT_DOUBLE_EQ(screensize::scaleFor(800), 1.25);
    EXPECT_DOUBLE_EQ(screensize::scaleFor(1024), 1.60);
    EXPECT_DOUBLE_EQ(screensize::scaleFor(1280), 2.00);
    EXPECT_DOUBLE_EQ(screensize::scaleFor(999), 1.00);
}

TEST(ScreenSize, ASizeTheScreenCannotShowFallsBackTo640) {
    EXPECT_EQ(screensize::effective(1024, QSize(800, 600)), 640);
    EXPECT_EQ(screensize::effective(800, QSize(800, 600)), 800);
    EXPECT_EQ(screensize::effective(1280, QSize(1280, 1024)), 1280);
    EXPECT_EQ(screensize::effective(1280, QSize(1600, 900)), 640);
    EXPECT_EQ(screensize::effective(640, QSize(320, 200)), 640);
    EXPECT_EQ(screensize::effective(123, QSize(1920, 1080)), 640);
}

TEST(ScreenSize, UnsupportedMessages) {
    EXPECT_EQ(screensize::unsupportedMessage(800),
              QString("Your current screen resolution does not support 800 x 600 pixels."));
    EXPECT_EQ(screensize::unsupportedMessage(1024),
              QString("Your current screen resolution does not support 1024 x 768 pixels."));
    EXPECT_EQ(screensize::unsupportedMessage(1280),
              QString("Your current screen resolution does not support 1280 x 1024 pixels."));
}

} // namespace
