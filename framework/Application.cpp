#include "framework/Application.h"

#include "framework/ClassBuilder.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/RuntimeFolder.h"
#include "framework/TerminationSignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <exception>

TApplication* const Application = new TApplication(nullptr);

const TClass& TApplication::StaticClass()
{
    static const TClass cls = TClassBuilder<TApplication>("TApplication", &TComponent::StaticClass()).Build();
    return cls;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

TCustomForm* TApplication::CreateForm(const TClass& cls)
{
    if (!cls.InheritsFrom(TCustomForm::StaticClass()))
        throw EInvalidOperation(cls.Name() + " n'est pas une fiche");
    auto* form = static_cast<TCustomForm*>(cls.Create(this));
    FormCreated(form);
    return form;
}

void TApplication::FormCreated(TCustomForm* form)
{
    if (mainForm_ == nullptr && form != nullptr && form->Owner() == this)
        mainForm_ = form;
}

void TApplication::Run()
{
    if (mainForm_ == nullptr)
        return;
    try {
        mainForm_->Show();
    } catch (...) {
        HandleException(this);
    }
    while (!terminated_ && mainForm_ != nullptr)
        HandleMessage();
    DestroyComponents();
    mainForm_ = nullptr;
}

void TApplication::ProcessMessages()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool TApplication::HandleMessagesUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (QCoreApplication::instance() == nullptr)
        return done();
    QElapsedTimer clock;
    clock.start();
    // A message at the bound, so that waiting for one cannot outlast it. A timer that nothing
    // listens to wakes no wait, so it gets a receiver; and one that fired a little early is
    // set again for what remains.
    QTimer bound;
    bound.setSingleShot(true);
    bound.setTimerType(Qt::PreciseTimer);
    QObject::connect(&bound, &QTimer::timeout, &bound, [] {});
    while (!done()) {
        const qint64 remaining = timeoutMs - clock.elapsed();
        if (remaining <= 0)
            return false;
        if (!bound.isActive())
            bound.start(static_cast<int>(remaining));
        HandleMessage();
    }
    return true;
}

std::string TApplication::Title() const
{
    if (titleSet_)
        return title_;
    if (QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationName().toStdString();
    return {};
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags)
{
    HWND owner = mainForm_ != nullptr ? mainForm_->HandleOrNull() : nullptr;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowException(const Exception& error)
{
    MessageBox(error.DisplayText(), Title(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* sender)
{
    std::exception_ptr current = std::current_exception();
    if (current == nullptr)
        return;
    try {
        try {
            std::rethrow_exception(current);
        } catch (const Exception& error) {
            if (OnException.Assigned())
                OnException(sender, error);
            else
                ShowException(error);
        } catch (const std::exception& error) {
            const Exception wrapped(error.what());
            if (OnException.Assigned())
                OnException(sender, wrapped);
            else
                ShowException(wrapped);
        } catch (...) {
            const Exception wrapped("Exception inconnue");
            if (OnException.Assigned())
                OnException(sender, wrapped);
            else
                ShowException(wrapped);
        }
    } catch (...) {
        // The handler of errors failed in its turn: nothing more can be shown.
    }
}

void HandleFrameworkException(TObject* sender) { Application->HandleException(sender); }

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == mainForm_)
        mainForm_ = nullptr;
}

void TApplication::Initialize(int& argc, char** argv)
{
    // Lives until the process ends: windows and timers may still be torn down at exit.
    if (QCoreApplication::instance() == nullptr) {
        EnsureRuntimeFolder();
        new QApplication(argc, argv);
    }
    if (catchSignals_)
        WatchTerminationSignals();
}

void TApplication::CatchTerminationSignals()
{
    catchSignals_ = true;
    if (QCoreApplication::instance() != nullptr)
        WatchTerminationSignals();
}

void TApplication::WatchTerminationSignals()
{
    static QSocketNotifier* notifier = nullptr;
    if (notifier != nullptr)
        return;
    const int fd = termination::InstallHandlers();
    if (fd < 0)
        return;
    // Lives as long as the Qt application, whose child it is.
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] { TerminationSignalArrived(); });
}

void TApplication::TerminationSignalArrived()
{
    const int signal = termination::TakeSignal();
    if (signal == 0 || terminationSignal_ != 0)
        return;
    terminationSignal_ = signal;
    if (OnTerminationSignal.Assigned()) {
        try {
            OnTerminationSignal(this, signal);
        } catch (...) {
            HandleException(this);
        }
        return;
    }
    Terminate();
    // A modal window runs a loop of its own: closed, it returns, and Run's loop sees the end.
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
}
