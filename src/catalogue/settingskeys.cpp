#include "catalogue/settingskeys.h"

#include "catalogue/fieldslots.h"
#include "catalogue/settings.h"

namespace {

using Type = SettingsKey::Type;

// Reaches one value inside DatabaseSettings (a member, an array element, a member of a member).
template <class T> using Access = std::function<T&(DatabaseSettings&)>;

template <class T> Type typeOf();
template <> Type typeOf<bool>() {
    return Type::Bool;
}
template <> Type typeOf<int>() {
    return Type::Int;
}
template <> Type typeOf<QString>() {
    return Type::Text;
}

class Rows {
public:
    template <class T>
    void add(const QString& section, const QString& key, Access<T> access, const T& def, int bufferLength = 0,
             int maxLength = 0) {
        SettingsKey k;
        k.section = section;
        k.key = key;
        k.type = typeOf<T>();
        k.defaultValue = QVariant::fromValue(def);
        if (bufferLength > 0) k.bufferLength = bufferLength;
        k.maxLength = maxLength;
        k.get = [access](const DatabaseSettings& s) {
            return QVariant::fromValue(access(const_cast<DatabaseSettings&>(s)));
        };
        k.set = [access](DatabaseSettings& s, const QVariant& v) { access(s) = v.value<T>(); };
        rows.push_back(std::move(k));
    }

    template <class T>
    void member(const QString& section, const QString& key, T DatabaseSettings::*m, const T& def) {
        add<T>(
            section, key, [m](DatabaseSettings& s) -> T& { return s.*m; }, def);
    }

    // One key per field, named by the field name, in slot order.
    template <class T>
    void perField(const QString& section, std::array<T, FieldCount> DatabaseSettings::*m,
                  const std::function<T(int)>& def, int bufferLength = 0, int maxLength = 0) {
        for (int slot = 1; slot <= FieldCount; ++slot)
            add<T>(
                section, fieldName(slot),
                [m, slot](DatabaseSettings& s) -> T& { return (s.*m)[size_t(slot - 1)]; }, def(slot),
                bufferLength, maxLength);
    }

    void font(const QString& section, FontSetting DatabaseSettings::*m, const FontSetting& def) {
        auto part = [&](const char* key, auto FontSetting::*p, int buffer = 0) {
            using T = std::remove_cvref_t<decltype(def.*p)>;
            add<T>(
                section, QLatin1String(key), [m, p](DatabaseSettings& s) -> T& { return (s.*m).*p; }, def.*p,
                buffer);
        };
        part("Color", &FontSetting::color);
        part("Font Name", &FontSetting::name, IniFile::NameBuffer);
        part("Size", &FontSetting::size);
        part("Bold", &FontSetting::bold);
        part("Italic", &FontSetting::italic);
        part("Underline", &FontSetting::underline);
        part("Strikeout", &FontSetting::strikeout);
    }

    void userFont(const QString& section, UserFontSetting DatabaseSettings::*m) {
        const UserFontSetting def;
        add<QString>(
            section, QStringLiteral("Font Name"),
            [m](DatabaseSettings& s) -> QString& { return (s.*m).name; }, def.name, IniFile::NameBuffer);
        add<bool>(
            section, QStringLiteral("Bold"), [m](DatabaseSettings& s) -> bool& { return (s.*m).bold; },
            def.bold);
        add<bool>(
            section, QStringLiteral("Italic"), [m](DatabaseSettings& s) -> bool& { return (s.*m).italic; },
            def.italic);
    }

