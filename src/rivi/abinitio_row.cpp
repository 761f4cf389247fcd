// The row scan of Q(A): single rows of lines h00 tried against the observed
// lines, the peaks entered by the running-candidate rule, refined on Q(A)
// and cleared of duplicates.
#include <memory>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "control/session.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/peak_search.hpp"

namespace rivi {

namespace {

struct RowBuffers {
    ScanAxis axis;
    std::array<double, max_scan_steps + 1> zeros{};
    std::array<double, max_scan_steps + 1> values{};
};

} // namespace

void write_axis_cut(console::Console& con, const std::string& name, const ScanAxis& a)
{
    if (a.cut)
        con.line("** Exceeds limit of " + std::to_string(max_scan_steps) + " " + name +
                 " steps:  scan-maximum reduced to " + console::real_text(a.v[a.n], 0, 4));
}

void row_scan(control::Session& s, const ScanSettings& ss)
{
    console::Console& con = s.con;
    ScanSetup setup(s, ss);
    const ScanReport r(s, ss);
    auto b = std::make_unique<RowBuffers>();
    ScanAxis& axis = b->axis;

    con.endl();
    std::string range = "Row scan in Q(A) from " + console::compact_real(ss.min1) + " to " +
                        console::compact_real(ss.max1) + " QU.";
    if (ss.dynamic) {
        dynamic_axis(axis, ss.min1, ss.max1, q_steps);
        con.line(range + " in dynamic steps [" + console::compact_real(dynamic_step(ss.min1, q_steps)) +
                 " to " + console::compact_real(dynamic_step(ss.max1, q_steps)) + "]");
        write_axis_cut(con, "Q(A)", axis);
    } else {
        fixed_axis(axis, ss.min1, ss.max1, ss.step1);
        con.line(range + " in steps of " + console::compact_real(ss.step1));
        write_axis_cut(con, "Q(A)", axis);
        con.line("No. of trials = " + std::to_string(axis.n));
    }
    con.line("Using " + r.fom + " as figure of merit (threshold " + console::compact_real(ss.threshold) +
             " for inclusion in peaks list)");

    ScanTrials trials(s, ss);
    trials.run(&axis.v[1], &b->zeros[1], axis.n, &b->values[1]);
    PeakList& list = s.maps.results.list;
    RunningPeak rule(ss.threshold);
    double best = 0.0, best_x = 0.0;
    for (int i = 1; i <= axis.n; ++i) {
        const double v = b->values[i];
        if (v > best) {
            best = v;
            best_x = axis.v[i];
        }
        rule.feed(list, axis.v[i], 0.0, v);
    }

    if (!raw_peaks(r, "Q(A) row", best, console::real_text(best_x, 0, 4)))
        return;
    first_refinement(r, trials, RefinePass::q_only, "Q(A) only");
}

} // namespace rivi
