// What LO says about a freshly loaded pattern: the few-lines warning and the
// rough ab initio cell-volume estimates with the rescale advice.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"

namespace dataset {

void few_lines_warning(control::Session& s)
{
    console::Console& con = s.con;
    const int n = s.ds.Nobs;
    con.endl();
    con.endl();
    con.line("** Only " + std::to_string(n) + " observed " + (n == 1 ? "line" : "lines") +
             " in this pattern **");
    con.endl();
    con.line("Many indexing programs will not accept patterns with less than 20 lines.");
    con.line("Consider using the EP command to extend this pattern to 20 lines by adding");
    con.line("higher orders (after first performing any necessary recalibrations, etc.)");
    con.endl();
}

namespace {

// Two of the first three lines taken as axial second orders (200, 020, 001).
double raw_volume(const Dataset& ds)
{
    const int n = ds.Nobs < 3 ? ds.Nobs : 3;
    double d[4] = {0, 0, 0, 0};
    for (int i = 1; i <= n; ++i) {
        if (!(ds.OQ[i] > 0.0))
            return 0.0;  // a line without Q gives no estimate
        d[i] = 1.0 / std::sqrt(ds.OQ[i] / 10000.0);
    }
    switch (n) {
    case 1: return 4.0 * d[1] * d[1] * d[1];
    case 2: return 4.0 * d[2] * d[2] * d[1];
    case 3: return 4.0 * d[1] * d[2] * d[3];
    default: return 0.0;
    }
}

// Rounded to 10 below 150, to 100 below 1500, to 1000 below 15000, ...
double rounded_volume(double v)
{
    if (!std::isfinite(v) || v <= 0.0)
        return 0.0;
    double step = 5.0;
    while (!(30.0 * step > v))
        step *= 10.0;
    double r = 2.0 * step;
    return r * std::round(v / r);
}

} // namespace

void volume_estimates(control::Session& s)
{
    console::Console& con = s.con;
    double v = rounded_volume(raw_volume(s.ds));
    double vo = v < 40.0 ? 40.0 : v;
    double vm = vo / 2.0 < 40.0 ? 40.0 : vo / 2.0;
    double vt = vo / 4.0 < 40.0 ? 40.0 : vo / 4.0;
    con.line("Ab initio cell volume estimates for this dataset in A(3):");
    con.line("  if orthorhombic " + console::real_text(vo, 1, 0) + "    if monoclinic " +
             console::real_text(vm, 1, 0) + "    if triclinic " + console::real_text(vt, 1, 0));
    con.endl();
    con.line("These are very rough estimates obtained in the orthorhombic case by treating");
    con.line("2 of the first 3 observed lines as axial 2nd-orders (200, 020, 001), revised");
    con.line("appropriately for the lower-symmetry systems (with a lower limit of 40 A(3)).");
    con.line("They will tend to be overestimates if those lines were not 2nd-order or some");
    con.line("axes are much shorter than others, but underestimated if some of the low-angle");
    con.line("lines have been omitted.  They should thus be treated with caution");

    double limit = 0.0, factor = 1.0;
    if (vo > 100000.0) {
        limit = 100000.0;
        factor = 0.1;
    } else if (vo > 12000.0) {
        limit = 12000.0;
        factor = 0.2;
    } else if (vo > 5000.0) {
        limit = 5000.0;
        factor = 0.5;
    }
    if (factor >= 1.0)
        return;
    con.endl();
    con.endl();
    con.line("** Estimated cell volume > " + console::real_text(limit, 1, 0) + " A(3) **");
    con.endl();
    con.line("Many of the indexing programs have implicitly been optimised for cell");
    con.line("volumes below 4000 A(3), and so may not perform well on this dataset, or");
    con.line("reject it as pathological.  Consider using the RS (Rescale) command to");
    con.line("scale down these data to become closer to the volume range in which indexing");
    con.line("programs perform best, as a temporary measure during the indexing process");
    con.line("(the UNSCALE program can be used to restore the original metrics to the");
    con.line("summary-file solutions after a satisfactory unit cell has been found)");
    con.endl();
    con.line("** A suggested value for the rescale-factor is " + console::real_text(factor, 3, 1) + " **");
}

} // namespace dataset
