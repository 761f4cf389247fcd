// The comparison listing and the least-squares calibration of CA.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "cell/commands.hpp"
#include "cell/compare.hpp"
#include "cell_test_support.hpp"
#include "dataset/model.hpp"
#include "support/fake_console.hpp"

namespace {

using cell_testing::add_observed;
using cell_testing::bragg_two_theta;
using cell_testing::StringSink;

// A hand-made calculated pattern with one line every 100 QU.
void hundreds(dataset::Dataset& ds)
{
    const int h[] = {0, 1, 1, 1, 2, 2, 2}, k[] = {0, 0, 1, 1, 0, 1, 1}, l[] = {0, 0, 0, 1, 0, 0, 1};
    ds.Ncalc = 6;
    for (int i = 1; i <= 6; ++i) {
        ds.CQ[i] = 100.0 * i;
        ds.CH[i] = h[i];
        ds.CK[i] = k[i];
        ds.CL[i] = l[i];
    }
}

class ComparisonListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        hundreds(ds);
        for (double q : {100.0, 250.0, 403.0, 503.0001, 700.0})
            add_observed(ds, bragg_two_theta(ds.K, q));
        // The stored Q values exactly as typed, so that dQ = 3 is exact.
        const double q[] = {0, 100.0, 250.0, 403.0, 503.0001, 700.0};
        for (int i = 1; i <= 5; ++i)
            ds.OQ[i] = q[i];
    }
    testing_support::FakeSession f;
    dataset::Dataset& ds = f.s.ds;
};

TEST_F(ComparisonListing, MergesAssignsIndicesAndComputesM1)
{
    ds.OH[5] = 3;  // from an earlier cell: line 5 will not be compared
    cell::Comparison c;  // no exclusions
    StringSink out;
    cell::comparison_listing(f.s, out, true, c);
    cell::comparison_summary(out, c);
    // 2Theta values from Bragg's law at 1.5406 A: 100 QU. 8.836, 200 12.508,
    // 250 13.991, 300 15.335, 400 17.725, 403 17.791, 500 19.837,
    // 503.0001 19.897, 600 21.752. M1 = (n Q(upper) / 2 j) / sum |dQ|.
    const std::string expected =
        "\n"
        "Obs  Calc                  Corr'd\n"
        " No.  No.    h...k...l    2Theta   D2Th       Q       DQ        M1\n"
        "\n\n"
        "       1     1   0   0     8.836           100.000\n"
        "  1       (  1   0   0 )   8.836  0.000    100.000   0.000    >10000\n"
        "       2     1   1   0    12.508           200.000\n"
        "  2       (  1   1   1 )  13.991 -1.343    250.000 -50.000     2.000\n"
        "       3     1   1   1    15.335           300.000\n"
        "       4     2   0   0    17.725           400.000\n"
        "  3       (  2   0   0 )  17.791  0.067    403.000   3.000     2.830\n"
        "       5     2   1   0    19.837           500.000\n"
        "  4       (  2   1   0 )  19.897  0.060    503.000   3.000     3.571\n"
        "       6     2   1   1    21.752           600.000\n"
        "\n"
        "Mean d2Theta = -0.30404 deg  (i.e. mean 2Thobs-2Thcalc)\n";
    EXPECT_EQ(out.text, expected);
    // The line midway between 200 and 300 took the upper one.
    EXPECT_EQ(ds.OH[2] * 100 + ds.OK[2] * 10 + ds.OL[2], 111);
    EXPECT_EQ(c.last_compared, 4);  // line 5 lies beyond the last calculated line
    EXPECT_EQ(c.included, 4);
    EXPECT_EQ(ds.OH[5], 0);
    EXPECT_NEAR(c.tth_calc[2], 15.334518, 1e-6);
    EXPECT_NEAR(c.d2th[2], 15.334518 - 13.991431, 1e-6);
}

