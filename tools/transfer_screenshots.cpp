// quillon-transfer-screenshots: pictures of the import and export windows for a person to look at
// (the export window during an export, the import window with a file loaded), written into the
// folder QUILLON_SHOTS names (./screenshots without it). Run it under xvfb-run for real fonts.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "common/files.h"
#include "common/programshots.h"
#include "common/testcatalogue.h"
#include "find/searchstate.h"
#include "shell_helpers.h"
#include "transfer/ui/exportwindow.h"
#include "transfer/ui/importwindow.h"

using namespace shelltest;
using shots::shot;

namespace {

TEST(TransferScreenshots, Windows) {
    shots::makeFolder();
    shots::Sandbox box;
    // A picture of the export window at "Export Complete.", its gauge still showing the finished walk.
    shots::PicturePrompts prompts(
        "export-window.png", [](const QString&, const QString& text) { return text == "Export Complete."; });
    auto main = start();
    appendRecords(main->session().table(), 3000, [](int i) {
        return TestRecord{QStringLiteral("Video %1").arg(i), "Drama", "19970403", "Yes", 1940 + i % 50};
    });
    SearchState search;
    {
        ExportWindow w(main->session(), search, main.get());
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.grid()->setCurrentCell(10, 0);
        prompts.answerFile(box.other("videos.txt")).expect("Ok", "Export Complete.", Prompts::Ok);
        w.startExport();
    }
    ASSERT_TRUE(writeFile(box.other("films.txt"),
                          "\"Film\",\"Lead\",\"Released\",\"Bought\"\r\n"
                          "\"Metropolis\",\"Brigitte Helm\",\"1927\",\"04/03/1997\"\r\n"));
    {
        ImportWindow w(main->session(), transfer::FileKind::Ascii, box.other("films.txt"),
                       {"Film", "Lead", "Released", "Bought"}, main.get());
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.grid()->setCurrentCell(2, 1);
        QTest::mouseClick(w.downButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.grab().save(shot("import-window.png")));
    }
    finish(main);
}

} // namespace
