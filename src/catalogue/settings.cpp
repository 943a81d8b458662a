#include "catalogue/settings.h"

#include "base/paths.h"

#include <QFileInfo>

namespace {

const QString Misc = QStringLiteral("Misc");
const QString Label = QStringLiteral("Label");

constexpr int FieldNameLength = 20;
constexpr int LabelItemLength = 15;

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

QString key(int slot) {
    return fieldName(slot);
}

void readFont(const IniFile& ini, const QString& section, FontSetting& f) {
    f.color = ini.readInt(section, QStringLiteral("Color"), f.color);
    f.name = ini.readString(section, QStringLiteral("Font Name"), f.name, IniFile::NameBuffer);
    f.size = ini.readInt(section, QStringLiteral("Size"), f.size);
    f.bold = ini.readBool(section, QStringLiteral("Bold"), f.bold);
    f.italic = ini.readBool(section, QStringLiteral("Italic"), f.italic);
    f.underline = ini.readBool(section, QStringLiteral("Underline"), f.underline);
    f.strikeout = ini.readBool(section, QStringLiteral("Strikeout"), f.strikeout);
}

void writeFont(IniFile& ini, const QString& section, const FontSetting& f) {
    ini.writeInt(section, QStringLiteral("Color"), f.color);
    ini.writeString(section, QStringLiteral("Font Name"), f.name);
    ini.writeInt(section, QStringLiteral("Size"), f.size);
    ini.writeBool(section, QStringLiteral("Bold"), f.bold);
    ini.writeBool(section, QStringLiteral("Italic"), f.italic);
    ini.writeBool(section, QStringLiteral("Underline"), f.underline);
    ini.writeBool(section, QStringLiteral("Strikeout"), f.strikeout);
}

void readUserFont(const IniFile& ini, const QString& section, UserFontSetting& f) {
    f.name = ini.readString(section, QStringLiteral("Font Name"), f.name, IniFile::NameBuffer);
    f.bold = ini.readBool(section, QStringLiteral("Bold"), f.bold);
    f.italic = ini.readBool(section, QStringLiteral("Italic"), f.italic);
}

void writeUserFont(IniFile& ini, const QString& section, const UserFontSetting& f) {
    ini.writeString(section, QStringLiteral("Font Name"), f.name);
    ini.writeBool(section, QStringLiteral("Bold"), f.bold);
    ini.writeBool(section, QStringLiteral("Italic"), f.italic);
}

const char* const ColorKeys[ColorSet::Count] = {
    "Main Background",  "Major Title",      "Minor Title",         "Edit Background", "Edit Text",
    "Combo Background", "Combo Text",       "List Box Background", "List Box Text",   "Radio Background",
    "Radio Text",       "Check Background", "Check Text"};

const char* const GroupSections[DatabaseSettings::GroupCount] = {"Main Window Color", "Edit Window Color",
                                                                 "Search Window Color", "Report Window Color",
                                                                 "Configure Window Color"};

struct LabelSwitch {
    const char* key;
    bool DatabaseSettings::*member;
};
const LabelSwitch LabelSwitches[] = {
    {"Label Rating", &DatabaseSettings::labelRating},
    {"Label Title", &DatabaseSettings::labelTitle},
    {"Label Start Counter", &DatabaseSettings::labelStartCounter},
    {"Label Stop Counter", &DatabaseSettings::labelStopCounter},
    {"Label Play Time", &DatabaseSettings::labelPlayTime},
    {"Label Category", &DatabaseSettings::labelCategory},
    {"Label Media Number", &DatabaseSettings::labelMediaNumber},
    {"Label Year Released", &DatabaseSettings::labelYearReleased},
};

const char* const SortKeys[4] = {"Primary Sort", "Secondary Sort", "Third Level Sort", "Fourth Level Sort"};

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
    IniFile ini(path.isEmpty() ? ProgramPaths::programSettingsFile() : path);
    if (!ini.load()) {
        if (error) *error = ini.errorString();
        return false;
    }
    write(ini);
    if (!ini.save()) {
        if (error) *error = ini.errorString();
        return false;
    }
    return true;
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

DatabaseSettings::DatabaseSettings() {
    for (int slot = 1; slot <= FieldCount; ++slot) {
        fieldNames[slot - 1] = defaultTitle(slot);
        displayFields[slot - 1] = true;
        fieldWidth[slot - 1] = 15;
        fieldOrder[slot - 1] = slot;
        exportFields[slot - 1] = true;
        exportOrder[slot - 1] = slot;
    }
}

void DatabaseSettings::read(const IniFile& ini) {
    const DatabaseSettings d;
    for (int slot = 1; slot <= FieldCount; ++slot) {
        const int i = slot - 1;
        fieldNames[i] =
            ini.readString(QStringLiteral("Field Names"), key(slot), d.fieldNames[i], IniFile::NameBuffer)
                .left(FieldNameLength);
        displayFields[i] = ini.readBool(QStringLiteral("Display Fields"), key(slot), d.displayFields[i]);
        fieldWidth[i] = ini.readInt(QStringLiteral("Field Width"), key(slot), d.fieldWidth[i]);
        fieldOrder[i] = ini.readInt(QStringLiteral("Field Order"), key(slot), d.fieldOrder[i]);
        exportFields[i] = ini.readBool(QStringLiteral("Export Fields"), key(slot), d.exportFields[i]);
        exportOrder[i] = ini.readInt(QStringLiteral("Export Order"), key(slot), d.exportOrder[i]);
    }
    exportFirstRow = ini.readBool(QStringLiteral("Export"), QStringLiteral("First Row"), d.exportFirstRow);
    exportFileType = ini.readInt(QStringLiteral("Export"), QStringLiteral("File Type"), d.exportFileType);
    importSkipFirst = ini.readBool(QStringLiteral("Import"), QStringLiteral("Skip First"), d.importSkipFirst);
    importFileType = ini.readInt(QStringLiteral("Import"), QStringLiteral("File Type"), d.importFileType);
    for (int i = 0; i < 4; ++i)
        sortLevels[i] =
            ini.readInt(QStringLiteral("Sort Order"), QLatin1String(SortKeys[i]), d.sortLevels[i]);

    for (int g = 0; g < GroupCount; ++g) {
        const QString section = QLatin1String(GroupSections[g]);
        for (int e = 0; e < ColorSet::Count; ++e)
            colorSets[g][e] = ini.readInt(section, QLatin1String(ColorKeys[e]), d.colorSets[g][e]);
    }

    const QString title = QStringLiteral("Grid Title");
    showTitles = ini.readBool(title, QStringLiteral("Show Titles"), d.showTitles);
    titleBackground = ini.readInt(title, QStringLiteral("Background Color"), d.titleBackground);
    titleAlignment = ini.readInt(title, QStringLiteral("Alignment"), d.titleAlignment);
    gridTitleFont = d.gridTitleFont;
    readFont(ini, QStringLiteral("Grid Title Font"), gridTitleFont);
    gridFont = d.gridFont;
    readFont(ini, QStringLiteral("Grid Font"), gridFont);
    const QString options = QStringLiteral("Grid Options");
    cellColor = ini.readInt(options, QStringLiteral("Cell Color"), d.cellColor);
    columnLines = ini.readBool(options, QStringLiteral("Column Lines"), d.columnLines);
    rowLines = ini.readBool(options, QStringLiteral("Row Lines"), d.rowLines);
    rowIndicator = ini.readBool(options, QStringLiteral("Row Indicator"), d.rowIndicator);
    fieldEditing = ini.readBool(options, QStringLiteral("Field Editing"), d.fieldEditing);

    editFont = d.editFont;
    readUserFont(ini, QStringLiteral("Edit Font"), editFont);
    labelFont = d.labelFont;
    readUserFont(ini, QStringLiteral("Label Font"), labelFont);
    buttonFont = d.buttonFont;
    readUserFont(ini, QStringLiteral("Button Font"), buttonFont);

    const QString reports = QStringLiteral("Reports");
    lastReport = ini.readInt(reports, QStringLiteral("Last Report"), d.lastReport);
    defaultPrinter = ini.readBool(reports, QStringLiteral("Default Printer"), d.defaultPrinter);
    printerIndex = ini.readInt(reports, QStringLiteral("Printer Index"), d.printerIndex);
    reportViewLeft = ini.readInt(reports, QStringLiteral("Report Viewing Window Left"), d.reportViewLeft);
    reportViewTop = ini.readInt(reports, QStringLiteral("Report Viewing Window Top"), d.reportViewTop);
    reportViewWidth = ini.readInt(reports, QStringLiteral("Report Viewing Window Width"), d.reportViewWidth);
    reportViewHeight =
        ini.readInt(reports, QStringLiteral("Report Viewing Window Height"), d.reportViewHeight);
    labelSize = ini.readInt(reports, QStringLiteral("Label Size"), d.labelSize);
    whatToPrint = ini.readInt(reports, QStringLiteral("What To Print"), d.whatToPrint);
    for (const LabelSwitch& s : LabelSwitches)
        this->*s.member = ini.readBool(reports, QLatin1String(s.key), d.*s.member);
    for (int i = 0; i < LabelItemCount; ++i)
        labelItems[i] = ini.readString(reports, labelItemKey(i), QString(), IniFile::NumberBuffer + 1)
                            .left(LabelItemLength);

    reportLabelFont = d.reportLabelFont;
    readFont(ini, QStringLiteral("Report Label Font"), reportLabelFont);
}

void DatabaseSettings::write(IniFile& ini) const {
    for (int slot = 1; slot <= FieldCount; ++slot)
        ini.writeString(QStringLiteral("Field Names"), key(slot), fieldNames[slot - 1]);
    for (int slot = 1; slot <= FieldCount; ++slot)
        ini.writeBool(QStringLiteral("Display Fields"), key(slot), displayFields[slot - 1]);
    for (int slot = 1; slot <= FieldCount; ++slot)
        ini.writeInt(QStringLiteral("Field Width"), key(slot), fieldWidth[slot - 1]);
    for (int slot = 1; slot <= FieldCount; ++slot)
        ini.writeInt(QStringLiteral("Field Order"), key(slot), fieldOrder[slot - 1]);
    for (int slot = 1; slot <= FieldCount; ++slot)
        ini.writeBool(QStringLiteral("Export Fields"), key(slot), exportFields[slot - 1]);
    for (int slot = 1; slot <= FieldCount; ++slot)
        ini.writeInt(QStringLiteral("Export Order"), key(slot), exportOrder[slot - 1]);

    ini.writeBool(QStringLiteral("Export"), QStringLiteral("First Row"), exportFirstRow);
    ini.writeInt(QStringLiteral("Export"), QStringLiteral("File Type"), exportFileType);
    ini.writeBool(QStringLiteral("Import"), QStringLiteral("Skip First"), importSkipFirst);
    ini.writeInt(QStringLiteral("Import"), QStringLiteral("File Type"), importFileType);
    for (int i = 0; i < 4; ++i)
        ini.writeInt(QStringLiteral("Sort Order"), QLatin1String(SortKeys[i]), sortLevels[i]);

    for (int g = 0; g < GroupCount; ++g) {
        const QString section = QLatin1String(GroupSections[g]);
        for (int e = 0; e < ColorSet::Count; ++e)
            ini.writeInt(section, QLatin1String(ColorKeys[e]), colorSets[g][e]);
    }

    const QString title = QStringLiteral("Grid Title");
    ini.writeBool(title, QStringLiteral("Show Titles"), showTitles);
    ini.writeInt(title, QStringLiteral("Background Color"), titleBackground);
    ini.writeInt(title, QStringLiteral("Alignment"), titleAlignment);
    writeFont(ini, QStringLiteral("Grid Title Font"), gridTitleFont);
    writeFont(ini, QStringLiteral("Grid Font"), gridFont);
    const QString options = QStringLiteral("Grid Options");
    ini.writeInt(options, QStringLiteral("Cell Color"), cellColor);
    ini.writeBool(options, QStringLiteral("Column Lines"), columnLines);
    ini.writeBool(options, QStringLiteral("Row Lines"), rowLines);
    ini.writeBool(options, QStringLiteral("Row Indicator"), rowIndicator);
    ini.writeBool(options, QStringLiteral("Field Editing"), fieldEditing);

    writeUserFont(ini, QStringLiteral("Edit Font"), editFont);
    writeUserFont(ini, QStringLiteral("Label Font"), labelFont);
    writeUserFont(ini, QStringLiteral("Button Font"), buttonFont);

    const QString reports = QStringLiteral("Reports");
    ini.writeInt(reports, QStringLiteral("Last Report"), lastReport);
    ini.writeBool(reports, QStringLiteral("Default Printer"), defaultPrinter);
    ini.writeInt(reports, QStringLiteral("Printer Index"), printerIndex);
    ini.writeInt(reports, QStringLiteral("Report Viewing Window Left"), reportViewLeft);
    ini.writeInt(reports, QStringLiteral("Report Viewing Window Top"), reportViewTop);
    ini.writeInt(reports, QStringLiteral("Report Viewing Window Width"), reportViewWidth);
    ini.writeInt(reports, QStringLiteral("Report Viewing Window Height"), reportViewHeight);
    ini.writeInt(reports, QStringLiteral("Label Size"), labelSize);
    ini.writeInt(reports, QStringLiteral("What To Print"), whatToPrint);
    for (const LabelSwitch& s : LabelSwitches)
        ini.writeBool(reports, QLatin1String(s.key), this->*s.member);
    for (int i = 0; i < LabelItemCount; ++i)
        ini.writeString(reports, labelItemKey(i), labelItems[i]);

    writeFont(ini, QStringLiteral("Report Label Font"), reportLabelFont);
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
    IniFile ini(TablePaths::settingsPath(tablePath));
    if (!ini.load()) {
        if (error) *error = ini.errorString();
        return false;
    }
    write(ini);
    if (!ini.save()) {
        if (error) *error = ini.errorString();
        return false;
    }
    return true;
}
