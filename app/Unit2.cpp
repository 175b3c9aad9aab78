// The player window: its class description, layout and handlers.
#include "app/Unit2.h"

#include "convert/GreyPicture.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/ClassBuilder.h"
#include "framework/Exceptions.h"
#include "framework/LayoutResource.h"

#include <algorithm>
#include <chrono>

QUELLON_LAYOUT_RESOURCE(Unit2);

TForm2* Form2 = nullptr;

namespace {

std::int64_t SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

const TClass& TForm2::StaticClass()
{
    static const TClass cls = TClassBuilder<TForm2>("TForm2", &TForm::StaticClass())
        .Handler("Button1Click", &TForm2::Button1Click)
        .Handler("Button2Click", &TForm2::Button2Click)
        .Handler("Button3Click", &TForm2::Button3Click)
        .Handler("PaintBox1Paint", &TForm2::PaintBox1Paint)
        .Handler("PaintBox1DblClick", &TForm2::PaintBox1DblClick)
        .Handler("FormHide", &TForm2::FormHide)
        .Field("Edit1", &TForm2::Edit1)
        .Field("Button1", &TForm2::Button1)
        .Field("Button2", &TForm2::Button2)
        .Field("Button3", &TForm2::Button3)
        .Field("Shape1", &TForm2::Shape1)
        .Field("PaintBox1", &TForm2::PaintBox1)
        .Field("Label1", &TForm2::Label1)
        .Field("Label2", &TForm2::Label2)
        .Field("Label3", &TForm2::Label3)
        .Field("OpenDialog1", &TForm2::OpenDialog1)
        .Build();
    return cls;
}

TForm2::TForm2(TComponent* owner) : TForm(owner), clock_(SteadyNowNs)
{
    RegisterControlClasses();
    InitializeLayout(LayoutResource_Unit2(), "Unit2.layout");
    PlayTimer = new TTimer(this);
    PlayTimer->SetEnabled(false);
    PlayTimer->OnTimer.Assign(this, &TForm2::PlayTimerTimer);
}

void TForm2::Button1Click(TObject* Sender)
{
    if (!OpenDialog1->Execute())
        return;
    ChooseMovie(OpenDialog1->FileName);
}

void TForm2::ChooseMovie(const std::string& path)
{
    PlayTimer->SetEnabled(false);
    Button3->SetEnabled(false);
    Edit1->SetTextProp(path);
    try {
        player_.Open(path);
    } catch (const Exception& error) {
        Button2->SetEnabled(false);
        ShowFrame();
        Report(error.Message());
        return;
    }
    Button2->SetEnabled(true);
    ShowFrame();
    if (player_.TailBytes() != 0)
        Report("The movie \"" + path + "\" ends with " + std::to_string(player_.TailBytes()) +
               " bytes that do not make a whole frame; they are ignored, and its " +
               std::to_string(player_.FrameCount()) + " whole frames play.");
}

void TForm2::Button2Click(TObject* Sender)
{
    if (!player_.IsOpen() || player_.Playing())
        return;
    try {
        player_.Play(clock_());
    } catch (const Exception& error) {
        PlaybackStopped();
        Report(error.Message());
        return;
    }
    ShowFrame();
    Button3->SetEnabled(true);
    PlayTimer->SetInterval(1);
    PlayTimer->SetEnabled(true);
}

void TForm2::Button3Click(TObject* Sender)
{
    PlayTimer->SetEnabled(false);
    Button3->SetEnabled(false);
    try {
        player_.Stop();
    } catch (const Exception& error) {
        ShowFrame();
        Report(error.Message());
        return;
    }
    ShowFrame();
}

void TForm2::PlayTimerTimer(TObject* Sender)
{
    const std::int64_t now = clock_();
    bool changed = false;
    try {
        changed = player_.Tick(now);
    } catch (const Exception& error) {
        PlaybackStopped();
        Report(error.Message());
        return;
    }
    if (changed)
        ShowFrame();
    if (!player_.Playing()) {
        PlaybackStopped();
        return;
    }
    // Woken for the next frame's due time; the timer counts whole milliseconds.
    const std::int64_t waitNs = player_.NsUntilNextFrame(now);
    PlayTimer->SetInterval(static_cast<unsigned>(std::max<std::int64_t>(1, (waitNs + 999'999) / 1'000'000)));
}

void TForm2::FormHide(TObject* Sender)
{
    if (player_.Playing())
        Button3Click(Sender);
    if (view_ != nullptr)
        view_->Hide();
}

void TForm2::PaintBox1DblClick(TObject* Sender)
{
    if (view_ == nullptr)
        view_ = new TMovieView(*this, player_);
    view_->Show();
    view_->PaintBox1->Repaint();
}

void TForm2::PaintBox1Paint(TObject* Sender)
{
    if (!player_.IsOpen())
        return;
    TBitmap picture;
    DrawFrameBuffer(player_.Frame(), picture);
    PaintBox1->Canvas()->Draw(0, 0, &picture);
}

void TForm2::ShowFrame()
{
    Label1->SetVisible(!player_.IsOpen());
    if (player_.IsOpen()) {
        Label2->SetCaption("frame " + std::to_string(player_.FrameIndex() + 1) + " of " +
                           std::to_string(player_.FrameCount()));
        // A later member's tail is told here: a message box would hold playback up.
        Label3->SetCaption(player_.IsSeries() ? "file " + std::to_string(player_.FileNumber()) + " of " +
                                                    std::to_string(player_.LastFileNumber()) +
                                                    (player_.TailBytes() != 0 ? ", tail ignored" : "")
                                              : std::string());
    } else {
        Label2->SetCaption("");
        Label3->SetCaption("");
    }
    // The screen area shows through when no movie is open.
    Shape1->Invalidate();
    PaintBox1->Repaint();
    if (view_ != nullptr && view_->Visible())
        view_->PaintBox1->Repaint();
}

void TForm2::PlaybackStopped()
{
    PlayTimer->SetEnabled(false);
    Button3->SetEnabled(false);
    ShowFrame();
}

void TForm2::Report(const std::string& message)
{
    Application->MessageBox(message, Application->Title(), MB_OK | MB_ICONWARNING);
}
