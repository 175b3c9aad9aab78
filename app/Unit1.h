// TForm1: the program's main window. It is read from its layout (Unit1.layout), owns every
// control of the conversion and the hidden video source ActiveMovie1, and forwards the
// handlers of the conversion to TMovieConversion (convert/), which does the work; the
// handlers that belong to the window itself (opening a video, the multi-file check box, the
// player window, the video source's errors) are here.
//
// The window sees its video source only through IVideoSourceSurface. The layout makes it a
// TActiveMovie; a test may hand the window a stand-in to be set up by the layout in its place
// (see the second constructor), and nothing else changes.
//
// Ownership: the controls and the video source are owned by the form; the conversion is owned
// here and goes before them. Thread: the user-interface thread.
#pragma once

#include "convert/MovieConversion.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"
#include "videosource/VideoSourceSurface.h"

#include <functional>
#include <memory>
#include <string>

class TPopupMenu;

class TForm1 : public TForm {
    QUELLON_CLASS()

public:
    explicit TForm1(TComponent* owner);
    // Makes the video source before the layout is read: `makeVideoSource` creates a component
    // owned by the form, named "ActiveMovie1", of class name "TActiveMovie", that implements
    // IVideoSourceSurface; the layout then sets its properties and handlers.
    using TVideoSourceMaker = std::function<TComponent*(TForm1& form)>;
    TForm1(TComponent* owner, const TVideoSourceMaker& makeVideoSource);
    ~TForm1() override;

    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TComponent* ActiveMovie1 = nullptr; // the video source as laid out; used through VideoSource()
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* Label7 = nullptr;
    TLabel* Label8 = nullptr;
    TLabel* Label9 = nullptr;
    TShape* Shape1 = nullptr;
    TShape* zone = nullptr;
    TImage* Image1 = nullptr;
    TImage* Image2 = nullptr;
    TPanel* Panel1 = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    TScrollBar* ScrollBar1 = nullptr;
    TScrollBar* ScrollBar2 = nullptr;
    TScrollBar* ScrollBar3 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    TSpinEdit* SpinEdit3 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    // Made beyond the layout: the converted preview's right-click menu (PictureMenu.h).
    TPopupMenu* PopupMenu1 = nullptr;

    IVideoSourceSurface* VideoSource() const noexcept { return source_; }
    TMovieConversion& Conversion() const noexcept { return *conversion_; }

    // The window's own handlers.
    void FormShow(TObject* Sender);
    void Button1Click(TObject* Sender);
    void CheckBox1Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void ActiveMovie1Error(TObject* Sender, int ErrorCode, const std::string& ErrorMessage);
    // A right-click on the converted preview shows the dithering and gamma menu; a choice in
    // it goes to the conversion.
    void PaintBox1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PictureMenuClick(TObject* Sender);

    // Handlers of the conversion, forwarded.
    void ActiveMovie1OpenComplete(TObject* Sender);
    void ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                    Cardinal OldFramePosition, Cardinal NewFramePosition);
    void ScrollBar1Change(TObject* Sender);
    void ScrollBar2Change(TObject* Sender);
    void ScrollBar3Change(TObject* Sender);
    void PaintBox1Paint(TObject* Sender);
    void Button2Click(TObject* Sender);
    void SpinEdit1Change(TObject* Sender);
    void zoneMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void zoneMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void zoneMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

private:
    void Build(const TVideoSourceMaker& makeVideoSource);
    // After a failed open: no picture, no range, no capture.
    void ShowNoVideo();

    IVideoSourceSurface* source_ = nullptr;
    // Made once the layout has been read: until then the forwarded handlers do nothing.
    std::unique_ptr<TMovieConversion> conversion_;
    int capturesOffered_ = 0; // capture runs whose movie the player window has been given
};

// The main window of the running program (set by the program entry), or nullptr.
extern TForm1* Form1;
