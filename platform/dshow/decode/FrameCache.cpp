#include "platform/dshow/decode/FrameCache.h"

#include <new>

namespace quellon::decode {

namespace {

std::size_t FrameBytes(const AVFrame* frame)
{
    std::size_t bytes = 0;
    for (const AVBufferRef* buffer : frame->buf) {
        if (buffer)
            bytes += buffer->size;
    }
    return bytes;
}

}  // namespace

FrameCache::FrameCache(int maxFrames, std::size_t maxBytes) : maxFrames_(maxFrames < 1 ? 1 : maxFrames), maxBytes_(maxBytes) {}

void FrameCache::Put(std::int64_t key, const AVFrame* frame)
{
    Remove(key);
    FramePtr copy(av_frame_clone(frame));
    if (!copy)
        throw std::bad_alloc();
    const std::size_t bytes = FrameBytes(copy.get());
    lastFrameBytes_ = bytes;
    // Make room first; a single frame larger than the whole budget is still kept alone,
    // since the caller is about to convert it.
    while (!recency_.empty() &&
           (static_cast<int>(entries_.size()) >= maxFrames_ || bytes_ + bytes > maxBytes_))
        Remove(recency_.back());
    recency_.push_front(key);
    entries_.emplace(key, Entry{std::move(copy), bytes, recency_.begin()});
    bytes_ += bytes;
}

int FrameCache::Capacity() const
{
    if (lastFrameBytes_ == 0)
        return maxFrames_;
    const std::size_t fit = maxBytes_ / lastFrameBytes_;
    return fit < 1 ? 1 : fit < static_cast<std::size_t>(maxFrames_) ? static_cast<int>(fit) : maxFrames_;
}

const AVFrame* FrameCache::Find(std::int64_t key)
{
    auto found = entries_.find(key);
    if (found == entries_.end())
        return nullptr;
    recency_.splice(recency_.begin(), recency_, found->second.use);
    return found->second.frame.get();
}

void FrameCache::Remove(std::int64_t key)
{
    auto found = entries_.find(key);
    if (found == entries_.end())
        return;
    bytes_ -= found->second.bytes;
    recency_.erase(found->second.use);
    entries_.erase(found);
}

void FrameCache::Clear()
{
    entries_.clear();
    recency_.clear();
    bytes_ = 0;
}

}  // namespace quellon::decode
