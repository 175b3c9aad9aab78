// The program end to end, offscreen: the main window from its layout with the real video
// source component and media player, the scripted dialog service answering, on generated
// videos whose frames carry their number. Every picture the window shows or writes is
// compared with the conversion of the frame it must come from, extracted independently with
// the ffmpeg command (ReferenceFrames.h).
#include "MainWindowHarness.h"
#include "ReferenceFrames.h"

#include "app/ProgramClasses.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/Picture.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using reference::CompareMovie;
using reference::MovieFrame;
using reference::Picture;
using reference::Settings;

namespace {

struct Format {
    const char* name;
    const char* file;
    const char* codec;
    int width;
    int height;
    int frames;
};

const Format kFormats[] = {
    {"Mpeg1", "e2e-mpeg1.mpg", "-c:v mpeg1video -q:v 2 -bf 2", 352, 288, 120},
    {"Mpeg2", "e2e-mpeg2.mpg", "-c:v mpeg2video -q:v 2 -bf 2", 720, 576, 90},
    {"Mjpeg", "e2e-mjpeg.avi", "-c:v mjpeg -q:v 3", 320, 240, 90},
    // Large enough for two decoder threads, with B-pictures the run of steps leaves out.
    {"H264Hd", "e2e-h264-hd.mp4", "-c:v libx264 -preset veryfast -bf 3 -g 30 -pix_fmt yuv420p", 1088, 576, 48},
};

std::string VideoOf(const Format& f)
{
    return testvideos::NumberedVideo(f.file, f.frames, f.codec, f.width, f.height);
}

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InstallProgramComponents(), ""); }

    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-e2e-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        h_ = std::make_unique<TMainWindowHarness>();
    }
    void TearDown() override
    {
        h_.reset();
        fs::remove_all(dir_);
    }

    Settings Current() const
    {
        TForm1* f = h_->form1;
        return {{f->zone->Left(), f->zone->Top(), f->zone->Width(), f->zone->Height()},
                f->ScrollBar2->Position(),
                f->ScrollBar3->Position()};
    }
    bool Shows(const TFrameBuffer& expected) const { return h_->form1->Conversion().FrameBuffer() == expected; }
    // Waits until the preview has converted `picture`; explains what it shows otherwise.
    ::testing::AssertionResult WaitForPicture(const Picture& picture, const char* what)
    {
        const TFrameBuffer expected = reference::Convert(picture, Current());
        if (h_->WaitUntil([&] { return Shows(expected); }, 20000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << what << ": the preview does not show the expected picture";
    }
    void Open(const std::string& video)
    {
        h_->ClickOpen(video);
        ASSERT_TRUE(h_->WaitUntil([&] { return h_->form1->Image2->Picture()->Bitmap()->Width() > 0; }))
            << "no first frame from " << video;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // The movie frames of bar positions p .. p + n - 1 at frame skip `skip`.
    static std::vector<TMovieFrame> Expected(const std::vector<Picture>& frames, int firstFrame, int skip, int p,
                                             int n, const Settings& settings)
    {
        std::vector<TMovieFrame> out;
        for (int i = 0; i < n; ++i)
            out.push_back(MovieFrame(frames.at(skip * (p + i) - firstFrame), settings));
        return out;
    }
    static std::vector<TMovieFrame> All(const std::vector<Picture>& frames, const Settings& settings)
    {
        std::vector<TMovieFrame> out;
        for (const Picture& p : frames)
            out.push_back(MovieFrame(p, settings));
        return out;
    }

    fs::path dir_;
    std::unique_ptr<TMainWindowHarness> h_;
};

} // namespace

// Per format: the first frame arrives in the preview, the view and the converted preview
// without a seek; a capture of one file of 8 frames from a later position writes exactly the
// conversions of frames skip x position.
TEST_F(EndToEnd, OpenAndCaptureEightFramesInEveryFormat)
{
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.name);
        if (format.name != std::string("Mpeg1")) {
            h_.reset();
            h_ = std::make_unique<TMainWindowHarness>();
        }
        const std::string video = VideoOf(format);
        ASSERT_FALSE(video.empty());
        const std::vector<Picture> frames = reference::ExtractFrames(video, format.width, format.height, 0, 40);
        ASSERT_EQ(frames.size(), 40u);
        TForm1* f = h_->form1;
        EXPECT_FALSE(f->Button2->Enabled());
        Open(video);
        EXPECT_TRUE(f->Button2->Enabled());
        EXPECT_EQ(f->ScrollBar1->Max(), format.frames / 3);
        EXPECT_EQ(f->ScrollBar1->Position(), 0);

        // The preview holds frame 0 at the video's size, pixel for pixel.
        TBitmap* preview = f->Image2->Picture()->Bitmap();
        ASSERT_EQ(preview->Width(), format.width);
        ASSERT_EQ(preview->Height(), format.height);
        EXPECT_EQ(f->Image2->Width(), 320);
        EXPECT_EQ(f->Image2->Height(), 240);
        int differing = 0;
        for (int y = 0; y < format.height; y += 3)
            for (int x = 0; x < format.width; x += 3) {
                const std::uint8_t* p = frames[0].rgb.data() + (static_cast<std::size_t>(y) * format.width + x) * 3;
                differing += preview->Canvas()->Pixels(x, y) != static_cast<TColor>(RGB(p[0], p[1], p[2]));
            }
        EXPECT_EQ(differing, 0);
        EXPECT_TRUE(WaitForPicture(frames[0], "first frame"));

        // Position 5 shows frame 15; a capture from there writes positions 5 .. 12.
        f->ScrollBar1->SetPosition(5);
        ASSERT_TRUE(WaitForPicture(frames[15], "position 5"));
        const std::string out = Path(std::string(format.name) + ".kql");
        h_->StartCapture(out);
        ASSERT_TRUE(h_->WaitForCaptureEnd());
        EXPECT_EQ(CompareMovie(reference::ReadFile(out), Expected(frames, 0, 3, 5, 8, Current()), All(frames, Current())),
                  "");
        EXPECT_EQ(f->ScrollBar1->Position(), 13);
        EXPECT_EQ(f->Button2->Caption(), "Capture from here");
        EXPECT_TRUE(h_->dialogs.MessageBoxes().empty());
    }
}

