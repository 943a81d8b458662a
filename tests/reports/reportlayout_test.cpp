// The report layout record byte for byte, the line rules of the designer and the built-in layouts.
#include "catalogue/fieldslots.h"
#include "common/files.h"
#include "reports/defaultlayouts.h"
#include "reports/reportlayout.h"

#include <QtEndian>
#include <climits>
#include <cstring>

#include <gtest/gtest.h>

using namespace reports;

namespace {

int int16At(const QByteArray& b, int at) {
    return qFromLittleEndian<qint16>(b.constData() + at);
}
qint32 int32At(const QByteArray& b, int at) {
    return qFromLittleEndian<qint32>(b.constData() + at);
}
double realAt(const QByteArray& b, int at) {
    const quint64 bits = qFromLittleEndian<quint64>(b.constData() + at);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
// A length-prefixed string of the record, with its unused bytes.
QByteArray stringAt(const QByteArray& b, int at, int width) {
    return b.mid(at, width + 1);
}
QByteArray expectedString(const QByteArray& text, int width) {
    QByteArray s(width + 1, '\0');
    s[0] = char(text.size());
    std::memcpy(s.data() + 1, text.constData(), size_t(text.size()));
    return s;
}

// A layout in which every field differs from its default and from its neighbours.
ReportLayout everyFieldSet() {
    ReportLayout l = ReportLayout::newLayout();
    l.name = QStringLiteral("Every Field");
    l.width = 150;
    for (int i = 0; i < FontCount; ++i) {
        LayoutFont& f = l.fonts[size_t(i)];
        f.name = QStringLiteral("Font %1").arg(i);
        f.size = 7 + i;
        f.color = 0x00102030 + i;
    }
    l.columnHeaders = false;
    l.pageNumbers = true;
    l.landscape = true;
    l.dateOnPages = false;
    l.useTotals = true;
    l.linesPerRecord = 11;
    l.totals[0] = LayoutEntry::totalItem(2, 33);
    l.topMargin = 0.25;
    l.bottomMargin = 1.75;
    l.leftMargin = 2.5;
    l.rightMargin = 0.125;
    l.verticalLines = true;
    l.horizontalLines = false;
    l.titles = {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")};
    l.body[0][0] = LayoutEntry::field(Slot::MediaNumber, 12);
    l.body[11][19] = LayoutEntry::text(QStringLiteral("Last"), 9);
    l.groupLevel1 = false;
    l.groupLevel2 = true;
    return l;
}

TEST(ReportLayoutTest, FieldsLieAtTheirOffsets) {
    const QByteArray b = everyFieldSet().toBytes();
    ASSERT_EQ(b.size(), LayoutRecordSize);
    EXPECT_EQ(stringAt(b, 0, 30), expectedString("Every Field", 30));
    EXPECT_EQ(int16At(b, 31), 150);
    for (int i = 0; i < 5; ++i) {
        const int at = 33 + i * 61;
        SCOPED_TRACE(i);
        EXPECT_EQ(stringAt(b, at, 50), expectedString(QByteArray("Font ") + char('0' + i), 50));
        EXPECT_EQ(int16At(b, at + 51), 7 + i);
        EXPECT_EQ(int32At(b, at + 57), 0x00102030 + i);
    }
    EXPECT_EQ(b.mid(338, 5), QByteArray("\0\1\1\0\1", 5));
    EXPECT_EQ(int16At(b, 343), 11);
    EXPECT_EQ(stringAt(b, 345, 30), expectedString("List Price", 30));
    EXPECT_EQ(quint8(b[345 + 31]), 2);
    EXPECT_EQ(int16At(b, 345 + 32), 33);
    EXPECT_EQ(stringAt(b, 345 + 34, 40), expectedString("", 40));
    EXPECT_EQ(stringAt(b, 345 + 75, 30), expectedString("<FILLER>", 30)); // totals entry 2
    EXPECT_EQ(realAt(b, 1845), 0.25);
    EXPECT_EQ(realAt(b, 1853), 1.75);
    EXPECT_EQ(realAt(b, 1861), 2.5);
    EXPECT_EQ(realAt(b, 1869), 0.125);
    EXPECT_EQ(b[1877], 1);
    EXPECT_EQ(b[1878], 0);
    EXPECT_EQ(stringAt(b, 1879, 80), expectedString("One", 80));
    EXPECT_EQ(stringAt(b, 1960, 80), expectedString("Two", 80));
    EXPECT_EQ(stringAt(b, 2041, 80), expectedString("Three", 80));
    // Line 1 entry 1 and line 12 entry 20.
    EXPECT_EQ(stringAt(b, 2122, 30), expectedString("MediaNum", 30));
    EXPECT_EQ(quint8(b[2122 + 31]), Slot::MediaNumber);
    EXPECT_EQ(int16At(b, 2122 + 32), 12);
    const int last = 2122 + 11 * 1500 + 19 * 75;
    EXPECT_EQ(stringAt(b, last, 30), expectedString("<LABEL>", 30));
    EXPECT_EQ(quint8(b[last + 31]), 0);
    EXPECT_EQ(int16At(b, last + 32), 9);
    EXPECT_EQ(stringAt(b, last + 34, 40), expectedString("Last", 40));
    EXPECT_EQ(last + 75, 20122);
    EXPECT_EQ(b[20122], 0);
    EXPECT_EQ(b[20123], 1);
    EXPECT_EQ(b.mid(20124), QByteArray(498, '\0'));
}

TEST(ReportLayoutTest, RecordsRoundTripExactly) {
    QList<ReportLayout> layouts = defaultReportSet();
    layouts << everyFieldSet() << ReportLayout::newLayout();
    for (const ReportLayout& l : layouts) {
        SCOPED_TRACE(l.name.toStdString());
        const QByteArray bytes = l.toBytes();
        const ReportLayout back = ReportLayout::fromBytes(bytes);
        EXPECT_EQ(back, l);
        EXPECT_EQ(back.toBytes(), bytes);
    }
}

TEST(ReportLayoutTest, TextsAtTheirLongestAreKeptAndLongerOnesCut) {
    const QString e40 = QString(40, QChar(0x00E9));    // é, one byte each
    const QString euro81 = QString(81, QChar(0x20AC)); // €
    ReportLayout l;
    l.name = QString(30, u'N');
    l.titles = {euro81, QString(80, u'T'), QString()};
    l.fonts[FootnoteFont].name = QString(51, u'F');
    l.body[3][5] = LayoutEntry::text(e40 + u'x', 1);
    l.body[3][6].kind = QString(31, u'K');
    const QByteArray b = l.toBytes();
    EXPECT_EQ(stringAt(b, 0, 30), expectedString(QByteArray(30, 'N'), 30));
    EXPECT_EQ(stringAt(b, 1879, 80), expectedString(QByteArray(80, '\x80'), 80));
    EXPECT_EQ(stringAt(b, 1960, 80), expectedString(QByteArray(80, 'T'), 80));
    EXPECT_EQ(stringAt(b, 277, 50), expectedString(QByteArray(50, 'F'), 50));
    const int entry = 2122 + 3 * 1500 + 5 * 75;
    EXPECT_EQ(stringAt(b, entry + 34, 40), expectedString(QByteArray(40, '\xE9'), 40));
    EXPECT_EQ(stringAt(b, entry + 75, 30), expectedString(QByteArray(30, 'K'), 30));

    const ReportLayout back = ReportLayout::fromBytes(b);
    EXPECT_EQ(back.name, QString(30, u'N'));
    EXPECT_EQ(back.titles[0], QString(80, QChar(0x20AC)));
    EXPECT_EQ(back.body[3][5].label, e40);
    EXPECT_EQ(back.fonts[FootnoteFont].name, QString(50, u'F'));
}

TEST(ReportLayoutTest, EachFontStyleFlagHasItsOwnByte) {
    struct Case {
        const char* name;
        bool LayoutFont::*flag;
        int byte;
    };
    const Case cases[] = {{"bold", &LayoutFont::bold, 53},
                          {"italic", &LayoutFont::italic, 54},
                          {"underline", &LayoutFont::underline, 55},
                          {"strikeout", &LayoutFont::strikeout, 56}};
    for (int role = 0; role < FontCount; ++role) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " in font " + std::to_string(role));
            ReportLayout l;
            for (LayoutFont& f : l.fonts)
                f = LayoutFont{};
            l.fonts[size_t(role)].*c.flag = true;
            const QByteArray b = l.toBytes();
            const int at = 33 + role * 61;
            for (int flagByte = 53; flagByte <= 56; ++flagByte)
                EXPECT_EQ(b[at + flagByte], flagByte == c.byte ? 1 : 0);
            const ReportLayout back = ReportLayout::fromBytes(b);
            EXPECT_EQ(back.fonts, l.fonts);
        }
    }
    // Every flag at once, with the largest colour value.
    ReportLayout all;
    for (LayoutFont& f : all.fonts)
        f = LayoutFont{QStringLiteral("Courier New"), 72, true, true, true, true, 0xFFFFFF};
    EXPECT_EQ(ReportLayout::fromBytes(all.toBytes()).fonts, all.fonts);
}

