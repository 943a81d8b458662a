#include "reports/defaultlayouts.h"

#include <QFile>
#include <algorithm>

#include "base/paths.h"
#include "base/textfile.h"
#include "catalogue/fieldslots.h"
#include "reports/layoutfile.h"

namespace reports {

namespace {

using E = LayoutEntry;

E label(const char* text, int width) {
    return E::text(QString::fromLatin1(text), width);
}
E filler(int width) {
    return E::filler(width);
}
E field(int slot, int width) {
    return E::field(slot, width);
}

// A line of the given entries followed by fillers of width 0.
LayoutLine line(std::initializer_list<LayoutEntry> entries) {
    LayoutLine l;
    size_t k = 0;
    for (const LayoutEntry& e : entries)
        l[k++] = e;
    return l;
}

LayoutLine titleLine(int mediaLabelWidth) {
    return line({label("Media Number:", mediaLabelWidth), filler(1), field(Slot::MediaNumber, 10),
                 label("Title:", 10), filler(1), field(Slot::Title, 60), label("Year:", 8), filler(1),
                 field(Slot::Year, 4)});
}

LayoutLine starsLine() {
    return line({label("Stars:", 6), filler(1), field(Slot::Star1, 25), filler(4), field(Slot::Star2, 25),
                 filler(4), field(Slot::Star3, 25), filler(4), field(Slot::Star4, 25)});
}

LayoutLine oscarNomLine() {
    return line({label("Oscar Nom:", 10), filler(1), field(Slot::OscarNomination, 109)});
}

LayoutLine oscarAwardLine() {
    return line({label("Oscar Award:", 12), filler(1), field(Slot::OscarAward, 107)});
}

ReportLayout builtIn(const char* name, int width, int lines, bool headersAndRules, bool group,
                     std::initializer_list<LayoutLine> body) {
    ReportLayout l;
    l.name = QString::fromLatin1(name);
    l.width = width;
    for (LayoutFont& f : l.fonts)
        f = LayoutFont{}; // Arial 8, plain, black
    l.columnHeaders = headersAndRules;
    l.horizontalLines = headersAndRules;
    l.verticalLines = headersAndRules;
    l.pageNumbers = true;
    l.dateOnPages = true;
    l.useTotals = true;
    l.landscape = false;
    l.linesPerRecord = lines;
    l.topMargin = l.bottomMargin = l.leftMargin = l.rightMargin = 0.5;
    l.groupLevel1 = group;
    l.groupLevel2 = false;
    l.totals = line({label("Quantity:", 14), filler(1), E::totalItem(1, 12), label("List Price:", 14),
                     filler(1), E::totalItem(2, 12), label("Purchase Price:", 18), filler(1),
                     E::totalItem(3, 12), filler(0), filler(0), filler(0), filler(60)});
    for (LayoutLine& b : l.body)
        b = blankLine(150);
    size_t n = 0;
    for (const LayoutLine& b : body)
        l.body[n++] = b;
    return l;
}

// The entry of an older layout taken over: labels and fillers as they are, a field by its name.
LayoutEntry convertedEntry(LayoutEntry e, bool totalsLine) {
    if (e.isFiller() || e.isLabel()) return e;
    const int slot = totalsLine ? totalItemByName(e.kind) : slotByName(e.kind);
    if (slot == 0) return LayoutEntry::filler(e.width);
    LayoutEntry converted =
        totalsLine ? LayoutEntry::totalItem(slot, e.width) : LayoutEntry::field(slot, e.width);
    converted.label = e.label;
    return converted;
}

LayoutLine convertedLine(QByteArrayView record, int at, bool totalsLine) {
    LayoutLine l = readLine(record, at);
    for (LayoutEntry& e : l)
        e = convertedEntry(e, totalsLine);
    return l;
}

} // namespace

QList<ReportLayout> defaultReportSet() {
    QList<ReportLayout> set;
    set << builtIn("Title and Media Number Report", 90, 1, true, false,
                   {line({field(Slot::MediaNumber, 12), field(Slot::Title, 64), field(Slot::Year, 4)})});
    set << builtIn(
        "Ratings Report", 90, 1, true, true,
        {line({field(Slot::Title, 60), field(Slot::Rating, 15), field(Slot::PersonalRating, 15)})});
    set << builtIn("Star Report", 120, 3, false, true, {titleLine(16), starsLine(), blankLine(150)});
    set << builtIn("Oscar Report", 120, 4, false, true,
                   {titleLine(13), oscarNomLine(), oscarAwardLine(), blankLine(150)});
    set << builtIn(
        "Large Report", 120, 12, false, true,
        {titleLine(13), starsLine(),
         line({label("Producer:", 9), filler(1), field(Slot::Producer, 28), label("Director:", 11), filler(1),
               field(Slot::Director, 28), label("Released By:", 14), filler(1), field(Slot::ReleasedBy, 37)}),
         line({label("Category:", 9), filler(1), field(Slot::Category, 20), label("Rating:", 9), filler(1),
               field(Slot::Rating, 15), label("Personal Rating:", 18), filler(1),
               field(Slot::PersonalRating, 15), label("Content:", 10), filler(1), field(Slot::Content, 10)}),
         line({label("Play Time:", 10), filler(1), field(Slot::RunTime, 3), label("Picture:", 10), filler(1),
               field(Slot::Picture, 5), label("Sound:", 8), filler(1), field(Slot::Sound, 6),
               label("Format:", 9), filler(1), field(Slot::Format, 10), label("Record Speed:", 16), filler(1),
               field(Slot::RecordingSpeed, 3), label("Laser Format:", 15), filler(1),
               field(Slot::LaserFormat, 12)}),
         line({label("Counter Start:", 14), filler(1), field(Slot::CounterStart, 10),
               label("Counter Stop:", 15), filler(1), field(Slot::CounterStop, 10), label("List Price:", 13),
               filler(1), field(Slot::ListPrice, 20)}),
         line({label("Key Words:", 10), filler(1), field(Slot::KeyWords, 80)}),
         line({label("Miscellaneous:", 14), filler(1), field(Slot::Miscellaneous, 80)}),
         line({label("Summary:", 8), filler(1), field(Slot::Description, 110)}), oscarNomLine(),
         oscarAwardLine(), blankLine(150)});
    set << builtIn("Statistic/Summary Report", 90, 0, false, true, {});
    return set;
}

QStringList olderBuiltInNames() {
    return {QStringLiteral("Title and Media Number Report"),
            QStringLiteral("Ratings Report"),
            QStringLiteral("Star Report"),
            QStringLiteral("Oscar Report"),
            QStringLiteral("Complete Report"),
            QStringLiteral("Statistic/Summary Report")};
}

QList<ReportLayout> convertOlderLayouts(QByteArrayView contents) {
    const QStringList skipped = olderBuiltInNames();
    QList<ReportLayout> result;
    for (qsizetype at = 0; at + OlderLayoutRecordSize <= contents.size(); at += OlderLayoutRecordSize) {
        const QByteArrayView old = contents.sliced(at, OlderLayoutRecordSize);
        // The old record keeps the current layout's string and entry formats at other offsets:
        // read its fields through a record-sized copy of the parts that share their offsets.
        QByteArray head(LayoutRecordSize, '\0');
        std::copy_n(old.data(), 33, head.data()); // name and width
        const ReportLayout names = ReportLayout::fromBytes(head);
        if (skipped.contains(names.name, Qt::CaseSensitive)) continue;

        ReportLayout l;
        l.name = names.name;
        l.width = names.width;
        l.columnHeaders = old[83] != 0;
        l.pageNumbers = old[84] != 0;
        l.useTotals = old[85] != 0;
        l.linesPerRecord = qint16(quint8(old[86]) | (quint8(old[87]) << 8));
        l.landscape = false;
        l.dateOnPages = true;
        l.topMargin = l.bottomMargin = l.leftMargin = l.rightMargin = 0.5;
        l.verticalLines = l.horizontalLines = false;
        l.groupLevel1 = true;
        l.groupLevel2 = false;
        for (int i = 0; i < 3; ++i) {
            const int p = 1588 + i * (MaxTitleLength + 1);
            const int n = std::min<int>(quint8(old[p]), MaxTitleLength);
            l.titles[size_t(i)] = textfile::fromCp1252(old.sliced(p + 1, n));
        }
        for (int i = 0; i < FontCount; ++i) {
            LayoutFont& f = l.fonts[size_t(i)];
            f.name = QStringLiteral("Courier New");
            f.size = l.width == 90 ? 10 : 8;
            f.color = 0;
            f.bold = i == TitlesFont || i == ColumnHeaderFont || i == FootnoteFont;
        }
        l.totals = convertedLine(old, 88, true);
        for (int n = 0; n < MaxBodyLines; ++n)
            l.body[size_t(n)] = convertedLine(old, 1831 + n * LineSize, false);
        result << l;
    }
    return result;
}

QStringList prepareLayoutFile(const QString& programFolder) {
    QStringList problems;
    QString existing = findFileIgnoringCase(programFolder, QLatin1String(LayoutFile::FileName));
    LayoutFile file(existing.isEmpty() ? programFolder + u'/' + QLatin1String(LayoutFile::FileName)
                                       : existing);
    QString error;
    if (existing.isEmpty() && !file.create(defaultReportSet(), &error)) problems << error;

    const QString older = findFileIgnoringCase(programFolder, QLatin1String(OlderLayoutFileName));
    if (older.isEmpty()) return problems;
    QByteArray contents;
    if (textfile::readAll(older, &contents, &error) != textfile::ReadResult::Ok) {
        problems << error;
        return problems;
    }
    const QList<ReportLayout> converted = convertOlderLayouts(contents);
    // The older file goes only once its layouts are safely in the new one.
    if (!converted.isEmpty() && !file.appendAll(converted, &error)) {
        problems << error;
        return problems;
    }
    if (!QFile::remove(older))
        problems << QStringLiteral("The older report layout file \"%1\" could not be deleted.").arg(older);
    return problems;
}

} // namespace reports
