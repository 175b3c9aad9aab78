#include "platform/dshow/decode/UnreferencedPackets.h"

#include "platform/dshow/decode/FfmpegHandles.h"

#include <cstring>

namespace quellon::decode {
namespace {

// Unit types.
constexpr int kH264Sei = 6;
constexpr int kHevcAccessUnitDelimiter = 35;
constexpr int kHevcEndOfSequence = 36;
constexpr int kHevcEndOfBitstream = 37;
constexpr int kHevcFiller = 38;
constexpr int kHevcUnspecified62 = 62;  // Dolby Vision metadata, among others

std::uint32_t BigEndian32(const std::uint8_t* bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

// Where the next 00 00 01 at or after `from` begins, or `size`. Packets of a high-rate stream
// run to hundreds of kilobytes, read for every packet sent: memchr finds the rare 01 bytes
// far faster than a loop over every byte.
std::size_t NextStartCode(const std::uint8_t* data, std::size_t size, std::size_t from)
{
    std::size_t at = from + 2;
    while (at < size) {
        const void* one = std::memchr(data + at, 1, size - at);
        if (one == nullptr)
            return size;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(one) - data);
        if (data[at - 1] == 0 && data[at - 2] == 0)
            return at - 2;
        ++at;
    }
    return size;
}

// Calls visit(unit, size) for each unit of the packet; returns false when the packet is not
// framed as expected, or when an empty unit turns up.
template <typename Visit>
bool ForEachUnit(const std::uint8_t* data, std::size_t size, int lengthSize, Visit visit)
{
    if (lengthSize > 0) {
        std::size_t at = 0;
        while (at < size) {
            if (size - at < static_cast<std::size_t>(lengthSize))
                return false;
            std::size_t length = 0;
            for (int i = 0; i < lengthSize; ++i)
                length = (length << 8) | data[at++];
            if (length == 0 || length > size - at)
                return false;
            visit(data + at, length);
            at += length;
        }
        return size > 0;
    }
    // Start codes: 00 00 01, possibly after more zeros; the packet must begin with one.
    std::size_t at = 0;
    while (at < size && data[at] == 0)
        ++at;
    if (at < 2 || at >= size || data[at] != 1)
        return false;
    std::size_t unitStart = at + 1;
    for (;;) {
        const std::size_t next = NextStartCode(data, size, unitStart);
        const bool last = next == size;
        std::size_t unitEnd = next;
        while (unitEnd > unitStart && data[unitEnd - 1] == 0)
            --unitEnd;
        if (unitEnd == unitStart)
            return false;
        visit(data + unitStart, unitEnd - unitStart);
        if (last)
            return true;
        unitStart = next + 3;
    }
}

bool IsUnreferencedHevcSlice(int type)
{
    // TRAIL_N, TSA_N, STSA_N, RADL_N, RASL_N and the reserved VCL_N10, N12, N14.
    return type <= 14 && type % 2 == 0;
}

}  // namespace

UnreferencedPackets::UnreferencedPackets(Codec codec, int lengthSize) : codec_(codec), lengthSize_(lengthSize) {}

UnreferencedPackets UnreferencedPackets::ForStream(const AVCodecParameters& parameters)
{
    const std::uint8_t* extra = parameters.extradata;
    const int extraSize = extra ? parameters.extradata_size : 0;
    if (parameters.codec_id == AV_CODEC_ID_H264) {
        // An avcC record starts with version 1; anything else carries start codes.
        if (extraSize >= 7 && extra[0] == 1)
            return UnreferencedPackets(Codec::H264, (extra[4] & 3) + 1);
        return UnreferencedPackets(Codec::H264, 0);
    }
    if (parameters.codec_id == AV_CODEC_ID_HEVC) {
        // The test FFmpeg's decoder applies to tell an hvcC record from start codes.
        const bool record = extraSize > 3 && (extra[0] != 0 || extra[1] != 0 || extra[2] > 1);
        if (!record)
            return UnreferencedPackets(Codec::Hevc, 0);
        if (extraSize < 23)
            return UnreferencedPackets(Codec::Other, 0);
        return UnreferencedPackets(Codec::Hevc, (extra[21] & 3) + 1);
    }
    return UnreferencedPackets(Codec::Other, 0);
}

void UnreferencedPackets::Restart()
{
    framing_ = Framing::Unknown;
    afterEndOfSequence_ = true;
}

bool UnreferencedPackets::MayLeaveOut(const AVPacket& packet, bool skipping)
{
    if (av_packet_get_side_data(&packet, AV_PKT_DATA_NEW_EXTRADATA, nullptr) != nullptr) {
        // The decoder reads the new parameters and may frame the next packets differently.
        Restart();
        return false;
    }
    if (!packet.data || packet.size <= 0)
        return false;
    return MayLeaveOut(packet.data, static_cast<std::size_t>(packet.size), skipping);
}

bool UnreferencedPackets::MayLeaveOut(const std::uint8_t* data, std::size_t size, bool skipping)
{
    switch (codec_) {
    case Codec::H264: {
        // Only the guess at 4-byte framing carries over to the next packet; the units need
        // reading only when the packet may be left out.
        if (lengthSize_ != 4)
            return skipping && ReadUnits(data, size).skippable;
        const Framing after = FramingAfter(data, size);
        const bool leaveOut = skipping && framing_ == Framing::Lengths && after == Framing::Lengths &&
                              ReadUnits(data, size).skippable;
        if (!leaveOut)
            framing_ = after;
        return leaveOut;
    }
    case Codec::Hevc: {
        const UnitSummary units = ReadUnits(data, size);
        const bool leaveOut = skipping && units.skippable && !afterEndOfSequence_;
        if (!leaveOut)
            afterEndOfSequence_ = units.endsSequence;
        return leaveOut;
    }
    case Codec::Other:
        break;
    }
    return false;
}

UnreferencedPackets::Framing UnreferencedPackets::FramingAfter(const std::uint8_t* data, std::size_t size) const
{
    // The guess FFmpeg's H.264 decoder makes for each packet when unit lengths take 4 bytes.
    if (size > 8 && BigEndian32(data) == 1 && BigEndian32(data + 5) > size)
        return Framing::StartCodes;
    if (size > 3 && BigEndian32(data) > 1 && BigEndian32(data) <= size)
        return Framing::Lengths;
    return framing_;
}

UnreferencedPackets::UnitSummary UnreferencedPackets::ReadUnits(const std::uint8_t* data, std::size_t size) const
{
    bool skippable = true;
    bool slice = false;
    bool endsSequence = false;
    const bool framed = ForEachUnit(data, size, lengthSize_, [&](const std::uint8_t* unit, std::size_t unitSize) {
        if ((unit[0] & 0x80) != 0) {
            skippable = false;  // the forbidden bit: a damaged header
            return;
        }
        if (codec_ == Codec::H264) {
            const int referenceIdc = (unit[0] >> 5) & 3;
            const int type = unit[0] & 0x1f;
            // The decoder ignores every unit with a zero reference indicator except SEI.
            if (referenceIdc != 0 || type == kH264Sei)
                skippable = false;
            slice = slice || (type >= 1 && type <= 4);
            return;
        }
        if (unitSize < 2 || (unit[1] & 7) == 0) {
            skippable = false;
            return;
        }
        const int type = (unit[0] >> 1) & 0x3f;
        const int layer = ((unit[0] & 1) << 5) | (unit[1] >> 3);
        if (type == kHevcEndOfSequence || type == kHevcEndOfBitstream) {
            endsSequence = true;
            skippable = false;
        } else if (IsUnreferencedHevcSlice(type)) {
            slice = true;
        } else if (layer == 0 && type != kHevcAccessUnitDelimiter && type != kHevcFiller) {
            skippable = false;  // parameter sets, SEI, referenced slices, anything unknown
        } else if (type == kHevcUnspecified62) {
            skippable = false;  // may carry metadata the decoder attaches to the next picture
        }
    });
    // A packet that cannot be read may hold anything, an end of sequence too.
    return {framed && skippable && slice, endsSequence || !framed};
}

}  // namespace quellon::decode
