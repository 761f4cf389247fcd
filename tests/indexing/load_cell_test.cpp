// LC's paging and loading, and the basis-set list's listing and choice.
#include <gtest/gtest.h>

#include "console/platform.hpp"
#include "indexing/basis_sets.hpp"
#include "indexing/commands.hpp"
#include "indexing/summary.hpp"
#include "support.hpp"
#include "support/fake_console.hpp"

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
        r.program = "ITO12";
        r.cell = {3.0 + i, 4.0, 5.0, 90.0, 95.5, 90.0};
        text += indexing::summary_line(r, false) + "\r\n";
    }
    write_file(file, text);
}

struct LoadCell : ::testing::Test {
    ScratchDirectory dir;
    std::unique_ptr<testing_support::FakeSession> f;

    control::Session& run(const std::string& replies)
    {
        f = std::make_unique<testing_support::FakeSession>(replies);
        f->s.ds.Dset = "ABC";
        fill_pattern(f->s.ds, 25);
        indexing::LC(f->s);
        return f->s;
    }
    const std::string& screen() const { return f->screen(); }
};

TEST_F(LoadCell, TwentyCellsFitOnePage)
{
    write_summary("ABC.SUM", 20);
    control::Session& s = run("\n\n3\n\nn\n");
    EXPECT_TRUE(contains(screen(), "(S/C/Q, default=S): S=SUM\n"));
    EXPECT_TRUE(contains(screen(), "(omitting .SUM, default = ABC): ( ABC )\n"));
    EXPECT_TRUE(contains(screen(), indexing::summary_listing_header + std::string("\n\n")));
    EXPECT_TRUE(contains(screen(), "  20 20  200.00    120.000 I  23.0000   4.0000   5.0000  90.000  95.500  90.000\n"
                                   "(End of Summary File)\n"
                                   "Seq of cell to load, or Q = quit (no default)? 3\n\n"
                                   "The trial cell sequence number selected is 3\n"));
    EXPECT_DOUBLE_EQ(s.ds.DD[1], 6.0);
    EXPECT_DOUBLE_EQ(s.ds.DD[5], 95.5);
    EXPECT_EQ(s.ds.Abs, "I");
    EXPECT_EQ(s.ds.abs_code, 5);
    EXPECT_EQ(s.ds.cell_valid, 1);
    EXPECT_TRUE(contains(screen(), "Display thumbnails of 3 principal RIvi sections for this cell (Y/N, def=Y)? n\n"));
}

TEST_F(LoadCell, UnknownLatticeLetterBecomesPrimitive)
{
    write_summary("ABC.SUM", 2, "X");
    control::Session& s = run("\n\n2\n\n\nn\n");
    EXPECT_TRUE(contains(screen(), "  ( Bravais lattice type reset to Primitive )\n\nPress ENTER to continue "));
    EXPECT_EQ(s.ds.Abs, "P");
    EXPECT_EQ(s.ds.abs_code, 1);
    EXPECT_DOUBLE_EQ(s.ds.DD[1], 5.0);
}

TEST_F(LoadCell, ZeroSideLeavesTheCellAlone)
{
    indexing::SummaryRecord r;
    r.bravais = "C";
    r.cell = {5.0, 0.0, 7.0, 90.0, 90.0, 90.0};
    write_file("ABC.SUM", indexing::summary_line(r, false) + "\r\n");
    f = std::make_unique<testing_support::FakeSession>("\n\n1\n");
    f->s.ds.Dset = "ABC";
    f->s.ds.DD[1] = 9.0;
    f->s.ds.cell_valid = 1;
    indexing::LC(f->s);
    EXPECT_TRUE(contains(screen(), "** Zero direct-cell side read for cell 1 in ABC.SUM - Command ignored **\n"));
    EXPECT_DOUBLE_EQ(f->s.ds.DD[1], 9.0);
    EXPECT_EQ(f->s.ds.Abs, "P");
    EXPECT_EQ(f->s.ds.cell_valid, 1);
}

TEST_F(LoadCell, MissingEmptyAndBadFiles)
{
    run("c\n\n");
    EXPECT_TRUE(contains(screen(), "** No summary file \"ABC.CKM\" found in directory./  -  Command ignored **\n"
                                   "(To try again using a different name, repeat LC command.\n"));
    write_file("EMPTY.SUM", "");
    run("\nempty\n");
    EXPECT_TRUE(contains(screen(), "** File \"EMPTY.SUM\" is empty  -  Command ignored **\n"));

    write_summary("BAD.SUM", 3);
    std::string text = read_file("BAD.SUM");
    text.replace(text.find("\r\n") + 2 + 70, 3, "x.y");  // a side of cell 2
    write_file("BAD.SUM", text);
    control::Session& s = run("\nbad\n2\n");
    EXPECT_TRUE(contains(screen(), "** Bad data read in a **\n"));
    EXPECT_TRUE(contains(screen(), "** Failed to read cell sides in summary file \"BAD.SUM\" found in directory./ **\n"
                                   "** Command ignored **\n"));
    EXPECT_EQ(s.ds.Ctype, 0);

    // A number beyond the file is a failed read, not a cell.
    run("\nbad\n9\n");
    EXPECT_TRUE(contains(screen(), "** Failed to read fields I20-BravAbs in summary file \"BAD.SUM\""));
}

