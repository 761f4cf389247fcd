// The ab initio scans: steps, ranges and the peak rule; duplicates and zone
// conversions checked against independent computations; and whole scans over
// patterns computed with Bragg's law from known cells, which must find the
// cell's row, its rectangular zone, a centred zone and a known zero error.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/peak_search.hpp"
#include "rivi/trial.hpp"
#include "rivi/scan_patterns.hpp"
#include "support/fake_console.hpp"

namespace {

using rivi::PeakList;
using rivi::Q6;
using rivi::ScanKind;
using rivi::ScanSettings;
using testing_support::agbeh_q001;
using testing_support::constants_of;
using testing_support::FakeSession;
using testing_support::pattern_from;
using testing_support::silver_behenate;
using testing_support::sucrose;

ScanSettings express(ScanKind kind, char mchar, double threshold, int nobsused)
{
    ScanSettings ss;
    ss.kind = kind;
    ss.mchar = mchar;
    ss.threshold = threshold;
    ss.nobsused = nobsused;
    return ss;
}

// A scan of two parameters over the given ranges.
ScanSettings zone(ScanKind kind, double threshold, int nobsused, double min1, double max1,
                  double min2, double max2, double step2)
{
    ScanSettings ss = express(kind, 'I', threshold, nobsused);
    ss.min1 = min1;
    ss.max1 = max1;
    ss.min2 = min2;
    ss.max2 = max2;
    ss.step2 = step2;
    return ss;
}

// Replies to every page pause of the tables.
std::string pauses() { return std::string(200, '\n'); }

const rivi::MapPeak& best_peak(const control::Session& s) { return s.maps.results.list.peaks[1]; }

// ---- steps, axes and ranges ----

TEST(AbinitioSteps, DynamicStepsRunFromTheSmallestToTheLargest)
{
    EXPECT_EQ(rivi::dynamic_step(25.0, rivi::q_steps), 0.1);   // 0.05 held at 0.1
    EXPECT_DOUBLE_EQ(rivi::dynamic_step(250.0, rivi::q_steps), 0.5);
    EXPECT_DOUBLE_EQ(rivi::dynamic_step(500.0, rivi::q_steps), 1.0);
    EXPECT_EQ(rivi::dynamic_step(900.0, rivi::q_steps), 1.0);
    EXPECT_EQ(rivi::dynamic_step(-3.0, rivi::z2th_steps), 0.01);

    rivi::ScanAxis a;
    rivi::dynamic_axis(a, 25.0, 500.0, rivi::q_steps);
    ASSERT_GT(a.n, 2);
    EXPECT_FALSE(a.cut);
    EXPECT_EQ(a.v[1], 25.0);
    EXPECT_NEAR(a.v[2] - a.v[1], 0.1, 1e-12);
    EXPECT_LT(a.v[a.n], 500.0);
    // The last steps approach the 1.0 limit, which is reached at 500.
    EXPECT_NEAR(a.v[a.n] - a.v[a.n - 1], 1.0, 0.003);
    for (int i = 2; i <= a.n; ++i)
        ASSERT_NEAR(a.v[i] - a.v[i - 1], rivi::dynamic_step(a.v[i - 1], rivi::q_steps), 1e-9);
}

TEST(AbinitioSteps, FixedAxesKeepTheirEndAndTheLimit)
{
    rivi::ScanAxis a;
    rivi::fixed_axis(a, 84.9, 184.9, 10.0);
    ASSERT_EQ(a.n, 11);
    EXPECT_NEAR(a.v[11], 184.9, 1e-9);
    rivi::fixed_axis(a, 0.1, -0.1, -0.005);  // downwards
    EXPECT_EQ(a.n, 41);
    EXPECT_NEAR(a.v[41], -0.1, 1e-12);
    rivi::fixed_axis(a, 10.0, 9.0, 0.2);  // nothing between
    EXPECT_EQ(a.n, 0);
    rivi::fixed_axis(a, 0.0, 2000.0, 0.2);
    EXPECT_TRUE(a.cut);
    ASSERT_EQ(a.n, rivi::max_scan_steps);
    EXPECT_NEAR(a.v[a.n], 4999 * 0.2, 1e-9);
    rivi::dynamic_axis(a, 100.0, 1.0e6, rivi::q_steps);
    EXPECT_TRUE(a.cut);
    EXPECT_EQ(a.n, rivi::max_scan_steps);
}

TEST(AbinitioSteps, DefaultRangesHaveTheirFloors)
{
    // First line at 40 QU.: INT(20) - 5 = 15 is raised to 25.
    EXPECT_EQ(rivi::row_scan_range(40.0, 800.0).min, 25.0);
    EXPECT_EQ(rivi::row_scan_range(40.0, 800.0).max, 500.0);
    EXPECT_EQ(rivi::row_scan_range(301.7, 3000.9).min, 145.0);
    EXPECT_EQ(rivi::row_scan_range(301.7, 3000.9).max, 800.0);
    EXPECT_EQ(rivi::z2th_scan_range(301.7, 3000.9).max, 1000.0);
    EXPECT_EQ(rivi::gamma_scan_range(40.0, 800.0).min, 16.0);
    EXPECT_EQ(rivi::gamma_scan_range(301.7, 6000.0).min, 70.0);
    EXPECT_EQ(rivi::gamma_scan_range(301.7, 6000.0).max, 1550.0);
    EXPECT_EQ(rivi::qb_scan_range(301.7, 800.0).max, 500.0);
    EXPECT_EQ(rivi::side_of(16.0), 25.0);
    EXPECT_EQ(rivi::side_of(1000.0), 3.16);
}

// ---- the peak rule ----

TEST(AbinitioPeakRule, ARisingThenFallingLineEntersItsTopAndEverySecondPoint)
{
    PeakList list;
    rivi::RunningPeak rule(1.5);
    const double values[] = {1.0, 2.0, 3.0, 9.0, 8.0, 7.0, 6.0, 5.0, 1.0, 1.6, 1.7};
    for (int i = 0; i < 11; ++i)
        rule.feed(list, i, 0.0, values[i]);
    // 9 on the turn, then 7 and 5 on the falling slope; the candidate 1.7
    // still rising at the end is not entered.
    ASSERT_EQ(list.n, 3);
    EXPECT_EQ(list.peaks[1].raw, 9.0);
    EXPECT_EQ(list.peaks[1].x, 3.0);
    EXPECT_EQ(list.peaks[2].raw, 7.0);
    EXPECT_EQ(list.peaks[3].raw, 5.0);
    // Nothing above the threshold enters nothing; an equal value ends a candidate.
    PeakList none;
    rivi::RunningPeak low(1.5);
    for (double v : {1.0, 1.5, 1.2})
        low.feed(none, 0.0, 0.0, v);
    EXPECT_EQ(none.n, 0);
    rivi::RunningPeak flat(1.5);
    for (double v : {4.0, 4.0, 4.0})
        flat.feed(none, 0.0, 0.0, v);
    EXPECT_EQ(none.n, 1);
}

TEST(AbinitioPeakRule, AFullListDropsItsSmallestForAnyNewcomer)
{
    PeakList list;
    for (int i = 1; i <= dataset::max_peaks; ++i)
        rivi::add_scan_peak(list, i, 0.0, i == 7 || i == 9 ? 0.5 : 10.0 + i);
    EXPECT_TRUE(list.full);
    rivi::add_scan_peak(list, 500.0, 0.0, 0.1);  // smaller than everything held
    ASSERT_EQ(list.n, dataset::max_peaks);
    EXPECT_EQ(list.peaks[dataset::max_peaks].x, 500.0);
    // The first of the two smallest went, the peaks after it moved up.
    EXPECT_EQ(list.peaks[7].x, 8.0);
    EXPECT_EQ(list.peaks[8].x, 9.0);
}

// ---- duplicates and zones ----

TEST(AbinitioDuplicates, RectangularZonesMatchCrosswise)
{
    const rivi::MapPeak a{100.0, 150.0, 6.0, 8.0}, b{150.01, 100.01, 5.0, 8.01};
    EXPECT_FALSE(rivi::close_peaks(a, b, {0.02, 0.02, false}));
    EXPECT_TRUE(rivi::close_peaks(a, b, {0.02, 0.02, true}));
    EXPECT_FALSE(rivi::close_peaks(a, rivi::MapPeak{150.01, 100.03, 5.0, 8.0}, {0.02, 0.02, true}));
    EXPECT_FALSE(rivi::close_peaks(a, rivi::MapPeak{150.0, 100.0, 5.0, 8.03}, {0.02, 0.02, true}));

    PeakList list;
    list.n = 3;
    list.peaks[1] = a;
    list.peaks[2] = rivi::MapPeak{120.0, 130.0, 7.0, 7.5};
    list.peaks[3] = b;
    list.oldseq = {0, 2, 3, 1};
    EXPECT_EQ(rivi::merge_close_peaks(list, {0.02, 0.02, true}), 1);
    ASSERT_EQ(list.n, 2);
    // The better raw rank of the pair survives in the first one's place.
    EXPECT_EQ(list.peaks[1].x, 150.01);
    EXPECT_EQ(list.oldseq[1], 1);
    EXPECT_EQ(list.peaks[2].x, 120.0);
}

TEST(AbinitioDuplicates, SalientZonesMergeWithinTheSeparation)
{
    PeakList list;
    list.n = 4;
    list.peaks[1] = rivi::MapPeak{50.0, 80.0, 3.0, 900.0};
    list.peaks[2] = rivi::MapPeak{51.9, 78.1, 9.0, 1.0};   // close: merged whatever its value
    list.peaks[3] = rivi::MapPeak{54.5, 80.0, 2.0, 2.0};   // 2.6 away in x
    list.peaks[4] = rivi::MapPeak{50.0, 80.0, 1.0, 1.0};   // close to the merged first
    list.oldseq = {0, 2, 1, 3, 4};
    EXPECT_EQ(rivi::select_zone_peaks(list, 2.0), 2);
    ASSERT_EQ(list.n, 2);
    EXPECT_EQ(list.peaks[1].x, 51.9);
    EXPECT_EQ(list.oldseq[1], 1);
    EXPECT_EQ(list.peaks[2].x, 54.5);
}

TEST(AbinitioZones, RhombicZoneAnglesAndTheirCentredRectangles)
{
    EXPECT_EQ(rivi::cross_constant(150.0, 90.0), 0.0);
    double gamma = 0.0;
    ASSERT_TRUE(rivi::zone_angle(150.0, rivi::cross_constant(150.0, 61.5), gamma));
    EXPECT_NEAR(gamma, 61.5, 1e-9);
    EXPECT_FALSE(rivi::zone_angle(150.0, 300.5, gamma));

    // A C-centred rectangular zone of Q(A)' = 123.4568, Q(B)' = 44.4444
    // has the primitive rhombic zone of (1,1) and (1,-1): X = Q(A)' + Q(B)',
    // cos gamma* = (Q(A)' - Q(B)') / X; either angle gives the rectangle back.
    const double qa = 10000.0 / 81.0, qb = 10000.0 / 225.0;
    const double x = qa + qb, c = (qa - qb) / x;
    for (double qf : {2.0 * x * c, -2.0 * x * c}) {
        double qa2 = 0.0, qb2 = 0.0;
        rivi::centred_rectangular(x, qf, qa2, qb2);
        EXPECT_NEAR(qa2, qb, 1e-9);
        EXPECT_NEAR(qb2, qa, 1e-9);
    }
    double half_a = 0.0, half_b = 0.0;
    rivi::centred_rectangular(100.0, 0.0, half_a, half_b);  // a square: theta = 45 deg
    EXPECT_NEAR(half_a, 50.0, 1e-12);
    EXPECT_NEAR(half_b, 50.0, 1e-12);
}

TEST(AbinitioPredictors, FirstOrderStepsAgreeWithBraggsLaw)
{
    const double K = 1.54056 * 1.54056 / 40000.0;
    auto q_at = [K](double two_theta) {
        const double s = std::sin(two_theta / 2.0 / console::deg_per_rad);
        return s * s / K;
    };
    for (double q : {100.0, 200.0, 1500.0}) {
        const double tth = 2.0 * std::asin(std::sqrt(q * K)) * console::deg_per_rad;
        const double difference = q_at(tth + 0.05) - q_at(tth - 0.05);
        EXPECT_NEAR(rivi::dQ_from_d2T(q, K, 0.1), difference, 1e-4 * difference) << q;
    }
    EXPECT_DOUBLE_EQ(rivi::dQA_from_d2T(100.0, 200.0, K, 0.1),
                     rivi::dQ_from_d2T(200.0, K, 0.1) / 2.0);
}

// ---- evaluation ----

TEST(AbinitioTrials, ARowOfTrialsScoresAsSingleTrials)
{
    FakeSession f;
    ASSERT_TRUE(pattern_from(f.s.ds, sucrose(), 30));
    ScanSettings ss = express(ScanKind::rect, 'P', 1.0, 30);
    rivi::ScanSetup setup(f.s, ss);
    rivi::ScanTrials trials(f.s, ss);
    std::vector<double> xs, ys;
    for (int i = 0; i < 300; ++i) {  // more than one chunk
        xs.push_back(89.0);
        ys.push_back(120.0 + 0.1 * i);
    }
    std::vector<double> values(xs.size());
    trials.run(xs.data(), ys.data(), 300, values.data());
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(values[i], trials.at(xs[i], ys[i])) << i;
    // Pr is shown divided by the display divisor.
    const double pr = rivi::calcfm(f.s, rivi::scan_trial(ss, 89.2, 132.0), 0.0, 0.0, false, false,
                                   f.s.ds.OQ.data(), f.s.ds.OT.data(), 'P');
    EXPECT_GT(pr, 0.0);
    EXPECT_DOUBLE_EQ(trials.at(89.2, 132.0), pr / 10.0);
}

TEST(AbinitioTrials, AScanRestoresWhatItMustNotChange)
{
    FakeSession f(pauses());
    ASSERT_TRUE(pattern_from(f.s.ds, sucrose(), 30));
    rivi::FomState& fom = f.s.maps.fom;
    fom.Pmin = 0.001;
    fom.Mchar = 'M';
    fom.use_calcfm = false;
    fom.zero_level = true;
    f.s.ds.included[4] = false;
    ScanSettings ss = express(ScanKind::row, 'P', 1.0, 20);
    ss.pmin = 0.0002;
    ss.min1 = 85.0;
    ss.max1 = 95.0;
    rivi::row_scan(f.s, ss);
    EXPECT_EQ(fom.Pmin, 0.001);
    EXPECT_EQ(fom.Mchar, 'M');
    EXPECT_FALSE(fom.use_calcfm);
    EXPECT_FALSE(fom.zero_level);
    EXPECT_TRUE(f.s.ds.included[4]);
    EXPECT_EQ(fom.Nobsused, 20);
    EXPECT_EQ(fom.Qmax, f.s.ds.OQ[30] + 50.0);
    EXPECT_GT(f.s.maps.results.list.n, 0);
    // Every trial compared all the lines: no consistency message.
    EXPECT_EQ(f.screen().find("mNobscount"), std::string::npos);
}

// ---- whole scans ----

TEST(AbinitioScan, TheRowScanFindsTheShortestRowOfSucrose)
{
    FakeSession f(pauses());
    const Q6 q = sucrose();
    ASSERT_TRUE(pattern_from(f.s.ds, q, 30));
    ScanSettings ss = express(ScanKind::row, 'I', 1.5, 30);
    const rivi::QRange r = rivi::row_scan_range(f.s.ds.OQ[1], f.s.ds.OQ[30]);
    ss.min1 = r.min;
    ss.max1 = r.max;
    rivi::row_scan(f.s, ss);
    EXPECT_NEAR(best_peak(f.s).x, q[1], 0.01) << f.screen();
    EXPECT_NE(f.screen().find("duplicate peaks removed leaving"), std::string::npos);
}

TEST(AbinitioScan, TheRectangularZoneScanFindsTheZoneHk0)
{
    for (bool row_buffer : {true, false}) {
        FakeSession f(pauses());
        const Q6 q = sucrose();
        ASSERT_TRUE(pattern_from(f.s.ds, q, 30));
        ScanSettings ss = zone(ScanKind::rect, 5.0, 30, 80.0, 100.0, 120.0, 200.0, 0.2);
        ss.row_buffer = row_buffer;
        rivi::zone_scan(f.s, ss);
        EXPECT_NEAR(best_peak(f.s).x, q[1], 0.01) << row_buffer;
        EXPECT_NEAR(best_peak(f.s).y, q[2], 0.01) << row_buffer;
        EXPECT_EQ(f.screen().find("Main rectangular zones") != std::string::npos, row_buffer);
    }
    // The same zone over the sides a and b, downwards.
    FakeSession f(pauses());
    const Q6 q = sucrose();
    ASSERT_TRUE(pattern_from(f.s.ds, q, 30));
    ScanSettings ss = zone(ScanKind::rect, 5.0, 30, 10.3, 11.0, 8.4, 9.0, 0.05);
    ss.direct = true;
    ss.row_buffer = true;
    ss.step1 = 0.05;
    rivi::zone_scan(f.s, ss);
    EXPECT_NEAR(best_peak(f.s).x, 100.0 / std::sqrt(q[1]), 0.002);
    EXPECT_NEAR(best_peak(f.s).y, 100.0 / std::sqrt(q[2]), 0.002);
}

TEST(AbinitioScan, TheZ2ThetaScanRecoversAKnownZeroError)
{
    FakeSession f(pauses());
    dataset::Dataset& ds = f.s.ds;
    ASSERT_TRUE(silver_behenate(ds, 0.04));  // read 0.04 deg low: the correction is +0.04
    // The dataset already corrects 0.01 of it; the scan finds the rest.
    ds.Z2Th = 0.01;
    for (int i = 1; i <= ds.Nobs; ++i)
        ASSERT_TRUE(dataset::q_from_2theta(ds, ds.OT[i], ds.Z2Th, ds.OQ[i]));
    ScanSettings ss = zone(ScanKind::z2th, 5.0, 13, 2.5, 3.5, -0.1, 0.1, 0.005);
    rivi::zone_scan(f.s, ss);
    EXPECT_NEAR(best_peak(f.s).y, 0.03, 0.005) << f.screen();
    EXPECT_NEAR(best_peak(f.s).x, agbeh_q001, 0.001);
    EXPECT_NE(f.screen().find("Further parabolic refinement [Q(A) & Z2Th]"), std::string::npos);
}

TEST(AbinitioScan, TheDisplacementScanRecoversAKnownDisplacement)
{
    FakeSession f(pauses());
    dataset::Dataset& ds = f.s.ds;
    ASSERT_TRUE(silver_behenate(ds, 0.0));
    // Angles moved by a specimen displacement T: theta' = theta + T cos(theta),
    // which the correction theta' - T cos(theta') takes back to first order.
    const double T = 0.002;
    for (int i = 1; i <= ds.Nobs; ++i) {
        const double theta = ds.OT[i] / console::two_deg_per_rad;
        ds.OT[i] = (theta + T * std::cos(theta)) * console::two_deg_per_rad;
        ASSERT_TRUE(dataset::q_from_2theta(ds, ds.OT[i], 0.0, ds.OQ[i]));
    }
    ScanSettings ss = zone(ScanKind::tcor, 5.0, 13, 2.8, 3.1, -0.005, 0.005, 0.0002);
    rivi::zone_scan(f.s, ss);
    EXPECT_NEAR(best_peak(f.s).y, T, 0.0003) << f.screen();
    EXPECT_NEAR(best_peak(f.s).x, agbeh_q001, 0.002);
}

TEST(AbinitioScan, TheRhombicZoneScanFindsACentredRectangularZone)
{
    FakeSession f(pauses());
    // A C-centred cell 9 x 15 x 7 A: the lines h + k even.
    ASSERT_TRUE(pattern_from(f.s.ds, constants_of(9.0, 15.0, 7.0, 90.0, 90.0, 90.0), 13, 0.0,
                             [](int h, int k, int) { return (h + k) % 2 == 0; }));
    ScanSettings ss = zone(ScanKind::gamma, 3.0, 13, 150.0, 200.0, 30.0, 90.0, 1.0);
    rivi::zone_scan(f.s, ss);
    // The peaks are left as the equivalent centred rectangular zones.
    EXPECT_NEAR(best_peak(f.s).x, 10000.0 / 225.0, 0.01) << f.screen();
    EXPECT_NEAR(best_peak(f.s).y, 10000.0 / 81.0, 0.1);
    EXPECT_NE(f.screen().find("Equivalent centred rectangular zones [Q(A)' & Q(B)']"),
              std::string::npos);
}

TEST(AbinitioScan, AFullPeakListEndsATwoDimensionalScan)
{
    FakeSession f(pauses());
    ASSERT_TRUE(pattern_from(f.s.ds, sucrose(), 30));
    ScanSettings ss = zone(ScanKind::z2th, 1.5, 30, 39.0, 1000.0, -0.1, 0.1, 0.005);
    rivi::zone_scan(f.s, ss);
    const std::string& screen = f.screen();
    EXPECT_NE(screen.find(": peaks array full"), std::string::npos);
    EXPECT_LT(f.s.maps.fom.trials, 72283);
    EXPECT_GT(f.s.maps.results.list.n, 0);
}

} // namespace
