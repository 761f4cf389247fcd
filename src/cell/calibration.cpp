// Least-squares calibration of the observed 2Theta scale from the
// differences found by the comparison listing: d2Th = a + b * 2Theta calc,
// so that 2Theta(corr) = k * 2Theta(obs) + dZ2Th with k = 1/(1-b), dZ2Th = k*a.
#include <cmath>
#include <memory>
#include <string>

#include "cell/compare.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"

namespace cell {

using console::int_text;
using console::real_text;

namespace {

struct LineFit {
    int n = 0;
    double covariance = 0, rho = 0, b = 0, a = 0, k = 1, dz = 0;
    double s2 = 0, var_b = 0, var_a = 0, var_k = 0, var_dz = 0;  // n >= 3 only
};

// Fit of y = d2Th against x = 2Theta calc over the included lines among the
// first `lines`; the warnings of degenerate data go to `out` as they arise.
LineFit fit_line(const control::Session& s, console::Sink& out, const Comparison& c, int lines)
{
    const dataset::Dataset& ds = s.ds;
    LineFit f;
    double sx = 0, sy = 0;
    for (int i = 1; i <= lines; ++i) {
        if (!ds.included[i])
            continue;
        ++f.n;
        sx += c.tth_calc[i];
        sy += c.d2th[i];
    }
    const double xbar = sx / f.n, ybar = sy / f.n;
    double sxx = 1e-20, syy = 0, sxy = 0;  // Sxx never 0, so the slope exists
    for (int i = 1; i <= lines; ++i) {
        if (!ds.included[i])
            continue;
        const double dx = c.tth_calc[i] - xbar, dy = c.d2th[i] - ybar;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    }
    if (f.n == 1) {
        out.line("** Zero df: covariance forced to zero to avoid singularity **");
        f.covariance = 0;
    } else {
        f.covariance = sxy / (f.n - 1);
    }
    double product = sxx * syy;
    if (product < 0) {
        out.line("** dxsqsum*dysqsum negative: set to zero **");
        product = 0;
    }
    const double root = std::sqrt(product);
    if (root == 0) {
        out.line("** Zero denominator: rho forced to 1.0 to avoid singularity **");
        f.rho = 1.0;
    } else {
        f.rho = sxy / root;
    }
    f.b = sxy / sxx;
    f.a = ybar - f.b * xbar;
    f.k = 1.0 / (1.0 - f.b);
    f.dz = f.k * f.a;

    if (f.n >= 3) {
        double residuals = 0;
        for (int i = 1; i <= lines; ++i) {
            if (!ds.included[i])
                continue;
            const double r = c.d2th[i] - f.a - f.b * c.tth_calc[i];
            residuals += r * r;
        }
        f.s2 = residuals / (f.n - 2);
        f.var_b = f.s2 / sxx;
        f.var_a = f.s2 * (1.0 / f.n + xbar * xbar / sxx);
        f.var_k = std::pow(f.k, 4) * f.var_b;
        f.var_dz = f.k * f.k * (f.var_a + f.dz * f.dz * f.var_b);
    }
    return f;
}

void title_block(console::Sink& out)
{
    out.line("Calibration Eqn by Linear Least-Squares Fit to 2Thcalc-2Thobs Data");
    out.line(std::string(66, '-'));
    out.line("(including estimated standard deviations)");
    out.endl();
    out.line("Calculations assume that 2Thcalc is known exactly,");
    out.line("while 2Thobs is subject to random variation.");
    out.line("Zero correction obtained is additional to any existing Z2Th.");
    out.endl();
    out.line("(Internally, the fit is to d2Th, defined as 2Thcalc-2Thobs.)");
    out.endl();
}

// The screen question for the number of lines; 0 when the user exits.
int lines_to_use(console::Console& con, int compared)
{
    con.line("How many of the " + std::to_string(compared) + " obs lines compared are to be used?");
    con.line("  (A=all, Exit without doing lsfit if <3)");
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        const std::string reply =
            console::read_normalised_reply(con, "  Number of lines to be used (default=exit): ");
        if (reply.empty()) {
            con.put("(Exit)");
            con.endl();
            return 0;
        }
        if (reply[0] == 'A') {
            con.put(" (Use all " + std::to_string(compared) + ")");
            return compared;
        }
        int n = 0;
        if (!console::parse_int(reply, n))
            continue;
        if (n < 3) {
            con.line("  ** Exit **");
            return 0;
        }
        if (n > compared) {
            con.endl();
            con.line("** Reset to Nobscomp = " + std::to_string(compared) + " **");
            return compared;
        }
        con.endl();
        return n;
    }
}

void fit_table(control::Session& s, console::Sink& out, bool screen, const Comparison& c, int lines)
{
    const dataset::Dataset& ds = s.ds;
    out.endl();
    out.line(" No.       2Thcalc       2Thobs        d2Th [i.e. 2Thcalc-2Thobs]");
    out.endl();
    std::unique_ptr<console::Pager> pager;
    if (screen)
        pager = std::make_unique<console::Pager>(s.con, 0);
    for (int i = 1; i <= lines; ++i) {
        if (pager)
            pager->before_line();
        const double tth_obs = ds.OT[i] + ds.Z2Th;
        if (ds.included[i])
            out.line(int_text(i, 3) + real_text(c.tth_calc[i], 16, 5) + real_text(tth_obs, 13, 5) +
                     real_text(c.d2th[i], 13, 5));
        else
            out.line(int_text(i, 3) + console::blanks(8) + " ------ " + real_text(tth_obs, 13, 5) +
                     console::blanks(6) + "(excl.)");
        if (pager)
            pager->after_line();
    }
}

void results(const control::Session& s, console::Sink& out, const LineFit& f)
{
    out.endl();
    out.line("Covariance of 2Theta diffs. =" + real_text(f.covariance, 10, 6) +
             "   (If abs(rho) > c.0.25, this suggests");
    out.line("Correlation Coefficient rho =" + real_text(f.rho, 10, 6) +
             "    a trend in d2Theta with 2Theta)");
    out.line("Calibration line parameters follow, for:");
    out.line("     2Theta(corr) = k*2Theta(calc) + dZ2Th (+ existing Z2Th =" +
             real_text(s.ds.Z2Th, 9, 6) + ")");
    out.line("Calibr.Factor k    = " + real_text(f.k, 9, 6));
    out.line("Zero Corrn. dZ2Th  = " + real_text(f.dz, 9, 6));
    if (f.n == 2) {
        out.line("Nobs=2, not enough degrees of freedom for esd calculations");
    } else if (f.n < 2) {
        out.line("Nobs<2, insufficient data to determine calibration line");
        out.line("At least 3 data pairs are required for LSCALIB to run");
        return;
    } else {
        out.endl();
        out.line("                     Variance        e.s.d.");
        auto row = [&](const char* label, double variance) {
            out.line(console::blanks(8) + label + real_text(variance, 10, 8) +
                     real_text(std::sqrt(variance), 10, 6));
        };
        row("2Theta(obs)", f.s2);
        row("Calibr.Factor k", f.var_k);
        row("Zero Corrn. dZ2Th", f.var_dz);
    }
    out.endl();
    out.line("        Summary (incl. any existing Z2Th)");
    const double z2th = f.dz + s.ds.Z2Th;
    if (f.n == 2) {
        out.line("k     = " + real_text(f.k, 9, 6));
        out.line("Z2Th  = " + real_text(z2th, 9, 6));
    } else {
        out.line("k    +- esd  = " + real_text(f.k, 9, 6) + " +-" +
                 real_text(std::sqrt(f.var_k), 9, 6));
        out.line("Z2Th +- esd  = " + real_text(z2th, 9, 6) + " +-" +
                 real_text(std::sqrt(f.var_dz), 9, 6));
    }
}

} // namespace

