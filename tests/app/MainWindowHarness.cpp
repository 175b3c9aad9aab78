#include "MainWindowHarness.h"

#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/ExtCtrls.h"

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

namespace {

struct ModalScript : TObject {
    std::function<void()> Steps;
    TForm2* Form = nullptr;
    bool Ran = false;
    void Run(TObject* sender)
    {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        Ran = true;
        Steps();
        Form->Close();
    }
    void Guard(TObject* sender)
    {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        if (Form->Visible())
            Form->Close();
    }
};

} // namespace

bool TMainWindowHarness::ShowPlayerModally(const std::function<void()>& steps)
{
    ModalScript script;
    script.Steps = steps;
    script.Form = form2;
    TTimer run(nullptr);
    run.SetInterval(10);
    run.OnTimer.Assign(&script, &ModalScript::Run);
    TTimer guard(nullptr);
    guard.SetInterval(10000);
    guard.OnTimer.Assign(&script, &ModalScript::Guard);
    Click(form1->Button3);
    return script.Ran;
}
