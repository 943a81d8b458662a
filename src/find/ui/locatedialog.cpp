#include "find/ui/locatedialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "widgets/prompts.h"

bool runLocate(Session& session, const LocateRequest& request, bool fromFirst, QWidget* parent) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LocateResult r;
    try {
        r = locateRecord(session.table(), request, fromFirst, session.dateFormat());
    } catch (const dbase::DbError& e) {
        QApplication::restoreOverrideCursor();
        Prompts::instance().error(parent, QString::fromUtf8(e.what()));
        return false;
    }
    QApplication::restoreOverrideCursor();
    if (r.memoFailed)
        Prompts::instance().message(parent, QStringLiteral("Information"), memoFailedMessage(), Prompts::Ok,
                                    Prompts::Ok, Prompts::Icon::Information);
    switch (r.status) {
    case LocateStatus::Found:
        return true;
    case LocateStatus::FieldMissing:
        Prompts::instance().message(parent, QStringLiteral("Warning"), fieldNotFoundMessage(request.field),
                                    Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
        return false;
    case LocateStatus::TableClosed:
        Prompts::instance().message(parent, QStringLiteral("Warning"), tableNotActiveNextMessage(),
                                    Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
        return false;
    case LocateStatus::NotFound:
        Prompts::instance().message(parent, QStringLiteral("Information"),
                                    fromFirst ? noMatchFromFirstMessage() : noMoreMatchesMessage(),
                                    Prompts::Ok, Prompts::Ok, Prompts::Icon::Information);
        return false;
    }
    return false;
}

LocateDialog::LocateDialog(Session& session, LocateRequest& request, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), request_(request) {
    setObjectName(QStringLiteral("MyLocateDlg"));
    setWindowTitle(QStringLiteral("Locate Field Value"));

    auto* valueGroup = new QGroupBox(QStringLiteral("Search &Value"), this);
    searchValue_ = new QLineEdit(valueGroup);
    searchValue_->setObjectName(QStringLiteral("SearchValue"));
    searchValue_->setMaxLength(255);
    searchValue_->setMinimumWidth(260);
    (new QVBoxLayout(valueGroup))->addWidget(searchValue_);

    auto* fieldGroup = new QGroupBox(QStringLiteral("&Field To Search On"), this);
    fieldBox_ = new QComboBox(fieldGroup);
    fieldBox_->setObjectName(QStringLiteral("FieldNameComboBox"));
    fieldBox_->setMaxVisibleItems(15);
    (new QVBoxLayout(fieldGroup))->addWidget(fieldBox_);

    auto* typeGroup = new QGroupBox(QStringLiteral("&Search Type"), this);
    caseBox_ = new QCheckBox(QStringLiteral("&Case-sensitive"), typeGroup);
    matchButtons_[0] = new QRadioButton(QStringLiteral("&Exact Match"), typeGroup);
    matchButtons_[1] = new QRadioButton(QStringLiteral("&Partial Match at Beginning"), typeGroup);
    matchButtons_[2] = new QRadioButton(QStringLiteral("Partial Match &Anywhere"), typeGroup);
    auto* typeLayout = new QVBoxLayout(typeGroup);
    typeLayout->addWidget(caseBox_);
    for (QRadioButton* b : matchButtons_)
        typeLayout->addWidget(b);

    firstButton_ = new QPushButton(QStringLiteral("Fi&rst"), this);
    nextButton_ = new QPushButton(QStringLiteral("&Next"), this);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    nextButton_->setDefault(true);
    connect(firstButton_, &QPushButton::clicked, this, &LocateDialog::FindFirst);
    connect(nextButton_, &QPushButton::clicked, this, &LocateDialog::FindNextBtnClick);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(firstButton_);
    buttons->addWidget(nextButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(valueGroup);
    left->addWidget(fieldGroup);
    left->addWidget(typeGroup);
    auto* main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(buttons);

    // Every field of the table by its label, sorted.
    if (session.table().isOpen()) {
        fields_ = locateFields(session.table(), [&session](const QString& name) {
            const int slot = slotByName(name);
            return slot ? session.displayName(slot) : name;
        });
    }
    int chosen = -1;
    for (const LocateField& f : fields_) {
        if (f.name.compare(request.field, Qt::CaseInsensitive) == 0) chosen = fieldBox_->count();
        fieldBox_->addItem(f.label, f.name);
    }
    fieldBox_->setCurrentIndex(chosen);
    searchValue_->setText(chosen >= 0 ? request.value : QString());
    caseBox_->setChecked(request.caseSensitive);
    matchButtons_[int(request.match)]->setChecked(true);

    // Changing the field starts a new value.
    connect(fieldBox_, &QComboBox::currentIndexChanged, this, [this] {
        searchValue_->clear();
        if (!fieldBox_->view()->isVisible()) searchValue_->setFocus();
    });
    connect(fieldBox_, &QComboBox::activated, this, [this] { searchValue_->setFocus(); });
    fieldBox_->installEventFilter(this);
    searchValue_->setFocus();
}

bool LocateDialog::eventFilter(QObject* watched, QEvent* event) {
    // While the field list has the focus, Enter belongs to it, not to "Next".
    if (watched == fieldBox_) {
        if (event->type() == QEvent::FocusIn) nextButton_->setDefault(false);
        if (event->type() == QEvent::FocusOut) nextButton_->setDefault(true);
    }
    return DialogBase::eventFilter(watched, event);
}

void LocateDialog::storeRequest() {
    for (int i = 0; i < 3; ++i)
        if (matchButtons_[i]->isChecked()) request_.match = MatchType(i);
    request_.caseSensitive = caseBox_->isChecked();
    request_.value = searchValue_->text();
    if (fieldBox_->currentIndex() >= 0) request_.field = fieldBox_->currentData().toString();
}

void LocateDialog::locate(bool fromFirst) {
    storeRequest();
    if (fieldBox_->currentIndex() < 0) {
        Prompts::instance().message(this, QStringLiteral("Warning"), fieldNotFoundMessage(QString()),
                                    Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
        fieldBox_->setFocus();
        return;
    }
    if (runLocate(session_, request_, fromFirst, this)) accept();
}

void LocateDialog::FindFirst() {
    locate(true);
}

void LocateDialog::FindNextBtnClick() {
    locate(false);
}

void LocateDialog::done(int result) {
    storeRequest();
    DialogBase::done(result);
}

bool LocateCommand::find(QWidget* parent) {
    if (!session_.table().isOpen()) {
        Prompts::instance().error(parent, tableNotActiveMessage());
        return false;
    }
    LocateDialog dialog(session_, request_, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool LocateCommand::findNext(QWidget* parent) {
    if (!session_.table().isOpen()) {
        Prompts::instance().message(parent, QStringLiteral("Warning"), tableNotActiveNextMessage(),
                                    Prompts::Ok, Prompts::Ok, Prompts::Icon::Warning);
        return false;
    }
    if (request_.value.isEmpty()) return find(parent);
    return runLocate(session_, request_, false, parent);
}
