#!/usr/bin/env bash
# Makes the seed corpus of the fuzz targets in FOLDER/<target>/: tiny videos of every
# container and codec the decoder is tested on (made with the ffmpeg command), and the
# pictures and layouts that the fuzz_seeds program writes.
# Usage: scripts/fuzz-seeds.sh FUZZ_SEEDS_PROGRAM FOLDER
set -euo pipefail
seeds_program=$1
out=$2
mkdir -p "$out/decode"
"$seeds_program" "$out"
# Eight 32 x 32 pictures keep every file a few kilobytes, so the fuzzer mutates them fast.
pattern=(-f lavfi -i "testsrc=size=32x32:rate=25" -frames:v 8 -pix_fmt yuv420p)
x264=(-c:v libx264 -preset veryfast -bf 3 -g 4)
make() {  # make NAME ARGS...: one seed video
  local name=$1; shift
  [[ -s "$out/decode/$name" ]] || ffmpeg -nostdin -y -v error "$@" "$out/decode/$name"
}
make m1.mpg "${pattern[@]}" -c:v mpeg1video -bf 2 -g 4 -f mpeg
make m2.vob "${pattern[@]}" -c:v mpeg2video -bf 2 -g 4 -f vob
make m2.ts "${pattern[@]}" -c:v mpeg2video -bf 2 -g 4 -f mpegts
make m2.m2v "${pattern[@]}" -c:v mpeg2video -bf 2 -g 4 -f mpeg2video
make m4.avi "${pattern[@]}" -c:v mpeg4 -bf 2 -g 4
make mj.avi "${pattern[@]/yuv420p/yuvj420p}" -c:v mjpeg
make h.mp4 "${pattern[@]}" "${x264[@]}"
make h.mkv "${pattern[@]}" "${x264[@]}"
make h.ts "${pattern[@]}" "${x264[@]}" -f mpegts
make h.h264 "${pattern[@]}" "${x264[@]}" -f h264
make h.avi "${pattern[@]}" "${x264[@]}"
make refresh.mkv "${pattern[@]}" -c:v libx264 -preset veryfast -bf 3 -x264-params intra-refresh=1:keyint=4
make v.webm "${pattern[@]}" -c:v libvpx-vp9 -g 4 -deadline realtime -cpu-used 8
make sound.wav -f lavfi -i "sine=duration=0.05" -ac 1 -ar 8000
# Two transport streams of different lengths joined end to end.
if [[ ! -s "$out/decode/spliced.ts" ]]; then
  ffmpeg -nostdin -y -v error -f lavfi -i "testsrc=size=32x32:rate=25" -frames:v 5 -pix_fmt yuv420p \
    -c:v mpeg2video -bf 2 -g 4 -f mpegts "$out/decode/part.ts"
  cat "$out/decode/m2.ts" "$out/decode/part.ts" > "$out/decode/spliced.ts"
  rm "$out/decode/part.ts"
fi
