// Search by criteria: saving a page of the search grid into the criteria store, and the record
// filter over a real catalogue table.
#include <gtest/gtest.h>

#include "common/files.h"
#include "find/criterionvalues.h"
#include "find/searchpage.h"
#include "find/searchstate.h"
#include "find_helpers.h"

using namespace findtest;

namespace {

const DateFormat kUsDates(7, true); // mm/dd/yyyy

std::vector<Video> films() {
    return {
        titled("Casablanca", {{Slot::Star1, "Humphrey Bogart"},
                              {Slot::Star3, "Ingrid Bergman"},
                              {Slot::Category, "Drama"},
                              {Slot::Year, "1942"},
                              {Slot::KeyWords, "war romance"},
                              {Slot::ListPrice, "19.95"},
                              {Slot::PurchaseDate, "19900105"}}),
        titled("Annie Hall", {{Slot::Star1, "Woody Allen"},
                              {Slot::Star2, "Diane Keaton"},
                              {Slot::Category, "Comedy"},
                              {Slot::Year, "1977"},
                              {Slot::KeyWords, "neurotic comedy"},
                              {Slot::PurchaseDate, "19850310"}}),
        titled("The Case", {{Slot::Star2, "Ingrid Bergman"},
                            {Slot::Category, "Docudrama"},
                            {Slot::Year, "1985"},
                            {Slot::KeyWords, "courtroom"}}),
        titled("Stars * Stripes", {{Slot::Year, "1980"}, {Slot::Category, "War"}}),
        titled("Blade Runner", {{Slot::Year, "1990"},
                                {Slot::Category, "Science Fiction"},
                                {Slot::KeyWords, "replicants noir"},
                                {Slot::CheckDate, "19991231"}}),
        titled("No Year"),
        titled("Ran",
               {{Slot::Year, "1985"}, {Slot::Star6, "Tatsuya Nakadai"}, {Slot::PurchaseDate, "20010101"}}),
        titled("Été meurtrier", {{Slot::Category, "Drame"}}),
    };
}

struct Row {
    int slot;
    QString cell;
    RowOperator op = RowOperator::Equal;
};
using Level = std::vector<Row>;

SearchPage pageOf(const Level& rows) {
    SearchPage page;
    for (const Row& r : rows) {
        page.cell(r.slot) = r.cell;
        page.op(r.slot) = r.op;
    }
    return page;
}

SearchCriteria criteriaOf(const std::vector<Level>& levels, const DateFormat& dates = kUsDates) {
    SearchCriteria c;
    for (const Level& l : levels)
        EXPECT_EQ(savePage(c, pageOf(l), dates).status, SaveResult::Saved);
    return c;
}

struct FilterCase {
    const char* what;
    std::vector<Level> levels;
    QStringList titles; // in record order
};

class SearchFilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(SearchFilterCases, PassingRecords) {
    const FilterCase& c = GetParam();
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    SearchState search;
    const bool any = search.start(t, criteriaOf(c.levels));
    EXPECT_EQ(any, !c.titles.isEmpty());
    EXPECT_EQ(search.isOn(), any);
    if (any) {
        EXPECT_EQ(column(t, Slot::Title), c.titles);
        EXPECT_EQ(t.recordCount(), uint32_t(c.titles.size()));
    } else {
        EXPECT_EQ(t.recordCount(), 8u) << "no match ends the search";
    }
}

const Row R = {Slot::Year, "", RowOperator::Range}; // template of a range row

INSTANTIATE_TEST_SUITE_P(
    Criteria, SearchFilterCases,
    ::testing::Values(
        FilterCase{
            "text anywhere, any letter case", {{{Slot::Title, "AN"}}}, {"Casablanca", "Annie Hall", "Ran"}},
        FilterCase{"lower case typed", {{{Slot::Title, "an"}}}, {"Casablanca", "Annie Hall", "Ran"}},
        FilterCase{"asterisk is a plain character", {{{Slot::Title, "*"}}}, {"Stars * Stripes"}},
        FilterCase{"only a to z change case", {{{Slot::Title, "été"}}}, {}},
        FilterCase{"accented letters match themselves", {{{Slot::Title, "Été"}}}, {"Été meurtrier"}},
        FilterCase{"star row finds any star field", {{{Slot::Star3, "bergman"}}}, {"Casablanca", "The Case"}},
        FilterCase{"sixth star found from the first row", {{{Slot::Star1, "nakadai"}}}, {"Ran"}},
        FilterCase{"two star rows need both names",
                   {{{Slot::Star1, "bergman"}, {Slot::Star4, "bogart"}}},
                   {"Casablanca"}},
        FilterCase{"any key word", {{{Slot::KeyWords, "comedy war"}}}, {"Casablanca", "Annie Hall"}},
        FilterCase{"a key word inside longer words",
                   {{{Slot::KeyWords, "ROT PLICA"}}},
                   {"Annie Hall", "Blade Runner"}},
        FilterCase{"two blanks make no empty word", {{{Slot::KeyWords, "war  zzz"}}}, {"Casablanca"}},
        FilterCase{"range strictly between",
                   {{{Slot::Year, "> 1980 AND < 1990", RowOperator::Range}}},
                   {"The Case", "Ran"}},
        FilterCase{"range as the window leaves it",
                   {{{Slot::Year, ">  1980      AND < 1990    ", RowOperator::Range}}},
                   {"The Case", "Ran"}},
        FilterCase{"less than matches an empty year",
                   {{{Slot::Year, "< 1950", RowOperator::Less}}},
                   {"Casablanca", "No Year", "Été meurtrier"}},
        FilterCase{"equal", {{{Slot::Year, "= 1985"}}}, {"The Case", "Ran"}},
        FilterCase{"greater", {{{Slot::Year, "> 1985", RowOperator::Greater}}}, {"Blade Runner"}},
        FilterCase{"money with decimals", {{{Slot::ListPrice, "= 19.950"}}}, {"Casablanca"}},
        FilterCase{"exponent", {{{Slot::Year, "= 1.985e3"}}}, {"The Case", "Ran"}},
        FilterCase{"less than date matches empty dates",
                   {{{Slot::PurchaseDate, "< 01/01/1989", RowOperator::Less}}},
                   {"Annie Hall", "The Case", "Stars * Stripes", "Blade Runner", "No Year", "Été meurtrier"}},
        FilterCase{"date range",
                   {{{Slot::PurchaseDate, "> 01/01/1985 AND < 12/31/1999", RowOperator::Range}}},
                   {"Casablanca", "Annie Hall"}},
        FilterCase{"date equal", {{{Slot::CheckDate, "= 12/31/1999"}}}, {"Blade Runner"}},
        FilterCase{"untouched date row is ignored",
                   {{{Slot::Title, "ran"}, {Slot::PurchaseDate, "=   /  /    "}}},
                   {"Ran"}},
        FilterCase{"untouched date range is ignored",
                   {{{Slot::Title, "ran"},
                     {Slot::PurchaseDate, ">   /  /     AND <   /  /    ", RowOperator::Range}}},
                   {"Ran"}},
        FilterCase{"all rows of a level must hold",
                   {{{Slot::Title, "AN"}, {Slot::Category, "drama"}}},
                   {"Casablanca"}},
        FilterCase{"levels are joined by OR",
                   {{{Slot::Title, "casa"}}, {{Slot::Category, "comedy"}}},
                   {"Casablanca", "Annie Hall"}},
        FilterCase{
            "a failing number test fails its level only",
            {{{Slot::Year, "> 2000", RowOperator::Greater}, {Slot::Title, "ran"}}, {{Slot::Title, "hall"}}},
            {"Annie Hall"}},
        FilterCase{"nothing passes", {{{Slot::Title, "zzz"}}}, {}}),
    [](const ::testing::TestParamInfo<FilterCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(SearchFilter, UntouchedDatesWithEachSeparator) {
    for (int code : {7, 8, 9, 10, 11, 12}) {
        const DateFormat dates(code, true);
        const QChar sep = dates.separator();
        const QString untouched = QStringLiteral("=   %1  %1    ").arg(sep);
        SearchCriteria c;
        SearchPage page = pageOf({{Slot::PurchaseDate, untouched}, {Slot::Title, "x"}});
        ASSERT_EQ(savePage(c, page, dates).status, SaveResult::Saved) << code;
        EXPECT_EQ(c.count(), 1) << "the date row adds nothing under " << code;
        // A typed date in the format's own order and separator is read.
        const QString typed = dates.dayFirst() ? QStringLiteral("= 05%101%101990").arg(sep)
                                               : QStringLiteral("= 01%105%101990").arg(sep);
        SearchCriteria d;
        ASSERT_EQ(savePage(d, pageOf({{Slot::PurchaseDate, typed}}), dates).status, SaveResult::Saved)
            << code;
        EXPECT_EQ(d.items().front().date, "19900105") << code;
        EXPECT_TRUE(d.items().front().isDate);
    }
}

TEST(SearchFilter, EmptyStoreLetsNothingThrough) {
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    SearchState search;
    EXPECT_FALSE(search.start(t, SearchCriteria()));
    EXPECT_FALSE(search.isOn());
    EXPECT_EQ(t.recordCount(), 8u);
}

TEST(SearchState, SurvivesReopeningAndEnds) {
    Catalogue cat(films(), sortExpression(Slot::Title, 0, 0, 0));
    dbase::Table t;
    cat.open(t);
    SearchState search;
    ASSERT_TRUE(search.start(t, criteriaOf({{{Slot::Title, "an"}}})));
    EXPECT_EQ(column(t, Slot::Title), (QStringList{"Annie Hall", "Casablanca", "Ran"}))
        << "in the sort order";
    // Reopening the table (Update Database, a new sort order) keeps the search once applied again.
    t.close();
    cat.open(t);
    search.applyTo(t);
    EXPECT_EQ(t.recordCount(), 3u);
    search.end(t);
    EXPECT_FALSE(search.isOn());
    EXPECT_EQ(t.recordCount(), 8u);
    search.resume(t);
    EXPECT_TRUE(search.isOn());
    EXPECT_EQ(t.recordCount(), 3u);
}

TEST(SearchState, NewCriteriaWithoutMatchEndTheSearchInForce) {
    Catalogue cat(films());
    dbase::Table t;
    cat.open(t);
    SearchState search;
    ASSERT_TRUE(search.start(t, criteriaOf({{{Slot::Title, "an"}}})));
    EXPECT_FALSE(search.start(t, criteriaOf({{{Slot::Title, "zzz"}}})));
    EXPECT_FALSE(search.isOn());
    EXPECT_TRUE(search.criteria().isEmpty());
    EXPECT_EQ(t.recordCount(), 8u);
}

// ---- saving a page ----------------------------------------------------------------------

TEST(SavePage, ItemsOfATextRow) {
    SearchCriteria c;
    ASSERT_EQ(savePage(c, pageOf({{Slot::Title, "  casa  "}, {Slot::Star5, "x"}, {Slot::KeyWords, "a b"}}),
                       kUsDates)
                  .status,
              SaveResult::Saved);
    ASSERT_EQ(c.count(), 3);
    EXPECT_EQ(c.items()[0].text, "CASA");
    EXPECT_EQ(c.items()[0].kind, Comparison::Contains);
    EXPECT_EQ(c.items()[1].kind, Comparison::AnyStar);
    EXPECT_EQ(c.items()[2].kind, Comparison::AnyWord);
    EXPECT_FALSE(c.items()[1].endOfLevel);
    EXPECT_TRUE(c.items()[2].endOfLevel);
    EXPECT_EQ(c.levelCount(), 1);
}

TEST(SavePage, LongCriterionIsCutTo110) {
    SearchCriteria c;
    const QString typed = QString(140, QLatin1Char('d'));
    ASSERT_EQ(savePage(c, pageOf({{Slot::Description, typed}}), kUsDates).status, SaveResult::Saved);
    EXPECT_EQ(c.items()[0].text, QString(110, QLatin1Char('D')));
}

struct RefusalCase {
    const char* what;
    Level rows;
    SaveResult::Status status;
    int row;
};

class SavePageRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SavePageRefusals, EarlierLevelsSurvive) {
    const RefusalCase& c = GetParam();
    SearchCriteria store = criteriaOf({{{Slot::Title, "casa"}, {Slot::Year, "= 1942"}}});
    const SearchCriteria before = store;
    const SaveResult r = savePage(store, pageOf(c.rows), kUsDates);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.row, c.row);
    EXPECT_EQ(store, before) << "the page's items are dropped, the earlier level stays";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SavePageRefusals,
    ::testing::Values(
        RefusalCase{"range with the upper side only",
                    {{Slot::Year, ">  AND < 1990", RowOperator::Range}},
                    SaveResult::Invalid,
                    Slot::Year},
        RefusalCase{"range with the lower side only",
                    {{Slot::Year, "> 1980 AND <", RowOperator::Range}},
                    SaveResult::Invalid,
                    Slot::Year},
        RefusalCase{"range without AND",
                    {{Slot::Year, "> 1980 < 1990", RowOperator::Range}},
                    SaveResult::Invalid,
                    Slot::Year},
        RefusalCase{"empty range and nothing else",
                    {{Slot::Year, ">  AND <", RowOperator::Range}},
                    SaveResult::NoCriteria,
                    0},
        RefusalCase{"not a number",
                    {{Slot::Title, "ok"}, {Slot::RunTime, "= 9O"}},
                    SaveResult::Invalid,
                    Slot::RunTime},
        RefusalCase{"a decimal comma", {{Slot::ListPrice, "= 12,5"}}, SaveResult::Invalid, Slot::ListPrice},
        RefusalCase{"the first bad row stops the saving",
                    {{Slot::Year, "= x"}, {Slot::ListPrice, "= y"}},
                    SaveResult::Invalid,
                    Slot::Year},
        RefusalCase{
            "not a date", {{Slot::PurchaseDate, "= 13/45/1990"}}, SaveResult::Invalid, Slot::PurchaseDate},
        RefusalCase{
            "half a date", {{Slot::PurchaseDate, "= 12/  /1990"}}, SaveResult::Invalid, Slot::PurchaseDate},
        RefusalCase{"date range with one side",
                    {{Slot::CheckDate, "> 01/01/1990 AND <   /  /    ", RowOperator::Range}},
                    SaveResult::Invalid,
                    Slot::CheckDate},
        RefusalCase{"fresh page after Find More", {}, SaveResult::NoCriteria, 0},
        RefusalCase{"only blanks and a sign",
                    {{Slot::Title, "   "}, {Slot::Year, "=  "}},
                    SaveResult::NoCriteria,
                    0}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// A page of 40 items: every text row plus three ranges.
Level fullPage() {
    Level rows;
    for (int slot = 1; slot <= FieldCount; ++slot)
        if (rowKind(slot) == RowKind::Text) rows.push_back({slot, "x"});
    rows.push_back({Slot::Year, "> 1 AND < 2", RowOperator::Range});
    rows.push_back({Slot::RunTime, "> 1 AND < 2", RowOperator::Range});
    rows.push_back({Slot::ListPrice, "> 1 AND < 2", RowOperator::Range});
    return rows;
}

TEST(SavePage, SeventyFiveItemsAreAccepted) {
    const Level page = fullPage();
    Level second(page.begin(), page.begin() + 34); // the 34 text rows
    second.push_back({Slot::PurchasePrice, "= 3"});
    SearchCriteria c;
    ASSERT_EQ(savePage(c, pageOf(page), kUsDates).status, SaveResult::Saved);
    ASSERT_EQ(c.count(), 40);
    ASSERT_EQ(savePage(c, pageOf(second), kUsDates).status, SaveResult::Saved);
    EXPECT_EQ(c.count(), 75);
    EXPECT_EQ(c.levelCount(), 2);
    // One more item clears the store.
    const SaveResult r = savePage(c, pageOf({{Slot::Title, "y"}}), kUsDates);
    EXPECT_EQ(r.status, SaveResult::TooMany);
    EXPECT_TRUE(c.isEmpty());
}

TEST(SavePage, ARangeCountsAsTwoItems) {
    const Level page = fullPage();
    Level second(page.begin(), page.begin() + 34);
    second.push_back({Slot::PurchasePrice, "> 3 AND < 4", RowOperator::Range}); // items 75 and 76
    SearchCriteria c;
    ASSERT_EQ(savePage(c, pageOf(page), kUsDates).status, SaveResult::Saved);
    EXPECT_EQ(savePage(c, pageOf(second), kUsDates).status, SaveResult::TooMany);
    EXPECT_TRUE(c.isEmpty());
}

TEST(SavePage, OperatorOfTypedCells) {
    EXPECT_EQ(operatorOfCell("= 5"), RowOperator::Equal);
    EXPECT_EQ(operatorOfCell("5"), RowOperator::Equal);
    EXPECT_EQ(operatorOfCell(" > 5"), RowOperator::Greater);
    EXPECT_EQ(operatorOfCell("< 5"), RowOperator::Less);
    EXPECT_EQ(operatorOfCell("> 1980 AND < 1990"), RowOperator::Range);
}

TEST(CriterionValues, PlainDecimals) {
    EXPECT_EQ(plainDecimal(" 12.5 "), 12.5);
    EXPECT_EQ(plainDecimal("-.5"), -0.5);
    EXPECT_EQ(plainDecimal("+3"), 3.0);
    EXPECT_EQ(plainDecimal("2E2"), 200.0);
    EXPECT_EQ(plainDecimal("5."), 5.0);
    for (const char* bad : {"", ".", "1.2.3", "1,5", "e5", "5e", "12a", "- 5", "inf", "nan"})
        EXPECT_FALSE(plainDecimal(QString::fromLatin1(bad))) << bad;
}

} // namespace
