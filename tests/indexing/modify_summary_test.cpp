// MS: the questions before the outside summary tools, and the command line
// they are started with.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "indexing/commands.hpp"
#include "support.hpp"

namespace {

using namespace indexing_tests;

struct ModifySummary : CommandTest {
    void SetUp() override
    {
        // Stand-ins for the tools: each notes how it was called.
        for (const char* tool : {"mergesum", "unscale"}) {
            write_file(tool, std::string("#!/bin/sh\necho \"$@\" > ") + tool + ".args.tmp && mv " +
                                 tool + ".args.tmp " + tool + ".args\n");
            std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
        }
        write_file("ONE.SUM", "x\r\n");
        write_file("TWO.SUM", "y\r\n");
        write_file("OLD.SUM", "z\r\n");
    }
    void run(const std::string& replies)
    {
        session(replies).dirs.home = dir.path().string() + "/";
        indexing::MS(f->s);
    }
    // The tools are not waited for: give them a moment.
    std::string arguments(const std::string& tool)
    {
        for (int i = 0; i < 200 && !exists(tool + ".args"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return read_file(tool + ".args");
    }
};

TEST_F(ModifySummary, MergeAsksUntilBothSummariesExist)
{
    run("m\ny\nnone\none\ntwo\nold\nn\nnew\n");
    EXPECT_TRUE(shown("No summary file NONE present in this directory, please try again\n"));
    EXPECT_TRUE(shown("A summary file of this name already exists - overwrite (Y/N, default=N)?  n\n"));
    EXPECT_EQ(arguments("mergesum"), "ONE TWO NEW\n");
}

TEST_F(ModifySummary, MergeIntoTheSecondNeedsNoThirdArgument)
{
    run("m\ny\none\ntwo\n\n");
    EXPECT_EQ(arguments("mergesum"), "ONE TWO\n");
}

TEST_F(ModifySummary, UnscaleAndTheWaysOut)
{
    run("u\ny\n");
    EXPECT_TRUE(shown("(Y/N, default=N)? yes  -  Ok\n"));
    EXPECT_EQ(arguments("unscale"), "\n");

    run("\n");
    // One line end closes the command line before the title.
    EXPECT_EQ(screen().substr(0, 12), "\n          M");
    EXPECT_TRUE(shown("(default: Q to quit): (Quit)\n\n")) << "a blank line without a pattern";
    run("m\n\n");
    EXPECT_FALSE(shown("1st dataset name"));
    run("m\ny\n\n");
    EXPECT_FALSE(shown("2nd dataset name"));
}

} // namespace
