// Console primitives: output with a screen model, windows, colours, keys.
#include "console/console.hpp"

#include <algorithm>
#include <string>

namespace console {

namespace {

// PC colour numbers have the red and blue bits swapped against ANSI.
constexpr int pc_to_ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Scan codes of the keys the system relies on.
constexpr int scan_home = 71, scan_up = 72, scan_left = 75, scan_right = 77, scan_end = 79;
constexpr int scan_down = 80;
constexpr int scan_ins = 82, scan_del = 83, scan_ctrl_left = 115, scan_ctrl_right = 116;

} // namespace

// The two code-page-850 glyphs the program draws go out as UTF-8. A byte 179
// that continues a UTF-8 sequence (a typed title, say) is left alone.
std::string Console::encode(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (utf8_continuations_ > 0 && b >= 0x80 && b <= 0xBF) {
        --utf8_continuations_;
        return std::string(1, c);
    }
    utf8_continuations_ = 0;
    switch (b) {
    case 179: return "\xE2\x94\x82";  // box-drawing vertical bar
    case 221: return "\xC2\xA6";      // broken bar
    default: break;
    }
    if (b >= 0xC2 && b <= 0xDF)
        utf8_continuations_ = 1;
    else if (b >= 0xE0 && b <= 0xEF)
        utf8_continuations_ = 2;
    else if (b >= 0xF0 && b <= 0xF4)
        utf8_continuations_ = 3;
    return std::string(1, c);
}

Console::Console(Backend& backend)
    : backend_(backend),
      redirected_(!backend.output_is_terminal()),
      input_redirected_(!backend.input_is_terminal())
{
}

// ---- output -----------------------------------------------------------

void Console::put(std::string_view text)
{
    for (char c : text) {
        if (c == '\a') {
            beep();
            continue;
        }
        if (window_is_full())
            put_full(c);
        else
            put_window(c);
    }
}

void Console::endl() { put("\n"); }

bool Console::window_is_full() const
{
    return wx1_ == 1 && wy1_ == 1 && wx2_ == columns && wy2_ == rows;
}

void Console::newline_full()
{
    cx_ = 1;
    if (cy_ < rows) {
        ++cy_;
        return;
    }
    for (int y = 1; y < rows; ++y)
        screen_[y] = screen_[y + 1];
    for (int x = 1; x <= columns; ++x)
        screen_[rows][x] = Cell{' ', static_cast<unsigned char>(attribute_)};
}

// Whole-screen output goes to the stream as it is; the model follows it with
// the terminal's deferred wrap at the right edge.
void Console::put_full(char c)
{
    backend_.write(encode(c));
    switch (c) {
    case '\n': newline_full(); return;
    case '\r': cx_ = 1; return;
    case '\t': cx_ = ((cx_ - 1) / 8 + 1) * 8 + 1; if (cx_ > columns) cx_ = columns; return;
    default: break;
    }
    if (cx_ > columns)
        newline_full();
    screen_[cy_][cx_] = Cell{c, static_cast<unsigned char>(attribute_)};
    ++cx_;
}

// The window writer: printable characters are collected for the current row
// and written when the row is full or a control character arrives.
void Console::put_window(char c)
{
    switch (c) {
    case '\t':
        for (int i = 0; i < 8; ++i)
            put_window(' ');
        return;
    case '\r':
        flush_window_buffer();
        cx_ = wx1_;
        return;
    case '\n':
        // A line end is CR LF, as the program's writeln gives it: the next
        // line starts at the window's first column.
        flush_window_buffer();
        next_window_row();
        return;
    case '\0':
        flush_window_buffer();
        return;
    default:
        break;
    }
    window_buffer_ += c;
    if (cx_ + static_cast<int>(window_buffer_.size()) >= wx2_ + 1) {
        flush_window_buffer();
        next_window_row();
    }
}

// The first column of the window's next row, scrolling at the last row.
void Console::next_window_row()
{
    if (redirected_)
        backend_.write("\n");
    cx_ = wx1_;
    if (cy_ >= wy2_)
        scroll_window();
    else
        ++cy_;
}

void Console::flush_window_buffer()
{
    if (window_buffer_.empty())
        return;
    std::string text;
    text.swap(window_buffer_);
    write_cells(cx_, cy_, text);
    cx_ += static_cast<int>(text.size());
}

void Console::write_cells(int x, int y, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        int col = x + static_cast<int>(i);
        if (col >= 1 && col <= columns && y >= 1 && y <= rows)
            screen_[y][col] = Cell{text[i], static_cast<unsigned char>(attribute_)};
    }
    if (redirected_) {
        for (char c : text)
            backend_.write(encode(c));
        return;
    }
    emit_goto(x, y);
    emit_attribute();
    for (char c : text)
        backend_.write(encode(c));
}

