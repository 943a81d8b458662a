#include "find/replace.h"

#include <QFile>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/sortorder.h"
#include "dbase/table.h"
#include "find/criterionvalues.h"
#include "find/searchstate.h"

namespace {

std::string utf8(const QString& s) {
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

void upperAscii(std::string& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
}

bool hasTag(const dbase::Table& table, const char* name) {
    for (const dbase::TagInfo& tag : table.tags())
        if (QString::fromStdString(tag.name).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

ReplaceCheck checkReplaceRequest(const ReplaceRequest& request, const DateFormat& dates) {
    if (request.slot < 1 || request.slot > FieldCount) return ReplaceCheck::NoField;
    const QString search = request.search.trimmed();
    const QString replacement = request.replacement.trimmed();
    switch (fieldSlot(request.slot).typeCode) {
    case TypeInteger:
    case TypeFloat:
        if (!plainDecimal(search)) return ReplaceCheck::BadSearchValue;
        if (!plainDecimal(replacement)) return ReplaceCheck::BadReplacementValue;
        break;
    case TypeDate:
        if (search.isEmpty() || isUntouchedDate(search) || !typedDate(search, dates))
            return ReplaceCheck::BadSearchDate;
        if (replacement.isEmpty() || isUntouchedDate(replacement) || !typedDate(replacement, dates))
            return ReplaceCheck::BadReplacementDate;
        break;
    default:
        break;
    }
    return ReplaceCheck::Ok;
}

QString replaceCheckMessage(ReplaceCheck check) {
    switch (check) {
    case ReplaceCheck::Ok:
        return {};
    case ReplaceCheck::NoField:
        return QStringLiteral("No field has been selected.");
    case ReplaceCheck::BadSearchValue:
        return QStringLiteral("Invalid search value entered.  Please correct.");
    case ReplaceCheck::BadReplacementValue:
        return QStringLiteral("Invalid replacement value entered.  Please correct.");
    case ReplaceCheck::BadSearchDate:
        return QStringLiteral("Invalid search date entered.  Please correct.");
    case ReplaceCheck::BadReplacementDate:
        return QStringLiteral("Invalid replacement date entered.  Please correct.");
    }
    return {};
}

ReplaceResult replaceInCatalogue(ReplaceTarget& target, const ReplaceRequest& request,
                                 const DateFormat& dates, const ReplaceHooks& hooks) {
    ReplaceResult result;
    result.check = checkReplaceRequest(request, dates);
    if (result.check != ReplaceCheck::Ok) {
        result.status = ReplaceStatus::Refused;
        return result;
    }
    dbase::Table& table = *target.table;
    const std::string path = enginePath(target.path);
    auto reopen = [&] {
        if (table.isOpen()) table.close();
        if (target.reopenShared) target.reopenShared();
    };

    // Exclusive use.
    if (table.isOpen()) table.close();
    if (isTableInUse(target.path)) {
        reopen();
        result.status = ReplaceStatus::InUse;
        return result;
    }
    try {
        table.open(path, dbase::OpenMode::Exclusive);
        if (table.hasProductionIndex()) {
            table.setActiveIndex("");
            if (hasTag(table, kSortTag)) table.deleteIndex(kSortTag);
        }
    } catch (const dbase::DbError& e) {
        reopen();
        result.status = ReplaceStatus::PrepareFailed;
        result.detail = QString::fromUtf8(e.what());
        return result;
    }
    const bool searchWasOn = target.search && target.search->isOn();
    if (searchWasOn) target.search->end(table);

    // The values.
    const int slot = request.slot;
    const int typeCode = fieldSlot(slot).typeCode;
    const QString searchText = request.search.trimmed();
    const QString replacementText = request.replacement.trimmed();
    std::string searchUpper = utf8(searchText);
    upperAscii(searchUpper);
    const double searchNumber = plainDecimal(searchText).value_or(0);
    const double replacementNumber = plainDecimal(replacementText).value_or(0);
    const std::string searchDate =
        typeCode == TypeDate ? utf8(typedDate(searchText, dates).value_or(QString())) : "";
    const std::string replacementDate =
        typeCode == TypeDate ? utf8(typedDate(replacementText, dates).value_or(QString())) : "";
    const std::string replacementUtf8 = utf8(replacementText.left(fieldSlot(slot).width));

    ReplaceCounts& counts = result.counts;
    try {
        const int field = table.fieldIndexOrThrow(fieldSlot(slot).name);
        const int titleField = table.fieldIndex(fieldSlot(Slot::Title).name);
        auto isFound = [&] {
            switch (typeCode) {
            case TypeInteger:
            case TypeFloat:
                return table.getNumber(field).value_or(0) == searchNumber;
            case TypeDate:
                return table.getDate(field) == searchDate;
            default: {
                std::string text = table.getText(field);
                upperAscii(text);
                return text == searchUpper;
            }
            }
        };
        auto change = [&] {
            table.edit();
            switch (typeCode) {
            case TypeInteger:
            case TypeFloat:
                table.setNumber(field, replacementNumber);
                break;
            case TypeDate:
                table.setDate(field, replacementDate);
                break;
            default:
                table.setText(field, replacementUtf8);
                break;
            }
            table.post();
            ++counts.changed;
        };
        // The records to change are noted as the walk finds them (and the user agrees) and are
        // written in batches: a post in the middle of a sequential read would make the reader
        // fetch its read-ahead again, once per changed record.
        std::vector<uint32_t> pending;
        // With a question per record each answer is written at once, so Changed follows it.
        const size_t batch = request.confirm ? 1 : 4096;
        auto writePending = [&] {
            for (uint32_t recno : pending) {
                if (!table.gotoBookmark(recno))
                    throw dbase::DbError("record " + std::to_string(recno) + " is gone");
                change();
                if (hooks.progress) hooks.progress(counts);
            }
            pending.clear();
        };
        table.disableControls();
        try {
            for (bool more = table.first(); more; more = table.next()) {
                if (isFound()) {
                    ++counts.found;
                    // Found is drawn before the question about the record.
                    if (hooks.progress && request.confirm) hooks.progress(counts);
                    bool agreed = true;
                    if (request.confirm && hooks.confirm) {
                        const QString title =
                            titleField >= 0 ? QString::fromStdString(table.getText(titleField)) : QString();
                        agreed = hooks.confirm(replaceQuestion(title));
                    }
                    if (agreed) pending.push_back(table.recNo());
                }
                ++counts.processed;
                if (hooks.progress) hooks.progress(counts);
                if (pending.size() >= batch) {
                    // The walk goes on after the record it had reached.
                    const uint32_t here = table.recNo();
                    writePending();
                    if (!table.gotoBookmark(here)) throw dbase::DbError("the table changed during the pass");
                }
            }
            writePending();
        } catch (...) {
            // What was decided before the failure is still written, as far as the table lets it.
            if (table.isEditing()) table.cancel();
            try {
                writePending();
            } catch (const dbase::DbError&) {
                if (table.isEditing()) table.cancel();
            }
            table.enableControls();
            throw;
        }
        table.enableControls();
    } catch (const dbase::DbError& e) {
        result.status = ReplaceStatus::PassFailed;
        result.detail = QString::fromUtf8(e.what());
    }

    // The order comes back whatever happened during the pass.
    try {
        if (!target.sortExpression.isEmpty()) {
            table.addIndex(kSortTag, target.sortExpression.toStdString());
            table.setActiveIndex(kSortTag);
        }
    } catch (const dbase::DbError& e) {
        if (result.status == ReplaceStatus::Done) {
            result.status = ReplaceStatus::PassFailed;
            result.detail = QString::fromUtf8(e.what());
        }
    }
    reopen();
    if (searchWasOn) target.search->resume(table);
    return result;
}

QString replaceQuestion(const QString& title) {
    return QStringLiteral("Item = \"") + title + QStringLiteral("\".  Change this record?");
}

QString replaceInUseMessage() {
    return QStringLiteral(
        "Search and Replace requires exclusive use of the DBase File.  Make sure that the DBase "
        "File is not in use by another program  or that no other users are running the software "
        "or that no other copies of the software are in use.");
}

QString replaceFailedMessage() {
    return QStringLiteral("Error in running search and replace.  Search and replace will be aborted.");
}

QString replaceCompleteMessage() {
    return QStringLiteral("Global Search and Replace Complete.");
}
