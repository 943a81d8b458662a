// quillon-cli: batch commands over catalogue tables.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <memory>

#include "cli/commands.h"

int main(int argc, char** argv) {
    // Reports measure and draw text, which needs the fonts of a graphical application; without a
    // display it draws off screen.
    const bool report = argc > 1 && qstrcmp(argv[1], "report") == 0;
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (report)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return cli::run(args);
}
