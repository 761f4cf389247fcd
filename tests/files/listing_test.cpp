// Directory listings: matching, ordering, layout, the cap and the pause.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "files/commands.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using testing_support::count_of;
using testing_support::lines_of;
using testing_support::ScratchDir;
using testing_support::FakeSession;

namespace {

// The lines of names: those after the line naming the pattern and its blank.
std::vector<std::string> name_lines(const std::string& screen)
{
    std::vector<std::string> all = lines_of(screen);
    std::vector<std::string> names;
    bool started = false;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!started) {
            if (all[i].rfind("  Directory/File ", 0) == 0) {
                started = true;
                ++i;  // the blank line after it
            }
            continue;
        }
        if (all[i].rfind("  ", 0) == 0 && all[i].rfind("  (No files", 0) != 0)
            names.push_back(all[i]);
    }
    return names;
}

// Every name shown, in the order shown.
std::vector<std::string> names_shown(const std::string& screen)
{
    std::vector<std::string> names;
    for (const std::string& line : name_lines(screen)) {
        std::istringstream in(line);
        for (std::string name; in >> name;)
            names.push_back(name);
    }
    return names;
}

std::string numbered(const char* format, int i)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, format, i);
    return buf;
}

} // namespace

TEST(Listing, MatchesPatternCaseInsensitivelyAndSkipsDirectories)
{
    ScratchDir t(false);
    t.touch("quartz.cdt");
    t.touch("CORUND.CDT");
    t.touch("Mixed.Cdt");
    t.touch("QUARTZ.SUM");
    t.touch("NOTES.CDTX");
    t.touch("SUBDIR.CDT/inner.txt");  // a directory whose name matches
    FakeSession f;
    files::list_files(f.s, t.dir(), "*", "CDT");
    EXPECT_EQ(names_shown(f.screen()), (std::vector<std::string>{"CORUND.CDT", "MIXED.CDT",
                                                                  "QUARTZ.CDT"}));
    EXPECT_NE(f.screen().find("  Directory/File specification is:  " + t.dir() + "*.CDT\n"),
              std::string::npos);
}

TEST(Listing, QuestionMarksMatchSingleCharactersOfTheExtension)
{
    ScratchDir t(false);
    t.touch("QUARTZ.ITD");
    t.touch("QUARTZ.D1D");
    t.touch("QUARTZ.ITO");
    t.touch("QUARTZ.D");
    FakeSession f;
    files::list_files(f.s, t.dir(), "*", "??D");
    EXPECT_EQ(names_shown(f.screen()), (std::vector<std::string>{"QUARTZ.D1D", "QUARTZ.ITD"}));
}

TEST(Listing, SortsUpperCasedNamesAndShowsFiveToALine)
{
    ScratchDir t(false);
    const std::vector<std::string> made = {"zeta.sum", "ALPHA.SUM", "beta.SUM", "B.SUM",
                                           "gamma.sum", "A1.SUM", "delta.sum"};
    for (const std::string& n : made)
        t.touch(n);
    FakeSession f;
    files::list_files(f.s, t.dir(), "*", "SUM");
    std::vector<std::string> lines = name_lines(f.screen());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "  A1.SUM         ALPHA.SUM      B.SUM          BETA.SUM       "
                        "DELTA.SUM      ");
    EXPECT_EQ(lines[1], "  GAMMA.SUM      ZETA.SUM       ");
}

TEST(Listing, LongNamesNeverRunTogether)
{
    ScratchDir t(false);
    t.touch("ABCDEFGHIJK.LOG");   // exactly 15 characters
    t.touch("ABCDEFGHIJKLMNOP.LOG");
    FakeSession f;
    files::list_files(f.s, t.dir(), "*", "LOG");
    EXPECT_EQ(names_shown(f.screen()),
              (std::vector<std::string>{"ABCDEFGHIJK.LOG", "ABCDEFGHIJKLMNOP.LOG"}));
}

TEST(Listing, NoMatchSaysSoAndListsNothing)
{
    ScratchDir t(false);
    t.touch("QUARTZ.CDT");
    FakeSession f;
    files::list_files(f.s, t.dir(), "*", "SMH");
    EXPECT_NE(f.screen().find("\n  (No files found with this specification)\n"),
              std::string::npos);
    EXPECT_TRUE(names_shown(f.screen()).empty());
}

TEST(Listing, CapsAtTwoThousandWithOneLinePerFurtherFile)
{
    ScratchDir t(false);
    for (int i = 2001; i >= 1; --i)
        t.touch(numbered("F%04d.CDT", i));
    FakeSession f(std::string(18, '\n'));  // 400 lines: a pause after every 22
    files::list_files(f.s, t.dir(), "*", "CDT");
    const std::string& screen = f.screen();
    EXPECT_EQ(count_of(screen, "** Filenames array full: only first 2000 will be shown\n"), 1);
    std::vector<std::string> names = names_shown(screen);
    ASSERT_EQ(names.size(), 2000u);
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(names[i - 1], names[i]) << "at " << i;
    EXPECT_EQ(name_lines(screen).size(), 400u);
    EXPECT_EQ(count_of(screen, "Press ENTER to continue "), 18);
}

TEST(Listing, PausesAfterEveryTwentyTwoLines)
{
    ScratchDir t(false);
    for (int i = 1; i <= 5 * 22 + 3; ++i)  // 23 lines of names
        t.touch(numbered("P%03d.LOG", i));
    FakeSession f("\n");
    files::list_files(f.s, t.dir(), "*", "LOG");
    const std::string& screen = f.screen();
    EXPECT_EQ(count_of(screen, "Press ENTER to continue "), 1);
    // The pause stands between the 22nd and the 23rd line of names.
    std::size_t pause = screen.find("Press ENTER to continue ");
    EXPECT_NE(screen.rfind("P110.LOG", pause), std::string::npos);
    EXPECT_EQ(screen.find("P111.LOG"), screen.find("P111.LOG", pause));
}

TEST(Listing, DirectoryListingWritesItsHeadingFirst)
{
    ScratchDir t(false);
    t.touch("QUARTZ.SUM");
    FakeSession f;
    files::list_directory(f.s, "Latticor summaries", t.dir(), "*", "SUM");
    EXPECT_EQ(f.screen(), "\nDrive / directory information followed by listing of Latticor "
                          "summaries\nin the currently selected directory, sorted into name "
                          "order:  " + t.dir() + "*.SUM\n\n  Directory/File specification is:  " +
                          t.dir() + "*.SUM\n\n  QUARTZ.SUM     \n");
}
