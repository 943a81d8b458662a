// Search and replace over a real catalogue: what is found and changed, confirmation, numbers and
// dates, a search in force, the sort order afterwards, and another process holding the table.
#include <gtest/gtest.h>

#include "common/files.h"
#include "common/peerprocess.h"
#include "find/replace.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "find_helpers.h"

using namespace findtest;

namespace {

const DateFormat kUsDates(7, true);

std::vector<Video> films() {
    return {
        titled("Casablanca",
               {{Slot::Category, "Drama"}, {Slot::ListPrice, "19.950"}, {Slot::PurchaseDate, "19900105"}}),
        titled("Annie Hall", {{Slot::Category, "Comedy"}, {Slot::ListPrice, "19.9"}}),
        titled("Zelig", {{Slot::Category, "DRAMA"}}),
        titled("The Thin Blue Line", {{Slot::Category, "Docudrama"}, {Slot::PurchaseDate, "19900105"}}),
        titled("Brazil", {{Slot::Category, "drama"}, {Slot::ListPrice, "19.95"}}),
        titled("Koyaanisqatsi"),
    };
}

const QString kOrder = sortExpression(Slot::Category, Slot::Title, 0, 0);

class Replace : public ::testing::Test {
protected:
    Replace() : cat(films(), kOrder) { openShared(); }

    void openShared() {
        cat.open(table);
        search.applyTo(table);
    }

    ReplaceResult run(int slot, const QString& find, const QString& replacement, ReplaceHooks hooks = {},
                      bool confirm = false) {
        ReplaceTarget target;
        target.table = &table;
        target.path = cat.path();
        target.sortExpression = kOrder;
        target.reopenShared = [this] { openShared(); };
        target.search = &search;
        return replaceInCatalogue(target, ReplaceRequest{slot, find, replacement, confirm}, kUsDates, hooks);
    }

    // Title=value pairs of a field in record order.
    QStringList values(int slot) {
        dbase::Table t;
        t.open(enginePath(cat.path()), dbase::OpenMode::Shared, true);
        QStringList out;
        const int f = t.fieldIndexOrThrow(fieldSlot(slot).name);
        for (bool more = t.first(); more; more = t.next())
            out << QString::fromStdString(t.getText(t.fieldIndex("TITLE"))) + u'=' +
                       QString::fromStdString(t.getText(f));
        return out;
    }

    Catalogue cat;
    dbase::Table table;
    SearchState search;
};

TEST_F(Replace, WholeValueInAnyLetterCase) {
    std::vector<ReplaceCounts> seen;
    const ReplaceResult r =
        run(Slot::Category, "drama", "Comedy", {[&](const ReplaceCounts& c) { seen.push_back(c); }, {}});
    EXPECT_EQ(r.status, ReplaceStatus::Done);
    EXPECT_EQ(r.counts, (ReplaceCounts{6, 3, 3}));
    EXPECT_EQ(values(Slot::Category),
              (QStringList{"Casablanca=Comedy", "Annie Hall=Comedy", "Zelig=Comedy",
                           "The Thin Blue Line=Docudrama", "Brazil=Comedy", "Koyaanisqatsi="}));
    // Counters after every record and every change, never going back.
    ASSERT_EQ(seen.size(), 9u);
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].processed, seen[i - 1].processed);
        EXPECT_GE(seen[i].found, seen[i - 1].found);
        EXPECT_GE(seen[i].changed, seen[i - 1].changed);
    }
    EXPECT_EQ(seen.back(), (ReplaceCounts{6, 3, 3}));
}

TEST_F(Replace, EmptySearchValueFillsEmptyFields) {
    const ReplaceResult r = run(Slot::Category, "  ", "Documentary");
    EXPECT_EQ(r.counts, (ReplaceCounts{6, 1, 1}));
    EXPECT_EQ(values(Slot::Category).last(), "Koyaanisqatsi=Documentary");
}

TEST_F(Replace, EmptyReplacementEmptiesTheField) {
    EXPECT_EQ(run(Slot::Category, "Comedy", "").counts, (ReplaceCounts{6, 1, 1}));
    EXPECT_EQ(values(Slot::Category)[1], "Annie Hall=");
}

TEST_F(Replace, ConfirmNoEverywhereChangesNothing) {
    QStringList questions;
    const ReplaceResult r = run(Slot::Category, "DRAMA", "Comedy",
                                {{},
                                 [&](const QString& q) {
                                     questions << q;
                                     return false;
                                 }},
                                true);
    EXPECT_EQ(r.counts, (ReplaceCounts{6, 3, 0}));
    EXPECT_EQ(questions, (QStringList{"Item = \"Casablanca\".  Change this record?",
                                      "Item = \"Zelig\".  Change this record?",
                                      "Item = \"Brazil\".  Change this record?"}));
    EXPECT_EQ(values(Slot::Category)[0], "Casablanca=Drama");
}

TEST_F(Replace, ConfirmYesOnSome) {
    int n = 0;
    const ReplaceResult r =
        run(Slot::Category, "drama", "Comedy", {{}, [&](const QString&) { return ++n == 2; }}, true);
    EXPECT_EQ(r.counts, (ReplaceCounts{6, 3, 1}));
    EXPECT_EQ(values(Slot::Category)[2], "Zelig=Comedy");
}

TEST_F(Replace, NumbersCompareAsNumbers) {
    EXPECT_EQ(run(Slot::ListPrice, "19.95", "21.5").counts, (ReplaceCounts{6, 2, 2}));
    const QStringList prices = values(Slot::ListPrice);
    EXPECT_TRUE(prices[0].startsWith("Casablanca=21.5")) << prices[0].toStdString();
    EXPECT_TRUE(prices[1].startsWith("Annie Hall=19.9")) << prices[1].toStdString();
    EXPECT_TRUE(prices[4].startsWith("Brazil=21.5")) << prices[4].toStdString();
}

