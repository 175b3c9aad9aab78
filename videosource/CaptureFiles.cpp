#include "videosource/CaptureFiles.h"

#include "framework/Bitmap.h"
#include "framework/Exceptions.h"
#include "framework/FileSearch.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>

namespace {

std::string FolderPrefix(const TCaptureNaming& naming)
{
    std::string path = naming.StoragePath;
    if (path.empty()) {
        // No folder is the current one (not the root of the file system).
        std::error_code error;
        path = std::filesystem::current_path(error).string();
        if (error)
            path = ".";
    }
    if (path.back() != PathDelim)
        path += PathDelim;
    return path + naming.Prefix;
}

// A decimal number with an optional sign that fits 32 bits, and nothing else.
bool ParseSequenceNumber(std::string_view text, std::int32_t& value)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return false;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    return error == std::errc() && stop == end;
}

std::string DateTimeBody(std::chrono::system_clock::time_point now)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    // to_time_t may round; the milliseconds are taken from what remains after the whole second.
    const auto whole = std::chrono::system_clock::from_time_t(seconds);
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now - whole).count();
    std::time_t shown = seconds;
    if (milliseconds < 0) {
        --shown;
        milliseconds += 1000;
    }
    std::tm local{};
    localtime_r(&shown, &local);
    char body[32];
    std::snprintf(body, sizeof body, "%02d%02d%02d_%02d%02d%02d_%03d", local.tm_year % 100, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(milliseconds));
    return body;
}

bool NameTaken(const std::string& name)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(name, error));
}

} // namespace

std::int32_t& BmpSequenceCounter()
{
    static std::int32_t counter = 0;
    return counter;
}

std::int32_t& JpgSequenceCounter()
{
    static std::int32_t counter = 0;
    return counter;
}

void FindLastSequenceNumber(std::int32_t& counter, const std::string& ext, const TCaptureNaming& naming)
{
    const std::string& prefix = naming.Prefix;
    for (const TSearchRec& found : FindFiles(FolderPrefix(naming) + "*." + ext, 0)) {
        const std::string& name = found.Name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::size_t dot = name.find('.');
        if (dot == std::string::npos || dot <= prefix.size())
            continue;
        std::int32_t number = 0;
        if (ParseSequenceNumber(std::string_view(name).substr(prefix.size(), dot - prefix.size()), number) &&
            number > counter)
            counter = number;
    }
}

std::string MakeCaptureFileName(std::int32_t& counter, const std::string& ext, const TCaptureNaming& naming,
                                std::chrono::system_clock::time_point now)
{
    const std::string start = FolderPrefix(naming);
    if (!naming.DateTime) {
        if (counter == 0)
            FindLastSequenceNumber(counter, ext, naming);
        // The counter goes on across folders and prefixes, so its next number may be taken
        // where this name goes: taken numbers are skipped, as no capture replaces a file.
        for (;;) {
            if (counter == std::numeric_limits<std::int32_t>::max())
                throw Exception("No capture file name is left: the sequence numbers of " + start + "*." + ext +
                                " are used up.");
            ++counter;
            std::string body = std::to_string(counter);
            if (body.size() < 6)
                body.insert(0, 6 - body.size(), '0');
            std::string name = start + body + "." + ext;
            if (!NameTaken(name))
                return name;
        }
    }
    const std::string stem = start + DateTimeBody(now);
    std::string name = stem + "." + ext;
    for (int suffix = 1; NameTaken(name); ++suffix)
        name = stem + "_" + std::to_string(suffix) + "." + ext;
    return name;
}

void CompleteSnapshotFileName(std::string& fileName, bool jpeg, const TCaptureNaming& naming)
{
    if (fileName.empty())
        fileName = jpeg ? MakeCaptureFileName(JpgSequenceCounter(), "jpg", naming)
                        : MakeCaptureFileName(BmpSequenceCounter(), "bmp", naming);
    else if (fileName.find('.') == std::string::npos)
        fileName += jpeg ? ".jpeg" : ".bmp";
}

void WriteCaptureBmp(TBitmap& frame, const std::string& fileName)
{
    frame.SaveToFile(fileName);
}

void WriteCaptureJpeg(const TBitmap& frame, const std::string& fileName, const TCaptureJpegSettings& settings,
                      bool progressiveEncoding)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(&frame);
    jpeg->SetPerformance(settings.Performance);
    jpeg->SetCompressionQuality(settings.Quality);
    jpeg->SetProgressiveDisplay(settings.ProgressiveDisplay);
    jpeg->SetProgressiveEncoding(progressiveEncoding);
    jpeg->SaveToFile(fileName);
}
