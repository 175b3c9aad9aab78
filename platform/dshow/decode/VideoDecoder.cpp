#include "platform/dshow/decode/VideoDecoder.h"

#include "platform/dshow/decode/DibConverter.h"
#include "platform/dshow/decode/FfmpegHandles.h"
#include "platform/dshow/decode/FrameCache.h"
#include "platform/dshow/decode/MediaContainer.h"
#include "platform/dshow/decode/PacketReader.h"
#include "platform/dshow/decode/PresentationOrder.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>

namespace quellon::decode {

namespace {

// A target this few frames ahead of the last decoded one is reached by decoding forward
// even when a closer keyframe exists: a seek with its flush costs more than that.
constexpr std::int64_t kForwardReachFrames = 15;
// Packets at the end of the stream whose pictures are checked at open; a truncated file
// loses at most its last few pictures, and they are among these.
constexpr std::int64_t kTailPackets = 8;

constexpr std::int64_t kNoPlace = -1;
// Pictures looked at after a later one came out first, before the target counts as dropped.
constexpr int kLatePictureSearch = 16;
// A decoder that reports nothing but errors this many times running is given up on.
constexpr int kMaxDecodeErrorsInARow = 1000;
// How far a start point may lie ahead of the reader for reading on to it instead of seeking.
constexpr std::int64_t kReadOnPackets = 300;

double ValidRate(AVRational rate)
{
    if (rate.num <= 0 || rate.den <= 0)
        return 0;
    const double value = av_q2d(rate);
    return value > 0 && value <= 1000 ? value : 0;
}

void QuietFfmpegLog()
{
    // Damaged input makes the decoders report every broken slice on stderr; failures reach
    // the caller through our own results instead.
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

}  // namespace

const char* DecodeErrorName(DecodeError error)
{
    switch (error) {
    case DecodeError::None: return "no error";
    case DecodeError::FileNotFound: return "file not found";
    case DecodeError::NotMedia: return "not a media file";
    case DecodeError::NoVideoStream: return "no video stream";
    case DecodeError::Corrupt: return "damaged or truncated file";
    case DecodeError::Unsupported: return "unsupported video format";
    case DecodeError::TooLarge: return "pictures too large";
    case DecodeError::OutOfRange: return "frame number out of range";
    case DecodeError::DecodeFailed: return "frame could not be decoded";
    }
    return "unknown error";
}

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
          frame(av_frame_alloc())
    {
        if (!packet || !frame)
            throw std::bad_alloc();
    }

    bool OpenFile(OpenFailure& failure);
    bool OpenCodec(const AVCodecParameters* parameters, OpenFailure& failure);
    void SetOrder(std::vector<std::int64_t> order);
    void DropUndecodable(const std::vector<bool>& dropped);
    bool ScanOrderByDecoding();
    bool DecodeFirstPicture(std::int64_t& firstPlace);
    void VerifyTail(std::vector<bool>& dropped);
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
    FrameCache cache;
    DibConverter converter;
    PacketPtr packet;
    FramePtr frame;

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
    // Set once the decoder has reported a damaged picture anywhere. How a decoder conceals
    // damage can depend on pictures it would otherwise be allowed to skip, so from then on
    // nothing is skipped.
    bool damageSeen = false;
    // Frames the decoder drops, and the decode index of the picture shown instead.
    std::map<std::int64_t, std::int64_t> substitutes;

