// The key table of the database settings file: every key once, every key round-trips through a
// real file, and the file keeps the keys the table does not know.
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/inifile.h"
#include "catalogue/settings.h"
#include "catalogue/settingskeys.h"
#include "common/files.h"

namespace {

TEST(SettingsKeys, EveryKeyIsNamedOnce) {
    QSet<QString> seen;
    for (const SettingsKey& k : databaseSettingsKeys()) {
        const QString id = (k.section + QLatin1Char('/') + k.key).toLower();
        EXPECT_FALSE(seen.contains(id)) << id.toStdString();
        seen.insert(id);
    }
}

TEST(SettingsKeys, EveryKeyRoundTripsThroughAFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MASTER.INI"));
    // Each key takes a value other than its default; all of them are written and read back.
    DatabaseSettings changed;
    int n = 0;
    for (const SettingsKey& k : databaseSettingsKeys()) {
        ++n;
        switch (k.type) {
        case SettingsKey::Type::Bool:
            k.set(changed, !k.defaultValue.toBool());
            break;
        case SettingsKey::Type::Int:
            k.set(changed, k.defaultValue.toInt() + 100 + n);
            break;
        case SettingsKey::Type::Text:
            k.set(changed, QStringLiteral("v%1 é").arg(n));
            break;
        }
    }
    IniFile out(path);
    ASSERT_TRUE(out.load());
    out.writeString(QStringLiteral("Own Section"), QStringLiteral("Kept"), QStringLiteral("1"));
    writeSettingsKeys(out, changed);
    ASSERT_TRUE(out.save());

    DatabaseSettings read;
    readSettingsKeys(IniFile::fromFile(path), read);
    for (const SettingsKey& k : databaseSettingsKeys())
        EXPECT_EQ(k.get(read), k.get(changed)) << k.section.toStdString() << "/" << k.key.toStdString();
    EXPECT_TRUE(readFile(path).contains("[Own Section]\r\nKept=1\r\n"));

    // A file without the keys gives every default.
    DatabaseSettings defaults = changed;
    readSettingsKeys(IniFile(), defaults);
    for (const SettingsKey& k : databaseSettingsKeys())
        EXPECT_EQ(k.get(defaults), k.defaultValue) << k.section.toStdString() << "/" << k.key.toStdString();
}

TEST(SettingsKeys, LongTextsAreCutAsTheyAlwaysWere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MASTER.INI"));
    ASSERT_TRUE(writeFile(path, "[Field Names]\r\nTitle=A title far longer than twenty\r\n"
                                "[Reports]\r\nLabel Item 00=A label item longer than fifteen\r\n"));
    DatabaseSettings s;
    readSettingsKeys(IniFile::fromFile(path), s);
    EXPECT_EQ(s.fieldNames[0], "A title far longer t");
    EXPECT_EQ(s.labelItems[0], "A label item lo");
}

} // namespace
