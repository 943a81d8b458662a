#pragma once
// The two settings files of the program as plain structures with their defaults.
//
// ProgramSettings: QLNVID.INI, sections Misc and Label.
// DatabaseSettings: the database settings file beside each catalogue table (NAME.INI): field
// names, viewer columns, export and import choices, sort order, the five colour sets, grid look,
// user fonts and report settings.
//
// read() takes every key from an IniFile (a missing key gives its default), write() puts every
// key back under the key it was read from, so a settings file round-trips whole; lines the
// program does not know stay as they were (see IniFile).
#include <QString>

#include <array>

#include "base/inifile.h"
#include "catalogue/fieldslots.h"

// Label sheet dimensions in inches (section Label of the program settings file).
struct LabelDimensions {
    double topMargin = 0;
    double leftMargin = 0;
    double width = 0;
    double height = 0;
    double gap = 0;
    int count = 0;
    bool operator==(const LabelDimensions&) const = default;
};

struct ProgramSettings {
    static constexpr int RecentCount = 5;

    int buttonBar = 1; // 1 speed buttons, 2 lettered buttons, 3 none
    int mainWindowLeft = 0;
    int mainWindowTop = 0;
    int mainWindowWidth = 640;
    int mainWindowHeight = 480;
    QString lastImportFile; // default: the start folder
    QString lastExportFile; // default: the start folder
    QString lastDatabase;
    std::array<QString, RecentCount> lastFiles; // [0] is "Last File 1", the most recent
    bool showTips = true;
    int windowSize = 640; // 640, 800, 1024 or 1280
    int dateFormat = 1;   // 1..12
    bool dateLeadingZeros = false;
    int currencyFormat = 1; // 1 U.S., 2 system setting
    int numericFormat = 1;  // 1 U.S., 2 system setting
    LabelDimensions face{1.0, 1.10, 3.06, 1.8125, 0.25, 10};
    LabelDimensions spine{0.6, 1.45, 5.7, 0.6562, 0, 15};

    // Reads every key; startFolder is the default of the last import and export file names.
    void read(const IniFile& ini, const QString& startFolder = QString());
    void write(IniFile& ini) const;

    // Reads the program settings file (ProgramPaths::programSettingsFile() when path is empty).
    // A missing file gives the defaults. false with error set when the file cannot be read.
    bool load(const QString& startFolder, QString* error = nullptr, const QString& path = QString());
    // Writes the program settings file, keeping the lines of the file it does not own.
    bool save(QString* error = nullptr, const QString& path = QString()) const;

    bool operator==(const ProgramSettings&) const = default;
};

// A font as the grid and report settings keep it.
struct FontSetting {
    int color = 0;
    QString name = QStringLiteral("Arial");
    int size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const FontSetting&) const = default;
};

// A user font: name and style only (label, edit and button font).
struct UserFontSetting {
    QString name = QStringLiteral("Arial");
    bool bold = false;
    bool italic = false;
    bool operator==(const UserFontSetting&) const = default;
};

// The thirteen colours of one window group, colour numbers with red in the low byte.
struct ColorSet {
    static constexpr int Count = 13;
    enum Element {
        MainBackground,
        MajorTitle,
        MinorTitle,
        EditBackground,
        EditText,
        ComboBackground,
        ComboText,
        ListBoxBackground,
        ListBoxText,
        RadioBackground,
        RadioText,
        CheckBackground,
        CheckText
    };
    std::array<int, Count> colors{12632256, 0, 0,        16777215, 0,        16777215, 0,
                                  16777215, 0, 12632256, 0,        12632256, 0};

    int operator[](int element) const { return colors[element]; }
    int& operator[](int element) { return colors[element]; }
    static const char* keyName(int element); // "Main Background" ...
    bool operator==(const ColorSet&) const = default;
};

// The five window groups.
enum class WindowGroup { Main = 1, Edit = 2, Search = 3, Report = 4, Configure = 5 };

struct DatabaseSettings {
    static constexpr int GroupCount = 5;
    static constexpr int LabelItemCount = 16; // 2 columns x 8 rows

    // Per field, index slot - 1.
    std::array<QString, FieldCount> fieldNames; // display names, at most 20 characters
    std::array<bool, FieldCount> displayFields;
    std::array<int, FieldCount> fieldWidth;
    std::array<int, FieldCount> fieldOrder;
    std::array<bool, FieldCount> exportFields;
    std::array<int, FieldCount> exportOrder;

    // Export, Import.
    bool exportFirstRow = true;
    int exportFileType = 1; // 1 ASCII, 2 dBase
    bool importSkipFirst = true;
    int importFileType = 1;

    // Sort Order: four slot numbers 0..40 (0 none).
    std::array<int, 4> sortLevels{2, 0, 0, 0};

    // The colour sets, [0] is the main window group.
    std::array<ColorSet, GroupCount> colorSets;
    ColorSet& colors(WindowGroup group) { return colorSets[static_cast<int>(group) - 1]; }
    const ColorSet& colors(WindowGroup group) const { return colorSets[static_cast<int>(group) - 1]; }

    // Grid Title, Grid Title Font, Grid Font, Grid Options.
    bool showTitles = true;
    int titleBackground = 8553090;
    int titleAlignment = 2; // 1 left, 2 centred, 3 right
    FontSetting gridTitleFont{0, QStringLiteral("Arial"), 12};
    FontSetting gridFont{0, QStringLiteral("Arial"), 10};
    int cellColor = 12632256;
    bool columnLines = true;
    bool rowLines = true;
    bool rowIndicator = true;
    bool fieldEditing = false;

    // Edit Font, Label Font, Button Font.
    UserFontSetting editFont;
    UserFontSetting labelFont;
    UserFontSetting buttonFont;

    // Reports.
    int lastReport = 0;
    bool defaultPrinter = true;
    int printerIndex = 0;
    int reportViewLeft = 0;
    int reportViewTop = 0;
    int reportViewWidth = 640;
    int reportViewHeight = 480;
    int labelSize = 1;
    int whatToPrint = 1;
    bool labelRating = true;
    bool labelTitle = true;
    bool labelStartCounter = true;
    bool labelStopCounter = true;
    bool labelPlayTime = true;
    bool labelCategory = true;
    bool labelMediaNumber = true;
    bool labelYearReleased = true;
    // "Label Item " + column digit + row digit; index column * 8 + row; at most 15 characters.
    std::array<QString, LabelItemCount> labelItems;

    // Report Label Font.
    FontSetting reportLabelFont{0, QStringLiteral("Arial"), 10};

    DatabaseSettings();

    // Field display name of slot 1..40.
    QString displayName(int slot) const { return fieldNames[slot - 1]; }

    void read(const IniFile& ini);
    void write(IniFile& ini) const;

    // Reads the settings of the catalogue table at tablePath: its own settings file when that
    // exists, else the program settings file (whose lack of these sections gives the defaults).
    // false with error set when an existing file cannot be read (the defaults are then in force).
    bool loadForTable(const QString& tablePath, const QString& programSettingsFile, QString* error = nullptr);
    // The settings of a new catalogue: from the template (QLNINV.INI) when it exists, else from
    // the program settings file.
    bool loadForNewTable(const QString& templatePath, const QString& programSettingsFile,
                         QString* error = nullptr);
    // Writes the table's own settings file (created when missing), keeping lines it does not own.
    bool saveForTable(const QString& tablePath, QString* error = nullptr) const;

    static QString labelItemKey(int index);             // "Label Item 00" .. "Label Item 17"
    static const char* groupSection(WindowGroup group); // "Main Window Color" ...

    bool operator==(const DatabaseSettings&) const = default;
};