TEST_F(EndToEnd, BarAndFrameSkipOnAThousandFrames)
{
    const std::string video = testvideos::NumberedVideo("e2e-thousand.avi", 1000);
    ASSERT_FALSE(video.empty());
    TForm1* f = h_->form1;
    Open(video);
    EXPECT_EQ(f->ScrollBar1->Max(), 333);
    f->ScrollBar1->SetPosition(250);
    EXPECT_EQ(f->Label7->Caption(), "250");
    const auto frames750 = reference::ExtractFrames(video, 176, 144, 750, 1);
    ASSERT_TRUE(WaitForPicture(frames750.at(0), "position 250 at skip 3"));
    f->SpinEdit3->SetValue(10);
    EXPECT_EQ(f->ScrollBar1->Max(), 100);
    EXPECT_EQ(f->ScrollBar1->Position(), 100);
    EXPECT_EQ(f->Label7->Caption(), "100");
    // Frame 1000 is the length itself: the player stands on the last picture, 999.
    const auto last = reference::ExtractFrames(video, 176, 144, 999, 1);
    ASSERT_TRUE(WaitForPicture(last.at(0), "position 100 at skip 10"));
    f->ScrollBar1->SetPosition(37);
    const auto frames370 = reference::ExtractFrames(video, 176, 144, 370, 1);
    EXPECT_TRUE(WaitForPicture(frames370.at(0), "position 37 at skip 10"));
    // Typed as 0 or less: nothing moves.
    f->SpinEdit3->SetTextProp("0");
    f->SpinEdit3->SetTextProp("-4");
    EXPECT_EQ(f->ScrollBar1->Max(), 100);
    EXPECT_EQ(f->ScrollBar1->Position(), 37);
    h_->Pump(200);
    EXPECT_TRUE(Shows(reference::Convert(frames370.at(0), Current())));
    EXPECT_TRUE(h_->dialogs.MessageBoxes().empty());
}

