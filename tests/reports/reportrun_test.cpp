// Report generation in text file mode: each built-in layout over a known catalogue against text
// the test derives from the records itself (values cut and padded to their entries, headings at
// group changes, totals summed here), grouping by the secondary sort level, a group footer that
// no longer fits its page, the search result only, and a PDF read back with pdftotext.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "common/files.h"
#include "dbase/table.h"
#include "render/renderer.h"
#include "reports/defaultlayouts.h"
#include "reports/reportrun.h"

namespace {

using reports::LayoutEntry;
using reports::LayoutLine;
using reports::ReportLayout;
using reports::ReportRun;
using Record = std::map<std::string, std::string>; // field name in capitals -> stored text

const QDate Today(2026, 12, 10);

// A catalogue table holding the records in this order (no sort index: record order).
struct Catalogue {
    QTemporaryDir dir;
    QString path;
    dbase::Table table;
    explicit Catalogue(const std::vector<Record>& records) {
        path = dir.filePath("MASTER.DBF");
        dbase::Table::create(path.toStdString(), ::catalogueFields());
        table.open(path.toStdString());
        for (const Record& r : records) {
            table.append();
            for (const auto& [name, value] : r)
                table.setText(table.fieldIndexOrThrow(name), value);
            table.post();
        }
    }
};

std::vector<Record> knownRecords() {
    return {
        {{"TITLE", "Casablanca"},
         {"MEDIANUM", "T00001"},
         {"YEAR", "1942"},
         {"CATEGORY", "Drama"},
         {"RATING", "PG"},
         {"PERSONALRA", "Excellent"},
         {"LISTPRICE", "1234.5"},
         {"PURCHPRICE", "19.99"},
         {"STAR1", "Humphrey Bogart"},
         {"STAR2", "Ingrid Bergman"},
         {"OSCARAWARD", "Best Picture"},
         {"RUNTIME", "102"},
         {"DIRECTOR", "Michael Curtiz"}},
        {{"TITLE", "Rebecca"},
         {"MEDIANUM", "T00002"},
         {"YEAR", "1940"},
         {"CATEGORY", "Drama"},
         {"RATING", "NR"},
         {"LISTPRICE", "15"},
         {"STAR1", "Laurence Olivier"}},
        {{"TITLE", "A Title Long Enough To Be Cut Where Its Entry Of The Report Ends, Surely"},
         {"MEDIANUM", "L00003"},
         {"YEAR", "1959"},
         {"CATEGORY", "Thriller"},
         {"PURCHPRICE", "7.25"},
         {"KEYWORDS", "chase, crop duster"}},
        {{"TITLE", "Vertigo"}, {"MEDIANUM", "L00004"}, {"CATEGORY", "Thriller"}},
    };
}

reports::ReportSource sourceFor(dbase::Table& table, std::array<int, 4> sortLevels) {
    reports::ReportSource s;
    s.table = &table;
    for (int slot = 1; slot <= FieldCount; ++slot)
        s.displayNames[std::size_t(slot - 1)] = defaultTitle(slot);
    s.sortLevels = sortLevels;
    s.today = Today;
    return s;
}

// Runs a layout to a text file and returns its lines (CR LF split; the file must use CR LF).
QStringList runToText(const ReportLayout& layout, const reports::ReportSource& source,
                      QString* error = nullptr) {
    QTemporaryDir dir;
    const QString out = dir.filePath("REPORT.TXT");
    ReportRun run(layout, source, ReportRun::Mode::TextFile);
    run.setTextFile(out);
    render::Renderer renderer;
    render::PageStore store;
    const ReportRun::Outcome outcome = run.run(renderer, store);
    if (error) *error = run.error();
    EXPECT_EQ(outcome, ReportRun::Outcome::Completed) << run.error().toStdString();
    const QByteArray bytes = readFile(out);
    EXPECT_TRUE(bytes.endsWith("\x0c\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
    QStringList lines = QString::fromLatin1(bytes).split("\r\n");
    lines.removeLast(); // after the last line end
    return lines;
}

// ---- The expected text, derived from the records.

QString money(double v) {
    QString digits = QString::number(std::fabs(v), 'f', 2);
    QString whole = digits.left(digits.size() - 3);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, ',');
    return (v < 0 ? "-" : "") + whole + digits.right(3);
}

QString shown(const Record& r, int slot) {
    const std::string name = fieldName(slot).toUpper().toStdString();
    const auto it = r.find(name);
    const QString text = it == r.end() ? QString() : QString::fromStdString(it->second);
    if (fieldSlot(slot).letter == 'C') return text.left(fieldSlot(slot).width); // as the table keeps it
    if (fieldSlot(slot).letter != 'N' || text.isEmpty()) return text;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok) return QString(); // not stored as a number: the field is blank
    if (slot == Slot::ListPrice || slot == Slot::PurchasePrice) return money(v);
    return QString::number(qint64(v));
}

double amount(const Record& r, const char* field) {
    const auto it = r.find(field);
    bool ok = false;
    const double v = it == r.end() ? 0 : QString::fromStdString(it->second).toDouble(&ok);
    return ok ? v : 0;
}

struct Sums {
    int count = 0;
    double list = 0, purchase = 0;
};

QString textLine(const LayoutLine& line, const std::function<QString(const LayoutEntry&)>& value) {
    QString out;
    for (const LayoutEntry& e : line) {
        if (e.width < 1) break;
        if (e.isFiller())
            out += QString(e.width, ' ');
        else if (e.isLabel())
            out += e.label.left(e.width).rightJustified(e.width);
        else
            out += value(e).left(e.width).leftJustified(e.width);
    }
    return out;
}

QString centredLine(const QString& text, int width) {
    return QString(std::max<qsizetype>(0, (width - text.size()) / 2), ' ') + text;
}

QStringList totalsBlock(const ReportLayout& l, const QString& caption, const Sums& s) {
    return {centredLine(caption, l.width), textLine(l.totals, [&](const LayoutEntry& e) {
                return e.slot == 1 ? QString::number(s.count) : money(e.slot == 2 ? s.list : s.purchase);
            })};
}

// One page of a report over the records in order, grouped by group1 (0 none).
QStringList expectedOnePage(const ReportLayout& l, const std::vector<Record>& records, int group1) {
    QStringList out;
    for (const QString& t : l.titles)
        if (!t.isEmpty()) out << t;
    if (l.linesPerRecord == 1 && l.columnHeaders)
        out << textLine(l.body[0], [](const LayoutEntry& e) { return defaultTitle(e.slot); });
    Sums group, grand;
    QString previous;
    bool first = true;
    for (const Record& r : records) {
        if (group1 && l.groupLevel1) {
            const QString value = shown(r, group1);
            if (first || value != previous) {
                if (!first && l.useTotals) {
                    out << totalsBlock(l, "TOTALS", group);
                    group = Sums();
                }
                first = false;
                previous = value;
                out << "" << centredLine(QString(value.size(), '-'), l.width) << centredLine(value, l.width)
                    << centredLine(QString(value.size(), '-'), l.width);
            }
        }
        for (int n = 0; n < l.linesPerRecord; ++n)
            out << textLine(l.body[n], [&](const LayoutEntry& e) { return shown(r, e.slot); });
        for (Sums* s : {&group, &grand}) {
            s->count += 1;
            s->list += amount(r, "LISTPRICE");
            s->purchase += amount(r, "PURCHPRICE");
        }
    }
    if (l.useTotals) out << totalsBlock(l, "TOTALS", group) << "" << totalsBlock(l, "GRAND TOTALS", grand);
    out << ""
        << "Page 1" + QString(10, ' ') + Today.toString("MM/dd/yy") + QChar(12);
    return out;
}

void expectSameLines(const QStringList& actual, const QStringList& expected) {
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i)
        EXPECT_EQ(actual.value(i).toStdString(), expected.value(i).toStdString()) << "line " << i + 1;
}

