// kqltool capture --real-time: the frames taken are those at the device's 8.658 ticks a second
// in the video's own time, read from the container's timestamps. The videos show their frame
// number in 12 big blocks, read back here from the movie's pixels.
#include "tests/framework/TempFolder.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun Capture(const std::string& args)
{
    ToolRun run;
    // Bounded: a tool that waits for ever is killed, and its status is then -1.
    const std::string command = "timeout -s KILL 120 " + std::string(KQLTOOL_PATH) + " capture " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.output += buffer;
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// The numbers shown by the frames of a movie captured with the zone over the whole preview:
// block (c, r) of the 4 x 3 pattern covers movie pixel ((c + 0.5) 131 / 4, (r + 0.5) 80 / 3);
// a white block (bit set) is light, darkness below 8.
std::vector<int> ShownNumbers(const std::string& movie)
{
    std::ifstream in(movie, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<int> numbers;
    for (std::size_t at = 0; at + 5240 <= bytes.size(); at += 5240) {
        int number = 0;
        for (int bit = 0; bit < 12; ++bit) {
            const int x = static_cast<int>((bit % 4 + 0.5) * 131 / 4);
            const int y = static_cast<int>((bit / 4 + 0.5) * 80 / 3);
            const int pixel = y * 131 + x;
            const unsigned char byte = bytes[at + static_cast<std::size_t>(pixel) / 2];
            const int darkness = pixel % 2 ? byte >> 4 : byte & 15;
            if (darkness < 8)
                number |= 1 << bit;
        }
        numbers.push_back(number);
    }
    return numbers;
}

// For ticks k / 8.658 after frame `start`'s time, the frame whose time is nearest (the later
// at a tie), for `count` ticks.
std::vector<int> NearestFrames(const std::vector<double>& times, int start, int count)
{
    std::vector<int> frames;
    for (int k = 0; k < count; ++k) {
        const double tick = times[static_cast<std::size_t>(start)] + k / 8.658;
        std::size_t best = 0;
        for (std::size_t n = 1; n < times.size(); ++n)
            if (std::abs(times[n] - tick) <= std::abs(times[best] - tick))
                best = n;
        frames.push_back(static_cast<int>(best));
    }
    return frames;
}

class RealTimeCapture : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return folder_.Path(name); }
    TempFolder folder_;
};

} // namespace

TEST_F(RealTimeCapture, AConstantRateTakesFrameStartPlusRoundOfKTimesTheRateRatio)
{
    // 30 frames at 25 a second, from frame 5: 5 + round(k 25 / 8.658) while the tick is before
    // the video's end at 1.2 s: 5, 8, 11, 14, 17, 19, 22, 25, 28, and the run ends there.
    const std::string video = testvideos::NumberedVideo("realtime-25.mkv", 30);
    ASSERT_FALSE(video.empty());
    const ToolRun run = Capture(video + " " + Path("cfr.kql") + " --real-time --start 5 --frames-per-file 40 "
                                "--zone 8,42,320,240 --relay-ms 1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ShownNumbers(Path("cfr.kql")), (std::vector<int>{5, 8, 11, 14, 17, 19, 22, 25, 28}));
    EXPECT_NE(run.output.find("the video ended after 9 frames"), std::string::npos) << run.output;

    // --skip and --real-time exclude each other; the default stays the frame skip.
    EXPECT_EQ(Capture(video + " " + Path("x.kql") + " --real-time --skip 2").status, 2);
    EXPECT_EQ(Capture(video + " " + Path("x.kql") + " --real-time --start 30").status, 1);
    EXPECT_FALSE(fs::exists(Path("x.kql")));
}

TEST_F(RealTimeCapture, AVariableRateFollowsTheTimestampsAndTakesSlowFramesAgain)
{
    // 20 frames 0.04 s apart, then 10 frames 0.2 s apart: fast at first (frames left out),
    // then slower than the device (frames taken twice in a row, which brings no position
    // report from the video and must still be written).
    const std::string video = testvideos::MakeVideo(
        "realtime-vfr.mkv",
        "{pattern} -frames:v 30 -vf \"setpts='if(lt(N,20),N*0.04,0.8+(N-20)*0.2)/TB'\" -fps_mode vfr -c:v mjpeg -q:v 3",
        30);
    ASSERT_FALSE(video.empty());
    std::vector<double> times;
    for (int n = 0; n < 30; ++n)
        times.push_back(n < 20 ? n * 0.04 : 0.8 + (n - 20) * 0.2);

    for (int start : {0, 4}) {
        // 22 ticks lie before the last frame's time from either start.
        const std::string movie = Path("vfr" + std::to_string(start) + ".kql");
        const ToolRun run = Capture(video + " " + movie + " --real-time --start " + std::to_string(start) +
                                    " --frames-per-file 11 --files 2 --zone 8,42,320,240 --relay-ms 1");
        ASSERT_EQ(run.status, 0) << run.output;
        std::vector<int> shown = ShownNumbers(Path("vfr" + std::to_string(start) + "1.kql"));
        const std::vector<int> second = ShownNumbers(Path("vfr" + std::to_string(start) + "2.kql"));
        shown.insert(shown.end(), second.begin(), second.end());
        EXPECT_EQ(shown, NearestFrames(times, start, 22)) << "from frame " << start;
    }
}
