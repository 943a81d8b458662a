#include "widgets/viewergrid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"
#include "catalogue/settings.h"
#include "catalogue/viewermodel.h"
#include "dbase/table.h"
#include "widgets/dialogbase.h"
#include "widgets/prompts.h"

namespace {

QColor colorFromNumber(int n) {
    return QColor(n & 0xff, (n >> 8) & 0xff, (n >> 16) & 0xff);
}

QFont fontOf(const FontSetting& f) {
    QFont font(f.name);
    if (f.size > 0) font.setPointSize(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeout);
    return font;
}

// The data list of a field edited through a drop-down list in the grid, 0 for none.
int gridListOf(int slot) {
    const int list = DataLists::listForSlot(slot);
    return DataLists::isDatabaseList(list) ? list : 0;
}

} // namespace

// Draws the cells with the row and column lines the settings ask for, and gives each field its
// in-grid editor: a drop-down list for the list fields, a line edit for the others.
class ViewerGrid::CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(ViewerGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!grid_->rowLines_ && !grid_->columnLines_) return;
        painter->save();
        painter->setPen(QPen(grid_->palette().color(QPalette::Mid), 0));
        const QRect r = option.rect;
        if (grid_->rowLines_) painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (grid_->columnLines_) painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const int slot = ViewerModel::slotOfColumn(index.column());
        const FieldSlot& fs = fieldSlot(slot);
        if (const int list = gridListOf(slot); list && grid_->lists_) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(grid_->lists_->list(list));
            combo->setFont(grid_->gridFont_);
            combo->setMaxVisibleItems(12);
            if (fs.typeCode == TypeString) combo->lineEdit()->setMaxLength(fs.width);
            grid_->cellEditor_ = combo;
            return combo;
        }
        if (ViewerModel::isCheckSlot(slot)) {
            QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
            grid_->cellEditor_ = editor;
            return editor;
        }
        // A plain line edit: it keeps to its cell while typing (the default one grows over the
        // cells beside it).
        auto* line = new QLineEdit(parent);
        line->setFrame(false);
        line->setFont(grid_->gridFont_);
        if (fs.typeCode == TypeString) line->setMaxLength(fs.width);
        grid_->cellEditor_ = line;
        return line;
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        if (qobject_cast<QLineEdit*>(editor) || qobject_cast<QComboBox*>(editor)) {
            editor->setGeometry(option.rect);
            return;
        }
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setEditText(index.data(Qt::EditRole).toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, combo->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    ViewerGrid* grid_;
};

ViewerGrid::ViewerGrid(dbase::Table& table, QWidget* parent)
    : QTableView(parent), model_(new ViewerModel(table, this)), delegate_(new CellDelegate(this)) {
    setObjectName(QStringLiteral("ViewerGrid"));
    // The grid's fonts and colours are the viewer options, never the window's user fonts.
    look::markOwnLook(this);
    // A cell edit that moves its record re-reads the order once the cell editor has closed.
    model_->setReorderLater(true);
    setModel(model_);
    setItemDelegate(delegate_);
    setShowGrid(false); // the delegate draws the lines the settings ask for
    setWordWrap(false);
    setTabKeyNavigation(true);
    setAlternatingRowColors(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    // A title wider than its column ends in "…" (its tooltip shows it whole).
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(18);
    // Uniform row heights: no row is measured, so a million rows cost nothing.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumSectionSize(4);
    // The selection stays visible when the grid has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(model_, &ViewerModel::engineError, this, &ViewerGrid::showEngineError);
    // After the cell editor that wrote the change has closed (and the next cell's has opened).
    connect(model_, &ViewerModel::recordMoved, this, &ViewerGrid::showMovedRecord, Qt::QueuedConnection);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        syncToTable();
        emit recordsChanged();
    });
    // The count of a large catalogue ends after the first screen shows.
    connect(model_, &ViewerModel::countChanged, this, &ViewerGrid::recordsChanged);
    // Scrolled to the end of the rows known so far: the rest are needed now.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (model_->isCounting() && value >= verticalScrollBar()->maximum()) model_->finishCount();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid()) return;
        selectRow(index.row());
        emit editRequested();
    });
    syncToTable();
}

ViewerGrid::~ViewerGrid() = default;

