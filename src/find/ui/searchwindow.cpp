#include "find/ui/searchwindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "catalogue/session.h"
#include "find/criterionvalues.h"
#include "find/searchoptions.h"
#include "find/searchstate.h"
#include "find/ui/searchoptionspicker.h"
#include "widgets/helpwindow.h"
#include "widgets/prompts.h"

namespace {

QString padded(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '), true);
}

// A date as the date template shows it: two, two and four places around the separators.
QString dateShape(const QString& text, QChar sep) {
    const QStringList parts = text.trimmed().split(sep);
    if (parts.size() != 3) return QStringLiteral("  %1  %1    ").arg(sep);
    return parts[0].trimmed().rightJustified(2, QLatin1Char(' '), true) + sep +
           parts[1].trimmed().rightJustified(2, QLatin1Char(' '), true) + sep +
           parts[2].trimmed().leftJustified(4, QLatin1Char(' '), true);
}

// The value parts of a number or date cell (one, or the two bounds of a range).
std::pair<QString, QString> cellValues(const QString& text) {
    QString t = text.trimmed();
    if (!t.isEmpty() && (t[0] == QLatin1Char('=') || t[0] == QLatin1Char('>') || t[0] == QLatin1Char('<')))
        t.remove(0, 1);
    const qsizetype at = t.indexOf(QLatin1String("AND"));
    if (at < 0) return {t.trimmed(), QString()};
    QString upper = t.mid(at + 3).trimmed();
    if (upper.startsWith(QLatin1Char('<'))) upper.remove(0, 1);
    return {t.left(at).trimmed(), upper.trimmed()};
}

// The criteria cell's editor: the row's edit template, its text kept with the template's literals
// and blanks as the template shows them.
class CriteriaDelegate : public QStyledItemDelegate {
public:
    explicit CriteriaDelegate(SearchWindow* window) : QStyledItemDelegate(window), window_(window) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("CriteriaEdit"));
        const int slot = index.row() + 1;
        const QString mask = window_->cellTemplate(slot);
        if (mask.isEmpty())
            edit->setMaxLength(fieldSlot(slot).width);
        else
            edit->setInputMask(mask);
        edit->setFrame(false);
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* edit = static_cast<QLineEdit*>(editor);
        edit->setText(index.data(Qt::EditRole).toString());
        if (!edit->inputMask().isEmpty()) {
            // The cursor goes to the first place of the value.
            QMetaObject::invokeMethod(
                edit, [edit] { edit->setCursorPosition(2); }, Qt::QueuedConnection);
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* edit = static_cast<QLineEdit*>(editor);
        model->setData(index, edit->inputMask().isEmpty() ? edit->text() : edit->displayText(), Qt::EditRole);
    }

private:
    SearchWindow* window_;
};

} // namespace

SearchWindow::SearchWindow(Session& session, SearchState& search, QWidget* parent)
    : DialogBase(session, WindowGroup::Search, parent), session_(session), search_(search) {
    setObjectName(QStringLiteral("MySearch"));
    setWindowTitle(QStringLiteral("Search"));

    grid_ = new QTableWidget(FieldCount, 3, this);
    grid_->setObjectName(QStringLiteral("SearchGrid"));
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing, F2 or a double click open a cell's editor.
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setTabKeyNavigation(true);
    grid_->setItemDelegateForColumn(CriteriaColumn, new CriteriaDelegate(this));
    grid_->setHorizontalHeaderLabels({QStringLiteral(" FIELD"), QString(), QString()});
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const int row = slot - 1;
        auto* name = new QTableWidgetItem;
        name->setFlags(Qt::ItemIsEnabled);
        grid_->setItem(row, FieldColumn, name);
        auto* button = new QTableWidgetItem;
        button->setFlags(Qt::ItemIsEnabled);
        if (rowHasPicker(slot)) {
            button->setText(QStringLiteral("..."));
            button->setTextAlignment(Qt::AlignCenter);
            button->setBackground(QColor(128, 128, 128));
            button->setForeground(Qt::white);
            button->setToolTip(QStringLiteral("Choices for this row"));
        }
        grid_->setItem(row, ButtonColumn, button);
        auto* criteria = new QTableWidgetItem;
        criteria->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        grid_->setItem(row, CriteriaColumn, criteria);
    }
    // A press and release on the same "..." cell opens the picker of its row.
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == ButtonColumn) openOptions(row + 1);
    });

    okButton_ = new QPushButton(QStringLiteral("&Ok"), this);
    exitButton_ = new QPushButton(QStringLiteral("E&xit"), this);
    clearButton_ = new QPushButton(QStringLiteral("&Clear Search"), this);
    moreButton_ = new QPushButton(QStringLiteral("&Find More"), this);
    helpButton_ = new QPushButton(QStringLiteral("&Help"), this);
    for (QPushButton* b : {okButton_, exitButton_, clearButton_, moreButton_, helpButton_})
        b->setAutoDefault(false);
    connect(okButton_, &QPushButton::clicked, this, &SearchWindow::OkButtonClick);
    connect(exitButton_, &QPushButton::clicked, this, &SearchWindow::ExitButtonClick);
    connect(clearButton_, &QPushButton::clicked, this, &SearchWindow::ClearButtonClick);
    connect(moreButton_, &QPushButton::clicked, this, &SearchWindow::MoreButtonClick);
    connect(helpButton_, &QPushButton::clicked, this, &SearchWindow::HelpButtonClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(okButton_);
    buttons->addWidget(moreButton_);
    buttons->addWidget(clearButton_);
    buttons->addStretch();
    buttons->addWidget(helpButton_);
    buttons->addWidget(exitButton_);
    auto* main = new QVBoxLayout(this);
    main->addWidget(grid_, 1);
    main->addLayout(buttons);
    resize(660, 560);
}

