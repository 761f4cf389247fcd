// Guarded numeric functions and the ten-character number field.
#include <cmath>
#include <cstdlib>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"

namespace console {

int ival(Console& con, std::string_view s)
{
    int value = 0;
    if (parse_int(s, value))
        return value;
    con.endl();
    con.line("** ival error **");
    con.line("String \"" + std::string(s) + "\" does not represent an integer");
    con.restore();
    std::exit(0);
}

double sqrtdbl(Console& con, double x)
{
    if (x >= 0)
        return std::sqrt(x);
    con.put("<sqrtdbl(" + default_real_text(x) + ") -ve arg: result set to +1.1>");
    return 1.1;
}

int sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

double cosine_to_sine(double x)
{
    return std::fabs(x) < 1 ? std::sqrt(1 - x * x) : 0.0;
}

double angle_from_ratio(double y, double x)
{
    if (std::fabs(x) <= 1e-50)
        return 90.0;
    double a = std::atan(y / x) * deg_per_rad;
    return a < 0 ? a + 180.0 : a;
}

std::string string10(Console& con, double x)
{
    const std::string capped = " 999999999";
    if (x > 21474836479.0) {
        con.line("** string10 warning: trunc(x/10) > max_longint (x=" + default_real_text(x) +
                 ", used \"" + capped + "\") **");
        return capped;
    }
    // Integer digits. A value with no digits to count (NaN, -infinity) is
    // taken as too long, so that the count cannot run away.
    int n = 0;
    if (std::isfinite(x)) {
        double t = x;
        do {
            t /= 10.0;
            ++n;
        } while (std::trunc(t) != 0.0);
    } else {
        n = 10;
    }

    std::string s;
    if (n == 9) {
        s = real_text(x, 9, 0);
    } else if (n > 9) {
        con.line("** string10 warning: intplaces>9 (" + std::to_string(n) + "), (x=" +
                 default_real_text(x) + ", used \"" + capped + "\") **");
        return capped;
    } else {
        s = real_text(x, n, 8 - n);
    }
    if (s.size() < 10)
        s.insert(0, 10 - s.size(), ' ');
    if (s.size() > 10) {
        std::size_t before = s.size();
        s.resize(10);
        con.line("** string10 warning: str10 not 10 chars (" + std::to_string(before) +
                 " chars), used \"" + s + "\" **");
    }
    return s;
}

// ---- special values ----

void show_angle(Sink& out, double x, int w, int d, int k)
{
    if (x == 90.0) {
        out.put(blanks(k) + "90");
        if (w - k - 2 > 0)
            out.put(blanks(w - k - 2));
    } else {
        out.put(real_text(x, w, d));
    }
}

void show_zero(Sink& out, double x, int w, int d, int k)
{
    if (x == 0.0) {
        out.put(blanks(k) + "0");
        if (w - k - 1 > 0)
            out.put(blanks(w - k - 1));
    } else {
        out.put(real_text(x, w, d));
    }
}

void show_zero_one(Sink& out, double x, int w, int d, int k)
{
    if (x == 0.0 || x == 1.0) {
        out.put(blanks(k) + (x == 0.0 ? "0.0" : "1.0"));
        if (w - k - 3 >= 1)
            out.put(blanks(w - k - 3));
    } else {
        out.put(real_text(x, w, d));
    }
}

void show_zero_device(Console& con, Sink& file, double x, int w, int d, int k)
{
    if (con.device == "D")
        show_zero(con, x, w, d, k);
    else
        show_zero(file, x, w, d, k);
}

// ---- in-place editing of table cells ----

namespace {

// Reads one cell reply: true with the value for a number, false for ENTER;
// anything else is asked again on a fresh line.
bool read_cell(Console& con, std::string_view prompt, double& typed, int& typed_length,
               bool& first)
{
    for (;;) {
        if (!first)
            con.endl();
        first = false;
        std::string raw = read_reply(con, prompt);
        std::string reply = squeeze_upper(raw);
        if (reply.empty())
            return false;
        if (parse_real(reply, typed)) {
            typed_length = static_cast<int>(raw.size());
            return true;
        }
    }
}

} // namespace

void edit_real(Console& con, std::string_view prompt, double& value, int w, int d)
{
    bool first = true;
    double typed = 0;
    int len = 0;
    if (read_cell(con, prompt, typed, len, first)) {
        value = typed;
        con.put(blanks(w - len));
    } else {
        con.put(real_text(value, w, d));
    }
}

void edit_real_shown(Console& con, std::string_view prompt, double& value, int w, int d, int k)
{
    bool first = true;
    double typed = 0;
    int len = 0;
    if (read_cell(con, prompt, typed, len, first)) {
        value = typed;
        con.put(blanks(w - len));
    } else {
        show_zero(con, value, w, d, k);
    }
}

void edit_angle(Console& con, std::string_view prompt, double& value, int w, int d)
{
    bool first = true;
    for (;;) {
        double typed = 0;
        int len = 0;
        if (read_cell(con, prompt, typed, len, first)) {
            if (typed > -180.0 && typed < 180.0) {
                value = typed;
                con.put(blanks(w - len));
                return;
            }
            continue;
        }
        if (value > -180.0 && value < 180.0) {
            show_angle(con, value, w, d, 1);
            return;
        }
        con.put("** Stored value of " + real_text(value, w, d) +
                " is not a valid angle - please correct");
    }
}

} // namespace console
