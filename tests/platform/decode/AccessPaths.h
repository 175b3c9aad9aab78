// Checks that every way of reaching a frame gives the picture a straight decode gives.
#pragma once

#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/FormatCases.h"
#include "tests/platform/decode/TestVideos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quellon::decode::test {

// Used by test fixtures and directly; its methods report through gtest assertions.
class AccessPaths {
public:
    // A straight decode from frame 0 to the end: the picture of every frame number.
    void DecodeStraight(const std::string& path, const DecoderOptions& options = {})
    {
        OpenFailure failure;
        auto decoder = VideoDecoder::Open(path, &failure, options);
        ASSERT_TRUE(decoder) << failure.message;
        count_ = decoder->FrameCount();
        width_ = decoder->Width();
        height_ = decoder->Height();
        std::vector<std::uint8_t> dib;
        for (std::int64_t n = 0; n < count_; ++n) {
            ASSERT_TRUE(decoder->DecodeFrame(n, PixelFormat::Rgb24, dib)) << "frame " << n << ": " << decoder->LastErrorMessage();
            sums_.push_back(Checksum(dib));
            numbers_.push_back(ReadFrameNumber(dib, width_, height_, PixelFormat::Rgb24));
        }
    }

    // The frame numbers the ffmpeg command's own straight decode shows, every picture scaled
    // to the decoder's size (as the decoder scales pictures of another size).
    static std::vector<int> FfmpegNumbers(const std::string& path, int width, int height)
    {
        const std::string raw = path + ".reference.bgr";
        const std::string command = Ffmpeg() + " -y -v error -i \"" + path + "\" -map 0:v:0 -fps_mode passthrough -vf scale=" +
                                    std::to_string(width) + ":" + std::to_string(height) +
                                    ",vflip -pix_fmt bgr24 -f rawvideo \"" + raw + "\"";
        std::vector<int> numbers;
        if (RunCommand(command) != 0) {
            ADD_FAILURE() << "ffmpeg failed: " << command;
            return numbers;
        }
        // Bottom-up rows of 3 bytes a pixel, as a 24-bit DIB but without row padding.
        const std::size_t frameBytes = std::size_t{3} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        std::ifstream in(raw, std::ios::binary);
        std::vector<std::uint8_t> picture(frameBytes);
        std::vector<std::uint8_t> dib(DibSizeBytes(width, height, PixelFormat::Rgb24));
        const std::size_t stride = DibStrideBytes(width, PixelFormat::Rgb24);
        while (in.read(reinterpret_cast<char*>(picture.data()), static_cast<std::streamsize>(frameBytes))) {
            for (int row = 0; row < height; ++row)
                std::copy_n(picture.begin() + static_cast<std::ptrdiff_t>(std::size_t{3} * static_cast<std::size_t>(width) * static_cast<std::size_t>(row)),
                            3 * width, dib.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<std::size_t>(row)));
            numbers.push_back(ReadFrameNumber(dib, width, height, PixelFormat::Rgb24));
        }
        std::filesystem::remove(raw);
        return numbers;
    }

    // Decodes `n` on `decoder` and checks it against the straight decode; returns false on
    // the first mismatch so that a broken file reports one line, not hundreds.
    bool Check(VideoDecoder& decoder, std::int64_t n, const char* how)
    {
        std::vector<std::uint8_t> dib;
        if (!decoder.DecodeFrame(n, PixelFormat::Rgb24, dib)) {
            ADD_FAILURE() << how << " frame " << n << " failed: " << decoder.LastErrorMessage();
            return false;
        }
        const int number = ReadFrameNumber(dib, width_, height_, PixelFormat::Rgb24);
        if (Checksum(dib) != sums_[static_cast<std::size_t>(n)] || number != numbers_[static_cast<std::size_t>(n)]) {
            ADD_FAILURE() << how << " frame " << n << " shows number " << number << ", straight decode shows "
                          << numbers_[static_cast<std::size_t>(n)];
            return false;
        }
        return true;
    }

    // Opens the file afresh and reaches frames by jumps, runs of steps of several sizes in
    // both directions, and the ends; every picture must match the straight decode.
    void CheckAccessPaths(const std::string& path, const DecoderOptions& options = {})
    {
        auto decoder = VideoDecoder::Open(path, nullptr, options);
        ASSERT_TRUE(decoder);
        std::uint32_t seed = 12345;
        auto next = [&seed](std::int64_t range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<std::int64_t>((seed >> 8) % static_cast<std::uint32_t>(range));
        };
        for (int jump = 0; jump < 25; ++jump)
            ASSERT_TRUE(Check(*decoder, next(count_), "jump to"));
        // Runs of steps from random places, forwards and backwards, small and larger.
        for (const int step : {1, 3, -1, -3, 7, -10}) {
            std::int64_t n = next(count_);
            for (int i = 0; i < 12; ++i) {
                ASSERT_TRUE(Check(*decoder, n, step > 0 ? "step forward to" : "step back to"));
                n += step;
                if (n < 0 || n >= count_)
                    break;
            }
        }
        // The ends, where drained pictures and leading pictures live.
        for (const std::int64_t n : {count_ - 1, std::int64_t{0}, count_ - 2, std::int64_t{1}, count_ - 1})
            ASSERT_TRUE(Check(*decoder, n, "edge"));
    }

    std::int64_t count_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint64_t> sums_;
    std::vector<int> numbers_;
};

}  // namespace quellon::decode::test
