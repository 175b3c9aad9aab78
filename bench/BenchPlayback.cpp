// bench_playback: the pacing of playback in the player window, offscreen, on the real clock
// and the window's own timer.
//
//   bench_playback [--frames N]
//
// Plays a generated movie of N frames (default 1000, about 116 s) and prints the mean period
// between frames shown, the worst lateness of a frame against its due time (start + k x
// 0.1155 s), the drift of the last frame, and the CPU time used while playing as a share of
// one core.
#include "app/Unit2.h"
#include "framework/Application.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::max(2, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_playback [--frames N]\n");
            return 2;
        }
    }
    Application->Initialize(argc, argv);
    const fs::path movie = fs::temp_directory_path() / ("quellon-bench-playback-" + std::to_string(::getpid()) + ".kql");
    {
        std::ofstream out(movie, std::ios::binary);
        for (int k = 0; k < frames; ++k)
            out << std::string(5240, static_cast<char>(k * 0x11));
    }
    auto* form = new TForm2(Application);
    form->Show();
    form->ChooseMovie(movie.string());

    constexpr double Period = 0.1155;
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    form->Button2Click(form->Button2);
    std::uint64_t shown = 0;
    double worstLateness = 0, lastLateness = 0, lastShown = 0;
    while (form->Player().Playing()) {
        Application->HandleMessage();
        if (form->Player().FrameIndex() == shown)
            continue;
        shown = form->Player().FrameIndex();
        const double at = std::chrono::duration<double>(Clock::now() - start).count();
        lastLateness = at - static_cast<double>(shown) * Period;
        worstLateness = std::max(worstLateness, lastLateness);
        lastShown = at;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("frames shown: %llu of %d\n", static_cast<unsigned long long>(shown + 1), frames);
    std::printf("mean period: %.4f s (due %.4f s)\n", lastShown / static_cast<double>(std::max<std::uint64_t>(shown, 1)),
                Period);
    std::printf("worst lateness: %.1f ms\n", worstLateness * 1000);
    std::printf("drift at the end: %.1f ms (%.3f of a frame)\n", lastLateness * 1000, lastLateness / Period);
    std::printf("CPU while playing: %.3f s in %.1f s, %.2f %% of a core\n", cpu, wall, 100 * cpu / wall);
    form->Free();
    fs::remove(movie);
    return 0;
}
