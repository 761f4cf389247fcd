// ED: the pattern editor's menu - line numbers and their range checks, block
// delete, Finish with the save, and Quit back to the file last loaded.
#include <optional>
#include <string>

#include "console/console.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/limits.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"
#include "pattern/editor.hpp"

namespace pattern {

namespace {

using editor::Entry;

// A line number that must be given: ENTER is refused.
int ask_required_line(console::Console& con, std::string_view prompt)
{
    for (;;) {
        if (std::optional<int> n = editor::ask_optional_int(con, prompt)) {
            con.endl();
            return *n;
        }
        con.line(" ** No default, please retry **");
    }
}

bool below_first(console::Console& con, const dataset::Dataset& ds, int n)
{
    if (n >= 1)
        return false;
    con.line("** Out of range **");
    con.line("Observed pattern starts from line 1 (and extends up to line" +
             std::to_string(ds.Nobs) + ")");
    return true;
}

bool beyond_last(console::Console& con, const dataset::Dataset& ds, int n)
{
    if (n <= ds.Nobs)
        return false;
    con.line("** There are only " + std::to_string(ds.Nobs) + " observed lines **");
    return true;
}

bool pattern_full(console::Console& con, const dataset::Dataset& ds)
{
    if (ds.Nobs < dataset::max_obs)
        return false;
    con.line("** The pattern already holds " + std::to_string(dataset::max_obs) +
             " lines - no line can be added **");
    return true;
}

// D, C and I: the line number ("Which line no.? " or "Before which line
// no.? "); nothing when ENTER was given or the number is outside the pattern.
std::optional<int> ask_existing_line(console::Console& con, const dataset::Dataset& ds,
                                     const char* lead)
{
    std::optional<int> n = editor::ask_optional_int(con, std::string(lead) + "hich line no.? ");
    con.endl();
    if (!n || below_first(con, ds, *n) || beyond_last(con, ds, *n))
        return std::nullopt;
    return n;
}

void block_delete(console::Console& con, dataset::Dataset& ds)
{
    const int first = ask_required_line(con, "line no. of first line in block to be deleted? ");
    const int last = ask_required_line(con, "line no. of last  line in block to be deleted? ");
    if (below_first(con, ds, first) || below_first(con, ds, last) || beyond_last(con, ds, last))
        return;
    if (last < first) {
        con.line("** The last line of the block comes before its first line - nothing deleted **");
        return;
    }
    editor::delete_lines(ds, first, last);
}

// F: Qmax covers the pattern, the listing, and the offer to save.
void finish(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    if (ds.Nobs > 0 && ds.Qmax < ds.OQ[ds.Nobs] + 50.0)
        ds.Qmax = ds.OQ[ds.Nobs] + 50.0;
    con.endl();
    if (ds.Nobs == 0) {
        con.line("** No observed pattern left to save **");
        return;
    }
    list_pattern(s, false, true);
    con.endl();
    std::string reply = console::ask_code(
        con, "Do you want to save this edited dataset now (Y/N, default=Y)? ", "YN", "Y", "(Y)");
    con.endl();
    if (reply[0] == 'Y') {
        con.endl();
        dataset::save_dataset(s, "ED");
    }
    if (ds.Nobs < 20)
        dataset::few_lines_warning(s);
    ds.Nloaded = ds.Nobs;
}

// Q: the dataset comes back from the file it was last loaded from. When that
// fails (no file loaded in this run, or the file has gone) LO says so and the
// edits stay, under the names they had.
void quit(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    con.endl();
    con.line("Quit without saving any changes - the original dataset will now be reloaded");
    con.endl();
    const std::string name = ds.Dset, previous = ds.prev_name;
    s.files.auto_reload = true;
    s.files.own_file = true;
    dataset::LO(s);
    if (s.files.own_file) {
        // A reload that succeeds clears the flag; left set it would send the
        // next automatic reload to this file instead of "_RELOAD.CDT".
        s.files.own_file = false;
        ds.Dset = name;
        ds.prev_name = previous;
    }
}

} // namespace

// ED: edit the observed pattern line by line.
void ED(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line(console::blanks(10) + "ED = Edit Observed Pattern");
    if (s.pattern.ob_type == 2 || s.pattern.ob_type == 4)
        con.line("(N.B. Data accepted as 2Theta or Q only)");
    con.endl();
    if (ds.Nobs == 0)
        return;  // the command loop says what is missing
    con.line(std::string("Pattern was input as ") +
             (ds.Dflag == 1 ? "2Theta angles or sinsqth (wavelength-dependent)"
                            : "Q values or d-spacings (wavelength-independent)"));

    bool scale_asked = false;
    for (;;) {
        if (dataset::out_of_order(ds)) {
            con.endl();
            dataset::order_by_q(con, ds, true);
        }
        con.endl();
        con.line("Insert, Delete, Change or Append a line, Block delete, Strip weak lines, List,");
        con.line("Finish, or Quit without saving changes (the original dataset will be reloaded)");
        const char choice = console::ask_char(con, "  (I,D,C,A,B,S,L,F,Q [default List]): ",
                                              "IDCABSLFQ", 'L', " L (default)");
        if (choice == 'Q') {
            quit(s);
            return;
        }
        if (choice == 'F') {
            finish(s);
            return;
        }
        con.endl();
        switch (choice) {
        case 'L':
            list_pattern(s, true, true);
            break;
        case 'D':
            if (std::optional<int> n = ask_existing_line(con, ds, "W"))
                editor::delete_lines(ds, *n, *n);
            break;
        case 'C':
            if (std::optional<int> n = ask_existing_line(con, ds, "W"))
                editor::enter_line(s, Entry::change, *n, scale_asked);
            break;
        case 'I':
            if (pattern_full(con, ds))
                break;
            if (std::optional<int> n = ask_existing_line(con, ds, "Before w"))
                editor::enter_line(s, Entry::insert, *n, scale_asked);
            break;
        case 'A':
            if (!pattern_full(con, ds))
                editor::enter_line(s, Entry::append, ds.Nobs + 1, scale_asked);
            break;
        case 'B':
            block_delete(con, ds);
            break;
        case 'S':
            editor::strip_weak_lines(s);
            break;
        }
    }
}

} // namespace pattern
