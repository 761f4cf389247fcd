// Text-file utilities: file names, opening with reported failures, writers
// with error reports, and the comma-delimited and fixed-width field readers.
#include "dataset/file_utils.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"

namespace dataset {

// ---- names ----

std::string data_file_path(const control::Session& s, std::string_view name,
                           std::string_view extension)
{
    return s.ds.data_dir + console::squeeze_upper(name) + std::string(extension);
}

std::string dataset_path(const control::Session& s, std::string_view name)
{
    return data_file_path(s, name, s.files.extension);
}

bool dataset_exists(const control::Session& s, std::string_view name, std::string& path)
{
    path = dataset_path(s, name);
    return console::file_exists(path);
}

bool file_exists_in_data_dir(const control::Session& s, std::string_view name,
                             std::string_view extension, std::string& path)
{
    path = data_file_path(s, name, extension);
    return console::file_exists(path);
}

std::string data_directory_text(const control::Session& s)
{
    return s.ds.data_dir.empty() ? s.dirs.data : s.ds.data_dir;
}

bool is_plain_name(std::string_view name)
{
    return name.find('/') == std::string_view::npos &&
           name.find('\\') == std::string_view::npos &&
           name.find("..") == std::string_view::npos &&
           name.find('"') == std::string_view::npos;  // the dataset file could not hold it
}

bool check_plain_name(console::Console& con, std::string_view name)
{
    if (is_plain_name(name))
        return true;
    con.line("** \"" + std::string(name) +
             "\" is not a dataset name: names cannot contain \"/\", \"\\\", \"..\" or double quotes **");
    return false;
}

// ---- writers ----

namespace {

// Runs one write and reports it when it failed.
template <typename Write>
bool checked_write(console::Console& con, TextFile& f, const std::string& what,
                   const std::string& shown, int line_ends, Write write)
{
    int before = f.failed_writes();
    write();
    for (int i = 0; i < line_ends; ++i)
        f.endl();
    if (f.failed_writes() == before)
        return true;
    int n = write_error_code(f.last_error());
    con.line("** " + what + " to \"" + f.path() + "\" failed with errorcode " + std::to_string(n));
    con.line(shown);
    con.line(write_error_text(n));
    return false;
}

} // namespace

bool wr_dbl(console::Console& con, TextFile& f, double x, int w, int d, int line_ends)
{
    std::string text = console::real_text(x, w, d);
    return checked_write(con, f, "Wr_dbl", " trying to write \"" + text + "\"", line_ends,
                         [&] { f.put(text); });
}

bool wr_int(console::Console& con, TextFile& f, long long i, int w, int line_ends)
{
    std::string text = console::int_text(i, w);
    return checked_write(con, f, "Wr_int", " trying to write \"" + text + "\"", line_ends,
                         [&] { f.put(text); });
}

bool wr_str(console::Console& con, TextFile& f, std::string_view text, int line_ends)
{
    std::string t(text);
    return checked_write(con, f, "Wr_str", "** Trying to write \"" + t + "\"", line_ends,
                         [&] { f.put(t); });
}

// ---- comma-delimited readers ----

namespace {

// A reader's message stands on a line of its own, even behind a reply.
void message(console::Console& con, const std::string& text)
{
    if (con.where_x() != 1)
        con.endl();
    con.line(text);
}

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_line_end(int c) { return c == '\r' || c == '\n'; }
bool is_exponent_letter(int c) { return c == 'D' || c == 'E' || c == 'd' || c == 'e'; }

std::string shown_char(int c)
{
    return "\"" + std::string(1, static_cast<char>(c)) + "\" (ASCII " + std::to_string(c) + ")";
}

// Skips blanks, line ends and control characters before a field.
int seek(console::Console& con, TextFile& f)
{
    if (!f.is_open() || f.for_output()) {
        message(con, "** CDTseek found that input file wasn't open **");
        return 1104;
    }
    for (;;) {
        int c = f.peek();
        if (c == EOF) {
            if (f.read_error() != 0) {
                message(con, "** CDTseek failed with IOResult code " + std::to_string(f.read_error()) +
                         " **");
                return 1000 + f.read_error();
            }
            message(con, "** CDTseek encountered EOF **");
            return 1099;
        }
        if (c > 32)
            return 0;
        f.get();
    }
}

int double_error(console::Console& con, int code, const std::string& text)
{
    message(con, "** CDTrdDouble" + text + " **");
    return code;
}

bool convert_double(std::string text, double& x)
{
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return false;
    x = v;
    return true;
}

bool convert_int(std::string text, int& i)
{
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return false;
    i = v;
    return true;
}

} // namespace

int read_double(console::Console& con, TextFile& f, double& x)
{
    if (int e = seek(con, f); e != 0)
        return e;
    int c = f.get();
    if (!(is_digit(c) || c == '+' || c == '-' || c == '.')) {
        message(con, "** CDTrdDouble encountered " + shown_char(c) + " instead of first char of double **");
        return 300;
    }
    std::string text(1, static_cast<char>(c));
    bool point = c == '.';
    if (c == '+' || c == '-') {
        int n = f.peek();
        if (n == EOF)
            return double_error(con, 1001, ": end of file immediately after leading sign");
        if (is_line_end(n))
            return double_error(con, 1001, ": end of line immediately after leading sign");
        if (n == '+' || n == '-')
            return double_error(con, 1001, " found 2nd sign in mantissa");
        if (!(is_digit(n) || n == '.'))
            return double_error(con, 1001, " found " + shown_char(n) + " just after leading sign of double");
    }
    bool exponent = false;
    bool exponent_started = false;  // a sign or digit follows the exponent letter
    for (;;) {
        int n = f.peek();
        if (is_digit(n)) {
            exponent_started = exponent_started || exponent;
        } else if (n == '.') {
            if (exponent)
                return double_error(con, 1001, " found decimal point in exponent");
            if (point)
                return double_error(con, 1001, " found 2nd decimal point");
            point = true;
        } else if (n == '+' || n == '-') {
            if (!exponent)
                return double_error(con, 1001, " found 2nd sign in mantissa");
            if (exponent_started)
                return double_error(con, 1001, " found 2nd sign in exponent");
            exponent_started = true;
        } else if (is_exponent_letter(n)) {
            if (exponent)
                return double_error(con, 1001, " found 2nd D/E char in exponent");
            exponent = true;
            f.get();
            text += 'E';
            while (f.peek() == ' ')
                f.get();
            int a = f.peek();
            if (a == EOF)
                return double_error(con, 1001, ": end of file immediately after exponent D or E char");
            if (is_line_end(a))
                return double_error(con, 1001, ": end of line immediately after exponent D or E char");
            if (!(is_digit(a) || a == '+' || a == '-' || a == '.' || is_exponent_letter(a)))
                return double_error(con, 1001,
                                    " found " + shown_char(a) + " just after exponent D/E of double");
            continue;
        } else {
            break;
        }
        text += static_cast<char>(f.get());
    }
    int n = f.peek();
    if (n == ',') {
        f.get();
    } else if (!(n == EOF || is_line_end(n))) {
        message(con, "** CDTrdDouble found " + shown_char(n) + " terminating double \"" + text + "\" **");
        return n;
    }
    if (!convert_double(text, x)) {
        message(con, "** CDTrdDouble: value read \"" + text + "\" failed conversion to double **");
        return 1000;
    }
    return 0;
}

int read_integer(console::Console& con, TextFile& f, int& i)
{
    if (int e = seek(con, f); e != 0)
        return e;
    int c = f.get();
    if (!(is_digit(c) || c == '+' || c == '-')) {
        message(con, "** CDTrdInt encountered " + shown_char(c) + " instead of first char of integer **");
        return 300;
    }
    std::string text(1, static_cast<char>(c));
    if (!is_digit(c)) {
        int n = f.peek();
        if (n == EOF) {
            message(con, "** CDTrdInt encountered end of file after leading sign of integer **");
            return 1001;
        }
        if (is_line_end(n)) {
            message(con, "** CDTrdInt encountered end of line after leading sign of integer **");
            return 1001;
        }
        if (!is_digit(n)) {
            message(con, "** CDTrdInt found " + shown_char(n) + " after leading sign of integer **");
            return 1001;
        }
    }
    while (is_digit(f.peek()))
        text += static_cast<char>(f.get());
    int n = f.peek();
    if (n == ',') {
        f.get();
    } else if (!(n == EOF || is_line_end(n))) {
        message(con, "** CDTrdInt found " + shown_char(n) + " terminating integer \"" + text + "\" **");
        return n;
    }
    if (!convert_int(text, i)) {
        message(con, "** CDTrdInt: value read \"" + text + "\" failed conversion to integer **");
        return 1000;
    }
    return 0;
}

int read_quoted(console::Console& con, TextFile& f, std::string& s)
{
    if (int e = seek(con, f); e != 0)
        return 1000 + e;
    int c = f.get();
    if (c != '"') {
        message(con, "** CDTrdStr encountered " + shown_char(c) + " instead of leading quotes **");
        return 1001;
    }
    std::string text;
    for (;;) {
        int n = f.peek();
        if (n == EOF) {
            message(con, "** CDTrdStr encountered end of file before trailing quotes **");
            s = text;
            return 1098;
        }
        if (is_line_end(n)) {
            message(con, "** CDTrdStr encountered end of line before trailing quotes **");
            s = text;
            return 1097;
        }
        f.get();
        if (n == '"')
            break;
        text += static_cast<char>(n);
    }
    s = text;
    while (f.peek() == ' ')
        f.get();
    int n = f.peek();
    if (n == ',') {
        f.get();
    } else if (!(n == EOF || is_line_end(n))) {
        message(con, "** CDTrdStr encountered " + shown_char(n) + " instead of trailing comma or nl **");
        return n;
    }
    return 0;
}

// ---- fixed-width readers ----

namespace {

// The next character of a field, or a blank at a line end; control
// characters count as blanks. Does not pass a line end.
char field_char(TextFile& f)
{
    int c = f.peek();
    if (c == EOF || is_line_end(c))
        return ' ';
    f.get();
    return (c < 32 || c == 127) ? ' ' : static_cast<char>(c);
}

// Leading blanks dropped, blanks after the first digit read as zeros; an
// all-blank field is "0".
std::string numeric_field(std::string_view text)
{
    std::string t;
    for (char c : text) {
        if (c == ' ') {
            if (!t.empty())
                t += '0';
        } else {
            t += c;
        }
    }
    return t.empty() ? "0" : t;
}

} // namespace

char frd_char(console::Console& con, TextFile& f)
{
    if (!f.is_open() || f.for_output()) {
        message(con, "** FrdChar found that input file wasn't open **");
        return ' ';
    }
    if (f.peek() == EOF) {
        if (f.read_error() != 0)
            message(con, "** FrdChar failed with IOResult code " + std::to_string(f.read_error()) + " **");
        else
            message(con, "** FrdChar encountered EOF **");
        return ' ';
    }
    return field_char(f);
}

int frd_text(console::Console& con, TextFile& f, int n, std::string& s)
{
    s.clear();
    if (n <= 0)
        return 0;
    int err = 0;
    if (!f.is_open() || f.for_output())
        err = 1104;
    else if (f.peek() == EOF)
        err = f.read_error() != 0 ? 1000 + f.read_error() : 1099;
    s += frd_char(con, f);
    for (int k = 2; k <= n; ++k)
        s += field_char(f);
    return err;
}

int frd_int(console::Console& con, TextFile& f, int n, int& i)
{
    std::string text;
    i = 0;
    if (int e = frd_text(con, f, n, text); e != 0)
        return e;
    if (!convert_int(numeric_field(text), i)) {
        i = 0;
        message(con, "** FrdInt: value read \"" + text + "\" failed conversion to integer **");
        return 1000;
    }
    return 0;
}

namespace {

int frd_real(console::Console& con, TextFile& f, int n, double& x, bool decimal_comma)
{
    std::string text;
    x = 0;
    if (int e = frd_text(con, f, n, text); e != 0)
        return e;
    std::string t = numeric_field(text);
    for (char& c : t) {
        if (decimal_comma && c == ',')
            c = '.';
        if (c == 'D' || c == 'd')
            c = 'E';
    }
    if (!convert_double(t, x)) {
        x = 0;
        message(con, std::string("** ") + (decimal_comma ? "FrdDblComma" : "FrdDbl") +
                 ": value read \"" + text + "\" failed conversion to double **");
        return 1000;
    }
    return 0;
}

} // namespace

int frd_dbl(console::Console& con, TextFile& f, int n, double& x)
{
    return frd_real(con, f, n, x, false);
}

int frd_dbl_comma(console::Console& con, TextFile& f, int n, double& x)
{
    return frd_real(con, f, n, x, true);
}

void frd_skip(console::Console&, TextFile& f, int n)
{
    for (int k = 1; k <= n; ++k)
        field_char(f);
}

void skip_line(TextFile& f)
{
    for (;;) {
        int c = f.get();
        if (c == EOF || c == '\n')
            return;
        if (c == '\r') {
            if (f.peek() == '\n')
                f.get();
            return;
        }
    }
}

} // namespace dataset
