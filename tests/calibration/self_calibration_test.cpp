// SC on patterns computed from a known cubic cell and then given a known zero
// error or specimen displacement: what is recovered, applied and restored.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "calibration/commands.hpp"
#include "calibration/settings.hpp"
#include "pattern/pattern_helpers.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using pattern_testing::replies;
using testing_support::FakeSession;

namespace {

const double pi = 3.14159265358979323846;
const double a_cubic = 5.0;
// h2 + k2 + l2 of the lines kept: pairs (1,4), (2,8), (3,12), (4,16).
const int squares[] = {1, 2, 3, 4, 5, 6, 8, 9, 11, 12, 16};

// True theta (radians) of a primitive cubic line by Bragg's law.
double true_theta(int n, double wavelength)
{
    return std::asin(wavelength * std::sqrt(double(n)) / (2.0 * a_cubic));
}

struct SelfCalibration : ::testing::Test {
    SelfCalibration() { calibration::settings() = calibration::CalibrationSettings{}; }

    // Observed theta = true theta + T cos(true theta) + zero_error / 2, with the
    // dataset's zero correction taken off the stored angles.
    static void observed_pattern(dataset::Dataset& ds, double zero_error, double T)
    {
        ds.Nobs = 0;
        for (int n : squares) {
            const double th = true_theta(n, ds.W0);
            ++ds.Nobs;
            ds.OT[ds.Nobs] = 2.0 * (th + T * std::cos(th)) * 180.0 / pi + zero_error - ds.Z2Th;
            ds.OQ[ds.Nobs] = pattern_testing::bragg_q(ds.OT[ds.Nobs] + ds.Z2Th, ds.W0);
        }
        ds.Dflag = 1;
    }

    static std::string run(FakeSession& f)
    {
        f.s.con.output_code = 0;
        calibration::self_calibrate(f.s);
        return f.screen();
    }
};

bool has(const std::string& screen, const std::string& text)
{
    return screen.find(text) != std::string::npos;
}

} // namespace

TEST_F(SelfCalibration, ZeroModeRecoversAKnownZeroError)
{
    // Z, max Q-difference 30, two pauses, mean, pause, no save.
    FakeSession f(replies({"Z", "30", "", "", "M", "", "N"}));
    observed_pattern(f.s.ds, -0.12, 0.0);
    const auto stored = f.s.ds.OT;
    const std::string screen = run(f);

    EXPECT_TRUE(has(screen, "(available line-pair numbers are from 1 to 4)?"));
    EXPECT_NEAR(f.s.ds.Z2Th, 0.12, 1e-6);
    EXPECT_EQ(f.s.ds.OT, stored);  // only the zero correction changes
    for (int i = 1; i <= f.s.ds.Nobs; ++i)
        EXPECT_NEAR(f.s.ds.OQ[i], 400.0 * squares[i - 1], 1e-4) << "line " << i;
    EXPECT_EQ(calibration::settings().note,
              "After self-calibration: Z (mean dZ2Th 0.12000, Z2Th now 0.12000)");
}

TEST_F(SelfCalibration, DisplacementModeRecoversAKnownRatio)
{
    FakeSession f(replies({"T", "15", "", "", "M", "N"}));
    observed_pattern(f.s.ds, 0.0, 0.0005);
    const std::string screen = run(f);

    EXPECT_TRUE(has(screen, "Mean and esd of listed T ratios = 0.0005000 +- 0.0000000 deg"));
    EXPECT_EQ(f.s.ds.Z2Th, 0.0);
    // The correction uses cos of the observed angle, the displacement cos of
    // the true one: the two differ by about T squared.
    for (int i = 1; i <= f.s.ds.Nobs; ++i)
        EXPECT_NEAR(f.s.ds.OT[i], 2.0 * true_theta(squares[i - 1], f.s.ds.W0) * 180.0 / pi, 2e-5)
            << "line " << i;
    EXPECT_EQ(calibration::settings().note,
              "After self-calibration: T (Z2Th=0, mean T = 0.0005000)");
}

