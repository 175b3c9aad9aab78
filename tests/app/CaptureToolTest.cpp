// kqltool capture against the window: the same settings give the same bytes, and its refusals
// come with a message and exit code 1 (input) or 2 (usage).
#include "MainWindowHarness.h"
#include "ReferenceFrames.h"

#include "app/ProgramClasses.h"
#include "framework/Picture.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun RunTool(const std::string& args, const char* command_ = "capture")
{
    ToolRun run;
    const std::string command = std::string(KQLTOOL_PATH) + " " + command_ + " " + args + " 2>&1";
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

class CaptureTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InstallProgramComponents(), ""); }
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-tool-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

} // namespace

TEST_F(CaptureTool, GivesTheWindowsBytesForTheSameSettings)
{
    const std::string video = testvideos::NumberedVideo("tool-mpeg1.mpg", 90, "-c:v mpeg1video -q:v 2 -bf 2", 352, 288);
    ASSERT_FALSE(video.empty());
    {
        TMainWindowHarness h;
        TForm1* f = h.form1;
        h.ClickOpen(video);
        ASSERT_TRUE(h.WaitUntil([&] { return f->Image2->Picture()->Bitmap()->Width() > 0; }));
        f->SpinEdit3->SetValue(2);
        f->ScrollBar1->SetPosition(7);
        // Zone 40,60 180 x 120, as the tool drags it: by its top left, then its corner.
        f->zone->OnMouseDown(f->zone, mbLeft, {ssLeft}, 1, 1);
        f->zone->OnMouseMove(f->zone, {ssLeft}, 1 + 40 - 96, 1 + 60 - 120);
        f->zone->OnMouseUp(f->zone, mbLeft, {}, 1 + 40 - 96, 1 + 60 - 120);
        f->zone->OnMouseDown(f->zone, mbLeft, {ssLeft}, 129, 78);
        f->zone->OnMouseMove(f->zone, {ssLeft}, 129 + 49, 78 + 40);
        f->zone->OnMouseUp(f->zone, mbLeft, {}, 129 + 49, 78 + 40);
        ASSERT_EQ(f->zone->Left(), 40);
        ASSERT_EQ(f->zone->Width(), 180);
        f->ScrollBar2->SetPosition(20);
        f->ScrollBar3->SetPosition(11);
        f->SpinEdit1->SetValue(3);
        f->CheckBox1->SetChecked(true);
        f->SpinEdit2->SetValue(2);
        // The picture of the position, then the run.
        const auto frames = reference::ExtractFrames(video, 352, 288, 14, 1);
        const TFrameBuffer expected = reference::Convert(
            frames.at(0), {{40, 60, 180, 120}, 20, 11});
        ASSERT_TRUE(h.WaitUntil([&] { return f->Conversion().FrameBuffer() == expected; }));
        h.StartCapture(Path("window.kql"));
        ASSERT_TRUE(h.WaitForCaptureEnd());
    }
    for (const char* relay : {"50", "2"}) {
        SCOPED_TRACE(relay);
        const ToolRun run = RunTool("\"" + video + "\" \"" + Path("tool.kql") +
                                    "\" --start 15 --skip 2 --frames-per-file 3 --files 2 --zone 40,60,180,120"
                                    " --brightness 20 --contrast 11 --relay-ms " + relay);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output.find("frames/s"), std::string::npos) << "no progress line without a terminal";
        for (const char* n : {"1", "2"}) {
            const auto window = reference::ReadFile(Path(std::string("window") + n + ".kql"));
            EXPECT_EQ(window.size(), 3 * 5240u);
            EXPECT_EQ(reference::ReadFile(Path(std::string("tool") + n + ".kql")), window) << "file " << n;
        }
    }
}

