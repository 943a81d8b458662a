// quillon-label-sheets: a face and a spine sheet of every label stock, and the label windows, as
// pictures for a person to look at, each label's edges drawn in grey so that the print can be judged against
// the stock, written into the folder QUILLON_SHOTS names (./screenshots without it).
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/session.h"
#include "common/testcatalogue.h"
#include "dbase/table.h"
#include "render/pagestore.h"
#include "reports/labelsheet.h"
#include "reports/labelstock.h"
#include "reports/ui/labeldimensionsdialog.h"
#include "reports/ui/labeloptionsdialog.h"
#include "reports/ui/mediapickerdialog.h"

using namespace reports;

TEST(LabelSheets, EveryStock) {
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS", "screenshots");
    QDir().mkpath(folder);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MASTER.DBF"));
    createTestCatalogue(path);
    dbase::Table t;
    t.open(enginePathOf(path));
    const char* titles[] = {
        "Casablanca", "Alien",       "Brazil",     "The Third Man of the Long Title Street",
        "Vertigo",    "Rear Window", "Metropolis", "Chinatown",
        "Jaws",       "Amadeus",     "Fargo",      "Heat"};
    QStringList media;
    // Tape n holds (n mod 6) + 1 recordings.
    for (int tape = 0; tape < 16; ++tape) {
        const QString m = QStringLiteral("TAPE-%1").arg(tape + 1, 3, 10, QLatin1Char('0'));
        media << m;
        for (int k = 0; k <= tape % 6; ++k) {
            t.append();
            t.setText(t.fieldIndexOrThrow("MediaNum"), m.toStdString());
            t.setText(t.fieldIndexOrThrow("Title"), titles[(tape + k) % 12]);
            t.setText(t.fieldIndexOrThrow("Rating"), k % 2 ? "PG-13" : "R");
            t.setText(t.fieldIndexOrThrow("Category"), k % 2 ? "Science Fiction" : "Drama");
            t.setText(t.fieldIndexOrThrow("CounterSta"),
                      QStringLiteral("%1").arg(k * 1200, 4, 10, QLatin1Char('0')).toStdString());
            t.setText(t.fieldIndexOrThrow("CounterSto"),
                      QStringLiteral("%1").arg(k * 1200 + 1100, 4, 10, QLatin1Char('0')).toStdString());
            t.setNumber(t.fieldIndexOrThrow("Year"), 1940 + tape * 3 + k);
            t.setNumber(t.fieldIndexOrThrow("RunTime"), 88 + k * 11);
            t.post();
        }
    }
    const ProgramSettings program;
    for (int code = 1; code <= 10; ++code) {
        LabelRequest request;
        request.code = code;
        request.dims = stockDimensions(code, program);
        request.mediaNumbers = media.mid(0, positionCount(code, request.dims));
        request.font = labelFont(FontSetting{});
        render::PageStore store;
        ASSERT_TRUE(runLabelSheet(t, request, store));
        const QSizeF points = store.pageSize();
        constexpr int Dpi = 100;
        QImage image(int(points.width() / 72 * Dpi), int(points.height() / 72 * Dpi), QImage::Format_RGB32);
        image.setDotsPerMeterX(int(Dpi / 0.0254));
        image.setDotsPerMeterY(int(Dpi / 0.0254));
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(QColor(170, 170, 170));
        for (int n = 1; n <= positionCount(code, request.dims); ++n) {
            const LabelOrigin o = labelOrigin(kindOfCode(code), request.dims, n);
            p.drawRect(QRectF(o.x * Dpi, o.y * Dpi, request.dims.width * Dpi, request.dims.height * Dpi));
        }
        render::useDevicePoints(p);
        store.paintPage(0, p);
        p.end();
        const QString name = QStringLiteral("labels-%1-%2.png")
                                 .arg(code, 2, 10, QLatin1Char('0'))
                                 .arg(kindOfCode(code) == LabelType::Face ? "face" : "spine");
        EXPECT_TRUE(image.save(folder + u'/' + name));
    }
}

TEST(LabelSheets, Windows) {
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS", "screenshots");
    QDir().mkpath(folder);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MASTER.DBF"));
    createTestCatalogue(path);
    Session session;
    session.setCurrentDatabase(path);
    session.table().open(enginePathOf(path));
    const char* titles[] = {"Casablanca", "Alien", "Brazil", "The Third Man", "Vertigo", "Rear Window"};
    for (int i = 0; i < 6; ++i) {
        dbase::Table& t = session.table();
        t.append();
        t.setText(t.fieldIndexOrThrow("MediaNum"), QStringLiteral("TAPE-%1").arg(i / 2 + 1).toStdString());
        t.setText(t.fieldIndexOrThrow("Title"), titles[i]);
        t.post();
    }
    auto shoot = [&](QWidget& w, const char* name) {
        w.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.grab().save(folder + u'/' + QLatin1String(name)));
        w.close();
    };
    {
        LabelDimensionsDialog d(session);
        shoot(d, "label-dimensions.png");
    }
    {
        LabelOptionsDialog d(session);
        shoot(d, "label-options.png");
    }
    {
        MediaPickerDialog d(session);
        shoot(d, "media-picker.png");
    }
}
