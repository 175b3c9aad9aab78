// Loads the input as a picture file into a TBitmap, as opening a picture does: content that
// is not a picture must end in a framework exception, never a crash or a stray allocation.
#include "tests/fuzz/FuzzTargets.h"

#include "framework/Bitmap.h"
#include "framework/Exceptions.h"

#include <vector>

QUELLON_FUZZ_TARGET(FuzzBmpFile)
{
    const std::vector<BYTE> stream(data, data + size);
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    // What was read must be whole: its rows can be read and written back as a BMP file.
    if (bitmap.Empty() || bitmap.Width() <= 0 || bitmap.Height() <= 0)
        __builtin_trap();
    std::vector<BYTE> saved;
    bitmap.SaveToStream(saved);
    TBitmap copy;
    copy.LoadFromStream(saved);
    if (copy.Width() != bitmap.Width() || copy.Height() != bitmap.Height())
        __builtin_trap();
    return 0;
}
