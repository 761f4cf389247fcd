// Cell conversions checked against an independent metric-tensor computation
// and against each other by round trips.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "cell/conversions.hpp"
#include "console/utilities.hpp"
#include "cell_test_support.hpp"
#include "support/fake_console.hpp"

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

struct Cell {
    double a, b, c, alpha, beta, gamma;
};

// The system converts degrees with 57.29577951; the reference does the same
// so that only the algebra is compared.
double rad(double degrees) { return degrees / console::deg_per_rad; }

Matrix metric(const Cell& x)
{
    // An angle of exactly 90 has a cosine of exactly 0.
    auto cosine = [](double angle) { return angle == 90.0 ? 0.0 : std::cos(rad(angle)); };
    const double ca = cosine(x.alpha), cb = cosine(x.beta), cg = cosine(x.gamma);
    return {{{x.a * x.a, x.a * x.b * cg, x.a * x.c * cb},
             {x.a * x.b * cg, x.b * x.b, x.b * x.c * ca},
             {x.a * x.c * cb, x.b * x.c * ca, x.c * x.c}}};
}

double determinant(const Matrix& m)
{
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Matrix inverse(const Matrix& m)
{
    const double d = determinant(m);
    Matrix r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            r[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / d;
        }
    return r;
}

void set_direct(dataset::Dataset& ds, const Cell& x)
{
    ds.DD = {0, x.a, x.b, x.c, x.alpha, x.beta, x.gamma};
}

const Cell monoclinic{9.512, 7.231, 11.304, 90.0, 104.52, 90.0};
const Cell triclinic{5.103, 6.327, 7.418, 82.13, 97.31, 105.62};

class CellConversions : public ::testing::Test {
protected:
    testing_support::FakeSession f;
    dataset::Dataset& ds = f.s.ds;
};

TEST_F(CellConversions, CubicTenAngstromGivesQ100AndVolume1000)
{
    set_direct(ds, {10, 10, 10, 90, 90, 90});
    ASSERT_TRUE(cell::cell_from_direct(ds));
    EXPECT_NEAR(ds.V, 1000.0, 1e-9);
    EXPECT_NEAR(ds.Vstar, 0.001, 1e-15);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(ds.QQ[i], 100.0, 1e-9);
        EXPECT_NEAR(ds.RR[i], 0.1, 1e-12);
    }
    // Exact 90 degree angles give exact zeros, so the special displays apply.
    for (int i = 4; i <= 6; ++i) {
        EXPECT_EQ(ds.DSC[i], 0.0);
        EXPECT_EQ(ds.RSC[i], 0.0);
        EXPECT_EQ(ds.QQ[i], 0.0);
        EXPECT_EQ(ds.RR[i], 90.0);
        EXPECT_EQ(ds.PP[i - 3], 0.0);
    }
    EXPECT_NEAR(ds.PP[4], -100.0, 1e-12);
}

TEST_F(CellConversions, ReciprocalCellAgreesWithMetricTensorInversion)
{
    for (const Cell& x : {monoclinic, triclinic}) {
        set_direct(ds, x);
        ASSERT_TRUE(cell::cell_from_direct(ds));
        const Matrix g = metric(x);
        const Matrix gs = inverse(g);
        EXPECT_NEAR(ds.V, std::sqrt(determinant(g)), 1e-9);
        EXPECT_NEAR(ds.RR[1], std::sqrt(gs[0][0]), 1e-12);
        EXPECT_NEAR(ds.RR[2], std::sqrt(gs[1][1]), 1e-12);
        EXPECT_NEAR(ds.RR[3], std::sqrt(gs[2][2]), 1e-12);
        EXPECT_NEAR(ds.RSC[4], gs[1][2] / std::sqrt(gs[1][1] * gs[2][2]), 1e-12);
        EXPECT_NEAR(ds.RSC[5], gs[0][2] / std::sqrt(gs[0][0] * gs[2][2]), 1e-12);
        EXPECT_NEAR(ds.RSC[6], gs[0][1] / std::sqrt(gs[0][0] * gs[1][1]), 1e-12);
        // Q(hkl) = 10000 h.G*.h
        EXPECT_NEAR(ds.QQ[1], 1e4 * gs[0][0], 1e-8);
        EXPECT_NEAR(ds.QQ[2], 1e4 * gs[1][1], 1e-8);
        EXPECT_NEAR(ds.QQ[3], 1e4 * gs[2][2], 1e-8);
        EXPECT_NEAR(ds.QQ[4], 2e4 * gs[1][2], 1e-8);
        EXPECT_NEAR(ds.QQ[5], 2e4 * gs[0][2], 1e-8);
        EXPECT_NEAR(ds.QQ[6], 2e4 * gs[0][1], 1e-8);
        // Delaunay constants: scalar products of a, b, c, d = -(a+b+c).
        EXPECT_NEAR(ds.PP[1], g[1][2], 1e-9);
        EXPECT_NEAR(ds.PP[2], g[0][2], 1e-9);
        EXPECT_NEAR(ds.PP[3], g[0][1], 1e-9);
        EXPECT_NEAR(ds.PP[4], -(g[0][0] + g[0][1] + g[0][2]), 1e-9);
        EXPECT_NEAR(ds.PP[5], -(g[1][1] + g[0][1] + g[1][2]), 1e-9);
        EXPECT_NEAR(ds.PP[6], -(g[2][2] + g[1][2] + g[0][2]), 1e-9);
    }
}

