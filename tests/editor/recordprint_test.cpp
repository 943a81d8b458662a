// The printed record: line layout on the page and one page per copy, read back from a PDF.
#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/printjob.h"
#include "editor/recordprint.h"

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

TEST(RecordPrint, GeometryFollowsThePrintableArea) {
    guiApp();
    QTemporaryDir dir;
    QPdfWriter pdf(dir.path() + "/g.pdf");
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QPageSize::Letter));
    const RecordPrint::Geometry g = RecordPrint::geometry(pdf);
    EXPECT_EQ(g.left, pdf.width() / 17);
    EXPECT_EQ(g.top, pdf.height() / 22);
    // Arial 10 at 600 dots per inch: a line is a little more than 10 points high.
    EXPECT_GT(g.step, 10 * 600 / 72);
    EXPECT_LT(g.step, 20 * 600 / 72);
    // All forty lines fit on the page.
    EXPECT_LT(g.top + 40 * g.step, pdf.height());
}

TEST(RecordPrint, OnePagePerCopyWithTheLinesInOrder) {
    guiApp();
    QTemporaryDir dir;
    const QString file = dir.path() + "/record.pdf";
    {
        QPdfWriter pdf(file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        EXPECT_FALSE(PrintJob::active());
        ASSERT_TRUE(RecordPrint(fortyLines()).print(pdf, 3));
        EXPECT_FALSE(PrintJob::active());
    }
    EXPECT_TRUE(run("pdfinfo", {file}).contains(QRegularExpression("Pages:\\s+3\\b")));
    const QStringList pages = run("pdftotext", {"-layout", file, "-"}).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    for (const QString& page : pages) {
        QStringList lines;
        for (const QString& l : page.split('\n'))
            if (!l.trimmed().isEmpty()) lines << l.trimmed();
        EXPECT_EQ(lines, fortyLines());
    }
}

TEST(RecordPrint, ADeviceThatCannotBeginFails) {
    guiApp();
    QPdfWriter pdf(QStringLiteral("/nonexistent-folder/x/record.pdf"));
    EXPECT_FALSE(RecordPrint(fortyLines()).print(pdf, 1));
    EXPECT_FALSE(PrintJob::active());
}
