#include "platform/user/WinUser.h"

#include <gtest/gtest.h>

TEST(Accelerators, TablesMatchKeysCharactersAndAlt)
{
    const ACCEL entries[] = {
        {FVIRTKEY | FALT, 'M', 7},  // Alt+M as a key
        {FVIRTKEY, VK_F1, 8},       // F1 alone
        {0, 'x', 9},                // the character x
    };
    HACCEL table = CreateAcceleratorTableA(entries, 3);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 3);

    constexpr LPARAM altDown = 1 << 29;
    WORD cmd = 0;
    MSG altM{nullptr, WM_SYSKEYDOWN, 'M', altDown};
    EXPECT_TRUE(IsAccelerator(table, 3, &altM, &cmd));
    EXPECT_EQ(cmd, 7);
    MSG plainM{nullptr, WM_KEYDOWN, 'M', 0};
    EXPECT_FALSE(IsAccelerator(table, 3, &plainM, nullptr)); // Alt is part of the entry
    MSG f1{nullptr, WM_KEYDOWN, VK_F1, 0};
    EXPECT_TRUE(IsAccelerator(table, 3, &f1, &cmd));
    EXPECT_EQ(cmd, 8);
    EXPECT_FALSE(IsAccelerator(table, 1, &f1, nullptr)); // only the first entry counts
    MSG x{nullptr, WM_CHAR, 'x', 0};
    EXPECT_TRUE(IsAccelerator(table, 3, &x, &cmd));
    EXPECT_EQ(cmd, 9);
    MSG xAsKey{nullptr, WM_KEYDOWN, 'x', 0};
    EXPECT_FALSE(IsAccelerator(table, 3, &xAsKey, nullptr)); // a character entry needs a character
    MSG up{nullptr, WM_KEYUP, VK_F1, 0};
    EXPECT_FALSE(IsAccelerator(table, 3, &up, nullptr));

    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(IsAccelerator(table, 3, &f1, nullptr)); // a stale handle matches nothing
    EXPECT_EQ(CreateAcceleratorTableA(entries, 0), nullptr);
}
