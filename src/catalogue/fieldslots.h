#pragma once
// The field slot table: the forty fields of a catalogue table in their fixed order. Read-only;
// every part of the program addresses catalogue fields through it, by slot number (1..40) or by
// field name (compared without regard to letter case).
#include <QString>
#include <QStringView>

constexpr int FieldCount = 40;

// Type codes (import and export call them the value kind).
enum FieldType : int { TypeString = 1, TypeInteger = 2, TypeFloat = 3, TypeDate = 4 };

struct FieldSlot {
    const char* name;         // the dBase field name, at most 10 characters
    int typeCode;             // FieldType
    int width;                // string size; for other types the width of the value as text
    char letter;              // dBase type letter: 'C', 'N' or 'D'
    const char* defaultTitle; // field display name until the user gives another
    int listFlag;             // 1 when a data list feeds the field
};

// The table itself, FieldSlots[0] is slot 1.
extern const FieldSlot FieldSlots[FieldCount];

// Slot 1..40; any other number is a programming error (asserted) and yields slot 1.
const FieldSlot& fieldSlot(int slot);

// The slot of a field name ignoring letter case; 0 when no field has that name.
int slotByName(QStringView name);

// Convenience: the field name and default title of a slot as QString.
QString fieldName(int slot);
QString defaultTitle(int slot);

// Slot numbers by name, for code that addresses particular fields.
namespace Slot {
enum : int {
    Title = 1,
    Star1,
    Star2,
    Star3,
    Star4,
    Star5,
    Star6,
    Producer,
    Director,
    ReleasedBy,
    Year,
    RunTime,
    Rating,
    Category,
    Picture,
    Sound,
    Format,
    PersonalRating,
    MediaNumber,
    RecordingSpeed,
    CounterStart,
    CounterStop,
    Description,
    Content,
    Miscellaneous,
    KeyWords,
    LaserFormat,
    ListPrice,
    OscarNomination,
    OscarAward,
    CheckOut,
    CheckDate,
    CheckName,
    PurchasePrice,
    PurchaseDate,
    WherePurchased,
    Viewed,
    Writers,
    UserDefined1,
    UserDefined2
};
} // namespace Slot
