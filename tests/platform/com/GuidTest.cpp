#include "platform/com/Guid.h"
#include "platform/com/OleControls.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

// The media player control's class id, as the registry writes it.
constexpr GUID PlayerClass = {0x22D6F312, 0xB0F6, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95}};

TEST(Guid, PrintsTheRegistryFormInUpperCase)
{
    EXPECT_EQ(GuidToString(PlayerClass), "{22D6F312-B0F6-11D0-94AB-0080C74C7E95}");
    EXPECT_EQ(GuidToString(IID_IOleObject), "{00000112-0000-0000-C000-000000000046}");
    EXPECT_EQ(GuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(Guid, ParsesWhatItPrintsInEitherCase)
{
    for (const GUID& g : {PlayerClass, IID_IPersistStreamInit, IID_IOleControl, IID_IPerPropertyBrowsing, GUID_NULL}) {
        std::optional<GUID> back = GuidFromString(GuidToString(g));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, g);
    }
    std::optional<GUID> lower = GuidFromString("{22d6f312-b0f6-11d0-94ab-0080c74c7e95}");
    ASSERT_TRUE(lower.has_value());
    EXPECT_EQ(*lower, PlayerClass);
    std::optional<GUID> wide = GuidFromString(std::u16string_view(u"{22D6F312-B0F6-11D0-94AB-0080C74C7E95}"));
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide, PlayerClass);
}

TEST(Guid, RejectsMalformedText)
{
    const char* bad[] = {
        "",
        "22D6F312-B0F6-11D0-94AB-0080C74C7E95",     // no braces
        "{22D6F312-B0F6-11D0-94AB-0080C74C7E95",    // no closing brace
        "{22D6F312-B0F6-11D0-94AB-0080C74C7E9}",    // short
        "{22D6F312-B0F6-11D0-94AB-0080C74C7E955}",  // long
        "{22D6F312-B0F6-11D0-94AB_0080C74C7E95}",   // wrong separator
        "{22D6F31G-B0F6-11D0-94AB-0080C74C7E95}",   // not hex
        " {22D6F312-B0F6-11D0-94AB-0080C74C7E95}",  // leading space
        "{22D6F312B0F6-11D0-94AB-0080C74C7E95-}",   // separators moved
        "{+2D6F312-B0F6-11D0-94AB-0080C74C7E95}",   // sign inside a field
    };
    for (const char* text : bad)
        EXPECT_FALSE(GuidFromString(text).has_value()) << text;
}

TEST(Guid, WindowsStringFunctions)
{
    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(PlayerClass, buffer, 38), 0); // no room for the terminator
    EXPECT_EQ(StringFromGUID2(PlayerClass, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{22D6F312-B0F6-11D0-94AB-0080C74C7E95}");

    CLSID clsid = IID_IUnknown;
    EXPECT_EQ(CLSIDFromString(buffer, &clsid), S_OK);
    EXPECT_EQ(clsid, PlayerClass);
    clsid = IID_IUnknown;
    EXPECT_EQ(CLSIDFromString(u"{nonsense}", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, IID_IUnknown) << "output must stay unchanged on failure";
    IID iid = IID_IUnknown;
    EXPECT_EQ(IIDFromString(u"x", &iid), E_INVALIDARG);
    EXPECT_EQ(iid, IID_IUnknown);
}

TEST(Guid, ComparesAndHashesByValue)
{
    GUID a = PlayerClass;
    GUID b = PlayerClass;
    b.Data4[7] ^= 1;
    EXPECT_TRUE(a == PlayerClass);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE((a < b) != (b < a));
    std::unordered_set<GUID> set{a, b, PlayerClass};
    EXPECT_EQ(set.size(), 2u);
}

} // namespace
