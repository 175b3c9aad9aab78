// The fuzz targets: each takes one input of any bytes and must neither crash, hang, leak nor
// trip a sanitizer, whatever the bytes are. In a fuzz build (-DQUELLON_FUZZ=ON, clang) each
// source becomes a libFuzzer program; in every build test_fuzz_regressions calls the same
// functions on the inputs kept in tests/fuzz/regressions/<target>/.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef QUELLON_FUZZ_ENTRY
#define QUELLON_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#else
#define QUELLON_FUZZ_TARGET(name) int quellon::fuzz::name(const std::uint8_t* data, std::size_t size)
#endif

namespace quellon::fuzz {

// The file's bytes are the video; its last bytes also choose the frames fetched.
int FuzzDecode(const std::uint8_t* data, std::size_t size);
// The bytes are the text of a layout read into a fresh form.
int FuzzLayout(const std::uint8_t* data, std::size_t size);
// The bytes are a packed DIB (BITMAPINFO, then rows) made into bitmaps.
int FuzzPackedDib(const std::uint8_t* data, std::size_t size);
// The bytes are a picture file loaded into a TBitmap.
int FuzzBmpFile(const std::uint8_t* data, std::size_t size);

}  // namespace quellon::fuzz
