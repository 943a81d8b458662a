#include "catalogue/fieldtext.h"

#include "base/inifile.h"
#include "base/paths.h"
#include "dbase/table.h"

DateFormat programDateFormat() {
    const IniFile settings = IniFile::fromFile(ProgramPaths::programSettingsFile());
    return DateFormat(settings.readInt(QStringLiteral("Misc"), QStringLiteral("Date Format"), 1),
                      settings.readBool(QStringLiteral("Misc"), QStringLiteral("Date Leading Zeros"), false));
}

std::string fieldTextUtf8(const dbase::Table& table, int field, const DateFormat& dates) {
    if (table.field(field).type != 'D') return table.getText(field);
    const std::string date = table.getDate(field);
    if (date.empty()) return {};
    return dates.format(QString::fromLatin1(date.data(), qsizetype(date.size()))).toStdString();
}

QString fieldText(const dbase::Table& table, int field, const DateFormat& dates) {
    if (table.field(field).type == 'D') {
        const std::string date = table.getDate(field);
        return date.empty() ? QString()
                            : dates.format(QString::fromLatin1(date.data(), qsizetype(date.size())));
    }
    const std::string text = table.getText(field);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool setFieldText(dbase::Table& table, int field, const QString& text, const DateFormat& dates,
                  QString* error) {
    const char type = table.field(field).type;
    const QString trimmed = text.trimmed();
    switch (type) {
    case 'D': {
        bool ok = false;
        const QString date = dates.parse(text, &ok);
        if (!ok) {
            if (error) *error = QStringLiteral("\"%1\" is not a valid date.").arg(trimmed);
            return false;
        }
        table.setDate(field, date.toStdString());
        return true;
    }
    case 'N':
    case 'F': {
        if (trimmed.isEmpty()) {
            table.setText(field, "");
            return true;
        }
        const std::optional<double> value = parseDecimal(trimmed);
        if (!value) {
            if (error) *error = QStringLiteral("\"%1\" is not a valid number.").arg(trimmed);
            return false;
        }
        table.setNumber(field, *value);
        return true;
    }
    default:
        table.setText(field, text.toStdString());
        return true;
    }
}
