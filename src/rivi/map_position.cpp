// Where the map lies: the full scan's grid, or a quick scan's position (from
// the origin, or centred) and its steps; the map-file offer and the axis line.
#include <cmath>
#include <string>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

using console::real_text;

namespace {

struct Axes {
    std::string x, y, unit, origin;
    double origin_value = 0.0;
};

Axes axes_of(const control::Session& s)
{
    const bool angle = s.maps.settings.angle_mode;
    const char section = s.maps.fom.section;
    return Axes{x_name(section, angle), y_name(section, angle), unit_name(angle),
                angle ? "90" : "0", angle ? 90.0 : 0.0};
}

// A real reply that is not 0 (a zero step, magnifier or divisor would
// collapse or empty the grid).
double ask_nonzero(console::Console& con, const std::string& prompt, double def, int width,
                   int decimals, std::string_view note)
{
    for (;;) {
        const double v = console::ask_real(con, prompt, "", def, width, decimals, "", note).value;
        con.endl();
        if (v != 0.0)
            return v;
    }
}

// Steps as given, magnified (divided) or reduced (multiplied); true when the
// reply was one of these.
bool step_reply(Dialogue& d, const Axes& a, const std::string& reply)
{
    console::Console& con = d.s.con;
    MapGrid& g = d.s.maps.settings.grid;
    double x = 0.0;
    if (reply == "X" || reply == "/") {
        con.endl();
        const bool magnify = reply == "X";
        double factor = 0.0;
        do {
            factor = ask_nonzero(con,
                                 magnify ? "  Magnifier to magnify default map (default=1, no change): "
                                         : "  Divisor to reduce scale, scan further (default=1, no change): ",
                                 1.0, 1, 0, "NC");
        } while (factor < 0.0);
        g.sx = magnify ? g.sx / factor : g.sx * factor;
        g.sy = magnify ? g.sy / factor : g.sy * factor;
        return true;
    }
    if (!console::parse_real(reply, x) || x == 0.0)
        return false;
    con.endl();
    g.sx = x;
    g.sy = ask_nonzero(con,
                       "  " + a.y + " step-size in " + a.unit + " (default=" + real_text(g.sy, 5, 3) +
                           "): ",
                       g.sy, 5, 3, "DEF");
    return true;
}

void ask_steps(Dialogue& d, const Axes& a)
{
    console::Console& con = d.s.con;
    MapGrid& g = d.s.maps.settings.grid;
    con.endl();
    con.line("The default x,y step-sizes for this map are:");
    con.line("  x:  " + a.x + "-step = " + real_text(g.sx, 5, 3) + "  and y:  " + a.y + "-step = " +
             real_text(g.sy, 5, 3));
    con.line("Now specify either the x,y step-sizes, or type X to flag that you want");
    con.line("to use a magnifier (to magnify the default scales in each direction),");
    con.line("or / for a divisor (to reduce the default scales and so scan further)");
    for (;;) {
        const std::string reply = console::read_normalised_reply(
            con, "  " + a.x + " step-size in " + a.unit + ", X or / (default=" +
                     real_text(g.sx, 5, 3) + "): ");
        if (reply.empty()) {
            con.put(real_text(g.sx, 5, 3) + " (default)");
            con.endl();
            break;
        }
        if (step_reply(d, a, reply))
            break;
        con.endl();
    }
    con.line("  giving " + a.x + "-step = " + real_text(g.sx, 5, 3) + " and " + a.y + "-step = " +
             real_text(g.sy, 5, 3) + ".");
}

// The centre of a map position C, P or S, or false (with its message) when
// there is none.
bool centre_of(Dialogue& d, char position, double& x0, double& y0)
{
    control::Session& s = d.s;
    const Axes a = axes_of(s);
    switch (position) {
    case 'C':
        x0 = y0 = a.origin_value;
        return true;
    case 'P':
        if (!last_best_peak(s, x0, y0)) {
            s.con.line("  ** No maps calculated yet in this run **");
            return false;
        }
        return true;
    default: {
        if (!d.cell) {
            s.con.line("  ** No cell stored yet - please choose another position **");
            return false;
        }
        const bool angle = s.maps.settings.angle_mode;
        const int xc = x_constant(s.maps.fom.section), yc = y_constant(s.maps.fom.section);
        x0 = angle ? cell::QtoAstar(s, xc - 3, d.stored_q[xc]) : d.stored_q[xc];
        y0 = angle ? cell::QtoAstar(s, yc - 3, d.stored_q[yc]) : d.stored_q[yc];
        return true;
    }
    }
}

} // namespace

