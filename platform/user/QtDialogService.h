// The dialog service that asks a person: a modal QMessageBox or QFileDialog over the
// owner window. Thread: user-interface thread; needs a QApplication.
#pragma once

#include "platform/user/DialogService.h"

#include <QString>

class QtDialogService final : public DialogService {
public:
    int MessageBox(HWND owner, std::string text, std::string caption, UINT type) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;
};

// "Movies|*.kql;*.kq|All|*.*" -> "Movies (*.kql *.kq);;All (*)"; an unpaired last
// description is dropped.
QString QtNameFilters(const std::string& filter);
