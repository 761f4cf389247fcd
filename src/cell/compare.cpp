// The comparison listing of CA: observed and calculated lines merged in
// order of Q, index assignment and exclusions, the running M1 and the
// summary of the fit.
#include "cell/compare.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"

namespace cell {

using console::int_text;
using console::real_text;

namespace {

constexpr double no_misfit_m1 = 9.999999e37;  // M1 while the misfit sum is still 0

// Counts listed rows on the screen and takes the page pause every 22.
class RowCounter {
public:
    RowCounter(console::Console& con, bool active, int start)
        : con_(con), active_(active), count_(start)
    {
        if (active_)
            console::pauses_on(con_);
    }
    ~RowCounter()
    {
        if (active_)
            console::pauses_restore(con_);
    }
    RowCounter(const RowCounter&) = delete;
    RowCounter& operator=(const RowCounter&) = delete;

    void row_written()
    {
        if (!active_)
            return;
        if (con_.pause_flag == 1)
            ++count_;
        if (count_ >= 22) {
            count_ = 0;
            console::page_pause_finish(con_);
        }
    }
    // After a listing: room for the lines that follow it.
    void finish(int lines)
    {
        if (!active_)
            return;
        count_ += lines;
        if (count_ >= 22)
            console::pause(con_);
    }

private:
    console::Console& con_;
    bool active_;
    int count_;
};

std::string stamp() { return console::date_stamp() + " " + console::time_stamp(); }

void listing_header(control::Session& s, console::Sink& out, bool screen, const Comparison& c)
{
    const bool intensities = s.ds.Iflag == 1;
    if (!screen) {
        out.line("Calculated pattern " + stamp());
        if (c.T != 0.0)
            out.line("Using trial specimen-displacement ratio T=-S/R of " + real_text(c.T, 9, 7));
        else
            out.line("No trial specimen-displacement correction applied");
        out.endl();
        if (c.mode == 'Q')
            out.line("Exclude lines with abs(dQ) > " + real_text(c.dQlim, 4, 2) + " QU.");
        else if (c.mode == 'T')
            out.line("Exclude lines with abs(d2Theta) > " + real_text(c.d2Tlim, 5, 3) + " deg");
        else
            out.line("All observed lines included");
    }
    out.endl();
    out.line("Obs  Calc" + console::blanks(intensities ? 25 : 18) + "Corr'd");
    out.line(std::string(" No.  No.    h...k...l    ") + (intensities ? "Int    " : "") +
             "2Theta   D2Th       Q       DQ        M1");
    out.lines(2);
}

void calculated_row(const dataset::Dataset& ds, console::Sink& out, int j)
{
    std::string row = int_text(j, 8) + int_text(ds.CH[j], 6) + int_text(ds.CK[j], 4) +
                      int_text(ds.CL[j], 4);
    if (ds.Iflag == 1)
        row += console::blanks(7);
    double tth = 0.0;
    if (dataset::two_theta_from_q(ds, ds.CQ[j], ds.Z2Th, tth))
        row += real_text(tth, 10, 3);
    else
        row += "      -   ";
    row += real_text(ds.CQ[j], 18, 3);
    out.line(row);
}

// Qobs and the 2Theta shown for an observed line, through the trial
// specimen displacement when one is set.
void observed_position(const dataset::Dataset& ds, int i, double T, double& qobs, double& shown)
{
    qobs = ds.OQ[i];
    shown = ds.OT[i];
    if (T == 0.0)
        return;
    const double theta = (ds.OT[i] + ds.Z2Th) / 2.0 / console::deg_per_rad;
    const double theta_d = theta - T * std::cos(theta);
    const double tth_d = 114.59155902 * theta_d;
    if (tth_d > 0.0 && tth_d < 180.0 && ds.K > 0.0) {
        shown = tth_d;
        const double sn = std::sin(theta_d);
        qobs = sn * sn / ds.K;
    } else {
        qobs = -ds.OQ[i];
    }
}

} // namespace

void comparison_listing(control::Session& s, console::Sink& out, bool screen, Comparison& c)
{
    dataset::Dataset& ds = s.ds;
    listing_header(s, out, screen, c);
    c.excluded = 0;
    c.included = 0;
    c.last_compared = 0;
    c.sum_d2th = 0.0;
    double sum_abs_dq = 0.0;

    // Calculated line 0: the sentinel at Q = 0 below every observed line.
    ds.CQ[0] = 0.0;
    ds.CH[0] = ds.CK[0] = ds.CL[0] = 0;

    RowCounter rows(s.con, screen, 4);
    // The calculated pattern is complete up to Qmax, so every observed line
    // up to there has a nearest calculated line, even one above the last.
    const double top = std::max(ds.Qmax, ds.Ncalc > 0 ? ds.CQ[ds.Ncalc] : 0.0);
    int printed = 0;  // calculated lines listed so far
    int i = 1;
    double qobs = 0.0, shown = 0.0;
    if (ds.Nobs >= 1)
        observed_position(ds, 1, c.T, qobs, shown);
    for (;;) {
        const bool observed_next = i <= ds.Nobs && qobs <= top;
        if (printed < ds.Ncalc && (!observed_next || ds.CQ[printed + 1] <= qobs)) {
            ++printed;
            calculated_row(ds, out, printed);
            rows.row_written();
            continue;
        }
        if (!observed_next)
            break;
        // Candidates: the last calculated line at or below Qobs (perhaps the
        // sentinel) and the next one; a tie goes to the upper. Above the last
        // line Qmax bounds the comparison as line Ncalc+1 would, but no line
        // lies there, so the last line is the nearest.
        int lower = printed;
        while (lower > 0 && ds.CQ[lower] > qobs)
            --lower;
        const int upper = lower + 1;
        const bool beyond = lower == ds.Ncalc;
        const double q_upper = beyond ? top : ds.CQ[upper];
        const int chosen =
            beyond || std::fabs(qobs - ds.CQ[lower]) < std::fabs(q_upper - qobs) ? lower : upper;
        const double dq = qobs - ds.CQ[chosen];
        double tthc = 0.0;
        double d2 = 0.0;
        if (dataset::two_theta_from_q(ds, ds.CQ[chosen], ds.Z2Th, tthc)) {
            d2 = shown - tthc;
            if (c.T != 0.0)
                d2 -= ds.Z2Th;
        } else {
            tthc = 0.0;  // beyond the wavelength limit: no angle to compare
        }
        c.tth_calc[i] = tthc;
        c.d2th[i] = -d2;

        bool excluded = false;
        if (c.mode == 'Q')
            excluded = std::fabs(dq) > c.dQlim;
        else if (c.mode == 'T')
            excluded = std::fabs(d2) > c.d2Tlim;
        ds.included[i] = !excluded;

        std::string row = int_text(i, 3) + console::blanks(7) + "(";
        double m1 = 0.0;
        if (excluded) {
            ++c.excluded;
            ds.OH[i] = ds.OK[i] = ds.OL[i] = 0;
            row += "  --------- )";
        } else {
            ++c.included;
            ds.OH[i] = ds.CH[chosen];
            ds.OK[i] = ds.CK[chosen];
            ds.OL[i] = ds.CL[chosen];
            c.sum_d2th += d2;
            sum_abs_dq += std::fabs(dq);
            // de Wolff M1 over the lines so far: Q of the upper candidate and
            // the number of calculated lines up to it.
            m1 = sum_abs_dq == 0.0 ? no_misfit_m1
                                   : (c.included * q_upper / (2.0 * upper)) / sum_abs_dq;
            row += int_text(ds.OH[i], 3) + int_text(ds.OK[i], 4) + int_text(ds.OL[i], 4) + " )";
        }
        if (ds.Iflag == 1)
            row += "  " + dataset::intensity_code_text(ds.icode[i]) + " ";
        row += real_text(shown, 8, 3) + real_text(d2, 7, 3) + real_text(qobs, 11, 3) +
               real_text(dq, 8, 3) + " ";
        if (excluded)
            row += "   (excl)";
        else if (m1 > 9999.9995)
            row += "   >10000";
        else
            row += real_text(m1, 9, 3);
        out.line(row);
        rows.row_written();

        c.last_compared = i;
        ++i;
        if (i <= ds.Nobs)
            observed_position(ds, i, c.T, qobs, shown);
    }
    // Lines above Qmax were not compared: whatever indices an earlier cell
    // gave them no longer hold.
    for (int k = c.last_compared + 1; k <= ds.Nobs; ++k)
        ds.OH[k] = ds.OK[k] = ds.OL[k] = 0;
    rows.finish(c.mode != 'N' ? 4 : 2);
}

void comparison_summary(console::Sink& out, const Comparison& c)
{
    out.endl();
    if (c.mode == 'Q' || c.mode == 'T') {
        std::string text = c.excluded == 0 ? "All " : "";
        text += std::to_string(c.included) + " observed lines indexed within ";
        text += c.mode == 'Q' ? real_text(c.dQlim, 4, 2) + " QU." : real_text(c.d2Tlim, 5, 3) + " deg";
        if (c.excluded > 0)
            text += " (" + std::to_string(c.excluded) + " lines excluded)";
        out.line(text);
        out.endl();
    }
    if (c.included > 0) {
        out.line("Mean d2Theta = " + real_text(c.sum_d2th / c.included, 8, 5) + " deg" +
                 (c.excluded > 0 ? " for the indexed lines" : "") + "  (i.e. mean 2Thobs-2Thcalc)");
    }
    if (c.included < 3) {
        out.endl();
        out.line("Too few indexed lines to attempt ls calibration");
    }
}

} // namespace cell
