// bench_seek_report: the time from TActiveMovie::SeekToFrame to the OnPositionChange that
// reports it, on the real media player control, as the main window uses the component
// (video out of view, AutoStart False, display mode time, a snapshot in every report).
//
// For each generated video (made once into a cache folder): opens it, waits for the first
// report, then makes 40 seeks (20 random jumps with a fixed seed, then steps of +1, +3, +7
// and -1) and prints the median and the worst time until SeekToFrame returns, until the
// report, and until the end of the snapshot taken inside the report.
//
// Usage: bench_seek_report [--cache DIR]
//   DIR defaults to $TMPDIR/quellon-bench-videos; the ffmpeg command is $QUELLON_FFMPEG or
//   the one found at build time.
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "videosource/ActiveMovie.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

struct BenchVideo {
    const char* name;
    const char* arguments;
    const char* size;
};

const BenchVideo kVideos[] = {
    {"seek-mpeg2-720x576.mpg", "-c:v mpeg2video -b:v 6000k -bf 2 -g 15 -f vob", "720x576"},
    {"seek-h264-1920x1080.mp4", "-c:v libx264 -preset veryfast -crf 23 -bf 2 -g 50 -pix_fmt yuv420p", "1920x1080"},
};
constexpr int kFrames = 250;

class Probe : public TObject {
public:
    void Report(TObject* sender, double, double, Cardinal, Cardinal newFrame)
    {
        reported = Clock::now();
        lastFrame = newFrame;
        static_cast<TActiveMovie*>(sender)->SnapshotToImage(image);
        snapped = Clock::now();
        ++reports;
    }
    void Complete(TObject*) { opened = true; }

    TImage* image = nullptr;
    Clock::time_point reported;
    Clock::time_point snapped;
    Cardinal lastFrame = 0;
    int reports = 0;
    bool opened = false;
};

bool WaitFor(const std::function<bool()>& done, int boundMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void PrintFigures(const char* what, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf("  %-22s median %6.1f ms   worst %6.1f ms\n", what, values[values.size() / 2], values.back());
}

void Measure(const std::string& path, const BenchVideo& video)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, 400, 300);
    auto* image = new TImage(form);
    image->SetParent(form);
    auto* movie = new TActiveMovie(form);
    movie->SetParent(form);
    movie->SetBounds(128, 16, 17, 9);
    movie->SetVisible(false);
    movie->SetAutoStart(WordFalse);
    movie->SetDisplayMode(mpTime);
    movie->SetDisplaySize(mpFitToSize);
    Probe probe;
    probe.image = image;
    movie->OnOpenComplete.Assign(&probe, &Probe::Complete);
    movie->OnPositionChange.Assign(&probe, &Probe::Report);
    form->HandleNeeded();
    movie->SetFileName(ToWideString(path));
    movie->OpenMedia();
    if (!WaitFor([&] { return probe.opened && probe.reports > 0; }, 30000)) {
        std::printf("%s: did not open\n", video.name);
        form->Free();
        return;
    }
    std::vector<Cardinal> targets;
    std::mt19937 random(7);
    for (int i = 0; i < 20; ++i)
        targets.push_back(static_cast<Cardinal>(random() % movie->FrameCount()));
    Cardinal n = 100;
    for (Cardinal step : {1u, 1u, 1u, 1u, 1u, 3u, 3u, 3u, 3u, 3u, 7u, 7u, 7u, 7u, 7u})
        targets.push_back(n += step);
    for (int i = 0; i < 5; ++i)
        targets.push_back(--n);
    std::vector<double> toReturn;
    std::vector<double> toReport;
    std::vector<double> toSnapshot;
    Cardinal current = probe.lastFrame;
    for (Cardinal target : targets) {
        if (target == current)
            continue;
        const int before = probe.reports;
        const Clock::time_point start = Clock::now();
        movie->SeekToFrame(target);
        const Clock::time_point returned = Clock::now();
        if (!WaitFor([&] { return probe.reports > before; }, 10000)) {
            std::printf("  no report for a seek to %u\n", target);
            continue;
        }
        toReturn.push_back(Ms(returned - start));
        toReport.push_back(Ms(probe.reported - start));
        toSnapshot.push_back(Ms(probe.snapped - start));
        current = target;
    }
    std::printf("%s (%s, %u frames, %zu seeks)\n", video.name, video.size, movie->FrameCount(), toReport.size());
    if (!toReport.empty()) {
        PrintFigures("SeekToFrame returns", toReturn);
        PrintFigures("seek to report", toReport);
        PrintFigures("seek to snapshot done", toSnapshot);
    }
    form->Free();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::string cache;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--cache") == 0 && i + 1 < argc)
            cache = argv[++i];
    if (cache.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        cache = std::string(tmp != nullptr ? tmp : "/tmp") + "/quellon-bench-videos";
    }
    std::filesystem::create_directories(cache);
    const char* ffmpeg = std::getenv("QUELLON_FFMPEG");
    const std::string command = ffmpeg != nullptr ? ffmpeg : QUELLON_FFMPEG_COMMAND;
    if (InstallMediaPlayerControl() != S_OK) {
        std::printf("the media player control cannot be installed\n");
        return 1;
    }
    for (const BenchVideo& video : kVideos) {
        const std::string path = cache + "/" + video.name;
        if (!std::filesystem::exists(path)) {
            const std::string make = command + " -y -v error -f lavfi -i testsrc=s=" + video.size + ":r=25:d=" +
                                     std::to_string(kFrames / 25) + " " + video.arguments + " \"" + path + "\"";
            if (std::system(make.c_str()) != 0) {
                std::printf("ffmpeg failed: %s\n", make.c_str());
                return 1;
            }
        }
        Measure(path, video);
    }
    // Figures taken while other programs run are slower; this says how busy the machine was.
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return 0;
}
