#pragma once
// Helpers of the editor tests: a real catalogue table in a temporary folder, opened in a
// session, and a few records in it.
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/datalists.h"
#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "dbase/table.h"

namespace editortest {

// Appends a record with the given field texts (field name -> text; dates as YYYYMMDD).
inline void addRecord(dbase::Table& table, const std::map<std::string, std::string>& values) {
    table.append();
    for (const auto& [name, value] : values) {
        const int f = table.fieldIndexOrThrow(name);
        if (table.field(f).type == 'D')
            table.setDate(f, value);
        else
            table.setText(f, value);
    }
    table.post();
}

// Writes a list file (CR LF lines).
inline void writeLines(const QString& path, const QStringList& lines) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const QString& l : lines)
        f.write(l.toLatin1() + "\r\n");
}

inline QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList out;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (!l.isEmpty()) out << QString::fromLatin1(l.endsWith('\r') ? l.chopped(1) : l);
    return out;
}

// A catalogue MASTER.DBF with three records in a temporary folder, open in the session.
struct Catalogue {
    QTemporaryDir dir;
    QString path;
    explicit Catalogue(Session& session, int records = 3) {
        path = dir.path() + "/MASTER.DBF";
        dbase::Table::create(path.toStdString(), ::catalogueFields());
        {
            dbase::Table t;
            t.open(path.toStdString());
            const char* titles[] = {"Casablanca", "Metropolis", "Vertigo", "Rebecca", "Notorious"};
            for (int i = 0; i < records; ++i)
                addRecord(t, {{"TITLE", titles[i % 5]},
                              {"YEAR", std::to_string(1940 + i)},
                              {"RUNTIME", "100"},
                              {"PRODUCER", "Hal Wallis"},
                              {"CHECKOUT", i == 0 ? "Yes" : "No"},
                              {"CHECKDATE", i == 0 ? "19970403" : ""},
                              {"CHECKNAME", i == 0 ? "Ann" : ""},
                              {"LISTPRICE", i == 0 ? "1234.5" : "0"},
                              {"PURCHDATE", "19961224"},
                              {"VIEWED", "Yes"}});
            t.close();
        }
        session.table().open(path.toStdString());
        session.setCurrentDatabase(path);
        session.table().first();
    }
    QString listFile(const char* ext) const { return dir.path() + "/MASTER" + ext; }
};

} // namespace editortest
