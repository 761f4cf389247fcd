// The help pages: the menu dialogue, the fit of every page on the 80 x 25
// screen, and the command lists against the commands they document.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console/sink.hpp"
#include "files/commands.hpp"
#include "files/help_pages.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using testing_support::count_of;
using testing_support::lines_of;
using testing_support::FakeSession;

namespace {

// A page as the copy channel gets it: no pauses, the screens one after another.
std::string page_text(files::help::Page page)
{
    FakeSession f;
    testing_support::StringSink sink;
    page(f.s, sink);
    EXPECT_TRUE(f.screen().empty()) << "the page wrote to the screen";
    return sink.text;
}

// The command list shown for the choice 1..4 of the commands section.
std::string command_list(char choice)
{
    std::string script = "c\n";
    script += choice;
    script += "\n\n\nq\n\n";  // two ENTERs for the possible pauses
    FakeSession f(script);
    files::HE(f.s);
    const std::string& screen = f.screen();
    std::size_t from = screen.find("** Latticor commands");
    std::size_t to = screen.find("Select 1-4", from);
    return screen.substr(from, to - from);
}

// The codes of a two-column list, reading down the left column first.
const std::string help_line = "HELP (general, commands, indexing, file) = ?, HE";
const std::string quit_line = "QUIT (from Latticor)                     = QU";

std::vector<std::string> codes_in_columns(const std::string& list, const std::regex& entry)
{
    std::vector<std::string> left, right;
    for (const std::string& line : lines_of(list)) {
        if (line == help_line || line == quit_line)
            continue;
        std::string l = line.substr(0, std::min<std::size_t>(40, line.size()));
        std::string r = line.size() > 40 ? line.substr(40) : "";
        std::smatch m;
        if (std::regex_search(l, m, entry))
            left.push_back(m[1]);
        if (std::regex_search(r, m, entry))
            right.push_back(m[1]);
    }
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

std::vector<std::string> documented_codes()
{
    // Every code of the expanded descriptions, "?" being covered by the
    // closing HELP line of each list.
    std::vector<std::string> codes;
    std::regex entry("^([A-Z0-9]{2}) = ");
    for (const std::string& line : lines_of(command_list('4'))) {
        std::smatch m;
        if (std::regex_search(line, m, entry))
            codes.push_back(m[1]);
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

TEST(HelpPages, EveryScreenFitsTheConsole)
{
    const std::vector<std::pair<const char*, files::help::Page>> pages = {
        {"general", files::help::general_page},
        {"indexing", files::help::indexing_page},
        {"format", files::help::format_page},
    };
    for (const auto& [name, page] : pages) {
        int screen_lines = 0;
        int screens = 1;
        for (const std::string& line : lines_of(page_text(page))) {
            EXPECT_LE(line.size(), 79u) << name << ": " << line;
            ++screen_lines;
            if (line.rfind("(continued in screen ", 0) == 0) {
                EXPECT_EQ(line, "(continued in screen " + std::to_string(screens + 1) + ")");
                ++screens;
                EXPECT_LE(screen_lines, 22) << name << " screen " << screens - 1;
                screen_lines = 0;
            }
        }
        // Room for the pause below the last screen.
        EXPECT_LE(screen_lines, 22) << name << " last screen";
    }
}

TEST(HelpPages, IndexingAdviceOnTheScreenPausesBetweenScreensAndAtTheEnd)
{
    FakeSession f("\n\n\n");
    files::indexing_help(f.s);
    EXPECT_EQ(count_of(f.screen(), "Press ENTER to continue "), 3);
    EXPECT_NE(f.screen().find("(screen 3 of 3)"), std::string::npos);
}

TEST(HelpMenu, LowerCaseLetterSelectsThePageAndEnterLeaves)
{
    FakeSession f("c\n\n\n");
    files::HE(f.s);
    const std::string& screen = f.screen();
    EXPECT_NE(screen.find("Help on Latticor commands is available in the following formats:"),
              std::string::npos);
    EXPECT_NE(screen.find("(default Q): (quit)\n"), std::string::npos);
    EXPECT_EQ(count_of(screen, "**  HELP MENU  **"), 2);
    // ENTER at the menu: its line end and, without a pattern, one more.
    EXPECT_TRUE(screen.ends_with("(or press ENTER to exit):  \n\n"));
}

TEST(HelpMenu, OtherLettersShowTheMenuAgain)
{
    FakeSession f("z\n?\n\n");
    f.s.ds.Nobs = 5;
    files::HE(f.s);
    EXPECT_EQ(count_of(f.screen(), "**  HELP MENU  **"), 3);
    EXPECT_TRUE(f.screen().ends_with("(or press ENTER to exit):  \n"));  // no extra line
}

TEST(HelpMenu, GeneralAndFormatPagesWaitBeforeTheMenuReturns)
{
    FakeSession f("g\n\nF\n\n\n\n");
    files::HE(f.s);
    const std::string& screen = f.screen();
    std::size_t general = screen.find("** Latticor - General Information **");
    std::size_t format = screen.find("** Latticor (LATT) Dataset file format **");
    ASSERT_NE(general, std::string::npos);
    ASSERT_NE(format, std::string::npos);
    std::size_t pause = screen.find("Press ENTER to continue ", general);
    EXPECT_LT(pause, screen.find("**  HELP MENU  **", general));
    EXPECT_EQ(count_of(screen.substr(format), "Press ENTER to continue "), 2);
}

TEST(CommandLists, EachFormatListsEveryCommandOnce)
{
    const std::vector<std::string> expected = documented_codes();
    ASSERT_EQ(expected.size(), 38u);
    const std::regex by_code("^([A-Z0-9]{2}) = ");
    const std::regex by_task("= ([A-Z0-9]{2})\\s*$");
    for (char choice : {'1', '2', '3'}) {
        std::vector<std::string> codes =
            codes_in_columns(command_list(choice), choice == '1' ? by_code : by_task);
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, expected) << "format " << choice;
    }
}

TEST(CommandLists, AlphabeticalFormatsAreInOrder)
{
    std::vector<std::string> codes = codes_in_columns(command_list('1'), std::regex("^([A-Z0-9]{2}) = "));
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));

    std::vector<std::string> tasks;
    std::vector<std::string> left, right;
    for (const std::string& line : lines_of(command_list('2'))) {
        if (line == help_line || line == quit_line || line.size() < 36 ||
            line.compare(32, 2, "= ") != 0)
            continue;
        left.push_back(lower(line.substr(0, 32)));
        if (line.size() > 40)
            right.push_back(lower(line.substr(40, 32)));
    }
    tasks = left;
    tasks.insert(tasks.end(), right.begin(), right.end());
    ASSERT_EQ(tasks.size(), 38u);
    EXPECT_TRUE(std::is_sorted(tasks.begin(), tasks.end()));
}

TEST(CommandLists, EveryListHasTheHeadingAndTheClosingLines)
{
    for (char choice : {'1', '2', '3', '4'}) {
        std::string list = command_list(choice);
        EXPECT_EQ(list.rfind("** Latticor commands (only the first 2 characters are significant) **\n", 0), 0u);
        EXPECT_NE(list.find(help_line + "\n" + quit_line + "\n"),
                  std::string::npos)
            << "format " << choice;
        bool two_screens = choice == '3' || choice == '4';
        EXPECT_EQ(count_of(list, "(continued in screen 2)"), two_screens ? 1 : 0);
        for (const std::string& line : lines_of(list))
            EXPECT_LE(line.size(), 79u) << line;
    }
}
