#!/usr/bin/env bash
# quillon-cli backup and restore: each kind out and back byte for byte, the restored table
# listed in the same order through its rebuilt index, the list restore warnings, the refusals
# with the windows' messages (same folder, another process holding the table, no room on the
# destination's file system), a file size limit that stops a copy half way, and wrong usage.
source "$(dirname "$0")/../common/cli_checks.sh"
same() { cmp -s "$1" "$2" || fail "$3: $1 and $2 differ"; }
home="$work/home"
bk="$work/backup"
mkdir -p "$home" "$bk" "$work/empty"
db="$home/MASTER.DBF"
"$cli" generate "$db" --records 500 --seed 5 >/dev/null || { echo "generate failed" >&2; exit 1; }
"$cli" sort "$db" Title Year >/dev/null || fail "sort"
"$cli" list "$db" --fields TITLE,YEAR >"$work/before.tsv"
printf 'Hal Wallis\r\nDavid O. Selznick\r\n' >"$home/MASTER.001"
printf 'Drama\r\nComedy\r\n' >"$home/MASTER.006"
head -c 41244 /dev/urandom >"$home/QLNVID.URP"
done_backup="Backup completed successfully."

# --- each kind out and back ----------------------------------------------------------------
expect 0 "table backup" -- "$cli" backup "$db" --table "$bk"
[ "$out" = "$done_backup" ] || fail "table backup says: $out"
same "$db" "$bk/MASTER.DBF" "table backup"
[ -e "$bk/MASTER.MDX" ] && fail "the index was copied"
expect 0 "list backup" -- "$cli" backup "$db" --lists "$bk"
same "$home/MASTER.001" "$bk/MASTER.001" "list 1"
same "$home/MASTER.006" "$bk/MASTER.006" "list 6"
[ "$(ls "$bk" | grep -c 'MASTER\.0')" = 2 ] || fail "lists backed up: $(ls "$bk")"
expect 0 "settings backup" -- "$cli" backup "$db" --settings "$bk"
same "$home/MASTER.INI" "$bk/MASTER.INI" "settings"
expect 0 "layouts backup" -- "$cli" backup "$db" --layouts "$bk"
same "$home/QLNVID.URP" "$bk/QLNVID.URP" "layouts"

# Everything changes; the restore brings the backup back.
"$cli" generate "$db" --records 50 --seed 9 >/dev/null
printf 'Someone\r\n' >"$home/MASTER.001"
"$cli" sort "$db" Year >/dev/null
head -c 20622 /dev/urandom >"$home/QLNVID.URP"
expect 0 "settings restore" -- "$cli" restore --settings "$bk/MASTER.DBF"
[ "$out" = "Configuration File restored successfully." ] || fail "settings restore says: $out"
same "$bk/MASTER.INI" "$home/MASTER.INI" "restored settings"
expect 0 "table restore" -- "$cli" restore --table "$bk/MASTER.DBF"
[ "$out" = "Restore completed successfully." ] || fail "table restore says: $out"
"$cli" list "$db" --fields TITLE,YEAR >"$work/after.tsv"
same "$work/before.tsv" "$work/after.tsv" "records of the restored table in its order"
"$cli" check "$db" >/dev/null || fail "the restored table does not check"
"$cli" info "$db" | grep -qi "NewIndex" || fail "the restored table has no NewIndex"
expect 0 "lists restore" -- "$cli" restore --lists "$bk/MASTER.DBF"
same "$bk/MASTER.001" "$home/MASTER.001" "restored list 1"
grep -qx 'Warning: The following file "MASTER.014" could not be located on the specified source drive.' <<<"$err" \
    || fail "no warning for list 14: $err"
grep -qx 'Warning: The following file "MASTER.017" could not be located on the specified source drive.' <<<"$err" \
    || fail "no warning for list 17: $err"
[ "$out" = "One or more files were not restored.  Restore may not have completed successfully." ] \
    || fail "lists restore says: $out"
expect 0 "layouts restore" -- "$cli" restore --layouts "$bk/QLNVID.URP"
same "$bk/QLNVID.URP" "$home/QLNVID.URP" "restored layouts"

