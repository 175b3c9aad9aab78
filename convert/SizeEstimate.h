// The size line under the capture controls: the size of each movie file and of the whole
// capture in Ko (1000 bytes), and its playing time at the small screen's 8.658 frames a second.
#pragma once

#include "framework/NumberText.h"

#include <string>

constexpr long double KqFrameKo = 5.24L;         // 5240 bytes
constexpr long double KqFramesPerSecond = 8.658L;

// "Infos : <per file> Ko/files, total <total> Ko. Length : <length> sec." for framesPerFile
// frames in each of fileCount files (fileCount counts only when multiFile is set). The length
// is rounded half up to three significant digits and at most two decimals and written with two
// decimals ("0.92"), or from 1000 seconds on in short scientific form ("1.18E3").
std::string SizeLine(int framesPerFile, int fileCount, bool multiFile, const TFormatSettings& settings);
