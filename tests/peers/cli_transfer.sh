#!/usr/bin/env bash
# quillon-cli export and import with other programs: the ASCII export read by Python's csv module
# and awk, the dBase export read by python3-dbfread with the columns' names and types, dBase tables
# written by python3-dbf (dBase III, FoxPro, Visual FoxPro, memo fields, cp437, cp850 and cp1252)
# imported with their letters, and a round trip through the batch tool.
source "$(dirname "$0")/../common/cli_strict.sh"

db="$work/VIDEOS.DBF"
"$QUILLON_CLI" generate "$db" --records 400 --seed 7 >/dev/null
"$QUILLON_CLI" list "$db" --fields Title,Year,ListPrice,PurchDate >"$work/list.tsv"

# ASCII export with a header line, read by Python's csv module.
n=$("$QUILLON_CLI" export "$db" "$work/out.txt" --header --fields Title,Year,ListPrice,PurchDate)
[ "$n" = 400 ] || fail "export printed $n"
"$PY" - "$work/out.txt" "$work/list.tsv" <<'PYEOF'
import csv, sys
with open(sys.argv[1], newline='', encoding='cp1252') as f:
    data = f.read()
assert data.endswith('\r\n') and data.count('\n') == data.count('\r\n'), 'CR LF line ends'
rows = list(csv.reader(data.splitlines()))
assert rows[0] == ['Title', 'Year', 'List Price', 'Purch Date'], rows[0]
with open(sys.argv[2], encoding='utf-8') as f:
    listed = [l.rstrip('\n').split('\t') for l in f][1:]
assert len(rows) - 1 == len(listed) == 400, (len(rows), len(listed))
for got, want in zip(rows[1:], listed):
    assert got[0] == want[0].strip(), (got, want)
    assert got[1] == want[1], (got, want)
    assert (got[2] == '' and want[2] == '') or float(got[2]) == float(want[2]), (got, want)
    assert got[3] == want[3], (got, want)
PYEOF
# awk sees four quoted fields on every line.
awk -F'","' 'NF != 4 || $0 !~ /^".*"\r$/ { bad++ } END { exit bad ? 1 : 0 }' "$work/out.txt" || fail "awk found a malformed line"

# A search result only.
m=$("$QUILLON_CLI" export "$db" "$work/search.txt" --fields Title,Year --where "Year: > 1990")
want=$("$QUILLON_CLI" search "$db" --where "Year: > 1990" --count)
[ "$m" = "$want" ] || fail "search export wrote $m records, the search finds $want"
[ "$(wc -l <"$work/search.txt")" = "$want" ] || fail "search export line count"

# dBase export read by dbfread: names and types of the data model.
"$QUILLON_CLI" export "$db" "$work/OUT.DBF" --fields Title,Year,ListPrice,PurchDate >/dev/null
"$PY" - "$work/OUT.DBF" "$work/list.tsv" <<'PYEOF'
import datetime, sys
from dbfread import DBF
t = DBF(sys.argv[1])
fields = [(f.name, f.type, f.length) for f in t.fields]
assert [f[0].lower() for f in fields] == ['title', 'year', 'listprice', 'purchdate'], fields
assert fields[0][1:] == ('C', 60) and fields[1][1] == 'N' and fields[2][1] in 'NF' and fields[3][1] == 'D', fields
recs = list(t)
with open(sys.argv[2], encoding='utf-8') as f:
    listed = [l.rstrip('\n').split('\t') for l in f][1:]
assert len(recs) == len(listed)
for r, want in zip(recs, listed):
    v = list(r.values())
    assert v[0] == want[0], (v, want)
    assert (v[1] is None and want[1] == '') or (isinstance(v[1], int) and v[1] == int(want[1])), (v, want)
    assert (v[2] is None and want[2] == '') or (isinstance(v[2], float) and abs(v[2] - float(want[2])) < 1e-9), (v, want)
    assert (v[3] is None and want[3] == '') or v[3].strftime('%m/%d/%Y') == want[3], (v, want)
