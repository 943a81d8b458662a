// Production index of a table (first stage: tables open in record order; the .MDX is not used).
#include "dbase/tableimpl.h"

namespace dbase {

struct TableIndex::State {
    bool stale = false;
};

TableIndex::TableIndex() : s_(std::make_unique<State>()) {}
TableIndex::~TableIndex() = default;

void TableIndex::openFor(Impl&) {}
void TableIndex::close() {}
bool TableIndex::isOpen() const
{
    return false;
}
bool TableIndex::stale() const
{
    return s_->stale;
}
void TableIndex::setStale(bool s)
{
    s_->stale = s;
}
bool TableIndex::active() const
{
    return false;
}
std::string TableIndex::activeName() const
{
    return {};
}
void TableIndex::setActive(Impl& t, const std::string& tag)
{
    if (!tag.empty()) throw DbError("Index tag " + tag + " not found for " + t.path);
}
std::vector<TagInfo> TableIndex::tags() const
{
    return {};
}
bool TableIndex::seekEdge(Impl&, bool)
{
    return false;
}
bool TableIndex::step(Impl&, bool)
{
    return false;
}
void TableIndex::positionAt(Impl&, uint32_t) {}
void TableIndex::orderedVisible(Impl&, std::vector<uint32_t>&) {}
void TableIndex::refresh(Impl&) {}
void TableIndex::recordAppended(Impl&, uint32_t, const char*) {}
void TableIndex::recordChanged(Impl&, uint32_t, const char*, const char*) {}
void TableIndex::sync(Impl&) {}
void TableIndex::addTag(Impl& t, const std::string&, const std::string&)
{
    throw DbError("Indexes are not available for " + t.path + " in this build");
}
void TableIndex::removeTag(Impl& t, const std::string& name)
{
    throw DbError("Index tag " + name + " not found for " + t.path);
}
void TableIndex::rebuildAll(Impl&) {}
void TableIndex::check(const Impl&) const {}

}  // namespace dbase
