// Face and spine labels: the stocks and their positions, the layout of every label as data, the
// collecting pass over a real catalogue table, and quillon-cli labels read back with pdftotext.
#include "catalogue/catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/peerprocess.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "reports/labelsheet.h"
#include "reports/labelstock.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <map>

#include <gtest/gtest.h>

using namespace reports;
using peer::pdfText;

namespace {

constexpr double Eps = 1e-6;

// Every character 0.05 inch wide, every line 0.15 inch high, whatever the size.
class FixedMetrics : public LabelMetrics {
public:
    double lineHeight(int) const override { return 0.15; }
    double textWidth(const QString& text, int) const override { return 0.05 * double(text.size()); }
};

LabelMatch video(const QString& title, const QString& start = QStringLiteral("0100")) {
    return {title,
            QStringLiteral("PG"),
            QStringLiteral("T1"),
            start,
            QStringLiteral("0200"),
            QStringLiteral("1984"),
            QStringLiteral("98"),
            QStringLiteral("Drama")};
}

LabelPosition position(const QString& media, int matches) {
    LabelPosition p{media, {}};
    for (int i = 0; i < matches; ++i)
        p.matches.append(video(QStringLiteral("Video %1").arg(i + 1)));
    return p;
}

std::vector<double> widths(const LabelLine& line) {
    std::vector<double> w;
    for (const LabelCell& c : line.cells)
        w.push_back(std::round(c.width * 1e4) / 1e4);
    return w;
}

const ProgramSettings kProgram;

LabelBox onlyLabel(int code, int matches, const LabelItems& items = {}) {
    const LabelSheet sheet = layoutLabelSheet(code, stockDimensions(code, kProgram),
                                              {position("T1", matches)}, items, FixedMetrics());
    EXPECT_EQ(sheet.labels.size(), 1u);
    return sheet.labels.empty() ? LabelBox{} : sheet.labels.front();
}

} // namespace

// ---- stocks and positions ------------------------------------------------------------------------

TEST(LabelStock, PositionsOfEveryPredefinedStock) {
    struct Row {
        int code;
        int count;
        int n;
        double x, y;
    };
    const Row rows[] = {
        {1, 10, 1, 1.1, 0.9},       {1, 10, 4, 4.41, 2.7325},  {1, 10, 10, 4.41, 8.23},
        {2, 15, 1, 1.45, 0.52},     {2, 15, 15, 1.45, 9.8524}, {3, 12, 1, 1.12, 0.437},
        {3, 12, 12, 4.278, 9.4995}, {4, 16, 16, 1.42, 10.63},  {5, 10, 2, 4.485, 1.0},
        {5, 10, 9, 1.05, 8.25},     {6, 13, 13, 1.45, 9.7},    {7, 10, 10, 4.41, 8.25},
        {8, 15, 15, 1.45, 9.7868},
    };
    for (const Row& r : rows) {
        const LabelDimensions d = stockDimensions(r.code, kProgram);
        EXPECT_EQ(positionCount(r.code, d), r.count) << "code " << r.code;
        const LabelOrigin o = labelOrigin(kindOfCode(r.code), d, r.n);
        EXPECT_NEAR(o.x, r.x, Eps) << "code " << r.code << " position " << r.n;
        EXPECT_NEAR(o.y, r.y, Eps) << "code " << r.code << " position " << r.n;
    }
}

TEST(LabelStock, EverySheetFitsItsPageWithoutOverlaps) {
    for (int code = 1; code <= 10; ++code) {
        const LabelDimensions d = stockDimensions(code, kProgram);
        const SheetPage page = sheetPage(code, d);
        EXPECT_EQ(page.a4, code == 3 || code == 4) << "code " << code;
        const int count = positionCount(code, d);
        for (int n = 1; n <= count; ++n) {
            const LabelOrigin o = labelOrigin(kindOfCode(code), d, n);
            EXPECT_GE(o.x, 0) << code;
            EXPECT_LE(o.x + d.width, page.width + Eps) << "code " << code << " position " << n;
            EXPECT_LE(o.y + d.height, page.height + Eps) << "code " << code << " position " << n;
            if (n > 2 || (kindOfCode(code) == LabelType::Spine && n > 1)) {
                const LabelOrigin above =
                    labelOrigin(kindOfCode(code), d, kindOfCode(code) == LabelType::Face ? n - 2 : n - 1);
                EXPECT_GE(o.y + Eps, above.y + d.height) << "code " << code << " position " << n;
            }
        }
    }
}

