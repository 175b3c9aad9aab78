// Globally unique identifiers with the Windows 16-byte layout (a 32-bit, two 16-bit and eight
// single-byte fields), used as class ids and interface ids. Comparison is by value; text is
// the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", printed in upper case and read
// in either case.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/com/HResults.h"

#include <cstddef>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID must keep the Windows layout");

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPCLSID = CLSID*;

constexpr bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
constexpr bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
// An arbitrary but stable order, so that GUIDs can key ordered containers.
bool operator<(const GUID& a, const GUID& b);

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
constexpr bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// "{8-4-4-4-12}" in upper-case hexadecimal, 38 characters.
std::string GuidToString(REFGUID guid);
// Reads exactly the 38-character braced form (hex digits in either case); anything else,
// including surrounding spaces, gives no value.
std::optional<GUID> GuidFromString(std::string_view text);
std::optional<GUID> GuidFromString(std::u16string_view text);

// Windows forms. StringFromGUID2 writes the braced text with its terminator and returns the
// number of characters written including the terminator, or 0 when the buffer is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int bufferChars);
// CO_E_CLASSSTRING / E_INVALIDARG for text that is not a braced GUID; the output is left
// unchanged on failure. A null string reads as GUID_NULL, as on Windows.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
HRESULT IIDFromString(LPCOLESTR text, IID* iid);

template <>
struct std::hash<GUID> {
    std::size_t operator()(const GUID& guid) const noexcept
    {
        // FNV-1a over the 16 bytes: the fields are already well mixed random values.
        unsigned char bytes[sizeof(GUID)];
        std::memcpy(bytes, &guid, sizeof bytes);
        std::size_t h = 14695981039346656037ull;
        for (unsigned char b : bytes) {
            h ^= b;
            h *= 1099511628211ull;
        }
        return h;
    }
};
