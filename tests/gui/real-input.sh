#!/usr/bin/env bash
# The real program driven as a person drives it: under its own virtual X display with the
# openbox window manager, through real pointer and keyboard events (xdotool). It opens a
# video through the Open dialog, steps and drags the position bar, moves and resizes the
# zone, tunes the greys, chooses ordered dithering from the preview's menu, captures through the Save dialog and compares the files byte for
# byte with `kqltool capture` on the same settings; it opens the player window by a click with
# the capture chosen, plays and stops it, uses a message box by clicks, and closes the windows
# with the window manager's close button.
#
#   tests/gui/real-input.sh QUELLON KQLTOOL WORKDIR
#
# Each step leaves a screenshot in WORKDIR (NN-step.png); a failure names the step and the
# last screenshot. Every wait is bounded; the program and the window manager are ended by
# their process ids whatever happens.
set -uo pipefail

if [[ "${1:-}" != --inside ]]; then
  (($# == 3)) || { echo "usage: $0 QUELLON KQLTOOL WORKDIR" >&2; exit 2; }
  for tool in xvfb-run xdotool openbox xwininfo xprop import compare ffmpeg; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: install scripts/packages.txt" >&2; exit 1; }
  done
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$@"
fi
shift
quellon=$(realpath "$1") kqltool=$(realpath "$2") work=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
export QT_QPA_PLATFORM=xcb

[[ $work != / && $work != "$HOME" ]] || { echo "refusing to empty $work" >&2; exit 2; }
rm -rf "$work" && mkdir -p "$work/window" "$work/tool"
step_no=0 step_name=start last_shot=none app_pid='' wm_pid=''

cleanup() {
  local pid
  for pid in $app_pid $wm_pid; do kill "$pid" 2>/dev/null; done
  sleep 0.3
  for pid in $app_pid $wm_pid; do kill -9 "$pid" 2>/dev/null; done
}
trap cleanup EXIT

shot() {
  local name=${1:-$step_name}
  name=${name//[^A-Za-z0-9]/-}
  last_shot="$work/$(printf %02d "$step_no")-$name.png"
  import -window root "$last_shot" 2>/dev/null
}
step() {
  step_no=$((step_no + 1)) step_name=$1
  echo "step $step_no: $step_name"
}
fail() {
  echo "FAILED in step $step_no ($step_name): $*"
  shot failure
  echo "last screenshot: $last_shot"
  [[ -s $work/quellon.log ]] && { echo "program output:"; cat "$work/quellon.log"; }
  exit 1
}

# Runs "$@" every 100 ms until it succeeds, for at most $2 seconds.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  local tries=$((seconds * 10))
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.1
  done
  fail "no $what after $seconds s"
}

# The visible top-level window titled exactly $1 (its id in $found).
visible() { found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1); [[ -n $found ]]; }
gone() { ! visible "$1"; }
# Waits for that window, at most $2 seconds (10), and a moment more for it to be drawn and
# take input; its id in $found.
window() {
  wait_for "window \"$1\"" "${2:-10}" visible "$1"
  sleep 0.3
}
wait_gone() { wait_for "closing of \"$1\"" "${2:-10}" gone "$1"; }

# Client-area geometry of a window: sets wx wy ww wh.
geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
}

# A click at client coordinates of window $1. A pause before the press lets the program
# see the pointer arrive, as a person's hand gives it.
click() {
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.15
  xdotool click 1
  sleep 0.15
}
# A press at ($2,$3), moves in $6 steps to ($4,$5), and the release there.
drag() {
  local w=$1 x0=$2 y0=$3 x1=$4 y1=$5 n=${6:-8} k
  xdotool mousemove --window "$w" "$x0" "$y0"
  sleep 0.15
  xdotool mousedown 1
  sleep 0.1
  for ((k = 1; k <= n; k++)); do
    xdotool mousemove --window "$w" $((x0 + (x1 - x0) * k / n)) $((y0 + (y1 - y0) * k / n))
    sleep 0.05
  done
  sleep 0.1
  xdotool mouseup 1
  sleep 0.15
}
keys() { xdotool key --delay 60 "$@"; sleep 0.2; }
type_text() { xdotool type --delay 10 "$1"; sleep 0.2; }