PYEOF

# Round trips through the batch tool: the ASCII file (header skipped) and the dBase table.
"$QUILLON_CLI" create "$work/BACK.DBF"
k=$("$QUILLON_CLI" import "$work/BACK.DBF" "$work/out.txt" --skip-first --map 1=Title,2=Year,3=ListPrice,4=PurchDate)
[ "$k" = 400 ] || fail "import printed $k"
"$QUILLON_CLI" create "$work/BACK2.DBF"
k=$("$QUILLON_CLI" import "$work/BACK2.DBF" "$work/OUT.DBF" --map TITLE=Title,YEAR=Year,LISTPRICE=ListPrice,PURCHDATE=PurchDate)
[ "$k" = 400 ] || fail "dBase import printed $k"
for back in BACK BACK2; do
    "$QUILLON_CLI" list "$work/$back.DBF" --fields Title,Year,ListPrice,PurchDate >"$work/$back.tsv"
    "$PY" - "$work/list.tsv" "$work/$back.tsv" <<'PYEOF'
import sys
def rows(p):
    with open(p, encoding='utf-8') as f:
        return [l.rstrip('\n').split('\t') for l in f][1:]
a, b = rows(sys.argv[1]), rows(sys.argv[2])
assert len(a) == len(b), (len(a), len(b))
for x, y in zip(a, b):
    # An empty year comes back as 0 and an empty price as 0.
    x = [x[0], x[1] or '0', float(x[2] or 0), x[3]]
    y = [y[0], y[1], float(y[2] or 0), y[3]]
    assert x == y, (x, y)
PYEOF
done

# dBase tables of another program, in other code pages, with memo fields.
"$PY" - "$work" <<'PYEOF'
import datetime, sys, dbf
for kind, cp, name in [('db3', 'cp437', 'D3'), ('db3', 'cp850', 'D3B'), ('fp', 'cp850', 'FP'), ('vfp', 'cp1252', 'VFP')]:
    t = dbf.Table(sys.argv[1] + '/' + name + '.dbf',
                  'name C(30); yr N(4,0); bought D; seen L; note M; price N(8,2)', dbf_type=kind, codepage=cp)
    t.open(dbf.READ_WRITE)
    t.append(('M\u00fcnchen \u00c7a', 1990, datetime.date(1995, 7, 4), True, 'A long note ' * 30, 9.95))
    t.append(('Stra\u00dfe', 1991, None, False, '', 0))
    t.append(('Deleted', 1992, None, False, '', 0))
    dbf.delete(t[2])
    t.close()
PYEOF
for f in D3 D3B FP VFP; do
    "$QUILLON_CLI" create "$work/X$f.DBF"
    k=$("$QUILLON_CLI" import "$work/X$f.DBF" "$work/$f.dbf" \
        --map name=Title,yr=Year,bought=PurchDate,seen=Viewed,note=Descriptio,price=ListPrice)
    [ "$k" = 2 ] || fail "$f: imported $k"
    "$QUILLON_CLI" list "$work/X$f.DBF" --fields Title,Year,PurchDate,Viewed,ListPrice >"$work/X$f.tsv"
    printf 'TITLE\tYEAR\tPURCHDATE\tVIEWED\tLISTPRICE\nM\xc3\xbcnchen \xc3\x87a\t1990\t07/04/1995\tYes\t9.9500\nStra\xc3\x9fe\t1991\t\tNo\t0.0000\n' >"$work/want.tsv"
    cmp -s "$work/X$f.tsv" "$work/want.tsv" || { diff "$work/X$f.tsv" "$work/want.tsv" >&2; fail "$f imported wrongly"; }
done

# A malformed first line is refused with the program's message, nothing imported.
printf '"Title","Year\r\n' >"$work/bad.txt"
if "$QUILLON_CLI" import "$db" "$work/bad.txt" 2>"$work/err.txt"; then fail "malformed file imported"; fi
grep -q "unexpected end of a line" "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
echo "cli_transfer: all checks passed"
