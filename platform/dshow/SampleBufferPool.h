// Pixel buffers of the samples a source sends, recycled. A picture of several megabytes taken
// fresh for every frame is memory the system must map, clear and unmap each time, which costs
// a good part of a fast run (a tenth of the time of a 1080p capture, a third at 8K); a sample
// gives its buffer back when its last reference goes, and the next frame is decoded into it.
//
// Only a few buffers are kept spare, so that a source holds no more memory than the frames on
// their way: the one a renderer shows and the next one. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class SampleBufferPool {
public:
    // Throws std::bad_alloc without memory; Give never throws.
    explicit SampleBufferPool(std::size_t maxSpare) : maxSpare_(maxSpare) { spare_.reserve(maxSpare); }

    // A spare buffer with the bytes it had when given back (a decoder writes the next picture
    // of the same size over them without clearing), or a new empty one when none is spare.
    std::vector<std::uint8_t> Take();
    // Keeps the buffer for a later Take when fewer than maxSpare are spare; frees it otherwise.
    void Give(std::vector<std::uint8_t> bytes) noexcept;

    std::size_t SpareCount() const;

private:
    const std::size_t maxSpare_;
    mutable std::mutex lock_;
    std::vector<std::vector<std::uint8_t>> spare_;
};
