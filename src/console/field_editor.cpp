// The one-line field editor: titles and similar texts edited in place on one
// screen row, with word keys, insert/overwrite, one-level undo and restore.
#include "console/field_editor.hpp"

#include <algorithm>
#include <string>

#include "console/console.hpp"
#include "console/utilities.hpp"

namespace console {

namespace {

constexpr char bar = '\xB3';  // the vertical bar of the console code page (179)
constexpr std::string_view ruler =
    "----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----";
constexpr int buffer_size = 80;

// Key codes from read_key: characters as they are, extended keys as 256 plus
// their scan code.
enum Key : int {
    ctrl_a = 1,
    ctrl_c = 3,
    ctrl_d = 4,
    ctrl_f = 6,
    ctrl_g = 7,
    backspace = 8,
    enter = 13,
    ctrl_s = 19,
    ctrl_t = 20,
    ctrl_z = 26,
    esc = 27,
    home = 256 + 71,
    left = 256 + 75,
    right = 256 + 77,
    end = 256 + 79,
    ins = 256 + 82,
    del = 256 + 83,
    ctrl_left = 256 + 115,
    ctrl_right = 256 + 116,
};

bool is_delimiter(char c)
{
    return c == ' ' || std::string_view("&'()*+,-./:;<=>?[\\]^{|}").find(c) !=
                           std::string_view::npos;
}

bool in_word(char c) { return !is_delimiter(c); }

} // namespace

Field::Field(int width, std::string starting)
    : width_(width), starting_(trim_right(starting))
{
    load(starting_);
}

std::string Field::result() const { return trim_right(buffer_); }

// Position of the last non-blank character, at least 1.
int Field::text_end() const
{
    for (int p = width_; p >= 1; --p)
        if (at(p) != ' ')
            return p;
    return 1;
}

// A text with the cursor behind it (at 1 when it is empty, at the last
// position when it fills the field).
void Field::load(std::string_view text)
{
    buffer_.assign(static_cast<std::size_t>(std::max(width_, buffer_size)), ' ');
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(width_));
    buffer_.replace(0, n, text.substr(0, n));
    int last = text_end();
    if (text.empty())
        cursor_ = 1;
    else
        cursor_ = last < width_ ? last + 1 : width_;
}

void Field::set_text(std::string_view text) { load(text); }

void Field::delete_at_cursor()
{
    for (int p = cursor_; p < width_; ++p)
        at(p) = at(p + 1);
    at(width_) = ' ';
}

void Field::type(char c)
{
    if (!insert_mode_) {
        at(cursor_) = c;
        return;
    }
    for (int p = width_; p > cursor_; --p)
        at(p) = at(p - 1);
    at(cursor_) = c;
    if (cursor_ < width_)
        ++cursor_;
}

void Field::go_to_end()
{
    int last = text_end();
    cursor_ = last;
    bool empty = at(1) == ' ' && last == 1;
    if (last < width_ && !empty)
        ++cursor_;
}

// Left over blanks, then back to the first character of the word; a
// delimiter other than the blank is a stop of its own.
void Field::word_left()
{
    if (cursor_ <= 1)
        return;
    int p = cursor_ - 1;
    while (p > 1 && at(p) == ' ')
        --p;
    if (in_word(at(p)))
        while (p > 1 && in_word(at(p - 1)))
            --p;
    cursor_ = p;
}

// Past the rest of the word (or the delimiter under the cursor) and the
// blanks after it; never beyond the position after the text.
void Field::word_right()
{
    int p = cursor_;
    if (in_word(at(p))) {
        while (p < width_ && in_word(at(p)))
            ++p;
        if (at(p) != ' ') {
            cursor_ = p;  // a delimiter other than the blank, or the field's end
            return;
        }
    } else if (at(p) != ' ' && p < width_) {
        ++p;
    }
    int last = text_end();
    while (p < width_ && p <= last && at(p) == ' ')
        ++p;
    cursor_ = p;
}

void Field::delete_word()
{
    if (cursor_ <= text_end())
        delete_at_cursor();
    for (int guard = 0; guard < width_ && in_word(at(cursor_)); ++guard)
        delete_at_cursor();
    delete_at_cursor();  // the delimiter that ended the word
}

