#pragma once
// The records of the main table as a table model for the viewer grid.
//
// Rows are the records the table's cursor can visit (live records passing the record filter) in
// the active order, kept as their physical record numbers; the forty columns are the catalogue
// fields in slot order (the grid chooses which it shows and where). Record values are read only
// when a row is shown, a block of rows at a time into a small cache, so a catalogue of a million
// records opens and scrolls at once. Reading never moves the table's current record.
//
// The exact order of a large catalogue (every live record, in index order) takes a full pass
// over the file. So that the first screen shows at once, reload() reads the first FirstRows
// rows through the table's cursor and leaves the rest to a worker thread with its own
// read-only view of the file (it touches neither the model nor the table object); the rows
// after the first ones are inserted when it is done, and countChanged() tells the count label.
// While counting, isCounting() is true and rowCount() gives only the rows known so far;
// finishCount() waits for the rest (the grid does when the user moves past the known rows, and
// the table must not be closed or taken exclusively while a count runs). Small tables, tables
// with a record filter, tables open exclusively and a table with a record being edited are
// counted at once, as before.
//
// Dates show in the current date format, the prices in the money format; CheckOut and Viewed are
// check boxes ("Yes"/"No").
// setData writes one field through the table (edit, set, post) after the typed text has passed
// the rules of fieldvalue.h; a value the field cannot take or an engine failure leaves the record
// as it was and is reported through engineError.
#include <QAbstractTableModel>
#include <QStringList>
#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/regional.h"
#include "catalogue/fieldslots.h"
#include "catalogue/fieldvalue.h"

namespace dbase {
class Table;
}

class ViewerModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int BlockRows = 64;            // rows read together
    static constexpr int CachedBlocks = 32;         // blocks kept
    static constexpr int FirstRows = 4 * BlockRows; // rows read before the rest is counted
    // Tables with fewer physical records than this are counted at once.
    static constexpr uint32_t DefaultBackgroundFrom = 50000;

    explicit ViewerModel(dbase::Table& table, QObject* parent = nullptr);
    ~ViewerModel() override;

    dbase::Table& table() const { return table_; }

    // Column titles (field display names, slot order).
    void setDisplayNames(const std::array<QString, FieldCount>& names);
    QString displayName(int slot) const { return names_[size_t(slot - 1)]; }
    // The date and currency formats values are shown and typed in (prices show grouped with the
    // currency digits and are edited as a plain number).
    void setValueFormats(const ValueFormats& formats);
    // With editing off no cell is editable (flags) and setData refuses.
    void setEditable(bool on);
    bool isEditable() const { return editable_; }
    // When on, a change that moves a record in the order leaves the order as it is and emits
    // recordMoved (an item view's editor is still closing while setData runs: the view re-reads
    // the order once it is done, with reloadAt); when off (the default) the order is re-read at
    // once.
    void setReorderLater(bool on) { reorderLater_ = on; }
    // Makes a record the table's current record and re-reads the order (a view shows that record
    // current in its new place).
    void reloadAt(uint32_t recno);
    // The row shown with the row indicator in the vertical header (-1 none).
    void setIndicatorRow(int row);

    // Tables of at least this many physical records are counted in the background.
    void setBackgroundCountFrom(uint32_t records) { backgroundFrom_ = records; }
    // True while the rows after the first ones are still being counted.
    bool isCounting() const { return counting_; }
    // Waits for a running count and takes its rows (no-op when none runs).
    void finishCount();

    // Column of a slot and back (column = slot - 1).
    static int columnOfSlot(int slot) { return slot - 1; }
    static int slotOfColumn(int column) { return column + 1; }
    // CheckOut and Viewed.
    static bool isCheckSlot(int slot) { return slot == Slot::CheckOut || slot == Slot::Viewed; }

    // Record number of a row (0 when out of range) and the row of a record (-1 when not shown).
    uint32_t recnoAt(int row) const;
    int rowOfRecno(uint32_t recno) const;
    // Makes the row's record the table's current record. False when it is gone.
    bool gotoRow(int row);
    // The row of the table's current record (-1 when none or not shown).
    int currentRow() const;

    // Deletes the record of a row through the table; the row goes. False (with engineError) on failure.
    bool deleteRow(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The text of a field of a row as stored (dates "YYYYMMDD"); "" when unreadable.
    QString rawText(int row, int slot) const;

public slots:
    // Re-reads the record order and drops the cache (order, filter or records changed).
    void reload();
    // Drops the cached values only (the display format changed, a record was changed elsewhere).
    void refreshValues();

signals:
    // An engine failure or a value the field cannot take; the text is for the user.
    void engineError(const QString& message);
    // A background count started or ended (rowCount() is exact again when isCounting() is false).
    void countChanged();
    // A cell change moved its record in the order (or out of the rows shown); the order has not
    // been read again yet (reorder later only).
    void recordMoved(quint32 recno);

private:
    struct CountJob;
    struct Block {
        std::vector<std::array<QString, FieldCount>> rows;
        std::list<int>::iterator lru;
    };
    const std::array<QString, FieldCount>* rowValues(int row) const;
    void mapFields();
    QString displayText(int slot, const QString& raw) const;
    bool writeField(int row, int slot, const QString& text);
    // After a post: true when the record keeps its row (still shown, order unaffected).
    bool stillInPlace(uint32_t recno, const char* fieldName);
    bool countsInBackground() const;
    std::vector<uint32_t> firstRecnos();
    void startCountJob();
    void collectCountJob();
    void takeCount(std::vector<uint32_t> all);

    dbase::Table& table_;
    std::vector<uint32_t> recnos_;
    std::array<int, FieldCount> fieldIndex_{}; // table field of each slot, -1 when missing
    std::array<QString, FieldCount> names_;
    QString editText(int slot, const QString& raw) const;

    ValueFormats formats_;
    bool editable_ = false;
    bool reorderLater_ = false;
    int indicatorRow_ = -1;
    mutable std::unordered_map<int, Block> blocks_; // by block number
    mutable std::list<int> lru_;                    // most recent first
    uint32_t backgroundFrom_ = DefaultBackgroundFrom;
    bool counting_ = false;
    uint64_t generation_ = 0;       // advanced by every reload
    std::unique_ptr<CountJob> job_; // the running (or finished, uncollected) count
    std::vector<uint32_t> deletedWhileCounting_;
};
