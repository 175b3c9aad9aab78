// The demonstration window: one of each of the framework's controls, laid out by its own
// layout, DemoForm.layout, beside this file.
#pragma once

#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"

class TDemoForm : public TForm {
    QUELLON_CLASS()

public:
    explicit TDemoForm(TComponent* owner);

    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    TShape* Shape1 = nullptr;
    TShape* Marker = nullptr;
    TScrollBar* ScrollBar1 = nullptr;
    TScrollBar* ScrollBar2 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TEdit* Edit1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    void FormShow(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void ScrollBar1Change(TObject* Sender);
    void SpinEdit1Change(TObject* Sender);
    void CheckBox1Click(TObject* Sender);
    void PaintBox1Paint(TObject* Sender);
    void MarkerMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void MarkerMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void MarkerMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

private:
    void DrawPicture();

    bool moving_ = false;
    int anchorX_ = 0;
    int anchorY_ = 0;
};
