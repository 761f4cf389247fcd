// Self-calibration computations: the corrections of constructed pairs, the
// pair search and its limits, the histogram bins.
#include <gtest/gtest.h>

#include <cmath>

#include "calibration/pairs.hpp"
#include "calibration/report.hpp"
#include "pattern/pattern_helpers.hpp"
#include "support/fake_console.hpp"

using calibration::LinePairs;
using calibration::Mode;
using testing_support::StringSink;

namespace {

const double pi = 3.14159265358979323846;
const double rad = pi / 180.0;

// Lines with the given Q values, each with a usable stored angle.
void set_lines(dataset::Dataset& ds, std::initializer_list<double> qs)
{
    pattern_testing::set_q_pattern(ds, qs);
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.OT[i] = 2.0 * std::asin(ds.W0 * std::sqrt(ds.OQ[i]) / 200.0) / rad;
}

} // namespace

// Pairs built from a true first order at 2Theta1 and its exact second order
// (sin theta2 = 2 sin theta1), then given a zero error or a displacement
// (observed theta = true theta + T cos(true theta)).
TEST(PairValues, RecoverConstructedCorrectionsUpToHighAngles)
{
    for (double true1 : {5.0, 20.0, 35.0, 58.0}) {  // second orders up to 151.6 degrees
        const double th1 = true1 / 2.0 * rad, th2 = std::asin(2.0 * std::sin(th1));
        EXPECT_NEAR(calibration::zero_change(true1, 2.0 * th2 / rad), 0.0, 1e-7);
        EXPECT_NEAR(calibration::displacement_ratio(true1, 2.0 * th2 / rad), 0.0, 1e-10);
        for (double zero_error : {-0.12, 0.3}) {
            const double z = calibration::zero_change(true1 + zero_error, 2.0 * th2 / rad + zero_error);
            EXPECT_NEAR(z, -zero_error, 1e-7) << true1;
        }
        for (double T : {0.0005, -0.002}) {
            const double t1 = 2.0 * (th1 + T * std::cos(th1)) / rad;
            const double t2 = 2.0 * (th2 + T * std::cos(th2)) / rad;
            // The iteration stops at a relative change of 1e-5.
            EXPECT_NEAR(calibration::displacement_ratio(t1, t2), T, 2e-5 * std::fabs(T)) << true1;
        }
    }
}

TEST(PairSearch, QualifiesOnTheQDifferenceInclusively)
{
    StringSink out;
    dataset::Dataset ds;
    set_lines(ds, {100.0, 390.0, 400.0, 410.0, 1600.0});
    LinePairs p = calibration::find_pairs(ds, Mode::zero, 0.0, out);
    ASSERT_EQ(p.n, 2);  // only exact second orders
    EXPECT_EQ(p.first[1], 1);
    EXPECT_EQ(p.second[1], 3);
    EXPECT_EQ(p.first[2], 3);
    EXPECT_EQ(p.second[2], 5);

    p = calibration::find_pairs(ds, Mode::zero, 10.0, out);
    ASSERT_EQ(p.n, 4);  // 390 and 410 lie exactly 10 from 400
    EXPECT_EQ(p.second[1], 2);
    EXPECT_EQ(p.second[3], 4);
    EXPECT_TRUE(out.text.empty());
}

TEST(PairSearch, KeepsTheFirst200PairsAndReportsEachFurtherOne)
{
    StringSink out;
    dataset::Dataset ds;
    set_lines(ds, {100.0, 100.0, 100.0});
    // 3 first orders x 67 second orders = 201 pairs.
    for (int k = 0; k < 67; ++k) {
        ++ds.Nobs;
        ds.OQ[ds.Nobs] = 400.0;
        ds.OT[ds.Nobs] = ds.OT[1] * 2.0;
    }
    const LinePairs p = calibration::find_pairs(ds, Mode::displacement, 0.5, out);
    EXPECT_EQ(p.n, 200);
    EXPECT_EQ(out.text, "** Line-pair storage limit (200) reached **\n");
    EXPECT_EQ(p.first[200], 3);
    EXPECT_EQ(p.second[200], 69);
}

TEST(PairStatistics, MeanAndSampleEsd)
{
    LinePairs p;
    p.value = {0.0, 1.0, 2.0, 3.0};
    p.n = 1;
    EXPECT_EQ(calibration::mean_and_esd(p).esd, 0.0);
    p.n = 3;
    EXPECT_DOUBLE_EQ(calibration::mean_and_esd(p).mean, 2.0);
    EXPECT_DOUBLE_EQ(calibration::mean_and_esd(p).esd, 1.0);  // over n - 1
}

TEST(Histogram, BinsAreHalfOpenAroundTheirCentres)
{
    LinePairs p;
    p.n = 4;
    p.value = {0.0, 0.0049, 0.0149, -0.005, 0.2};
    StringSink out;
    calibration::write_histogram(out, Mode::zero, p);
    // -0.005 lies on the lower edge of the bin of 0.00.
    EXPECT_NE(out.text.find("\n 0.01  002\n 0.00  001 003\n-0.01 \n"), std::string::npos);
    EXPECT_EQ(out.text.find("004"), std::string::npos);  // beyond the outermost bin

    p.value = {0.0, 0.000049, 0.000149, 0.0005, -0.001};
    out.text.clear();
    calibration::write_histogram(out, Mode::displacement, p);
    EXPECT_NE(out.text.find(" 0.0005  003\n"), std::string::npos);
    EXPECT_NE(out.text.find(" 0.0001  002\n 0.0000  001\n"), std::string::npos);
    EXPECT_NE(out.text.find("-0.0010  004\n"), std::string::npos);
}

TEST(DisplacementCorrection, TellsTheFirstLineItWouldMoveOutOfRange)
{
    // 10 degrees with T = 0.05: theta 5 deg goes to 2.15 deg; under a zero
    // correction of -8 the corrected theta of 1 deg would go below 0.
    dataset::Dataset ds;
    pattern_testing::set_q_pattern(ds, {100.0, 400.0, 900.0});
    ds.OT[2] = 10.0;
    ds.OT[3] = 170.0;  // line 1 has no angle and is passed over
    double angle = 0.0;
    EXPECT_EQ(calibration::line_moved_out(ds, 0.05, 0.0, angle), 0);
    EXPECT_EQ(calibration::line_moved_out(ds, 0.05, -8.0, angle), 2);
    EXPECT_NEAR(angle, 2.0 - 2.0 * 0.05 * std::cos(rad) / rad, 1e-9);
    // T = -1.2 lifts 170 degrees past 180; a T of 1e308 leaves no angle at all.
    EXPECT_EQ(calibration::line_moved_out(ds, -1.2, 0.0, angle), 3);
    EXPECT_EQ(calibration::line_moved_out(ds, 1e308, 0.0, angle), 2);
}
