// The matrix of container and codec combinations the decoder is checked on, each made from
// the numbered pattern (see TestVideos.h) with 100 frames at 25 per second.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"
#include "tests/platform/decode/TestVideos.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quellon::decode::test {

struct FormatCase {
    const char* name;
    const char* file;
    const char* arguments;  // {pattern} is the numbered source
    bool variableRate = false;
    // A file cut out of another one (made first): it starts at some source number and runs
    // to the source's last frame.
    const char* sourceFile = nullptr;
    const char* sourceArguments = nullptr;
    // Frames kept by the decoder's cache (DecoderOptions::cacheFrames).
    int cacheFrames = DecoderOptions{}.cacheFrames;
    // A file joined with `cat` from the file of `arguments` and a second one made of the
    // pattern's frames 100 to 149 at twice the size, which restarts its timestamps.
    const char* secondPartArguments = nullptr;
    int width = kPatternWidth;
    int height = kPatternHeight;
    // Bytes of pictures the cache may hold (DecoderOptions::cacheBytes).
    std::size_t cacheBytes = DecoderOptions{}.cacheBytes;
};

constexpr int kSourceFrames = 100;

// Presentation times of the variable-rate file: 25 frames a second for 2 s, then 12.5.
inline double VariableRateTime(int n)
{
    return (n + std::max(0, n - 50)) / 25.0;
}

