#pragma once
// What the backup and the restore window share: the panel of the four kinds, the Start, Cancel
// and Help buttons, the busy cursor during a run, its messages shown in message boxes, and the
// Cancel button that becomes "&Close" after a run that went through to its end.
#include <QString>
#include <array>
#include <functional>

#include "backup/backuprun.h"
#include "widgets/dialogbase.h"

class QGroupBox;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace backup {

class RunWindow : public DialogBase {
    Q_OBJECT
public:
    RunWindow(Session& session, SessionHost::Hooks hooks, QWidget* parent);

    // The kind chosen with the radio buttons.
    Kind chosenKind() const;
    QRadioButton* kindButton(Kind kind) const { return kinds_[size_t(kind)]; }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return help_; }

    // The free space probe of the runs (tests replace it to try the room check).
    void setFreeSpaceProbe(std::function<qint64(const QString&)> probe) { freeSpace_ = std::move(probe); }

protected:
    // Builds the panel of the kinds (captions in the order Table, Lists, Layouts, Settings, as
    // the window lists them) and the buttons; the subclass adds what goes between.
    QGroupBox* buildKinds(const QString& title, const std::array<const char*, 4>& names,
                          const std::array<const char*, 4>& captions);
    void buildButtons(QVBoxLayout* layout, const QString& startCaption);
    // Runs one backup or restore with the busy cursor, its messages shown as they come.
    Outcome run(const std::function<Outcome(BackupRun&)>& body);
    virtual void startClicked() = 0;

    Session& session_;
    SessionHost::Hooks hooks_;

private:
    std::array<QRadioButton*, 4> kinds_{};
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    std::function<qint64(const QString&)> freeSpace_;
};

} // namespace backup
