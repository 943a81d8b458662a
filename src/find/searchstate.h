#pragma once
// The search in force on the open catalogue: the criteria store and the search-on flag. While the
// search is on, the catalogue table's record filter lets only the records that meet the criteria
// through, so everything that walks the table (viewer, record count, locate, reports, export)
// sees only the search result.
//
// The table forgets its filter when it is closed; whoever reopens the catalogue table calls
// applyTo() so that a search in force stays in force.
#include <memory>

#include "find/criteria.h"

namespace dbase {
class Table;
}
class SearchFilter;

class SearchState {
public:
    SearchState();
    ~SearchState();

    bool isOn() const { return on_; }
    const SearchCriteria& criteria() const { return criteria_; }

    // Puts the criteria in force and re-reads the table through them. When no record passes, the
    // search ends (no filter, flag off, store emptied) and the answer is false. Throws
    // dbase::DbError, leaving the search as it was, when the table lacks a field the criteria name.
    bool start(dbase::Table& table, const SearchCriteria& criteria);
    // Ends the search: the table shows every record again. The criteria stay in the store.
    void end(dbase::Table& table);
    // Sets the flag again after an end() made for an operation that needed every record.
    void resume(dbase::Table& table);
    // Installs the filter of a search in force on a table that was (re)opened; clears it otherwise.
    void applyTo(dbase::Table& table) const;
    // Forgets the search (flag off, store emptied) without touching any table.
    void reset();

private:
    SearchCriteria criteria_;
    std::shared_ptr<const SearchFilter> filter_;
    bool on_ = false;
};
