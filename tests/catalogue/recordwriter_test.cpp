// Writing whole records from typed values on a real catalogue table: the checks and their order,
// the field writes, and the data lists that change only once a record is stored.
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"
#include "catalogue/recordwriter.h"
#include "common/files.h"
#include "dbase/table.h"

namespace {

class RecordWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("QUILLON_HOME", QFile::encodeName(dir.path()));
        path = dir.filePath(QStringLiteral("MASTER.DBF"));
        ASSERT_TRUE(createCatalogue(path).ok);
        table.open(enginePath(path));
        formats.dates = DateFormat(7, true); // mm/dd/yyyy
    }

    // A record as the editor hands it over after "C&lear": prices and play time "0", blank dates.
    static RecordEntry cleared() {
        RecordEntry e;
        e[Slot::RunTime] = QStringLiteral("0");
        e[Slot::ListPrice] = QStringLiteral("0");
        e[Slot::PurchasePrice] = QStringLiteral("0");
        e[Slot::CheckDate] = QStringLiteral("__/__/____");
        e[Slot::PurchaseDate] = QStringLiteral("__/__/____");
        e[Slot::CheckOut] = QStringLiteral("No");
        e[Slot::Viewed] = QStringLiteral("No");
        return e;
    }

    QString text(int slot) const {
        return QString::fromStdString(table.getText(table.fieldIndex(fieldSlot(slot).name)));
    }

    QTemporaryDir dir;
    QString path;
    dbase::Table table;
    DataLists lists;
    ValueFormats formats;
};

TEST_F(RecordWriterTest, AppendStoresEveryFieldAndThenAddsListValues) {
    RecordEntry e = cleared();
    e[Slot::Title] = QStringLiteral("Casablanca ");
    e[Slot::Star1] = QStringLiteral("Humphrey Bogart");
    e[Slot::Star2] = QStringLiteral("Ingrid Bergman");
    e[Slot::Director] = QStringLiteral(" Michael Curtiz ");
    e[Slot::Year] = QStringLiteral("1942");
    e[Slot::RunTime] = QStringLiteral("102");
    e[Slot::ListPrice] = QStringLiteral("1,234.50");
    e[Slot::PurchasePrice] = QStringLiteral("  ");
    e[Slot::PurchaseDate] = QStringLiteral("04/03/1997");
    e[Slot::CheckOut] = QStringLiteral("Yes");
    e[Slot::CheckName] = QStringLiteral("Rick");
    e[Slot::Writers] = QStringLiteral("Julius J. Epstein");

    RecordWriter writer(table, &lists, formats);
    const WriteOutcome out = writer.write(e, true);
    ASSERT_TRUE(out.ok) << out.message.toStdString();

    // A second reader of the file sees the posted record.
    dbase::Table other;
    other.open(enginePath(path), dbase::OpenMode::Shared, true);
    ASSERT_EQ(other.recordCount(), 1u);
    ASSERT_TRUE(other.first());
    auto get = [&other](int slot) {
        return QString::fromStdString(other.getText(other.fieldIndex(fieldSlot(slot).name)));
    };
    EXPECT_EQ(get(Slot::Title), "Casablanca"); // trailing blanks are the table's padding
    EXPECT_EQ(get(Slot::Director), " Michael Curtiz");
    EXPECT_EQ(get(Slot::Year), "1942");
    EXPECT_EQ(get(Slot::RunTime), "102");
    EXPECT_EQ(other.getNumber(other.fieldIndex("ListPrice")).value_or(-1), 1234.5);
    EXPECT_EQ(other.getNumber(other.fieldIndex("PurchPrice")).value_or(-1), 0.0);
    EXPECT_EQ(other.getDate(other.fieldIndex("PurchDate")), "19970403");
    EXPECT_EQ(other.getDate(other.fieldIndex("CheckDate")), "");
    EXPECT_EQ(get(Slot::CheckOut), "Yes");
    EXPECT_EQ(get(Slot::Viewed), "No");
    EXPECT_EQ(get(Slot::Writers), "Julius J. Epstein");

    EXPECT_EQ(lists.list(DataLists::Stars), (QStringList{"Humphrey Bogart", "Ingrid Bergman"}));
    EXPECT_EQ(lists.list(DataLists::Director), QStringList{"Michael Curtiz"});
    EXPECT_EQ(lists.list(DataLists::CheckoutPerson), QStringList{"Rick"});
    EXPECT_TRUE(lists.list(DataLists::Producer).isEmpty());
}

