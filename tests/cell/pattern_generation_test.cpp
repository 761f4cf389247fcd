// Index limits, generation with the lattice absences, the sort and the
// removal of symmetry duplicates, checked against 1/d^2 from the textbook
// formulae for published cells.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "cell/commands.hpp"
#include "cell/conversions.hpp"
#include "cell/pattern_generation.hpp"
#include "console/utilities.hpp"
#include "support/fake_console.hpp"

namespace {

using Hkl = std::tuple<int, int, int>;

class PatternGeneration : public ::testing::Test {
protected:
    void direct_cell(double a, double b, double c, double alpha, double beta, double gamma)
    {
        ds.DD = {0, a, b, c, alpha, beta, gamma};
        ASSERT_TRUE(cell::cell_from_direct(ds));
        ds.cell_valid = 1;
        ds.Ctype = 1;
    }
    void absences(int code) { ds.abs_code = code; }
    // Generation within the automatic limits, sorted, optionally reduced.
    void calculate(double qmax, bool reduce)
    {
        ds.Qmax = qmax;
        dataset::IndexRow limits{};
        cell::automatic_limits(ds, limits);
        cell::Overflow at;
        ASSERT_TRUE(cell::generate_pattern(ds, limits, at));
        cell::sort_calculated(ds);
        if (reduce)
            cell::remove_symmetry_duplicates(ds);
    }
    std::set<Hkl> indices() const
    {
        std::set<Hkl> out;
        for (int i = 1; i <= ds.Ncalc; ++i)
            out.insert({ds.CH[i], ds.CK[i], ds.CL[i]});
        return out;
    }
    int find(int h, int k, int l) const
    {
        for (int i = 1; i <= ds.Ncalc; ++i)
            if (ds.CH[i] == h && ds.CK[i] == k && ds.CL[i] == l)
                return i;
        return 0;
    }
    void expect_sorted() const
    {
        for (int i = 2; i <= ds.Ncalc; ++i)
            ASSERT_LE(ds.CQ[i - 1], ds.CQ[i]) << "line " << i;
    }

