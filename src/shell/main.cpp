// The quillon program: the main window over the last catalogue used.
#include <QApplication>

#include "shell/mainwindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon Videos"));
    QApplication::setOrganizationName(QStringLiteral("Quillon"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    MainWindow main(arguments);
    if (!main.startedOk()) return 1;
    main.show();
    return app.exec();
}
