// Painting, placement and the default exception handler.
#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "platform/user/ScriptedDialogService.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QWidget>

#include <stdexcept>

namespace {

class PaintCounter : public TObject {
public:
    int Count = 0;
    TRect Clip;
    TColor Pixel = 0;
    bool Throw = false;
    bool AfterThrow = false;
    void Paint(TObject* sender)
    {
        ++Count;
        auto* box = static_cast<TPaintBox*>(sender);
        Clip = box->Canvas()->ClipRect();
        box->Canvas()->SetPixels(0, 0, clRed);
        if (Throw)
            throw Exception("Le dessin a échoué");
        AfterThrow = true;
    }
};

struct PaintBoxOnPanel {
    explicit PaintBoxOnPanel(TForm* form)
    {
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 153, 257);
        box = new TPaintBox(form);
        box->SetParent(panel);
        box->SetBounds(6, 97, 131, 80);
        box->OnPaint.Assign(&counter, &PaintCounter::Paint);
    }
    TPanel* panel;
    TPaintBox* box;
    PaintCounter counter;
};

} // namespace

TEST(Repaint, PaintsExactlyOnceWhetherTheFormIsHiddenOrShown)
{
    FormGuard form;
    PaintBoxOnPanel scene(form.Get());

    // Never shown: no window yet either.
    scene.box->Repaint();
    EXPECT_EQ(1, scene.counter.Count);
    EXPECT_EQ(Rect(0, 0, 131, 80), scene.counter.Clip);
    scene.box->Repaint();
    EXPECT_EQ(2, scene.counter.Count);

    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isVisible(); }));
    QCoreApplication::processEvents();
    const int before = scene.counter.Count;
    scene.box->Repaint();
    EXPECT_EQ(before + 1, scene.counter.Count);

    form->Hide();
    scene.box->Repaint();
    EXPECT_EQ(before + 2, scene.counter.Count);

    // A hidden paint box does not paint.
    scene.box->SetVisible(false);
    scene.box->Repaint();
    EXPECT_EQ(before + 2, scene.counter.Count);
}

TEST(Repaint, ExceptionInAPaintHandlerIsShownAndTheRestIsSkipped)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scope(dialogs);
    Application->SetTitle("Quellon test");
    FormGuard form;
    PaintBoxOnPanel scene(form.Get());
    scene.counter.Throw = true;

    scene.box->Repaint();
    ASSERT_EQ(1u, dialogs.MessageBoxes().size());
    EXPECT_EQ("Le dessin a échoué", dialogs.MessageBoxes()[0].text);
    EXPECT_EQ("Quellon test", dialogs.MessageBoxes()[0].caption);
    EXPECT_FALSE(scene.counter.AfterThrow);

    // The program goes on: the next paint works.
    scene.counter.Throw = false;
    scene.box->Repaint();
    EXPECT_TRUE(scene.counter.AfterThrow);
    EXPECT_EQ(1u, dialogs.MessageBoxes().size());
}

TEST(Exceptions, HandlersOfClicksAndTimersReachTheDefaultHandler)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scope(dialogs);
    Application->SetTitle("Quellon test");
    FormGuard form;

    struct Thrower : TObject {
        int Calls = 0;
        TTimer* Timer = nullptr;
        void Fail(TObject*)
        {
            ++Calls;
            if (Timer != nullptr && Calls >= 3)
                Timer->SetEnabled(false);
            throw std::runtime_error("Erreur E/S 5");
        }
    } thrower;

    auto* button = new TButton(form.Get());
    button->SetParent(form.Get());
    button->OnClick.Assign(&thrower, &Thrower::Fail);
    form->HandleNeeded();
    static_cast<QAbstractButton*>(button->Widget())->click();
    ASSERT_EQ(1u, dialogs.MessageBoxes().size());
    EXPECT_EQ("Erreur E/S 5", dialogs.MessageBoxes()[0].text);

    auto* timer = new TTimer(form.Get());
    thrower.Timer = timer;
    timer->SetInterval(10);
    timer->OnTimer.Assign(&thrower, &Thrower::Fail);
    ASSERT_TRUE(WaitFor([&] { return thrower.Calls >= 3; }));
    EXPECT_EQ(3u, dialogs.MessageBoxes().size());
    EXPECT_EQ("Quellon test", dialogs.MessageBoxes()[2].caption);
}

TEST(Exceptions, OnExceptionReplacesTheMessageBox)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scope(dialogs);
    struct Sink : TObject {
        std::string Seen;
        void Handle(TObject*, const Exception& error) { Seen = error.Message(); }
    } sink;
    Application->OnException.Assign(&sink, &Sink::Handle);
    try {
        throw EInOutError(32);
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->OnException.Clear();
    EXPECT_EQ("Erreur E/S 32", sink.Seen);
    EXPECT_TRUE(dialogs.MessageBoxes().empty());
}

