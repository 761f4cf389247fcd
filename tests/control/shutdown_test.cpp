// The shutdown save and the exit status it gives the outside driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "control/control_commands.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::ScratchDir;

void one_line(dataset::Dataset& ds)
{
    ds.Nobs = 1;
    ds.OQ[1] = 1000;
}

const std::string not_kept = "** The working dataset was not kept: _RELOAD.CDT could not be written **\n";

TEST(Shutdown, KeepsTheDatasetOrSaysItCouldNot)
{
    {
        ScratchDir dir;
        testing_support::FakeSession f;
        one_line(f.s.ds);
        EXPECT_TRUE(control::shut_down(f.s));
        EXPECT_TRUE(fs::is_regular_file("_RELOAD.CDT"));
        EXPECT_EQ(f.screen().find("**"), std::string::npos) << f.screen();
    }
    {
        ScratchDir dir;
        testing_support::FakeSession f;  // nothing to keep
        EXPECT_TRUE(control::shut_down(f.s));
        EXPECT_FALSE(fs::exists("_RELOAD.CDT"));
    }
    {
        ScratchDir dir;
        fs::create_directory("_RELOAD.CDT");
        testing_support::FakeSession f;
        one_line(f.s.ds);
        EXPECT_FALSE(control::shut_down(f.s));
        EXPECT_NE(f.screen().find("   (Is a directory)\n" + not_kept), std::string::npos) << f.screen();
        EXPECT_TRUE(fs::is_empty("_RELOAD.CDT"));
    }
}

// A whole run: a dataset loaded, then the input ends. The exit status says
// whether the dataset was kept.
TEST(Shutdown, ExitStatusOfARunWhoseSaveFails)
{
    for (bool blocked : {false, true}) {
        ScratchDir dir;
        testing_support::write_file("X.CDT", "\"X\",1,0,0,0,0,1.5406,0,0,\"P\"\r\n1000,0,0,0,0,0\r\n");
        if (blocked)
            fs::create_directory("_RELOAD.CDT");
        testing_support::FakeSession f("LO\nX\n\n");
        int rc = control::run(f.s);
        EXPECT_EQ(f.s.ds.Nobs, 1) << f.screen();
        EXPECT_EQ(rc, blocked ? 1 : 0) << f.screen();
        EXPECT_EQ(f.screen().find(not_kept) != std::string::npos, blocked) << f.screen();
        EXPECT_EQ(fs::is_regular_file("_RELOAD.CDT"), !blocked);
    }
}

} // namespace
