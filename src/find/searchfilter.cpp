#include "find/searchfilter.h"

#include <QByteArray>

#include "catalogue/fieldslots.h"
#include "dbase/table.h"

namespace {

void upperAscii(std::string& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
}

std::string utf8(const QString& s) {
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

// The first n characters of UTF-8 text.
void keepCharacters(std::string& s, size_t n) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
        if (chars++ == n) {
            s.resize(i);
            return;
        }
    }
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

SearchFilter::SearchFilter(const SearchCriteria& criteria, const dbase::Table& table) {
    for (const SearchItem& s : criteria.items()) {
        Item item;
        item.kind = s.kind;
        item.isDate = s.isDate;
        item.endOfLevel = s.endOfLevel;
        item.number = s.number;
        item.date = s.date.toStdString();
        item.text = utf8(s.text);
        upperAscii(item.text);
        if (s.kind == Comparison::AnyStar) {
            for (int slot = Slot::Star1; slot <= Slot::Star6; ++slot)
                item.fields.push_back(table.fieldIndexOrThrow(fieldSlot(slot).name));
        } else {
            item.fields.push_back(table.fieldIndexOrThrow(fieldSlot(s.slot).name));
        }
        if (s.kind == Comparison::AnyWord) {
            // Words end at a single blank; an empty word (two blanks) never occurs.
            size_t from = 0;
            while (from <= item.text.size()) {
                size_t end = item.text.find(' ', from);
                if (end == std::string::npos) end = item.text.size();
                item.words.push_back(item.text.substr(from, end - from));
                from = end + 1;
            }
        }
        items_.push_back(std::move(item));
    }
}

bool SearchFilter::holds(const Item& item, const dbase::Table& table) const {
    switch (item.kind) {
    case Comparison::Equal:
    case Comparison::Greater:
    case Comparison::Less: {
        int order;
        if (item.isDate) {
            std::string d = table.getDate(item.fields[0]);
            if (d.empty()) d = "00000000"; // the zero date, earlier than any real date
            order = d.compare(item.date);
        } else {
            const double v = table.getNumber(item.fields[0]).value_or(0.0);
            order = v < item.number ? -1 : v > item.number ? 1 : 0;
        }
        return item.kind == Comparison::Equal     ? order == 0
               : item.kind == Comparison::Greater ? order > 0
                                                  : order < 0;
    }
    case Comparison::Contains: {
        std::string text = table.getText(item.fields[0]);
        upperAscii(text);
        return contains(text, item.text);
    }
    case Comparison::AnyWord: {
        std::string text = table.getText(item.fields[0]);
        keepCharacters(text, 255);
        upperAscii(text);
        for (const std::string& w : item.words)
            if (!w.empty() && contains(text, w)) return true;
        return false;
    }
    case Comparison::AnyStar:
        for (int f : item.fields) {
            std::string text = table.getText(f);
            upperAscii(text);
            if (contains(text, item.text)) return true;
        }
        return false;
    }
    return false;
}

bool SearchFilter::matches(const dbase::Table& table) const {
    bool group = true;
    for (const Item& item : items_) {
        // Once a level has failed, its remaining items cannot make it hold.
        if (group) group = holds(item, table);
        if (item.endOfLevel) {
            if (group) return true;
            group = true;
        }
    }
    return false;
}