bool Field::apply(int key)
{
    if (key == ctrl_z) {
        if (have_undo_) {
            buffer_ = undo_buffer_;
            cursor_ = undo_cursor_;
        }
        return true;
    }
    undo_buffer_ = buffer_;
    undo_cursor_ = cursor_;
    have_undo_ = true;
    switch (key) {
    case enter:
    case ctrl_c:
        return false;
    case esc:
        load(starting_);
        break;
    case left:
    case ctrl_s:
        if (cursor_ > 1)
            --cursor_;
        break;
    case right:
    case ctrl_d:
        if (cursor_ < width_)
            ++cursor_;
        break;
    case home:
        cursor_ = 1;
        break;
    case end:
        go_to_end();
        break;
    case ctrl_left:
    case ctrl_a:
        word_left();
        break;
    case ctrl_right:
    case ctrl_f:
        word_right();
        break;
    case ins:
        insert_mode_ = !insert_mode_;
        break;
    case del:
        delete_at_cursor();
        break;
    case backspace:
        if (cursor_ > 1) {
            --cursor_;
            delete_at_cursor();
        }
        break;
    case ctrl_t:
        delete_word();
        break;
    default:
        if (key >= 32 && key <= 254)
            type(static_cast<char>(key));
        break;
    }
    return true;
}

namespace {

int next_key(Console& con)
{
    int key = con.read_key();
    if (key == 0)
        key = 256 + con.read_key();
    return key;
}

std::string ruler_line(int width, bool framed)
{
    std::string text(ruler.substr(0, static_cast<std::size_t>(width)));
    if (framed)
        text = bar + text + bar;
    return text;
}

// Redirected output: no cursor addressing, so the ruler and the field are
// written once as plain lines and the keys are taken without any echo.
std::string edit_redirected(Console& con, int x, int width, Field& field, bool show_ruler,
                            bool framed)
{
    if (show_ruler) {
        con.put(pad_to_column(con, x));
        con.line(ruler_line(width, framed));
    }
    con.put(pad_to_column(con, x));
    if (framed)
        con.put(bar + std::string(field.visible()) + bar);
    else
        con.put(trim_right(field.visible()));
    while (field.apply(next_key(con))) {
    }
    con.endl();
    return field.result();
}

} // namespace

std::string edit_line(Console& con, int column, int row, int width, std::string_view initial,
                      bool show_ruler, bool framed)
{
    column = std::clamp(column, 1, Console::columns);
    row = std::clamp(row, 1, Console::rows);
    const int f = framed ? 1 : 0;
    const int x = column > 1 ? column - f : column;
    if (x + width + f + 1 > Console::columns)
        width = Console::columns - x - f - 1;
    width = std::clamp(width, 1, buffer_size);

    Field field(width, std::string(initial));
    if (con.redirected())
        return edit_redirected(con, x, width, field, show_ruler, framed);

    if (show_ruler) {
        con.goto_xy(x, row - 1);
        con.line(ruler_line(width, framed));
    }
    if (framed) {
        con.goto_xy(x, row);
        con.put(std::string(1, bar));
    }
    con.set_window(x + f, row, x + width + f + 1, row);
    auto draw = [&] {
        con.goto_xy(1, 1);
        con.put(field.visible());
        if (framed)
            con.put(std::string(1, bar));
        con.goto_xy(field.cursor(), 1);
    };
    con.hold_keys(false);  // Ctrl-C and Ctrl-Z are editing keys here
    try {
        draw();
        while (field.apply(next_key(con)))
            draw();
    } catch (...) {
        con.release_keys();
        con.set_window(1, 1, Console::columns, Console::rows);  // a signal ends the run
        throw;
    }
    con.release_keys();

    con.set_window(1, 1, Console::columns, Console::rows);
    if (row < Console::rows) {
        con.goto_xy(1, row + 1);
    } else {
        con.goto_xy(1, row);
        con.endl();  // no row below the field: scroll one up
    }
    return field.result();
}

} // namespace console
