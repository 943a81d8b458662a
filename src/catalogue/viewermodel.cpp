#include "catalogue/viewermodel.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>

#include "dbase/table.h"

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool isYes(const QString& text) {
    return text.trimmed().compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0;
}

// Puts the table's cursor back on a record when the scope ends (reading moves it).
class CursorKeeper {
public:
    explicit CursorKeeper(dbase::Table& t) : table_(t), recno_(t.recNo()) {}
    ~CursorKeeper() {
        if (recno_ != 0 && table_.recNo() != recno_) {
            try {
                table_.gotoBookmark(recno_);
            } catch (const std::exception&) {
            }
        }
    }

private:
    dbase::Table& table_;
    uint32_t recno_;
};

} // namespace

// One count in the background: the worker fills recnos (or sets failed) and then done.
struct ViewerModel::CountJob {
    uint64_t generation = 0;
    std::thread thread;
    std::atomic<bool> done{false};
    bool failed = false;
    std::vector<uint32_t> recnos;
};

ViewerModel::ViewerModel(dbase::Table& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {
    for (int slot = 1; slot <= FieldCount; ++slot)
        names_[size_t(slot - 1)] = defaultTitle(slot);
    fieldIndex_.fill(-1);
    reload();
}

ViewerModel::~ViewerModel() {
    if (job_ && job_->thread.joinable()) job_->thread.join();
}

void ViewerModel::setDisplayNames(const std::array<QString, FieldCount>& names) {
    names_ = names;
    emit headerDataChanged(Qt::Horizontal, 0, FieldCount - 1);
}

void ViewerModel::setValueFormats(const ValueFormats& formats) {
    formats_ = formats;
    refreshValues();
}

void ViewerModel::setEditable(bool on) {
    if (editable_ == on) return;
    editable_ = on;
    if (!recnos_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, FieldCount - 1));
}

void ViewerModel::setIndicatorRow(int row) {
    if (row == indicatorRow_) return;
    const int old = indicatorRow_;
    indicatorRow_ = row;
    if (old >= 0 && old < rowCount()) emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < rowCount()) emit headerDataChanged(Qt::Vertical, row, row);
}

void ViewerModel::mapFields() {
    fieldIndex_.fill(-1);
    if (!table_.isOpen()) return;
    for (int slot = 1; slot <= FieldCount; ++slot)
        fieldIndex_[size_t(slot - 1)] = table_.fieldIndex(fieldSlot(slot).name);
}

void ViewerModel::reload() {
    const bool wasCounting = counting_;
    beginResetModel();
    blocks_.clear();
    lru_.clear();
    recnos_.clear();
    ++generation_;
    counting_ = false;
    deletedWhileCounting_.clear();
    try {
        mapFields();
        if (table_.isOpen()) {
            if (countsInBackground()) {
                recnos_ = firstRecnos();
                counting_ = recnos_.size() > size_t(FirstRows);
                if (counting_) recnos_.pop_back(); // it only told that more records follow
            } else {
                recnos_ = table_.orderedRecnos();
            }
        }
    } catch (const std::exception& e) {
        recnos_.clear();
        counting_ = false;
        endResetModel();
        emit engineError(QString::fromUtf8(e.what()));
        if (wasCounting) emit countChanged();
        return;
    }
    indicatorRow_ = -1; // rows are new: the grid marks the current record's row again
    endResetModel();
    if (counting_) startCountJob();
    if (counting_ || wasCounting) emit countChanged();
}

bool ViewerModel::countsInBackground() const {
    if (!table_.isOpen() || table_.isEditing() || table_.hasFilter()) return false;
    // The worker opens the file a second time, which an exclusive holder does not allow.
    if (table_.mode() != dbase::OpenMode::Shared) return false;
    return table_.info().physicalCount >= backgroundFrom_;
}

// The first FirstRows + 1 records of the order through the table's cursor (a few reads at the
// start of the file or of the index); the table's current record stays where it was.
std::vector<uint32_t> ViewerModel::firstRecnos() {
    std::vector<uint32_t> out;
    out.reserve(size_t(FirstRows) + 1);
    CursorKeeper keep(table_);
    for (bool more = table_.first(); more && out.size() <= size_t(FirstRows); more = table_.next())
        out.push_back(table_.recNo());
    return out;
}

