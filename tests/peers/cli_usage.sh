#!/usr/bin/env bash
# quillon-cli: exit codes, messages, exclusive use against another process holding the file,
# letter case of extensions, deterministic generation, settings lines kept, date formats.
source "$(dirname "$0")/../common/cli_checks.sh"

db="$work/Movies.DBF"

# --- usage errors exit 2 ---------------------------------------------------------------
expect 2 "no arguments" -- "$cli"
expect 2 "unknown command" -- "$cli" frobnicate "$db"
expect 2 "create without FILE" -- "$cli" create
expect 2 "create with two files" -- "$cli" create "$db" "$db"
expect 2 "generate without --records" -- "$cli" generate "$db"
expect 2 "generate with a bad count" -- "$cli" generate "$db" --records ten
expect 2 "generate with a negative count" -- "$cli" generate "$db" --records -5
expect 2 "generate with an unknown option" -- "$cli" generate "$db" --records 5 --colour red
expect 2 "option without value" -- "$cli" list "$db" --limit
expect 2 "sort with five levels" -- "$cli" sort "$db" 1 2 3 4 5
expect 2 "sort with an unknown field" -- "$cli" sort "$db" Title Colour
expect 2 "sort with slot 41" -- "$cli" sort "$db" 41
expect 2 "list with a bad limit" -- "$cli" list "$db" --limit many
[ -e "$db" ] && fail "a usage error created the file"
expect 0 "--help" -- "$cli" --help
grep -q "generate FILE --records N" <<<"$out" || fail "--help does not describe generate"

# --- errors exit 1 ---------------------------------------------------------------------
expect 1 "check of a missing file" -- "$cli" check "$work/none.dbf"
expect 1 "list of a missing file" -- "$cli" list "$work/none.dbf"
expect 1 "create in a missing folder" -- "$cli" create "$work/no/such/dir/x.dbf"
[ -n "$err" ] || fail "create in a missing folder says nothing"

$PY -c 'import dbf, sys
t = dbf.Table(sys.argv[1], "Name C(20); Age N(3,0)", dbf_type="db3")
t.open(dbf.READ_WRITE); t.append(("Ann", 30)); t.close()' "$work/PEOPLE.DBF"
message="This DBase file was not created with Quillon Videos 97.  It cannot be opened.  You may, however, import data from this file using the import function."
expect 1 "check of another table" -- "$cli" check "$work/PEOPLE.DBF"
[ "$err" = "$message" ] || fail "check message: $err"
expect 1 "generate into another table" -- "$cli" generate "$work/PEOPLE.DBF" --records 3
[ "$err" = "$message" ] || fail "generate message: $err"
expect 1 "sort of another table" -- "$cli" sort "$work/PEOPLE.DBF" 1
expect 0 "list of another table" -- "$cli" list "$work/PEOPLE.DBF"
[ "$out" = $'NAME\tAGE\nAnn\t30' ] || fail "list of another table: $out"
expect 1 "list of an unknown field" -- "$cli" list "$work/PEOPLE.DBF" --fields Name,Colour
printf 'not a table at all' >"$work/TEXT.DBF"
expect 1 "check of a text file" -- "$cli" check "$work/TEXT.DBF"
expect 1 "list of a text file" -- "$cli" list "$work/TEXT.DBF"

# --- create, any letter case of the extension ---------------------------------------------
expect 0 "create" -- "$cli" create "$db"
expect 0 "check of a new table" -- "$cli" check "$work/Movies.dbf"
expect 0 "generate through another case" -- "$cli" generate "$work/Movies.dBf" --records 25 --seed 3
[ -e "$work/Movies.dbf" ] && fail "a second file was made for another letter case"
expect 0 "info" -- "$cli" info "$work/Movies.dbf"
grep -qx $'records\t25' <<<"$out" || fail "info record count: $out"
grep -qx $'version\t0x03' <<<"$out" || fail "info version: $out"
grep -qx $'code page\t0x57' <<<"$out" || fail "info code page: $out"
grep -qx $'field\tTITLE\tC\t60\t0' <<<"$out" || fail "info field list: $out"
[ "$(grep -c $'^field\t' <<<"$out")" -eq 40 ] || fail "info lists $(grep -c $'^field\t' <<<"$out") fields"

