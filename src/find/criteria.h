#pragma once
// The criteria store of a search: up to 75 search items in up to ten levels. Items inside a level
// are joined by AND, levels by OR; a level is a run of items whose last item ends the level.
#include <QString>
#include <vector>

// How an item compares the record's field with its value.
enum class Comparison : int {
    Equal = 1,    // number or date
    Greater = 2,  // number or date, strictly
    Less = 3,     // number or date, strictly
    Contains = 5, // text anywhere in the field, letters a to z in either case
    AnyWord = 6,  // any word of the text anywhere in the field (the key words)
    AnyStar = 7,  // the text anywhere in one of the six star fields
};

struct SearchItem {
    QString text;      // text items: upper-cased (a to z), at most MaxTextLength characters
    double number = 0; // number items
    QString date;      // date items: "YYYYMMDD"
    int slot = 1;      // catalogue field, 1..40
    Comparison kind = Comparison::Contains;
    bool endOfLevel = false;
    bool isDate = false;
};

class SearchCriteria {
public:
    static constexpr int MaxItems = 75;
    static constexpr int MaxLevels = 10;
    static constexpr int MaxTextLength = 110;

    const std::vector<SearchItem>& items() const { return items_; }
    int count() const { return int(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    int levelCount() const;
    void clear() { items_.clear(); }

    // Adds an item at the end; false (and nothing added) when the store is full.
    bool add(const SearchItem& item);
    // Drops every item after the first n.
    void truncate(int n);
    // Marks the last item as the end of its level.
    void endLevel();

    bool operator==(const SearchCriteria&) const = default;

private:
    std::vector<SearchItem> items_;
};

inline bool operator==(const SearchItem& a, const SearchItem& b) {
    return a.text == b.text && a.number == b.number && a.date == b.date && a.slot == b.slot &&
           a.kind == b.kind && a.endOfLevel == b.endOfLevel && a.isDate == b.isDate;
}
