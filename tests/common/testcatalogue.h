#pragma once
// Real catalogue tables for UI tests, in a temporary folder.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <string>

namespace dbase {
class Table;
}

struct TestRecord {
    QString title;
    QString category;
    QString purchDate; // YYYYMMDD
    QString viewed;    // "Yes" / "No" / ""
    int year = 0;
};

// Creates an empty catalogue table (the forty fields in slot order) at path.
void createTestCatalogue(const QString& path);
// Appends records through the table engine; the table must be open.
void appendRecords(dbase::Table& table, int count, const std::function<TestRecord(int)>& make);
// The UTF-8 path the engine takes.
std::string enginePathOf(const QString& path);
// The titles of an open table's records, in its active order.
QStringList titles(dbase::Table& table);