    DecodeError lastError = DecodeError::None;
    std::string lastMessage;
};

VideoDecoder::Impl::PumpResult VideoDecoder::Impl::Pump(const SkipRule& skip, const FrameHandler& handler)
{
    int decodeErrors = 0;
    for (;;) {
        int received = 0;
        while ((received = avcodec_receive_frame(codec.get(), frame.get())) == 0) {
            decodeErrors = 0;
            const std::int64_t tag = frame->pts;
            const bool known = tag >= 0 && tag < static_cast<std::int64_t>(places.size());
            const std::int64_t place = known ? places[static_cast<std::size_t>(tag)] : kNoPlace;
            bool stop = false;
            if (place != kNoPlace && place >= trustedFrom) {
                // The decoder shows pictures in its own order; one coming out before a picture
                // the table places earlier means the container's timestamps lie.
                if (place < lastOutput)
                    orderContradicted = true;
                if (frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0)
                    damageSeen = true;
                if (!runStartChecked) {
                    // The start point's picture comes out first; a damaged or missing one
                    // means the run depends on pictures before it.
                    runStartChecked = true;
                    runStartDamaged = tag != runStart || frame->decode_error_flags != 0 ||
                                      (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0;
                }
                lastOutput = std::max(lastOutput, place);
                stop = handler(place, tag, frame.get());
            }
            av_frame_unref(frame.get());
            if (stop)
                return PumpResult::Stopped;
        }
        if (received == AVERROR_EOF) {
            positioned = false;
            return PumpResult::Ended;
        }
        if (received != AVERROR(EAGAIN)) {
            // A damaged picture: the decoder reports it and carries on with the next one, as
            // a straight decode does. While draining, the errors are bounded by the pictures
            // still inside the decoder.
            damageSeen = true;
            if (++decodeErrors > kMaxDecodeErrorsInARow) {
                positioned = false;
                return PumpResult::Failed;
            }
            if (draining)
                continue;
        } else if (draining) {
            positioned = false;
            return PumpResult::Ended;
        } else {
            decodeErrors = 0;
        }
        const std::int64_t index = reader.ReadNext(packet.get());
        if (index == PacketReader::kLostSync) {
            positioned = false;
            return PumpResult::LostSync;
        }
        if (index == PacketReader::kEnd) {
            draining = true;
            avcodec_send_packet(codec.get(), nullptr);
            continue;
        }
        const std::int64_t place = places[static_cast<std::size_t>(index)];
        // Pictures nothing refers to and nobody asked for need not be decoded; pictures
        // shown after the target are decoded in full unless a run of steps will pass over
        // them, since the next request may want them.
        const bool skipped = place != kNoPlace && (place < skip.before || (place > skip.target && place < skip.aheadBelow));
        codec->skip_frame = skipped ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        if (skipped)
            skippedUpTo = std::max(skippedUpTo, place);
        // The decode index travels with the packet and comes back on the picture it holds,
        // which identifies every output picture whatever the container's timestamps are.
        packet->pts = index;
        packet->dts = index;
        const int sent = avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_EOF)
            damageSeen = true;
        if (sent < 0 && index == runStart && !runStartChecked) {
            runStartChecked = true;
            runStartDamaged = true;
        }
        if (sent == AVERROR(EAGAIN) || sent == AVERROR_EOF) {
            positioned = false;
            return PumpResult::Failed;
        }
        // Any other error is a damaged packet: the decoder conceals it, as in a straight decode.
    }
}

bool VideoDecoder::Impl::StartAt(std::int64_t keyDecodeIndex, bool fromStart)
{
    avcodec_flush_buffers(codec.get());
    draining = false;
    positioned = false;
    lastOutput = -1;
    skippedUpTo = -1;
    // A start point a little ahead is reached by reading on, which costs less than a
    // demuxer seek; packets read that way are not decoded.
    const std::int64_t ahead = keyDecodeIndex - reader.NextEntry();
    const bool readOn = !fromStart && ahead >= 0 && ahead <= kReadOnPackets && reader.SkipTo(keyDecodeIndex);
    if (!readOn && !reader.SeekToEntry(keyDecodeIndex, fromStart || keyDecodeIndex == 0))
        return false;
    positioned = true;
    // From the very start every picture the decoder gives is by definition the right one.
    trustedFrom = keyDecodeIndex == 0 ? 0 : places[static_cast<std::size_t>(keyDecodeIndex)];
    runStart = keyDecodeIndex;
    runStartChecked = keyDecodeIndex == 0;
    runStartDamaged = false;
    return true;
}

std::int64_t VideoDecoder::Impl::KeyFor(std::int64_t place) const
{
    std::size_t end = keys.size();
    if (keyPlacesIncrease)
        end = static_cast<std::size_t>(std::upper_bound(keyPlaces.begin(), keyPlaces.end(), place) - keyPlaces.begin());
    for (std::size_t i = end; i-- > 0;) {
        if (keyPlaces[i] <= place && !unsafeKeys.count(keys[i]))
            return keys[i];
    }
    return 0;
}

const AVFrame* VideoDecoder::Impl::DecodeTo(std::int64_t place)
{
    // A frame the decoder drops shows the picture that comes out after it in a full decode.
    if (const auto substitute = substitutes.find(place); substitute != substitutes.end()) {
        if (const AVFrame* cached = cache.Find(substitute->second))
            return cached;
        place = places[static_cast<std::size_t>(substitute->second)];
    }
    if (const AVFrame* cached = cache.Find(frames[static_cast<std::size_t>(place)]))
        return cached;

    const std::int64_t step = place - previousTarget;
    bool mayGoOn = true;      // decode on from where the decoder stands, when it can
    bool maySkipAhead = true;  // skip pictures a run of steps is expected to pass over
    bool fromStart = false;
    // Each retry either excludes a damaged start point or turns off a shortcut, so the
    // number of attempts is bounded by the number of start points.
    for (std::size_t attempt = 0; attempt < keys.size() + 4; ++attempt) {
        const std::int64_t key = KeyFor(place);
        // Going on is possible when the decoder has been fed the target's start point
        // already and the target can still come out of it.
        const bool goOn = mayGoOn && positioned && lastOutput < place && place >= trustedFrom && place > skippedUpTo &&
                          key < reader.NextEntry() && !unsafeKeys.count(runStart);
        const bool damagedBefore = damageSeen;
        SkipRule skip{place, place, place + 1};
        if (goOn && maySkipAhead && previousTarget >= 0 && step > 1 && step <= kForwardReachFrames)
            skip.aheadBelow = place + step;
        if (!goOn) {
            if (!StartAt(key, fromStart))
                break;
            // After a jump, keep the pictures just before the target: the next request is
            // often a step backwards.
            skip.before = place - (options.cacheFrames - 1);
        }
        const std::int64_t keepFrom = skip.before;
        if (damagedBefore)
            skip = SkipRule{std::numeric_limits<std::int64_t>::min(), place, place + 1};
        std::int64_t resultIndex = -1;
        std::int64_t resultPlace = -1;
        int laterPictures = 0;
        std::vector<std::int64_t> cachedHere;
        auto keep = [&](std::int64_t decodeIndex, const AVFrame* picture) {
            cache.Put(decodeIndex, picture);
            cachedHere.push_back(decodeIndex);
        };
        const PumpResult pumped = Pump(skip, [&](std::int64_t shown, std::int64_t decodeIndex, const AVFrame* picture) {
            if (runStartDamaged)
                return true;
            if (shown == place) {
                keep(decodeIndex, picture);
                resultIndex = decodeIndex;
                resultPlace = shown;
                return true;
            }
            if (shown > place) {
                // A later picture first: the target may have been dropped, or a damaged
                // stream may bring it out of order. Look a little further before deciding.
                keep(decodeIndex, picture);
                if (resultIndex < 0) {
                    resultIndex = decodeIndex;
                    resultPlace = shown;
                }
                return ++laterPictures > kLatePictureSearch;
            }
            if (shown >= keepFrom)
                keep(decodeIndex, picture);
            return false;
        });
        auto forgetRun = [&] {
            for (std::int64_t decodeIndex : cachedHere)
                cache.Remove(decodeIndex);
        };
        // The end of the stream ends the search for a late picture as well.
        const PumpResult result = resultIndex >= 0 ? PumpResult::Stopped : pumped;
        if (runStartDamaged && runStart > 0) {
            // The start point itself is damaged: what comes out of it depends on what was
            // decoded before it, so start from an earlier one, as a straight decode did.
            unsafeKeys.insert(runStart);
            forgetRun();
            positioned = false;
            mayGoOn = false;
            continue;
        }
        if (damageSeen && !damagedBefore && skippedUpTo >= 0) {
            // Damage turned up in a run that skipped pictures: do it again without.
            forgetRun();
            positioned = false;
            mayGoOn = false;
            continue;
        }
        if (result == PumpResult::Stopped) {
            if (resultPlace != place) {
                // The decoder dropped the target. Which picture comes next is only certain
                // when no picture after the target was skipped.
                if (skip.aheadBelow > place + 1) {
                    maySkipAhead = false;
                    mayGoOn = false;
                    positioned = false;
                    continue;
                }
                substitutes[place] = resultIndex;
            }
            previousTarget = place;
            return cache.Find(resultIndex);
        }
        if (result == PumpResult::LostSync)
            fromStart = true;
        if (attempt > 0 && !goOn && result != PumpResult::LostSync)
            break;
        mayGoOn = false;
    }
    Fail(DecodeError::DecodeFailed, "Frame " + std::to_string(place) + " of \"" + path + "\" could not be decoded.");
    return nullptr;
}

bool VideoDecoder::Impl::OpenCodec(const AVCodecParameters* parameters, OpenFailure& failure)
{
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec)
        throw std::bad_alloc();
    if (avcodec_parameters_to_context(codec.get(), parameters) < 0) {
        failure = {DecodeError::Corrupt, "Cannot open \"" + path + "\": its video parameters are invalid.", 0};
        return false;
    }
    int threads = options.threadCount;
    if (threads <= 0)
        threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
    codec->thread_count = threads;
    // The decoder refuses pictures beyond the cap even when a damaged header claims them.
    codec->max_pixels = kMaxPicturePixels;
    const int opened = avcodec_open2(codec.get(), decoder, nullptr);
    if (opened < 0) {
        failure = {DecodeError::Unsupported,
                   "Cannot open \"" + path + "\": the video decoder refused the stream (" + FfmpegErrorText(opened) + ").", 0};
        return false;
    }
    return true;
}

