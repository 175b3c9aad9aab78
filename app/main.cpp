// Program entry: the application, the main window and the player window from their layouts,
// then the event loop until the main window is closed.
#include "app/ProgramClasses.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "axhost/DerivedMovie.h"
#include "framework/Application.h"

#include <iostream>

int main(int argc, char** argv)
{
    Application->Initialize(argc, argv);
    Application->SetTitle("Quellon");
    Application->CatchTerminationSignals();
    // The player and the DirectShow services the video source is made of, before any window.
    if (const std::string failure = InstallProgramComponents(); !failure.empty()) {
        std::cerr << "quellon: " << failure << "\n";
        return 1;
    }
    try {
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
    } catch (const Exception& error) {
        Application->ShowException(error);
        return 1;
    }
    Application->Run();
    // The windows are gone with the loop; COM and OLE end last.
    Form1 = nullptr;
    Form2 = nullptr;
    AMovieUnitEnd();
    return Application->ExitStatus();
}
