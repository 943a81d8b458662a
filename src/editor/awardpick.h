#pragma once
// The award pick: choosing awards, nominations or miscellaneous items from a program-wide list
// (OSCAR.LST or MISC.LST) for the OscarAward, OscarNom and Miscellane fields. This is the logic
// of the pick window without the window: the list in alphabetical order, the selection, the
// pre-selection of the items already in the Misc box, and the joined result.
#include <QList>
#include <QString>
#include <QStringList>

class AwardPick {
public:
    enum Mode { Awards = 1, Nominations = 2, Miscellaneous = 3 };
    static constexpr int MaxResultLength = 255;

    explicit AwardPick(Mode mode = Awards) : mode_(mode) {}

    Mode mode() const { return mode_; }
    static QString caption(Mode mode); // "Oscar Awards", "Oscar Nominations", "Miscellaneous"
    static int listNumber(Mode mode);  // 14 or 17 (DataLists numbering)
    static int targetSlot(Mode mode);  // field slot of the target box
    static int targetWidth(Mode mode); // the target field's width

    // Fills the list (replacing it, nothing selected); each item takes its alphabetical place.
    void setItems(const QStringList& items);
    // Reads the mode's list file of the program folder and fills the list with it.
    void loadList();
    // Adds one item at its alphabetical place (after items equal to it ignoring case); returns
    // its index.
    int addItem(const QString& item);

    const QStringList& items() const { return items_; }
    int count() const { return items_.size(); }

    bool isSelected(int index) const { return selected_.value(index, false); }
    void setSelected(int index, bool on);
    void toggle(int index) { setSelected(index, !isSelected(index)); }
    void clearSelection();
    QList<int> selectedIndexes() const;

    // Index of the first item equal to the text (exact, case-sensitive), or -1.
    int findMisc(const QString& item) const;
    // Index of the first item equal to the text ignoring letter case, or -1.
    int findIgnoringCase(const QString& item) const;

    // Splits the text of a Misc box into its items: each item is the text up to the next comma;
    // items are trimmed of blanks and empty items are skipped.
    static QStringList splitItems(const QString& text);
    // Pre-selects the items of a Misc box: an item found exactly is selected; another is added
    // to the list and the first entry matching it ignoring case is selected.
    void preselect(const QString& miscText);

    // The selected items in list order joined by ", ", cut at 255 characters; "" when none.
    QString joined() const;
    // True when the joined text fits the target field (the editor warns when it does not).
    bool fitsTarget() const { return fits(joined(), targetWidth(mode_)); }
    static bool fits(const QString& text, int width) { return text.size() <= width; }

private:
    Mode mode_;
    QStringList items_;
    QList<bool> selected_;
};
