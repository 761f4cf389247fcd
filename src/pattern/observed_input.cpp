// OB: an observed pattern typed at the keyboard, as 2Theta, sinsq theta, Q or d.
#include <cmath>
#include <cstdlib>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::int_text;
using console::pad_to_column;
using console::real_text;

namespace {

enum DataType { two_theta = 1, sinsq = 2, q_value = 3, d_spacing = 4 };

// Asks for the data type until one is recognised; 0 when the reply is empty.
int ask_data_type(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    con.line("LATT accepts 2Theta degrees, Sinsq theta, Q in QU., or d-spacing in A.");
    for (;;) {
        std::string reply = console::read_reply(con, "Please type T, S, Q or D to specify data type: ");
        std::string letters = console::squeeze_upper(reply);
        if (letters.empty())
            return 0;
        // Any reply but an empty one starts a new pattern, recognised or not.
        ds.Nobs = 0;
        con.endl();
        con.put("Data type ");
        switch (letters[0]) {
        case 'D':
            con.line("is d (in A)");
            con.endl();
            ds.Dflag = 0;
            return d_spacing;
        case 'Q':
            con.line("is Q (in QU.)");
            con.endl();
            ds.Dflag = 0;
            return q_value;
        case 'S':
            con.put("is sinsq theta");
            ds.Dflag = 1;
            return sinsq;
        case 'T':
            con.put("is 2Theta (degrees)");
            ds.Dflag = 1;
            return two_theta;
        default:
            con.line("\"" + reply + "\" not recognised");
        }
    }
}

void ask_scaling_factor(control::Session& s, int type)
{
    console::Console& con = s.con;
    double& F = s.pattern.F;
    con.line(", using wavelength " + real_text(s.ds.W0, 8, 6) + " A");
    con.endl();
    con.line(std::string("Scaling factor F is used to multiply input values to give ") +
             (type == sinsq ? "sinsq theta" : "2Theta"));
    con.endl();
    F = console::ask_real(con, "Input new F (default: previous F = " + real_text(F, 8, 6) + "): ",
                          "", F, 0, 0, "", "")
            .value;
    con.lines(2);
}

// Column where the Qobs echo starts, and where the raw 2Theta echo starts.
int q_column(int type, bool scaled)
{
    if (scaled && type == two_theta) return 35;
    if (scaled && type == sinsq) return 24;
    return 22;
}

int raw_column(int type, bool scaled)
{
    if (type == q_value) return 23;
    if (scaled && type == sinsq) return 42;
    return 40;
}

// The intensity or code of one line; `code` is set for codes only.
double ask_intensity(control::Session& s, int type, bool scaled, int& code)
{
    console::Console& con = s.con;
    const bool direct = type == q_value || (type == two_theta && !scaled);
    code = 0;
    if (s.ds.ikind == 0) {
        const std::string prompt = direct ? "   Icode (1-9): " : "Icode: ";
        for (;;) {
            if (!direct)
                con.put(pad_to_column(con, 61));
            code = console::ask_int(con, prompt, "", 0, 0, "", "").value;
            if (std::abs(code) <= 9)
                break;
            con.line(" ** Out of range **");
        }
        if (code > 0)
            con.put(" ");
        con.put("= " + dataset::intensity_code_text(code));
        return code;
    }
    if (!direct)
        con.put(pad_to_column(con, 61));
    return console::ask_real(con, direct ? "   Intensity: " : " Int: ", "", 0.0, 0, 0, "", "")
        .value;
}

// The line loop. Each line is stored as it is accepted.
void read_lines(control::Session& s, int type)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    const double F = s.pattern.F;
    const bool scaled = F != 1.0;
    const std::string factor = scaled ? " /" + real_text(F, 8, 6) : "";
    for (;;) {
        const int n = ds.Nobs + 1;
        con.put(int_text(n, 2));
        std::string prompt;
        switch (type) {
        case two_theta: prompt = "  2Theta" + factor + " = "; break;
        case sinsq: prompt = "  Sinsqth" + factor + " = "; break;
        case q_value: prompt = "  Qobs = "; break;
        default: prompt = "  d-obs = "; break;
        }
        const double x = console::ask_real(con, prompt, "", 0.0, 0, 0, "", "").value;
        if (!(x > 0.0))
            return;

        double q = 0.0;
        double raw = 0.0;
        bool have_raw = false;
        if (type == two_theta || type == sinsq) {
            if (type == two_theta) {
                raw = x * F;
            } else {
                const double sq = x * F;
                if (sq >= 1.0)
                    return;
                raw = std::atan(std::sqrt(sq / (1.0 - sq))) * console::two_deg_per_rad;
            }
            if (!dataset::q_from_2theta(ds, raw, ds.Z2Th, q)) {
                con.line("  ** Can't calculate a d-spacing **");
                continue;
            }
            have_raw = true;
        } else {
            q = type == q_value ? x : dataset::q_from_d(x);
            have_raw = dataset::two_theta_from_q(ds, q, ds.Z2Th, raw);
        }
        // Beyond this a Q could not be saved and read back.
        if (!(q <= dataset::max_q)) {
            con.line("  ** Q above " + real_text(dataset::max_q, 0, 0) + " QU. (d below " +
                     real_text(100.0 / std::sqrt(dataset::max_q), 0, 3) + " A) **");
            continue;
        }

        if (type != q_value)
            con.put(pad_to_column(con, q_column(type, scaled)) + " Qobs =" + real_text(q, 10, 3));
        if (type != two_theta) {
            con.put(pad_to_column(con, raw_column(type, scaled)));
            con.put(have_raw ? " Raw2Th =" + real_text(raw, 8, 3) : "    -   ");
        }

        if (ds.Nobs >= dataset::max_obs) {
            con.endl();
            con.endl();
            con.line("** Storage assigned for up to" + std::to_string(dataset::max_obs) +
                     " lines only **");
            con.line("** You are trying to read in the " + std::to_string(n) + "-th **");
            return;
        }

        int code = 0;
        double intensity = 0.0;
        if (ds.Iflag == 1)
            intensity = ask_intensity(s, type, scaled, code);
        con.line("  ok");

        ds.Nobs = n;
        ds.OQ[n] = q;
        ds.OT[n] = have_raw ? raw : 0.0;
        ds.OI[n] = intensity;
        ds.icode[n] = code;
        // A new line carries no indices from whatever pattern was here before.
        ds.OH[n] = ds.OK[n] = ds.OL[n] = 0;
    }
}

