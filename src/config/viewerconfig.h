#pragma once
// The viewer configuration as the window edits it: the texts of its field grids and the order of
// the fields, taken from the database settings when the window opens and put back when it closes.
//
// The pages that list fields in slot order (fields to show, widths, names) hold the text of each
// cell as typed; the order page holds the slots in display order and shows each by the display
// name it had when the window opened. Nothing reaches the settings until apply(), which runs the
// closing rules in their order: widths (a whole number 1 to 255, anything else 10), displayed
// flags (exactly "Yes"), the order, and the names (cut to 20 characters). Before that,
// nameProblem() says whether the names can be taken: every name must be given and differ from
// every other.
#include <QFont>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "catalogue/fieldslots.h"
#include "catalogue/settings.h"

namespace config {

// A display name is kept to this many characters.
constexpr int DisplayNameLength = 20;
// Column widths in characters, and what a width outside them or not a number becomes.
constexpr int MinimumWidth = 1;
constexpr int MaximumWidth = 255;
constexpr int FallbackWidth = 10;

// The width a typed width cell gives: its blanks removed, a whole number from 1 to 255; anything
// else (0, 300, letters, a number followed by other characters, nothing) gives 10.
int widthFromText(const QString& text);

// Why the names of the names page cannot be taken, and which row to show.
struct NameProblem {
    int slot = 0;    // the field to bring up (the later one of two equal names)
    QString message; // the "Error" message
};

class ViewerConfiguration {
public:
    // The grids as the window shows them when it opens.
    explicit ViewerConfiguration(const DatabaseSettings& settings);

    // Fields to show: "Yes" or "No" (whatever was typed elsewhere counts as hidden).
    QString displayText(int slot) const { return display_[size_t(slot - 1)]; }
    void setDisplayText(int slot, const QString& text) { display_[size_t(slot - 1)] = text; }
    // The double click: "Yes" becomes "No", anything else "Yes".
    void toggleDisplayed(int slot);

    QString widthText(int slot) const { return widths_[size_t(slot - 1)]; }
    void setWidthText(int slot, const QString& text) { widths_[size_t(slot - 1)] = text; }

    QString nameText(int slot) const { return names_[size_t(slot - 1)]; }
    void setNameText(int slot, const QString& text) { names_[size_t(slot - 1)] = text; }
    // The display name of a slot when the window opened ("FIELD" columns, order rows).
    QString openingName(int slot) const { return opening_[size_t(slot - 1)]; }

    // The order page: row 0..39 and the slot shown in it.
    int orderSlot(int row) const { return order_[size_t(row)]; }
    QString orderText(int row) const { return openingName(orderSlot(row)); }
    // Up and Down swap a row with its neighbour; false (nothing moves) for the first row up, the
    // last row down or a row outside the grid.
    bool moveUp(int row);
    bool moveDown(int row);
    // Defaults: the fields in slot order.
    void restoreDefaultOrder();

    // The question asked before the order goes back to the defaults (caption "Re-Order").
    static QString defaultOrderQuestion();

    // Nothing when the names can be taken; else the first problem: an empty name, or two names
    // that are equal as they would be kept (cut to 20 characters, compared exactly).
    std::optional<NameProblem> nameProblem() const;

    // The closing rules: widths, displayed flags, order, display names into settings. The width
    // texts become the widths stored ("10" where the typed text was refused).
    void apply(DatabaseSettings& settings);

private:
    std::array<QString, FieldCount> display_;
    std::array<QString, FieldCount> widths_;
    std::array<QString, FieldCount> names_;
    std::array<QString, FieldCount> opening_;
    std::array<int, FieldCount> order_{};
};

// The slots in display order as the settings give them: by order position, equal positions by
// slot number, positions outside 1 to 40 last. Always each slot once, so a settings file edited
// by hand still gives an order page with every field.
std::array<int, FieldCount> displayOrder(const DatabaseSettings& settings);

// The title and cell fonts of the viewer as fonts (size in points, styles), a chosen font taken
// back (its colour stays, a font dialog has none), and the text that shows one: "12pt Arial".
QFont fontFromSetting(const FontSetting& setting);
void takeFont(FontSetting& setting, const QFont& font);
QString fontDescription(const FontSetting& setting);

} // namespace config
