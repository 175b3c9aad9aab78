#!/usr/bin/env bash
# Remakes the README's pictures of the two windows under a virtual X display: the sample video
# (made when missing) open in the main window, the zone moved and the greys tuned, and the
# player window with a movie chosen. Writes docs/main-window.png and docs/player-window.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[ -f "$root/samples/sample.mpg" ] || "$root/scripts/make-sample-video.sh" >/dev/null
cmake --build "$build" -j2 --target quellon-shots >/dev/null
mkdir -p "$root/docs"
xvfb-run -a -s "-screen 0 1024x768x24" "$build/tools/shots/quellon-shots" "$root/samples/sample.mpg" \
  "$root/docs/main-window.png" "$root/docs/player-window.png"
echo "$root/docs/main-window.png $root/docs/player-window.png"
