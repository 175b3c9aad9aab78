// The component around the contract: the order of its deferred events, the frame count's
// rounding, looping, full-screen keys through the renderer window, the selection setters,
// its names, the design-time form, a layout written and read back, and destruction while
// the control still loads.
#include "framework/LayoutReader.h"
#include "framework/LayoutWriter.h"
#include "platform/user/ScriptedDialogService.h"
#include "tests/support/NumberedVideos.h"
#include "tests/videosource/MovieFixture.h"

#include <set>
#include <sstream>

namespace vstest {
namespace {

constexpr int kFrames = 60;

std::string Video() { return testvideos::NumberedVideo("mj.avi", kFrames, "-c:v mjpeg -q:v 3"); }

TEST(FrameCount, RoundsHalvesToEvenAndIsZeroWhenBothUnitsGiveTheSameNumber)
{
    EXPECT_EQ(2u, TActiveMovie::FrameCountOf(2.5, 0.1));
    EXPECT_EQ(4u, TActiveMovie::FrameCountOf(3.5, 0.14));
    EXPECT_EQ(60u, TActiveMovie::FrameCountOf(60.0, 2.4));
    EXPECT_EQ(0u, TActiveMovie::FrameCountOf(60.0, 60.0));
}

TEST_F(MovieTest, OpenCompleteComesFirstAndStateChangesBetweenTicksAreFiredAsTheLatestPair)
{
    movie_->RelayTimer()->SetEnabled(false);
    movie_->SetFileName(ToWideString(Video()));
    movie_->OpenMedia();
    ASSERT_TRUE(WaitUntil([&] { return movie_->Player()->GetIntegerProp(1068) == 2; }));
    // Nothing deferred has fired yet; the completion has, with the exact length.
    EXPECT_EQ(std::vector<std::string>{"openComplete 60"}, events_.Starting("open"));
    EXPECT_TRUE(events_.Starting("play").empty());
    movie_->RelayTick(nullptr);
    // Open 0>5 and 5>6 came between two ticks: one event, with the second pair.
    EXPECT_EQ((std::vector<std::string>{"openComplete 60", "open 5>6"}), events_.Starting("open"));
    EXPECT_EQ(std::vector<std::string>{"play 6>2"}, events_.Starting("play"));
    // The tick paused the player that had started on its own.
    EXPECT_EQ(1, movie_->Player()->GetIntegerProp(1068));
    movie_->RelayTimer()->SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return !events_.positions.empty(); }, 5000));
    EXPECT_EQ(0, events_.positions.front().Shown);
    ASSERT_TRUE(WaitUntil([&] { return events_.Has("play 2>1"); }, 5000));
}

TEST_F(MovieTest, LoopStartsTheMediaAgainWithoutAnEndOfStreamHandler)
{
    movie_->OnEndOfStream.Clear();
    movie_->SetAutoStart(WordTrue);
    movie_->SetLoop(true);
    events_.snapshotImage = nullptr;
    movie_->SetFileName(ToWideString(testvideos::NumberedVideo("short.avi", 8, "-c:v mjpeg -q:v 3")));
    movie_->OpenMedia();
    // A report that goes back to the start, after the end was reached.
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const PositionReport& r : events_.positions)
                if (r.OldFrame >= 6 && r.NewFrame < r.OldFrame)
                    return true;
            return false;
        },
        8000));
    movie_->SetLoop(false);
}

TEST_F(MovieTest, KeyUpsOnTheRendererWindowReachOnFullScreenKeyPressFromTheTick)
{
    OpenAndWaitFirstReport(Video());
    const HWND renderer = movie_->RendererWindow();
    ASSERT_NE(renderer, nullptr);
    char name[101] = {};
    GetClassNameA(renderer, name, 100);
    EXPECT_NE(std::string::npos, std::string(name).find("Renderer")) << name;

    // Without a handler nothing is recorded.
    SendMessageA(renderer, WM_KEYUP, 'A', 0);
    Pump(120);
    EXPECT_TRUE(events_.Starting("key").empty());

    movie_->OnFullScreenKeyPress.Assign(&events_, &MovieEvents::FullScreenKey);
    EXPECT_EQ(0, SendMessageA(renderer, WM_KEYUP, 'A', LPARAM(1) << 29));
    // A second key while the first waits is not recorded.
    SendMessageA(renderer, WM_KEYUP, 'B', 0);
    ASSERT_TRUE(WaitUntil([&] { return !events_.Starting("key").empty(); }, 2000));
    Pump(120);
    EXPECT_EQ(std::vector<std::string>{"key 65 alt"}, events_.Starting("key"));

    // Escape leaves full screen for the display size, and fires nothing.
    movie_->SetDispInt(1032, 3);
    SendMessageA(renderer, WM_KEYUP, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return movie_->GetDispInt(1032) == 4; }, 2000));
    Pump(120);
    EXPECT_EQ(1u, events_.Starting("key").size());
    EXPECT_EQ(WordFalse, movie_->FullScreenMode());
}

