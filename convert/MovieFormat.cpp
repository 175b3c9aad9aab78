#include "convert/MovieFormat.h"

TMovieFrame PackMovieFrame(const TFrameBuffer& frame)
{
    TMovieFrame bytes{};
    std::size_t pixel = 0;
    for (int y = 0; y < KqFrameHeight; ++y) {
        for (int x = 0; x < KqFrameWidth; ++x, ++pixel) {
            const std::uint8_t value = frame[FrameBufferIndex(x, y)];
            std::uint8_t& byte = bytes[pixel / 2];
            byte = (pixel % 2 == 0) ? value : static_cast<std::uint8_t>(byte + value * 16);
        }
    }
    return bytes;
}

TFrameBuffer UnpackMovieFrame(const TMovieFrame& bytes)
{
    TFrameBuffer frame{};
    std::size_t pixel = 0;
    for (int y = 0; y < KqFrameHeight; ++y) {
        for (int x = 0; x < KqFrameWidth; ++x, ++pixel) {
            const std::uint8_t byte = bytes[pixel / 2];
            frame[FrameBufferIndex(x, y)] = (pixel % 2 == 0) ? (byte & 0x0F) : (byte >> 4);
        }
    }
    return frame;
}

std::string NumberedMovieFileName(const std::string& baseName, int fileNumber)
{
    const std::string number = std::to_string(fileNumber);
    const auto dot = baseName.rfind('.');
    if (dot == std::string::npos)
        return baseName + number;
    return baseName.substr(0, dot) + number + baseName.substr(dot);
}