// Angles come back through the arctangent plus 180 degrees, and 180 degrees
// is not quite pi radians with the degree factor used: an obtuse angle
// returns about 1e-8 degrees high.
void expect_same_direct(const dataset::Dataset& ds, const Cell& x)
{
    EXPECT_NEAR(ds.DD[1], x.a, 1e-9);
    EXPECT_NEAR(ds.DD[2], x.b, 1e-9);
    EXPECT_NEAR(ds.DD[3], x.c, 1e-9);
    EXPECT_NEAR(ds.DD[4], x.alpha, 2e-8);
    EXPECT_NEAR(ds.DD[5], x.beta, 2e-8);
    EXPECT_NEAR(ds.DD[6], x.gamma, 2e-8);
}

// The angle rule: arctangent in degrees, plus 180 when negative. The offset
// between pi radians and 180 degrees (about 9.7e-9 with 57.29577951) shows in
// the stored angles, which the dataset file writes with 13 decimals.
TEST_F(CellConversions, ObtuseAnglesAreTheArctangentPlus180Degrees)
{
    const double offset = 180.0 - M_PI * console::deg_per_rad;
    // An acute direct beta makes beta* obtuse: the arctangent is -80 degrees.
    set_direct(ds, {9.0, 7.0, 11.0, 90.0, 80.0, 90.0});
    ASSERT_TRUE(cell::cell_from_direct(ds));
    EXPECT_NEAR(ds.RR[5], 100.0, 1e-11);
    // From the powder constants the obtuse direct beta = 100 comes back as
    // the arctangent of an angle computed in radians, plus 180.
    set_direct(ds, {9.0, 7.0, 11.0, 90.0, 100.0, 90.0});
    ASSERT_TRUE(cell::cell_from_direct(ds));
    const dataset::CellRow q = ds.QQ;
    ASSERT_TRUE(cell::cell_from_powder_constants(ds, q));
    EXPECT_NEAR(ds.DD[5], 100.0 + offset, 1e-11);
    EXPECT_NEAR(ds.RR[5], 80.0 - offset, 1e-11);
}

TEST_F(CellConversions, PowderConstantsRoundTripToTheDirectCell)
{
    for (const Cell& x : {monoclinic, triclinic}) {
        set_direct(ds, x);
        ASSERT_TRUE(cell::cell_from_direct(ds));
        const double v = ds.V;
        const dataset::CellRow q = ds.QQ;
        ds.DD = {};
        ASSERT_TRUE(cell::cell_from_powder_constants(ds, q));
        expect_same_direct(ds, x);
        EXPECT_NEAR(ds.V, v, 1e-9);
        EXPECT_NEAR(ds.Q2A[1] * ds.RSC[4], q[4], 1e-9);
        EXPECT_NEAR(ds.Q2A[2] * ds.RSC[5], q[5], 1e-9);
        EXPECT_NEAR(ds.Q2A[3] * ds.RSC[6], q[6], 1e-9);
    }
}

