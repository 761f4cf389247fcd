// The FM report: Ir, Pr and M1 of the stored calculated pattern against all
// observed lines, with Pmin 0.0001 and the consistency check off.
#include "rivi/fm_report.hpp"

#include <string>
#include <utility>

#include "console/console.hpp"
#include "console/format.hpp"
#include "control/session.hpp"
#include "rivi/trial_rules.hpp"

namespace rivi {

void fm_report(control::Session& s)
{
    FomState& f = s.maps.fom;
    dataset::Dataset& ds = s.ds;
    console::Console& con = s.con;
    const double saved_Pmin = f.Pmin;
    f.Pmin = 0.0001;
    if (f.Nobsused < 1 || f.Nobsused > ds.Nobs)
        f.Nobsused = ds.Nobs;
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.included[i] = true;
    f.mNobs = f.Nobsused;
    compute_zones(f.zones, ds.OQ.data(), f.Nobsused);
    if (f.Nobsused >= 1)
        f.Qmax = ds.OQ[f.Nobsused] + 50.0;

    con.endl();
    con.line("Calculate all 3 FM (Ir, Pr, M1) using current obslist and calclist");
    con.endl();
    con.line(console::int_text(ds.Nobs, 3) + " observed lines");
    con.line(console::int_text(ds.Ncalc, 3) + " calculated lines");
    if (ds.Nobs < 1 || ds.Ncalc < 1) {
        con.endl();
        if (ds.Nobs < 1)
            con.line("** No observed pattern present **");
        if (ds.Ncalc < 1)
            con.line("** No calculated pattern present **");
        con.endl();
        con.line("This function requires both observed and calculated patterns to be present");
        f.Pmin = saved_Pmin;  // a refused report leaves the settings as they were
        return;
    }
    con.line("These FM will only be meaningful if the pre-stored calculated pattern was");
    con.line("based on index limits and a Qmax value that would include all observed lines");
    con.endl();

    f.check = false;
    f.Pthresh = 0.25;
    const std::pair<char, const char*> figures[] = {{'I', "  Ir = "}, {'P', "  Pr = "}, {'M', "  M1 = "}};
    for (const auto& [mode, label] : figures) {
        const double value = fm_compare(ds.OQ.data(), f.zones, ds.included.data(), ds.CQ.data(),
                                        ds.Ncalc, rules_of(f, mode), f.mNobscount);
        con.line(label + console::real_text(value, 7, 3));
    }
    if (f.mNobscount < f.Nobsused) {
        con.endl();
        con.line("** Based on only " + std::to_string(f.mNobscount) + " out of the " +
                 std::to_string(f.Nobsused) + " observed lines");
    }
    f.check = true;
    f.Pmin = saved_Pmin;
}

} // namespace rivi
