// The program start and the report layout file: the built-in layouts at first start, recreated
// when the file is gone, an older layout file converted, a damaged file reported.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"
#include "reports/ui/reportwindow.h"
#include "shell_helpers.h"

using namespace shelltest;
using reports::LayoutFile;

namespace {

TEST(MainStartLayouts, FirstStartWritesTheBuiltInLayoutsAndAStartWithoutTheFileAgain) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    ASSERT_TRUE(main->startedOk());
    finish(main);
    const LayoutFile file(box.program("QLNVID.URP"));
    EXPECT_EQ(file.names(), (QStringList{"Title and Media Number Report", "Ratings Report", "Star Report",
                                         "Oscar Report", "Large Report", "Statistic/Summary Report"}));

    ASSERT_TRUE(QFile::remove(file.path()));
    main = start();
    finish(main);
    EXPECT_EQ(QFileInfo(file.path()).size(), 6 * reports::LayoutRecordSize);
    EXPECT_TRUE(prompts.messages().empty());
}

TEST(MainStartLayouts, ADamagedLayoutFileIsReportedAndTheStartGoesOn) {
    Sandbox box;
    QFile damaged(box.program("QLNVID.URP"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(100, 'x'));
    damaged.close();
    QFile older(box.program("VIDEO2.CFR"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    QByteArray record(reports::OlderLayoutRecordSize, '\0');
    record[0] = 4;
    record.replace(1, 4, "Mine");
    older.write(record);
    older.close();

    ScriptedPrompts prompts;
    prompts.answer(Prompts::Ok);
    auto main = start();
    EXPECT_TRUE(main->startedOk());
    finish(main);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0].caption, QString("Error"));
    EXPECT_TRUE(prompts.messages()[0].text.contains("is damaged"));
    EXPECT_TRUE(QFileInfo::exists(box.program("VIDEO2.CFR"))); // kept until its layouts can be saved
}

TEST(MainStartLayouts, ReportsAndPrintOpenTheListOfStoredLayouts) {
    Sandbox box;
    ScriptedPrompts prompts;
    auto main = start();
    for (const char* command : {"MenuReports", "MenuPrint"}) {
        SCOPED_TRACE(command);
        QStringList shown;
        QTimer::singleShot(0, [&shown] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* list = qobject_cast<reports::ReportWindow*>(w); list && list->isVisible()) {
                    for (int i = 0; i < list->reportBox()->count(); ++i)
                        shown << list->reportBox()->item(i)->text();
                    list->accept();
                }
        });
        main->action(command)->trigger();
        EXPECT_EQ(shown.size(), 6);
        EXPECT_EQ(shown.value(4), QString("Large Report"));
    }
    finish(main);
}

} // namespace