inline const FormatCase kFormatCases[] = {
    {"Mpeg1Program", "m1.mpg", "{pattern} -pix_fmt yuv420p -c:v mpeg1video -bf 2 -g 12 -f mpeg"},
    {"Mpeg2ProgramOpenGop", "m2.mpg", "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f vob"},
    {"Mpeg1Transport", "m1.ts", "{pattern} -pix_fmt yuv420p -c:v mpeg1video -bf 2 -g 12 -f mpegts"},
    {"Mpeg2Transport", "m2.ts", "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f mpegts"},
    {"Mpeg2ElementaryNoTimestamps", "m2.m2v", "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f mpeg2video"},
    {"Mpeg4PartTwoAvi", "m4.avi", "{pattern} -pix_fmt yuv420p -c:v mpeg4 -bf 2 -g 24 -q:v 4"},
    {"MjpegAvi", "mj.avi", "{pattern} -pix_fmt yuvj420p -c:v mjpeg -q:v 4"},
    {"H264Mp4", "h.mp4", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40"},
    {"H264Mkv", "h.mkv", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40"},
    {"H264Transport", "h.ts", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40 -f mpegts"},
    {"H264ElementaryNoTimestamps", "h.h264", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40 -f h264"},
    // x265 makes open GOPs by default: leading pictures after a CRA need the GOP before it.
    {"HevcMp4", "hv.mp4", "{pattern} -pix_fmt yuv420p -c:v libx265 -preset veryfast -tag:v hvc1 "
                          "-x265-params keyint=40:bframes=4:log-level=error"},
    {"HevcMkv", "hv.mkv", "{pattern} -pix_fmt yuv420p -c:v libx265 -preset veryfast "
                          "-x265-params keyint=40:bframes=4:log-level=error"},
    // Start codes instead of unit lengths, as broadcast and camera recordings carry HEVC.
    {"HevcTransport", "hv.ts", "{pattern} -pix_fmt yuv420p -c:v libx265 -preset veryfast "
                               "-x265-params keyint=40:bframes=4:log-level=error -f mpegts"},
    {"Vp9Webm", "v.webm", "{pattern} -pix_fmt yuv420p -c:v libvpx-vp9 -g 30 -deadline realtime -cpu-used 8 -b:v 400k"},
    {"VariableRateMkv", "vfr.mkv",
     "{pattern} -vf \"setpts=N+max(0\\,N-50)\" -fps_mode passthrough -pix_fmt yuv420p -c:v libx264 "
     "-preset veryfast -bf 3 -g 40",
     true},
    // Timestamps that pass 2^33 ticks of 90 kHz a second after the start and wrap to 0.
    {"Mpeg2TransportTimestampWrap", "m2wrap.ts",
     "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -output_ts_offset 95442.7 -f mpegts"},
    {"H264TransportTimestampWrap", "hwrap.ts",
     "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40 -output_ts_offset 95442.7 -f mpegts"},
    // AVI stores no presentation times, and H.264 reorders by rules of its own.
    {"H264AviNoTimestamps", "h.avi", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40"},
    // Timestamps rewritten to the decode times: unique, increasing, and wrong for B-frames.
    {"H264MkvLyingTimestamps", "lying.mkv",
     "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40 -bsf:v setts=pts=DTS"},
    // A stream copy starting inside an open GOP: its first B-frames cannot be decoded.
    {"Mpeg2CutByStreamCopy", "cut.mpg", "-ss 1.3 -i {source} -c copy -f vob", false, "m2.mpg",
     "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f vob"},
    // The same in MP4: the pictures before the cut stay in the file and an edit list hides them.
    {"H264Mp4CutByStreamCopy", "cut.mp4", "-ss 1.3 -i {source} -c copy", false, "h.mp4",
     "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40"},
    // Periodic intra refresh: the packets flagged as keyframes are recovery points, where a
    // decode that starts there shows nothing until the refresh has swept the picture, which
    // takes a frame per macroblock column (up to the keyframe interval): 40 at this width.
    {"H264IntraRefreshMkv", "refresh.mkv",
     "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -x264-params intra-refresh=1:keyint=40",
     false, nullptr, nullptr, 30, nullptr, 640, 360},
    {"H264IntraRefreshMp4", "refresh.mp4",
     "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -x264-params intra-refresh=1:keyint=40",
     false, nullptr, nullptr, 30, nullptr, 640, 360},
    {"H264IntraRefreshTransport", "refresh.ts",
     "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -x264-params intra-refresh=1:keyint=40 -f mpegts",
     false, nullptr, nullptr, 30, nullptr, 640, 360},
    // No cache at all: the picture asked for must still be the one given.
    {"Mpeg2ProgramNoCache", "m2.mpg", "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f vob", false, nullptr,
     nullptr, 0},
    {"Mpeg4PartTwoAviNoCache", "m4.avi", "{pattern} -pix_fmt yuv420p -c:v mpeg4 -bf 2 -g 24 -q:v 4", false, nullptr,
     nullptr, 0},
    {"H264MkvNoCache", "h.mkv", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40", false, nullptr,
     nullptr, 0},
    // A cache that holds a handful of pictures by size: fewer pictures are kept before a jump
    // target than the frame limit allows.
    {"H264MkvCacheOfFivePictures", "h.mkv", "{pattern} -pix_fmt yuv420p -c:v libx264 -preset veryfast -bf 3 -g 40",
     false, nullptr, nullptr, 30, nullptr, kPatternWidth, kPatternHeight,
     std::size_t{5} * kPatternWidth * kPatternHeight * 3 / 2 + 4096},
    // Two transport streams of different picture sizes joined with `cat`: the MPEG-2 decoder
    // drops the reference picture it holds back when the size changes.
    {"Mpeg2TransportSplicedSizes", "spliced.ts", "{pattern} -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f mpegts",
     false, nullptr, nullptr, 30,
     "{pattern} -vf trim=start_frame=100,setpts=PTS-STARTPTS -pix_fmt yuv420p -c:v mpeg2video -bf 2 -g 15 -f mpegts"},
};

// FNV-1a over the whole bitmap: equal pictures, equal sums.
inline std::uint64_t Checksum(const std::vector<std::uint8_t>& dib)
{
    std::uint64_t sum = 14695981039346656037ull;
    for (const std::uint8_t byte : dib)
        sum = (sum ^ byte) * 1099511628211ull;
    return sum;
}

inline std::string MakeCase(const FormatCase& format)
{
    if (format.secondPartArguments) {
        const std::string path = TestFolder() + "/" + format.file;
        if (std::filesystem::exists(path))
            return path;
        const std::string first = MakeVideo(std::string("part1-") + format.file, format.arguments, kSourceFrames);
        const std::string second = MakeVideo(std::string("part2-") + format.file, format.secondPartArguments,
                                             kSourceFrames + 50, 2 * kPatternWidth, 2 * kPatternHeight);
        if (first.empty() || second.empty() ||
            RunCommand("cat \"" + first + "\" \"" + second + "\" > \"" + path + ".part\" && mv \"" + path + ".part\" \"" +
                       path + "\"") != 0)
            return "";
        return path;
    }
    std::string arguments = format.arguments;
    if (format.sourceFile) {
        const std::string source = MakeVideo(format.sourceFile, format.sourceArguments, kSourceFrames);
        if (source.empty())
            return "";
        arguments.replace(arguments.find("{source}"), 8, "\"" + source + "\"");
    }
    return MakeVideo(format.file, arguments, kSourceFrames, format.width, format.height);
}

// The case that makes `file`; the file must be in the table.
inline const FormatCase& CaseFor(const std::string& file)
{
    return *std::find_if(std::begin(kFormatCases), std::end(kFormatCases),
                         [&](const FormatCase& format) { return file == format.file; });
}

}  // namespace quellon::decode::test