TEST_F(CaptureTool, RefusalsAndExitCodes)
{
    const std::string video = testvideos::NumberedVideo("tool-short.avi", 30);
    ASSERT_FALSE(video.empty());
    const std::string out = "\"" + Path("o.kql") + "\"";
    struct Case {
        std::string args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"", 2, "expected VIDEO and OUT.kql"},
        {"\"" + video + "\" " + out + " --skip 0", 2, "--skip"},
        {"\"" + video + "\" " + out + " --frames-per-file 41", 2, "--frames-per-file"},
        {"\"" + video + "\" " + out + " --files 1", 2, "--files"},
        {"\"" + video + "\" " + out + " --brightness 33", 2, "--brightness"},
        {"\"" + video + "\" " + out + " --contrast -1", 2, "--contrast"},
        {"\"" + video + "\" " + out + " --zone 0,42,131,80", 2, "--zone"},
        {"\"" + video + "\" " + out + " --zone 8,42,130,80", 2, "--zone"},
        {"\"" + video + "\" " + out + " --relay-ms 0", 2, "--relay-ms"},
        {"\"" + Path("missing.mpg") + "\" " + out, 1, "no such video"},
        {"\"" + video + "\" \"" + Path("no/such/folder/o.kql") + "\"", 1, "output folder does not exist"},
        {"\"" + video + "\" " + out + " --start 30", 1, "end of the video"},
        {"\"" + video + "\" " + out + " --start 31 --skip 3", 1, "end of the video"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    // A file that is not a video.
    const std::string bad = Path("bad.mpg");
    { FILE* f = std::fopen(bad.c_str(), "wb"); std::fputs(std::string(5000, 'z').c_str(), f); std::fclose(f); }
    const ToolRun run = RunTool("\"" + bad + "\" " + out);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("cannot open"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(Path("o.kql")));
}

// A video too small for the zone's scale (100 x 2: the view is 40 x 0 pixels) captured by the
// window, and its frame given to convert-image: the same bytes, those of the window's empty
// view (black where the sample is (0, 0), the invalid colour's darkness 10 elsewhere).
TEST_F(CaptureTool, AVideoTooSmallForTheZoneGivesConvertImageTheCapturesBytes)
{
    struct Size {
        int width, height;
        int (*darkness)(int x, int y);
    };
    const Size sizes[] = {{100, 2, [](int x, int) { return x * 40 / 131 == 0 ? 15 : 10; }},
                          {2, 100, [](int, int y) { return y * 33 / 80 == 0 ? 15 : 10; }}};
    for (const Size& size : sizes) {
        const std::string tag = std::to_string(size.width) + "x" + std::to_string(size.height);
        SCOPED_TRACE(tag);
        const std::string video = testvideos::MakeVideo(
            "tool-" + tag + ".avi", "-f lavfi -i testsrc=size=" + tag + ":rate=25:duration=1 -c:v mjpeg -q:v 3", 25,
            size.width, size.height);
        ASSERT_FALSE(video.empty());
        ToolRun run =
            RunTool("\"" + video + "\" \"" + Path(tag + "-capture.kql") + "\" --frames-per-file 1 --relay-ms 2");
        ASSERT_EQ(run.status, 0) << run.output;
        ASSERT_TRUE(testvideos::RunFfmpeg("-i \"" + video + "\" -frames:v 1 \"" + Path(tag + ".png") + "\""));
        run = RunTool("\"" + Path(tag + ".png") + "\" \"" + Path(tag + "-image.kql") + "\"", "convert-image");
        ASSERT_EQ(run.status, 0) << run.output;

        std::vector<std::uint8_t> expected(5240, 0);
        for (int p = 0; p < 131 * 80; ++p)
            expected[p / 2] |= static_cast<std::uint8_t>(size.darkness(p % 131, p / 131) << (p % 2 ? 4 : 0));
        EXPECT_EQ(reference::ReadFile(Path(tag + "-capture.kql")), expected);
        EXPECT_EQ(reference::ReadFile(Path(tag + "-image.kql")), expected);
    }
}
