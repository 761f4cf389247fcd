// Text helpers, guarded numeric functions, stamps and in-place cell editing.
#include <gtest/gtest.h>

#include <regex>

#include "console/utilities.hpp"
#include "support/fake_console.hpp"

namespace {

using testing_support::FakeConsole;

TEST(TextHelpers, CountsOutOfRange)
{
    EXPECT_EQ(console::blanks(-3), "");
    EXPECT_EQ(console::blanks(300).size(), 255u);
    EXPECT_EQ(console::left_part("abc", -1), "");
    EXPECT_EQ(console::left_part("abc", 5), "abc");
    EXPECT_EQ(console::right_part("abc", 9), "abc");
    EXPECT_EQ(console::right_part("abc", 2), "bc");
    EXPECT_EQ(console::trim_right("   "), "");
}

TEST(TextHelpers, PadToColumnFollowsTheCursor)
{
    FakeConsole fake;
    fake.con.put("abc");
    EXPECT_EQ(console::pad_to_column(fake.con, 10), std::string(6, ' '));
    EXPECT_EQ(console::pad_to_column(fake.con, 4), "");
    EXPECT_EQ(console::pad_to_column(fake.con, 2), "");
    fake.con.endl();
    EXPECT_EQ(console::pad_to_column(fake.con, 3), "  ");
}

TEST(Stamps, FixedForms)
{
    EXPECT_TRUE(std::regex_match(console::date_stamp(),
                                 std::regex("[0-3][0-9](Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|"
                                            "Oct|Nov|Dec)[0-9][0-9]")));
    EXPECT_TRUE(std::regex_match(console::time_stamp(),
                                 std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]")));
}

TEST(GuardedNumerics, SquareRootSignAndAngles)
{
    FakeConsole fake;
    EXPECT_DOUBLE_EQ(console::sqrtdbl(fake.con, 9.0), 3.0);
    EXPECT_EQ(fake.screen(), "");
    EXPECT_DOUBLE_EQ(console::sqrtdbl(fake.con, -4.0), 1.1);
    EXPECT_EQ(fake.screen(), "<sqrtdbl(-4.00000000000000E+0000) -ve arg: result set to +1.1>");

    EXPECT_EQ(console::sign(2.5), 1);
    EXPECT_EQ(console::sign(-1e-300), -1);
    EXPECT_EQ(console::sign(0.0), 0);
    EXPECT_DOUBLE_EQ(console::cosine_to_sine(0.6), 0.8);
    EXPECT_EQ(console::cosine_to_sine(1.0), 0.0);
    EXPECT_EQ(console::cosine_to_sine(-1.5), 0.0);

    EXPECT_EQ(console::angle_from_ratio(1, 0), 90.0);
    EXPECT_EQ(console::angle_from_ratio(1, 1e-60), 90.0);
    EXPECT_NEAR(console::angle_from_ratio(1, -1), 135.0, 1e-7);
    EXPECT_NEAR(console::angle_from_ratio(1, 1), 45.0, 1e-7);
    EXPECT_NEAR(console::angle_from_ratio(-1, 1), 135.0, 1e-7);
}

TEST(GuardedNumerics, IvalTakesIntegersAndEndsTheRunOnAnythingElse)
{
    FakeConsole fake;
    EXPECT_EQ(console::ival(fake.con, "42"), 42);
    EXPECT_EQ(console::ival(fake.con, "-7"), -7);
    EXPECT_EXIT(console::ival(fake.con, "4x"), ::testing::ExitedWithCode(0), "");
}

TEST(CellEditing, EditRealKeepsAlignment)
{
    FakeConsole fake("\n2.5\nx\n3\n");
    double v = 1.25;
    console::edit_real(fake.con, "a=", v, 8, 3);
    EXPECT_EQ(v, 1.25);
    EXPECT_EQ(fake.screen(), "a=   1.250");
    fake.backend.output.clear();
    console::edit_real(fake.con, "", v, 6, 3);
    EXPECT_EQ(v, 2.5);
    EXPECT_EQ(fake.screen(), "2.5   ");  // 6 - 3 blanks behind the reply
    fake.backend.output.clear();
    console::edit_real(fake.con, "b=", v, 6, 3);
    EXPECT_EQ(v, 3.0);
    EXPECT_EQ(fake.screen(), "b=x\nb=3     ");
}

TEST(CellEditing, EditRealShownUsesTheShortZero)
{
    FakeConsole fake("\n");
    double v = 0.0;
    console::edit_real_shown(fake.con, "", v, 7, 4, 2);
    EXPECT_EQ(fake.screen(), "  0    ");
}

TEST(CellEditing, EditAngleRefusesTheLimits)
{
    FakeConsole fake("180\n-180\n45\n");
    double v = 90.0;
    console::edit_angle(fake.con, "al=", v, 8, 3);
    EXPECT_EQ(v, 45.0);
    EXPECT_EQ(fake.screen(), "al=180\nal=-180\nal=45      ");

    FakeConsole kept("\n");
    v = 90.0;
    console::edit_angle(kept.con, "", v, 8, 3);
    EXPECT_EQ(kept.screen(), " 90     ");

    FakeConsole bad("\n100\n");
    v = 200.0;
    console::edit_angle(bad.con, "be=", v, 8, 3);
    EXPECT_EQ(v, 100.0);
    EXPECT_EQ(bad.screen(), "be=** Stored value of  200.000 is not a valid angle - please correct\n"
                            "be=100     ");
}

} // namespace
