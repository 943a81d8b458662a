#pragma once
// Reads (and, when writable, writes) a table through every path a viewer, an export or an edit
// takes. Shared by the damaged-file test and the libFuzzer target: only DbError may come out.
#include <string>

#include "dbase/table.h"

namespace dbftest {

inline void exerciseDbf(const std::string& path, bool writable) {
    dbase::Table t;
    try {
        t.open(path, dbase::OpenMode::Shared, !writable);
        t.recordCount();
        t.deletedCount();
        t.orderedRecnos();
        for (bool ok = t.first(); ok; ok = t.next())
            for (int f = 0; f < t.fieldCount(); ++f) {
                t.getText(f);
                t.getNumber(f);
                t.isBlank(f);
                if (t.field(f).type == 'D') t.getDate(f);
            }
        if (t.last())
            while (t.prior()) {
            }
        t.info();
        t.checkIndexes();
        if (writable && t.first()) {
            t.edit();
            for (int f = 0; f < t.fieldCount(); ++f) {
                try {
                    t.setText(f, t.getText(f));
                } catch (const dbase::DbError&) {
                }
            }
            t.post();
            t.append();
            t.post();
            t.deleteRecord();
        }
    } catch (const dbase::DbError&) {
    }
}

} // namespace dbftest
