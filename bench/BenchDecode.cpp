// bench_decode: how fast frame-exact access is, next to a plain linear decode.
//
// For a set of generated videos (made once into a cache folder), measures in one run:
//   linear  - the ffmpeg command's full decode: ffmpeg -v error -threads T -i FILE -f null -
//   open    - VideoDecoder::Open (packet table, first picture, check of the end)
//   +3 pass - frames 0, 3, 6, ... to the end, each converted to a 24-bit DIB
//   jump    - 30 random frames (fixed seed), mean and worst single access
//   -1      - 30 steps backwards from the last frame, mean per step
// and prints each as a ratio to the linear decode's wall-clock time, the +3 pass also as a
// ratio of processor time (steadier on a busy machine), with the peak memory of the child
// process that ran the file (each file runs in its own process so the figures do not mix).
//
// Usage: see kUsage below (bench_decode --help).
#include "platform/dshow/decode/VideoDecoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using quellon::decode::OpenFailure;
using quellon::decode::PixelFormat;
using quellon::decode::VideoDecoder;
using Clock = std::chrono::steady_clock;

namespace {

struct BenchVideo {
    const char* name;
    const char* arguments;  // ffmpeg output options
    const char* size;
};

// A few hundred frames each of a moving test picture; encoder settings as common tools use.
const BenchVideo kVideos[] = {
    {"mpeg1-352x288.mpg", "-c:v mpeg1video -b:v 1500k -bf 2 -g 15 -f mpeg", "352x288"},
    {"mpeg1-720x576.mpg", "-c:v mpeg1video -b:v 5000k -bf 2 -g 15 -f mpeg", "720x576"},
    {"mpeg2-352x288.mpg", "-c:v mpeg2video -b:v 2000k -bf 2 -g 15 -f vob", "352x288"},
    {"mpeg2-720x576.mpg", "-c:v mpeg2video -b:v 6000k -bf 2 -g 15 -f vob", "720x576"},
    {"mpeg4-640x480.avi", "-c:v mpeg4 -q:v 4 -bf 2 -g 250", "640x480"},
    {"mjpeg-640x480.avi", "-c:v mjpeg -q:v 4 -pix_fmt yuvj420p", "640x480"},
    {"h264-1280x720.mp4", "-c:v libx264 -preset veryfast -crf 23", "1280x720"},
    {"h264-1920x1080.mp4", "-c:v libx264 -preset veryfast -crf 23", "1920x1080"},
    {"h264-1280x720.mkv", "-c:v libx264 -preset veryfast -crf 23", "1280x720"},
    {"h264-1920x1080.mkv", "-c:v libx264 -preset veryfast -crf 23", "1920x1080"},
    {"hevc-1280x720.mp4", "-c:v libx265 -preset veryfast -crf 28 -tag:v hvc1 -x265-params log-level=error", "1280x720"},
    {"hevc-1920x1080.mp4", "-c:v libx265 -preset veryfast -crf 28 -tag:v hvc1 -x265-params log-level=error", "1920x1080"},
    {"hevc-1280x720.mkv", "-c:v libx265 -preset veryfast -crf 28 -x265-params log-level=error", "1280x720"},
    {"hevc-1920x1080.mkv", "-c:v libx265 -preset veryfast -crf 28 -x265-params log-level=error", "1920x1080"},
};
constexpr int kFrames = 300;
constexpr int kJumps = 30;

const char* const kUsage =
    "usage: bench_decode [--threads T] [--folder DIR] [--only TEXT]\n"
    "\n"
    "Makes a set of test videos (MPEG-1, MPEG-2, MPEG-4 Part 2, MJPEG, H.264, HEVC; 352x288\n"
    "to 1920x1080; 300 frames each) with the ffmpeg command, once, then measures on each: the\n"
    "time to open it, a pass of +3 frame steps, random jumps and backward steps, each as a\n"
    "ratio to the ffmpeg command's own full decode of the same file, and the peak memory.\n"
    "\n"
    "  --threads T    decoder threads, for our decoder and the ffmpeg command (default 1)\n"
    "  --folder DIR   where the videos are made and kept between runs\n"
    "                 (default $TMPDIR/quellon-bench-videos; --cache DIR is the same)\n"
    "  --only TEXT    only the videos whose file name contains TEXT\n"
    "  --help         this text\n"
    "\n"
    "The ffmpeg command is $QUELLON_FFMPEG, else the one found at build time.\n";

std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Make(const std::string& ffmpeg, const std::string& folder, const BenchVideo& video)
{
    const std::string path = folder + "/" + video.name;
    if (std::filesystem::exists(path))
        return true;
    const std::string partial = folder + "/partial-" + video.name;
    const std::string command = Quote(ffmpeg) + " -y -v error -f lavfi -i testsrc2=s=" + video.size +
                                ":r=25 -frames:v " + std::to_string(kFrames) + " -pix_fmt yuv420p " + video.arguments +
                                " " + Quote(partial) + " && mv " + Quote(partial) + " " + Quote(path);
    std::printf("making %s ...\n", video.name);
    std::fflush(stdout);
    return std::system(command.c_str()) == 0;
}

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double wall = 0;
    double cpu = 0;
};

Cost LinearDecode(const std::string& ffmpeg, const std::string& path, int threads)
{
    // Best of two, so that a cold page cache does not count against the command.
    Cost best{1e9, 1e9};
    for (int run = 0; run < 2; ++run) {
        const auto start = Clock::now();
        const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
        const std::string command = Quote(ffmpeg) + " -v error -threads " + std::to_string(threads) + " -i " +
                                    Quote(path) + " -f null -";
        if (std::system(command.c_str()) != 0)
            return {-1, -1};
        best.wall = std::min(best.wall, SecondsSince(start));
        best.cpu = std::min(best.cpu, CpuSeconds(RUSAGE_CHILDREN) - cpuBefore);
    }
    return best;
}

