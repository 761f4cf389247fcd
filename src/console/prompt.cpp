// Prompting operations, pauses and the paging convention.
#include "console/prompt.hpp"

#include <cctype>
#include <charconv>
#include <cmath>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/utilities.hpp"

namespace console {

bool parse_real(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    // Only digits, one point, and an exponent: from_chars alone would also
    // take "inf", "nan" and hexadecimal forms.
    for (char c : text)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
              c == '+' || c == 'e' || c == 'E'))
            return false;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool parse_int(std::string_view text, int& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    value = v;
    return true;
}

// ---- reading ----

std::string read_reply(Console& con, std::string_view prompt)
{
    if (!prompt.empty())
        con.put(prompt);
    return con.read_line();
}

std::string read_normalised_reply(Console& con, std::string_view prompt)
{
    return squeeze_upper(read_reply(con, prompt));
}

void write_note(Console& con, std::string_view note)
{
    if (note.empty())
        return;
    std::string n = upper(note);
    if (n == "NC")
        con.put(" (no change)");
    else if (n == "DEF")
        con.put(" (default)");
    else
        con.put(note);
}

// ---- asking ----

namespace {

bool in_list(std::string_view reply, std::string_view list)
{
    return list.find(reply) != std::string_view::npos;
}

template <typename Value, typename Parse, typename Echo>
void ask_number(Console& con, std::string_view prompt, std::string_view keep_codes, Value def,
                std::string_view suffix, std::string_view note, Value& value,
                std::string& reply_text, bool& unchanged, Parse parse, Echo echo)
{
    value = def;
    bool special = false;
    reply_text.clear();
    std::string keep = upper(keep_codes);
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        std::string reply = read_normalised_reply(con, prompt);
        if (reply.empty()) {
            value = def;
            echo(def);
            break;
        }
        if (in_list(reply, keep)) {
            value = def;
            special = true;
            reply_text = reply;
            break;
        }
        Value v{};
        if (parse(reply, v)) {
            value = v;
            break;
        }
    }
    unchanged = value == def && !special;
    if (reply_text.empty() && !suffix.empty())
        con.put(suffix);
    if (unchanged && reply_text.empty())
        write_note(con, note);
}

} // namespace

RealAnswer ask_real(Console& con, std::string_view prompt, std::string_view keep_codes,
                    double def, int width, int decimals, std::string_view suffix,
                    std::string_view note)
{
    RealAnswer a;
    ask_number<double>(
        con, prompt, keep_codes, def, suffix, note, a.value, a.reply, a.unchanged,
        [](std::string_view r, double& v) { return parse_real(r, v); },
        [&](double d) {
            if (width > 0)
                con.put(real_text(d, width, decimals));
        });
    return a;
}

RealAnswer ask_real_lines(Console& con, std::string_view prompt, std::string_view keep_codes,
                          double def, int width, int decimals, std::string_view suffix,
                          std::string_view note, int empty_lines)
{
    RealAnswer a = ask_real(con, prompt, keep_codes, def, width, decimals, suffix, note);
    write_empty_lines(con, empty_lines);
    return a;
}

IntAnswer ask_int(Console& con, std::string_view prompt, std::string_view keep_codes, int def,
                  int width, std::string_view suffix, std::string_view note)
{
    IntAnswer a;
    ask_number<int>(
        con, prompt, keep_codes, def, suffix, note, a.value, a.reply, a.unchanged,
        [](std::string_view r, int& v) { return parse_int(r, v); },
        [&](int d) {
            if (width > 0)
                con.put(int_text(d, width));
        });
    return a;
}

IntAnswer ask_int_lines(Console& con, std::string_view prompt, std::string_view keep_codes,
                        int def, int width, std::string_view suffix, std::string_view note,
                        int empty_lines)
{
    IntAnswer a = ask_int(con, prompt, keep_codes, def, width, suffix, note);
    write_empty_lines(con, empty_lines);
    return a;
}

char ask_char(Console& con, std::string_view prompt, std::string_view accepted, char def,
              std::string_view message)
{
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        std::string reply = read_normalised_reply(con, prompt);
        char c = def;
        if (reply.empty()) {
            if (!message.empty())
                con.put(message);
        } else {
            c = reply[0];
        }
        if (accepted.find(c) != std::string_view::npos)
            return c;
    }
}

bool ask_yes(Console& con, std::string_view prompt, bool def)
{
    const std::string reply = ask_code(con, prompt, "YN", def ? "Y" : "N", def ? "(Yes)" : "(No)");
    con.endl();
    return reply[0] == 'Y';
}

