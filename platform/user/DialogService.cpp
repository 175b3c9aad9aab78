#include "platform/user/DialogService.h"

#include "platform/user/QtDialogService.h"

#include <sys/stat.h>

namespace {

DialogService* g_service = nullptr;

DialogService& BuiltInService()
{
    static QtDialogService service;
    return service;
}

} // namespace

DialogService* SetDialogService(DialogService* service)
{
    DialogService* previous = g_service;
    g_service = service;
    return previous;
}

DialogService& CurrentDialogService()
{
    return g_service != nullptr ? *g_service : BuiltInService();
}

std::string ApplyDefaultExtension(const std::string& path, const std::string& defaultExt)
{
    std::string ext = defaultExt;
    while (!ext.empty() && ext.front() == '.')
        ext.erase(ext.begin());
    if (ext.empty() || path.empty())
        return path;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && dot > nameStart)
        return path; // it has one, even an empty one after a final dot
    if (nameStart == path.size())
        return path; // a folder, not a file name
    return path + "." + ext;
}

std::optional<std::string> ShowOpenDialog(const FileDialogOptions& options)
{
    CancelMouseCapture();
    std::optional<std::string> chosen = CurrentDialogService().OpenFile(options);
    if (chosen)
        *chosen = ApplyDefaultExtension(*chosen, options.defaultExt);
    return chosen;
}

namespace {

// A device, a FIFO or a socket the person named: it is taken as named, so that whoever writes
// refuses that name, rather than quietly making a file beside it ("/dev/null" must not become
// a new "/dev/null.kql").
bool NamesASpecialFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

} // namespace

std::optional<std::string> ShowSaveDialog(const FileDialogOptions& options)
{
    CancelMouseCapture();
    std::optional<std::string> chosen = CurrentDialogService().SaveFile(options);
    if (chosen && !NamesASpecialFile(*chosen))
        *chosen = ApplyDefaultExtension(*chosen, options.defaultExt);
    return chosen;
}

int DefaultMessageBoxAnswer(UINT type)
{
    static const int buttons[][3] = {
        {IDOK, 0, 0},                      // MB_OK
        {IDOK, IDCANCEL, 0},               // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},      // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},           // MB_YESNOCANCEL
        {IDYES, IDNO, 0},                  // MB_YESNO
        {IDRETRY, IDCANCEL, 0},            // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE} // MB_CANCELTRYCONTINUE
    };
    const UINT kind = type & MB_TYPEMASK;
    if (kind >= std::size(buttons))
        return IDOK;
    const UINT index = (type & MB_DEFMASK) >> 8;
    if (index < 3 && buttons[kind][index] != 0)
        return buttons[kind][index];
    return buttons[kind][0];
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    CancelMouseCapture();
    return CurrentDialogService().MessageBox(owner, text != nullptr ? text : "",
                                             caption != nullptr ? caption : "Error", type);
}
