// VF and VM with stand-in programs on PATH in place of the desktop opener.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "console/platform.hpp"
#include "files/commands.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using testing_support::count_of;
using testing_support::ScratchDir;
using testing_support::FakeSession;

namespace {

// Makes a recording stand-in the user's editor and pager for one test.
class StandInOpener {
public:
    explicit StandInOpener(const ScratchDir& t, bool present = true)
        : record_(t.dir() + "opened.txt")
    {
        const std::string program = t.dir() + "bin/open";
        std::filesystem::create_directories(t.dir() + "bin");
        if (present) {
            std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record_ << "'\n";
            std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        }
        for (const char* name : {"VISUAL", "PAGER"}) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v != nullptr ? std::optional<std::string>(v) : std::nullopt);
            ::setenv(name, program.c_str(), 1);
        }
    }
    ~StandInOpener()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

    // The argument the stand-in was started with: the program was waited
    // for, so the record is complete when the command returns.
    std::string opened() const
    {
        std::ifstream in(record_);
        std::string line;
        std::getline(in, line);
        return line;
    }

private:
    std::string record_;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

} // namespace

TEST(ManualViewer, StartsThePagerOnTheManualFoundCaseInsensitively)
{
    ScratchDir t(false);
    t.touch("doc/latticor.MD", "# Manual");
    StandInOpener opener(t);
    FakeSession f;
    f.s.dirs.home = t.dir();
    f.s.run.os_exec_result = 99;
    files::VM(f.s);
    EXPECT_EQ(opener.opened(), t.dir() + "doc/latticor.MD");
    EXPECT_EQ(f.s.run.os_exec_result, 0);
    EXPECT_EQ(f.screen(), "\n\n                     View Latticor Manual\n\n\n");
}

TEST(ManualViewer, NamesAPagerThatCannotBeFound)
{
    ScratchDir t(false);
    t.touch("Doc/Latticor.md");
    StandInOpener opener(t, false);
    FakeSession f;
    f.s.dirs.home = t.dir();
    f.s.ds.Nobs = 3;  // no extra line end with a pattern loaded
    files::VM(f.s);
    EXPECT_EQ(f.s.run.os_exec_result, console::not_found);
    const std::string end =
        "\n\n** Could not execute O/S command:  " + t.dir() + "bin/open not found **\n";
    EXPECT_EQ(f.screen().substr(f.screen().size() - end.size()), end);
}

TEST(ManualViewer, MissingManualNamesTheHomeDirectory)
{
    ScratchDir t(false);
    FakeSession f;
    f.s.dirs.home = t.dir();
    files::VM(f.s);
    EXPECT_NE(f.screen().find("** Can't find the Latticor manual (Latticor.md) in sub-dir Doc\n"
                              "   of the Latticor home directory (" + t.dir() + ")\n"),
              std::string::npos);
}

TEST(FileViewer, TextManualsAreListedFromTheHomeDocDirectory)
{
    ScratchDir home(false);
    home.touch("Doc/Guide.txt");
    home.touch("Doc/Latticor.md");
    StandInOpener opener(home);
    FakeSession f("tx\nguide.txt\n\n");
    f.s.dirs.home = home.dir();
    files::VF(f.s);
    const std::string& screen = f.screen();
    EXPECT_NE(screen.find("order:  " + home.dir() + "Doc/*.TXT\n"), std::string::npos);
    EXPECT_NE(screen.find("\n  GUIDE.TXT      \n"), std::string::npos);
    EXPECT_EQ(screen.find("LATTICOR.MD"), std::string::npos);
    EXPECT_EQ(opener.opened(), home.dir() + "Doc/Guide.txt");
    EXPECT_EQ(f.s.viewer.selection, "TX");
}

TEST(FileViewer, AllFilesIncludeAnyExtension)
{
    ScratchDir t(false);
    t.touch("README");
    t.touch("notes.markdown");
    t.touch("QUARTZ.CDT");
    FakeSession f("??\n*q\n");
    f.s.dirs.data = t.dir();
    files::VF(f.s);
    EXPECT_NE(f.screen().find("\n  NOTES.MARKDOWN QUARTZ.CDT     README         \n"),
              std::string::npos);
}

TEST(FileViewer, ProgramCodeBuildsTheExtensionAndEnterLeaves)
{
    ScratchDir t(false);
    t.touch("QUARTZ.DVO");
    StandInOpener opener(t);
    FakeSession f("io\nquartz\nxx\ndv\n\nvf\nio\n\n\n");
    f.s.dirs.data = t.dir();
    files::VF(f.s);
    EXPECT_EQ(opener.opened(), t.dir() + "QUARTZ.DVO");
    // A second VF: ENTER at the program code leaves without a file.
    f.clear_screen_text();
    f.s.con.read_line();  // the "vf" of the script
    files::VF(f.s);
    EXPECT_EQ(count_of(f.screen(), "will now be run"), 0);
    EXPECT_NE(f.screen().find("default=exit): (exit)\n"), std::string::npos);
}

TEST(FileViewer, RepliesOutsideTheListAreAskedAgainAndPartsOfItAreRefused)
{
    const std::string prompt = "Please enter a 2-char selection code (default: EX=Exit): ";
    FakeSession f("xy\nsmh\ns\n?\nex\n");
    files::VF(f.s);
    // Not in the list at all: the question again on the next line, no message.
    EXPECT_NE(f.screen().find(prompt + "xy\n" + prompt + "smh\n" + prompt + "s\n"),
              std::string::npos);
    // Parts of the list pass the choice but name no file type.
    EXPECT_NE(f.screen().find(prompt + "s\n** Not recognised **\n\n" + prompt + "?\n"
                              "** Not recognised **\n\n" + prompt + "ex\n"),
              std::string::npos);
    EXPECT_EQ(count_of(f.screen(), "** Not recognised **"), 2);
    EXPECT_EQ(count_of(f.screen(), "Drive / directory"), 0);
}

TEST(FileViewer, APartOfTheProgramListIsTakenAsTheProgramCode)
{
    ScratchDir t(false);
    t.touch("QUARTZ.ITD");
    FakeSession f("id\nquartz\nxx\nt\n*q\n");
    f.s.dirs.data = t.dir();
    files::VF(f.s);
    // "xx" is not in the list and is asked again; "t" is, and names QUARTZ.TD.
    EXPECT_NE(f.screen().find("default=exit): xx\n  Program code"), std::string::npos);
    EXPECT_NE(f.screen().find("** Can't find file QUARTZ.TD in this directory, please re-enter **\n"
                              "File to view/edit (default: WORK) or *Q to quit: *q"),
              std::string::npos);
    // The file texts follow the listing directly.
    EXPECT_NE(f.screen().find("\n  QUARTZ.ITD     \nEnter the dataset name"), std::string::npos);
}
