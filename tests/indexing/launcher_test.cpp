// IN: the program choice, the line count, the program-specific questions,
// the file name, and what is left for the outside driver.
#include <gtest/gtest.h>

#include "indexing/commands.hpp"
#include "support.hpp"

namespace {

using namespace indexing_tests;

struct Launch : CommandTest {
    control::Session& run(const std::string& replies, int lines, int iflag = 1, int ikind = 0)
    {
        control::Session& s = session(replies, lines, iflag, ikind);
        indexing::IN(s);
        return s;
    }
};

TEST_F(Launch, TheWaysOutBeforeAProgramIsChosen)
{
    run("", 0);
    EXPECT_FALSE(shown("2-letter code")) << "no pattern, no choice";
    run("\n", 25);
    EXPECT_TRUE(shown("LS, ?,EX): Exit\n"));
    // Below 20 lines ITO is refused and the choice offered again.
    control::Session& s = run("it\nex\n", 15);
    EXPECT_TRUE(shown("or EX): it\n** Invalid target program selection: IT, please retry\n"
                      "Type in a valid code now"));
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("ABC.QIT"));
}

TEST_F(Launch, EarlierOutputsAreReported)
{
    write_file("ABC.ITO", "");
    write_file("ABC.D1O", "");
    run("\n", 25);
    EXPECT_TRUE(shown("are already present in this data directory: D1,IT\n"));
}

TEST_F(Launch, LineCountLimits)
{
    control::Session& s = run("it\n30\n15\n\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("   Suggested max = 40 (if they had been observed)\n"
                      "   Suggested min = 20\n"
                      "Specify number to be used (default = first 25, max 25): 30 ** Exceeds limit **\n"
                      "Specify number to be used (default = first 25, max 25): 15\n"
                      "** Warning: Less than the recommended minimum, ITO12 may be unstable **\n"));
    EXPECT_EQ(file_line("ABC.QIT", 18), " 38.000000  6");
    EXPECT_EQ(file_line("ABC.QIT", 19), "");
    EXPECT_TRUE(contains(read_file("ABC.LOG"), "First 15 obs lines (out of 25)"));
    EXPECT_TRUE(s.run.exit_for_run);
}