void ViewerModel::startCountJob() {
    if (job_) {
        // A count of an older reload still runs: when it ends, collectCountJob starts this one.
        if (!job_->done.load()) return;
        if (job_->thread.joinable()) job_->thread.join();
        job_.reset();
    }
    auto job = std::make_unique<CountJob>();
    job->generation = generation_;
    CountJob* const j = job.get();
    const std::string path = table_.path();
    const std::string index = table_.activeIndex();
    try {
        job->thread = std::thread([this, j, path, index] {
            try {
                dbase::Table view;
                view.open(path, dbase::OpenMode::Shared, true);
                view.setActiveIndex(index);
                if (view.activeIndex() == index)
                    j->recnos = view.orderedRecnos();
                else
                    j->failed = true; // the index cannot be used: count on the table itself
            } catch (const std::exception&) {
                j->failed = true;
            }
            j->done.store(true);
            QMetaObject::invokeMethod(
                this, [this] { collectCountJob(); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        j->failed = true;
        j->done.store(true);
    }
    job_ = std::move(job);
    if (j->failed) collectCountJob();
}

void ViewerModel::collectCountJob() {
    if (!job_ || !job_->done.load()) return;
    if (job_->thread.joinable()) job_->thread.join();
    const std::unique_ptr<CountJob> job = std::move(job_);
    if (!counting_) return;
    if (job->generation != generation_) { // counted before the last reload: count again
        startCountJob();
        return;
    }
    if (!job->failed) {
        takeCount(std::move(job->recnos));
        return;
    }
    std::vector<uint32_t> all;
    try {
        if (table_.isOpen()) all = table_.orderedRecnos();
    } catch (const std::exception& e) {
        counting_ = false;
        emit engineError(QString::fromUtf8(e.what()));
        emit countChanged();
        return;
    }
    takeCount(std::move(all));
}

void ViewerModel::finishCount() {
    while (counting_) {
        if (!job_) startCountJob();
        if (job_ && job_->thread.joinable()) job_->thread.join();
        collectCountJob();
    }
}

// The whole order is known: the rows after the first ones are added (or, when the first rows
// are no longer the start of the order, every row is replaced).
void ViewerModel::takeCount(std::vector<uint32_t> all) {
    if (!deletedWhileCounting_.empty()) {
        std::erase_if(all, [this](uint32_t r) {
            return std::find(deletedWhileCounting_.begin(), deletedWhileCounting_.end(), r) !=
                   deletedWhileCounting_.end();
        });
        deletedWhileCounting_.clear();
    }
    counting_ = false;
    if (all.size() >= recnos_.size() && std::equal(recnos_.begin(), recnos_.end(), all.begin())) {
        if (all.size() > recnos_.size()) {
            beginInsertRows(QModelIndex(), int(recnos_.size()), int(all.size()) - 1);
            recnos_ = std::move(all);
            endInsertRows();
        }
    } else {
        beginResetModel();
        blocks_.clear();
        lru_.clear();
        recnos_ = std::move(all);
        if (indicatorRow_ >= int(recnos_.size())) indicatorRow_ = -1;
        endResetModel();
    }
    emit countChanged();
}

void ViewerModel::refreshValues() {
    blocks_.clear();
    lru_.clear();
    if (!recnos_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, FieldCount - 1));
}

uint32_t ViewerModel::recnoAt(int row) const {
    return row >= 0 && size_t(row) < recnos_.size() ? recnos_[size_t(row)] : 0;
}

int ViewerModel::rowOfRecno(uint32_t recno) const {
    if (recno == 0) return -1;
    for (size_t i = 0; i < recnos_.size(); ++i)
        if (recnos_[i] == recno) return int(i);
    return -1;
}

bool ViewerModel::gotoRow(int row) {
    const uint32_t recno = recnoAt(row);
    if (recno == 0 || !table_.isOpen()) return false;
    if (table_.recNo() == recno) return true;
    try {
        return table_.gotoBookmark(recno);
    } catch (const std::exception& e) {
        emit engineError(QString::fromUtf8(e.what()));
        return false;
    }
}

int ViewerModel::currentRow() const {
    return table_.isOpen() ? rowOfRecno(table_.recNo()) : -1;
}

const std::array<QString, FieldCount>* ViewerModel::rowValues(int row) const {
    if (row < 0 || size_t(row) >= recnos_.size()) return nullptr;
    const int blockNo = row / BlockRows;
    auto it = blocks_.find(blockNo);
    if (it != blocks_.end()) {
        lru_.splice(lru_.begin(), lru_, it->second.lru);
        const auto& rows = it->second.rows;
        const size_t offset = size_t(row - blockNo * BlockRows);
        return offset < rows.size() ? &rows[offset] : nullptr;
    }
    // While a record is being edited the cursor must stay where it is: nothing new is read.
    if (!table_.isOpen() || table_.isEditing()) return nullptr;

    Block block;
    const int first = blockNo * BlockRows;
    const int last = std::min(int(recnos_.size()), first + BlockRows);
    block.rows.resize(size_t(last - first));
    try {
        CursorKeeper keep(table_);
        for (int r = first; r < last; ++r) {
            auto& values = block.rows[size_t(r - first)];
            if (!table_.gotoBookmark(recnos_[size_t(r)])) continue; // deleted or filtered since
            for (int slot = 1; slot <= FieldCount; ++slot) {
                const int field = fieldIndex_[size_t(slot - 1)];
                if (field >= 0) values[size_t(slot - 1)] = fromUtf8(table_.getText(field));
            }
        }
    } catch (const std::exception&) {
        // A record that cannot be read shows empty; the error surfaces when it is edited.
    }
    while (int(lru_.size()) >= CachedBlocks) {
        blocks_.erase(lru_.back());
        lru_.pop_back();
    }
    lru_.push_front(blockNo);
    block.lru = lru_.begin();
    auto& stored = blocks_[blockNo] = std::move(block);
    const size_t offset = size_t(row - first);
    return offset < stored.rows.size() ? &stored.rows[offset] : nullptr;
}

QString ViewerModel::rawText(int row, int slot) const {
    if (slot < 1 || slot > FieldCount) return {};
    const auto* values = rowValues(row);
    return values ? (*values)[size_t(slot - 1)] : QString();
}

QString ViewerModel::displayText(int slot, const QString& raw) const {
    const int type = fieldSlot(slot).typeCode;
    if (type == TypeDate) return raw.isEmpty() ? QString() : formats_.dates.format(raw);
    if (type == TypeFloat) {
        const auto value = parseDecimal(raw.trimmed());
        return value ? money(0, *value, formats_.currencyFormat, formats_.regional).trimmed() : raw.trimmed();
    }
    return raw;
}

QString ViewerModel::editText(int slot, const QString& raw) const {
    if (fieldSlot(slot).typeCode == TypeFloat) {
        // A plain number with the decimal separator the typed money is read with, so that a
        // cell committed unchanged reads back as the same amount.
        const auto value = parseDecimal(raw.trimmed());
        if (!value) return raw.trimmed();
        QString text = fixedPoint(*value, 2);
        if (formats_.currencyFormat == SystemFormat)
            text.replace(QLatin1Char('.'), formats_.regional.sDecimal);
        return text;
    }
    return displayText(slot, raw);
}

int ViewerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(recnos_.size());
}

int ViewerModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FieldCount;
}

QVariant ViewerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= FieldCount) return {};
    const int slot = slotOfColumn(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        const QString raw = rawText(index.row(), slot);
        if (isCheckSlot(slot)) {
            // The check box says Yes or No; any other stored text is shown beside it.
            const QString t = raw.trimmed();
            if (t.isEmpty() || isYes(t) || t.compare(QLatin1String("NO"), Qt::CaseInsensitive) == 0)
                return {};
            return raw;
        }
        return displayText(slot, raw);
    }
    case Qt::EditRole: {
        const QString raw = rawText(index.row(), slot);
        if (isCheckSlot(slot)) return isYes(raw);
        return editText(slot, raw);
    }
    case Qt::CheckStateRole:
        if (isCheckSlot(slot)) return isYes(rawText(index.row(), slot)) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole: {
        const int type = fieldSlot(slot).typeCode;
        if (type == TypeInteger || type == TypeFloat) return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant ViewerModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= FieldCount) return {};
        if (role == Qt::DisplayRole) return names_[size_t(section)];
        if (role == Qt::ToolTipRole) return names_[size_t(section)]; // the whole title
        return {};
    }
    if (section < 0 || section >= rowCount()) return {};
    if (role == Qt::DisplayRole) return section == indicatorRow_ ? QStringLiteral("\u25B6") : QString();
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags ViewerModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const int slot = slotOfColumn(index.column());
    if (editable_ && fieldIndex_[size_t(slot - 1)] >= 0) {
        f |= isCheckSlot(slot) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    }
    return f;
}

