// The catalogue table as a file: format check, production index flag, creation, in-use check,
// pack and reindex with exclusive use.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/sortorder.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "dbase/table.h"

namespace {

std::vector<dbase::FieldDef> catalogueFieldDefs() {
    std::vector<dbase::FieldDef> defs;
    for (int s = 1; s <= FieldCount; ++s) {
        const FieldSlot& slot = fieldSlot(s);
        dbase::FieldDef d;
        d.name = slot.name;
        switch (slot.typeCode) {
        case TypeInteger:
            d.type = 'N', d.width = 11;
            break;
        case TypeFloat:
            d.type = 'N', d.width = 20, d.decimals = 4;
            break;
        case TypeDate:
            d.type = 'D', d.width = 8;
            break;
        default:
            d.type = 'C', d.width = slot.width;
            break;
        }
        defs.push_back(d);
    }
    return defs;
}

class CatalogueFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("VIDEOS.DBF")) const { return dir.filePath(name); }

    void addRecords(const QString& file, const QStringList& titles) {
        dbase::Table t;
        t.open(enginePath(file));
        const int title = t.fieldIndexOrThrow("Title");
        for (const QString& s : titles) {
            t.append();
            t.setText(title, s.toStdString());
            t.post();
        }
        t.close();
    }
};

TEST_F(CatalogueFile, NewTableHasFortyFieldsNoIndexAndFlagClear) {
    const NewTable made = createCatalogue(path());
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("VIDEOS.MDX")));
    const QByteArray bytes = readFile(path());
    ASSERT_GT(bytes.size(), 32);
    EXPECT_EQ(bytes[28], 0);

    dbase::Table t;
    t.open(enginePath(path()), dbase::OpenMode::Shared, true);
    ASSERT_EQ(t.fieldCount(), FieldCount);
    for (int s = 1; s <= FieldCount; ++s) {
        const FieldSlot& slot = fieldSlot(s);
        EXPECT_EQ(QString::fromStdString(t.field(s - 1).name), QString::fromLatin1(slot.name).toUpper());
        EXPECT_EQ(t.field(s - 1).type, slot.letter) << slot.name;
        if (slot.typeCode == TypeString) {
            EXPECT_EQ(t.field(s - 1).width, slot.width) << slot.name;
        }
    }
    EXPECT_TRUE(t.tags().empty());
    EXPECT_EQ(t.recordCount(), 0u);
    t.close();
    EXPECT_TRUE(checkCatalogueFormat(path()).ok);
}

TEST_F(CatalogueFile, OtherWidthsAndTypesPass) {
    auto defs = catalogueFieldDefs();
    defs[0].width = 200;                      // Title wider
    defs[10].type = 'C', defs[10].width = 4;  // Year as text
    defs[31].type = 'C', defs[31].width = 10; // CheckDate as text
    defs[27].type = 'N', defs[27].width = 12, defs[27].decimals = 2;
    dbase::Table::createRaw(enginePath(path()), defs);
    const FormatCheck check = checkCatalogueFormat(path());
    EXPECT_TRUE(check.ok);
    EXPECT_TRUE(check.message.isEmpty());
}

TEST_F(CatalogueFile, NamesDifferingOnlyInCasePass) {
    dbase::Table::createRaw(enginePath(path()), catalogueFieldDefs());
    // Rewrite the stored names in mixed and lower case, byte for byte.
    QByteArray bytes = readFile(path());
    for (int i = 0; i < FieldCount; ++i) {
        const QByteArray name = QByteArray(fieldSlot(i + 1).name);
        const QByteArray stored = (i % 2) ? name.toLower() : name;
        bytes.replace(32 + 32 * i, stored.size(), stored);
    }
    ASSERT_TRUE(writeFile(path(), bytes));
    EXPECT_TRUE(checkCatalogueFormat(path()).ok);
}

