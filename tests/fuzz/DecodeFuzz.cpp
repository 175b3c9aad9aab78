// Opens the input as a video file with the decoding library, reads its frame table and
// fetches a few frames chosen by the input's last bytes, as the player does.
#include "tests/fuzz/FuzzTargets.h"

#include "platform/dshow/decode/VideoDecoder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace quellon::fuzz {

namespace {

// The decoder reads files by name: one scratch file per process, in memory when /dev/shm is
// there.
const std::string& ScratchPath()
{
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        return std::string(folder) + "/quellon-fuzz-decode-" + std::to_string(getpid()) + ".bin";
    }();
    return path;
}

struct ScratchRemover {
    ~ScratchRemover() { std::remove(ScratchPath().c_str()); }
};

bool WriteScratch(const std::uint8_t* data, std::size_t size)
{
    static ScratchRemover remover;
    std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    if (!file)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Pictures above this many pixels are opened and indexed but not fetched: converting them
// is legitimate and only slow.
constexpr std::int64_t kMaxFetchedPixels = 1920 * 1088;

}  // namespace

}  // namespace quellon::fuzz

using namespace quellon::fuzz;

QUELLON_FUZZ_TARGET(FuzzDecode)
{
    using namespace quellon::decode;
    if (!WriteScratch(data, size))
        return 0;
    // The last byte picks the options; the three before it the frames fetched.
    const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
    DecoderOptions options;
    options.threadCount = 1;  // several threads make a run depend on their timing
    options.cacheFrames = choice % 4 == 0 ? 0 : choice % 4 == 1 ? 1 : 30;
    OpenFailure failure;
    std::unique_ptr<VideoDecoder> decoder = VideoDecoder::Open(ScratchPath(), &failure, options);
    if (!decoder)
        return 0;
    const std::int64_t count = decoder->FrameCount();
    if (count < 1 || decoder->Width() <= 0 || decoder->Height() <= 0)
        std::abort();
    for (std::int64_t n = 0; n < count && n < 4; ++n) {
        if (!(decoder->FrameTime(n) >= 0) || decoder->FrameAtTime(decoder->FrameTime(n)) != n)
            std::abort();  // times strictly increasing from 0 is a promise of the header
    }
    if (std::int64_t{decoder->Width()} * decoder->Height() > kMaxFetchedPixels)
        return 0;
    std::vector<std::int64_t> wanted{0, count - 1};
    for (std::size_t i = 2; i <= 4 && i <= size; ++i)
        wanted.push_back(data[size - i] % count);
    wanted.push_back(count);  // one past the end is refused
    std::vector<std::uint8_t> dib;
    for (const std::int64_t n : wanted) {
        const PixelFormat format = n % 2 == 0 ? PixelFormat::Rgb24 : PixelFormat::Rgb32;
        const bool decoded = decoder->DecodeFrame(n, format, dib);
        if (decoded && dib.size() != DibSizeBytes(decoder->Width(), decoder->Height(), format))
            std::abort();
        if (!decoded && (!dib.empty() || decoder->LastError() == DecodeError::None))
            std::abort();
        if (n == count && decoder->LastError() != DecodeError::OutOfRange)
            std::abort();
    }
    return 0;
}
