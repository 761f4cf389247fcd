// The character screen: cursor, colours, windows and key input on a POSIX
// terminal (ANSI sequences, termios) or on redirected standard streams.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "console/reply_editor.hpp"
#include "console/sink.hpp"

namespace console {

// Thrown by the readers when standard input has ended or a terminating signal
// arrived: the run then ends as QU would.
struct InputEnded {
    int signal = 0;  // the signal number, 0 for end of input
};

// The byte streams under the console: the real terminal, or strings in tests.
class Backend {
public:
    static constexpr int eof = -1;
    static constexpr int timeout = -2;
    static constexpr int resumed = -3;  // the run was stopped and continued (SIGCONT)

    virtual ~Backend() = default;
    virtual bool output_is_terminal() const = 0;
    virtual bool input_is_terminal() const = 0;
    virtual void write(std::string_view bytes) = 0;
    virtual void flush() = 0;
    // Next input byte (0..255), eof, timeout when none came within
    // timeout_ms (a negative timeout waits), or resumed. Throws InputEnded on
    // a terminating signal.
    virtual int read_byte(int timeout_ms) = 0;
    // Single keys: no line editing, no echo, no signal keys.
    virtual void raw_mode(bool on) = 0;
    // Keys of a reply: as raw, except that Ctrl-C and Ctrl-Z still interrupt
    // and stop the run.
    virtual void reply_mode(bool on) { raw_mode(on); }
    virtual void discard_input() = 0;
};

// The console: one per run. It keeps a model of the 80 x 25 screen so that
// cursor queries and the window writer work the same on a terminal and on
// redirected output.
class Console : public Sink {
public:
    static constexpr int columns = 80;
    static constexpr int rows = 25;

    explicit Console(Backend& backend);

    // Output is a file or a pipe: no escape sequences, plain text.
    bool redirected() const { return redirected_; }
    bool input_redirected() const { return input_redirected_; }

    // Sink
    void put(std::string_view text) override;
    void endl() override;
    bool is_screen() const override { return true; }

    void goto_xy(int x, int y);
    int where_x() const;
    int where_y() const;
    void text_color(int c);
    void text_background(int c);
    int attribute() const { return attribute_; }
    void clear_screen();
    void set_window(int x1, int y1, int x2, int y2);
    void small_window(int x, int y);
    void full_window();
    bool window_is_full() const;

    // One keystroke: a character code, or 0 followed by the scan code on the
    // next call. At end of input returns 3 (the field editor accepts on it).
    int read_key();
    // Keeps the terminal in its key mode over a run of keys (an edited
    // field), so that nothing typed between two keys is echoed; `signals`
    // keeps Ctrl-C and Ctrl-Z working.
    void hold_keys(bool signals);
    void release_keys();
    void flush_keys();
    void beep();

    // One reply line as typed, without its line end. Redirected input is
    // echoed; on a terminal the cursor goes back behind the reply on the
    // question row. Throws InputEnded.
    std::string read_line();
    // The same for the command prompt, whose replies on a terminal keep a
    // history that Up and Down step through.
    std::string read_command_line();
    bool input_ended() const { return input_ended_; }

    // The rest of the cursor's row from `column` shows `text` and the cursor
    // stands at `cursor_column` (the reply editor's drawing).
    void show_field(int column, std::string_view text, int cursor_column);
    // The cursor's row written again with the colours, after the run was
    // stopped and continued.
    void redraw_row();

    // Resets colours and the terminal mode (end of run, signals).
    void restore();
    // Around another program on the same terminal: everything written so far
    // shown, colours reset and the normal mode while it runs; the system's
    // colours again afterwards.
    void hand_over_terminal();
    void take_back_terminal();
    void flush();

    // The character at a screen position (1-based), from the screen model.
    char cell(int x, int y) const;

    // Prompting and paging state (start-up values 1, 1, "D", 2).
    int pause_flag = 1;
    int pause_saved = 1;
    std::string device = "D";
    int output_code = 2;
    // NT family (start-up, from the OS variable): decides full-buffer clearing.
    bool nt_family = false;

private:
    struct Cell {
        char ch = ' ';
        unsigned char attr = 0;
    };

    std::string encode(char c);
    void put_full(char c);
    void put_window(char c);
    void flush_window_buffer();
    void next_window_row();
    void write_cells(int x, int y, std::string_view text);
    void scroll_window();
    void newline_full();
    void emit_attribute();
    void emit_goto(int x, int y);
    void draw_rows(int y1, int y2, int x1, int x2);
    int next_byte(int timeout_ms);
    int key_from_escape();
    std::string read_typed_line();
    std::string read_reply_line(History* history);

    Backend& backend_;
    bool redirected_;
    bool input_redirected_;
    bool input_ended_ = false;
    std::array<std::array<Cell, columns + 1>, rows + 1> screen_{};
    int cx_ = 1, cy_ = 1;                        // cursor, 1-based screen coordinates
    int wx1_ = 1, wy1_ = 1, wx2_ = columns, wy2_ = rows;  // current window
    std::string window_buffer_;
    int attribute_ = 0x07;
    int pending_scan_ = -1;
    int lookahead_ = Backend::timeout;           // a byte read ahead and not yet used
    int utf8_continuations_ = 0;                 // bytes still due in a UTF-8 sequence
    bool holding_keys_ = false;
    History history_;                            // replies at the command prompt
};

// The real terminal on file descriptors 0 and 1.
class PosixBackend : public Backend {
public:
    PosixBackend();
    ~PosixBackend() override;
    bool output_is_terminal() const override { return out_tty_; }
    bool input_is_terminal() const override { return in_tty_; }
    void write(std::string_view bytes) override;
    void flush() override;
    int read_byte(int timeout_ms) override;
    void raw_mode(bool on) override;
    void reply_mode(bool on) override;
    void discard_input() override;
    void restore_terminal();

private:
    enum class Mode { normal, raw, reply };
    void set_mode(Mode mode);

    Mode mode_ = Mode::normal;
    bool out_tty_;
    bool in_tty_;
    std::string out_;
    unsigned char in_[4096];
    int in_len_ = 0, in_pos_ = 0;
};

// SIGINT, SIGTERM and SIGHUP: the next read ends the run with InputEnded.
// SIGTSTP: the terminal is restored before the run stops; after SIGCONT the
// next read sets the modes and colours again and redraws the prompt's row.
void install_signal_handlers();
// The signal that arrived, or 0.
int pending_signal();

} // namespace console
