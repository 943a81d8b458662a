#include "editor/ui/awardpickdialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "editor/awardpick.h"
#include "editor/ui/editorsupport.h"
#include "widgets/prompts.h"

AwardPickDialog::AwardPickDialog(Session& session, int mode, const QString& current, QWidget* parent)
    : DialogBase(session, WindowGroup::Edit, parent), session_(session),
      mode_(mode < 1 || mode > 3 ? 1 : mode), current_(current) {
    setObjectName(QStringLiteral("MyOscarAward"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(10, 10, 10, 10);
    top->setSpacing(8);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("OscarList"));
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    list_->setMinimumSize(300, 260);
    top->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    okButton_ = new QPushButton(QStringLiteral("&Ok"), this);
    okButton_->setObjectName(QStringLiteral("OkButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    cancelButton_->setAutoDefault(false);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch(1);
    top->addLayout(buttons);
    connect(okButton_, &QPushButton::clicked, this, &AwardPickDialog::okButtonClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &AwardPickDialog::cancelButtonClicked);
    setWindowTitle(AwardPick::caption(AwardPick::Mode(mode_)));
    // Filled at once, so that the pick can be inspected before it is shown; fillOnShow fills again.
    loadAwardList();
}

void AwardPickDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        setWindowTitle(AwardPick::caption(AwardPick::Mode(mode_)));
        loadAwardList();
    }
    DialogBase::showEvent(event);
    if (!event->spontaneous()) {
        // Spacing grows with the screen scale as the controls do; then size and centre again.
        editorsupport::scaleSpacing(this, currentLook().scale);
        applyLook();
    }
    list_->setFocus();
}

void AwardPickDialog::setItems(const QStringList& items) {
    list_->clear();
    list_->addItems(items);
}

void AwardPickDialog::loadAwardList() {
    AwardPick pick{AwardPick::Mode(mode_)};
    pick.loadList();
    if (mode_ == AwardPick::Miscellaneous) pick.preselect(current_);
    setItems(pick.items());
    const QList<int> selected = pick.selectedIndexes();
    for (int row : selected)
        list_->item(row)->setSelected(true);
    if (list_->count() > 0)
        list_->setCurrentRow(selected.isEmpty() ? 0 : selected.first(), QItemSelectionModel::NoUpdate);
}

QStringList AwardPickDialog::items() const {
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        out << list_->item(i)->text();
    return out;
}

QStringList AwardPickDialog::selectedItems() const {
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected()) out << list_->item(i)->text();
    return out;
}

void AwardPickDialog::okButtonClicked() {
    AwardPick pick{AwardPick::Mode(mode_)};
    pick.setItems(items());
    for (int i = 0; i < list_->count(); ++i)
        pick.setSelected(i, list_->item(i)->isSelected());
    const int width = AwardPick::targetWidth(pick.mode());
    QStringList picked = selectedItems();
    const qsizetype length = picked.join(QStringLiteral(", ")).size();
    if (length > width) {
        // The field would cut the picks; the user chooses which to leave out.
        Prompts::instance().error(
            this, QStringLiteral("The selected items take %1 characters, but \"%2\" holds at most %3.  "
                                 "Please select fewer items.")
                      .arg(length)
                      .arg(session_.displayName(AwardPick::targetSlot(pick.mode())))
                      .arg(width));
        return;
    }
    result_ = pick.joined();
    accept();
}

void AwardPickDialog::cancelButtonClicked() {
    reject();
}
