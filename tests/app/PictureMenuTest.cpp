// The converted preview's right-click menu: a choice of dithering and gamma shows at once in
// the preview and is what a capture run writes; a run keeps the choice it started with. The
// video is flat grey, a different grey each frame, so that the expected levels follow from
// the grey alone, computed here.
#include "MainWindowHarness.h"
#include "StandInVideoSource.h"

#include "app/PictureMenu.h"
#include "convert/MovieFormat.h"
#include "framework/Menus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

int GreyOfFrame(Cardinal frame) { return 100 + 7 * static_cast<int>(frame); }

COLORREF FlatGrey(Cardinal frame, int, int)
{
    const BYTE v = static_cast<BYTE>(GreyOfFrame(frame));
    return RGB(v, v, v);
}

// The movie frame of a flat grey with the 4 x 4 ordered dither at `gamma`, neutral brightness
// and contrast: level 15 (3 grey / 765)^(1 / gamma), raised by one where its fraction reaches
// (m + 0.5) / 16.
TFrameBuffer OrderedFlat(int grey, double gamma)
{
    const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const double level = 15 * std::pow(3.0 * grey / 765, 1 / gamma);
    TFrameBuffer frame{};
    for (int x = 0; x < KqFrameWidth; ++x)
        for (int y = 0; y < KqFrameHeight; ++y) {
            int chosen = static_cast<int>(level);
            if (level - chosen >= (bayer[y % 4][x % 4] + 0.5) / 16)
                ++chosen;
            frame[FrameBufferIndex(x, y)] = static_cast<std::uint8_t>(15 - chosen);
        }
    return frame;
}

// The plain conversion of a flat grey: darkness 15 - (3 grey) div 48.
TFrameBuffer PlainFlat(int grey)
{
    TFrameBuffer frame;
    frame.fill(static_cast<std::uint8_t>(15 - 3 * grey / 48));
    return frame;
}

void Choose(TForm1& form, const std::string& caption)
{
    TMenuItem* item = form.PopupMenu1->Items()->Find(caption);
    ASSERT_NE(item, nullptr) << caption;
    item->Click();
}

} // namespace

TEST(PictureMenu, AChoiceShowsInThePreviewAndIsWhatTheCaptureRunWrites)
{
    const fs::path dir = fs::temp_directory_path() / ("quellon-picture-menu-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        TMainWindowHarness h([](TForm1& form) { return TStandInVideoSource::Make(form, 352, 288, 20, FlatGrey); });
        TForm1& f = *h.form1;
        auto& source = *static_cast<TStandInVideoSource*>(f.ActiveMovie1);
        h.ClickOpen("/videos/grey.mpg");
        ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
        EXPECT_EQ(f.Conversion().FrameBuffer(), PlainFlat(GreyOfFrame(0)));

        // A right-click on the converted preview shows the menu.
        f.PaintBox1->OnMouseUp(f.PaintBox1, mbRight, {}, 20, 30);
        EXPECT_TRUE(f.PopupMenu1->Showing());
        f.PopupMenu1->CloseMenu();
        EXPECT_FALSE(f.PopupMenu1->Showing());

        // Chosen, shown at once: ordered at gamma 1.4.
        Choose(f, OrderedCaption);
        Choose(f, "1.4");
        EXPECT_TRUE(f.PopupMenu1->Items()->Find(OrderedCaption)->Checked());
        EXPECT_FALSE(f.PopupMenu1->Items()->Find(NoDitheringCaption)->Checked());
        EXPECT_FALSE(f.PopupMenu1->Items()->Find("1.0")->Checked());
        EXPECT_EQ(f.Conversion().FrameBuffer(), OrderedFlat(GreyOfFrame(0), 1.4));

        // A run of three frames, frame skip 1; diffusion chosen once it has begun is for later.
        f.SpinEdit3->SetValue(1);
        f.SpinEdit1->SetValue(3);
        const std::string movie = (dir / "ordered.kql").string();
        h.StartCapture(movie);
        ASSERT_GE(f.Conversion().FramesLeft(), 0);
        Choose(f, DiffusionCaption);
        ASSERT_TRUE(h.WaitForCaptureEnd());
        std::ifstream in(movie, std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        std::vector<unsigned char> expected;
        for (Cardinal frame = 0; frame < 3; ++frame) {
            const TMovieFrame packed = PackMovieFrame(OrderedFlat(GreyOfFrame(frame), 1.4));
            expected.insert(expected.end(), packed.begin(), packed.end());
        }
        EXPECT_EQ(bytes, expected);

        // After the run the preview shows the choice made during it: diffusion, whose picture
        // of a flat grey is not the ordered pattern but has the same mean level.
        f.PaintBox1->Repaint();
        const TFrameBuffer diffused = f.Conversion().FrameBuffer();
        EXPECT_NE(diffused, OrderedFlat(GreyOfFrame(3), 1.4));
        double mean = 0;
        for (std::uint8_t darkness : diffused)
            mean += 15 - darkness;
        EXPECT_NEAR(mean / KqFramePixels, 15 * std::pow(3.0 * GreyOfFrame(3) / 765, 1 / 1.4), 0.02);

        // Back to the plain conversion and gamma 1: today's bytes again.
        Choose(f, NoDitheringCaption);
        Choose(f, "1.0");
        EXPECT_EQ(f.Conversion().FrameBuffer(), PlainFlat(GreyOfFrame(3)));
    }
    fs::remove_all(dir);
}

TEST(PictureMenu, OpensWhereThePreviewWasClicked)
{
    // The menu is placed in screen coordinates: those of a point of the preview include where
    // the window lies on the screen (its layout places its client area at 143, 98).
    TMainWindowHarness h([](TForm1& form) { return TStandInVideoSource::Make(form, 352, 288, 20, FlatGrey); });
    TForm1& f = *h.form1;
    ASSERT_TRUE(h.WaitUntil([&] { return f.HandleAllocated(); }));
    const TPoint form = f.ClientToScreen(Point(0, 0));
    EXPECT_EQ(form.X, 143);
    EXPECT_EQ(form.Y, 98);
    const TPoint panel = f.Panel1->ClientToScreen(Point(0, 0));
    const TPoint at = f.PaintBox1->ClientToScreen(Point(20, 30));
    EXPECT_EQ(at.X, panel.X + 6 + 20);
    EXPECT_EQ(at.Y, panel.Y + 97 + 30);
    EXPECT_EQ(f.PaintBox1->ScreenToClient(at).X, 20);
    EXPECT_EQ(f.PaintBox1->ScreenToClient(at).Y, 30);
    EXPECT_GE(panel.X, 143 + 344);
}
