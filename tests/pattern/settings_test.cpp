// ZE and AB: the settings around the observed pattern.
#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"

using pattern_testing::bragg_q;
using pattern_testing::replies;
using pattern_testing::set_two_theta_pattern;
using testing_support::FakeSession;

namespace {

bool shows(const FakeSession& f, const std::string& text)
{
    return f.screen().find(text) != std::string::npos;
}

} // namespace

TEST(ZeroCorrection, IncorporationMovesTheZeroIntoTheAngles)
{
    FakeSession f(replies({"0.1", "Y", ""}));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    set_two_theta_pattern(ds, {10.0, 20.0});
    ds.Dflag = 0;
    ds.Nobs = 3;  // beyond the wavelength limit: no angle to correct
    ds.OT[3] = 0.0;
    ds.OQ[3] = 50000.0;
    pattern::ZE(f.s);
    EXPECT_EQ(ds.Z2Th, 0.0);
    EXPECT_EQ(ds.Dflag, 1);
    EXPECT_DOUBLE_EQ(ds.OT[1], 10.1);
    EXPECT_DOUBLE_EQ(ds.OT[2], 20.1);
    EXPECT_NEAR(ds.OQ[2], bragg_q(20.1, ds.W0), 1e-8 * ds.OQ[2]);
    EXPECT_EQ(ds.OT[3], 0.0);
    EXPECT_EQ(ds.OQ[3], 50000.0);
    EXPECT_TRUE(shows(f, "incorporated in the stored 2Theta values (leaving Z2Theta = 0)\n\n"
                         "Applying the transformation\n\nPress ENTER to continue "));
    EXPECT_TRUE(shows(f, "No zero correction applied\n"));
}

TEST(Absences, FlagsAreStoredByTheirFullName)
{
    // A bare "R" parses as code 8: it is kept as "R2", not as "R".
    FakeSession r(replies({"R"}));
    pattern::AB(r.s);
    EXPECT_EQ(r.s.ds.Abs, "R2");
    EXPECT_EQ(r.s.ds.abs_code, 8);

    // "1" is part of the list but names no lattice.
    FakeSession bad(replies({"1"}));
    pattern::AB(bad.s);
    EXPECT_TRUE(shows(bad, "  ** Undefined absences flag (1) **\n"));
    EXPECT_EQ(bad.s.ds.Abs, "P");
    EXPECT_EQ(bad.s.ds.abs_code, 1);
}
