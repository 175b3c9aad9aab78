// BSTR: the length-prefixed wide string of automation. The pointer addresses the first
// character; the 32-bit byte length sits in the four bytes before it and a null character
// follows the text, so a BSTR can hold embedded nulls and still be read as a C string. A null
// BSTR reads as the empty string everywhere.
//
// Ownership: SysAlloc* return a string the caller owns and frees with SysFreeString (or hands
// on, e.g. inside a VARIANT). Allocation failure returns null, never throws. Any thread.
//
// Text conversion: UTF-8 (the narrow encoding of this platform) <-> UTF-16; an invalid UTF-8
// sequence or an unpaired surrogate becomes U+FFFD instead of being dropped silently.
#pragma once

#include "platform/com/Guid.h"

#include <string>
#include <string_view>

using BSTR = OLECHAR*;
using LPBSTR = BSTR*;

BSTR SysAllocString(LPCOLESTR text);
// length characters copied from text, or left zeroed when text is null.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// A BSTR whose byte length is `bytes` (may be odd), filled from the bytes when given.
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength);
// Replace *target with a copy of text; FALSE (and *target unchanged) when out of memory.
INT SysReAllocString(BSTR* target, LPCOLESTR text);
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// A new BSTR holding the text (null only when out of memory).
BSTR Utf8ToBstr(std::string_view text);
// The whole BSTR, embedded nulls included; a null BSTR gives "".
std::string BstrToUtf8(BSTR text);
std::u16string_view BstrView(BSTR text);

// Owns one BSTR; move-only. A default-constructed holder is null; constructing from text always
// allocates, even for an empty text (callers that must pass empty text as null check first).
class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(std::string_view utf8);
    static UniqueBstr TakeOver(BSTR text);
    UniqueBstr(UniqueBstr&& other) noexcept;
    UniqueBstr& operator=(UniqueBstr&& other) noexcept;
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr();

    BSTR Get() const { return text_; }
    // Frees the current string and gives the address for an out-parameter.
    BSTR* ReleaseAndGetAddressOf();
    [[nodiscard]] BSTR Detach();
    void Reset();
    UINT Length() const { return SysStringLen(text_); }
    std::string ToUtf8() const { return BstrToUtf8(text_); }

private:
    BSTR text_ = nullptr;
};
