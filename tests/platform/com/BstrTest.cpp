#include "platform/com/Bstr.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Bstr, LengthsAndNull)
{
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(BstrToUtf8(nullptr), "");
    SysFreeString(nullptr); // must be harmless

    BSTR text = SysAllocString(u"Quellon");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 7u);
    EXPECT_EQ(SysStringByteLen(text), 14u);
    DWORD prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - 4, 4);
    EXPECT_EQ(prefix, 14u) << "byte length sits right before the characters";
    EXPECT_EQ(text[7], 0) << "terminated like a C string";
    SysFreeString(text);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr) << "an empty string is allocated, unlike a null one";
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST(Bstr, KeepsEmbeddedNullsAndOddByteLengths)
{
    const OLECHAR raw[] = {u'a', 0, u'b'};
    BSTR text = SysAllocStringLen(raw, 3);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(BstrView(text), std::u16string_view(raw, 3));
    SysFreeString(text);

    BSTR zeroed = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(SysStringLen(zeroed), 4u);
    SysFreeString(zeroed);

    BSTR bytes = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(bytes), 3u);
    EXPECT_EQ(SysStringLen(bytes), 1u);
    SysFreeString(bytes);
}

TEST(Bstr, ReallocationCopiesEvenFromItself)
{
    BSTR text = SysAllocString(u"abcdef");
    ASSERT_EQ(SysReAllocStringLen(&text, text + 2, 3), TRUE);
    EXPECT_EQ(BstrToUtf8(text), "cde");
    ASSERT_EQ(SysReAllocString(&text, u"xy"), TRUE);
    EXPECT_EQ(SysStringLen(text), 2u);
    SysFreeString(text);
    EXPECT_EQ(SysReAllocString(nullptr, u"x"), FALSE);
}

TEST(Bstr, Utf8RoundTripAndReplacement)
{
    const std::string text = "Erreur E/S \xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xAC"; // é and a clapper board (surrogate pair)
    BSTR wide = Utf8ToBstr(text);
    EXPECT_EQ(SysStringLen(wide), 17u);
    EXPECT_EQ(BstrToUtf8(wide), text);
    SysFreeString(wide);

    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xFF" "b")), "a\xEF\xBF\xBD" "b") << "invalid byte becomes U+FFFD";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xC0\xAF")), "\xEF\xBF\xBD\xEF\xBF\xBD") << "overlong form is refused";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xE2\x82")), "\xEF\xBF\xBD") << "truncated sequence";
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "lone surrogate";
}

TEST(Bstr, UniqueBstrOwnsOneString)
{
    UniqueBstr a("abc");
    EXPECT_EQ(a.Length(), 3u);
    UniqueBstr b = std::move(a);
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(b.ToUtf8(), "abc");
    *b.ReleaseAndGetAddressOf() = SysAllocString(u"new");
    EXPECT_EQ(b.ToUtf8(), "new");
    BSTR detached = b.Detach();
    EXPECT_EQ(b.Get(), nullptr);
    SysFreeString(detached);
}

} // namespace
