#pragma once
// ViewerGrid: the main window's grid over the main table (through ViewerModel).
//
// applyViewerOptions applies the viewer settings of the open catalogue: row indicator, row and
// column lines, the title row, in-grid field editing (off: whole rows are selected and nothing is
// edited), the grid and title fonts and colours, the title alignment, and the columns: which
// fields show, in which order, under which display names and how many characters wide.
// With field editing on, the list fields are edited through drop-down lists fed by the data
// lists, CheckOut and Viewed through check boxes ("Yes"/"No"), the other fields as text.
// The grid's current row is the table's current record.
#include <QPointer>
#include <QTableView>

#include "base/regional.h"
#include "catalogue/fieldvalue.h"

#include "catalogue/datalists.h"
class ViewerModel;
struct DatabaseSettings;
namespace dbase {
class Table;
}

class ViewerGrid : public QTableView {
    Q_OBJECT
public:
    explicit ViewerGrid(dbase::Table& table, QWidget* parent = nullptr);
    ~ViewerGrid() override;

    ViewerModel* viewerModel() const { return model_; }

    // The data lists feeding the drop-down lists (may be null: plain text editing).
    void setDataLists(DataLists* lists);
    DataLists* dataLists() const { return lists_; }
    void setValueFormats(const ValueFormats& formats);

    // Re-applies the viewer settings to the grid.
    void applyViewerOptions(const DatabaseSettings& settings);

    // Pixel width of a column of the given number of characters in the grid font.
    int columnWidthFor(int characters) const;

    // Asks "Delete this record?" (caption "Confirm", Yes/No, No the default) and on Yes deletes
    // the current record. Returns true when a record was deleted.
    bool deleteCurrent();

    // Re-reads the records (order, filter or records changed) and keeps the current record.
    void reload();
    // Selects the row of the table's current record (another window moved it).
    void syncToTable();
    // The row of the current record, -1 when none.
    int currentRecordRow() const;
    // Makes a row current (and its record the table's current record).
    void selectRow(int row);
    // Waits for the count of a large catalogue when it still runs (every row is then known).
    void ensureAllRows();

    // A cell being edited (field editing on): its value is written by postEdit, dropped by
    // cancelEdit; editStateChanged tells when a cell editor opens and closes.
    bool isEditingCell() const { return cellEditor_ != nullptr; }
    using QTableView::edit; // edit(index) opens a cell's editor
    void postEdit();
    void cancelEdit();

signals:
    // Double-click on a record: the record editor should open on it (already current).
    void editRequested();
    // The current record changed (navigation, reload, delete).
    void currentRecordChanged();
    // The record count may have changed.
    void recordsChanged();
    // An engine failure while reading, editing or deleting; the grid has already told the user.
    void engineError(const QString& message);
    void editStateChanged(bool editing);

protected:
    // Ctrl+Delete deletes the current record (with the question) while field editing is on.
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void showEngineError(const QString& message);
    // A cell edit moved its record: the order is read again with that record current.
    void showMovedRecord(quint32 recno);
    void installDelegates();

    ViewerModel* model_;
    QPointer<DataLists> lists_;
    QFont gridFont_;
    bool fieldEditing_ = false;
    QPointer<QWidget> cellEditor_; // the open cell editor, if any
    bool rowLines_ = true;
    bool columnLines_ = true;
    class CellDelegate;
    CellDelegate* delegate_;
};
