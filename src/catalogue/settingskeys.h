#pragma once
// The keys of the database settings file (NAME.INI beside each catalogue table) as one table:
// each key is named once here, with its section, the DatabaseSettings member it fills and its
// default. Reading, writing and the defaults of a new DatabaseSettings all walk this table, so
// a new setting is one more row.
//
// Rows are in the order the keys are written: a new file lists its sections and keys in this
// order; an existing file keeps its own order (see IniFile).
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

#include "base/inifile.h"

struct DatabaseSettings;

struct SettingsKey {
    enum class Type { Bool, Int, Text };

    QString section;
    QString key;
    Type type = Type::Int;
    QVariant defaultValue; // bool, int or QString by type
    // Text only: the buffer the value is read into, and the length it is cut to (0: none).
    int bufferLength = IniFile::NameBuffer;
    int maxLength = 0;
    std::function<QVariant(const DatabaseSettings&)> get;
    std::function<void(DatabaseSettings&, const QVariant&)> set;
};

// Every key of the database settings file.
const std::vector<SettingsKey>& databaseSettingsKeys();

// Every member of the table at its default.
void applyDefaults(DatabaseSettings& settings);
// Every key from the file (a missing key gives its default).
void readSettingsKeys(const IniFile& ini, DatabaseSettings& settings);
// Every key into the file.
void writeSettingsKeys(IniFile& ini, const DatabaseSettings& settings);
