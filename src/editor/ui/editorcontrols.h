#pragma once
// The controls of the record editor, one row per catalogue field: the page it sits on, its cell
// in the page's grid, its kind and the data list behind it. The editor builds its pages from
// this table and finds a field's control by slot; the order of the rows is the Enter walk.
#include <array>

#include "catalogue/fieldslots.h"

namespace editorcontrols {

enum class Kind {
    Edit,  // a line edit
    Combo, // an editable drop-down box over a data list
    Date,  // a masked date box with its "Blan&k Date" button
    Award, // a line edit with its "Select" button (award pick window)
    Check  // a check box storing "Yes" or "No"
};

enum Page { Particulars = 0, Attributes = 1, Library = 2, Other = 3 };

struct Control {
    int slot;
    const char* name; // object name of the control
    int page;
    int row;
    int column; // of the control; its label is in the column before it (none for column 0)
    int span;   // columns the control spans
    Kind kind;
    int list;    // data list number (2 for the six stars), 0 none
    bool narrow; // kept at its own width at the left of its cell
    bool label;  // has a field label of its own
};

// In the order of the Enter walk (from UserDef2 it returns to Title).
inline constexpr std::array<Control, FieldCount> Controls{{
    {Slot::Title, "Title", Particulars, 0, 1, 2, Kind::Edit, 0, false, true},
    {Slot::Star1, "Star1", Particulars, 1, 1, 1, Kind::Combo, 2, false, true},
    {Slot::Star2, "Star2", Particulars, 1, 2, 1, Kind::Combo, 2, false, false},
    {Slot::Star3, "Star3", Particulars, 2, 1, 1, Kind::Combo, 2, false, false},
    {Slot::Star4, "Star4", Particulars, 2, 2, 1, Kind::Combo, 2, false, false},
    {Slot::Star5, "Star5", Particulars, 3, 1, 1, Kind::Combo, 2, false, false},
    {Slot::Star6, "Star6", Particulars, 3, 2, 1, Kind::Combo, 2, false, false},
    {Slot::Year, "YearReleased", Particulars, 4, 1, 1, Kind::Edit, 0, true, true},
    {Slot::Producer, "Producer", Particulars, 5, 1, 1, Kind::Combo, 1, false, true},
    {Slot::Director, "Director", Particulars, 6, 1, 1, Kind::Combo, 3, false, true},
    {Slot::Writers, "Writer", Particulars, 7, 1, 2, Kind::Edit, 0, false, true},
    {Slot::ReleasedBy, "ReleasedBy", Particulars, 8, 1, 1, Kind::Combo, 4, false, true},
    {Slot::Category, "Category", Attributes, 0, 1, 1, Kind::Combo, 6, false, true},
    {Slot::Rating, "Rating", Attributes, 0, 3, 1, Kind::Combo, 5, false, true},
    {Slot::PersonalRating, "PersRating", Attributes, 1, 1, 1, Kind::Combo, 11, false, true},
    {Slot::KeyWords, "KeyWords", Attributes, 2, 1, 3, Kind::Edit, 0, false, true},
    {Slot::Description, "Description", Attributes, 3, 1, 3, Kind::Edit, 0, false, true},
    {Slot::Format, "Format", Attributes, 4, 1, 1, Kind::Combo, 9, false, true},
    {Slot::LaserFormat, "LaserFormat", Attributes, 5, 1, 1, Kind::Combo, 10, false, true},
    {Slot::Content, "Content", Attributes, 6, 1, 1, Kind::Combo, 13, false, true},
    {Slot::Picture, "Picture", Attributes, 4, 3, 1, Kind::Combo, 7, false, true},
    {Slot::Sound, "Sound", Attributes, 5, 3, 1, Kind::Combo, 8, false, true},
    {Slot::RecordingSpeed, "RecordSpeed", Attributes, 6, 3, 1, Kind::Combo, 12, false, true},
    {Slot::MediaNumber, "MediaNumber", Library, 0, 1, 1, Kind::Edit, 0, true, true},
    {Slot::CounterStart, "CounterStart", Library, 1, 1, 1, Kind::Edit, 0, true, true},
    {Slot::CounterStop, "CounterStop", Library, 2, 1, 1, Kind::Edit, 0, true, true},
    {Slot::RunTime, "PlayTime", Library, 3, 1, 1, Kind::Edit, 0, true, true},
    {Slot::Viewed, "Viewed", Library, 4, 1, 1, Kind::Check, 0, true, false},
    {Slot::CheckOut, "CheckOut", Library, 5, 1, 1, Kind::Check, 0, true, false},
    {Slot::CheckDate, "CheckDate", Library, 6, 1, 1, Kind::Date, 0, true, true},
    {Slot::CheckName, "CheckName", Library, 7, 1, 1, Kind::Combo, 15, true, true},
    {Slot::ListPrice, "ListPrice", Other, 0, 1, 1, Kind::Edit, 0, true, true},
    {Slot::PurchasePrice, "PurchPrice", Other, 1, 1, 1, Kind::Edit, 0, true, true},
    {Slot::PurchaseDate, "PurchDate", Other, 2, 1, 1, Kind::Date, 0, true, true},
    {Slot::WherePurchased, "WherePurch", Other, 3, 1, 1, Kind::Combo, 16, true, true},
    {Slot::OscarAward, "OscarAward", Other, 4, 1, 1, Kind::Award, 0, false, true},
    {Slot::OscarNomination, "OscarNom", Other, 5, 1, 1, Kind::Award, 0, false, true},
    {Slot::Miscellaneous, "Misc", Other, 6, 1, 1, Kind::Award, 0, false, true},
    {Slot::UserDefined1, "UserDef1", Other, 7, 1, 1, Kind::Edit, 0, false, true},
    {Slot::UserDefined2, "UserDef2", Other, 8, 1, 1, Kind::Edit, 0, false, true},
}};

// The row of a field slot 1..40.
inline const Control& control(int slot) {
    for (const Control& c : Controls)
        if (c.slot == slot) return c;
    return Controls[0];
}

} // namespace editorcontrols