TEST(ReportText, EachBuiltInReportOverAKnownCatalogue) {
    const std::vector<Record> records = knownRecords();
    Catalogue c(records);
    for (const ReportLayout& layout : reports::defaultReportSet()) {
        SCOPED_TRACE(layout.name.toStdString());
        const QStringList lines = runToText(layout, sourceFor(c.table, {Slot::Category, Slot::Title, 0, 0}));
        expectSameLines(lines, expectedOnePage(layout, records, Slot::Category));
    }
}

TEST(ReportText, TitlesAreWrittenUnchangedAndTheDateCanBeLeftOut) {
    Catalogue c(knownRecords());
    ReportLayout layout = reports::defaultReportSet()[0];
    layout.titles = {"  My Videos", "", "Second title"};
    layout.dateOnPages = false;
    const QStringList lines = runToText(layout, sourceFor(c.table, {}));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "  My Videos");
    EXPECT_EQ(lines[1], "Second title");
}

// The page line of each page, in the text file and on the previewed page, with the page number
// and the date each switched on or off in the layout.
TEST(ReportText, ThePageLineFollowsThePageNumberAndDateSwitches) {
    Catalogue c(knownRecords());
    const QString date = Today.toString("MM/dd/yy");
    const struct {
        bool pageNumbers, date;
        QString textLine;
        QStringList drawn, notDrawn;
    } cases[] = {
        {true, true, "Page 1" + QString(10, ' ') + date, {"Page 1", date}, {}},
        {true, false, "Page 1     ", {"Page 1"}, {date}},
        {false, true, QString(5, ' ') + date, {date}, {"Page 1"}},
        {false, false, "", {}, {"Page 1", date}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.textLine.toStdString());
        ReportLayout layout = reports::defaultReportSet()[0];
        layout.pageNumbers = k.pageNumbers;
        layout.dateOnPages = k.date;
        const QStringList lines = runToText(layout, sourceFor(c.table, {}));
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.last(), k.textLine + QChar(12));
        ReportRun run(layout, sourceFor(c.table, {}), ReportRun::Mode::Preview);
        render::Renderer renderer;
        render::PageStore store;
        ASSERT_EQ(run.run(renderer, store), ReportRun::Outcome::Completed);
        const QStringList texts = store.pageTexts(0);
        for (const QString& t : k.drawn)
            EXPECT_TRUE(texts.contains(t)) << t.toStdString();
        for (const QString& t : k.notDrawn)
            EXPECT_FALSE(texts.contains(t)) << t.toStdString();
    }
}

