#include "MainWindowHarness.h"

#include "framework/Application.h"
#include "framework/ControlsWidget.h"

#include <QAbstractButton>

#include <chrono>

TMainWindowHarness::TMainWindowHarness(const TForm1::TVideoSourceMaker& makeVideoSource)
{
    scopedDialogs_ = std::make_unique<ScopedDialogService>(dialogs);
    form1 = makeVideoSource ? new TForm1(Application, makeVideoSource) : new TForm1(Application);
    form2 = new TForm2(Application);
    Form1 = form1;
    Form2 = form2;
    form1->Show();
}

TMainWindowHarness::~TMainWindowHarness()
{
    Form1 = nullptr;
    Form2 = nullptr;
    form2->Free();
    form1->Free();
    // Whatever the windows posted on their way out is handled before the next test.
    Application->ProcessMessages();
}

bool TMainWindowHarness::WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Application->HandleMessage();
    }
    return true;
}

void TMainWindowHarness::Pump(int ms)
{
    WaitUntil([] { return false; }, ms);
}

void TMainWindowHarness::ClickOpen(const std::string& path)
{
    dialogs.QueueFileName(path);
    Click(form1->Button1);
}

void TMainWindowHarness::StartCapture(const std::string& path)
{
    dialogs.QueueFileName(path);
    Click(form1->Button2);
}

void TMainWindowHarness::Click(TButton* button)
{
    // Through the button's widget, as a person's click arrives: a disabled button ignores it.
    static_cast<QAbstractButton*>(button->Widget())->click();
}

bool TMainWindowHarness::WaitForCaptureEnd(int timeoutMs)
{
    return WaitUntil([&] { return form1->Conversion().FramesLeft() < 0; }, timeoutMs);
}
