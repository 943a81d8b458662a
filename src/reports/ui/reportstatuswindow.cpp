#include "reports/ui/reportstatuswindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "render/renderer.h"

namespace reports {

ReportStatusWindow::ReportStatusWindow(Session& session, render::Renderer& renderer,
                                       std::function<void()> job, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), renderer_(renderer), job_(std::move(job)) {
    setObjectName(QStringLiteral("ReportForm"));
    setWindowTitle(QStringLiteral("Report Status Screen"));
    status_ = new QLabel(QStringLiteral("Printing Status"), this);
    status_->setObjectName(QStringLiteral("StatusText"));
    status_->setAlignment(Qt::AlignCenter);
    status_->setMinimumSize(status_->fontMetrics().averageCharWidth() * 34,
                            status_->fontMetrics().height() * 4);
    status_->setFrameShape(QFrame::StyledPanel);
    button_ = new QPushButton(QStringLiteral("&Cancel"), this);
    button_->setDefault(true);
    connect(button_, &QPushButton::clicked, this, &ReportStatusWindow::buttonClick);
    auto* main = new QVBoxLayout(this);
    main->addWidget(status_, 1);
    main->addWidget(button_, 0, Qt::AlignHCenter);
}

void ReportStatusWindow::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &ReportStatusWindow::start);
    }
}

void ReportStatusWindow::start() {
    // A cancel pressed before the job began stops it before its first page.
    if (!cancelRequested_) {
        // Events (the Cancel button, repainting, a preview's new pages) are taken in between
        // pages: often enough to answer at once, not on every page of a long report.
        QElapsedTimer sinceEvents;
        renderer_.setStatusCallback([this, sinceEvents](const QString& text) mutable {
            if (sinceEvents.isValid() && sinceEvents.elapsed() < EventInterval) return;
            sinceEvents.start();
            QString shown = text;
            shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            status_->setText(shown.trimmed());
            // The one place a running job listens: the Cancel button and the window's repainting.
            QApplication::processEvents();
            if (cancelRequested_) renderer_.abort();
        });
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (job_) job_();
        QApplication::restoreOverrideCursor();
        renderer_.setStatusCallback(nullptr);
    }
    finished_ = true;
    cancelled_ = cancelRequested_ || renderer_.aborted();
    status_->setText(QStringLiteral("\n") +
                     (cancelled_ ? QStringLiteral("Report Canceled!") : QStringLiteral("Report Completed!")));
    button_->setText(QStringLiteral("&OK"));
    if (closeWhenFinished_) accept();
}

void ReportStatusWindow::closeWhenFinished() {
    closeWhenFinished_ = true;
    if (finished_) accept();
}

void ReportStatusWindow::buttonClick() {
    if (!finished_) {
        cancelRequested_ = true;
        renderer_.abort();
        return;
    }
    accept();
}

void ReportStatusWindow::reject() {
    // Escape or the window's close box: a cancel while the job runs, closing afterwards.
    if (!finished_) {
        cancelRequested_ = true;
        renderer_.abort();
        return;
    }
    DialogBase::reject();
}

} // namespace reports
