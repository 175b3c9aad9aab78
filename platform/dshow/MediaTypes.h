// Helpers for AM_MEDIA_TYPE records, as the DirectShow base classes provide them: freeing,
// copying, heap copies for enumerators, the uncompressed RGB video types this graph streams,
// and the partial match that connection negotiation uses (GUID_NULL fields match anything).
// Any thread; records are not shared between threads by these helpers.
#pragma once

#include "platform/dshow/DShowTypes.h"

#include <cstdint>
#include <optional>

// Frees the format block (CoTaskMemFree) and releases pUnk; the record is left zeroed.
void FreeMediaType(AM_MEDIA_TYPE& mediaType);
// FreeMediaType, then frees the record itself (CoTaskMemAlloc'd, as enumerators hand out).
void DeleteMediaType(AM_MEDIA_TYPE* mediaType);
// Deep copy into a record the caller frees with FreeMediaType; E_OUTOFMEMORY leaves *target
// zeroed. E_POINTER for null arguments.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
// A CoTaskMemAlloc'd deep copy (free with DeleteMediaType), or null without memory.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);

// True when every non-null GUID of `pattern` (major type, subtype, format type) equals the
// one in `candidate`. A null pattern matches everything.
bool MediaTypeMatchesPartial(const AM_MEDIA_TYPE* candidate, const AM_MEDIA_TYPE* pattern);
// True when the GUIDs, the sample fields and the format blocks are identical.
bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

// An uncompressed RGB video type with a VIDEOINFOHEADER block (caller frees it with
// FreeMediaType): bottom-up rows for a positive height, top-down for a negative one.
// bitsPerPixel is 24 or 32. Throws std::bad_alloc without memory.
AM_MEDIA_TYPE MakeRgbVideoType(int width, int height, int bitsPerPixel, REFERENCE_TIME avgTimePerFrame);

// The BITMAPINFOHEADER inside a VIDEOINFOHEADER or VIDEOINFOHEADER2 format block, or null
// when the record has another format or a block too short for its format.
const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& mediaType);

// Owns one AM_MEDIA_TYPE and frees it; a convenience for our own objects.
class MediaTypeHolder {
public:
    MediaTypeHolder();
    ~MediaTypeHolder();
    MediaTypeHolder(const MediaTypeHolder&) = delete;
    MediaTypeHolder& operator=(const MediaTypeHolder&) = delete;

    // Deep copy of source (or empties the holder for null); E_OUTOFMEMORY keeps it empty.
    HRESULT Assign(const AM_MEDIA_TYPE* source);
    // Takes over a record (no copy); the record's old content is the holder's now.
    void Adopt(AM_MEDIA_TYPE& source);
    void Clear();
    bool Empty() const { return empty_; }
    const AM_MEDIA_TYPE& Get() const { return type_; }

private:
    AM_MEDIA_TYPE type_;
    bool empty_ = true;
};