TEST_F(MovieTest, SnapshotWithoutOpenMediaLeavesTheImageAsItWas)
{
    image_->Picture()->Bitmap()->SetSize(5, 7);
    EXPECT_EQ(WordFalse, movie_->SnapshotToImage(image_));
    EXPECT_EQ(5, image_->Picture()->Width());
    EXPECT_EQ(7, image_->Picture()->Height());
    EXPECT_EQ(320, image_->Width());
}

TEST_F(MovieTest, SelectionBoundsAcceptOnlyAConsistentRange)
{
    movie_->SetSelectionStart(7);
    movie_->SetSelectionEnd(5);
    EXPECT_EQ(-1.0, movie_->SelectionEnd());
    movie_->SetSelectionEnd(9);
    movie_->SetSelectionStart(10);
    movie_->SetSelectionStart(-3);
    EXPECT_EQ(7.0, movie_->SelectionStart());
    movie_->SetSelectionEnd(-1);
    EXPECT_EQ(-1.0, movie_->SelectionEnd());
    movie_->SetSelectionStart(-1);
    EXPECT_EQ(-1.0, movie_->SelectionStart());
}

// Only a rate the control took is kept: one it refused would be written again at every change
// of the play state, failing there and skipping the rest of the handler (the pause after the
// open among it), with an error box each time.
TEST_F(MovieTest, ARateTheControlRefusesIsNotKept)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scope(dialogs);
    EXPECT_ANY_THROW(movie_->SetRate(100));
    EXPECT_EQ(1.0, movie_->Rate());
    OpenAndWaitFirstReport(Video());
    ASSERT_TRUE(WaitUntil([&] { return movie_->GetDispInt(1068) == 1; }));
    EXPECT_EQ(0u, movie_->FramePosition());
    movie_->Play();
    ASSERT_TRUE(WaitUntil([&] { return movie_->GetDispInt(1068) == 2; }));
    EXPECT_ANY_THROW(movie_->SetRate(0.01));
    EXPECT_EQ(1.0, movie_->Rate());
    movie_->SetRate(2);
    EXPECT_EQ(2.0, movie_->Rate());
    EXPECT_EQ(2.0, movie_->GetDispDouble(1028));
    EXPECT_TRUE(movie_->Pause());
    EXPECT_TRUE(WaitUntil([&] { return movie_->GetDispInt(1068) == 1; }));
    Pump(200); // the play-state reports go through the handler
    EXPECT_EQ(2.0, movie_->GetDispDouble(1028));
    EXPECT_TRUE(dialogs.MessageBoxes().empty());
}

// Hidden, the component shows its parent's colour; shown again, it follows the parent's colour
// as before, or shows its own.
TEST_F(MovieTest, HidingAndShowingKeepsFollowingTheParentsColour)
{
    movie_->SetVisible(true);
    form_->SetColor(clRed);
    EXPECT_EQ(clRed, movie_->Color());
    movie_->SetVisible(false);
    movie_->SetVisible(true);
    EXPECT_TRUE(movie_->ParentColor());
    form_->SetColor(clBlue);
    EXPECT_EQ(clBlue, movie_->Color());

    movie_->SetColor(clLime);
    movie_->SetVisible(false);
    EXPECT_EQ(clBlue, movie_->Color());
    movie_->SetVisible(true);
    EXPECT_EQ(clLime, movie_->Color());
    EXPECT_FALSE(movie_->ParentColor());
}

TEST_F(MovieTest, EnabledIsThePlayersWhileThePanelStaysEnabled)
{
    movie_->SetPlayerEnabled(WordFalse);
    EXPECT_EQ(WordFalse, movie_->Player()->GetWordBoolProp(-514));
    EXPECT_TRUE(movie_->TControl::Enabled());
    movie_->SetPlayerEnabled(WordTrue);
    EXPECT_EQ(WordTrue, movie_->PlayerEnabled());
}

TEST_F(MovieTest, TwoComponentsNeverShareTheNamesOfTheirParts)
{
    TActiveMovie* second = MakeMovie();
    const std::string timer = movie_->RelayTimer()->Name();
    const std::string player = movie_->Player()->Name();
    ASSERT_EQ(0u, timer.rfind("AMComponent", 0));
    const int n = std::stoi(timer.substr(11));
    EXPECT_EQ("AMComponent" + std::to_string(n + 1), player);
    EXPECT_EQ("AMComponent" + std::to_string(n + 2), second->RelayTimer()->Name());
    EXPECT_EQ("AMComponent" + std::to_string(n + 3), second->Player()->Name());
}

TEST_F(MovieTest, ADesignedComponentHasNoTimerNoBarsAndNoPositionReports)
{
    auto* designer = new TForm(nullptr);
    designer->SetDesigning(true);
    auto* designed = new TActiveMovie(designer);
    designed->SetParent(designer);
    EXPECT_EQ(nullptr, designed->RelayTimer());
    EXPECT_EQ(nullptr, designed->HorzScrollBar());
    EXPECT_EQ(nullptr, designed->VertScrollBar());
    EXPECT_EQ(nullptr, designed->CornerPanel());
    EXPECT_NE(nullptr, designed->VideoPanel());
    EXPECT_NE(nullptr, designed->Player());
    designer->Free();
}

