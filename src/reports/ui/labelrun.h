#pragma once
// The label run of the report window: one sheet of face or spine labels to the printer or to the
// preview. Before anything runs it refuses, with a beep and a message, a run without any label
// item switched on or without any media number for the sheet's positions. A search in force is
// ended for the run (labels find their videos in the whole catalogue) and put back afterwards.
// The run itself happens in the report status window ("Report Status Screen"): its button cancels
// while the sheet is made and closes it afterwards; a cancelled preview run shows no preview.
#include <QString>
#include <array>
#include <functional>

#include "reports/labelstock.h"
#include "reports/ui/reportwindow.h"

class QWidget;
class Session;

namespace reports {

class LabelRun {
public:
    enum class Mode { Print = 1, Preview = 2 };
    enum class Outcome { Refused, Cancelled, Completed, Failed };

    LabelRun(Session& session, QWidget* parent);

    // How the run ends and resumes the search in force (the main window's own operations);
    // without them the table's filter is left as it is.
    void setSearchHooks(std::function<void()> end, std::function<void()> resume) {
        endSearch_ = std::move(end);
        resumeSearch_ = std::move(resume);
    }

    // The sheet for the report window's choice: face or spine labels, label style 1 to 5, and
    // the media number grid (2 columns x 8 rows, column by column).
    Outcome run(Mode mode, LabelType kind, int style, const std::array<QString, GridCells>& grid);

private:
    Session& session_;
    QWidget* parent_;
    std::function<void()> endSearch_, resumeSearch_;
};

// The report window's label commands: View and Print run the labels for its choice, Options opens
// the label options, Define the dimensions of the user's stock, and a double click on a media
// number cell the chooser, whose number goes into that cell. A search in force is ended for a run
// through search.
LabelHooks labelHooks(Session& session, SearchHooks search);

} // namespace reports
