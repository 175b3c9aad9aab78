// The program's two windows as the program entry makes them, on the offscreen platform, with
// the scripted dialog service answering every dialog and recording every message box. The
// main window's video source is the one its layout makes (TActiveMovie) or, when a maker is
// given, a stand-in set up by the same layout.
#pragma once

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/user/ScriptedDialogService.h"

#include <functional>
#include <memory>
#include <string>

class TMainWindowHarness {
public:
    explicit TMainWindowHarness(const TForm1::TVideoSourceMaker& makeVideoSource = {});
    ~TMainWindowHarness();
    TMainWindowHarness(const TMainWindowHarness&) = delete;
    TMainWindowHarness& operator=(const TMainWindowHarness&) = delete;

    // Handles messages until `done` holds; false after timeoutMs.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
    // Handles messages for about `ms` milliseconds.
    void Pump(int ms);

    // "Open" with `path` answered in the open dialog.
    void ClickOpen(const std::string& path);
    // "Capture from here" with `path` answered in the save dialog.
    void StartCapture(const std::string& path);
    void Click(TButton* button);
    bool WaitForCaptureEnd(int timeoutMs = 60000);
    // "Play KQ movies" clicked: `steps` run from a timer inside the player window's modal
    // loop, then the window is closed; a second timer closes it after 10 s whatever happens.
    // True when the steps ran.
    bool ShowPlayerModally(const std::function<void()>& steps);

    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;
    ScriptedDialogService dialogs;

private:
    std::unique_ptr<ScopedDialogService> scopedDialogs_;
};
