#!/usr/bin/env bash
# Checks the Debian package of a build folder as an administrator would meet
# it: lintian without errors, the desktop entry and the AppStream metadata
# valid, then the package unpacked into a temporary folder and run from there
# without a display: its version, and a report written from the report
# definitions it installed.
#   checkpackage.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: checkpackage.sh BUILD_DIR}
deb=$(ls "$build"/vok_*.deb 2>/dev/null | sort -V | tail -n 1)
[ -n "$deb" ] || { echo "checkpackage: no vok_*.deb in $build (make package)" >&2; exit 1; }

fail() { echo "checkpackage: $*" >&2; exit 1; }

echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Installed-Size

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"

echo "== files"
for file in usr/bin/vok usr/share/applications/vok.desktop usr/share/metainfo/ro.mecanizare.vok.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/vok.svg usr/share/icons/hicolor/48x48/apps/vok.png \
            usr/share/icons/hicolor/256x256/apps/vok.png usr/share/man/man1/vok.1.gz \
            usr/share/doc/vok/copyright usr/share/vok/reports/rappiese.rpt; do
  [ -s "$root/$file" ] || fail "$file is missing from the package"
done
[ "$(ls "$root"/usr/share/vok/reports/*.rpt | wc -l)" -ge 8 ] || fail "report definitions are missing"

echo "== desktop entry"
desktop-file-validate "$root/usr/share/applications/vok.desktop" || fail "desktop entry not valid"
grep -qx 'Exec=vok' "$root/usr/share/applications/vok.desktop" || fail "desktop entry does not start vok"

echo "== AppStream metadata"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream metadata not valid"

echo "== manual page"
warnings=$(man --warnings -l "$root/usr/share/man/man1/vok.1.gz" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"

# Run from where it was unpacked: no display, nothing of the build folder.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u VOK_REPORTS_DIR -u VOK_DATA_DIR -u VOK_DATABASE \
    HOME="$work/home" "$root/usr/bin/vok" "$@"
}
mkdir -p "$work/home"

echo "== vok --version"
version=$(run --version) || fail "vok --version failed"
echo "$version"
[ "$version" = "vok $(dpkg-deb --field "$deb" Version)" ] || fail "vok --version says '$version'"

echo "== a report from the installed definitions"
# A data folder with an empty database: the report opens it, finds no rows
# and still prints its title and headings.
mkdir -p "$work/data"
: >"$work/data/vok.db"
run --data-dir "$work/data" --report rappiese.rpt --selection "{piese.ida}=1" --pdf "$work/piese.pdf" ||
  fail "the report failed"
pdftotext "$work/piese.pdf" - | grep -q "PIESE" || fail "the report's PDF lacks its title"
echo "report written: $(pdfinfo "$work/piese.pdf" | grep -E '^Pages:')"
echo "== the package is sound"