TEST(ReportLayoutTest, ReadsForeignBytesSafely) {
    QByteArray b = ReportLayout().toBytes();
    b[0] = char(200); // length byte beyond the field: the full 30 characters
    b[1] = 'A';
    b[338] = char(0x7F); // any non-zero flag is true
    b[339] = 0;
    const int fillerSlot = 2122 + 31;
    b[fillerSlot] = 17; // a filler's slot byte is ignored, and written as 0 again
    const ReportLayout l = ReportLayout::fromBytes(b);
    EXPECT_EQ(l.name.size(), 30);
    EXPECT_EQ(l.name[0], u'A');
    EXPECT_TRUE(l.columnHeaders);
    EXPECT_FALSE(l.pageNumbers);
    EXPECT_EQ(l.toBytes()[fillerSlot], 0);
}

// ---- line rules --------------------------------------------------------------------------

LayoutLine widths(std::initializer_list<int> w) {
    LayoutLine line;
    size_t k = 0;
    for (int v : w)
        line[k++].width = v;
    return line;
}

std::vector<int> usedWidths(const LayoutLine& line) {
    std::vector<int> w;
    for (int k = 0; k < usedEntries(line); ++k)
        w.push_back(line[size_t(k)].width);
    return w;
}

TEST(ReportLayoutTest, FittingALineToTheReportWidth) {
    struct Case {
        const char* what;
        LayoutLine line;
        int width;
        std::vector<int> expected;
    };
    std::vector<Case> cases = {
        {"a wider middle entry pushes the rest", widths({12, 70, 4, 0}), 90, {12, 70, 4, 4}},
        {"a middle entry of width 0 takes the rest", widths({12, 0, 4, 0}), 90, {12, 78}},
        {"a middle entry too wide is narrowed", widths({12, 80, 4, 0}), 90, {12, 78}},
        {"a negative width counts as 0", widths({12, -5, 4}), 90, {12, 78}},
        {"a short line's ending entry takes the rest", widths({10, 10}), 150, {10, 10, 130}},
        {"an exact line stays", widths({50, 40, 7, 7}), 90, {50, 40}},
        {"twenty entries short of the width widen the last",
         widths({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}),
         90,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 71}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        fitLine(c.line, c.width);
        EXPECT_EQ(usedWidths(c.line), c.expected);
        EXPECT_EQ(usedWidth(c.line), c.width);
        for (size_t k = c.expected.size(); k < EntriesPerLine; ++k)
            EXPECT_EQ(c.line[k].width, 0);
    }
}

