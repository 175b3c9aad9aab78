#!/usr/bin/env bash
# Builds the Debian package quellon_<version>_amd64.deb and prints its path. It uses the
# build folder of run.sh and test.sh (build/, or the one given), so what they built is not
# built again: the program, kqltool and their manual pages, installed under /usr by CPack
# (stripped), with dependencies from dpkg-shlibdeps.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DQUELLON_WERROR=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target quellon kqltool quellon_manpages quellon_docs >&2
rm -f "$dir"/quellon_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$dir"/quellon_*_amd64.deb
