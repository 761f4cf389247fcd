// The dialogues of the ab initio scans: the common opening (lines, figure
// of merit, Pmin), express mode or the scan options, the default ranges and
// their questions, then the scan.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_run.hpp"
#include "rivi/scan_dialogue.hpp"

namespace rivi {

namespace {

using console::real_text;

constexpr double pr_pmin_default = 0.000166667;

std::string no_error(double) { return ""; }

// How many of the first observed lines the scan compares.
int ask_lines(control::Session& s)
{
    console::Console& con = s.con;
    const dataset::Dataset& ds = s.ds;
    const std::string nobs = std::to_string(ds.Nobs);
    con.line("There are " + nobs + " lines in the observed pattern (" + real_text(ds.OQ[1], 5, 3) +
             " to " + real_text(ds.OQ[ds.Nobs], 5, 3) + " QU.)");
    con.line("How many of the first of these should be used in the scan (default: all " + nobs +
             ")?");
    for (;;) {
        const int n =
            console::ask_int(con, "  Obs lines to be used: ", "", ds.Nobs, 1, "", "").value;
        con.endl();
        if (n > ds.Nobs)
            con.line("** There are only " + nobs + " observed lines - please try again **");
        else if (n <= 0)
            con.line("** Invalid number of lines (" + std::to_string(n) +
                     ") - please try again **");
        else
            return n;
    }
}

std::string divisor_text(double d)
{
    return d == std::trunc(d) ? real_text(d, 0, 0) : real_text(d, 4, 2);
}

// The threshold of the peaks list, then express mode with what it implies,
// or the options one by one, as the scan's kind has them: the row scan has
// its own texts, and the gamma* scan's list is of raw peaks.
void scan_options(control::Session& s, ScanSettings& ss)
{
    console::Console& con = s.con;
    const std::string name = fom_name(ss.mchar);
    const bool pr = ss.mchar == 'P';
    const bool row = ss.kind == ScanKind::row;
    const bool raw_list = ss.kind == ScanKind::gamma;
    double& divisor = s.maps.scans.Pr_divisor;
    // The Pr threshold of the Z2Th scan is the divisor in force before it.
    ss.threshold = !pr ? 1.5 : ss.kind == ScanKind::z2th ? divisor : 1.0;
    divisor = 10.0;
    ss.express =
        console::ask_yes(con,
                   row ? "Use express mode, accepting all defaults (Y/N, default Y)? "
                       : "Use express mode, accepting all further defaults (Y/N, default Y)? ",
                   true);
    if (ss.express) {
        ss.dynamic = true;
        ss.suppress = true;
        con.line("Use dynamic scan steps for Q(A)");
        if (pr)
            con.line("Pr scalefactor = 1/" + divisor_text(divisor));
        if (row)
            con.line("Eliminate duplicate peaks");
        else
            con.line("Minimum " + name + " for inclusion in peaks list = " +
                     real_text(ss.threshold, 5, 3));
        con.line("Suppress intermediate output");
        console::pause(con);
        return;
    }
    ss.dynamic = console::ask_yes(con,
                            row ? "Use dynamic scan steps (Y/N, default Y)? "
                                : "Use dynamic scan steps for Q(A) (Y/N, default Y)? ",
                            true);
    ss.threshold = ask_checked(con,
                               "Minimum " + name + " for inclusion in " +
                                   (raw_list ? "raw " : "") + "peaks list (default: " +
                                   console::compact_real(ss.threshold) + "): ",
                               ss.threshold, 1, no_error);
    if (pr)
        divisor = ask_checked(
            con,
            "Scale down displayed Pr by dividing by what number n (default: " +
                divisor_text(divisor) + "): ",
            divisor, 0, [](double v) {
                return v > 0.0 ? "" : "** The number must be positive - please try again **";
            });
    ss.suppress = console::ask_yes(con, "Suppress intermediate output (Y/N, default Y)? ", true);
}

// "The observed lines to be used (all 30) extend from ... QU."
void write_lines_used(control::Session& s, const ScanSettings& ss)
{
    const dataset::Dataset& ds = s.ds;
    const std::string which = ss.nobsused >= ds.Nobs
                                  ? "all " + std::to_string(ss.nobsused)
                                  : "the first " + std::to_string(ss.nobsused) + " out of " +
                                        std::to_string(ds.Nobs);
    s.con.endl();
    s.con.line("The observed lines to be used (" + which + ") extend from " +
               real_text(ds.OQ[1], 0, 3) + " to " + real_text(ds.OQ[ss.nobsused], 0, 3) + " QU.");
}

// The Q(A) range taken and stated: for an express run as it stands (false),
// else as the estimate the questions start from (true).
bool state_q_range(control::Session& s, ScanSettings& ss, QRange q)
{
    console::Console& con = s.con;
    ss.min1 = q.min;
    ss.max1 = q.max;
    write_lines_used(s, ss);
    const std::string range = console::compact_real(q.min) + " to " + console::compact_real(q.max) + " QU.";
    if (ss.express) {
        con.line("Giving Q(A) scan range for an express run of " + range);
        return false;
    }
    con.line("Hence the default Q(A) scan range is estimated as " + range);
    con.line("If this generates too many small vectors, consider trying a larger minimum.");
    return true;
}

// The Q(A) range: stated for an express run, else estimated and asked.
void q_range(control::Session& s, ScanSettings& ss, QRange q)
{
    console::Console& con = s.con;
    if (!state_q_range(s, ss, q))
        return;
    ss.min1 = ask_checked(con, "  Min Q(A) to start scan: ", q.min, 1, [](double v) {
        return v > 0.0 ? "" : "** Q(A) must be positive - please try again **";
    });
    ss.max1 = ask_checked(con, "  Max Q(A) to end scan: ", q.max, 1, [&](double v) {
        return v >= ss.min1 ? "" : "** Max Q(A) should not be less than min Q(A) (" +
                                       console::compact_real(ss.min1) + ") - please try again **";
    });
}

// The second parameter's range, from `from` to `to` at `step` in `unit`;
// asked unless express, within [lowest, highest].
void second_range(control::Session& s, ScanSettings& ss, double from, double to, double step,
                  double lowest, double highest)
{
    console::Console& con = s.con;
    const std::string name = second_name(ss);
    ss.min2 = from;
    ss.max2 = to;
    ss.step2 = step;
    if (ss.express)
        return;
    con.line("Similarly the default " + name + " scan range is " + console::compact_real(from) + " to " +
             console::compact_real(to) + " deg.");
    if (ss.kind == ScanKind::z2th) {
        con.line("A zero error moves the lines at low angles most, and a wide Z2Th range lets");
        con.line("a wrong zero compensate a wrong Q(A) for the first few lines, giving spurious");
        con.line("peaks; keep the range as narrow as the instrument's known zero error allows.");
    }
    const std::string limits = "** " + name + " must lie between " + console::compact_real(lowest) +
                               " and " + console::compact_real(highest) + " - please try again **";
    ss.min2 = ask_checked(con, "  Min " + name + " to start scan: ", from, 3, [&](double v) {
        return v >= lowest && v <= highest ? "" : limits;
    });
    ss.max2 = ask_checked(con, "  Max " + name + " to end scan:   ", to, 3, [&](double v) {
        if (!(v >= lowest && v <= highest))
            return limits;
        return v >= ss.min2 ? std::string() : "** Max " + name + " should not be less than min " +
                                                   name + " (" + console::compact_real(ss.min2) +
                                                   ") - please try again **";
    });
}

// The rectangular zones' ranges over a and b, scanned downwards.
void direct_ranges(control::Session& s, ScanSettings& ss, QRange qa, QRange qb)
{
    console::Console& con = s.con;
    con.line("Direct-cell scans in a & b proceed downwards from max to min");
    auto side = [&](const std::string& label, double def,
                    const std::function<std::string(double)>& check) {
        return ask_checked(con, "  " + label + " (default " + console::compact_real(def) + "): ",
                           def, 2, check);
    };
    auto positive = [](double v) {
        return std::string(v > 0.0 ? "" : "  ** Cell sides must be positive - please try again **");
    };
    // A minimum side checked against its maximum.
    auto below = [](char name, double max) {
        return [name, max](double v) {
            return v > 0.0 && v <= max ? std::string()
                                       : std::string("  ** ") + name + "min should lie between 0 and " +
                                             name + "max (" + console::compact_real(max) + ") **";
        };
    };
    const double amax = side("Max a to start scan", side_of(qa.min), positive);
    const double amin = side("Min a to end scan  ", side_of(qa.max), below('a', amax));
    const double bmax = side("Max b to start scan", side_of(qb.min), [&](double v) {
        if (!(v > 0.0))
            return positive(v);
        return v <= amax ? std::string()
                         : "  ** bmax should not be larger than amax (" + console::compact_real(amax) +
                               ") **";
    });
    const double bmin = side("Min b to end scan  ", side_of(qb.max), below('b', bmax));
    ss.min1 = amin;
    ss.max1 = amax;
    ss.min2 = bmin;
    ss.max2 = bmax;
    ss.step1 = ss.step2 = 0.05;
}

// The rectangular zones' ranges over Q(A) and Q(B).
void q_ranges(control::Session& s, ScanSettings& ss, QRange qa, QRange qb)
{
    console::Console& con = s.con;
    auto asked = [&](const std::string &what, double def,
                     const std::function<std::string(double)> &check) {
        return ask_checked(con, "  " + what + " (default " + console::compact_real(def) + "): ", def, 1,
                           check);
    };
    ss.min1 = asked("Min Q(A) to start scan", qa.min, [](double v) {
        return v > 0.0 ? "" : "  ** Q(A) must be positive - please try again **";
    });
    ss.max1 = asked("Max Q(A) to end scan", qa.max, [&](double v) {
        return v >= ss.min1 ? std::string()
                            : "  ** QAmax should not be less than QAmin (" + console::compact_real(ss.min1) +
                                  ") **";
    });
    ss.min2 = asked("Min Q(B) to start scan", qb.min, [&](double v) {
        return v >= ss.min1 ? std::string()
                            : "  ** QBmin should not be less than QAmin (" + console::compact_real(ss.min1) +
                                  ") **";
    });
    ss.max2 = asked("Max Q(B) to end scan", qb.max, [&](double v) {
        return v >= ss.min2 ? std::string()
                            : "  ** QBmax should not be less than QBmin (" + console::compact_real(ss.min2) +
                                  ") **";
    });
}

} // namespace

double ask_checked(console::Console& con, const std::string& prompt, double def, int decimals,
                   const std::function<std::string(double)>& check)
{
    for (;;) {
        const double v = console::ask_real(con, prompt, "", def, 1, decimals, "", "").value;
        con.endl();
        const std::string error = check(v);
        if (error.empty())
            return v;
        con.line(error);
    }
}

bool scan_opening(control::Session& s, const std::string& title, ScanSettings& ss)
{
    console::Console& con = s.con;
    if (!title.empty()) {
        con.endl();
        con.line(console::blanks(20) + title);
        con.endl();
    }
    if (s.ds.Nobs == 0) {
        con.line("** No observed pattern present **");
        return false;
    }
    ss.nobsused = ask_lines(s);
    ss.mchar = console::select_fom(con, 'I', true)[0];
    con.endl();
    if (ss.mchar == 'P')
        ss.pmin = ask_checked(
            con, "  Enter Pmin for Pr (default " + real_text(pr_pmin_default, 8, 6) + "): ",
            pr_pmin_default, 6, [](double v) {
                return v > 0.0 && v < 1.0
                           ? ""
                           : "** Pmin must lie between 0 and 1 - please try again **";
            });
    return true;
}

// Function 1: the row scan over the default range.
void row_scan_dialogue(control::Session& s)
{
    ScanSettings ss;
    ss.kind = ScanKind::row;
    if (!scan_opening(s, "Ab initio row scan for Q(A)", ss))
        return;
    scan_options(s, ss);
    const QRange q = row_scan_range(s.ds.OQ[1], s.ds.OQ[s.ds.Nobs]);
    ss.min1 = q.min;
    ss.max1 = q.max;
    ss.step1 = 0.2;
    row_scan(s, ss);
}

// Function 2: Q(A) and the zero correction.
void z2th_scan_dialogue(control::Session& s)
{
    ScanSettings ss;
    ss.kind = ScanKind::z2th;
    if (!scan_opening(s, "Ab initio 2-dimensional scan of Q(A) and Z2Theta/Tcor", ss))
        return;
    scan_options(s, ss);
    ss.step1 = 0.4;
    q_range(s, ss, z2th_scan_range(s.ds.OQ[1], s.ds.OQ[ss.nobsused]));
    second_range(s, ss, -0.1, 0.1, 0.005, -dataset::max_zero, dataset::max_zero);
    zone_scan(s, ss);
}

// Functions 3 (the three-row peak search) and 17 (the running candidate).
void rect_scan_dialogue(control::Session& s, bool row_buffer)
{
    ScanSettings ss;
    ss.kind = ScanKind::rect;
    ss.row_buffer = row_buffer;
    if (!scan_opening(
            s, "Ab initio 2-dimensional scan of a & b, or Q(A) & Q(B), for recangular zones", ss))
        return;
    scan_options(s, ss);
    const QRange qa = gamma_scan_range(s.ds.OQ[1], s.ds.OQ[ss.nobsused]);
    const QRange qb = qb_scan_range(s.ds.OQ[1], s.ds.OQ[ss.nobsused]);
    ss.min2 = qb.min;
    ss.max2 = qb.max;
    ss.step1 = ss.step2 = 0.2;
    if (state_q_range(s, ss, qa)) {
        ss.direct = console::ask_yes(
            s.con, "Search direct-cell constants a & b [not Q(A) & Q(B)] (Y/N, default N)? ",
            false);
        if (ss.direct)
            direct_ranges(s, ss, qa, qb);
        else
            q_ranges(s, ss, qa, qb);
    }
    zone_scan(s, ss);
}

// Function 4: rhombic zones, Q(A) = Q(B), over Q(A) and gamma*.
void gamma_scan_dialogue(control::Session& s)
{
    ScanSettings ss;
    ss.kind = ScanKind::gamma;
    if (!scan_opening(s, "Ab initio 2-dim scan of Q(A) & gamma* for diagonals of rectangular zones",
                      ss))
        return;
    scan_options(s, ss);
    ss.step1 = 0.2;
    q_range(s, ss, gamma_scan_range(s.ds.OQ[1], s.ds.OQ[ss.nobsused]));
    second_range(s, ss, 30.0, 90.0, 1.0, 1.0, 179.0);
    zone_scan(s, ss);
}

} // namespace rivi