void VideoDecoder::Impl::SetOrder(std::vector<std::int64_t> order)
{
    frames = std::move(order);
    places = PlacesOf(frames, static_cast<std::int64_t>(entries.size()));
    keys.clear();
    keyPlaces.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if ((i == 0 || entries[i].key) && (i == 0 || places[i] != kNoPlace)) {
            keys.push_back(static_cast<std::int64_t>(i));
            keyPlaces.push_back(i == 0 ? 0 : places[i]);
        }
    }
    keyPlacesIncrease = std::is_sorted(keyPlaces.begin(), keyPlaces.end());
}

void VideoDecoder::Impl::DropUndecodable(const std::vector<bool>& dropped)
{
    std::vector<std::int64_t> kept;
    kept.reserve(frames.size());
    for (std::int64_t decodeIndex : frames) {
        if (!dropped[static_cast<std::size_t>(decodeIndex)])
            kept.push_back(decodeIndex);
    }
    SetOrder(std::move(kept));
}

bool VideoDecoder::Impl::ScanOrderByDecoding()
{
    // Without usable timestamps for a codec that reorders by rules of its own (H.264 and
    // later), or when the timestamps contradict the decoder, only the decoder knows the
    // display order: decode everything once.
    std::vector<std::int64_t> identity(entries.size());
    std::iota(identity.begin(), identity.end(), 0);
    SetOrder(identity);
    std::vector<std::int64_t> shown;
    positioned = true;
    trustedFrom = 0;
    const PumpResult result = Pump(SkipRule{}, [&](std::int64_t, std::int64_t decodeIndex, const AVFrame*) {
        shown.push_back(decodeIndex);
        return false;
    });
    if (result != PumpResult::Ended || shown.empty())
        return false;
    SetOrder(std::move(shown));
    return true;
}

