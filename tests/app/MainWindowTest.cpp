// The main window and the player window as the program makes them, from their layouts, over a
// stand-in video source set up by the main window's own layout: what the layouts hold, how the
// window's handlers are wired to the conversion, and the window's own handlers.
#include "MainWindowHarness.h"
#include "StandInVideoSource.h"

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ControlsWidget.h"
#include "framework/Picture.h"

#include <QAbstractButton>
#include <QCheckBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// Frame n of the stand-in video is uniform, with the grey (n % 16) * 16: its converted
// picture is 10480 pixels of darkness 15 - n % 16 (contrast and brightness neutral).
COLORREF UniformByFrame(Cardinal frame, int, int)
{
    const BYTE v = static_cast<BYTE>(16 * (frame % 16));
    return RGB(v, v, v);
}

TForm1::TVideoSourceMaker StandIn(Cardinal frameCount, int width = 352, int height = 288)
{
    return [=](TForm1& form) { return TStandInVideoSource::Make(form, width, height, frameCount, UniformByFrame); };
}

TStandInVideoSource& SourceOf(TMainWindowHarness& h) { return *static_cast<TStandInVideoSource*>(h.form1->ActiveMovie1); }

void ExpectBounds(const TControl* control, const TWinControl* parent, int left, int top, int width, int height)
{
    ASSERT_NE(control, nullptr);
    SCOPED_TRACE(control->Name());
    EXPECT_EQ(control->Parent(), parent);
    EXPECT_EQ(control->Left(), left);
    EXPECT_EQ(control->Top(), top);
    EXPECT_EQ(control->Width(), width);
    EXPECT_EQ(control->Height(), height);
}

void ExpectPlace(const TControl* control, const TWinControl* parent, int left, int top)
{
    ASSERT_NE(control, nullptr);
    SCOPED_TRACE(control->Name());
    EXPECT_EQ(control->Parent(), parent);
    EXPECT_EQ(control->Left(), left);
    EXPECT_EQ(control->Top(), top);
}

bool FrameBufferIs(const TForm1& form, int darkness)
{
    for (BYTE b : form.Conversion().FrameBuffer())
        if (b != darkness)
            return false;
    return true;
}

} // namespace

