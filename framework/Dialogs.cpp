#include "framework/Dialogs.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/RememberedFolders.h"

const TEnumInfo OpenOptionInfo{"TOpenOption", {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir",
                                               "ofFileMustExist", "ofPathMustExist"}};

const TClass& TOpenDialog::StaticClass()
{
    static const TClass cls = TClassBuilder<TOpenDialog>("TOpenDialog", &TComponent::StaticClass())
        .String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::DefaultExt, "")
        .String("FileName", &TOpenDialog::FileName, &TOpenDialog::FileName, "")
        .String("Filter", &TOpenDialog::Filter, &TOpenDialog::Filter, "")
        .Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::FilterIndex, 1)
        .String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::InitialDir, "")
        .Set("Options", OpenOptionInfo, &TOpenDialog::Options, &TOpenDialog::Options, TOpenOptions{ofHideReadOnly})
        .String("Title", &TOpenDialog::Title, &TOpenDialog::Title, "")
        .Build();
    return cls;
}

const TClass& TSaveDialog::StaticClass()
{
    static const TClass cls = TClassBuilder<TSaveDialog>("TSaveDialog", &TOpenDialog::StaticClass()).Build();
    return cls;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

FileDialogOptions TOpenDialog::MakeOptions() const
{
    FileDialogOptions options;
    const TCustomForm* form = dynamic_cast<const TCustomForm*>(Owner());
    if (form == nullptr)
        form = Application->MainForm();
    options.owner = form != nullptr ? form->HandleOrNull() : nullptr;
    options.title = Title;
    options.filter = Filter;
    options.filterIndex = FilterIndex;
    // Where a file of this kind was last chosen, unless the dialog names its own folder.
    options.initialDir = InitialDir.empty() ? RememberedFolder(FileKindOfFilter(Filter)) : InitialDir;
    options.fileName = FileName;
    options.defaultExt = DefaultExt;
    options.overwritePrompt = Options.Contains(ofOverwritePrompt);
    return options;
}

bool TOpenDialog::Execute()
{
    const std::optional<std::string> chosen = ShowOpenDialog(MakeOptions());
    if (!chosen)
        return false;
    FileName = *chosen;
    RememberFolderOf(FileKindOfFilter(Filter), FileName);
    return true;
}

bool TSaveDialog::Execute()
{
    const std::optional<std::string> chosen = ShowSaveDialog(MakeOptions());
    if (!chosen)
        return false;
    FileName = *chosen;
    RememberFolderOf(FileKindOfFilter(Filter), FileName);
    return true;
}

void ShowMessage(const std::string& text) { Application->MessageBox(text, Application->Title(), MB_OK); }

int MessageDlg(const std::string& text, UINT type) { return Application->MessageBox(text, Application->Title(), type); }
