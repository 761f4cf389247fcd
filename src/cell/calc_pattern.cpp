// CA: calculate the pattern of the trial cell and compare it with the
// observed pattern, on the screen and on each selected copy channel.
#include <string>

#include "cell/commands.hpp"
#include "cell/compare.hpp"
#include "cell/pattern_generation.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"

namespace cell {

namespace {

// Qmax from the observed pattern, or asked for until a usable one is given.
void settle_qmax(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    if (ds.Qmax != 0.0)
        return;
    if (ds.Nobs > 0) {
        ds.Qmax = ds.OQ[ds.Nobs] + 50.0;
        con.line("Assuming Qmax = Qobsmax+50 QU. =" + console::real_text(ds.Qmax, 9, 3) + " QU.");
        con.endl();
        return;
    }
    // A negative Qmax would leave the index limits undefined: asked again too.
    while (!(ds.Qmax > 0.0)) {
        const double q = console::ask_real(con, "Please input Qmax for calculated pattern: ", "",
                                           0.0, 0, 0, " QU.", " ?")
                             .value;
        if (q > dataset::max_qmax) {
            con.line("  ** Qmax must not exceed " + console::real_text(dataset::max_qmax, 0, 0) +
                     " QU. **");
            continue;
        }
        ds.Qmax = q;
        con.endl();
    }
}

// False (after its message) when neither given nor automatic limits exist.
bool settle_limits(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    if (ds.Gflag == 0 && ds.cell_valid == 0) {
        con.line("No hkl limits set and can't auto calc (a,b,c data incomplete)  -  Run HL/CE");
        console::pause_and_clear(con);
        return false;
    }
    if (ds.Gflag == 0) {
        con.line("No hkl limits set - using automatic limits based on cell and Qmax");
        con.endl();
        automatic_limits(ds, ds.WL);
    } else if (ds.cell_valid == 0) {
        ds.WL = ds.GL;
    } else {
        effective_limits(ds, ds.WL);
    }
    return true;
}

double ask_limit(console::Console& con, const std::string& question, double def, int w, int d,
                 double lowest, double highest, const char* complaint)
{
    for (;;) {
        con.put(question);
        const double v = console::ask_real(con, ":  ", "", def, w, d, "", "").value;
        con.endl();
        if (v >= lowest && v <= highest)
            return v;
        con.line(complaint);
    }
}

void ask_exclusions(control::Session& s, Comparison& c)
{
    console::Console& con = s.con;
    CompareSettings& cs = s.compare;
    con.line("Exclude any obs lines with excessive 2Theta or Q differences from calculated?");
    cs.exclusion_mode = console::ask_char(
        con, "  Exclude on excess 2Theta (T) or Q (T/Q/N, default N=No): ", "TQN", 'N', "(N)");
    con.lines(2);
    if (cs.exclusion_mode == 'Q') {
        cs.dQlim = ask_limit(con,
                             "Q limit to be used (default: " +
                                 console::real_text(cs.dQlim_default, 4, 2) + " QU.)",
                             cs.dQlim_default, 4, 2, 0.01, 30.0,
                             "** dQlim must be in the range 0.01 to 30 **");
    } else if (cs.exclusion_mode == 'T') {
        cs.d2Tlim = ask_limit(con,
                              "2Theta limit to be used (default: " +
                                  console::real_text(cs.d2Tlim_default, 5, 3) + " deg)",
                              cs.d2Tlim_default, 5, 3, 0.0001, 0.5,
                              "** d2Tlim must be in the range 0.0001 to 0.5 **");
    }
    c.mode = cs.exclusion_mode;
    c.dQlim = cs.dQlim;
    c.d2Tlim = cs.d2Tlim;
}

void ask_displacement(control::Session& s, Comparison& c)
{
    console::Console& con = s.con;
    c.T = 0.0;
    const char answer = console::ask_char(
        con, "Apply a trial specimen-displacement correction (Y/N, default N): ", "YN", 'N', "");
    con.lines(2);
    if (answer != 'Y')
        return;
    con.line("Specimen-displacement ratio T:= -S/R, where S is the displacement and");
    con.line("R is the diffractometer radius.  Typically T:= 0.0001 might give an");
    con.line("apparent 2Theta zero correction of about -0.01 degrees.  The value");
    con.line("is local to this calculation - use SC for a more permanent correction");
    con.endl();
    c.T = console::ask_real(con, "Specimen-displacement ratio T to be used:  ", "", c.T, 0, 0, "", "")
              .value;
    con.endl();
}

// False when the command ends here (its message already shown).
bool calculate(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    ds.included.fill(true);
    ds.Ncalc = 0;
    con.line("Calculating pattern");
    Overflow at;
    if (!generate_pattern(ds, ds.WL, at)) {
        con.line("Arrays full: attempting to store" + std::to_string(ds.Ncalc + 1) + "-th line");
        con.endl();
        con.line("Failed on hkl = " + std::to_string(at.h) + std::to_string(at.k) +
                 std::to_string(at.l));
        con.line("Pattern generation terminated without sorting");
        console::pause_and_clear(con);
        return false;
    }
    if (ds.Ncalc == 0) {
        con.lines(2);
        con.line("** No calculated lines obtained **");
        console::pause_and_clear(con);
        return false;
    }
    con.line("Pattern calculated: " + std::to_string(ds.Ncalc) + " lines.  Sorting commenced");
    sort_calculated(ds);
    if (s.compare.remove_duplicates == 1) {
        con.line("Pattern sorted, now removing any lines duplicated by symmetry");
        remove_symmetry_duplicates(ds);
        if (ds.Ncalc == 0) {
            con.endl();
            con.line("** No calculated lines remain to be displayed **");
            console::pause_and_clear(con);
            return false;
        }
        con.line("After eliminating symmetry-equivalents, " + std::to_string(ds.Ncalc) +
                 " calc lines retained");
    }
    return true;
}

// One output pass: listing, warnings, summary and calibration.
void output_pass(control::Session& s, console::Sink& out, bool screen, Comparison& c,
                 Calibration& cal)
{
    const dataset::Dataset& ds = s.ds;
    comparison_listing(s, out, screen, c);
    if (ds.Nobs == 0)
        return;
    // Every line up to Qmax has been compared: only those above it are left out.
    if (c.last_compared < ds.Nobs) {
        out.endl();
        out.line(std::string("** Last obs line(s) excluded (after last calc") +
                 " line): Qmax needs increasing **");
    }
    comparison_summary(out, c);
    if (ds.Nobs >= 3) {
        if (screen)
            console::pause(s.con);
        calibration(s, out, screen, c, cal);
    }
}

} // namespace

// CA: calculated pattern, compared with the observed one when there is one.
void CA(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line(std::string("Calculate Pattern") + (ds.Nobs > 0 ? " & Compare with Observed" : ""));
    con.endl();
    if (ds.Ctype == 0) {
        con.line("** No cell stored yet  -  Run CE, LC or LO first **");
        console::pause_and_clear(con);
        return;
    }
    settle_qmax(s);
    if (!settle_limits(s))
        return;

    Comparison c;
    ask_exclusions(s, c);
    ask_displacement(s, c);
    const char reduce = console::ask_char(
        con, "Remove lines duplicated by symmetry (Y/N, default Y): ", "YN", 'Y', "(Y)");
    con.lines(2);
    s.compare.remove_duplicates = reduce == 'N' ? 0 : 1;
    if (!calculate(s))
        return;

    Calibration cal;
    output_pass(s, con, true, c, cal);
    if ((con.output_code & 1) != 0) {
        con.endl();
        con.line("Writing output for calculated pattern to printer");
        console::printing_notice(con);
    }
    if ((con.output_code & 2) != 0) {
        con.endl();
        con.line("Writing output for calculated pattern to file");
        if (console::ensure_copy_open(s)) {
            console::set_device(con, 2);
            output_pass(s, s.out.copy, false, c, cal);
            s.out.copy.line("\f");
            s.out.copy.flush();
            console::set_device(con, 0);
        }
    }
    // Applied only now, so that every copy shows the pattern the fit was made on.
    if (cal.apply)
        pattern::apply_transformation(s, cal.k, cal.dz);
    console::pause_and_clear(con);
    console::set_device(con, 0);
}

} // namespace cell
