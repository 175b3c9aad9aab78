// A small store of recently decoded pictures, keyed by their packet's decode index, so that
// stepping backwards over frames decoded a moment ago costs no decoding. Holds references to
// the decoder's frames (no copies). Least recently used frames go first when either limit is
// reached; the byte limit is what keeps large pictures (1080p and up) from filling memory. Internal to the decoding library; one owner thread at a time.
#pragma once

#include "platform/dshow/decode/FfmpegHandles.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>

namespace quellon::decode {

class FrameCache {
public:
    FrameCache(int maxFrames, std::size_t maxBytes);

    // Keeps a new reference to `frame` under `key`; replaces an older entry with that key.
    // Throws std::bad_alloc when no reference can be made.
    void Put(std::int64_t key, const AVFrame* frame);

    // The cached frame, or nullptr. The pointer stays valid until the next Put or Clear.
    const AVFrame* Find(std::int64_t key);

    void Remove(std::int64_t key);
    void Clear();
    std::size_t Count() const { return entries_.size(); }

    // How many pictures of the size last put in fit within both limits (at least 1); the
    // frame limit alone while nothing has been put in yet.
    int Capacity() const;

private:
    struct Entry {
        FramePtr frame;
        std::size_t bytes = 0;
        std::list<std::int64_t>::iterator use;
    };

    int maxFrames_;
    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::size_t lastFrameBytes_ = 0;
    std::list<std::int64_t> recency_;  // front = most recently used
    std::unordered_map<std::int64_t, Entry> entries_;
};

}  // namespace quellon::decode
