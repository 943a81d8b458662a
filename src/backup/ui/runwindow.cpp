#include "backup/ui/runwindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

#include "widgets/helpwindow.h"
#include "widgets/prompts.h"

namespace backup {

namespace {

// The hourglass for as long as a run lasts, whichever way it ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

Prompts::Icon iconOf(const QString& caption) {
    if (caption == QLatin1String("Error")) return Prompts::Icon::Critical;
    if (caption == QLatin1String("Warning")) return Prompts::Icon::Warning;
    return Prompts::Icon::Information;
}

} // namespace

RunWindow::RunWindow(Session& session, SessionHost::Hooks hooks, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), hooks_(std::move(hooks)) {}

QGroupBox* RunWindow::buildKinds(const QString& title, const std::array<const char*, 4>& names,
                                 const std::array<const char*, 4>& captions) {
    auto* box = new QGroupBox(title, this);
    auto* layout = new QVBoxLayout(box);
    // The window lists the kinds as Table, Lists, Layouts, Settings.
    const Kind order[4] = {Kind::Table, Kind::Lists, Kind::Layouts, Kind::Settings};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(captions[size_t(i)]), box);
        button->setObjectName(QString::fromLatin1(names[size_t(i)]));
        layout->addWidget(button);
        kinds_[size_t(order[i])] = button;
    }
    kinds_[size_t(Kind::Table)]->setChecked(true);
    return box;
}

void RunWindow::buildButtons(QVBoxLayout* layout, const QString& startCaption) {
    start_ = new QPushButton(startCaption, this);
    start_->setObjectName(QStringLiteral("StartButton"));
    start_->setDefault(true);
    start_->setAutoDefault(true);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    help_ = new QPushButton(QStringLiteral("&Help"), this);
    help_->setObjectName(QStringLiteral("HelpButton"));
    connect(start_, &QPushButton::clicked, this, [this] { startClicked(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this,
            [this] { HelpWindow::showHelp(this, QStringLiteral("Backup and Restore")); });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(start_);
    row->addWidget(cancel_);
    row->addWidget(help_);
    layout->addLayout(row);
}

Kind RunWindow::chosenKind() const {
    for (size_t i = 0; i < kinds_.size(); ++i)
        if (kinds_[i]->isChecked()) return Kind(i);
    return Kind::Table;
}

Outcome RunWindow::run(const std::function<Outcome(BackupRun&)>& body) {
    SessionHost host(session_, hooks_);
    Outcome outcome = Outcome::Refused;
    {
        std::optional<BusyCursor> busy(std::in_place);
        BackupRun run(host, [this, &busy](const Message& m) {
            // The normal cursor over a message box, the hourglass again while the run goes on.
            busy.reset();
            Prompts::instance().message(this, m.caption, m.text, Prompts::Ok, Prompts::Ok, iconOf(m.caption));
            busy.emplace();
        });
        if (freeSpace_) run.setFreeSpaceProbe(freeSpace_);
        outcome = body(run);
    }
    if (ranToEnd(outcome)) {
        cancel_->setText(QStringLiteral("&Close"));
        cancel_->setFocus();
    }
    return outcome;
}

} // namespace backup