TEST_F(CatalogueFile, OtherOrderFortyOneOrThirtyNineFieldsFail) {
    auto swapped = catalogueFieldDefs();
    std::swap(swapped[1], swapped[2]);
    dbase::Table::createRaw(enginePath(path("SWAPPED.DBF")), swapped);

    auto more = catalogueFieldDefs();
    more.push_back({"EXTRA", 'C', 10, 0});
    dbase::Table::createRaw(enginePath(path("MORE.DBF")), more);

    auto fewer = catalogueFieldDefs();
    fewer.pop_back();
    dbase::Table::createRaw(enginePath(path("FEWER.DBF")), fewer);

    for (const char* name : {"SWAPPED.DBF", "MORE.DBF", "FEWER.DBF"}) {
        const QByteArray before = readFile(path(name));
        const FormatCheck check = checkCatalogueFormat(path(name));
        EXPECT_FALSE(check.ok) << name;
        EXPECT_EQ(check.message,
                  "This DBase file was not created with Quillon Videos 97.  It cannot be opened.  "
                  "You may, however, import data from this file using the import function.");
        EXPECT_EQ(readFile(path(name)), before) << name << " was changed";
    }
}

TEST_F(CatalogueFile, FileTheEngineCannotOpenRaisesItsError) {
    EXPECT_THROW(checkCatalogueFormat(path("MISSING.DBF")), dbase::DbError);
    ASSERT_TRUE(writeFile(path("TEXT.DBF"), "this is not a table\r\n"));
    EXPECT_THROW(checkCatalogueFormat(path("TEXT.DBF")), dbase::DbError);
}

TEST_F(CatalogueFile, MissingMdxClearsByte28AndNothingElse) {
    ASSERT_TRUE(createCatalogue(path()).ok);
    addRecords(path(), {"Zulu", "Alpha", "Mike"});
    {
        dbase::Table t;
        t.open(enginePath(path()), dbase::OpenMode::Exclusive);
        applySortExpression(t, sortExpression(1, 0, 0, 0), SortApply::Rebuild);
        t.close();
    }
    const QString mdx = dir.filePath("VIDEOS.MDX");
    ASSERT_TRUE(QFileInfo::exists(mdx));
    const QByteArray before = readFile(path());
    ASSERT_NE(before[28], 0);

    ASSERT_TRUE(QFile::remove(mdx));
    const FormatCheck check = checkCatalogueFormat(path());
    EXPECT_TRUE(check.ok);

    const QByteArray after = readFile(path());
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[28], 0);
    QByteArray expected = before;
    expected[28] = 0;
    EXPECT_EQ(after, expected) << "only byte 28 may change";

    dbase::Table t;
    t.open(enginePath(path()), dbase::OpenMode::Shared, true);
    EXPECT_EQ(t.recordCount(), 3u);
    EXPECT_FALSE(t.hasProductionIndex());
}

