// Capture runs driven through the whole chain of events over a fake video source. Every
// frame of the fake video is uniform, with grey level (frame / 3) mod 16, so a written frame
// tells which position of the bar it came from: 5240 bytes of (15 - position mod 16) * 0x11.
#include "ConversionHarness.h"

#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

COLORREF UniformByPosition(Cardinal frame, int, int)
{
    const BYTE v = static_cast<BYTE>(16 * ((frame / 3) % 16));
    return RGB(v, v, v);
}

std::vector<unsigned char> Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Describe(const std::vector<unsigned char>& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t j = i;
        while (j < bytes.size() && bytes[j] == bytes[i])
            ++j;
        text += std::to_string(j - i) + "x" + std::to_string(bytes[i]) + " ";
        i = j;
    }
    return text;
}

std::vector<unsigned char> FramesOfPositions(int first, int count)
{
    std::vector<unsigned char> bytes;
    for (int p = first; p < first + count; ++p)
        bytes.insert(bytes.end(), 5240, static_cast<unsigned char>((15 - p % 16) * 0x11));
    return bytes;
}

std::vector<unsigned char> RepeatedFrame(int position, int count)
{
    return std::vector<unsigned char>(5240u * count, static_cast<unsigned char>((15 - position % 16) * 0x11));
}

class CaptureRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-capture-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<TConversionHarness> Harness(Cardinal frameCount = 300)
    {
        auto h = std::make_unique<TConversionHarness>(352, 288, frameCount, UniformByPosition);
        h->OpenVideo();
        return h;
    }
    // Moves the bar as the user would and waits for the picture of that position.
    static void MoveTo(TConversionHarness& h, int position)
    {
        h.ScrollBar1->SetPosition(position);
        const Cardinal frame = static_cast<Cardinal>(3 * position);
        ASSERT_TRUE(h.WaitUntil([&] { return h.source->Position() == frame && h.conversion->FramesLeft() < 0; }));
        const int reports = h.source->Reports();
        h.WaitUntil([&] { return h.source->Reports() > reports; }, 200);
    }
    static void StartCapture(TConversionHarness& h, const fs::path& file)
    {
        h.dialogs.QueueFileName(file.string());
        h.Button2->OnClick(h.Button2);
    }
    static bool WaitForEnd(TConversionHarness& h)
    {
        return h.WaitUntil([&] { return h.Button2->Caption() == TMovieConversion::CaptureCaption; });
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

} // namespace

TEST_F(CaptureRunTest, OneFileOfEightFramesFromTheCurrentPosition)
{
    auto h = Harness();
    EXPECT_EQ(h->ScrollBar1->Max(), 100); // 300 frames, frame skip 3
    MoveTo(*h, 5);
    StartCapture(*h, Path("clip.kql"));
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CancelCaption);
    ASSERT_TRUE(WaitForEnd(*h));
    EXPECT_EQ(Read(Path("clip.kql")), FramesOfPositions(5, 8));
    // The ninth picture was shown (and converted) before the run ended, but not written.
    EXPECT_EQ(h->ScrollBar1->Position(), 13);
    EXPECT_EQ(h->source->Position(), 39u);
    EXPECT_EQ(h->conversion->FramesLeft(), -1);
    EXPECT_FALSE(h->conversion->MovieFileOpen());
    EXPECT_EQ(h->Label7->Caption(), "13");
}

TEST_F(CaptureRunTest, NumberedFilesContinueWithoutLosingAPicture)
{
    auto h = Harness();
    MoveTo(*h, 20);
    h->CheckBox1->SetChecked(true);
    h->SpinEdit2->SetValue(3);
    h->SpinEdit1->SetValue(2);
    StartCapture(*h, Path("clip.kql"));
    ASSERT_TRUE(WaitForEnd(*h));
    EXPECT_EQ(Read(Path("clip1.kql")), FramesOfPositions(20, 2));
    EXPECT_EQ(Read(Path("clip2.kql")), FramesOfPositions(22, 2));
    EXPECT_EQ(Read(Path("clip3.kql")), FramesOfPositions(24, 2));
    EXPECT_FALSE(fs::exists(Path("clip.kql")));
    EXPECT_EQ(h->ScrollBar1->Position(), 26);
    EXPECT_EQ(h->conversion->FilesLeft(), 0);
}

TEST_F(CaptureRunTest, OneFramePerFile)
{
    auto h = Harness();
    MoveTo(*h, 3);
    h->CheckBox1->SetChecked(true);
    h->SpinEdit2->SetValue(3);
    h->SpinEdit1->SetValue(1);
    StartCapture(*h, Path("one.kql"));
    ASSERT_TRUE(WaitForEnd(*h));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Read(Path("one" + std::to_string(i + 1) + ".kql")), FramesOfPositions(3 + i, 1)) << i;
}

TEST_F(CaptureRunTest, CancelLeavesACompleteFileThatANewRunReplaces)
{
    auto h = Harness();
    h->SpinEdit1->SetValue(40);
    StartCapture(*h, Path("clip.kql"));
    ASSERT_TRUE(h->WaitUntil([&] { return h->ScrollBar1->Position() >= 4; }));
    h->Button2->OnClick(h->Button2); // "Cancel"
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CaptureCaption);
    EXPECT_FALSE(h->conversion->MovieFileOpen());
    const int written = h->ScrollBar1->Position();
    EXPECT_EQ(Read(Path("clip.kql")), FramesOfPositions(0, written));

    // Nothing more is written after the cancel, and the same name can be used at once.
    h->WaitUntil([] { return false; }, 100);
    EXPECT_EQ(fs::file_size(Path("clip.kql")), 5240u * written);
    h->SpinEdit1->SetValue(1);
    StartCapture(*h, Path("clip.kql"));
    ASSERT_TRUE(WaitForEnd(*h));
    EXPECT_EQ(Read(Path("clip.kql")), FramesOfPositions(written, 1));
}