TEST_F(ComparisonListing, LinesUpToQmaxAboveTheLastCalculatedLineAreCompared)
{
    // Line 5 (700) lies above the last calculated line (600) and nearer to
    // Qmax than to it: still the last line is its nearest, and M1 takes Qmax
    // as the line above it, the 7th.
    ds.Qmax = 720.0;
    cell::Comparison c;
    StringSink out;
    cell::comparison_listing(f.s, out, true, c);
    EXPECT_EQ(c.last_compared, 5);
    EXPECT_EQ(c.included, 5);
    EXPECT_EQ(ds.OH[5] * 100 + ds.OK[5] * 10 + ds.OL[5], 211);
    // (5 * 720 / (2 * 7)) / (0 + 50 + 3 + 3.0001 + 100) = 1.648
    EXPECT_TRUE(out.text.ends_with("       6     2   1   1    21.752           600.000\n"
                                   "  5       (  2   1   1 )  23.519  1.767    700.000 100.000     1.648\n"))
        << out.text;
    EXPECT_NEAR(c.d2th[5], 21.752 - 23.519, 1e-3);

    // A line exactly at the last calculated line, the one that was lost.
    ds.OQ[5] = 600.0;
    ds.Qmax = 650.0;
    cell::comparison_listing(f.s, out, true, c);
    EXPECT_EQ(c.last_compared, 5);
    EXPECT_EQ(ds.OH[5] * 100 + ds.OK[5] * 10 + ds.OL[5], 211);
}

