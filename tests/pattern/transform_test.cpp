// TR and apply_transformation: the linear 2Theta transformation and its inverse.
#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"

using pattern_testing::bragg_q;
using pattern_testing::replies;
using testing_support::FakeSession;

namespace {

// 50 lines at angles whose products with 1.001 and 1/1.001 do not all round
// back to themselves.
void fill_pattern(dataset::Dataset& ds)
{
    ds.Nobs = 50;
    for (int i = 1; i <= ds.Nobs; ++i) {
        ds.OT[i] = 5.0 + 2.3456789 * i;
        ds.OQ[i] = bragg_q(ds.OT[i] + ds.Z2Th, ds.W0);
    }
}

} // namespace

TEST(Transformation, InverseRestoresEveryStoredAngleAndTheZeroExactly)
{
    // TR: k, Z, pause, F at the page pause; TR again: 0, pause, F.
    FakeSession f(replies({"1.001", "-0.02", "", "F", "0", "", "F"}));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = 0.1;
    ds.Dflag = 0;
    fill_pattern(ds);
    const auto original = ds.OT;

    // The round trip through floating point alone would not give these back.
    int inexact = 0;
    for (int i = 1; i <= ds.Nobs; ++i)
        if (original[i] * 1.001 * (1.0 / 1.001) != original[i])
            ++inexact;
    ASSERT_GT(inexact, 0);

    pattern::TR(f.s);
    EXPECT_EQ(ds.Dflag, 1);
    EXPECT_DOUBLE_EQ(ds.Z2Th, 0.08);
    for (int i = 1; i <= ds.Nobs; ++i) {
        EXPECT_DOUBLE_EQ(ds.OT[i], original[i] * 1.001);
        // 114.591559 for 360/pi limits the agreement to about 1e-9 relative.
        EXPECT_NEAR(ds.OQ[i], bragg_q(original[i] * 1.001 + 0.08, ds.W0), 1e-8 * ds.OQ[i]);
    }
    EXPECT_EQ(f.s.pattern.tr_k, 1.001);
    EXPECT_EQ(f.s.pattern.tr_z, -0.02);

    pattern::TR(f.s);
    EXPECT_NE(f.screen().find("Inverse transformation is:\n"
                              "          New 2Theta =  0.999001  * 2Theta +  0.020000\n"),
              std::string::npos);
    EXPECT_EQ(ds.Z2Th, 0.1);
    for (int i = 1; i <= ds.Nobs; ++i)
        EXPECT_EQ(ds.OT[i], original[i]) << "line " << i;
    EXPECT_DOUBLE_EQ(f.s.pattern.tr_k, 1.0 / 1.001);
    EXPECT_EQ(f.s.pattern.tr_z, 0.02);
}

TEST(Transformation, AnEditedPatternIsComputedNotRestoredByTheInverse)
{
    FakeSession f(replies({"1.01", "0.5", "", "0", ""}));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    ds.Nobs = 2;
    ds.OT[1] = 10.0;
    ds.OT[2] = 20.0;
    pattern::TR(f.s);
    EXPECT_DOUBLE_EQ(ds.OT[1], 10.1);
    EXPECT_DOUBLE_EQ(ds.Z2Th, 0.5);

    // The pattern changes before the inverse: it is computed from what is there.
    ds.OT[2] = 30.3;
    pattern::TR(f.s);
    EXPECT_DOUBLE_EQ(ds.OT[1], 10.0);
    EXPECT_DOUBLE_EQ(ds.OT[2], 30.0);
    EXPECT_DOUBLE_EQ(ds.Z2Th, 0.0);
}

TEST(Transformation, ZeroOrEnterAfterTheIdentityChangeNothing)
{
    FakeSession zero(replies({"0"}));
    zero.s.ds.Nobs = 1;
    zero.s.ds.OT[1] = 10.0;
    pattern::TR(zero.s);
    EXPECT_NE(zero.screen().find("(default: no change): 0 (= no change)\n"), std::string::npos);
    EXPECT_EQ(zero.s.ds.OT[1], 10.0);

    FakeSession enter(replies({"", ""}));
    enter.s.ds.Nobs = 1;
    enter.s.ds.OT[1] = 10.0;
    pattern::TR(enter.s);
    EXPECT_NE(enter.screen().find("Identity transformation applied (2Thetas unchanged)\n"),
              std::string::npos);
    EXPECT_EQ(enter.screen().find("List Observed Pattern"), std::string::npos);
    EXPECT_EQ(enter.s.ds.Dflag, 0);
}

TEST(Transformation, ApplyForcesTheAngleBasisAndLists)
{
    FakeSession f(replies({""}));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    ds.Nobs = 1;
    ds.OQ[1] = 400.0;   // typed as Q: no angle yet
    ds.OT[1] = 0.0;
    pattern::apply_transformation(f.s, 2.0, 0.25);
    EXPECT_EQ(ds.Dflag, 1);
    EXPECT_EQ(ds.Z2Th, 0.25);
    // The line without an angle keeps its Q and gets its angle from it.
    EXPECT_EQ(ds.OQ[1], 400.0);
    EXPECT_NEAR(bragg_q(ds.OT[1] + 0.25, ds.W0), 400.0, 1e-6);
    EXPECT_NE(f.screen().find("Applying the transformation\n\nPress ENTER to continue "),
              std::string::npos);
    EXPECT_NE(f.screen().find("List Observed Pattern"), std::string::npos);
    EXPECT_EQ(f.s.pattern.tr_k, 2.0);
    EXPECT_EQ(f.s.pattern.tr_z, 0.25);
}