void ViewerGrid::setDataLists(DataLists* lists) {
    lists_ = lists;
}

void ViewerGrid::setValueFormats(const ValueFormats& formats) {
    model_->setValueFormats(formats);
}

int ViewerGrid::columnWidthFor(int characters) const {
    const QFontMetrics fm(gridFont_);
    return std::max(1, characters) * fm.horizontalAdvance(QLatin1Char('0')) + 6;
}

void ViewerGrid::applyViewerOptions(const DatabaseSettings& s) {
    setUpdatesEnabled(false);

    // Grid options.
    verticalHeader()->setVisible(s.rowIndicator);
    rowLines_ = s.rowLines;
    columnLines_ = s.columnLines;
    horizontalHeader()->setVisible(s.showTitles);
    fieldEditing_ = s.fieldEditing;
    model_->setEditable(fieldEditing_);
    if (fieldEditing_) {
        setSelectionBehavior(QAbstractItemView::SelectItems);
        setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                        QAbstractItemView::SelectedClicked);
    } else {
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }

    if (currentIndex().isValid()) { // the selection takes the new behaviour at once
        QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect;
        if (!fieldEditing_) how |= QItemSelectionModel::Rows;
        selectionModel()->select(currentIndex(), how);
    }

    // Fonts and colours.
    gridFont_ = fontOf(s.gridFont);
    setFont(gridFont_);
    QPalette p = palette();
    p.setColor(QPalette::Base, colorFromNumber(s.cellColor));
    p.setColor(QPalette::Text, colorFromNumber(s.gridFont.color));
    setPalette(p);
    const QFont titleFont = fontOf(s.gridTitleFont);
    horizontalHeader()->setFont(titleFont);
    const Qt::Alignment align = s.titleAlignment == 1   ? Qt::AlignLeft
                                : s.titleAlignment == 3 ? Qt::AlignRight
                                                        : Qt::AlignHCenter;
    horizontalHeader()->setDefaultAlignment(align | Qt::AlignVCenter);
    const QColor titleBack = colorFromNumber(s.titleBackground);
    const QColor titleText = colorFromNumber(s.gridTitleFont.color);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; color: %2; padding: 2px;"
                       " border: 0px; border-right: 1px solid %3; border-bottom: 1px solid %3; }")
            .arg(titleBack.name(), titleText.name(), titleBack.darker(150).name()));
    verticalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; color: %2; border: 0px;"
                       " border-right: 1px solid %3; border-bottom: 1px solid %3; }")
            .arg(titleBack.name(), titleText.name(), titleBack.darker(150).name()));
    verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont_).height() + 6);

    // Columns in display order.
    model_->setDisplayNames(s.fieldNames);
    QHeaderView* header = horizontalHeader();
    int nextColumn = 0;
    for (int p = 1; p <= FieldCount; ++p) {
        int slot = 1;
        for (int k = 1; k <= FieldCount; ++k)
            if (s.fieldOrder[size_t(k - 1)] == p) {
                slot = k;
                break;
            }
        const int logical = ViewerModel::columnOfSlot(slot);
        if (!s.displayFields[size_t(slot - 1)]) {
            setColumnHidden(logical, true);
            continue;
        }
        setColumnHidden(logical, false);
        const int from = header->visualIndex(logical);
        if (from != nextColumn) header->moveSection(from, nextColumn);
        ++nextColumn;
        setColumnWidth(logical, columnWidthFor(s.fieldWidth[size_t(slot - 1)]));
    }

    // Repaint once with everything in place.
    setUpdatesEnabled(true);
    viewport()->update();
}

void ViewerGrid::reload() {
    model_->reload();
}

int ViewerGrid::currentRecordRow() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void ViewerGrid::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    int column = currentIndex().isValid() ? currentIndex().column() : -1;
    if (column < 0 || isColumnHidden(column)) {
        column = horizontalHeader()->logicalIndexAt(0);
        if (column < 0) column = 0;
        for (int v = 0; v < model_->columnCount(); ++v) {
            const int logical = horizontalHeader()->logicalIndex(v);
            if (!isColumnHidden(logical)) {
                column = logical;
                break;
            }
        }
    }
    setCurrentIndex(model_->index(row, column));
}

