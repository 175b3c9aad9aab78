#!/usr/bin/env bash
# Makes a short sample video to try the program on: a colony of the Game of Life growing and
# fading over a soft gradient, with a bright disc moving across it (real motion, strong
# contrast and every shade in between), 12 seconds of 352 x 288 MPEG-1 at 25 frames a second.
# Written to samples/ (not kept in git).
#
#   scripts/make-sample-video.sh [OUT.mpg]      default: samples/sample.mpg
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/samples/sample.mpg}
mkdir -p "$(dirname "$out")"
ffmpeg -hide_banner -v error -y \
  -f lavfi -i "life=size=88x72:rate=25:ratio=0.3:death_color=#203040:life_color=#f0e0c0:mold=20:mold_color=#406080:seed=7" \
  -f lavfi -i "color=c=black:size=352x288:rate=25,geq=lum='if(lt(hypot(X-176-120*sin(T*1.3),Y-144-80*cos(T*0.9)),28),235,16+(X+Y)/6)':cb=128:cr=128" \
  -filter_complex "[0]scale=352:288:flags=neighbor,format=yuv420p[life];[1]format=yuv420p[disc];[life][disc]blend=all_mode=lighten,format=yuv420p" \
  -t 12 -c:v mpeg1video -q:v 3 -bf 2 "$out"
echo "$out"
