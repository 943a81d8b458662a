#include "common/testcatalogue.h"

#include <QFile>
#include <vector>

#include "catalogue/catalogue.h"
#include "dbase/table.h"

std::string enginePathOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void createTestCatalogue(const QString& path) {
    dbase::Table::create(enginePathOf(path), catalogueFields());
}

void appendRecords(dbase::Table& table, int count, const std::function<TestRecord(int)>& make) {
    const int title = table.fieldIndexOrThrow("Title");
    const int category = table.fieldIndexOrThrow("Category");
    const int purch = table.fieldIndexOrThrow("PurchDate");
    const int viewed = table.fieldIndexOrThrow("Viewed");
    const int year = table.fieldIndexOrThrow("Year");
    for (int i = 0; i < count; ++i) {
        const TestRecord r = make(i);
        table.append();
        table.setText(title, r.title.toStdString());
        table.setText(category, r.category.toStdString());
        table.setDate(purch, r.purchDate.toStdString());
        table.setText(viewed, r.viewed.toStdString());
        if (r.year) table.setNumber(year, r.year);
        table.post();
    }
}

QStringList titles(dbase::Table& table) {
    QStringList out;
    for (bool more = table.first(); more; more = table.next())
        out << QString::fromStdString(table.getText(table.fieldIndex("TITLE")));
    return out;
}
