// Program entry: the command line first (help, version and usage errors need no display),
// then the application, the main window and the player window from their layouts, the file
// named on the command line, and the event loop until the main window is closed.
#include "app/CommandLine.h"
#include "app/ProgramClasses.h"
#include "app/StartFile.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "axhost/DerivedMovie.h"
#include "framework/Application.h"

#include <iostream>

int main(int argc, char** argv)
{
    const TCommandLine line = ParseCommandLine({argv + 1, argv + argc});
    switch (line.Action) {
    case TCommandLine::TAction::Help:
        std::cout << HelpText();
        return 0;
    case TCommandLine::TAction::Version:
        std::cout << VersionText();
        return 0;
    case TCommandLine::TAction::Usage:
        std::cerr << "quellon: " << line.Error << "\n" << UsageText();
        return 2;
    case TCommandLine::TAction::Run:
        break;
    }
    // The arguments are the program's own: none is left for the windowing system to take
    // as one of its options (a file named "-reverse" after "--" stays a file).
    static int windowingArgc = 1;
    Application->Initialize(windowingArgc, argv);
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
    if (!line.File.empty()) {
        try {
            Form1->Show();
            if (OpenStartFile(*Form1, *Form2, line.File) == TStartFile::Movie)
                Form1->Button3Click(Form1->Button3);
        } catch (...) {
            Application->HandleException(Form1);
        }
    }
    Application->Run();
    // The windows are gone with the loop; COM and OLE end last.
    Form1 = nullptr;
    Form2 = nullptr;
    AMovieUnitEnd();
    return Application->ExitStatus();
}
