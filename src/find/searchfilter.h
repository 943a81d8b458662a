#pragma once
// The record filter of a search: answers for the table's current record whether it meets the
// criteria. Items are evaluated in order; inside a level every item must hold (AND), and the first
// level that holds lets the record pass (OR) without looking at later levels. Empty number fields
// count as 0 and empty dates as earlier than any date. An empty store lets no record pass.
//
// The filter is built once against the table's fields and then called for every record the
// engine reads, so it works on the engine's UTF-8 text directly: letters a to z are compared
// without regard to case and every other character exactly, which a byte search does too.
#include <string>
#include <vector>

#include "find/criteria.h"

namespace dbase {
class Table;
}

class SearchFilter {
public:
    // Throws dbase::DbError when the table lacks a field the criteria name.
    SearchFilter(const SearchCriteria& criteria, const dbase::Table& table);

    bool matches(const dbase::Table& table) const;

private:
    struct Item {
        std::vector<int> fields; // the star items look at six fields
        Comparison kind = Comparison::Contains;
        bool isDate = false;
        bool endOfLevel = false;
        double number = 0;
        std::string date;               // "YYYYMMDD"
        std::string text;               // upper-cased UTF-8
        std::vector<std::string> words; // any-word items
    };
    bool holds(const Item& item, const dbase::Table& table) const;

    std::vector<Item> items_;
};
