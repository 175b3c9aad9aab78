#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace testvideos {

namespace {

class FolderCleanup : public ::testing::Environment {
public:
    void TearDown() override
    {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
    }
    std::string folder;
};

FolderCleanup* cleanup = nullptr;

} // namespace

std::string Ffmpeg()
{
    const char* configured = std::getenv("QUELLON_FFMPEG");
    return configured && *configured ? configured : "ffmpeg";
}

int RunCommand(const std::string& command)
{
    return std::system(command.c_str());
}

bool RunFfmpeg(const std::string& arguments)
{
    return RunCommand(Ffmpeg() + " -y -v error " + arguments) == 0;
}

std::string TestFolder()
{
    if (!cleanup) {
        cleanup = new FolderCleanup;
        ::testing::AddGlobalTestEnvironment(cleanup); // gtest owns it
        const auto folder = std::filesystem::temp_directory_path() / ("quellon-videos-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        cleanup->folder = folder.string();
    }
    return cleanup->folder;
}

std::string PatternInput(int frames, int width, int height)
{
    const int blockWidth = width / 4;
    const int blockHeight = height / 3;
    return "-f lavfi -i \"color=black:s=" + std::to_string(width) + "x" + std::to_string(height) + ":r=25:d=" +
           std::to_string(frames / 25.0) + ",format=gray,geq=lum='if(mod(floor(N/pow(2,floor(X/" +
           std::to_string(blockWidth) + ")+4*floor(Y/" + std::to_string(blockHeight) + "))),2),235,16)'\"";
}

std::string MakeVideo(const std::string& name, const std::string& arguments, int frames, int width, int height)
{
    const std::string path = TestFolder() + "/" + name;
    if (std::filesystem::exists(path))
        return path;
    std::string expanded = arguments;
    const std::string token = "{pattern}";
    if (const auto at = expanded.find(token); at != std::string::npos)
        expanded.replace(at, token.size(), PatternInput(frames, width, height));
    // Written under another name first (same extension, which picks the container) so that
    // an interrupted run never leaves a half-made file that a later run would trust.
    const std::string partial = TestFolder() + "/partial-" + name;
    const std::string command =
        Ffmpeg() + " -y -v error " + expanded + " \"" + partial + "\" && mv \"" + partial + "\" \"" + path + "\"";
    if (RunCommand(command) != 0) {
        ADD_FAILURE() << "ffmpeg failed: " << command;
        return "";
    }
    return path;
}

std::string NumberedVideo(const std::string& name, int frames, const std::string& codecArguments, int width,
                          int height)
{
    return MakeVideo(name, "{pattern} -frames:v " + std::to_string(frames) + " " + codecArguments, frames, width,
                     height);
}

int ReadFrameNumber(const std::uint8_t* bottomUpRows, int width, int height, int bitsPerPixel)
{
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel / 8);
    const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t(3);
    int number = 0;
    for (int bit = 0; bit < 12; ++bit) {
        const int x = (bit % 4) * (width / 4) + width / 8;
        const int y = (bit / 4) * (height / 3) + height / 6;
        const std::size_t row = static_cast<std::size_t>(height - 1 - y);
        const int green = bottomUpRows[row * stride + static_cast<std::size_t>(x) * bytesPerPixel + 1];
        if (green > 60 && green < 190)
            return -1;
        if (green >= 190)
            number |= 1 << bit;
    }
    return number;
}

} // namespace testvideos
