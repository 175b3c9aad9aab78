// TActiveMovie's capture files on the real control: the snapshot kinds 1 and 2 (automatic
// names, extensions, their different failure reporting, baseline JPEG), and frames the grabber
// delivers to files (CaptureSize, progressive JPEG, a folder that cannot be written).
#include "tests/videosource/grabber/MovieGrabberFixture.h"

#include "framework/Bitmap.h"
#include "framework/Exceptions.h"

#include <filesystem>
#include <limits>

using namespace grabbertest;

namespace {

class CaptureSaving : public MovieGrabberTest {
protected:
    // Takes one frame to `dest` through the grabber and waits for its event.
    Capture CaptureOne(TFrameCapture_Dest dest)
    {
        const std::size_t before = recorder_.captures.size();
        EXPECT_TRUE(movie_->CaptureFrames(dest));
        EXPECT_TRUE(WaitUntil([&] { return recorder_.captures.size() > before; }));
        EXPECT_TRUE(WaitUntil([&] { return PlayState() == 1; }));
        return recorder_.captures.size() > before ? recorder_.captures.back() : Capture{};
    }
};

int FileFrameNumber(const std::string& path)
{
    TPicture picture;
    picture.LoadFromFile(path);
    TBitmap bitmap;
    bitmap.Assign(&picture);
    bitmap.SetPixelFormat(pf32bit);
    return BitmapFrameNumber(&bitmap);
}

} // namespace

TEST_F(CaptureSaving, SnapshotFilesAndTheirNames)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(17));
    folder_.Touch("am000041.bmp");
    std::string name;
    EXPECT_TRUE(movie_->TakeSnapshot(1, name, nullptr, nullptr));
    EXPECT_EQ(folder_.Path("am000042.bmp"), name);
    EXPECT_EQ(17, FileFrameNumber(name)); // the frame the seek showed
    const std::vector<unsigned char> bmp = ReadFileBytes(name);
    ASSERT_GT(bmp.size(), 30u);
    EXPECT_EQ(24, bmp[28]); // a grabber frame is 24 bits a pixel

    ASSERT_NO_FATAL_FAILURE(SeekPaused(30));
    name.clear();
    movie_->SetJPEGProgressiveDisplay(WordTrue);
    EXPECT_TRUE(movie_->TakeSnapshot(2, name, nullptr, nullptr));
    EXPECT_EQ(folder_.Path("am000001.jpg"), name); // the JPEG counter is its own
    EXPECT_EQ(0xC0, JpegFrameMarker(name));        // baseline, progressive display or not
    EXPECT_EQ(30, FileFrameNumber(name));

    // A name without any "." gets the extension; a "." anywhere in the path keeps it as is.
    name = folder_.Path("shot");
    EXPECT_TRUE(movie_->TakeSnapshot(2, name, nullptr, nullptr));
    EXPECT_EQ(folder_.Path("shot.jpeg"), name);
    EXPECT_TRUE(std::filesystem::exists(name));
    std::filesystem::create_directory(folder_.Path("my.dir"));
    name = folder_.Path("my.dir/shot");
    EXPECT_TRUE(movie_->TakeSnapshot(2, name, nullptr, nullptr));
    EXPECT_EQ(folder_.Path("my.dir/shot"), name);
    EXPECT_EQ(0xC0, JpegFrameMarker(name));
    EXPECT_TRUE(WaitUntil([&] { return PlayState() == 1; }));
    EXPECT_TRUE(recorder_.captures.empty());
}