std::string ask_code(Console& con, std::string_view prompt, std::string_view list,
                     std::string_view def, std::string_view message)
{
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        std::string reply = read_normalised_reply(con, prompt);
        if (reply.empty()) {
            reply = std::string(def);
            if (!message.empty())
                con.put(message);
        }
        if (in_list(reply, list))
            return reply;
    }
}

CodeAnswer ask_code_noted(Console& con, std::string_view prompt, std::string_view list,
                          std::string_view def, std::string_view note)
{
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        std::string reply = read_normalised_reply(con, prompt);
        if (reply.empty()) {
            write_note(con, note);
            return CodeAnswer{std::string(def), true};
        }
        if (in_list(reply, list))
            return CodeAnswer{reply, false};
    }
}

std::string get_command(Console& con, std::string_view prompt, std::string_view list,
                        std::string_view def, std::string_view message)
{
    for (bool first = true;; first = false) {
        if (!first) {
            con.endl();
            con.endl();
        }
        con.put(prompt);
        std::string reply = left_part(squeeze_upper(con.read_command_line()), 2);
        if (reply.empty()) {
            reply = std::string(def);
            if (!message.empty())
                con.put(message);
        }
        if (in_list(reply, list))
            return reply;
    }
}

std::string select_fom(Console& con, char def, bool offer_m1)
{
    std::string prompt = "Select figure-of-merit Ir";
    prompt += offer_m1 ? ", Pr or M1" : " or Pr";
    prompt += " to be used (I/P";
    if (offer_m1)
        prompt += "/M";
    prompt += ", default: ";
    prompt += def;
    prompt += "): ";
    std::string message(1, def);
    message += " (default)";
    char c = ask_char(con, prompt, "IMP", def, message);
    if (c == 'I')
        return "Ir";
    if (c == 'M')
        return "M1";
    return "Pr";
}

// ---- pausing and paging ----

void reset_colours(Console& con)
{
    con.text_background(15);
    con.text_color(0);
}

namespace {

void screen_device_if_no_copy(Console& con)
{
    if (con.output_code == 0)
        con.device = "D";
}

} // namespace

void pause(Console& con)
{
    screen_device_if_no_copy(con);
    if (con.device != "D")
        return;
    con.endl();
    con.put("Press ENTER to continue ");
    con.read_line();
    con.endl();
    reset_colours(con);
}

void pause_plain(Console& con)
{
    screen_device_if_no_copy(con);
    if (con.device == "D")
        con.put("Press ENTER to continue ");
    con.read_line();
    con.endl();
    reset_colours(con);
}

void page_pause_finish(Console& con)
{
    screen_device_if_no_copy(con);
    if (con.device != "D")
        return;
    con.endl();
    std::string reply = upper(
        read_reply(con, "Type ENTER to continue or F (and ENTER) to Finish without further pauses: "));
    con.pause_flag = (!reply.empty() && reply[0] == 'F') ? 0 : 1;
    reset_colours(con);
    con.endl();
}

void page_pause_next(Console& con)
{
    screen_device_if_no_copy(con);
    if (con.device != "D")
        return;
    con.endl();
    std::string reply = upper(read_reply(
        con, "Type ENTER to run to the end of this output, or P (and ENTER) for next Page: "));
    con.pause_flag = (!reply.empty() && reply[0] == 'P') ? 1 : 0;
    reset_colours(con);
    con.endl();
}

void pauses_on(Console& con)
{
    con.pause_saved = con.pause_flag;
    con.pause_flag = 1;
}

void pauses_off(Console& con)
{
    con.pause_saved = con.pause_flag;
    con.pause_flag = 0;
}

void pauses_restore(Console& con) { con.pause_flag = con.pause_saved; }

void set_device(Console& con, int n)
{
    con.device = n == 1 ? "P" : (n == 2 ? "F" : "D");
}

void clear_screen_full(Console& con)
{
    if (!con.nt_family)
        return;
    con.text_background(15);
    con.full_window();
    con.clear_screen();
}

void pause_and_clear(Console& con)
{
    if (!con.nt_family)
        return;
    screen_device_if_no_copy(con);
    if (con.device == "D") {
        con.endl();
        con.put("Press ENTER to clear screen and continue ");
        con.read_line();
        con.endl();
    }
    clear_screen_full(con);
}

void write_empty_lines(Sink& out, int n)
{
    for (int i = 0; i < n; ++i)
        out.endl();
}

// ---- paging ----

Pager::Pager(Console& con, int heading_lines) : con_(con), count_(heading_lines)
{
    pauses_on(con_);
}

Pager::~Pager() { pauses_restore(con_); }

void Pager::before_line()
{
    if (con_.pause_flag == 1)
        ++count_;
}

void Pager::after_line()
{
    if (count_ >= 22) {
        count_ = 0;
        page_pause_finish(con_);
    }
}

} // namespace console
