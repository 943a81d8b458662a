#include "catalogue/settings.h"
#include "catalogue/settingskeys.h"

#include "base/paths.h"

#include <QFileInfo>

namespace {

const QString Misc = QStringLiteral("Misc");
const QString Label = QStringLiteral("Label");

// A file name value: kept whole (paths may be longer than the old 250-character buffer).
QString readPath(const IniFile& ini, const QString& section, const QString& key, const QString& def) {
    return ini.readString(section, key, def, IniFile::Unlimited);
}

void readLabel(const IniFile& ini, const QString& prefix, LabelDimensions& d) {
    d.topMargin = ini.readReal(Label, prefix + QStringLiteral(" Top Margin"), d.topMargin);
    d.leftMargin = ini.readReal(Label, prefix + QStringLiteral(" Left Margin"), d.leftMargin);
    d.count = ini.readInt(Label, prefix + QStringLiteral(" Count"), d.count);
    d.width = ini.readReal(Label, prefix + QStringLiteral(" Width"), d.width);
    d.height = ini.readReal(Label, prefix + QStringLiteral(" Height"), d.height);
    d.gap = ini.readReal(Label, prefix + QStringLiteral(" Gap"), d.gap);
}

void writeLabel(IniFile& ini, const QString& prefix, const LabelDimensions& d) {
    ini.writeReal(Label, prefix + QStringLiteral(" Top Margin"), d.topMargin);
    ini.writeReal(Label, prefix + QStringLiteral(" Left Margin"), d.leftMargin);
    ini.writeInt(Label, prefix + QStringLiteral(" Count"), d.count);
    ini.writeReal(Label, prefix + QStringLiteral(" Width"), d.width);
    ini.writeReal(Label, prefix + QStringLiteral(" Height"), d.height);
    ini.writeReal(Label, prefix + QStringLiteral(" Gap"), d.gap);
}

const char* const ColorKeys[ColorSet::Count] = {
    "Main Background",  "Major Title",      "Minor Title",         "Edit Background", "Edit Text",
    "Combo Background", "Combo Text",       "List Box Background", "List Box Text",   "Radio Background",
    "Radio Text",       "Check Background", "Check Text"};

const char* const GroupSections[DatabaseSettings::GroupCount] = {"Main Window Color", "Edit Window Color",
                                                                 "Search Window Color", "Report Window Color",
                                                                 "Configure Window Color"};

// Writes the settings into the file at path, keeping the sections and keys of other owners that
// it already holds.
template <class Settings> bool updateIniFile(const QString& path, const Settings& settings, QString* error) {
    IniFile ini(path);
    if (!ini.load()) {
        if (error) *error = ini.errorString();
        return false;
    }
    settings.write(ini);
    if (!ini.save()) {
        if (error) *error = ini.errorString();
        return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Program settings

void ProgramSettings::read(const IniFile& ini, const QString& startFolder) {
    const ProgramSettings d;
    buttonBar = ini.readInt(Misc, QStringLiteral("Button Bar"), d.buttonBar);
    mainWindowLeft = ini.readInt(Misc, QStringLiteral("Main Window Left"), d.mainWindowLeft);
    mainWindowTop = ini.readInt(Misc, QStringLiteral("Main Window Top"), d.mainWindowTop);
    mainWindowWidth = ini.readInt(Misc, QStringLiteral("Main Window Width"), d.mainWindowWidth);
    mainWindowHeight = ini.readInt(Misc, QStringLiteral("Main Window Height"), d.mainWindowHeight);
    lastImportFile = readPath(ini, Misc, QStringLiteral("Last Import File"), startFolder);
    lastExportFile = readPath(ini, Misc, QStringLiteral("Last Export File"), startFolder);
    lastDatabase = readPath(ini, Misc, QStringLiteral("Last Database"), QString());
    for (int i = 0; i < RecentCount; ++i)
        lastFiles[i] = readPath(ini, Misc, QStringLiteral("Last File %1").arg(i + 1), QString());
    showTips = ini.readBool(Misc, QStringLiteral("Show Tips"), d.showTips);
    windowSize = ini.readInt(Misc, QStringLiteral("Window Size"), d.windowSize);
    dateFormat = ini.readInt(Misc, QStringLiteral("Date Format"), d.dateFormat);
    dateLeadingZeros = ini.readBool(Misc, QStringLiteral("Date Leading Zeros"), d.dateLeadingZeros);
    currencyFormat = ini.readInt(Misc, QStringLiteral("Currency Format"), d.currencyFormat);
    numericFormat = ini.readInt(Misc, QStringLiteral("Numeric Format"), d.numericFormat);
    face = d.face;
    spine = d.spine;
    readLabel(ini, QStringLiteral("Face"), face);
    readLabel(ini, QStringLiteral("Spine"), spine);
}

void ProgramSettings::write(IniFile& ini) const {
    ini.writeInt(Misc, QStringLiteral("Button Bar"), buttonBar);
    ini.writeInt(Misc, QStringLiteral("Main Window Left"), mainWindowLeft);
    ini.writeInt(Misc, QStringLiteral("Main Window Top"), mainWindowTop);
    ini.writeInt(Misc, QStringLiteral("Main Window Width"), mainWindowWidth);
    ini.writeInt(Misc, QStringLiteral("Main Window Height"), mainWindowHeight);
    ini.writeString(Misc, QStringLiteral("Last Import File"), lastImportFile);
    ini.writeString(Misc, QStringLiteral("Last Export File"), lastExportFile);
    ini.writeString(Misc, QStringLiteral("Last Database"), lastDatabase);
    for (int i = 0; i < RecentCount; ++i)
        ini.writeString(Misc, QStringLiteral("Last File %1").arg(i + 1), lastFiles[i]);
    ini.writeBool(Misc, QStringLiteral("Show Tips"), showTips);
    ini.writeInt(Misc, QStringLiteral("Window Size"), windowSize);
    ini.writeInt(Misc, QStringLiteral("Date Format"), dateFormat);
    ini.writeBool(Misc, QStringLiteral("Date Leading Zeros"), dateLeadingZeros);
    ini.writeInt(Misc, QStringLiteral("Currency Format"), currencyFormat);
    ini.writeInt(Misc, QStringLiteral("Numeric Format"), numericFormat);
    writeLabel(ini, QStringLiteral("Face"), face);
    writeLabel(ini, QStringLiteral("Spine"), spine);
}

bool ProgramSettings::load(const QString& startFolder, QString* error, const QString& path) {
    IniFile ini(path.isEmpty() ? ProgramPaths::programSettingsFile() : path);
    const bool ok = ini.load();
    if (!ok && error) *error = ini.errorString();
    read(ini, startFolder);
    return ok;
}

bool ProgramSettings::save(QString* error, const QString& path) const {
    return updateIniFile(path.isEmpty() ? ProgramPaths::programSettingsFile() : path, *this, error);
}

// ---------------------------------------------------------------------------------------------
// Database settings

const char* ColorSet::keyName(int element) {
    return ColorKeys[element];
}

const char* DatabaseSettings::groupSection(WindowGroup group) {
    return GroupSections[static_cast<int>(group) - 1];
}

QString DatabaseSettings::labelItemKey(int index) {
    return QStringLiteral("Label Item %1%2").arg(index / 8).arg(index % 8);
}

// Every key of the database settings file, its member and its default are rows of one table
// (settingskeys.cpp): the defaults, the reading and the writing all walk it.
DatabaseSettings::DatabaseSettings() {
    applyDefaults(*this);
}

void DatabaseSettings::read(const IniFile& ini) {
    readSettingsKeys(ini, *this);
}

void DatabaseSettings::write(IniFile& ini) const {
    writeSettingsKeys(ini, *this);
}

bool DatabaseSettings::loadForTable(const QString& tablePath, const QString& programSettingsFile,
                                    QString* error) {
    const QString own = TablePaths::settingsPath(tablePath);
    IniFile ini(QFileInfo::exists(own) ? own : programSettingsFile);
    const bool ok = ini.load();
    if (!ok && error) *error = ini.errorString();
    read(ini);
    return ok;
}

bool DatabaseSettings::loadForNewTable(const QString& templatePath, const QString& programSettingsFile,
                                       QString* error) {
    const bool useTemplate = !templatePath.isEmpty() && QFileInfo(templatePath).isFile();
    IniFile ini(useTemplate ? templatePath : programSettingsFile);
    const bool ok = ini.load();
    if (!ok && error) *error = ini.errorString();
    read(ini);
    return ok;
}

bool DatabaseSettings::saveForTable(const QString& tablePath, QString* error) const {
    return updateIniFile(TablePaths::settingsPath(tablePath), *this, error);
}