# --- list: header, limit, fields, default date format (m/d/yy) ---------------------------
expect 0 "list --limit" -- "$cli" list "$db" --limit 5 --fields title,PURCHDATE,Year
[ "$(wc -l <"$work/out")" -eq 6 ] || fail "list --limit 5 printed $(wc -l <"$work/out") lines"
head -1 "$work/out" | grep -qx $'TITLE\tPURCHDATE\tYEAR' || fail "list header: $(head -1 "$work/out")"
cut -f2 "$work/out" | tail -n +2 | grep -v '^$' | grep -qvE '^[0-9]{1,2}/[0-9]{1,2}/[0-9]{2}$' \
    && fail "dates not in m/d/yy: $(cut -f2 "$work/out")"
mkdir -p "$XDG_CONFIG_HOME/quillon-videos"
printf '[Misc]\r\nDate Format=12\r\nDate Leading Zeros=Yes\r\n' >"$XDG_CONFIG_HOME/quillon-videos/QLNVID.INI"
expect 0 "list in dd.mm.yyyy" -- "$cli" list "$db" --fields PurchDate
tail -n +2 "$work/out" | grep -v '^$' | grep -qvE '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}$' && fail "dates not in dd.mm.yyyy"
tail -n +2 "$work/out" | grep -q . || fail "no purchase dates at all"
expect 0 "list --limit 0" -- "$cli" list "$db" --limit 0
[ "$(wc -l <"$work/out")" -eq 1 ] || fail "list --limit 0 printed records"

# --- list of a FoxPro table with memo, deleted record and code page 850 (python3-dbf) --------
$PY -c 'import dbf, datetime, sys
t = dbf.Table(sys.argv[1], "name C(20); notes M; born D; ok L; price N(8,2)", dbf_type="fp", codepage="cp850")
t.open(dbf.READ_WRITE)
t.append(("Ñandú Zoë", "line1\nline2\ttab\\end", datetime.date(1997, 4, 3), True, 1.5))
t.append(("Gone", "x", None, False, 2))
t.append(("Last", "", None, None, None))
dbf.delete(t[1])
t.close()' "$work/FOX.DBF"
expect 0 "list of a FoxPro table" -- "$cli" list "$work/FOX.DBF"
expected=$'NAME\tNOTES\tBORN\tOK\tPRICE\nÑandú Zoë\tline1\\nline2\\ttab\\\\end\t03.04.1997\tT\t1.50\nLast\t\t\t\t'
[ "$out" = "$expected" ] || fail "list of a FoxPro table: $(printf '%s' "$out" | od -c | head -20)"
expect 0 "info of a FoxPro table" -- "$cli" info "$work/FOX.DBF"
grep -qx $'records\t2' <<<"$out" && grep -qx $'deleted\t1' <<<"$out" && grep -qx $'code page\t0x02' <<<"$out" \
    || fail "info of a FoxPro table: $out"

# --- generate is deterministic -------------------------------------------------------------
"$cli" generate "$work/A.DBF" --records 200 --seed 9 || fail "generate A"
"$cli" generate "$work/B.DBF" --records 200 --seed 9 || fail "generate B"
"$cli" generate "$work/C.DBF" --records 200 --seed 10 || fail "generate C"
# Bytes 1-3 hold the date of the last update; the rest must be equal.
cmp -s <(tail -c +5 "$work/A.DBF") <(tail -c +5 "$work/B.DBF") || fail "same seed, different tables"
cmp -s <(tail -c +5 "$work/A.DBF") <(tail -c +5 "$work/C.DBF") && fail "other seed, same table"
# Appending to an existing catalogue keeps what is there.
"$cli" list "$work/A.DBF" >"$work/a1.tsv"
"$cli" generate "$work/A.DBF" --records 10 --seed 1 || fail "generate more"
"$cli" list "$work/A.DBF" --limit 200 | cmp -s - "$work/a1.tsv" || fail "generate changed existing records"
[ "$("$cli" list "$work/A.DBF" | wc -l)" -eq 211 ] || fail "generate did not append 10"

