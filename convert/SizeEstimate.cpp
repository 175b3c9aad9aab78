#include "convert/SizeEstimate.h"

#include <cmath>

std::string SizeLine(int framesPerFile, int fileCount, bool multiFile, const TFormatSettings& settings)
{
    const long double frames = multiFile ? static_cast<long double>(fileCount) * framesPerFile : framesPerFile;
    // The sizes are multiples of 0.04 Ko and never end in .5: rounding has no ties to break.
    const long long perFile = std::llrint(std::nearbyint(framesPerFile * KqFrameKo));
    const long long total = multiFile ? std::llrint(std::nearbyint(frames * KqFrameKo)) : perFile;
    const long double length = frames / KqFramesPerSecond;
    return "Infos : " + std::to_string(perFile) + " Ko/files, total " + std::to_string(total) + " Ko. Length : " +
           FloatToStrF(length, ffFixed, 3, 2, settings) + " sec.";
}
