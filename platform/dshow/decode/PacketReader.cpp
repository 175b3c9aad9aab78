#include "platform/dshow/decode/PacketReader.h"

#include "platform/dshow/decode/PresentationOrder.h"

#include <cmath>
#include <utility>

namespace quellon::decode {

namespace {

// Program and transport streams resynchronise after a byte seek and may hand out the tail of
// a cut picture first, so a byte seek aims a few packets before the wanted one.
constexpr std::int64_t kByteSeekLeadPackets = 3;
// Packets read after a seek before the attempt is given up. Seeks land on an index entry at
// or before the target, at most a couple of GOPs away in any file we have seen.
constexpr std::int64_t kSeekReadLimit = 2000;

}  // namespace

PacketReader::PacketReader(std::string path, const std::vector<PacketEntry>& entries)
    : path_(std::move(path)), entries_(entries), pending_(av_packet_alloc())
{
    if (!pending_)
        throw std::bad_alloc();
}

void PacketReader::Adopt(MediaContainer container)
{
    container_ = std::move(container);
    av_packet_unref(pending_.get());
    hasPending_ = false;
    next_ = 0;
    inSync_ = static_cast<bool>(container_.format);
}

int PacketReader::ReadVideoPacket(AVPacket* packet)
{
    if (!container_.format)
        return AVERROR_EOF;
    int retries = 0;
    for (;;) {
        const int read = av_read_frame(container_.format.get(), packet);
        if (read == AVERROR(EAGAIN) && ++retries < 100)
            continue;
        if (read < 0)
            return read;
        if (packet->stream_index == container_.videoStream)
            return 0;
        av_packet_unref(packet);
    }
}

bool PacketReader::Matches(const AVPacket* packet, const PacketEntry& entry) const
{
    if (packet->size != entry.size)
        return false;
    if (packet->pos >= 0 && entry.pos >= 0)
        return packet->pos == entry.pos;
    if (packet->dts != AV_NOPTS_VALUE && entry.dts != kNoTimestamp)
        return packet->dts == entry.dts;
    return true;
}

bool PacketReader::IsPast(const AVPacket* packet, const PacketEntry& entry) const
{
    if (packet->pos >= 0 && entry.pos >= 0)
        return packet->pos > entry.pos;
    return false;
}

std::int64_t PacketReader::ReadNext(AVPacket* packet)
{
    av_packet_unref(packet);
    if (hasPending_) {
        av_packet_move_ref(packet, pending_.get());
        hasPending_ = false;
        return next_++;
    }
    if (next_ >= static_cast<std::int64_t>(entries_.size()))
        return kEnd;
    if (ReadVideoPacket(packet) < 0)
        return kEnd;
    const PacketEntry& expected = entries_[static_cast<std::size_t>(next_)];
    if (!inSync_ || packet->size != expected.size || (packet->pos >= 0 && expected.pos >= 0 && packet->pos != expected.pos)) {
        av_packet_unref(packet);
        inSync_ = false;
        return kLostSync;
    }
    return next_++;
}

bool PacketReader::SkipTo(std::int64_t index)
{
    if (!inSync_ || index < next_ || index >= static_cast<std::int64_t>(entries_.size()))
        return false;
    if (index == next_)
        return true;
    if (hasPending_) {
        av_packet_unref(pending_.get());
        hasPending_ = false;
        ++next_;
    }
    while (next_ < index) {
        const std::int64_t read = ReadNext(pending_.get());
        av_packet_unref(pending_.get());
        if (read < 0)
            return false;
    }
    return true;
}

bool PacketReader::Reopen()
{
    MediaContainer fresh;
    OpenFailure ignored;
    container_ = MediaContainer{};
    if (!OpenMediaContainer(path_, fresh, ignored))
        return false;
    Adopt(std::move(fresh));
    return true;
}

bool PacketReader::ReadUpTo(std::int64_t index, std::int64_t packetLimit)
{
    const PacketEntry& wanted = entries_[static_cast<std::size_t>(index)];
    for (std::int64_t count = 0; count < packetLimit; ++count) {
        if (ReadVideoPacket(pending_.get()) < 0)
            return false;
        if (Matches(pending_.get(), wanted)) {
            hasPending_ = true;
            next_ = index;
            inSync_ = true;
            return true;
        }
        const bool past = IsPast(pending_.get(), wanted);
        av_packet_unref(pending_.get());
        if (past)
            return false;
    }
    return false;
}

bool PacketReader::TrySeek(std::int64_t index, bool byBytes, double backSeconds)
{
    const PacketEntry& wanted = entries_[static_cast<std::size_t>(index)];
    AVFormatContext* format = container_.format.get();
    int sought = -1;
    if (byBytes) {
        std::int64_t from = index - kByteSeekLeadPackets - (backSeconds > 0 ? 60 : 0);
        while (from > 0 && entries_[static_cast<std::size_t>(from)].pos < 0)
            --from;
        const std::int64_t pos = from > 0 ? entries_[static_cast<std::size_t>(from)].pos : 0;
        sought = av_seek_frame(format, -1, pos, AVSEEK_FLAG_BYTE);
    } else {
        std::int64_t timestamp = wanted.dts != kNoTimestamp ? wanted.dts : wanted.pts;
        if (timestamp == kNoTimestamp)
            return false;
        timestamp -= static_cast<std::int64_t>(std::llround(backSeconds / container_.TimeBaseSeconds()));
        sought = av_seek_frame(format, container_.videoStream, timestamp, AVSEEK_FLAG_BACKWARD);
    }
    if (sought < 0)
        return false;
    return ReadUpTo(index, kSeekReadLimit);
}

bool PacketReader::SeekToEntry(std::int64_t index, bool fromStart)
{
    av_packet_unref(pending_.get());
    hasPending_ = false;
    inSync_ = false;
    if (index < 0 || index >= static_cast<std::int64_t>(entries_.size()))
        return false;
    const PacketEntry& wanted = entries_[static_cast<std::size_t>(index)];
    const bool recognisable = wanted.pos >= 0 || wanted.dts != kNoTimestamp;
    if (index > 0 && !fromStart && recognisable && container_.format) {
        const int flags = container_.format->iformat->flags;
        const bool timestamped = wanted.dts != kNoTimestamp || wanted.pts != kNoTimestamp;
        const bool byBytes = !(flags & AVFMT_NO_BYTE_SEEK) &&
                             ((flags & (AVFMT_TS_DISCONT | AVFMT_GENERIC_INDEX)) != 0 || !timestamped);
        if (TrySeek(index, byBytes, 0) || TrySeek(index, byBytes, 2.0))
            return true;
    }
    // Reading from the start always reproduces the table, since the table was made that way.
    if (!Reopen())
        return false;
    for (std::int64_t i = 0; i < index; ++i) {
        if (ReadVideoPacket(pending_.get()) < 0 || pending_->size != entries_[static_cast<std::size_t>(i)].size) {
            av_packet_unref(pending_.get());
            return false;
        }
        av_packet_unref(pending_.get());
    }
    if (ReadVideoPacket(pending_.get()) < 0 || pending_->size != wanted.size) {
        av_packet_unref(pending_.get());
        return false;
    }
    hasPending_ = true;
    next_ = index;
    inSync_ = true;
    return true;
}

}  // namespace quellon::decode
