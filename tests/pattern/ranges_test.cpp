// Replies outside the range a dataset can hold are refused and asked again,
// leaving the dataset as it was.
#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using pattern_testing::replies;
using pattern_testing::set_q_pattern;
using pattern_testing::set_two_theta_pattern;
using testing_support::count_of;
using testing_support::FakeSession;

TEST(ReplyRanges, WavelengthFromHundredthToHundredAngstroms)
{
    // Too short (a subnormal among them), too long, then one that fits.
    FakeSession f(replies({"0.001", "1E-310", "200", "1.2", "N"}));
    set_two_theta_pattern(f.s.ds, {10.0});
    pattern::WA(f.s);
    EXPECT_EQ(count_of(f.screen(), "  ** Wavelength must lie in the range 0.01 to 100 A **\n"), 3)
        << f.screen();
    EXPECT_EQ(f.s.ds.W0, 1.2);

    // 0 is no wavelength at all, as a file may carry it.
    FakeSession none(replies({"0"}));
    pattern::WA(none.s);
    EXPECT_EQ(none.s.ds.W0, 0.0);
    EXPECT_EQ(count_of(none.screen(), "** Wavelength"), 0);
}

TEST(ReplyRanges, ZeroCorrectionQmaxAndIndexLimits)
{
    FakeSession ze(replies({"50", "-45.5", "0.5", "N"}));
    pattern::ZE(ze.s);
    EXPECT_EQ(count_of(ze.screen(), "  ** Zero correction must lie in the range -45 to 45 degrees **\n"), 2);
    EXPECT_EQ(ze.s.ds.Z2Th, 0.5);

    FakeSession qm(replies({"1E9", "5000"}));
    pattern::QM(qm.s);
    EXPECT_EQ(count_of(qm.screen(), "1E9 QU.  ** Qmax must not exceed 400000050 QU. **\n"), 1)
        << qm.screen();
    EXPECT_EQ(qm.s.ds.Qmax, 5000.0);

    // hmin -5000 and kmax 1001 are asked again; ENTER keeps the others.
    FakeSession hl(replies({"-5000", "-3", "", "", "1001", "1000", "", ""}));
    pattern::HL(hl.s);
    EXPECT_EQ(count_of(hl.screen(), "  ** Index limits must lie in the range -1000 to 1000 **\n"), 2);
    EXPECT_EQ(count_of(hl.screen(), "hmin:"), 2);
    EXPECT_EQ(hl.s.ds.GL, (dataset::IndexRow{0, -3, 0, 0, 1000, 0, 0}));
    EXPECT_EQ(hl.s.ds.Gflag, 1);
}

TEST(ReplyRanges, ObservedLinesBeyondTheShortestSpacing)
{
    // d = 0.001 A and Q = 5e8 are asked again; the line stays line 1.
    FakeSession f(replies({"N", "D", "0.001", "2", "0", "Y", "NEW", "*Q"}));
    pattern::OB(f.s);
    EXPECT_EQ(count_of(f.screen(), "  ** Q above 400000000 QU. (d below 0.005 A) **\n 1  d-obs = "), 1)
        << f.screen();
    ASSERT_EQ(f.s.ds.Nobs, 1);
    EXPECT_EQ(f.s.ds.OQ[1], 2500.0);
}

TEST(ReplyRanges, RescaleKeepsWavelengthAndQInRange)
{
    // 15.406 A times 10 is beyond 100 A; 0.5 then goes through to the save.
    FakeSession f(replies({"10", "0.5", "", "*Q"}));
    f.s.con.output_code = 0;
    f.s.ds.set_wavelength(15.406);
    set_q_pattern(f.s.ds, {100.0});
    pattern::RS(f.s);
    EXPECT_EQ(count_of(f.screen(), "** The wavelength would become 154.060000 A, outside the range "
                                   "0.01 to 100 A **\n"),
              1)
        << f.screen();
    EXPECT_DOUBLE_EQ(f.s.ds.W0, 7.703);

    // Q 2e8 divided by 0.1 squared passes the largest Q.
    FakeSession q(replies({"0.1", ""}));
    set_q_pattern(q.s.ds, {100.0, 2e8});
    pattern::RS(q.s);
    EXPECT_EQ(count_of(q.screen(), "** Q of line 2 would exceed 400000000 QU. **\n"), 1);
    EXPECT_EQ(q.s.ds.OQ[2], 2e8);
    EXPECT_EQ(q.s.ds.W0, 1.5406);
}

TEST(ReplyRanges, TransformationFactorAndZero)
{
    // k = 20 and a zero of 50 are asked again.
    FakeSession f(replies({"20", "1.001", "50", "-0.02", "", "F"}));
    f.s.con.output_code = 0;
    set_two_theta_pattern(f.s.ds, {10.0, 20.0});
    pattern::TR(f.s);
    EXPECT_EQ(count_of(f.screen(), "  ** Factor k must lie in the range 0.1 to 10 **\n"), 1);
    EXPECT_EQ(count_of(f.screen(), "  ** The zero correction would become 50.000000 degrees, outside "
                                   "-45 to 45 **\n"),
              1);
    EXPECT_EQ(f.s.pattern.tr_k, 1.001);
    EXPECT_EQ(f.s.ds.Z2Th, -0.02);

    // What the calibration of CA offers is refused whole when it would
    // leave the range; nothing moves, not even the remembered k and Z.
    FakeSession ca;
    set_two_theta_pattern(ca.s.ds, {10.0, 20.0});
    ca.s.ds.Z2Th = 40.0;
    const auto before = ca.s.ds.OT;
    pattern::apply_transformation(ca.s, 1.01, 6.0);
    EXPECT_EQ(ca.screen(), "** Transformation refused: the zero correction would become 46.000000 "
                           "degrees, outside -45 to 45 **\n");
    pattern::apply_transformation(ca.s, 25.0, 0.0);
    EXPECT_EQ(count_of(ca.screen(), "factor k = 25.000000 lies outside 0.1 to 10 **\n"), 1);
    ca.s.ds.OT[2] = 1e308;
    pattern::apply_transformation(ca.s, 2.0, 0.0);
    EXPECT_EQ(count_of(ca.screen(), "2Theta of line 2 would overflow **\n"), 1);
    EXPECT_EQ(ca.s.ds.Z2Th, 40.0);
    EXPECT_EQ(ca.s.ds.OT[1], before[1]);
    EXPECT_EQ(ca.s.pattern.tr_k, 1.0);
    EXPECT_EQ(ca.s.pattern.tr_z, 0.0);
}
