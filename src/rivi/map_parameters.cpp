// The map's figure of merit and the parameters of its trials: data source and
// Pmin, zero-level suppression, the lines in use, the display scale, the
// minimum angle and the largest volume.
#include <algorithm>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "rivi/map_run.hpp"
#include "rivi/trial.hpp"

namespace rivi {

namespace {

constexpr int fewest_lines = 2;
constexpr double smallest_vmax = 200.0;
constexpr double suggested_pmin_limit = 0.01;

bool probability_map(const Dialogue& d)
{
    const char m = d.s.maps.fom.Mchar;
    return m == 'P' || m == 'I';
}

} // namespace

double pmin_for(char data_source)
{
    switch (data_source) {
    case 'S': return 0.00001;
    case 'A': return 0.001;
    default: return 0.0001;
    }
}

void choose_fom(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    f.Mchar = 'M';
    if (d.kind != "H" || s.maps.settings.scan == 'S')
        return;
    con.endl();
    con.line("Map selection options:");
    con.line("  I = an I-map using an estimator Ir of the degree of indexing");
    con.line("      (based on the sum of (1-Pr) probabilities, thus giving");
    con.line("      the effective [non-integer] number of lines indexed).");
    con.line("      Sometimes clearer if zero-level lines are excluded.");
    con.line("  P = a P-map using the probability-based figure of merit Pr");
    con.line("      (an exponentially-smoothed and mathematically well-behaved");
    con.line("      successor to the Ishida & Watanabe (1982) PM criterion).");
    con.line("  M = an M-map using figure of merit M1 (similar to M20), as for Rivi.");
    f.Mchar = console::ask_code(
        con, "  I-map, P-map (using 2004 formula) or M-map (I/P/M, default=P)? ", "IPM", "P",
        "P (default)")[0];
    con.endl();
}

void ask_data_source(Dialogue& d)
{
    if (!probability_map(d))
        return;
    control::Session& s = d.s;
    console::Console& con = s.con;
    con.endl();
    con.line("In order to set the sensitivity of the " + fom_name(s.maps.fom.Mchar) +
             " scan, it is helpful to have an");
    con.line("approximate estimate of the general resolution and *accuracy* of your dataset,");
    con.line("based on the following categories:");
    con.line("  S) Synchrotron data (accuracy and line-width < 0.005 deg 2Theta)");
    con.line("  G) Good laboratory data (accuracy and line-width < 0.01 deg 2Theta)");
    con.line("  A) Average laboratory data (accuracy and line-width c.0.02 deg 2Theta)");
    const char source =
        console::ask_code(con, "Please select S/G/A (default=G): ", "SGA", "G", "(Good)")[0];
    con.endl();
    s.maps.settings.data_source = source;
    s.maps.fom.Pmin = pmin_for(source);
}

void ask_use_defaults(Dialogue& d)
{
    control::Session& s = d.s;
    MapSettings& ms = s.maps.settings;
    ms.all_defaults = true;
    if (ms.scan == 'F')
        return;
    console::Console& con = s.con;
    con.endl();
    con.line("If you are a non-specialist user, or this is the first run for a new dataset");
    con.line("or trial cell, you can now choose to accept default values for the more");
    con.line("specialised of the remaining parameters (if this does not produce the desired");
    con.line("result, you can always try varying them later).");
    ms.all_defaults = console::ask_yes(con, "Do you want to use these default values (Y/N, default=Y): ", true);
}

void ask_standard_parameters(Dialogue& d)
{
    control::Session& s = d.s;
    if (s.maps.settings.all_defaults || !probability_map(d))
        return;
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    const std::string name = fom_name(f.Mchar);
    con.endl();
    con.line("Do you want to use the standard parameters for calculating " + name + "?");
    if (console::ask_yes(con, "  Accept them (Y/N, default=Y): ", true))
        return;
    const double def = pmin_for(s.maps.settings.data_source);
    con.line("Pr (and Ir) use a lower bound Pmin for the probability assigned to");
    con.line("any one observed line being matched by chance, so that a single very close");
    con.line("match cannot dominate the figure of merit.  Since the larger bound of the");
    con.line("original Ishida & Watanabe criterion is");
    con.line("unrepresentative of modern high-resolution data, the current default is");
    con.line(console::compact_real(def) + ", to clarify the map and reject impurity lines better.");
    con.line("Pmin must be greater than zero, but preferably not greater than 0.01.");
    for (;;) {
        const double pmin =
            console::ask_real(con,
                              "  Value of Pmin to be used for this map (default=" +
                                  console::compact_real(def) + "): ",
                              "", def, 8, 6, "", "DEF")
                .value;
        con.endl();
        if (pmin > 0.0) {
            if (pmin > suggested_pmin_limit)
                con.line("  ** Warning: user-specified Pmin above suggested limit **");
            f.Pmin = pmin;
            return;
        }
    }
}

void ask_zero_level(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    // Only a basal zone of the stored cell is chosen; other basis sets are
    // hk0 zones.
    const bool chosen = s.maps.settings.source == BasisSource::zone;
    const char zone = chosen ? f.section : 'C';
    const std::string indices = zone_indices(zone);
    const bool def = !s.run.topography;
    con.endl();
    con.line("Heuristic maps may become clearer if zero-level lines are suppressed");
    con.line(chosen ? "(only meaningful if relative to the chosen " + indices + " basal zone)"
                    : std::string("(only meaningful if relative to this hk0 basis zone)"));
    f.zero_level = console::ask_yes(con,
                       "  Suppress zero-level " + indices + " lines (Y/N, default=" +
                           (def ? "Y" : "N") + "): ",
                       def);
    f.zone_letter = f.zero_level ? zone : 'N';
    if (!f.zero_level)
        return;
    con.line("Qobs-Qcalc limit (in QU.) to be used to decide whether an observed");
    con.line("line can be explained as belonging to the relevant zero level?");
    f.Qdiflim = console::ask_real(con, "  Qobs-Qcalc limit: (default=" + console::compact_real(3.0) + "): ",
                                  "", 3.0, 3, 1, " QU.", "DEF")
                    .value;
    con.endl();
}

void ask_line_count(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    const int nobs = s.ds.Nobs;
    const int def = f.zero_level ? nobs : std::min(20, nobs);
    const std::string range = std::to_string(fewest_lines) + " and all " + std::to_string(nobs);
    con.endl();
    con.line("How many observed lines are to be used?");
    con.line("(between the first " + range + ")");
    for (;;) {
        const int n = console::ask_int(con,
                                       "  Number of obs lines to be used (default=" +
                                           std::to_string(def) + "): ",
                                       "", def, 1, "", "")
                          .value;
        con.endl();
        if (n >= fewest_lines && n <= nobs) {
            f.Nobsused = n;
            f.mNobs = n;
            return;
        }
        con.line("** Must be in the range " + std::to_string(fewest_lines) + " to " +
                 std::to_string(nobs) + " - please try again **");
    }
}

bool zero_level_pass(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    for (;;) {
        if (!f.zero_level) {
            f.mNobs = f.Nobsused;
            return true;
        }
        const int left = mark_zero_level(s, s.maps.settings.basis, f.zone_letter);
        if (left > 0) {
            f.mNobs = left;
            con.line("  (of which " + std::to_string(left) + " have been flagged as non-zero-level)");
            return true;
        }
        if (f.Nobsused >= s.ds.Nobs) {
            con.line("** No non-zero-level lines found among the " + std::to_string(s.ds.Nobs) +
                     " observed **");
            con.line("** Please try again, perhaps using a smaller Qobs-Qcalc limit");
            con.endl();
            return false;
        }
        con.line("** No non-zero-level lines found among the first " + std::to_string(f.Nobsused) +
                 " **");
        con.line("** Please try again, including more obs lines or using a smaller limit");
        con.endl();
        ask_line_count(d);
    }
}

void ask_scale(Dialogue& d)
{
    control::Session& s = d.s;
    MapSettings& ms = s.maps.settings;
    if (!ms.display || ms.scan == 'S')
        return;
    console::Console& con = s.con;
    const char letter = s.maps.fom.Mchar;
    con.endl();
    con.line("If values of " + fom_name(letter) +
             " in the map are too low (or too high) for peaks to be shown");
    con.line("clearly, they can be scaled up (or down) by a scalefactor (currently " +
             console::real_text(ms.Mscale, 4, 2) + ").");
    for (;;) {
        const double scale = console::ask_real(con,
                                               std::string("  ") + letter +
                                                   "-scale to be used (default=1): ",
                                               "", 1.0, 4, 2, "", "DEF")
                                 .value;
        con.endl();
        // A scale of 0 or below would blank or garble every cell.
        if (scale > 0.0) {
            ms.Mscale = scale;
            return;
        }
    }
}

void ask_oblique_and_volume(Dialogue& d)
{
    control::Session& s = d.s;
    MapSettings& ms = s.maps.settings;
    if (ms.all_defaults)
        return;
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    con.endl();
    con.line("Unreasonably oblique cells (which also increase computation time) can be");
    if (ms.angle_mode) {
        con.line("avoided by not letting reciprocal cell angles (or their supplements) vary");
        con.line("below say 30 deg, and certainly not below 10 deg.  This should be taken");
        con.line("into account when setting scan limits");
    } else {
        con.line("avoided by rejecting reciprocal cell angles (or their supplements)");
        con.line("below a specified minimum (between 10 to 80 deg, default 30 deg)");
        con.line("[cells rejected due to oblique angles return zero and are plotted as \"a\"]");
        ask_minimum_angle(d);
    }
    con.endl();
    con.line("Similarly, trial cells with high-volume, usually near the outer limits");
    con.line("of the scan, also increase computation time and may generate more");
    con.line("calculated lines than can be processed in the storage allocated.");
    con.line("This can be prevented by setting a maximum volume Vmax (Vmax > 200 A(3))");
    con.line("[cells with high/zero/imaginary volume return zero and are plotted as \"v\"]");
    for (;;) {
        const double vmax = console::ask_real(con, "  Vmax for trial cells (default=6000 A(3)): ",
                                              "", 6000.0, 4, 0, " A(3)", "DEF")
                                .value;
        con.endl();
        if (vmax >= smallest_vmax) {
            f.Vmax = vmax;
            ms.vmax_default = vmax == 6000.0;
            return;
        }
        con.line("  ** Out of range **");
    }
}

} // namespace rivi
