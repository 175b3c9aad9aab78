// Which packets of an H.264 or HEVC stream a decoder told to skip unreferenced pictures would
// ignore entirely, read from the headers of the packet's own units.
//
// Leaving such a packet out gives exactly the pictures that sending it does, and it matters
// with frame threads: each packet sent takes its turn in the threads' rotation even when the
// decoder then ignores it, so it waits for the picture decoding on that thread before going
// in, and a run of steps that skips every other picture keeps one thread idle most of the time.
//
// The answer is conservative: a packet is only left out when every unit in it is one the
// decoder skips without looking further (an unreferenced slice, and in HEVC an access unit
// delimiter or filler), and when leaving it out cannot change what the decoder remembers for
// the next packet: an H.264 decoder reading 4-byte unit lengths re-guesses from each packet
// whether they are lengths or start codes, and an HEVC decoder carries an end of sequence
// over to the next packet. Packets with anything else (parameter sets, SEI messages, new
// extradata, a header it cannot read) are always sent.
//
// Feed every packet the decoder is given, in decode order, through MayLeaveOut, and call
// Restart when the decoder is flushed or opened again.
#pragma once

#include <cstddef>
#include <cstdint>

struct AVCodecParameters;
struct AVPacket;

namespace quellon::decode {

class UnreferencedPackets {
public:
    enum class Codec { Other, H264, Hevc };

    // lengthSize: bytes of the big-endian length before each unit, or 0 when units follow
    // start codes.
    UnreferencedPackets(Codec codec, int lengthSize);
    // From the stream's parameters: its codec, and the unit lengths its avcC or hvcC
    // extradata declares (start codes without one), as FFmpeg's decoders read them.
    static UnreferencedPackets ForStream(const AVCodecParameters& parameters);

    // Whether the packet may be left out instead of being sent to a decoder that skips
    // unreferenced pictures (`skipping`); always false when it does not. A packet for which
    // this returns false must then be sent.
    bool MayLeaveOut(const AVPacket& packet, bool skipping);
    bool MayLeaveOut(const std::uint8_t* data, std::size_t size, bool skipping);
    // The decoder was flushed or opened again.
    void Restart();

private:
    // How an H.264 decoder with 4-byte unit lengths reads the next packet.
    enum class Framing { Unknown, Lengths, StartCodes };

    struct UnitSummary {
        bool skippable;     // every unit one the decoder ignores, and at least one slice
        bool endsSequence;  // an HEVC end of sequence or of bitstream, or unreadable
    };

    Framing FramingAfter(const std::uint8_t* data, std::size_t size) const;
    UnitSummary ReadUnits(const std::uint8_t* data, std::size_t size) const;

    Codec codec_;
    int lengthSize_;
    Framing framing_ = Framing::Unknown;
    bool afterEndOfSequence_ = true;
};

}  // namespace quellon::decode