bool ViewerModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || !index.isValid() || index.row() >= rowCount()) return false;
    const int slot = slotOfColumn(index.column());
    QString text;
    if (isCheckSlot(slot)) {
        if (role == Qt::CheckStateRole)
            text = value.toInt() == Qt::Checked ? QStringLiteral("Yes") : QStringLiteral("No");
        else if (role == Qt::EditRole)
            text = value.typeId() == QMetaType::Bool
                       ? (value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No"))
                       : value.toString();
        else
            return false;
    } else {
        if (role != Qt::EditRole) return false;
        text = value.toString();
    }
    return writeField(index.row(), slot, text);
}

bool ViewerModel::writeField(int row, int slot, const QString& typed) {
    const int field = fieldIndex_[size_t(slot - 1)];
    const uint32_t recno = recnoAt(row);
    if (field < 0 || recno == 0) return false;
    const FieldSlot& fs = fieldSlot(slot);

    // A date committed as it was shown is no change, whatever century its two-digit year would
    // be read in.
    const QString raw = rawText(row, slot);
    if (fs.typeCode == TypeDate && typed.trimmed() == displayText(slot, raw).trimmed()) return true;

    // The value to store, or a message when the field cannot take it.
    const QString name = names_[size_t(slot - 1)];
    FieldValue value = readFieldValue(slot, typed, formats_, name);
    if (value.ok()) {
        const dbase::FieldDef& def = table_.field(field);
        checkFitsField(value, slot, def.width, def.decimals, name);
    }
    if (!value.ok()) {
        emit engineError(value.message);
        return false;
    }
    const QString& stored = value.stored;
    if (fs.typeCode == TypeInteger || fs.typeCode == TypeFloat) {
        const std::optional<double> now = parseDecimal(raw);
        if (value.blank ? raw.trimmed().isEmpty() || (fs.typeCode == TypeFloat && now == 0.0)
                        : now == value.number)
            return true; // nothing changed: nothing written
    } else if (stored == raw) {
        return true;
    }

    try {
        if (!table_.gotoBookmark(recno)) {
            emit engineError(QStringLiteral("The record is no longer in the table."));
            reload();
            return false;
        }
        table_.edit();
        try {
            if (fs.typeCode == TypeFloat)
                table_.setNumber(field, value.number);
            else
                table_.setText(field, stored.toStdString());
            table_.post();
        } catch (...) {
            if (table_.isEditing()) table_.cancel();
            throw;
        }
    } catch (const std::exception& e) {
        emit engineError(QString::fromUtf8(e.what()));
        refreshValues();
        return false;
    }

    // The change may move the record in the order (or out of the search result): only then is
    // the order read again, which for a large catalogue takes a while.
    if (!stillInPlace(recno, fs.name)) {
        if (!reorderLater_) {
            reload();
            return true;
        }
        blocks_.erase(row / BlockRows);
        lru_.remove(row / BlockRows);
        emit dataChanged(index(row, 0), index(row, FieldCount - 1));
        emit recordMoved(recno);
    } else {
        blocks_.erase(row / BlockRows);
        lru_.remove(row / BlockRows);
        emit dataChanged(index(row, 0), index(row, FieldCount - 1));
    }
    return true;
}