TEST(LabelStock, UserStockTallerThanLetterGoesOnA4AndCountsAreLimitedToTheGrid) {
    ProgramSettings program;
    program.face.count = 40;
    program.spine = {0.5, 1.0, 5.0, 0.7, 0.0, 16};
    EXPECT_EQ(positionCount(9, stockDimensions(9, program)), MaxFacePositions);
    EXPECT_EQ(positionCount(10, stockDimensions(10, program)), 16);
    EXPECT_TRUE(sheetPage(10, program.spine).a4); // 0.5 + 16 x 0.7 = 11.7 inches
    program.spine.count = 15;
    EXPECT_FALSE(sheetPage(10, program.spine).a4);
    program.spine.count = -3;
    EXPECT_EQ(positionCount(10, program.spine), 0);
}

TEST(LabelStock, PositionsReadTheGridColumnByColumnAndSkipTheUnusedCell) {
    std::array<QString, GridCells> grid;
    for (int i = 0; i < GridCells; ++i)
        grid[size_t(i)] = QStringLiteral(" M%1 ").arg(i, 2, 10, QLatin1Char('0'));
    grid[size_t(unusedGridCell(LabelType::Spine, Avery5199))] = notUsedMarker();
    const QStringList spine =
        positionMediaNumbers(labelCode(LabelType::Spine, Avery5199), stockDimensions(2, kProgram), grid);
    ASSERT_EQ(spine.size(), 15);
    // Position n: column (n - 1) mod 2, row (n - 1) div 2; cell index column x 8 + row.
    EXPECT_EQ(spine.mid(0, 4), QStringList({"M00", "M08", "M01", "M09"}));
    EXPECT_EQ(spine.last(), QStringLiteral("M07"));
    EXPECT_FALSE(spine.contains(notUsedMarker()));

    // Only the unused cell holds text: no media number has been entered.
    std::array<QString, GridCells> empty;
    empty[size_t(unusedGridCell(LabelType::Spine, ZLabel))] = notUsedMarker();
    empty[size_t(unusedGridCell(LabelType::Spine, Professional))] = notUsedMarker();
    EXPECT_FALSE(anyMediaNumber(positionMediaNumbers(8, stockDimensions(8, kProgram), empty)));
    EXPECT_FALSE(anyMediaNumber(positionMediaNumbers(6, stockDimensions(6, kProgram), empty)));
    empty[0] = QStringLiteral("   ");
    EXPECT_FALSE(anyMediaNumber(positionMediaNumbers(6, stockDimensions(6, kProgram), empty)));
    empty[3] = QStringLiteral("X");
    EXPECT_TRUE(anyMediaNumber(positionMediaNumbers(6, stockDimensions(6, kProgram), empty)));

    // A grid cell holds up to 15 characters; a position reads 10 of them.
    grid[0] = QStringLiteral("  ABCDEFGHIJKLMNO");
    EXPECT_EQ(positionMediaNumbers(1, stockDimensions(1, kProgram), grid).first(),
              QStringLiteral("ABCDEFGHIJ"));
}

TEST(LabelStock, SwitchingSpineStocksMovesTheUnusedMarker) {
    std::array<QString, GridCells> grid;
    grid[0] = QStringLiteral("T1");
    const size_t row6 = 1 * GridRows + 6, row7 = 1 * GridRows + 7;
    applyGridShape(grid, LabelType::Spine, Avery5199);
    EXPECT_EQ(grid[row7], notUsedMarker());
    applyGridShape(grid, LabelType::Spine, AveryL7654); // 16 positions: the marker goes
    EXPECT_TRUE(grid[row7].isEmpty());
    applyGridShape(grid, LabelType::Spine, Professional);
    EXPECT_EQ(grid[row6], notUsedMarker());
    applyGridShape(grid, LabelType::Spine, Avery5199); // from 3 to 1: row 6 cleared, row 7 marked
    EXPECT_TRUE(grid[row6].isEmpty());
    EXPECT_EQ(grid[row7], notUsedMarker());
    // A media number typed into the cell is kept when another stock has that position.
    grid[row7] = QStringLiteral("T16");
    applyGridShape(grid, LabelType::Spine, UserDefined);
    EXPECT_EQ(grid[row7], QStringLiteral("T16"));
    applyGridShape(grid, LabelType::Face, Avery5199);
    EXPECT_EQ(grid[row7], QStringLiteral("T16"));
    EXPECT_EQ(grid[0], QStringLiteral("T1"));
}