TEST_F(CellConversions, DelaunayConstantsRoundTripToTheDirectCell)
{
    for (const Cell& x : {monoclinic, triclinic}) {
        set_direct(ds, x);
        ASSERT_TRUE(cell::cell_from_direct(ds));
        const dataset::CellRow q = ds.QQ;
        ds.DD = {};
        ds.QQ = {};
        ASSERT_TRUE(cell::cell_from_delaunay(ds));
        expect_same_direct(ds, x);
        for (int i = 1; i <= 6; ++i)
            EXPECT_NEAR(ds.QQ[i], q[i], 1e-8) << "Q row " << i;
    }
}

TEST_F(CellConversions, ExactNinetyStaysExactThroughPowderConstants)
{
    // Monoclinic b-unique: only Q(E) is non-zero.
    dataset::CellRow q{0, 120.0, 200.0, 90.0, 0.0, 35.0, 0.0};
    ASSERT_TRUE(cell::cell_from_powder_constants(ds, q));
    EXPECT_EQ(ds.RR[4], 90.0);
    EXPECT_EQ(ds.RR[6], 90.0);
    EXPECT_EQ(ds.DD[4], 90.0);
    EXPECT_EQ(ds.DD[6], 90.0);
    EXPECT_GT(ds.DD[5], 90.0);  // cos beta* > 0 gives beta > 90
}

TEST_F(CellConversions, ImpossiblePowderConstantsFailAndLeaveTheCellAlone)
{
    set_direct(ds, monoclinic);
    ASSERT_TRUE(cell::cell_from_direct(ds));
    const dataset::Dataset before = ds;
    const double qb = 150.0, qc = 200.0;
    const double limit = 2.0 * std::sqrt(qb * qc);
    const dataset::CellRow bad[] = {
        {0, 0.0, qb, qc, 0, 0, 0},           // Q(A) = 0
        {0, -100.0, qb, qc, 0, 0, 0},        // negative diagonal constant
        {0, 100.0, qb, qc, limit, 0, 0},     // cos alpha* exactly 1
        {0, 100.0, qb, qc, -limit * 1.01, 0, 0},
        // each cosine is -0.9, but the three angles cannot close a cell
        {0, 100.0, 100.0, 100.0, -180.0, -180.0, -180.0},
    };
    for (const auto& q : bad) {
        EXPECT_FALSE(cell::cell_from_powder_constants(ds, q)) << q[1] << " " << q[4];
        EXPECT_EQ(ds.DD, before.DD);
        EXPECT_EQ(ds.RR, before.RR);
        EXPECT_EQ(ds.DSC, before.DSC);
        EXPECT_EQ(ds.RSC, before.RSC);
    }
}

TEST_F(CellConversions, FlatOrImaginaryCellsHaveNoVolume)
{
    // alpha = beta + gamma closes the cell flat.
    const Cell flat[] = {{5, 6, 7, 120, 60, 60},
                         {5, 6, 7, 90, 45, 45},
                         {5, 6, 7, 150.5, 80.25, 70.25},
                         {5, 6, 7, 110.3, 55.1, 55.2}};
    for (const Cell& x : flat) {
        set_direct(ds, x);
        EXPECT_FALSE(cell::cell_from_direct(ds)) << x.alpha;
        EXPECT_EQ(ds.V, 0.0);
    }
    set_direct(ds, {5, 6, 7, 130, 60, 60});  // beyond flat: imaginary volume
    EXPECT_FALSE(cell::cell_from_direct(ds));
    EXPECT_EQ(ds.V, 0.0);
}

TEST_F(CellConversions, DelaunayConstantsWithNonPositiveSquaresFail)
{
    // a^2 = -(Q + R + S) = 0
    ds.PP = {0, -1.0, -2.0, -3.0, 5.0, -10.0, -20.0};
    ds.V = 123.0;
    EXPECT_FALSE(cell::cell_from_delaunay(ds));
    EXPECT_EQ(ds.V, 0.0);
    // c^2 negative
    ds.PP = {0, 0.0, 0.0, 0.0, -25.0, -36.0, 4.0};
    EXPECT_FALSE(cell::cell_from_delaunay(ds));
    // |cos alpha| > 1: P = 40 with b = c = 6
    ds.PP = {0, 40.0, 0.0, 0.0, -25.0, -76.0, -76.0};
    EXPECT_FALSE(cell::cell_from_delaunay(ds));
    EXPECT_EQ(ds.V, 0.0);
}

