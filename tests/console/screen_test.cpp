// The screen model on a terminal: cursor, colours, the window writer, the
// key reader's translation of terminal sequences and the reply reader.
#include <gtest/gtest.h>

#include "support/fake_console.hpp"

namespace {

using testing_support::FakeConsole;

std::string row_text(const console::Console& con, int y, int x1, int x2)
{
    std::string s;
    for (int x = x1; x <= x2; ++x)
        s += con.cell(x, y);
    return s;
}

TEST(Screen, GotoBottomRowOfTheFullWindow)
{
    FakeConsole fake("", true);
    fake.con.goto_xy(1, 25);
    EXPECT_EQ(fake.con.where_y(), 25);
    fake.con.put("X");
    EXPECT_EQ(fake.con.cell(1, 25), 'X');
    EXPECT_NE(fake.screen().find("\x1b[25;1H"), std::string::npos);
    // Coordinates below 1 mean the first column or row.
    fake.con.goto_xy(0, -4);
    EXPECT_EQ(fake.con.where_x(), 1);
    EXPECT_EQ(fake.con.where_y(), 1);
}

TEST(Screen, FullWindowOutputScrollsAtTheBottom)
{
    FakeConsole fake("", true);
    fake.con.goto_xy(1, 25);
    fake.con.line("last");
    EXPECT_EQ(row_text(fake.con, 24, 1, 4), "last");
    EXPECT_EQ(fake.con.where_y(), 25);
    EXPECT_EQ(fake.con.where_x(), 1);
}

TEST(Screen, ColoursMapToAnsiWithRedAndBlueSwapped)
{
    FakeConsole fake("", true);
    fake.con.text_background(15);
    fake.con.text_color(0);
    EXPECT_EQ(fake.con.attribute(), 0xF0);
    EXPECT_NE(fake.screen().find("\x1b[30;107m"), std::string::npos);
    fake.backend.output.clear();
    fake.con.text_color(1);  // blue
    EXPECT_EQ(fake.screen(), "\x1b[34;107m");
    fake.backend.output.clear();
    fake.con.text_color(12);  // light red
    fake.con.text_background(6);  // brown
    EXPECT_EQ(fake.screen(), "\x1b[91;107m\x1b[91;43m");
    EXPECT_EQ(fake.con.attribute(), 0x6C);
}

TEST(Screen, ClearPaintsTheWholeWindow)
{
    FakeConsole fake("", true);
    fake.con.put("abc");
    fake.con.text_background(15);
    fake.con.text_color(0);
    fake.con.clear_screen();
    EXPECT_EQ(fake.con.cell(1, 1), ' ');
    EXPECT_EQ(fake.con.where_x(), 1);
    EXPECT_NE(fake.screen().find("\x1b[30;107m\x1b[2J"), std::string::npos);

    // In a window only the window is cleared.
    fake.con.goto_xy(1, 3);
    fake.con.put(std::string(80, '#'));
    fake.con.set_window(10, 3, 20, 3);
    fake.con.clear_screen();
    EXPECT_EQ(row_text(fake.con, 3, 9, 21), "#           #");
}

TEST(Screen, RedirectedOutputHasNoEscapes)
{
    FakeConsole fake;
    fake.con.text_background(15);
    fake.con.text_color(4);
    fake.con.clear_screen();
    fake.con.goto_xy(5, 5);
    fake.con.put("a\a");
    fake.con.beep();
    EXPECT_EQ(fake.screen(), "a");
}

TEST(WindowWriter, OneRowWindowScrollsOntoItself)
{
    FakeConsole fake("", true);
    fake.con.goto_xy(1, 24);
    fake.con.put("keep");
    fake.con.set_window(10, 24, 80, 24);
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += static_cast<char>('a' + i % 26);
    fake.con.put(text);
    fake.con.flush();
    // 71 characters fill the row, which then scrolls away; the rest stays.
    EXPECT_EQ(row_text(fake.con, 24, 10, 38), text.substr(71));
    EXPECT_EQ(row_text(fake.con, 24, 39, 80), std::string(42, ' '));
    EXPECT_EQ(row_text(fake.con, 24, 1, 9), "keep     ");
    EXPECT_EQ(fake.con.cell(10, 23), ' ');
}

TEST(WindowWriter, WrapsAtTheRightEdgeAndStartsLinesAtTheFirstColumn)
{
    FakeConsole fake("", true);
    fake.con.small_window(5, 3);  // columns 5..42, rows 3..13
    fake.con.put(std::string(40, 'x'));
    fake.con.line("");
    fake.con.line("one");
    fake.con.put("two\tthree");
    fake.con.flush();
    EXPECT_EQ(row_text(fake.con, 3, 4, 43), " " + std::string(38, 'x') + " ");
    EXPECT_EQ(row_text(fake.con, 4, 5, 7), "xx ");
    EXPECT_EQ(row_text(fake.con, 5, 5, 8), "one ");
    EXPECT_EQ(row_text(fake.con, 6, 5, 20), "two        three");
    EXPECT_EQ(fake.con.where_x(), 17);
    EXPECT_EQ(fake.con.where_y(), 4);
    fake.con.full_window();
    EXPECT_TRUE(fake.con.window_is_full());
    EXPECT_EQ(fake.con.where_y(), 25);
}

TEST(WindowWriter, ScrollLosesTheTopRowOfTheWindowOnly)
{
    FakeConsole fake("", true);
    fake.con.goto_xy(1, 1);
    fake.con.put("above");
    fake.con.set_window(1, 2, 10, 4);
    fake.con.line("r1");
    fake.con.line("r2");
    fake.con.line("r3");
    fake.con.put("r4");
    fake.con.flush();
    EXPECT_EQ(row_text(fake.con, 1, 1, 5), "above");
    // Three rows: the third line end scrolled r1 away.
    EXPECT_EQ(row_text(fake.con, 2, 1, 2), "r2");
    EXPECT_EQ(row_text(fake.con, 3, 1, 2), "r3");
    EXPECT_EQ(row_text(fake.con, 4, 1, 2), "r4");
    EXPECT_EQ(row_text(fake.con, 5, 1, 2), "  ");
}

TEST(WindowWriter, CarriageReturnAndNul)
{
    FakeConsole fake("", true);
    fake.con.set_window(1, 1, 20, 5);
    fake.con.put("abcdef\rXY");
    fake.con.put(std::string(1, '\0'));
    EXPECT_EQ(row_text(fake.con, 1, 1, 6), "XYcdef");
    EXPECT_EQ(fake.con.where_x(), 3);
}

TEST(WindowWriter, RedirectedWindowsComeOutAsPlainLines)
{
    FakeConsole fake;
    fake.con.small_window(1, 1);
    fake.con.put(std::string(40, 'm'));
    fake.con.line("");
    fake.con.line("end");
    fake.con.full_window();
    EXPECT_EQ(fake.screen(), std::string(38, 'm') + "\nmm\nend\n");
}

TEST(Glyphs, CodePageBarsBecomeUtf8)
{
    FakeConsole fake;
    fake.con.put("\xB3x\xDD");
    EXPECT_EQ(fake.screen(), "\xE2\x94\x82x\xC2\xA6");
    fake.backend.output.clear();
    // UTF-8 text passes unchanged, including a 179 that continues a sequence.
    fake.con.put("Jos\xC3\xB3 \xE2\x82\xAC\xB3");
    EXPECT_EQ(fake.screen(), "Jos\xC3\xB3 \xE2\x82\xAC\xE2\x94\x82");
}

std::vector<int> keys(const std::string& input, int n, bool terminal = false)
{
    FakeConsole fake(input, terminal);
    std::vector<int> got;
    for (int i = 0; i < n; ++i)
        got.push_back(fake.con.read_key());
    return got;
}

using Keys = std::vector<int>;

TEST(KeyReader, TerminalSequencesBecomeScanCodes)
{
    EXPECT_EQ(keys("\x1b[D\x1b[C", 4), (Keys{0, 75, 0, 77}));
    EXPECT_EQ(keys("\x1b[H\x1b[1~\x1bOH", 6), (Keys{0, 71, 0, 71, 0, 71}));
    EXPECT_EQ(keys("\x1b[F\x1b[4~\x1bOF", 6), (Keys{0, 79, 0, 79, 0, 79}));
    EXPECT_EQ(keys("\x1b[2~\x1b[3~", 4), (Keys{0, 82, 0, 83}));
    EXPECT_EQ(keys("\x1b[1;5D\x1b[1;5C", 4), (Keys{0, 115, 0, 116}));
    EXPECT_EQ(keys("\x1bOD\x1bOC", 4), (Keys{0, 75, 0, 77}));
}

TEST(KeyReader, PlainBytes)
{
    EXPECT_EQ(keys("a\x7f\x08Z", 4), (Keys{'a', 8, 8, 'Z'}));
    EXPECT_EQ(keys("\r\n\rx\ny", 4), (Keys{13, 13, 'x', 13}));
    EXPECT_EQ(keys("\xE9", 1), (Keys{0xE9}));
}

TEST(KeyReader, EscapeAloneAndUnknownSequences)
{
    EXPECT_EQ(keys("\x1b", 2), (Keys{27, 3}));
    EXPECT_EQ(keys("\x1bx", 2), (Keys{27, 'x'}));
    EXPECT_EQ(keys("\x1b\x1b[D", 3), (Keys{27, 0, 75}));
    EXPECT_EQ(keys("\x1b[15~q", 1), (Keys{'q'}));  // F5: no use, skipped
    EXPECT_EQ(keys("\x1bOPq", 1), (Keys{'q'}));
    EXPECT_EQ(keys("\x1b[1\n", 2), (Keys{27, 13}));  // broken off
}

TEST(KeyReader, EndOfInputAccepts)
{
    EXPECT_EQ(keys("", 3), (Keys{3, 3, 3}));
    FakeConsole fake("k");
    fake.con.read_key();
    fake.con.read_key();
    EXPECT_THROW(fake.con.read_line(), console::InputEnded);
}

TEST(KeyReader, RawModeOnlyWhileAKeyIsRead)
{
    FakeConsole fake("\x1b[D", true);
    EXPECT_EQ(fake.con.read_key(), 0);
    EXPECT_FALSE(fake.backend.raw);
    EXPECT_EQ(fake.con.read_key(), 75);
    EXPECT_EQ(keys("ab", 2, true), (Keys{'a', 'b'}));
}

TEST(ReplyReader, RedirectedInputIsEchoed)
{
    FakeConsole fake("abc\r\nsecond\rthird\nlast");
    fake.con.put("Q? ");
    EXPECT_EQ(fake.con.read_line(), "abc");
    EXPECT_EQ(fake.con.read_line(), "second");
    EXPECT_EQ(fake.con.read_line(), "third");
    EXPECT_EQ(fake.con.read_line(), "last");
    EXPECT_EQ(fake.screen(), "Q? abcsecondthirdlast");
    EXPECT_THROW(fake.con.read_line(), console::InputEnded);
    EXPECT_TRUE(fake.con.input_ended());
    EXPECT_THROW(fake.con.read_line(), console::InputEnded);
}

} // namespace