TEST_F(CaptureRunTest, TheEndOfTheVideoEndsTheRun)
{
    auto h = Harness(30); // the bar's maximum is 10
    MoveTo(*h, 6);
    StartCapture(*h, Path("end.kql"));
    ASSERT_TRUE(WaitForEnd(*h));
    EXPECT_EQ(Read(Path("end.kql")), FramesOfPositions(6, 4)); // the picture at the maximum is not written
    EXPECT_EQ(h->ScrollBar1->Position(), 10);
    EXPECT_EQ(h->conversion->FramesLeft(), -1);
    EXPECT_EQ(h->conversion->FilesLeft(), 0);
}

TEST_F(CaptureRunTest, WithoutALengthOnlyRepaintsCarryTheRunOn)
{
    auto h = Harness(0); // FrameCount 0: the bar cannot move
    EXPECT_EQ(h->ScrollBar1->Max(), 0);
    StartCapture(*h, Path("still.kql"));
    EXPECT_EQ(h->source->Seeks(), 0);
    for (int i = 0; i < 7; ++i)
        h->PaintBox1->Repaint();
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CancelCaption);
    EXPECT_EQ(h->conversion->FramesLeft(), 0);
    h->PaintBox1->Repaint(); // closes the full file
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CaptureCaption);
    EXPECT_EQ(fs::file_size(Path("still.kql")), 8 * 5240u);
    EXPECT_EQ(Describe(Read(Path("still.kql"))), Describe(RepeatedFrame(0, 8)));
    EXPECT_EQ(h->source->Seeks(), 0);
}

TEST_F(CaptureRunTest, StartingAtTheMaximumWritesTheSamePictureOnEveryRepaint)
{
    auto h = Harness(30);
    MoveTo(*h, 10);
    h->SpinEdit1->SetValue(2);
    StartCapture(*h, Path("max.kql"));
    h->PaintBox1->Repaint();
    h->PaintBox1->Repaint();
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CaptureCaption);
    EXPECT_EQ(fs::file_size(Path("max.kql")), 2 * 5240u);
    EXPECT_EQ(Describe(Read(Path("max.kql"))), Describe(RepeatedFrame(10, 2)));
}

TEST_F(CaptureRunTest, CreationFailures)
{
    auto h = Harness();
    // The first file: no run starts. (Called directly, the handler's error reaches the caller.)
    h->dialogs.QueueFileName(Path("missing/clip.kql"));
    EXPECT_THROW(h->conversion->Button2Click(h->Button2), EInOutError);
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CaptureCaption);
    EXPECT_EQ(h->conversion->FramesLeft(), -1);

    // A name of the run taken by a folder: refused before anything is created.
    fs::create_directory(Path("clip2.kql"));
    h->CheckBox1->SetChecked(true);
    h->SpinEdit1->SetValue(2);
    h->dialogs.QueueFileName(Path("clip.kql"));
    try {
        h->conversion->Button2Click(h->Button2);
        ADD_FAILURE() << "the run started";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.DisplayText(),
                  "Erreur E/S 5\n" + Path("clip2.kql") + " is a folder, not a file: a movie cannot be written there.");
    }
    EXPECT_FALSE(fs::exists(Path("clip1.kql")));
    EXPECT_EQ(h->Button2->Caption(), TMovieConversion::CaptureCaption);
    fs::remove(Path("clip2.kql"));

    // A later file that fails once the run is under way: the run ends after the error is
    // shown, the earlier file complete.
    h->dialogs.QueueFileName(Path("clip.kql"));
    h->Button2->OnClick(h->Button2);
    ASSERT_TRUE(fs::exists(Path("clip1.kql")));
    fs::create_directory(Path("clip2.kql"));
    ASSERT_TRUE(WaitForEnd(*h));
    EXPECT_EQ(Read(Path("clip1.kql")), FramesOfPositions(0, 2));
    EXPECT_EQ(h->conversion->FilesLeft(), 0);
    EXPECT_EQ(h->conversion->FramesLeft(), -1);
    ASSERT_EQ(h->dialogs.MessageBoxes().size(), 1u);
    EXPECT_EQ(h->dialogs.MessageBoxes().back().text,
              "Erreur E/S 5\n" + Path("clip2.kql") + " is a folder, not a file: a movie cannot be written there.");
}

TEST_F(CaptureRunTest, AFailedWriteIsRetriedByTheNextRepaintWithoutAPartialFrame)
{
    auto h = Harness();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    StartCapture(*h, Path("retry.kql"));
    // The third frame will run into the limit part-way.
    rlimit limit = saved;
    limit.rlim_cur = 2 * 5240 + 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    ASSERT_TRUE(h->WaitUntil([&] { return !h->dialogs.MessageBoxes().empty(); }));
    setrlimit(RLIMIT_FSIZE, &saved);
    // The number, then in plain words what happened and what the file keeps.
    EXPECT_EQ(h->dialogs.MessageBoxes().back().text,
              "Erreur E/S 223\nThe file is too large for the file system (or for the file-size limit). " +
                  Path("retry.kql") + " keeps 2 whole frames.");
    EXPECT_EQ(fs::file_size(Path("retry.kql")) % 5240, 0u);
    EXPECT_EQ(h->ScrollBar1->Position(), 2); // the chain stopped at the failed step

    h->PaintBox1->Repaint(); // the same step again
    ASSERT_TRUE(WaitForEnd(*h));
    EXPECT_EQ(Read(Path("retry.kql")), FramesOfPositions(0, 8));
}
