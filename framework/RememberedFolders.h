// The folders where the person last chose a file, kept between runs so that the file dialogs
// open there again. One folder per kind of file: dialogs that offer the same files (a movie
// saved by the main window, a movie opened in the player window) share theirs, so the player
// opens where the last movie was written.
//
// The folders live in a small file of the program's own, "quellon/folders" under the
// user's configuration folder ($XDG_CONFIG_HOME, or ~/.config when unset); nothing else is
// kept there. Remembering is a convenience: a file that cannot be read or written is passed
// over in silence, and a remembered folder that has gone is not offered.
// Thread: the user-interface thread.
#pragma once

#include <string>

// The kind of file a dialog offers: the masks of its filter's first pair ("*.kql" for
// "*.kql|*.kql|*.*|*.*"), or "*" for a dialog without a filter.
std::string FileKindOfFilter(const std::string& filter);

// The folder last remembered for `kind`, when it still exists; else an empty string.
std::string RememberedFolder(const std::string& kind);
// Remembers the folder that holds `chosenFile` for `kind`.
void RememberFolderOf(const std::string& kind, const std::string& chosenFile);

// The file the folders are kept in.
std::string RememberedFoldersFile();
