#include "find/ui/searchoptionspicker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SearchOptionsPicker::SearchOptionsPicker(Session& session, const QString& fieldName,
                                         const QStringList& choices, int selected, QWidget* parent)
    : DialogBase(session, WindowGroup::Search, parent) {
    setObjectName(QStringLiteral("SearchOptions"));
    setWindowTitle(QStringLiteral("Search Options"));

    fieldNameLabel_ = new QLabel(fieldName, this);
    fieldNameLabel_->setObjectName(QStringLiteral("FieldNameLabel"));
    QFont bold = fieldNameLabel_->font();
    bold.setBold(true);
    fieldNameLabel_->setFont(bold);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("OptionsList"));
    list_->addItems(choices);
    list_->setMinimumSize(240, 200);
    if (selected >= 0 && selected < list_->count()) list_->setCurrentRow(selected);
    fieldNameLabel_->setBuddy(list_);

    okButton_ = new QPushButton(QStringLiteral("&Ok"), this);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* main = new QVBoxLayout(this);
    main->addWidget(fieldNameLabel_);
    main->addWidget(list_);
    main->addLayout(buttons);
    list_->setFocus();
}

int SearchOptionsPicker::chosen() const {
    const QListWidgetItem* item = list_->currentItem();
    return item && item->isSelected() ? list_->row(item) : -1;
}

QString SearchOptionsPicker::chosenText() const {
    const int row = chosen();
    return row >= 0 ? list_->item(row)->text() : QString();
}