    std::vector<SettingsKey> rows;
};

std::vector<SettingsKey> makeKeys() {
    Rows r;
    constexpr int FieldNameLength = 20;
    r.perField<QString>(QStringLiteral("Field Names"), &DatabaseSettings::fieldNames, defaultTitle,
                        IniFile::NameBuffer, FieldNameLength);
    r.perField<bool>(QStringLiteral("Display Fields"), &DatabaseSettings::displayFields,
                     [](int) { return true; });
    r.perField<int>(QStringLiteral("Field Width"), &DatabaseSettings::fieldWidth, [](int) { return 15; });
    r.perField<int>(QStringLiteral("Field Order"), &DatabaseSettings::fieldOrder,
                    [](int slot) { return slot; });
    r.perField<bool>(QStringLiteral("Export Fields"), &DatabaseSettings::exportFields,
                     [](int) { return true; });
    r.perField<int>(QStringLiteral("Export Order"), &DatabaseSettings::exportOrder,
                    [](int slot) { return slot; });

    r.member(QStringLiteral("Export"), QStringLiteral("First Row"), &DatabaseSettings::exportFirstRow, true);
    r.member(QStringLiteral("Export"), QStringLiteral("File Type"), &DatabaseSettings::exportFileType, 1);
    r.member(QStringLiteral("Import"), QStringLiteral("Skip First"), &DatabaseSettings::importSkipFirst,
             true);
    r.member(QStringLiteral("Import"), QStringLiteral("File Type"), &DatabaseSettings::importFileType, 1);

    const char* const sortKeys[4] = {"Primary Sort", "Secondary Sort", "Third Level Sort",
                                     "Fourth Level Sort"};
    for (int i = 0; i < 4; ++i)
        r.add<int>(
            QStringLiteral("Sort Order"), QLatin1String(sortKeys[i]),
            [i](DatabaseSettings& s) -> int& { return s.sortLevels[size_t(i)]; }, i == 0 ? Slot::Star1 : 0);

    const ColorSet defaultColors;
    for (int g = 1; g <= DatabaseSettings::GroupCount; ++g) {
        const auto group = static_cast<WindowGroup>(g);
        for (int e = 0; e < ColorSet::Count; ++e)
            r.add<int>(
                QLatin1String(DatabaseSettings::groupSection(group)), QLatin1String(ColorSet::keyName(e)),
                [group, e](DatabaseSettings& s) -> int& { return s.colors(group)[e]; }, defaultColors[e]);
    }

    const QString title = QStringLiteral("Grid Title");
    r.member(title, QStringLiteral("Show Titles"), &DatabaseSettings::showTitles, true);
    r.member(title, QStringLiteral("Background Color"), &DatabaseSettings::titleBackground, 8553090);
    r.member(title, QStringLiteral("Alignment"), &DatabaseSettings::titleAlignment, 2);
    r.font(QStringLiteral("Grid Title Font"), &DatabaseSettings::gridTitleFont,
           FontSetting{0, QStringLiteral("Arial"), 12});
    r.font(QStringLiteral("Grid Font"), &DatabaseSettings::gridFont,
           FontSetting{0, QStringLiteral("Arial"), 10});
    const QString options = QStringLiteral("Grid Options");
    r.member(options, QStringLiteral("Cell Color"), &DatabaseSettings::cellColor, 12632256);
    r.member(options, QStringLiteral("Column Lines"), &DatabaseSettings::columnLines, true);
    r.member(options, QStringLiteral("Row Lines"), &DatabaseSettings::rowLines, true);
    r.member(options, QStringLiteral("Row Indicator"), &DatabaseSettings::rowIndicator, true);
    r.member(options, QStringLiteral("Field Editing"), &DatabaseSettings::fieldEditing, false);

    r.userFont(QStringLiteral("Edit Font"), &DatabaseSettings::editFont);
    r.userFont(QStringLiteral("Label Font"), &DatabaseSettings::labelFont);
    r.userFont(QStringLiteral("Button Font"), &DatabaseSettings::buttonFont);

    const QString reports = QStringLiteral("Reports");
    r.member(reports, QStringLiteral("Last Report"), &DatabaseSettings::lastReport, 0);
    r.member(reports, QStringLiteral("Default Printer"), &DatabaseSettings::defaultPrinter, true);
    r.member(reports, QStringLiteral("Printer Index"), &DatabaseSettings::printerIndex, 0);
    r.member(reports, QStringLiteral("Report Viewing Window Left"), &DatabaseSettings::reportViewLeft, 0);
    r.member(reports, QStringLiteral("Report Viewing Window Top"), &DatabaseSettings::reportViewTop, 0);
    r.member(reports, QStringLiteral("Report Viewing Window Width"), &DatabaseSettings::reportViewWidth, 640);
    r.member(reports, QStringLiteral("Report Viewing Window Height"), &DatabaseSettings::reportViewHeight,
             480);
    r.member(reports, QStringLiteral("Label Size"), &DatabaseSettings::labelSize, 1);
    r.member(reports, QStringLiteral("What To Print"), &DatabaseSettings::whatToPrint, 1);
    r.member(reports, QStringLiteral("Label Rating"), &DatabaseSettings::labelRating, true);
    r.member(reports, QStringLiteral("Label Title"), &DatabaseSettings::labelTitle, true);
    r.member(reports, QStringLiteral("Label Start Counter"), &DatabaseSettings::labelStartCounter, true);
    r.member(reports, QStringLiteral("Label Stop Counter"), &DatabaseSettings::labelStopCounter, true);
    r.member(reports, QStringLiteral("Label Play Time"), &DatabaseSettings::labelPlayTime, true);
    r.member(reports, QStringLiteral("Label Category"), &DatabaseSettings::labelCategory, true);
    r.member(reports, QStringLiteral("Label Media Number"), &DatabaseSettings::labelMediaNumber, true);
    r.member(reports, QStringLiteral("Label Year Released"), &DatabaseSettings::labelYearReleased, true);
    constexpr int LabelItemLength = 15;
    for (int i = 0; i < DatabaseSettings::LabelItemCount; ++i)
        r.add<QString>(
            reports, DatabaseSettings::labelItemKey(i),
            [i](DatabaseSettings& s) -> QString& { return s.labelItems[size_t(i)]; }, QString(),
            IniFile::NumberBuffer + 1, LabelItemLength);

    r.font(QStringLiteral("Report Label Font"), &DatabaseSettings::reportLabelFont,
           FontSetting{0, QStringLiteral("Arial"), 10});
    return std::move(r.rows);
}

} // namespace

