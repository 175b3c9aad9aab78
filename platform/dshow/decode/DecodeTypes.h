// Public types of the video decoding library: failure kinds, output pixel formats, options,
// and the layout of the device-independent bitmaps it produces. No FFmpeg types appear here,
// so the filter graph above can include this without seeing FFmpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quellon::decode {

enum class DecodeError {
    None,
    FileNotFound,   // no such file, or it cannot be read
    NotMedia,       // the file is not in any container format we know
    NoVideoStream,  // a media file without pictures (audio only, subtitles only)
    Corrupt,        // recognised, but no picture can be decoded from it
    Unsupported,    // a video codec this build has no decoder for
    TooLarge,       // picture dimensions or memory per frame beyond the caps below
    OutOfRange,     // a frame number outside 0 .. FrameCount()-1
    DecodeFailed,   // a frame in the table could not be produced (read error during decode)
};

// Readable English name of a failure kind ("file not found", ...).
const char* DecodeErrorName(DecodeError error);

struct OpenFailure {
    DecodeError kind = DecodeError::None;
    std::string message;  // one English sentence naming the file and the reason
    // For a file with audio but no video: the audio duration in seconds, or -1 when the
    // container cannot tell. Zero for every other failure.
    double audioDurationSeconds = 0;
};

// Pixel layouts of the produced bitmaps, as a Windows DIB holds them: blue first.
enum class PixelFormat {
    Rgb32,  // 4 bytes per pixel: blue, green, red, one unused byte
    Rgb24,  // 3 bytes per pixel: blue, green, red; rows padded to 4 bytes
};

struct DecoderOptions {
    // Decoder threads. 0 picks one for pictures up to 1024 x 576 (they decode fast enough)
    // and above 3840 x 2160 (every thread holds pictures of its own), min(2, hardware
    // threads) in between. Frame threading adds a few frames of latency to
    // every seek, so more is not always faster for random access; and in a damaged stream
    // that the decoder does not report as damaged, concealment with several threads can
    // depend on their timing (reported damage switches to one thread at once).
    int threadCount = 0;
    // Recently decoded frames kept so that backward steps are mostly free. The cache holds
    // at most cacheFrames frames and at most cacheBytes of decoded 4:2:0 pictures: 30 up to
    // 576 lines, about 22 at 720p, 10 at 1080p, 2 at 4K, one at 8K. 0 (or less) keeps only the frame just
    // returned: every step backwards then decodes again.
    int cacheFrames = 30;
    std::size_t cacheBytes = std::size_t{32} << 20;
};

// Caps that keep absurd headers from turning into absurd allocations.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{8192} * 4608;

// Bands of rows converted one at a time (PictureConverter::ConvertRows) start at a multiple of
// this many rows from the top, and are as high, except one that ends at the bottom row.
inline constexpr int kRowBandAlignment = 16;

// Bytes per row of a DIB of that width (rows padded to 4 bytes), and of the whole picture.
std::size_t DibStrideBytes(int width, PixelFormat format);
std::size_t DibSizeBytes(int width, int height, PixelFormat format);

}  // namespace quellon::decode