TEST(ReportText, GroupsByTheSecondarySortLevelWhenThePrimaryIsEmpty) {
    const std::vector<Record> records = knownRecords();
    Catalogue c(records);
    const ReportLayout ratings = reports::defaultReportSet()[1];
    const QStringList lines = runToText(ratings, sourceFor(c.table, {0, Slot::Category, 0, 0}));
    expectSameLines(lines, expectedOnePage(ratings, records, Slot::Category));
    EXPECT_EQ(lines.count(centredLine("Thriller", 90)), 1);
}

TEST(ReportText, BothGroupLevelsMakeOneHeadingPerPair) {
    Catalogue c(knownRecords());
    ReportLayout layout = reports::defaultReportSet()[1];
    layout.groupLevel2 = true;
    const QStringList lines = runToText(layout, sourceFor(c.table, {Slot::Category, Slot::Rating, 0, 0}));
    for (const char* heading : {"Drama, PG", "Drama, NR", "Thriller, "})
        EXPECT_EQ(lines.count(centredLine(heading, 90)), 1) << heading;
    EXPECT_EQ(lines.count(centredLine("TOTALS", 90)), 3); // two group footers and the final one
}

TEST(ReportText, WithoutGroupingTheTotalsAndGrandTotalsAgree) {
    Catalogue c(knownRecords());
    const ReportLayout layout = reports::defaultReportSet()[0];
    const QStringList lines = runToText(layout, sourceFor(c.table, {Slot::Category, 0, 0, 0}));
    const qsizetype totals = lines.indexOf(centredLine("TOTALS", 90));
    const qsizetype grand = lines.indexOf(centredLine("GRAND TOTALS", 90));
    ASSERT_GT(totals, 0);
    ASSERT_EQ(grand, totals + 3);
    EXPECT_EQ(lines[totals + 1], lines[grand + 1]);
    EXPECT_TRUE(lines[grand + 1].contains("1,249.50"));
    EXPECT_TRUE(lines[grand + 1].contains("27.24"));
}

