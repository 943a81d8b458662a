#pragma once
// Search and replace: one field of every record of the whole catalogue whose value equals a given
// value receives a replacement, optionally after a question per record.
//
// The pass needs the table alone: it is taken for exclusive use, its sort index NewIndex is dropped
// so that records are visited once each in record order whatever they are changed to, a search in
// force is ended for the pass, and afterwards NewIndex is built again from the sort expression, the
// search is set again and the table reopened for shared use. A pass cut short by an engine error
// keeps the records posted so far and still rebuilds NewIndex and reopens the table.
#include <QString>
#include <cstdint>
#include <functional>

#include "base/regional.h"

namespace dbase {
class Table;
}
class SearchState;

struct ReplaceRequest {
    int slot = 0;         // catalogue field 1..40; 0 = none chosen
    QString search;       // as typed
    QString replacement;  // as typed
    bool confirm = false; // ask before each change
};

enum class ReplaceCheck {
    Ok,
    NoField,
    BadSearchValue,
    BadReplacementValue,
    BadSearchDate,
    BadReplacementDate,
};

// The checks before a pass, in order; text fields accept anything (an empty search value finds the
// empty fields, an empty replacement empties them).
ReplaceCheck checkReplaceRequest(const ReplaceRequest& request, const DateFormat& dates);
QString replaceCheckMessage(ReplaceCheck check);

struct ReplaceCounts {
    uint64_t processed = 0;
    uint64_t found = 0;
    uint64_t changed = 0;
    bool operator==(const ReplaceCounts&) const = default;
};

// The open catalogue as the pass needs it.
struct ReplaceTarget {
    dbase::Table* table = nullptr;
    QString path;                       // the table file
    QString sortExpression;             // NewIndex is rebuilt from it (record order when empty)
    std::function<void()> reopenShared; // opens the table shared in its order (may be empty)
    SearchState* search = nullptr;      // the search in force, ended for the pass (may be null)
};

struct ReplaceHooks {
    // After each record; the window redraws what changed.
    std::function<void(const ReplaceCounts&)> progress;
    // Asked for each found record when the request wants confirmation, with the question text;
    // true changes the record.
    std::function<bool(const QString& question)> confirm;
};

enum class ReplaceStatus {
    Done,          // the pass ran to the end
    Refused,       // a check failed (see check); nothing was touched
    InUse,         // another program or copy holds the table; the table is open shared again
    PrepareFailed, // exclusive open or dropping the index failed; the table is open shared again
    PassFailed,    // an engine error cut the pass short (detail); NewIndex rebuilt, table open shared
};

struct ReplaceResult {
    ReplaceStatus status = ReplaceStatus::Done;
    ReplaceCheck check = ReplaceCheck::Ok;
    ReplaceCounts counts;
    QString detail; // the engine's text for PrepareFailed and PassFailed
};

ReplaceResult replaceInCatalogue(ReplaceTarget& target, const ReplaceRequest& request,
                                 const DateFormat& dates, const ReplaceHooks& hooks = {});

// The question for one found record.
QString replaceQuestion(const QString& title);
QString replaceInUseMessage();
QString replaceFailedMessage();
QString replaceCompleteMessage();
