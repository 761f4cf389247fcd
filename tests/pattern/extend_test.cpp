// EP: candidate higher orders, rejection, the wavelength reduction and the
// dialogue that takes a sparse pattern to 20 lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "pattern/commands.hpp"
#include "pattern/extend.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using pattern_testing::bragg_q;
using pattern_testing::replies;
using pattern_testing::set_q_pattern;
using pattern_testing::set_two_theta_pattern;
using testing_support::FakeSession;

namespace ext = pattern::extension;

namespace {

bool shows(const FakeSession& f, const std::string& text)
{
    return f.screen().find(text) != std::string::npos;
}

// Proceed, the limit, the pause, then "*Q" at the save.
std::string run_with_limit(const char* limit) { return replies({"", limit, "", "*Q"}); }

constexpr double cu_k = 1.5406 * 1.5406 / 40000.0;

} // namespace

TEST(Extension, OrdersAndCandidatesFollowTheSizeOfThePattern)
{
    EXPECT_EQ(ext::highest_order(5), 9);
    EXPECT_EQ(ext::highest_order(12), 9);   // 12 * 8 = 96 < 99
    EXPECT_EQ(ext::highest_order(13), 8);
    EXPECT_EQ(ext::highest_order(20), 5);
    EXPECT_EQ(ext::highest_order(99), 1);   // no orders at all

    dataset::Dataset ds;
    set_q_pattern(ds, {300.0, 100.0, 200.0, 400.0, 500.0});
    ext::Candidates c{};
    ASSERT_EQ(ext::make_candidates(ds, 9, c), 40);
    EXPECT_EQ(c[0], 400.0);
    EXPECT_EQ(c[39], 81.0 * 500.0);
    EXPECT_TRUE(std::is_sorted(c.begin(), c.begin() + 40));

    // 98 lines with m = 2 give 98 candidates; only 97 are kept.
    ds.Nobs = 98;
    for (int i = 1; i <= 98; ++i)
        ds.OQ[i] = i;
    ASSERT_EQ(ext::highest_order(98), 2);
    ASSERT_EQ(ext::make_candidates(ds, 2, c), 97);
    EXPECT_EQ(c[96], 4.0 * 97);
}

TEST(Extension, TheWavelengthIsTheFirstHalvingOfTwoThatReachesTheLine)
{
    EXPECT_EQ(ext::fitting_wavelength(cu_k, 100.0), 2.0);
    EXPECT_EQ(ext::fitting_wavelength(cu_k, 20000.0), 1.0);
    EXPECT_EQ(ext::fitting_wavelength(cu_k, 100000.0), 0.5);   // 1.0 reaches only 40000
    EXPECT_EQ(ext::fitting_wavelength(cu_k, 40000.0), 0.5);    // K * Q = 1 is 180 degrees
}

TEST(Extension, FiveLinesReachTwentyWithTheirHigherOrders)
{
    FakeSession f(run_with_limit(""));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0, 156.25, 256.25, 412.5, 625.0});
    ds.Iflag = 1;
    ds.ikind = 1;
    for (int i = 1; i <= 5; ++i)
        ds.OI[i] = 100.0 * i;
    pattern::EP(f.s);

    // Worked by hand: n^2 * Q for n = 2..9 in ascending order, without those
    // within 20 QU. of a line already present (400 by 412.5, 625, 2500
    // twice, 5625, 6406.25 by 6400).
    const double want[] = {0,      100.0,  156.25, 256.25, 412.5,  625.0,  900.0,
                           1025.0, 1406.25, 1600.0, 1650.0, 2306.25, 2500.0, 3600.0,
                           3712.5, 3906.25, 4100.0, 4900.0, 5625.0, 6400.0, 6600.0};
    ASSERT_EQ(ds.Nobs, 20);
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(ds.OQ[i], want[i]) << "line " << i;
        EXPECT_NEAR(bragg_q(ds.OT[i], ds.W0), ds.OQ[i], 1e-6 * ds.OQ[i]) << "line " << i;
    }
    EXPECT_EQ(ds.OI[6], 0.0);
    EXPECT_EQ(ds.icode[6], 0);
    EXPECT_EQ(ds.OI[5], 500.0);
    EXPECT_EQ(ds.W0, 1.5406);
    EXPECT_EQ(ds.Dflag, 0);
    EXPECT_EQ(f.s.pattern.ob_type, 3);
    EXPECT_EQ(testing_support::count_of(f.screen(), "Higher order with Q = "), 6);
    EXPECT_TRUE(shows(f, "\nHigher order with Q = 400.000 rejected: only -12.500 from line at 412.500\n"));
    EXPECT_TRUE(shows(f, "Calculating 2Theta values from Qobs for the new lines\n"
                         "\nThe dataset has now been extended to 20 lines\n"));
    EXPECT_TRUE(shows(f, "appended and similarly the title line updated by appending \",EP20\".\n"));
    EXPECT_TRUE(shows(f, "Save the new dataset in Latticor (CDT) format"));
}

