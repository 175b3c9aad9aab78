#!/usr/bin/env bash
# Remakes the README's pictures under a virtual X display: the sample video (made when
# missing) open in the main window, the zone moved and the greys tuned; a movie captured from
# the sample by kqltool, chosen in the player window and shown at a frame along the way; and
# the same movie as an animated GIF. Writes docs/main-window.png, docs/player-window.png and
# docs/sample-movie.gif. The movie is written to a fixed folder, so the name the player window
# shows does not depend on where the checkout lies.
#
# Also docs/dither-modes.png: one still (a shaded ball over a soft gradient, drawn by ffmpeg)
# converted with each --dither mode and drawn side by side at scale 3.
#
#   scripts/screenshots.sh               every picture
#   scripts/screenshots.sh dither-modes  only docs/dither-modes.png (no X display needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
movies=/tmp/quellon-screenshots
mkdir -p "$root/docs" "$movies"

dither_modes() {
  cmake --build "$build" -j2 --target kqltool >/dev/null
  ffmpeg -hide_banner -v error -y -f lavfi -i "color=black:size=352x288,geq=lum='st(0,(X-200)/95);st(1,(Y-150)/95);\
st(2,ld(0)*ld(0)+ld(1)*ld(1));if(lt(ld(2),1),30+200*max(0,-0.55*ld(0)-0.45*ld(1)+0.7*sqrt(1-ld(2))),20+X*0.35+Y*0.15)'\
:cb=128:cr=128" -frames:v 1 "$movies/still.png"
  local labels=()
  for mode in none ordered diffusion; do
    "$build/tools/kqltool/kqltool" convert-image "$movies/still.png" "$movies/$mode.kql" --zone 8,42,320,240 \
      --dither "$mode"
    "$build/tools/kqltool/kqltool" render "$movies/$mode.kql" "$movies/$mode.png" --scale 3
    labels+=(-label "$mode" "$movies/$mode.png")
  done
  montage -font Liberation-Sans -pointsize 16 "${labels[@]}" -tile 3x1 -geometry +6+6 "$root/docs/dither-modes.png"
}

if [ "${1:-}" = dither-modes ]; then
  dither_modes
  echo "$root/docs/dither-modes.png"
  exit 0
fi

[ -f "$root/samples/sample.mpg" ] || "$root/scripts/make-sample-video.sh" >/dev/null
cmake --build "$build" -j2 --target quellon-shots kqltool >/dev/null
# 36 frames, every third of the video's from its first second: about four seconds of it,
# played in about as long. The zone takes in the middle of the picture.
"$build/tools/kqltool/kqltool" capture "$root/samples/sample.mpg" "$movies/sample-movie.kql" \
  --start 24 --skip 3 --frames-per-file 36 --zone 40,70,197,120 --relay-ms 5 >/dev/null
"$build/tools/kqltool/kqltool" render "$movies/sample-movie.kql" "$root/docs/sample-movie.gif" --scale 2
xvfb-run -a -s "-screen 0 1024x768x24" "$build/tools/shots/quellon-shots" "$root/samples/sample.mpg" \
  "$movies/sample-movie.kql" "$root/docs/main-window.png" "$root/docs/player-window.png"
dither_modes
echo "$root/docs/main-window.png $root/docs/player-window.png $root/docs/sample-movie.gif $root/docs/dither-modes.png"
