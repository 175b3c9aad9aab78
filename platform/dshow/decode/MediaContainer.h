// Opening a media file with FFmpeg's demuxers and choosing its video stream. Internal to the
// decoding library. Failures are classified into DecodeError kinds with an English message.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"
#include "platform/dshow/decode/FfmpegHandles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellon::decode {

struct MediaContainer {
    FormatContextPtr format;
    int videoStream = -1;

    AVStream* Stream() const { return format->streams[videoStream]; }
    double TimeBaseSeconds() const { return av_q2d(Stream()->time_base); }
};

// Opens `path`, reads its stream headers, picks the main video stream (never an attached
// cover picture) and tells the demuxer to drop every other stream. Checks that a decoder
// exists and that the picture size is within the caps. On failure returns false and fills
// `failure` (kind and message; audio duration for audio-only files).
bool OpenMediaContainer(const std::string& path, MediaContainer& container, OpenFailure& failure);

// One video packet as the demuxer delivered it, in decode order.
struct PacketEntry {
    std::int64_t pts = 0;   // stream time base, or kNoTimestamp
    std::int64_t dts = 0;   // stream time base, or kNoTimestamp
    std::int64_t pos = -1;  // byte position in the file, -1 when the demuxer does not say
    std::int64_t duration = 0;
    std::int32_t size = 0;
    bool key = false;
    char pictureType = 0;  // 'I', 'P', 'B', 'S' from a header parse, 0 when not parsed
    // From a header parse: the picture size changes at this packet (a stream spliced from
    // two of different sizes). False when not parsed.
    bool newSize = false;
};

// Refuses tables beyond this many packets (about 55 hours at 25 frames a second) so that a
// damaged file cannot make the table grow without bound.
inline constexpr std::size_t kMaxPackets = 5'000'000;

// Demuxes every packet of the container's video stream from where the demuxer stands, without
// decoding. With `parsePictureTypes` each packet's picture type and picture size are read by
// the codec's header parser (MPEG-1/2/4 only). Returns false with `failure` set when the table would exceed
// kMaxPackets; a read error ends the table as a clean end of file would, since a truncated
// file is still usable up to the damage.
bool ReadPacketTable(MediaContainer& container, bool parsePictureTypes, std::vector<PacketEntry>& entries,
                     OpenFailure& failure);

// True for codecs whose decoders hold each reference picture back until the next one, so
// that OrderByPictureTypes reproduces their output order.
bool HasMpegStyleReordering(AVCodecID codec);

}  // namespace quellon::decode
