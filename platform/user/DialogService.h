// The one way to ask the person anything: every message box and every open or save file
// dialog of the program goes through the current dialog service, so that tests and
// headless runs can answer instead of a person.
//
// Thread: user-interface thread only. The current service is not owned by this layer.
#pragma once

#include "platform/user/WinUser.h"

#include <optional>
#include <string>

struct FileDialogOptions {
    HWND owner = nullptr;
    std::string title;
    // Pairs of description and mask separated by '|', masks of a pair separated by ';':
    // "Movies|*.kql|All files|*.*".
    std::string filter;
    int filterIndex = 1; // 1-based pair to start with
    std::string initialDir;
    std::string fileName;
    // Appended with a dot to a chosen name that has no extension; with or without its dot.
    std::string defaultExt;
    bool overwritePrompt = false; // save dialogs: ask before choosing an existing file
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Returns IDOK, IDCANCEL, IDYES, IDNO, ... as MessageBoxA does.
    virtual int MessageBox(HWND owner, std::string text, std::string caption, UINT type) = 0;
    // The chosen path as returned by the dialog, or nullopt when cancelled. Callers use
    // ShowOpenDialog and ShowSaveDialog, which add the default extension.
    virtual std::optional<std::string> OpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogOptions& options) = 0;
};

// Replaces the current service and returns the previous one; nullptr restores the
// built-in Qt service. The caller keeps ownership and must restore the previous service
// before destroying its own.
DialogService* SetDialogService(DialogService* service);
DialogService& CurrentDialogService();

// Open and save dialogs through the current service, with the default extension applied (a
// save dialog leaves a name that is an existing device, FIFO or socket as it is).
std::optional<std::string> ShowOpenDialog(const FileDialogOptions& options);
std::optional<std::string> ShowSaveDialog(const FileDialogOptions& options);

// `path` with ".ext" appended when its file name has no extension (a file name whose only
// dot is its first character has none); `defaultExt` may start with its dot.
std::string ApplyDefaultExtension(const std::string& path, const std::string& defaultExt);

// The answer a message box of `type` gives when its default button is pressed.
int DefaultMessageBoxAnswer(UINT type);
