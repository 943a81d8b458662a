#include "catalogue/recordwriter.h"

#include "catalogue/datalists.h"
#include "dbase/error.h"
#include "dbase/table.h"

#include <string>

namespace {

// Fields written as text, in the order they are set.
constexpr std::array<int, 34> TextWriteOrder{
    Slot::Title,          Slot::Star1,       Slot::Star2,           Slot::Star3,       Slot::Star4,
    Slot::Star5,          Slot::Star6,       Slot::Producer,        Slot::Director,    Slot::ReleasedBy,
    Slot::Year,           Slot::RunTime,     Slot::Rating,          Slot::Category,    Slot::Picture,
    Slot::Sound,          Slot::Format,      Slot::PersonalRating,  Slot::MediaNumber, Slot::RecordingSpeed,
    Slot::CounterStart,   Slot::CounterStop, Slot::Description,     Slot::Content,     Slot::Miscellaneous,
    Slot::KeyWords,       Slot::LaserFormat, Slot::OscarNomination, Slot::OscarAward,  Slot::CheckName,
    Slot::WherePurchased, Slot::Writers,     Slot::UserDefined1,    Slot::UserDefined2};

// The six fields the editor checks with its own messages, in its order.
constexpr std::array<int, 6> EditorChecks{Slot::CheckDate,     Slot::PurchaseDate, Slot::ListPrice,
                                          Slot::PurchasePrice, Slot::RunTime,      Slot::Year};

std::array<int, FieldCount> makeCheckOrder() {
    std::array<int, FieldCount> order{};
    size_t n = 0;
    for (int slot : EditorChecks)
        order[n++] = slot;
    for (int slot : TextWriteOrder)
        if (slot != Slot::Year && slot != Slot::RunTime) order[n++] = slot;
    order[n++] = Slot::CheckOut;
    order[n++] = Slot::Viewed;
    return order;
}

} // namespace

RecordWriter::RecordWriter(dbase::Table& table, DataLists* lists, const ValueFormats& formats,
                           const std::array<QString, FieldCount>& names)
    : table_(table), lists_(lists), formats_(formats), names_(names) {
    // Every message names its field: the default titles are filled in once, not per value read.
    for (int slot = 1; slot <= FieldCount; ++slot)
        if (names_[size_t(slot - 1)].isEmpty()) names_[size_t(slot - 1)] = defaultTitle(slot);
}

const std::array<int, FieldCount>& RecordWriter::checkOrder() {
    static const std::array<int, FieldCount> order = makeCheckOrder();
    return order;
}

const std::array<int, 20>& RecordWriter::listOrder() {
    static constexpr std::array<int, 20> order{
        Slot::Producer,       Slot::Director,       Slot::Star1,   Slot::Star2,      Slot::Star3,
        Slot::Star4,          Slot::Star5,          Slot::Star6,   Slot::ReleasedBy, Slot::Rating,
        Slot::Category,       Slot::Picture,        Slot::Sound,   Slot::Format,     Slot::LaserFormat,
        Slot::PersonalRating, Slot::RecordingSpeed, Slot::Content, Slot::CheckName,  Slot::WherePurchased};
    return order;
}

const QString& RecordWriter::fieldName(int slot) const {
    return names_[size_t(slot - 1)];
}

QString RecordWriter::noRecordMessage() {
    return QStringLiteral("There is no current record to update.  Use Add to enter a new video.");
}

void RecordWriter::bindFields() {
    boundFields_.reset();
    boundFields_ = fieldIndices();
}

std::array<int, FieldCount> RecordWriter::fieldIndices() const {
    if (boundFields_) return *boundFields_;
    std::array<int, FieldCount> index;
    index.fill(-1);
    if (table_.isOpen())
        for (int slot = 1; slot <= FieldCount; ++slot)
            index[size_t(slot - 1)] = table_.fieldIndex(fieldSlot(slot).name);
    return index;
}

FieldValue RecordWriter::readOne(int slot, const QString& typed,
                                 const std::array<int, FieldCount>& index) const {
    FieldValue v = readFieldValue(slot, typed, formats_, fieldName(slot));
    if (v.ok() && table_.isOpen()) {
        const int field = index[size_t(slot - 1)];
        if (field >= 0) {
            const dbase::FieldDef& def = table_.field(field);
            if (def.type == 'N' || def.type == 'F')
                checkFitsField(v, slot, def.width, def.decimals, fieldName(slot));
        }
    }
    return v;
}