TEST_F(EndToEnd, ZoneDragAndResizeBrightnessAndContrast)
{
    const Format& format = kFormats[0];
    const std::string video = VideoOf(format);
    const std::vector<Picture> frames = reference::ExtractFrames(video, format.width, format.height, 0, 1);
    TForm1* f = h_->form1;
    Open(video);
    ASSERT_TRUE(WaitForPicture(frames[0], "first frame"));

    // Drag from inside the zone: the grab point follows the pointer, the zone stays inside
    // the preview, and the release converts the new view.
    f->zone->OnMouseDown(f->zone, mbLeft, {ssLeft}, 40, 30);
    f->zone->OnMouseMove(f->zone, {ssLeft}, 40 - 70, 30 - 90);
    EXPECT_EQ(f->zone->Left(), 26);
    EXPECT_EQ(f->zone->Top(), 42);
    f->zone->OnMouseMove(f->zone, {ssLeft}, 40 - 100, 30);
    EXPECT_EQ(f->zone->Left(), 8);
    f->zone->OnMouseUp(f->zone, mbLeft, {}, 40 - 100, 30);
    EXPECT_TRUE(Shows(reference::Convert(frames[0], Current())));

    // Resize from the corner: the anchor follows each move.
    f->zone->OnMouseDown(f->zone, mbLeft, {ssLeft}, 128, 78);
    f->zone->OnMouseMove(f->zone, {ssLeft}, 128 + 50, 78 + 40);
    EXPECT_EQ(f->zone->Width(), 181);
    EXPECT_EQ(f->zone->Height(), 120);
    f->zone->OnMouseMove(f->zone, {ssLeft}, 128 + 60, 78 + 40);
    EXPECT_EQ(f->zone->Width(), 191);
    EXPECT_EQ(f->zone->Height(), 120);
    f->zone->OnMouseUp(f->zone, mbLeft, {}, 128 + 60, 78 + 40);
    EXPECT_TRUE(Shows(reference::Convert(frames[0], Current())));

    f->ScrollBar2->SetPosition(22);
    EXPECT_EQ(f->Label5->Caption(), "6");
    EXPECT_TRUE(Shows(reference::Convert(frames[0], Current())));
    f->ScrollBar3->SetPosition(13);
    EXPECT_EQ(f->Label6->Caption(), "5");
    EXPECT_TRUE(Shows(reference::Convert(frames[0], Current())));
    EXPECT_EQ(Current().brightness, 22);
    EXPECT_EQ(Current().contrast, 13);
}

TEST_F(EndToEnd, NumberedFilesOneFramePerFileCancelAndTheEndOfTheVideo)
{
    const Format& format = kFormats[2];
    const std::string video = VideoOf(format);
    const std::vector<Picture> frames = reference::ExtractFrames(video, format.width, format.height, 0, format.frames);
    TForm1* f = h_->form1;
    Open(video);
    f->ScrollBar2->SetPosition(12);
    f->ScrollBar3->SetPosition(10);
    const Settings s = Current();
    const std::vector<TMovieFrame> all = All(frames, s);

    // Three numbered files of 2 frames from position 4.
    f->ScrollBar1->SetPosition(4);
    ASSERT_TRUE(WaitForPicture(frames[12], "position 4"));
    f->CheckBox1->SetChecked(true);
    f->SpinEdit2->SetValue(3);
    f->SpinEdit1->SetValue(2);
    h_->StartCapture(Path("clip.kql"));
    ASSERT_TRUE(h_->WaitForCaptureEnd());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CompareMovie(reference::ReadFile(Path("clip" + std::to_string(i + 1) + ".kql")),
                               Expected(frames, 0, 3, 4 + 2 * i, 2, s), all),
                  "")
            << "file " << i + 1;
    EXPECT_FALSE(fs::exists(Path("clip.kql")));
    EXPECT_EQ(f->ScrollBar1->Position(), 10);

    // One frame per file, four files.
    f->SpinEdit2->SetValue(4);
    f->SpinEdit1->SetValue(1);
    h_->StartCapture(Path("one.kql"));
    ASSERT_TRUE(h_->WaitForCaptureEnd());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(CompareMovie(reference::ReadFile(Path("one" + std::to_string(i + 1) + ".kql")),
                               Expected(frames, 0, 3, 10 + i, 1, s), all),
                  "")
            << "file " << i + 1;

    // A cancel in the middle: the frames written so far, complete on disk.
    f->CheckBox1->SetChecked(false);
    f->SpinEdit1->SetValue(40);
    const int start = f->ScrollBar1->Position();
    h_->StartCapture(Path("cancel.kql"));
    ASSERT_TRUE(h_->WaitUntil([&] { return f->ScrollBar1->Position() >= start + 3; }));
    h_->Click(f->Button2);
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    const int written = f->ScrollBar1->Position() - start;
    EXPECT_EQ(CompareMovie(reference::ReadFile(Path("cancel.kql")), Expected(frames, 0, 3, start, written, s), all), "");

    // Into the end of the video: the bar's maximum (30) ends the run, its picture not written.
    f->ScrollBar1->SetPosition(26);
    ASSERT_TRUE(WaitForPicture(frames[78], "position 26"));
    h_->StartCapture(Path("end.kql"));
    ASSERT_TRUE(h_->WaitForCaptureEnd());
    EXPECT_EQ(CompareMovie(reference::ReadFile(Path("end.kql")), Expected(frames, 0, 3, 26, 4, s), all), "");
    EXPECT_EQ(f->ScrollBar1->Position(), 30);
    EXPECT_TRUE(h_->dialogs.MessageBoxes().empty());
}