TEST_F(CellConversions, ReciprocalAngleFunctions)
{
    set_direct(ds, triclinic);
    ASSERT_TRUE(cell::cell_from_direct(ds));
    cell::compute_q2a(ds);
    for (int axis = 1; axis <= 3; ++axis) {
        const double angle = ds.RR[axis + 3];
        const double q = cell::AtoQstar(f.s, axis, angle);
        // An obtuse stored angle stands 1e-8 degrees off its cosine.
        EXPECT_NEAR(q, ds.QQ[axis + 3], 1e-6);
        // Each pass through degrees adds that offset once more.
        EXPECT_NEAR(cell::QtoAstar(f.s, axis, q), angle, 2e-8);
    }
    EXPECT_EQ(cell::AtoQstar(f.s, 2, 90.0), 0.0);
    EXPECT_NEAR(cell::QtoAnglestar(f.s, ds.QQ[2], ds.QQ[3], ds.QQ[4]), ds.RR[4], 2e-8);
    EXPECT_EQ(cell::QtoAnglestar(f.s, 100.0, 200.0, 0.0), 90.0);
    EXPECT_NEAR(cell::QtoAnglestar(f.s, 100.0, 100.0, -100.0), 120.0, 1e-8);
}

class ReciprocalAngleFailures : public CellConversions {
protected:
    void SetUp() override
    {
        ds.Dset = "LOGTEST";
        ds.Q2A = {0, 100.0, 100.0, 100.0};
    }
    std::string log_text()
    {
        f.s.out.log.close();
        return dir.read("LOGTEST.LOG");
    }
    cell_testing::ScratchDir dir;  // the log file is written here
};

TEST_F(ReciprocalAngleFailures, OutOfRangeCosinesAreLoggedAndFlagged)
{
    EXPECT_EQ(cell::QtoAstar(f.s, 2, 150.0), 0.0);  // cosine 1.5 is taken as 1
    EXPECT_EQ(cell::QtoAnglestar(f.s, 0.0, 100.0, 10.0), -999.0);
    EXPECT_EQ(cell::QtoAnglestar(f.s, -100.0, -100.0, 10.0), -999.0);
    EXPECT_EQ(cell::QtoAnglestar(f.s, 100.0, 100.0, 200.5), -999.0);
    const std::string log = log_text();
    EXPECT_NE(log.find("** QtoAstar: out-of-range cosine = 1.50000000000000E+0000 for axis = 2 "
                       "set to 1 **\r\n** Qangle & Q2A[2] were:  1.50000000000000E+0002,  "
                       "1.00000000000000E+0002 **\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("** QtoAnglestar: Invalid parameter(s) Qside1,Qside2 - returned -999 as "
                       "flag **\r\n*  Qside1 = 0.000000, Qside2 = 100.000000\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("*  Qside1 = -100.000000, Qside2 = -100.000000\r\n"), std::string::npos);
    EXPECT_NE(log.find("** QtoAnglestar found an out-of-range cosine = 1.00250000000000E+0000 "
                       "- returned -999 as flag **\r\n*  Qside1 = 100.000000, Qside2 = "
                       "100.000000, Qangle = 200.500000\r\n"),
              std::string::npos)
        << log;
}

TEST_F(ReciprocalAngleFailures, InvalidAxisEndsTheRunAfterEnter)
{
    ds.Q2A[3] = 0.0;
    ds.RR = {0, 0.125, 0.25, 0.5, 90, 90, 90};
    EXPECT_EXIT(cell::AtoQstar(f.s, 3, 80.0), ::testing::ExitedWithCode(1), "");
    const std::string log = log_text();
    EXPECT_NE(log.find("** AtoQstar: Invalid Q2A[axis] = 0 for axis = 3 **\r\n**  RR[1] = "
                       "0.125000  **\r\n**  RR[2] = 0.250000  **\r\n**  RR[3] = 0.500000  "
                       "**\r\n\r\n\r\n** Latticor run terminated **\r\n"),
              std::string::npos)
        << log;
    EXPECT_EXIT(cell::QtoAstar(f.s, 4, 10.0), ::testing::ExitedWithCode(1), "");
}

} // namespace
