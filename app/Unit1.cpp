// The main window: its class description, its construction from the layout, the window's own
// handlers, and the conversion's handlers forwarded to TMovieConversion.
#include "app/Unit1.h"

#include "app/PictureMenu.h"
#include "app/ProgramClasses.h"
#include "app/Unit2.h"
#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/Exceptions.h"
#include "framework/LayoutResource.h"
#include "framework/Menus.h"
#include "framework/WideString.h"

QUELLON_LAYOUT_RESOURCE(Unit1);

TForm1* Form1 = nullptr;

const TClass& TForm1::StaticClass()
{
    static const TClass cls = TClassBuilder<TForm1>("TForm1", &TForm::StaticClass())
        .Handler("FormShow", &TForm1::FormShow)
        .Handler("Button1Click", &TForm1::Button1Click)
        .Handler("Button2Click", &TForm1::Button2Click)
        .Handler("Button3Click", &TForm1::Button3Click)
        .Handler("CheckBox1Click", &TForm1::CheckBox1Click)
        .Handler("ActiveMovie1OpenComplete", &TForm1::ActiveMovie1OpenComplete)
        .Handler("ActiveMovie1PositionChange", &TForm1::ActiveMovie1PositionChange)
        .Handler("ActiveMovie1Error", &TForm1::ActiveMovie1Error)
        .Handler("ScrollBar1Change", &TForm1::ScrollBar1Change)
        .Handler("ScrollBar2Change", &TForm1::ScrollBar2Change)
        .Handler("ScrollBar3Change", &TForm1::ScrollBar3Change)
        .Handler("PaintBox1Paint", &TForm1::PaintBox1Paint)
        .Handler("SpinEdit1Change", &TForm1::SpinEdit1Change)
        .Handler("zoneMouseDown", &TForm1::zoneMouseDown)
        .Handler("zoneMouseMove", &TForm1::zoneMouseMove)
        .Handler("zoneMouseUp", &TForm1::zoneMouseUp)
        .Field("Button1", &TForm1::Button1)
        .Field("Button2", &TForm1::Button2)
        .Field("Button3", &TForm1::Button3)
        .Field("ActiveMovie1", &TForm1::ActiveMovie1)
        .Field("Label1", &TForm1::Label1)
        .Field("Label2", &TForm1::Label2)
        .Field("Label3", &TForm1::Label3)
        .Field("Label4", &TForm1::Label4)
        .Field("Label5", &TForm1::Label5)
        .Field("Label6", &TForm1::Label6)
        .Field("Label7", &TForm1::Label7)
        .Field("Label8", &TForm1::Label8)
        .Field("Label9", &TForm1::Label9)
        .Field("Shape1", &TForm1::Shape1)
        .Field("zone", &TForm1::zone)
        .Field("Image1", &TForm1::Image1)
        .Field("Image2", &TForm1::Image2)
        .Field("Panel1", &TForm1::Panel1)
        .Field("PaintBox1", &TForm1::PaintBox1)
        .Field("ScrollBar1", &TForm1::ScrollBar1)
        .Field("ScrollBar2", &TForm1::ScrollBar2)
        .Field("ScrollBar3", &TForm1::ScrollBar3)
        .Field("SpinEdit1", &TForm1::SpinEdit1)
        .Field("SpinEdit2", &TForm1::SpinEdit2)
        .Field("SpinEdit3", &TForm1::SpinEdit3)
        .Field("CheckBox1", &TForm1::CheckBox1)
        .Field("OpenDialog1", &TForm1::OpenDialog1)
        .Field("SaveDialog1", &TForm1::SaveDialog1)
        .Build();
    return cls;
}

TForm1::TForm1(TComponent* owner) : TForm(owner)
{
    Build(nullptr);
}

TForm1::TForm1(TComponent* owner, const TVideoSourceMaker& makeVideoSource) : TForm(owner)
{
    Build(makeVideoSource);
}

TForm1::~TForm1()
{
    // The conversion refers to the controls and may hold a movie file open: it goes first.
    conversion_.reset();
}

void TForm1::Build(const TVideoSourceMaker& makeVideoSource)
{
    RegisterControlClasses();
    RegisterProgramClasses();
    if (makeVideoSource)
        makeVideoSource(*this);
    InitializeLayout(LayoutResource_Unit1(), "Unit1.layout");
    source_ = dynamic_cast<IVideoSourceSurface*>(ActiveMovie1);
    if (source_ == nullptr)
        throw EComponentError("ActiveMovie1 n'est pas une source vidéo");

    TConversionControls c;
    c.ActiveMovie1 = source_;
    c.Image1 = Image1;
    c.Image2 = Image2;
    c.zone = zone;
    c.PaintBox1 = PaintBox1;
    c.ScrollBar1 = ScrollBar1;
    c.ScrollBar2 = ScrollBar2;
    c.ScrollBar3 = ScrollBar3;
    c.Label5 = Label5;
    c.Label6 = Label6;
    c.Label7 = Label7;
    c.Label9 = Label9;
    c.SpinEdit1 = SpinEdit1;
    c.SpinEdit2 = SpinEdit2;
    c.SpinEdit3 = SpinEdit3;
    c.CheckBox1 = CheckBox1;
    c.Button2 = Button2;
    c.SaveDialog1 = SaveDialog1;
    conversion_ = std::make_unique<TMovieConversion>(c);

    // Beyond the layout: the converted preview's right-click menu of dithering and gamma.
    TNotifyEvent onChoice;
    onChoice.Assign(this, &TForm1::PictureMenuClick);
    PopupMenu1 = MakePictureMenu(this, onChoice);
    PopupMenu1->SetName("PopupMenu1");
    PaintBox1->OnMouseUp.Assign(this, &TForm1::PaintBox1MouseUp);
    PaintBox1->SetHint("Right-click: dithering and gamma");
    PaintBox1->SetShowHint(true);
}

