#include "tests/platform/decode/TestVideos.h"

namespace quellon::decode::test {

int ReadFrameNumber(const std::vector<std::uint8_t>& dib, int width, int height, PixelFormat format)
{
    if (dib.size() != DibStrideBytes(width, format) * static_cast<std::size_t>(height))
        return -1;
    return testvideos::ReadFrameNumber(dib.data(), width, height, format == PixelFormat::Rgb32 ? 32 : 24);
}

}  // namespace quellon::decode::test