TEST(MainWindow, LayoutHoldsEveryControlWithItsPlaceAndContent)
{
    TMainWindowHarness h(StandIn(300));
    TForm1* f = h.form1;
    EXPECT_EQ(f->Name(), "Form1");
    EXPECT_EQ(f->Caption(), "Quellon v0.3 by Dresko");
    EXPECT_EQ(f->Left(), 143);
    EXPECT_EQ(f->Top(), 98);
    EXPECT_EQ(f->ClientWidth(), 514);
    EXPECT_EQ(f->ClientHeight(), 390);
    EXPECT_EQ(f->BorderStyle(), bsSingle);
    EXPECT_EQ(f->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize}));
    EXPECT_EQ(f->Color(), clBtnFace);
    EXPECT_EQ(f->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(f->Font()->Height(), -11);

    ExpectBounds(f->Button1, f, 80, 8, 75, 25);
    ExpectBounds(f->Button3, f, 168, 8, 89, 25);
    ExpectBounds(static_cast<TControl*>(f->ActiveMovie1), f, 128, 16, 17, 9);
    ExpectPlace(f->Label1, f, 344, 8);
    ExpectBounds(f->Shape1, f, 7, 41, 322, 242);
    ExpectBounds(f->Image2, f, 8, 42, 320, 240);
    ExpectBounds(f->zone, f, 96, 120, 131, 80);
    ExpectBounds(f->Panel1, f, 344, 24, 153, 257);
    ExpectBounds(f->Image1, f->Panel1, 6, 9, 131, 80);
    ExpectBounds(f->PaintBox1, f->Panel1, 6, 97, 131, 80);
    ExpectPlace(f->Label3, f->Panel1, 8, 184);
    ExpectBounds(f->ScrollBar2, f->Panel1, 8, 200, 121, 13);
    ExpectPlace(f->Label5, f->Panel1, 136, 200);
    ExpectPlace(f->Label4, f->Panel1, 8, 216);
    ExpectBounds(f->ScrollBar3, f->Panel1, 8, 232, 121, 13);
    ExpectPlace(f->Label6, f->Panel1, 136, 232);
    ExpectBounds(f->ScrollBar1, f, 32, 296, 265, 13);
    ExpectPlace(f->Label7, f, 304, 296);
    ExpectPlace(f->Label8, f, 344, 296);
    ExpectBounds(f->SpinEdit3, f, 400, 296, 57, 22);
    ExpectBounds(f->Button2, f, 32, 328, 105, 25);
    ExpectBounds(f->SpinEdit1, f, 144, 328, 57, 22);
    ExpectPlace(f->Label2, f, 208, 328);
    ExpectBounds(f->CheckBox1, f, 32, 360, 65, 17);
    ExpectBounds(f->SpinEdit2, f, 96, 360, 41, 22);
    ExpectPlace(f->Label9, f, 160, 360);

    EXPECT_EQ(f->Button1->Caption(), "Open");
    EXPECT_EQ(f->Button3->Caption(), "Play KQ movies");
    EXPECT_EQ(f->Label1->Caption(), "KQView :");
    EXPECT_EQ(f->Label3->Caption(), "Brightness :");
    EXPECT_EQ(f->Label4->Caption(), "Contrast :");
    EXPECT_EQ(f->Label5->Caption(), "0");
    EXPECT_EQ(f->Label6->Caption(), "0");
    EXPECT_EQ(f->Label7->Caption(), "0");
    EXPECT_EQ(f->Label8->Caption(), "Frameskip :");
    EXPECT_EQ(f->Label2->Caption(), "frames/file (framerate : 8.628 frames/sec)");
    EXPECT_EQ(f->Button2->Caption(), "Capture from here");
    EXPECT_FALSE(f->Button2->Enabled());
    EXPECT_EQ(f->CheckBox1->Caption(), "Multi-file");
    EXPECT_FALSE(f->CheckBox1->Checked());
    // Shown: the size line of one file of 8 frames.
    EXPECT_EQ(f->Label9->Caption(), "Infos : 42 Ko/files, total 42 Ko. Length : 0.92 sec.");

    EXPECT_TRUE(f->Image2->Stretch());
    EXPECT_TRUE(f->Image2->Center());
    EXPECT_TRUE(f->Image1->Stretch());
    EXPECT_EQ(f->zone->Brush()->Color(), clRed);
    EXPECT_EQ(f->zone->Brush()->Style(), bsBDiagonal);
    EXPECT_EQ(f->zone->Constraints()->MinWidth(), 131);
    EXPECT_EQ(f->zone->Constraints()->MaxWidth(), 320);
    EXPECT_EQ(f->zone->Constraints()->MinHeight(), 80);
    EXPECT_EQ(f->zone->Constraints()->MaxHeight(), 240);

    struct Bar { TScrollBar* bar; int min, max, position; };
    for (const Bar& b : {Bar{f->ScrollBar1, 0, 0, 0}, Bar{f->ScrollBar2, 0, 32, 16}, Bar{f->ScrollBar3, 0, 16, 8}}) {
        SCOPED_TRACE(b.bar->Name());
        EXPECT_EQ(b.bar->Kind(), sbHorizontal);
        EXPECT_EQ(b.bar->Min(), b.min);
        EXPECT_EQ(b.bar->Max(), b.max);
        EXPECT_EQ(b.bar->Position(), b.position);
        EXPECT_EQ(b.bar->PageSize(), 0);
    }
    struct Spin { TSpinEdit* spin; int min, max, value, length; bool enabled; };
    for (const Spin& s : {Spin{f->SpinEdit1, 1, 40, 8, 2, true}, Spin{f->SpinEdit2, 2, 256, 2, 3, false},
                          Spin{f->SpinEdit3, 1, 999, 3, 3, true}}) {
        SCOPED_TRACE(s.spin->Name());
        EXPECT_EQ(s.spin->MinValue(), s.min);
        EXPECT_EQ(s.spin->MaxValue(), s.max);
        EXPECT_EQ(s.spin->Value(), s.value);
        EXPECT_EQ(s.spin->MaxLength(), s.length);
        EXPECT_EQ(s.spin->Enabled(), s.enabled);
    }
    // Every common video at once first, then the three original filters as they stand.
    EXPECT_EQ(f->OpenDialog1->Filter,
              "Video files|*.mpg;*.mpeg;*.m2v;*.vob;*.ts;*.avi;*.mp4;*.m4v;*.mov;*.mkv;*.webm;*.wmv;*.flv;*.ogv|"
              "*.mpg|*.mpg|*.avi|*.avi|*.*|*.*");
    EXPECT_EQ(f->SaveDialog1->Filter, "*.kql|*.kql");
    EXPECT_EQ(f->SaveDialog1->DefaultExt, "kql");

    // The keyboard's way through the window.
    const std::vector<TWinControl*> formOrder{f->Button1, f->ScrollBar1, f->Panel1, f->Button2, f->SpinEdit1,
                                              f->CheckBox1, f->SpinEdit2, f->SpinEdit3, f->Button3};
    for (std::size_t i = 0; i < formOrder.size(); ++i)
        EXPECT_EQ(formOrder[i]->TabOrder(), static_cast<int>(i)) << formOrder[i]->Name();
    EXPECT_EQ(f->ScrollBar2->TabOrder(), 0);
    EXPECT_EQ(f->ScrollBar3->TabOrder(), 1);
    EXPECT_EQ(static_cast<TWinControl*>(f->ActiveMovie1)->TabOrder(), 9);

    // The video source: hidden, still after an open, positions in time, fitted, no grabber.
    TStandInVideoSource& source = SourceOf(h);
    EXPECT_EQ(source.Name(), "ActiveMovie1");
    EXPECT_EQ(h.form1->VideoSource(), static_cast<IVideoSourceSurface*>(&source));
    EXPECT_FALSE(source.Visible());
    EXPECT_EQ(source.AutoStart, WordFalse);
    EXPECT_EQ(source.DisplayMode, standInTime);
    EXPECT_EQ(source.DisplaySize, standInFitToSize);
    EXPECT_FALSE(source.FGrabber_Enabled);
    EXPECT_EQ(source.CaptureSize, 100);
    EXPECT_EQ(source.SendOpenStateChangeEvents, WordTrue);
    EXPECT_EQ(source.SendPlayStateChangeEvents, WordTrue);
    EXPECT_EQ(h.form1->Conversion().FramesLeft(), -1);
}

