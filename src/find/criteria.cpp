#include "find/criteria.h"

int SearchCriteria::levelCount() const {
    int levels = 0;
    for (const SearchItem& item : items_)
        if (item.endOfLevel) ++levels;
    return levels;
}

bool SearchCriteria::add(const SearchItem& item) {
    if (count() >= MaxItems) return false;
    items_.push_back(item);
    items_.back().endOfLevel = false;
    return true;
}

void SearchCriteria::truncate(int n) {
    if (n >= 0 && n < count()) items_.resize(size_t(n));
}

void SearchCriteria::endLevel() {
    if (!items_.empty()) items_.back().endOfLevel = true;
}
