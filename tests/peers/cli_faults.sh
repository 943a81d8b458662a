#!/usr/bin/env bash
# quillon-cli against damaged, foreign and special files, other users' permissions and a second
# process creating the same table. Judged by the data (record counts, file bytes, the index tag
# and its expression), not only by exit codes.
set -uo pipefail
: "${QUILLON_CLI:?QUILLON_CLI must name the quillon-cli binary}"
cli=$QUILLON_CLI
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
export QUILLON_HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

fail() { echo "FAIL: $*" >&2; exit 1; }
# expect CODE DESCRIPTION -- COMMAND...: runs the command (10 s at most), keeps stdout/stderr.
expect() {
    local code=$1 what=$2
    shift 3
    out=$(timeout 10 "$@" 2>"$work/stderr")
    local rc=$?
    err=$(cat "$work/stderr")
    [ "$rc" -eq "$code" ] || fail "$what: exit $rc, expected $code (stderr: $err)"
}
records() { "$cli" info "$1" | sed -n 's/^records\t//p'; }
tagOf() { "$cli" info "$1" | sed -n 's/^tag\tNEWINDEX\t//p'; }
listed() { "$cli" list "$1" --fields Title 2>/dev/null | tail -n +2 | wc -l; }

# --- two creators of a missing table: every run that reports success keeps its records --------
for round in 1 2 3 4 5 6; do
    rm -f "$work"/R.*
    "$cli" generate "$work/R.DBF" --records 150 --seed 1 >/dev/null 2>"$work/e1" &
    a=$!
    "$cli" generate "$work/R.DBF" --records 150 --seed 2 >/dev/null 2>"$work/e2" &
    b=$!
    wait $a; ra=$?
    wait $b; rb=$?
    want=$(( (ra == 0 ? 150 : 0) + (rb == 0 ? 150 : 0) ))
    [ "$(records "$work/R.DBF")" = "$want" ] || fail "round $round: exits $ra/$rb but $(records "$work/R.DBF") records"
    for e in "$work/e1" "$work/e2"; do
        [ ! -s "$e" ] || grep -q "is in use by another program" "$e" || fail "round $round: $(cat "$e")"
    done
    "$cli" check "$work/R.DBF" || fail "round $round: check"
done

# --- special files are named for what they are and never block --------------------------------
db="$work/V.DBF"
"$cli" generate "$db" --records 60 --seed 4 >/dev/null
"$cli" sort "$db" Title
mkdir "$work/DIR.DBF"
expect 1 "list of a directory" -- "$cli" list "$work/DIR.DBF"
[[ "$err" == *"is a directory"* ]] || fail "directory message: $err"
mkfifo "$work/FIFO.DBF"
expect 1 "info of a FIFO" -- "$cli" info "$work/FIFO.DBF"
[[ "$err" == *"is not a regular file"* ]] || fail "FIFO message: $err"
expect 1 "create over a FIFO" -- "$cli" create "$work/FIFO.DBF"
[ -p "$work/FIFO.DBF" ] || fail "create replaced the FIFO"
ln -s "$work/nowhere.dbf" "$work/LINK.DBF"
expect 1 "generate through a dangling link" -- "$cli" generate "$work/LINK.DBF" --records 2
[[ "$err" == *"symbolic link"* ]] || fail "dangling link message: $err"
[ -L "$work/LINK.DBF" ] && [ ! -e "$work/nowhere.dbf" ] || fail "generate replaced the dangling link"
mv "$work/V.INI" "$work/settings.keep"
mkfifo "$work/V.INI"
expect 1 "list with a FIFO as settings" -- "$cli" list "$db"
[[ "$err" == *"V.INI is not a regular file"* ]] || fail "settings FIFO message: $err"
expect 1 "sort with a FIFO as settings" -- "$cli" sort "$db" Year
rm "$work/V.INI"
mkdir "$work/V.INI"
expect 1 "sort with a directory as settings" -- "$cli" sort "$db" Year
[[ "$err" == *"V.INI is a directory"* ]] || fail "settings directory message: $err"
[ "$(tagOf "$db")" = "Upper(Left(Title,80))" ] || fail "sort changed the index before failing: $(tagOf "$db")"
rmdir "$work/V.INI"
mv "$work/settings.keep" "$work/V.INI"

# --- companions follow the table's mode; an index that cannot be written stops every writer ----
rm -f "$work"/G.*
(umask 002 && "$cli" generate "$work/G.DBF" --records 20 >/dev/null && "$cli" sort "$work/G.DBF" Title)
[ "$(stat -c %a "$work/G.MDX")" = "$(stat -c %a "$work/G.DBF")" ] ||
    fail "index mode $(stat -c %a "$work/G.MDX"), table mode $(stat -c %a "$work/G.DBF")"
# Another member of the group: the table is writable for them, the index is not.
as_other=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || fail "setpriv is needed to act as another user"
    as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp)
    chmod 777 "$work"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" && chmod -R 777 "$work/config" "$work/data"
