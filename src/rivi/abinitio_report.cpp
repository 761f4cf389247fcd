// The stages the scans share after their primary scan: the peak tables, the
// parabolic refinement of every peak and the removal of duplicates.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/map_run.hpp"
#include "rivi/peak_search.hpp"

namespace rivi {

namespace {

using console::int_text;
using console::real_text;

std::string right(const std::string& text, int w)
{
    return console::blanks(w - static_cast<int>(text.size())) + text;
}

// Decimals of the second coordinate in the tables.
int y_decimals(const ScanSettings& ss)
{
    switch (ss.kind) {
    case ScanKind::tcor: return 6;
    case ScanKind::gamma: return 3;
    default: return 4;
    }
}

std::string coordinates(const ScanReport& r, const MapPeak& p, int decimals)
{
    std::string text = real_text(p.x, 10, 4);
    if (r.two_columns)
        text += real_text(p.y, 10, decimals);
    return text;
}

// The first steps of a peak's refinement: the run-wide steps of Q(A) (also
// taken for Q(B) and Q(F)) and of Z2Th; a side moves as its Q would by
// the Q(A) step.
void first_steps(const ScanReport& r, const MapPeak& p, double& dx, double& dy)
{
    const ScanState& steps = r.s.maps.scans;
    const bool direct = r.ss.kind == ScanKind::rect && r.ss.direct;
    auto side_step = [&](double side) {
        return side - 100.0 / std::sqrt(10000.0 / (side * side) + steps.qa_step);
    };
    dx = direct ? side_step(p.x) : steps.qa_step;
    switch (r.ss.kind) {
    case ScanKind::z2th: dy = steps.z2th_step; break;
    case ScanKind::tcor: dy = tcor_steps.smallest; break;
    case ScanKind::rect: dy = direct ? side_step(p.y) : steps.qa_step; break;
    default: dy = steps.qa_step; break;
    }
}

} // namespace

ScanReport::ScanReport(control::Session& session, const ScanSettings& settings)
    : s(session), ss(settings), fom(fom_name(settings.mchar)),
      names(settings.kind == ScanKind::row ? first_name(settings)
                                           : first_name(settings) + " & " + second_name(settings)),
      two_columns(settings.kind != ScanKind::row)
{
}

bool raw_peaks(const ScanReport& r, const std::string& scan_name, double best,
               const std::string& where)
{
    console::Console& con = r.s.con;
    PeakList& list = r.s.maps.results.list;
    if (list.n == 0) {
        con.line("No peaks found with " + r.fom + " above the threshold of " +
                 console::compact_real(r.ss.threshold));
        return false;
    }
    sort_peaks(list, 3);
    for (int i = 1; i <= list.n; ++i)
        list.oldseq[i] = i;
    if (r.ss.suppress)
        return true;
    con.endl();
    con.line("Largest unrefined " + r.fom + " in the initial " + scan_name + " scan = " +
             real_text(best, 0, 3) + " at " + where);
    con.endl();
    con.line("Peaks found in primary scan of " + r.names + ", sorted on raw " + r.fom);
    std::string header = "  No" + right(first_name(r.ss), 10);
    if (r.two_columns)
        header += right(second_name(r.ss), 10);
    con.line(header + " " + right("Raw " + r.fom, 9));
    console::Pager pager(con, 2);
    for (int i = 1; i <= list.n; ++i) {
        pager.before_line();
        con.line(int_text(i, 4) + coordinates(r, list.peaks[i], y_decimals(r.ss)) + " " +
                 real_text(list.peaks[i].raw, 9, 3));
        pager.after_line();
    }
    return true;
}

void refined_table(const ScanReport& r, const std::string& title, int limit,
                   const std::string& x_name, const std::string& y_name, bool apart)
{
    console::Console& con = r.s.con;
    const PeakList& list = r.s.maps.results.list;
    if (apart)
        con.endl();
    con.line(title);
    std::string header = "  No" + right(x_name.empty() ? first_name(r.ss) : x_name, 10);
    if (r.two_columns)
        header += right(y_name.empty() ? second_name(r.ss) : y_name, 10);
    con.line(header + " " + right("Raw " + r.fom, 9) + " " + right("Refined", 9) + " " +
             right("Post/Pre", 8) + right("oldseq", 7));
    const int rows = limit > 0 && limit < list.n ? limit : list.n;
    console::Pager pager(con, 2);
    for (int i = 1; i <= rows; ++i) {
        const MapPeak& p = list.peaks[i];
        pager.before_line();
        con.line(int_text(i, 4) + coordinates(r, p, y_name.empty() ? y_decimals(r.ss) : 4) +
                 " " + real_text(p.raw, 9, 3) + " " +
                 real_text(p.refined, 9, 3) + " " +
                 (p.raw == 0.0 ? std::string("   -----") : real_text(p.refined / p.raw, 8, 3)) +
                 int_text(list.oldseq[i], 7));
        pager.after_line();
    }
}

void refine_peaks(const ScanReport& r, ScanTrials& trials, RefinePass pass,
                  const std::string& heading)
{
    console::Console& con = r.s.con;
    PeakList& list = r.s.maps.results.list;
    const bool gamma = r.ss.kind == ScanKind::gamma;
    const std::string parameters = pass == RefinePass::q_only ? first_name(r.ss) : r.names;
    if (!r.ss.suppress) {
        con.endl();
        con.line(heading);
    }
    std::array<bool, dataset::max_peaks + 1> discarded{};
    for (int i = 1; i <= list.n; ++i) {
        MapPeak& p = list.peaks[i];
        const double before = pass == RefinePass::further ? p.refined : p.raw;
        double dx = 0.0, dy = 0.0;
        first_steps(r, p, dx, dy);
        // A gamma* peak is refined on its cross constant Q(F).
        double y = gamma ? cross_constant(p.x, p.y) : p.y;
        p.refined = trials.refine(p.x, y, dx, dy, pass != RefinePass::q_only);
        if (gamma)
            discarded[i] = !zone_angle(p.x, y, p.y);
        else
            p.y = y;
        if (r.ss.suppress)
            continue;
        std::string text = "Peak" + int_text(i, 3) + ":  " + r.fom + " incr. from" +
                           real_text(before, 7, 3) + " to" + real_text(p.refined, 7, 3) +
                           "   New " + parameters + " = [" + real_text(p.x, 0, 4);
        if (pass != RefinePass::q_only)
            text += ", " + real_text(p.y, 0, y_decimals(r.ss));
        con.line(text + "]" + (discarded[i] ? " (cosine out-of-range - discarded)" : ""));
    }
    for (int i = list.n; i >= 1; --i)
        if (discarded[i])
            remove_peak(list, i);
}

bool duplicates_wanted(const ScanReport& r)
{
    return r.ss.express ||
           console::ask_yes(r.s.con, "Do you want to remove any duplicate peaks (Y/N, default Y)? ",
                            true);
}

bool first_refinement(const ScanReport& r, ScanTrials& trials, RefinePass pass,
                      const std::string& label)
{
    refine_peaks(r, trials, pass, "Parabolic refinement of raw peaks [" + label + "]");
    sort_peaks(r.s.maps.results.list, 4);
    if (!r.ss.suppress)
        refined_table(r, "Peaks after parabolic refinement [" + label + "], re-sorted on refined " +
                             r.fom);
    const bool remove = duplicates_wanted(r);
    if (remove)
        remove_scan_duplicates(r, label, false);
    return remove;
}

void remove_scan_duplicates(const ScanReport& r, const std::string& label, bool again)
{
    console::Console& con = r.s.con;
    PeakList& list = r.s.maps.results.list;
    const int before = list.n;
    const int removed = merge_close_peaks(
        list, duplicate_rule(duplicate_weight(r.ss.mchar), r.ss.kind == ScanKind::rect));
    con.endl();
    if (removed > 0) {
        con.line(std::to_string(removed) + " duplicate peaks removed leaving " +
                 std::to_string(list.n));
    } else if (again) {
        con.line("No further duplicate peaks found out of " + std::to_string(before));
        return;
    } else {
        con.line("No duplicate peaks found out of " + std::to_string(before) +
                 " (table of unique peaks redisplayed anyway)");
    }
    refined_table(r, "Unique peaks after parabolic refinement [" + label +
                         "], re-sorted on refined " + r.fom, 0, "", "", false);
}

} // namespace rivi
