#include "convert/MovieFormat.h"

#include <gtest/gtest.h>

TEST(MovieFormat, NibbleOrderRunsAcrossRowEnds)
{
    TFrameBuffer frame{};
    frame[FrameBufferIndex(0, 0)] = 3;
    frame[FrameBufferIndex(1, 0)] = 12;
    frame[FrameBufferIndex(130, 0)] = 5;
    frame[FrameBufferIndex(0, 1)] = 9;
    frame[FrameBufferIndex(129, 1)] = 1;
    frame[FrameBufferIndex(130, 1)] = 2;
    frame[FrameBufferIndex(0, 2)] = 7;
    frame[FrameBufferIndex(129, 79)] = 14;
    frame[FrameBufferIndex(130, 79)] = 6;
    const TMovieFrame bytes = PackMovieFrame(frame);
    EXPECT_EQ(bytes[0], 0xC3);
    EXPECT_EQ(bytes[65], 0x95);   // (130, 0) low, (0, 1) high
    EXPECT_EQ(bytes[130], 0x21);  // (129, 1) low, (130, 1) high
    EXPECT_EQ(bytes[131], 0x07);  // even rows start on a byte boundary
    EXPECT_EQ(bytes[5239], 0x6E);
    EXPECT_EQ(UnpackMovieFrame(bytes), frame);
}

TEST(MovieFormat, UniformFrames)
{
    TFrameBuffer black;
    black.fill(15);
    for (auto b : PackMovieFrame(black))
        ASSERT_EQ(b, 0xFF);
    for (auto b : PackMovieFrame(TFrameBuffer{}))
        ASSERT_EQ(b, 0x00);
}

TEST(MovieFormat, NumberedNamesGoBeforeTheLastDot)
{
    EXPECT_EQ(NumberedMovieFileName("/out/clip.kql", 1), "/out/clip1.kql");
    EXPECT_EQ(NumberedMovieFileName("/out/my.dir/clip.kql", 3), "/out/my.dir/clip3.kql");
    EXPECT_EQ(NumberedMovieFileName("/out/clip.v2.kql", 256), "/out/clip.v2256.kql");
    EXPECT_EQ(NumberedMovieFileName("/out/clip", 12), "/out/clip12");
}