void describe_full_scan(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    MapSettings& ms = s.maps.settings;
    double px = 0.0, py = 0.0;
    section_products(s.maps.fom.section, ms.basis, px, py);
    ms.grid = full_scan_grid(ms.angle_mode, s.maps.fom.amin, px, py, ms.one_quadrant);
    ms.position = 'O';
    const MapGrid& g = ms.grid;
    const int rows = g.rmax - g.rmin + 1;
    con.endl();
    con.line("Full scan:");
    if (ms.display) {
        con.line("  Origin + " + std::to_string(g.L) + " steps across the screen, shown as " +
                 std::to_string(g.cmax + 1) + " clusters of up to " + std::to_string(g.k) +
                 " points");
        con.line("    (Only the maximum value for each cluster is displayed on the screen)");
    } else {
        con.line("  Origin + " + std::to_string(g.L) + " steps horizontally");
    }
    con.line("  " + std::to_string(rows - 1) + " steps " +
             (ms.display ? "down the screen" : "vertically") + " (i.e. " + std::to_string(rows) +
             " points)");
    con.line("  Step size = " + real_text(std::fabs(g.sx), 5, 3) + " (both across and down)");
}

void choose_position(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    MapSettings& ms = s.maps.settings;
    const Axes a = axes_of(s);
    double px = 0.0, py = 0.0;
    section_products(s.maps.fom.section, ms.basis, px, py);
    con.endl();
    con.line("Select map position:");
    con.line("  scan from origin or centre in (" + a.x + "," + a.y + ") " + a.unit +
             (s.maps.fom.section == 'B' ? " ** Note order **" : ""));
    con.line("    O = Origin [" + a.origin + "," + a.origin + "]");
    con.line("    C = Centred on origin");
    con.line("    P = centred on best Peak from last map");
    con.line("    S = centred on co-ords given by Stored cell parameters (for example,");
    con.line("        a trial cell loaded via the LC or CE commands)");
    const char def = s.run.topography ? 'S' : 'O';
    double x0 = 0.0, y0 = 0.0;
    for (;;) {
        std::string reply = console::read_normalised_reply(
            con, "  Map position (O/C/P/S or value of " + a.x + ", default=" + def + "): ");
        if (reply.empty()) {
            reply = std::string(1, def);
            con.put("(" + reply + ")");
        }
        con.endl();
        if (reply == "O") {
            ms.position = 'O';
            ms.grid = quick_grid_from_origin(ms.angle_mode, ms.one_quadrant, px, py);
            break;
        }
        if (reply == "C" || reply == "P" || reply == "S") {
            if (!centre_of(d, reply[0], x0, y0))
                continue;
            ms.position = reply[0];
        } else if (console::parse_real(reply, x0)) {
            y0 = console::ask_real(con,
                                   "and central value of " + a.y + " (" + a.unit + ") (default=" +
                                       a.origin + "): ",
                                   "", a.origin_value, 1, 3, "", "DEF")
                     .value;
            con.endl();
            ms.position = 'U';
        } else {
            continue;
        }
        ms.grid = quick_grid_centred(ms.angle_mode, x0, y0, px, py);
        break;
    }
    ms.centre_x = ms.grid.x0;
    ms.centre_y = ms.grid.y0;
    ask_steps(d, a);
}

void ask_map_file(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    const char letter = s.maps.fom.Mchar;
    const std::string file = console::squeeze_upper(s.ds.Dset) + "." + letter + "MP";
    con.endl();
    s.maps.settings.map_file =
        console::ask_yes(con,
                std::string("Save comma-delimited version of ") + letter + "-map to file " + file +
                    " (Y/N, default=N)? ",
                false);
}

std::string axis_line(const control::Session& s)
{
    const MapSettings& ms = s.maps.settings;
    const MapGrid& g = ms.grid;
    const Axes a = axes_of(s);
    const bool full = ms.scan == 'F' && !s.run.quick_view;
    const int first_i = full ? 0 : g.k * g.cmin;
    const int last_i = full ? g.L : g.k * g.cmax + g.k - 1;
    auto v = [](double x) { return real_text(x, 0, 3); };
    return std::string("Section ") + s.maps.fom.section + ":  " + a.x + " across (" +
           v(first_i * g.sx + g.x0) + " to " + v(last_i * g.sx + g.x0) + "),  " + a.y +
           " down (" + v(g.rmin * g.sy + g.y0) + " to " + v(g.rmax * g.sy + g.y0) + ")";
}

} // namespace rivi
