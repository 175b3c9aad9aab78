// File dialogs and message helpers. Every question goes through the dialog service of
// platform/user (DialogService.h), so tests and headless runs answer instead of a person.
//
// Filter: "description|mask|description|mask..." (masks of one pair separated by ';').
// FilterIndex is 1-based. Execute returns true when a file was chosen: FileName then holds
// its path (with DefaultExt added to a name without an extension) and FilterIndex stays as
// it was; false leaves FileName unchanged. Without an InitialDir of its own, a dialog opens
// where a file of its kind was last chosen, in this run or an earlier one, and a choice is
// remembered for the next (RememberedFolders.h). Thread: the user-interface thread.
#pragma once

#include "framework/ClassBuilder.h"
#include "framework/Component.h"
#include "framework/Sets.h"
#include "platform/user/DialogService.h"

#include <string>

enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofFileMustExist, ofPathMustExist };
using TOpenOptions = TSet<TOpenOption>;
extern const TEnumInfo OpenOptionInfo;

class TOpenDialog : public TComponent {
    QUELLON_CLASS()

public:
    explicit TOpenDialog(TComponent* owner);

    std::string DefaultExt;
    std::string FileName;
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::string Title;
    TOpenOptions Options = {ofHideReadOnly};

    virtual bool Execute();

protected:
    // The options for the dialog service, owned by the active form's window.
    FileDialogOptions MakeOptions() const;
};

class TSaveDialog : public TOpenDialog {
    QUELLON_CLASS()

public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
    bool Execute() override;
};

// A message box with the application's title as caption.
void ShowMessage(const std::string& text);
int MessageDlg(const std::string& text, UINT type);
