#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it: the desktop entry and the
# metainfo validate, the package holds both programs and the desktop files, and its Depends name
# the Qt libraries the programs link. Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/release/build.ninja ] || cmake --preset release >/dev/null
cmake --build --preset release
desktop-file-validate dist/org.quillon.QuillonVideos.desktop
appstreamcli validate --no-net dist/org.quillon.QuillonVideos.metainfo.xml >/dev/null
rm -f build/release/quillon-videos_*.deb
(cd build/release && cpack -G DEB >/dev/null)
deb=$(ls build/release/quillon-videos_*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/quillon ./usr/bin/quillon-cli ./usr/share/applications/org.quillon.QuillonVideos.desktop \
    ./usr/share/metainfo/org.quillon.QuillonVideos.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/org.quillon.QuillonVideos.svg \
    ./usr/share/man/man1/quillon.1.gz ./usr/share/man/man1/quillon-cli.1.gz \
    ./usr/share/quillon-videos/help/contents.html; do
    grep -q " $f\$" <<<"$contents" || { echo "package: $f is missing from $deb" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "package: Depends lacks Qt Widgets: $depends" >&2; exit 1; }
# The desktop's own triggers refresh its caches: the package brings no maintainer scripts.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E '(preinst|postinst|prerm|postrm)$' || true)
[ -z "$scripts" ] || { echo "package: unexpected maintainer scripts: $scripts" >&2; exit 1; }
echo "$deb"
