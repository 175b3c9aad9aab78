#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t PrefixBytes = sizeof(DWORD);

// Room for the prefix, the bytes and a two-byte terminator (a third byte keeps an odd byte
// length terminated as a wide string too).
BSTR AllocateBytes(std::size_t byteLength)
{
    if (byteLength > std::numeric_limits<DWORD>::max() - 16)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(PrefixBytes + byteLength + 3));
    if (block == nullptr)
        return nullptr;
    DWORD prefix = static_cast<DWORD>(byteLength);
    std::memcpy(block, &prefix, PrefixBytes);
    std::memset(block + PrefixBytes, 0, byteLength + 3);
    return reinterpret_cast<BSTR>(block + PrefixBytes);
}

std::size_t LengthOf(LPCOLESTR text)
{
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

BSTR SysAllocString(LPCOLESTR text)
{
    if (text == nullptr)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(LengthOf(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    BSTR result = AllocateBytes(static_cast<std::size_t>(length) * sizeof(OLECHAR));
    if (result != nullptr && text != nullptr)
        std::memcpy(result, text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
    return result;
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength)
{
    BSTR result = AllocateBytes(byteLength);
    if (result != nullptr && bytes != nullptr)
        std::memcpy(result, bytes, byteLength);
    return result;
}

INT SysReAllocString(BSTR* target, LPCOLESTR text)
{
    if (target == nullptr)
        return FALSE;
    return SysReAllocStringLen(target, text, text == nullptr ? 0 : static_cast<UINT>(LengthOf(text)));
}

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length)
{
    if (target == nullptr)
        return FALSE;
    // Allocate first: text may point into the old string.
    BSTR replacement = SysAllocStringLen(text, length);
    if (replacement == nullptr)
        return FALSE;
    SysFreeString(*target);
    *target = replacement;
    return TRUE;
}

void SysFreeString(BSTR text)
{
    if (text != nullptr)
        std::free(reinterpret_cast<unsigned char*>(text) - PrefixBytes);
}

UINT SysStringByteLen(BSTR text)
{
    if (text == nullptr)
        return 0;
    DWORD prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<unsigned char*>(text) - PrefixBytes, PrefixBytes);
    return prefix;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        std::size_t need = 0;
        char32_t minimum = 0;
        if (byte < 0x80) {
            cp = byte;
        } else if (byte >= 0xC2 && byte < 0xE0) {
            cp = byte & 0x1F, need = 1, minimum = 0x80;
        } else if (byte >= 0xE0 && byte < 0xF0) {
            cp = byte & 0x0F, need = 2, minimum = 0x800;
        } else if (byte >= 0xF0 && byte < 0xF5) {
            cp = byte & 0x07, need = 3, minimum = 0x10000;
        }
        std::size_t used = 1;
        if (byte >= 0x80) {
            if (need == 0) {
                cp = 0xFFFD;
            } else {
                bool ok = true;
                for (std::size_t k = 1; k <= need; ++k) {
                    if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                        ok = false;
                        break;
                    }
                    cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
                    ++used;
                }
                if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                    cp = 0xFFFD;
            }
        }
        i += used;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

BSTR Utf8ToBstr(std::string_view text)
{
    std::u16string wide = Utf8ToUtf16(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::u16string_view BstrView(BSTR text)
{
    if (text == nullptr)
        return {};
    return {text, SysStringLen(text)};
}

std::string BstrToUtf8(BSTR text) { return Utf16ToUtf8(BstrView(text)); }

UniqueBstr::UniqueBstr(std::string_view utf8) : text_(Utf8ToBstr(utf8)) {}

UniqueBstr UniqueBstr::TakeOver(BSTR text)
{
    UniqueBstr result;
    result.text_ = text;
    return result;
}

UniqueBstr::UniqueBstr(UniqueBstr&& other) noexcept : text_(other.Detach()) {}

UniqueBstr& UniqueBstr::operator=(UniqueBstr&& other) noexcept
{
    if (this != &other) {
        Reset();
        text_ = other.Detach();
    }
    return *this;
}

UniqueBstr::~UniqueBstr() { Reset(); }

BSTR* UniqueBstr::ReleaseAndGetAddressOf()
{
    Reset();
    return &text_;
}

BSTR UniqueBstr::Detach()
{
    BSTR text = text_;
    text_ = nullptr;
    return text;
}

void UniqueBstr::Reset()
{
    SysFreeString(text_);
    text_ = nullptr;
}
