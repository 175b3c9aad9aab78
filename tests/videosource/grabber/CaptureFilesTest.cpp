// Names and files of captured frames: sequence numbers found on disk and counted per
// extension, date-and-time names that never collide, the snapshot kinds' name completion,
// and the BMP and JPEG files as written (pixel format, progressive or baseline scans,
// failures).
#include "tests/videosource/grabber/GrabberTestSupport.h"

#include "framework/Bitmap.h"
#include "framework/Exceptions.h"
#include "videosource/CaptureFiles.h"

#include <ctime>
#include <filesystem>
#include <limits>

#include <unistd.h>

using namespace grabbertest;

namespace {

class CaptureNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        BmpSequenceCounter() = 0;
        JpgSequenceCounter() = 0;
        naming_.StoragePath = folder_.Path();
    }
    void TearDown() override
    {
        BmpSequenceCounter() = 0;
        JpgSequenceCounter() = 0;
    }
    std::string Next(const std::string& ext)
    {
        return MakeCaptureFileName(ext == "bmp" ? BmpSequenceCounter() : JpgSequenceCounter(), ext, naming_);
    }

    TempFolder folder_;
    TCaptureNaming naming_;
};

// 6 December 2006, 19:12:30.045, local time.
std::chrono::system_clock::time_point SampleMoment()
{
    std::tm local{};
    local.tm_year = 2006 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 6;
    local.tm_hour = 19;
    local.tm_min = 12;
    local.tm_sec = 30;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(45);
}

// A 24-bit bitmap of w x h, its pixels a gradient.
std::unique_ptr<TBitmap> Frame24(int w, int h)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        BYTE* row = bitmap->ScanLine(y);
        for (int x = 0; x < w * 3; ++x)
            row[x] = static_cast<BYTE>(x + y);
    }
    bitmap->PixelsChanged();
    return bitmap;
}

} // namespace

TEST_F(CaptureNames, SequenceInAnEmptyFolder)
{
    EXPECT_EQ(folder_.Path("am000001.bmp"), Next("bmp"));
    EXPECT_EQ(folder_.Path("am000002.bmp"), Next("bmp"));
    // A folder ending in "/" gets no second one; the counter carries on across folders.
    naming_.StoragePath = folder_.Path() + "/";
    EXPECT_EQ(folder_.Path("am000003.bmp"), Next("bmp"));
    // A folder that does not exist gives no numbers: counting starts at 1.
    BmpSequenceCounter() = 0;
    naming_.StoragePath = folder_.Path("missing");
    EXPECT_EQ(folder_.Path("missing/am000001.bmp"), Next("bmp"));
}

TEST_F(CaptureNames, SequenceContinuesFromTheHighestNumberOnDisk)
{
    for (const char* name : {"am000041.bmp", "am7.bmp", "amx12.bmp", "am.bmp", "Am99.bmp", "am50.jpg",
                             "am45.5.bmp", "am9000.bmpx", "xam60.bmp", ".am70.bmp"})
        folder_.Touch(name);
    std::filesystem::create_directory(folder_.Path("am80.bmp")); // a folder, not a file
    EXPECT_EQ(folder_.Path("am000046.bmp"), Next("bmp")); // am45.5.bmp reads as 45
    // Scanned only while the counter is 0: later files on disk do not move it.
    folder_.Touch("am000100.bmp");
    EXPECT_EQ(folder_.Path("am000047.bmp"), Next("bmp"));
    // The JPEG counter is separate and finds am50.jpg.
    EXPECT_EQ(folder_.Path("am000051.jpg"), Next("jpg"));
}

// The counters go on across folders and prefixes, so a number may already be taken where the
// next capture goes: it is skipped, as no capture replaces a file. The last number is used once.
TEST_F(CaptureNames, ASequenceNameNeverReplacesAFile)
{
    EXPECT_EQ(folder_.Path("am000001.bmp"), Next("bmp"));
    TempFolder other;
    other.Touch("am000002.bmp");
    other.Touch("am000003.bmp");
    naming_.StoragePath = other.Path();
    EXPECT_EQ(other.Path("am000004.bmp"), Next("bmp"));
    naming_.Prefix = "shot";
    other.Touch("shot000005.bmp");
    EXPECT_EQ(other.Path("shot000006.bmp"), Next("bmp"));

    BmpSequenceCounter() = std::numeric_limits<std::int32_t>::max() - 1;
    EXPECT_EQ(other.Path("shot2147483647.bmp"), Next("bmp"));
    EXPECT_THROW(Next("bmp"), Exception);
    EXPECT_THROW(Next("bmp"), Exception);

    // No folder at all is the current one.
    const std::filesystem::path current = std::filesystem::current_path();
    ASSERT_EQ(0, ::chdir(other.Path().c_str()));
    naming_.StoragePath.clear();
    naming_.Prefix = "am";
    BmpSequenceCounter() = 0;
    const std::string name = Next("bmp");
    ::chdir(current.c_str());
    EXPECT_EQ(other.Path("am000004.bmp"), name);
}

TEST_F(CaptureNames, PrefixesAndLongNumbers)
{
    naming_.Prefix = "frame";
    folder_.Touch("frame000009.jpg");
    EXPECT_EQ(folder_.Path("frame000010.jpg"), Next("jpg"));

    naming_.Prefix = "am";
    folder_.Touch("am999999.bmp");
    EXPECT_EQ(folder_.Path("am1000000.bmp"), Next("bmp"));
    EXPECT_EQ(folder_.Path("am1000001.bmp"), Next("bmp"));

    // Numbers that do not fit 32 bits, and signs.
    BmpSequenceCounter() = 0;
    naming_.Prefix = "big";
    folder_.Touch("big99999999999.bmp");
    folder_.Touch("big+12.bmp");
    folder_.Touch("big-300.bmp");
    folder_.Touch("big+-5.bmp");
    EXPECT_EQ(folder_.Path("big000013.bmp"), Next("bmp"));
}