void ViewerGrid::syncToTable() {
    if (model_->rowCount() == 0) {
        model_->setIndicatorRow(-1);
        emit currentRecordChanged();
        return;
    }
    int row = model_->currentRow();
    if (row < 0 && model_->isCounting() && model_->table().recNo() != 0) {
        // The current record lies beyond the rows known so far.
        model_->finishCount();
        row = model_->currentRow();
    }
    if (row < 0) row = 0;
    selectRow(row);
    model_->setIndicatorRow(currentRecordRow());
    if (currentIndex().isValid()) scrollTo(currentIndex());
}

void ViewerGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // The row's record (rows shift when records go), not only a changed row number.
    if (current.isValid() && model_->recnoAt(current.row()) != model_->table().recNo())
        model_->gotoRow(current.row());
    model_->setIndicatorRow(current.isValid() ? current.row() : -1);
    if (!previous.isValid() || current.row() != previous.row()) emit currentRecordChanged();
}

bool ViewerGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool started = QTableView::edit(index, trigger, event);
    if (started && cellEditor_) emit editStateChanged(true);
    return started;
}

void ViewerGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool ours = editor && editor == cellEditor_;
    if (ours) cellEditor_ = nullptr;
    // Tab and Backtab open the next cell's editor in here: editing goes on.
    QTableView::closeEditor(editor, hint);
    if (ours && !cellEditor_) emit editStateChanged(false);
}

void ViewerGrid::postEdit() {
    if (QWidget* editor = cellEditor_) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void ViewerGrid::cancelEdit() {
    if (QWidget* editor = cellEditor_) closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

QModelIndex ViewerGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Moving past the rows known so far waits for the rest of the count.
    if (model_->isCounting()) {
        const int row = currentRecordRow();
        const int page = std::max(1, viewport()->height() / std::max(1, rowHeight(std::max(0, row))));
        const bool pastKnown =
            action == MoveEnd ||
            ((action == MoveDown || action == MoveNext) && row + 1 >= model_->rowCount()) ||
            (action == MovePageDown && row + page >= model_->rowCount());
        if (pastKnown) ensureAllRows();
    }
    return QTableView::moveCursor(action, modifiers);
}

void ViewerGrid::ensureAllRows() {
    model_->finishCount();
}

void ViewerGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier) && fieldEditing_ &&
        state() != QAbstractItemView::EditingState) {
        deleteCurrent();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool ViewerGrid::deleteCurrent() {
    const int row = currentRecordRow();
    if (row < 0) return false;
    Prompts& prompts = Prompts::instance();
    prompts.beep();
    if (!prompts.confirm(window(), QStringLiteral("Delete this record?"))) return false;
    if (!model_->deleteRow(row)) return false;
    if (model_->rowCount() > 0) {
        // The row that takes the deleted one's place (or the new last row) becomes current: the
        // table's current record, the selection and the indicator all move to it.
        const int next = std::min(row, model_->rowCount() - 1);
        selectRow(next);
        model_->gotoRow(next);
        model_->setIndicatorRow(next);
        selectionModel()->select(currentIndex(), fieldEditing_ ? QItemSelectionModel::ClearAndSelect
                                                               : QItemSelectionModel::ClearAndSelect |
                                                                     QItemSelectionModel::Rows);
    } else {
        setCurrentIndex(QModelIndex());
        model_->setIndicatorRow(-1);
    }
    emit currentRecordChanged();
    emit recordsChanged();
    return true;
}

void ViewerGrid::showMovedRecord(quint32 recno) {
    // The editor Tab opened on the next cell goes first: re-reading the order closes it, and the
    // focus coming back to the grid would then make the first row current.
    const int column = currentIndex().isValid() ? currentIndex().column() : -1;
    const bool editing = cellEditor_ != nullptr;
    if (QWidget* editor = cellEditor_) {
        commitData(editor); // writes nothing unless something was typed
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    model_->reloadAt(recno);
    // The edited record in its new place, on the cell the user went to.
    const int row = model_->rowOfRecno(recno);
    if (row < 0 || column < 0 || isColumnHidden(column)) return;
    setCurrentIndex(model_->index(row, column));
    if (editing) edit(currentIndex());
}

void ViewerGrid::showEngineError(const QString& message) {
    Prompts::instance().error(window(), message);
    emit engineError(message);
}
