#include "editor/ui/listeditordialog.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "catalogue/datalists.h"
#include "catalogue/session.h"
#include "editor/ui/editorsupport.h"
#include "editor/ui/listmaintenance.h"
#include "widgets/prompts.h"

ListEditorDialog::ListEditorDialog(Session& session, int listNumber, QWidget* parent)
    : DialogBase(session, WindowGroup::Configure, parent), session_(session), listNumber_(listNumber) {
    setObjectName(QStringLiteral("MyEditBox"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(
        QStringLiteral("Edit \"%1\" List").arg(QString::fromLatin1(DataLists::info(listNumber).name)));

    // AddInfo with its Add button above the list; the list's buttons beside it.
    auto* top = new QGridLayout(this);
    top->setContentsMargins(10, 10, 10, 10);
    top->setHorizontalSpacing(10);
    top->setVerticalSpacing(8);
    addInfo_ = new QLineEdit(this);
    addInfo_->setObjectName(QStringLiteral("AddInfo"));
    const int longest = DataLists::info(listNumber).longest;
    addInfo_->setMaxLength(longest);
    top->addWidget(addInfo_, 0, 0);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("TheList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    const int chars = std::clamp(longest, 20, 40);
    list_->setMinimumSize(list_->fontMetrics().horizontalAdvance(QLatin1Char('n')) * chars + 24, 240);
    top->addWidget(list_, 1, 0);
    top->setRowStretch(1, 1);
    top->setColumnStretch(0, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    auto button = [&](const QString& caption, const char* name, void (ListEditorDialog::*slot)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    top->addWidget(button(QStringLiteral("&Add"), "AddButton", &ListEditorDialog::addButtonClicked), 0, 1);
    right->addWidget(
        button(QStringLiteral("&Delete"), "DeleteButton", &ListEditorDialog::deleteButtonClicked));
    right->addWidget(button(QStringLiteral("&Sort"), "SortButton", &ListEditorDialog::sortButtonClicked));
    right->addStretch(1);
    right->addWidget(button(QStringLiteral("&Ok"), "OkButton", &ListEditorDialog::okButtonClicked));
    right->addWidget(
        button(QStringLiteral("&Cancel"), "CancelButton", &ListEditorDialog::cancelButtonClicked));
    top->addLayout(right, 1, 1);
    // Enter in AddInfo adds its text.
    connect(addInfo_, &QLineEdit::returnPressed, this, &ListEditorDialog::addButtonClicked);

    // A copy of the list: the editor's boxes for the catalogue's lists, the program folder's file
    // for the award names and the miscellaneous items.
    DataLists& lists = session_.lists();
    list_->addItems(DataLists::isDatabaseList(listNumber) ? lists.list(listNumber)
                                                          : lists.programList(listNumber));
}

void ListEditorDialog::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    if (!event->spontaneous()) {
        // Spacing grows with the screen scale as the controls do; then size and centre again.
        editorsupport::scaleSpacing(this, currentLook().scale);
        applyLook();
    }
    if (event->spontaneous()) return;
    list_->setFocus();
    if (list_->count() > 0) list_->setCurrentRow(0);
}

QStringList ListEditorDialog::values() const {
    QStringList out;
    out.reserve(list_->count());
    for (int i = 0; i < list_->count(); ++i)
        out << list_->item(i)->text();
    return out;
}

void ListEditorDialog::addButtonClicked() {
    const QString value = addInfo_->text().trimmed();
    if (!value.isEmpty()) {
        list_->addItem(value);
        list_->scrollToBottom();
    }
    addInfo_->clear();
    addInfo_->setFocus();
}

void ListEditorDialog::deleteButtonClicked() {
    const int row = list_->currentRow();
    if (row < 0 || !list_->item(row)->isSelected()) return;
    delete list_->takeItem(row);
    if (list_->count() == 0) return;
    list_->setCurrentRow(std::min(row, list_->count() - 1));
}

void ListEditorDialog::sortButtonClicked() {
    if (!Prompts::instance().confirm(this, QStringLiteral("Are you sure you want to sort the data?  "
                                                          "Sorting cannot be undone.")))
        return;
    const QString current = list_->currentItem() ? list_->currentItem()->text() : QString();
    QStringList sorted = values();
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    list_->clear();
    list_->addItems(sorted);
    if (list_->count() > 0) {
        const int at = std::max<int>(0, int(sorted.indexOf(current)));
        list_->setCurrentRow(at);
    }
}

void ListEditorDialog::okButtonClicked() {
    DataLists& lists = session_.lists();
    QString error;
    bool ok = true;
    if (DataLists::isDatabaseList(listNumber_))
        lists.setList(listNumber_, values());
    else
        ok = lists.saveProgramList(listNumber_, values(), &error);
    if (ok) ok = editorsupport::saveAll(session_, &error);
    if (!ok) {
        // The lists in memory hold the new values; the file that failed keeps its old text.
        Prompts::instance().error(this, error);
        if (!DataLists::isDatabaseList(listNumber_)) return;
    }
    accept();
}

void ListEditorDialog::cancelButtonClicked() {
    reject();
}

// ---------------------------------------------------------------------------------------------

void editDataList(Session& session, int listNumber, QWidget* parent) {
    if (listNumber < 1 || listNumber > 17) return;
    ListEditorDialog box(session, listNumber, parent);
    box.exec();
}

void saveListsAsDefaults(Session& session, QWidget* parent) {
    Prompts& p = Prompts::instance();
    p.beep();
    if (p.message(
            parent, QStringLiteral("Warning"),
            QStringLiteral("Your current Data Lists will become your default list values.  These values will "
                           "be used when new databases are created.  Previous default values will be lost.  "
                           "Do you want to proceed?"),
            Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) != Prompts::Yes)
        return;
    QString error;
    if (!session.lists().saveDefaultLists(&error)) p.error(parent, error);
}

void loadDefaultLists(Session& session, QWidget* parent) {
    Prompts& p = Prompts::instance();
    p.beep();
    if (p.message(parent, QStringLiteral("Warning"),
                  QStringLiteral("Your current Data Lists will be overridden with your default list values. "
                                 "Previous  values will be lost.  Do you want to proceed?"),
                  Prompts::Yes | Prompts::No, Prompts::No, Prompts::Icon::Question) != Prompts::Yes)
        return;
    QString error;
    if (!session.lists().loadDefaultLists(&error)) p.error(parent, error);
}