void Console::scroll_window()
{
    for (int y = wy1_; y < wy2_; ++y)
        for (int x = wx1_; x <= wx2_; ++x)
            screen_[y][x] = screen_[y + 1][x];
    for (int x = wx1_; x <= wx2_; ++x)
        screen_[wy2_][x] = Cell{' ', static_cast<unsigned char>(attribute_)};
    if (!redirected_)
        draw_rows(wy1_, wy2_, wx1_, wx2_);
}

void Console::draw_rows(int y1, int y2, int x1, int x2)
{
    int saved = attribute_;
    for (int y = y1; y <= y2; ++y) {
        emit_goto(x1, y);
        for (int x = x1; x <= x2; ++x) {
            if (screen_[y][x].attr != attribute_) {
                attribute_ = screen_[y][x].attr;
                emit_attribute();
            }
            backend_.write(encode(screen_[y][x].ch));
        }
    }
    attribute_ = saved;
    emit_attribute();
}

void Console::emit_goto(int x, int y)
{
    if (redirected_)
        return;
    backend_.write("\x1b[" + std::to_string(y) + ";" + std::to_string(x) + "H");
}

void Console::emit_attribute()
{
    if (redirected_)
        return;
    int fg = attribute_ & 15;
    int bg = (attribute_ >> 4) & 15;
    int fg_code = fg < 8 ? 30 + pc_to_ansi[fg] : 90 + pc_to_ansi[fg - 8];
    int bg_code = bg < 8 ? 40 + pc_to_ansi[bg] : 100 + pc_to_ansi[bg - 8];
    backend_.write("\x1b[" + std::to_string(fg_code) + ";" + std::to_string(bg_code) + "m");
}

// ---- cursor, colours, windows -----------------------------------------------

void Console::goto_xy(int x, int y)
{
    if (redirected_)
        return;
    flush_window_buffer();
    if (x < 1) x = 1;
    if (y < 1) y = 1;
    cx_ = wx1_ + x - 1;
    cy_ = wy1_ + y - 1;
    if (cx_ > wx2_) cx_ = wx2_;
    if (cy_ > wy2_) cy_ = wy2_;
    emit_goto(cx_, cy_);
}

int Console::where_x() const
{
    int x = cx_ + static_cast<int>(window_buffer_.size()) - wx1_ + 1;
    if (window_is_full() && x > columns)
        x = columns;
    return x;
}

int Console::where_y() const { return cy_ - wy1_ + 1; }

// Characters collected for a window row take the attribute they were
// written with: what is collected is written out before the attribute changes.
void Console::text_color(int c)
{
    flush_window_buffer();
    attribute_ = (attribute_ & ~0x0F) + (c & 0x0F);
    emit_attribute();
}

void Console::text_background(int c)
{
    flush_window_buffer();
    attribute_ = (attribute_ & 0x0F) + 16 * (c & 0x0F);
    emit_attribute();
}

void Console::clear_screen()
{
    if (redirected_)
        return;
    flush_window_buffer();
    for (int y = wy1_; y <= wy2_; ++y)
        for (int x = wx1_; x <= wx2_; ++x)
            screen_[y][x] = Cell{' ', static_cast<unsigned char>(attribute_)};
    if (window_is_full()) {
        emit_attribute();
        backend_.write("\x1b[2J");
    } else {
        draw_rows(wy1_, wy2_, wx1_, wx2_);
    }
    cx_ = wx1_;
    cy_ = wy1_;
    emit_goto(cx_, cy_);
}

void Console::set_window(int x1, int y1, int x2, int y2)
{
    flush_window_buffer();
    wx1_ = x1 < 1 ? 1 : x1;
    wy1_ = y1 < 1 ? 1 : y1;
    wx2_ = x2 > columns ? columns : x2;
    wy2_ = y2 > rows ? rows : y2;
    cx_ = wx1_;
    cy_ = wy1_;
    emit_goto(cx_, cy_);
}