TEST_F(ComparisonListing, ExclusionByQKeepsExactlyTheLimit)
{
    cell::Comparison c;
    c.mode = 'Q';
    c.dQlim = 3.0;
    StringSink out;
    cell::comparison_listing(f.s, out, true, c);
    cell::comparison_summary(out, c);
    const std::string& t = out.text;
    EXPECT_NE(t.find("  2       (  --------- )  13.991 -1.343    250.000 -50.000    (excl)\n"),
              std::string::npos)
        << t;
    // |dQ| = 3 stays; M1 counts lines 1 and 3 only: (2 * 500 / 10) / 3.
    EXPECT_NE(t.find("  3       (  2   0   0 )  17.791  0.067    403.000   3.000    33.333\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("  4       (  --------- )  19.897  0.060    503.000   3.000    (excl)\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("\n2 observed lines indexed within 3.00 QU. (2 lines excluded)\n\n"
                     "Mean d2Theta =  0.03344 deg for the indexed lines  (i.e. mean 2Thobs-2Thcalc)\n"
                     "\nToo few indexed lines to attempt ls calibration\n"),
              std::string::npos)
        << t;
    EXPECT_FALSE(ds.included[2]);
    EXPECT_TRUE(ds.included[3]);
    EXPECT_FALSE(ds.included[4]);
    EXPECT_EQ(ds.OH[4] + ds.OK[4] + ds.OL[4], 0);
    EXPECT_EQ(c.excluded, 2);
}

TEST_F(ComparisonListing, CopyHeadingAndExclusionByTwoTheta)
{
    ds.Iflag = 1;
    ds.icode = {0, 9, -2, 5, 1, 1};
    cell::Comparison c;
    c.mode = 'T';
    c.d2Tlim = 0.065;  // keeps 0.060, excludes 0.067 and -1.343
    StringSink out;
    cell::comparison_listing(f.s, out, false, c);
    const std::string& t = out.text;
    EXPECT_EQ(t.find("Calculated pattern "), 0u);
    EXPECT_NE(t.find("\nNo trial specimen-displacement correction applied\n\n"
                     "Exclude lines with abs(d2Theta) > 0.065 deg\n\n"
                     "Obs  Calc                         Corr'd\n"
                     " No.  No.    h...k...l    Int    2Theta   D2Th       Q       DQ        M1\n"
                     "\n\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("  1       (  1   0   0 )  vvs     8.836  0.000    100.000   0.000    >10000\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("  2       (  --------- )   vw?   13.991 -1.343    250.000 -50.000    (excl)\n"),
              std::string::npos)
        << t;
    // M1 of line 4 counts two included lines: (2 * 600 / (2 * 6)) / 3.0001.
    EXPECT_NE(t.find("  4       (  2   1   0 )  vvw    19.897  0.060    503.000   3.000    33.332\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("       6     2   1   1           21.752           600.000\n"),
              std::string::npos)
        << t;
    EXPECT_EQ(c.included, 2);
    EXPECT_EQ(c.excluded, 2);
}

TEST_F(ComparisonListing, TrialSpecimenDisplacementMovesTheObservedLines)
{
    cell::Comparison c;
    c.T = 0.001;
    StringSink out;
    cell::comparison_listing(f.s, out, true, c);
    // theta' = theta - T cos(theta); the shown 2Theta and Q follow it.
    const double theta = ds.OT[3] / 2.0 / 57.29577951;
    const double theta_d = theta - 0.001 * std::cos(theta);
    const double q = std::sin(theta_d) * std::sin(theta_d) / ds.K;
    char row[200];
    std::snprintf(row, sizeof row, "  3       (  2   0   0 ) %7.3f%7.3f%11.3f%8.3f", 114.59155902 * theta_d,
                  114.59155902 * theta_d - 17.724567, q, q - 400.0);
    EXPECT_NE(out.text.find(row), std::string::npos) << row << "\n" << out.text;
    EXPECT_LT(q, 403.0);
}

// Silicon, a = 5.43088 A (NBS SRM 640), F lattice, at CuKa1.
constexpr double si_a = 5.43088;

double silicon_q(int n2) { return 10000.0 * n2 / (si_a * si_a); }

void silicon_cell(dataset::Dataset& ds)
{
    cell_testing::load_direct_cell(ds, si_a, si_a, si_a, 90, 90, 90);
    ds.abs_code = 6;
    ds.Abs = "F";
    ds.Qmax = 10000.0;
}

// Observed lines where a diffractometer with scale error k and zero error
// dz records them: true 2Theta = k * stored + dz + Z2Th.
void silicon_observed(dataset::Dataset& ds, double k, double dz)
{
    for (int n2 : {3, 4, 8, 11, 12, 16, 19, 20, 24, 27}) {
        const double true_tth = bragg_two_theta(ds.K, silicon_q(n2));
        add_observed(ds, (true_tth - dz - ds.Z2Th) / k);
    }
}

// CA's questions: exclusions, displacement, duplicates; the rest follows.
std::string ca_replies(const std::string& rest) { return rest + std::string(20, '\n'); }

TEST(CalculateAndCompare, LeastSquaresRecoversAKnownZeroShiftAndFactor)
{
    // N exclusions, no displacement, remove duplicates, one page pause in
    // the listing, the pause before the calibration, all lines, apply.
    testing_support::FakeSession f(ca_replies("n\n\n\n\n\na\ny\n"));
    f.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    silicon_cell(ds);
    ds.Z2Th = 0.01;
    silicon_observed(ds, 1.0005, -0.02);
    dataset::Dataset before = ds;
    cell::CA(f.s);
    // Every line indexed with indices of its own silicon reflection.
    const int n2[] = {0, 3, 4, 8, 11, 12, 16, 19, 20, 24, 27};
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(ds.OH[i] * ds.OH[i] + ds.OK[i] * ds.OK[i] + ds.OL[i] * ds.OL[i], n2[i]) << i;
    // The transformation applied: the factor into the stored angles, the
    // zero correction added to Z2Th.
    EXPECT_NEAR(ds.Z2Th, 0.01 - 0.02, 1e-9);
    for (int i = 1; i <= 10; ++i)
        EXPECT_NEAR(ds.OT[i], before.OT[i] * 1.0005, 1e-9 * ds.OT[i]) << i;
}

TEST(CalculateAndCompare, LeastSquaresStatisticsOfScatteredDifferences)
{
    testing_support::FakeSession f(ca_replies("n\n\n\n\na\nn\n"));
    f.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    silicon_cell(ds);
    const double d2th[] = {0.010, -0.005, 0.012, 0.003};  // 2Thcalc - 2Thobs
    const int n2[] = {3, 4, 8, 11};
    for (int i = 0; i < 4; ++i)
        add_observed(ds, bragg_two_theta(ds.K, silicon_q(n2[i])) - d2th[i]);
    cell::CA(f.s);
    const std::string& screen = f.screen();
    // Expected values from an independent straight-line regression of
    // d2Th on 2Theta calc (28.4427, 32.9592, 47.3034, 56.1232 degrees).
    const char* lines[] = {
        "Covariance of 2Theta diffs. =  0.010500   (If abs(rho) > c.0.25, this suggests\n",
        "Correlation Coefficient rho =  0.106590    a trend in d2Theta with 2Theta)\n",
        "Calibr.Factor k    =  1.000064\n",
        "Zero Corrn. dZ2Th  =  0.002354\n",
        "                     Variance        e.s.d.\n",
        "        2Theta(obs)0.00008799  0.009380\n",
        "        Calibr.Factor k0.00000018  0.000424\n",
        "        Zero Corrn. dZ2Th0.00032657  0.018071\n",
        "k    +- esd  =  1.000064 +- 0.000424\n",
        "Z2Th +- esd  =  0.002354 +- 0.018071\n",
        "  1        28.44274     28.43274      0.01000\n",
        "  2        32.95922     32.96422     -0.00500\n",
        "Don't apply transformation from least-squares calibration\n",
    };
    for (const char* l : lines)
        EXPECT_NE(screen.find(l), std::string::npos) << l << "\n" << screen;
    EXPECT_NE(screen.find("Mean d2Theta = -0.00500 deg  (i.e. mean 2Thobs-2Thcalc)\n"),
              std::string::npos);
    EXPECT_EQ(ds.Z2Th, 0.0);
}

// A cubic cell with a = 10 A: lines at 100 N QU. for N = 1, 2, 3, 4, 5, 6, 8 ...
void cubic_ten(dataset::Dataset& ds, std::initializer_list<double> observed_q)
{
    cell_testing::load_direct_cell(ds, 10, 10, 10, 90, 90, 90);
    ds.Qmax = 1000.0;
    for (double q : observed_q) {
        add_observed(ds, bragg_two_theta(ds.K, q));
        ds.OQ[ds.Nobs] = q;
    }
}

TEST(CalculateAndCompare, CalibrationRefusalsForTooFewLines)
{
    {
        // Asking for 2 lines exits.
        testing_support::FakeSession f(ca_replies("n\n\n\n\n2\n"));
        f.con.output_code = 0;
        cubic_ten(f.s.ds, {100.5, 199.5, 301, 399, 501});
        cell::CA(f.s);
        EXPECT_NE(f.screen().find("  Number of lines to be used (default=exit): 2  ** Exit **\n"),
                  std::string::npos)
            << f.screen();
        EXPECT_EQ(f.screen().find("Covariance"), std::string::npos);
    }
    {
        // More than were compared: reset to that number.
        testing_support::FakeSession f(ca_replies("n\n\n\n\n99\nn\n"));
        f.con.output_code = 0;
        cubic_ten(f.s.ds, {100.5, 199.5, 301, 399, 501});
        cell::CA(f.s);
        EXPECT_NE(f.screen().find("How many of the 5 obs lines compared are to be used?\n"),
                  std::string::npos);
        EXPECT_NE(f.screen().find("** Reset to Nobscomp = 5 **\n"), std::string::npos);
        EXPECT_NE(f.screen().find("  5        19.83667     19.85670     -0.02003\n"),
                  std::string::npos)
            << f.screen();
    }
    {
        // Q exclusions at 0.6 QU.: line 3 (dQ = 1) goes, so only two of the
        // first three lines are fitted. The listing fills the page: one
        // more pause before the summary.
        testing_support::FakeSession f(ca_replies("q\n0.6\n\n\n\n\n3\n"));
        f.con.output_code = 0;
        cubic_ten(f.s.ds, {100.5, 199.5, 301, 399.5, 500.5});
        cell::CA(f.s);
        const std::string& screen = f.screen();
        EXPECT_NE(screen.find("4 observed lines indexed within 0.60 QU. (1 lines excluded)\n"),
                  std::string::npos)
            << screen;
        EXPECT_NE(screen.find("  3         ------      15.36021      (excl.)\n"), std::string::npos)
            << screen;
        EXPECT_NE(screen.find("Nobs=2, not enough degrees of freedom for esd calculations\n"),
                  std::string::npos);
        EXPECT_NE(screen.find("k     = "), std::string::npos);
        EXPECT_EQ(screen.find("Do you want to transform"), std::string::npos);
    }
    {
        // All of the first three excluded although three others remain.
        testing_support::FakeSession f(ca_replies("q\n0.6\n\n\n\n\n3\n"));
        f.con.output_code = 0;
        cubic_ten(f.s.ds, {101, 199, 301, 399.5, 500.5, 599.5});
        cell::CA(f.s);
        EXPECT_NE(f.screen().find("** All the requested observed lines have been excluded **\n"),
                  std::string::npos)
            << f.screen();
    }
    {
        // Two lines left after exclusions: no calibration at all.
        testing_support::FakeSession f(ca_replies("q\n0.6\n\n\n\n"));
        f.con.output_code = 0;
        cubic_ten(f.s.ds, {101, 199.5, 301, 399.5});
        cell::CA(f.s);
        const std::string& screen = f.screen();
        EXPECT_NE(screen.find("\nToo few indexed lines to attempt ls calibration\n"),
                  std::string::npos);
        EXPECT_NE(screen.find("2 observed line(s) remain after exclusions: linear recalibration "
                              "not available\n"),
                  std::string::npos)
            << screen;
    }
}

TEST(CalculateAndCompare, LastObservedLinesBeyondTheCalculatedPatternAreReported)
{
    testing_support::FakeSession f(ca_replies("n\n\n\n\n"));
    f.con.output_code = 0;
    cubic_ten(f.s.ds, {100, 200, 1200});
    cell::CA(f.s);
    const std::string& screen = f.screen();
    EXPECT_NE(screen.find("\n** Last obs line(s) excluded (after last calc line): Qmax needs "
                          "increasing **\n"),
              std::string::npos)
        << screen;
    EXPECT_EQ(screen.find("  3       ("), std::string::npos);
    // Only the two compared lines count as indexed.
    EXPECT_NE(screen.find("2 observed line(s) remain after exclusions: linear recalibration not "
                          "available\n"),
              std::string::npos)
        << screen;
}

TEST(CalculateAndCompare, CorundumIndexedWithRhombohedralAbsencesAndAngleExclusions)
{
    testing_support::FakeSession f(ca_replies("t\n\n\n\n\n\n"));
    f.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    // Corundum, a = 4.7589, c = 12.991 A (hexagonal axes, obverse).
    const double a = 4.7589, c = 12.991;
    cell_testing::load_direct_cell(ds, a, a, c, 90, 90, 120);
    ds.abs_code = 7;
    ds.Abs = "R1";
    auto q_hex = [&](int h, int k, int l) {
        return 1e4 * (4.0 / 3.0 * (h * h + h * k + k * k) / (a * a) + l * l / (c * c));
    };
    struct Line {
        int h, k, l;
        double error;  // degrees added to the true 2Theta
    };
    // 012, 104, 110, 113, 024, 116 and one line of an impurity between them.
    const Line lines[] = {{0, 1, 2, 0.01}, {1, 0, 4, -0.02}, {1, 1, 0, 0.0},
                          {1, 1, 3, 0.03}, {0, 2, 4, -0.01}, {1, 1, 6, 0.02}};
    for (const Line& l : lines)
        add_observed(ds, bragg_two_theta(ds.K, q_hex(l.h, l.k, l.l)) + l.error);
    add_observed(ds, 40.0);  // an impurity line, 1 degree from 0 1 5
    dataset::order_by_q(ds);
    ds.Qmax = 4500.0;
    cell::CA(f.s);
    const std::string& screen = f.screen();
    EXPECT_NE(screen.find("2Theta limit to be used (default: 0.050 deg):  0.050\n"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("6 observed lines indexed within 0.050 deg (1 lines excluded)\n"),
              std::string::npos)
        << screen;
    for (int i = 1; i <= ds.Nobs; ++i) {
        if (!ds.included[i]) {
            EXPECT_NEAR(ds.OT[i], 40.0, 1e-9);
            continue;
        }
        const int h = ds.OH[i], k = ds.OK[i], l = ds.OL[i];
        EXPECT_EQ((-h + k + l) % 3, 0);
        bool found = false;
        for (const Line& x : lines)
            found = found || std::fabs(q_hex(h, k, l) - q_hex(x.h, x.k, x.l)) < 1e-3;
        EXPECT_TRUE(found) << i << ": " << h << " " << k << " " << l;
    }
}

TEST(CalculateAndCompare, MonoclinicListingShowsTextbookQValues)
{
    testing_support::FakeSession f(ca_replies("n\n\n\n"));
    f.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    // Gypsum, I2/a setting: a = 5.679, b = 15.202, c = 6.522 A, beta = 118.43.
    const double a = 5.679, b = 15.202, c = 6.522, beta = 118.43;
    cell_testing::load_direct_cell(ds, a, b, c, 90, beta, 90);
    ds.Qmax = 1000.0;
    cell::CA(f.s);
    const double sb = std::sin(beta / 57.29577951), cb = std::cos(beta / 57.29577951);
    std::istringstream in(f.screen());
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        int j, h, k, l;
        double tth, q;
        if (line.size() != 50 || std::sscanf(line.c_str(), "%d %d %d %d %lf %lf", &j, &h, &k, &l, &tth, &q) != 6)
            continue;
        ++rows;
        const double expected = 1e4 *
                                (h * h / (a * a) + k * k * sb * sb / (b * b) + l * l / (c * c) -
                                 2.0 * h * l * cb / (a * c)) /
                                (sb * sb);
        EXPECT_NEAR(q, expected, 0.0005) << line;
        EXPECT_NEAR(tth, bragg_two_theta(ds.K, expected), 0.0005) << line;
    }
    EXPECT_EQ(rows, ds.Ncalc);
    EXPECT_GT(rows, 10);
}

TEST(CalculateAndCompare, RefusalsAndLimits)
{
    {
        // Without a pattern Qmax is asked until a positive value in range comes.
        testing_support::FakeSession f(ca_replies("0\n-5\nx\n1E12\n500\nn\n\n\n"));
        f.con.output_code = 0;
        cell_testing::load_direct_cell(f.s.ds, 5, 5, 5, 90, 90, 90);
        cell::CA(f.s);
        EXPECT_EQ(cell_testing::count_of(f.screen(), "Please input Qmax for calculated pattern: "), 5);
        EXPECT_EQ(cell_testing::count_of(f.screen(), "1E12 QU.  ** Qmax must not exceed 400000050 QU. **\n"), 1)
            << f.screen();
        EXPECT_EQ(f.s.ds.Qmax, 500.0);
        ASSERT_EQ(f.s.ds.Ncalc, 1);
        EXPECT_EQ(f.s.ds.CH[1], 1);
    }
    {
        // Neither limits nor a complete cell.
        testing_support::FakeSession f("");
        f.s.ds.Ctype = 2;
        f.s.ds.Qmax = 100;
        cell::CA(f.s);
        EXPECT_NE(f.screen().find("No hkl limits set and can't auto calc (a,b,c data incomplete)  "
                                  "-  Run HL/CE\n"),
                  std::string::npos);
    }
    {
        // Given limits without a valid cell are used as they are.
        testing_support::FakeSession f(ca_replies("n\n\n\n"));
        f.con.output_code = 0;
        cell_testing::load_direct_cell(f.s.ds, 5, 5, 5, 90, 90, 90);
        f.s.ds.cell_valid = 0;
        f.s.ds.Gflag = 1;
        f.s.ds.GL = {0, -3, 3, -3, 3, -3, 3};
        f.s.ds.Qmax = 1000;
        cell::CA(f.s);
        EXPECT_EQ(f.s.ds.WL, f.s.ds.GL);
        EXPECT_EQ(f.screen().find("No hkl limits set"), std::string::npos);
    }
    {
        // Exclusion limits out of range are asked again.
        testing_support::FakeSession f(ca_replies("q\n50\n0.001\n2\nn\n\n"));
        f.con.output_code = 0;
        cell_testing::load_direct_cell(f.s.ds, 5, 5, 5, 90, 90, 90);
        f.s.ds.Qmax = 1000;
        cell::CA(f.s);
        EXPECT_EQ(cell_testing::count_of(f.screen(), "** dQlim must be in the range 0.01 to 30 **\n"), 2);
        EXPECT_EQ(f.s.compare.dQlim, 2.0);
    }
    {
        testing_support::FakeSession f(ca_replies("t\n0.6\n0.00001\n0.5\nn\n\n"));
        f.con.output_code = 0;
        cell_testing::load_direct_cell(f.s.ds, 5, 5, 5, 90, 90, 90);
        f.s.ds.Qmax = 1000;
        cell::CA(f.s);
        EXPECT_EQ(cell_testing::count_of(f.screen(), "** d2Tlim must be in the range 0.0001 to 0.5 **\n"), 2);
        EXPECT_EQ(f.s.compare.d2Tlim, 0.5);
    }
    {
        // No reflection below Qmax.
        testing_support::FakeSession f(ca_replies("n\n\n\n"));
        cell_testing::load_direct_cell(f.s.ds, 5, 5, 5, 90, 90, 90);
        f.s.ds.Qmax = 100;
        cell::CA(f.s);
        EXPECT_NE(f.screen().find("\n\n** No calculated lines obtained **\n"), std::string::npos);
    }
    {
        // More than 20000 lines wanted.
        testing_support::FakeSession f(ca_replies("n\n\nn\n"));
        cell_testing::load_direct_cell(f.s.ds, 10, 10, 10, 90, 90, 90);
        f.s.ds.Qmax = 1e6;
        cell::CA(f.s);
        EXPECT_NE(f.screen().find("Arrays full: attempting to store20001-th line\n\nFailed on hkl = "),
                  std::string::npos)
            << f.screen().substr(0, 2000);
        EXPECT_NE(f.screen().find("Pattern generation terminated without sorting\n"),
                  std::string::npos);
        EXPECT_EQ(f.s.ds.Ncalc, 20000);
    }
}

TEST(CalculateAndCompare, LinesBeyondTheWavelengthLimitHaveNoAngle)
{
    // K Q >= 1 above Q = 16849 QU. at 1.5406 A.
    testing_support::FakeSession f(ca_replies("n\n\nn\n"));
    f.con.output_code = 0;
    cell_testing::load_direct_cell(f.s.ds, 3, 3, 3, 90, 90, 90);
    f.s.ds.Qmax = 20000;
    cell::CA(f.s);
    EXPECT_NE(f.screen().find("     0   0   4" "      -   " "         17777.778\n"),
              std::string::npos)
        << f.screen();
}

TEST(CalculateAndCompare, DisplacementBeyondTheAngleRangeNegatesQobs)
{
    // T so large that theta' < 0: 2Theta' outside (0, 180).
    testing_support::FakeSession f(ca_replies("n\ny\n5\n\n"));
    f.con.output_code = 0;
    cubic_ten(f.s.ds, {100, 200});
    cell::CA(f.s);
    const std::string& screen = f.screen();
    EXPECT_NE(screen.find("Specimen-displacement ratio T to be used:  5"), std::string::npos);
    EXPECT_NE(screen.find("   -100.000"), std::string::npos) << screen;
}

} // namespace
