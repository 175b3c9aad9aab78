#include "ReferenceFrames.h"

#include "convert/FrameConversion.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace reference {

std::vector<Picture> ExtractFrames(const std::string& video, int width, int height, int first, int count)
{
    const std::string raw = testvideos::TestFolder() + "/reference-" + std::to_string(::getpid()) + ".rgb";
    const std::string command = testvideos::Ffmpeg() + " -v error -y -i \"" + video +
                                "\" -sws_flags bilinear -vf \"select=between(n\\," + std::to_string(first) + "\\," +
                                std::to_string(first + count - 1) + ")\" -vsync passthrough -frames:v " +
                                std::to_string(count) + " -f rawvideo -pix_fmt rgb24 \"" + raw + "\"";
    EXPECT_EQ(testvideos::RunCommand(command), 0) << command;
    const std::vector<std::uint8_t> bytes = ReadFile(raw);
    std::remove(raw.c_str());
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3;
    std::vector<Picture> pictures;
    for (std::size_t at = 0; at + frameBytes <= bytes.size(); at += frameBytes)
        pictures.push_back({width, height, {bytes.begin() + at, bytes.begin() + at + frameBytes}});
    EXPECT_EQ(pictures.size(), static_cast<std::size_t>(count)) << video;
    return pictures;
}

TFrameBuffer Convert(const Picture& picture, const Settings& settings)
{
    // As the window: the zone's part of the frame is the view, which the preview converts.
    const crop::SourceRect r = crop::SourceRectOfZone(settings.zone, picture.width, picture.height);
    TFrameBuffer frame{};
    ConvertPicture(
        r.Width(), r.Height(),
        [&](int x, int y) -> COLORREF {
            const int sx = r.left + x;
            const int sy = r.top + y;
            if (x < 0 || y < 0 || x >= r.Width() || y >= r.Height())
                return CLR_INVALID;
            const std::uint8_t* p = picture.rgb.data() + (static_cast<std::size_t>(sy) * picture.width + sx) * 3;
            return RGB(p[0], p[1], p[2]);
        },
        settings.brightness, settings.contrast, frame, {});
    return frame;
}

TMovieFrame MovieFrame(const Picture& picture, const Settings& settings)
{
    return PackMovieFrame(Convert(picture, settings));
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string CompareMovie(const std::vector<std::uint8_t>& actual, const std::vector<TMovieFrame>& expected,
                         const std::vector<TMovieFrame>& candidates, int firstCandidate)
{
    if (actual.size() % KqFrameBytes != 0)
        return "size " + std::to_string(actual.size()) + " is not a whole number of frames";
    const std::size_t frames = actual.size() / KqFrameBytes;
    std::string why;
    if (frames != expected.size())
        why = std::to_string(frames) + " frames instead of " + std::to_string(expected.size()) + "; ";
    for (std::size_t i = 0; i < frames && i < expected.size(); ++i) {
        if (std::equal(expected[i].begin(), expected[i].end(), actual.begin() + i * KqFrameBytes))
            continue;
        why += "frame " + std::to_string(i) + " differs";
        for (std::size_t c = 0; c < candidates.size(); ++c)
            if (std::equal(candidates[c].begin(), candidates[c].end(), actual.begin() + i * KqFrameBytes))
                why += " (it is source frame " + std::to_string(firstCandidate + static_cast<int>(c)) + ")";
        return why;
    }
    return why;
}

} // namespace reference
