// OB: keyboard entry of an observed pattern in each of its four forms.
#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"

using pattern_testing::bragg_q;
using pattern_testing::replies;
using testing_support::FakeSession;

namespace {

// The end of every OB that stored lines: clear the old cell, the working
// name, and "*Q" leaves the save dialogue without saving.
std::string closing(const char* clear = "Y", const char* name = "NEW")
{
    return replies({clear, name, "*Q"});
}

bool shows(const FakeSession& f, const std::string& text)
{
    return f.screen().find(text) != std::string::npos;
}

} // namespace

TEST(ObservedInput, ScaledTwoThetaAndSinsqTheta)
{
    // F = 2: typed values are half the angles.
    FakeSession t(replies({"N", "T", "2", "5", "0"}) + closing());
    pattern::OB(t.s);
    ASSERT_EQ(t.s.ds.Nobs, 1);
    EXPECT_EQ(t.s.ds.OT[1], 10.0);
    EXPECT_TRUE(shows(t, " 1  2Theta /2.000000 = 5           Qobs =   128.018  ok\n"));
    EXPECT_EQ(t.s.pattern.F, 2.0);

    // sinsq theta 0.25 is 2Theta 60; a value of 1 ends the input.
    FakeSession s(replies({"N", "S", "1", "0.25", "1.0"}) + closing());
    pattern::OB(s.s);
    ASSERT_EQ(s.s.ds.Nobs, 1);
    EXPECT_NEAR(s.s.ds.OT[1], 60.0, 1e-6);
    EXPECT_NEAR(s.s.ds.OQ[1], 0.25 / s.s.ds.K, 1e-6);
    EXPECT_EQ(s.s.ds.Dflag, 1);
    EXPECT_EQ(s.s.pattern.ob_type, 2);
    EXPECT_TRUE(shows(s, " 1  Sinsqth = 0.25    Qobs =  4213.279  Raw2Th =  60.000  ok\n"));
}

TEST(ObservedInput, QLinesWithCodesAndAnUnreachableAngle)
{
    FakeSession f(replies({"C", "X", "Q", "100", "12", "5", "50000", "-3", "0"}) + closing());
    dataset::Dataset& ds = f.s.ds;
    pattern::OB(f.s);
    EXPECT_TRUE(shows(f, "Data type \"X\" not recognised\n"));
    ASSERT_EQ(ds.Nobs, 2);
    EXPECT_EQ(ds.Dflag, 0);
    EXPECT_EQ(f.s.pattern.ob_type, 3);
    EXPECT_EQ(ds.Iflag, 1);
    EXPECT_EQ(ds.ikind, 0);
    EXPECT_EQ(ds.OQ[1], 100.0);
    EXPECT_NEAR(bragg_q(ds.OT[1], ds.W0), 100.0, 1e-6);
    EXPECT_EQ(ds.icode[1], 5);
    EXPECT_EQ(ds.OI[1], 5.0);
    // K*Q > 1: no angle, shown as a dash, stored as 0.
    EXPECT_EQ(ds.OQ[2], 50000.0);
    EXPECT_EQ(ds.OT[2], 0.0);
    EXPECT_EQ(ds.icode[2], -3);
    EXPECT_TRUE(shows(f, " 1  Qobs = 100         Raw2Th =   8.836   Icode (1-9): 12 ** Out of range **\n"
                         "   Icode (1-9): 5 =   m   ok\n"));
    EXPECT_TRUE(shows(f, " 2  Qobs = 50000          -      Icode (1-9): -3=   w?  ok\n"));
}

