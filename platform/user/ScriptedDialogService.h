// A dialog service that answers from queues instead of a person, for tests and headless
// runs. Every message box is recorded. An empty queue gives the box's default button
// (IDOK for MB_OK) and cancels file dialogs. Thread: user-interface thread.
#pragma once

#include "platform/user/DialogService.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedDialogService final : public DialogService {
public:
    struct MessageBoxCall {
        HWND owner = nullptr;
        std::string text;
        std::string caption;
        UINT type = 0;
        int answer = 0;
    };
    struct FileDialogCall {
        bool save = false;
        FileDialogOptions options;
        std::optional<std::string> answer;
    };

    // Answers used in order, one per message box.
    void QueueMessageBoxAnswer(int answer) { messageBoxAnswers_.push_back(answer); }
    // Answers used in order by open and save dialogs alike: a path, or a cancel.
    void QueueFileName(std::string path) { fileAnswers_.emplace_back(std::move(path)); }
    void QueueFileCancel() { fileAnswers_.emplace_back(std::nullopt); }

    const std::vector<MessageBoxCall>& MessageBoxes() const { return messageBoxes_; }
    const std::vector<FileDialogCall>& FileDialogs() const { return fileDialogs_; }
    std::size_t PendingAnswers() const { return messageBoxAnswers_.size() + fileAnswers_.size(); }
    void Clear();

    int MessageBox(HWND owner, std::string text, std::string caption, UINT type) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;

private:
    std::optional<std::string> NextFile(const FileDialogOptions& options, bool save);

    std::deque<int> messageBoxAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::vector<MessageBoxCall> messageBoxes_;
    std::vector<FileDialogCall> fileDialogs_;
};

// Installs a service for the lifetime of the guard and puts the previous one back.
class ScopedDialogService {
public:
    explicit ScopedDialogService(DialogService& service) : previous_(SetDialogService(&service)) {}
    ~ScopedDialogService() { SetDialogService(previous_); }
    ScopedDialogService(const ScopedDialogService&) = delete;
    ScopedDialogService& operator=(const ScopedDialogService&) = delete;

private:
    DialogService* previous_;
};
