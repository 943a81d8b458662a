#include "find/ui/searchreplacewindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "find/searchstate.h"
#include "widgets/prompts.h"

SearchReplaceWindow::SearchReplaceWindow(Session& session, SearchState& search, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), search_(search) {
    setObjectName(QStringLiteral("SearchAndReplace"));
    setWindowTitle(QStringLiteral("Search and Replace"));
    setFixedSize(400, 262);

    auto label = [this](const char* text, int x, int y, int w = 110) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setGeometry(x, y, w, 22);
        return l;
    };
    QLabel* fieldLabel = label("Field ", 16, 18);
    fieldBox_ = new QComboBox(this);
    fieldBox_->setObjectName(QStringLiteral("FieldBox"));
    fieldBox_->setGeometry(140, 16, 240, 26);
    fieldBox_->setMaxVisibleItems(15);
    for (int slot = 1; slot <= FieldCount; ++slot)
        fieldBox_->addItem(session.displayName(slot), slot);
    fieldBox_->setCurrentIndex(-1);
    fieldLabel->setBuddy(fieldBox_);

    QLabel* searchLabel = label("Text To Search For", 16, 54, 124);
    searchText_ = new QLineEdit(this);
    searchText_->setObjectName(QStringLiteral("SearchText"));
    searchText_->setGeometry(140, 52, 240, 26);
    searchLabel->setBuddy(searchText_);
    QLabel* replaceLabel = label("Replacement Text", 16, 90, 124);
    replaceText_ = new QLineEdit(this);
    replaceText_->setObjectName(QStringLiteral("ReplaceText"));
    replaceText_->setGeometry(140, 88, 240, 26);
    replaceLabel->setBuddy(replaceText_);

    confirmBox_ = new QCheckBox(QStringLiteral("Confirm Before Replacing"), this);
    confirmBox_->setGeometry(140, 122, 240, 24);

    startButton_ = new QPushButton(QStringLiteral("&Start Search"), this);
    startButton_->setGeometry(70, 156, 120, 30);
    startButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setGeometry(210, 156, 120, 30);
    connect(startButton_, &QPushButton::clicked, this, &SearchReplaceWindow::StartButtonClick);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    // The counters: captions over the counts, drawn at 70, 190 and 310 across and 225 down.
    const char* captions[3] = {"Processed", "Found", "Changed"};
    for (int i = 0; i < 3; ++i) {
        QLabel* caption = label(captions[i], 50 + 120 * i, 200, 100);
        caption->setObjectName(QLatin1String(captions[i]) + QStringLiteral("Label"));
        countLabels_[i] = new QLabel(QStringLiteral("0"), this);
        countLabels_[i]->setObjectName(QLatin1String(captions[i]) + QStringLiteral("Count"));
        countLabels_[i]->setGeometry(70 + 120 * i, 225, 100, 22);
    }

    connect(fieldBox_, &QComboBox::currentIndexChanged, this, &SearchReplaceWindow::fieldChosen);
}

QString SearchReplaceWindow::countText(int which) const {
    return countLabels_[which]->text();
}

void SearchReplaceWindow::fieldChosen() {
    // A new field: both entries empty, with the field's limits.
    const int slot = fieldBox_->currentData().toInt();
    if (slot < 1 || slot > FieldCount) return;
    for (QLineEdit* e : {searchText_, replaceText_}) {
        e->setInputMask(QString());
        e->clear();
        switch (fieldSlot(slot).typeCode) {
        case TypeInteger:
        case TypeFloat:
            e->setMaxLength(9);
            break;
        case TypeDate: {
            const QChar sep = session_.dateFormat().separator();
            e->setInputMask(QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("9999"));
            break;
        }
        default:
            e->setMaxLength(fieldSlot(slot).width);
            break;
        }
    }
}

QString SearchReplaceWindow::entryText(QLineEdit* edit) const {
    return edit->inputMask().isEmpty() ? edit->text() : edit->displayText();
}

void SearchReplaceWindow::showCounts(const ReplaceCounts& counts, bool force) {
    const uint64_t values[3] = {counts.processed, counts.found, counts.changed};
    const uint64_t before[3] = {counts_.processed, counts_.found, counts_.changed};
    counts_ = counts;
    // Every change of found or changed is drawn; processed every 256 records and at the end.
    if (!force && values[1] == before[1] && values[2] == before[2] && (values[0] & 255) != 0) return;
    for (int i = 0; i < 3; ++i) {
        countLabels_[i]->setText(QString::number(values[i]));
        countLabels_[i]->repaint();
    }
}

void SearchReplaceWindow::StartButtonClick() {
    ReplaceRequest request;
    request.slot = fieldBox_->currentIndex() >= 0 ? fieldBox_->currentData().toInt() : 0;
    request.search = entryText(searchText_);
    request.replacement = entryText(replaceText_);
    request.confirm = confirmBox_->isChecked();
    const ReplaceCheck check = checkReplaceRequest(request, session_.dateFormat());
    if (check != ReplaceCheck::Ok) {
        Prompts::instance().error(this, replaceCheckMessage(check));
        switch (check) {
        case ReplaceCheck::NoField:
            fieldBox_->setFocus();
            break;
        case ReplaceCheck::BadSearchValue:
        case ReplaceCheck::BadSearchDate:
            searchText_->setFocus();
            break;
        default:
            replaceText_->setFocus();
            break;
        }
        return;
    }

    ReplaceTarget target;
    target.table = &session_.table();
    target.path = session_.currentDatabase();
    target.sortExpression = session_.sortExpression();
    target.search = &search_;
    target.reopenShared = [this] {
        try {
            session_.openTable(dbase::OpenMode::Shared);
        } catch (const dbase::DbError& e) {
            Prompts::instance().error(this, QString::fromUtf8(e.what()));
        }
    };
    ReplaceHooks hooks;
    hooks.progress = [this](const ReplaceCounts& c) { showCounts(c, false); };
    hooks.confirm = [this](const QString& question) {
        QApplication::restoreOverrideCursor();
        const bool yes = Prompts::instance().confirm(this, question);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return yes;
    };

    showCounts(ReplaceCounts{}, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ReplaceResult result = replaceInCatalogue(target, request, session_.dateFormat(), hooks);
    QApplication::restoreOverrideCursor();
    showCounts(result.counts, true);
    session_.notifyViewerOptionsChanged();
    session_.notifyRecordsChanged();

    switch (result.status) {
    case ReplaceStatus::Done:
        Prompts::instance().message(this, QStringLiteral("Finished"), replaceCompleteMessage(), Prompts::Ok,
                                    Prompts::Ok, Prompts::Icon::Information);
        accept();
        return;
    case ReplaceStatus::InUse:
        Prompts::instance().error(this, replaceInUseMessage());
        return;
    case ReplaceStatus::PrepareFailed:
        Prompts::instance().error(this, replaceFailedMessage());
        return;
    case ReplaceStatus::PassFailed:
        Prompts::instance().error(this, result.detail);
        return;
    case ReplaceStatus::Refused:
        return;
    }
}