TEST(ObservedInput, ResetsTheSettingsAndOptionallyTheOldCell)
{
    FakeSession f(replies({"N", "Q", "100", "0"}) + closing("N"));
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = 0.1;
    ds.Qmax = 900.0;
    ds.Ctype = 1;
    ds.Abs = "I";
    ds.OH[1] = 2;  // left over from an earlier pattern
    f.s.pattern.tr_k = 1.01;
    pattern::OB(f.s);
    EXPECT_TRUE(shows(f, "(Re-initialising 2Theta zero correction & linear transformation, and Qmax)\n"));
    EXPECT_EQ(ds.Z2Th, 0.0);
    EXPECT_EQ(ds.Qmax, 0.0);
    EXPECT_EQ(f.s.pattern.tr_k, 1.0);
    EXPECT_EQ(ds.Ctype, 1);
    EXPECT_EQ(ds.Abs, "I");
    EXPECT_EQ(ds.OH[1], 0);

    FakeSession g(replies({"N", "Q", "100", "0"}) + closing("Y"));
    g.s.ds.Ctype = 1;
    g.s.ds.cell_valid = 1;
    g.s.ds.Abs = "I";
    g.s.ds.abs_code = 5;
    g.s.ds.Ncalc = 7;
    g.s.ds.Gflag = 1;
    pattern::OB(g.s);
    EXPECT_FALSE(shows(g, "Re-initialising"));
    EXPECT_EQ(g.s.ds.Ctype, 0);
    EXPECT_EQ(g.s.ds.cell_valid, 0);
    EXPECT_EQ(g.s.ds.Abs, "P");
    EXPECT_EQ(g.s.ds.abs_code, 1);
    EXPECT_EQ(g.s.ds.Ncalc, 0);
    EXPECT_EQ(g.s.ds.Gflag, 0);
}

TEST(ObservedInput, AWorkingNameThatIsAPathIsRefusedAndTheOldNameKept)
{
    FakeSession f(replies({"N", "Q", "100", "0"}) + closing("Y", "../x"));
    f.s.ds.Dset = "OLD";
    pattern::OB(f.s);
    EXPECT_EQ(f.s.ds.Dset, "OLD");
    EXPECT_TRUE(shows(f, "(1 to 8 chars): ../x\n** \"../x\" is not a dataset name")) << f.screen();
}

TEST(ObservedInput, AnEmptyDataTypeAbandonsAndKeepsThePatternUnlessAReplyCameFirst)
{
    FakeSession f(replies({"N", ""}));
    dataset::Dataset& ds = f.s.ds;
    ds.Nobs = 30;
    pattern::OB(f.s);
    EXPECT_EQ(ds.Nobs, 30);
    EXPECT_EQ(ds.Dset, "WORK");
    EXPECT_EQ(ds.Nloaded, 30);

    // A reply that names no data type has already begun a new pattern:
    // abandoning after it leaves no lines.
    FakeSession g(replies({"N", "x", ""}));
    g.s.ds.Nobs = 30;
    pattern::OB(g.s);
    EXPECT_TRUE(shows(g, "Data type \"x\" not recognised\n"));
    EXPECT_EQ(g.s.ds.Nobs, 0);
    EXPECT_EQ(g.s.ds.Nloaded, 0);
    EXPECT_FALSE(shows(g, "** Only"));
}

TEST(ObservedInput, StopsAtTheStorageLimit)
{
    std::string script = replies({"N", "Q"});
    for (int i = 1; i <= dataset::max_obs + 1; ++i)
        script += std::to_string(i) + "\n";
    FakeSession f(script + closing());
    pattern::OB(f.s);
    EXPECT_EQ(f.s.ds.Nobs, dataset::max_obs);
    EXPECT_EQ(f.s.ds.OQ[dataset::max_obs], 1000.0);
    EXPECT_TRUE(shows(f, "** Storage assigned for up to1000 lines only **\n"
                         "** You are trying to read in the 1001-th **\n"));
    EXPECT_TRUE(shows(f, "End of Pattern: 1000 observed lines\n"));
}

TEST(ObservedInput, TwentyLinesEndWithoutTheWarningAndOneBlankLine)
{
    std::string script = replies({"N", "Q"});
    for (int i = 1; i <= 20; ++i)
        script += std::to_string(100 * i) + "\n";
    FakeSession full(script + "0\n" + closing());
    pattern::OB(full.s);
    const std::string& g = full.screen();
    EXPECT_FALSE(shows(full, "** Only"));
    const std::string save_end = "repeat SA command);\n\n";
    ASSERT_GE(g.size(), save_end.size());
    EXPECT_EQ(g.substr(g.size() - save_end.size()), save_end);
    EXPECT_EQ(full.s.ds.Nloaded, 20);
}