// ---- layout as data ----------------------------------------------------------------------------

TEST(LabelLayout, FaceCellWidthsForOneMatchAndCompact) {
    // Position 1 of Avery 5199: x 1.1, y 0.9, label 3.06 wide; 3.0 inside its edges.
    const LabelBox one = onlyLabel(1, 1);
    ASSERT_EQ(one.lines.size(), 5u);
    EXPECT_EQ(widths(one.lines[0]), std::vector<double>({3.0}));
    EXPECT_EQ(one.lines[0].cells[0].text, QStringLiteral("T1"));
    EXPECT_NEAR(one.lines[0].y, 0.93 + 0.15, Eps); // one line below the label's top
    EXPECT_NEAR(one.lines[0].cells[0].x, 1.13, Eps);
    EXPECT_EQ(widths(one.lines[1]), std::vector<double>({3.0}));
    EXPECT_NEAR(one.lines[1].y, 0.93 + 0.45, Eps); // and one line after the media number
    EXPECT_EQ(widths(one.lines[2]), std::vector<double>({1.0, 1.5}));
    EXPECT_EQ(widths(one.lines[3]), std::vector<double>({2.0, 1.0}));
    EXPECT_EQ(widths(one.lines[4]), std::vector<double>({1.5, 1.5}));
    EXPECT_EQ(one.lines[4].cells[0].text, QStringLiteral("Start: 0100"));
    EXPECT_EQ(one.lines[2].cells[1].text, QStringLiteral("98 min"));
    for (const LabelLine& l : one.lines)
        EXPECT_EQ(l.pointSize, l.y < 1.2 ? 10 : 11);
    // A line's cells are centred as a group on the label.
    EXPECT_NEAR(one.lines[2].cells[0].x, 1.13 + (3.0 - 2.5) / 2, Eps);

    for (int matches = 2; matches <= 6; ++matches) {
        const LabelBox c = onlyLabel(1, matches);
        const int sizes[] = {0, 0, 10, 10, 9, 8, 6};
        ASSERT_EQ(c.lines.size() + size_t(c.droppedLines), size_t(1 + 2 * matches)) << matches;
        EXPECT_EQ(c.lines[1].pointSize, sizes[matches]);
        EXPECT_EQ(widths(c.lines[1]), std::vector<double>({2.5, 0.5}));
        EXPECT_EQ(widths(c.lines[2]), std::vector<double>({0.5, 0.5, 0.5, 0.5, 1.0}));
        EXPECT_NEAR(c.lines[2].cells[4].x, 1.13 + 2.0, Eps);
    }
}

TEST(LabelLayout, ItemsSwitchedOffTakeNoWidth) {
    LabelItems items;
    items.rating = items.year = items.mediaNumber = false;
    const LabelBox face = onlyLabel(3, 2, items);
    ASSERT_EQ(face.lines.size(), 4u); // no media number line
    EXPECT_EQ(widths(face.lines[0]), std::vector<double>({3.0, 0}));
    EXPECT_EQ(widths(face.lines[1]), std::vector<double>({0.5, 0.5, 0, 0.5, 1.0}));
    EXPECT_EQ(face.lines[1].cells[3].x, face.lines[1].cells[2].x);

    const LabelBox spine = onlyLabel(4, 3, items);
    EXPECT_EQ(widths(spine.lines[0]), std::vector<double>({0.5, 0.5, 3.14, 0, 0.5, 1.0, 0}));
    for (const LabelCell& c : spine.lines[0].cells)
        if (c.width == 0) {
            EXPECT_TRUE(c.text.isEmpty());
        }
}