TEST_F(SelfCalibration, OwnValueAndChosenPair)
{
    // The max Q-difference is kept from one SC to the next.
    FakeSession f(replies({"Z", "30", "", "", "S", "0.1", "", "N", "Z", "", "", "", "-1", "2", "", "N"}));
    observed_pattern(f.s.ds, -0.12, 0.0);
    run(f);
    EXPECT_EQ(f.s.ds.Z2Th, 0.1);
    f.s.ds.Z2Th = 0.0;
    const std::string screen = run(f);
    EXPECT_TRUE(has(screen, "  ** Only line-pairs 1 to 4 are available **\n"));
    EXPECT_NEAR(f.s.ds.Z2Th, 0.12, 1e-6);
    EXPECT_TRUE(has(calibration::settings().note, "Z (line-pair 2 [2&7] giving 0.12000"));
}

TEST_F(SelfCalibration, RemovedZeroComesBackUnlessReplaced)
{
    // Removed, then no change chosen.
    FakeSession f(replies({"T", "15", "Y", "", "", ""}));
    f.s.ds.Z2Th = 0.05;
    observed_pattern(f.s.ds, 0.0, 0.0005);
    const double q1 = f.s.ds.OQ[1];
    std::string screen = run(f);
    EXPECT_TRUE(has(screen, "No change\n"));
    EXPECT_EQ(f.s.ds.Z2Th, 0.05);
    EXPECT_NEAR(f.s.ds.OQ[1], q1, 1e-8 * q1);  // 114.591559 for 360/pi

    // Removed, and the input ends in the middle of the dialogue.
    FakeSession h(replies({"T", "15", "Y"}));
    h.s.ds.Z2Th = 0.05;
    observed_pattern(h.s.ds, 0.0, 0.0005);
    h.s.con.output_code = 0;
    EXPECT_THROW(calibration::self_calibrate(h.s), console::InputEnded);
    EXPECT_EQ(h.s.ds.Z2Th, 0.05);

    // Removed and replaced by T: stays removed when not restored.
    FakeSession k(replies({"T", "15", "Y", "", "", "1", "", "N"}));
    k.s.ds.Z2Th = 0.05;
    observed_pattern(k.s.ds, 0.0, 0.0005);
    screen = run(k);
    EXPECT_TRUE(has(screen, "Restore previous Z2Theta before proceeding (Y/N, default=N):  (No)"));
    EXPECT_EQ(k.s.ds.Z2Th, 0.0);
    EXPECT_TRUE(has(calibration::settings().note, "T (strip Z2Th, line-pair 1 [1&4] giving T = "));
}

TEST_F(SelfCalibration, ZeroCorrectionsBeyondWhatZeAllowsAreRefused)
{
    // The mean and pair 1 (both about +0.12) would take 44.95 past 45; an
    // own value of 50 is asked again.
    FakeSession f(replies({"Z", "30", "", "", "M", "1", "S", "50", "44.99", "", "N"}));
    f.s.ds.Z2Th = 44.95;
    observed_pattern(f.s.ds, -0.12, 0.0);
    const std::string screen = run(f);
    EXPECT_EQ(testing_support::count_of(screen, "** Z2Th would become 45.070"), 2) << screen;
    EXPECT_TRUE(has(screen, "(default: no change):  50\n"
                            "** Z2Th would become 50.00000 degrees, outside the range -45 to 45 **\n"
                            "Specified Z2Th correction to be used"));
    EXPECT_DOUBLE_EQ(f.s.ds.Z2Th, 44.99);
}

TEST_F(SelfCalibration, RatiosThatMoveALineOutOfRangeAreRefused)
{
    // T = 0.5 takes line 1 (about 17.7 degrees) below 0; 1e308 leaves no
    // angle at all. Then ENTER: nothing changes.
    FakeSession f(replies({"T", "15", "", "", "S", "0.5", "1e308", ""}));
    observed_pattern(f.s.ds, 0.0, 0.0005);
    const auto stored = f.s.ds.OT;
    const std::string screen = run(f);
    EXPECT_EQ(testing_support::count_of(screen, "would move line 1 to 2Theta = "), 2) << screen;
    EXPECT_TRUE(has(screen, "** T = 0.5000000 would move line 1 to 2Theta = -"));
    EXPECT_TRUE(has(screen, "No change\n"));
    EXPECT_EQ(f.s.ds.OT, stored);
}
