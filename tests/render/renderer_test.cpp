// The page engine: cells, shortening, lines left, the page store replayed on an image and a PDF.
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "render/finishedpages.h"
#include "render/renderer.h"

namespace {

using render::Cell;
using render::Justify;
using render::PageStore;
using render::Renderer;

// A run of a fixed number of pages, each printing what the test asks for.
class Pages : public render::PageEvents {
public:
    std::function<void(Renderer&)> body;
    int pages = 1;
    bool pageBody(Renderer& r) override {
        r.setSection(1, r.pageHeight() - 1);
        r.goToSectionTop();
        if (body) body(r);
        return r.pageNumber() < pages;
    }
};

TEST(Renderer, TextIsShortenedToItsCellByTheMeasuredWidth) {
    Renderer r;
    r.setFont(QFont("Arial", 10));
    const QString text = "A rather long title of a video";
    const double full = r.textWidth(text);
    struct Case {
        double width;
        bool whole;
    } cases[] = {{full + 0.01, true}, {full / 2, false}, {0.0, false}};
    for (const Case& c : cases) {
        const QString fitted = r.fitText(text, c.width);
        EXPECT_EQ(fitted == text, c.whole) << c.width;
        EXPECT_LE(r.textWidth(fitted), c.width + 1e-6);
        EXPECT_TRUE(text.startsWith(fitted));
        // One more character would not fit.
        if (!c.whole) {
            EXPECT_GT(r.textWidth(text.left(fitted.size() + 1)), c.width);
        }
    }
}

TEST(Renderer, CellsFollowEachOtherFromTheLeftMarginAndJustifyTheirText) {
    Renderer r;
    r.setMargins(0.5, 0.5, 0.75, 0.5);
    PageStore store;
    Pages pages;
    pages.body = [](Renderer& r) {
        r.setFont(QFont("Arial", 10));
        r.addCell({2.0, Justify::Left, render::NoLines, 0.02, -1});
        r.addCell({2.0, Justify::Right, render::AllLines, 0.02, -1});
        r.addCell({2.0, Justify::Centre, render::NoLines, 0.02, -1});
        EXPECT_DOUBLE_EQ(r.cellLeft(0), 0.75);
        EXPECT_DOUBLE_EQ(r.cellLeft(2), 4.75);
        EXPECT_DOUBLE_EQ(r.cellWidth(1), 2.0);
        EXPECT_DOUBLE_EQ(r.cellWidth(3), 0.0);
        r.printCell("left");
        r.printCell("right");
        r.printCell("mid");
        r.newLine();
    };
    ASSERT_TRUE(r.run(pages, store));
    ASSERT_EQ(store.pageCount(), 1);
    const PageStore::Page& page = store.page(0);
    ASSERT_EQ(page.texts.size(), 3u);
    ASSERT_EQ(page.lines.size(), 4u); // the boxed cell only
    Renderer m;
    m.setFont(QFont("Arial", 10));
    EXPECT_NEAR(page.texts[0].x, (0.75 + 0.02) * 72, 0.01);
    EXPECT_NEAR(page.texts[1].x + m.textWidth("right") * 72, (4.75 - 0.02) * 72, 0.05);
    EXPECT_NEAR(page.texts[2].x + m.textWidth("mid") * 36, 5.75 * 72, 0.05);
    EXPECT_EQ(store.pageTexts(0), QStringList({"left", "right", "mid"}));
}

TEST(Renderer, LinesLeftCountWholeLinesOfTheFontDownToTheSectionBottom) {
    Renderer r;
    PageStore store;
    Pages pages;
    int before = -1, after = -1, small = -1;
    pages.body = [&](Renderer& r) {
        r.setFont(QFont("Arial", 12));
        r.setSection(1, 2); // one inch
        r.goToSectionTop();
        before = r.linesLeft();
        r.newLine();
        after = r.linesLeft();
        r.setFont(QFont("Arial", 6));
        small = r.linesLeft();
    };
    ASSERT_TRUE(r.run(pages, store));
    Renderer m;
    m.setFont(QFont("Arial", 12));
    EXPECT_EQ(before, int(1.0 / m.lineHeight()));
    EXPECT_GT(before, 2);
    EXPECT_EQ(after, before - 1);
    EXPECT_GT(small, after);
}

TEST(Renderer, LandscapeSwapsThePageAndAnAbortEndsTheRun) {
    Renderer r(QSizeF(612, 792));
    r.setLandscape(true);
    EXPECT_DOUBLE_EQ(r.pageWidth(), 11.0);
    EXPECT_DOUBLE_EQ(r.pageHeight(), 8.5);
    PageStore store;
    Pages pages;
    pages.pages = 100;
    pages.body = [](Renderer& r) {
        if (r.pageNumber() == 3) r.abort();
    };
    EXPECT_FALSE(r.run(pages, store));
    EXPECT_EQ(store.pageCount(), 3);
    EXPECT_EQ(store.pageSize(), QSizeF(792, 612));
}

TEST(Renderer, StatusTextNamesThePage) {
    Renderer r;
    r.setStatusFormat("Printing Page %p\r%0\r%1");
    r.setStatusLine(0, "first");
    QStringList seen;
    r.setStatusCallback([&](const QString& s) { seen << s; });
    PageStore store;
    Pages pages;
    pages.pages = 2;
    ASSERT_TRUE(r.run(pages, store));
    EXPECT_EQ(seen, QStringList({"Printing Page 1\rfirst\r", "Printing Page 2\rfirst\r"}));
}

// The stored page drawn on an image: black ink where the text and the box are, nowhere else.
TEST(PageStore, ReplaysOnAnImageAtAnyScale) {
    Renderer r;
    PageStore store;
    Pages pages;
    pages.body = [](Renderer& r) {
        r.setFont(QFont("Arial", 24));
        r.addCell({3.0, Justify::Left, render::AllLines, 0.02, 1.0});
        r.printCell("WWWW");
    };
    ASSERT_TRUE(r.run(pages, store));
    for (const double dpi : {36.0, 72.0, 150.0}) {
        SCOPED_TRACE(dpi);
        QImage image(int(8.5 * dpi), int(11 * dpi), QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(int(dpi / 0.0254));
        image.setDotsPerMeterY(int(dpi / 0.0254));
        QPainter painter(&image);
        render::useDevicePoints(painter);
        store.paintPage(0, painter);
        painter.end();
        auto dark = [&](double xInch, double yInch) {
            return qGray(image.pixel(int(xInch * dpi), int(yInch * dpi))) < 128;
        };
        int ink = 0, outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 160) {
                    const double xi = x / dpi, yi = y / dpi;
                    if (xi > 0.9 && xi < 4.1 && yi > 0.9 && yi < 1.5)
                        ++ink;
                    else
                        ++outside;
                }
        EXPECT_GT(ink, 20);
        EXPECT_EQ(outside, 0);
        EXPECT_FALSE(dark(6, 6));
    }
}

// While a run goes on, the finished pages are all that shows: never the page being laid out, which
// the store already holds.
TEST(PageStore, FinishedPagesShowOnlyWhatTheRunHasFinished) {
    Renderer r;
    PageStore store;
    Pages pages;
    pages.pages = 4;
    QList<int> told;
    render::FinishedPages finished(store, [&](int count) { told << count; });
    auto inkOf = [&](const render::PageSource& source, int page) {
        QImage image(85, 110, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(int(10 / 0.0254));
        image.setDotsPerMeterY(int(10 / 0.0254));
        QPainter painter(&image);
        render::useDevicePoints(painter);
        source.paintPage(page, painter);
        painter.end();
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += qGray(image.pixel(x, y)) < 200;
        return ink;
    };
    pages.body = [&](Renderer& r) {
        r.setFont(QFont("Arial", 48));
        r.addCell({6.0, Justify::Left, render::AllLines, 0.02, 1.0});
        r.printCell("WWWW");
        const int current = r.pageNumber() - 1;
        EXPECT_GT(inkOf(store, current), 0);
        EXPECT_EQ(inkOf(finished, current), 0);
        if (current > 0) {
            EXPECT_GT(inkOf(finished, current - 1), 0);
        }
    };
    QList<int> seenAtStart;
    r.setStatusCallback([&](const QString&) { seenAtStart << finished.pageCount(); });
    ASSERT_TRUE(r.run(pages, store, &finished));
    EXPECT_EQ(seenAtStart, (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(told, (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(finished.pageCount(), 4);
    EXPECT_EQ(finished.pageSize(0), store.pageSize());
}

TEST(PageStore, PrintsARangeOfPagesIntoAPdf) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Renderer r;
    PageStore store;
    Pages pages;
    pages.pages = 5;
    pages.body = [](Renderer& r) {
        r.setFont(QFont("Arial", 12));
        r.addCell({3.0, Justify::Left, render::NoLines, 0.02, -1});
        r.printCell(QString("This is page %1").arg(r.pageNumber()));
    };
    ASSERT_TRUE(r.run(pages, store));
    QTemporaryDir dir;
    const QString pdf = dir.filePath("range.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setResolution(600);
        QString error;
        ASSERT_TRUE(render::printPages(store, writer, 1, 3, 1, &error)) << error.toStdString();
    }
    QProcess p;
    p.start(pdftotext, {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_FALSE(text.contains("This is page 1"));
    EXPECT_TRUE(text.contains("This is page 2"));
    EXPECT_TRUE(text.contains("This is page 4"));
    EXPECT_FALSE(text.contains("This is page 5"));
    EXPECT_EQ(text.count(QChar(12)), 3);
}

TEST(PageStore, ADeviceSinkPrintsEachPageAndDropsIt) {
    Renderer r;
    PageStore store;
    Pages pages;
    pages.pages = 4;
    pages.body = [](Renderer& r) {
        r.setFont(QFont("Arial", 12));
        r.addCell({3.0, Justify::Left, render::NoLines, 0.02, -1});
        r.printCell("text");
    };
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("sink.pdf"));
    render::DeviceSink sink(writer);
    ASSERT_TRUE(r.run(pages, store, &sink));
    EXPECT_TRUE(sink.finish());
    EXPECT_EQ(sink.pagesPrinted(), 4);
    EXPECT_EQ(store.pageCount(), 4);
    EXPECT_TRUE(store.pageTexts(3).isEmpty());
}

TEST(PageStore, AnUnwritablePdfIsReportedNotPrinted) {
    Renderer r;
    PageStore store;
    Pages pages;
    ASSERT_TRUE(r.run(pages, store));
    QPdfWriter writer("/nonexistent-folder/x.pdf");
    QString error;
    EXPECT_FALSE(render::printPages(store, writer, 0, 0, 1, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
