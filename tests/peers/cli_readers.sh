#!/usr/bin/env bash
# Catalogues written by quillon-cli (create, generate, sort) are read identically by
# python3-dbfread and Perl XBase (dbf_dump), and the NewIndex tag is walked by index_dump in the
# order quillon-cli list shows, with the right record numbers.
source "$(dirname "$0")/../common/cli_strict.sh"
# The settings give dates as mm/dd/yyyy with leading zeros, as the comparison below expects.

db="$work/VIDEOS.DBF"
"$QUILLON_CLI" create "$db"
"$QUILLON_CLI" generate "$db" --records 700 --seed 42
"$QUILLON_CLI" check "$db"
"$QUILLON_CLI" list "$db" >"$work/record-order.tsv"
dbf_dump --fs $'\x01' "$db" >"$work/dbf_dump.txt"

cat >"$work/compare.py" <<'EOF'
import datetime, sys
from dbfread import DBF

def unescape(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c == '\\':
            n = s[i + 1]
            out.append({'t': '\t', 'r': '\r', 'n': '\n', '\\': '\\'}[n])
            i += 2
        else:
            out.append(c)
            i += 1
    return ''.join(out)

dbf_path, listing, dump = sys.argv[1:4]
table = DBF(dbf_path)  # the code page comes from the file's language driver byte
assert table.encoding == 'cp1252', table.encoding
assert table.header.language_driver == 0x57, hex(table.header.language_driver)
names = [f.name for f in table.fields]
types = {f.name: f.type for f in table.fields}
records = list(table)

with open(listing, encoding='utf-8', newline='') as f:
    lines = f.read().split('\n')
assert lines[-1] == '', 'output must end with a line end'
lines = lines[:-1]
assert lines[0].split('\t') == names, (lines[0], names)
rows = [[unescape(v) for v in l.split('\t')] for l in lines[1:]]
assert len(rows) == len(records), (len(rows), len(records))

with open(dump, 'rb') as f:
    dumped = f.read().decode('cp1252').split('\n')
assert dumped[-1] == ''
dumped = [d.split('\x01') for d in dumped[:-1]]
assert len(dumped) == len(records)

def same(name, ours, theirs, perl):
    t = types[name]
    if t == 'C':
        return ours == (theirs or '').rstrip(' ') == perl
    if t == 'N':
        if theirs is None:
            return ours == '' and perl == ''
        return float(ours) == float(theirs) == float(perl)
    if t == 'D':
        if theirs is None:
            return ours == '' and perl.strip() == ''
        return ours == theirs.strftime('%m/%d/%Y') and perl == theirs.strftime('%Y%m%d')
    raise AssertionError(t)

nonascii = quotes = empties = tabs = 0
for i, (rec, row, perl) in enumerate(zip(records, rows, dumped)):
    assert len(row) == len(names) == len(perl), i
    for name, ours, p in zip(names, row, perl):
        theirs = rec[name]
        if not same(name, ours, theirs, p):
            raise AssertionError(f'record {i + 1} field {name}: ours {ours!r}, dbfread {theirs!r}, perl {p!r}')
        if any(ord(c) > 127 for c in ours): nonascii += 1
        if '"' in ours or "'" in ours: quotes += 1
        if ours == '': empties += 1
        if '\t' in ours: tabs += 1
# The sample records are varied: accented letters, quotes, empty fields and a tab in some descriptions.
assert nonascii > 0 and quotes > 0 and empties > 0 and tabs > 0, (nonascii, quotes, empties, tabs)
print(len(records), 'records agree')
EOF
$PY "$work/compare.py" "$db" "$work/record-order.tsv" "$work/dbf_dump.txt"

# Sort by Title then Year: NewIndex is built, list follows it, index_dump walks the same order.
"$QUILLON_CLI" sort "$db" Title Year
test -f "$work/VIDEOS.MDX" || fail "no VIDEOS.MDX after sort"
"$QUILLON_CLI" info "$db" | grep -qx $'tag\tNEWINDEX\tUpper(Left(Title,40))+STR(Year,12,0)' \
    || fail "info does not show the NewIndex tag: $("$QUILLON_CLI" info "$db" | grep tag)"
"$QUILLON_CLI" list "$db" --fields Title,Year >"$work/sorted.tsv"
index_dump "$work/VIDEOS.MDX" NEWINDEX >"$work/index_dump.txt"

cat >"$work/order.py" <<'EOF'
import sys
from dbfread import DBF
dbf_path, listing, dump = sys.argv[1:4]
records = list(DBF(dbf_path))
with open(listing, encoding='utf-8') as f:
    lines = f.read().split('\n')[:-1]
assert lines[0] == 'TITLE\tYEAR', lines[0]
shown = [tuple(l.split('\t')) for l in lines[1:]]
assert len(shown) == len(records)

def upper(s):  # dBase UPPER changes a-z only
    return ''.join(chr(ord(c) - 32) if 'a' <= c <= 'z' else c for c in s)

def key(r):
    title = upper(r['TITLE'] or '')[:40].ljust(40)
    year = '' if r['YEAR'] is None else str(r['YEAR'])
    return title.encode('cp1252') + year.rjust(12).encode()

# index_dump prints each key and its record number; keys hold arbitrary bytes, the record
# number is the last blank-separated item of the line.
with open(dump, 'rb') as f:
    entries = [l.rsplit(b' ', 1) for l in f.read().split(b'\n') if l.strip()]
recnos = [int(e[1]) for e in entries]
assert sorted(recnos) == list(range(1, len(records) + 1)), 'every record once'
keys = [key(records[n - 1]) for n in recnos]
assert keys == sorted(keys), 'index_dump walks the keys in order'
for (k, n), (title, year) in zip(entries, shown):
    r = records[int(n) - 1]
    assert (r['TITLE'] or '').replace('\\', '\\\\').replace('\t', '\\t') == title, (n, r['TITLE'], title)
    assert ('' if r['YEAR'] is None else str(r['YEAR'])) == year, (n, r['YEAR'], year)
expected = sorted(range(1, len(records) + 1), key=lambda n: (key(records[n - 1]), n))
assert recnos == expected, 'ties in record number order'
print(len(recnos), 'index entries in list order')
EOF
$PY "$work/order.py" "$db" "$work/sorted.tsv" "$work/index_dump.txt"

# A large batch appended to the sorted table: the tag is current afterwards.
"$QUILLON_CLI" generate "$db" --records 1500 --seed 43
"$QUILLON_CLI" info "$db" | grep -qx $'tag\tNEWINDEX\tUpper(Left(Title,40))+STR(Year,12,0)' || fail "tag lost by generate"
"$QUILLON_CLI" list "$db" --fields Title,Year >"$work/sorted2.tsv"
index_dump "$work/VIDEOS.MDX" NEWINDEX >"$work/index_dump2.txt"
$PY "$work/order.py" "$db" "$work/sorted2.tsv" "$work/index_dump2.txt"
# A small one is kept in the index record by record.
"$QUILLON_CLI" generate "$db" --records 20 --seed 44
"$QUILLON_CLI" list "$db" --fields Title,Year >"$work/sorted3.tsv"
index_dump "$work/VIDEOS.MDX" NEWINDEX >"$work/index_dump3.txt"
$PY "$work/order.py" "$db" "$work/sorted3.tsv" "$work/index_dump3.txt"

# The sorted table is still read identically by both readers (record order is unchanged).
dbf_dump --fs $'\x01' "$db" >"$work/dbf_dump2.txt"
head -n 700 "$work/dbf_dump2.txt" | cmp -s - "$work/dbf_dump.txt" || fail "sort or generate changed the records"

# Sort levels are in the database settings file.
ini="$work/VIDEOS.INI"
tr -d '\r' <"$ini" | grep -qx 'Primary Sort=1' || fail "Primary Sort not written"
tr -d '\r' <"$ini" | grep -qx 'Secondary Sort=11' || fail "Secondary Sort not written"
tr -d '\r' <"$ini" | grep -qx 'Third Level Sort=0' || fail "Third Level Sort not written"
tr -d '\r' <"$ini" | grep -qx 'Fourth Level Sort=0' || fail "Fourth Level Sort not written"
echo "ok"
