// TForm2: the player window, read from its layout (Unit2.layout). It lets the user choose a
// movie file and shows its name over a screen area that says "Not yet implemented"; playback
// does not exist, so "Play" and "Stop" have no action. It is created hidden at start-up and
// lives until the end of the program, so the chosen name and the enabled "Play" stay between
// showings.
//
// Ownership: the controls are owned by the form. Thread: the user-interface thread.
#pragma once

#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <string>

class TForm2 : public TForm {
    QUELLON_CLASS()

public:
    explicit TForm2(TComponent* owner);

    TEdit* Edit1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TShape* Shape1 = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    TLabel* Label1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    void Button1Click(TObject* Sender);
    // The movie `path` (a full path) chosen as if in the "Open" dialog.
    void ChooseMovie(const std::string& path);
};

// The player window of the running program (set by the program entry), or nullptr.
extern TForm2* Form2;
