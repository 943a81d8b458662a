#include "catalogue/catalogue.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

#include "catalogue/fieldslots.h"
#include "dbase/table.h"

std::string enginePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

namespace {

QString fullPath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

bool mdxExists(const QString& dbfPath) {
    std::string mdx = dbase::companionPath(enginePath(dbfPath), ".MDX");
    return QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(mdx)));
}

enum class Use { Free, HeldElsewhere, Unopenable };

Use probeExclusive(const QString& path) {
    dbase::Table table;
    try {
        table.open(enginePath(fullPath(path)), dbase::OpenMode::Exclusive);
        table.close();
        return Use::Free;
    } catch (const dbase::LockError&) {
        return Use::HeldElsewhere;
    } catch (const dbase::DbError&) {
        return Use::Unopenable;
    }
}

} // namespace

QString notCatalogueMessage() {
    return QStringLiteral("This DBase file was not created with Quillon Videos 97.  It cannot be opened.  "
                          "You may, however, import data from this file using the import function.");
}

QString tableInUseMessage(const QString& path) {
    return QStringLiteral("The table \"%1\" is currently in use by another program.  "
                          "New table creation will be aborted.")
        .arg(path);
}

FormatCheck checkCatalogueFormat(const QString& path) {
    const QString full = fullPath(path);
    if (!mdxExists(full)) clearIndexFlag(full);

    dbase::Table check;
    check.open(enginePath(full), dbase::OpenMode::Shared, true);
    bool ok = check.fieldCount() == FieldCount;
    for (int i = 0; ok && i < FieldCount; ++i) {
        const QString name = QString::fromStdString(check.field(i).name);
        ok = name.compare(QLatin1String(fieldSlot(i + 1).name), Qt::CaseInsensitive) == 0;
    }
    check.close();
    if (ok) return {true, {}};
    return {false, notCatalogueMessage()};
}

bool clearIndexFlag(const QString& dbfPath) {
    return dbase::removeMdxByte(enginePath(dbfPath));
}

bool isTableInUse(const QString& path) {
    return probeExclusive(path) != Use::Free;
}

std::vector<dbase::CreateField> catalogueFields() {
    std::vector<dbase::CreateField> fields;
    fields.reserve(FieldCount);
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const FieldSlot& s = fieldSlot(slot);
        dbase::CreateField f;
        f.name = s.name;
        switch (s.typeCode) {
        case TypeInteger:
            f.kind = dbase::FieldKind::Integer;
            break;
        case TypeFloat:
            f.kind = dbase::FieldKind::Float;
            break;
        case TypeDate:
            f.kind = dbase::FieldKind::Date;
            break;
        default:
            f.kind = dbase::FieldKind::String;
            f.size = s.width;
            break;
        }
        fields.push_back(std::move(f));
    }
    return fields;
}

NewTable createCatalogue(const QString& path) {
    const QString full = fullPath(path);
    // Only a table that another program holds is refused; an existing file the engine cannot
    // read at all is replaced like any other file of that name (the user chose to overwrite it).
    if (QFileInfo::exists(full) && probeExclusive(full) == Use::HeldElsewhere)
        return {false, tableInUseMessage(full)};

    const std::vector<dbase::CreateField> fields = catalogueFields();
    try {
        dbase::Table::create(enginePath(full), fields);
    } catch (const dbase::LockError&) {
        return {false, tableInUseMessage(full)};
    } catch (const dbase::DbError& e) {
        return {false, QString::fromStdString(e.what())};
    }
    if (!QFileInfo::exists(full))
        return {false, QStringLiteral("The table \"%1\" could not be created.").arg(full)};
    return {true, {}};
}

namespace {

template <typename Work> ExclusiveRun withExclusiveUse(const QString& path, Work work) {
    ExclusiveRun run;
    dbase::Table table;
    try {
        table.open(enginePath(fullPath(path)), dbase::OpenMode::Exclusive);
        work(table);
        table.close();
        run.ok = true;
    } catch (const dbase::LockError& e) {
        run.inUse = true;
        run.detail = QString::fromStdString(e.what());
    } catch (const dbase::DbError& e) {
        run.detail = QString::fromStdString(e.what());
    }
    return run;
}

} // namespace

ExclusiveRun packTable(const QString& path) {
    return withExclusiveUse(path, [](dbase::Table& t) { t.pack(); });
}

ExclusiveRun reindexTable(const QString& path) {
    return withExclusiveUse(path, [](dbase::Table& t) { t.regenerateIndexes(); });
}

QString packQuestion() {
    return QStringLiteral(
        "Deleted items are not permanently removed from the database until packing occurs.  "
        "Packing simply removes them to free up space.  Continue?");
}

QString packFailedMessage() {
    return QStringLiteral(
        "Unable to pack table.  Packing requires exclusive use of the DBase File.  Make sure "
        "that the DBase File is not in use by another program  or that no other users are "
        "running the software or that no other copies of the software are in use.");
}

QString reindexQuestion() {
    return QStringLiteral(
        "It is possible for your index files to become corrupted.  As a result, some items may "
        "not show up in the viewer or in reports.  This will rebuild your index files "
        "correctly.  Continue?");
}

QString reindexFailedMessage() {
    return QStringLiteral(
        "Unable to reindex table.  Reindexing requires exclusive use of the DBase File.  Make "
        "sure that the DBase File is not in use by another program  or that no other users are "
        "running the software or that no other copies of the software are in use.");
}
