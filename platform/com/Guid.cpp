#include "platform/com/Guid.h"

#include <cstdio>

bool operator<(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

std::string GuidToString(REFGUID guid)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

namespace {

int HexValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    return -1;
}

template <class Char>
std::optional<GUID> Parse(std::basic_string_view<Char> text)
{
    if (text.size() != 38 || text[0] != '{' || text[37] != '}')
        return std::nullopt;
    if (text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-')
        return std::nullopt;
    // Reads `digits` hex digits starting at `pos`.
    auto read = [&](std::size_t pos, int digits, std::uint64_t& value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            int v = HexValue(static_cast<char32_t>(text[pos + static_cast<std::size_t>(i)]));
            if (v < 0)
                return false;
            value = value * 16 + static_cast<std::uint64_t>(v);
        }
        return true;
    };
    GUID guid{};
    std::uint64_t v = 0;
    if (!read(1, 8, v))
        return std::nullopt;
    guid.Data1 = static_cast<DWORD>(v);
    if (!read(10, 4, v))
        return std::nullopt;
    guid.Data2 = static_cast<WORD>(v);
    if (!read(15, 4, v))
        return std::nullopt;
    guid.Data3 = static_cast<WORD>(v);
    static constexpr std::size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!read(bytePos[i], 2, v))
            return std::nullopt;
        guid.Data4[i] = static_cast<BYTE>(v);
    }
    return guid;
}

std::u16string_view ViewOf(LPCOLESTR text)
{
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return {text, n};
}

} // namespace

std::optional<GUID> GuidFromString(std::string_view text) { return Parse(text); }
std::optional<GUID> GuidFromString(std::u16string_view text) { return Parse(text); }

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int bufferChars)
{
    if (buffer == nullptr || bufferChars < 39)
        return 0;
    std::string text = GuidToString(guid);
    for (std::size_t i = 0; i < text.size(); ++i)
        buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[text.size()] = 0;
    return 39;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    if (clsid == nullptr)
        return E_INVALIDARG;
    if (text == nullptr) {
        *clsid = CLSID_NULL;
        return NOERROR;
    }
    std::optional<GUID> parsed = Parse(ViewOf(text));
    if (!parsed)
        return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return NOERROR;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid)
{
    if (iid == nullptr)
        return E_INVALIDARG;
    if (text == nullptr) {
        *iid = IID_NULL;
        return S_OK;
    }
    std::optional<GUID> parsed = Parse(ViewOf(text));
    if (!parsed)
        return E_INVALIDARG;
    *iid = *parsed;
    return S_OK;
}
