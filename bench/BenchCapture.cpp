// bench_capture: the capture run through the program's real main window, offscreen, and the
// headless `kqltool capture`, against the ffmpeg command doing the equivalent work.
//
//   bench_capture [--cache DIR]
//
// For a generated 352 x 288 MPEG-1 and a 720 x 576 MPEG-2 video: 400 frames captured at frame
// skip 3 (10 files of 40), (1) in the window at the real 50 ms relay: frames per second and
// CPU time per frame; (2) with `kqltool capture --relay-ms 1`: its time as a ratio to
// `ffmpeg` decoding the same frames, picking every third, cropping, scaling to 131 x 80 and
// turning them grey, measured in the same run.
#include "app/ProgramClasses.h"
#include "app/Unit1.h"
#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/Picture.h"
#include "platform/user/ScriptedDialogService.h"

#include <QAbstractButton>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double TimeCommand(const std::string& command)
{
    const auto begun = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return std::chrono::duration<double>(Clock::now() - begun).count();
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        Application->HandleMessage();
    }
    return true;
}

struct Video {
    const char* name;
    const char* codec;
    int width;
    int height;
};

} // namespace

int main(int argc, char** argv)
{
    std::string cache = (fs::temp_directory_path() / "quellon-bench-capture").string();
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--cache")
            cache = argv[++i];
    fs::create_directories(cache);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize(argc, argv);
    if (!InstallProgramComponents().empty())
        return 1;
    const std::string ffmpeg = QUELLON_FFMPEG_COMMAND;
    const std::string kqltool = KQLTOOL_COMMAND;
    const Video videos[] = {{"mpeg1-352x288.mpg", "-c:v mpeg1video -q:v 3 -bf 2", 352, 288},
                            {"mpeg2-720x576.mpg", "-c:v mpeg2video -q:v 3 -bf 2", 720, 576}};
    std::printf("%-20s %12s %14s %12s %12s %8s\n", "video", "window fps", "CPU/frame ms", "headless s",
                "ffmpeg s", "ratio");
    for (const Video& v : videos) {
        const std::string path = cache + "/" + v.name;
        if (!fs::exists(path)) {
            const std::string make = ffmpeg + " -v error -y -f lavfi -i testsrc2=size=" + std::to_string(v.width) + "x" +
                                     std::to_string(v.height) + ":rate=25 -t 50 " + v.codec + " \"" + path + "\"";
            if (std::system(make.c_str()) != 0)
                return 1;
        }
        const std::string out = cache + "/out.kql";

        // (1) The window at 50 ms.
        ScriptedDialogService dialogs;
        ScopedDialogService scoped(dialogs);
        TForm1* form = new TForm1(Application);
        form->Show();
        dialogs.QueueFileName(path);
        static_cast<QAbstractButton*>(form->Button1->Widget())->click();
        WaitUntil([&] { return form->Image2->Picture()->Bitmap()->Width() > 0; }, 60000);
        form->SpinEdit1->SetValue(40);
        form->CheckBox1->SetChecked(true);
        form->SpinEdit2->SetValue(10);
        WaitUntil([] { return false; }, 300);
        dialogs.QueueFileName(out);
        const double cpuBefore = CpuSeconds(RUSAGE_SELF);
        const auto begun = Clock::now();
        static_cast<QAbstractButton*>(form->Button2->Widget())->click();
        WaitUntil([&] { return form->Conversion().FramesLeft() < 0; }, 600000);
        const double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
        const double cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
        const int frames = form->ScrollBar1->Position();
        form->Free();

        // (2) Headless at its shortest relay, and ffmpeg doing the same frames.
        const double headless = TimeCommand(kqltool + " capture \"" + path + "\" \"" + out +
                                            "\" --skip 3 --frames-per-file 40 --files 10 --relay-ms 1");
        const double reference =
            TimeCommand(ffmpeg + " -v error -threads 1 -i \"" + path +
                        "\" -vf \"select=not(mod(n\\,3)),crop=iw*131/320:ih*80/240:iw*88/320:ih*78/240,scale=131:80,"
                        "format=gray\" -frames:v 400 -f null -");
        std::printf("%-20s %12.2f %14.2f %12.2f %12.2f %8.2f\n", v.name, frames / seconds, 1000 * cpu / frames,
                    headless, reference, headless / reference);
        std::fflush(stdout);
    }
    return 0;
}
