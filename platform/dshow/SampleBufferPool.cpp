#include "platform/dshow/SampleBufferPool.h"

std::vector<std::uint8_t> SampleBufferPool::Take()
{
    std::lock_guard guard(lock_);
    if (spare_.empty())
        return {};
    std::vector<std::uint8_t> bytes = std::move(spare_.back());
    spare_.pop_back();
    return bytes;
}

void SampleBufferPool::Give(std::vector<std::uint8_t> bytes) noexcept
{
    if (bytes.capacity() == 0)
        return;
    std::lock_guard guard(lock_);
    if (spare_.size() < maxSpare_)
        spare_.push_back(std::move(bytes)); // reserved: never allocates
}

std::size_t SampleBufferPool::SpareCount() const
{
    std::lock_guard guard(lock_);
    return spare_.size();
}
