// A whole map run: header, scan, and the peak driver after it (mean level,
// tables, promise test, refinement, duplicates, best peaks and adoption).
#include <string>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"
#include "rivi/peak_search.hpp"
#include "rivi/refinement.hpp"

namespace rivi {

namespace {

using console::real_text;

constexpr double probably_90 = 0.5;  // QU.

double mean_level(const MapStatistics& st)
{
    return st.count == 0 ? 0.0 : st.sum / static_cast<double>(st.count);
}

bool promising(const control::Session& s, double best, double ratio)
{
    switch (s.maps.fom.Mchar) {
    case 'I': return (best >= 2.0 && ratio >= 1.5) || best >= s.maps.fom.Nobsused / 2.0;
    case 'P': return best >= 0.5 && ratio >= 1.5;
    default: return best >= 5.0 && ratio >= 1.5;
    }
}

void not_promising(control::Session& s, const std::string& name, double best, double ratio)
{
    console::Console& con = s.con;
    con.line("The best raw figure of merit " + name + " found was only " + real_text(best, 5, 3) +
             " (i.e. " + real_text(ratio, 5, 3) + " times");
    con.line("the mean level) so it is unlikely that these peaks will yield a valid solution");
    con.line("after refinement.");
    if (s.maps.settings.scan != 'F') {
        con.line("  It's possible that good solutions exist beyond this quick");
        con.line("scan which could be found by using a full scan, but it's also possible that");
        con.line("changes will need to be made to the basis set, data or search parameters");
        con.line("before any good solutions can be found.");
    }
    con.endl();
}

void refine_peaks(control::Session& s, const std::string& name)
{
    console::Console& con = s.con;
    MapResults& res = s.maps.results;
    con.endl();
    con.line("The peaks found will now be refined - please wait");
    con.endl();
    res.refinement = RefinementCounters{};
    const long long trials_before = s.maps.fom.trials;
    const double start = console::seconds_of_day();
    for (int i = 1; i <= res.list.n; ++i) {
        MapPeak& p = res.list.peaks[i];
        p.refined = P_ref_HM(s, p.x, p.y, res.dx, res.dy);
        con.line("Peak" + console::int_text(i, 3) + ":  " + name + " increased from" +
                 real_text(p.raw, 7, 3) + " to" + real_text(p.refined, 7, 3) +
                 "   New x,y = [" + real_text(p.x, 7, 3) + ", " + real_text(p.y, 7, 3) + "]");
    }
    res.refinement.seconds = seconds_since(start);
    res.refinement.trials = s.maps.fom.trials - trials_before;
    res.refinement.peaks = res.list.n;
    res.refined = true;
}

void column_line(console::Console& con, const std::string& name)
{
    con.line("(cols 4-7:  map-peak " + name + ", refined " + name + ", refined_" + name +
             "/mean_level, map/refined)");
}

void refined_tables(control::Session& s, const std::string& name, double mean)
{
    console::Console& con = s.con;
    PeakList& list = s.maps.results.list;
    const double w = duplicate_weight(s.maps.fom.Mchar);
    sort_peaks(list, 4);
    const int found = find_duplicates(list, w);
    con.clear_screen();
    con.line("Peaks after parabolic refinement, re-sorted on refined " + name);
    column_line(con, name);
    write_refined_table(s, mean);
    if (found == 0)
        return;
    const int removed = remove_duplicates(list, w);
    con.line(std::to_string(removed) + " duplicate peaks removed leaving " +
             std::to_string(list.n));
    console::pause(con);
    con.line(std::to_string(list.n) + " unique peaks after parabolic refinement, sorted on " +
             name);
    column_line(con, name);
    write_refined_table(s, mean);
}

// The refined best peak, with the offer to make it the working cell.
void offer_adoption(control::Session& s, const std::string& name, double mean)
{
    console::Console& con = s.con;
    const MapPeak& best = s.maps.results.list.peaks[1];
    Q6 q = trial_at(s, best.x, best.y);
    con.line("Best after parabolic refinement:  " + name + " = " + real_text(best.refined, 5, 3) +
             ", i.e. " + real_text(best.refined / mean, 3, 1) + " times the mean level");
    write_constants(con, q);
    if (console::ask_code(con, "Adopt this solution as the current cell (Y/N, default=N): ", "YN",
                          "N", "(No)")[0] != 'Y') {
        con.endl();
        return;
    }
    con.endl();
    bool flagged = false;
    for (int i = 4; i <= 6; ++i)
        flagged = flagged || (q[i] != 0.0 && q[i] > -probably_90 && q[i] < probably_90);
    if (flagged && console::ask_code(con,
                                     "  Set constants below " + real_text(probably_90, 3, 1) +
                                         " to zero (Y/N, default=Y): ",
                                     "YN", "Y", "(Yes)")[0] == 'Y') {
        for (int i = 4; i <= 6; ++i)
            if (q[i] > -probably_90 && q[i] < probably_90)
                q[i] = 0.0;
    }
    if (flagged)
        con.endl();
    s.maps.fom.mQ = q;
    dataset::Dataset& ds = s.ds;
    if (!cell::cell_from_powder_constants(ds, q)) {
        con.line("  ** Not stored - cell has cosine(s)>1.0 **");
        return;
    }
    con.line("  Passed validity check and adopted as current cell");
    ds.QQ = q;
    ds.Ctype = 2;
    ds.cell_valid = ds.DD[1] * ds.DD[2] * ds.DD[3] != 0.0 ? 1 : 0;
}

// The best map point, kept for the next quick scan centred on it.
void mark_map_made(control::Session& s)
{
    const MapStatistics& st = s.maps.results.stats;
    s.maps.map_made = true;
    s.maps.best_peak_x = st.best_x;
    s.maps.best_peak_y = st.best_y;
    s.maps.best_peak_angle_mode = s.maps.settings.angle_mode;
    s.maps.best_peak_section = s.maps.fom.section;
    s.maps.best_peak_q = st.best_q;
}

} // namespace

void peak_driver(control::Session& s)
{
    console::Console& con = s.con;
    MapResults& res = s.maps.results;
    const std::string name = fom_name(s.maps.fom.Mchar);
    const double mean = mean_level(res.stats);
    const double best = res.stats.best;
    con.line("Mean level of " + name + " in this map = " + real_text(mean, 5, 3));

    if (mean != 0.0 && res.list.n == 0)
        con.line("Peak search:  No peaks found");
    if (mean != 0.0 && res.list.n > 0) {
        con.clear_screen();
        con.line("Map peaks before refinement, sorted on raw peak height");
        con.line("   (displayed if above the mean level " + real_text(mean, 5, 3) + ")");
        write_raw_table(s, mean);
        const bool hopeful = promising(s, best, best / mean);
        if (!hopeful)
            not_promising(s, name, best, best / mean);
        const bool yes = hopeful && !s.run.topography;
        const std::string answer = console::ask_code(
            con,
            std::string("Do you want to refine these peaks (Y), or quit now (N) (Y/N, default=") +
                (yes ? "Y" : "N") + "): ",
            "YN", yes ? "Y" : "N", yes ? "(Yes)" : "(No)");
        con.endl();
        if (answer[0] != 'Y') {
            // The map was made all the same: its best point can centre the next.
            mark_map_made(s);
            record_solutions(s);
            return;
        }
        refine_peaks(s, name);
        refined_tables(s, name, mean);
    }

    if (mean == 0.0) {
        con.endl();
        con.line("Empty map - no non-zero solutions found");
    } else {
        con.line("Best merit-map peak found:  " + name + " = " + real_text(best, 5, 3) + ", i.e. " +
                 real_text(best / mean, 3, 1) + " times the mean level (at [" +
                 real_text(res.stats.best_x, 7, 3) + ", " + real_text(res.stats.best_y, 7, 3) +
                 "] " + unit_name(s.maps.settings.angle_mode) + ")");
        write_constants(con, res.stats.best_q);
        mark_map_made(s);
        if (res.refined && res.list.n > 0)
            offer_adoption(s, name, mean);
    }
    record_solutions(s);
}

void run_map(control::Session& s)
{
    console::Console& con = s.con;
    const FomState& f = s.maps.fom;
    MapResults& res = s.maps.results;
    reset_map_results(s.maps);
    res.started = console::seconds_of_day();
    map_header(s);
    refinement_steps(s, res.dx, res.dy);
    MapFile file(s);
    if (s.maps.settings.map_file)
        file.open();
    scan_map(s, false, file.is_open() ? &file : nullptr);
    file.close();
    console::pause(con);

    const int nobs = s.ds.Nobs;
    std::string used = "Used ";
    if (f.zero_level)
        used += std::to_string(f.mNobs) + " non-zero-level lines (from ";
    used += f.Nobsused >= nobs ? std::string("all ")
                               : "the first " + std::to_string(f.Nobsused) + " of ";
    used += std::to_string(nobs) + " observed lines" + (f.zero_level ? ")" : "");
    con.line(used);
    peak_driver(s);
}

} // namespace rivi