TEST_F(Launch, DicvolModes)
{
    // Notes (two pauses), R shows them again, mode 2; then Del2Th, VOLMIN
    // above VOLMAX is refused and both are asked again.
    run("dv\n\n\n\nr\n\n\n2\nn\n0.025\n7000\nn\n100\ny\n5000\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("Which mode (0,1,2,3,R,X, default=0): 2 = Lower (orth/mono)\n"));
    EXPECT_TRUE(shown("** Volmin= 7000.0 **\n"
                      "** Volmax must be greater than Volmin, please review these values **\n"));
    EXPECT_TRUE(exists("ABC._D2"));
    EXPECT_EQ(file_line("ABC.QDV", 2).substr(0, 60),
              "12 0010000 0.0250000 1.5406000           100.00000 5000.0000");
    std::string log = read_file("ABC.LOG");
    EXPECT_TRUE(contains(log, "Volmax = 5000.0, Z2Theta correction"));
    EXPECT_TRUE(contains(log, "Special DICVOL91 parameters:  Del2Th = 0.025, Volmin = 100.0, "
                              "Search orthorhombic and monoclinic"));

    // D1 skips the notes and the menu, marks mode 1 and hands over as D1.
    run("d1\n\n\n\n\n\n\n", 25);
    EXPECT_FALSE(shown("You now need to specify"));
    EXPECT_TRUE(exists("ABC._D1"));
    EXPECT_EQ(file_line("ABC.QD1", 2).substr(0, 2), "11");
    EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=ABC\r\nSET _P2Qid=D1\r\n");

    // X in the menu leaves IN with nothing written.
    std::filesystem::remove("_SETPARM.BAT");
    std::filesystem::remove("ABC.QDV");
    control::Session& s = run("dv\n\n\n\nx\n", 25);
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_FALSE(exists("ABC.QDV"));
}

TEST_F(Launch, LzonZonesMeasureAndSpuriousLines)
{
    run("lz\n18\nn\n\n11\n2\n0\n10\nc\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("Number must be 0 - 10\n"));
    EXPECT_TRUE(shown("** Must be in the range 1-20 **\n"));
    std::string params = file_line("ABC.QLZ", 2);
    EXPECT_EQ(params.substr(0, 20), "11 2900018 0.0600000");
    EXPECT_EQ(params.substr(60), "   10 0.0000000 1");
    // LZON is given every line, up to a hundred; the dichotomy uses 18.
    EXPECT_EQ(file_line("ABC.QLZ", 28), " 58.000000  7");
}

TEST_F(Launch, LoshfzrfBasisSet)
{
    control::Session& s = run("ls\n\n", 25);
    EXPECT_FALSE(shown("Number of input lines")) << "N: no basis set, no run";
    EXPECT_FALSE(s.run.exit_for_run);

    run("ls\ny\n\n\n1\n0.05\n2\nn\n50\n40\n-3\ny\n0.5\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("  ** Q(A) must exceed 0.1 QU. - please try again **\n"));
    EXPECT_TRUE(shown("  ** That would give a d-spacing of at least  71 Angstroms **\n"));
    EXPECT_EQ(file_line("ABC.QLS", 3),
              "    2.00000   50.00000   40.00000   -3.00000    1.54060");
    EXPECT_EQ(file_line("ABC.QLS", 4), " 20  0  1  1 0.50");
    EXPECT_EQ(file_line("ABC.QLS", 5), "CONT");
}

TEST_F(Launch, KohlTaupAndMcMailleOptions)
{
    run("kl\n\nl\n\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("default=A): l = Low pair (MT)\n"));
    EXPECT_EQ(file_line("ABC.QKL", 2).back(), 'L');

    run("tp\n\nn\n\ny\ny\n\n\n\n\n\n\n\n", 25);
    std::string tp = file_line("ABC.QTP", 2);
    EXPECT_EQ(tp.substr(tp.size() - 3), "MX ");

    run("mc\ny\n\n4\nu\n\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("Ngrid (3 or 4, default=3): 4 = M.C. + Grid-Search\n"));
    EXPECT_TRUE(shown("(qualitative) intensities (A)?  (U/A, default=A): u\n"));
    EXPECT_EQ(file_line("ABC.QMC", 2).substr(75), "4 ");
    EXPECT_EQ(file_line("ABC.QMC", 4), " 10.000000100");
}

TEST_F(Launch, FileNames)
{
    // N to "Overwrite it" asks for another name, which the driver is given.
    write_file("ABC.QIT", "old\r\n");
    control::Session& s = run("it\n\n\n\n\nn\nxyz\n\n\n", 25);
    EXPECT_TRUE(shown("  Overwrite it (Y/N, default=Y)?  n\n  ** Not saved **\n"));
    EXPECT_EQ(read_file("ABC.QIT"), "old\r\n");
    EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=XYZ\r\nSET _P2Qid=IT\r\n");
    EXPECT_TRUE(s.run.exit_for_run);

    // Only plain names of this directory.
    run("it\n\n\n\n../up\nabcdefghi\nok\n\n\n", 25);
    EXPECT_TRUE(shown("dataset): ../up\n** A name may only use"));
    EXPECT_TRUE(exists("OK.QIT"));
    EXPECT_FALSE(exists("../UP.QIT"));
}

TEST_F(Launch, NoEligibleLinesAbandonsTheRun)
{
    // Fewer lines than the minimum, even none, is only a warning; the file
    // is written without lines and the run abandoned.
    control::Session& s = run("it\n0\n\n\n\n\n", 25);
    EXPECT_TRUE(shown("): 0\n** Warning: Less than the recommended minimum"));
    EXPECT_TRUE(shown("0 lines selected and written to QDAT dataset file\n\n"
                      "** No eligible observed lines, abandon this indexing run **\n"));
    EXPECT_EQ(file_line("ABC.QIT", 3), "CONT");
    EXPECT_EQ(file_line("ABC.QIT", 4), "");
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_TRUE(contains(read_file("ABC.LOG"), "** No eligible observed lines, indexing run abandoned **"));

    // McMaille with the actual codes skips every line whose code is 0.
    control::Session& mc = session("mc\ny\n\n\n\n\n\n\n\n", 25);
    mc.ds.icode.fill(0);
    indexing::IN(mc);
    EXPECT_FALSE(mc.run.exit_for_run);
    EXPECT_EQ(file_line("ABC.QMC", 4), "");
}

TEST_F(Launch, OnlyTheZeroAndAMissingTitleChangeTheDataset)
{
    // A zero correction beyond what ZE allows is asked again.
    control::Session& s = run("tr\n\n\n50\n0.05\n\nNew title\n\n", 25);
    EXPECT_TRUE(shown("(default: no change): 50\n"
                      "** Zero correction must lie in the range -45 to 45 degrees **\n"
                      "New value for 2Theta zero correction (default: no change): 0.05\n"));
    EXPECT_DOUBLE_EQ(s.ds.Z2Th, 0.05);
    EXPECT_EQ(file_line("ABC.QTR", 2).substr(65, 10), " 0.0500000");
    EXPECT_TRUE(contains(read_file("ABC.LOG"), "Z2Theta correction = 0.0500 deg"));
    EXPECT_EQ(file_line("ABC.QTR", 1), "ABC = New title");
    EXPECT_EQ(s.ds.Title, "ABC=New title");

    // An existing title is edited for the file only.
    control::Session& t = session("tr\n\n\n\n\n\n (1)\n\n", 25);  // overwriting ABC.QTR
    t.ds.Title = "Quartz";
    indexing::IN(t);
    EXPECT_EQ(file_line("ABC.QTR", 1), "ABC = Quartz (1)");
    EXPECT_EQ(t.ds.Title, "Quartz");
}

TEST_F(Launch, MapCodesLeaveTheDecisionToTheMap)
{
    // The map's dialogue is declined at its first question.
    control::Session& s = run("mm\nn\n", 25);
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(s.maps.indexing_mode);

    control::Session& h = session("hm\nn\n", 25);
    h.run.map_solutions_pending = true;
    indexing::IN(h);
    EXPECT_TRUE(h.run.exit_for_run);
    EXPECT_EQ(h.run.map_kind, "H");
}

} // namespace
