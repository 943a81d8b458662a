#!/usr/bin/env bash
# The installed program: cmake --install into a staging folder (DESTDIR) puts every file where a
# Linux desktop expects it; both programs answer --version and --help with no display; the
# installed quillon's first start makes a complete program folder from the installed share folder.
# Usage: install.sh BUILD_FOLDER (QUILLON_SOURCE_DIR names the source tree)
set -uo pipefail
build=${1:?usage: install.sh BUILD_FOLDER}
src=${QUILLON_SOURCE_DIR:?QUILLON_SOURCE_DIR must name the source tree}
work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
id=org.quillon.QuillonVideos
stage=$work/stage

if ! DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
fi

# --- the installed files -----------------------------------------------------------------
(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed"
{
    echo usr/bin/quillon
    echo usr/bin/quillon-cli
    echo "usr/share/applications/$id.desktop"
    echo "usr/share/metainfo/$id.metainfo.xml"
    (cd "$src/dist/icons" && find hicolor -type f | sed 's|^|usr/share/icons/|')
    for page in "$src"/dist/man/*.1; do echo "usr/share/man/man1/$(basename "$page").gz"; done
    for page in "$src"/resources/help/*.html; do echo "usr/share/quillon-videos/help/$(basename "$page")"; done
    for list in "$src"/resources/lists/*.[Ll][Ss][Tt]; do
        [ -e "$list" ] && echo "usr/share/quillon-videos/lists/$(basename "$list")"
    done
} | LC_ALL=C sort >"$work/expected"
diff -u "$work/expected" "$work/installed" >&2 || fail "the installed files differ from the expected list"
# The files a desktop looks for by name, whatever the lists above say.
for f in usr/bin/quillon usr/bin/quillon-cli "usr/share/applications/$id.desktop" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" "usr/share/icons/hicolor/16x16/apps/$id.png" \
    "usr/share/icons/hicolor/256x256/apps/$id.png" "usr/share/metainfo/$id.metainfo.xml" \
    usr/share/man/man1/quillon.1.gz usr/share/man/man1/quillon-cli.1.gz \
    usr/share/quillon-videos/help/contents.html; do
    [ -f "$stage/$f" ] || fail "$f is not installed"
done
[ -x "$stage/usr/bin/quillon" ] || fail "quillon is not executable"
for size in 16 22 24 32 48 64 128 256; do
    png="$stage/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    file "$png" 2>/dev/null | grep -q "PNG image data, $size x $size" || fail "the ${size}x${size} icon is not a $size pixel PNG"
done
grep -q '^Exec=quillon %f$' "$stage/usr/share/applications/$id.desktop" || fail "the desktop entry does not pass the file"
grep -q "^Icon=$id$" "$stage/usr/share/applications/$id.desktop" || fail "the desktop entry names another icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$stage/usr/share/applications/$id.desktop" >&2 || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$stage/usr/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log" >&2; fail "appstreamcli validate"; }
fi
for page in quillon quillon-cli; do
    gzip -t "$stage/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is not a gzip file"
    if command -v man >/dev/null; then
        out=$(MANWIDTH=80 man -l "$stage/usr/share/man/man1/$page.1.gz" 2>"$work/man.err")
        [ -s "$work/man.err" ] && { cat "$work/man.err" >&2; fail "man -l $page warns"; }
        for heading in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES ENVIRONMENT EXAMPLES; do
            grep -q "^$heading" <<<"$out" || fail "man $page has no $heading"
        done
    fi
done

# --- --version and --help with no display -------------------------------------------------
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
for prog in quillon quillon-cli; do
    out=$(nodisplay "$stage/usr/bin/$prog" --version 2>"$work/err")
    rc=$?
    [ $rc -eq 0 ] || fail "$prog --version exits $rc: $(cat "$work/err")"
    grep -Eq "^$prog \(Quillon Videos 97\) [0-9]" <<<"$out" || fail "$prog --version says \"$out\""
    out=$(nodisplay "$stage/usr/bin/$prog" --help 2>"$work/err")
    rc=$?
    [ $rc -eq 0 ] || fail "$prog --help exits $rc: $(cat "$work/err")"
    grep -q "^Usage: $prog" <<<"$out" || fail "$prog --help has no usage line"
done
out=$(nodisplay "$stage/usr/bin/quillon" --help)
grep -q "/BROWSE" <<<"$out" || fail "quillon --help does not mention /BROWSE"
# A wrong option is refused before any window is made.
QT_QPA_PLATFORM=offscreen "$stage/usr/bin/quillon" --colour=red >/dev/null 2>"$work/err"
rc=$?
[ $rc -eq 2 ] || fail "quillon --colour=red exits $rc, expected 2"
grep -q "unknown option" "$work/err" || fail "quillon --colour=red says: $(cat "$work/err")"

# --- the first start of the installed program ---------------------------------------------
home=$work/home
share=$stage/usr/share/quillon-videos
QUILLON_HOME=$home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen \
    "$stage/usr/bin/quillon" >"$work/start.log" 2>&1 &
pid=$!
# What a complete program folder holds: the catalogue made at the first start, and every shipped
# list and help page.
wanted=("$home/MASTER.DBF" "$home/MASTER.MDX")
for f in "$share"/lists/*; do [ -e "$f" ] && wanted+=("$home/$(basename "$f")"); done
for f in "$share"/help/*; do wanted+=("$home/help/$(basename "$f")"); done
missing() {
    for f in "${wanted[@]}"; do [ -e "$f" ] || { echo "$f"; return 0; }; done
    return 1
}
# Waits for the program to get there (no time is measured; a program that never does fails).
for _ in $(seq 1 600); do
    missing >/dev/null || break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if lacking=$(missing); then
    cat "$work/start.log" >&2
    fail "the first start left the program folder without $lacking"
fi
kill -0 "$pid" 2>/dev/null || fail "quillon ended at its first start: $(cat "$work/start.log")"
for f in "$share"/lists/* "$share"/help/*; do
    [ -e "$f" ] || continue
    rel=${f#"$share"/}
    rel=${rel#lists/}
    cmp -s "$f" "$home/$rel" || fail "$rel in the program folder differs from the shipped file"
done
if [ -n "${QUILLON_CLI:-}" ]; then
    "$QUILLON_CLI" check "$home/MASTER.DBF" >&2 || fail "the first start's MASTER.DBF is no catalogue"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "install: all checks passed"