TEST_F(RecordWriterTest, EditChangesTheCurrentRecordOnly) {
    RecordWriter writer(table, &lists, formats);
    for (const char* title : {"First", "Second"}) {
        RecordEntry e = cleared();
        e[Slot::Title] = QString::fromLatin1(title);
        ASSERT_TRUE(writer.write(e, true).ok);
    }
    ASSERT_TRUE(table.first());
    RecordEntry e = cleared();
    e[Slot::Title] = QStringLiteral("Changed");
    ASSERT_TRUE(writer.write(e, false).ok);
    EXPECT_EQ(table.recordCount(), 2u);
    ASSERT_TRUE(table.first());
    EXPECT_EQ(text(Slot::Title), "Changed");
    ASSERT_TRUE(table.next());
    EXPECT_EQ(text(Slot::Title), "Second");
}

struct Refusal {
    const char* what;
    std::vector<std::pair<int, QString>> typed; // several bad values: the first in order wins
    int slot;
    QString message;
};

TEST_F(RecordWriterTest, TheFirstRefusedValueInOrderWinsAndNothingChanges) {
    const Refusal cases[] = {
        {"check-out date before everything",
         {{Slot::Year, "x"},
          {Slot::ListPrice, "abc"},
          {Slot::CheckDate, "13/45/1999"},
          {Slot::PurchaseDate, "x"}},
         Slot::CheckDate,
         "Invalid check out date specified.  Please correct."},
        {"purchase date before the prices",
         {{Slot::PurchasePrice, "abc"}, {Slot::PurchaseDate, "02/30/2001"}},
         Slot::PurchaseDate,
         "Invalid purchase date specified.  Please correct."},
        {"list price before purchase price",
         {{Slot::PurchasePrice, "?"}, {Slot::ListPrice, "0abc"}},
         Slot::ListPrice,
         "Invalid list price specified.  Please correct."},
        {"purchase price before play time",
         {{Slot::RunTime, "1.5"}, {Slot::PurchasePrice, "1.2.3"}},
         Slot::PurchasePrice,
         "Invalid purchase price specified.  Please correct."},
        {"play time before year",
         {{Slot::Year, "19x3"}, {Slot::RunTime, "021a"}},
         Slot::RunTime,
         "Invalid play time specified.  Please correct."},
        {"year before the text fields",
         {{Slot::Title, "東京物語"}, {Slot::Year, "1953.0"}},
         Slot::Year,
         "Invalid year specified.  Please correct."},
        {"title in Japanese",
         {{Slot::Title, "東京物語"}, {Slot::Star1, "笠智衆"}},
         Slot::Title,
         "The characters \"東京物語\" cannot be stored in Title.  Please correct."},
        {"a star in a list box",
         {{Slot::Star3, "Chishu Ryu 笠"}},
         Slot::Star3,
         "The characters \"笠\" cannot be stored in Star 3.  Please correct."},
        {"the last text field",
         {{Slot::UserDefined2, "✓"}},
         Slot::UserDefined2,
         "The characters \"✓\" cannot be stored in User Defined 2.  Please correct."},
        {"a price the table cannot hold",
         {{Slot::ListPrice, "10,000,000,000,000,000"}},
         Slot::ListPrice,
         "10000000000000000 is out of range for List Price.  Please correct."},
    };
    RecordWriter writer(table, &lists, formats);
    for (const Refusal& c : cases) {
        RecordEntry e = cleared();
        e[Slot::Producer] = QStringLiteral("Hal B. Wallis");
        for (const auto& [slot, value] : c.typed)
            e[slot] = value;
        const WriteOutcome out = writer.write(e, true);
        EXPECT_FALSE(out.ok) << c.what;
        EXPECT_FALSE(out.engineFailure) << c.what;
        EXPECT_EQ(out.slot, c.slot) << c.what;
        EXPECT_EQ(out.message, c.message) << c.what;
        EXPECT_EQ(table.recordCount(), 0u) << c.what;
        EXPECT_FALSE(table.isEditing()) << c.what;
        EXPECT_TRUE(lists.list(DataLists::Producer).isEmpty()) << c.what;
        // check() finds the same refusal without writing.
        EXPECT_EQ(writer.check(e, true).slot, c.slot) << c.what;
    }
}

TEST_F(RecordWriterTest, MessagesUseTheDisplayNames) {
    std::array<QString, FieldCount> names;
    names[Slot::Title - 1] = QStringLiteral("Film");
    RecordWriter writer(table, &lists, formats, names);
    RecordEntry e = cleared();
    e[Slot::Title] = QStringLiteral("東京");
    EXPECT_EQ(writer.write(e, true).message,
              "The characters \"東京\" cannot be stored in Film.  Please correct.");
}