// The number of text lines the body of a page holds for a one-line layout in Arial 8.
int bodyLines(const ReportLayout& layout) {
    render::Renderer r;
    QFont font(layout.fonts[reports::BodyFont].name);
    font.setPointSizeF(layout.fonts[reports::BodyFont].size);
    r.setFont(font);
    return int(std::floor((r.pageHeight() - layout.bottomMargin - 0.75 - 1.25) / r.lineHeight() + 1e-6));
}

TEST(ReportText, AGroupFooterThatNoLongerFitsOpensTheNextPage) {
    ReportLayout layout = reports::defaultReportSet()[0];
    layout.groupLevel1 = true;
    const int capacity = bodyLines(layout);
    ASSERT_GT(capacity, 20);
    // Page 1: the column headers, the first heading (4 lines) and exactly as many records of
    // group A as fill the page.
    const int groupA = capacity - 1 - 4;
    std::vector<Record> records;
    for (int i = 0; i < groupA; ++i)
        records.push_back({{"TITLE", QString("A%1").arg(i, 3, 10, QChar('0')).toStdString()},
                           {"CATEGORY", "Alpha"},
                           {"LISTPRICE", "1"}});
    records.push_back({{"TITLE", "B"}, {"CATEGORY", "Beta"}, {"LISTPRICE", "2"}});
    Catalogue c(records);
    const QStringList lines = runToText(layout, sourceFor(c.table, {Slot::Category, 0, 0, 0}));
    const qsizetype pageEnd = lines.indexOf(QRegularExpression("^Page 1 .*\x0c$"));
    ASSERT_GT(pageEnd, 0);
    // Page 1 ends with the last record of A; page 2 starts with A's totals, then B's heading.
    EXPECT_TRUE(lines[pageEnd - 2].contains(QString("A%1").arg(groupA - 1, 3, 10, QChar('0'))));
    EXPECT_EQ(lines[pageEnd + 1], lines[0]); // the column headers again
    EXPECT_EQ(lines[pageEnd + 2], centredLine("TOTALS", 90));
    EXPECT_TRUE(
        lines[pageEnd + 3].contains(QString("Quantity:") + QString(1, ' ') + QString::number(groupA)));
    EXPECT_EQ(lines[pageEnd + 6], centredLine("Beta", 90));
    EXPECT_TRUE(lines.last().startsWith("Page 2 "));
}

TEST(ReportText, OnlyTheRecordsThroughTheTableFilterArePrinted) {
    const std::vector<Record> records = knownRecords();
    Catalogue c(records);
    const int category = c.table.fieldIndexOrThrow("CATEGORY");
    c.table.setFilter([category](const dbase::Table& t) { return t.getText(category) == "Thriller"; });
    const ReportLayout layout = reports::defaultReportSet()[0];
    const QStringList lines = runToText(layout, sourceFor(c.table, {}));
    expectSameLines(lines, expectedOnePage(layout, {records[2], records[3]}, 0));
}

