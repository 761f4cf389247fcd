// Parabolic refinement on constructed merit functions: the parabolic step
// with its limits and refusals, and one refinement cycle's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "rivi/refinement.hpp"
#include "support/fake_console.hpp"

namespace {

using rivi::P_shift;

TEST(ParabolicShift, TheVertexOfThreePoints)
{
    testing_support::FakeConsole c;
    // f(q) = 10 - (q - 0.3)^2 sampled at -1, 0, 1.
    auto r = P_shift(c.con, true, 8.31, 9.91, 9.51, 1.0, 2.0);
    EXPECT_NEAR(r.shift, 0.3, 1e-12);
    EXPECT_EQ(r.status, 1);
    EXPECT_NEAR(r.predicted, 10.0, 1e-12);
    // The same to the left, with a step of 0.5.
    r = P_shift(c.con, true, 10.0 - 0.04, 10.0 - 0.09, 10.0 - 0.64, 0.5, 2.0);
    EXPECT_NEAR(r.shift, -0.3, 1e-12);
    EXPECT_NEAR(r.predicted, 10.0, 1e-12);
    EXPECT_EQ(c.screen(), "");
}

TEST(ParabolicShift, LimitedAndFlatCases)
{
    testing_support::FakeConsole c;
    // A vertex 9.5 steps away is cut to the limit; the predicted maximum is
    // then the better outer point.
    auto r = P_shift(c.con, true, 1.0, 2.0, 2.9, 1.0, 2.0);
    EXPECT_EQ(r.shift, 2.0);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.predicted, 2.9);
    // Bending upwards: one step towards the better side.
    r = P_shift(c.con, true, 3.0, 1.0, 2.0, 0.5, 2.0);
    EXPECT_EQ(r.shift, -0.5);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.predicted, 3.0);
    // f- = f+ > f0: no shift at all.
    r = P_shift(c.con, true, 3.0, 1.0, 3.0, 0.5, 2.0);
    EXPECT_EQ(r.shift, 0.0);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.predicted, 1.0);
}

TEST(ParabolicShift, RequirePositiveMovesToTheBetterPositivePoint)
{
    testing_support::FakeConsole c;
    struct Case {
        double fm, f0, fp, shift, predicted;
    };
    const std::vector<Case> cases = {
        {2.0, 3.0, 0.0, 0.0, 3.0},   // f+ out: the better of q and q - d
        {3.0, 2.0, 0.0, -1.0, 3.0},
        {3.0, 3.0, 0.0, 0.0, 3.0},   // a tie takes q, named first
        {2.0, 0.0, 1.0, -1.0, 2.0},  // f0 out: the better of q + d and q - d
        {2.0, -1.0, 2.0, 1.0, 2.0},
        {0.0, 2.0, 1.0, 0.0, 2.0},   // f- out: the better of q + d and q
        {0.0, 2.0, 2.0, 1.0, 2.0},
    };
    for (const Case& k : cases) {
        auto r = P_shift(c.con, true, k.fm, k.f0, k.fp, 1.0, 2.0);
        EXPECT_EQ(r.shift, k.shift) << k.fm << " " << k.f0 << " " << k.fp;
        EXPECT_EQ(r.status, -1);
        EXPECT_EQ(r.predicted, k.predicted);
    }
    EXPECT_EQ(c.screen(), "");
    // Without the requirement a zero is an ordinary value.
    auto r = P_shift(c.con, false, 2.0, 3.0, 0.0, 1.0, 2.0);
    EXPECT_EQ(r.status, 1);
}

TEST(ParabolicShift, ANonPositiveMaximumIsReported)
{
    testing_support::FakeConsole c;
    auto r = P_shift(c.con, true, 0.0, 0.0, 0.0, 1.0, 2.0);
    EXPECT_EQ(r.shift, 1.0);
    EXPECT_EQ(c.screen().rfind("** P_shift (rej_npos):  fmax = 0.00000000000000E+0000, stat=-1, fn "
                               "= 0.0",
                               0),
              0u)
        << c.screen();
    testing_support::FakeConsole d;
    P_shift(d.con, false, -1.0, -2.0, -1.5, 1.0, 2.0);
    EXPECT_NE(d.screen().find("** P_shift (pre_set):  fmax =-1.0"), std::string::npos)
        << d.screen();
}

