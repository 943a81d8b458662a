#include "reports/ui/printerchoicedialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "catalogue/session.h"
#include "widgets/printers.h"

namespace reports {

PrinterChoiceDialog::PrinterChoiceDialog(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent) {
    setObjectName(QStringLiteral("PrintSelect"));
    setWindowTitle(QStringLiteral("Printer Selection"));
    default_ = new QRadioButton(QStringLiteral("Default Printer"), this);
    other_ = new QRadioButton(QStringLiteral("Other Printer"), this);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("PrinterList"));
    list_->setMinimumWidth(list_->fontMetrics().averageCharWidth() * 36);
    const DatabaseSettings& s = session.database();
    (s.defaultPrinter ? default_ : other_)->setChecked(true);
    const QStringList names = Printers::instance().names();
    list_->addItems(names);
    list_->setCurrentIndex(s.printerIndex >= 0 && s.printerIndex < names.size() ? s.printerIndex : -1);
    // Picking a printer means printing on it.
    connect(list_, &QComboBox::activated, this, [this] { other_->setChecked(true); });

    QHBoxLayout* buttons = okCancelRow([this] { OkClick(); });
    auto* main = new QVBoxLayout(this);
    main->addWidget(default_);
    main->addWidget(other_);
    main->addWidget(list_);
    main->addLayout(buttons);
}

void PrinterChoiceDialog::OkClick() {
    DatabaseSettings& s = session()->database();
    s.defaultPrinter = default_->isChecked();
    s.printerIndex = list_->currentIndex();
    accept();
}

} // namespace reports