fi
chmod 666 "$work/G.DBF" "$work/G.INI"
chmod 444 "$work/G.MDX"
size=$(stat -c %s "$work/G.DBF")
expect 1 "generate with an unwritable index" -- "${as_other[@]}" "$cli" generate "$work/G.DBF" --records 5
[[ "$err" == *"G.MDX cannot be written"* ]] || fail "unwritable index message: $err"
[ "$(stat -c %s "$work/G.DBF")" = "$size" ] || fail "generate wrote the table although its index is read-only"
expect 1 "sort with an unwritable index" -- "${as_other[@]}" "$cli" sort "$work/G.DBF" Year
expect 0 "list with an unwritable index" -- "${as_other[@]}" "$cli" list "$work/G.DBF" --limit 1
chmod 000 "$work/G.MDX"
expect 1 "pack with an unreadable index" -- "${as_other[@]}" "$cli" pack "$work/G.DBF"
[ "$(stat -c %s "$work/G.DBF")" = "$size" ] || fail "pack changed the table"
chmod 644 "$work/G.MDX"
chmod 755 "$work"

# --- an index copied from another table is never trusted ---------------------------------------
"$cli" generate "$work/W.DBF" --records 15 --seed 8 >/dev/null
"$cli" sort "$work/W.DBF" Title
cp "$work/V.MDX" "$work/V.MDX.keep"
cp "$work/W.MDX" "$work/V.MDX"
expect 1 "check with another table's index" -- "$cli" check "$db"
[[ "$err" == *"belongs to the table W"* ]] || fail "foreign index message: $err"
[ "$(listed "$db")" = 60 ] || fail "list with another table's index shows $(listed "$db") of 60"
expect 0 "generate with another table's index" -- "$cli" generate "$db" --records 3 --seed 5
expect 0 "check after the writer rebuilt it" -- "$cli" check "$db"
[ "$(listed "$db")" = 63 ] || fail "list after the rebuild shows $(listed "$db") of 63"

# --- a damaged index fails the check; reindex brings the sort tag back from the settings -------
printf '\x07' | dd of="$work/V.MDX" bs=1 seek=0 conv=notrunc 2>/dev/null
expect 1 "check of a damaged index header" -- "$cli" check "$db"
expect 0 "list of a damaged index" -- "$cli" list "$db" --fields Title
[[ "$err" == *"record order"* ]] || fail "list gave no word of the damaged index: $err"
expect 0 "reindex of a damaged index" -- "$cli" reindex "$db"
expect 0 "check after reindex" -- "$cli" check "$db"
[ "$(tagOf "$db")" = "Upper(Left(Title,80))" ] || fail "reindex did not rebuild the sort tag: $(tagOf "$db")"
rm "$work/V.MDX"
expect 0 "reindex without an index" -- "$cli" reindex "$db"
[ "$(tagOf "$db")" = "Upper(Left(Title,80))" ] || fail "reindex did not make the missing sort tag"
/usr/bin/python3 - "$work/V.MDX" <<'EOF'
import struct, sys
path = sys.argv[1]
d = bytearray(open(path, 'rb').read())
u32 = lambda o: struct.unpack_from('<I', d, o)[0]
header = u32(544) * 512
page, item = u32(header), struct.unpack_from('<H', d, header + 18)[0]
while True:  # down the leftmost branch to a leaf
    n = u32(page * 512)
    if u32(page * 512 + 8 + n * item) == 0:
        break
    page = u32(page * 512 + 8)
d[page * 512 + 12 + 3 * item] ^= 0x01  # one bit of the fourth key
open(path, 'wb').write(bytes(d))
EOF
expect 1 "check of a flipped leaf key" -- "$cli" check "$db"
[[ "$err" == *"NEWINDEX"* ]] || fail "flipped key message: $err"
"$cli" reindex "$db"

# --- a wrong record count is reported and nothing is cut --------------------------------------
cp "$db" "$work/C.DBF"
/usr/bin/python3 -c 'import struct,sys; f=open(sys.argv[1],"r+b"); f.seek(4); f.write(struct.pack("<I",10))' "$work/C.DBF"
before=$(md5sum <"$work/C.DBF")
expect 1 "check of a wrong count" -- "$cli" check "$work/C.DBF"
[[ "$err" == *"counts 10 records but the file holds 63"* ]] || fail "wrong count message: $err"
expect 1 "pack of a wrong count" -- "$cli" pack "$work/C.DBF"
expect 1 "generate onto a wrong count" -- "$cli" generate "$work/C.DBF" --records 1
expect 1 "reindex of a wrong count" -- "$cli" reindex "$work/C.DBF"
[ "$(md5sum <"$work/C.DBF")" = "$before" ] || fail "a writer changed a table with a wrong count"

# --- check only reads; left-over temporary files go at the next exclusive open ----------------
cp "$db" "$work/N.DBF"
printf '\x01' | dd of="$work/N.DBF" bs=1 seek=28 conv=notrunc 2>/dev/null  # announces a missing index
before=$(md5sum <"$work/N.DBF")
expect 0 "check of a table whose index is missing" -- "$cli" check "$work/N.DBF"
[ "$(md5sum <"$work/N.DBF")" = "$before" ] || fail "check wrote the table"
touch "$work/.V.INI.0123abcd.tmp" "$work/V.DBF.new-Ab12Cd" "$work/V.MDX.new-Zz9Yy8" "$work/V.DBF.keep-me"
expect 0 "reindex" -- "$cli" reindex "$db"
for f in .V.INI.0123abcd.tmp V.DBF.new-Ab12Cd V.MDX.new-Zz9Yy8; do
    [ ! -e "$work/$f" ] || fail "$f was left behind"
done
[ -e "$work/V.DBF.keep-me" ] || fail "a file of another pattern was removed"
echo "cli_faults: all passed"
