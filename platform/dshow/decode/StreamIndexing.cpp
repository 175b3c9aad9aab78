#include "platform/dshow/decode/VideoDecoderImpl.h"

#include "platform/dshow/decode/PresentationOrder.h"

#include <algorithm>
#include <limits>
#include <cmath>
#include <numeric>
#include <thread>

namespace quellon::decode {

namespace {

double ValidRate(AVRational rate)
{
    if (rate.num <= 0 || rate.den <= 0)
        return 0;
    const double value = av_q2d(rate);
    return value > 0 && value <= 1000 ? value : 0;
}

}  // namespace

bool VideoDecoder::Impl::OpenCodec(const AVCodecParameters* parameters, int threads, OpenFailure& failure)
{
    if (parameters != codecParameters.get()) {
        codecParameters.reset(avcodec_parameters_alloc());
        if (!codecParameters || avcodec_parameters_copy(codecParameters.get(), parameters) < 0)
            throw std::bad_alloc();
    }
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec)
        throw std::bad_alloc();
    if (avcodec_parameters_to_context(codec.get(), parameters) < 0) {
        failure = {DecodeError::Corrupt, "Cannot open \"" + path + "\": its video parameters are invalid.", 0};
        return false;
    }
    codec->thread_count = threads;
    // The decoder refuses pictures beyond the cap even when a damaged header claims them.
    codec->max_pixels = kMaxPicturePixels;
    const int opened = avcodec_open2(codec.get(), decoder, nullptr);
    if (opened < 0) {
        failure = {DecodeError::Unsupported,
                   "Cannot open \"" + path + "\": the video decoder refused the stream (" + FfmpegErrorText(opened) + ").", 0};
        return false;
    }
    unreferenced = UnreferencedPackets::ForStream(*parameters);
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

void VideoDecoder::Impl::VerifyWindow(std::int64_t from, std::int64_t to, std::vector<bool>& dropped)
{
    const auto count = static_cast<std::int64_t>(entries.size());
    from = std::clamp<std::int64_t>(from, 0, count);
    to = std::clamp<std::int64_t>(to, from, count);
    std::int64_t minPlace = kNeverShown;
    std::int64_t maxPlace = -1;
    for (std::int64_t i = from; i < to; ++i) {
        const std::int64_t place = places[static_cast<std::size_t>(i)];
        if (place != kNoPlace) {
            minPlace = std::min(minPlace, place);
            maxPlace = std::max(maxPlace, place);
        }
    }
    if (maxPlace < 0)
        return;
    // Each retry excludes a start point; after a few, the start of the stream, which always
    // serves, keeps a stream of damaged start points from costing one decode each.
    for (std::size_t attempt = 0; attempt <= keys.size(); ++attempt) {
        std::int64_t key = 0;
        for (std::size_t i = 0; attempt < 3 && i < keys.size() && keys[i] <= from; ++i) {
            if (keyPlaces[i] <= minPlace && !unsafeKeys.count(keys[i]) && ShownFrom(keys[i]) <= minPlace)
                key = keys[i];
        }
        // Carry on with the decode already under way when the window is within its reach.
        const bool carryOn = positioned && !draining && reader.NextEntry() <= from && trustedFrom <= minPlace &&
                             skippedUpTo < minPlace && (key == 0 || key < reader.NextEntry());
        if (!carryOn && !StartAt(key, false))
            return;
        std::vector<std::int64_t> seen;
        const PumpResult result = Pump(SkipRule{minPlace, 0, 0}, [&](std::int64_t shown, std::int64_t decodeIndex, const AVFrame*) {
            seen.push_back(decodeIndex);
            // Pictures come out in order: one past the window means the window is done.
            return shown > maxPlace;
        });
        if (result != PumpResult::Ended && result != PumpResult::Stopped)
            return;
        if (runStart > 0 && (runStartDamaged || !runStartChecked || ShownFrom(runStart) > minPlace)) {
            // The start point is damaged or shows nothing whole in time: go back one.
            if (runStartDamaged || !runStartChecked)
                unsafeKeys.insert(runStart);
            positioned = false;
            continue;
        }
        std::vector<bool> shownHere(static_cast<std::size_t>(to - from), false);
        for (const std::int64_t decodeIndex : seen) {
            if (decodeIndex >= from && decodeIndex < to)
                shownHere[static_cast<std::size_t>(decodeIndex - from)] = true;
        }
        for (std::int64_t i = from; i < to; ++i) {
            if (places[static_cast<std::size_t>(i)] != kNoPlace && !shownHere[static_cast<std::size_t>(i - from)])
                dropped[static_cast<std::size_t>(i)] = true;
        }
        return;
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
    int threads = options.threadCount;
    if (threads <= 0) {
        const std::int64_t pixels = std::int64_t{parameters->width} * parameters->height;
        // Small pictures decode fast enough on one thread. Above 4K a second thread would hold
        // pictures of its own: at 8K, 135 MB more for each.
        const bool oneIsEnough = pixels <= 1024 * 576 || pixels > std::int64_t{3840} * 2160;
        threads = oneIsEnough ? 1 : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
    }
    if (!OpenCodec(parameters, threads, failure))
        return false;
    const bool mpegStyle = HasMpegStyleReordering(codecId);
    recoveryPoints = codecId == AV_CODEC_ID_H264 || codecId == AV_CODEC_ID_HEVC;
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
    // What comes out of a damaged stream can depend on the timing of several decoder
    // threads; when damage shows, everything is worked out again with one.
    const std::vector<std::int64_t> tableOrder = frames;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass > 0) {
            cache.Clear();
            orderContradicted = false;
            if (!StartAt(0, true)) {
                failure = {DecodeError::Corrupt, undecodable, 0};
                return false;
            }
        }
        if (scan) {
            if (!ScanOrderByDecoding()) {
                failure = {DecodeError::Corrupt, undecodable, 0};
                return false;
            }
            if (pass == 0 && damageSeen && DecodeAlone())
                continue;
            break;
        }
        SetOrder(tableOrder);
        std::vector<bool> dropped(entries.size(), false);
        std::int64_t firstPlace = kNoPlace;
        if (!DecodeFirstPicture(firstPlace)) {
            failure = {DecodeError::Corrupt, undecodable, 0};
            return false;
        }
        // Pictures shown before the first one the decoder gives (leading pictures of a
        // stream cut inside an open GOP) cannot be decoded from any starting point.
        for (std::int64_t place = 0; place < firstPlace; ++place)
            dropped[static_cast<std::size_t>(frames[static_cast<std::size_t>(place)])] = true;
        // A decoder may drop the picture it holds back where the picture size changes (two
        // streams joined end to end); find such losses now, so that frame numbers stay those
        // of a straight decode.
        // Windows that overlap are checked as one, so that a stream whose size keeps changing
        // costs at most one decode of it.
        std::int64_t windowFrom = -1;
        std::int64_t windowTo = -1;
        for (std::size_t i = 0; i <= entries.size(); ++i) {
            const auto index = static_cast<std::int64_t>(i);
            const bool change = i < entries.size() && entries[i].newSize;
            if (windowTo >= 0 && (i == entries.size() || (change && index - kTailPackets > windowTo))) {
                VerifyWindow(windowFrom, windowTo, dropped);
                windowTo = -1;
            }
            if (change) {
                if (windowTo < 0)
                    windowFrom = index - kTailPackets;
                windowTo = index + kTailPackets;
            }
        }
        VerifyWindow(static_cast<std::int64_t>(entries.size()) - kTailPackets, static_cast<std::int64_t>(entries.size()), dropped);
        if (pass == 0 && damageSeen && DecodeAlone())
            continue;
        DropUndecodable(dropped);
        if (orderContradicted) {
            cache.Clear();
            if (!StartAt(0, true) || !ScanOrderByDecoding()) {
                failure = {DecodeError::Corrupt, undecodable, 0};
                return false;
            }
        }
        break;
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

}  // namespace quellon::decode
