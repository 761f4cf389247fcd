// CE and expand_direct_cell: what each path leaves in the cell block.
#include <gtest/gtest.h>

#include <string>

#include "cell/commands.hpp"
#include "cell_test_support.hpp"
#include "support/fake_console.hpp"

namespace {

using cell_testing::count_of;

TEST(CellCommand, DirectEntryExpandsTheCellAndSetsQ2A)
{
    testing_support::FakeSession f("1\n4\n5\n6\n\n100\n\n\n\n");
    f.con.output_code = 0;
    cell::CE(f.s);
    const dataset::Dataset& ds = f.s.ds;
    EXPECT_EQ(ds.Ctype, 1);
    EXPECT_EQ(ds.cell_valid, 1);
    EXPECT_GT(ds.V, 0.0);
    EXPECT_NEAR(ds.Q2A[2], 20000.0 * ds.RR[3] * ds.RR[1], 1e-12);
    EXPECT_NEAR(ds.Q2A[2] * ds.RSC[5], ds.QQ[5], 1e-9);
    EXPECT_NE(f.screen().find("Copy results to file (F) [F/N, default=N]: (No)\n"),
              std::string::npos);
}

TEST(CellCommand, AbandonedAndImpossibleDirectCells)
{
    {
        // All three sides below 1.0: the entry is abandoned.
        testing_support::FakeSession f("1\n0.5\n0.5\n0.5\n\n\n\n");
        cell::CE(f.s);
        EXPECT_NE(f.screen().find("** No valid cell sides provided - abandoning Dcell input\n\n"
                                  "** Impossible cell (zero or imaginary volume) **\n"),
                  std::string::npos)
            << f.screen();
        EXPECT_EQ(f.s.ds.Ctype, 0);
        EXPECT_EQ(f.s.ds.DD[1], 0.5);  // the values typed are kept
    }
    {
        // alpha = beta + gamma closes the cell flat.
        testing_support::FakeSession f("1\n5\n6\n7\n120\n60\n60\n\n");
        cell::CE(f.s);
        EXPECT_NE(f.screen().find("** Impossible cell (zero or imaginary volume) **\n"),
                  std::string::npos);
        EXPECT_EQ(f.s.ds.Ctype, 0);
        EXPECT_EQ(f.screen().find("Copy results"), std::string::npos);
    }
    {
        // An angle of 180 is refused at entry, and a stored one on ENTER.
        testing_support::FakeSession f("1\n5\n5\n5\n180\n-180\n\n\n\n90\n\n\n");
        f.con.output_code = 0;
        f.s.ds.DD[6] = 200.0;
        cell::CE(f.s);
        EXPECT_NE(f.screen().find("\nalpha   180\nalpha   -180\nalpha    90 "), std::string::npos)
            << f.screen();
        EXPECT_NE(f.screen().find("** Stored value of 200.0000 is not a valid angle - please correct"),
                  std::string::npos);
        EXPECT_EQ(f.s.ds.DD[6], 90.0);
        EXPECT_EQ(f.s.ds.Ctype, 1);
    }
}

TEST(CellCommand, SidesBeyondTheRangeAreAskedAgainInEveryForm)
{
    {
        // A direct side of 1200 A.
        testing_support::FakeSession f("1\n5\n1200\n5\n\n\n\n\n1000\n\n\n\n\n\n\n");
        f.con.output_code = 0;
        cell::CE(f.s);
        EXPECT_EQ(count_of(f.screen(), "** Invalid (b > 1000) - please correct **\n"), 1) << f.screen();
        EXPECT_EQ(f.s.ds.Ctype, 1);
        EXPECT_EQ(f.s.ds.DD[2], 1000.0);
    }
    {
        // Q(A) = 0.001 QU. gives a = 3162 A; 100 QU. then gives 10 A.
        testing_support::FakeSession f("2\n0.001\n100\n100\n0\n0\n0\n100\n\n\n\n\n\n\n\n");
        f.con.output_code = 0;
        cell::CE(f.s);
        EXPECT_EQ(count_of(f.screen(), "** Invalid (a > 1000) - please correct **\n"), 1) << f.screen();
        EXPECT_EQ(count_of(f.screen(), "Cell Loaded"), 1);
        EXPECT_EQ(f.s.ds.Ctype, 2);
        EXPECT_NEAR(f.s.ds.DD[1], 10.0, 1e-9);
    }
    {
        // S = -1e7 gives a^2 = 1e7; -100 then gives a = 10 A.
        testing_support::FakeSession f("3\n0\n0\n0\n-1E7\n-25\n-25\n\n\n\n-100\n\n\n\n\n\n");
        f.con.output_code = 0;
        cell::CE(f.s);
        EXPECT_EQ(count_of(f.screen(), "** Invalid (a > 1000) - please correct **\n"), 1) << f.screen();
        EXPECT_EQ(f.s.ds.Ctype, 3);
        EXPECT_NEAR(f.s.ds.DD[1], 10.0, 1e-9);
        EXPECT_NEAR(f.s.ds.DD[2], 5.0, 1e-9);
    }
}

TEST(CellCommand, DeleteForgetsLimitsPatternAndIndexing)
{
    testing_support::FakeSession f("d\n");
    dataset::Dataset& ds = f.s.ds;
    cell_testing::load_direct_cell(ds, 5, 5, 5, 90, 90, 90);
    ds.Gflag = 1;
    ds.Ncalc = 12;
    ds.Nobs = 2;
    ds.OH[1] = 1;
    ds.OK[2] = 2;
    cell::CE(f.s);
    EXPECT_EQ(ds.Ctype, 0);
    EXPECT_EQ(ds.cell_valid, 0);
    EXPECT_EQ(ds.Gflag, 0);
    EXPECT_EQ(ds.Ncalc, 0);
    EXPECT_EQ(ds.OH[1], 0);
    EXPECT_EQ(ds.OK[2], 0);
}

TEST(CellCommand, ExpandDirectCellAsksOnlyForCopies)
{
    cell_testing::ScratchDir dir;
    testing_support::FakeSession f("f\n\n");
    dataset::Dataset& ds = f.s.ds;
    ds.DD = {0, 9.512, 7.231, 11.304, 90, 104.52, 90};
    ds.Ctype = 2;
    cell::expand_direct_cell(f.s);
    EXPECT_EQ(ds.Ctype, 1);
    EXPECT_EQ(ds.cell_valid, 1);
    EXPECT_NEAR(ds.QQ[5], 49.76302, 5e-6);
    EXPECT_NE(ds.Q2A[1], 0.0);
    EXPECT_EQ(f.screen().find("Cell Loaded"), std::string::npos);
    EXPECT_EQ(f.screen().find("New values"), std::string::npos);
    // The selected copy and the one asked for.
    EXPECT_EQ(count_of(dir.read("WORK.LXO"), "** Latticor (CELLDAT) **"), 2);
    EXPECT_EQ(count_of(f.screen(), "Send further copy to file (F) [F/N, default=N]: "), 2);
}

TEST(CellCommand, ExpandDirectCellOfAnImpossibleCell)
{
    testing_support::FakeSession f("");
    f.s.ds.DD = {0, 5, 5, 5, 150, 60, 60};
    cell::expand_direct_cell(f.s);
    EXPECT_EQ(f.s.ds.Ctype, 0);
    EXPECT_NE(f.screen().find("** Impossible cell (zero or imaginary volume) **\n"), std::string::npos);
}

TEST(CellDisplay, CopyFormIsFramedAndExactValuesStandOut)
{
    testing_support::FakeSession f;
    dataset::Dataset& ds = f.s.ds;
    cell_testing::load_direct_cell(ds, 4, 4, 6, 90, 90, 120);
    ds.Ctype = 3;
    cell_testing::StringSink out;
    cell::show_cell(f.s, out, true);
    const std::string& t = out.text;
    EXPECT_EQ(t.find("** Latticor (CELLDAT) **  Obs cell expanded to full direct & recip cell data" +
                     std::string(26, ' ')),
              0u);
    EXPECT_EQ(t.substr(t.size() - 3), "\n\f\n");
    EXPECT_EQ(t.find("Direct cell as input"), std::string::npos);  // only for type 1
    EXPECT_NE(t.find("\nalpha    90             beta     90             gamma   120.0000    Deg\n"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("\nsin:    1.0                 1.0                 0.8660254\n"),
              std::string::npos);
    EXPECT_NE(t.find("\ncos*:   0.0                 0.0                 0.5000000\n"),
              std::string::npos);
    EXPECT_NE(t.find("  833.33333    833.33333    277.77778      0            0          833.33333\n"),
              std::string::npos);
    EXPECT_NE(t.find("Parameters for Delaunay Reduction as input\n"), std::string::npos);
    EXPECT_NE(t.find("   0            0           -8.000000    -8.000000    -8.000000   -36.000000\n"),
              std::string::npos)
        << t;
    ds.Ctype = 2;
    cell_testing::StringSink screen;
    cell::show_cell(f.s, screen, false);
    EXPECT_EQ(screen.text.find("Powder Constants in QU., as input\n     Q(A)"),
              screen.text.find("Powder Constants"));
    EXPECT_NE(screen.text.find("Parameters for Delaunay Reduction\n"), std::string::npos);
    EXPECT_EQ(screen.text.find("CELLDAT"), std::string::npos);
}

} // namespace