TEST(MainWindow, OpeningAVideoShowsItsFirstFrameWithoutASeekAndEnablesTheCapture)
{
    TMainWindowHarness h(StandIn(1000));
    TStandInVideoSource& source = SourceOf(h);

    // A cancelled open dialog changes nothing; the capture cannot start before a file is chosen.
    h.dialogs.QueueFileCancel();
    h.Click(h.form1->Button1);
    h.Click(h.form1->Button2);
    EXPECT_EQ(h.dialogs.FileDialogs().size(), 1u);
    EXPECT_FALSE(h.form1->Button2->Enabled());
    EXPECT_TRUE(source.FileName().empty());

    // The darkness of frame 0 is 15: start from a buffer that says otherwise.
    h.ClickOpen("/videos/clip 1.mpg");
    ASSERT_EQ(h.dialogs.FileDialogs().size(), 2u);
    EXPECT_FALSE(h.dialogs.FileDialogs()[1].save);
    EXPECT_EQ(h.dialogs.FileDialogs()[1].options.filter, h.form1->OpenDialog1->Filter);
    EXPECT_EQ(source.FileName(), u"/videos/clip 1.mpg");
    EXPECT_TRUE(h.form1->Button2->Enabled());
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));

    EXPECT_TRUE(source.Video().SeekCalls().empty());
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 333); // 1000 frames, skip 3
    TBitmap* preview = h.form1->Image2->Picture()->Bitmap();
    EXPECT_EQ(preview->Width(), 352);
    EXPECT_EQ(preview->Height(), 288);
    EXPECT_EQ(h.form1->Image2->Width(), 320);
    EXPECT_EQ(h.form1->Image2->Height(), 240);
    EXPECT_EQ(preview->Canvas()->Pixels(200, 100), static_cast<TColor>(0));
    // The view holds the zone's part of the frame (in the video's pixels), the converted
    // preview its grey.
    EXPECT_GT(h.form1->Image1->Picture()->Bitmap()->Width(), 131);
    EXPECT_EQ(h.form1->Image1->Picture()->Bitmap()->Canvas()->Pixels(65, 40), static_cast<TColor>(0));
    EXPECT_TRUE(FrameBufferIs(*h.form1, 15));
    EXPECT_TRUE(h.dialogs.MessageBoxes().empty());
}

