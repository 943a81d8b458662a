#pragma once
// Catalogues of the two older program generations (2.x V2LOG.DBF, 1.x VLOG.DBF in the program
// folder) and their conversion into the current catalogue.
#include <QString>

namespace dbase {
class Table;
}

enum class OldGeneration { V2, V1 };

// "V2LOG.DBF" or "VLOG.DBF".
QString oldCatalogueName(OldGeneration generation);

// The old catalogue's path in the folder (its name found ignoring letter case), or "" when absent.
QString findOldCatalogue(const QString& folder, OldGeneration generation);

// The layout test: 29 (2.x) or 26 (1.x) fields whose names from the second onwards match the old
// layout, ignoring case (the first field may have any name). The production index flag is cleared
// first when the .MDX is missing. A file the engine cannot open fails the test.
bool isOldLayout(const QString& path, OldGeneration generation);

// The question offering the conversion (caption "Convert").
QString conversionQuestion(OldGeneration generation);

// 1.x: the Miscellane text built from the three flag values CloseCapt, NoiseRed, SurroundSo.
QString miscellaneFromFlags(const QString& closeCapt, const QString& noiseRed, const QString& surroundSo);

struct Conversion {
    int converted = 0; // records appended to the target
    bool ok = false;   // every record converted and the old file deleted
    QString error;     // the engine's or the file system's text when !ok
};

// Appends every live record of the old catalogue to the open target table, copying the fields by
// name as text (1.x: TapeNum into MediaNum, the three flags into Miscellane), then deletes the
// old .DBF (and its .MDX). An engine error ends the conversion: the records appended so far stay
// in the target and the old file is kept.
Conversion convertOldCatalogue(dbase::Table& target, const QString& oldPath, OldGeneration generation);
