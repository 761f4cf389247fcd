// Parabolic refinement: P_shift, P_ref_cycle and P_ref_HM.
#include "rivi/refinement.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"
#include "rivi/trial.hpp"

namespace rivi {

namespace {

constexpr double max_steps = 2.0;          // largest parabolic shift, in steps
constexpr double cap_steps = 1.5;          // largest applied shift, in steps
constexpr double reversal_damping = 0.6;
constexpr double converged = 0.0001;       // QU.
constexpr int max_cycles = 20;

std::string num(double x) { return console::default_real_text(x); }

ParabolicShift to_better(double f_first, double s_first, double f_second,
                         double s_second)
{
    // Ties take the first named point.
    return f_first >= f_second ? ParabolicShift{s_first, -1, f_first}
                               : ParabolicShift{s_second, -1, f_second};
}

} // namespace

ParabolicShift P_shift(console::Console& con, bool require_positive, double fm, double f0,
                       double fp, double d, double limit)
{
    ParabolicShift r;
    const char* which = "pre_set";
    if (require_positive && (fm <= 0.0 || f0 <= 0.0 || fp <= 0.0)) {
        which = "rej_npos";
        if (fm > 0.0 && f0 > 0.0)
            r = to_better(f0, 0.0, fm, -d);
        else if (fm > 0.0)
            r = to_better(fp, d, fm, -d);
        else
            r = to_better(fp, d, f0, 0.0);
    } else {
        const double A = fm - f0, B = fp - f0;
        if ((A + B) * d < 0.0) {
            // The vertex of the parabola through the three points.
            double s = d * (A - B) / (2.0 * (A + B));
            const double c = s >= 0.0 ? A / ((2.0 * s + d) * d) : B / ((d - 2.0 * s) * d);
            r.predicted = f0 - c * s * s;
            r.status = 1;
            if (std::fabs(s / d) > limit) {
                s = (s > 0.0 ? 1.0 : -1.0) * limit * d;
                r.status = 0;
            }
            r.shift = s;
        } else {
            r.shift = fm > fp ? -d : (fp > fm ? d : 0.0);
            r.status = -1;
        }
        if (r.status < 1)
            r.predicted = fm == fp ? f0 : std::max(fm, fp);
    }
    if (r.predicted <= 0.0)
        con.line(std::string("** P_shift (") + which + "):  fmax =" + num(r.predicted) +
                 ", stat=" + std::to_string(r.status) + ", fn =" + num(fm) + ", f0 =" + num(f0) +
                 ", fp =" + num(fp) + ", d = " + num(d));
    return r;
}

double P_ref_cycle(console::Console& con, const MeritAt& merit, RefinedParameter& p, double d,
                   RefinementRun& run)
{
    const double q = p.q;
    const double f0 = run.f_best;
    if (f0 <= 0.0) {
        std::string values;
        for (int i = 1; run.constants != nullptr && i <= 6; ++i)
            values += (i > 1 ? "," : "") + num((*run.constants)[i]);
        con.line("** P_ref_cyc: f0=" + num(f0) + ", Q1to6=" + values);
        console::pause(con);
    }
    const double fm = merit(q - d);
    const double fp = merit(q + d);
    const ParabolicShift ps = P_shift(con, true, fm, f0, fp, d, max_steps);
    const double s = ps.shift;

    double damping = 1.0;
    if (s * p.last_shift >= 0.0) {
        if (s == 0.0)
            ++run.null;
        else
            ++run.same;
    } else {
        ++run.reversed;
        damping = reversal_damping;
    }
    double applied = damping * s;
    if (std::fabs(applied) > cap_steps * d)
        applied = (s > 0.0 ? 1.0 : -1.0) * cap_steps * d;
    double q_new = q + applied;
    run.largest_shift = std::max(run.largest_shift, std::fabs(applied));

    double f_new = merit(q_new);
    // A right angle inside the bracket is worth a look of its own.
    if (q - d <= 0.0 && 0.0 <= q + d && q_new != 0.0) {
        const double f_right = merit(0.0);
        if (f_right > f_new) {
            q_new = 0.0;
            f_new = f_right;
        }
    }
    if (f0 > f_new) {
        q_new = q;
        f_new = f0;
    }
    run.f_best = f_new;
    p.q = q_new;
    p.last_shift = s;
    if (f_new <= 0.0) {
        con.line("** P_ref_cycle:  fnew = " + num(f_new) + ", fmax = " + num(ps.predicted));
        console::pause(con);
    }
    return s;
}

int refine_pair(console::Console& con, const MeritAt& merit_x, const MeritAt& merit_y,
                RefinedParameter& px, RefinedParameter& py, double dx, double dy, bool both,
                RefinementRun& run, const std::function<void()>& moved)
{
    auto cycle = [&](const MeritAt& merit, RefinedParameter& p, double& d) {
        const double shift = P_ref_cycle(con, merit, p, d, run);
        moved();
        if (std::fabs(shift) < d / 2.0)
            d = 2.0 * std::fabs(shift);
    };
    int cycles = 0;
    do {
        run.largest_shift = 0.0;
        cycle(merit_x, px, dx);
        if (both)
            cycle(merit_y, py, dy);
        ++cycles;
    } while (run.largest_shift > converged && cycles < max_cycles);
    return cycles;
}

double P_ref_HM(control::Session& s, double& x, double& y, double dx, double dy)
{
    const char section = s.maps.fom.section;
    const int xc = x_constant(section), yc = y_constant(section);
    Q6 trial = trial_at(s, x, y);
    RefinementRun run;
    run.constants = &trial;
    run.f_best = calcm(s, trial);

    RefinedParameter px{trial[xc], 0.0}, py{trial[yc], 0.0};
    auto along = [&](int constant) {
        return [&s, &trial, constant](double v) {
            Q6 t = trial;
            t[constant] = v;
            return calcm(s, t);
        };
    };
    const int cycles = refine_pair(s.con, along(xc), along(yc), px, py, dx, dy, true, run, [&] {
        trial[xc] = px.q;
        trial[yc] = py.q;
    });
    RefinementCounters& counters = s.maps.results.refinement;

    counters.cycles += cycles;
    counters.same += run.same;
    counters.reversed += run.reversed;
    counters.null += run.null;
    if (run.f_best <= 0.0) {
        s.con.line("** P_ref_HM:  fmax =" + num(run.f_best));
        console::pause(s.con);
    }
    x = to_display(s, xc, px.q);
    y = to_display(s, yc, py.q);
    return run.f_best;
}

} // namespace rivi