void calibration(control::Session& s, console::Sink& out, bool screen, const Comparison& c,
                 Calibration& cal)
{
    console::Console& con = s.con;
    const char* not_done = "Calibration by least-squares fit to 2Theta differences not carried out";
    if (c.included < 3) {
        if (screen)
            out.line(std::to_string(c.included) +
                     " observed line(s) remain after exclusions: linear recalibration not available");
        else
            out.line(not_done);
        return;
    }
    if (!screen && !cal.fitted) {
        out.line(not_done);
        return;
    }
    if (!screen)
        out.line("\f");
    title_block(out);
    if (screen) {
        cal.fitted = false;
        cal.apply = false;
        cal.lines = lines_to_use(con, c.last_compared);
        if (cal.lines == 0)
            return;
        cal.fitted = true;
    } else {
        out.line(std::string("Use ") + (cal.lines == c.last_compared ? "all " : "first ") +
                 std::to_string(cal.lines) + " of the available observed lines");
    }

    int n = 0;
    for (int i = 1; i <= cal.lines; ++i)
        n += s.ds.included[i] ? 1 : 0;
    if (n < 1) {
        out.line("** All the requested observed lines have been excluded **");
        return;
    }
    fit_table(s, out, screen, c, cal.lines);
    const LineFit f = fit_line(s, out, c, cal.lines);
    results(s, out, f);
    cal.k = f.k;
    cal.dz = f.dz;

    // Applying is offered only when the fit has degrees of freedom left.
    if (!screen || f.n < 3)
        return;
    con.endl();
    con.line("Do you want to transform the observed pattern using");
    const char answer =
        console::ask_char(con, "the above transformation (Y/N, default=N):  ", "YN", 'N', "(No)");
    con.endl();
    cal.apply = answer == 'Y';
    con.line(std::string(cal.apply ? "Applying" : "Don't apply") +
             " transformation from least-squares calibration");
}

} // namespace cell