const std::vector<SettingsKey>& databaseSettingsKeys() {
    static const std::vector<SettingsKey> keys = makeKeys();
    return keys;
}

void applyDefaults(DatabaseSettings& settings) {
    for (const SettingsKey& k : databaseSettingsKeys())
        k.set(settings, k.defaultValue);
}

void readSettingsKeys(const IniFile& ini, DatabaseSettings& settings) {
    for (const SettingsKey& k : databaseSettingsKeys()) {
        switch (k.type) {
        case Type::Bool:
            k.set(settings, ini.readBool(k.section, k.key, k.defaultValue.toBool()));
            break;
        case Type::Int:
            k.set(settings, ini.readInt(k.section, k.key, k.defaultValue.toInt()));
            break;
        case Type::Text: {
            QString v = ini.readString(k.section, k.key, k.defaultValue.toString(), k.bufferLength);
            if (k.maxLength > 0) v = v.left(k.maxLength);
            k.set(settings, v);
            break;
        }
        }
    }
}

void writeSettingsKeys(IniFile& ini, const DatabaseSettings& settings) {
    for (const SettingsKey& k : databaseSettingsKeys()) {
        const QVariant v = k.get(settings);
        switch (k.type) {
        case Type::Bool:
            ini.writeBool(k.section, k.key, v.toBool());
            break;
        case Type::Int:
            ini.writeInt(k.section, k.key, v.toInt());
            break;
        case Type::Text:
            ini.writeString(k.section, k.key, v.toString());
            break;
        }
    }
}
