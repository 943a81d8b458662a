// quillon-cli: batch commands over catalogue tables.
#include <QCoreApplication>
#include <QStringList>

#include "cli/commands.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return cli::run(args);
}
