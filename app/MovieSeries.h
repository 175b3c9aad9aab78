// Numbered series of movies, as "Multi-file" writes them: the file number goes just before
// the last "." of the path (clip1.kql, clip2.kql, ...), or at the end of a name without one.
#pragma once

#include <string>

struct TMovieSeries {
    // The name of member n: the chosen path with its number replaced by n. Empty when the
    // chosen movie is not part of a series.
    std::string prefix;
    std::string suffix;
    int number = 0; // the chosen member's number; 0 when it is not part of a series
    int last = 0;   // the last member in an unbroken run from the chosen one

    bool IsSeries() const noexcept { return number > 0; }
    std::string Member(int n) const { return prefix + std::to_string(n) + suffix; }
};

// A path whose number (no leading zero) has a neighbour on disk (number - 1 or number + 1)
// is a member of a series; a lone "take5.kql" is a movie of its own.
TMovieSeries FindMovieSeries(const std::string& path);
