#include "app/StartFile.h"

#include "app/CommandLine.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "framework/Application.h"
#include "platform/user/DialogService.h"
#include "platform/user/ScriptedDialogService.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Answers the first open dialog with one file and hands every other question to the service
// that was in place.
class TAnswerOneOpenDialog final : public DialogService {
public:
    TAnswerOneOpenDialog(DialogService& next, std::string path) : next_(next), path_(std::move(path)) {}

    int MessageBox(HWND owner, std::string text, std::string caption, UINT type) override
    {
        return next_.MessageBox(owner, std::move(text), std::move(caption), type);
    }
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override
    {
        if (answered_)
            return next_.OpenFile(options);
        answered_ = true;
        return path_;
    }
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override { return next_.SaveFile(options); }

private:
    DialogService& next_;
    std::string path_;
    bool answered_ = false;
};

} // namespace

TStartFile OpenStartFile(TForm1& mainWindow, TForm2& playerWindow, const std::string& path)
{
    if (path.empty())
        return TStartFile::None;
    std::error_code error;
    const fs::path full = fs::absolute(fs::path(path), error).lexically_normal();
    const fs::file_status status = fs::status(full, error);
    if (!fs::exists(status) || fs::is_directory(status)) {
        const std::string why = fs::is_directory(status) ? "\" is a folder, not a file." : "\" was not found.";
        Application->MessageBox("\"" + full.string() + why, Application->Title(), MB_OK | MB_ICONSTOP);
        return TStartFile::NotFound;
    }
    if (IsMovieFileName(full.string())) {
        playerWindow.ChooseMovie(full.string());
        return TStartFile::Movie;
    }
    {
        TAnswerOneOpenDialog answer(CurrentDialogService(), full.string());
        const ScopedDialogService scoped(answer);
        mainWindow.Button1Click(mainWindow.Button1);
    }
    return TStartFile::Video;
}