    testing_support::FakeSession f;
    dataset::Dataset& ds = f.s.ds;
};

TEST_F(PatternGeneration, AutomaticLimitsFollowTheCrossConstants)
{
    dataset::IndexRow lim{};
    cell::automatic_limits(ds, lim);  // no valid cell: all zero
    EXPECT_EQ(lim, (dataset::IndexRow{0, 0, 0, 0, 0, 0, 0}));

    direct_cell(5, 5, 5, 90, 90, 90);
    ds.Qmax = 500;  // trunc(sqrt(500)/100*5) = 1
    cell::automatic_limits(ds, lim);
    EXPECT_EQ(lim, (dataset::IndexRow{0, 0, 1, 0, 1, 0, 1}));

    direct_cell(9.5, 7.2, 11.3, 90, 104.5, 90);  // monoclinic b unique: Q(E) only
    ds.Qmax = 2500;  // s = 0.5
    cell::automatic_limits(ds, lim);
    EXPECT_EQ(lim, (dataset::IndexRow{0, -4, 4, 0, 3, 0, 5}));

    direct_cell(9.5, 7.2, 11.3, 95, 90, 90);  // Q(D) only
    cell::automatic_limits(ds, lim);
    EXPECT_EQ(lim, (dataset::IndexRow{0, 0, 4, -3, 3, 0, 5}));

    direct_cell(9.5, 7.2, 11.3, 90, 90, 120);  // Q(F) only
    cell::automatic_limits(ds, lim);
    EXPECT_EQ(lim[3], 0);
    EXPECT_EQ(lim[1], -4);

    direct_cell(9.5, 7.2, 11.3, 95, 100, 90);  // two cross terms: both halves
    cell::automatic_limits(ds, lim);
    EXPECT_EQ(lim, (dataset::IndexRow{0, -4, 4, -3, 3, 0, 5}));

    // Given limits narrow the automatic ones.
    ds.GL = {0, -1, 10, 0, 2, 1, 9};
    cell::effective_limits(ds, lim);
    EXPECT_EQ(lim, (dataset::IndexRow{0, -1, 4, 0, 2, 1, 5}));
}

TEST_F(PatternGeneration, AbsurdQmaxKeepsTheLimitsWithinTheIndexRange)
{
    // A Qmax that slipped past every check: sqrt(1e308)/100*5 is far beyond
    // any integer, and NaN is no number at all.
    direct_cell(5, 5, 5, 90, 95, 90);
    dataset::IndexRow lim{};
    for (double qmax : {1e308, std::nan("")}) {
        ds.Qmax = qmax;
        cell::automatic_limits(ds, lim);
        if (std::isnan(qmax)) {
            EXPECT_EQ(lim, (dataset::IndexRow{0, 0, 0, 0, 0, 0, 0}));
            continue;
        }
        EXPECT_EQ(lim, (dataset::IndexRow{0, -1000, 1000, 0, 1000, 0, 1000}));
        // The generation fills the arrays from the first h and stops there.
        cell::Overflow at;
        EXPECT_FALSE(cell::generate_pattern(ds, lim, at));
        EXPECT_EQ(ds.Ncalc, dataset::max_calc);
        EXPECT_EQ(at.h, -1000);
        // -1000 0 0 is not generated; -1000 0 1 comes first, its Q computed
        // without integer overflow.
        EXPECT_EQ(std::make_tuple(ds.CH[1], ds.CK[1], ds.CL[1]), std::make_tuple(-1000, 0, 1));
        EXPECT_NEAR(ds.CQ[1], 1e6 * ds.QQ[1] + ds.QQ[3] - 1000.0 * ds.QQ[5], 1e-3);
    }
}

TEST_F(PatternGeneration, CubicFiveAngstromAtQmax500KeepsOneLine)
{
    direct_cell(5, 5, 5, 90, 90, 90);
    calculate(500, false);
    EXPECT_EQ(indices(), (std::set<Hkl>{{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}));
    cell::remove_symmetry_duplicates(ds);
    ASSERT_EQ(ds.Ncalc, 1);
    EXPECT_EQ(std::make_tuple(ds.CH[1], ds.CK[1], ds.CL[1]), std::make_tuple(1, 0, 0));
    EXPECT_NEAR(ds.CQ[1], 400.0, 1e-9);
}

TEST_F(PatternGeneration, SiliconWithFaceCentringAbsences)
{
    // Silicon, a = 5.43088 A (NBS standard), Fd-3m: F centring only here.
    const double a = 5.43088;
    direct_cell(a, a, a, 90, 90, 90);
    absences(6);
    calculate(10000.0 / (1.0 * 1.0), true);  // down to d = 1 A
    expect_sorted();
    struct Line {
        int h, k, l;
    };
    // All-odd or all-even indices, in order of h^2+k^2+l^2.
    const Line expected[] = {{1, 1, 1}, {2, 0, 0}, {2, 2, 0}, {3, 1, 1}, {2, 2, 2},
                             {4, 0, 0}, {3, 3, 1}, {4, 2, 0}, {4, 2, 2}};
    ASSERT_GE(ds.Ncalc, 9);
    for (int i = 0; i < 9; ++i) {
        const Line& e = expected[i];
        const int n2 = e.h * e.h + e.k * e.k + e.l * e.l;
        EXPECT_NEAR(ds.CQ[i + 1], 10000.0 * n2 / (a * a), 1e-8) << "line " << i + 1;
        const int h = ds.CH[i + 1], k = ds.CK[i + 1], l = ds.CL[i + 1];
        EXPECT_EQ(h * h + k * k + l * l, n2) << "line " << i + 1;
    }
    // No mixed-parity reflection survives anywhere in the pattern.
    for (int i = 1; i <= ds.Ncalc; ++i) {
        const int odd = (ds.CH[i] & 1) + (ds.CK[i] & 1) + (ds.CL[i] & 1);
        EXPECT_TRUE(odd == 0 || odd == 3) << ds.CH[i] << ds.CK[i] << ds.CL[i];
    }
}

TEST_F(PatternGeneration, CorundumOnHexagonalAxesWithObverseRhombohedralAbsences)
{
    // Corundum, a = 4.7589, c = 12.991 A, R-3c (hexagonal setting).
    const double a = 4.7589, c = 12.991;
    direct_cell(a, a, c, 90, 90, 120);
    absences(7);
    calculate(10000.0 / (1.2 * 1.2), false);
    expect_sorted();
    auto q_hex = [&](int h, int k, int l) {
        // 1/d^2 = 4/3 (h^2 + hk + k^2)/a^2 + l^2/c^2
        return 10000.0 * (4.0 / 3.0 * (h * h + h * k + k * k) / (a * a) + l * l / (c * c));
    };
    for (int i = 1; i <= ds.Ncalc; ++i) {
        const int h = ds.CH[i], k = ds.CK[i], l = ds.CL[i];
        EXPECT_EQ((-h + k + l) % 3, 0) << h << " " << k << " " << l;
        // 120 degrees through the 57.29577951 factor is not exactly -0.5 as a
        // cosine: agreement to 1e-9 relative, far below the printed digits.
        EXPECT_NEAR(ds.CQ[i], q_hex(h, k, l), 1e-9 * ds.CQ[i]) << h << " " << k << " " << l;
    }
    EXPECT_NE(find(0, 1, 2), 0);  // d = 3.48 A, the first corundum line
    EXPECT_NE(find(1, 0, 4), 0);
    EXPECT_NE(find(1, 1, 0), 0);
    EXPECT_NE(find(1, 0, 1), 0);  // -1+0+1 = 0 is allowed
    EXPECT_EQ(find(1, 0, 0), 0);
    EXPECT_EQ(find(0, 0, 1), 0);
    // 0 0 3 (d = 4.33 A) comes first: the c-glide absences are not modelled.
    EXPECT_EQ(std::make_tuple(ds.CH[1], ds.CK[1], ds.CL[1]), std::make_tuple(0, 0, 3));
}

TEST_F(PatternGeneration, AbsenceRulesIncludingNegativeSums)
{
    using cell::lattice_absent;
    EXPECT_FALSE(lattice_absent(1, 1, 2, 3));
    EXPECT_TRUE(lattice_absent(2, 0, 1, 0));   // A: k+l odd
    EXPECT_FALSE(lattice_absent(2, 1, -1, 3));
    EXPECT_TRUE(lattice_absent(3, -1, 0, 2));  // B: h+l = 1
    EXPECT_TRUE(lattice_absent(4, -2, 1, 0));  // C: h+k = -1
    EXPECT_FALSE(lattice_absent(4, -1, 1, 5));
    EXPECT_TRUE(lattice_absent(5, -1, 0, 0));  // I: h+k+l = -1
    EXPECT_FALSE(lattice_absent(5, -1, 1, 2));
    EXPECT_TRUE(lattice_absent(6, -1, 1, 0));  // F: mixed
    EXPECT_FALSE(lattice_absent(6, -1, 1, 3));
    EXPECT_FALSE(lattice_absent(6, -2, 0, 2));
    EXPECT_FALSE(lattice_absent(7, 1, 0, 1));  // R1: -h+k+l = 0
    EXPECT_FALSE(lattice_absent(7, 0, 1, 2));
    EXPECT_TRUE(lattice_absent(7, 1, 0, 0));
    EXPECT_FALSE(lattice_absent(7, -2, 0, -2));  // -(-2)+0-2 = 0
    EXPECT_TRUE(lattice_absent(7, 2, 0, 0));     // -2: not a multiple of 3
    EXPECT_FALSE(lattice_absent(8, -1, 0, 1));   // R2: h-k+l = 0
    EXPECT_TRUE(lattice_absent(8, 1, 0, 1));
}

TEST_F(PatternGeneration, DuplicateRemovalKeepsTheLastOfARunWithPositiveK)
{
    // Runs of coincident Q built by hand: 1 0 0 / 0 1 0 within 0.0001 QU.,
    // and 1 -1 0 / 1 1 0 at the same Q.
    ds.Ncalc = 6;
    const double q[] = {0, 100, 100.00005, 200, 200, 300, 301};
    const int h[] = {0, 1, 0, 1, 1, 2, 3}, k[] = {0, 0, 1, -1, 1, -2, 0},
              l[] = {0, 0, 0, 0, 0, 0, 0};
    for (int i = 1; i <= 6; ++i) {
        ds.CQ[i] = q[i];
        ds.CH[i] = h[i];
        ds.CK[i] = k[i];
        ds.CL[i] = l[i];
    }
    cell::remove_symmetry_duplicates(ds);
    ASSERT_EQ(ds.Ncalc, 4);
    EXPECT_EQ(std::make_tuple(ds.CH[1], ds.CK[1], ds.CQ[1]), std::make_tuple(0, 1, 100.00005));
    EXPECT_EQ(std::make_tuple(ds.CH[2], ds.CK[2], ds.CQ[2]), std::make_tuple(1, 1, 200.0));
    // A single line with l = 0 and k < 0 is turned only when it follows a
    // coincident line.
    EXPECT_EQ(std::make_tuple(ds.CH[3], ds.CK[3]), std::make_tuple(2, -2));
    EXPECT_EQ(std::make_tuple(ds.CH[4], ds.CK[4]), std::make_tuple(3, 0));
}

TEST_F(PatternGeneration, WithoutReductionBothSignsOfHk0Stay)
{
    direct_cell(4, 4, 6, 90, 90, 120);  // hexagonal: Q(F) only, kmin = 0, hmin < 0
    calculate(10000.0 / (1.5 * 1.5), false);
    EXPECT_NE(find(1, 1, 0), 0);
    EXPECT_NE(find(-1, 2, 0), 0);   // equivalent to 1 1 0 in the hexagonal lattice
    EXPECT_EQ(find(-1, 0, 0), 0);   // negative axial reflections are not generated
    EXPECT_EQ(find(0, 0, 0), 0);
    const int n = ds.Ncalc;
    cell::remove_symmetry_duplicates(ds);
    EXPECT_LT(ds.Ncalc, n);
    expect_sorted();
}

} // namespace
