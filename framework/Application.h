// TApplication: the program's application object, reached through the global `Application`.
//
// It creates the forms (CreateForm: the first one becomes MainForm), runs the event loop
// until the main form closes (Run), and is the one place where exceptions raised inside
// handlers end up: HandleException gives the exception to OnException when assigned, else
// shows its message in a message box (through the dialog service of platform/user, caption
// = Title) and the program goes on. Every framework entry point that calls handlers from
// the event loop (window messages, timers, paints, widget signals) catches and hands over
// here, so the rest of the interrupted handler is skipped and nothing else is disturbed.
//
// Termination signals (SIGINT, SIGTERM, SIGHUP), once CatchTerminationSignals has been called,
// are requests handled in the event loop like any message (TerminationSignals.cpp holds the
// handler, this class's part is at the end of Application.cpp): the first one is kept as
// TerminationSignal and given to OnTerminationSignal when assigned; otherwise the application
// terminates (Run returns and destroys the forms, which close what they write, and an open
// modal window is closed). A second signal while the program ends ends the process at once
// with every open movie file cut to whole frames. ExitStatus is then 128 + the signal.
//
// Ownership: Application lives for the whole process (never destroyed) and owns the forms
// made with CreateForm; Run destroys them when its loop ends. Thread: user-interface thread.
#pragma once

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Exceptions.h"
#include "platform/user/WinUser.h"

#include <functional>
#include <string>

class TCustomForm;

using TExceptionEvent = TEvent<void(TObject* Sender, const Exception& E)>;
using TSignalEvent = TEvent<void(TObject* Sender, int Signal)>;

class TApplication : public TComponent {
    QUELLON_CLASS()

public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    void Initialize() {}
    // Program entry: prepares the windowing system for the process (once; later calls and
    // calls after a test harness did it change nothing), with a private runtime folder when
    // the process has none (RuntimeFolder.h). The arguments must outlive the program, as
    // those of main do.
    void Initialize(int& argc, char** argv);
    // Creates a form of class `cls` owned by the application and stores it in `reference`
    // (set before the form's constructor returns is not needed: it is set after). The
    // first form created becomes MainForm. Exceptions of the form's construction go on.
    template <class F>
    void CreateForm(F*& reference)
    {
        reference = nullptr;
        F* form = new F(this);
        reference = form;
        FormCreated(form);
    }
    // The same by registered class (layouts' class names).
    TCustomForm* CreateForm(const TClass& cls);

    TCustomForm* MainForm() const noexcept { return mainForm_; }
    // Shows the main form (if any) and handles messages until Terminate, then destroys the
    // forms the application owns. Returns at once when there is no main form.
    void Run();
    // Handles the messages that are waiting, then returns.
    void ProcessMessages();
    // Waits for at least one message (or a timer), handles what is waiting, and returns.
    void HandleMessage();
    // Handles messages as they come until done() holds or timeoutMs have passed, even when
    // no message comes; returns done().
    bool HandleMessagesUntil(const std::function<bool()>& done, int timeoutMs);
    void Terminate() { terminated_ = true; }
    bool Terminated() const noexcept { return terminated_; }
    // Clears Terminated for a new Run (tests run several loops in one process).
    void ResetTerminated() { terminated_ = false; }

    // Default: the program's name as Qt knows it.
    std::string Title() const;
    void SetTitle(const std::string& value) { title_ = value; titleSet_ = true; }

    // A message box owned by the main form's window.
    int MessageBox(const std::string& text, const std::string& caption, UINT flags = MB_OK);

    // Call from a catch block: hands the exception being handled to OnException, or shows
    // it. Never throws.
    void HandleException(TObject* sender);
    // The default presentation: the message in a message box, caption = Title.
    void ShowException(const Exception& error);
    TExceptionEvent OnException;

    // See the head of this file. May be called before or after Initialize.
    void CatchTerminationSignals();
    // The first termination signal caught, 0 while none has come.
    int TerminationSignal() const noexcept { return terminationSignal_; }
    // What the process should exit with: 128 + TerminationSignal when one came, else 0.
    int ExitStatus() const noexcept { return terminationSignal_ != 0 ? 128 + terminationSignal_ : 0; }
    TSignalEvent OnTerminationSignal;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void FormCreated(TCustomForm* form);
    void WatchTerminationSignals();
    void TerminationSignalArrived();

    TCustomForm* mainForm_ = nullptr; // owned as a component
    bool terminated_ = false;
    bool titleSet_ = false;
    bool catchSignals_ = false;
    int terminationSignal_ = 0;
    std::string title_;
};

// The application object; never null.
extern TApplication* const Application;
