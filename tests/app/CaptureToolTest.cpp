// kqltool capture against the window: the same settings give the same bytes, and its refusals
// come with a message and exit code 1 (input) or 2 (usage).
#include "MainWindowHarness.h"
#include "ReferenceFrames.h"

#include "app/ProgramClasses.h"
#include "framework/Picture.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun RunTool(const std::string& args, const char* command_ = "capture")
{
    ToolRun run;
    // Bounded: a tool that waits for ever is killed, and its status is then -1.
    const std::string command = "timeout -s KILL 120 " + std::string(KQLTOOL_PATH) + " " + command_ + " " + args + " 2>&1";
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
        EXPECT_NE(run.output.find("wrote 6 frames in 2 files: " + Path("tool1.kql") + " (3 frames), " + Path("tool2.kql") +
                                  " (3 frames)\n"),
                  std::string::npos)
            << run.output;
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

namespace {

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

} // namespace

// Names that would lose data are refused before anything is created, by the tool and by the
// window through its save dialog: the video itself by any name (its own, a symbolic link, a
// hard link, a numbered name of the run), what is not a file (a folder, a FIFO, which would
// wait for a reader for ever, a device), a name without ".kql", a zone whose edge would wrap
// round. Inputs that are not videos, and videos too short to capture, say what they are.
TEST_F(CaptureTool, NamesThatWouldLoseDataAreRefusedBeforeAnythingIsWritten)
{
    const std::string source = testvideos::NumberedVideo("tool-short.avi", 30);
    ASSERT_FALSE(source.empty());
    const std::string video = Path("clip1.kql"); // a video that happens to have the movie extension
    fs::copy_file(source, video);
    fs::create_symlink(video, Path("link.kql"));
    fs::create_hard_link(video, Path("hard.kql"));
    fs::create_directory(Path("folder.kql"));
    ASSERT_EQ(::mkfifo(Path("fifo.kql").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(Path("fifo.avi").c_str(), 0600), 0);
    const auto original = reference::ReadFile(video);

    struct Case {
        std::string args;
        int status;
        std::string says;
    };
    const std::string v = Quote(video) + " ";
    const Case cases[] = {
        {v + Quote(video), 1, "Erreur E/S 32: " + video + " is the video being read"},
        {v + Quote(Path("link.kql")), 1, Path("link.kql") + " is the video being read"},
        {v + Quote(Path("hard.kql")), 1, Path("hard.kql") + " is the video being read"},
        {v + Quote(Path("clip.kql")) + " --files 2", 1, video + " is the video being read"},
        {v + Quote(Path("folder.kql")), 1, "Erreur E/S 5: " + Path("folder.kql") + " is a folder, not a file"},
        {v + Quote(Path("fifo.kql")), 1, Path("fifo.kql") + " is a FIFO (named pipe), not a file"},
        {v + "/dev/null", 2, "must end in .kql"},
        {v + "/dev/full", 2, "must end in .kql"},
        {v + Quote(Path("o.kql")) + " --zone 2147483600,42,131,80", 2, "--zone must lie within the preview"},
        {Quote(dir_.string()) + " " + Quote(Path("o.kql")), 1, dir_.string() + " is a folder, not a video file"},
        {Quote(Path("fifo.avi")) + " " + Quote(Path("o.kql")), 1, "is a FIFO (named pipe), not a video file"},
        {"/dev/zero " + Quote(Path("o.kql")), 1, "/dev/zero is a device, not a video file"},
        {v + Quote(Path("o.kql")) + " --skip 999", 1,
         "the video has 30 frames, fewer than the frame skip 999, so there is nothing to capture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_EQ(reference::ReadFile(video), original);
    EXPECT_FALSE(fs::exists(Path("clip2.kql")));
    EXPECT_FALSE(fs::exists(Path("o.kql")));
    EXPECT_FALSE(fs::exists("/dev/null.kql"));
    EXPECT_TRUE(fs::is_fifo(Path("fifo.kql")));

    // The window, through its save dialog: a message box, and no run.
    TMainWindowHarness h;
    TForm1* f = h.form1;
    h.ClickOpen(video);
    ASSERT_TRUE(h.WaitUntil([&] { return f->Image2->Picture()->Bitmap()->Width() > 0; }));
    struct WindowCase {
        std::string name;
        bool multiFile;
        std::string text;
    };
    const WindowCase windowCases[] = {
        {Path("link.kql"), false,
         "Erreur E/S 32\n" + Path("link.kql") + " is the video being read (" + video +
             "): writing the movie there would destroy it. Choose another name."},
        {Path("clip.kql"), true,
         "Erreur E/S 32\n" + video + " is the video being read (" + video +
             "): writing the movie there would destroy it. Choose another name."},
        // Typed without its extension, a device is taken as named, and refused as such.
        {"/dev/null", false, "Erreur E/S 5\n/dev/null is a device, not a file: a movie cannot be written there."},
        {Path("fifo"), false, ""},
    };
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    std::size_t boxes = 0;
    for (const WindowCase& c : windowCases) {
        SCOPED_TRACE(c.name);
        f->CheckBox1->SetChecked(c.multiFile);
        h.StartCapture(c.name);
        ASSERT_EQ(h.dialogs.MessageBoxes().size(), ++boxes);
        if (!c.text.empty())
            EXPECT_EQ(h.dialogs.MessageBoxes().back().text, c.text);
        else
            EXPECT_NE(h.dialogs.MessageBoxes().back().text.find(" is a FIFO (named pipe), not a file"), std::string::npos)
                << h.dialogs.MessageBoxes().back().text;
        EXPECT_EQ(f->Button2->Caption(), "Capture from here");
        EXPECT_EQ(f->Conversion().FramesLeft(), -1);
    }
    EXPECT_EQ(reference::ReadFile(video), original);
    EXPECT_FALSE(fs::exists("/dev/null.kql"));
    EXPECT_FALSE(fs::exists(Path("fifo.kql.kql")));
}

// A run that reaches the end of the video ends with a line saying what was written, on any
// output, and exit status 0.
TEST_F(CaptureTool, ARunThatReachesTheEndSaysWhatWasWritten)
{
    const std::string video = testvideos::NumberedVideo("tool-short.avi", 30);
    ASSERT_FALSE(video.empty());
    const ToolRun run = RunTool(Quote(video) + " " + Quote(Path("end.kql")) + " --start 21 --relay-ms 2");
    EXPECT_EQ(run.status, 0) << run.output;
    // The bar starts at 21 div 3 = 7 of 10: positions 7, 8 and 9 are written.
    EXPECT_NE(run.output.find("wrote 3 frames: " + Path("end.kql") + " (3 frames); the video ended after 3 frames of the 8 asked\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(fs::file_size(Path("end.kql")), 3 * 5240u);
}

// SIGINT, SIGTERM and SIGHUP during a run end it as "Cancel" does: every file holds whole
// frames, the tool says what they keep, and the exit status is the conventional one. A second
// signal close behind the first may end the process at once, and the files are whole still.
TEST_F(CaptureTool, SignalsEndTheRunWithWholeFilesAndTheConventionalStatus)
{
    // Long enough that the run is still going when the signal comes: 400 frames take a few
    // seconds even where decoding is fastest.
    const std::string video = testvideos::NumberedVideo("tool-long.avi", 420);
    ASSERT_FALSE(video.empty());
    struct Case {
        int signal;
        int count; // 2: SIGTERM follows at once, while the run may still be ending
        int status;
        const char* name;
    };
    const Case cases[] = {{SIGINT, 1, 130, "SIGINT"}, {SIGTERM, 1, 143, "SIGTERM"}, {SIGHUP, 1, 129, "SIGHUP"},
                          {SIGINT, 2, 130, "SIGINT"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " x" + std::to_string(c.count));
        const std::string base = Path(std::string("sig-") + c.name + std::to_string(c.count) + ".kql");
        const std::string first = base.substr(0, base.size() - 4) + "1.kql";
        const std::string log = base + ".log";
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const std::string command = "exec " + std::string(KQLTOOL_PATH) + " capture " + Quote(video) + " " +
                                        Quote(base) + " --skip 1 --frames-per-file 40 --files 10 > " + Quote(log) +
                                        " 2>&1";
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Once the first file holds a frame or two, the signal.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        auto framesOfFirst = [&] {
            std::error_code ec;
            const std::uintmax_t size = fs::file_size(first, ec);
            return ec ? 0 : size / 5240;
        };
        while (std::chrono::steady_clock::now() < deadline && framesOfFirst() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_GE(framesOfFirst(), 2u) << "the run did not start";
        ::kill(pid, c.signal);
        if (c.count == 2)
            ::kill(pid, SIGTERM);
        int raw = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(pid, &raw, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (ended == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            ADD_FAILURE() << "the tool did not end";
        }
        std::ifstream in(log);
        const std::string output{std::istreambuf_iterator<char>(in), {}};
        ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw) << "\n" << output;
        if (c.count == 1) {
            EXPECT_EQ(WEXITSTATUS(raw), c.status) << output;
        } else {
            // Ended by the loop after the first, or at once by the second.
            EXPECT_TRUE(WEXITSTATUS(raw) == c.status || WEXITSTATUS(raw) == 143) << WEXITSTATUS(raw) << output;
        }
        for (int n = 1; n <= 10; ++n) {
            const std::string name = base.substr(0, base.size() - 4) + std::to_string(n) + ".kql";
            if (fs::exists(name)) {
                EXPECT_EQ(fs::file_size(name) % 5240, 0u) << name << " is not a whole number of frames";
            }
        }
        if (c.count == 1) {
            const std::uint64_t kept = fs::file_size(first) / 5240;
            EXPECT_NE(output.find(std::string("interrupted by ") + c.name + ": kept " + std::to_string(kept)), std::string::npos)
                << output;
            EXPECT_NE(output.find(first + " (" + std::to_string(kept) + " frames)"), std::string::npos) << output;
        }
    }
}
