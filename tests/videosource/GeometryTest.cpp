// Where the video panel goes inside the component for each display size, on the real control
// with videos of the sizes in question: fitting by the spare room, centring, the half size of
// an odd width, the double size that does not fit, the zoomed custom size with its scroll
// bars and corner, the video kept out of view, and the two refused combinations.
#include "platform/user/ScriptedDialogService.h"
#include "tests/support/NumberedVideos.h"
#include "tests/videosource/MovieFixture.h"

namespace vstest {
namespace {

class Geometry : public MovieTest {
protected:
    // Opens a video of w x h with the component visible at cw x ch in `size`.
    void Show(int w, int h, int cw, int ch, TDisplaySize size, const char* codec = "-c:v mjpeg -q:v 3")
    {
        movie_->SetVisible(true);
        movie_->SetDisplaySize(size);
        movie_->SetBounds(10, 10, cw, ch);
        const std::string name = "g" + std::to_string(w) + "x" + std::to_string(h) + ".avi";
        OpenAndWaitFirstReport(testvideos::NumberedVideo(name, 10, codec, w, h));
        movie_->LayoutVideo();
    }
    TRect Panel() const { return movie_->VideoPanel()->BoundsRect(); }
};

TEST_F(Geometry, FitToSizeFitsTheSideWithLessSpareRoomAndCentres)
{
    Show(320, 240, 400, 200, mpFitToSize);
    EXPECT_EQ(Bounds(66, 0, 267, 200), Panel());
    // Equal spare room (80 and 60 is not less): the height is fitted.
    movie_->SetBounds(10, 10, 400, 300);
    EXPECT_EQ(Bounds(0, 0, 400, 300), Panel());
    movie_->SetDisplaySize(mpDefaultSize);
    EXPECT_EQ(Bounds(40, 30, 320, 240), Panel());
    // Twice the size does not fit: laid out as fit to size.
    movie_->SetDisplaySize(mpDoubleSize);
    EXPECT_EQ(Bounds(0, 0, 400, 300), Panel());
    EXPECT_FALSE(movie_->HorzScrollBar()->Visible());
}

TEST_F(Geometry, TheSpareRoomInPixelsDecidesEvenWhenThePictureOverflows)
{
    Show(400, 300, 500, 390, mpFitToSize);
    // 100 < 90 is false, so the height is fitted and the picture is 20 pixels too wide.
    EXPECT_EQ(Bounds(-10, 0, 520, 390), Panel());
}

TEST_F(Geometry, HalfSizeOfAnOddWidthRoundsDown)
{
    Show(321, 240, 400, 300, mpHalfSize, "-c:v mjpeg -pix_fmt yuvj444p -q:v 3");
    EXPECT_EQ(160, Panel().Width());
    EXPECT_EQ(120, Panel().Height());
    EXPECT_EQ(Bounds(120, 90, 160, 120), Panel());
}

TEST_F(Geometry, ZoomedCustomSizeScrollsWithBothBarsAndTheCorner)
{
    Show(320, 240, 400, 300, mpCustomSize);
    movie_->SetZoomSize(200);
    TScrollBar* h = movie_->HorzScrollBar();
    TScrollBar* v = movie_->VertScrollBar();
    EXPECT_EQ(656, h->Max());
    EXPECT_EQ(328, h->Position());
    EXPECT_EQ(496, v->Max());
    EXPECT_EQ(248, v->Position());
    EXPECT_EQ(Bounds(-123, -93, 640, 480), Panel());
    EXPECT_TRUE(h->Visible());
    EXPECT_TRUE(v->Visible());
    EXPECT_TRUE(movie_->CornerPanel()->Visible());
    EXPECT_EQ(Bounds(384, 284, 16, 16), movie_->CornerPanel()->BoundsRect());
    EXPECT_EQ(Bounds(0, 284, 384, 16), h->BoundsRect());
    EXPECT_EQ(Bounds(384, 0, 16, 284), v->BoundsRect());

    // A zoom whose products pass 32 bits places the picture where the bars' positions say.
    movie_->SetZoomSize(100000);
    EXPECT_EQ(Bounds(-159808, -119858, 320000, 240000), Panel());
    movie_->SetZoomSize(200);

    // A zoom of 0 or below is ignored.
    movie_->SetZoomSize(0);
    movie_->SetZoomSize(-5);
    EXPECT_EQ(200, movie_->ZoomSize());

    // Scrolling to the far left moves the picture to x = 0.
    int position = 0;
    h->OnScroll(h, scPosition, position);
    EXPECT_EQ(0.0, movie_->ScrollFractionX());
    EXPECT_EQ(0, Panel().Left);

    // Another size hides the bars and the corner.
    movie_->SetDisplaySize(mpFitToSize);
    EXPECT_FALSE(h->Visible());
    EXPECT_FALSE(v->Visible());
    EXPECT_FALSE(movie_->CornerPanel()->Visible());
    EXPECT_EQ(Bounds(0, 0, 400, 300), Panel());
}

TEST_F(Geometry, AnInvisibleComponentKeepsTheVideoOutOfViewAtItsSize)
{
    Show(320, 240, 400, 200, mpFitToSize);
    movie_->SetVisible(false);
    EXPECT_TRUE(movie_->TControl::Visible()) << "the panel itself stays";
    const TRect panel = Panel();
    EXPECT_EQ(Bounds(10 + 267 + 500, 10 + 200 + 500, 267, 200), panel);
    movie_->SetVisible(true);
    EXPECT_EQ(Bounds(66, 0, 267, 200), Panel());
}

TEST_F(Geometry, ConflictingSettingsAreRefusedWithAMessage)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scope(dialogs);
    movie_->SetShowControls(WordFalse);
    movie_->SetDisplaySize(mpCustomSize);
    movie_->SetShowControls(WordTrue);
    EXPECT_EQ(WordFalse, movie_->ShowControls());
    movie_->SetDisplaySize(mpFitToSize);
    movie_->SetShowControls(WordTrue);
    EXPECT_EQ(WordTrue, movie_->ShowControls());
    movie_->SetDisplaySize(mpCustomSize);
    EXPECT_EQ(mpFitToSize, movie_->DisplaySize());
    ASSERT_EQ(2u, dialogs.MessageBoxes().size());
    EXPECT_EQ("this setting is not allowed when DisplaySize = mpCustomSize. Set DisplaySize to another value first.",
              dialogs.MessageBoxes()[0].text);
    EXPECT_EQ("this setting is not allowed when ShowControls is enabled. Disable ShowControls first.",
              dialogs.MessageBoxes()[1].text);
}

} // namespace
} // namespace vstest
