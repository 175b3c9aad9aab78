#include "tools/kqltool/GifMovie.h"

#include "convert/FrameConversion.h"
#include "tools/kqltool/Options.h"

#include <gif_lib.h>

#include <filesystem>
#include <memory>

namespace {

// The true time at the end of frame k, in hundredths, rounded to nearest: 11.55 k.
std::int64_t HundredthsAfter(std::uint64_t frames) { return (static_cast<std::int64_t>(frames) * 1155 + 50) / 100; }

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

} // namespace

void WriteGifMovie(const std::string& path, std::uint64_t frames, int scale,
                   const std::function<TFrameBuffer()>& nextFrame)
{
    auto fail = [&](const std::string& what, int error) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        throw InputError("cannot write " + path + ": " + what + " (" + GifErrorString(error) + ")");
    };
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpenFileName(path.c_str(), false, &error));
    if (!gif)
        fail("cannot create the file", error);
    EGifSetGifVersion(gif.get(), true);

    // Palette entry h is grey level h, as the preview draws it.
    std::unique_ptr<ColorMapObject, MapDeleter> palette(GifMakeMapObject(16, nullptr));
    for (int level = 0; level < 16; ++level) {
        const COLORREF c = GreyColour(level);
        palette->Colors[level] = GifColorType{GetRValue(c), GetGValue(c), GetBValue(c)};
    }
    const int width = KqFrameWidth * scale;
    const int height = KqFrameHeight * scale;
    if (EGifPutScreenDesc(gif.get(), width, height, 4, 0, palette.get()) == GIF_ERROR)
        fail("screen descriptor", gif->Error);

    // Loop for ever: the NETSCAPE2.0 application extension with a loop count of 0.
    const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif.get(), sizeof application, application) == GIF_ERROR ||
        EGifPutExtensionBlock(gif.get(), sizeof loop, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
        fail("loop extension", gif->Error);

    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (std::uint64_t k = 0; k < frames; ++k) {
        const TFrameBuffer frame = nextFrame();
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = static_cast<int>(HundredthsAfter(k + 1) - HundredthsAfter(k));
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_ERROR ||
            EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
            fail("frame " + std::to_string(k), gif->Error);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                line[static_cast<std::size_t>(x)] =
                    static_cast<GifPixelType>(15 - frame[FrameBufferIndex(x / scale, y / scale)]);
            if (EGifPutLine(gif.get(), line.data(), width) == GIF_ERROR)
                fail("frame " + std::to_string(k), gif->Error);
        }
    }
    GifFileType* raw = gif.release();
    if (EGifCloseFile(raw, &error) == GIF_ERROR)
        fail("closing", error);
}