TEST(ReportText, AnEmptyCatalogueGivesOnePageOfZeroTotals) {
    Catalogue c({});
    const ReportLayout layout = reports::defaultReportSet()[5];
    const QStringList lines = runToText(layout, sourceFor(c.table, {Slot::Category, 0, 0, 0}));
    expectSameLines(lines, expectedOnePage(layout, {}, Slot::Category));
}

TEST(ReportText, AFileThatCannotBeCreatedIsAFailureNamingIt) {
    Catalogue c(knownRecords());
    ReportRun run(reports::defaultReportSet()[0], sourceFor(c.table, {}), ReportRun::Mode::TextFile);
    run.setTextFile("/nonexistent-folder/REPORT.TXT");
    render::Renderer renderer;
    render::PageStore store;
    EXPECT_EQ(run.run(renderer, store), ReportRun::Outcome::Failed);
    EXPECT_TRUE(run.error().contains("/nonexistent-folder/REPORT.TXT"));
}

TEST(ReportPages, AHugeFontStopsTheRunInsteadOfMakingEmptyPages) {
    Catalogue c(knownRecords());
    ReportLayout layout = reports::defaultReportSet()[4];
    layout.fonts[reports::BodyFont].size = 400;
    ReportRun run(layout, sourceFor(c.table, {}), ReportRun::Mode::Preview);
    render::Renderer renderer;
    render::PageStore store;
    EXPECT_EQ(run.run(renderer, store), ReportRun::Outcome::Failed);
    EXPECT_FALSE(run.error().isEmpty());
    EXPECT_LE(store.pageCount(), 1);
}

TEST(ReportPages, PreviewPagesHoldTheTextsOfTheReport) {
    Catalogue c(knownRecords());
    ReportRun run(reports::defaultReportSet()[1], sourceFor(c.table, {Slot::Category, 0, 0, 0}),
                  ReportRun::Mode::Preview);
    render::Renderer renderer;
    render::PageStore store;
    ASSERT_EQ(run.run(renderer, store), ReportRun::Outcome::Completed);
    ASSERT_EQ(store.pageCount(), 1);
    const QStringList texts = store.pageTexts(0);
    for (const char* t : {"Title", "Rating", "Drama", "Thriller", "Casablanca", "TOTALS", "GRAND TOTALS",
                          "Page 1", "12/10/26", "Quantity:", "1,249.50"})
        EXPECT_TRUE(texts.contains(t)) << t;
    // The long title is cut to its cell, never wrapped.
    bool cut = false;
    for (const QString& t : texts)
        if (t.startsWith("A Title Long Enough") && t.size() < 70) cut = true;
    EXPECT_TRUE(cut);
}

// The batch tool's report to PDF, read back with pdftotext.
TEST(ReportPdf, TheBatchToolWritesAReadablePdf) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString cli = qEnvironmentVariable("QUILLON_CLI");
    if (cli.isEmpty()) GTEST_SKIP() << "QUILLON_CLI is not set";
    Catalogue c(knownRecords());
    c.table.close();
    QTemporaryDir dir;
    QProcess p;
    const QString pdf = dir.filePath("large.pdf");
    p.start(cli, {"report", c.path, "Large Report", "--pdf", pdf, "--where", "Category: Thriller"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    p.start(pdftotext, {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Vertigo"));
    EXPECT_TRUE(text.contains("crop duster"));
    EXPECT_FALSE(text.contains("Casablanca"));
    EXPECT_TRUE(text.contains("GRAND TOTALS"));
    EXPECT_TRUE(text.contains("Page 1"));

    // The same report as text names the same videos; an unknown layout is refused.
    const QString txt = dir.filePath("large.txt");
    p.start(cli, {"report", c.path, "--layout", "4", "--text", txt, "--where", "Category: Thriller"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(readFile(txt).contains("Vertigo"));
    EXPECT_FALSE(readFile(txt).contains("Casablanca"));
    p.start(cli, {"report", c.path, "No Such Report", "--text", txt});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("No Such Report"));
}

} // namespace