// ---- basis-set lists ----

std::string basis_line(double qa, double qb, double qc, double qf, int i20, const char* m20,
                       int nsol, int lzon)
{
    char text[100];
    std::snprintf(text, sizeof text, "%12.4f%12.4f%12.4f%12.4f%4d%8s%6d%3d", qa, qb, qc, qf, i20,
                  m20, nsol, lzon);
    return text;
}

struct BasisSets : ::testing::Test {
    ScratchDirectory dir;
    std::unique_ptr<testing_support::FakeSession> f;
    indexing::BasisSet chosen;

    bool run(const std::string& replies)
    {
        f = std::make_unique<testing_support::FakeSession>(replies);
        f->s.ds.Dset = "ABC";
        return indexing::load_basis_set(f->s, chosen);
    }
    const std::string& screen() const { return f->screen(); }
};

TEST_F(BasisSets, ListAndChoose)
{
    write_file("ABC.LZB", " 2\r\n" + basis_line(100.5, 80.25, 60.125, -5.5, 18, "   12.50", 3, 1) +
                              "\r\n" + basis_line(200, 150, 75, 12, 20, "   45.00", 7, 2) + "\r\n");
    ASSERT_TRUE(run("3\nx\n2\n"));
    EXPECT_TRUE(contains(screen(), "A BSL file for this dataset has been opened, containing 2 basis sets.\n"));
    EXPECT_TRUE(contains(screen(), " 1    100.500    80.250    60.125    -5.500   18   12.50     3      1\n"));
    EXPECT_TRUE(contains(screen(), "Basis set 2 loaded, for which LZON reported the following values:\n\n" +
                                       std::string(indexing::basis_set_header) + "\n" +
                                       " 2    200.000   150.000    75.000    12.000   20   45.00     7      2\n"));
    EXPECT_EQ(chosen.seq, 2);
    EXPECT_DOUBLE_EQ(chosen.q[1], 200.0);
    EXPECT_DOUBLE_EQ(chosen.q[3], 75.0);
    EXPECT_DOUBLE_EQ(chosen.q[4], 0.0);
    EXPECT_DOUBLE_EQ(chosen.q[5], 0.0);
    EXPECT_DOUBLE_EQ(chosen.q[6], 12.0);
    EXPECT_FALSE(run("q\n"));
}

TEST_F(BasisSets, TooManyAndShorterThanAnnounced)
{
    write_file("ABC.LZB", "21\r\n" + basis_line(1, 2, 3, 4, 5, "6", 7, 8) + "\r\n");
    EXPECT_FALSE(run(""));
    EXPECT_TRUE(contains(screen(), "** Too many basis sets reported (21) **\n"
                                   "(To re-write the basis-set-list file, run the IN command with LZ.\n"));

    write_file("ABC.LZB", " 3\r\n" + basis_line(100, 90, 80, 0, 20, "   10.00", 1, 1) + "\r\n");
    EXPECT_FALSE(run("4\n3\n"));
    EXPECT_TRUE(contains(screen(), " 1    100.000    90.000    80.000     0.000   20   10.00     1      1\n"
                                   "(End of Basis-Set-List File)\n"));
    EXPECT_TRUE(contains(screen(), "Basis set 3 loaded"));
    EXPECT_TRUE(run("1\n"));
    EXPECT_DOUBLE_EQ(chosen.q[2], 90.0);
}

TEST_F(BasisSets, MissingEmptyAndBadLines)
{
    EXPECT_FALSE(run(""));
    EXPECT_TRUE(contains(screen(), "** No basis-set-list file \"ABC.LZB\" found in directory./  -  Command ignored **\n"));
    write_file("ABC.LZB", "");
    EXPECT_FALSE(run(""));
    EXPECT_TRUE(contains(screen(), "** File \"ABC.LZB\" is empty  -  Command ignored **\n"));

    std::string bad = basis_line(100, 90, 80, 0, 20, "   10.00", 1, 1);
    bad.replace(14, 3, "abc");
    write_file("ABC.LZB", " 1\r\n" + bad + "\r\n");
    EXPECT_FALSE(run("1\n"));
    EXPECT_TRUE(contains(screen(), "** Bad data read in Q[B] **\n"));
}

} // namespace
