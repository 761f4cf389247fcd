// The pattern editor's line operations, its optional replies, and the strip
// of weak lines.
#include <algorithm>
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"
#include "pattern/editor.hpp"

namespace pattern::editor {

namespace {

// The fields of one line move together (the include flag is not one of them).
void copy_line(dataset::Dataset& ds, int from, int to)
{
    ds.OQ[to] = ds.OQ[from];
    ds.OH[to] = ds.OH[from];
    ds.OK[to] = ds.OK[from];
    ds.OL[to] = ds.OL[from];
    ds.OT[to] = ds.OT[from];
    ds.OI[to] = ds.OI[from];
    ds.icode[to] = ds.icode[from];
}

template <typename Value, typename Parse>
std::optional<Value> ask_optional(console::Console& con, std::string_view prompt, Parse parse)
{
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        std::string reply = console::read_normalised_reply(con, prompt);
        if (reply.empty())
            return std::nullopt;
        Value v{};
        if (parse(reply, v))
            return v;
    }
}

} // namespace

void open_line(dataset::Dataset& ds, int n)
{
    for (int i = ds.Nobs; i >= n; --i)
        copy_line(ds, i, i + 1);
    ++ds.Nobs;
}

void delete_lines(dataset::Dataset& ds, int first, int last)
{
    const int gap = last - first + 1;
    for (int i = last + 1; i <= ds.Nobs; ++i)
        copy_line(ds, i, i - gap);
    ds.Nobs -= gap;
}

int count_at_or_below(const dataset::Dataset& ds, double threshold)
{
    int n = 0;
    for (int i = 1; i <= ds.Nobs; ++i)
        if (ds.OI[i] <= threshold)
            ++n;
    return n;
}

void strip_at_or_below(dataset::Dataset& ds, double threshold)
{
    int kept = 0;
    for (int i = 1; i <= ds.Nobs; ++i)
        if (ds.OI[i] > threshold)
            copy_line(ds, i, ++kept);
    ds.Nobs = kept;
}

std::optional<double> ask_optional_real(console::Console& con, std::string_view prompt)
{
    return ask_optional<double>(con, prompt, console::parse_real);
}

std::optional<int> ask_optional_int(console::Console& con, std::string_view prompt)
{
    return ask_optional<int>(con, prompt, console::parse_int);
}

// S: the strip dialogue. Deletes nothing without the user's confirmation.
void strip_weak_lines(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    if (ds.Iflag == 0) {
        con.line("** No intensities supplied - can't identify the weak lines **");
        return;
    }
    if (ds.Nobs == 0) {
        con.line("** No observed lines left - nothing to strip **");
        return;
    }
    const bool measured = ds.ikind == 1;
    // Codes are whole numbers; a threshold between two codes keeps its
    // decimals, or 2.5 would read as 3 and the lines of code 3 stay.
    auto shown = [&](double x) {
        return measured || x != std::floor(x) ? console::real_text(x, 5, 3)
                                               : console::real_text(x, 1, 0);
    };
    double smallest = ds.OI[1], largest = ds.OI[1];
    for (int i = 2; i <= ds.Nobs; ++i) {
        smallest = std::min(smallest, ds.OI[i]);
        largest = std::max(largest, ds.OI[i]);
    }
    con.line("Obs pattern contains " + std::to_string(ds.Nobs) + " lines, with " +
             (measured ? "quantitative" : "qualitative") + " intensities between " +
             shown(smallest) + " and " + shown(largest));
    if (!measured)
        con.line("where 1 = vvw, 2 = vw, 3 = w, 4 = mw, 5 = m, 6 = ms, 7 = s, 8 = vs, 9 = vvs");
    con.endl();

    con.line("Please input the threshold intensity I below which lines <=I are to be deleted.");
    std::optional<double> typed;
    for (;;) {
        typed = ask_optional_real(con, "  Threshold intensity (default=no change): ");
        con.endl();
        // The filtered listing needs a positive threshold; 0.5 takes the
        // "abs" and uncertain codes.
        if (!typed || *typed > 0.0)
            break;
        con.line("** The threshold must be greater than 0 **");
    }
    if (!typed)
        return;
    const double threshold = *typed;
    const int n = count_at_or_below(ds, threshold);
    con.endl();
    con.line("Using the proposed intensity threshold of " + shown(threshold) + ":");
    con.line("  " + std::to_string(n) + " lines will be deleted, leaving " +
             std::to_string(ds.Nobs - n));
    if (n == 0) {
        con.line("** The proposed intensity threshold would thus have no effect **");
        return;
    }
    if (n == ds.Nobs) {
        con.line("** Applying this intensity threshold would thus delete all observed lines! **");
        return;
    }

    if (n < 7)
        con.endl();
    else
        console::pause(con);
    con.line("The following lines are below the threshold and would be deleted:");
    list_pattern(s, true, false, threshold, false);
    con.endl();
    con.line("Please confirm that you want to delete the above " + std::to_string(n) +
             " lines that do not");
    std::string reply = console::ask_code(
        con, "  exceed the intensity threshold (Y/N, default=N): ", "YN", "N", " (N)");
    con.endl();
    if (reply[0] == 'Y')
        strip_at_or_below(ds, threshold);
}

} // namespace pattern::editor
