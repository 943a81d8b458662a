#pragma once
// Catalogue tables as files: recognising one (the format check), creating an empty one, the
// production index flag in the header, and whether another program holds a table.
//
// These operations return their messages as text; the windows show them (caption "Error").
// Engine failures the operations do not expect travel to the caller as dbase::DbError.
#include <QString>
#include <string>
#include <vector>

#include "dbase/table.h"

// Paths cross to the table engine in the file system's encoding.
std::string enginePath(const QString& path);

// The message of a failed format check.
QString notCatalogueMessage();

struct FormatCheck {
    bool ok = false;
    QString message; // empty when ok
};

// The format check: the table has exactly the forty fields of the field slot table, in slot order,
// names compared ignoring letter case (types and widths are not compared). When the table's .MDX
// is missing, the production index flag is cleared first so that the table opens without it.
// Throws dbase::DbError when the engine cannot open the file at all.
FormatCheck checkCatalogueFormat(const QString& path);

// Clears header byte 28 (the production index flag) and writes nothing else. Returns false when
// the file cannot be opened; throws dbase::DbError on an input/output error after it was opened.
bool clearIndexFlag(const QString& dbfPath);

// True when the table cannot be opened exclusively (another program or copy holds it, or the
// engine cannot open it at all).
bool isTableInUse(const QString& path);

struct NewTable {
    bool ok = false; // the file exists afterwards
    QString message; // why not, when !ok
};

// The forty fields of a catalogue table as the engine creates them, in slot order.
std::vector<dbase::CreateField> catalogueFields();

// Creates an empty catalogue table at the path (forty fields, no index), replacing an existing
// file of that name unless another program holds it.
NewTable createCatalogue(const QString& path);

// The refusal of createCatalogue when the file is held by another program.
QString tableInUseMessage(const QString& path);

// Pack and Rebuild Indexes: each takes the table exclusively for its own duration. The caller
// closes its own view of the table first and reopens it shared afterwards.
struct ExclusiveRun {
    bool ok = false;
    bool inUse = false; // another program or copy holds the table
    QString detail;     // the engine's text when !ok
};
ExclusiveRun packTable(const QString& path);
ExclusiveRun reindexTable(const QString& path);

QString packQuestion();
QString packFailedMessage();
QString reindexQuestion();
QString reindexFailedMessage();
