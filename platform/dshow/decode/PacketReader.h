// Reads a video stream's packets in decode order and tells, for each, which entry of the
// packet table it is. Seeking places the reader so that the next packet read is a chosen
// table entry, whatever the demuxer does after a seek. Internal to the decoding library;
// one owner thread at a time.
#pragma once

#include "platform/dshow/decode/MediaContainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellon::decode {

class PacketReader {
public:
    static constexpr std::int64_t kEnd = -1;     // no more packets
    static constexpr std::int64_t kLostSync = -2;  // the packet read is not the expected entry

    // `entries` must outlive the reader; it is the table built from the same file.
    PacketReader(std::string path, const std::vector<PacketEntry>& entries);

    // Takes over a container standing at the start of the stream (as just opened).
    void Adopt(MediaContainer container);

    // Reads the next video packet into `packet` and returns its table index, kEnd at the
    // end of the stream, or kLostSync when the packet does not match the table (the file
    // changed or the demuxer resynchronised differently); after kLostSync the reader must
    // be placed again with SeekToEntry.
    std::int64_t ReadNext(AVPacket* packet);

    // Places the reader so that ReadNext returns entry `index` next. Tries the demuxer's seek
    // first and, if it cannot find the entry that way, reopens the file and reads forward
    // from the start, which always works. `fromStart` skips the attempts with seeks.
    // Returns false only when the file can no longer be opened or read up to the entry.
    bool SeekToEntry(std::int64_t index, bool fromStart = false);

    // Reads on, without handing out the packets, until entry `index` is next. Returns false
    // (and the reader must be placed with SeekToEntry) when the stream ends first or the
    // reader is not in step with the table.
    bool SkipTo(std::int64_t index);

    std::int64_t NextEntry() const { return next_; }

private:
    bool Reopen();
    bool TrySeek(std::int64_t index, bool byBytes, double backSeconds);
    bool ReadUpTo(std::int64_t index, std::int64_t packetLimit);
    bool Matches(const AVPacket* packet, const PacketEntry& entry) const;
    bool IsPast(const AVPacket* packet, const PacketEntry& entry) const;
    int ReadVideoPacket(AVPacket* packet);

    std::string path_;
    const std::vector<PacketEntry>& entries_;
    MediaContainer container_;
    PacketPtr pending_;  // a packet read during a seek that ReadNext still has to hand out
    bool hasPending_ = false;
    bool inSync_ = false;  // the next packet read is entry next_
    std::int64_t next_ = 0;
};

}  // namespace quellon::decode