# --- sort keeps every other line of the settings file -----------------------------------
printf '; my notes\r\n[Field Names]\r\nTitle=Film\r\n\r\n[Sort Order]\r\nprimary sort=5\r\nUnknown=x\r\n[Other]\r\nKey=Value\r\n' \
    >"$work/Movies.INI"
expect 0 "sort Title none Year" -- "$cli" sort "$db" Title none 11
tr -d '\r' <"$work/Movies.INI" >"$work/ini.txt"
for line in '; my notes' '[Field Names]' 'Title=Film' 'Unknown=x' '[Other]' 'Key=Value' 'primary sort=1' \
    'Secondary Sort=0' 'Third Level Sort=11' 'Fourth Level Sort=0'; do
    grep -qxF "$line" "$work/ini.txt" || fail "settings line missing after sort: $line"
done
grep -qi '^primary sort=5' "$work/ini.txt" && fail "old Primary Sort kept"
"$cli" info "$db" | grep -qx $'tag\tNEWINDEX\tUpper(Left(Title,40))+STR(Year,12,0)' || fail "sort expression"
# With no level the order becomes record order: list shows the records as stored.
expect 0 "sort without levels" -- "$cli" sort "$db"
"$cli" list "$db" --fields Title >"$work/unsorted.tsv"
$PY -c 'import sys; from dbfread import DBF
print("TITLE"); [print(r["TITLE"]) for r in DBF(sys.argv[1])]' "$db" | cmp -s - "$work/unsorted.tsv" \
    || fail "list after sort without levels is not in record order"
tr -d '\r' <"$work/Movies.INI" | grep -qx 'primary sort=0' || fail "levels not cleared"

# --- exclusive use: another process holding a lock --------------------------------------------
"$cli" sort "$db" 2 >/dev/null || fail "sort by Star1"
before=$(md5sum <"$db")
hold "$db"
expect 1 "pack while held" -- "$cli" pack "$db"
grep -q "Unable to pack table.  Packing requires exclusive use of the DBase File." <<<"$err" || fail "pack message: $err"
expect 1 "reindex while held" -- "$cli" reindex "$db"
grep -q "Unable to reindex table.  Reindexing requires exclusive use of the DBase File." <<<"$err" \
    || fail "reindex message: $err"
expect 1 "sort while held" -- "$cli" sort "$db" 1
grep -q "Creating a new sort order requires exclusive use of the DBase File." <<<"$err" || fail "sort message: $err"
expect 1 "generate while held" -- "$cli" generate "$db" --records 1
grep -q "in use by another program" <<<"$err" || fail "generate message: $err"
expect 1 "create while held" -- "$cli" create "$db"
[ "$err" = "The table \"$db\" is currently in use by another program.  New table creation will be aborted." ] \
    || fail "create message: $err"
# Reading beside the other program works.
expect 0 "list while held" -- "$cli" list "$db" --limit 3
expect 0 "check while held" -- "$cli" check "$db"
[ "$(md5sum <"$db")" = "$before" ] || fail "the table changed while another program held it"
tr -d '\r' <"$work/Movies.INI" | grep -qx 'primary sort=2' || fail "refused sort changed the settings"
release
expect 0 "pack when free" -- "$cli" pack "$db"
expect 0 "reindex when free" -- "$cli" reindex "$db"
expect 0 "check after pack" -- "$cli" check "$db"
"$cli" info "$db" | grep -qx $'records\t25' || fail "pack lost records"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo ok