# Qt's file dialog: the name field and "Open" / "Save" on one row, "Cancel" under them, in
# its bottom right corner; a message box: its lone "OK" in its bottom right corner.
dialog_type_name() {
  type_text "$2"
  geometry "$1"
  # Typing a path opens a list of completions; a click in the field closes it (a click
  # elsewhere would only close the list).
  click "$1" 300 $((wh - 54))
}
dialog_accept() { geometry "$1"; click "$1" $((ww - 40)) $((wh - 54)); }
dialog_cancel() { geometry "$1"; click "$1" $((ww - 40)) $((wh - 24)); }
box_ok() { geometry "$1"; click "$1" $((ww - 50)) $((wh - 22)); }

# The window manager's close button: at the right end of the title bar over window $1.
close_by_frame() {
  local ax ay aw
  read -r ax ay aw < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                              /Width:/ { w = $NF } END { print x, y, w }')
  xdotool mousemove $((ax + aw - 11)) $((ay - 11))
  sleep 0.15
  xdotool click 1
  sleep 0.15
}

# Standard deviation of a client-area rectangle of window $1, in 0..1: 0 for a blank area.
area_spread() {
  import -window "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -format '%[fx:standard_deviation]' info: 2>/dev/null
}
# The preview above the zone: blank until a video shows.
has_picture() { awk -v s="$(area_spread "$1" 8 42 320 70)" 'BEGIN { exit !(s > 0.02) }'; }
grab_preview() { import -window "$main" -crop 320x240+8+42 +repage "$work/$1.png" 2>/dev/null; }
# Whether the preview now differs from the one saved as $1 (saved anew as $2).
preview_changed() {
  grab_preview "$2"
  [[ $(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) != 0 ]]
}
# A client-area rectangle of window $1 saved as $work/$6.png, and whether it differs from
# (area_differs) or equals (area_equals) the one saved as $7.
grab_area() { import -window "$1" -crop "$4x$5+$2+$3" +repage "$work/$6.png" 2>/dev/null; }
area_differs() {
  grab_area "$@"
  [[ $(compare -metric AE "$work/$6.png" "$work/$7.png" null: 2>&1) != 0 ]]
}
area_equals() {
  grab_area "$@"
  [[ $(compare -metric AE "$work/$6.png" "$work/$7.png" null: 2>&1) == 0 ]]
}
file_size_is() { [[ -f $1 ]] && (($(stat -c %s "$1") == $2)); }

main_title="Quellon v0.3 by Dresko"

step "make the sample video"
sample="$work/sample.mpg"
"$root/scripts/make-sample-video.sh" "$sample" >/dev/null || fail "ffmpeg could not make the sample"
printf 'not a video\n' >"$work/bad.mpg"

step "start the window manager and the program"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for "window manager" 10 wm_ready
(cd "$work" && exec "$quellon") >"$work/quellon.log" 2>&1 &
app_pid=$!
window "$main_title" 15; main=$found
sleep 0.5
shot

step "keyboard: the tab order wraps from Play KQ movies to Open"
xdotool windowactivate --sync "$main" 2>/dev/null
sleep 0.3
# From "Open" (the first stop) one step back is the last stop, "Play KQ movies".
keys shift+Tab space
window Form2 5; form2=$found
shot form2-by-keyboard
close_by_frame "$form2"
wait_gone Form2
sleep 0.3
keys Tab space
window Open 5; dialog=$found
shot open-by-keyboard
dialog_cancel "$dialog"
wait_gone Open

step "a video that cannot be opened: the message box takes a click"
click "$main" 117 20
window Open 10; dialog=$found
dialog_type_name "$dialog" "$work/bad.mpg"
shot
dialog_accept "$dialog"
wait_gone Open
window Quellon 10; box=$found
shot
box_ok "$box"
wait_gone Quellon

step "open the sample through the Open dialog"
click "$main" 117 20
window Open 10; dialog=$found
dialog_type_name "$dialog" "$sample"
shot
dialog_accept "$dialog"
wait_gone Open
wait_for "picture in the preview" 15 has_picture "$main"
shot

step "step and drag the position bar"
grab_preview preview-start
# The bar: 265 x 13 at (32, 296); its arrows are at its ends.
click "$main" 290 302
click "$main" 290 302
wait_for "new picture after two steps" 10 preview_changed preview-start preview-stepped
drag "$main" 50 302 200 302
wait_for "new picture after a drag of the bar" 10 preview_changed preview-stepped preview-dragged
shot dragged-bar
# Back to the start beyond its left end, then five steps: position 5, frame 15 at skip 3.
drag "$main" 200 302 0 302
for _ in 1 2 3 4 5; do click "$main" 290 302; done
shot