TEST_F(EndToEnd, AVideoThatCannotBeOpenedShowsAMessageAndTheWindowStaysUsable)
{
    const std::string bad = Path("not-a-video.mpg");
    {
        std::ofstream out(bad, std::ios::binary);
        out << std::string(20000, 'x');
    }
    TForm1* f = h_->form1;
    h_->ClickOpen(bad);
    ASSERT_TRUE(h_->WaitUntil([&] { return !h_->dialogs.MessageBoxes().empty(); }));
    EXPECT_NE(h_->dialogs.MessageBoxes()[0].text, "");
    EXPECT_EQ(f->ScrollBar1->Max(), 0);

    const Format& format = kFormats[2];
    const std::string video = VideoOf(format);
    const std::vector<Picture> frames = reference::ExtractFrames(video, format.width, format.height, 0, 1);
    Open(video);
    EXPECT_TRUE(WaitForPicture(frames[0], "first frame after the failed open"));
    EXPECT_EQ(f->ScrollBar1->Max(), 30);
    EXPECT_EQ(h_->dialogs.MessageBoxes().size(), 1u);
}

// A failed open after a good one, in the middle of a capture: the run ends with its file
// whole, and the window shows that no video is open instead of the old picture over a bar
// that no longer moves it.
TEST_F(EndToEnd, AFailedOpenAfterAGoodOneEndsTheCaptureAndShowsNoVideo)
{
    const Format& format = kFormats[2];
    const std::string video = VideoOf(format);
    const std::vector<Picture> frames = reference::ExtractFrames(video, format.width, format.height, 0, format.frames);
    const std::string bad = Path("not-a-video.avi");
    {
        std::ofstream out(bad, std::ios::binary);
        out << std::string(20000, 'x');
    }
    TForm1* f = h_->form1;
    Open(video);
    const Settings s = Current();
    f->ScrollBar1->SetPosition(2);
    ASSERT_TRUE(WaitForPicture(frames[6], "position 2"));
    f->SpinEdit1->SetValue(40);
    h_->StartCapture(Path("cut.kql"));
    ASSERT_TRUE(h_->WaitUntil([&] { return f->ScrollBar1->Position() >= 5; }));

    h_->ClickOpen(bad);
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    EXPECT_LT(f->Conversion().FramesLeft(), 0);
    ASSERT_TRUE(h_->WaitUntil([&] { return !h_->dialogs.MessageBoxes().empty(); }));
    const std::vector<unsigned char> cut = reference::ReadFile(Path("cut.kql"));
    ASSERT_EQ(cut.size() % 5240, 0u);
    const int written = static_cast<int>(cut.size() / 5240);
    EXPECT_GE(written, 3);
    EXPECT_EQ(CompareMovie(cut, Expected(frames, 0, 3, 2, written, s), All(frames, s)), "");

    EXPECT_EQ(f->Image2->Picture()->Bitmap()->Width(), 0);
    EXPECT_EQ(f->ScrollBar1->Max(), 0);
    EXPECT_EQ(f->ScrollBar1->Position(), 0);
    EXPECT_EQ(f->Label7->Caption(), "0");
    EXPECT_FALSE(f->Button2->Enabled());
    // Nothing brings the old video back: not the frame skip, not a repaint, not a start.
    f->SpinEdit3->SetValue(2);
    EXPECT_EQ(f->ScrollBar1->Max(), 0);
    f->PaintBox1->Repaint();
    f->Conversion().Button2Click(f->Button2);
    h_->Pump(300);
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    EXPECT_EQ(reference::ReadFile(Path("cut.kql")), cut);
    EXPECT_EQ(h_->dialogs.FileDialogs().size(), 3u); // two opens and the one capture
    EXPECT_EQ(h_->dialogs.MessageBoxes().size(), 1u);

    // A good open again: its first picture, its range, the capture enabled.
    Open(video);
    EXPECT_TRUE(WaitForPicture(frames[0], "first frame after the failed open"));
    EXPECT_EQ(f->ScrollBar1->Max(), 45);
    EXPECT_TRUE(f->Button2->Enabled());
}
