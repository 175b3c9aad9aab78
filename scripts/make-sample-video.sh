#!/usr/bin/env bash
# Makes a short sample video to try the program on: a zoom into the Mandelbrot set that turns
# slowly, with a moving bright disc over it (real motion and strong contrast), 12 seconds of
# 352 x 288 MPEG-1 at 25 frames a second. Written to samples/ (not kept in git).
#
#   scripts/make-sample-video.sh [OUT.mpg]      default: samples/sample.mpg
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/samples/sample.mpg}
mkdir -p "$(dirname "$out")"
ffmpeg -hide_banner -v error -y \
  -f lavfi -i "mandelbrot=size=480x480:rate=25:start_scale=3:end_scale=0.02:end_pts=12:outer=normalized_iteration_count" \
  -f lavfi -i "color=c=black:size=352x288:rate=25,geq=lum='if(lt(hypot(X-176-120*sin(T*1.3),Y-144-80*cos(T*0.9)),28),235,16)':cb=128:cr=128,format=gray" \
  -filter_complex "[0]rotate=a=t*0.25:ow=352:oh=288,format=yuv420p[bg];[1]format=yuv420p[disc];[bg][disc]blend=all_mode=lighten,format=yuv420p" \
  -t 12 -c:v mpeg1video -q:v 3 -bf 2 "$out"
echo "$out"