TEST_F(CatalogueFile, PresentMdxKeepsTheFlag) {
    ASSERT_TRUE(createCatalogue(path()).ok);
    {
        dbase::Table t;
        t.open(enginePath(path()), dbase::OpenMode::Exclusive);
        applySortExpression(t, sortExpression(1, 11, 0, 0), SortApply::Rebuild);
        t.close();
    }
    const QByteArray before = readFile(path());
    EXPECT_TRUE(checkCatalogueFormat(path()).ok);
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(CatalogueFile, TableTheEngineCannotOpenCountsAsInUse) {
    EXPECT_TRUE(isTableInUse(path("MISSING.DBF")));
    ASSERT_TRUE(writeFile(path("TEXT.DBF"), "not a table"));
    EXPECT_TRUE(isTableInUse(path("TEXT.DBF")));
}

TEST_F(CatalogueFile, RemoveMdxByteOnMissingFileIsQuiet) {
    EXPECT_FALSE(clearIndexFlag(path("NONE.DBF")));
    EXPECT_FALSE(QFileInfo::exists(path("NONE.DBF")));
}

TEST_F(CatalogueFile, MakeNewDbReplacesAnExistingTable) {
    ASSERT_TRUE(createCatalogue(path()).ok);
    addRecords(path(), {"One", "Two"});
    {
        dbase::Table t;
        t.open(enginePath(path()), dbase::OpenMode::Exclusive);
        applySortExpression(t, sortExpression(1, 0, 0, 0), SortApply::Rebuild);
        t.close();
    }
    ASSERT_TRUE(QFileInfo::exists(dir.filePath("VIDEOS.MDX")));

    const NewTable made = createCatalogue(path());
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    dbase::Table t;
    t.open(enginePath(path()), dbase::OpenMode::Shared, true);
    EXPECT_EQ(t.recordCount(), 0u);
    EXPECT_EQ(t.info().physicalCount, 0u);
    EXPECT_TRUE(t.tags().empty());
    EXPECT_EQ(readFile(path())[28], 0);
}

TEST_F(CatalogueFile, MakeNewDbReplacesAFileThatIsNoTable) {
    ASSERT_TRUE(writeFile(path(), "garbage"));
    const NewTable made = createCatalogue(path());
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    EXPECT_TRUE(checkCatalogueFormat(path()).ok);
}

TEST_F(CatalogueFile, MakeNewDbIntoMissingFolderFailsWithAMessage) {
    const NewTable made = createCatalogue(dir.filePath("no/such/folder/NEW.DBF"));
    EXPECT_FALSE(made.ok);
    EXPECT_FALSE(made.message.isEmpty());
}

TEST_F(CatalogueFile, TableHeldByAnotherProgram) {
    ASSERT_TRUE(createCatalogue(path()).ok);
    addRecords(path(), {"Kept"});
    const QByteArray before = readFile(path());
    EXPECT_FALSE(isTableInUse(path()));
    {
        peer::LockHolder holder(path());
        ASSERT_TRUE(holder.locked());
        EXPECT_TRUE(isTableInUse(path()));

        const NewTable made = createCatalogue(path());
        EXPECT_FALSE(made.ok);
        EXPECT_EQ(made.message, QStringLiteral("The table \"%1\" is currently in use by another program.  "
                                               "New table creation will be aborted.")
                                    .arg(QFileInfo(path()).absoluteFilePath()));

        const ExclusiveRun pack = packTable(path());
        EXPECT_FALSE(pack.ok);
        EXPECT_TRUE(pack.inUse);
        const ExclusiveRun reindex = reindexTable(path());
        EXPECT_FALSE(reindex.ok);
        EXPECT_TRUE(reindex.inUse);

        // The format check only reads: it works beside the other program.
        EXPECT_TRUE(checkCatalogueFormat(path()).ok);
        EXPECT_EQ(readFile(path()), before);
    }
    EXPECT_FALSE(isTableInUse(path()));
    EXPECT_TRUE(packTable(path()).ok);
    EXPECT_TRUE(reindexTable(path()).ok);
}

TEST_F(CatalogueFile, PackRemovesDeletedRecords) {
    ASSERT_TRUE(createCatalogue(path()).ok);
    addRecords(path(), {"A", "B", "C"});
    {
        dbase::Table t;
        t.open(enginePath(path()));
        ASSERT_TRUE(t.first());
        ASSERT_TRUE(t.next());
        t.deleteRecord();
        t.close();
    }
    const ExclusiveRun run = packTable(path());
    ASSERT_TRUE(run.ok) << run.detail.toStdString();
    dbase::Table t;
    t.open(enginePath(path()), dbase::OpenMode::Shared, true);
    EXPECT_EQ(t.info().physicalCount, 2u);
    ASSERT_TRUE(t.first());
    EXPECT_EQ(t.getText(0), "A");
    ASSERT_TRUE(t.next());
    EXPECT_EQ(t.getText(0), "C");
}

TEST(CatalogueMessages, PackAndReindexTexts) {
    EXPECT_TRUE(packFailedMessage().contains("by another program  or that no other users"));
    EXPECT_TRUE(
        reindexFailedMessage().startsWith("Unable to reindex table.  Reindexing requires exclusive use"));
    EXPECT_TRUE(packQuestion().endsWith("Packing simply removes them to free up space.  Continue?"));
    EXPECT_TRUE(reindexQuestion().startsWith("It is possible for your index files to become corrupted.  "));
}

} // namespace