bool VideoDecoder::Impl::DecodeFirstPicture(std::int64_t& firstPlace)
{
    positioned = true;
    trustedFrom = 0;
    firstPlace = kNoPlace;
    const PumpResult result = Pump(SkipRule{}, [&](std::int64_t shown, std::int64_t decodeIndex, const AVFrame* picture) {
        cache.Put(decodeIndex, picture);
        firstPlace = shown;
        if (width <= 0 || height <= 0) {
            width = picture->width;
            height = picture->height;
        }
        return true;
    });
    return result == PumpResult::Stopped;
}

void VideoDecoder::Impl::VerifyTail(std::vector<bool>& dropped)
{
    const auto count = static_cast<std::int64_t>(entries.size());
    const std::int64_t tailStart = std::max<std::int64_t>(0, count - kTailPackets);
    std::int64_t tailMinPlace = std::numeric_limits<std::int64_t>::max();
    for (std::int64_t i = tailStart; i < count; ++i) {
        if (places[static_cast<std::size_t>(i)] != kNoPlace)
            tailMinPlace = std::min(tailMinPlace, places[static_cast<std::size_t>(i)]);
    }
    if (tailMinPlace == std::numeric_limits<std::int64_t>::max())
        return;
    std::int64_t key = 0;
    for (std::size_t i = 0; i < keys.size() && keys[i] <= tailStart; ++i) {
        if (keyPlaces[i] <= tailMinPlace)
            key = keys[i];
    }
    // Carry on from the first picture's decode when the tail is within reach of it.
    const bool carryOn = positioned && !draining && reader.NextEntry() <= tailStart &&
                         (key == 0 || key < reader.NextEntry());
    if (!carryOn && !StartAt(key, false))
        return;
    std::vector<bool> seen(entries.size(), false);
    const PumpResult result = Pump(SkipRule{tailMinPlace, 0, 0}, [&](std::int64_t, std::int64_t decodeIndex, const AVFrame*) {
        seen[static_cast<std::size_t>(decodeIndex)] = true;
        return false;
    });
    if (result != PumpResult::Ended)
        return;
    for (std::int64_t i = tailStart; i < count; ++i) {
        if (places[static_cast<std::size_t>(i)] != kNoPlace && !seen[static_cast<std::size_t>(i)])
            dropped[static_cast<std::size_t>(i)] = true;
    }
}