TEST(MainWindow, FrameSkipChangedAfterAnOpenRecomputesTheRangeAndSeeksFromTheNestedChange)
{
    TMainWindowHarness h(StandIn(1000));
    TStandInVideoSource& source = SourceOf(h);
    h.ClickOpen("/videos/thousand.mpg");
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
    ASSERT_EQ(h.form1->ScrollBar1->Max(), 333);

    h.form1->ScrollBar1->SetPosition(250);
    EXPECT_EQ(source.Video().SeekCalls(), std::vector<Cardinal>{750});
    EXPECT_EQ(h.form1->Label7->Caption(), "250");
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 2; }));
    EXPECT_TRUE(FrameBufferIs(*h.form1, 15 - 750 % 16));

    // Skip 10: the range drops to 0..100 and takes the position with it; the nested change
    // seeks frame 1000 first, then the outer one seeks it again.
    h.form1->SpinEdit3->SetValue(10);
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
    EXPECT_EQ(h.form1->ScrollBar1->Position(), 100);
    EXPECT_EQ(source.Video().SeekCalls(), (std::vector<Cardinal>{750, 1000, 1000}));
    EXPECT_EQ(h.form1->Label7->Caption(), "100");
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 3; }));
    EXPECT_TRUE(FrameBufferIs(*h.form1, 15 - 1000 % 16));

    // Typed as 0 or as a negative number, the skip keeps the range and the position, seeks
    // nothing and says nothing.
    for (const char* typed : {"0", "-5"}) {
        SCOPED_TRACE(typed);
        h.form1->SpinEdit3->SetTextProp(typed);
        EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
        EXPECT_EQ(h.form1->ScrollBar1->Position(), 100);
        EXPECT_EQ(source.Video().SeekCalls().size(), 3u);
        EXPECT_EQ(h.form1->Label7->Caption(), "100");
    }
    EXPECT_TRUE(h.dialogs.MessageBoxes().empty());

    // A value again: the range follows it.
    h.form1->SpinEdit3->SetTextProp("4");
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 250);
    EXPECT_EQ(source.Video().SeekCalls().back(), 400u);
}

TEST(MainWindow, FrameSkipTypedAsZeroOrNegativeLeavesACaptureRunGoing)
{
    const fs::path dir = fs::temp_directory_path() / ("quellon-app-skip-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        TMainWindowHarness h(StandIn(300));
        TStandInVideoSource& source = SourceOf(h);
        h.ClickOpen("/videos/v.mpg");
        ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
        h.form1->SpinEdit1->SetValue(20);
        h.StartCapture((dir / "run.kql").string());
        ASSERT_TRUE(h.WaitUntil([&] { return h.form1->ScrollBar1->Position() >= 3; }));
        h.form1->SpinEdit3->SetTextProp("-5");
        EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
        EXPECT_EQ(h.form1->Button2->Caption(), "Cancel");
        EXPECT_GT(h.form1->Conversion().FramesLeft(), 0);
        h.form1->SpinEdit3->SetTextProp("0");
        EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
        EXPECT_EQ(h.form1->Button2->Caption(), "Cancel");
        // The skip back to 3: the run goes on to its 20 frames.
        h.form1->SpinEdit3->SetTextProp("3");
        ASSERT_TRUE(h.WaitForCaptureEnd());
        EXPECT_EQ(fs::file_size(dir / "run.kql"), 20 * 5240u);
        EXPECT_TRUE(h.dialogs.MessageBoxes().empty());
    }
    fs::remove_all(dir);
}

TEST(MainWindow, AnOpenCompletingWithTheSkipBelowOneKeepsTheRangeUntilAValueIsTyped)
{
    TMainWindowHarness h(StandIn(300));
    TStandInVideoSource& source = SourceOf(h);
    h.ClickOpen("/videos/v.mpg");
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
    ASSERT_EQ(h.form1->ScrollBar1->Max(), 100);
    int reports = 1;
    for (const char* typed : {"0", "-5"}) {
        SCOPED_TRACE(typed);
        h.form1->SpinEdit3->SetTextProp(typed);
        h.ClickOpen("/videos/again.mpg");
        ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() > reports; }));
        reports = source.Video().Reports();
        EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
        EXPECT_TRUE(h.dialogs.MessageBoxes().empty());
    }
    h.form1->SpinEdit3->SetTextProp("5");
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 60);
}