void Console::small_window(int x, int y) { set_window(x, y, x + 37, y + 10); }

void Console::full_window()
{
    set_window(1, 1, columns, rows);
    goto_xy(1, rows);
}

char Console::cell(int x, int y) const
{
    if (x < 1 || x > columns || y < 1 || y > rows)
        return ' ';
    return screen_[y][x].ch;
}

// ---- input ----------------------------------------------------------------

int Console::next_byte(int timeout_ms)
{
    if (lookahead_ != Backend::timeout) {
        int b = lookahead_;
        lookahead_ = Backend::timeout;
        return b;
    }
    for (;;) {
        int b = backend_.read_byte(timeout_ms);
        if (b != Backend::resumed)
            return b;
        // Back from a stop (Ctrl-Z): the terminal shows the shell's lines;
        // the question is written again below them.
        emit_attribute();
        redraw_row();
    }
}

// The byte after ESC decides: "[" starts a control sequence, "O" a
// single-shift one; anything else (or nothing within 50 ms) leaves a plain ESC.
int Console::key_from_escape()
{
    constexpr int escape_wait_ms = 50;
    int b = next_byte(escape_wait_ms);
    if (b == Backend::timeout)
        return 27;
    if (b != '[' && b != 'O') {
        lookahead_ = b;
        return 27;
    }
    int scan = -1;
    if (b == 'O') {
        int f = next_byte(escape_wait_ms);
        if (f < 0x40 || f > 0x7E) {  // not a final byte: the ESC stands alone
            lookahead_ = f;
            return 27;
        }
        switch (f) {
        case 'H': scan = scan_home; break;
        case 'F': scan = scan_end; break;
        case 'D': scan = scan_left; break;       // cursor keys in application mode
        case 'C': scan = scan_right; break;
        case 'A': scan = scan_up; break;
        case 'B': scan = scan_down; break;
        case 'd': scan = scan_ctrl_left; break;  // rxvt's Ctrl-arrows
        case 'c': scan = scan_ctrl_right; break;
        default: break;
        }
    } else {
        std::string params;
        int final = 0;
        for (;;) {
            int p = next_byte(escape_wait_ms);
            if (p >= 0x40 && p <= 0x7E) {
                final = p;
                break;
            }
            if (p < 0x20 || p > 0x3F || params.size() > 16) {  // broken off
                lookahead_ = p;
                return 27;
            }
            params += static_cast<char>(p);
        }
        const bool ctrl = params == "1;5" || params == "5";
        switch (final) {
        case 'D': scan = ctrl ? scan_ctrl_left : scan_left; break;
        case 'C': scan = ctrl ? scan_ctrl_right : scan_right; break;
        case 'A': scan = scan_up; break;
        case 'B': scan = scan_down; break;
        case 'H': scan = scan_home; break;
        case 'F': scan = scan_end; break;
        case '~':
            if (params == "1" || params == "7") scan = scan_home;
            else if (params == "4" || params == "8") scan = scan_end;
            else if (params == "2") scan = scan_ins;
            else if (params == "3") scan = scan_del;
            break;
        default: break;
        }
    }
    if (scan < 0)
        return read_key();  // a key the program has no use for
    pending_scan_ = scan;
    return 0;
}

int Console::read_key()
{
    if (pending_scan_ >= 0) {
        int s = pending_scan_;
        pending_scan_ = -1;
        return s;
    }
    if (input_ended_)
        return 3;
    flush();
    const bool raw = !input_redirected_ && !holding_keys_;
    if (raw)
        backend_.raw_mode(true);
    int key;
    try {
        int b = next_byte(-1);
        if (b == Backend::eof) {
            input_ended_ = true;
            key = 3;
        } else if (b == 27) {
            key = key_from_escape();
        } else if (b == 127) {
            key = 8;
        } else if (b == '\r') {
            // A terminal in raw mode sends CR alone; a script may have CR LF.
            if (input_redirected_) {
                int n = next_byte(50);
                if (n != '\n')
                    lookahead_ = n;
            }
            key = 13;
        } else if (b == '\n') {
            key = 13;
        } else {
            key = b;
        }
    } catch (...) {
        if (raw)
            backend_.raw_mode(false);
        throw;
    }
    if (raw)
        backend_.raw_mode(false);
    return key;
}

