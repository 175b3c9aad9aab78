#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: the desktop entry, the
# AppStream description and lintian (no errors) first, then the package installed with
# apt-get, the installed quellon and kqltool run (a capture of a generated video, with no
# session's runtime folder, so that standard error must hold nothing), and the package
# removed again. Run as root or with sudo. Usage: scripts/package-check.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
sudo_cmd=()
[[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)

fail() { echo "package check: $*" >&2; exit 1; }

if dpkg-query -W -f='${Status}' quellon 2>/dev/null | grep -q "install ok installed"; then
  fail "a quellon package is installed already; remove it first (apt-get remove quellon)"
fi

desktop-file-validate "$root/data/quellon.desktop"
appstreamcli validate --no-net "$root/data/org.quellon.Quellon.metainfo.xml" >/dev/null
deb=$("$root/scripts/package.sh" "$dir" | tail -n 1)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

echo "lintian:"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"

work=$(mktemp -d)
removed=0
cleanup() {
  ((removed)) || "${sudo_cmd[@]}" apt-get remove -y -qq quellon >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null

for f in /usr/bin/quellon /usr/bin/kqltool /usr/share/applications/quellon.desktop \
         /usr/share/icons/hicolor/scalable/apps/quellon.svg /usr/share/icons/hicolor/48x48/apps/quellon.png \
         /usr/share/mime/packages/quellon.xml /usr/share/man/man1/quellon.1.gz /usr/share/man/man1/kqltool.1.gz \
         /usr/share/doc/quellon/copyright; do
  [[ -e $f ]] || fail "not installed: $f"
done
grep -q 'application/x-quellon-movie:\*\.kql' /usr/share/mime/globs2 || fail "*.kql is not known as a Quellon movie"

version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/quellon --version)
[[ $version == "quellon $(dpkg-deb --field "$deb" Version)" ]] || fail "quellon --version says \"$version\""
echo "$version"
/usr/bin/kqltool --help >/dev/null || fail "kqltool --help failed"

ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -frames:v 30 -c:v mpeg1video -q:v 2 "$work/clip.mpg"
env -u XDG_RUNTIME_DIR -u DISPLAY /usr/bin/kqltool capture "$work/clip.mpg" "$work/clip.kql" --frames-per-file 10 \
  --relay-ms 1 >"$work/out.txt" 2>"$work/err.txt" || { cat "$work/err.txt" >&2; fail "kqltool capture failed"; }
[[ ! -s $work/err.txt ]] || { cat "$work/err.txt" >&2; fail "kqltool capture wrote on standard error"; }
[[ $(stat -c %s "$work/clip.kql") -eq $((10 * 5240)) ]] || fail "the capture did not write 10 frames"
/usr/bin/kqltool info "$work/clip.kql"

"${sudo_cmd[@]}" apt-get remove -y -qq quellon >/dev/null
removed=1
[[ ! -e /usr/bin/quellon ]] || fail "quellon is still there after the package was removed"
echo "package check: passed"
