#include "platform/user/ScriptedDialogService.h"

void ScriptedDialogService::Clear()
{
    messageBoxAnswers_.clear();
    fileAnswers_.clear();
    messageBoxes_.clear();
    fileDialogs_.clear();
}

int ScriptedDialogService::MessageBox(HWND owner, std::string text, std::string caption, UINT type)
{
    int answer = DefaultMessageBoxAnswer(type);
    if (!messageBoxAnswers_.empty()) {
        answer = messageBoxAnswers_.front();
        messageBoxAnswers_.pop_front();
    }
    messageBoxes_.push_back(MessageBoxCall{owner, std::move(text), std::move(caption), type, answer});
    return answer;
}

std::optional<std::string> ScriptedDialogService::NextFile(const FileDialogOptions& options, bool save)
{
    std::optional<std::string> answer;
    if (!fileAnswers_.empty()) {
        answer = std::move(fileAnswers_.front());
        fileAnswers_.pop_front();
    }
    fileDialogs_.push_back(FileDialogCall{save, options, answer});
    return answer;
}

std::optional<std::string> ScriptedDialogService::OpenFile(const FileDialogOptions& options)
{
    return NextFile(options, false);
}

std::optional<std::string> ScriptedDialogService::SaveFile(const FileDialogOptions& options)
{
    return NextFile(options, true);
}