TEST_F(Replace, Dates) {
    EXPECT_EQ(run(Slot::PurchaseDate, "01/05/1990", "12/24/1996").counts, (ReplaceCounts{6, 2, 2}));
    EXPECT_EQ(values(Slot::PurchaseDate)[3], "The Thin Blue Line=19961224");
}

struct CheckCase {
    int slot;
    const char* search;
    const char* replacement;
    ReplaceCheck check;
    const char* message;
};

TEST_F(Replace, ChecksBeforeThePass) {
    const CheckCase cases[] = {
        {0, "a", "b", ReplaceCheck::NoField, "No field has been selected."},
        {Slot::Year, "", "1990", ReplaceCheck::BadSearchValue,
         "Invalid search value entered.  Please correct."},
        {Slot::Year, "19x0", "1990", ReplaceCheck::BadSearchValue,
         "Invalid search value entered.  Please correct."},
        {Slot::ListPrice, "1", "", ReplaceCheck::BadReplacementValue,
         "Invalid replacement value entered.  Please correct."},
        {Slot::ListPrice, "1", "1,5", ReplaceCheck::BadReplacementValue,
         "Invalid replacement value entered.  Please correct."},
        {Slot::PurchaseDate, "  /  /    ", "01/01/1990", ReplaceCheck::BadSearchDate,
         "Invalid search date entered.  Please correct."},
        {Slot::PurchaseDate, "", "01/01/1990", ReplaceCheck::BadSearchDate,
         "Invalid search date entered.  Please correct."},
        {Slot::CheckDate, "02/30/1990", "01/01/1990", ReplaceCheck::BadSearchDate,
         "Invalid search date entered.  Please correct."},
        {Slot::CheckDate, "01/01/1990", "  /  /    ", ReplaceCheck::BadReplacementDate,
         "Invalid replacement date entered.  Please correct."},
    };
    for (const CheckCase& c : cases) {
        const ReplaceResult r = run(c.slot, QString::fromUtf8(c.search), QString::fromUtf8(c.replacement));
        EXPECT_EQ(r.status, ReplaceStatus::Refused) << c.message;
        EXPECT_EQ(r.check, c.check) << c.message;
        EXPECT_EQ(replaceCheckMessage(r.check), QString::fromUtf8(c.message));
        EXPECT_TRUE(table.isOpen());
    }
    EXPECT_EQ(values(Slot::Category)[0], "Casablanca=Drama");
}

TEST_F(Replace, SearchInForceIsEndedForThePassAndSetAgain) {
    SearchCriteria c;
    SearchPage page;
    page.cell(Slot::Title) = QStringLiteral("z");
    ASSERT_EQ(savePage(c, page, kUsDates).status, SaveResult::Saved);
    ASSERT_TRUE(search.start(table, c));
    ASSERT_EQ(table.recordCount(), 2u); // Zelig, Brazil

    EXPECT_EQ(run(Slot::Category, "drama", "Comedy").counts, (ReplaceCounts{6, 3, 3}));
    EXPECT_EQ(values(Slot::Category)[0], "Casablanca=Comedy") << "records outside the search change too";
    EXPECT_TRUE(search.isOn());
    EXPECT_TRUE(table.isOpen());
    EXPECT_EQ(table.mode(), dbase::OpenMode::Shared);
    EXPECT_EQ(column(table, Slot::Title), (QStringList{"Brazil", "Zelig"}));
}

TEST_F(Replace, TheSortOrderComesBack) {
    EXPECT_EQ(run(Slot::Category, "comedy", "Aaa").status, ReplaceStatus::Done);
    EXPECT_EQ(table.activeIndex().empty(), false);
    EXPECT_EQ(column(table, Slot::Title), (QStringList{"Koyaanisqatsi", "Annie Hall", "The Thin Blue Line",
                                                       "Brazil", "Casablanca", "Zelig"}))
        << "by category (the empty one first, then Aaa) and title";
}

TEST_F(Replace, APassCutShortStillRebuildsTheOrder) {
    int questions = 0;
    const ReplaceResult r = run(Slot::Category, "drama", "Comedy",
                                {{},
                                 [&](const QString&) -> bool {
                                     if (++questions == 2) throw dbase::DbError("disk full");
                                     return true;
                                 }},
                                true);
    EXPECT_EQ(r.status, ReplaceStatus::PassFailed);
    EXPECT_EQ(r.detail, "disk full");
    EXPECT_EQ(r.counts, (ReplaceCounts{2, 2, 1}));
    EXPECT_EQ(values(Slot::Category)[0], "Casablanca=Comedy") << "changes posted so far stay";
    ASSERT_TRUE(table.isOpen());
    EXPECT_EQ(table.mode(), dbase::OpenMode::Shared);
    bool hasOrder = false;
    for (const auto& tag : table.tags())
        if (QString::fromStdString(tag.expression).compare(kOrder, Qt::CaseInsensitive) == 0) hasOrder = true;
    EXPECT_TRUE(hasOrder);
    table.checkIndexes();
}

TEST_F(Replace, AnotherProcessHoldingTheTable) {
    peer::LockHolder holder(cat.path());
    ASSERT_TRUE(holder.locked());
    const ReplaceResult r = run(Slot::Category, "drama", "Comedy");
    EXPECT_EQ(r.status, ReplaceStatus::InUse);
    EXPECT_TRUE(table.isOpen());
    EXPECT_EQ(table.mode(), dbase::OpenMode::Shared);
    EXPECT_EQ(values(Slot::Category)[0], "Casablanca=Drama");
    EXPECT_TRUE(replaceInUseMessage().contains("another program  or"));
}

} // namespace
