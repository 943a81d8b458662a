#!/usr/bin/env bash
# quillon-cli search, locate and replace against the records as list prints them: counts and
# first matches computed independently with awk, refusals with the windows' messages, and
# exclusive use against another process holding the table.
source "$(dirname "$0")/../common/cli_checks.sh"
db="$work/Films.DBF"
"$cli" generate "$db" --records 3000 --seed 11 || { echo "generate failed" >&2; exit 1; }
"$cli" sort "$db" Title Year >/dev/null || fail "sort"
"$cli" list "$db" --fields TITLE,YEAR,CATEGORY,KEYWORDS,STAR1,STAR2,STAR3,STAR4,STAR5,STAR6 >"$work/all.tsv"

# count AWK-CONDITION: records of the listing (header skipped) meeting the condition.
count() { awk -F'\t' "NR > 1 && ($1) { n++ } END { print n + 0 }" "$work/all.tsv"; }

# --- search --------------------------------------------------------------------------------
expect 0 "title contains" -- "$cli" search "$db" --where "Title: an" --count
[ "$out" = "$(count 'index(toupper($1), "AN")')" ] || fail "title count $out"
expect 0 "year range" -- "$cli" search "$db" --where "Year: > 1980 AND < 1990" --count
[ "$out" = "$(count '$2 > 1980 && $2 < 1990')" ] || fail "year range count $out"
expect 0 "less than counts empty years" -- "$cli" search "$db" --where "Year: < 1960" --count
[ "$out" = "$(count '$2 + 0 < 1960')" ] || fail "less-than count $out"
expect 0 "two levels" -- "$cli" search "$db" --where "Title: the" --where "Year: > 1990" --or --where "Category: drama" --count
[ "$out" = "$(count '(index(toupper($1), "THE") && $2 > 1990) || index(toupper($3), "DRAMA")')" ] || fail "two levels $out"
expect 0 "display name and any star" -- "$cli" search "$db" --where "star 3: an" --count
[ "$out" = "$(count 'index(toupper($5 $6 $7 $8 $9 $10), "AN")')" ] || fail "star count $out"
expect 0 "records like list" -- "$cli" search "$db" --where "Year: = 1985" --fields TITLE,YEAR
head -1 <<<"$out" | grep -qx $'TITLE\tYEAR' || fail "search header: $(head -1 <<<"$out")"
[ "$(tail -n +2 <<<"$out")" = "$(awk -F'\t' 'NR > 1 && $2 == 1985 { print $1 "\t" $2 }' "$work/all.tsv")" ] \
    || fail "search records differ from list in the sort order"

expect 1 "one-sided range" -- "$cli" search "$db" --where "Year: > 1980 AND <" --count
grep -q "^Invalid search criteria entered.  Please correct." <<<"$err" || fail "range message: $err"
expect 1 "empty level" -- "$cli" search "$db" --where "Title: an" --or --count
[ "$err" = "No search criteria entered." ] || fail "empty level message: $err"
expect 1 "no match" -- "$cli" search "$db" --where "Title: qqqqqq"
[ "$err" = "No valid matches found.  Search Criteria will be cleared." ] || fail "no match message: $err"
expect 2 "unknown field" -- "$cli" search "$db" --where "Colour: red"
expect 2 "field twice in a level" -- "$cli" search "$db" --where "Title: a" --where "title: b"
expect 2 "eleven levels" -- "$cli" search "$db" --where "Title: a" --or --where "Title: a" --or --where "Title: a" \
    --or --where "Title: a" --or --where "Title: a" --or --where "Title: a" --or --where "Title: a" --or \
    --where "Title: a" --or --where "Title: a" --or --where "Title: a" --or --where "Title: a"

# --- locate --------------------------------------------------------------------------------
"$cli" list "$db" --fields TITLE >"$work/titles"
first_the=$(awk 'NR > 1 && toupper(substr($0, 1, 4)) == "THE " { print; exit }' "$work/titles")
# title RECNO: the title of a record by its number, read by another program.
title() { $PY -c 'import dbf, sys
t = dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY)
print(t[int(sys.argv[2]) - 1].title.strip())' "$db" "$1"; }
expect 0 "locate from the first" -- "$cli" locate "$db" Title "the "
recno=$out
[ "$(title "$recno")" = "$first_the" ] || fail "locate found $(title "$recno"), not the first THE title $first_the"
expect 0 "locate next" -- "$cli" locate "$db" Title "the " --after "$recno"
[ "$out" != "$recno" ] || fail "locate next found the same record"
expect 1 "locate nothing" -- "$cli" locate "$db" Title qqqqqq --anywhere
[ "$err" = "No matches found" ] || fail "locate message: $err"
expect 1 "locate a missing field" -- "$cli" locate "$db" Colour red
[ "$err" = "Field Colour not found." ] || fail "missing field message: $err"
expect 2 "two match types" -- "$cli" locate "$db" Title a --exact --anywhere

# --- replace -------------------------------------------------------------------------------
dramas=$(count 'toupper($3) == "DRAMA"')
expect 0 "replace" -- "$cli" replace "$db" Category drama Melodrama
[ "$out" = $'processed\t3000\nfound\t'"$dramas"$'\nchanged\t'"$dramas" ] || fail "replace counts: $out"
expect 0 "replaced" -- "$cli" search "$db" --where "Category: melodrama" --count
[ "$out" = "$dramas" ] || fail "after replace: $out"
"$cli" info "$db" | grep -q $'^tag\tNEWINDEX\tUpper(Left(Title,40))+STR(Year,12,0)' || fail "NewIndex not rebuilt"
"$cli" list "$db" --fields TITLE >"$work/titles2"
cmp -s "$work/titles" "$work/titles2" || fail "the order changed after replace"
expect 1 "bad replacement number" -- "$cli" replace "$db" Year 1985 19x5
[ "$err" = "Invalid replacement value entered.  Please correct." ] || fail "number message: $err"

hold "$db"
before=$(md5sum <"$db")
expect 1 "replace while held" -- "$cli" replace "$db" Category Melodrama Drama
grep -q "^Search and Replace requires exclusive use of the DBase File." <<<"$err" || fail "held message: $err"
[ "$(md5sum <"$db")" = "$before" ] || fail "the table changed while another program held it"
expect 0 "search while held" -- "$cli" search "$db" --where "Category: melodrama" --count
release

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo ok