TEST_F(CaptureSaving, SnapshotWriteFailures)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(12));
    // Kind 1 reports the failure as no snapshot; kind 2 lets it reach the caller.
    std::string name = folder_.Path("missing/shot.bmp");
    EXPECT_FALSE(movie_->TakeSnapshot(1, name, nullptr, nullptr));
    EXPECT_FALSE(std::filesystem::exists(name));
    name = folder_.Path("missing/shot.jpg");
    EXPECT_THROW(movie_->TakeSnapshot(2, name, nullptr, nullptr), EInOutError);
    // The sequence at its last number: a capture that needs a new name is refused.
    BmpSequenceCounter() = std::numeric_limits<std::int32_t>::max();
    name.clear();
    EXPECT_FALSE(movie_->TakeSnapshot(1, name, nullptr, nullptr));
    const Capture refused = CaptureOne(fcBMP);
    EXPECT_FALSE(refused.Success);
    EXPECT_TRUE(refused.FileName.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));
    BmpSequenceCounter() = 0;
    // Nothing is left waiting: the next snapshot works.
    EXPECT_TRUE(WaitUntil([&] { return PlayState() == 1; }));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(4));
    name = folder_.Path("after.bmp");
    EXPECT_TRUE(movie_->TakeSnapshot(1, name, nullptr, nullptr));
    EXPECT_EQ(4, FileFrameNumber(name));
}

TEST_F(CaptureSaving, DeliveredFilesAtHalfSize)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(9));
    movie_->SetCaptureSize(50);
    const Capture bmp = CaptureOne(fcBMP);
    EXPECT_EQ(fcBMP, bmp.Dest);
    EXPECT_TRUE(bmp.Success);
    EXPECT_EQ(folder_.Path("am000001.bmp"), bmp.FileName);
    EXPECT_EQ(88, bmp.Width);
    EXPECT_EQ(72, bmp.Height);
    EXPECT_EQ(24, bmp.BitsPerPixel);
    EXPECT_EQ(9, bmp.Number);
    TBitmap loaded;
    loaded.LoadFromFile(bmp.FileName);
    EXPECT_EQ(88, loaded.Width());
    EXPECT_EQ(72, loaded.Height());
    EXPECT_EQ(24, ReadFileBytes(bmp.FileName)[28]);
    EXPECT_EQ(9, FileFrameNumber(bmp.FileName));
}

TEST_F(CaptureSaving, DeliveredJpegIsProgressiveWhenAskedFor)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(21));
    const Capture baseline = CaptureOne(fcJPEG);
    EXPECT_EQ(folder_.Path("am000001.jpg"), baseline.FileName);
    EXPECT_EQ(0xC0, JpegFrameMarker(baseline.FileName));
    movie_->SetJPEGProgressiveDisplay(WordTrue);
    movie_->SetJPEGQuality(80);
    ASSERT_NO_FATAL_FAILURE(SeekPaused(40));
    const Capture progressive = CaptureOne(fcJPEG);
    EXPECT_EQ(folder_.Path("am000002.jpg"), progressive.FileName);
    EXPECT_TRUE(progressive.Success);
    EXPECT_EQ(0xC2, JpegFrameMarker(progressive.FileName));
    EXPECT_EQ(40, FileFrameNumber(progressive.FileName));
}

TEST_F(CaptureSaving, UnwritableFolderReportsFailureWithTheName)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    const std::string readOnly = UnwritableFolder(folder_);
    ASSERT_FALSE(readOnly.empty());
    movie_->SetStoragePath(readOnly);
    ASSERT_NO_FATAL_FAILURE(SeekPaused(2));
    const Capture bmp = CaptureOne(fcBMP);
    EXPECT_FALSE(bmp.Success);
    EXPECT_EQ(readOnly + "/am000001.bmp", bmp.FileName);
    EXPECT_EQ(2, bmp.Number); // the event still carries the frame
    movie_->SetStoragePath(folder_.Path("missing"));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(20));
    const Capture jpg = CaptureOne(fcJPEG);
    EXPECT_FALSE(jpg.Success);
    EXPECT_EQ(folder_.Path("missing/am000001.jpg"), jpg.FileName);
    // The callback is idle again and the next capture works.
    EXPECT_FALSE(movie_->GrabberCallback()->Busy());
    movie_->SetStoragePath(folder_.Path());
    ASSERT_NO_FATAL_FAILURE(SeekPaused(40));
    EXPECT_TRUE(CaptureOne(fcBMP).Success);
}
