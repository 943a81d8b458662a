// quillon-find-screenshots: pictures of the finding windows for a person to look at (the search
// window with a range row and the options picker open, the locate dialog, and search and replace
// during a pass), written into the folder QUILLON_SHOTS names (./screenshots without it). Run it
// under xvfb-run for real fonts.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "common/programshots.h"
#include "common/testcatalogue.h"
#include "find/searchstate.h"
#include "find/ui/locatedialog.h"
#include "find/ui/searchoptionspicker.h"
#include "find/ui/searchreplacewindow.h"
#include "find/ui/searchwindow.h"
#include "shell_helpers.h"

using namespace shelltest;
using shots::shot;

namespace {

TEST(FindScreenshots, Windows) {
    shots::makeFolder();
    shots::Sandbox box;
    // A picture of search and replace at its first confirmation question.
    shots::PicturePrompts prompts("search-replace-pass.png", [](const QString& caption, const QString&) {
        return caption == "Confirm";
    });
    auto main = start();
    shots::appendTwelveVideos(main->session());
    main->show();
    SearchState search;

    {
        SearchWindow w(main->session(), search, main.get());
        w.show();
        w.setCellText(Slot::Title, "an");
        w.setRowOperator(Slot::Year, RowOperator::Range);
        w.setCellText(Slot::Year, "> 1980      AND < 1990    ");
        w.grid()->setCurrentCell(Slot::Year - 1, SearchWindow::CriteriaColumn);
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal);
            QCoreApplication::processEvents();
            // The picker drawn over the window, where it stands on the screen.
            QPixmap picture = w.grab();
            QPainter p(&picture);
            const QPoint at = modal->mapToGlobal(QPoint(0, 0)) - w.mapToGlobal(QPoint(0, 0));
            p.drawPixmap(at.x() < 0 ? 0 : at.x(), at.y() < 0 ? 0 : at.y(), modal->grab());
            p.end();
            EXPECT_TRUE(picture.save(shot("search-window-picker.png")));
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        w.openOptions(Slot::Year);
        EXPECT_TRUE(w.grab().save(shot("search-window.png")));
    }
    {
        LocateRequest request{"TITLE", "cas", MatchType::Beginning, false};
        LocateDialog d(main->session(), request, main.get());
        d.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(d.grab().save(shot("locate-dialog.png")));
    }
    {
        SearchReplaceWindow w(main->session(), search, main.get());
        w.show();
        w.fieldBox()->setCurrentIndex(Slot::Category - 1);
        w.searchText()->setText("Drama");
        w.replaceText()->setText("Melodrama");
        w.confirmBox()->setChecked(true);
        for (int i = 0; i < 6; ++i)
            prompts.answer(i == 0 ? Prompts::No : Prompts::Yes);
        prompts.answer(Prompts::Ok);
        w.StartButtonClick();
        EXPECT_TRUE(prompts.taken);
    }
    finish(main);
}

} // namespace
