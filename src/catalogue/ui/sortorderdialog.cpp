#include "catalogue/ui/sortorderdialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalogue/catalogue.h"
#include "catalogue/session.h"
#include "catalogue/sortorder.h"
#include "widgets/prompts.h"

SortOrderDialog::SortOrderDialog(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session) {
    setObjectName(QStringLiteral("MySortOrder"));
    setWindowTitle(QStringLiteral("Sort Order"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    const char* captions[4] = {"Primary Sort", "Secondary Sort", "Third Level Sort", "Fourth Level Sort"};
    for (int level = 0; level < 4; ++level) {
        auto* label = new QLabel(QString::fromLatin1(captions[level]), this);
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("SortLevel%1").arg(level + 1));
        box->addItem(QStringLiteral("<NONE>"));
        for (int slot = 1; slot <= FieldCount; ++slot)
            box->addItem(session.displayName(slot));
        box->setMaxVisibleItems(20);
        box->setMinimumContentsLength(20);
        label->setBuddy(box);
        grid->addWidget(label, level, 0);
        grid->addWidget(box, level, 1);
        boxes_[level] = box;
    }

    okButton_ = new QPushButton(QStringLiteral("&Ok"), this);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(okButton_, &QPushButton::clicked, this, &SortOrderDialog::okButtonClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addSpacing(8);
    main->addLayout(buttons);
}

void SortOrderDialog::showEvent(QShowEvent* event) {
    // Each list shows its level's slot number (a list position equals the slot number).
    for (int level = 0; level < 4; ++level) {
        const int slot = session_.database().sortLevels[level];
        boxes_[level]->setCurrentIndex(slot >= 0 && slot <= FieldCount ? slot : 0);
    }
    DialogBase::showEvent(event);
}

void SortOrderDialog::reopenShared() {
    try {
        session_.openTable(dbase::OpenMode::Shared);
    } catch (const dbase::DbError& e) {
        Prompts::instance().error(this, QString::fromUtf8(e.what()));
    }
    session_.notifyViewerOptionsChanged();
}

void SortOrderDialog::okButtonClicked() {
    Session& s = session_;
    s.closeTable();
    if (isTableInUse(s.currentDatabase())) {
        reopenShared();
        Prompts::instance().error(this, sortNeedsExclusiveMessage());
        return;
    }
    const SortLevels oldLevels = s.database().sortLevels;
    const QString oldExpression = s.sortExpression();
    try {
        s.openTable(dbase::OpenMode::Exclusive);
        for (int level = 0; level < 4; ++level)
            s.database().sortLevels[level] = boxes_[level]->currentIndex();
        s.setSortExpression(sortExpression(s.database().sortLevels));
        applySortExpression(s.table(), s.sortExpression(), SortApply::Rebuild);
        QString error;
        if (!s.saveDatabaseSettings(&error)) throw dbase::DbError(error.toStdString());
        s.closeTable();
    } catch (const dbase::DbError&) {
        s.closeTable();
        s.database().sortLevels = oldLevels;
        s.setSortExpression(oldExpression);
        reopenShared();
        Prompts::instance().error(this, sortFailedMessage());
        return;
    }
    reopenShared();
    accept();
}
