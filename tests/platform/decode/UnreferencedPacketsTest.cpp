// Which packets may be left out of a decoder that skips unreferenced pictures: only those it
// would ignore, and only when leaving them out cannot change how it reads the next packet.
// Whether the pictures stay the same is checked on real files by the frame exactness matrix;
// these cases are the packets real encoders seldom write.
#include "platform/dshow/decode/UnreferencedPackets.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace quellon::decode {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Codec = UnreferencedPackets::Codec;

// A packet of units each preceded by its 4-byte length.
Bytes WithLengths(std::initializer_list<Bytes> units)
{
    Bytes packet;
    for (const Bytes& unit : units) {
        const auto size = static_cast<std::uint32_t>(unit.size());
        packet.insert(packet.end(), {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                                     static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
        packet.insert(packet.end(), unit.begin(), unit.end());
    }
    return packet;
}

Bytes WithStartCodes(std::initializer_list<Bytes> units)
{
    Bytes packet;
    for (const Bytes& unit : units) {
        packet.insert(packet.end(), {0, 0, 0, 1});
        packet.insert(packet.end(), unit.begin(), unit.end());
    }
    return packet;
}

bool LeaveOut(UnreferencedPackets& packets, const Bytes& packet, bool skipping = true)
{
    return packets.MayLeaveOut(packet.data(), packet.size(), skipping);
}

// H.264 unit headers: reference indicator in bits 5-6, type in bits 0-4.
const Bytes kH264Unreferenced = {0x01, 0x9e, 0x11, 0x22};
const Bytes kH264Referenced = {0x41, 0x9a, 0x11, 0x22};
const Bytes kH264Delimiter = {0x09, 0x30};
const Bytes kH264Sei = {0x06, 0x05, 0x01, 0x80};

TEST(UnreferencedPackets, H264LeavesOutOnlyWhatTheDecoderWouldIgnoreAndNothingThatChangesItsFraming)
{
    UnreferencedPackets lengths(Codec::H264, 4);
    const Bytes unreferenced = WithLengths({kH264Delimiter, kH264Unreferenced});
    // Right after a start the decoder's guess at the framing is not known: the packet goes in.
    EXPECT_FALSE(LeaveOut(lengths, unreferenced));
    EXPECT_TRUE(LeaveOut(lengths, unreferenced));
    EXPECT_FALSE(LeaveOut(lengths, unreferenced, false));
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({kH264Referenced})));
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({kH264Sei, kH264Unreferenced})));
    // A length running past the end, an empty unit, the forbidden bit.
    Bytes overlong = unreferenced;
    overlong[3] = 0x40;
    EXPECT_FALSE(LeaveOut(lengths, overlong));
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({Bytes{}, kH264Unreferenced})));
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({{0x81, 0x9e}})));
    EXPECT_TRUE(LeaveOut(lengths, unreferenced));

    // A packet that looks like start codes makes the decoder read start codes until a packet
    // looks like lengths again; that packet must go in to turn it back.
    Bytes looksLikeStartCodes = {0, 0, 0, 1, 0x09, 0x7f, 0xff, 0xff, 0xff, 0x01};
    EXPECT_FALSE(LeaveOut(lengths, looksLikeStartCodes));
    EXPECT_FALSE(LeaveOut(lengths, unreferenced));
    EXPECT_TRUE(LeaveOut(lengths, unreferenced));
    lengths.Restart();
    EXPECT_FALSE(LeaveOut(lengths, unreferenced));

    // Start codes, three or four bytes long, with trailing zeros.
    UnreferencedPackets startCodes(Codec::H264, 0);
    EXPECT_TRUE(LeaveOut(startCodes, WithStartCodes({kH264Delimiter, kH264Unreferenced})));
    EXPECT_TRUE(LeaveOut(startCodes, {0, 0, 1, 0x09, 0x30, 0, 0, 1, 0x01, 0x9e, 0, 0}));
    EXPECT_FALSE(LeaveOut(startCodes, WithStartCodes({kH264Delimiter, kH264Referenced})));
    EXPECT_FALSE(LeaveOut(startCodes, {0x55, 0, 0, 1, 0x01, 0x9e}));  // bytes before the first start code
    EXPECT_FALSE(LeaveOut(startCodes, {0, 0, 1, 0, 0, 1, 0x01, 0x9e}));  // an empty unit
    EXPECT_FALSE(LeaveOut(startCodes, WithStartCodes({kH264Delimiter})));  // no picture at all
    EXPECT_FALSE(LeaveOut(startCodes, {}));

    UnreferencedPackets other(Codec::Other, 0);
    EXPECT_FALSE(LeaveOut(other, WithStartCodes({kH264Unreferenced})));
}

// HEVC unit headers: type in bits 1-6 of the first byte, layer across both, temporal id + 1
// in the low bits of the second.
Bytes Hevc(int type, int layer = 0, int temporalIdPlusOne = 1)
{
    return {static_cast<std::uint8_t>((type << 1) | (layer >> 5)),
            static_cast<std::uint8_t>(((layer & 31) << 3) | temporalIdPlusOne), 0xaf, 0x10};
}

TEST(UnreferencedPackets, HevcLeavesOutUnreferencedSlicesButNeverThePacketAfterAnEndOfSequence)
{
    UnreferencedPackets lengths(Codec::Hevc, 4);
    const Bytes trailingN = WithLengths({Hevc(35), Hevc(0)});
    EXPECT_FALSE(LeaveOut(lengths, trailingN));  // a flushed decoder counts as after an end of sequence
    EXPECT_TRUE(LeaveOut(lengths, trailingN));
    for (const int type : {2, 4, 6, 8})
        EXPECT_TRUE(LeaveOut(lengths, WithLengths({Hevc(type)}))) << "type " << type;
    for (const int type : {1, 19, 21, 32, 39, 40, 62})
        EXPECT_FALSE(LeaveOut(lengths, WithLengths({Hevc(type), Hevc(0)}))) << "type " << type;
    // Units of other layers are ignored whatever they are; a temporal id of -1 is damage.
    EXPECT_TRUE(LeaveOut(lengths, WithLengths({Hevc(33, 1), Hevc(0)})));
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({Hevc(0, 0, 0)})));

    // The decoder carries an end of sequence over to the next packet's pictures.
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({Hevc(1), Hevc(36)})));
    EXPECT_FALSE(LeaveOut(lengths, trailingN));
    EXPECT_TRUE(LeaveOut(lengths, trailingN));
    EXPECT_FALSE(LeaveOut(lengths, WithLengths({Hevc(37, 1)}), false));
    EXPECT_FALSE(LeaveOut(lengths, trailingN));
    // A packet that cannot be read may have ended the sequence too.
    EXPECT_TRUE(LeaveOut(lengths, trailingN));
    EXPECT_FALSE(LeaveOut(lengths, {0, 0, 0, 9, 0x00, 0x01}));
    EXPECT_FALSE(LeaveOut(lengths, trailingN));

    UnreferencedPackets startCodes(Codec::Hevc, 0);
    const Bytes coded = WithStartCodes({Hevc(35), Hevc(0)});
    EXPECT_FALSE(LeaveOut(startCodes, coded));
    EXPECT_TRUE(LeaveOut(startCodes, coded));
    EXPECT_FALSE(LeaveOut(startCodes, {0, 0, 1, 0x01}));  // a header cut short
}

}  // namespace
}  // namespace quellon::decode
