// Program entry. Until the main window exists this opens an empty window with the
// program's title, so that start-up and the build can be checked on a real display.
#include "framework/Application.h"
#include "framework/Forms.h"

int main(int argc, char** argv)
{
    Application->Initialize(argc, argv);
    Application->SetTitle("Quellon");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Quellon v0.3 by Dresko");
    form->SetBounds(143, 98, 514, 390);
    Application->Run();
    return 0;
}