// Runs in a child process; prints one result line.
int MeasureFile(const std::string& path, const std::string& name, int threads, const Cost& linear)
{
    quellon::decode::DecoderOptions options;
    options.threadCount = threads;
    OpenFailure failure;
    auto start = Clock::now();
    auto decoder = VideoDecoder::Open(path, &failure, options);
    const double open = SecondsSince(start);
    if (!decoder) {
        std::printf("%-20s open failed: %s\n", name.c_str(), failure.message.c_str());
        return 1;
    }
    const std::int64_t count = decoder->FrameCount();
    std::vector<std::uint8_t> dib;
    start = Clock::now();
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    for (std::int64_t n = 0; n < count; n += 3) {
        if (!decoder->DecodeFrame(n, PixelFormat::Rgb24, dib)) {
            std::printf("%-20s frame %lld failed: %s\n", name.c_str(), static_cast<long long>(n),
                        decoder->LastErrorMessage().c_str());
            return 1;
        }
    }
    const double stepPass = SecondsSince(start);
    const double stepPassCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    decoder.reset();  // one decoder at a time, so that the peak memory is one decoder's

    auto jumper = VideoDecoder::Open(path, &failure, options);
    std::uint32_t seed = 2024;
    double jumpTotal = 0;
    double jumpWorst = 0;
    for (int i = 0; i < kJumps; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::int64_t n = static_cast<std::int64_t>((seed >> 8) % static_cast<std::uint32_t>(count));
        start = Clock::now();
        if (!jumper->DecodeFrame(n, PixelFormat::Rgb24, dib))
            return 1;
        const double one = SecondsSince(start);
        jumpTotal += one;
        jumpWorst = std::max(jumpWorst, one);
    }
    const double jumpMean = jumpTotal / kJumps;
    jumper.reset();

    // Thirty steps backwards from the last frame on a fresh decoder.
    auto stepper = VideoDecoder::Open(path, &failure, options);
    start = Clock::now();
    for (std::int64_t n = count - 1; n >= std::max<std::int64_t>(0, count - 30); --n) {
        if (!stepper->DecodeFrame(n, PixelFormat::Rgb24, dib))
            return 1;
    }
    const double backMean = SecondsSince(start) / static_cast<double>(std::min<std::int64_t>(30, count));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-19s %5lld %7.0f %7.0f %7.1f %6.3f %7.0f %6.3f %6.3f %7.1f %7.1f %6.3f %6.1f %6.0f\n", name.c_str(),
                static_cast<long long>(count), linear.wall * 1e3, linear.cpu * 1e3, open * 1e3, open / linear.wall,
                stepPass * 1e3, stepPass / linear.wall, stepPassCpu / linear.cpu, jumpMean * 1e3, jumpWorst * 1e3,
                jumpMean / linear.wall, backMean * 1e3, usage.ru_maxrss / 1024.0);
    return 0;
}

// Figures taken while other programs run are slower; the load average says how busy the
// machine was.
void PrintLoad(const char* when)
{
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

}  // namespace

int main(int argc, char** argv)
{
    int threads = 1;
    std::string folder = (std::filesystem::temp_directory_path() / "quellon-bench-videos").string();
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const bool takesValue = option == "--threads" || option == "--folder" || option == "--cache" || option == "--only";
        if (!takesValue || i + 1 >= argc) {
            std::fprintf(stderr, "bench_decode: %s\n\n%s",
                         takesValue ? ("missing value after " + option).c_str() : ("unknown option " + option).c_str(), kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--threads") {
            threads = std::atoi(value.c_str());
            if (threads < 1 || threads > 64) {
                std::fprintf(stderr, "bench_decode: --threads wants 1 to 64, not %s\n", value.c_str());
                return 2;
            }
        } else if (option == "--folder" || option == "--cache") {
            folder = value;
        } else {
            only = value;
        }
    }
    const char* configured = std::getenv("QUELLON_FFMPEG");
    const std::string ffmpeg = configured && *configured ? configured : QUELLON_FFMPEG_COMMAND;
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "bench_decode: cannot use %s as the video folder\n", folder.c_str());
        return 1;
    }
    for (const BenchVideo& video : kVideos) {
        if (only.empty() || std::string(video.name).find(only) != std::string::npos) {
            if (!Make(ffmpeg, folder, video)) {
                std::printf("could not make %s\n", video.name);
                return 1;
            }
        }
    }

    std::printf("decoder threads: %d (ours and `ffmpeg -threads %d -i FILE -f null -`)\n", threads, threads);
    PrintLoad("before");
    std::printf("%-19s %5s %7s %7s %7s %6s %7s %6s %6s %7s %7s %6s %6s %6s\n", "file", "frames", "lin ms", "lin cpu",
                "open ms", "ratio", "+3 ms", "ratio", "cpu r.", "jump ms", "worst", "ratio", "-1 ms", "peakMB");
    int failures = 0;
    for (const BenchVideo& video : kVideos) {
        if (!only.empty() && std::string(video.name).find(only) == std::string::npos)
            continue;
        const std::string path = folder + "/" + video.name;
        const Cost linear = LinearDecode(ffmpeg, path, threads);
        if (linear.wall <= 0) {
            std::printf("%-20s ffmpeg could not decode it\n", video.name);
            ++failures;
            continue;
        }
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int result = MeasureFile(path, video.name, threads, linear);
            std::fflush(stdout);
            _exit(result);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failures;
    }
    PrintLoad("after");
    return failures == 0 ? 0 : 1;
}