step "move and resize the zone"
# The zone: 131 x 80 at (96, 120). Grabbed inside, moved by (40, 30); then its bottom
# right corner pulled by (30, 20).
drag "$main" 150 150 190 180
drag "$main" $((136 + 129)) $((150 + 78)) $((136 + 129 + 30)) $((150 + 78 + 20))
shot

step "brightness and contrast"
# Brightness bar at (352, 224), contrast bar at (352, 256), each 121 x 13.
for _ in 1 2 3; do click "$main" $((352 + 115)) 230; done
for _ in 1 2; do click "$main" $((352 + 5)) 262; done
shot

step "ordered dithering from the converted preview's menu"
# The converted preview: 131 x 80 at (350, 121). A right-click there opens the menu at the
# pointer; "Ordered dithering", its second item, lies about 32 px below it. The pointer then
# leaves the preview so that its hint does not cover it.
geometry "$main"
grab_area root $((wx + 420)) $((wy + 165)) 200 80 menu-closed
grab_area "$main" 350 121 131 80 view-plain
xdotool mousemove --window "$main" 415 160
sleep 0.15
xdotool click 3
wait_for "menu over the preview" 5 area_differs root $((wx + 420)) $((wy + 165)) 200 80 menu-open menu-closed
shot menu
click "$main" 455 192
xdotool mousemove --window "$main" 200 390
wait_for "dithered preview" 5 area_differs "$main" 350 121 131 80 view-ordered view-plain
shot

step "two files: Multi-file"
click "$main" 40 368
shot

step "capture through the Save dialog"
click "$main" 84 340
window "Save As" 10; dialog=$found
dialog_type_name "$dialog" "$work/window/cap.kql"
shot
dialog_accept "$dialog"
wait_gone "Save As"
frame_bytes=5240
wait_for "first file whole" 30 file_size_is "$work/window/cap1.kql" $((8 * frame_bytes))
wait_for "second file whole" 30 file_size_is "$work/window/cap2.kql" $((8 * frame_bytes))
sleep 1
shot

step "the same capture by kqltool, byte for byte"
"$kqltool" capture "$sample" "$work/tool/cap.kql" --start 15 --skip 3 --frames-per-file 8 --files 2 \
  --zone 136,150,161,100 --brightness 19 --contrast 6 --dither ordered >"$work/kqltool.log" 2>&1 ||
  fail "kqltool capture failed: $(cat "$work/kqltool.log")"
for f in cap1.kql cap2.kql; do
  cmp "$work/window/$f" "$work/tool/$f" || fail "$f differs from kqltool's"
done
[[ -z $(ls "$work/window" | grep -v -x -e cap1.kql -e cap2.kql) ]] || fail "unexpected files: $(ls "$work/window")"

step "the player window by a click, with the capture chosen: Play, then Stop"
click "$main" 212 20
window Form2 10; form2=$found
# The screen area: 131 x 80 at (80, 56); the frame counter beside "Play" (224, 64) and
# "Stop" (224, 96), from (312, 70). The series plays 16 frames in under two seconds.
screen=(80 56 131 80) counter=(312 66 100 16)
has_movie() { awk -v s="$(area_spread "$form2" "${screen[@]}")" 'BEGIN { exit !(s > 0.02) }'; }
wait_for "frame 0 of the capture in the screen area" 10 has_movie
sleep 0.3
grab_area "$form2" "${screen[@]}" screen-before-play
grab_area "$form2" "${counter[@]}" counter-before-play
shot
click "$form2" 261 76
wait_for "a later frame in the counter" 10 area_differs "$form2" "${counter[@]}" counter-playing counter-before-play
# Stop at once: the counter's picture while playing is kept, and a whole screenshot here
# would eat into the two seconds the series plays.
click "$form2" 261 108
wait_for "frame 0 back in the screen area" 5 area_equals "$form2" "${screen[@]}" screen-after-stop screen-before-play
wait_for "frame 1 back in the counter" 5 area_equals "$form2" "${counter[@]}" counter-after-stop counter-before-play
shot stopped

step "the player window's Open dialog by clicks"
click "$form2" 357 28
window Open 10; dialog=$found
shot
dialog_cancel "$dialog"
wait_gone Open
close_by_frame "$form2"
wait_gone Form2

step "close the main window with the window manager"
close_by_frame "$main"
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for "end of the program" 10 ended
wait "$app_pid"
status=$?
app_pid=''
((status == 0)) || fail "the program ended with status $status"
shot
echo "all $step_no steps passed"
