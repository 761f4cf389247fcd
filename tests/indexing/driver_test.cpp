// The outside driver latticor-run, driving the real program: a run is
// handed over, a stand-in indexing program adds a cell to the summary file,
// and the restarted program loads that cell.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "support.hpp"

namespace {

using namespace indexing_tests;
namespace fs = std::filesystem;

// The build tree: this test runs from <build>/tests, the program lives in
// <build>/src beside its driver.
fs::path build_dir() { return fs::canonical("/proc/self/exe").parent_path().parent_path(); }

void write_program(const fs::path& path, const std::string& text)
{
    write_file(path.string(), text);
    fs::permissions(path, fs::perms::owner_all);
}

struct Driver : ::testing::Test {
    ScratchDirectory dir;
    fs::path bin = dir.path() / "bin", tools = dir.path() / "tools", work = dir.path() / "work";
    std::string screen;

    void SetUp() override
    {
        fs::create_directories(bin);
        fs::create_directories(tools);
        fs::create_directories(work);
        fs::copy_file(build_dir() / "src" / "latticor-run", bin / "latticor-run");
        // Stands in for latticor: the real program, given the replies of
        // its n-th run (run<n>.in) and then run<n>.after as a shell script.
        write_program(bin / "latticor",
                      "#!/bin/sh\n"
                      "n=$(( $(cat .runs 2>/dev/null || echo 0) + 1 ))\n"
                      "echo $n > .runs\n"
                      "'" + (build_dir() / "src" / "latticor").string() + "' < run$n.in\n"
                      "rc=$?\n"
                      "[ -f run$n.after ] && . ./run$n.after\n"
                      "exit $rc\n");
        // Stands in for ITO12: notes its argument and adds one cell, that of
        // corundum on hexagonal axes, to the summary file of the dataset.
        write_program(tools / "ito12",
                      "#!/bin/sh\n"
                      "echo \"$1\" >> ito12.args\n"
                      "printf '%2d%8.2f%11.3f%6.2f %s %12s %7s %8s%7d%9.4f%9.4f%9.4f%8.3f%8.3f%8.3f\\r\\n' "
                      "20 35.5 254.797 1.0 P ITO12 08Dec26 12:00:00 1 4.7589 4.7589 12.991 90 90 120 "
                      ">> \"${1%%.*}.SUM\"\n");
    }

