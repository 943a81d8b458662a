#pragma once
// "Report Status Screen": runs a report or label job when it is first shown, shows the engine's
// status text ("Printing Page 3") while the job runs, and has one button that cancels the job
// while it runs and closes the window afterwards ("Report Completed!" or "Report Canceled!").
#include <functional>

#include "widgets/dialogbase.h"

class QLabel;
class QPushButton;

namespace render {
class Renderer;
}

namespace reports {

class ReportStatusWindow : public DialogBase {
    Q_OBJECT
public:
    // The least time between two looks at the events while a job runs, milliseconds.
    static constexpr int EventInterval = 20;

    // job runs the pages on renderer (the window shows its status and may abort it).
    ReportStatusWindow(Session& session, render::Renderer& renderer, std::function<void()> job,
                       QWidget* parent = nullptr);

    bool finished() const { return finished_; }
    // Closes the window as soon as the job has ended (at once when it has): the result is shown
    // elsewhere, in the preview.
    void closeWhenFinished();
    bool cancelled() const { return cancelled_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* button() const { return button_; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void start();
    void buttonClick();

    render::Renderer& renderer_;
    std::function<void()> job_;
    bool started_ = false;
    bool finished_ = false;
    bool cancelled_ = false;
    bool cancelRequested_ = false;
    bool closeWhenFinished_ = false;
    QLabel* status_;
    QPushButton* button_;
};

} // namespace reports
