// The printed record: line layout on the page and one page per copy, read back from a PDF.
#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

#include "editor/recordprint.h"
#include "render/pagestore.h"
#include "render/renderer.h"

namespace {

// Fonts need a GUI application (offscreen, no display).
void guiApp() {
    if (QGuiApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "recordprint_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList fortyLines() {
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << RecordPrint::line(QStringLiteral("Field %1").arg(i), QStringLiteral("value %1").arg(i));
    return lines;
}

} // namespace

TEST(RecordPrint, LineIsNameColonValue) {
    EXPECT_EQ(RecordPrint::line("Title", "Casablanca"), "Title: Casablanca");
    EXPECT_EQ(RecordPrint::line("Viewed", ""), "Viewed: ");
}

namespace {

// Lays the record out for a page at 600 dots per inch and prints it into a PDF file.
bool printToPdf(const QString& file, const QStringList& lines, int copies, QSizeF paper = QSizeF(612, 792),
                bool landscape = false) {
    render::Renderer renderer(paper, 600);
    renderer.setLandscape(landscape);
    render::PageStore pages;
    RecordPrint(lines).layOut(renderer, pages, copies);
    QPdfWriter pdf(file);
    pdf.setResolution(600);
    return render::printPages(pages, pdf, 0, pages.pageCount() - 1);
}

QStringList nonEmptyLines(const QString& page) {
    QStringList lines;
    for (const QString& l : page.split('\n'))
        if (!l.trimmed().isEmpty()) lines << l.trimmed();
    return lines;
}

} // namespace

TEST(RecordPrint, GeometryFollowsThePage) {
    guiApp();
    struct Case {
        QSizeF paper;
        bool landscape;
    };
    for (const Case& c : {Case{{612, 792}, false}, Case{{595, 842}, false}, Case{{612, 792}, true}}) {
        render::Renderer renderer(c.paper, 600);
        renderer.setLandscape(c.landscape);
        const RecordPrint::Geometry g = RecordPrint::geometry(renderer);
        const long w = std::lround(renderer.pageWidth() * 600), h = std::lround(renderer.pageHeight() * 600);
        EXPECT_DOUBLE_EQ(g.left, double(w / 17) / 600);
        EXPECT_DOUBLE_EQ(g.top, double(h / 22) / 600);
        // Arial 10: a line is a little more than 10 points high.
        EXPECT_GT(g.step * 72, 10.0);
        EXPECT_LT(g.step * 72, 20.0);
        if (!c.landscape) {
            EXPECT_LT(g.top + 40 * g.step, renderer.pageHeight()) << "all forty lines fit";
        }
    }
}

TEST(RecordPrint, PagesHoldTheLinesWhereTheGeometrySays) {
    guiApp();
    render::Renderer renderer(QSizeF(612, 792), 600);
    const RecordPrint::Geometry g = RecordPrint::geometry(renderer);
    render::PageStore pages;
    RecordPrint(fortyLines()).layOut(renderer, pages, 2);
    ASSERT_EQ(pages.pageCount(), 2);
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(pages.pageTexts(p), fortyLines());
        const auto& texts = pages.page(p).texts;
        ASSERT_EQ(texts.size(), 40u);
        for (std::size_t n = 1; n < texts.size(); ++n) {
            EXPECT_NEAR(texts[n].x, g.left * 72, 0.01);
            EXPECT_NEAR(texts[n].y - texts[n - 1].y, g.step * 72, 0.01);
        }
    }
}

TEST(RecordPrint, OnePagePerCopyWithTheLinesInOrder) {
    guiApp();
    QTemporaryDir dir;
    const QString file = dir.path() + "/record.pdf";
    ASSERT_TRUE(printToPdf(file, fortyLines(), 3, QSizeF(595, 842)));
    EXPECT_TRUE(run("pdfinfo", {file}).contains(QRegularExpression("Pages:\\s+3\\b")));
    EXPECT_TRUE(run("pdfinfo", {file}).contains(QRegularExpression("595(\\.\\d+)? x 842")));
    const QStringList pages = run("pdftotext", {"-layout", file, "-"}).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    for (const QString& page : pages)
        EXPECT_EQ(nonEmptyLines(page), fortyLines());
}

TEST(RecordPrint, ALandscapePageKeepsTheLinesThatFitOnIt) {
    guiApp();
    QTemporaryDir dir;
    const QString file = dir.path() + "/wide.pdf";
    ASSERT_TRUE(printToPdf(file, fortyLines(), 1, QSizeF(420, 595), true)); // A5, turned
    EXPECT_TRUE(run("pdfinfo", {file}).contains(QRegularExpression("595(\\.\\d+)? x 420")));
    const QStringList lines = nonEmptyLines(run("pdftotext", {"-layout", file, "-"}).remove('\f'));
    // 5.8 inches high: fewer than forty lines fit; the ones printed are the first ones, whole.
    ASSERT_GT(lines.size(), 20);
    ASSERT_LT(lines.size(), 40);
    EXPECT_EQ(lines, fortyLines().mid(0, lines.size()));
}

TEST(RecordPrint, ADeviceThatCannotBeginFails) {
    guiApp();
    EXPECT_FALSE(printToPdf(QStringLiteral("/nonexistent-folder/x/record.pdf"), fortyLines(), 1));
}