TEST(MainWindow, MultiFileEnablesTheFileCountAndTheSizeLineFollows)
{
    TMainWindowHarness h(StandIn(300));
    TForm1* f = h.form1;
    auto* box = static_cast<QAbstractButton*>(f->CheckBox1->Widget());
    box->click();
    EXPECT_TRUE(f->CheckBox1->Checked());
    EXPECT_TRUE(f->SpinEdit2->Enabled());
    EXPECT_EQ(f->Label9->Caption(), "Infos : 42 Ko/files, total 84 Ko. Length : 1.85 sec.");
    f->SpinEdit2->SetValue(10);
    f->SpinEdit1->SetValue(40);
    EXPECT_EQ(f->Label9->Caption(), "Infos : 210 Ko/files, total 2096 Ko. Length : 46.20 sec.");
    box->click();
    EXPECT_FALSE(f->CheckBox1->Checked());
    EXPECT_FALSE(f->SpinEdit2->Enabled());
    EXPECT_EQ(f->Label9->Caption(), "Infos : 210 Ko/files, total 210 Ko. Length : 4.62 sec.");
}

TEST(MainWindow, AVideoThatCannotBeOpenedIsReportedAndTheWindowStaysUsable)
{
    TMainWindowHarness h(StandIn(300));
    TStandInVideoSource& source = SourceOf(h);
    source.FailNextOpen(-1072889830, "Impossible d'ouvrir /videos/broken.mpg : format inconnu");
    h.ClickOpen("/videos/broken.mpg");
    ASSERT_EQ(h.dialogs.MessageBoxes().size(), 1u);
    EXPECT_EQ(h.dialogs.MessageBoxes()[0].text, "Impossible d'ouvrir /videos/broken.mpg : format inconnu");
    EXPECT_EQ(h.dialogs.MessageBoxes()[0].type & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 0);

    h.ClickOpen("/videos/good.mpg");
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
    EXPECT_EQ(h.dialogs.MessageBoxes().size(), 1u);
}

TEST(MainWindow, AnErrorInAHandlerIsShownAndLosesNothingWritten)
{
    const fs::path dir = fs::temp_directory_path() / ("quellon-app-error-" + std::to_string(::getpid()));
    const fs::path locked = dir / "locked";
    fs::create_directories(locked);
    {
        TMainWindowHarness h(StandIn(300));
        TStandInVideoSource& source = SourceOf(h);
        h.ClickOpen("/videos/v.mpg");
        ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
        h.form1->SpinEdit1->SetValue(2);
        h.StartCapture((dir / "kept.kql").string());
        ASSERT_TRUE(h.WaitForCaptureEnd());
        ASSERT_EQ(fs::file_size(dir / "kept.kql"), 2 * 5240u);

        // A folder that cannot be written: read-only, and where permissions do not bind (the
        // super-user) the name is taken by a folder, which the system refuses the same way.
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        if (std::ofstream(locked / "probe").good()) {
            fs::remove(locked / "probe");
            fs::create_directory(locked / "clip.kql");
        }
        h.StartCapture((locked / "clip.kql").string());
        ASSERT_EQ(h.dialogs.MessageBoxes().size(), 1u);
        // The number, then in plain words what is wrong with that name.
        const std::string text = h.dialogs.MessageBoxes()[0].text;
        EXPECT_EQ(text.substr(0, text.find('\n')), "Erreur E/S 5");
        EXPECT_NE(text.find((locked / "clip.kql").string()), std::string::npos) << text;
        EXPECT_EQ(h.form1->Button2->Caption(), "Capture from here");
        EXPECT_EQ(h.form1->Conversion().FramesLeft(), -1);
        EXPECT_EQ(fs::file_size(dir / "kept.kql"), 2 * 5240u);

        // Still usable: a capture elsewhere works.
        h.StartCapture((dir / "after.kql").string());
        ASSERT_TRUE(h.WaitForCaptureEnd());
        EXPECT_EQ(fs::file_size(dir / "after.kql"), 2 * 5240u);
    }
    fs::permissions(locked, fs::perms::owner_all);
    fs::remove_all(dir);
}

