// The files a capture run is about to write, checked before any of them is created.
//
// Creating a movie file empties whatever the name leads to. Two names must never be taken:
// the video being read, under any name that reaches it (the same path, a symbolic link, a
// hard link, or a numbered name of a multi-file run that happens to be it), and an existing
// name that is not a regular file (a folder, a FIFO, which would wait for a reader for ever,
// a device). Both the window and kqltool check through here, so they refuse the same names
// with the same words.
#pragma once

#include <string>
#include <vector>

// Every name a run to `baseName` may write: `baseName` itself, or with `files` numbered
// names (multi-file) base1 .. baseN, as the run names them.
std::vector<std::string> CaptureFileNames(const std::string& baseName, bool multiFile, int files);

// Throws EInOutError when writing `target` could destroy data or block: error 32 (in use) when
// it is the file `video` by identity (device and inode, links resolved), error 5 (access
// denied) when it exists and is not a regular file. The explanation names the file and says
// what it is. A name that does not exist yet, or a `video` that cannot be found, passes.
void CheckMovieTarget(const std::string& target, const std::string& video);

// CheckMovieTarget for every name of the list.
void CheckMovieTargets(const std::vector<std::string>& targets, const std::string& video);

// What `path` is when it is not a regular file ("a folder", "a FIFO (named pipe)", "a
// device"...), empty for a regular file or a name that does not exist.
std::string NotARegularFile(const std::string& path);
