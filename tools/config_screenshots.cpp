// quillon-config-screenshots: pictures of the appearance configuration for a person to look at:
// every page of the viewer configuration, the colour configuration, and the main window and the
// record editor under three of the predefined colour combinations. Written into the folder
// QUILLON_SHOTS names (./screenshots without it). Run it under xvfb-run for real fonts.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/ui/sortorderdialog.h"
#include "common/programshots.h"
#include "common/testcatalogue.h"
#include "config/colorconfig.h"
#include "config/ui/colorconfigwindow.h"
#include "config/ui/viewerconfigwindow.h"
#include "editor/ui/recordeditor.h"
#include "find/searchstate.h"
#include "find/ui/searchwindow.h"
#include "reports/ui/reportwindow.h"
#include "shell_helpers.h"

using namespace shelltest;
using shots::save;

namespace {

TEST(ConfigScreenshots, ViewerConfigurationColourWindowAndCombinations) {
    shots::makeFolder();
    shots::Sandbox box;
    ScriptedPrompts prompts;
    auto main = shots::startWithTwelveVideos();

    {
        ViewerConfigWindow viewer(main->session(), main.get());
        viewer.show();
        const char* pages[] = {"title", "look", "show", "widths", "order", "names"};
        for (int page = 0; page < 6; ++page) {
            viewer.pages()->setCurrentIndex(page);
            save(&viewer, QStringLiteral("viewer-config-%1.png").arg(pages[page]));
        }
        viewer.hide();
    }

    const struct {
        int entry;
        const char* name;
    } combinations[] = {{0, "default"}, {1, "monochrome"}, {3, "midnight-black"}, {6, "ocean-blue"}};
    for (const auto& c : combinations) {
        ColorSet set;
        config::applyCombination(set, c.entry);
        config::acceptSet(main->session().database(), config::ColorTarget::All, set);
        main->applyMainColors();
        save(main.get(), QStringLiteral("colours-%1-main.png").arg(c.name));
        RecordEditor editor(main->session(), main.get());
        editor.setMode(EditorMode::Edit);
        editor.show();
        save(&editor, QStringLiteral("colours-%1-editor.png").arg(c.name));
        editor.hide();
        ColourConfigWindow colours(main->session(), config::ColorTarget::Edit, main.get());
        colours.show();
        save(&colours, QStringLiteral("colours-%1-window.png").arg(c.name));
        colours.hide();
        if (c.entry != 3) continue;
        // Other groups' windows under the darkest combination.
        SearchState search;
        SearchWindow searchWindow(main->session(), search, main.get());
        searchWindow.show();
        save(&searchWindow, QStringLiteral("colours-%1-search.png").arg(c.name));
        searchWindow.hide();
        reports::ReportWindow reportWindow(main->session(), main.get());
        reportWindow.show();
        save(&reportWindow, QStringLiteral("colours-%1-reports.png").arg(c.name));
        reportWindow.hide();
        SortOrderDialog sort(main->session(), main.get());
        sort.show();
        save(&sort, QStringLiteral("colours-%1-sort.png").arg(c.name));
        sort.hide();
        ViewerConfigWindow viewer(main->session(), main.get());
        viewer.show();
        viewer.pages()->setCurrentIndex(ViewerConfigWindow::TitlePage);
        save(&viewer, QStringLiteral("colours-%1-viewer-config.png").arg(c.name));
        viewer.hide();
    }
    main->hide();
    finish(main);
}

} // namespace
