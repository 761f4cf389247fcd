// The hand-over files, and DI's direct-run files and file-name analysis.
#include <gtest/gtest.h>

#include "control/handover.hpp"
#include "indexing/commands.hpp"
#include "indexing/names.hpp"
#include "support.hpp"

namespace {

using namespace indexing_tests;

TEST(Handover, SteeringFileIsWrittenAnewAndReadBack)
{
    ScratchDirectory dir;
    testing_support::FakeSession f;
    write_file("_SETPARM.BAT", "SET _P2Qdset=OLD\r\nSET _P2Qid=TR\r\nrubbish\r\n");
    ASSERT_TRUE(control::write_steering_file(f.s, "ABC", "IT"));
    EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=ABC\r\nSET _P2Qid=IT\r\n");
    control::SteeringRequest request;
    ASSERT_TRUE(control::read_steering_file(request));
    EXPECT_EQ(request.dataset, "ABC");
    EXPECT_EQ(request.program, "IT");
    write_file("_SETPARM.BAT", "SET _P2Qdset=ABC\n");
    EXPECT_FALSE(control::read_steering_file(request)) << "the program line is missing";
}

TEST(Handover, MapSolutionsWaitForQuit)
{
    ScratchDirectory dir;
    testing_support::FakeSession f;
    f.s.ds.Dset = "QUARTZ";
    ASSERT_TRUE(control::request_map_solution_update(f.s));
    EXPECT_TRUE(f.s.run.map_solutions_pending);
    EXPECT_FALSE(f.s.run.exit_for_run);
    EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=QUARTZ\r\nSET _P2Qid=MM\r\n");
}

TEST(DirectRunNames, OnlyTheFirstPointDividesAndTheCodeIsTwoOfThree)
{
    std::string name, code;
    indexing::analyse_file_name("A.B.TRD", name, code);
    EXPECT_EQ(name, "A");
    EXPECT_EQ(code, "B.");
    indexing::analyse_file_name("X.T", name, code);
    EXPECT_EQ(code, "T");
    EXPECT_TRUE(indexing::valid_file_name("_RELOAD"));
    EXPECT_FALSE(indexing::valid_file_name(""));
    EXPECT_FALSE(indexing::valid_file_name("A/B"));
    EXPECT_FALSE(indexing::valid_file_name("NINECHARS"));
}

struct DirectRun : CommandTest {
    control::Session& run(const std::string& replies, int lines = 0)
    {
        control::Session& s = session(replies, lines);
        indexing::DI(s);
        return s;
    }
};

TEST_F(DirectRun, ANameOutsideTheDirectoryIsRefused)
{
    std::filesystem::create_directory("sub");
    write_file("sub/X.ITD", "");
    control::Session& s = run("y\n\nsub/x.itd\nq\n");
    EXPECT_TRUE(shown("dataset=SUB/X and program code=IT\n** A name may only use"));
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_FALSE(exists("_LXdrun"));
}

TEST_F(DirectRun, EnterOrNoLeavesWithoutFiles)
{
    write_file("QUARTZ.ITD", "");
    run("y\n\n\n");
    EXPECT_TRUE(shown("(default: Q): (Q)\n"));
    control::Session& s = run("\n");
    EXPECT_FALSE(shown("Supported programs"));
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_FALSE(s.run.exit_for_run);
}

TEST_F(DirectRun, TheWorkingDatasetIsSavedUnderItsOwnName)
{
    write_file("QUARTZ.ITD", "");
    control::Session& s = run("y\n\nquartz.itd\n\n", 25);
    EXPECT_TRUE(s.run.exit_for_run);
    EXPECT_EQ(s.ds.Dset, "ABC");
    EXPECT_TRUE(contains(read_file("_RELOAD.CDT"), "\"ABC\",25,"));
    EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=QUARTZ\r\nSET _P2Qid=IT\r\n");
}

} // namespace