FieldValue RecordWriter::read(int slot, const QString& typed) const {
    return readOne(slot, typed, fieldIndices());
}

WriteOutcome RecordWriter::readAll(const RecordEntry& entry, const std::array<int, FieldCount>& index,
                                   std::array<FieldValue, FieldCount>& values) const {
    for (int slot : checkOrder()) {
        FieldValue& v = values[size_t(slot - 1)];
        v = readOne(slot, entry[slot], index);
        if (!v.ok()) return {false, slot, v.failed, v.message, false};
    }
    return {true, 0, ValueCheck::None, QString(), false};
}

WriteOutcome RecordWriter::check(const RecordEntry& entry, bool append) const {
    if (!append && (!table_.isOpen() || table_.recNo() == 0))
        return {false, 0, ValueCheck::None, noRecordMessage(), false};
    std::array<FieldValue, FieldCount> values;
    return readAll(entry, fieldIndices(), values);
}

WriteOutcome RecordWriter::write(const RecordEntry& entry, bool append) {
    if (!append && (!table_.isOpen() || table_.recNo() == 0))
        return {false, 0, ValueCheck::None, noRecordMessage(), false};
    std::array<FieldValue, FieldCount> values;
    const std::array<int, FieldCount> index = fieldIndices();
    if (WriteOutcome refused = readAll(entry, index, values); !refused.ok) return refused;
    return store(entry, values, index, append);
}

WriteOutcome RecordWriter::writeRead(const RecordEntry& entry,
                                     const std::array<FieldValue, FieldCount>& values, bool append) {
    if (!append && (!table_.isOpen() || table_.recNo() == 0))
        return {false, 0, ValueCheck::None, noRecordMessage(), false};
    for (int slot : checkOrder()) {
        const FieldValue& v = values[size_t(slot - 1)];
        if (!v.ok()) return {false, slot, v.failed, v.message, false};
    }
    return store(entry, values, fieldIndices(), append);
}

WriteOutcome RecordWriter::store(const RecordEntry& entry, const std::array<FieldValue, FieldCount>& values,
                                 const std::array<int, FieldCount>& index, bool append) {
    // A missing field is reported by the engine's own message.
    auto field = [this, &index](int slot) {
        const int f = index[size_t(slot - 1)];
        return f >= 0 ? f : table_.fieldIndexOrThrow(fieldSlot(slot).name);
    };
    auto value = [&values](int slot) -> const FieldValue& { return values[size_t(slot - 1)]; };
    // The UTF-8 of a stored text, made in one buffer for all the fields of the record.
    std::string buffer;
    buffer.reserve(256);
    auto utf8 = [&buffer](const QString& text) -> const std::string& {
        buffer.clear();
        for (QChar c : text) {
            if (c.unicode() >= 0x80) {
                buffer = text.toStdString();
                break;
            }
            buffer += char(c.unicode());
        }
        return buffer;
    };
    try {
        if (append)
            table_.append();
        else
            table_.edit();
        try {
            for (int slot : TextWriteOrder)
                table_.setText(field(slot), utf8(value(slot).stored));
            table_.setNumber(field(Slot::ListPrice), value(Slot::ListPrice).number);
            table_.setNumber(field(Slot::PurchasePrice), value(Slot::PurchasePrice).number);
            table_.setDate(field(Slot::CheckDate), utf8(value(Slot::CheckDate).stored));
            table_.setDate(field(Slot::PurchaseDate), utf8(value(Slot::PurchaseDate).stored));
            table_.setText(field(Slot::CheckOut), utf8(value(Slot::CheckOut).stored));
            table_.setText(field(Slot::Viewed), utf8(value(Slot::Viewed).stored));
            table_.post();
        } catch (...) {
            if (table_.isEditing()) table_.cancel();
            throw;
        }
    } catch (const std::exception& e) {
        return {false, 0, ValueCheck::None, QString::fromUtf8(e.what()), true};
    }

    // The record is stored: its new values join their data lists.
    if (lists_) {
        for (int slot : listOrder())
            lists_->addToList(DataLists::listForSlot(slot), entry[slot]);
    }
    return {true, 0, ValueCheck::None, QString(), false};
}
