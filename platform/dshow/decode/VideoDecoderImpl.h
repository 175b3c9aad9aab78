// The state behind VideoDecoder, shared by its three source files: VideoDecoder.cpp (the
// public methods), StreamIndexing.cpp (what Open works out about the stream) and
// FrameAccess.cpp (reaching a frame by decoding). Internal to the decoding library.
#pragma once

#include "platform/dshow/decode/VideoDecoder.h"

#include "platform/dshow/decode/DibConverter.h"
#include "platform/dshow/decode/FfmpegHandles.h"
#include "platform/dshow/decode/FrameCache.h"
#include "platform/dshow/decode/MediaContainer.h"
#include "platform/dshow/decode/PacketReader.h"
#include "platform/dshow/decode/UnreferencedPackets.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quellon::decode {

// A run of steps of up to this many frames is expected to go on: the pictures a step
// passes over need not be decoded.
inline constexpr std::int64_t kStepRunFrames = 15;
// Packets at the end of the stream whose pictures are checked at open; a truncated file
// loses at most its last few pictures, and they are among these. The same number of packets
// on each side of a change of picture size is checked too.
inline constexpr std::int64_t kTailPackets = 8;
inline constexpr std::int64_t kNoPlace = -1;
inline constexpr std::int64_t kNeverShown = std::numeric_limits<std::int64_t>::max();
// Pictures looked at after a later one came out first, before the target counts as dropped.
inline constexpr int kLatePictureSearch = 16;
// A decoder that reports nothing but errors this many times running is given up on.
inline constexpr int kMaxDecodeErrorsInARow = 1000;
// How far a start point may lie ahead of the reader for reading on to it instead of seeking.
inline constexpr std::int64_t kReadOnPackets = 300;

struct VideoDecoder::Impl {
    enum class PumpResult { Stopped, Ended, LostSync, Failed };
    // Called for every trusted picture the decoder outputs, with its presentation place and
    // its packet's decode index; returns true to stop pumping.
    using FrameHandler = std::function<bool(std::int64_t place, std::int64_t decodeIndex, const AVFrame* frame)>;

    Impl(std::string filePath, const DecoderOptions& decoderOptions)
        : path(std::move(filePath)),
          options(decoderOptions),
          reader(path, entries),
          cache(decoderOptions.cacheFrames, decoderOptions.cacheBytes),
          packet(av_packet_alloc()),
          frame(av_frame_alloc()),
          result(av_frame_alloc())
    {
        if (!packet || !frame || !result)
            throw std::bad_alloc();
    }

    bool OpenFile(OpenFailure& failure);
    // Opens the decoder for `parameters` (kept for DecodeAlone).
    bool OpenCodec(const AVCodecParameters* parameters, int threads, OpenFailure& failure);
    // Once damage turns up: concealment with several decoder threads depends on their
    // timing, so from then on one thread decodes. Returns false if already so.
    bool DecodeAlone();
    void SetOrder(std::vector<std::int64_t> order);
    void DropUndecodable(const std::vector<bool>& dropped);
    bool ScanOrderByDecoding();
    bool DecodeFirstPicture(std::int64_t& firstPlace);
    // Decodes the pictures of the packets from decode index `from` to `to` (the end of the
    // stream, or a change of picture size where a decoder may drop the picture it holds
    // back) and marks in `dropped` those that never come out.
    void VerifyWindow(std::int64_t from, std::int64_t to, std::vector<bool>& dropped);
    void ComputeTimes(double streamFrameRate);

    // Which packets may have their unreferenced pictures skipped: those shown before
    // `before`, and those shown strictly between `target` and `aheadBelow` (the pictures a
    // run of steps is expected to pass over).
    struct SkipRule {
        std::int64_t before = 0;
        std::int64_t target = 0;
        std::int64_t aheadBelow = 0;
    };
    PumpResult Pump(const SkipRule& skip, const FrameHandler& handler);
    bool StartAt(std::int64_t keyDecodeIndex, bool fromStart);
    std::int64_t KeyFor(std::int64_t place) const;
    // The first place a decode from start point `key` shows as a straight decode does: the
    // key's own, or later for a recovery point (kNeverShown when nothing ever comes out).
    std::int64_t ShownFrom(std::int64_t key) const;
    const AVFrame* DecodeTo(std::int64_t place);
    bool Fail(DecodeError kind, std::string message)
    {
        lastError = kind;
        lastMessage = std::move(message);
        return false;
    }

    std::string path;
    DecoderOptions options;
    std::vector<PacketEntry> entries;   // every video packet, decode order
    std::vector<std::int64_t> frames;   // presentation place -> decode index
    std::vector<std::int64_t> places;   // decode index -> presentation place, or kNoPlace
    std::vector<std::int64_t> keys;     // decode indices where decoding may start, increasing
    std::vector<std::int64_t> keyPlaces;
    bool keyPlacesIncrease = true;
    std::vector<double> times;
    int width = 0;
    int height = 0;
    double timeBaseSeconds = 0;
    double frameRate = 25;
    double durationSeconds = 0;

    PacketReader reader;
    CodecContextPtr codec;
    CodecParametersPtr codecParameters;
    FrameCache cache;
    DibConverter converter;
    // Packets that skipping would have the decoder ignore are not sent at all.
    UnreferencedPackets unreferenced{UnreferencedPackets::Codec::Other, 0};
    PacketPtr packet;
    FramePtr frame;
    FramePtr result;  // the picture DecodeTo returned last

    // Where the decoder stands: it has been fed the packets from a starting keyframe up to
    // reader.NextEntry()-1; its pictures before trustedFrom (leading pictures of an open GOP
    // that needed the previous one) are ignored.
    bool positioned = false;
    bool draining = false;
    std::int64_t trustedFrom = 0;
    std::int64_t lastOutput = -1;
    bool orderContradicted = false;
    // Highest place whose packet went in with skipping allowed since the start point: such
    // a picture may never come out, so a later request for it must start again.
    std::int64_t skippedUpTo = -1;
    std::int64_t previousTarget = -1;
    // The start point of the current run, and whether its own picture came out whole.
    std::int64_t runStart = 0;
    bool runStartChecked = true;
    bool runStartDamaged = false;
    // Start points found damaged; decoding then starts from an earlier one.
    std::set<std::int64_t> unsafeKeys;
    // H.264 and HEVC mark recovery points as keyframes too (periodic intra refresh). A decode
    // that starts at one shows nothing until the picture is whole again, then exactly what a
    // straight decode shows. The first place each start point showed, where that was later
    // than its own picture.
    bool recoveryPoints = false;
    std::map<std::int64_t, std::int64_t> recoveredFrom;
    // Set once the decoder has reported a damaged picture anywhere. How a decoder conceals
    // damage can depend on pictures it would otherwise be allowed to skip, so from then on
    // nothing is skipped.
    bool damageSeen = false;
    // Frames the decoder drops, and the decode index of the picture shown instead.
    std::map<std::int64_t, std::int64_t> substitutes;

    DecodeError lastError = DecodeError::None;
    std::string lastMessage;
};

}  // namespace quellon::decode
