#include "convert/SizeEstimate.h"

#include <gtest/gtest.h>

TEST(SizeEstimate, LinesOfTheUsualSettings)
{
    EXPECT_EQ(SizeLine(8, 2, false, '.'), "Infos : 42 Ko/files, total 42 Ko. Length : 0.92 sec.");
    EXPECT_EQ(SizeLine(8, 2, true, '.'), "Infos : 42 Ko/files, total 84 Ko. Length : 1.85 sec.");
    EXPECT_EQ(SizeLine(1, 2, false, '.'), "Infos : 5 Ko/files, total 5 Ko. Length : 0.12 sec.");
    EXPECT_EQ(SizeLine(40, 256, true, '.'), "Infos : 210 Ko/files, total 53658 Ko. Length : 1.18E3 sec.");
    EXPECT_EQ(SizeLine(0, 2, false, '.'), "Infos : 0 Ko/files, total 0 Ko. Length : 0.00 sec.");
    // The file count only counts in multi-file mode.
    EXPECT_EQ(SizeLine(8, 200, false, '.'), SizeLine(8, 2, false, '.'));
}

TEST(SizeEstimate, LengthTextRounding)
{
    EXPECT_EQ(FormatLengthSeconds(1000.0L, '.'), "1E3");
    EXPECT_EQ(FormatLengthSeconds(1200.0L, '.'), "1.2E3");
    EXPECT_EQ(FormatLengthSeconds(999.6L, '.'), "1E3");    // rounds up into the next decade
    EXPECT_EQ(FormatLengthSeconds(999.4L, '.'), "999.00"); // three significant digits
    EXPECT_EQ(FormatLengthSeconds(12.345L, '.'), "12.30");
    EXPECT_EQ(FormatLengthSeconds(0.125L, '.'), "0.13");   // exactly half: up, not to even
    EXPECT_EQ(FormatLengthSeconds(0.004L, '.'), "0.00");
    EXPECT_EQ(FormatLengthSeconds(1.846L, ','), "1,85");
    EXPECT_EQ(FormatLengthSeconds(-0.577L, '.'), "-0.58"); // a negative typed value
}