TEST(LabelLayout, SpineCellsBesideTheMediaNumberOrAtTheLeftMargin) {
    // "T1" is 0.1 inch wide, 0.14 with the cell's margins: a media cell of 0.2 inch.
    const LabelBox one = onlyLabel(2, 1);
    ASSERT_EQ(one.lines.size(), 3u);
    EXPECT_EQ(widths(one.lines[0]), std::vector<double>({0.2}));
    EXPECT_NEAR(one.lines[0].y, 0.52 + 0.25 * 0.6666, Eps);
    EXPECT_NEAR(one.lines[0].cells[0].x, 1.45 + 0.03, Eps);
    EXPECT_EQ(widths(one.lines[1]), std::vector<double>({4.64, 0.8}));
    EXPECT_NEAR(one.lines[1].cells[0].x, 1.48 + 0.2, Eps);
    EXPECT_NEAR(one.lines[1].y, 0.55 + 0.15, Eps);
    // The category takes what is left, so the line ends at the label's right edge.
    EXPECT_EQ(widths(one.lines[2]), std::vector<double>({1.15, 1.15, 0.5, 1.0, 1.64}));
    const LabelBox compact = onlyLabel(2, 4);
    EXPECT_EQ(widths(compact.lines[1]), std::vector<double>({0.5, 0.5, 1.94, 0.5, 0.5, 1.0, 0.5}));
    EXPECT_EQ(compact.lines[1].pointSize, 8);

    LabelItems noMedia;
    noMedia.mediaNumber = false;
    const LabelBox plain = onlyLabel(2, 1, noMedia);
    ASSERT_EQ(plain.lines.size(), 2u);
    EXPECT_NEAR(plain.lines[0].cells[0].x, 1.48, Eps);
    EXPECT_EQ(widths(plain.lines[0]), std::vector<double>({4.84, 0.8}));
    EXPECT_EQ(widths(plain.lines[1]), std::vector<double>({1.15, 1.15, 0.5, 1.0, 1.84}));
    const LabelBox plainCompact = onlyLabel(2, 2, noMedia);
    EXPECT_NEAR(plainCompact.lines[0].cells[0].x, 1.48, Eps);
    EXPECT_NEAR(plainCompact.lines[0].y, 0.55, Eps);
}

TEST(LabelLayout, SpineMediaCellGrowsInTenthsOfAnInch) {
    const FixedMetrics m;
    EXPECT_NEAR(spineMediaCellWidth(QString(), m, 5.7), 0.1, Eps);
    EXPECT_NEAR(spineMediaCellWidth(QStringLiteral("A"), m, 5.7), 0.1, Eps);  // 0.09
    EXPECT_NEAR(spineMediaCellWidth(QStringLiteral("AB"), m, 5.7), 0.2, Eps); // 0.14
    EXPECT_NEAR(spineMediaCellWidth(QStringLiteral("ABCDEFGHIJ"), m, 5.7), 0.6, Eps);
    EXPECT_NEAR(spineMediaCellWidth(QStringLiteral("ABCDEFGHIJ"), m, 0.3), 0.3, Eps);
}

TEST(LabelLayout, TextsAreShortenedToTheirCells) {
    LabelPosition p = position(QStringLiteral("T1"), 2);
    p.matches[0].title = QString(60, QLatin1Char('W'));
    p.matches[0].rating = QStringLiteral("Not Rated Yet");
    const LabelSheet sheet = layoutLabelSheet(1, stockDimensions(1, kProgram), {p}, {}, FixedMetrics());
    const LabelLine& line = sheet.labels.front().lines[1];
    // 2.46 inch of 0.05 inch characters: 49; 0.46 inch: 9.
    EXPECT_EQ(line.cells[0].text, QString(49, QLatin1Char('W')));
    EXPECT_EQ(line.cells[1].text, QStringLiteral("Not Rated"));
}

TEST(LabelLayout, UserLabelsTooSmallForTheirLinesLeaveTheRestOff) {
    ProgramSettings program;
    program.face = {0.5, 0.5, 2.0, 0.7, 0.1, 4};
    const LabelSheet sheet =
        layoutLabelSheet(9, program.face, {position("T1", 6), position("T2", 1)}, {}, FixedMetrics());
    ASSERT_EQ(sheet.labels.size(), 2u);
    for (const LabelBox& box : sheet.labels) {
        EXPECT_GT(box.droppedLines, 0);
        for (const LabelLine& l : box.lines) {
            EXPECT_LE(l.y + l.height, box.origin.y + box.height + Eps);
            for (const LabelCell& c : l.cells)
                EXPECT_LE(c.x + c.width, box.origin.x + box.width + Eps);
        }
    }
}