void SearchWindow::sizeColumns() {
    const double scale = session_.screenScale();
    grid_->setColumnWidth(FieldColumn, int(200 * scale));
    grid_->setColumnWidth(ButtonColumn, int(20 * scale));
    grid_->setColumnWidth(CriteriaColumn, int(378 * scale));
    grid_->setMinimumWidth(int(600 * scale) + 20);
}

void SearchWindow::showEvent(QShowEvent* event) {
    // Every opening starts a new search at level 1; the search in force stays until Ok succeeds.
    pending_.clear();
    level_ = 1;
    for (int slot = 1; slot <= FieldCount; ++slot)
        grid_->item(slot - 1, FieldColumn)->setText(QLatin1Char(' ') + session_.displayName(slot));
    emptyCells();
    showLevel();
    moreButton_->setEnabled(true);
    DialogBase::showEvent(event);
    sizeColumns();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->setCurrentCell(0, CriteriaColumn);
    grid_->setFocus();
}

QString SearchWindow::cellText(int slot) const {
    return grid_->item(slot - 1, CriteriaColumn)->text();
}

void SearchWindow::setCellText(int slot, const QString& text) {
    grid_->item(slot - 1, CriteriaColumn)->setText(text);
}

QString SearchWindow::cellTemplate(int slot) const {
    const RowKind kind = rowKind(slot);
    if (kind == RowKind::Text) return {};
    const RowOperator op = rowOperator(slot);
    if (kind == RowKind::Number) {
        switch (op) {
        case RowOperator::Equal:
            return QStringLiteral("= xxxxxxxxx");
        case RowOperator::Greater:
            return QStringLiteral("\\> xxxxxxxxx");
        case RowOperator::Less:
            return QStringLiteral("\\< xxxxxxxxx");
        case RowOperator::Range:
            return QStringLiteral("\\> xxxxxxxxx \\A\\N\\D \\< xxxxxxxx");
        }
    }
    const QChar sep = session_.dateFormat().separator();
    const QString date = QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("9999");
    switch (op) {
    case RowOperator::Equal:
        return QStringLiteral("= ") + date;
    case RowOperator::Greater:
        return QStringLiteral("\\> ") + date;
    case RowOperator::Less:
        return QStringLiteral("\\< ") + date;
    case RowOperator::Range:
        return QStringLiteral("\\> %1 \\A\\N\\D \\< %1").arg(date);
    }
    return {};
}

void SearchWindow::setRowOperator(int slot, RowOperator op) {
    const RowKind kind = rowKind(slot);
    if (kind == RowKind::Text) return;
    page_.op(slot) = op;
    const QString text = cellText(slot);
    if (text.trimmed().isEmpty()) return;
    // The values typed so far move into the new shape.
    auto [first, second] = cellValues(text);
    const QChar sep = session_.dateFormat().separator();
    auto shape = [&](const QString& v, int width) {
        return kind == RowKind::Date ? dateShape(v, sep) : padded(v, width);
    };
    switch (op) {
    case RowOperator::Equal:
        setCellText(slot, QStringLiteral("= ") + shape(first, 9));
        break;
    case RowOperator::Greater:
        setCellText(slot, QStringLiteral("> ") + shape(first, 9));
        break;
    case RowOperator::Less:
        setCellText(slot, QStringLiteral("< ") + shape(first, 9));
        break;
    case RowOperator::Range:
        setCellText(slot,
                    QStringLiteral("> ") + shape(first, 9) + QStringLiteral(" AND < ") + shape(second, 8));
        break;
    }
}

