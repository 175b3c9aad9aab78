#!/usr/bin/env bash
# Checks the include lines of every source file against the layering of the program:
#
#   layer   a file includes no header of a layer above its own. From the bottom up:
#           platform/base; platform/user, platform/gdi, platform/com, platform/registry;
#           platform/dshow/decode; platform/dshow; platform/mediaplayer; framework; axhost;
#           videosource; convert; app. tools/, bench/ and tests/ may include anything, and
#           no layer includes them.
#   qt      Qt is included only in framework/, platform/user, platform/gdi, tools/, bench/
#           and tests/, directly or through one of our headers that includes it.
#   ffmpeg  FFmpeg is included only in platform/dshow/decode, directly or through one of
#           our headers that includes it.
#   iface   above the framework (axhost, videosource, convert, app) the player and the
#           filter graph are reached only through their interface headers
#           (MediaPlayerInterfaces.h, DShowInterfaces.h, DShowTypes.h, MediaTypes.h), and
#           those headers include nothing else of the player or the graph: they are what a
#           host knows of them, as a type library would tell it.
#
# Prints one line per fault ("file:line: rule: what") and exits 1 when there is any.
# Usage: scripts/check-layers.sh [ROOT]   (ROOT: the repository, by default this script's)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

dirs=()
for d in platform framework axhost videosource convert app tools bench tests; do
  [[ -d $d ]] && dirs+=("$d")
done

grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' --include='*.c' \
     '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "${dirs[@]}" |
awk '
function rank(path) {
    # The layer of a file of the repository, bottom up; 100: may include anything.
    if (path ~ /^platform\/base\//) return 0
    if (path ~ /^platform\/(user|gdi|com|registry)\//) return 1
    if (path ~ /^platform\/dshow\/decode\//) return 2
    if (path ~ /^platform\/dshow\//) return 3
    if (path ~ /^platform\/mediaplayer\//) return 4
    if (path ~ /^framework\//) return 5
    if (path ~ /^axhost\//) return 6
    if (path ~ /^videosource\//) return 7
    if (path ~ /^convert\//) return 8
    if (path ~ /^app\//) return 9
    return 100
}
function layer(path,    parts) {
    if (path ~ /^platform\/dshow\/decode\//) return "platform/dshow/decode"
    if (path ~ /^platform\//) { split(path, parts, "/"); return parts[1] "/" parts[2] }
    split(path, parts, "/"); return parts[1]
}
function qtAllowed(path) { return path ~ /^(framework|platform\/user|platform\/gdi|tools|bench|tests)\// }
function ffmpegAllowed(path) { return path ~ /^platform\/dshow\/decode\// }
function isQt(name) { return name ~ /^(Qt[A-Za-z]*\/)?Q[A-Za-z]+(\.h)?$/ || name ~ /^q[a-z]+\.h$/ }
function isFfmpeg(name) { return name ~ /^lib(avcodec|avformat|avutil|avfilter|avdevice|swscale|swresample|postproc)\// }
function isInterface(name) {
    return name ~ /^platform\/mediaplayer\/MediaPlayerInterfaces\.h$/ ||
           name ~ /^platform\/dshow\/(DShowInterfaces|DShowTypes|MediaTypes)\.h$/
}
function resolve(file, name,    dir) {
    # Includes are written from the repository root; others are relative to the file.
    if (name ~ /^(platform|framework|axhost|videosource|convert|app|tools|bench|tests)\//) return name
    dir = file; sub(/[^\/]*$/, "", dir)
    name = dir name
    while (sub(/[^\/.][^\/]*\/\.\.\//, "", name)) {}
    return name
}
{
    # file:line:text
    file = $0; sub(/:.*/, "", file)
    rest = substr($0, length(file) + 2)
    line = rest; sub(/:.*/, "", line)
    text = substr(rest, length(line) + 2)
    quoted = text ~ /^[[:space:]]*#[[:space:]]*include[[:space:]]*"/
    name = text; sub(/^[^<"]*[<"]/, "", name); sub(/[>"].*$/, "", name)
    n++
    F[n] = file; L[n] = line; Q[n] = quoted
    N[n] = quoted ? resolve(file, name) : name
    if (!quoted && isQt(name)) qt[file] = name
    if (!quoted && isFfmpeg(name)) ff[file] = name
}
END {
    # Our headers that include Qt or FFmpeg, however indirectly.
    do {
        grown = 0
        for (i = 1; i <= n; i++) {
            if (!Q[i]) continue
            if ((N[i] in qt) && !(F[i] in qt)) { qt[F[i]] = N[i]; grown = 1 }
            if ((N[i] in ff) && !(F[i] in ff)) { ff[F[i]] = N[i]; grown = 1 }
        }
    } while (grown)

    faults = 0
    for (i = 1; i <= n; i++) {
        file = F[i]; name = N[i]; where = file ":" L[i] ": "
        if (Q[i] && rank(name) > rank(file)) {
            print where "layer: " layer(file) " includes \"" name "\" of " layer(name) ", a layer above it"
            faults++
        }
        if (!qtAllowed(file)) {
            if (!Q[i] && isQt(name)) {
                print where "qt: includes <" name ">; Qt belongs in framework/, platform/user and platform/gdi"
                faults++
            } else if (Q[i] && (name in qt)) {
                print where "qt: includes \"" name "\", which brings in Qt; Qt belongs in framework/, platform/user and platform/gdi"
                faults++
            }
        }
        if (!ffmpegAllowed(file)) {
            if (!Q[i] && isFfmpeg(name)) {
                print where "ffmpeg: includes <" name ">; FFmpeg belongs in platform/dshow/decode"
                faults++
            } else if (Q[i] && (name in ff)) {
                print where "ffmpeg: includes \"" name "\", which brings in FFmpeg; FFmpeg belongs in platform/dshow/decode"
                faults++
            }
        }
        if (Q[i] && name ~ /^platform\/(mediaplayer|dshow)\// && !isInterface(name)) {
            if (rank(file) >= rank("axhost/") && rank(file) < 100) {
                print where "iface: " layer(file) " includes \"" name "\"; above the framework the player and the filter graph are reached only through MediaPlayerInterfaces.h, DShowInterfaces.h, DShowTypes.h and MediaTypes.h"
                faults++
            } else if (isInterface(file)) {
                print where "iface: the interface header includes \"" name "\", which is not an interface header"
                faults++
            }
        }
    }
    if (faults > 0) {
        printf "check-layers: %d include(s) break the layering (see the top of scripts/check-layers.sh)\n", faults
        exit 1
    }
}'
