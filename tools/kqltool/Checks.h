// What convert-image and capture check before they write anything, shared so that both say
// the same: the zone option, the output's name, the files the output would overwrite.
#pragma once

#include "convert/CropGeometry.h"

#include <string>
#include <vector>

class Exception;

// "--zone L,T,W,H": the size within its limits and the zone within the preview, checked
// without overflow. UsageError otherwise.
crop::ZoneRect ParseZoneOption(const std::string& text);

// A movie is written to the name given and to no other: a name that does not end in ".kql"
// (any case) is a UsageError, since the window's save dialog would add the extension.
void RequireMovieName(const std::string& out);

// InputError when writing any of `targets` would destroy `input` (the same file by any name)
// or reach something that is not a regular file (CheckMovieTargets).
void CheckOutputs(const std::vector<std::string>& targets, const std::string& input);

// What an input is when it cannot be a video or picture (" is a folder", " is a FIFO (named
// pipe)", " is a device", " does not exist"), empty for a regular file.
std::string NotAnInputFile(const std::string& path);

// A framework error as one line: "Erreur E/S 112: The disk is full. ..." (the number the
// window shows, then its words).
std::string OneLine(const Exception& error);
// The same for a message box's text.
std::string OneLine(std::string text);
