// JPEG compression and decompression with libjpeg, for TJPEGImage. Internal to the
// framework's graphics.
//
// libjpeg reports errors through a callback that must not return; here it jumps back
// (longjmp) into the one function that called libjpeg, whose locals are all plain C data,
// and that function turns the error into EJPEG carrying libjpeg's message. Nothing is
// leaked on that path. Warnings (corrupt but decodable data) are ignored.
//
// Any thread; one call at a time per buffer.
#pragma once

#include "platform/base/WinTypes.h"

#include <vector>

namespace jpeg_codec {

struct Header {
    int Width = 0;
    int Height = 0;
    int Components = 0;
    bool Progressive = false;
};

struct EncodeSettings {
    int Quality = 90;         // 1..100, baseline-compatible tables
    bool Progressive = false; // the simple progressive scan script
};

// `rgb` holds `height` rows of `width` pixels, 3 bytes each (red, green, blue), top row
// first, without padding. Compressed with the floating-point DCT.
std::vector<BYTE> Encode(const BYTE* rgb, int width, int height, const EncodeSettings& settings);

// The picture's size and kind, from the headers alone.
Header ReadHeader(const std::vector<BYTE>& data);

// The whole picture as rows of 3 bytes a pixel (red, green, blue), top row first.
// `fast` trades accuracy for speed (integer DCT, no smooth upsampling); `grayscale`
// decodes the grey levels only (each pixel then has three equal bytes).
std::vector<BYTE> Decode(const std::vector<BYTE>& data, bool fast, bool grayscale, Header& header);

} // namespace jpeg_codec