    int run_driver()
    {
        std::string command = "cd '" + work.string() + "' && PATH='" + tools.string() +
                              "':$PATH sh ../bin/latticor-run > screen.txt 2>&1 < /dev/null";
        int status = std::system(command.c_str());
        screen = read_file((work / "screen.txt").string());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void in_work(const std::string& name, const std::string& text)
    {
        write_file((work / name).string(), text);
    }
    bool shown(const std::string& text) const { return screen.find(text) != std::string::npos; }
};

TEST_F(Driver, DirectRunUsesTheNativeFileAndRemovesTheFlag)
{
    in_work("ABC.ITD", "native input\r\n");
    in_work("run1.in", "di\ny\n\nabc.itd\n\n");
    in_work("run2.in", "lc\n\nabc\n1\n\nn\nqu\n");
    ASSERT_EQ(run_driver(), 0) << screen;
    EXPECT_EQ(read_file((work / ".runs").string()), "2\n") << screen;
    EXPECT_TRUE(shown("latticor-run: running ito12 on ABC.ITD\n"
                      "latticor-run: ito12 finished (exit code 0)\n"
                      "latticor-run: starting latticor again\n"))
        << screen;
    EXPECT_TRUE(shown("   1 20   35.50    254.797 P   4.7589   4.7589  12.9910  90.000  90.000 120.000\n"))
        << screen;
    EXPECT_FALSE(exists((work / "_LXdrun").string()));
    EXPECT_EQ(read_file((work / "ABC.ITD").string()), "native input\r\n");
}

TEST_F(Driver, TheWholeRoadOfAnIndexingRun)
{
    // LO and IN hand over; the program indexes CORUNDUM.QIT; the restart
    // reloads the dataset under its name, LC loads the new cell and CA
    // finds every observed line on it.
    fs::copy_file(fs::path(LATTICOR_SOURCE_DIR) / "examples" / "CORUNDUM.CDT", work / "CORUNDUM.CDT");
    std::string dataset = read_file((work / "CORUNDUM.CDT").string());
    in_work("run1.in", "lo\ncorundum\nin\nit\n\n\n\n\n\n\n");
    in_work("run2.in", "\nlc\n\n\n1\n\nn\nca\n\n\n\nf\n\n\n\nqu\n");
    ASSERT_EQ(run_driver(), 0) << screen;
    EXPECT_EQ(read_file((work / "ito12.args").string()), "CORUNDUM.QIT\n");
    EXPECT_TRUE(shown("latticor-run: running ito12 on CORUNDUM.QIT\n")) << screen;
    EXPECT_TRUE(shown("Dataset \"CORUNDUM\" reloaded\n")) << screen;
    EXPECT_TRUE(shown("(omitting .SUM, default = CORUNDUM): ( CORUNDUM )\n")) << screen;
    EXPECT_TRUE(shown("The trial cell sequence number selected is 1\n")) << screen;
    EXPECT_TRUE(shown(" 25       ( -2   2  10 )  89.006  0.000   8280.332   0.000    >10000\n")) << screen;
    EXPECT_TRUE(shown("Mean d2Theta =  0.00000 deg")) << screen;
    EXPECT_TRUE(shown("(Dataset CORUNDUM) - Next command or ? for Help: qu\n")) << screen;
    EXPECT_EQ(read_file((work / "CORUNDUM.CDT").string()), dataset);
    EXPECT_FALSE(exists((work / "_SETPARM.BAT").string()));
}

TEST_F(Driver, EachSteeringRequestIsDoneOrPlainlyRefused)
{
    // Map solutions: the summary file is shown. An unsafe name: nothing is
    // run. A program not installed: said so. Each time latticor starts again.
    in_work("run1.in", "qu\n");
    in_work("run1.after", "printf 'SET _P2Qdset=ABC\\r\\nSET _P2Qid=MM\\r\\n' > _SETPARM.BAT\n");
    in_work("abc.sum", "20   12.00    100.000\r\n");
    in_work("run2.in", "qu\n");
    in_work("run2.after", "printf 'SET _P2Qdset=../x\\r\\nSET _P2Qid=IT\\r\\n' > _SETPARM.BAT\n");
    in_work("ABC.TRD", "");
    in_work("run3.in", "di\ny\n\nabc.trd\n\n");
    in_work("run4.in", "qu\n");
    ASSERT_EQ(run_driver(), 0) << screen;
    EXPECT_TRUE(shown("latticor-run: summary file abc.sum:\n20   12.00    100.000\n"
                      "latticor-run: starting latticor again\n"))
        << screen;
    EXPECT_TRUE(shown("latticor-run: _SETPARM.BAT names no valid dataset (\"../x\"): nothing run\n"));
    EXPECT_FALSE(exists((work / "ito12.args").string()));
    EXPECT_TRUE(shown("latticor-run: treor90 is not installed (not on PATH, nor in ")) << screen;
    EXPECT_TRUE(shown(": ABC.TRD was not indexed\nlatticor-run: starting latticor again\n"));
    EXPECT_EQ(read_file((work / ".runs").string()), "4\n");
}

TEST_F(Driver, ANameThatLooksLikeAnOptionReachesTheProgramAsAFile)
{
    in_work("-RF.ITD", "native input\r\n");
    in_work("run1.in", "di\ny\n\n-rf.itd\n\n");
    in_work("run2.in", "qu\n");
    ASSERT_EQ(run_driver(), 0) << screen;
    EXPECT_EQ(read_file((work / "ito12.args").string()), "./-RF.ITD\n") << screen;
}

TEST_F(Driver, StopsWhenTheProgramCouldNotKeepTheDataset)
{
    // A failed shutdown save ends latticor with status 1: starting it again
    // would lose the dataset that _RELOAD.CDT should have held.
    in_work("run1.in", "qu\n");
    in_work("run1.after", "printf 'SET _P2Qdset=ABC\\r\\nSET _P2Qid=IT\\r\\n' > _SETPARM.BAT\n"
                          "rc=1\n");
    EXPECT_EQ(run_driver(), 1) << screen;
    EXPECT_EQ(read_file((work / ".runs").string()), "1\n");
    EXPECT_FALSE(exists((work / "ito12.args").string()));
    EXPECT_TRUE(shown("latticor-run: latticor ended with exit status 1: the working dataset may "
                      "not have been\nlatticor-run: saved to _RELOAD.CDT, so latticor is not "
                      "started again\n"))
        << screen;
}

} // namespace
