// IN: the program choice, the line count, the program-specific questions,
// the file name, and what is left for the outside driver.
#include <gtest/gtest.h>

#include "console/platform.hpp"
#include "indexing/commands.hpp"
#include "support.hpp"
#include "support/fake_console.hpp"

namespace {

using namespace indexing_tests;

// Line `n` (from 1) of a file with CR LF line ends.
std::string file_line(const std::string& name, int n)
{
    std::string text = read_file(name);
    std::size_t start = 0;
    for (int i = 1; i < n; ++i)
        start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

struct Launch : ::testing::Test {
    ScratchDirectory dir;
    std::unique_ptr<testing_support::FakeSession> f;

    control::Session& run(const std::string& replies, int lines, int iflag = 1, int ikind = 0)
    {
        f = std::make_unique<testing_support::FakeSession>(replies);
        f->s.dirs.startup = console::current_directory();
        f->s.ds.Dset = "ABC";
        fill_pattern(f->s.ds, lines, iflag, ikind);
        indexing::IN(f->s);
        return f->s;
    }
    const std::string& screen() const { return f->screen(); }
};

TEST_F(Launch, EnterExitsAndNoPatternEndsAtOnce)
{
    run("\n", 25);
    EXPECT_TRUE(contains(screen(), "LS, ?,EX): Exit\n"));
    run("", 0);
    EXPECT_TRUE(contains(screen(), "topographical scans)\n"));
    EXPECT_FALSE(contains(screen(), "2-letter code"));
}

TEST_F(Launch, EarlierOutputsAreReported)
{
    write_file("ABC.ITO", "");
    write_file("ABC.D1O", "");
    run("\n", 25);
    EXPECT_TRUE(contains(screen(), "are already present in this data directory: D1,IT\n"));
}

TEST_F(Launch, LineCountLimits)
{
    control::Session& s = run("it\n30\n15\n\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "   Suggested max = 40 (if they had been observed)\n"
                                   "   Suggested min = 20\n"
                                   "Specify number to be used (default = first 25, max 25): 30 ** Exceeds limit **\n"
                                   "Specify number to be used (default = first 25, max 25): 15\n"
                                   "** Warning: Less than the recommended minimum, ITO12 may be unstable **\n"));
    EXPECT_EQ(file_line("ABC.QIT", 18), " 38.000000  6");
    EXPECT_EQ(file_line("ABC.QIT", 19), "");
    EXPECT_TRUE(contains(read_file("ABC.LOG"), "First 15 obs lines (out of 25)"));
    EXPECT_TRUE(s.run.exit_for_run);
}

TEST_F(Launch, DicvolMenuVolumesAndErrorBound)
{
    // Notes (two pauses), R shows them again, mode 2; then Del2Th, VOLMIN
    // above VOLMAX is refused and both are asked again.
    run("dv\n\n\n\nr\n\n\n2\nn\n0.025\n7000\nn\n100\ny\n5000\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "Which mode (0,1,2,3,R,X, default=0): 2 = Lower (orth/mono)\n"));
    EXPECT_TRUE(contains(screen(), "** Volmin= 7000.0 **\n"
                                   "** Volmax must be greater than Volmin, please review these values **\n"));
    EXPECT_TRUE(exists("ABC._D2"));
    EXPECT_EQ(file_line("ABC.QDV", 2).substr(0, 60),
              "12 0010000 0.0250000 1.5406000           100.00000 5000.0000");
    std::string log = read_file("ABC.LOG");
    EXPECT_TRUE(contains(log, "Volmax = 5000.0, Z2Theta correction"));
    EXPECT_TRUE(contains(log, "Special DICVOL91 parameters:  Del2Th = 0.025, Volmin = 100.0, "
                              "Search orthorhombic and monoclinic"));
}

TEST_F(Launch, DicvolExitLeavesNothing)
{
    control::Session& s = run("dv\n\n\n\nx\n", 25);
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_FALSE(exists("ABC.QDV"));
}

TEST_F(Launch, LzonZonesMeasureAndSpuriousLines)
{
    run("lz\n18\nn\n\n11\n2\n0\n10\nc\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "Number of input lines to be used in LZON dichotomy-search:\n"));
    EXPECT_TRUE(contains(screen(), "Number must be 0 - 10\n"));
    EXPECT_TRUE(contains(screen(), "** Must be in the range 1-20 **\n"));
    std::string params = file_line("ABC.QLZ", 2);
    EXPECT_EQ(params.substr(0, 20), "11 2900018 0.0600000");
    EXPECT_EQ(params.substr(60), "   10 0.0000000 1");
    // LZON is given every line, up to a hundred; the dichotomy uses 18.
    EXPECT_EQ(file_line("ABC.QLZ", 28), " 58.000000  7");
}

TEST_F(Launch, LoshfzrfBasisSet)
{
    run("ls\ny\n\n\n1\n0.05\n2\nn\n50\n40\n-3\ny\n0.5\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "  ** Q(A) must exceed 0.1 QU. - please try again **\n"));
    EXPECT_TRUE(contains(screen(), "  ** That would give a d-spacing of at least  71 Angstroms **\n"));
    EXPECT_EQ(file_line("ABC.QLS", 3),
              "    2.00000   50.00000   40.00000   -3.00000    1.54060");
    EXPECT_EQ(file_line("ABC.QLS", 4), " 20  0  1  1 0.50");
    EXPECT_EQ(file_line("ABC.QLS", 5), "CONT");
}

TEST_F(Launch, LoshfzrfWithoutBasisSetEnds)
{
    control::Session& s = run("ls\n\n", 25);
    EXPECT_FALSE(contains(screen(), "Number of input lines"));
    EXPECT_FALSE(s.run.exit_for_run);
}

TEST_F(Launch, KohlTaupAndMcMailleOptions)
{
    run("kl\n\nl\n\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "default=A): l = Low pair (MT)\n"));
    EXPECT_EQ(file_line("ABC.QKL", 2).back(), 'L');

    run("tp\n\nn\n\ny\ny\n\n\n\n\n\n\n\n", 25);
    std::string tp = file_line("ABC.QTP", 2);
    EXPECT_EQ(tp.substr(tp.size() - 3), "MX ");

    run("mc\ny\n\n4\nu\n\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "Ngrid (3 or 4, default=3): 4 = M.C. + Grid-Search\n"));
    EXPECT_TRUE(contains(screen(), "(qualitative) intensities (A)?  (U/A, default=A): u\n"));
    EXPECT_EQ(file_line("ABC.QMC", 2).substr(75), "4 ");
    EXPECT_EQ(file_line("ABC.QMC", 4), " 10.000000100");
}

TEST_F(Launch, OverwriteRefusedAsksForAnotherName)
{
    write_file("ABC.QIT", "old\r\n");
    control::Session& s = run("it\n\n\n\n\nn\nxyz\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "A QDAT input file of this name already exists\n"
                                   "  Overwrite it (Y/N, default=Y)?  n\n"
                                   "  ** Not saved **\n"
                                   "Please retry using a different name\n"));
    EXPECT_EQ(read_file("ABC.QIT"), "old\r\n");
    EXPECT_TRUE(exists("XYZ.QIT"));
    EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=XYZ\r\nSET _P2Qid=IT\r\n");
    EXPECT_TRUE(s.run.exit_for_run);
}

TEST_F(Launch, NamesThatAreNotPlainFileNamesAreRefused)
{
    run("it\n\n\n\n../up\nabcdefghi\nok\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "dataset): ../up\n** A name may only use"));
    EXPECT_TRUE(exists("OK.QIT"));
    EXPECT_FALSE(exists("../UP.QIT"));
}

TEST_F(Launch, NoEligibleLinesAbandonsTheRun)
{
    // Fewer lines than the minimum, even none, is only a warning; the file
    // is written without lines and the run abandoned.
    control::Session& s = run("it\n0\n\n\n\n\n", 25);
    EXPECT_TRUE(contains(screen(), "): 0\n** Warning: Less than the recommended minimum"));
    EXPECT_TRUE(contains(screen(), "0 lines selected and written to QDAT dataset file\n\n"
                                   "** No eligible observed lines, abandon this indexing run **\n"));
    EXPECT_EQ(file_line("ABC.QIT", 3), "CONT");
    EXPECT_EQ(file_line("ABC.QIT", 4), "");
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_TRUE(contains(read_file("ABC.LOG"), "** No eligible observed lines, indexing run abandoned **"));

    // McMaille with the actual codes skips every line whose code is 0.
    f = std::make_unique<testing_support::FakeSession>("mc\ny\n\n\n\n\n\n\n\n");
    f->s.dirs.startup = console::current_directory();
    f->s.ds.Dset = "ABC";
    fill_pattern(f->s.ds, 25);
    f->s.ds.icode.fill(0);
    indexing::IN(f->s);
    EXPECT_TRUE(contains(screen(), "** No eligible observed lines, abandon this indexing run **"));
    EXPECT_FALSE(f->s.run.exit_for_run);
    EXPECT_EQ(file_line("ABC.QMC", 4), "");
}

TEST_F(Launch, ZeroCorrectionIsTakenIntoTheDataset)
{
    control::Session& s = run("tr\n\n\n0.05\n\n\n\n", 25);
    EXPECT_DOUBLE_EQ(s.ds.Z2Th, 0.05);
    EXPECT_EQ(file_line("ABC.QTR", 2).substr(65, 10), " 0.0500000");
    EXPECT_TRUE(contains(read_file("ABC.LOG"), "Z2Theta correction = 0.0500 deg"));
}

TEST_F(Launch, MapCodesLeaveTheDecisionToTheMap)
{
    control::Session& s = run("mm\n", 25);
    EXPECT_TRUE(contains(screen(), "MC,LS, ?,EX): mm\n ** UNDEFINED **\n"));
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(s.maps.indexing_mode);

    f = std::make_unique<testing_support::FakeSession>("hm\n");
    f->s.dirs.startup = console::current_directory();
    fill_pattern(f->s.ds, 25);
    f->s.run.map_solutions_pending = true;
    indexing::IN(f->s);
    EXPECT_TRUE(f->s.run.exit_for_run);
    EXPECT_EQ(f->s.run.map_kind, "H");
}

} // namespace
