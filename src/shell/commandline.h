#pragma once
// The command line of the quillon program:
//
//     quillon [FILE.DBF] [/BROWSE] [--help] [--version]
//
// FILE opens that catalogue after the start (as File > Open does); /BROWSE (any letter case, in
// any position, also spelt --browse) starts in browse mode; "--" ends the options, so a file whose
// name starts with "-" can be given after it. Qt's own options (-platform, -style...) are taken
// out by QApplication before the rest is read.
#include <QString>
#include <QStringList>

struct CommandLine {
    bool help = false;
    bool version = false;
    bool browse = false;
    QString file;  // the catalogue to open, as given
    QString error; // wrong usage; empty when the line is fine

    // arguments: without the program name.
    static CommandLine parse(const QStringList& arguments);
    // Only --help and --version, which are answered before any window system is needed.
    static CommandLine parseEarly(int argc, char** argv);

    static QString usage();
    static QString versionText();
};
