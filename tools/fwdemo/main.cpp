// fwdemo: shows the framework's controls in one window built from a layout.
//
//   fwdemo [--exit-after-ms N]
//
// With --exit-after-ms the window closes itself after N milliseconds (for screenshots).
#include "tools/fwdemo/DemoForm.h"

#include "framework/Application.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

class TExitTimer : public TObject {
public:
    void Tick(TObject* sender)
    {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        if (Application->MainForm() != nullptr)
            Application->MainForm()->Close();
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int exitAfterMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exit-after-ms") == 0 && i + 1 < argc) {
            exitAfterMs = std::atoi(argv[++i]);
        } else {
            std::cerr << "usage: fwdemo [--exit-after-ms N]\n";
            return 2;
        }
    }
    Application->Initialize();
    Application->SetTitle("fwdemo");
    TDemoForm* form = nullptr;
    try {
        Application->CreateForm(form);
    } catch (const std::exception& error) {
        std::cerr << "fwdemo: " << error.what() << "\n";
        return 1;
    }
    TExitTimer exitTimer;
    if (exitAfterMs > 0) {
        auto* timer = new TTimer(form);
        timer->SetInterval(static_cast<unsigned>(exitAfterMs));
        timer->OnTimer.Assign(&exitTimer, &TExitTimer::Tick);
    }
    Application->Run();
    return 0;
}
