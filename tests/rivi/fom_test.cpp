// The comparison and the plain trial evaluators: figures of merit worked by
// hand on small line lists, and the reject codes of refused trials.
#include <gtest/gtest.h>

#include <cmath>

#include "control/session.hpp"
#include "rivi/fom.hpp"
#include "rivi/trial.hpp"
#include "support/fake_console.hpp"

namespace {

using rivi::CompareRules;
using rivi::LineZones;
using rivi::Q6;

struct Lists {
    double qobs[4] = {0, 100, 200, 0};
    bool use[4] = {false, true, true, false};
    double qcalc[4] = {0, 99, 201, 250};
    LineZones z;
    Lists() { rivi::compute_zones(z, qobs, 2); }
};

TEST(Compare, ZonesReachHalfWayToEachNeighbour)
{
    Lists l;
    EXPECT_DOUBLE_EQ(l.z.Qbound[1], 50.0);
    EXPECT_DOUBLE_EQ(l.z.Qbound[2], 150.0);
    EXPECT_DOUBLE_EQ(l.z.Qbound[3], 225.0);
    EXPECT_DOUBLE_EQ(l.z.Qhalfwidth[1], 50.0);
    EXPECT_DOUBLE_EQ(l.z.Qhalfwidth[2], 37.5);
}

TEST(Compare, M1IsTheLineAboveOverTwiceItsRankTimesTheMeanDiscrepancy)
{
    Lists l;
    int count = 0;
    // Both lines miss by 1 QU.; the entry above the last is 201, rank 2.
    double m1 = rivi::fm_compare(l.qobs, l.z, l.use, l.qcalc, 3, CompareRules{2, 0.25, 1e-4, true, 'M'}, count);
    EXPECT_EQ(count, 2);
    EXPECT_DOUBLE_EQ(m1, 2 * (201.0 / 4.0) / 2.0);
    // Lines out of use are passed over.
    l.use[1] = false;
    m1 = rivi::fm_compare(l.qobs, l.z, l.use, l.qcalc, 3, CompareRules{2, 0.25, 1e-4, true, 'M'}, count);
    EXPECT_EQ(count, 1);
    EXPECT_DOUBLE_EQ(m1, 1 * (201.0 / 4.0) / 1.0);
}

TEST(Compare, ATieTakesTheEntryAboveAndALineAboveEveryEntryEndsTheWalk)
{
    double qobs[3] = {0, 150, 300};
    bool use[3] = {false, true, true};
    double qcalc[3] = {0, 100, 200};
    LineZones z;
    rivi::compute_zones(z, qobs, 2);
    rivi::CompareTrace trace;
    int count = 0;
    rivi::fm_compare(qobs, z, use, qcalc, 2, CompareRules{2, 0.25, 1e-4, true, 'M'}, count, &trace);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(trace.n, 1);
    EXPECT_EQ(trace.lines[1].nearest, -2);
    EXPECT_DOUBLE_EQ(trace.lines[1].d, 50.0);
}

TEST(Compare, ExactHitsAndEmptyZonesCountAsUnindexed)
{
    // Line 1 is hit exactly (p = 0 taken as 1); line 2 has no entry in its
    // zone (p = 1): with the new rule nP = 0, so Pr = 0.5/3 and Ir = 0.
    double qobs[3] = {0, 100, 200};
    bool use[3] = {false, true, true};
    double qcalc[4] = {0, 100, 300, 400};
    LineZones z;
    rivi::compute_zones(z, qobs, 2);
    int count = 0;
    EXPECT_NEAR(rivi::fm_compare(qobs, z, use, qcalc, 3, CompareRules{2, 0.25, 1e-4, true, 'P'}, count),
                0.5 / 3.0, 1e-15);
    EXPECT_EQ(rivi::fm_compare(qobs, z, use, qcalc, 3, CompareRules{2, 0.25, 1e-4, true, 'I'}, count), 0.0);
    EXPECT_EQ(count, 2);
}

TEST(Compare, ProbabilityRulesOnOneLine)
{
    // One line at 100 with a zone (50, 125), half-width 37.5, and one entry
    // in it 3 QU. away: p = 3/37.5 = 0.08.
    double qobs[3] = {0, 100, 150};
    bool use[3] = {false, true, false};
    double qcalc[3] = {0, 103, 400};
    LineZones z;
    rivi::compute_zones(z, qobs, 2);
    int count = 0;
    const double p = 3.0 / 37.5;
    const double P_new = 1.0 - (1.0 - 1e-4) * std::exp(-14.0 * p * p);
    EXPECT_NEAR(rivi::fm_compare(qobs, z, use, qcalc, 2, CompareRules{1, 0.25, 1e-4, true, 'P'}, count),
                0.5 / P_new / 3.0, 1e-12);
    EXPECT_NEAR(rivi::fm_compare(qobs, z, use, qcalc, 2, CompareRules{1, 0.25, 1e-4, true, 'I'}, count),
                1.0 - P_new, 1e-15);
    // Old rule: p below the threshold stands as it is.
    EXPECT_NEAR(rivi::fm_compare(qobs, z, use, qcalc, 2, CompareRules{1, 0.25, 1e-4, false, 'P'}, count),
                0.5 / p, 1e-12);
    // A probability product of many small values does not underflow.
    double many_obs[402];
    bool many_use[402];
    double many_calc[403];
    many_obs[0] = many_calc[0] = 0;
    for (int i = 1; i <= 401; ++i) {
        many_obs[i] = 100.0 * i;
        many_use[i] = true;
        many_calc[i] = 100.0 * i + 0.01;
    }
    many_calc[402] = 1e9;
    rivi::compute_zones(z, many_obs, 401);
    const double pr = rivi::fm_compare(many_obs, z, many_use, many_calc, 402,
                                       CompareRules{401, 0.25, 1e-4, true, 'P'}, count);
    EXPECT_EQ(count, 401);
    EXPECT_GT(pr, 100.0);
}

TEST(Compare, OldRuleRaisesLinesAboveTheThresholdAndBoundsSmallOnesByPmin)
{
    // Line 1 at 100 with one entry 15 QU. off in a zone of half-width 37.5
    // (p = 0.4, above the threshold); line 2 at 150 hit within 0.001 QU.
    // (p below Pmin, which is set above it).
    double qobs[3] = {0, 100, 150};
    bool use[3] = {false, true, true};
    double qcalc[4] = {0, 115, 150.001, 400};
    LineZones z;
    rivi::compute_zones(z, qobs, 2);
    int count = 0;
    const double p1 = 15.0 / 37.5;
    const double P1 = p1 + 1.0 - (1.0 - 0.25) * std::exp(-40.0 * (p1 - 0.25));
    const double p2 = 0.001 / z.Qhalfwidth[2];
    ASSERT_LT(p2, 0.01);
    const double P2 = 0.01;  // Pmin
    const double ir = rivi::fm_compare(qobs, z, use, qcalc, 3, CompareRules{2, 0.25, 0.01, false, 'I'}, count);
    EXPECT_NEAR(ir, std::max(0.0, (1.0 - P1) + (1.0 - P2)), 1e-12);
    const double pr = rivi::fm_compare(qobs, z, use, qcalc, 3, CompareRules{2, 0.25, 0.01, false, 'P'}, count);
    EXPECT_NEAR(pr, 0.5 / std::sqrt(P1 * P2), 1e-9);  // the mNobscount-th root
}

TEST(Compare, AProbabilityOfZeroLeavesTheGeometricMeanAtOne)
{
    // With Pmin 0 a hit within 1e-10 QU. gives P = 1 - e^(-tiny) = 0: the
    // product is 0, so G = 1 and Pr = 0.5/3 rather than infinite.
    double qobs[2] = {0, 100};
    bool use[2] = {false, true};
    double qcalc[3] = {0, 100.0000000001, 400};
    LineZones z;
    rivi::compute_zones(z, qobs, 1);
    int count = 0;
    EXPECT_DOUBLE_EQ(rivi::fm_compare(qobs, z, use, qcalc, 2, CompareRules{1, 0.25, 0.0, true, 'P'}, count),
                     0.5 / 3.0);
}

struct Cubic : testing::Test {
    testing_support::FakeSession fs;
    control::Session& s = fs.s;
    void SetUp() override
    {
        // Primitive cubic a = 10 A: lines at 100 (h^2+k^2+l^2) QU.
        const int sums[] = {1, 2, 3, 4, 5, 6, 8, 9};
        for (int sum : sums)
            s.ds.OQ[++s.ds.Nobs] = 100.0 * sum + 0.5;
        rivi::FomState& f = s.maps.fom;
        f.Nobsused = s.ds.Nobs;
        f.mNobs = s.ds.Nobs;
        f.Qmax = s.ds.OQ[s.ds.Nobs] + 50.0;
        rivi::compute_zones(f.zones, s.ds.OQ.data(), f.Nobsused);
    }
};

TEST_F(Cubic, TheTrueCellScoresEveryLineAndLeavesItsPatternInTheDataset)
{
    const double m1 = rivi::calcm(s, Q6{0, 100, 100, 100, 0, 0, 0});
    EXPECT_EQ(s.maps.fom.reject, ' ');
    EXPECT_EQ(s.maps.fom.mNobscount, 8);
    // Each line misses by 0.5; above line 8 (900.5) stands only the closing
    // entry at Qmax = 950.5, the 9th (sums 1 2 3 4 5 6 8 9).
    EXPECT_NEAR(m1, 8 * (950.5 / 18.0) / 4.0, 1e-9);
    EXPECT_EQ(s.ds.Ncalc, 9);
    EXPECT_DOUBLE_EQ(s.ds.CQ[s.ds.Ncalc], 950.5);
    EXPECT_EQ(s.ds.CH[s.ds.Ncalc], 99);
}

TEST_F(Cubic, RefusedTrialsScoreZeroWithTheirCode)
{
    // Section C varies alpha* and beta*: a 5 degree alpha* is refused
    // (a = 5 A keeps the volume, 125 A^3 / sin 5 deg, below Vmax).
    const double qd = 800.0 * std::cos(5.0 / 57.29577951);
    EXPECT_EQ(rivi::calcm(s, Q6{0, 400, 400, 400, qd, 0, 0}), 0.0);
    EXPECT_EQ(s.maps.fom.reject, 'a');
    // ... but the same gamma* is not looked at by a C-section map.
    s.maps.fom.check = false;
    rivi::calcm(s, Q6{0, 400, 400, 400, 0, 0, qd});
    EXPECT_EQ(s.maps.fom.reject, ' ');
    s.maps.fom.Vmax = 500;  // the cell is 1000 A^3
    EXPECT_EQ(rivi::calcm(s, Q6{0, 100, 100, 100, 0, 0, 0}), 0.0);
    EXPECT_EQ(s.maps.fom.reject, 'v');
    s.maps.fom.Vmax = 1e6;
    s.maps.fom.Qmax = 40000;  // far more than 20000 lines
    EXPECT_EQ(rivi::calcm(s, Q6{0, 10, 10, 10, 0, 0, 0}), 0.0);
    EXPECT_EQ(s.maps.fom.reject, 'n');
    EXPECT_EQ(s.maps.fom.trials, 4);
}

TEST_F(Cubic, TheZeroLevelPassSwitchesOffTheLinesOfTheBasalZone)
{
    // The hk0 zone of the cubic cell holds sums 1 2 4 5 8 9: their lines
    // (within 3 QU.) are switched off, leaving those with l != 0 only: 3, 6.
    s.maps.fom.section = 'C';
    const int left = rivi::mark_zero_level(s, Q6{0, 100, 100, 100, 0, 0, 0}, 'C');
    EXPECT_EQ(left, 2);
    EXPECT_TRUE(s.ds.included[3]);
    EXPECT_TRUE(s.ds.included[6]);
    EXPECT_FALSE(s.ds.included[1]);
    EXPECT_FALSE(s.ds.included[8]);
}

} // namespace

