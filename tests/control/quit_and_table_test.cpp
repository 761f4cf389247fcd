// The quit check around "_SETPARM.BAT", and the command table against the
// list of codes the prompt accepts.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "console/platform.hpp"
#include "control/commands.hpp"
#include "control/control_commands.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

// Runs each test in a fresh temporary directory.
class InTempDir : public ::testing::Test {
protected:
    static void make_steering_file()
    {
        std::ofstream("_SETPARM.BAT") << "SET _P2Qdset=ABC\r\nSET _P2Qid=IT\r\n";
    }

    testing_support::ScratchDir dir_;
};

using QuitCheck = InTempDir;

TEST_F(QuitCheck, WithoutSteeringFileOnlyEndsTheLine)
{
    testing_support::FakeSession f;
    control::quit_check(f.s);
    EXPECT_EQ(f.screen(), "\n");
}

TEST_F(QuitCheck, ReplyYCancelsTheWaitingRun)
{
    make_steering_file();
    testing_support::FakeSession f(" y \n");
    control::quit_check(f.s);
    EXPECT_FALSE(console::file_exists("_SETPARM.BAT"));
    EXPECT_NE(f.screen().find("** A _SETPARM steering file is present in this directory, **\n"
                              "** so you may have an indexing run waiting to be launched **\n\n"
                              "Do you want to exit to the operating system without launching it?\n\n"
                              "Reply N to launch the indexing run.  Reply Y to cancel the run and exit.\n"
                              "Are you sure you want to quit without indexing (Y/N, default=N)?  y "),
              std::string::npos)
        << f.screen();
}

TEST_F(QuitCheck, ReplyNKeepsTheRun)
{
    make_steering_file();
    testing_support::FakeSession f("n\n");
    control::quit_check(f.s);
    EXPECT_TRUE(console::file_exists("_SETPARM.BAT"));
    EXPECT_EQ(f.screen().substr(f.screen().size() - 4), "? n\n");
}

TEST_F(QuitCheck, EnterAnnouncesTheLaunchAndPauses)
{
    make_steering_file();
    testing_support::FakeSession f("\n\n");
    control::quit_check(f.s);
    EXPECT_TRUE(console::file_exists("_SETPARM.BAT"));
    const std::string tail = "(Y/N, default=N)?  (No)\nThe indexing run will now be launched\n"
                             "\nPress ENTER to continue \n";
    ASSERT_GE(f.screen().size(), tail.size());
    EXPECT_EQ(f.screen().substr(f.screen().size() - tail.size()), tail);
}

TEST_F(QuitCheck, PendingMapSolutionsKeepTheSteeringFile)
{
    make_steering_file();
    testing_support::FakeSession f("\n");
    f.s.run.map_solutions_pending = true;
    f.s.run.map_kind = "H";
    control::quit_check(f.s);
    EXPECT_TRUE(console::file_exists("_SETPARM.BAT"));
    EXPECT_EQ(f.screen(), "\n\nThe summary files will now be updated with the HMap solutions "
                          "saved earlier\nPress ENTER to continue \n");
}

TEST(CommandTable, EveryAcceptedCodeHasARowAndEveryRowIsAccepted)
{
    std::string list(control::accepted_codes);
    std::size_t start = 0;
    int codes = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        std::string code = list.substr(start, comma == std::string::npos ? std::string::npos
                                                                          : comma - start);
        if (code == "PEQU") {
            EXPECT_NE(control::find_command("PE"), nullptr);
            EXPECT_NE(control::find_command("QU"), nullptr);
            codes += 2;
        } else {
            EXPECT_NE(control::find_command(code), nullptr) << code;
            ++codes;
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    EXPECT_EQ(codes, static_cast<int>(control::command_table().size()));
    for (const control::Command& c : control::command_table())
        EXPECT_NE(list.find(c.code), std::string::npos) << c.code;
}

TEST(CommandTable, PiecesOfTheListMatchNoRow)
{
    for (const char* code : {"M", "EQ", ",", "P", "??"})
        EXPECT_EQ(control::find_command(code), nullptr) << code;
}

} // namespace
