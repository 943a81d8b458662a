# Sourced by the quillon-cli peer scripts that count their failures: a work folder that holds the
# program folder and the settings (removed at the end, with a process that held a table), fail
# to count a failure, expect to run a command and check its exit code, and hold and release to
# have another process hold a table.
set -uo pipefail
: "${QUILLON_CLI:?QUILLON_CLI must name the quillon-cli binary}"
PY=/usr/bin/python3
cli=$QUILLON_CLI
work=$(mktemp -d)
holder_pid=
cleanup() {
    [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export QUILLON_HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# expect CODE DESCRIPTION -- COMMAND...: runs the command, keeps its stdout/stderr in $out/$err.
expect() {
    local code=$1 what=$2
    shift 3
    "$@" >"$work/out" 2>"$work/err"
    local rc=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
    [ "$rc" -eq "$code" ] || fail "$what: exit $rc, expected $code (stdout: $out; stderr: $err)"
}

# hold FILE: another process takes a shared fcntl lock on the file and keeps it until release.
hold() {
    rm -f "$work/ready"
    mkfifo "$work/ready"
    $PY -c 'import fcntl, sys, time
f = open(sys.argv[1], "rb")
fcntl.lockf(f, fcntl.LOCK_SH)
open(sys.argv[2], "w").write("locked\n")
time.sleep(120)' "$1" "$work/ready" &
    holder_pid=$!
    read -r _ <"$work/ready"
}
release() {
    kill "$holder_pid"
    wait "$holder_pid" 2>/dev/null
    holder_pid=
}