TEST(PlayerWindow, LayoutAndNameKeptBetweenModalShowings)
{
    const fs::path dir = fs::temp_directory_path() / ("quellon-app-player-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string movie = (dir / "clip.kql").string();
    std::ofstream(movie, std::ios::binary) << std::string(2 * 5240, '\x5a');
    TMainWindowHarness h(StandIn(300));
    TForm2* f = h.form2;
    EXPECT_EQ(f->Caption(), "Form2");
    EXPECT_EQ(f->Left(), 207);
    EXPECT_EQ(f->Top(), 209);
    EXPECT_EQ(f->ClientWidth(), 419);
    EXPECT_EQ(f->ClientHeight(), 153);
    EXPECT_EQ(f->BorderStyle(), bsSingle);
    EXPECT_EQ(f->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize}));
    EXPECT_EQ(f->Font()->Name(), "MS Sans Serif");
    EXPECT_FALSE(f->Visible());
    ExpectBounds(f->Edit1, f, 16, 16, 289, 21);
    ExpectBounds(f->Button1, f, 320, 16, 75, 25);
    ExpectBounds(f->Shape1, f, 80, 56, 131, 80);
    ExpectBounds(f->PaintBox1, f, 80, 56, 131, 80);
    ExpectPlace(f->Label1, f, 96, 88);
    ExpectBounds(f->Button2, f, 224, 64, 75, 25);
    ExpectBounds(f->Button3, f, 224, 96, 75, 25);
    // The frame and file counts, beside the buttons, clear of the screen area.
    ExpectPlace(f->Label2, f, 312, 70);
    ExpectPlace(f->Label3, f, 224, 130);
    EXPECT_EQ(f->Label2->Caption(), "");
    EXPECT_EQ(f->Label3->Caption(), "");
    EXPECT_TRUE(f->Edit1->ReadOnly());
    EXPECT_EQ(f->Edit1->Text(), "");
    EXPECT_EQ(f->Label1->Caption(), "Not yet implemented");
    EXPECT_TRUE(f->Label1->Transparent());
    EXPECT_EQ(f->Shape1->Brush()->Color(), clWhite);
    EXPECT_EQ(f->Shape1->Pen()->Color(), clBlack);
    EXPECT_EQ(f->Button2->Caption(), "Play");
    EXPECT_EQ(f->Button3->Caption(), "Stop");
    EXPECT_FALSE(f->Button2->Enabled());
    EXPECT_FALSE(f->Button3->Enabled());
    EXPECT_EQ(f->OpenDialog1->Filter, "*.kql|*.kql|*.*|*.*");
    int i = 0;
    for (TWinControl* c : std::vector<TWinControl*>{f->Edit1, f->Button1, f->Button2, f->Button3})
        EXPECT_EQ(c->TabOrder(), i++) << c->Name();

    // Each showing is driven from a timer inside the modal loop: the steps, then a close; the
    // window is closed after 10 s whatever happens, so the test cannot hang.
    auto showModally = [&](const std::function<void()>& steps) {
        EXPECT_TRUE(h.ShowPlayerModally(steps));
        EXPECT_FALSE(f->Visible());
    };

    showModally([&] {
        EXPECT_TRUE(f->Visible());
        EXPECT_TRUE(f->Modal());
        h.dialogs.QueueFileCancel();
        h.Click(f->Button1);
        EXPECT_EQ(f->Edit1->Text(), "");
        EXPECT_FALSE(f->Button2->Enabled());
        h.dialogs.QueueFileName(movie);
        h.Click(f->Button1);
        EXPECT_EQ(f->Edit1->Text(), movie);
        EXPECT_TRUE(f->Button2->Enabled());
        EXPECT_FALSE(f->Button3->Enabled());
        h.Click(f->Button2); // plays until the window closes
        EXPECT_TRUE(f->Button3->Enabled());
    });
    EXPECT_FALSE(f->Player().Playing());
    ASSERT_GE(h.dialogs.FileDialogs().size(), 2u);
    EXPECT_EQ(h.dialogs.FileDialogs().back().options.filter, "*.kql|*.kql|*.*|*.*");

    showModally([&] {
        EXPECT_EQ(f->Edit1->Text(), movie);
        EXPECT_TRUE(f->Button2->Enabled());
        EXPECT_FALSE(f->Button3->Enabled());
        h.dialogs.QueueFileCancel();
        h.Click(f->Button1);
        EXPECT_EQ(f->Edit1->Text(), movie);
        EXPECT_TRUE(f->Button2->Enabled());
    });
    EXPECT_TRUE(h.dialogs.MessageBoxes().empty());
    fs::remove_all(dir);
}
