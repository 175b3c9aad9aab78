#include "framework/Arithmetic.h"
#include "framework/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TFormatSettings Dot() { return TFormatSettings{"."}; }

TEST(NumberText, StrToIntAcceptsOnlyPlainDecimal)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-16"), -16);
    EXPECT_EQ(StrToInt("+999"), 999);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "+", " 1", "1 ", "1a", "0x10", "$10", "2147483648", "-2147483649",
                            "99999999999999999999", "1.0"}) {
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
        EXPECT_EQ(StrToIntDef(bad, 7), 7) << bad;
    }
    try {
        StrToInt("abc");
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find("'abc'"), std::string::npos);
    }
    EXPECT_EQ(IntToStr(-3), "-3");
    EXPECT_EQ(IntToStr(53658), "53658");
}

TEST(NumberText, FixedFormatOfTheSizeLine)
{
    struct Case {
        long double value;
        const char* text;
    } cases[] = {
        {8 / 8.658L, "0.92"},         {16 / 8.658L, "1.85"},     {1 / 8.658L, "0.12"},
        {0.0L, "0.00"},               {10240 / 8.658L, "1.18E3"}, {1000.0L, "1E3"},
        {999.6L, "1E3"},              {999.4L, "999.00"},        {12.345L, "12.30"},
        {0.004L, "0.00"},             {0.005L, "0.01"},          {99.95L, "100.00"},
        {1500.0L, "1.5E3"},           {123456.0L, "1.23E5"},     {-0.924L, "-0.92"},
        {-0.001L, "0.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, ffFixed, 3, 2, Dot()), c.text) << static_cast<double>(c.value);
}

TEST(NumberText, GeneralFormat)
{
    EXPECT_EQ(FloatToStrF(0.0L, ffGeneral, 15, 0, Dot()), "0");
    EXPECT_EQ(FloatToStrF(1182.7L, ffGeneral, 3, 0, Dot()), "1.18E3");
    EXPECT_EQ(FloatToStrF(1182.7L, ffGeneral, 3, 2, Dot()), "1.18E03");
    EXPECT_EQ(FloatToStrF(118.27L, ffGeneral, 3, 0, Dot()), "118");
    EXPECT_EQ(FloatToStrF(2.5L, ffGeneral, 15, 0, Dot()), "2.5");
    EXPECT_EQ(FloatToStrF(0.1L, ffGeneral, 15, 0, Dot()), "0.1");
    EXPECT_EQ(FloatToStrF(0.00001L, ffGeneral, 15, 0, Dot()), "0.00001");
    EXPECT_EQ(FloatToStrF(0.0000015L, ffGeneral, 15, 0, Dot()), "1.5E-6");
    EXPECT_EQ(FloatToStrF(1e20L, ffGeneral, 15, 0, Dot()), "1E20");
    EXPECT_EQ(FloatToStrF(-12.5L, ffGeneral, 2, 0, Dot()), "-13");
    EXPECT_EQ(FloatToStrF(9.99L, ffGeneral, 2, 0, Dot()), "10");
    EXPECT_EQ(FloatToStrF(std::numeric_limits<long double>::infinity(), ffGeneral, 15, 0, Dot()), "INF");
    EXPECT_EQ(FloatToStr(1.0L / 3), "0.333333333333333");
}

TEST(NumberText, DecimalSeparatorComesFromTheSettings)
{
    const TFormatSettings comma{","};
    EXPECT_EQ(FloatToStrF(16 / 8.658L, ffFixed, 3, 2, comma), "1,85");
    EXPECT_EQ(FloatToStrF(1182.7L, ffFixed, 3, 2, comma), "1,18E3");
    EXPECT_EQ(FloatToStrF(0.0L, ffFixed, 3, 2, comma), "0,00");
}

TEST(Arithmetic, RoundingAndIntegerDivision)
{
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(41.92), 42);
    EXPECT_EQ(Round(53657.6L), 53658);
    EXPECT_EQ(Trunc(-2.625), -2);
    EXPECT_EQ(Trunc(2.999), 2);
    EXPECT_THROW(Round(std::nan("")), EConvertError);
    EXPECT_THROW(Trunc(1e19), EConvertError);
    EXPECT_EQ(Div(-7, 2), -3);
    EXPECT_EQ(Mod(-7, 3), -1);
    EXPECT_EQ(Div<std::int64_t>(1000, 3), 333);
    EXPECT_EQ(Div(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(Mod(INT32_MIN, -1), 0);
    EXPECT_THROW(Div(1, 0), EDivByZero);
    EXPECT_EQ(ToWordBool(true), -1);
    EXPECT_EQ(ToWordBool(false), 0);
    EXPECT_TRUE(FromWordBool(1));
}

} // namespace