void ViewerModel::reloadAt(uint32_t recno) {
    try {
        if (table_.isOpen() && !table_.isEditing()) table_.gotoBookmark(recno);
    } catch (const std::exception&) {
        // Gone or unreadable: the order is read all the same and the grid picks a row.
    }
    reload();
}

bool ViewerModel::stillInPlace(uint32_t recno, const char* fieldName) {
    try {
        if (!table_.gotoBookmark(recno)) return false; // the record filter refuses it now
        const std::string active = table_.activeIndex();
        if (active.empty()) return true;
        const QString name = QString::fromLatin1(fieldName);
        for (const dbase::TagInfo& tag : table_.tags()) {
            if (QString::fromStdString(tag.name).compare(QString::fromStdString(active),
                                                         Qt::CaseInsensitive) != 0)
                continue;
            // Does the expression use the field? (A word of the expression equal to its name.)
            const QString expression = QString::fromStdString(tag.expression);
            static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
            for (auto it = word.globalMatch(expression); it.hasNext();)
                if (it.next().captured().compare(name, Qt::CaseInsensitive) == 0) return false;
            return true;
        }
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

bool ViewerModel::deleteRow(int row) {
    const uint32_t recno = recnoAt(row);
    if (recno == 0) return false;
    try {
        if (!table_.gotoBookmark(recno)) {
            reload();
            return false;
        }
        table_.deleteRecord();
    } catch (const std::exception& e) {
        emit engineError(QString::fromUtf8(e.what()));
        return false;
    }
    // The indicator stays on its record: rows below the removed one move up; the removed row's
    // mark goes until the grid makes another row current.
    if (indicatorRow_ == row)
        indicatorRow_ = -1;
    else if (indicatorRow_ > row)
        --indicatorRow_;
    // A count running now may or may not have seen the deletion: its result leaves the record out.
    if (counting_) deletedWhileCounting_.push_back(recno);
    beginRemoveRows(QModelIndex(), row, row);
    recnos_.erase(recnos_.begin() + row);
    blocks_.clear();
    lru_.clear();
    endRemoveRows();
    return true;
}
