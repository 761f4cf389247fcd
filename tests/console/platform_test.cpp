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
#include "support/fake_console.hpp"
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

using RunCommand = TempDir;

// An environment variable put back as it was after each case.
class Variable {
public:
    explicit Variable(const char* name) : name_(name)
    {
        const char* v = std::getenv(name);
        had_ = v != nullptr;
        if (had_)
            old_ = v;
    }
    ~Variable()
    {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }
    void set(const std::string& v) { ::setenv(name_, v.c_str(), 1); }
    void unset() { ::unsetenv(name_); }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST_F(RunCommand, WaitsForTheCommandThroughTheInterpreter)
{
    testing_support::FakeConsole f;
    Variable comspec("COMSPEC");
    comspec.unset();
    // The file is there the moment the call returns: the command was waited for.
    std::string marker = dir + "/it ran";
    EXPECT_EQ(console::run_command(f.con, "sleep 0.2; echo x > " + console::shell_quote(marker)), 0);
    EXPECT_EQ(::access(marker.c_str(), F_OK), 0);
    comspec.set("/bin/sh");
    EXPECT_EQ(console::run_command(f.con, "exit 3"), 0);  // its own failure is its own business
}

TEST_F(RunCommand, StartErrorsMapToTheirCodes)
{
    testing_support::FakeConsole f;
    Variable comspec("COMSPEC");
    comspec.set(dir + "/no-such-interpreter");
    EXPECT_EQ(console::run_command(f.con, "true"), 2);
    comspec.set("no-such-interpreter-on-path");
    EXPECT_EQ(console::run_command(f.con, "true"), 2);
    touch("plain.txt", "not a program");
    comspec.set(dir + "/plain.txt");
    EXPECT_EQ(console::run_command(f.con, "true"), 5);
    comspec.unset();
    EXPECT_EQ(console::run_command(f.con, "no-such-program-anywhere 2>/dev/null"),
              console::not_found);
    EXPECT_EQ(console::run_command(f.con, console::shell_quote(dir + "/plain.txt") + " 2>/dev/null"),
              5);
}

TEST(ShellWords, QuotedAndNeverTakenForAnOption)
{
    EXPECT_EQ(console::shell_quote("a b"), "'a b'");
    EXPECT_EQ(console::shell_quote("it's"), "'it'\\''s'");
    EXPECT_EQ(console::shell_quote(""), "''");
    EXPECT_EQ(console::shell_argument("-rf.QIT"), "'./-rf.QIT'");
    EXPECT_EQ(console::shell_argument("/home/x/-a"), "'/home/x/-a'");
    EXPECT_EQ(console::program_of("  ls -l x"), "ls");
    EXPECT_EQ(console::program_of("'/opt/my tools/unscale'"), "/opt/my tools/unscale");
    EXPECT_EQ(console::program_of(console::shell_quote("/x/it's") + " a"), "/x/it's");
    EXPECT_EQ(console::program_of("nosuch;ls"), "nosuch");
}

TEST(ShellWords, EditorAndPagerFollowTheUnixConventions)
{
    Variable visual("VISUAL"), editor("EDITOR"), display("DISPLAY"), wayland("WAYLAND_DISPLAY"),
        pager("PAGER"), path("PATH");
    visual.unset();
    editor.unset();
    display.unset();
    wayland.unset();
    EXPECT_EQ(console::default_editor(), "vi");
    wayland.set("wayland-0");
    EXPECT_EQ(console::default_editor(), "xdg-open");
    editor.set("nano");
    EXPECT_EQ(console::default_editor(), "nano");
    visual.set("emacs -nw");
    EXPECT_EQ(console::default_editor(), "emacs -nw");

    pager.set("most");
    EXPECT_EQ(console::default_pager(), "most");
    pager.unset();
    testing_support::ScratchDir bin(false);
    path.set(bin.path());
    EXPECT_EQ(console::default_pager(), "more");
    bin.touch("less", "#!/bin/sh\n");
    ::chmod((bin.dir() + "less").c_str(), 0755);
    EXPECT_EQ(console::default_pager(), "less");
}

} // namespace
