// The one-line field editor driven by key scripts.
#include <gtest/gtest.h>

#include <string>

#include "console/field_editor.hpp"
#include "support/fake_console.hpp"

namespace {

using testing_support::StringBackend;

// Key sequences as a terminal sends them.
const std::string left = "\x1b[D", right = "\x1b[C", home = "\x1b[H", end = "\x1bOF";
const std::string ins = "\x1b[2~", del = "\x1b[3~";
const std::string ctrl_left = "\x1b[1;5D", ctrl_right = "\x1b[1;5C";
const std::string ctrl_t = "\x14", ctrl_z = "\x1a", esc = "\x1b", enter = "\r";

std::string edit(const std::string& keys, std::string_view initial, int width = 69)
{
    StringBackend backend(keys);
    console::Console con(backend);
    return console::edit_line(con, 10, 24, width, initial, false, true);
}

std::string repeat(const std::string& key, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += key;
    return s;
}

TEST(FieldEditor, StartingTextIsCutToTheFieldAndTrimmed)
{
    std::string long_text(75, 'x');
    EXPECT_EQ(edit(enter, long_text), std::string(69, 'x'));
    EXPECT_EQ(edit(enter, "title   "), "title");
    EXPECT_EQ(edit(enter, "     "), "");
    // Typing blanks behind the text leaves no trailing blanks in the result.
    EXPECT_EQ(edit("   " + enter, "abc"), "abc");
}

TEST(FieldEditor, TypingAppendsBehindTheStartingText)
{
    EXPECT_EQ(edit(" two\r", "one"), "one two");
    EXPECT_EQ(edit("new\n", ""), "new");
    // CR LF is one ENTER: the LF must not be left for the next read.
    StringBackend backend("x\r\nnext\n");
    console::Console con(backend);
    EXPECT_EQ(console::edit_line(con, 10, 24, 69, "", false, false), "x");
    EXPECT_EQ(con.read_line(), "next");
}

TEST(FieldEditor, InsertIntoAFullFieldPushesTheLastCharacterOut)
{
    // Cursor starts at the last position of a full field.
    EXPECT_EQ(edit(home + "Z" + enter, "abcde", 5), "Zabcd");
    EXPECT_EQ(edit("Z" + enter, "abcde", 5), "abcdZ");
    EXPECT_EQ(edit(home + right + "XY" + enter, "abcde", 5), "aXYbc");
}

TEST(FieldEditor, OverwriteKeepsTheCursorInPlace)
{
    EXPECT_EQ(edit(home + ins + "XYZ" + enter, "abcdef"), "Zbcdef");
    EXPECT_EQ(edit(home + ins + "X" + right + "Y" + right + "Z" + enter, "abcdef"), "XYZdef");
    // Ins again returns to inserting.
    EXPECT_EQ(edit(home + ins + ins + "X" + enter, "ab"), "Xab");
}

TEST(FieldEditor, EscRestoresAndUndoReversesOneKey)
{
    EXPECT_EQ(edit(repeat("\x7f", 3) + "xyz" + esc + enter, "starting"), "starting");
    // Ctrl-Z after ESC brings back the text before ESC.
    EXPECT_EQ(edit("abc" + esc + ctrl_z + enter, "s"), "sabc");
    // One level only: a second Ctrl-Z restores the same state again.
    EXPECT_EQ(edit("ab" + ctrl_z + ctrl_z + enter, "s"), "sa");
    // ESC puts the cursor behind the restored text.
    EXPECT_EQ(edit(home + "XX" + esc + "!" + enter, "abc"), "abc!");
    // Undo also restores the cursor.
    EXPECT_EQ(edit(home + ctrl_z + "!" + enter, "abc"), "abc!");
}

TEST(FieldEditor, DeletingCharacters)
{
    EXPECT_EQ(edit(home + del + del + enter, "abcd"), "cd");
    EXPECT_EQ(edit("\x08\x08" + enter, "abcd"), "ab");
    EXPECT_EQ(edit("\x7f" + enter, "abcd"), "abc");
    // Backspace at the first position does nothing.
    EXPECT_EQ(edit(home + "\x08" + enter, "abcd"), "abcd");
    // Del in a full field lets a blank enter at the end.
    EXPECT_EQ(edit(home + del + "Z" + enter, "abcde", 5), "Zbcde");
}

TEST(FieldEditor, CtrlTDeletesAWordAndItsDelimiter)
{
    EXPECT_EQ(edit(home + ctrl_t + enter, "ab,cd"), "cd");
    EXPECT_EQ(edit(home + ctrl_t + enter, "one two"), "two");
    EXPECT_EQ(edit(home + right + ctrl_t + enter, "one two"), "otwo");
    // Behind the text there is nothing to delete.
    EXPECT_EQ(edit(ctrl_t + enter, "one two"), "one two");
}

TEST(FieldEditor, WordMoves)
{
    // Ctrl-Right goes to the start of the next word, stopping at a delimiter.
    EXPECT_EQ(edit(home + ctrl_right + "X" + enter, "one two"), "one Xtwo");
    EXPECT_EQ(edit(home + ctrl_right + "X" + enter, "ab,cd"), "abX,cd");
    EXPECT_EQ(edit(home + ctrl_right + ctrl_right + "X" + enter, "ab,cd"), "ab,Xcd");
    EXPECT_EQ(edit(home + "\x06\x06" + "X" + enter, "one two three"), "one two Xthree");
    // After the last word the cursor stops behind the text.
    EXPECT_EQ(edit(home + repeat(ctrl_right, 4) + "X" + enter, "one two"), "one twoX");
    // Ctrl-Left goes back to the start of the word, over blanks.
    EXPECT_EQ(edit(ctrl_left + "X" + enter, "one two"), "one Xtwo");
    EXPECT_EQ(edit(ctrl_left + ctrl_left + "X" + enter, "one two"), "Xone two");
    EXPECT_EQ(edit(left + left + "\x01" + "X" + enter, "one two"), "one Xtwo");
    EXPECT_EQ(edit(ctrl_left + ctrl_left + "X" + enter, "ab,cd"), "abX,cd");
    EXPECT_EQ(edit(home + ctrl_left + "X" + enter, "ab"), "Xab");
}

TEST(FieldEditor, CursorKeysStayInsideTheField)
{
    EXPECT_EQ(edit(home + left + left + "X" + enter, "ab"), "Xab");
    EXPECT_EQ(edit("\x13" "X" + enter, "ab"), "aXb");  // Ctrl-S is Left
    // Right runs over the blanks behind the text, but not past the width.
    EXPECT_EQ(edit(right + right + "X" + enter, "ab", 6), "ab  X");
    EXPECT_EQ(edit(repeat(right, 10) + "X" + enter, "ab", 5), "ab  X");
    EXPECT_EQ(edit(repeat("\x04", 2) + "X" + enter, "ab", 6), "ab  X");  // Ctrl-D is Right
    // End goes behind the last character; in an empty field it stays at 1.
    EXPECT_EQ(edit(home + end + "X" + enter, "ab"), "abX");
    EXPECT_EQ(edit(home + "\x1b[4~" + "X" + enter, "ab"), "abX");
    EXPECT_EQ(edit(end + "X" + enter, ""), "X");
    EXPECT_EQ(edit(home + end + "X" + enter, "abcde", 5), "abcdX");
}

TEST(FieldEditor, AcceptKeysAndIgnoredKeys)
{
    EXPECT_EQ(edit("ab\x03" "cd\r", ""), "ab");  // Ctrl-C accepts
    EXPECT_EQ(edit("a\x07\x09\x1b[15~b\r", ""), "ab");  // bell, tab, F5: no text
    // The end of the input accepts what is there.
    EXPECT_EQ(edit("abc", ""), "abc");
}

// On a terminal the field is drawn in place on its row.
TEST(FieldEditor, TerminalDrawsTheFramedFieldOnItsRow)
{
    StringBackend backend("Z" + enter, true);
    console::Console con(backend);
    con.goto_xy(1, 24);
    con.put("Edit:   ");
    std::string result = console::edit_line(con, 10, 24, 75, std::string(75, 'x'), true, true);
    EXPECT_EQ(result, std::string(68, 'x') + "Z");
    // Width 75 at column 10 is narrowed to 69: bars at columns 9 and 79.
    EXPECT_EQ(con.cell(9, 24), '\xB3');
    EXPECT_EQ(con.cell(10, 24), 'x');
    EXPECT_EQ(con.cell(77, 24), 'x');
    EXPECT_EQ(con.cell(78, 24), 'Z');
    EXPECT_EQ(con.cell(79, 24), '\xB3');
    EXPECT_EQ(con.cell(80, 24), ' ');
    EXPECT_EQ(con.cell(1, 24), 'E');
    // The ruler stands on the row above, between bars.
    EXPECT_EQ(con.cell(9, 23), '\xB3');
    EXPECT_EQ(con.cell(10, 23), '-');
    EXPECT_EQ(con.cell(14, 23), '+');
    EXPECT_EQ(con.cell(19, 23), '1');
    EXPECT_EQ(con.cell(79, 23), '\xB3');
    // The cursor ends on the row below, with the whole screen back.
    EXPECT_TRUE(con.window_is_full());
    EXPECT_EQ(con.where_x(), 1);
    EXPECT_EQ(con.where_y(), 25);
    EXPECT_NE(backend.output.find("\xE2\x94\x82"), std::string::npos);
}

TEST(FieldEditor, TerminalRedrawsAfterEveryKey)
{
    StringBackend backend(home + del + del + enter, true);
    console::Console con(backend);
    console::edit_line(con, 5, 10, 10, "abcdef", false, false);
    EXPECT_EQ(con.cell(5, 10), 'c');
    EXPECT_EQ(con.cell(8, 10), 'f');
    EXPECT_EQ(con.cell(9, 10), ' ');
    EXPECT_EQ(con.cell(10, 10), ' ');
}

TEST(FieldEditor, RedirectedOutputShowsTheFieldOnceWithoutEcho)
{
    StringBackend backend("abc" + left + "\x7f" + enter);
    console::Console con(backend);
    con.put("Edit:   ");
    std::string result = console::edit_line(con, 10, 24, 10, "old", false, true);
    EXPECT_EQ(result, "oldac");
    EXPECT_EQ(backend.output, "Edit:   \xE2\x94\x82old       \xE2\x94\x82\n");

    StringBackend plain("\n");
    console::Console con2(plain);
    console::edit_line(con2, 3, 24, 12, "title", true, false);
    EXPECT_EQ(plain.output, "  ----+----1--\n  title\n");
}

} // namespace