TEST_F(RecordWriterTest, EditWithoutACurrentRecordWritesNothing) {
    // An empty catalogue: nothing to change, and the typed values stay out of the lists.
    RecordWriter writer(table, &lists, formats);
    RecordEntry e = cleared();
    e[Slot::Title] = QStringLiteral("Casablanca");
    e[Slot::Director] = QStringLiteral("Michael Curtiz");
    const WriteOutcome out = writer.write(e, false);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.message, RecordWriter::noRecordMessage());
    EXPECT_EQ(table.recordCount(), 0u);
    EXPECT_TRUE(lists.list(DataLists::Director).isEmpty());
}

TEST_F(RecordWriterTest, AnEngineFailureLeavesTableAndListsAsTheyWere) {
    table.close();
    table.open(enginePath(path), dbase::OpenMode::Shared, true); // read-only: the append fails
    RecordWriter writer(table, &lists, formats);
    RecordEntry e = cleared();
    e[Slot::Title] = QStringLiteral("Casablanca");
    e[Slot::Director] = QStringLiteral("Michael Curtiz");
    const WriteOutcome out = writer.write(e, true);
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.engineFailure);
    EXPECT_FALSE(out.message.isEmpty());
    EXPECT_FALSE(table.isEditing());
    EXPECT_EQ(table.recordCount(), 0u);
    EXPECT_TRUE(lists.list(DataLists::Director).isEmpty());
}

TEST(RecordWriterOrder, EveryFieldIsCheckedOnce) {
    std::array<int, FieldCount + 1> seen{};
    for (int slot : RecordWriter::checkOrder())
        ++seen[size_t(slot)];
    for (int slot = 1; slot <= FieldCount; ++slot)
        EXPECT_EQ(seen[size_t(slot)], 1) << slot;
    // Every field that feeds a catalogue data list is added to it.
    int feeding = 0;
    for (int slot = 1; slot <= FieldCount; ++slot)
        if (DataLists::isDatabaseList(DataLists::listForSlot(slot))) ++feeding;
    EXPECT_EQ(int(RecordWriter::listOrder().size()), feeding);
}

} // namespace

// Values read before give what write() gives for their texts: the same first refusal in the
// check order, the same stored record; a value refused after reading stops writeRead() as well.
TEST_F(RecordWriterTest, WriteOfValuesReadBeforeEqualsWriteOfTheirTexts) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, QString>> texts;
    };
    const Case cases[] = {
        {"every kind",
         {{Slot::Title, QStringLiteral("Caf\u00e9 Noir ")},
          {Slot::Year, QStringLiteral("1961")},
          {Slot::ListPrice, QStringLiteral("1,234.50")},
          {Slot::PurchaseDate, QStringLiteral("12/24/1996")},
          {Slot::CheckOut, QStringLiteral("y")},
          {Slot::Writers, QStringLiteral("  ")}}},
        {"nothing typed", {}},
        {"bad year and bad date",
         {{Slot::Year, QStringLiteral("19x")}, {Slot::CheckDate, QStringLiteral("13/45/1999")}}},
        {"bad characters and bad yes/no",
         {{Slot::Viewed, QStringLiteral("maybe")}, {Slot::Title, QStringLiteral("\u2500")}}},
        {"too long", {{Slot::RecordingSpeed, QStringLiteral("Standard Play")}}},
    };
    RecordWriter writer(table, nullptr, formats);
    writer.bindFields();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordEntry e;
        for (const auto& [slot, typed] : c.texts)
            e[slot] = typed;
        std::array<FieldValue, FieldCount> values;
        for (int slot = 1; slot <= FieldCount; ++slot)
            values[size_t(slot - 1)] = writer.read(slot, e[slot]);
        const WriteOutcome byText = writer.write(e, true);
        const std::string first(table.recordBytes());
        const WriteOutcome byValues = writer.writeRead(e, values, true);
        EXPECT_EQ(byValues.ok, byText.ok);
        EXPECT_EQ(byValues.slot, byText.slot);
        EXPECT_EQ(byValues.failed, byText.failed);
        EXPECT_EQ(byValues.message, byText.message);
        if (byText.ok) {
            EXPECT_EQ(std::string(table.recordBytes()), first);
        }
    }
    EXPECT_EQ(table.recordCount(), 4u); // two of each record that passed
    // A number that does not fit the table's own field is refused by read() as write() refuses it.
    RecordEntry wide;
    wide[Slot::ListPrice] = QStringLiteral("123456789012345678");
    const FieldValue price = writer.read(Slot::ListPrice, wide[Slot::ListPrice]);
    EXPECT_EQ(price.failed, ValueCheck::Range);
    EXPECT_EQ(writer.write(wide, true).failed, ValueCheck::Range);
}