void VideoDecoder::Impl::ComputeTimes(double streamFrameRate)
{
    std::vector<std::int64_t> ptsInOrder;
    ptsInOrder.reserve(frames.size());
    for (std::int64_t decodeIndex : frames)
        ptsInOrder.push_back(entries[static_cast<std::size_t>(decodeIndex)].pts);
    // When the decoder's order contradicts the timestamps, the set of times is usually right
    // and only their assignment wrong (decode times written as presentation times).
    if (std::find(ptsInOrder.begin(), ptsInOrder.end(), kNoTimestamp) == ptsInOrder.end() &&
        !std::is_sorted(ptsInOrder.begin(), ptsInOrder.end()))
        std::sort(ptsInOrder.begin(), ptsInOrder.end());
    frameRate = streamFrameRate;
    if (frameRate <= 0 && frames.size() > 1 && ptsInOrder.front() != kNoTimestamp && ptsInOrder.back() != kNoTimestamp) {
        const double span = static_cast<double>(ptsInOrder.back() - ptsInOrder.front()) * timeBaseSeconds;
        if (span > 0)
            frameRate = static_cast<double>(frames.size() - 1) / span;
    }
    if (frameRate <= 0 || !std::isfinite(frameRate))
        frameRate = 25;
    times = PresentationTimes(ptsInOrder, timeBaseSeconds, 1.0 / frameRate);
    const PacketEntry& last = entries[static_cast<std::size_t>(frames.back())];
    const double lastDuration = last.duration > 0 ? static_cast<double>(last.duration) * timeBaseSeconds : 1.0 / frameRate;
    durationSeconds = times.back() + lastDuration;
}

bool VideoDecoder::Impl::OpenFile(OpenFailure& failure)
{
    MediaContainer indexing;
    if (!OpenMediaContainer(path, indexing, failure))
        return false;
    const AVCodecParameters* parameters = indexing.Stream()->codecpar;
    const AVCodecID codecId = parameters->codec_id;
    width = parameters->width;
    height = parameters->height;
    timeBaseSeconds = indexing.TimeBaseSeconds();
    double streamRate = ValidRate(indexing.Stream()->avg_frame_rate);
    if (streamRate <= 0)
        streamRate = ValidRate(indexing.Stream()->r_frame_rate);
    if (!OpenCodec(parameters, failure))
        return false;
    const bool mpegStyle = HasMpegStyleReordering(codecId);
    if (!ReadPacketTable(indexing, mpegStyle, entries, failure))
        return false;
    indexing = MediaContainer{};
    if (entries.empty()) {
        failure = {DecodeError::Corrupt, "Cannot open \"" + path + "\": its video stream holds no pictures.", 0};
        return false;
    }

    std::vector<std::int64_t> pts;
    pts.reserve(entries.size());
    for (const PacketEntry& entry : entries)
        pts.push_back(entry.pts);
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codecId);
    const bool reorders = descriptor == nullptr || (descriptor->props & AV_CODEC_PROP_REORDER) != 0;
    bool scan = false;
    if (TimestampsGiveOrder(pts)) {
        SetOrder(OrderByTimestamps(pts));
    } else if (mpegStyle) {
        std::vector<char> types;
        types.reserve(entries.size());
        for (const PacketEntry& entry : entries)
            types.push_back(entry.pictureType);
        SetOrder(OrderByPictureTypes(types));
    } else if (!reorders) {
        std::vector<std::int64_t> identity(entries.size());
        std::iota(identity.begin(), identity.end(), 0);
        SetOrder(std::move(identity));
    } else {
        scan = true;
    }

    MediaContainer decoding;
    if (!OpenMediaContainer(path, decoding, failure))
        return false;
    reader.Adopt(std::move(decoding));
    const std::string undecodable = "Cannot open \"" + path + "\": no picture of its video can be decoded; the file is damaged or truncated.";
    std::vector<bool> dropped(entries.size(), false);
    if (scan) {
        if (!ScanOrderByDecoding()) {
            failure = {DecodeError::Corrupt, undecodable, 0};
            return false;
        }
    } else {
        std::int64_t firstPlace = kNoPlace;
        if (!DecodeFirstPicture(firstPlace)) {
            failure = {DecodeError::Corrupt, undecodable, 0};
            return false;
        }
        // Pictures shown before the first one the decoder gives (leading pictures of a
        // stream cut inside an open GOP) cannot be decoded from any starting point.
        for (std::int64_t place = 0; place < firstPlace; ++place)
            dropped[static_cast<std::size_t>(frames[static_cast<std::size_t>(place)])] = true;
        VerifyTail(dropped);
        DropUndecodable(dropped);
        if (orderContradicted) {
            cache.Clear();
            if (!StartAt(0, true) || !ScanOrderByDecoding()) {
                failure = {DecodeError::Corrupt, undecodable, 0};
                return false;
            }
        }
    }
    positioned = false;
    if (frames.empty()) {
        failure = {DecodeError::Corrupt, undecodable, 0};
        return false;
    }
    const std::int64_t pixels = std::int64_t{width} * height;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide || pixels > kMaxPicturePixels) {
        failure = {DecodeError::TooLarge, "Cannot open \"" + path + "\": its picture size " + std::to_string(width) + " x " +
                                              std::to_string(height) + " is not supported.", 0};
        return false;
    }
    ComputeTimes(streamRate);
    return true;
}

