#include "platform/dshow/decode/VideoDecoderImpl.h"

#include "platform/dshow/decode/PresentationOrder.h"

#include <algorithm>
#include <limits>

namespace quellon::decode {

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
                    // means the run depends on pictures before it. A recovery point shows
                    // its first whole picture first, later than its own.
                    runStartChecked = true;
                    const bool whole = frame->decode_error_flags == 0 && (frame->flags & AV_FRAME_FLAG_CORRUPT) == 0;
                    const std::int64_t expected = ShownFrom(runStart);
                    if (recoveryPoints && whole && expected == places[static_cast<std::size_t>(runStart)] &&
                        place > expected) {
                        recoveredFrom[runStart] = place;
                        trustedFrom = place;
                    } else {
                        runStartDamaged = !whole || place != expected;
                    }
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
        if (unreferenced.MayLeaveOut(*packet, skipped)) {
            av_packet_unref(packet.get());
            continue;
        }
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
    unreferenced.Restart();
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
    trustedFrom = keyDecodeIndex == 0 ? 0 : ShownFrom(keyDecodeIndex);
    runStart = keyDecodeIndex;
    runStartChecked = keyDecodeIndex == 0;
    runStartDamaged = false;
    return true;
}

std::int64_t VideoDecoder::Impl::ShownFrom(std::int64_t key) const
{
    if (key == 0)
        return 0;
    const auto recovered = recoveredFrom.find(key);
    return recovered != recoveredFrom.end() ? recovered->second : places[static_cast<std::size_t>(key)];
}

std::int64_t VideoDecoder::Impl::KeyFor(std::int64_t place) const
{
    std::size_t end = keys.size();
    if (keyPlacesIncrease)
        end = static_cast<std::size_t>(std::upper_bound(keyPlaces.begin(), keyPlaces.end(), place) - keyPlaces.begin());
    for (std::size_t i = end; i-- > 0;) {
        if (keyPlaces[i] <= place && !unsafeKeys.count(keys[i]) && ShownFrom(keys[i]) <= place)
            return keys[i];
    }
    return 0;
}

bool VideoDecoder::Impl::DecodeAlone()
{
    if (codec->thread_count == 1 || codec->active_thread_type == 0)
        return false;
    OpenFailure ignored;
    positioned = false;
    if (!OpenCodec(codecParameters.get(), 1, ignored))
        throw std::bad_alloc();  // the same parameters opened before; only memory can fail
    return true;
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
    // The start point must show its first picture at or before this place. A damaged start
    // point sends the next try at least twice as far back from the target: a try may have to
    // read the file from its start again, and trying every start point of a file whose start
    // points are all damaged would take time growing with the square of its length (seconds
    // for a few thousand, hours for a long film).
    std::int64_t startBy = place;
    // Each retry either excludes a damaged start point or turns off a shortcut, so the
    // number of attempts is bounded by the number of start points.
    for (std::size_t attempt = 0; attempt < keys.size() + 4; ++attempt) {
        const std::int64_t key = KeyFor(startBy);
        // Going on is possible when the decoder has been fed the target's start point
        // already and the target can still come out of it.
        const bool goOn = mayGoOn && positioned && lastOutput < place && place >= trustedFrom && place > skippedUpTo &&
                          key < reader.NextEntry() && !unsafeKeys.count(runStart);
        const bool damagedBefore = damageSeen;
        SkipRule skip{place, place, place + 1};
        if (goOn && maySkipAhead && previousTarget >= 0 && step > 1 && step <= kStepRunFrames)
            skip.aheadBelow = place + step;
        if (!goOn) {
            if (!StartAt(key, fromStart))
                break;
            // After a jump, keep the pictures just before the target: the next request is
            // often a step backwards. As many as the cache holds; decoding more in full would
            // only push the first of them out again. The target itself is never skipped,
            // cache or not.
            skip.before = place - (options.cacheFrames > 1 ? cache.Capacity() - 1 : 0);
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
        // Our own reference to the answer: the search for a late picture may push it out
        // of a small cache.
        auto choose = [&](std::int64_t decodeIndex, std::int64_t shown, const AVFrame* picture) {
            av_frame_unref(result.get());
            if (av_frame_ref(result.get(), picture) < 0)
                throw std::bad_alloc();
            resultIndex = decodeIndex;
            resultPlace = shown;
        };
        const PumpResult pumped = Pump(skip, [&](std::int64_t shown, std::int64_t decodeIndex, const AVFrame* picture) {
            if (runStartDamaged || ShownFrom(runStart) > place)
                return true;
            if (shown == place) {
                keep(decodeIndex, picture);
                choose(decodeIndex, shown, picture);
                return true;
            }
            if (shown > place) {
                // A later picture first: the target may have been dropped, or a damaged
                // stream may bring it out of order. Look a little further before deciding.
                keep(decodeIndex, picture);
                if (resultIndex < 0)
                    choose(decodeIndex, shown, picture);
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
        const PumpResult outcome = resultIndex >= 0 ? PumpResult::Stopped : pumped;
        if (runStart > 0 && (runStartDamaged || (pumped == PumpResult::Ended && !runStartChecked))) {
            // The start point itself is damaged, or nothing whole ever came out of it: what
            // comes out depends on what was decoded before it, so start from an earlier one,
            // as a straight decode did.
            unsafeKeys.insert(runStart);
            const std::int64_t distance = std::max<std::int64_t>(1, place - ShownFrom(runStart));
            startBy = std::min(startBy, place - 2 * distance);
            forgetRun();
            positioned = false;
            mayGoOn = false;
            continue;
        }
        if (ShownFrom(runStart) > place) {
            // A recovery point that shows its first whole picture after the target: start
            // from an earlier point, which KeyFor now gives.
            forgetRun();
            positioned = false;
            mayGoOn = false;
            continue;
        }
        const bool damageNew = damageSeen && !damagedBefore;
        const bool threadsDropped = damageNew && DecodeAlone();
        if (damageNew && (skippedUpTo >= 0 || threadsDropped)) {
            // Damage turned up in a run that skipped pictures or used several decoder
            // threads: do it again without.
            forgetRun();
            positioned = false;
            mayGoOn = false;
            continue;
        }
        if (outcome == PumpResult::Stopped) {
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
            return result.get();
        }
        if (outcome == PumpResult::LostSync)
            fromStart = true;
        if (attempt > 0 && !goOn && outcome != PumpResult::LostSync)
            break;
        mayGoOn = false;
    }
    Fail(DecodeError::DecodeFailed, "Frame " + std::to_string(place) + " of \"" + path + "\" could not be decoded.");
    return nullptr;
}

}  // namespace quellon::decode
