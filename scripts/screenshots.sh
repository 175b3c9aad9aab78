#!/usr/bin/env bash
# Remakes the README's pictures under a virtual X display: the sample video (made when
# missing) open in the main window, the zone moved and the greys tuned; a movie captured from
# the sample by kqltool, chosen in the player window and shown at a frame along the way; and
# the same movie as an animated GIF. Writes docs/main-window.png, docs/player-window.png and
# docs/sample-movie.gif. The movie is written to a fixed folder, so the name the player window
# shows does not depend on where the checkout lies.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[ -f "$root/samples/sample.mpg" ] || "$root/scripts/make-sample-video.sh" >/dev/null
cmake --build "$build" -j2 --target quellon-shots kqltool >/dev/null
mkdir -p "$root/docs"
movies=/tmp/quellon-screenshots
mkdir -p "$movies"
# 36 frames, every third of the video's from its first second: about four seconds of it,
# played in about as long. The zone takes in the middle of the picture.
"$build/tools/kqltool/kqltool" capture "$root/samples/sample.mpg" "$movies/sample-movie.kql" \
  --start 24 --skip 3 --frames-per-file 36 --zone 40,70,197,120 --relay-ms 5 >/dev/null
"$build/tools/kqltool/kqltool" render "$movies/sample-movie.kql" "$root/docs/sample-movie.gif" --scale 2
xvfb-run -a -s "-screen 0 1024x768x24" "$build/tools/shots/quellon-shots" "$root/samples/sample.mpg" \
  "$movies/sample-movie.kql" "$root/docs/main-window.png" "$root/docs/player-window.png"
echo "$root/docs/main-window.png $root/docs/player-window.png $root/docs/sample-movie.gif"
