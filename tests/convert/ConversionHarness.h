// The main window's conversion controls on a plain form, wired to a TMovieConversion and a
// fake video source as the main window wires them, so that tests drive the real chain of
// events: write, advance, seek, position report, snapshot, crop, repaint, step.
#pragma once

#include "FakeVideoSource.h"
#include "convert/MovieConversion.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"
#include "platform/user/ScriptedDialogService.h"

#include <functional>
#include <memory>

class TConversionHarness : public TObject {
public:
    TConversionHarness(int videoWidth, int videoHeight, Cardinal frameCount,
                       TFakeVideoSource::PictureFunction picture);
    ~TConversionHarness() override;

    // Opens the fake video and waits for the first position report.
    void OpenVideo();
    // Handles messages until `done` holds; false after timeoutMs.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

    TForm* form;
    TFakeVideoSource* source;
    TImage* Image1;
    TImage* Image2;
    TShape* zone;
    TPaintBox* PaintBox1;
    TScrollBar* ScrollBar1;
    TScrollBar* ScrollBar2;
    TScrollBar* ScrollBar3;
    TLabel* Label5;
    TLabel* Label6;
    TLabel* Label7;
    TLabel* Label9;
    TSpinEdit* SpinEdit1;
    TSpinEdit* SpinEdit2;
    TSpinEdit* SpinEdit3;
    TCheckBox* CheckBox1;
    TButton* Button2;
    TSaveDialog* SaveDialog1;
    std::unique_ptr<TMovieConversion> conversion;
    ScriptedDialogService dialogs;

private:
    std::unique_ptr<ScopedDialogService> scopedDialogs_;
    void OpenComplete(TObject* Sender) { opened_ = true; }
    bool opened_ = false;
};
