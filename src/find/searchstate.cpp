#include "find/searchstate.h"

#include "dbase/table.h"
#include "find/searchfilter.h"

SearchState::SearchState() = default;
SearchState::~SearchState() = default;

bool SearchState::start(dbase::Table& table, const SearchCriteria& criteria) {
    // Built first: a table without one of the fields leaves the search in force as it was.
    auto filter = std::make_shared<const SearchFilter>(criteria, table);
    criteria_ = criteria;
    filter_ = std::move(filter);
    on_ = true;
    applyTo(table);
    table.refresh();
    if (table.first()) return true;
    end(table);
    reset();
    return false;
}

void SearchState::end(dbase::Table& table) {
    on_ = false;
    if (table.isOpen()) {
        table.clearFilter();
        table.refresh();
    }
}

void SearchState::resume(dbase::Table& table) {
    if (!filter_) return;
    on_ = true;
    applyTo(table);
    if (table.isOpen()) table.refresh();
}

void SearchState::applyTo(dbase::Table& table) const {
    if (!table.isOpen()) return;
    if (on_ && filter_) {
        std::shared_ptr<const SearchFilter> f = filter_;
        table.setFilter([f](const dbase::Table& t) { return f->matches(t); });
    } else {
        table.clearFilter();
    }
}

void SearchState::reset() {
    on_ = false;
    filter_.reset();
    criteria_.clear();
}
