#pragma once
// The program as the screenshot programs start it (tools/screenshots.cpp and the like): folders and
// settings of its own with no tip of the day, its main window shown, empty or over the twelve
// videos of the pictures' catalogue.
#include <memory>

#include "common/screenshots.h"
#include "shell_helpers.h"

namespace shots {

// The program folder, the settings and the current folder in a new temporary folder (see
// shelltest::Sandbox), with settings that show no tip of the day at the start.
class Sandbox : public shelltest::Sandbox {
public:
    Sandbox() { setProgramKey("Misc", "Show Tips", "No"); }
};

// Starts the program and shows its main window.
inline std::unique_ptr<MainWindow> startShown() {
    auto main = shelltest::start();
    main->show();
    return main;
}

// Starts the program, adds the twelve videos and shows the main window with its record count.
inline std::unique_ptr<MainWindow> startWithTwelveVideos() {
    auto main = shelltest::start();
    appendTwelveVideos(main->session());
    main->show();
    main->displayCount();
    return main;
}

} // namespace shots