void TForm1::PaintBox1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button != mbRight)
        return;
    const TPoint at = PaintBox1->ClientToScreen(Point(X, Y));
    PopupMenu1->Popup(at.X, at.Y);
}

void TForm1::PictureMenuClick(TObject* Sender)
{
    conversion_->SetPictureOptions(PictureMenuOptions(*PopupMenu1));
}

// --- the window's own handlers ------------------------------------------------------------

void TForm1::FormShow(TObject* Sender)
{
    if (conversion_)
        conversion_->FormShow(Sender);
}

void TForm1::Button1Click(TObject* Sender)
{
    if (!OpenDialog1->Execute())
        return;
    // The video before is replaced from here on, whether or not the new one opens.
    conversion_->VideoOpening();
    source_->SetFileName(ToWideString(OpenDialog1->FileName));
    // Enabled before the open, since a source may report a failure from inside it.
    Button2->SetEnabled(true);
    try {
        source_->OpenMedia();
    } catch (...) {
        ShowNoVideo();
        throw;
    }
}

void TForm1::CheckBox1Click(TObject* Sender)
{
    SpinEdit2->SetEnabled(CheckBox1->Checked());
    SpinEdit1Change(Sender);
}

void TForm1::Button3Click(TObject* Sender)
{
    if (Form2 == nullptr)
        return;
    // After a capture the player comes with the movie just written, once it is whole.
    if (conversion_ && conversion_->CaptureRuns() != capturesOffered_ && conversion_->FramesLeft() < 0) {
        capturesOffered_ = conversion_->CaptureRuns();
        Form2->ChooseMovie(conversion_->LastMovie());
    }
    Form2->ShowModal();
}

void TForm1::ActiveMovie1Error(TObject* Sender, int ErrorCode, const std::string& ErrorMessage)
{
    // Without this a video that cannot be opened would show nothing at all, while "Capture
    // from here" becomes enabled as if it had opened. An error while a video is open (one
    // that cannot be played on) leaves it open.
    if (conversion_ && !conversion_->VideoOpen())
        ShowNoVideo();
    Application->MessageBox(ErrorMessage, Application->Title(), MB_OK | MB_ICONSTOP);
}

void TForm1::ShowNoVideo()
{
    conversion_->VideoOpenFailed();
    Button2->SetEnabled(false);
}

// --- the conversion's handlers ------------------------------------------------------------

void TForm1::ActiveMovie1OpenComplete(TObject* Sender)
{
    if (conversion_)
        conversion_->ActiveMovie1OpenComplete(Sender);
}

void TForm1::ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                        Cardinal OldFramePosition, Cardinal NewFramePosition)
{
    if (conversion_)
        conversion_->ActiveMovie1PositionChange(Sender, OldTimePosition, NewTimePosition, OldFramePosition,
                                                NewFramePosition);
}

void TForm1::ScrollBar1Change(TObject* Sender)
{
    if (conversion_)
        conversion_->ScrollBar1Change(Sender);
}

void TForm1::ScrollBar2Change(TObject* Sender)
{
    if (conversion_)
        conversion_->ScrollBar2Change(Sender);
}

void TForm1::ScrollBar3Change(TObject* Sender)
{
    if (conversion_)
        conversion_->ScrollBar3Change(Sender);
}

void TForm1::PaintBox1Paint(TObject* Sender)
{
    if (conversion_)
        conversion_->PaintBox1Paint(Sender);
}

void TForm1::Button2Click(TObject* Sender)
{
    if (conversion_)
        conversion_->Button2Click(Sender);
}

void TForm1::SpinEdit1Change(TObject* Sender)
{
    if (conversion_)
        conversion_->SpinEdit1Change(Sender);
}

void TForm1::zoneMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (conversion_)
        conversion_->zoneMouseDown(Sender, Button, Shift, X, Y);
}

void TForm1::zoneMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    if (conversion_)
        conversion_->zoneMouseMove(Sender, Shift, X, Y);
}

void TForm1::zoneMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (conversion_)
        conversion_->zoneMouseUp(Sender, Button, Shift, X, Y);
}
