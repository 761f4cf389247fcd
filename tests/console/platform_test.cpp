// The platform layer: case-insensitive paths, DOS-style name patterns and
// starting commands without waiting for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "console/platform.hpp"
#include "support/scratch.hpp"

namespace {

class TempDir : public ::testing::Test {
protected:
    void touch(const std::string& rel, const std::string& text = "") { scratch.touch(rel, text); }
    void mkdir(const std::string& rel) { ::mkdir((dir + "/" + rel).c_str(), 0755); }

    testing_support::ScratchDir scratch{false};
    std::string dir = scratch.path();
};

using ResolvePath = TempDir;

TEST_F(ResolvePath, FindsEachComponentWhateverItsCase)
{
    mkdir("Data");
    mkdir("Data/Sub");
    touch("Data/Sub/File.CDT");
    EXPECT_EQ(console::resolve_path(dir + "/DATA/SUB/FILE.CDT"), dir + "/Data/Sub/File.CDT");
    EXPECT_EQ(console::resolve_path(dir + "/data/sub/file.cdt"), dir + "/Data/Sub/File.CDT");
    // Backslashes are directory separators; a trailing one is kept.
    EXPECT_EQ(console::resolve_path(dir + "\\DATA\\sub\\"), dir + "/Data/Sub/");
    // What matches nothing is kept as given, from there on.
    EXPECT_EQ(console::resolve_path(dir + "/DATA/NEW/file.cdt"), dir + "/Data/NEW/file.cdt");
    EXPECT_TRUE(console::file_exists(dir + "/DATA/SUB/FILE.cdt"));
    EXPECT_FALSE(console::file_exists(dir + "/DATA/SUB"));
    EXPECT_TRUE(console::directory_exists(dir + "/data/SUB"));
}

TEST_F(ResolvePath, ExactSpellingWinsOverOtherCases)
{
    touch("a.cdt", "lower");
    touch("A.CDT", "upper");
    EXPECT_EQ(console::resolve_path(dir + "/A.CDT"), dir + "/A.CDT");
    EXPECT_EQ(console::resolve_path(dir + "/a.cdt"), dir + "/a.cdt");
}

TEST_F(ResolvePath, RelativePathsAndRemoval)
{
    mkdir("Work");
    touch("Work/_reload.cdt");
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_TRUE(console::change_directory(dir + "/WORK"));
    EXPECT_EQ(console::resolve_path("_RELOAD.CDT"), "_reload.cdt");
    EXPECT_EQ(console::resolve_path("./_RELOAD.CDT"), "./_reload.cdt");
    EXPECT_TRUE(console::remove_file("_RELOAD.CDT"));
    EXPECT_FALSE(console::remove_file("_RELOAD.CDT"));
    EXPECT_FALSE(console::file_exists("_reload.cdt"));
    EXPECT_EQ(::chdir(old), 0);
}

using MatchingFiles = TempDir;

std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

TEST_F(MatchingFiles, DosPatternsIgnoreCase)
{
    for (const char* name : {"a.cdt", "B.CDT", "c.cdx", "x.DAD", "y.ccd", "z.cd", "long.abcd",
                             "noext", "two.dots.Cdt"})
        touch(name);
    mkdir("dir.cdt");  // directories are not listed
    using V = std::vector<std::string>;
    EXPECT_EQ(sorted(console::matching_files(dir, "*.CDT")), (V{"B.CDT", "a.cdt", "two.dots.Cdt"}));
    EXPECT_EQ(sorted(console::matching_files(dir, "*.??D")), (V{"x.DAD", "y.ccd"}));
    EXPECT_EQ(sorted(console::matching_files(dir, "*.???")),
              (V{"B.CDT", "a.cdt", "c.cdx", "noext", "two.dots.Cdt", "x.DAD", "y.ccd", "z.cd"}));
    EXPECT_EQ(sorted(console::matching_files(dir + "/", "?.cd")), (V{"z.cd"}));
    EXPECT_EQ(console::matching_files(dir + "/missing", "*.*").size(), 0u);
}

using StartCommand = TempDir;

bool appears(const std::string& path)
{
    for (int i = 0; i < 200; ++i) {
        if (::access(path.c_str(), F_OK) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// COMSPEC is put back as it was after each case.
class Comspec {
public:
    Comspec()
    {
        const char* v = std::getenv("COMSPEC");
        had_ = v != nullptr;
        if (had_)
            old_ = v;
    }
    ~Comspec()
    {
        if (had_)
            ::setenv("COMSPEC", old_.c_str(), 1);
        else
            ::unsetenv("COMSPEC");
    }
    void set(const std::string& v) { ::setenv("COMSPEC", v.c_str(), 1); }
    void unset() { ::unsetenv("COMSPEC"); }

private:
    bool had_ = false;
    std::string old_;
};

TEST_F(StartCommand, RunsThroughTheInterpreterWithoutWaiting)
{
    Comspec comspec;
    comspec.unset();
    std::string marker = dir + "/it ran";
    EXPECT_EQ(console::start_shell_command("echo x > " + console::shell_quote(marker)), 0);
    EXPECT_TRUE(appears(marker));
    comspec.set("/bin/sh");
    std::string second = dir + "/second";
    EXPECT_EQ(console::start_shell_command("touch " + console::shell_quote(second)), 0);
    EXPECT_TRUE(appears(second));
    console::reap_children();
}

TEST_F(StartCommand, StartErrorsMapToTheirCodes)
{
    Comspec comspec;
    comspec.set(dir + "/no-such-interpreter");
    EXPECT_EQ(console::start_shell_command("true"), 2);
    comspec.set("no-such-interpreter-on-path");
    EXPECT_EQ(console::start_shell_command("true"), 2);
    touch("plain.txt", "not a program");
    comspec.set(dir + "/plain.txt");
    EXPECT_EQ(console::start_shell_command("true"), 5);
    EXPECT_EQ(console::start_program(dir + "/missing-program", "x"), 2);
    EXPECT_EQ(console::start_program("true", "x"), 0);
    console::reap_children();
}

TEST(ShellQuote, SingleQuotesSurviveTheShell)
{
    EXPECT_EQ(console::shell_quote("a b"), "'a b'");
    EXPECT_EQ(console::shell_quote("it's"), "'it'\\''s'");
    EXPECT_EQ(console::shell_quote(""), "''");
}

} // namespace
