// Rules of the capture run seen from the window, stepped one paint at a time: over a video
// whose length in frames cannot be told the bar cannot move, so nothing but a repaint of the
// converted preview carries the run on, and every step is the test's own. A failed close
// (the file size limit reached while the last bytes wait in the output buffer) is tried again
// by the next step, by "Cancel" and at the end of the video; the file count and "Multi-file"
// changed during a run number the next files.
#include "MainWindowHarness.h"
#include "StandInVideoSource.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

COLORREF Grey(Cardinal frame, int, int)
{
    const BYTE v = static_cast<BYTE>(16 * (frame % 16));
    return RGB(v, v, v);
}

class CaptureRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-app-rules-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
    }
    void TearDown() override
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        fs::remove_all(dir_);
    }

    std::unique_ptr<TMainWindowHarness> Open(Cardinal frameCount)
    {
        auto h = std::make_unique<TMainWindowHarness>(
            [=](TForm1& form) { return TStandInVideoSource::Make(form, 352, 288, frameCount, Grey); });
        auto& source = *static_cast<TStandInVideoSource*>(h->form1->ActiveMovie1);
        h->ClickOpen("/videos/v.mpg");
        EXPECT_TRUE(h->WaitUntil([&] { return source.Video().Reports() >= 1; }));
        return h;
    }
    // Writes fail from `bytes` on.
    void LimitFileSize(rlim_t bytes)
    {
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    void Unlimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string LastMessage(TMainWindowHarness& h)
    {
        return h.dialogs.MessageBoxes().empty() ? "" : h.dialogs.MessageBoxes().back().text;
    }

    // Bytes of n frames that have left the 128-byte output buffer.
    static rlim_t Flushed(int frames) { return (5240u * frames) / 128 * 128; }

    fs::path dir_;
    rlimit saved_{};
};

} // namespace

TEST_F(CaptureRules, AFailedCloseIsTriedAgainByTheNextStep)
{
    auto h = Open(0);
    TForm1* f = h->form1;
    f->SpinEdit1->SetValue(2);
    h->StartCapture(Path("a.kql"));
    f->PaintBox1->Repaint(); // the second frame; the file is full
    EXPECT_EQ(f->Conversion().FramesLeft(), 0);
    LimitFileSize(Flushed(2));
    f->PaintBox1->Repaint(); // the close fails
    EXPECT_EQ(LastMessage(*h), "Erreur E/S 223\nThe file is too large for the file system (or for the file-size limit). " + Path("a.kql") + " keeps 1 whole frame.");
    EXPECT_TRUE(f->Conversion().MovieFileOpen());
    EXPECT_EQ(f->Button2->Caption(), "Cancel");
    EXPECT_EQ(f->Conversion().FramesLeft(), 0);
    EXPECT_EQ(f->Conversion().FilesLeft(), 1);
    Unlimit();
    f->PaintBox1->Repaint(); // the same step again
    EXPECT_FALSE(f->Conversion().MovieFileOpen());
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    EXPECT_EQ(fs::file_size(Path("a.kql")), 2 * 5240u);
    EXPECT_EQ(h->dialogs.MessageBoxes().size(), 1u);
}

TEST_F(CaptureRules, AFailedCloseIsTriedAgainByCancel)
{
    auto h = Open(0);
    TForm1* f = h->form1;
    h->StartCapture(Path("b.kql"));
    f->PaintBox1->Repaint();
    f->PaintBox1->Repaint(); // three frames written
    LimitFileSize(Flushed(3));
    h->Click(f->Button2); // "Cancel": the close fails
    EXPECT_EQ(LastMessage(*h), "Erreur E/S 223\nThe file is too large for the file system (or for the file-size limit). " + Path("b.kql") + " keeps 2 whole frames.");
    EXPECT_TRUE(f->Conversion().MovieFileOpen());
    EXPECT_EQ(f->Button2->Caption(), "Cancel");
    EXPECT_EQ(f->Conversion().FramesLeft(), -1);
    f->PaintBox1->Repaint(); // no run: nothing is written
    Unlimit();
    h->Click(f->Button2); // "Cancel" again
    EXPECT_FALSE(f->Conversion().MovieFileOpen());
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    EXPECT_EQ(fs::file_size(Path("b.kql")), 3 * 5240u);
}

TEST_F(CaptureRules, AFailedCloseAtTheEndOfTheVideoIsTriedAgainThere)
{
    auto h = Open(30); // the bar runs 0..10
    TForm1* f = h->form1;
    auto& source = *static_cast<TStandInVideoSource*>(f->ActiveMovie1);
    f->ScrollBar1->SetPosition(8);
    ASSERT_TRUE(h->WaitUntil([&] { return source.Video().Reports() >= 2; }));
    LimitFileSize(Flushed(2)); // the frames of positions 8 and 9 fit; their last bytes do not
    h->StartCapture(Path("c.kql"));
    ASSERT_TRUE(h->WaitUntil([&] { return !h->dialogs.MessageBoxes().empty(); }));
    EXPECT_EQ(LastMessage(*h), "Erreur E/S 223\nThe file is too large for the file system (or for the file-size limit). " + Path("c.kql") + " keeps 1 whole frame.");
    EXPECT_EQ(f->ScrollBar1->Position(), 10);
    EXPECT_TRUE(f->Conversion().MovieFileOpen());
    EXPECT_EQ(f->Conversion().FramesLeft(), -1);
    Unlimit();
    // Any change that finds the bar at its end closes the file: here the bar moved back and on.
    f->ScrollBar1->SetPosition(9);
    EXPECT_TRUE(f->Conversion().MovieFileOpen());
    f->ScrollBar1->SetPosition(10);
    EXPECT_FALSE(f->Conversion().MovieFileOpen());
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    EXPECT_EQ(fs::file_size(Path("c.kql")), 2 * 5240u);
    EXPECT_EQ(h->dialogs.MessageBoxes().size(), 1u);
}

TEST_F(CaptureRules, FileCountAndMultiFileChangedDuringARunNumberTheNextFiles)
{
    auto h = Open(0);
    TForm1* f = h->form1;
    f->CheckBox1->SetChecked(true);
    f->SpinEdit2->SetValue(3);
    f->SpinEdit1->SetValue(1);
    h->StartCapture(Path("n.kql")); // n1.kql, full at once
    EXPECT_TRUE(fs::exists(Path("n1.kql")));
    // Three files left counting the current one; with a count of 5 the next is number 5 - 2 + 1.
    f->SpinEdit2->SetValue(5);
    f->PaintBox1->Repaint();
    EXPECT_TRUE(fs::exists(Path("n4.kql")));
    EXPECT_EQ(f->Conversion().FilesLeft(), 2);
    // Without "Multi-file" the next file takes the chosen name itself.
    f->CheckBox1->SetChecked(false);
    f->PaintBox1->Repaint();
    EXPECT_TRUE(fs::exists(Path("n.kql")));
    EXPECT_EQ(f->Conversion().FilesLeft(), 1);
    f->PaintBox1->Repaint(); // closes the last file and ends the run
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    for (const char* name : {"n1.kql", "n4.kql", "n.kql"})
        EXPECT_EQ(fs::file_size(Path(name)), 5240u) << name;
    EXPECT_FALSE(fs::exists(Path("n2.kql")));
    EXPECT_FALSE(fs::exists(Path("n3.kql")));
    EXPECT_TRUE(h->dialogs.MessageBoxes().empty());
}
