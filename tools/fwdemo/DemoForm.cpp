#include "tools/fwdemo/DemoForm.h"

#include "framework/LayoutResource.h"

#include <algorithm>
#include <string>

QUELLON_LAYOUT_RESOURCE(DemoForm);

const TClass& TDemoForm::StaticClass()
{
    static const TClass cls = TClassBuilder<TDemoForm>("TDemoForm", &TForm::StaticClass())
        .Handler("FormShow", &TDemoForm::FormShow)
        .Handler("Button1Click", &TDemoForm::Button1Click)
        .Handler("Button2Click", &TDemoForm::Button2Click)
        .Handler("ScrollBar1Change", &TDemoForm::ScrollBar1Change)
        .Handler("SpinEdit1Change", &TDemoForm::SpinEdit1Change)
        .Handler("CheckBox1Click", &TDemoForm::CheckBox1Click)
        .Handler("PaintBox1Paint", &TDemoForm::PaintBox1Paint)
        .Handler("MarkerMouseDown", &TDemoForm::MarkerMouseDown)
        .Handler("MarkerMouseMove", &TDemoForm::MarkerMouseMove)
        .Handler("MarkerMouseUp", &TDemoForm::MarkerMouseUp)
        .Field("Button1", &TDemoForm::Button1)
        .Field("Button2", &TDemoForm::Button2)
        .Field("Panel1", &TDemoForm::Panel1)
        .Field("Image1", &TDemoForm::Image1)
        .Field("PaintBox1", &TDemoForm::PaintBox1)
        .Field("Shape1", &TDemoForm::Shape1)
        .Field("Marker", &TDemoForm::Marker)
        .Field("ScrollBar1", &TDemoForm::ScrollBar1)
        .Field("ScrollBar2", &TDemoForm::ScrollBar2)
        .Field("SpinEdit1", &TDemoForm::SpinEdit1)
        .Field("SpinEdit2", &TDemoForm::SpinEdit2)
        .Field("Label1", &TDemoForm::Label1)
        .Field("Label2", &TDemoForm::Label2)
        .Field("Label3", &TDemoForm::Label3)
        .Field("Label4", &TDemoForm::Label4)
        .Field("CheckBox1", &TDemoForm::CheckBox1)
        .Field("Edit1", &TDemoForm::Edit1)
        .Field("OpenDialog1", &TDemoForm::OpenDialog1)
        .Build();
    return cls;
}

TDemoForm::TDemoForm(TComponent* owner) : TForm(owner)
{
    InitializeLayout(LayoutResource_DemoForm(), "DemoForm.layout");
    DrawPicture();
}

void TDemoForm::DrawPicture()
{
    // A 160 x 120 picture shown stretched over the 320 x 240 image: colour bands and a
    // grey diagonal, so scaling and the hatch over it are easy to judge.
    TBitmap* bitmap = Image1->Picture()->Bitmap();
    bitmap->SetSize(160, 120);
    TCanvas* canvas = bitmap->Canvas();
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            const int r = x * 255 / 159;
            const int g = y * 255 / 119;
            const int b = (x + y) % 40 < 20 ? 200 : 60;
            canvas->SetPixels(x, y, static_cast<TColor>(r | (g << 8) | (b << 16)));
        }
    }
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(60, 40, 100, 80));
}

void TDemoForm::FormShow(TObject*) { SpinEdit1Change(this); }

void TDemoForm::Button1Click(TObject*)
{
    if (OpenDialog1->Execute())
        Edit1->SetTextProp(OpenDialog1->FileName);
}

void TDemoForm::Button2Click(TObject*) {}

void TDemoForm::ScrollBar1Change(TObject* Sender)
{
    if (Sender == ScrollBar2) {
        Label3->SetCaption(std::to_string(ScrollBar2->Position() - 16));
        PaintBox1->Repaint();
    } else {
        Label4->SetCaption(std::to_string(ScrollBar1->Position()));
    }
}

void TDemoForm::SpinEdit1Change(TObject*) {}

void TDemoForm::CheckBox1Click(TObject*) { SpinEdit2->SetEnabled(CheckBox1->Checked()); }

void TDemoForm::PaintBox1Paint(TObject*)
{
    // Sixteen grey levels from black to the grey of channel 240, shifted by the bar.
    TCanvas* canvas = PaintBox1->Canvas();
    const int offset = ScrollBar2->Position() - 16;
    const int width = PaintBox1->Width();
    for (int level = 0; level < 16; ++level) {
        const int h = std::clamp(level + offset, 0, 15);
        canvas->Brush()->SetColor(static_cast<TColor>(h * 0x101010));
        canvas->FillRect(Rect(level * width / 16, 0, (level + 1) * width / 16, PaintBox1->Height()));
    }
}

void TDemoForm::MarkerMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y)
{
    moving_ = true;
    anchorX_ = X;
    anchorY_ = Y;
}

void TDemoForm::MarkerMouseMove(TObject*, TShiftState, int X, int Y)
{
    // The marker stays over the picture; its bottom right corner shows the sizing cursor.
    Marker->SetCursor(X > Marker->Width() - 10 && Y > Marker->Height() - 10 ? crSizeNWSE : crDefault);
    if (!moving_)
        return;
    const int right = Image1->Left() + Image1->Width() - Marker->Width();
    const int bottom = Image1->Top() + Image1->Height() - Marker->Height();
    const int left = std::clamp(Marker->Left() + X - anchorX_, Image1->Left(), right);
    const int top = std::clamp(Marker->Top() + Y - anchorY_, Image1->Top(), bottom);
    Marker->SetBounds(left, top, Marker->Width(), Marker->Height());
}

void TDemoForm::MarkerMouseUp(TObject*, TMouseButton, TShiftState, int, int) { moving_ = false; }