namespace {

// The sums of squares of the lines left in the dataset.
bool any_line(const control::Session& s, bool (*test)(int h, int k, int l))
{
    for (int i = 1; i < s.ds.Ncalc; ++i)  // the last is the closing entry
        if (test(s.ds.CH[i], s.ds.CK[i], s.ds.CL[i]))
            return true;
    return false;
}

TEST_F(Cubic, ZeroLevelSuppressionLeavesOutTheLinesOfEachZone)
{
    rivi::FomState& f = s.maps.fom;
    f.check = false;
    f.zero_level = true;
    const Q6 q{0, 100, 100, 100, 0, 0, 0};
    f.zone_letter = 'A';
    rivi::calcm(s, q);
    EXPECT_FALSE(any_line(s, [](int h, int, int) { return h == 0; }));
    EXPECT_TRUE(any_line(s, [](int, int k, int) { return k == 0; }));
    f.zone_letter = 'B';
    rivi::calcm(s, q);
    EXPECT_FALSE(any_line(s, [](int, int k, int) { return k == 0; }));
    EXPECT_TRUE(any_line(s, [](int, int, int l) { return l == 0; }));
    f.zone_letter = 'C';
    rivi::calcm(s, q);
    EXPECT_FALSE(any_line(s, [](int, int, int l) { return l == 0; }));
    EXPECT_EQ(s.ds.CL[1], 1);  // 0 0 1 is the lowest line left
}

TEST_F(Cubic, ARowOfLinesNeedsNoCellAndARowWithoutQAHasNoLines)
{
    // Q(B) = Q(C) = 1000000 and no cross terms: lines h00 only, h = 1..3
    // (a = 10 A, sqrt(950.5)/100 * 10 = 3.08), and the closing entry.
    rivi::FomState& f = s.maps.fom;
    f.check = false;
    rivi::calcm(s, Q6{0, 100, 1e6, 1e6, 0, 0, 0});
    EXPECT_EQ(f.reject, ' ');
    ASSERT_EQ(s.ds.Ncalc, 4);
    EXPECT_DOUBLE_EQ(s.ds.CQ[3], 900.0);
    EXPECT_EQ(s.ds.CH[3], 3);
    // A row without a positive Q(A) holds the closing entry alone.
    rivi::calcm(s, Q6{0, 0.0, 1e6, 1e6, 0, 0, 0});
    EXPECT_EQ(s.ds.Ncalc, 1);
}

TEST_F(Cubic, CalcfmTestsEveryAngleAndAnUnknownModeIsReported)
{
    const double qf = 800.0 * std::cos(5.0 / 57.29577951);  // gamma* of 5 degrees
    const double* qobs = s.ds.OQ.data();
    EXPECT_EQ(rivi::calcfm(s, Q6{0, 400, 400, 400, 0, 0, qf}, 0.0, 1.0, false, false, qobs,
                           s.ds.OT.data(), 'M'),
              0.0);
    EXPECT_EQ(s.maps.fom.reject, 'a');
    testing_support::FakeSession other("\n");
    other.s.ds = s.ds;
    other.s.maps.fom.zones = s.maps.fom.zones;
    other.s.maps.fom.Mchar = 'X';
    EXPECT_EQ(rivi::calcm(other.s, Q6{0, 100, 100, 100, 0, 0, 0}), 0.0);
    EXPECT_NE(other.screen().find(" ** Invalid Mchar = <X> in fm_compare **"), std::string::npos);
}

} // namespace
