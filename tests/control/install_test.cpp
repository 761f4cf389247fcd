// An installation to a temporary prefix, then moved elsewhere: the program
// finds its home directory, VM its manual, and the driver its program, from
// where they stand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "support/scratch.hpp"

namespace {

namespace fs = std::filesystem;

// This test runs from <build>/tests.
fs::path build_dir() { return fs::canonical("/proc/self/exe").parent_path().parent_path(); }

int shell(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Installed : ::testing::Test {
    testing_support::ScratchDir tmp{false};
    // The program sees its own place with links resolved.
    fs::path prefix = fs::canonical(tmp.path()) / "moved" / "latticor";
    fs::path work = fs::path(tmp.path()) / "work";

    void SetUp() override
    {
        const fs::path first = fs::path(tmp.path()) / "first";
        ASSERT_EQ(shell("cmake --install '" + build_dir().string() + "' --prefix '" +
                        first.string() + "' > '" + tmp.path() + "/install.log' 2>&1"),
                  0)
            << read_file(tmp.path() + "/install.log");
        // An installation can be moved as a whole.
        fs::create_directories(prefix.parent_path());
        fs::rename(first, prefix);
        fs::create_directories(work);
    }

    // Runs `program` in the work directory on `replies`; the screen.
    std::string run(const std::string& program, const std::string& replies,
                    const std::string& env = "")
    {
        std::ofstream(work / "replies") << replies;
        EXPECT_EQ(shell("cd '" + work.string() + "' && unset OS COMSPEC && " + env + " '" +
                        program + "' < replies > screen 2>&1"),
                  0);
        return read_file(work / "screen");
    }
};

TEST_F(Installed, VEAndVMFindTheHomeDirectoryBesideTheProgram)
{
    // A stand-in pager notes the file it was given.
    const fs::path pager = fs::path(tmp.path()) / "pager";
    std::ofstream(pager) << "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" << tmp.path() << "/paged'\n";
    fs::permissions(pager, fs::perms::owner_all);
    const std::string screen =
        run((prefix / "bin/latticor").string(), "ve\nvm\nqu\n", "PAGER='" + pager.string() + "'");
    const std::string home = prefix.string() + "/share/latticor/";
    EXPECT_NE(screen.find("  Home directory: " + home + "\n"), std::string::npos) << screen;
    EXPECT_EQ(read_file(tmp.path() + "/paged"), home + "Doc/Latticor.md\n") << screen;
    EXPECT_TRUE(fs::is_regular_file(home + "examples/SILICON.CDT"));
}

TEST_F(Installed, TheDriverFindsItsProgramEvenThroughALink)
{
    // As when bin/latticor-run is linked into a directory on PATH.
    const fs::path links = fs::path(tmp.path()) / "links";
    fs::create_directories(links);
    fs::create_symlink(prefix / "bin/latticor-run", links / "latticor-run");
    const std::string screen = run((links / "latticor-run").string(), "ve\nqu\n");
    EXPECT_NE(screen.find("  Home directory: " + prefix.string() + "/share/latticor/\n"),
              std::string::npos)
        << screen;
    EXPECT_EQ(screen.find("latticor-run:"), std::string::npos) << screen;
}

} // namespace
