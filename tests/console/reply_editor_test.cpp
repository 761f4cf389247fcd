// Replies typed on a terminal: corrected with the field editor before ENTER,
// and the command prompt's history.
#include <gtest/gtest.h>

#include <string>

#include "support/fake_console.hpp"

namespace {

using testing_support::FakeConsole;

const std::string left = "\x1b[D", home = "\x1b[H", up = "\x1b[A", down = "\x1b[B";

std::string row(const console::Console& con, int y)
{
    std::string s;
    for (int x = 1; x <= console::Console::columns; ++x)
        s += con.cell(x, y);
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

TEST(ReplyEditor, ArrowKeysCorrectAReplyAndTheNoteFollowsIt)
{
    // The keys that used to arrive as "e^[[Dv": Left moves back, V goes in.
    // On the bottom row nothing scrolls: the note lands behind the reply.
    FakeConsole f("e" + left + "v\r", true);
    f.con.goto_xy(1, 25);
    f.con.put("Go? ");
    EXPECT_EQ(f.con.read_line(), "ve");
    f.con.put(" (Yes)");
    EXPECT_EQ(f.con.where_y(), 25);
    EXPECT_EQ(row(f.con, 25), "Go? ve (Yes)");
    EXPECT_FALSE(f.backend.raw);  // the terminal is back in its normal mode
}

TEST(ReplyEditor, AReplyLongerThanTheRowScrollsWithinIt)
{
    const std::string path = "/home/crystallographer/datasets/2026/silicon-standard/run-17/";
    FakeConsole f(path + "\r", true);
    f.con.put(std::string(40, '.'));
    EXPECT_EQ(f.con.read_line(), path);
}

TEST(ReplyEditor, CtrlDEndsTheInputOnlyOnAnEmptyReply)
{
    // With text, Ctrl-D moves right as in the title editor.
    FakeConsole f("ab" + home + "\x04" + "x\r\x04", true);
    EXPECT_EQ(f.con.read_line(), "axb");
    EXPECT_THROW(f.con.read_line(), console::InputEnded);
    EXPECT_FALSE(f.backend.raw);
}

TEST(CommandHistory, UpAndDownStepThroughTheCommandsOfThisRun)
{
    FakeConsole f("y\rlo\rca\r" + up + up + up + "\r" + up + up + down + "\r" + "li" + up + down + "\r",
                  true);
    EXPECT_EQ(f.con.read_line(), "y");  // not a command: not remembered
    EXPECT_EQ(f.con.read_command_line(), "lo");
    EXPECT_EQ(f.con.read_command_line(), "ca");
    EXPECT_EQ(f.con.read_command_line(), "lo");  // three back stops at the oldest, not at "y"
    EXPECT_EQ(f.con.read_command_line(), "lo");  // two back and one forward in lo, ca, lo
    // Down below the newest entry brings back what was being typed.
    EXPECT_EQ(f.con.read_command_line(), "li");
}

TEST(CommandHistory, KeepsTheNewestHundred)
{
    console::History h;
    for (int i = 0; i < 105; ++i)
        h.add("c" + std::to_string(i));
    h.add("   ");
    ASSERT_EQ(h.size(), console::History::capacity);
    EXPECT_EQ(h.at(0), "c5");
    EXPECT_EQ(h.at(99), "c104");
}

TEST(CommandHistory, RedirectedInputIsReadAsPlainLines)
{
    // Scripts keep their meaning: an arrow sequence is part of the line.
    FakeConsole f("lo\n" + up + "\n");
    EXPECT_EQ(f.con.read_command_line(), "lo");
    EXPECT_EQ(f.con.read_command_line(), up);
}

} // namespace
