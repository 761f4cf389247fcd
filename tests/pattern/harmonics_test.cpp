// HO: the search for higher and lower orders by Q and by 2Theta, and the
// paging of its output.
#include <gtest/gtest.h>

#include "dataset/model.hpp"
#include "pattern/commands.hpp"
#include "pattern/harmonics.hpp"
#include "pattern/pattern_helpers.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using pattern::Criterion;
using pattern::Direction;
using pattern_testing::replies;
using testing_support::StringSink;

namespace {

std::string search(const dataset::Dataset& ds, Criterion c, Direction d, double tolerance)
{
    StringSink out;
    pattern::harmonics_search(ds, c, d, tolerance, out);
    return out.text;
}

} // namespace

TEST(Harmonics, ExactOrdersByQInBothDirections)
{
    dataset::Dataset ds;
    pattern_testing::set_q_pattern(ds, {100.0, 250.0, 400.0, 610.0, 900.0});
    EXPECT_EQ(search(ds, Criterion::q, Direction::up, 1.5),
              "  1 ( 100.000) possible  2-order ( 400.000) of   3 ( 400.000), diff =  0.000\n"
              "  1 ( 100.000) possible  3-order ( 900.000) of   5 ( 900.000), diff =  0.000\n"
              "\n");
    EXPECT_EQ(search(ds, Criterion::q, Direction::down, 1.5),
              "  3 ( 400.000) possible  2-order ( 100.000) of   1 ( 100.000), diff =  0.000\n"
              "\n"
              "  5 ( 900.000) possible  3-order ( 100.000) of   1 ( 100.000), diff =  0.000\n"
              "\n");
    // The test is strict: a tolerance of 0 accepts nothing.
    EXPECT_EQ(search(ds, Criterion::q, Direction::up, 0.0), "");
}

TEST(Harmonics, AnglesAreComparedCorrectedWithTrue)
{
    dataset::Dataset ds;
    ds.Z2Th = 0.1;
    pattern_testing::set_two_theta_pattern(ds, {20.0, 30.0});
    // A third line at exactly four times Q(1), given by its corrected angle.
    double t = 0.0;
    ASSERT_TRUE(dataset::two_theta_from_q(ds, 4.0 * ds.OQ[1], ds.Z2Th, t));
    ds.OT[++ds.Nobs] = t;
    ds.OQ[ds.Nobs] = 4.0 * ds.OQ[1];
    const std::string up = search(ds, Criterion::two_theta, Direction::up, 0.03);
    EXPECT_EQ(up, "  1 ( 20.100) possible  2-order ( 40.854) of   3 ( 40.854), 2Thdif =  0.000\n\n");
}

TEST(Harmonics, OrdersBeyondTheWavelengthLimitAreReported)
{
    dataset::Dataset ds;
    pattern_testing::set_q_pattern(ds, {4300.0, 17300.0});  // 1/K = 16853 QU. for CuKa1
    EXPECT_EQ(search(ds, Criterion::two_theta, Direction::up, 0.25),
              "** 2Theta out of range for 2-order of obs line 1 **\n");
    EXPECT_EQ(search(ds, Criterion::q, Direction::up, 200.0),
              "  1 (4300.000) possible  2-order (17200.000) of   2 (17300.000), diff = -100.000\n\n");
}

TEST(Harmonics, FirstLineNearZeroQStillEnds)
{
    dataset::Dataset ds;
    pattern_testing::set_q_pattern(ds, {1.0, 4.0, 2500.0});
    const std::string down = search(ds, Criterion::q, Direction::down, 0.5);
    EXPECT_NE(down.find("  2 (   4.000) possible  2-order (   1.000) of   1 (   1.000)"), std::string::npos);
    EXPECT_NE(down.find("  3 (2500.000) possible 50-order (   1.000) of   1"), std::string::npos);
}

TEST(Harmonics, DialoguePagesAfterSeventeenResultLinesThenEveryTwentyFour)
{
    // Q, tolerance 1.5, upwards; then the pauses.
    testing_support::FakeSession f(replies({"Q", "", "U"}) + std::string(20, '\n'));
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    ds.Nobs = 40;
    for (int i = 1; i <= 40; ++i)
        ds.OQ[i] = 10.0 * i * i;  // line i has the higher orders 2i, 3i, ...
    pattern::HO(f.s);
    const std::string results = pattern_testing::after(f.screen(), "(default D): U\n");
    const std::string pause = "\nPress ENTER to continue \n";
    const std::size_t first = results.find(pause);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(testing_support::count_of(results.substr(0, first), "possible"), 17);
    const std::size_t second = results.find(pause, first + 1);
    ASSERT_NE(second, std::string::npos);
    const std::string page = results.substr(first + pause.size(), second - first - pause.size());
    EXPECT_EQ(testing_support::count_of(page, "\n"), 24);
}

TEST(Harmonics, DialogueNeedsTwoLinesAndTakesBothEndsOfTheRanges)
{
    pattern::harmonics_settings() = pattern::HarmonicsSettings{};
    testing_support::FakeSession one;
    pattern_testing::set_q_pattern(one.s.ds, {100.0});
    pattern::HO(one.s);
    EXPECT_NE(one.screen().find("\n1 observed lines - too few for any higher orders\n"), std::string::npos);

    // 50 and 0 QU., then 0.25 deg after a refused 0.2501; the criterion and
    // direction answers end their lines with nothing between.
    testing_support::FakeSession f(replies({"Q", "50", "U", "Q", "0", "D", "T", "0.2501", "0.25", "D"}));
    f.s.con.output_code = 0;
    pattern_testing::set_q_pattern(f.s.ds, {100.0, 400.0});
    pattern::HO(f.s);
    EXPECT_DOUBLE_EQ(pattern::harmonics_settings().q_tolerance, 50.0);
    pattern::HO(f.s);
    EXPECT_EQ(pattern::harmonics_settings().q_tolerance, 0.0);
    pattern::HO(f.s);
    EXPECT_DOUBLE_EQ(pattern::harmonics_settings().two_theta_tolerance, 0.25);
    const std::string screen = f.screen();
    EXPECT_EQ(testing_support::count_of(screen, "** Must be in the range"), 1);
    EXPECT_NE(screen.find("(T/Q, default T): Q\nInput max Q-difference"), std::string::npos);
    EXPECT_NE(screen.find("(default D): U\n  1 ( 100.000) possible  2-order ( 400.000)"), std::string::npos);
}
