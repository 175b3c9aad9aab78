#include "tests/videosource/MovieFixture.h"

#include "framework/Bitmap.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "tests/support/NumberedVideos.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstring>
#include <thread>

namespace vstest {

int ShownNumber(TImage* image)
{
    TBitmap* bitmap = image->Picture()->Bitmap();
    const int width = bitmap->Width();
    const int height = bitmap->Height();
    if (width <= 0 || height <= 0)
        return -1;
    bitmap->SetPixelFormat(pf32bit);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * 4 * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&rows[static_cast<std::size_t>(height - 1 - y) * width * 4], bitmap->ScanLine(y),
                    static_cast<std::size_t>(width) * 4);
    return testvideos::ReadFrameNumber(rows.data(), width, height, 32);
}

void MovieEvents::OpenComplete(TObject* sender)
{
    entries.push_back("openComplete " + std::to_string(static_cast<TActiveMovie*>(sender)->FrameCount()));
}

void MovieEvents::OpenState(TObject*, int oldState, int newState)
{
    entries.push_back("open " + std::to_string(oldState) + ">" + std::to_string(newState));
}

void MovieEvents::PlayState(TObject*, int oldState, int newState)
{
    entries.push_back("play " + std::to_string(oldState) + ">" + std::to_string(newState));
}

void MovieEvents::Ready(TObject*, int state) { entries.push_back("ready " + std::to_string(state)); }

void MovieEvents::EndOfStream(TObject*, int result) { entries.push_back("end " + std::to_string(result)); }

void MovieEvents::Error(TObject*, int code, const std::string& message)
{
    entries.push_back("error " + std::to_string(code) + " " + message);
}

void MovieEvents::PositionChange(TObject* sender, double oldTime, double newTime, Cardinal oldFrame,
                                 Cardinal newFrame)
{
    PositionReport report{oldTime, newTime, oldFrame, newFrame};
    if (snapshotImage != nullptr) {
        report.SnapshotOk = static_cast<TActiveMovie*>(sender)->SnapshotToImage(snapshotImage) != 0;
        report.Shown = report.SnapshotOk ? ShownNumber(snapshotImage) : -1;
    }
    positions.push_back(report);
}

void MovieEvents::FullScreenKey(TObject*, WORD key, TShiftState shift)
{
    std::string text = "key " + std::to_string(key);
    if (shift.Contains(ssAlt))
        text += " alt";
    entries.push_back(text);
}

int MovieEvents::Count(const std::string& entry) const
{
    return static_cast<int>(std::count(entries.begin(), entries.end(), entry));
}

std::vector<std::string> MovieEvents::Starting(const std::string& prefix) const
{
    std::vector<std::string> result;
    for (const std::string& e : entries)
        if (e.rfind(prefix, 0) == 0)
            result.push_back(e);
    return result;
}

void MovieTest::SetUp()
{
    ASSERT_EQ(S_OK, InstallMediaPlayerControl());
    RegisterActiveMovieClass();
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 420, 340);
    image_ = new TImage(form_);
    image_->SetParent(form_);
    image_->SetBounds(0, 0, 320, 240);
    events_.snapshotImage = image_;
    movie_ = MakeMovie();
}

TActiveMovie* MovieTest::MakeMovie()
{
    auto* movie = new TActiveMovie(form_);
    movie->SetParent(form_);
    movie->SetBounds(128, 16, 17, 9);
    movie->SetVisible(false);
    movie->SetAutoStart(WordFalse);
    movie->SetDisplayMode(mpTime);
    movie->SetDisplaySize(mpFitToSize);
    movie->SetSendOpenStateChangeEvents(WordTrue);
    movie->SetSendPlayStateChangeEvents(WordTrue);
    movie->OnOpenComplete.Assign(&events_, &MovieEvents::OpenComplete);
    movie->OnOpenStateChange.Assign(&events_, &MovieEvents::OpenState);
    movie->OnPlayStateChange.Assign(&events_, &MovieEvents::PlayState);
    movie->OnReadyStateChange.Assign(&events_, &MovieEvents::Ready);
    movie->OnEndOfStream.Assign(&events_, &MovieEvents::EndOfStream);
    movie->OnError.Assign(&events_, &MovieEvents::Error);
    movie->OnPositionChange.Assign(&events_, &MovieEvents::PositionChange);
    form_->HandleNeeded();
    return movie;
}

void MovieTest::TearDown()
{
    if (form_ != nullptr)
        form_->Free();
    form_ = nullptr;
    movie_ = nullptr;
    QCoreApplication::processEvents();
}

void MovieTest::OpenAndWaitFirstReport(const std::string& path)
{
    ASSERT_FALSE(path.empty());
    events_.positions.clear();
    movie_->SetFileName(ToWideString(path));
    movie_->OpenMedia();
    ASSERT_TRUE(WaitUntil([&] { return !events_.Starting("openComplete").empty(); })) << path;
    ASSERT_TRUE(WaitUntil([&] { return !events_.positions.empty(); }, 5000)) << path;
}

PositionReport MovieTest::SeekAndWaitReport(Cardinal frame, int* latencyMs)
{
    const std::size_t before = events_.positions.size();
    QElapsedTimer timer;
    timer.start();
    movie_->SeekToFrame(frame);
    const bool reported = WaitUntil([&] { return events_.positions.size() > before; }, 5000);
    if (latencyMs != nullptr)
        *latencyMs = static_cast<int>(timer.elapsed());
    EXPECT_TRUE(reported) << "no report after a seek to " << frame;
    if (!reported)
        return {};
    EXPECT_EQ(before + 1, events_.positions.size()) << "one report per seek";
    return events_.positions.back();
}

} // namespace vstest
