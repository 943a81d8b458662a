#include "reports/ui/pagerangedialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/prompts.h"

namespace reports {

namespace {

// The edit's text as a whole number, blanks around it removed; nullopt when it is not one.
std::optional<int> pageNumber(const QLineEdit* edit) {
    bool ok = false;
    const int n = edit->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

PageRangeDialog::PageRangeDialog(Session& session, int pageCount, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), pageCount_(pageCount) {
    setObjectName(QStringLiteral("PrintRange"));
    setWindowTitle(QStringLiteral("Page Printing"));
    start_ = new QLineEdit(QStringLiteral("1"), this);
    start_->setObjectName(QStringLiteral("StartPage"));
    start_->setMaxLength(3);
    end_ = new QLineEdit(QString::number(pageCount), this);
    end_->setObjectName(QStringLiteral("EndPage"));
    end_->setMaxLength(3);
    const int editWidth = start_->fontMetrics().averageCharWidth() * 8;
    start_->setFixedWidth(editWidth);
    end_->setFixedWidth(editWidth);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Starting Page"), start_);
    form->addRow(QStringLiteral("Ending Page"), end_);

    auto* print = new QPushButton(QStringLiteral("&Print"), this);
    print->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(print, &QPushButton::clicked, this, &PageRangeDialog::PrintClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(cancel);

    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(buttons);
}

void PageRangeDialog::PrintClick() {
    Prompts& prompts = Prompts::instance();
    const std::optional<int> first = pageNumber(start_);
    if (!first || *first < 1 || *first > pageCount_) {
        prompts.error(this, QStringLiteral("Invalid Starting Page specified. Please correct."));
        start_->setFocus();
        start_->selectAll();
        return;
    }
    const std::optional<int> last = pageNumber(end_);
    if (!last || *last < *first || *last > pageCount_) {
        prompts.error(this, QStringLiteral("Invalid Ending Page specified.  Please correct."));
        end_->setFocus();
        end_->selectAll();
        return;
    }
    first_ = *first;
    last_ = *last;
    accept();
}

} // namespace reports
