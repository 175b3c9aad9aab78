#include "ConversionHarness.h"

#include "framework/Application.h"

#include <chrono>

namespace {

template <class T>
T* Place(TForm* form, int left, int top, int width, int height)
{
    T* control = new T(form);
    control->SetParent(form);
    control->SetBounds(left, top, width, height);
    return control;
}

} // namespace

TConversionHarness::TConversionHarness(int videoWidth, int videoHeight, Cardinal frameCount,
                                       TFakeVideoSource::PictureFunction picture)
{
    scopedDialogs_ = std::make_unique<ScopedDialogService>(dialogs);
    form = new TForm(nullptr);
    form->SetBounds(143, 98, 520, 420);
    source = new TFakeVideoSource(form, videoWidth, videoHeight, frameCount, std::move(picture));
    Image2 = Place<TImage>(form, 8, 42, 320, 240);
    Image2->SetStretch(true);
    zone = Place<TShape>(form, 96, 120, 131, 80);
    zone->Constraints()->SetMinWidth(131);
    zone->Constraints()->SetMaxWidth(320);
    zone->Constraints()->SetMinHeight(80);
    zone->Constraints()->SetMaxHeight(240);
    Image1 = Place<TImage>(form, 350, 33, 131, 80);
    Image1->SetStretch(true);
    PaintBox1 = Place<TPaintBox>(form, 350, 121, 131, 80);
    ScrollBar2 = Place<TScrollBar>(form, 352, 224, 121, 13);
    ScrollBar2->SetParams(16, 0, 32);
    ScrollBar3 = Place<TScrollBar>(form, 352, 256, 121, 13);
    ScrollBar3->SetParams(8, 0, 16);
    Label5 = Place<TLabel>(form, 480, 224, 20, 13);
    Label6 = Place<TLabel>(form, 480, 256, 20, 13);
    ScrollBar1 = Place<TScrollBar>(form, 32, 296, 265, 13);
    ScrollBar1->SetParams(0, 0, 0);
    Label7 = Place<TLabel>(form, 304, 296, 30, 13);
    SpinEdit3 = Place<TSpinEdit>(form, 400, 296, 57, 22);
    SpinEdit3->SetMinValue(1);
    SpinEdit3->SetMaxValue(999);
    SpinEdit3->SetValue(3);
    Button2 = Place<TButton>(form, 32, 328, 105, 25);
    Button2->SetCaption(TMovieConversion::CaptureCaption);
    SpinEdit1 = Place<TSpinEdit>(form, 144, 328, 57, 22);
    SpinEdit1->SetMinValue(1);
    SpinEdit1->SetMaxValue(40);
    SpinEdit1->SetValue(8);
    CheckBox1 = Place<TCheckBox>(form, 32, 360, 65, 17);
    SpinEdit2 = Place<TSpinEdit>(form, 96, 360, 41, 22);
    SpinEdit2->SetMinValue(2);
    SpinEdit2->SetMaxValue(256);
    SpinEdit2->SetValue(2);
    Label9 = Place<TLabel>(form, 160, 360, 300, 13);
    SaveDialog1 = new TSaveDialog(form);
    SaveDialog1->Filter = "*.kql|*.kql";
    SaveDialog1->DefaultExt = "kql";

    TConversionControls c;
    c.ActiveMovie1 = source;
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
    conversion = std::make_unique<TMovieConversion>(c);

    TMovieConversion* m = conversion.get();
    PaintBox1->OnPaint.Assign(m, &TMovieConversion::PaintBox1Paint);
    ScrollBar1->OnChange.Assign(m, &TMovieConversion::ScrollBar1Change);
    SpinEdit3->OnChange.Assign(m, &TMovieConversion::ScrollBar1Change);
    ScrollBar2->OnChange.Assign(m, &TMovieConversion::ScrollBar2Change);
    ScrollBar3->OnChange.Assign(m, &TMovieConversion::ScrollBar3Change);
    SpinEdit1->OnChange.Assign(m, &TMovieConversion::SpinEdit1Change);
    SpinEdit2->OnChange.Assign(m, &TMovieConversion::SpinEdit1Change);
    Button2->OnClick.Assign(m, &TMovieConversion::Button2Click);
    zone->OnMouseDown.Assign(m, &TMovieConversion::zoneMouseDown);
    zone->OnMouseMove.Assign(m, &TMovieConversion::zoneMouseMove);
    zone->OnMouseUp.Assign(m, &TMovieConversion::zoneMouseUp);
    source->OnOpenComplete.Assign(m, &TMovieConversion::ActiveMovie1OpenComplete);
    source->OnPositionChange.Assign(m, &TMovieConversion::ActiveMovie1PositionChange);
    form->OnShow.Assign(m, &TMovieConversion::FormShow);
    form->Show();
}

TConversionHarness::~TConversionHarness()
{
    // The conversion refers to the controls: it goes first.
    conversion.reset();
    form->Free();
}

void TConversionHarness::OpenVideo()
{
    source->SetFileName(u"video.mpg");
    source->OpenMedia();
    const int before = source->Reports();
    WaitUntil([&] { return source->Reports() > before; });
}

bool TConversionHarness::WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Application->HandleMessage();
    }
    return true;
}