void clear_previous_cell(dataset::Dataset& ds)
{
    ds.Ctype = 0;
    ds.cell_valid = 0;
    ds.Qmax = 0.0;
    ds.Gflag = 0;
    ds.Abs = "P";
    ds.abs_code = 1;
    ds.Ncalc = 0;
    dataset::clear_indices(ds);
}

} // namespace

// OB: input an observed pattern from the keyboard.
void OB(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    PatternSettings& p = s.pattern;

    con.lines(2);
    con.line(console::blanks(5) + "OB = Input Observed Pattern (terminated with zero entry)");
    con.endl();
    if (ds.Z2Th != 0.0 || p.tr_k != 1.0 || p.tr_z != 0.0 || ds.Qmax != 0.0) {
        con.line("(Re-initialising 2Theta zero correction & linear transformation, and Qmax)");
        con.endl();
        ds.Z2Th = 0.0;
        p.tr_k = 1.0;
        p.tr_z = 0.0;
        ds.Qmax = 0.0;
    }
    p.last_transform.valid = false;

    con.put("Intensities [I] or Icodes (1-9) [C] to be included? - ");
    const char kind = console::ask_char(con, "(I/C/N, default=N): ", "ICN", 'N', "(No)");
    ds.Iflag = kind == 'N' ? 0 : 1;
    ds.ikind = kind == 'I' ? 1 : 0;
    if (kind == 'I') {
        con.endl();
        con.line("Quantitative intensity values are stored unchanged, but will be converted");
        con.line("for display purposes to qualitative intensities from vw (2) to vvs (9).");
    }

    const int type = ask_data_type(s);
    if (type == 0) {
        con.endl();  // abandoned: end the question line
    } else {
        p.ob_type = type;
        if (type == two_theta || type == sinsq)
            ask_scaling_factor(s, type);
        read_lines(s, type);

        con.lines(2);
        con.line("End of Pattern: " + std::to_string(ds.Nobs) + " observed lines");
        if (ds.ikind == 1)
            dataset::derive_intensity_codes(ds);
        con.endl();
        if (dataset::out_of_order(ds)) {
            dataset::order_by_q(con, ds, true);
            con.endl();
        }

        if (ds.Nobs > 0) {
            con.line("Do you want to clear any cell parameters, etc, from a previous dataset?");
            std::string answer = console::ask_code(con, "  (Y/N, default=Y): ", "YN", "Y", "(Y)");
            con.endl();
            if (answer[0] == 'Y')
                clear_previous_cell(ds);

            con.endl();
            ds.prev_name = ds.Dset;
            std::string name = console::trim_right(console::read_reply(
                con, "What is the working name for this new dataset (1 to 8 chars): "));
            name.erase(0, name.find_first_not_of(' '));
            // An empty answer would leave no name to build file names from,
            // and a path or a quote would reach outside the data directory
            // or break the dataset file: the old name stays then.
            if (!name.empty()) {
                if (dataset::is_plain_name(name)) {
                    ds.Dset = name;
                } else {
                    con.endl();
                    dataset::check_plain_name(con, name);
                }
            }
            con.lines(2);
            ds.Title.clear();
            dataset::save_dataset(s, "OB");
        }
    }

    // The few-lines warning ends with a blank line of its own; here that one
    // is the blank line that closes OB, so none is added after it.
    const bool warned = ds.Nobs > 0 && ds.Nobs < 20;
    if (warned)
        dataset::few_lines_warning(s);
    if (ds.Nobs >= 1) {
        ds.Nloaded = ds.Nobs;
        if (!warned)
            con.endl();
    } else {
        ds.Nloaded = 0;
    }
}

} // namespace pattern