TEST_F(MovieTest, DestroyingTheComponentWhileItsControlLoadsWaitsForTheLoading)
{
    TActiveMovie* loading = MakeMovie();
    loading->SetFileName(ToWideString(testvideos::MakeVideo(
        "big.mpg", "-f lavfi -i testsrc=s=720x576:r=25:d=6 -c:v mpeg2video -q:v 4 -g 15 -f vob")));
    loading->OpenMedia();
    ASSERT_TRUE(WaitUntil([&] { return loading->Player()->GetIntegerProp(-525) == 1; }, 5000));
    loading->Free();
    Pump(200);
    // The form and the other component carry on.
    OpenAndWaitFirstReport(Video());
    EXPECT_EQ(0, events_.positions.front().Shown);
}

// The property names of the component's block in a written layout (its own level only).
std::set<std::string> WrittenNames(const std::string& layout, const std::string& header)
{
    std::set<std::string> names;
    std::istringstream lines(layout);
    std::string line;
    int depth = -1;
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        const std::string text = line.substr(start);
        if (depth < 0) {
            if (text.rfind(header, 0) == 0)
                depth = 0;
            continue;
        }
        if (text == "}") {
            if (depth == 0)
                break;
            --depth;
            continue;
        }
        if (text.back() == '{') {
            if (depth == 0 && text.find(':') == std::string::npos)
                names.insert(text.substr(0, text.find(' ')));
            ++depth;
            continue;
        }
        if (depth == 0)
            names.insert(text.substr(0, text.find(' ')));
    }
    return names;
}

TEST_F(MovieTest, AWrittenLayoutStoresEveryPropertyButTheSoundAndTheStoragePathAndReadsBack)
{
    auto* root = new TForm(nullptr);
    root->SetName("Form1");
    auto* written = new TActiveMovie(root);
    written->SetName("ActiveMovie1");
    written->SetParent(root);
    written->SetBounds(128, 16, 17, 9);
    written->SetVisible(false);
    written->SetAutoStart(WordFalse);
    written->SetDisplaySize(mpFitToSize);
    written->SetRate(1.5);
    written->SetZoomSize(150);
    written->SetFileName(u"/tmp/a b.avi");
    written->SetCaptureSize(50);
    const std::string layout = WriteLayout(*root);
    root->Free();

    const std::set<std::string> names = WrittenNames(layout, "ActiveMovie1: TActiveMovie {");
    const char* stored[] = {
        // the component's own
        "AutoFileName", "AutoFilePrefix", "AutoStart", "CaptureSize", "DisplayLogo", "DisplayMode", "DisplaySize",
        "FGrabber_BurstCount", "FGrabber_BurstInterval", "FGrabber_BurstMode", "FGrabber_Enabled", "FileName",
        "FullScreenMode", "JPEGPerformance", "JPEGProgressiveDisplay", "JPEGQuality", "Loop", "Rate",
        "ScrollBarsThickness", "SelectionEnd", "SelectionStart", "ShowControls", "ShowScrollBars", "Visible",
        "ZoomSize", "ParentColor",
        // the player's
        "AllowScan", "AnimationAtStart", "AudioStream", "AutoRewind", "BaseURL", "CaptioningID", "ClickToPlay",
        "CursorType", "DefaultFrame", "EnableContextMenu", "Enabled", "EnableFullScreenControls",
        "EnablePositionControls", "EnableTracker", "InvokeURLs", "Language", "PlayCount", "SAMIFileName", "SAMILang",
        "SAMIStyle", "SendErrorEvents", "SendKeyboardEvents", "SendMouseClickEvents", "SendMouseMoveEvents",
        "SendOpenStateChangeEvents", "SendPlayStateChangeEvents", "SendWarningEvents", "ShowAudioControls",
        "ShowCaptioning", "ShowDisplay", "ShowGotoBar", "ShowPositionControls", "ShowStatusBar", "ShowTracker",
        "VideoBorder3D", "VideoBorderColor", "VideoBorderWidth"};
    for (const char* name : stored)
        EXPECT_EQ(1u, names.count(name)) << name << " is missing from\n" << layout;
    for (const char* name : {"Balance", "Mute", "Volume", "StoragePath"})
        EXPECT_EQ(0u, names.count(name)) << name << " is written";
    // The parts belong to the component and are not written.
    EXPECT_EQ(std::string::npos, layout.find("AMComponent"));

    auto* again = new TForm(nullptr);
    ReadLayout(*again, layout);
    auto* read = dynamic_cast<TActiveMovie*>(again->FindComponent("ActiveMovie1"));
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->Visible());
    EXPECT_EQ(WordFalse, read->AutoStart());
    EXPECT_EQ(mpFitToSize, read->DisplaySize());
    EXPECT_EQ(1.5, read->Rate());
    EXPECT_EQ(150, read->ZoomSize());
    EXPECT_EQ(50, read->CaptureSize());
    EXPECT_EQ(u"/tmp/a b.avi", read->FileName());
    EXPECT_EQ(Bounds(128, 16, 17, 9), read->BoundsRect());
    again->Free();
}

} // namespace
} // namespace vstest