# --- refusals --------------------------------------------------------------------------------
expect 1 "table backup into its own folder" -- "$cli" backup "$db" --table "$home"
[ "$err" = "Destination File and Source File are identical.  You cannot copy a file  over top of itself.  Please choose a different directory/folder to backup to." ] \
    || fail "same folder message: $err"
expect 1 "layouts backup into the program folder" -- "$cli" backup "$db" --layouts "$home/"
[ "$err" = "Destination File and Source File are identical.  You cannot copy a file  over top of itself.  Please choose a different directory to backup to." ] \
    || fail "same folder layouts message: $err"
expect 1 "restore from the program folder" -- "$cli" restore --table "$home/MASTER.dbf"
grep -q "Please choose a different directory/folder to restore from." <<<"$err" || fail "restore identity: $err"
expect 1 "no layouts in the source folder" -- "$cli" restore --layouts "$work/empty/QLNVID.URP"
[ "$err" = 'The Report Definitions file "QLNVID.URP" could not be  located on the specified source drive.' ] \
    || fail "missing layouts message: $err"

# Another program holds the table.
"$PY" -c 'import fcntl, sys
f = open(sys.argv[1], "rb")
fcntl.lockf(f, fcntl.LOCK_SH)
print("locked", flush=True)
sys.stdin.read()' "$db" > "$work/holder.out" < <(sleep 60) &
holder_pid=$!
for _ in $(seq 100); do grep -q locked "$work/holder.out" 2>/dev/null && break; sleep 0.1; done
cp "$db" "$work/held.dbf"
expect 1 "backup of a held table" -- "$cli" backup "$db" --table "$work/empty"
grep -q "^Backing up the database requires exclusive use of the DBase File." <<<"$err" || fail "held backup: $err"
[ -e "$work/empty/MASTER.DBF" ] && fail "a held table was backed up"
expect 1 "restore over a held table" -- "$cli" restore --table "$bk/MASTER.DBF"
grep -q "^Unable to restore the database." <<<"$err" || fail "held restore: $err"
kill "$holder_pid" 2>/dev/null
wait "$holder_pid" 2>/dev/null
holder_pid=
same "$work/held.dbf" "$db" "a held table"

# No room: a sparse layouts file larger than the free space of the backup folder's file system.
avail=$(df --output=avail -B1 "$bk" | tail -1 | tr -d ' ')
cp "$home/QLNVID.URP" "$work/layouts.keep"
truncate -s $((avail + 1000000000)) "$home/QLNVID.URP"
expect 1 "no room for the layouts" -- "$cli" backup "$db" --layouts "$work/empty"
grep -q "^There is not enough room on the destination drive to backup this file." <<<"$err" || fail "room: $err"
[ -e "$work/empty/QLNVID.URP" ] && fail "layouts copied without room"
cp "$work/layouts.keep" "$home/QLNVID.URP"

# A file size limit stops the copy half way: the older backup stays whole, nothing is left over.
"$cli" generate "$db" --records 2000 --seed 3 >/dev/null
cp "$bk/MASTER.DBF" "$work/old-backup.dbf"
(trap '' XFSZ; ulimit -f 200; "$cli" backup "$db" --table "$bk") >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" = 1 ] || fail "limited backup exit $rc"
grep -q "^An error occurred during backup.  Backup not completed." "$work/err" || fail "limited backup: $(cat "$work/err")"
same "$work/old-backup.dbf" "$bk/MASTER.DBF" "the older backup"
[ -z "$(ls -A "$bk" | grep copy-)" ] || fail "left over: $(ls -A "$bk")"

# --- usage -----------------------------------------------------------------------------------
expect 2 "no kind" -- "$cli" backup "$db" "$bk"
expect 2 "two kinds" -- "$cli" backup "$db" --table --lists "$bk"
expect 2 "no folder" -- "$cli" backup "$db" --table
expect 2 "unknown kind" -- "$cli" restore --everything "$bk/MASTER.DBF"
expect 1 "missing folder" -- "$cli" backup "$db" --table "$work/nowhere"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "cli backup: all checks passed"
