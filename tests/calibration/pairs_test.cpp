// Self-calibration computations: the corrections of single pairs against an
// independent solver, the pair search and its limits, the histogram bins.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "calibration/pairs.hpp"
#include "calibration/report.hpp"
#include "pattern/pattern_helpers.hpp"
#include "support/fake_console.hpp"

using calibration::LinePairs;
using calibration::Mode;
using testing_support::StringSink;

namespace {

const double pi = 3.14159265358979323846;

// Root of f between lo and hi by bisection (f changes sign there).
double bisect(const std::function<double(double)>& f, double lo, double hi)
{
    double flo = f(lo);
    for (int k = 0; k < 200; ++k) {
        const double mid = 0.5 * (lo + hi);
        const double fm = f(mid);
        if ((fm < 0) == (flo < 0)) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

// The zero shift dz (degrees) with sin((2Th2 + dz)/2) = 2 sin((2Th1 + dz)/2).
double zero_shift_by_bisection(double t1, double t2)
{
    return bisect(
        [=](double dz) {
            return std::sin((t2 + dz) * pi / 360.0) - 2.0 * std::sin((t1 + dz) * pi / 360.0);
        },
        -5.0, 5.0);
}

// The ratio T with observed theta = true theta + T cos(true theta) for both
// lines and sin(true theta2) = 2 sin(true theta1).
double ratio_by_bisection(double t1, double t2)
{
    auto true_theta = [](double observed, double T) {
        return bisect([=](double th) { return th + T * std::cos(th) - observed; }, 0.0, pi / 2);
    };
    return bisect(
        [=](double T) {
            const double th2 = true_theta(t2 * pi / 360.0, T);
            const double th1 = std::asin(std::sin(th2) / 2.0);
            return t1 * pi / 360.0 - (th1 + T * std::cos(th1));
        },
        -0.05, 0.05);
}

// Lines with the given Q values, each with a usable stored angle.
void set_lines(dataset::Dataset& ds, std::initializer_list<double> qs)
{
    pattern_testing::set_q_pattern(ds, qs);
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.OT[i] = 2.0 * std::asin(ds.W0 * std::sqrt(ds.OQ[i]) / 200.0) * 180.0 / pi;
}

} // namespace

TEST(PairValues, AnExactSecondOrderNeedsNoCorrection)
{
    // sin(theta2) = 2 sin(theta1) exactly.
    const double t1 = 20.0;
    const double t2 = 2.0 * std::asin(2.0 * std::sin(t1 * pi / 360.0)) * 360.0 / (2.0 * pi);
    EXPECT_NEAR(calibration::zero_change(t1, t2), 0.0, 1e-7);
    EXPECT_NEAR(calibration::displacement_ratio(t1, t2), 0.0, 1e-10);
}

TEST(PairValues, ZeroChangeAgreesWithAnIndependentSolver)
{
    const double pairs[][2] = {{10.0, 20.3}, {20.0, 41.5}, {35.0, 73.0}, {60.0, 150.0}, {5.0, 9.9}};
    for (const auto& p : pairs)
        EXPECT_NEAR(calibration::zero_change(p[0], p[1]), zero_shift_by_bisection(p[0], p[1]), 2e-7)
            << p[0] << " & " << p[1];
}

TEST(PairValues, DisplacementRatioAgreesWithAnIndependentSolver)
{
    const double pairs[][2] = {{10.0, 20.3}, {20.0, 41.5}, {35.0, 72.3}, {44.0, 98.0}};
    for (const auto& p : pairs) {
        const double expected = ratio_by_bisection(p[0], p[1]);
        // The iteration stops at a relative change of 1e-5.
        EXPECT_NEAR(calibration::displacement_ratio(p[0], p[1]), expected, 3e-5 * std::fabs(expected))
            << p[0] << " & " << p[1];
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

TEST(PairSearch, SkipsLinesWithoutAnAngle)
{
    StringSink out;
    dataset::Dataset ds;
    set_lines(ds, {100.0, 400.0});
    ds.OT[2] = 0.0;
    EXPECT_EQ(calibration::find_pairs(ds, Mode::zero, 1.0, out).n, 0);
}

TEST(PairStatistics, MeanAndSampleEsd)
{
    LinePairs p;
    p.n = 1;
    p.value[1] = 0.25;
    EXPECT_EQ(calibration::mean_and_esd(p).mean, 0.25);
    EXPECT_EQ(calibration::mean_and_esd(p).esd, 0.0);
    p.n = 3;
    p.value = {0.0, 1.0, 2.0, 3.0};
    EXPECT_DOUBLE_EQ(calibration::mean_and_esd(p).mean, 2.0);
    EXPECT_DOUBLE_EQ(calibration::mean_and_esd(p).esd, 1.0);
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