TEST(ReportLayoutTest, SwitchingTheFirstBuiltInTo120AndBack) {
    ReportLayout l = defaultReportSet()[0];
    const LayoutLine totals = l.totals;
    const LayoutLine second = l.body[1];
    l.switchWidth(120);
    EXPECT_EQ(usedWidths(l.body[0]), (std::vector<int>{12, 64, 4, 40}));
    EXPECT_TRUE(l.body[0][3].isFiller());
    EXPECT_EQ(l.fonts[BodyFont].size, 8);
    l.switchWidth(90);
    EXPECT_EQ(usedWidths(l.body[0]), (std::vector<int>{12, 64, 4, 10}));
    EXPECT_EQ(l.fonts[BodyFont].size, 10);
    EXPECT_EQ(l.width, 90);
    // Only the lines of a record are fitted; the totals line and later lines keep their widths.
    EXPECT_EQ(l.totals, totals);
    EXPECT_EQ(l.body[1], second);
}

TEST(ReportLayoutTest, SwitchingTo150LetsTheFirstEmptyEntryTakeTheDifference) {
    ReportLayout l = defaultReportSet()[2]; // "Star Report", 120 wide, three lines
    l.switchWidth(150);
    EXPECT_EQ(usedWidths(l.body[0]), (std::vector<int>{16, 1, 10, 10, 1, 60, 8, 1, 4, 39}));
    EXPECT_EQ(usedWidths(l.body[1]), (std::vector<int>{6, 1, 25, 4, 25, 4, 25, 4, 25, 31}));
    EXPECT_EQ(usedWidths(l.body[2]), (std::vector<int>{150}));
    EXPECT_EQ(l.fonts[BodyFont].size, 6);
}

