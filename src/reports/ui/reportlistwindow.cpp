#include "reports/ui/reportlistwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "reports/layoutfile.h"
#include "reports/ui/layoutdesigner.h"
#include "widgets/prompts.h"

namespace reports {

ReportListWindow::ReportListWindow(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), file_(LayoutFile::programLayoutFile()) {
    setObjectName(QStringLiteral("MyReport"));
    setWindowTitle(QStringLiteral("Reports"));

    auto* heading = new QLabel(QStringLiteral("Report Selection"), this);
    look::markMajorTitle(heading);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ReportBox"));
    list_->setMinimumSize(list_->fontMetrics().averageCharWidth() * 36, list_->fontMetrics().height() * 10);
    heading->setBuddy(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, &ReportListWindow::DoModify);

    auto* newButton = new QPushButton(QStringLiteral("&New Report"), this);
    auto* modifyButton = new QPushButton(QStringLiteral("&Modify Report"), this);
    auto* exitButton = new QPushButton(QStringLiteral("E&xit"), this);
    connect(newButton, &QPushButton::clicked, this, &ReportListWindow::DoNew);
    connect(modifyButton, &QPushButton::clicked, this, &ReportListWindow::DoModify);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(newButton);
    buttons->addWidget(modifyButton);
    buttons->addStretch();
    buttons->addWidget(exitButton);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(heading);
    listColumn->addWidget(list_, 1);
    auto* main = new QHBoxLayout(this);
    main->addLayout(listColumn, 1);
    main->addLayout(buttons);
    LoadReportBox();
}

void ReportListWindow::LoadReportBox() {
    list_->clear();
    QString error;
    const QStringList names = LayoutFile(file_).names(&error);
    list_->addItems(names);
    if (!error.isEmpty()) Prompts::instance().error(this, error);
}

void ReportListWindow::DoNew() {
    working_ = ReportLayout::newLayout();
    design(LayoutDesigner::NewLayout);
}

void ReportListWindow::DoModify() {
    const int index = list_->currentRow();
    Prompts& prompts = Prompts::instance();
    if (index < 0 || !list_->currentItem()->isSelected()) {
        prompts.beep();
        prompts.message(this, QStringLiteral("Error"),
                        QStringLiteral("No Report has been selected.  Please choose one."), Prompts::Ok,
                        Prompts::Ok, Prompts::Icon::Warning);
        list_->setFocus();
        return;
    }
    QString error;
    if (!LayoutFile(file_).read(index, &working_, &error)) {
        prompts.error(this, error);
        return;
    }
    design(index);
}

void ReportListWindow::design(int index) {
    LayoutDesigner designer(*session(), working_, index, file_, this);
    designer.exec();
    working_ = designer.layout();
    switch (designer.outcome()) {
    case LayoutDesigner::Outcome::Saved:
        LoadReportBox();
        list_->setCurrentRow(designer.savedIndex());
        break;
    case LayoutDesigner::Outcome::Deleted:
        LoadReportBox();
        break;
    case LayoutDesigner::Outcome::Cancelled:
        break;
    }
}

} // namespace reports
