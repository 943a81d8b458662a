#pragma once
// Where the program's files live, and the companion files of a catalogue table.
//
// Program folder: $QUILLON_HOME, else $XDG_DATA_HOME/quillon-videos (default
// ~/.local/share/quillon-videos): MASTER.DBF, the default lists (*.LST), OSCAR.LST, MISC.LST,
// QLNVID.URP, help. Settings folder: $XDG_CONFIG_HOME/quillon-videos (default
// ~/.config/quillon-videos): QLNVID.INI. Both folders are created when first asked for.
//
// Companion files of a table (NAME.DBF): NAME.MDX, NAME.INI, NAME.001 ... in the table's folder,
// where NAME is the file name up to its first dot. An existing companion is found ignoring letter
// case; a new one gets the letter case of the table's extension (MASTER.DBF -> MASTER.INI,
// video.dbf -> video.ini).
#include <QString>
#include <QStringView>

class ProgramPaths {
public:
    static QString programFolder();
    static QString settingsFolder();
    static QString programSettingsFile(); // settingsFolder()/QLNVID.INI
    static QString masterTable();         // programFolder()/MASTER.DBF

    // A file of the program folder by name ("PRODUCER.LST", "OSCAR.LST", "QLNVID.URP"): the
    // existing file whose name matches ignoring case, else programFolder()/name.
    static QString programFile(const QString& name);

    // A file of the settings folder by name, found the same way ("QLNVID.INI").
    static QString settingsFile(const QString& name);
};

class TablePaths {
public:
    // The table's folder and base name without any extension: /data/MASTER for /data/MASTER.DBF.
    static QString basePath(const QString& tablePath);
    // The table's base name: MASTER for /data/MASTER.DBF (file name up to its first dot).
    static QString baseName(const QString& tablePath);

    // The companion with the given extension (".INI", ".MDX", ".001"; the dot may be left out):
    // an existing file found ignoring letter case, else the path in the letter case of the
    // table's extension.
    static QString companionPath(const QString& tablePath, QStringView extension);

    static QString settingsPath(const QString& tablePath) { return companionPath(tablePath, u".INI"); }
    static QString indexPath(const QString& tablePath) { return companionPath(tablePath, u".MDX"); }
    // The per-catalogue data list file of list number 1..16 (.001 ... .016).
    static QString listPath(const QString& tablePath, int listNumber);
};

// Finds a file in a folder whose name equals the given name ignoring letter case. An exact match
// wins; among several case variants the first in name order. Returns the full path, or an empty
// string when none exists.
QString findFileIgnoringCase(const QString& folder, const QString& fileName);
