// quillon-cli: batch commands over catalogue tables.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <cstring>
#include <memory>

#include "cli/commands.h"

namespace {

// Commands that lay out and draw pages (reports, labels) measure text, which needs the fonts of a
// graphical application; the batch tool never shows a window, so it draws off screen whatever the
// desktop is.
bool drawsPages(int argc, char** argv) {
    return argc > 1 && (std::strcmp(argv[1], "report") == 0 || std::strcmp(argv[1], "labels") == 0);
}

} // namespace

int main(int argc, char** argv) {
    // The arguments are taken before the application exists: a graphical application would take
    // the ones it knows (--style among them) for itself.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    std::unique_ptr<QCoreApplication> app;
    if (drawsPages(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return cli::run(args);
}