TEST(ReportLayoutTest, ReadingIntegersAsTheEditBoxesDo) {
    struct Case {
        const char* text;
        int value;
        bool complete;
    };
    const Case cases[] = {{"12", 12, true},
                          {"  7", 7, true},
                          {"+3", 3, true},
                          {"-4", -4, true},
                          {"12 ", 12, true},
                          {"12a", 12, false},
                          {"a12", 0, false},
                          {"", 0, false},
                          {"-", 0, false},
                          {"1 2", 1, false},
                          {"99999999999", INT_MAX, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bool complete = !c.complete;
        EXPECT_EQ(readInteger(QString::fromLatin1(c.text), &complete), c.value);
        EXPECT_EQ(complete, c.complete);
    }
}

// ---- the built-in layouts ----------------------------------------------------------------

// An entry as the built-in table names it.
std::string describe(const LayoutEntry& e) {
    if (e.isFiller()) return "filler " + std::to_string(e.width);
    if (e.isLabel()) return "\"" + e.label.toStdString() + "\" " + std::to_string(e.width);
    return e.kind.toStdString() + " (" + std::to_string(e.slot) + ") " + std::to_string(e.width);
}

// The line's entries up to the last of non-zero width, and that every later one is a 0 filler.
std::vector<std::string> describe(const LayoutLine& line, int stored = EntriesPerLine) {
    std::vector<std::string> out;
    for (int k = 0; k < stored; ++k)
        out.push_back(describe(line[size_t(k)]));
    while (!out.empty() && out.back() == "filler 0")
        out.pop_back();
    return out;
}

using Texts = std::vector<std::string>;

const Texts kBlank = {"filler 150"};
const Texts kStarLine1 = {"\"Media Number:\" 16", "filler 1", "MediaNum (19) 10",
                          "\"Title:\" 10",        "filler 1", "Title (1) 60",
                          "\"Year:\" 8",          "filler 1", "Year (11) 4"};
const Texts kOscarLine1 = {"\"Media Number:\" 13", "filler 1", "MediaNum (19) 10",
                           "\"Title:\" 10",        "filler 1", "Title (1) 60",
                           "\"Year:\" 8",          "filler 1", "Year (11) 4"};
const Texts kStars = {"\"Stars:\" 6", "filler 1",     "Star1 (2) 25", "filler 4",    "Star2 (3) 25",
                      "filler 4",     "Star3 (4) 25", "filler 4",     "Star4 (5) 25"};
const Texts kOscarNom = {"\"Oscar Nom:\" 10", "filler 1", "OscarNom (29) 109"};
const Texts kOscarAward = {"\"Oscar Award:\" 12", "filler 1", "OscarAward (30) 107"};

TEST(DefaultReportSetTest, SixLayoutsWithTheirSettings) {
    struct Row {
        const char* name;
        int width, lines;
        bool headers, horizontal, vertical, group1;
    };
    const Row rows[] = {{"Title and Media Number Report", 90, 1, true, true, true, false},
                        {"Ratings Report", 90, 1, true, true, true, true},
                        {"Star Report", 120, 3, false, false, false, true},
                        {"Oscar Report", 120, 4, false, false, false, true},
                        {"Large Report", 120, 12, false, false, false, true},
                        {"Statistic/Summary Report", 90, 0, false, false, false, true}};
    const QList<ReportLayout> set = defaultReportSet();
    ASSERT_EQ(set.size(), 6);
    const Texts totals = {"\"Quantity:\" 14",
                          "filler 1",
                          "Quantity (1) 12",
                          "\"List Price:\" 14",
                          "filler 1",
                          "List Price (2) 12",
                          "\"Purchase Price:\" 18",
                          "filler 1",
                          "Purchase Price (3) 12",
                          "filler 0",
                          "filler 0",
                          "filler 0",
                          "filler 60"};
    for (int i = 0; i < 6; ++i) {
        const ReportLayout& l = set[i];
        const Row& r = rows[i];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(l.name, QString::fromLatin1(r.name));
        EXPECT_EQ(l.width, r.width);
        EXPECT_EQ(l.linesPerRecord, r.lines);
        EXPECT_EQ(l.columnHeaders, r.headers);
        EXPECT_EQ(l.horizontalLines, r.horizontal);
        EXPECT_EQ(l.verticalLines, r.vertical);
        EXPECT_EQ(l.groupLevel1, r.group1);
        EXPECT_FALSE(l.groupLevel2);
        for (const LayoutFont& f : l.fonts)
            EXPECT_EQ(f, (LayoutFont{QStringLiteral("Arial"), 8, false, false, false, false, 0}));
        EXPECT_TRUE(l.pageNumbers);
        EXPECT_TRUE(l.dateOnPages);
        EXPECT_TRUE(l.useTotals);
        EXPECT_FALSE(l.landscape);
        for (double m : {l.topMargin, l.bottomMargin, l.leftMargin, l.rightMargin})
            EXPECT_EQ(m, 0.5);
        for (const QString& t : l.titles)
            EXPECT_TRUE(t.isEmpty());
        EXPECT_EQ(describe(l.totals), totals);
        EXPECT_EQ(usedEntries(l.totals), 9);
    }
}

TEST(DefaultReportSetTest, BodyLinesOfEveryLayout) {
    const std::vector<std::vector<Texts>> lines = {
        {{"MediaNum (19) 12", "Title (1) 64", "Year (11) 4"}},
        {{"Title (1) 60", "Rating (13) 15", "PersonalRa (18) 15"}},
        {kStarLine1, kStars, kBlank},
        {kOscarLine1, kOscarNom, kOscarAward, kBlank},
        {kOscarLine1,
         kStars,
         {"\"Producer:\" 9", "filler 1", "Producer (8) 28", "\"Director:\" 11", "filler 1", "Director (9) 28",
          "\"Released By:\" 14", "filler 1", "ReleasedBy (10) 37"},
         {"\"Category:\" 9", "filler 1", "Category (14) 20", "\"Rating:\" 9", "filler 1", "Rating (13) 15",
          "\"Personal Rating:\" 18", "filler 1", "PersonalRa (18) 15", "\"Content:\" 10", "filler 1",
          "Content (24) 10"},
         {"\"Play Time:\" 10", "filler 1", "RunTime (12) 3", "\"Picture:\" 10", "filler 1", "Picture (15) 5",
          "\"Sound:\" 8", "filler 1", "Sound (16) 6", "\"Format:\" 9", "filler 1", "Format (17) 10",
          "\"Record Speed:\" 16", "filler 1", "RecSpeed (20) 3", "\"Laser Format:\" 15", "filler 1",
          "LaserForma (27) 12"},
         {"\"Counter Start:\" 14", "filler 1", "CounterSta (21) 10", "\"Counter Stop:\" 15", "filler 1",
          "CounterSto (22) 10", "\"List Price:\" 13", "filler 1", "ListPrice (28) 20"},
         {"\"Key Words:\" 10", "filler 1", "KeyWords (26) 80"},
         {"\"Miscellaneous:\" 14", "filler 1", "Miscellane (25) 80"},
         {"\"Summary:\" 8", "filler 1", "Descriptio (23) 110"},
         kOscarNom,
         kOscarAward,
         kBlank},
        {},
    };
    const QList<ReportLayout> set = defaultReportSet();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(set[i].name.toStdString());
        for (int n = 0; n < MaxBodyLines; ++n) {
            SCOPED_TRACE("line " + std::to_string(n + 1));
            const Texts expected = size_t(n) < lines[size_t(i)].size() ? lines[size_t(i)][size_t(n)] : kBlank;
            EXPECT_EQ(describe(set[i].body[size_t(n)]), expected);
        }
    }
}

} // namespace
