// bench_capture: the capture run through the program's real main window, offscreen, and the
// headless `kqltool capture`, against the ffmpeg command doing the equivalent work.
//
//   bench_capture [--cache DIR] [--runs N] [--kqltool PATH] [--only NAME] [--no-window]
//
// For each generated video (352 x 288 MPEG-1, 720 x 576 MPEG-2, 1920 x 1080 H.264 and HEVC,
// and a 7680 x 4320 H.264 for memory) a number of frames is captured at frame skip 3,
// (1) in the window at the real 50 ms relay: frames per second and CPU time per frame (not
// for the 8K video, whose point is memory); (2) with `kqltool capture --relay-ms 1`: its time
// as a ratio to `ffmpeg` decoding the same frames, picking every third, cropping, scaling to
// 131 x 80 and turning them grey. The two commands run in N pairs (default 3), one right after
// the other, and the medians of the pairs count: wall time, CPU time (user and system, the
// figure other users of the machine disturb least) and their ratios. The peak memory of each
// command is its largest resident set over the runs.
//
// --kqltool runs another kqltool binary (an older build, for figures before a change);
// --only runs the videos whose name contains NAME; --no-window leaves out the window.
#include "app/ProgramClasses.h"
#include "app/Unit1.h"
#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/Picture.h"
#include "platform/user/ScriptedDialogService.h"

#include <QAbstractButton>

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

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double seconds = 0; // wall clock
    double cpu = 0;     // user and system time of the command
    double peakMb = 0;  // largest resident set of the command
};

// Runs the command through the shell, which replaces itself by it, so that the resource use
// waited for is the command's own.
Timing TimeCommand(const std::string& command)
{
    const std::string line = "exec " + command + " >/dev/null";
    const auto begun = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return {std::chrono::duration<double>(Clock::now() - begun).count(), CpuSeconds(usage), usage.ru_maxrss / 1024.0};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Video {
    const char* name;
    const char* codec;
    int width;
    int height;
    int seconds;       // length of the generated video at 25 frames a second
    int framesPerFile; // the capture: files x frames per file, at frame skip 3
    int files;
    bool window;       // also measured in the window at the real relay
};

// H.264 and HEVC with a key frame every two seconds, as cameras and streaming services write
// them: opening a file decodes its last group of pictures once, and a short file made of one
// group would have that cost as much as the capture itself.
const Video kVideos[] = {
    {"mpeg1-352x288.mpg", "-c:v mpeg1video -q:v 3 -bf 2", 352, 288, 50, 40, 10, true},
    {"mpeg2-720x576.mpg", "-c:v mpeg2video -q:v 3 -bf 2", 720, 576, 50, 40, 10, true},
    {"h264-1920x1080.mp4", "-c:v libx264 -preset veryfast -crf 23 -g 50 -pix_fmt yuv420p", 1920, 1080, 10, 40, 2, true},
    {"hevc-1920x1080.mp4", "-c:v libx265 -preset veryfast -crf 26 -g 50 -pix_fmt yuv420p -tag:v hvc1 -x265-params log-level=error",
     1920, 1080, 10, 40, 2, true},
    {"h264-7680x4320.mp4", "-c:v libx264 -preset ultrafast -crf 23 -g 50 -pix_fmt yuv420p", 7680, 4320, 1, 8, 1, false},
};

struct WindowFigures {
    double fps = 0;
    double cpuPerFrameMs = 0;
};

WindowFigures CaptureInWindow(const std::string& path, const std::string& out, const Video& v)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    TForm1* form = new TForm1(Application);
    form->Show();
    dialogs.QueueFileName(path);
    static_cast<QAbstractButton*>(form->Button1->Widget())->click();
    Application->HandleMessagesUntil([&] { return form->Image2->Picture()->Bitmap()->Width() > 0; }, 60000);
    form->SpinEdit1->SetValue(v.framesPerFile);
    form->CheckBox1->SetChecked(v.files > 1);
    if (v.files > 1)
        form->SpinEdit2->SetValue(v.files);
    Application->HandleMessagesUntil([] { return false; }, 300);
    dialogs.QueueFileName(out);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto begun = Clock::now();
    static_cast<QAbstractButton*>(form->Button2->Widget())->click();
    Application->HandleMessagesUntil([&] { return form->Conversion().FramesLeft() < 0; }, 600000);
    const double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const int frames = std::max(1, form->ScrollBar1->Position());
    form->Free();
    return {frames / seconds, 1000 * (CpuSeconds(after) - CpuSeconds(before)) / frames};
}

} // namespace

