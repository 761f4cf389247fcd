// CE: enter, edit, display or delete the trial cell in any of its three input
// forms, and the same expansion without questions for cells loaded by LC.
#include <string>

#include "cell/cell_display.hpp"
#include "cell/commands.hpp"
#include "cell/conversions.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"

namespace cell {

namespace {

constexpr const char* new_values = "New values (or press ENTER for no change):";

// "** Invalid (a > 1000) - please correct **" for a side beyond the range.
void invalid_side(console::Console& con, int i, const std::string& bound)
{
    con.line(std::string("** Invalid (") + "abc"[i - 1] + " " + bound + ") - please correct **");
}

std::string above_longest() { return "> " + console::real_text(dataset::max_cell_side, 0, 0); }

// The direct sides a cell of powder or Delaunay constants gave: true when
// all lie within the range a dataset file can hold, else reported.
bool derived_sides_in_range(console::Console& con, const dataset::Dataset& ds)
{
    bool ok = true;
    for (int i = 1; i <= 3; ++i) {
        if (ds.DD[i] < dataset::min_cell_side) {
            invalid_side(con, i, "< " + console::real_text(dataset::min_cell_side, 0, 1));
            ok = false;
        } else if (!(ds.DD[i] <= dataset::max_cell_side)) {
            invalid_side(con, i, above_longest());
            ok = false;
        }
    }
    return ok;
}

void cell_loaded_pause(console::Console& con)
{
    con.put("Cell Loaded - press ENTER for full display of cell parameters ");
    con.read_line();
    con.endl();
}

void exit_message(control::Session& s)
{
    s.con.line("  ** Exit **");
    if (s.ds.Nobs == 0)
        s.con.endl();
}

// The copy file for one more cell display: through the copy channel when it
// is selected, else opened for this copy alone.
bool copy_file_ready(control::Session& s)
{
    if ((s.con.output_code & 2) != 0)
        return console::ensure_copy_open(s);
    console::open_copy(s, s.ds.Dset);  // reports a failure itself
    return s.out.copy.is_open();
}

void write_copy(control::Session& s)
{
    if (copy_file_ready(s))
        show_cell(s, s.out.copy, true);
}

// The copies of a new cell: the selected channels first, then as many
// further file copies as the user asks for.
void offer_copies(control::Session& s)
{
    console::Console& con = s.con;
    const int code = con.output_code;
    if (code != 0) {
        con.endl();
        if ((code & 2) != 0) {
            con.put((code & 1) != 0 ? "File & printer output already selected:  copies being sent"
                                    : "File output already selected:  a copy is being written");
            if (copy_file_ready(s)) {
                show_cell(s, s.out.copy, true);
                con.line(" .. done");
            }
            if ((code & 1) != 0) {
                console::printing_notice(con);
                con.line(" .. done");
            }
        } else {
            console::printing_notice(con);
        }
    }
    for (;;) {
        con.endl();
        const char* prompt = con.output_code != 0
                                 ? "Send further copy to file (F) [F/N, default=N]: "
                                 : "Copy results to file (F) [F/N, default=N]: ";
        const char answer = console::ask_char(con, prompt, "FN", 'N', "(No)");
        con.endl();
        if (answer != 'F')
            return;
        write_copy(s);
    }
}

// Steps after any entry: copies of a good cell, or the impossible-cell report.
void finish_cell(control::Session& s)
{
    dataset::Dataset& ds = s.ds;
    if (ds.V > 0.0) {
        offer_copies(s);
        ds.cell_valid = ds.DD[1] * ds.DD[2] * ds.DD[3] != 0.0 ? 1 : 0;
    } else {
        s.con.line("** Impossible cell (zero or imaginary volume) **");
        s.con.endl();
        ds.Ctype = 0;
    }
    if (ds.Ctype != 0)
        compute_q2a(ds);
}

// The stored direct cell shown again, expanded and, when possible, displayed.
void expand_direct(control::Session& s)
{
    s.con.line("Direct cell as input, in Angstroms and degrees");
    s.con.endl();
    direct_cell_lines(s.con, s.ds);
    if (cell_from_direct(s.ds))
        show_cell(s, s.con, false);
}

void direct_entry(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.line("Direct Cell Constants in Angstroms & degrees as currently stored");
    con.endl();
    direct_cell_lines(con, ds);
    for (;;) {
        con.line(new_values);
        con.endl();
        console::edit_real(con, "a       ", ds.DD[1], 10, 6);
        console::edit_real(con, "      b       ", ds.DD[2], 10, 6);
        console::edit_real(con, "      c       ", ds.DD[3], 10, 6);
        con.line("  A");
        console::edit_angle(con, "alpha   ", ds.DD[4], 8, 4);
        console::edit_angle(con, "        beta    ", ds.DD[5], 8, 4);
        console::edit_angle(con, "        gamma   ", ds.DD[6], 8, 4);
        con.line("    Deg");
        con.endl();
        if (ds.DD[1] < 1.0 && ds.DD[2] < 1.0 && ds.DD[3] < 1.0) {
            con.line("** No valid cell sides provided - abandoning Dcell input");
            con.endl();
            ds.V = 0.0;
            return;
        }
        bool invalid = false;
        for (int i = 1; i <= 3; ++i) {
            if (ds.DD[i] < 1.0) {
                invalid_side(con, i, "< 1.0");
                invalid = true;
            } else if (ds.DD[i] > dataset::max_cell_side) {
                invalid_side(con, i, above_longest());
                invalid = true;
            }
        }
        if (!invalid)
            break;
        con.line("\a");
    }
    cell_loaded_pause(con);
    expand_direct(s);
}

// The six constants of one form on one line under their header, each kept
// on ENTER (an exact 0 shown as "0").
void edit_six(console::Console& con, const std::string& header, const char* first_label,
              dataset::CellRow& row, int decimals, int zero_column)
{
    con.line(new_values);
    con.endl();
    con.line(header);
    console::edit_real_shown(con, first_label, row[1], 10, decimals, zero_column);
    for (int i = 2; i <= 6; ++i)
        console::edit_real_shown(con, "   ", row[i], 10, decimals, zero_column);
    con.lines(2);
}

void powder_constants_entry(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.line("Powder Constants in QU. as currently stored");
    con.endl();
    powder_constant_lines(con, ds);
    con.endl();
    bool converted = false;
    for (;;) {
        edit_six(con, powder_constant_header(), "", ds.QQ, 5, 3);
        if (ds.QQ[1] == 0.0 && ds.QQ[2] == 0.0 && ds.QQ[3] == 0.0) {
            con.line("** No Q(A,B,C) parameters provided - abandoning Qcell input");
            con.endl();
            ds.V = 0.0;
            return;
        }
        bool invalid = false;
        for (int i = 1; i <= 3; ++i) {
            if (ds.QQ[i] <= 0.0) {
                con.line(std::string("** Invalid (Q(") + "ABC"[i - 1] +
                         ") <= 0.0) - please correct **");
                invalid = true;
            }
        }
        if (!invalid) {
            converted = cell_from_powder_constants(ds, ds.QQ);
            if (!converted || derived_sides_in_range(con, ds))
                break;
        }
        con.line("\a");
    }
    cell_loaded_pause(con);
    if (converted)
        show_cell(s, con, false);
    else
        ds.V = 0.0;
}

void delaunay_entry(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.line("Parameters for Delaunay reduction as currently stored");
    con.endl();
    delaunay_lines(con, ds);
    con.endl();
    bool converted = false;
    for (;;) {
        edit_six(con, delaunay_header(), " ", ds.PP, 6, 2);
        converted = cell_from_delaunay(ds);
        if (!converted || derived_sides_in_range(con, ds))
            break;
        con.line("\a");
    }
    cell_loaded_pause(con);
    if (converted)
        show_cell(s, con, false);
    else
        ds.V = 0.0;
}

void delete_cell(control::Session& s)
{
    dataset::Dataset& ds = s.ds;
    s.con.lines(2);
    s.con.line("  ** Cell & its dependent parameters deleted **");
    ds.Ctype = 0;
    ds.cell_valid = 0;
    ds.Ncalc = 0;
    ds.Gflag = 0;
    dataset::clear_indices(ds);
    if (ds.Nobs == 0)
        s.con.endl();
}

void type_not_recognised(control::Session& s)
{
    s.con.line("** Cell input type \"" + std::to_string(s.ds.Ctype) + "\" not recognised **");
}

} // namespace

// CE: input, display or edit the cell.
void CE(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    con.line("Supported cell input formats are:");
    con.endl();
    con.line("    (1) Direct cell constants in Angstroms and degrees");
    con.line("    (2) Powder constants in QU.");
    con.line("    (3) Parameters for Delaunay Reduction");
    con.endl();

    char choice = '0';
    if (ds.Ctype == 0) {
        con.line("No valid cell currently loaded");
        con.endl();
        choice = console::ask_char(con, "Please select input type (1, 2, 3; ENTER or 0 to exit): ",
                                   "0123", '0', "");
        if (choice == '0') {
            exit_message(s);
            return;
        }
    } else {
        switch (ds.Ctype) {
        case 1: con.line("Cell currently loaded was input as type 1 (direct cell constants)"); break;
        case 2: con.line("Cell currently loaded was input as type 2 (powder constants)"); break;
        case 3: con.line("Cell currently loaded was input as type 3 (Delaunay parameters)"); break;
        default: type_not_recognised(s); return;
        }
        con.line("(changes may be made using any input type)");
        con.endl();
        con.line("Please select input type (1,2,3, S=same, D=delete cell, 0=Exit)");
        choice = console::ask_char(con, "  Input type (default=same): ", "0123DS", 'S',
                                   "(Same type)");
        if (choice == '0') {
            exit_message(s);
            return;
        }
        if (choice == 'D') {
            delete_cell(s);
            return;
        }
    }
    if (choice != 'S')
        ds.Ctype = choice - '0';
    con.lines(2);

    switch (ds.Ctype) {
    case 1: direct_entry(s); break;
    case 2: powder_constants_entry(s); break;
    case 3: delaunay_entry(s); break;
    default: type_not_recognised(s); return;
    }
    finish_cell(s);
}

void expand_direct_cell(control::Session& s)
{
    s.ds.Ctype = 1;
    expand_direct(s);
    finish_cell(s);
}

} // namespace cell