// With the fonts the page engine draws, every predefined label shows all its lines, inside the label.
TEST(LabelLayout, PredefinedStocksHoldEveryLayoutInTheirLabels) {
    const EngineLabelMetrics metrics(labelFont(FontSetting{}));
    for (int code = 1; code <= 8; ++code) {
        const LabelDimensions d = stockDimensions(code, kProgram);
        for (int matches = 1; matches <= MaxLabelMatches; ++matches) {
            QList<LabelPosition> positions;
            for (int n = 0; n < positionCount(code, d); ++n)
                positions.append(position(QStringLiteral("TAPE%1").arg(n), matches));
            const LabelSheet sheet = layoutLabelSheet(code, d, positions, {}, metrics);
            ASSERT_EQ(int(sheet.labels.size()), positionCount(code, d));
            for (const LabelBox& box : sheet.labels) {
                EXPECT_EQ(box.droppedLines, 0) << "code " << code << ", " << matches << " matches";
                for (const LabelLine& l : box.lines)
                    for (const LabelCell& c : l.cells)
                        EXPECT_LE(c.x + c.width, box.origin.x + box.width + Eps)
                            << "code " << code << ", " << matches << " matches";
            }
        }
    }
}

// ---- the collecting pass over a catalogue table -------------------------------------------------

namespace {

struct Tape {
    const char* media;
    const char* title;
    const char* start;
};

class LabelCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("MASTER.DBF"));
        createTestCatalogue(path);
    }
    void add(const std::vector<Tape>& tapes) {
        dbase::Table t;
        t.open(enginePathOf(path));
        for (const Tape& v : tapes) {
            t.append();
            t.setText(t.fieldIndexOrThrow("MediaNum"), v.media);
            t.setText(t.fieldIndexOrThrow("Title"), v.title);
            t.setText(t.fieldIndexOrThrow("CounterSta"), v.start);
            t.setText(t.fieldIndexOrThrow("Rating"), "PG");
            t.setNumber(t.fieldIndexOrThrow("Year"), 1990);
            t.post();
        }
    }
    static QStringList titles(const LabelPosition& p) {
        QStringList l;
        for (const LabelMatch& m : p.matches)
            l << m.title;
        return l;
    }
    QTemporaryDir dir;
    QString path;
};

} // namespace

TEST_F(LabelCatalogue, SevenVideosOnOneTapeTwoPositionsAndTheOrderByCounterStart) {
    add({{"A1", "First", "0100"},
         {"B2", "Other", "0001"},
         {"A1", "Second", "0900"},
         {"A1", "Third", "0100"},
         {"A10", "Not this", "9999"},
         {"A1", "Fourth", "1500"},
         {"A1", "Fifth", ""},
         {"A1", "Sixth", "0900"},
         {"A1", "Seventh", "9999"},
         {"a1", "Lower case", "5000"}});
    dbase::Table t;
    t.open(enginePathOf(path), dbase::OpenMode::Shared, true);
    t.first();
    t.next();
    const uint32_t at = t.recNo();
    const QList<LabelPosition> positions =
        collectLabels(t, {QStringLiteral("A1"), QString(), QStringLiteral(" A1 "), QStringLiteral("B2"),
                          QStringLiteral("C3")});
    EXPECT_EQ(t.recNo(), at);
    ASSERT_EQ(positions.size(), 5);
    // The first six met in table order, the seventh left out; larger counter texts first, equal
    // texts in table order.
    const QStringList expected = {"Fourth", "Second", "Sixth", "First", "Third", "Fifth"};
    EXPECT_EQ(titles(positions[0]), expected);
    EXPECT_EQ(titles(positions[2]), expected);
    EXPECT_TRUE(positions[1].matches.isEmpty());
    EXPECT_EQ(titles(positions[3]), QStringList({"Other"}));
    EXPECT_TRUE(positions[4].matches.isEmpty());
    EXPECT_EQ(positions[0].matches[0].year, QStringLiteral("1990"));
    EXPECT_EQ(positions[0].matches[0].rating, QStringLiteral("PG"));
}

TEST_F(LabelCatalogue, ThePassSeesWhatTheTablesFilterLetsThrough) {
    add({{"A1", "Kept", "1"}, {"A1", "Filtered", "2"}});
    dbase::Table t;
    t.open(enginePathOf(path), dbase::OpenMode::Shared, true);
    const int title = t.fieldIndexOrThrow("Title");
    t.setFilter([title](const dbase::Table& tt) { return tt.getText(title) == "Kept"; });
    EXPECT_EQ(titles(collectLabels(t, {QStringLiteral("A1")}).first()), QStringList({"Kept"}));
    t.clearFilter();
    EXPECT_EQ(collectLabels(t, {QStringLiteral("A1")}).first().matches.size(), 2);
}

