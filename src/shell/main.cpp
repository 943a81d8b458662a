// The quillon program: the main window over the last catalogue used, or the one named on the
// command line.
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "shell/commandline.h"
#include "shell/mainwindow.h"

namespace {

void put(FILE* f, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version are answered without a display.
    const CommandLine early = CommandLine::parseEarly(argc, argv);
    if (early.help || early.version) {
        put(stdout, early.help ? CommandLine::usage() : CommandLine::versionText());
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon Videos"));
    QApplication::setOrganizationName(QStringLiteral("Quillon"));
    // The desktop entry and the icon of the installed program.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillon.QuillonVideos"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quillon.QuillonVideos"),
                                                 QIcon(QStringLiteral(":/app/quillon-videos.png"))));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.error.isEmpty()) {
        put(stderr, QStringLiteral("quillon: %1\nTry 'quillon --help'.\n").arg(line.error));
        return 2;
    }

    MainWindow main(arguments);
    if (!main.startedOk()) return 1;
    main.show();
    return app.exec();
}
