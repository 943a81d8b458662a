#pragma once
// The files a program folder needs beside its catalogues, shipped with the program.
//
// They come from the program's share folder: share/quillon-videos beside an installed program
// (PREFIX/bin/quillon -> PREFIX/share/quillon-videos), or the source tree's resources folder when
// the program runs from its build folder, else the lists built into the program. Each start (the
// main window, before it reads any list) copies what the program folder lacks, so a
// program folder is complete after the first start whichever way the program was started. A file
// the program folder already has, in any letter case, is never replaced: the user's lists and
// pages stay as the user left them.
//
//   share folder         program folder
//   lists/NAME.LST   ->  NAME.LST          the data lists the program ships (OSCAR.LST, MISC.LST)
//   help/NAME.html   ->  help/NAME.html    the help pages
#include <QString>
#include <QStringList>

class ProgramFiles {
public:
    // The share folder of a program whose executable is in executableFolder; empty when there is
    // none (a program copied somewhere on its own).
    static QString shareFolder(const QString& executableFolder);
    // The share folder of the running program; without one (a program copied somewhere on its
    // own), the copies of the shipped lists built into the program (BuiltInShare).
    static QString shareFolder();
    static constexpr const char* BuiltInShare = ":/";

    struct Provided {
        QStringList copied;   // program folder paths written now
        QStringList problems; // "PATH: reason" for each file that could not be copied
    };
    // Copies every shipped file the program folder lacks. A copy is written under a temporary
    // name and renamed into place, so an interrupted start leaves no half file behind, and it is
    // writable by its owner even when the shipped file is read-only.
    static Provided provideMissing(const QString& shareFolder, const QString& programFolder);
};
