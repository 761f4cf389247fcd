// The prompting operations, pauses and paging, driven by scripts of replies.
#include <gtest/gtest.h>

#include "console/prompt.hpp"
#include "support/fake_console.hpp"

namespace {

using testing_support::FakeConsole;

TEST(ReplyReading, NormalisedAndNotes)
{
    FakeConsole fake(" l o \nDef\n");
    EXPECT_EQ(console::read_normalised_reply(fake.con, "? "), "LO");
    EXPECT_EQ(console::read_reply(fake.con, ""), "Def");
    EXPECT_EQ(fake.screen(), "?  l o Def");
    fake.backend.output.clear();
    console::write_note(fake.con, "nc");
    console::write_note(fake.con, "DEF");
    console::write_note(fake.con, "");
    console::write_note(fake.con, " (kept)");
    EXPECT_EQ(fake.screen(), " (no change) (default) (kept)");
}

TEST(AskReal, EnterEchoesTheDefaultAndTheNote)
{
    FakeConsole fake("\n1.5406\n1.54\n");
    auto a = console::ask_real(fake.con, "W: ", "", 1.5406, 8, 4, "", "NC");
    EXPECT_EQ(fake.screen(), "W:   1.5406 (no change)");
    EXPECT_EQ(a.value, 1.5406);
    EXPECT_TRUE(a.unchanged);
    EXPECT_EQ(a.reply, "");

    fake.backend.output.clear();
    a = console::ask_real(fake.con, "W: ", "", 1.5406, 8, 4, "", "NC");
    EXPECT_EQ(fake.screen(), "W: 1.5406 (no change)");
    EXPECT_TRUE(a.unchanged);

    fake.backend.output.clear();
    a = console::ask_real(fake.con, "W: ", "", 1.5406, 8, 4, "", "NC");
    EXPECT_EQ(fake.screen(), "W: 1.54");
    EXPECT_EQ(a.value, 1.54);
    EXPECT_FALSE(a.unchanged);
}

TEST(AskReal, SuffixComesBeforeTheNoteAndWidthZeroEchoesNothing)
{
    FakeConsole fake("\n2\n");
    auto a = console::ask_real(fake.con, "Z: ", "", 0.5, 0, 2, " deg", "DEF");
    EXPECT_EQ(fake.screen(), "Z:  deg (default)");
    EXPECT_EQ(a.value, 0.5);
    fake.backend.output.clear();
    a = console::ask_real(fake.con, "Z: ", "", 0.5, 6, 2, " deg", "DEF");
    EXPECT_EQ(fake.screen(), "Z: 2 deg");
}

TEST(AskReal, KeepCodesReturnTheReplyAndTheDefault)
{
    FakeConsole fake("q\n");
    auto a = console::ask_real(fake.con, "X: ", "Q", 1.5, 8, 4, " deg", "NC");
    EXPECT_EQ(a.value, 1.5);
    EXPECT_FALSE(a.unchanged);
    EXPECT_EQ(a.reply, "Q");
    EXPECT_EQ(fake.screen(), "X: q");  // neither suffix nor note
}

TEST(AskReal, UnconvertibleRepliesAreAskedAgainSilently)
{
    FakeConsole fake("1,5\nabc\n1e\n-2.5E1\n");
    auto a = console::ask_real(fake.con, "V: ", "", 1.0, 5, 1, "", "NC");
    EXPECT_EQ(a.value, -25.0);
    EXPECT_FALSE(a.unchanged);
    EXPECT_EQ(fake.screen(), "V: 1,5\nV: abc\nV: 1e\nV: -2.5E1");
}

TEST(AskReal, EmptyLinesAfterTheAnswer)
{
    FakeConsole fake("3\n");
    console::ask_real_lines(fake.con, "V: ", "", 1.0, 5, 1, "", "", 2);
    EXPECT_EQ(fake.screen(), "V: 3\n\n");
}

TEST(AskInt, IntegersOnly)
{
    FakeConsole fake("\n1.5\n+7\n");
    auto a = console::ask_int(fake.con, "N: ", "", 20, 4, "", "DEF");
    EXPECT_EQ(fake.screen(), "N:   20 (default)");
    EXPECT_TRUE(a.unchanged);
    fake.backend.output.clear();
    a = console::ask_int_lines(fake.con, "N: ", "", 20, 4, " lines", "DEF", 1);
    EXPECT_EQ(a.value, 7);
    EXPECT_EQ(fake.screen(), "N: 1.5\nN: +7 lines\n");
}

TEST(AskChar, DefaultMessageAndRepetition)
{
    FakeConsole fake("\nmaybe\nn\n");
    EXPECT_EQ(console::ask_char(fake.con, "Q? ", "YN", 'Y', "(Yes)"), 'Y');
    EXPECT_EQ(fake.screen(), "Q? (Yes)");
    fake.backend.output.clear();
    EXPECT_EQ(console::ask_char(fake.con, "Q? ", "YN", 'Y', "(Yes)"), 'N');
    EXPECT_EQ(fake.screen(), "Q? maybe\nQ? n");
}

TEST(AskCode, ReplyMustOccurInTheList)
{
    FakeConsole fake("YES\ny\n\nyn\n");
    EXPECT_EQ(console::ask_code(fake.con, "Go (Y/N, default=N)? ", "YN", "N", "(No)"), "Y");
    EXPECT_EQ(fake.screen(), "Go (Y/N, default=N)? YES\nGo (Y/N, default=N)? y");
    fake.backend.output.clear();
    EXPECT_EQ(console::ask_code(fake.con, "Go? ", "YN", "N", "(No)"), "N");
    EXPECT_EQ(fake.screen(), "Go? (No)");
    EXPECT_EQ(console::ask_code(fake.con, "Go? ", "YN", "N", "(No)"), "YN");
}

TEST(AskCode, NotedFormEndsAtOnceOnEnter)
{
    FakeConsole fake("\nx\nb\n");
    auto a = console::ask_code_noted(fake.con, "M? ", "ABC", "Z", "DEF");
    EXPECT_TRUE(a.defaulted);
    EXPECT_EQ(a.reply, "Z");  // the default need not be in the list
    EXPECT_EQ(fake.screen(), "M?  (default)");
    fake.backend.output.clear();
    a = console::ask_code_noted(fake.con, "M? ", "ABC", "Z", "DEF");
    EXPECT_FALSE(a.defaulted);
    EXPECT_EQ(a.reply, "B");
    EXPECT_EQ(fake.screen(), "M? x\nM? b");
}

TEST(GetCommand, TwoLettersAndAnEmptyLineBeforeAskingAgain)
{
    const char* list = "LOSAOBQUCE";
    FakeConsole fake("a b c\nlo\nzz\nq u\n");
    EXPECT_EQ(console::get_command(fake.con, "> ", "XXABYY", "??", ""), "AB");
    EXPECT_EQ(console::get_command(fake.con, "> ", list, "??", ""), "LO");
    EXPECT_EQ(console::get_command(fake.con, "> ", list, "??", ""), "QU");
    EXPECT_EQ(fake.screen(), "> a b c> lo> zz\n\n> q u");
}

TEST(SelectFom, PromptFormsAndNames)
{
    FakeConsole fake("\nm\ni\n");
    EXPECT_EQ(console::select_fom(fake.con, 'P', true), "Pr");
    EXPECT_EQ(fake.screen(),
              "Select figure-of-merit Ir, Pr or M1 to be used (I/P/M, default: P): P (default)");
    fake.backend.output.clear();
    // M is taken even when M1 is not offered.
    EXPECT_EQ(console::select_fom(fake.con, 'I', false), "M1");
    EXPECT_EQ(fake.screen(), "Select figure-of-merit Ir or Pr to be used (I/P, default: I): m");
    EXPECT_EQ(console::select_fom(fake.con, 'P', false), "Ir");
}

TEST(Pauses, PressEnterForms)
{
    FakeConsole fake("\n\n");
    console::pause(fake.con);
    EXPECT_EQ(fake.screen(), "\nPress ENTER to continue \n");
    fake.backend.output.clear();
    console::pause_plain(fake.con);
    EXPECT_EQ(fake.screen(), "Press ENTER to continue \n");
}

TEST(Pauses, OnlyTheDisplayDeviceIsAsked)
{
    FakeConsole fake("next\nafter\n");
    fake.con.device = "P";
    console::pause(fake.con);
    console::page_pause_finish(fake.con);
    EXPECT_EQ(fake.screen(), "");
    // pause_plain reads its line on any device, but says nothing.
    console::pause_plain(fake.con);
    EXPECT_EQ(fake.screen(), "next\n");
    // With no output channel left, the listing is on the display again.
    fake.con.output_code = 0;
    console::pause(fake.con);
    EXPECT_EQ(fake.con.device, "D");
    EXPECT_EQ(fake.screen(), "next\n\nPress ENTER to continue after\n");
}

TEST(Pauses, PagePausesSetThePauseFlag)
{
    FakeConsole fake("f\n\np\n\n");
    console::page_pause_finish(fake.con);
    EXPECT_EQ(fake.con.pause_flag, 0);
    EXPECT_EQ(fake.screen(),
              "\nType ENTER to continue or F (and ENTER) to Finish without further pauses: f\n");
    console::page_pause_finish(fake.con);
    EXPECT_EQ(fake.con.pause_flag, 1);
    fake.backend.output.clear();
    console::page_pause_next(fake.con);
    EXPECT_EQ(fake.con.pause_flag, 1);
    EXPECT_EQ(fake.screen(), "\nType ENTER to run to the end of this output, or P (and ENTER) for "
                             "next Page: p\n");
    console::page_pause_next(fake.con);
    EXPECT_EQ(fake.con.pause_flag, 0);
}

TEST(Pauses, SaveAndRestoreAndDevices)
{
    FakeConsole fake;
    console::Console& con = fake.con;
    con.pause_flag = 0;
    console::pauses_on(con);
    EXPECT_EQ(con.pause_flag, 1);
    EXPECT_EQ(con.pause_saved, 0);
    console::pauses_restore(con);
    EXPECT_EQ(con.pause_flag, 0);
    con.pause_flag = 1;
    console::pauses_off(con);
    EXPECT_EQ(con.pause_flag, 0);
    EXPECT_EQ(con.pause_saved, 1);
    const char* expected[] = {"D", "P", "F", "D", "D"};
    int codes[] = {0, 1, 2, 3, -1};
    for (int i = 0; i < 5; ++i) {
        console::set_device(con, codes[i]);
        EXPECT_EQ(con.device, expected[i]) << codes[i];
    }
}

TEST(Pauses, ClearingOnlyOnTheNtFamily)
{
    FakeConsole fake("\n", true);
    fake.con.put("text");
    console::pause_and_clear(fake.con);
    EXPECT_EQ(fake.con.cell(1, 1), 't');
    EXPECT_EQ(fake.screen().find("Press"), std::string::npos);
    fake.con.nt_family = true;
    console::pause_and_clear(fake.con);
    EXPECT_NE(fake.screen().find("Press ENTER to clear screen and continue "), std::string::npos);
    EXPECT_EQ(fake.con.cell(1, 1), ' ');
    EXPECT_EQ(fake.con.where_y(), 1);
    EXPECT_EQ(fake.con.attribute() >> 4, 15);
}

// A listing of 40 lines under 7 heading lines, as the pattern listing pages.
std::string listing(FakeConsole& fake)
{
    console::Pager pager(fake.con, 7);
    for (int i = 1; i <= 40; ++i) {
        pager.before_line();
        fake.con.line("line " + std::to_string(i));
        pager.after_line();
    }
    return fake.screen();
}

TEST(Paging, FinishRunsTheRestWithoutPauses)
{
    const std::string prompt = "Type ENTER to continue";
    FakeConsole fake("f\n");
    fake.con.pause_flag = 1;
    std::string out = listing(fake);
    std::size_t at = out.find(prompt);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out.find(prompt, at + 1), std::string::npos);
    EXPECT_EQ(out.substr(0, at), [] {
        std::string s;
        for (int i = 1; i <= 15; ++i)
            s += "line " + std::to_string(i) + "\n";
        return s + "\n";
    }());
    EXPECT_NE(out.find("line 40\n"), std::string::npos);
    EXPECT_EQ(fake.con.pause_flag, 1);  // restored after the listing
}

TEST(Paging, EnterPausesEveryTwentyTwoLines)
{
    FakeConsole fake("\n\n");
    std::string out = listing(fake);
    std::size_t first = out.find("Type ENTER");
    std::size_t second = out.find("Type ENTER", first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(out.find("line 15\n"), first);
    EXPECT_GT(out.find("line 16\n"), first);
    EXPECT_LT(out.find("line 37\n"), second);
    EXPECT_GT(out.find("line 38\n"), second);
}

TEST(Paging, NoPausesWhenTheListingStartsWithPausesOff)
{
    FakeConsole fake;
    fake.con.pause_flag = 0;
    {
        console::Pager pager(fake.con, 7);
        EXPECT_EQ(fake.con.pause_flag, 1);  // a listing always starts paged
    }
    EXPECT_EQ(fake.con.pause_flag, 0);
}

} // namespace
