// Directory search by wildcard, in the FindFirst / FindNext / FindClose style.
//
// The pattern is a folder path and a file-name mask: "/data/captures/am*.bmp". In the
// mask '*' matches any run of characters (also none, also dots) and '?' exactly one
// character; "*.*" matches every name, as on Windows, and a mask ending in "." matches names
// without a dot. Names are compared case-sensitively, as the file system does.
//
// Ordinary files are always found; folders, hidden entries (names starting with '.') and
// system entries (anything that is neither a regular file nor a folder: devices, sockets,
// pipes) only when the attribute set asks for them. Matches come sorted by name.
// The results are collected by FindFirst; the record owns them until FindClose or until it
// is destroyed. Any thread, one record per thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The folder separator of paths on this platform.
constexpr char PathDelim = '/';

constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

struct TSearchRec {
    std::string Name;      // file name without folder
    std::int64_t Size = 0; // bytes
    int Attr = 0;          // fa* bits of the entry
    std::int64_t TimeSec = 0; // last modification, seconds since the Unix epoch

    struct State;
    std::shared_ptr<State> FindState;
};

// 0 when an entry was found (it is in `rec`), else ERROR_FILE_NOT_FOUND (2) when nothing
// matches, ERROR_PATH_NOT_FOUND (3) when the folder cannot be read, or another Windows error
// number.
int FindFirst(const std::string& pattern, int attr, TSearchRec& rec);
// 0 with the next entry in `rec`, or ERROR_NO_MORE_FILES (18).
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// Every entry FindFirst/FindNext would give, in order. An unreadable folder gives none.
std::vector<TSearchRec> FindFiles(const std::string& pattern, int attr);

// The mask rules above, for a bare file name.
bool MatchesMask(std::string_view name, std::string_view mask);
