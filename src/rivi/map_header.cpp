// The header block written before a map, and the timing report of its scan
// and refinement.
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

namespace {

using console::int_text;
using console::real_text;

std::string zone_name(char zone)
{
    switch (zone) {
    case 'A': return "0kl";
    case 'B': return "h0l";
    default: return "hk0";
    }
}

std::string lines_item(const control::Session& s)
{
    const FomState& f = s.maps.fom;
    const int nobs = s.ds.Nobs;
    std::string text = f.Nobsused >= nobs ? "All " + std::to_string(nobs) + " obs lines, with"
                                          : "First " + std::to_string(f.Nobsused) +
                                                " obs lines (out of " + std::to_string(nobs) +
                                                ") with";
    if (!f.zero_level)
        return text + "out zero-level suppression";
    return text + " zero-level suppression: used " + std::to_string(f.mNobs) + " non-zlevel";
}

std::string basis_item(const control::Session& s)
{
    const MapSettings& ms = s.maps.settings;
    const char section = s.maps.fom.section;
    std::string text = "Basis set (";
    switch (ms.source) {
    case BasisSource::zone:
        text += std::string("basal zone ") + section + " = " + zone_name(section);
        break;
    case BasisSource::bsl:
        text += "set " + std::to_string(ms.bsl_set) + " from BSL file";
        break;
    default:
        text += "user-specified";
    }
    text += "): ";
    const Q6 basis = basis_set(ms);
    for (int i : {1, 2, 3, fixed_constant(section)})
        text += (i == 1 ? "" : ", ") + real_text(basis[i], 6, 4);
    return text;
}

std::string position_item(const control::Session& s)
{
    const MapSettings& ms = s.maps.settings;
    const std::string origin = ms.angle_mode ? "90" : "0";
    if (ms.position == 'O')
        return "Map-positioning:  O = from origin [" + origin + "," + origin + "]";
    std::string text = "Map-positioning: ";
    if (ms.position == 'P')
        text += " P = Peak-centred [";
    else if (ms.position == 'S')
        text += " S = Stored-cell [";
    else
        text += " user-specified [";
    return text + real_text(ms.grid.x0, 6, 3) + "," + real_text(ms.grid.y0, 6, 3) + "]";
}

// "x = alpha*: 31 points (90.000 to 75.000, step -0.500 deg)" and the
// clusters of a full scan.
std::string axis_item(const std::string& axis, const std::string& name, int points, double first,
                      double last, double step, const std::string& unit)
{
    return axis + " = " + name + ": " + std::to_string(points) + " points (" +
           real_text(first, 6, 3) + " to " + real_text(last, 6, 3) + ", step " +
           real_text(step, 6, 3) + " " + unit + ")";
}

void axis_items(const control::Session& s, console::Sink& out)
{
    const MapSettings& ms = s.maps.settings;
    const MapGrid& g = ms.grid;
    const char section = s.maps.fom.section;
    const std::string unit = unit_name(ms.angle_mode);
    const bool full = ms.scan == 'F';
    const int first_i = full ? 0 : g.k * g.cmin;
    const int last_i = full ? g.L : g.k * g.cmax + g.k - 1;
    std::string x = axis_item("x", x_name(section, ms.angle_mode), last_i - first_i + 1,
                              first_i * g.sx + g.x0, last_i * g.sx + g.x0, g.sx, unit);
    if (full)
        x += " in " + std::to_string(g.cmax + 1) + " clusters of " + std::to_string(g.k);
    out.line(x);
    out.line(axis_item("y", y_name(section, ms.angle_mode), g.rmax - g.rmin + 1,
                       g.rmin * g.sy + g.y0, g.rmax * g.sy + g.y0, g.sy, unit));
}

std::string data_source_item(const control::Session& s)
{
    const char type = s.maps.settings.data_source;
    const char* name = type == 'S' ? "synchrotron" : (type == 'A' ? "average" : "good lab data");
    return std::string("Data-source type: ") + type + " (" + name + "), Pmin =" +
           real_text(s.maps.fom.Pmin, 8, 6) + ", KD =" + real_text(0.002, 8, 6);
}

void write_header(const control::Session& s, console::Sink& out, const std::string& date,
                  const std::string& time)
{
    const MapSettings& ms = s.maps.settings;
    const FomState& f = s.maps.fom;
    const std::string& kind = s.run.map_kind;
    const std::string version = s.version.header_version;
    out.endl();
    out.line("** " + kind + "MAP (" + (s.run.topography ? "Topog" : "Index") + ") on " +
             s.ds.Dset + ":  Latticor " + kind + "Map v" + version + ", " + date + " at " + time);
    out.line(s.ds.Title);
    out.line(lines_item(s));
    out.line("  wavelength = " + real_text(s.ds.W0, 0, 5) + ", Volmax " + real_text(f.Vmax, 0, 1) +
             (ms.vmax_default ? " (default)" : ""));
    out.line("  Z2Theta correction = " +
             (s.ds.Z2Th == 0.0 ? std::string("0.0") : real_text(s.ds.Z2Th, 10, 7)) + " deg");
    const bool probability = f.Mchar == 'P' || f.Mchar == 'I';
    out.line("Special " + kind + "MAP parameters:  " + (ms.scan == 'F' ? "Full " : "Quick ") +
             (ms.angle_mode ? "angle-scan" : "Q-scan") + ", Figure of merit = " +
             fom_name(f.Mchar) + (probability && f.new_Pr_formula ? " (new)" : ""));
    out.line(basis_item(s));
    out.line(position_item(s));
    out.line(std::string(ms.one_quadrant ? "One quadrant only, m" : "M") +
             "inimum recip angle (or supplement) = " + real_text(f.amin, 4, 1) + " deg" +
             (ms.amin_default ? " (default)" : ""));
    axis_items(s, out);
    if (probability)
        out.line(data_source_item(s));
    out.line(std::string("Special parameter(s) (") +
             (ms.all_defaults ? "all default" : "user-specified") + "): Mscale =" +
             real_text(ms.Mscale, 4, 2) +
             (f.zero_level ? ", zlev Qo-Qc limit = " + real_text(f.Qdiflim, 3, 1) + " QU." : ""));
    out.line(ms.map_file ? "Save map to file " + MapFile::name(s) : "Don't save map to file");
    out.endl();
    out.line("Latticor " + kind + "Map v" + version + " run started on " + date + " at " + time);
}

// A rate, 0 when its divisor is.
double ratio(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

} // namespace

void map_header(control::Session& s)
{
    const std::string date = console::date_stamp(), time = console::time_stamp();
    write_header(s, s.con, date, time);
    if ((s.con.output_code & 1) != 0)
        console::printing_notice(s.con);
    if ((s.con.output_code & 2) != 0 && console::ensure_copy_open(s))
        write_header(s, s.out.copy, date, time);
    if (console::open_log_file(s, s.ds.Dset))
        write_header(s, s.out.log, date, time);
}

double seconds_since(double start)
{
    double t = console::seconds_of_day() - start;
    return t < 0.0 ? t + 86400.0 : t;
}

void write_timing_report(const control::Session& s, console::Sink& out)
{
    const MapStatistics& st = s.maps.results.stats;
    const RefinementCounters& rc = s.maps.results.refinement;
    const double scan_ms = st.seconds * 1000.0, ref_ms = rc.seconds * 1000.0;
    const double trials = static_cast<double>(st.trials);
    const double cycles = static_cast<double>(rc.cycles);
    const double shifts = static_cast<double>(rc.same + rc.null + rc.reversed);
    out.line("Scan timings: " + std::to_string(st.trials) + " trials in " +
             real_text(st.seconds, 4, 2) + " sec (" + real_text(ratio(scan_ms, trials), 5, 3) +
             " ms/trial, " + real_text(ratio(trials, scan_ms), 0, 1) + " trial/ms)");
    out.line("Refinement timings: " + std::to_string(rc.peaks) + " peaks refined in " +
             real_text(rc.seconds, 4, 2) + " sec (" + real_text(ratio(ref_ms, rc.peaks), 3, 1) +
             " ms/peak),");
    out.line(" " + real_text(ratio(cycles, rc.peaks), 3, 1) + " cycle/peak (" +
             real_text(ratio(ref_ms, cycles), 0, 2) + " ms/cyc), " +
             real_text(ratio(static_cast<double>(rc.trials), cycles), 0, 1) + " trial/cyc (");
    out.line(" (" + real_text(ratio(100.0 * rc.same, shifts), 3, 1) +
             "% of shifts in same direction, " + real_text(ratio(100.0 * rc.null, shifts), 3, 1) +
             "% null, " + real_text(ratio(100.0 * rc.reversed, shifts), 3, 1) + "% reversed)");
}

} // namespace rivi