void Console::hold_keys(bool signals)
{
    if (input_redirected_ || holding_keys_)
        return;
    flush();
    if (signals)
        backend_.reply_mode(true);
    else
        backend_.raw_mode(true);
    holding_keys_ = true;
}

void Console::release_keys()
{
    if (!holding_keys_)
        return;
    backend_.raw_mode(false);
    holding_keys_ = false;
}

void Console::flush_keys()
{
    pending_scan_ = -1;
    if (!input_redirected_) {
        lookahead_ = Backend::timeout;
        backend_.discard_input();
    }
}

void Console::beep()
{
    if (!redirected_)
        backend_.write("\a");
}

std::string Console::read_line()
{
    if (input_ended_)
        throw InputEnded{pending_signal()};
    flush();
    if (!input_redirected_ && !redirected_)
        return read_reply_line(nullptr);
    return read_typed_line();
}

std::string Console::read_command_line()
{
    if (input_ended_)
        throw InputEnded{pending_signal()};
    flush();
    if (!input_redirected_ && !redirected_)
        return read_reply_line(&history_);
    return read_typed_line();
}

std::string Console::read_reply_line(History* history)
{
    try {
        return edit_reply(*this, history);
    } catch (const InputEnded&) {
        input_ended_ = true;
        throw;
    }
}

// A line as the input stream gives it: redirected input (echoed), or a
// terminal's own line editing when only the output is redirected.
std::string Console::read_typed_line()
{
    std::string reply;
    for (;;) {
        int b;
        try {
            b = next_byte(-1);
        } catch (const InputEnded&) {
            input_ended_ = true;
            throw;
        }
        if (b == Backend::timeout)
            continue;
        if (b == Backend::eof) {
            if (reply.empty()) {
                input_ended_ = true;
                throw InputEnded{0};
            }
            lookahead_ = Backend::eof;
            break;
        }
        if (b == '\n')
            break;
        if (b == '\r') {  // CR alone or CR LF ends the line too
            int n = next_byte(50);
            if (n != '\n')
                lookahead_ = n;
            break;
        }
        reply += static_cast<char>(b);
    }
    // Redirected input is echoed where a terminal would have shown it; a
    // terminal whose output is redirected has shown the typing itself.
    if (input_redirected_)
        put(reply);
    return reply;
}

void Console::show_field(int column, std::string_view text, int cursor_column)
{
    column = std::clamp(column, 1, columns);
    for (int x = column; x <= columns; ++x) {
        const std::size_t i = static_cast<std::size_t>(x - column);
        screen_[cy_][x] =
            Cell{i < text.size() ? text[i] : ' ', static_cast<unsigned char>(attribute_)};
    }
    cx_ = std::clamp(cursor_column, 1, columns + 1);
    if (redirected_)
        return;
    std::string out = "\x1b[" + std::to_string(column) + "G";
    for (char c : text)
        out += encode(c);
    out += "\x1b[K\x1b[" + std::to_string(std::min(cx_, columns)) + "G";
    backend_.write(out);
    backend_.flush();
}

void Console::redraw_row()
{
    if (redirected_)
        return;
    int last = columns;
    while (last > 0 && screen_[cy_][last].ch == ' ')
        --last;
    std::string out = "\r";
    for (int x = 1; x <= last; ++x)
        out += encode(screen_[cy_][x].ch);
    out += "\x1b[K\x1b[" + std::to_string(std::min(cx_, columns)) + "G";
    backend_.write(out);
    backend_.flush();
}

void Console::flush()
{
    flush_window_buffer();
    backend_.flush();
}

void Console::hand_over_terminal()
{
    flush_window_buffer();
    // The program's output starts on a line of its own, not behind a reply.
    if (window_is_full() && cx_ != 1)
        put("\n");
    if (!redirected_)
        backend_.write("\x1b[0m");
    backend_.flush();
    if (!input_redirected_)
        backend_.raw_mode(false);
}

// Where the other program left the cursor is unknown; it has ended its
// output on a fresh line of the terminal, taken as the bottom row.
void Console::take_back_terminal()
{
    cx_ = wx1_;
    if (redirected_)
        return;
    cy_ = wy2_;
    emit_attribute();
}

void Console::restore()
{
    flush_window_buffer();
    if (!redirected_)
        backend_.write("\x1b[0m");
    backend_.flush();
    if (!input_redirected_)
        backend_.raw_mode(false);
}

} // namespace console
