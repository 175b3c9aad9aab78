#!/usr/bin/env bash
# Quick start: installs what is missing, builds the program and kqltool (not the tests), and
# starts the program; arguments go to it (quellon VIDEO, quellon MOVIE.kql, --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DQUELLON_WERROR=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target quellon kqltool
exec "$dir/app/quellon" "$@"
