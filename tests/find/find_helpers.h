#pragma once
// Catalogues for the finding tests: a temporary folder with one catalogue table holding the given
// videos, each video a list of (slot, value) with dates as "YYYYMMDD" and numbers as numerals.
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/sortorder.h"
#include "dbase/table.h"

namespace findtest {

using Video = std::vector<std::pair<int, QString>>;

inline void setValue(dbase::Table& t, int slot, const QString& value) {
    const int f = t.fieldIndexOrThrow(fieldSlot(slot).name);
    switch (fieldSlot(slot).typeCode) {
    case TypeDate:
        t.setDate(f, value.toStdString());
        break;
    case TypeInteger:
    case TypeFloat:
        if (value.isEmpty())
            t.setText(f, "");
        else
            t.setNumber(f, value.toDouble());
        break;
    default:
        t.setText(f, value.toUtf8().toStdString());
        break;
    }
}

class Catalogue {
public:
    explicit Catalogue(const std::vector<Video>& videos, const QString& sortExpression = {}) {
        path_ = dir_.filePath(QStringLiteral("MASTER.DBF"));
        EXPECT_TRUE(createCatalogue(path_).ok);
        dbase::Table t;
        t.open(enginePath(path_), dbase::OpenMode::Exclusive);
        for (const Video& v : videos) {
            t.append();
            for (const auto& [slot, value] : v)
                setValue(t, slot, value);
            t.post();
        }
        if (!sortExpression.isEmpty()) t.addIndex(kSortTag, sortExpression.toStdString());
        t.close();
    }
    const QString& path() const { return path_; }
    QString folder() const { return dir_.path(); }

    // Opens the table shared, in the NewIndex order when it has one.
    void open(dbase::Table& t) const {
        t.open(enginePath(path_), dbase::OpenMode::Shared);
        for (const auto& tag : t.tags())
            if (QString::fromStdString(tag.name).compare(QLatin1String(kSortTag), Qt::CaseInsensitive) == 0)
                t.setActiveIndex(kSortTag);
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

// The values of one field of every record the table's cursor visits, in its order.
inline QStringList column(dbase::Table& t, int slot) {
    QStringList out;
    const int f = t.fieldIndexOrThrow(fieldSlot(slot).name);
    for (bool more = t.first(); more; more = t.next())
        out << QString::fromStdString(t.getText(f));
    return out;
}

inline Video titled(const QString& title, Video more = {}) {
    more.insert(more.begin(), {Slot::Title, title});
    return more;
}

} // namespace findtest