TEST(Constraints, ApplyToEveryWidthAndHeightGiven)
{
    FormGuard form;
    auto* zone = new TShape(form.Get());
    zone->SetParent(form.Get());
    zone->Constraints()->SetMinWidth(131);
    zone->Constraints()->SetMaxWidth(320);
    zone->Constraints()->SetMinHeight(80);
    zone->Constraints()->SetMaxHeight(240);
    EXPECT_EQ(131, zone->Width()); // the default 65 x 65 is brought in at once
    EXPECT_EQ(80, zone->Height());

    zone->SetBounds(96, 120, 500, 10);
    EXPECT_EQ(Bounds(96, 120, 320, 80), zone->BoundsRect());
    zone->SetWidth(zone->Width() + 5);
    EXPECT_EQ(320, zone->Width());
    zone->SetHeight(-40);
    EXPECT_EQ(80, zone->Height());
    zone->SetClientHeight(1000);
    EXPECT_EQ(240, zone->Height());
    zone->SetAlign(alClient);
    EXPECT_EQ(320, zone->Width());
    EXPECT_EQ(240, zone->Height());

    // A windowed control resized through its window keeps its limits too.
    auto* panel = new TPanel(form.Get());
    panel->SetParent(form.Get());
    panel->Constraints()->SetMaxWidth(100);
    form->HandleNeeded();
    SetWindowPos(panel->Handle(), nullptr, 0, 0, 400, 50, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(100, panel->Width());
    EXPECT_EQ(100, panel->Widget()->width());
}

TEST(Align, ClientFollowsTheParentsSizeAndBorders)
{
    FormGuard form;
    auto* panel = new TPanel(form.Get());
    panel->SetParent(form.Get());
    panel->SetBounds(0, 0, 200, 100);
    panel->SetBorderWidth(2); // with the raised outer bevel: 3 pixels all round
    auto* top = new TPanel(form.Get());
    top->SetParent(panel);
    top->SetHeight(20);
    top->SetAlign(alTop);
    auto* client = new TPanel(form.Get());
    client->SetParent(panel);
    client->SetAlign(alClient);
    EXPECT_EQ(Bounds(3, 3, 194, 20), top->BoundsRect());
    EXPECT_EQ(Bounds(3, 23, 194, 74), client->BoundsRect());

    panel->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(Bounds(3, 23, 294, 124), client->BoundsRect());
    top->SetVisible(false);
    EXPECT_EQ(Bounds(3, 3, 294, 144), client->BoundsRect());

    // Anchored to the right and bottom: the distances to those edges stay.
    auto* corner = new TButton(form.Get());
    corner->SetParent(panel);
    corner->SetBounds(200, 100, 50, 20);
    corner->SetAnchors({akRight, akBottom});
    panel->SetBounds(0, 0, 320, 140);
    EXPECT_EQ(Bounds(220, 90, 50, 20), corner->BoundsRect());
}

TEST(ParentColor, FollowsChangesOfTheParent)
{
    FormGuard form;
    auto* panel = new TPanel(form.Get());
    panel->SetParent(form.Get());
    auto* label = new TLabel(form.Get());
    label->SetParent(panel);
    EXPECT_EQ(clBtnFace, label->Color());
    panel->SetColor(clRed);
    EXPECT_EQ(clRed, label->Color());
    label->SetColor(clBlue); // its own colour from now on
    panel->SetColor(clGreen);
    EXPECT_EQ(clBlue, label->Color());
    EXPECT_FALSE(label->ParentColor());

    panel->Font()->SetHeight(-20);
    EXPECT_EQ(-20, label->Font()->Height());
}

TEST(Image, CanvasMakesABitmapOfTheControlsSizeAndThePictureIsPlacedAsAsked)
{
    FormGuard form;
    auto* image = new TImage(form.Get());
    image->SetParent(form.Get());
    image->SetBounds(6, 9, 131, 80);
    image->Canvas()->SetPixels(3, 4, clRed);
    ASSERT_NE(nullptr, image->Picture()->Graphic());
    EXPECT_EQ(131, image->Picture()->Width());
    EXPECT_EQ(80, image->Picture()->Height());
    EXPECT_EQ(clRed, image->Canvas()->Pixels(3, 4));

    // The control keeps its size whatever the bitmap's.
    image->Picture()->Bitmap()->SetSize(352, 288);
    EXPECT_EQ(131, image->Width());
    EXPECT_EQ(Bounds(0, 0, 352, 288), image->DestRect());
    image->SetStretch(true);
    EXPECT_EQ(Bounds(0, 0, 131, 80), image->DestRect());
    image->SetProportional(true);
    EXPECT_EQ(Bounds(0, 0, 97, 80), image->DestRect());
    image->SetCenter(true);
    EXPECT_EQ(Bounds(17, 0, 97, 80), image->DestRect());
    image->SetAutoSize(true);
    EXPECT_EQ(352, image->Width());
}
