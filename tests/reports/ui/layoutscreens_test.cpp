// The designer windows with the "Large Report" loaded at the 640 x 480 and 1024 x 768 screen sizes:
// each fits the screen and no control is narrower or lower than its text needs. With QUILLON_SHOTS
// naming a folder, pictures of them are written there for a person to look at.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "catalogue/session.h"
#include "common/scriptedprompts.h"
#include "reports/defaultlayouts.h"
#include "reports/ui/entryeditor.h"
#include "reports/ui/layoutdesigner.h"
#include "reports/ui/layoutfontsdialog.h"
#include "reports/ui/lineeditor.h"
#include "reports/ui/reportwindow.h"

using namespace reports;

namespace {

void checkAndSave(QWidget* w, const QSize& screen, const QString& name) {
    SCOPED_TRACE(name.toStdString());
    w->show();
    QCoreApplication::processEvents();
    EXPECT_LE(w->frameGeometry().width(), screen.width());
    EXPECT_LE(w->frameGeometry().height(), screen.height());
    for (QWidget* child : w->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(w)) continue;
        const QRect inWindow(child->mapTo(w, QPoint(0, 0)), child->size());
        EXPECT_TRUE(w->rect().contains(inWindow)) << child->objectName().toStdString();
        const bool text = qobject_cast<QAbstractButton*>(child) ||
                          (qobject_cast<QLabel*>(child) && !static_cast<QLabel*>(child)->wordWrap());
        if (!text) continue;
        const QSize need = child->minimumSizeHint();
        EXPECT_GE(child->width(), need.width())
            << child->metaObject()->className() << " " << child->property("text").toString().toStdString();
        EXPECT_GE(child->height(), need.height()) << child->property("text").toString().toStdString();
    }
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(w->grab().save(folder + "/" + name));
    }
}

TEST(LayoutScreens, DesignerWindowsFitEachScreenSize) {
    QTemporaryDir dir;
    qputenv("QUILLON_HOME", dir.path().toLocal8Bit());
    ASSERT_TRUE(prepareLayoutFile(dir.path()).isEmpty());
    Session session;
    ScriptedPrompts prompts;
    const ReportLayout large = defaultReportSet()[4];
    const struct {
        QSize screen;
        double scale;
    } sizes[] = {{{640, 480}, 1.0}, {{1024, 768}, 1.6}};
    for (const auto& s : sizes) {
        session.setScreenScale(s.scale);
        const QString suffix = QString("-%1.png").arg(s.screen.width());
        {
            LayoutDesigner d(session, large, 4, dir.filePath("QLNVID.URP"));
            checkAndSave(&d, s.screen, "report-definition" + suffix);
        }
        {
            ReportLayout l = large;
            LayoutFontsDialog fonts(session, l);
            checkAndSave(&fonts, s.screen, "report-fonts" + suffix);
        }
        {
            LineEditor editor(session, large, 120, true);
            checkAndSave(&editor, s.screen, "specify-report-layout" + suffix);
        }
        {
            ReportLayout l = large;
            EntryEditor entry(session, l.body[3], 4, 6, 120);
            checkAndSave(&entry, s.screen, "select-report-part" + suffix);
        }
        {
            ReportWindow list(session);
            list.reportBox()->setCurrentRow(4);
            checkAndSave(&list, s.screen, "reports-list" + suffix);
        }
    }
}

} // namespace
