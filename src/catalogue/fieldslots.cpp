#include "catalogue/fieldslots.h"

#include <QLatin1StringView>

#include <cassert>

const FieldSlot FieldSlots[FieldCount] = {
    {"Title", TypeString, 60, 'C', "Title", 0},
    {"Star1", TypeString, 25, 'C', "Star 1", 1},
    {"Star2", TypeString, 25, 'C', "Star 2", 1},
    {"Star3", TypeString, 25, 'C', "Star 3", 1},
    {"Star4", TypeString, 25, 'C', "Star 4", 1},
    {"Star5", TypeString, 25, 'C', "Star 5", 1},
    {"Star6", TypeString, 25, 'C', "Star 6", 1},
    {"Producer", TypeString, 28, 'C', "Producer", 1},
    {"Director", TypeString, 28, 'C', "Director", 1},
    {"ReleasedBy", TypeString, 28, 'C', "Released By", 1},
    {"Year", TypeInteger, 4, 'N', "Year", 0},
    {"RunTime", TypeInteger, 3, 'N', "Play Time", 0},
    {"Rating", TypeString, 15, 'C', "Rating", 1},
    {"Category", TypeString, 20, 'C', "Category", 1},
    {"Picture", TypeString, 10, 'C', "Picture", 1},
    {"Sound", TypeString, 10, 'C', "Sound", 1},
    {"Format", TypeString, 15, 'C', "Format", 1},
    {"PersonalRa", TypeString, 15, 'C', "Personal Rating", 1},
    {"MediaNum", TypeString, 10, 'C', "Media #", 0},
    {"RecSpeed", TypeString, 6, 'C', "Rec Speed", 1},
    {"CounterSta", TypeString, 8, 'C', "Counter Start", 0},
    {"CounterSto", TypeString, 8, 'C', "Counter Stop", 0},
    {"Descriptio", TypeString, 140, 'C', "Description", 0},
    {"Content", TypeString, 10, 'C', "Content", 1},
    {"Miscellane", TypeString, 80, 'C', "Miscellaneous", 1},
    {"KeyWords", TypeString, 80, 'C', "Key Words", 0},
    {"LaserForma", TypeString, 12, 'C', "Laser Format", 1},
    {"ListPrice", TypeFloat, 12, 'N', "List Price", 0},
    {"OscarNom", TypeString, 110, 'C', "Oscar Nomination", 1},
    {"OscarAward", TypeString, 110, 'C', "Oscar Award", 1},
    {"CheckOut", TypeString, 3, 'C', "Checked Out", 1},
    {"CheckDate", TypeDate, 10, 'D', "Check Out Date", 0},
    {"CheckName", TypeString, 25, 'C', "Check Out Person", 1},
    {"PurchPrice", TypeFloat, 12, 'N', "Purch Price", 0},
    {"PurchDate", TypeDate, 10, 'D', "Purch Date", 0},
    {"WherePurch", TypeString, 25, 'C', "Where Purchased", 1},
    {"Viewed", TypeString, 3, 'C', "Viewed", 1},
    {"Writers", TypeString, 60, 'C', "Writers", 0},
    {"UserDef1", TypeString, 40, 'C', "User Defined 1", 0},
    {"UserDef2", TypeString, 40, 'C', "User Defined 2", 0},
};

const FieldSlot& fieldSlot(int slot) {
    assert(slot >= 1 && slot <= FieldCount);
    if (slot < 1 || slot > FieldCount) return FieldSlots[0];
    return FieldSlots[slot - 1];
}

int slotByName(QStringView name) {
    const QStringView trimmed = name.trimmed();
    for (int i = 0; i < FieldCount; ++i) {
        if (trimmed.compare(QLatin1StringView(FieldSlots[i].name), Qt::CaseInsensitive) == 0) return i + 1;
    }
    return 0;
}

QString fieldName(int slot) {
    return QString::fromLatin1(fieldSlot(slot).name);
}

QString defaultTitle(int slot) {
    return QString::fromLatin1(fieldSlot(slot).defaultTitle);
}
