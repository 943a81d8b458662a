#pragma once
// The restore window: one kind of file per run, chosen in an open-file dialog in the backup
// folder and copied into the program folder. A restored table becomes the open database.
#include "backup/ui/runwindow.h"

namespace backup {

class RestoreWindow : public RunWindow {
    Q_OBJECT
public:
    RestoreWindow(Session& session, SessionHost::Hooks hooks = {}, QWidget* parent = nullptr);

protected:
    void startClicked() override;
};

} // namespace backup