int main(int argc, char** argv)
{
    std::string cache = (fs::temp_directory_path() / "quellon-bench-capture").string();
    std::string kqltool = KQLTOOL_COMMAND;
    std::string only;
    int runs = 3;
    bool window = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--cache" && hasValue)
            cache = argv[++i];
        else if (arg == "--runs" && hasValue)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--kqltool" && hasValue)
            kqltool = argv[++i];
        else if (arg == "--only" && hasValue)
            only = argv[++i];
        else if (arg == "--no-window")
            window = false;
        else {
            std::fprintf(stderr, "usage: bench_capture [--cache DIR] [--runs N] [--kqltool PATH] [--only NAME] "
                                 "[--no-window]\n");
            return 2;
        }
    }
    fs::create_directories(cache);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize(argc, argv);
    if (!InstallProgramComponents().empty())
        return 1;
    const std::string ffmpeg = QUELLON_FFMPEG_COMMAND;
    std::printf("kqltool: %s, %d paired runs, medians\n", kqltool.c_str(), runs);
    std::printf("%-20s %6s %7s %9s %10s %9s %7s %9s %9s %7s %8s %8s\n", "video", "frames", "win fps", "CPU/fr ms",
                "headless s", "ffmpeg s", "ratio", "h. CPU s", "ff. CPU s", "CPU rt", "h. MB", "ff. MB");
    for (const Video& v : kVideos) {
        if (!only.empty() && std::string(v.name).find(only) == std::string::npos)
            continue;
        const std::string path = cache + "/" + v.name;
        if (!fs::exists(path)) {
            // Made under another name first, so that an interrupted run leaves no half video.
            const std::string part = cache + "/part-" + v.name;
            const std::string make = ffmpeg + " -v error -y -f lavfi -i testsrc2=size=" + std::to_string(v.width) + "x" +
                                     std::to_string(v.height) + ":rate=25 -t " + std::to_string(v.seconds) + " " +
                                     v.codec + " \"" + part + "\" && mv \"" + part + "\" \"" + path + "\"";
            if (std::system(make.c_str()) != 0)
                return 1;
        }
        const std::string out = cache + "/out.kql";
        const int frames = v.framesPerFile * v.files;

        char windowText[2][16] = {"-", "-"};
        if (window && v.window) {
            const WindowFigures w = CaptureInWindow(path, out, v);
            std::snprintf(windowText[0], sizeof windowText[0], "%.2f", w.fps);
            std::snprintf(windowText[1], sizeof windowText[1], "%.2f", w.cpuPerFrameMs);
        }

        std::string headlessCommand = "\"" + kqltool + "\" capture \"" + path + "\" \"" + out + "\" --skip 3" +
                                      " --frames-per-file " + std::to_string(v.framesPerFile) + " --relay-ms 1";
        if (v.files > 1)
            headlessCommand += " --files " + std::to_string(v.files);
        const std::string referenceCommand =
            ffmpeg + " -v error -threads 1 -i \"" + path +
            "\" -vf \"select=not(mod(n\\,3)),crop=iw*131/320:ih*80/240:iw*88/320:ih*78/240,scale=131:80,"
            "format=gray\" -frames:v " + std::to_string(frames) + " -f null -";
        std::vector<double> hWall, fWall, hCpu, fCpu, wallRatio, cpuRatio;
        double hPeak = 0, fPeak = 0;
        for (int i = 0; i < runs; ++i) {
            const Timing h = TimeCommand(headlessCommand);
            const Timing f = TimeCommand(referenceCommand);
            hWall.push_back(h.seconds);
            fWall.push_back(f.seconds);
            hCpu.push_back(h.cpu);
            fCpu.push_back(f.cpu);
            wallRatio.push_back(h.seconds / f.seconds);
            cpuRatio.push_back(h.cpu / f.cpu);
            hPeak = std::max(hPeak, h.peakMb);
            fPeak = std::max(fPeak, f.peakMb);
        }
        std::printf("%-20s %6d %7s %9s %10.2f %9.2f %7.2f %9.2f %9.2f %7.2f %8.0f %8.0f\n", v.name, frames,
                    windowText[0], windowText[1], Median(hWall), Median(fWall), Median(wallRatio), Median(hCpu),
                    Median(fCpu), Median(cpuRatio), hPeak, fPeak);
        std::fflush(stdout);
    }
    return 0;
}
