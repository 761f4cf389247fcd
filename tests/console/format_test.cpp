// Number formatting: the w:d rule, the default floating format, the
// ten-character field and the short forms of special values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "console/format.hpp"
#include "console/utilities.hpp"
#include "support/fake_console.hpp"

namespace {

using console::real_text;
using testing_support::FakeConsole;
using testing_support::StringSink;

TEST(RealText, WidthAndDecimals)
{
    EXPECT_EQ(real_text(1.5406, 8, 4), "  1.5406");
    EXPECT_EQ(real_text(-1.5, 6, 2), " -1.50");
    EXPECT_EQ(real_text(0.0, 5, 3), "0.000");
    // A value wider than the field is never cut.
    EXPECT_EQ(real_text(12345.678, 3, 1), "12345.7");
    EXPECT_EQ(real_text(-98765.4321, 0, 2), "-98765.43");
    // No decimals: rounded, no point.
    EXPECT_EQ(real_text(123.456, 6, 0), "   123");
    EXPECT_EQ(real_text(-7.6, 3, 0), " -8");
}

TEST(RealText, ExactTiesRoundAwayFromZero)
{
    EXPECT_EQ(real_text(0.125, 5, 2), " 0.13");
    EXPECT_EQ(real_text(-0.375, 5, 2), "-0.38");
    EXPECT_EQ(real_text(2.5, 1, 0), "3");
    EXPECT_EQ(real_text(-2.5, 1, 0), "-3");
    EXPECT_EQ(real_text(0.5, 1, 0), "1");
    // 1.005 is stored a little below the tie, so it rounds down.
    EXPECT_EQ(real_text(1.005, 4, 2), "1.00");
    EXPECT_EQ(real_text(2.675, 4, 2), "2.67");
}

TEST(IntText, RightAlignedNeverCut)
{
    EXPECT_EQ(console::int_text(42, 5), "   42");
    EXPECT_EQ(console::int_text(-42, 5), "  -42");
    EXPECT_EQ(console::int_text(123456, 3), "123456");
    EXPECT_EQ(console::int_text(0, 0), "0");
}

TEST(DefaultRealText, SignDigitsAndFourDigitExponent)
{
    EXPECT_EQ(console::default_real_text(1.5), " 1.50000000000000E+0000");
    EXPECT_EQ(console::default_real_text(-4), "-4.00000000000000E+0000");
    EXPECT_EQ(console::default_real_text(3e10), " 3.00000000000000E+0010");
    EXPECT_EQ(console::default_real_text(1e-300), " 1.00000000000000E-0300");
    EXPECT_EQ(console::default_real_text(0), " 0.00000000000000E+0000");
}

class String10 : public ::testing::Test {
protected:
    std::string s10(double x) { return console::string10(fake.con, x); }
    FakeConsole fake;
};

TEST_F(String10, DecimalsFollowTheIntegerDigits)
{
    EXPECT_EQ(s10(1.5), " 1.5000000");
    EXPECT_EQ(s10(123.25), " 123.25000");
    EXPECT_EQ(s10(-2.5), "-2.5000000");
    EXPECT_EQ(s10(0.0), " 0.0000000");
    EXPECT_EQ(s10(0.00123456789), " 0.0012346");
    EXPECT_EQ(s10(-123.25), "-123.25000");
    EXPECT_EQ(s10(12345678.4), "  12345678");
    EXPECT_EQ(s10(123456789), " 123456789");
    EXPECT_EQ(s10(-123456789), "-123456789");
    // Rounding up into a new digit still fits ten characters.
    EXPECT_EQ(s10(9.99999999), "10.0000000");
    EXPECT_EQ(fake.screen(), "");
}

TEST_F(String10, TooManyDigitsGiveTheCapAndAWarning)
{
    EXPECT_EQ(s10(1234567890), " 999999999");
    EXPECT_EQ(fake.screen(), "** string10 warning: intplaces>9 (10), (x= 1.23456789000000E+0009, "
                             "used \" 999999999\") **\n");
    EXPECT_EQ(s10(-1234567890), " 999999999");
}

TEST_F(String10, BeyondTenTimesTheLargestIntegerIsCappedAtOnce)
{
    EXPECT_EQ(s10(3e10), " 999999999");
    EXPECT_EQ(fake.screen(), "** string10 warning: trunc(x/10) > max_longint (x= "
                             "3.00000000000000E+0010, used \" 999999999\") **\n");
    // Just at the limit the digit count decides.
    EXPECT_EQ(s10(21474836479.0), " 999999999");
    EXPECT_NE(fake.screen().find("intplaces>9 (11)"), std::string::npos);
}

TEST_F(String10, OverlongTextIsCutWithAWarning)
{
    EXPECT_EQ(s10(-9.99999999), "-10.000000");
    EXPECT_EQ(fake.screen(),
              "** string10 warning: str10 not 10 chars (11 chars), used \"-10.000000\" **\n");
}

TEST_F(String10, ValuesWithoutDigitsDoNotHang)
{
    EXPECT_EQ(s10(std::numeric_limits<double>::quiet_NaN()), " 999999999");
    EXPECT_EQ(s10(-std::numeric_limits<double>::infinity()), " 999999999");
    EXPECT_EQ(s10(std::numeric_limits<double>::infinity()), " 999999999");
    EXPECT_EQ(s10(-1e300), " 999999999");
}

std::string shown(void (*show)(console::Sink&, double, int, int, int), double x, int w, int d,
                  int k)
{
    StringSink out;
    show(out, x, w, d, k);
    return out.text;
}

TEST(ShowSpecialValues, ExactValuesTakeTheShortForm)
{
    EXPECT_EQ(shown(console::show_angle, 90.0, 8, 3, 1), " 90     ");
    EXPECT_EQ(shown(console::show_angle, 90.0001, 8, 3, 1), "  90.000");
    EXPECT_EQ(shown(console::show_angle, 90.0, 3, 3, 1), " 90");
    EXPECT_EQ(shown(console::show_angle, 90.0, 2, 3, 1), " 90");  // no negative padding
    EXPECT_EQ(shown(console::show_zero, 0.0, 6, 2, 2), "  0   ");
    EXPECT_EQ(shown(console::show_zero, 1e-9, 8, 4, 2), "  0.0000");
    EXPECT_EQ(shown(console::show_zero, 0.0, 1, 2, 0), "0");
    EXPECT_EQ(shown(console::show_zero_one, 0.0, 8, 5, 2), "  0.0   ");
    EXPECT_EQ(shown(console::show_zero_one, 1.0, 8, 5, 2), "  1.0   ");
    EXPECT_EQ(shown(console::show_zero_one, 1.0, 4, 5, 1), " 1.0");
    EXPECT_EQ(shown(console::show_zero_one, 0.5, 8, 5, 2), " 0.50000");
    EXPECT_EQ(shown(console::show_zero_one, -1.0, 8, 5, 2), "-1.00000");
}

TEST(ShowSpecialValues, ZeroGoesToTheScreenOrTheFileByDevice)
{
    FakeConsole fake;
    StringSink file;
    console::show_zero_device(fake.con, file, 0.0, 4, 1, 1);
    EXPECT_EQ(fake.screen(), " 0  ");
    EXPECT_EQ(file.text, "");
    fake.con.device = "F";
    console::show_zero_device(fake.con, file, 2.0, 4, 1, 1);
    EXPECT_EQ(file.text, " 2.0");
    EXPECT_EQ(fake.screen(), " 0  ");
}

} // namespace
