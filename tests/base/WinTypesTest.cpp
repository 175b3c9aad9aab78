#include "platform/base/WinTypes.h"

#include <gtest/gtest.h>

// Packed structures and streams rely on the Windows sizes of these types.
static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(WCHAR) == 2 && sizeof(WPARAM) == sizeof(void*));

TEST(WinTypes, ColourBytesAndSignedCoordinates)
{
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(GetRValue(0x563412u), 0x12);
    EXPECT_EQ(GetBValue(0x563412u), 0x56);
    // Mouse coordinates left of or above a window arrive as negative 16-bit values.
    LPARAM lp = MAKELPARAM(static_cast<WORD>(-5), 7);
    EXPECT_EQ(GET_X_LPARAM(lp), -5);
    EXPECT_EQ(GET_Y_LPARAM(lp), 7);
}
