// The size line under the capture controls: the size of each movie file and of the whole
// capture in Ko (1000 bytes), and its playing time at the small screen's 8.658 frames a second.
#pragma once

#include <string>

constexpr long double KqFrameKo = 5.24L;         // 5240 bytes
constexpr long double KqFramesPerSecond = 8.658L;

// The playing time as shown: rounded half up to three significant digits and at most two
// decimals, written with exactly two decimals ("0.92"), or, from 1000 seconds on, in short
// scientific form ("1.18E3", "1E3").
std::string FormatLengthSeconds(long double seconds, char decimalSeparator);

// "Infos : <per file> Ko/files, total <total> Ko. Length : <length> sec." for framesPerFile
// frames in each of fileCount files (fileCount counts only when multiFile is set).
std::string SizeLine(int framesPerFile, int fileCount, bool multiFile, char decimalSeparator);
