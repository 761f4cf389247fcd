// WA on either basis, and RS with its name and title requests.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"

using pattern_testing::bragg_q;
using pattern_testing::replies;
using pattern_testing::set_two_theta_pattern;
using testing_support::FakeSession;

namespace {

const double pi = 3.14159265358979323846;

// d-spacing of a stored angle without the zero correction.
double uncorrected_d(double two_theta, double wavelength)
{
    return wavelength / (2.0 * std::sin(two_theta * pi / 360.0));
}

bool shows(const FakeSession& f, const std::string& text)
{
    return f.screen().find(text) != std::string::npos;
}

} // namespace

TEST(Wavelength, AngleBasisKeepsTheAnglesAndRecomputesQ)
{
    FakeSession f(replies({"1.2", "N"}));
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = 0.1;
    set_two_theta_pattern(ds, {10.0, 20.0});
    ds.Nobs = 3;  // a line typed as Q, without an angle
    ds.OT[3] = 0.0;
    ds.OQ[3] = 700.0;
    pattern::WA(f.s);
    EXPECT_EQ(ds.W0, 1.2);
    EXPECT_DOUBLE_EQ(ds.K, 1.2 * 1.2 / 40000.0);
    EXPECT_EQ(ds.Dflag, 1);
    EXPECT_EQ(ds.OT[1], 10.0);
    EXPECT_EQ(ds.OT[2], 20.0);
    EXPECT_NEAR(ds.OQ[1], bragg_q(10.1, 1.2), 1e-8 * ds.OQ[1]);
    EXPECT_NEAR(ds.OQ[2], bragg_q(20.1, 1.2), 1e-8 * ds.OQ[2]);
    EXPECT_EQ(ds.OQ[3], 700.0);
}

TEST(Wavelength, SpacingBasisKeepsUncorrectedSpacingsAndTheZero)
{
    FakeSession f(replies({"1.2", ""}));
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = 0.1;
    set_two_theta_pattern(ds, {10.0, 20.0, 35.0});
    ds.Dflag = 0;
    double before[4];
    for (int i = 1; i <= 3; ++i)
        before[i] = uncorrected_d(ds.OT[i], 1.5406);
    pattern::WA(f.s);
    EXPECT_EQ(ds.Z2Th, 0.1);
    EXPECT_EQ(ds.Dflag, 0);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(uncorrected_d(ds.OT[i], 1.2), before[i], 1e-7) << "line " << i;
        // The zero correction is applied again at the new angle.
        EXPECT_NEAR(ds.OQ[i], bragg_q(ds.OT[i] + 0.1, 1.2), 1e-8 * ds.OQ[i]);
    }
}

TEST(Wavelength, SpacingBeyondTheNewWavelengthLosesItsAngleButKeepsItsQ)
{
    FakeSession f(replies({"2.0", "N"}));
    dataset::Dataset& ds = f.s.ds;
    set_two_theta_pattern(ds, {10.0, 120.0});
    ds.Dflag = 0;
    const double q2 = ds.OQ[2];  // d = 0.89 A: 2.0 A cannot reach it
    pattern::WA(f.s);
    EXPECT_NEAR(uncorrected_d(ds.OT[1], 2.0), uncorrected_d(10.0, 1.5406), 1e-7);
    EXPECT_EQ(ds.OT[2], 0.0);
    EXPECT_EQ(ds.OQ[2], q2);
}

TEST(Rescale, FactorPointTwoRescalesAndRequestsTheNewName)
{
    FakeSession f(replies({"0.2", "", "*Q"}));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    set_two_theta_pattern(ds, {10.0});
    ds.Nobs = 2;
    ds.OT[2] = 0.0;
    ds.OQ[2] = 500.0;
    const double q1 = ds.OQ[1];
    pattern::RS(f.s);
    EXPECT_DOUBLE_EQ(ds.W0, 0.2 * 1.5406);
    EXPECT_DOUBLE_EQ(ds.K, ds.W0 * ds.W0 / 40000.0);
    EXPECT_NEAR(ds.OQ[1], 25.0 * q1, 1e-9 * ds.OQ[1]);
    EXPECT_EQ(ds.OT[1], 10.0);
    EXPECT_NEAR(ds.OQ[2], 12500.0, 1e-9);
    EXPECT_TRUE(shows(f, "List Observed Pattern"));
    EXPECT_TRUE(shows(f, "saved under a new default name with \"R5\"\n"
                         "appended and similarly the title line updated by appending \",RS=0.2\".\n"));
}

TEST(Rescale, RangeIsPointOneToTenInclusive)
{
    // The requests are cleared by the save dialogue; the screen names them.
    const char* requests = "saved under a new default name with \"%s\"\n"
                           "appended and similarly the title line updated by appending \"%s\".";
    auto request_text = [&](const char* name, const char* title) {
        char buf[256];
        std::snprintf(buf, sizeof buf, requests, name, title);
        return std::string(buf);
    };

    // Without observed lines the save dialogue asks first whether to go on: N.
    FakeSession f(replies({"10.01", "0.09", "10", "", "N"}));
    f.s.con.output_code = 0;
    pattern::RS(f.s);
    EXPECT_TRUE(shows(f, "10.01\n** not in range 0.1 to 10 **\n"));
    EXPECT_TRUE(shows(f, "0.09\n** not in range 0.1 to 10 **\n"));
    EXPECT_DOUBLE_EQ(f.s.ds.W0, 15.406);
    EXPECT_TRUE(shows(f, request_text("R0", ",RS=10.0")));

    FakeSession low(replies({"0.1", "", "N"}));
    low.s.con.output_code = 0;
    pattern::RS(low.s);
    EXPECT_TRUE(shows(low, request_text("R10", ",RS=0.1")));

    FakeSession one(replies({""}));
    pattern::RS(one.s);
    EXPECT_TRUE(shows(one, "default 1 = no change):   (no change)\n"));
    EXPECT_EQ(one.s.ds.W0, 1.5406);
    EXPECT_FALSE(shows(one, "Rescaling"));
}
