#include "framework/FileSearch.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

struct TSearchRec::State {
    std::vector<TSearchRec> Matches;
    std::size_t Next = 0;
};

namespace {

bool MatchFrom(std::string_view name, std::string_view mask)
{
    // Iterative matching with one backtrack point for the last '*': linear in practice and
    // no recursion on hostile masks.
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void CopyEntry(const TSearchRec& from, TSearchRec& to)
{
    to.Name = from.Name;
    to.Size = from.Size;
    to.Attr = from.Attr;
    to.TimeSec = from.TimeSec;
}

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*")
        return true;
    if (!mask.empty() && mask.back() == '.' && mask.find_first_of("*?") != std::string_view::npos) {
        // "name*." : names without an extension
        if (name.find('.') != std::string_view::npos)
            return false;
        return MatchFrom(name, mask.substr(0, mask.size() - 1));
    }
    return MatchFrom(name, mask);
}

std::vector<TSearchRec> FindFiles(const std::string& pattern, int attr)
{
    std::vector<TSearchRec> result;
    TSearchRec rec;
    for (int status = FindFirst(pattern, attr, rec); status == 0; status = FindNext(rec)) {
        TSearchRec entry;
        CopyEntry(rec, entry);
        result.push_back(std::move(entry));
    }
    FindClose(rec);
    return result;
}

int FindFirst(const std::string& pattern, int attr, TSearchRec& rec)
{
    FindClose(rec);
    const std::size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
    const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);

    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return WindowsErrorFromErrno(errno, TMissingName::Folder);
    auto state = std::make_shared<TSearchRec::State>();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!MatchesMask(name, mask))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0)
            continue; // vanished, or a dangling link: nothing to report
        int entryAttr = 0;
        if (S_ISDIR(info.st_mode))
            entryAttr |= faDirectory;
        else if (S_ISREG(info.st_mode))
            entryAttr |= faArchive;
        else
            entryAttr |= faSysFile;
        if (name.front() == '.')
            entryAttr |= faHidden;
        if ((info.st_mode & S_IWUSR) == 0)
            entryAttr |= faReadOnly;
        const int special = entryAttr & (faDirectory | faHidden | faSysFile);
        if ((special & ~attr) != 0)
            continue;
        TSearchRec found;
        found.Name = name;
        found.Size = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
        found.Attr = entryAttr;
        found.TimeSec = static_cast<std::int64_t>(info.st_mtim.tv_sec);
        state->Matches.push_back(std::move(found));
    }
    ::closedir(dir);
    std::sort(state->Matches.begin(), state->Matches.end(),
              [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
    if (state->Matches.empty())
        return ERROR_FILE_NOT_FOUND;
    rec.FindState = std::move(state);
    return FindNext(rec);
}

int FindNext(TSearchRec& rec)
{
    TSearchRec::State* state = rec.FindState.get();
    if (state == nullptr || state->Next >= state->Matches.size())
        return ERROR_NO_MORE_FILES;
    CopyEntry(state->Matches[state->Next++], rec);
    return 0;
}

void FindClose(TSearchRec& rec)
{
    rec.FindState.reset();
}
