// A runtime folder for processes started without a desktop session (as root in a container,
// a CI job, a batch run): XDG_RUNTIME_DIR is then unset, and the windowing system warns on
// standard error and makes one of its own. Called before the windowing system starts, this
// sets XDG_RUNTIME_DIR to a folder private to the user (mode 0700, owned by the user) in the
// temporary folder, made once and kept for the next runs, so the tools' standard error holds
// only their own lines.
//
// A variable already set is left as it is: a session's folder is the session's business.
// Returns the folder in use, or an empty string when none could be made (the windowing
// system then falls back to its own, with its warning). Not thread-safe: call it at
// start-up, before any thread reads the environment.
#pragma once

#include <string>

std::string EnsureRuntimeFolder();
