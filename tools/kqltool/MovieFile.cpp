#include "tools/kqltool/MovieFile.h"

#include "convert/MovieFormat.h"
#include "tools/kqltool/Options.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

MovieFileInfo InspectMovieFile(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw InputError("cannot read movie " + path + ": " + (fs::exists(path) ? "not a regular file" : "no such file"));
    MovieFileInfo info;
    info.sizeBytes = fs::file_size(path, error);
    if (error)
        throw InputError("cannot read movie " + path + ": " + error.message());
    info.wholeFrames = info.sizeBytes / KqFrameBytes;
    info.leftoverBytes = info.sizeBytes % KqFrameBytes;
    return info;
}

std::vector<TFrameBuffer> ReadMovieFile(const std::string& path)
{
    const MovieFileInfo info = InspectMovieFile(path);
    if (info.sizeBytes == 0)
        throw InputError(path + " holds no frame");
    if (!info.IsWhole())
        throw InputError(path + " is not a whole movie: " + std::to_string(info.sizeBytes) + " bytes is " +
                         std::to_string(info.wholeFrames) + " frames of " + std::to_string(KqFrameBytes) +
                         " bytes and " + std::to_string(info.leftoverBytes) + " bytes more");
    std::ifstream in(path, std::ios::binary);
    std::vector<TFrameBuffer> frames;
    frames.reserve(info.wholeFrames);
    TMovieFrame bytes;
    for (std::uint64_t i = 0; i < info.wholeFrames; ++i) {
        if (!in.read(reinterpret_cast<char*>(bytes.data()), bytes.size()))
            throw InputError("cannot read movie " + path + ": " + std::strerror(errno));
        frames.push_back(UnpackMovieFrame(bytes));
    }
    return frames;
}