// A merit function given by its values at chosen points (0 elsewhere) that
// keeps every point it was asked for.
struct Table {
    std::map<double, double> values;
    std::vector<double> asked;
    rivi::MeritAt function()
    {
        return [this](double q) {
            asked.push_back(q);
            for (const auto& [at, v] : values)
                if (std::fabs(at - q) < 1e-9)
                    return v;
            return 0.0;
        };
    }
};

// The parabola through (4, 8), (5, 10), (6, 9) has its vertex at 5 + 1/6.
constexpr double vertex = 5.0 + 1.0 / 6.0;

TEST(RefinementCycle, ALowerScoreIsUndoneAnEqualOneMoves)
{
    testing_support::FakeConsole c;
    Table t;
    t.values = {{4.0, 8.0}, {6.0, 9.0}, {vertex, 9.5}};
    rivi::RefinementRun run;
    run.f_best = 10.0;
    rivi::RefinedParameter p{5.0, 0.0};
    const double s = rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run);
    EXPECT_NEAR(s, 1.0 / 6.0, 1e-12);
    EXPECT_EQ(p.q, 5.0);
    EXPECT_EQ(run.f_best, 10.0);
    EXPECT_EQ(run.same, 1);
    EXPECT_NEAR(run.largest_shift, 1.0 / 6.0, 1e-12);  // the shift counts though undone

    t.values[vertex] = 10.0;
    p = {5.0, 0.0};
    run.f_best = 10.0;
    rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run);
    EXPECT_NEAR(p.q, vertex, 1e-12);
    EXPECT_EQ(run.f_best, 10.0);
    EXPECT_EQ(c.screen(), "");
}

TEST(RefinementCycle, DampingCapsAndNullShifts)
{
    testing_support::FakeConsole c;
    Table t;
    // A reversal is damped to 0.6 of the parabolic shift.
    t.values = {{4.0, 8.0}, {6.0, 9.0}, {5.1, 11.0}};
    rivi::RefinementRun run;
    run.f_best = 10.0;
    rivi::RefinedParameter p{5.0, -0.5};
    rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run);
    EXPECT_NEAR(p.q, 5.1, 1e-12);
    EXPECT_EQ(run.reversed, 1);
    EXPECT_EQ(run.f_best, 11.0);
    EXPECT_NEAR(p.last_shift, 1.0 / 6.0, 1e-12);

    // A shift at the limit of 2 steps is applied as 1.5 steps.
    t.values = {{4.0, 1.0}, {6.0, 2.9}, {6.5, 3.0}};
    run = {};
    run.f_best = 2.0;
    p = {5.0, 1.0};
    EXPECT_EQ(rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run), 2.0);
    EXPECT_EQ(p.q, 6.5);
    EXPECT_EQ(run.largest_shift, 1.5);

    // f- = f+ > f0: a null shift, counted apart from the same-direction ones.
    t.values = {{4.0, 12.0}, {6.0, 12.0}, {5.0, 10.0}};
    run = {};
    run.f_best = 10.0;
    p = {5.0, 0.3};
    EXPECT_EQ(rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run), 0.0);
    EXPECT_EQ(run.null, 1);
    EXPECT_EQ(run.same, 0);
    EXPECT_EQ(p.q, 5.0);
}

TEST(RefinementCycle, ABracketAroundARightAngleTriesExactlyZero)
{
    testing_support::FakeConsole c;
    Table t;
    t.values = {{-0.7, 8.0}, {1.3, 8.5}, {0.0, 12.0}};
    rivi::RefinementRun run;
    run.f_best = 10.0;
    rivi::RefinedParameter p{0.3, 0.0};
    rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run);
    ASSERT_EQ(t.asked.size(), 4u);
    EXPECT_EQ(t.asked[3], 0.0);
    EXPECT_EQ(p.q, 0.0);
    EXPECT_EQ(run.f_best, 12.0);

    // Away from 0 only three points are asked.
    t.asked.clear();
    p = {3.0, 0.0};
    t.values = {{2.0, 8.0}, {4.0, 8.5}};
    run.f_best = 10.0;
    rivi::P_ref_cycle(c.con, t.function(), p, 1.0, run);
    EXPECT_EQ(t.asked.size(), 3u);
}

} // namespace