std::unique_ptr<VideoDecoder> VideoDecoder::Open(const std::string& path, OpenFailure* failure, const DecoderOptions& options)
{
    QuietFfmpegLog();
    OpenFailure local;
    OpenFailure& report = failure ? *failure : local;
    report = OpenFailure{};
    auto impl = std::make_unique<Impl>(path, options);
    if (!impl->OpenFile(report))
        return nullptr;
    return std::unique_ptr<VideoDecoder>(new VideoDecoder(std::move(impl)));
}

VideoDecoder::VideoDecoder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VideoDecoder::~VideoDecoder() = default;

int VideoDecoder::Width() const { return impl_->width; }
int VideoDecoder::Height() const { return impl_->height; }
std::int64_t VideoDecoder::FrameCount() const { return static_cast<std::int64_t>(impl_->frames.size()); }
double VideoDecoder::NominalFrameRate() const { return impl_->frameRate; }
double VideoDecoder::DurationSeconds() const { return impl_->durationSeconds; }

double VideoDecoder::FrameTime(std::int64_t n) const
{
    const auto last = static_cast<std::int64_t>(impl_->times.size()) - 1;
    return impl_->times[static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, last))];
}

std::int64_t VideoDecoder::FrameAtTime(double seconds) const
{
    const std::vector<double>& times = impl_->times;
    if (!(seconds > 0))
        return 0;
    // A time computed from FrameTime may come back a rounding step early.
    const double tolerance = 1e-9 * std::max(1.0, seconds);
    const auto after = std::upper_bound(times.begin(), times.end(), seconds + tolerance);
    return std::max<std::int64_t>(0, (after - times.begin()) - 1);
}

bool VideoDecoder::DecodeFrame(std::int64_t n, PixelFormat format, std::vector<std::uint8_t>& dib)
{
    dib.clear();
    impl_->lastError = DecodeError::None;
    impl_->lastMessage.clear();
    if (n < 0 || n >= FrameCount())
        return impl_->Fail(DecodeError::OutOfRange, "Frame " + std::to_string(n) + " is outside 0.." +
                                                        std::to_string(FrameCount() - 1) + ".");
    const AVFrame* picture = impl_->DecodeTo(n);
    if (!picture)
        return false;
    if (!impl_->converter.Convert(picture, impl_->width, impl_->height, format, dib))
        return impl_->Fail(DecodeError::DecodeFailed, "Frame " + std::to_string(n) + " could not be converted to RGB.");
    return true;
}

DecodeError VideoDecoder::LastError() const { return impl_->lastError; }
const std::string& VideoDecoder::LastErrorMessage() const { return impl_->lastMessage; }

}  // namespace quellon::decode
