// The tip of the day, the about box and the help window.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "shell/aboutdialog.h"
#include "shell/tipofthedaydialog.h"
#include "widgets/helpwindow.h"

TEST(Tips, TwentyFourTipsOfAtMost130Characters) {
    for (int i = 1; i <= TipOfTheDayDialog::TipCount; ++i) {
        EXPECT_FALSE(TipOfTheDayDialog::tipText(i).isEmpty()) << i;
        EXPECT_LE(TipOfTheDayDialog::tipText(i).size(), 130) << i;
    }
    EXPECT_EQ(TipOfTheDayDialog::tipText(1), "You can rename database fields to your liking.");
    EXPECT_EQ(TipOfTheDayDialog::tipText(24),
              "A \"Browse Mode\" is available where a user has access to the data, but cannot change it.");
    EXPECT_TRUE(TipOfTheDayDialog::tipText(0).isEmpty());
    EXPECT_TRUE(TipOfTheDayDialog::tipText(25).isEmpty());
}

TEST(Tips, StartsWithinRangeAndNextTipWraps) {
    bool show = true;
    TipOfTheDayDialog tips(DialogLook{}, show);
    EXPECT_GE(tips.tip(), 1);
    EXPECT_LE(tips.tip(), 24);
    tips.setTip(23);
    auto* next = tips.findChild<QPushButton*>();
    QPushButton* nextButton = nullptr;
    for (auto* b : tips.findChildren<QPushButton*>())
        if (b->text() == "&Next Tip") nextButton = b;
    ASSERT_TRUE(next && nextButton);
    nextButton->click();
    EXPECT_EQ(tips.tip(), 24);
    nextButton->click();
    EXPECT_EQ(tips.tip(), 1);
    auto* text = tips.findChild<QLabel*>("TipText");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text(), TipOfTheDayDialog::tipText(1));
}

TEST(Tips, CheckBoxPresetFromAndWrittenBackToShowTips) {
    for (bool initial : {true, false}) {
        bool show = initial;
        TipOfTheDayDialog tips(DialogLook{}, show);
        EXPECT_EQ(tips.showAtStartup()->text(), "&Show Tips at Startup");
        EXPECT_EQ(tips.showAtStartup()->isChecked(), initial);
        tips.show();
        tips.showAtStartup()->click();
        EXPECT_EQ(show, initial); // written back only when the window closes
        tips.close();
        EXPECT_EQ(show, !initial);
    }
}

TEST(About, NameVersionAndOk) {
    AboutDialog about{DialogLook{}};
    about.show();
    EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "Quillon Videos 97");
    EXPECT_EQ(about.findChild<QLabel*>("Version")->text(), "Version 3.2a");
    auto* ok = about.findChild<QPushButton*>("OkButton");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->text(), "Ok");
    ok->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(Help, KeywordsFindTheirPages) {
    EXPECT_EQ(HelpWindow::topicUrl("Input Window").path(), "/help/input-window.html");
    EXPECT_EQ(HelpWindow::topicUrl("input-window").path(), "/help/input-window.html");
    EXPECT_EQ(HelpWindow::topicUrl("").path(), "/help/contents.html");
    EXPECT_TRUE(HelpWindow::topicUrl("No Such Topic").isEmpty());

    HelpWindow help;
    help.showKeyword("Input Window");
    EXPECT_EQ(help.currentTitle(), "Input Window");
    help.showKeyword("No Such Topic");
    EXPECT_EQ(help.currentTitle(), "Contents");
    EXPECT_TRUE(help.browser()->toPlainText().contains("There is no help topic \"No Such Topic\"."));
    help.showContents();
    EXPECT_EQ(help.currentPage().path(), "/help/contents.html");
}

TEST(Help, EveryPageHasATitleAndEveryLinkResolves) {
    const QStringList pages = HelpWindow::pages();
    ASSERT_GE(pages.size(), 9);
    QRegularExpression href(QStringLiteral("href=\"([^\"#]+)"));
    for (const QString& page : pages) {
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page.toStdString();
        const QString html = QString::fromUtf8(f.readAll());
        QTextDocument doc;
        doc.setHtml(html);
        EXPECT_FALSE(doc.metaInformation(QTextDocument::DocumentTitle).isEmpty()) << page.toStdString();
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target.startsWith("http")) continue;
            EXPECT_TRUE(QFile::exists(":/help/" + target))
                << page.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST(Help, ShowHelpReusesOneWindow) {
    QWidget owner;
    HelpWindow* first = HelpWindow::showHelp(&owner, "Sort Order");
    HelpWindow* second = HelpWindow::showHelp(&owner, "Browse Mode");
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->currentTitle(), "Browse Mode");
    second->close();
}