// ---- quillon-cli labels --------------------------------------------------------------------------

namespace {

struct CliRun {
    int code;
    QString out, err;
};

CliRun cli(const QStringList& args, const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("QUILLON_CLI"), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST_F(LabelCatalogue, CliWritesASheetThatReadsBack) {
    if (qEnvironmentVariableIsEmpty("QUILLON_CLI")) GTEST_SKIP() << "QUILLON_CLI not set";
    add({{"T7", "Casablanca", "0100"},
         {"T7", "Notorious", "0500"},
         {"T7", "Rebecca", "0300"},
         {"L2", "Metropolis", "0000"},
         {"X9", "Never Printed", "0000"},
         {"L2", "Am\u00e9lie", "0001"}});
    const QString home = dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    const QString pdf = dir.filePath(QStringLiteral("face.pdf"));
    CliRun r = cli({QStringLiteral("labels"), path, QStringLiteral("--face"), QStringLiteral("--media"),
                    QStringLiteral("T7,,L2"), QStringLiteral("--pdf"), pdf},
                   home);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("T7"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Metropolis")));
    EXPECT_FALSE(text.contains(QStringLiteral("Never Printed")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Am\u00e9lie"))) << text.toStdString();
    // Three recordings on one tape: larger counter starts first.
    const qsizetype notorious = text.indexOf(QStringLiteral("Notorious")),
                    rebecca = text.indexOf(QStringLiteral("Rebecca")),
                    casablanca = text.indexOf(QStringLiteral("Casablanca"));
    EXPECT_TRUE(notorious >= 0 && notorious < rebecca && rebecca < casablanca) << text.toStdString();

    // Spine labels with the title alone: no media number, no counters.
    const QString spine = dir.filePath(QStringLiteral("spine.pdf"));
    r = cli({QStringLiteral("labels"), path, QStringLiteral("--spine"), QStringLiteral("--style"),
             QStringLiteral("3"), QStringLiteral("--media"), QStringLiteral("L2"), QStringLiteral("--items"),
             QStringLiteral("title"), QStringLiteral("--pdf"), spine},
            home);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    text = pdfText(spine);
    EXPECT_TRUE(text.contains(QStringLiteral("Metropolis")));
    EXPECT_FALSE(text.contains(QStringLiteral("L2")));
    EXPECT_FALSE(text.contains(QStringLiteral("Start")));
}

TEST_F(LabelCatalogue, CliRefusals) {
    if (qEnvironmentVariableIsEmpty("QUILLON_CLI")) GTEST_SKIP() << "QUILLON_CLI not set";
    add({{"T7", "Casablanca", "0100"}});
    const QString home = dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const QStringList base = {QStringLiteral("labels"), path, QStringLiteral("--pdf"), pdf};
    struct Case {
        QStringList extra;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{"--face", "--media", ",  ,"}, 1, "No media numbers have been entered."},
        {{"--face", "--media", "T7", "--items", ""}, 1, "No items are selected for print."},
        {{"--face", "--media", "T7", "--items", "title,colour"}, 2, "unknown item \"colour\""},
        {{"--face", "--media", "1,2,3,4,5,6,7,8,9,10,11"}, 2, "the sheet has 10 labels"},
        {{"--face", "--spine", "--media", "T7"}, 2, "not both"},
        {{"--media", "T7"}, 2, "--face or --spine"},
        {{"--spine", "--style", "6", "--media", "T7"}, 2, "from 1 to 5"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(base + c.extra, home);
        EXPECT_EQ(r.code, c.code) << c.extra.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdf)) << c.extra.join(u' ').toStdString();
    }
    // A folder that does not exist: the reason, no file.
    const CliRun r =
        cli({QStringLiteral("labels"), path, QStringLiteral("--face"), QStringLiteral("--media"),
             QStringLiteral("T7"), QStringLiteral("--pdf"), dir.filePath(QStringLiteral("no/such.pdf"))},
            home);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no/such.pdf"))) << r.err.toStdString();
}
