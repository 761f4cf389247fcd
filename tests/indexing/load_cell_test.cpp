// LC's paging and loading, and the basis-set list's listing and choice.
#include <gtest/gtest.h>

#include <array>

#include "indexing/basis_sets.hpp"
#include "indexing/commands.hpp"
#include "indexing/summary.hpp"
#include "support.hpp"

namespace {

using namespace indexing_tests;

// n cells; cell i has a = 3 + i Angstroms and the lattice letter given.
void write_summary(const std::string& file, int n, const std::string& bravais = "I")
{
    std::string text;
    for (int i = 1; i <= n; ++i) {
        indexing::SummaryRecord r;
        r.i20 = 20;
        r.merit = 10.0 * i;
        r.volume = 100.0 + i;
        r.bravais = bravais;
        r.cell = {3.0 + i, 4.0, 5.0, 90.0, 95.5, 90.0};
        text += indexing::summary_line(r, false) + "\r\n";
    }
    write_file(file, text);
}

struct LoadCell : CommandTest {
    control::Session& run(const std::string& replies)
    {
        control::Session& s = session(replies, 25);
        indexing::LC(s);
        return s;
    }
};

TEST_F(LoadCell, TwentyCellsFitOnePage)
{
    write_summary("ABC.SUM", 20);
    control::Session& s = session("\n\n3\n\nn\n", 25);
    s.ds.Qmax = 2000.0;
    indexing::LC(s);
    EXPECT_TRUE(shown("  20 20  200.00    120.000 I  23.0000   4.0000   5.0000  90.000  95.500  90.000\n"
                      "(End of Summary File)\n"
                      "Seq of cell to load, or Q = quit (no default)? 3\n\n"
                      "The trial cell sequence number selected is 3\n"));
    EXPECT_DOUBLE_EQ(s.ds.DD[1], 6.0);
    EXPECT_DOUBLE_EQ(s.ds.DD[5], 95.5);
    EXPECT_EQ(s.ds.Abs, "I");
    EXPECT_EQ(s.ds.abs_code, 5);
    EXPECT_EQ(s.ds.cell_valid, 1);
    EXPECT_EQ(s.ds.Ctype, 1);
    EXPECT_EQ(s.ds.Gflag, 1) << "the automatic limits become the given ones";
    EXPECT_EQ(s.ds.GL[2], 2);
}

TEST_F(LoadCell, PagesForwardAndBack)
{
    write_summary("ABC.SUM", 25);
    control::Session& s = run("\n\n\nb\nq\n");
    EXPECT_TRUE(shown("Q = quit (default N)? (N)\n\n"));
    EXPECT_TRUE(shown("  25 20  250.00    125.000 I  28.0000   4.0000   5.0000  90.000  95.500  90.000\n"
                      "(End of Summary File)\n"
                      "Seq of cell to load, or B = back 20, Q = quit (no default)? b\n"));
    // B from the second page shows the first again.
    std::size_t first = screen().find("\n   1 20 ");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(screen().find("\n   1 20 ", first + 1), std::string::npos);
    EXPECT_EQ(screen().find("  21 20", screen().rfind("? b\n")), std::string::npos);
    EXPECT_EQ(s.ds.Ctype, 0);
}

TEST_F(LoadCell, UnknownLatticeLetterBecomesPrimitive)
{
    write_summary("ABC.SUM", 2, "X");
    control::Session& s = run("\n\n2\n\n\nn\n");
    EXPECT_TRUE(shown("  ( Bravais lattice type reset to Primitive )\n\nPress ENTER to continue "));
    EXPECT_EQ(s.ds.Abs, "P");
    EXPECT_EQ(s.ds.abs_code, 1);
    EXPECT_DOUBLE_EQ(s.ds.DD[1], 5.0);
    EXPECT_EQ(s.ds.Gflag, 0) << "no Qmax, no limits";
}

TEST_F(LoadCell, ZeroSideLeavesTheCellAlone)
{
    indexing::SummaryRecord r;
    r.bravais = "C";
    r.cell = {5.0, 0.0, 7.0, 90.0, 90.0, 90.0};
    write_file("ABC.SUM", indexing::summary_line(r, false) + "\r\n");
    control::Session& s = session("\n\n1\n");
    s.ds.DD[1] = 9.0;
    s.ds.cell_valid = 1;
    indexing::LC(s);
    EXPECT_TRUE(shown("** Zero direct-cell side read for cell 1 in ABC.SUM - Command ignored **\n"));
    EXPECT_DOUBLE_EQ(s.ds.DD[1], 9.0);
    EXPECT_EQ(s.ds.Abs, "P");
    EXPECT_EQ(s.ds.cell_valid, 1);
}

TEST_F(LoadCell, SidesNoDatasetFileHoldsLeaveTheCellAlone)
{
    // A side of 1500 A, and two negative sides whose product is not 0.
    const std::array<double, 6> cells[] = {{5.0, 1500.0, 7.0, 90.0, 90.0, 90.0},
                                           {-5.0, -6.0, 7.0, 90.0, 90.0, 90.0}};
    const char* messages[] = {"** Direct-cell side b = 1500.0000 A read for cell 1 in ABC.SUM lies "
                              "outside 0.5 to 1000 A - Command ignored **\n",
                              "** Direct-cell side a = -5.0000 A read for cell 1 in ABC.SUM lies "
                              "outside 0.5 to 1000 A - Command ignored **\n"};
    for (int k = 0; k < 2; ++k) {
        indexing::SummaryRecord r;
        r.bravais = "C";
        r.cell = cells[k];
        write_file("ABC.SUM", indexing::summary_line(r, false) + "\r\n");
        control::Session& s = session("\n\n1\n");
        s.ds.DD[1] = 9.0;
        indexing::LC(s);
        EXPECT_TRUE(shown(messages[k])) << screen();
        EXPECT_DOUBLE_EQ(s.ds.DD[1], 9.0);
        EXPECT_EQ(s.ds.Ctype, 0);
        EXPECT_EQ(s.ds.Abs, "P");
    }
}

TEST_F(LoadCell, MissingEmptyAndBadFiles)
{
    run("c\n\n");
    EXPECT_TRUE(shown("** No summary file \"ABC.CKM\" found in directory./  -  Command ignored **\n"));
    write_file("EMPTY.SUM", "");
    run("\nempty\n");
    EXPECT_TRUE(shown("** File \"EMPTY.SUM\" is empty  -  Command ignored **\n"));

    write_summary("BAD.SUM", 3);
    std::string text = read_file("BAD.SUM");
    text.replace(text.find("\r\n") + 2 + 70, 3, "x.y");  // a side of cell 2
    write_file("BAD.SUM", text);
    control::Session& s = run("\nbad\n2\n");
    EXPECT_TRUE(shown("** Bad data read in a **\n"));
    EXPECT_TRUE(shown("** Failed to read cell sides in summary file \"BAD.SUM\" found in directory./ **\n"
                      "** Command ignored **\n"));
    EXPECT_EQ(s.ds.Ctype, 0);

    // A number beyond the file is a failed read, not a cell.
    run("\nbad\n9\n");
    EXPECT_TRUE(shown("** Failed to read fields I20-BravAbs in summary file \"BAD.SUM\""));
}

// ---- basis-set lists ----

std::string basis_line(double qa, double qb, double qc, double qf, int i20, const char* m20,
                       int nsol, int lzon)
{
    char text[100];
    std::snprintf(text, sizeof text, "%12.4f%12.4f%12.4f%12.4f%4d%8s%6d%3d\r\n", qa, qb, qc, qf,
                  i20, m20, nsol, lzon);
    return text;
}

struct BasisSets : CommandTest {
    indexing::BasisSet chosen;

