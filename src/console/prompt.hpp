// Prompting and paging: every dialogue asks through these operations. A
// question states its default, ENTER accepts it, case and blanks do not
// matter, and a note is echoed behind the reply on the question line.
#pragma once

#include <string>
#include <string_view>

#include "console/sink.hpp"

namespace console {

class Console;

// Number syntax of replies: optional sign, digits with an optional point and
// exponent, nothing else. Locale-independent.
bool parse_real(std::string_view text, double& value);
bool parse_int(std::string_view text, int& value);

// ---- reading ----
std::string read_reply(Console& con, std::string_view prompt);
std::string read_normalised_reply(Console& con, std::string_view prompt);
// " (no change)" for "NC", " (default)" for "DEF", otherwise the note itself.
void write_note(Console& con, std::string_view note);

// ---- asking ----
struct RealAnswer {
    double value = 0;
    std::string reply;    // the keep-code typed, else empty
    bool unchanged = false;
};
struct IntAnswer {
    int value = 0;
    std::string reply;
    bool unchanged = false;
};
struct CodeAnswer {
    std::string reply;
    bool defaulted = false;
};

RealAnswer ask_real(Console& con, std::string_view prompt, std::string_view keep_codes,
                    double def, int width, int decimals, std::string_view suffix,
                    std::string_view note);
RealAnswer ask_real_lines(Console& con, std::string_view prompt, std::string_view keep_codes,
                          double def, int width, int decimals, std::string_view suffix,
                          std::string_view note, int empty_lines);
IntAnswer ask_int(Console& con, std::string_view prompt, std::string_view keep_codes, int def,
                  int width, std::string_view suffix, std::string_view note);
IntAnswer ask_int_lines(Console& con, std::string_view prompt, std::string_view keep_codes,
                        int def, int width, std::string_view suffix, std::string_view note,
                        int empty_lines);
// First character of the reply, one of `accepted`.
char ask_char(Console& con, std::string_view prompt, std::string_view accepted, char def,
              std::string_view message);
// The reply, accepted when it occurs anywhere in `list`.
std::string ask_code(Console& con, std::string_view prompt, std::string_view list,
                     std::string_view def, std::string_view message);
// A Y/N question with its default ("(Yes)" or "(No)" behind ENTER), its line
// ended; true for Y.
bool ask_yes(Console& con, std::string_view prompt, bool def);
CodeAnswer ask_code_noted(Console& con, std::string_view prompt, std::string_view list,
                          std::string_view def, std::string_view note);
// The command code: the reply cut to two characters, accepted when it occurs
// in `list`; a refused reply brings an empty line and the prompt again.
std::string get_command(Console& con, std::string_view prompt, std::string_view list,
                        std::string_view def, std::string_view message);
// "Ir", "Pr" or "M1".
std::string select_fom(Console& con, char def, bool offer_m1);

// ---- pausing and paging ----
void pause(Console& con);
void pause_plain(Console& con);
void page_pause_finish(Console& con);
void page_pause_next(Console& con);
void pauses_on(Console& con);
void pauses_off(Console& con);
void pauses_restore(Console& con);
void set_device(Console& con, int n);
void reset_colours(Console& con);
void clear_screen_full(Console& con);
void pause_and_clear(Console& con);
void write_empty_lines(Sink& out, int n);

// The paging convention of listings: count lines while pauses are on and
// offer the finish-or-continue pause after every 22.
class Pager {
public:
    Pager(Console& con, int heading_lines);
    ~Pager();
    Pager(const Pager&) = delete;
    Pager& operator=(const Pager&) = delete;
    void before_line();  // call before writing each listed line
    void after_line();   // call after writing it

private:
    Console& con_;
    int count_;
};

} // namespace console
