#include "catalogue/conversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "catalogue/catalogue.h"
#include "dbase/table.h"

namespace {

// Names of the old fields from the second field onwards.
const std::vector<const char*>& oldNames(OldGeneration g) {
    static const std::vector<const char*> v2 = {
        "Title",      "Star1",      "Star2",    "Star3",      "Star4",      "Producer",   "Director",
        "ReleasedBy", "Year",       "RunTime",  "Rating",     "Category",   "Picture",    "Sound",
        "Format",     "PersonalRa", "MediaNum", "RecSpeed",   "CounterSta", "CounterSto", "Descriptio",
        "Content",    "Miscellane", "KeyWords", "LaserForma", "ListPrice",  "OscarNom",   "OscarAward"};
    static const std::vector<const char*> v1 = {
        "Title",      "Star1",      "Star2",    "Star3",     "Star4",      "Producer",   "Director",
        "ReleasedBy", "Year",       "RunTime",  "Rating",    "Category",   "Picture",    "Sound",
        "Format",     "PersonalRa", "TapeNum",  "RecSpeed",  "CounterSta", "CounterSto", "Descriptio",
        "Content",    "CloseCapt",  "NoiseRed", "SurroundSo"};
    return g == OldGeneration::V2 ? v2 : v1;
}

bool mdxExists(const QString& dbfPath) {
    return QFileInfo::exists(
        QFile::decodeName(QByteArray::fromStdString(dbase::companionPath(enginePath(dbfPath), ".MDX"))));
}

QString u(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

QString oldCatalogueName(OldGeneration generation) {
    return generation == OldGeneration::V2 ? QStringLiteral("V2LOG.DBF") : QStringLiteral("VLOG.DBF");
}

QString findOldCatalogue(const QString& folder, OldGeneration generation) {
    const QString wanted = oldCatalogueName(generation);
    QDir dir(folder);
    if (dir.exists(wanted)) return dir.absoluteFilePath(wanted);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& e : entries)
        if (e.compare(wanted, Qt::CaseInsensitive) == 0) return dir.absoluteFilePath(e);
    return {};
}

bool isOldLayout(const QString& path, OldGeneration generation) {
    const auto& names = oldNames(generation);
    try {
        if (!mdxExists(path)) clearIndexFlag(path);
        dbase::Table table;
        table.open(enginePath(path), dbase::OpenMode::Shared, true);
        if (table.fieldCount() != int(names.size()) + 1) return false;
        for (size_t i = 0; i < names.size(); ++i)
            if (u(table.field(int(i) + 1).name).compare(QLatin1String(names[i]), Qt::CaseInsensitive) != 0)
                return false;
        return true;
    } catch (const dbase::DbError&) {
        return false;
    }
}

QString conversionQuestion(OldGeneration generation) {
    const QString version = generation == OldGeneration::V2 ? QStringLiteral("2.X") : QStringLiteral("1.X");
    return QStringLiteral(
               "A database from a previous version (%1) has been detected.  Would you like to convert "
               "it now?  NOTE: After conversion the old file will be deleted.  You may wish to make a "
               "copy of \"%2\" first.")
        .arg(version, oldCatalogueName(generation));
}

QString miscellaneFromFlags(const QString& closeCapt, const QString& noiseRed, const QString& surroundSo) {
    QString misc;
    if (closeCapt.toUpper() == QLatin1String("YES")) misc += QStringLiteral("Closed Captioned, ");
    if (noiseRed.toUpper() == QLatin1String("YES")) misc += QStringLiteral("Noise Reduction, ");
    if (surroundSo.toUpper() == QLatin1String("YES")) misc += QStringLiteral("Surround Sound, ");
    if (!misc.isEmpty()) misc.chop(2);
    return misc;
}

Conversion convertOldCatalogue(dbase::Table& target, const QString& oldPath, OldGeneration generation) {
    Conversion result;
    const auto& names = oldNames(generation);
    try {
        dbase::Table old;
        old.open(enginePath(oldPath), dbase::OpenMode::Shared, true);

        // Field pairs (old index, target index) copied as text.
        std::vector<std::pair<int, int>> pairs;
        int closeCapt = -1, noiseRed = -1, surround = -1, misc = -1;
        for (const char* name : names) {
            const int from = old.fieldIndexOrThrow(name);
            const std::string n = name;
            if (n == "CloseCapt")
                closeCapt = from;
            else if (n == "NoiseRed")
                noiseRed = from;
            else if (n == "SurroundSo")
                surround = from;
            else if (n == "TapeNum")
                pairs.emplace_back(from, target.fieldIndexOrThrow("MediaNum"));
            else
                pairs.emplace_back(from, target.fieldIndexOrThrow(name));
        }
        if (generation == OldGeneration::V1) misc = target.fieldIndexOrThrow("Miscellane");

        for (bool more = old.first(); more; more = old.next()) {
            target.append();
            try {
                for (auto [from, to] : pairs)
                    target.setText(to, old.getText(from));
                if (misc >= 0) {
                    const QString m = miscellaneFromFlags(u(old.getText(closeCapt)), u(old.getText(noiseRed)),
                                                          u(old.getText(surround)));
                    target.setText(misc, m.toStdString());
                }
                target.post();
            } catch (...) {
                if (target.isEditing()) target.cancel();
                throw;
            }
            ++result.converted;
        }
        old.close();
    } catch (const dbase::DbError& e) {
        result.error = u(e.what());
        return result;
    }

    const QString mdx =
        QFile::decodeName(QByteArray::fromStdString(dbase::companionPath(enginePath(oldPath), ".MDX")));
    QFile dbf(oldPath);
    if (!dbf.remove()) {
        result.error = QStringLiteral("The old database \"%1\" could not be deleted: %2")
                           .arg(oldPath, dbf.errorString());
        return result;
    }
    if (QFileInfo::exists(mdx)) QFile::remove(mdx);
    result.ok = true;
    return result;
}