TEST_F(CaptureNames, DateAndTimeNamesNeverReplaceAFile)
{
    naming_.DateTime = true;
    std::int32_t counter = 0;
    const auto moment = SampleMoment();
    const std::string first = MakeCaptureFileName(counter, "jpg", naming_, moment);
    EXPECT_EQ(folder_.Path("am061206_191230_045.jpg"), first);
    EXPECT_EQ(0, counter);
    folder_.Touch("am061206_191230_045.jpg");
    EXPECT_EQ(folder_.Path("am061206_191230_045_1.jpg"), MakeCaptureFileName(counter, "jpg", naming_, moment));
    folder_.Touch("am061206_191230_045_1.jpg");
    EXPECT_EQ(folder_.Path("am061206_191230_045_2.jpg"), MakeCaptureFileName(counter, "jpg", naming_, moment));
    // Another extension does not collide.
    EXPECT_EQ(folder_.Path("am061206_191230_045.bmp"), MakeCaptureFileName(counter, "bmp", naming_, moment));
    // Midnight, the first millisecond of a year.
    std::tm local{};
    local.tm_year = 2031 - 1900;
    local.tm_mday = 1;
    local.tm_isdst = -1;
    EXPECT_EQ(folder_.Path("am310101_000000_000.bmp"),
              MakeCaptureFileName(counter, "bmp", naming_, std::chrono::system_clock::from_time_t(std::mktime(&local))));
}

TEST_F(CaptureNames, SnapshotNameCompletion)
{
    std::string name;
    CompleteSnapshotFileName(name, false, naming_);
    EXPECT_EQ(folder_.Path("am000001.bmp"), name);
    for (int i = 0; i < 2; ++i) {
        name.clear();
        CompleteSnapshotFileName(name, false, naming_);
    }
    EXPECT_EQ(folder_.Path("am000003.bmp"), name);
    name.clear();
    CompleteSnapshotFileName(name, true, naming_);
    EXPECT_EQ(folder_.Path("am000001.jpg"), name); // its own counter

    name = folder_.Path("shot");
    CompleteSnapshotFileName(name, true, naming_);
    EXPECT_EQ(folder_.Path("shot.jpeg"), name);
    name = folder_.Path("shot");
    CompleteSnapshotFileName(name, false, naming_);
    EXPECT_EQ(folder_.Path("shot.bmp"), name);
    // A "." anywhere in the path counts: nothing is appended.
    name = "/tmp/my.dir/shot";
    CompleteSnapshotFileName(name, true, naming_);
    EXPECT_EQ("/tmp/my.dir/shot", name);
    name = "picture.png";
    CompleteSnapshotFileName(name, false, naming_);
    EXPECT_EQ("picture.png", name);
}

TEST(CaptureWriters, BmpKeepsTheFramesFormat)
{
    TempFolder folder;
    auto frame = Frame24(88, 60);
    WriteCaptureBmp(*frame, folder.Path("f.bmp"));
    TBitmap loaded;
    loaded.LoadFromFile(folder.Path("f.bmp"));
    EXPECT_EQ(88, loaded.Width());
    EXPECT_EQ(60, loaded.Height());
    const std::vector<unsigned char> bytes = ReadFileBytes(folder.Path("f.bmp"));
    ASSERT_GE(bytes.size(), 30u);
    EXPECT_EQ(24, bytes[28]); // biBitCount
    EXPECT_EQ(0, std::memcmp(frame->ScanLine(7), loaded.ScanLine(7), 88 * 3));
}

TEST(CaptureWriters, ProgressiveOnlyWhenAskedFor)
{
    TempFolder folder;
    auto frame = Frame24(64, 48);
    TCaptureJpegSettings settings;
    settings.Quality = 75;
    settings.ProgressiveDisplay = true;
    WriteCaptureJpeg(*frame, folder.Path("delivery.jpg"), settings, true);
    WriteCaptureJpeg(*frame, folder.Path("snapshot.jpg"), settings, false);
    EXPECT_EQ(0xC2, JpegFrameMarker(folder.Path("delivery.jpg")));
    EXPECT_EQ(0xC0, JpegFrameMarker(folder.Path("snapshot.jpg")));
    // Quality reaches the file: a lower quality gives fewer bytes.
    settings.Quality = 10;
    WriteCaptureJpeg(*frame, folder.Path("low.jpg"), settings, false);
    EXPECT_LT(ReadFileBytes(folder.Path("low.jpg")).size(), ReadFileBytes(folder.Path("snapshot.jpg")).size());
}

TEST(CaptureWriters, UnwritableFoldersRaise)
{
    TempFolder folder;
    auto frame = Frame24(16, 16);
    EXPECT_THROW(WriteCaptureBmp(*frame, folder.Path("missing/f.bmp")), EInOutError);
    EXPECT_THROW(WriteCaptureJpeg(*frame, folder.Path("missing/f.jpg"), {}, false), EInOutError);
    const std::string readOnly = UnwritableFolder(folder);
    ASSERT_FALSE(readOnly.empty());
    EXPECT_THROW(WriteCaptureBmp(*frame, readOnly + "/f.bmp"), EInOutError);
    EXPECT_THROW(WriteCaptureJpeg(*frame, readOnly + "/f.jpg", {}, true), EInOutError);
}
