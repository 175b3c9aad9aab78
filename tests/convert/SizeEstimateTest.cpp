#include "convert/SizeEstimate.h"

#include <gtest/gtest.h>

namespace {
const TFormatSettings dot{"."};
}

TEST(SizeEstimate, LinesOfTheUsualSettings)
{
    EXPECT_EQ(SizeLine(8, 2, false, dot), "Infos : 42 Ko/files, total 42 Ko. Length : 0.92 sec.");
    EXPECT_EQ(SizeLine(8, 2, true, dot), "Infos : 42 Ko/files, total 84 Ko. Length : 1.85 sec.");
    EXPECT_EQ(SizeLine(1, 2, false, dot), "Infos : 5 Ko/files, total 5 Ko. Length : 0.12 sec.");
    EXPECT_EQ(SizeLine(40, 256, true, dot), "Infos : 210 Ko/files, total 53658 Ko. Length : 1.18E3 sec.");
    // A 0 typed and not yet left.
    EXPECT_EQ(SizeLine(0, 2, false, dot), "Infos : 0 Ko/files, total 0 Ko. Length : 0.00 sec.");
    // The file count only counts in multi-file mode.
    EXPECT_EQ(SizeLine(8, 200, false, dot), SizeLine(8, 2, false, dot));
}

TEST(SizeEstimate, LengthFollowsTheDecimalSeparatorAndRounding)
{
    EXPECT_EQ(SizeLine(16, 2, false, TFormatSettings{","}), "Infos : 84 Ko/files, total 84 Ko. Length : 1,85 sec.");
    // 26 x 333 frames last 1000 s, written in scientific form.
    EXPECT_EQ(SizeLine(26, 333, true, dot), "Infos : 136 Ko/files, total 45368 Ko. Length : 1E3 sec.");
    EXPECT_EQ(SizeLine(40, 200, true, dot), "Infos : 210 Ko/files, total 41920 Ko. Length : 924.00 sec.");
}
