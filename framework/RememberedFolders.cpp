#include "framework/RememberedFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// One line a kind: the kind, a tab, the folder. A name with a tab or a line break in it is
// not kept rather than kept wrong.
using TFolders = std::map<std::string, std::string>;

bool Storable(const std::string& text) { return text.find_first_of("\t\n\r") == std::string::npos; }

TFolders ReadFolders()
{
    TFolders folders;
    std::ifstream in(RememberedFoldersFile());
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos && tab > 0 && tab + 1 < line.size())
            folders[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return folders;
}

// Written beside the file and renamed over it, so that a run that stops halfway, or two
// programs writing at once, never leave a file cut in two.
void WriteFolders(const TFolders& folders)
{
    const fs::path file = RememberedFoldersFile();
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error)
        return;
    const fs::path temporary = file.string() + "." + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& [kind, folder] : folders)
            out << kind << '\t' << folder << '\n';
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return;
        }
    }
    fs::rename(temporary, file, error);
    if (error)
        fs::remove(temporary, error);
}

} // namespace

std::string RememberedFoldersFile()
{
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        config = fs::path(home) / ".config";
    else
        return {};
    return (config / "quellon" / "folders").string();
}

std::string FileKindOfFilter(const std::string& filter)
{
    const std::size_t first = filter.find('|');
    if (first == std::string::npos)
        return "*";
    const std::size_t second = filter.find('|', first + 1);
    const std::string masks = filter.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    return masks.empty() ? "*" : masks;
}

std::string RememberedFolder(const std::string& kind)
{
    if (RememberedFoldersFile().empty())
        return {};
    const TFolders folders = ReadFolders();
    const auto found = folders.find(kind);
    if (found == folders.end())
        return {};
    std::error_code error;
    return fs::is_directory(found->second, error) ? found->second : std::string();
}

void RememberFolderOf(const std::string& kind, const std::string& chosenFile)
{
    if (RememberedFoldersFile().empty() || kind.empty() || chosenFile.empty())
        return;
    std::error_code error;
    const fs::path folder = fs::absolute(fs::path(chosenFile), error).parent_path();
    if (error || folder.empty() || !Storable(kind) || !Storable(folder.string()))
        return;
    TFolders folders = ReadFolders();
    if (folders[kind] == folder.string())
        return;
    folders[kind] = folder.string();
    WriteFolders(folders);
}
