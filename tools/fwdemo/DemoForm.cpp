#include "tools/fwdemo/DemoForm.h"

#include <algorithm>
#include <string>

namespace {

constexpr const char* DemoLayout = R"(
DemoForm: TDemoForm {
  Caption = "Framework controls"
  Left = 40
  Top = 40
  ClientWidth = 514
  ClientHeight = 390
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  OnShow = FormShow
  Button1: TButton {
    Left = 80
    Top = 8
    Width = 75
    Height = 25
    Caption = "Open"
    OnClick = Button1Click
  }
  Button2: TButton {
    Left = 168
    Top = 8
    Width = 89
    Height = 25
    Caption = "Disabled"
    Enabled = false
    OnClick = Button2Click
  }
  Label1: TLabel {
    Left = 344
    Top = 8
    Caption = "KQView :"
  }
  Shape1: TShape {
    Left = 7
    Top = 41
    Width = 322
    Height = 242
  }
  Image1: TImage {
    Left = 8
    Top = 42
    Width = 320
    Height = 240
    Stretch = true
    Center = true
  }
  zone: TShape {
    Left = 96
    Top = 120
    Width = 131
    Height = 80
    Brush.Color = 255
    Brush.Style = bsBDiagonal
    Constraints.MaxHeight = 240
    Constraints.MaxWidth = 320
    Constraints.MinHeight = 80
    Constraints.MinWidth = 131
    OnMouseDown = zoneMouseDown
    OnMouseMove = zoneMouseMove
    OnMouseUp = zoneMouseUp
  }
  Panel1: TPanel {
    Left = 344
    Top = 24
    Width = 153
    Height = 257
    BevelInner = bvLowered
    BevelOuter = bvRaised
    BorderWidth = 2
    PaintBox1: TPaintBox {
      Left = 11
      Top = 97
      Width = 131
      Height = 80
      OnPaint = PaintBox1Paint
    }
    Label2: TLabel {
      Left = 8
      Top = 184
      Caption = "Brightness :"
    }
    ScrollBar2: TScrollBar {
      Left = 8
      Top = 200
      Width = 121
      Height = 13
      Max = 32
      Position = 16
      OnChange = ScrollBar1Change
    }
    Label3: TLabel {
      Left = 136
      Top = 200
      Caption = "0"
    }
    Edit1: TEdit {
      Left = 8
      Top = 224
      Width = 137
      Height = 21
      ReadOnly = true
      Text = "read-only edit"
    }
  }
  ScrollBar1: TScrollBar {
    Left = 32
    Top = 296
    Width = 265
    Height = 13
    Max = 100
    Position = 30
    OnChange = ScrollBar1Change
  }
  Label4: TLabel {
    Left = 304
    Top = 296
    Caption = "30"
  }
  SpinEdit1: TSpinEdit {
    Left = 400
    Top = 296
    Width = 57
    Height = 22
    MaxLength = 3
    MaxValue = 999
    MinValue = 1
    Value = 3
    OnChange = SpinEdit1Change
  }
  CheckBox1: TCheckBox {
    Left = 32
    Top = 360
    Width = 65
    Height = 17
    Caption = "Multi-file"
    OnClick = CheckBox1Click
  }
  SpinEdit2: TSpinEdit {
    Left = 96
    Top = 360
    Width = 41
    Height = 22
    MaxLength = 3
    MaxValue = 256
    MinValue = 2
    Value = 2
    Enabled = false
  }
  OpenDialog1: TOpenDialog {
    Filter = "*.mpg|*.mpg|*.avi|*.avi|*.*|*.*"
  }
}
)";

} // namespace

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
        .Handler("zoneMouseDown", &TDemoForm::zoneMouseDown)
        .Handler("zoneMouseMove", &TDemoForm::zoneMouseMove)
        .Handler("zoneMouseUp", &TDemoForm::zoneMouseUp)
        .Field("Button1", &TDemoForm::Button1)
        .Field("Button2", &TDemoForm::Button2)
        .Field("Panel1", &TDemoForm::Panel1)
        .Field("Image1", &TDemoForm::Image1)
        .Field("PaintBox1", &TDemoForm::PaintBox1)
        .Field("Shape1", &TDemoForm::Shape1)
        .Field("zone", &TDemoForm::zone)
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
    InitializeLayout(DemoLayout, "fwdemo.layout");
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
    // Sixteen grey levels from black to the grey of channel 240, shifted by the brightness.
    TCanvas* canvas = PaintBox1->Canvas();
    const int offset = ScrollBar2->Position() - 16;
    const int width = PaintBox1->Width();
    for (int level = 0; level < 16; ++level) {
        const int h = std::clamp(level + offset, 0, 15);
        canvas->Brush()->SetColor(static_cast<TColor>(h * 0x101010));
        canvas->FillRect(Rect(level * width / 16, 0, (level + 1) * width / 16, PaintBox1->Height()));
    }
}

void TDemoForm::zoneMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y)
{
    moving_ = true;
    anchorX_ = X;
    anchorY_ = Y;
}

void TDemoForm::zoneMouseMove(TObject*, TShiftState, int X, int Y)
{
    zone->SetCursor(X > zone->Width() - 10 && Y > zone->Height() - 10 ? crSizeNWSE : crDefault);
    if (!moving_)
        return;
    int left = std::clamp(zone->Left() + X - anchorX_, 8, 328 - zone->Width());
    int top = std::clamp(zone->Top() + Y - anchorY_, 42, 282 - zone->Height());
    zone->SetBounds(left, top, zone->Width(), zone->Height());
}

void TDemoForm::zoneMouseUp(TObject*, TMouseButton, TShiftState, int, int) { moving_ = false; }
