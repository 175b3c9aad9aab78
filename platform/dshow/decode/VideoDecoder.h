// Frame-exact access to the pictures of a video file.
//
// Frame n is the n-th picture (0-based) in presentation order that a straight decode of the
// whole stream outputs, and DecodeFrame(n) returns that same picture however it is reached:
// from the start, by a jump, by steps forwards or backwards of any size. FrameCount() is
// the number of pictures really decodable, established at open from a table of every video
// packet (no decode of the whole file), checked by decoding the first picture, the end of
// the stream, and every place where the picture size changes (streams joined end to end:
// the MPEG decoders drop the picture they hold back there, and that picture is then not a
// frame). Keyframes that are only recovery points (H.264 periodic intra refresh) serve as
// starting points for the frames from their first whole picture on.
// Limit: a picture that the decoder drops anywhere else (damage in the middle of a stream)
// is found only when a request reaches it; that frame then shows the picture that a
// straight decode shows next, and the count stays as it was.
//
// Threads: an object is used by one thread at a time (the owner may hand it to another
// thread between calls); it is not thread-safe itself. Distinct objects are independent.
// Failures: Open returns nullptr and fills an OpenFailure; DecodeFrame returns false and
// LastError()/LastErrorMessage() tell why. No exception leaves these methods except
// std::bad_alloc when memory runs out.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"
#include "platform/dshow/decode/DecodedPicture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quellon::decode {

class VideoDecoder {
public:
    // Opens the file and indexes its video stream. Returns nullptr on failure, with
    // `failure` (if not null) telling the kind and a readable message.
    static std::unique_ptr<VideoDecoder> Open(const std::string& path, OpenFailure* failure,
                                              const DecoderOptions& options = {});
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Size of the produced bitmaps: the stream's picture size at open.
    int Width() const;
    int Height() const;

    // Number of decodable frames, at least 1.
    std::int64_t FrameCount() const;
    // Frames per second for paced playback: the stream's declared average rate, else one
    // derived from the timestamps.
    double NominalFrameRate() const;
    // From the start of frame 0 to the end of the last frame.
    double DurationSeconds() const;
    // Presentation time of frame n in seconds, frame 0 at 0; strictly increasing in n.
    // n is clamped to 0 .. FrameCount()-1.
    double FrameTime(std::int64_t n) const;
    // The frame shown at `seconds`: the last frame whose time is at or before it (0 for
    // negative times, the last frame for times past the end). FrameAtTime(FrameTime(n)) == n.
    std::int64_t FrameAtTime(double seconds) const;

    // Decodes frame n into `dib` as a bottom-up DIB of Width() x Height() pixels, rows
    // padded to 4 bytes (DibSizeBytes). `dib` may be a reused buffer: its memory is kept and
    // none of its old bytes remain. Returns false with LastError() set when n is out of
    // range or the frame cannot be produced; `dib` is then empty.
    bool DecodeFrame(std::int64_t n, PixelFormat format, std::vector<std::uint8_t>& dib);

    // Decodes frame n without converting it: DecodeFrame(n, ...) gives the same pixels as a
    // PictureConverter given this picture. Returns false with LastError() set, and `picture`
    // empty, as DecodeFrame does.
    bool DecodePicture(std::int64_t n, DecodedPicture& picture);

    DecodeError LastError() const;
    const std::string& LastErrorMessage() const;

private:
    struct Impl;
    explicit VideoDecoder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace quellon::decode
