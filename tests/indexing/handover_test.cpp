// The hand-over files, and DI's direct-run files and file-name analysis.
#include <gtest/gtest.h>

#include "console/platform.hpp"
#include "control/control_commands.hpp"
#include "control/handover.hpp"
#include "indexing/commands.hpp"
#include "indexing/names.hpp"
#include "support.hpp"
#include "support/fake_console.hpp"

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
    EXPECT_TRUE(control::remove_steering_file());
    EXPECT_FALSE(control::steering_file_present());
    EXPECT_FALSE(control::read_steering_file(request));
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

TEST(DirectRunNames, FileNameAnalysis)
{
    std::string name, code;
    indexing::analyse_file_name("QUARTZ.ITD", name, code);
    EXPECT_EQ(name, "QUARTZ");
    EXPECT_EQ(code, "IT");
    indexing::analyse_file_name("QUARTZ", name, code);
    EXPECT_EQ(name, "QUARTZ");
    EXPECT_EQ(code, "");
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

struct DirectRun : ::testing::Test {
    ScratchDirectory dir;
    std::unique_ptr<testing_support::FakeSession> f;

    control::Session& run(const std::string& replies)
    {
        f = std::make_unique<testing_support::FakeSession>(replies);
        f->s.dirs.startup = console::current_directory();
        indexing::DI(f->s);
        return f->s;
    }
};

TEST_F(DirectRun, ANameOutsideTheDirectoryIsRefused)
{
    std::filesystem::create_directory("sub");
    write_file("sub/X.ITD", "");
    control::Session& s = run("y\n\nsub/x.itd\nq\n");
    EXPECT_TRUE(contains(f->screen(), "dataset=SUB/X and program code=IT\n** A name may only use"));
    EXPECT_FALSE(s.run.exit_for_run);
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_FALSE(exists("_LXdrun"));
}

TEST_F(DirectRun, EnterOrNoLeavesWithoutFiles)
{
    write_file("QUARTZ.ITD", "");
    run("y\n\n\n");
    EXPECT_TRUE(contains(f->screen(), "(default: Q): (Q)\n"));
    run("\n");
    EXPECT_TRUE(contains(f->screen(), "(Y/N, default=N): (N)\n"));
    EXPECT_FALSE(contains(f->screen(), "Supported programs"));
    EXPECT_FALSE(exists("_SETPARM.BAT"));
    EXPECT_FALSE(f->s.run.exit_for_run);
}

} // namespace

namespace {

// QU with a run waiting: the steering file of a hand-over meets the quit check.
TEST(Handover, QuitWithAWaitingRun)
{
    ScratchDirectory dir;
    {
        testing_support::FakeSession f("\n\n");  // the reply, then the pause
        ASSERT_TRUE(control::write_steering_file(f.s, "ABC", "IT"));
        control::quit_check(f.s);
        EXPECT_TRUE(contains(f.screen(), "** so you may have an indexing run waiting to be launched **\n"));
        EXPECT_TRUE(contains(f.screen(), "(Y/N, default=N)?  (No)\nThe indexing run will now be launched\n"));
        EXPECT_TRUE(control::steering_file_present());
    }
    {
        testing_support::FakeSession f("y\n");
        control::quit_check(f.s);
        EXPECT_FALSE(control::steering_file_present()) << "Y cancels the run";
    }
    {
        // Map solutions saved: QU hands them to the driver without asking.
        testing_support::FakeSession f("\n");
        f.s.ds.Dset = "ABC";
        ASSERT_TRUE(control::request_map_solution_update(f.s));
        control::quit_check(f.s);
        EXPECT_TRUE(contains(f.screen(), "The summary files will now be updated with the MMap solutions saved earlier"));
        EXPECT_FALSE(contains(f.screen(), "Are you sure"));
        EXPECT_EQ(read_file("_SETPARM.BAT"), "SET _P2Qdset=ABC\r\nSET _P2Qid=MM\r\n");
    }
}

} // namespace
