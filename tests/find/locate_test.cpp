// Locate: the three match types, letter case, numbers compared as numbers, Next to the end, the
// search in force, and the sequential pass that decides long walks, against the plain walk.
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "common/files.h"
#include "find/locate.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "find_helpers.h"

using namespace findtest;

namespace {

const DateFormat kUsDates(7, true);

std::vector<Video> films() {
    return {
        titled("The Case",
               {{Slot::ListPrice, "12.50"}, {Slot::Year, "1985"}, {Slot::PurchaseDate, "19900105"}}),
        titled("Casablanca", {{Slot::ListPrice, "19.95"}, {Slot::Year, "1942"}}),
        titled("casablanca", {{Slot::Year, "1943"}}),
        titled("Annie Hall", {{Slot::Year, "1977"}}),
        titled("Casa", {{Slot::ListPrice, "12.5"}}),
    };
}

QString titleOf(dbase::Table& t) {
    return QString::fromStdString(t.getText(t.fieldIndex("TITLE")));
}

LocateRequest request(const char* field, const QString& value, MatchType match, bool caseSensitive = false) {
    return LocateRequest{QString::fromLatin1(field), value, match, caseSensitive};
}

struct LocateCase {
    const char* what;
    LocateRequest request;
    QStringList titles; // First, then Next until nothing more matches
};

class LocateCases : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateCases, FirstThenNext) {
    const LocateCase& c = GetParam();
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    t.last();
    QStringList found;
    LocateResult r = locateRecord(t, c.request, true, kUsDates);
    while (r.status == LocateStatus::Found) {
        EXPECT_EQ(t.recNo(), r.recno);
        found << titleOf(t);
        r = locateRecord(t, c.request, false, kUsDates);
    }
    EXPECT_EQ(r.status, LocateStatus::NotFound);
    EXPECT_EQ(found, c.titles);
    // A failed locate leaves the current record where it was.
    const uint32_t before = t.recNo();
    EXPECT_EQ(locateRecord(t, c.request, false, kUsDates).status, LocateStatus::NotFound);
    EXPECT_EQ(t.recNo(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Matches, LocateCases,
    ::testing::Values(
        LocateCase{
            "beginning", request("TITLE", "cas", MatchType::Beginning), {"Casablanca", "casablanca", "Casa"}},
        LocateCase{"anywhere",
                   request("Title", "cas", MatchType::Anywhere),
                   {"The Case", "Casablanca", "casablanca", "Casa"}},
        LocateCase{"exact needs the whole text", request("TITLE", "casablanc", MatchType::Exact), {}},
        LocateCase{"exact ignoring case",
                   request("TITLE", "CASABLANCA", MatchType::Exact),
                   {"Casablanca", "casablanca"}},
        LocateCase{
            "case-sensitive", request("TITLE", "Cas", MatchType::Beginning, true), {"Casablanca", "Casa"}},
        LocateCase{
            "case-sensitive lower", request("TITLE", "cas", MatchType::Anywhere, true), {"casablanca"}},
        LocateCase{"12.5 finds 12.50", request("LISTPRICE", "12.5", MatchType::Exact), {"The Case", "Casa"}},
        LocateCase{
            "12.500 finds 12.5", request("LISTPRICE", "12.500", MatchType::Exact), {"The Case", "Casa"}},
        LocateCase{
            "number text beginning", request("LISTPRICE", "19.9", MatchType::Beginning), {"Casablanca"}},
        LocateCase{"whole numbers as digits",
                   request("YEAR", "194", MatchType::Beginning),
                   {"Casablanca", "casablanca"}},
        LocateCase{
            "dates in the date format", request("PURCHDATE", "01/05/1990", MatchType::Exact), {"The Case"}},
        LocateCase{"empty value with exact finds empty fields",
                   request("LISTPRICE", "", MatchType::Exact),
                   {"casablanca", "Annie Hall"}},
        LocateCase{"empty value partial finds nothing", request("TITLE", "", MatchType::Anywhere), {}}),
    [](const ::testing::TestParamInfo<LocateCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(Locate, NextAtTheLastMatchStaysThere) {
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    const LocateRequest r = request("TITLE", "casa", MatchType::Beginning);
    ASSERT_EQ(locateRecord(t, r, true, kUsDates).status, LocateStatus::Found);
    ASSERT_EQ(locateRecord(t, r, false, kUsDates).status, LocateStatus::Found);
    ASSERT_EQ(locateRecord(t, r, false, kUsDates).status, LocateStatus::Found);
    EXPECT_EQ(titleOf(t), "Casa");
    EXPECT_EQ(locateRecord(t, r, false, kUsDates).status, LocateStatus::NotFound);
    EXPECT_EQ(titleOf(t), "Casa");
}

TEST(Locate, RecordsOutsideTheSearchAreNeverFound) {
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    SearchCriteria c;
    SearchPage page;
    page.cell(Slot::Year) = QStringLiteral("< 1943");
    page.op(Slot::Year) = RowOperator::Less;
    ASSERT_EQ(savePage(c, page, kUsDates).status, SaveResult::Saved);
    SearchState search;
    ASSERT_TRUE(search.start(t, c));
    // Casablanca (1942) and Casa (no year) pass; casablanca (1943) does not.
    for (uint32_t walk : {1u, 4096u}) {
        QStringList found;
        const LocateRequest r = request("TITLE", "casa", MatchType::Beginning);
        for (LocateResult l = locateRecord(t, r, true, kUsDates, {walk}); l.status == LocateStatus::Found;
             l = locateRecord(t, r, false, kUsDates, {walk}))
            found << titleOf(t);
        EXPECT_EQ(found, (QStringList{"Casablanca", "Casa"})) << walk;
    }
}

TEST(Locate, MissingFieldAndClosedTable) {
    Catalogue cat(films());
    dbase::Table t;
    EXPECT_EQ(locateRecord(t, request("TITLE", "x", MatchType::Exact), true, kUsDates).status,
              LocateStatus::TableClosed);
    cat.open(t);
    t.next();
    const uint32_t at = t.recNo();
    EXPECT_EQ(locateRecord(t, request("NOSUCH", "x", MatchType::Exact), true, kUsDates).status,
              LocateStatus::FieldMissing);
    EXPECT_EQ(t.recNo(), at);
    EXPECT_EQ(fieldNotFoundMessage("NOSUCH"), "Field NOSUCH not found.");
}

TEST(Locate, FieldListByLabelSorted) {
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    const std::vector<LocateField> fields = locateFields(
        t, [](const QString& name) { return name == "TITLE" ? QStringLiteral("~Film~Title") : name; });
    ASSERT_EQ(fields.size(), size_t(FieldCount));
    EXPECT_EQ(fields.front().label, " Film Title");
    EXPECT_EQ(fields.front().name, "TITLE");
    for (size_t i = 1; i < fields.size(); ++i)
        EXPECT_LE(QString::localeAwareCompare(fields[i - 1].label, fields[i].label), 0);
}

// The pass that decides a long walk gives the answers of the walk itself, in the sort order, from
// the first record and from every position, with and without a search in force.
TEST(Locate, SequentialPassEqualsTheWalkOnRandomData) {
    QRandomGenerator rng(97);
    const char* const syllables[] = {"an", "ca", "sa", "bl", "The ", "ra", "Ca", "AN", " "};
    std::vector<Video> videos;
    for (int i = 0; i < 300; ++i) {
        QString title;
        for (int n = int(rng.bounded(1, 5)); n > 0; --n)
            title += QLatin1String(syllables[rng.bounded(9)]);
        Video v = titled(title);
        if (rng.bounded(3)) v.push_back({Slot::ListPrice, QString::number(rng.bounded(4) * 2.5)});
        v.push_back({Slot::Year, QString::number(1980 + rng.bounded(5))});
        videos.push_back(v);
    }
    Catalogue cat(videos, sortExpression(Slot::Title, Slot::Year, 0, 0));
    const std::vector<LocateRequest> requests = {
        request("TITLE", "ca", MatchType::Beginning),      request("TITLE", "an", MatchType::Anywhere),
        request("TITLE", "AN", MatchType::Anywhere, true), request("TITLE", "casa", MatchType::Exact),
        request("LISTPRICE", "5", MatchType::Exact),       request("LISTPRICE", "7.5", MatchType::Beginning),
        request("YEAR", "1983", MatchType::Exact),         request("TITLE", "zz", MatchType::Anywhere),
    };
    for (bool searchOn : {false, true}) {
        dbase::Table walk, pass;
        cat.open(walk);
        cat.open(pass);
        SearchState s1, s2;
        if (searchOn) {
            SearchCriteria c;
            SearchPage page;
            page.cell(Slot::Year) = QStringLiteral("> 1980 AND < 1984");
            page.op(Slot::Year) = RowOperator::Range;
            ASSERT_EQ(savePage(c, page, kUsDates).status, SaveResult::Saved);
            ASSERT_TRUE(s1.start(walk, c));
            ASSERT_TRUE(s2.start(pass, c));
        }
        const std::vector<uint32_t> order = walk.orderedRecnos();
        for (const LocateRequest& r : requests) {
            const LocateResult a = locateRecord(walk, r, true, kUsDates, {~0u});
            const LocateResult b = locateRecord(pass, r, true, kUsDates, {1});
            ASSERT_EQ(a.status, b.status) << r.value.toStdString();
            ASSERT_EQ(a.recno, b.recno) << r.value.toStdString();
            for (size_t i = 0; i < order.size(); i += 11) {
                ASSERT_TRUE(walk.gotoBookmark(order[i]));
                ASSERT_TRUE(pass.gotoBookmark(order[i]));
                const LocateResult x = locateRecord(walk, r, false, kUsDates, {~0u});
                const LocateResult y = locateRecord(pass, r, false, kUsDates, {1});
                ASSERT_EQ(x.status, y.status) << r.value.toStdString() << " after " << order[i];
                ASSERT_EQ(x.recno, y.recno) << r.value.toStdString() << " after " << order[i];
                EXPECT_EQ(walk.recNo(), pass.recNo());
            }
        }
    }
}

} // namespace
