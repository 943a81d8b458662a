#pragma once
// The report layouts a new installation starts with, the conversion of the older layout file
// VIDEO2.CFR, and the preparation of the layout file at program start.
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include "reports/reportlayout.h"

namespace reports {

// The six built-in layouts in their order in a new layout file: "Title and Media Number Report",
// "Ratings Report", "Star Report", "Oscar Report", "Large Report", "Statistic/Summary Report".
QList<ReportLayout> defaultReportSet();

// The older layout file: 19,831-byte records with the name, width, three options, lines per record,
// the totals line, three title lines and twelve body lines of the current entry format.
constexpr int OlderLayoutRecordSize = 19831;
inline constexpr const char* OlderLayoutFileName = "VIDEO2.CFR";

// Names of the older file's own built-in layouts, which are not converted (compared exactly).
QStringList olderBuiltInNames();

// The layouts of an older layout file's contents, its built-in ones left out; a trailing part
// shorter than a record is ignored. A field entry gets its slot by looking its name up (ignoring
// letter case) among the catalogue fields, or in the totals line among the total items; an entry
// naming neither becomes a filler of the same width.
QList<ReportLayout> convertOlderLayouts(QByteArrayView contents);

// Makes sure the program folder has a layout file: writes the default report set when there is
// none, then converts VIDEO2.CFR when there is one (its layouts appended, the old file deleted
// once they are saved). Returns the messages of what failed; the start goes on regardless.
QStringList prepareLayoutFile(const QString& programFolder);

} // namespace reports
