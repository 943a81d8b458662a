// quillon-preview-bench FILE [LAYOUT-NUMBER ...]: a report previewed as a person does it, through
// the report window's View over the catalogue FILE (in its stored sort order): the time until the
// preview has painted its first page, the time until the last page was made, the pages, and the
// largest resident size of the process. The built-in layouts by number (default 0 and 4).
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

#include "catalogue/session.h"
#include "catalogue/sortorder.h"
#include "reports/defaultlayouts.h"
#include "reports/layoutfile.h"
#include "reports/ui/previewwindow.h"
#include "reports/ui/reportwindow.h"

namespace {

// Notes the moment the preview's page has been painted with a page on it.
class FirstPaint : public QObject {
public:
    QElapsedTimer* clock = nullptr;
    double at = -1;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (at < 0 && event->type() == QEvent::Paint &&
            watched->objectName() == QLatin1String("PreviewPage")) {
            auto* preview = qobject_cast<reports::PreviewWindow*>(static_cast<QWidget*>(watched)->window());
            if (preview && preview->pageCount() > 0) {
                // The paint itself is done when the event has been handled.
                QTimer::singleShot(0, [this] {
                    if (at < 0) at = clock->elapsed() / 1000.0;
                });
            }
        }
        return false;
    }
};

double maxResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("QUILLON_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "Usage: quillon-preview-bench FILE [LAYOUT-NUMBER ...]\n");
        return 2;
    }
    reports::LayoutFile(home.filePath("QLNVID.URP")).create(reports::defaultReportSet());
    Session session;
    session.setCurrentDatabase(args[0]);
    session.loadDatabaseSettings();
    session.setSortExpression(sortExpression(session.database().sortLevels));
    session.openTable();
    QList<int> chosen;
    for (const QString& a : args.mid(1))
        chosen << a.toInt();
    if (chosen.isEmpty()) chosen = {0, 4};
    std::printf("%u records\n", session.table().recordCount());
    for (int n : chosen) {
        reports::ReportWindow window(session);
        window.show();
        window.reportBox()->setCurrentRow(n);
        QElapsedTimer clock;
        FirstPaint painted;
        painted.clock = &clock;
        app.installEventFilter(&painted);
        double lastPage = -1;
        int pages = 0;
        // Checked at every pass of the event loop, which the run makes between pages every few
        // milliseconds.
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<reports::PreviewWindow*>(w);
                    p && p->isVisible() && !p->building()) {
                    if (painted.at < 0) continue; // its first paint is still to come
                    lastPage = clock.elapsed() / 1000.0;
                    pages = p->pageCount();
                    watch.stop();
                    p->close();
                }
        });
        watch.start();
        clock.start();
        window.DoView();
        app.removeEventFilter(&painted);
        std::printf(
            "%-32s first page shown %6.3f s  last page made %7.2f s  %6d pages  max resident %.0f MB\n",
            qPrintable(window.reportBox()->currentItem()->text()), painted.at, lastPage, pages,
            maxResidentMB());
        std::fflush(stdout);
    }
    return 0;
}