void SearchWindow::openOptions(int slot) {
    if (slot < 1 || slot > FieldCount) return;
    const PickerKind kind = pickerKind(slot);
    if (kind == PickerKind::None) return;
    const QStringList choices = pickerChoices(slot, session_.lists());
    const int selected = kind == PickerKind::Operators ? int(rowOperator(slot)) - 1 : -1;
    SearchOptionsPicker picker(session_, session_.displayName(slot), choices, selected, this);
    if (picker.exec() != QDialog::Accepted || picker.chosen() < 0) return;
    if (kind == PickerKind::Operators) {
        setRowOperator(slot, RowOperator(picker.chosen() + 1));
        grid_->setCurrentCell(slot - 1, CriteriaColumn);
        grid_->setFocus();
    } else {
        setCellText(slot, picker.chosenText());
        grid_->setCurrentCell(slot - 1, CriteriaColumn);
        grid_->setFocus();
    }
}

void SearchWindow::emptyCells() {
    for (int slot = 1; slot <= FieldCount; ++slot)
        setCellText(slot, QString());
}

void SearchWindow::showLevel() {
    grid_->horizontalHeaderItem(CriteriaColumn)
        ->setText(QStringLiteral(" SEARCH CRITERIA    (Level %1)").arg(level_));
}

bool SearchWindow::saveFields() {
    // An edit still open in the grid belongs to the page.
    if (QWidget* editor = grid_->indexWidget(grid_->currentIndex())) {
        QMetaObject::invokeMethod(grid_, "commitData", Q_ARG(QWidget*, editor));
        QMetaObject::invokeMethod(grid_, "closeEditor", Q_ARG(QWidget*, editor),
                                  Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    }
    for (int slot = 1; slot <= FieldCount; ++slot)
        page_.cell(slot) = cellText(slot);
    const SaveResult r = savePage(pending_, page_, session_.dateFormat());
    switch (r.status) {
    case SaveResult::Saved:
        return true;
    case SaveResult::NoCriteria:
        Prompts::instance().error(this, noCriteriaMessage());
        return false;
    case SaveResult::Invalid:
        Prompts::instance().error(this, invalidCriteriaMessage());
        grid_->setCurrentCell(r.row - 1, CriteriaColumn);
        return false;
    case SaveResult::TooMany:
        Prompts::instance().error(this, tooManyItemsMessage());
        emptyCells();
        level_ = 1;
        moreButton_->setEnabled(true);
        showLevel();
        return false;
    }
    return false;
}

void SearchWindow::clearSearch() {
    emptyCells();
    pending_.clear();
    level_ = 1;
    moreButton_->setEnabled(true);
    showLevel();
}

bool SearchWindow::doit() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool any = false;
    try {
        any = search_.start(session_.table(), pending_);
    } catch (const dbase::DbError& e) {
        QApplication::restoreOverrideCursor();
        Prompts::instance().error(this, QString::fromUtf8(e.what()));
        return false;
    }
    session_.notifyViewerOptionsChanged();
    QApplication::restoreOverrideCursor();
    return any;
}

void SearchWindow::OkButtonClick() {
    moreButton_->setEnabled(true);
    if (!saveFields()) return;
    if (doit()) {
        accept();
        return;
    }
    if (!search_.isOn()) {
        Prompts::instance().notice(this, noMatchesMessage());
        clearSearch();
    }
}

void SearchWindow::ExitButtonClick() {
    moreButton_->setEnabled(true);
    reject();
}

void SearchWindow::ClearButtonClick() {
    clearSearch();
}

void SearchWindow::MoreButtonClick() {
    if (!saveFields()) return;
    emptyCells();
    ++level_;
    showLevel();
    if (level_ > 9) moreButton_->setEnabled(false);
    grid_->setCurrentCell(0, CriteriaColumn);
    grid_->setFocus();
}

void SearchWindow::HelpButtonClick() {
    HelpWindow::showHelp(this, QStringLiteral("Search Window"));
}