    bool run(const std::string& replies)
    {
        return indexing::load_basis_set(session(replies), chosen);
    }
};

TEST_F(BasisSets, ListAndChoose)
{
    write_file("ABC.LZB", " 2\r\n" + basis_line(100.5, 80.25, 60.125, -5.5, 18, "   12.50", 3, 1) +
                              basis_line(200, 150, 75, 12, 20, "   45.00", 7, 2));
    ASSERT_TRUE(run("3\nx\n2\n"));
    EXPECT_TRUE(shown(" 1    100.500    80.250    60.125    -5.500   18   12.50     3      1\n"));
    EXPECT_TRUE(shown("Basis set 2 loaded, for which LZON reported the following values:\n\n" +
                      std::string(indexing::basis_set_header) + "\n" +
                      " 2    200.000   150.000    75.000    12.000   20   45.00     7      2\n"));
    EXPECT_EQ(chosen.seq, 2);
    const dataset::CellRow q{0.0, 200.0, 150.0, 75.0, 0.0, 0.0, 12.0};
    EXPECT_EQ(chosen.q, q);
    EXPECT_FALSE(run("q\n"));
}

TEST_F(BasisSets, TooManyAndShorterThanAnnounced)
{
    write_file("ABC.LZB", "21\r\n" + basis_line(1, 2, 3, 4, 5, "6", 7, 8));
    EXPECT_FALSE(run(""));
    EXPECT_TRUE(shown("** Too many basis sets reported (21) **\n"
                      "(To re-write the basis-set-list file, run the IN command with LZ.\n"));

    write_file("ABC.LZB", " 3\r\n" + basis_line(100, 90, 80, 0, 20, "   10.00", 1, 1));
    EXPECT_FALSE(run("4\n3\n"));
    EXPECT_TRUE(shown(" 1    100.000    90.000    80.000     0.000   20   10.00     1      1\n"
                      "(End of Basis-Set-List File)\n"));
    EXPECT_TRUE(shown("Basis set 3 loaded"));
    EXPECT_TRUE(run("1\n"));
    EXPECT_DOUBLE_EQ(chosen.q[2], 90.0);
}

TEST_F(BasisSets, MissingEmptyAndBadLines)
{
    EXPECT_FALSE(run(""));
    EXPECT_TRUE(shown("** No basis-set-list file \"ABC.LZB\" found in directory./  -  Command ignored **\n"));
    write_file("ABC.LZB", "");
    EXPECT_FALSE(run(""));
    EXPECT_TRUE(shown("** File \"ABC.LZB\" is empty  -  Command ignored **\n"));

    std::string bad = basis_line(100, 90, 80, 0, 20, "   10.00", 1, 1);
    bad.replace(14, 3, "abc");
    write_file("ABC.LZB", " 1\r\n" + bad);
    EXPECT_FALSE(run("1\n"));
    EXPECT_TRUE(shown("** Bad data read in Q[B] **\n"));
}

} // namespace