TEST(Extension, WhenTheCandidatesRunOutThePatternStopsShort)
{
    FakeSession f(run_with_limit("5000"));
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0});
    pattern::EP(f.s);
    // Only 64 * 100 lies 5000 QU. from everything before it.
    ASSERT_EQ(ds.Nobs, 2);
    EXPECT_EQ(ds.OQ[2], 6400.0);
    EXPECT_TRUE(shows(f, "** No more higher orders to add - the pattern has reached 2 lines only **\n"));
    EXPECT_TRUE(shows(f, "The dataset has now been extended to 2 lines\n"));
    EXPECT_TRUE(shows(f, "appending \",EP2\"."));
}

TEST(Extension, LinesBeyondTheWavelengthBringAShorterOne)
{
    FakeSession f(run_with_limit(""));
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {1000.0, 1500.0, 2200.0, 2900.0, 3700.0});
    pattern::EP(f.s);
    ASSERT_EQ(ds.Nobs, 20);
    ASSERT_GE(ds.OQ[20] * cu_k, 1.0);  // out of reach of CuKa1
    EXPECT_EQ(ds.W0, 1.0);
    EXPECT_EQ(ds.K, 1.0 / 40000.0);
    for (int i = 1; i <= 20; ++i) {
        EXPECT_GT(ds.OT[i], 0.0) << "line " << i;
        EXPECT_NEAR(bragg_q(ds.OT[i], 1.0), ds.OQ[i], 1e-6 * ds.OQ[i]) << "line " << i;
    }
}

TEST(Extension, NewLinesTakeTheZeroCorrectionAndOldLinesStay)
{
    FakeSession f(run_with_limit("1"));
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = 0.1;
    set_two_theta_pattern(ds, {5.0, 7.5, 9.0});  // every order within CuKa1
    const auto old_ot = ds.OT;
    const auto old_oq = ds.OQ;
    pattern::EP(f.s);
    ASSERT_EQ(ds.Nobs, 20);
    EXPECT_EQ(ds.Z2Th, 0.1);
    int kept = 0;
    for (int i = 1; i <= 20; ++i) {
        EXPECT_NEAR(bragg_q(ds.OT[i] + 0.1, ds.W0), ds.OQ[i], 1e-6 * ds.OQ[i]) << "line " << i;
        for (int j = 1; j <= 3; ++j)
            if (ds.OT[i] == old_ot[j] && ds.OQ[i] == old_oq[j])
                ++kept;
    }
    EXPECT_EQ(kept, 3);
}

TEST(Extension, TwentyLinesDefaultToNoAndProceedingAddsNothing)
{
    FakeSession f(replies({"", "Y", "", "", "*Q"}));
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {});
    for (int i = 1; i <= 20; ++i)
        ds.OQ[++ds.Nobs] = 100.0 * i;  // every order within 20 QU. of a line
    pattern::EP(f.s);
    EXPECT_TRUE(shows(f, "Do you want to proceed (Y/N, default=N): (N)\n"));
    EXPECT_FALSE(shows(f, "Generating extended pattern"));
    pattern::EP(f.s);
    ASSERT_EQ(ds.Nobs, 20);
    for (int i = 1; i <= 20; ++i)
        EXPECT_EQ(ds.OQ[i], 100.0 * i) << "line " << i;
    EXPECT_EQ(ds.W0, 1.5406);
    EXPECT_FALSE(shows(f, "Higher order with Q"));
    EXPECT_TRUE(shows(f, "\nThe dataset has now been extended to 20 lines\n"));
}
