// The single-point mode of the map dialogue: one trial at a typed point, or at
// the best peak of the last map, with the per-line listing in the log.
#include <string>

#include "cell/conversions.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"
#include "rivi/trial.hpp"

namespace rivi {

using console::real_text;

namespace {

// The point (x, y) in the display unit; P before any map asks again.
void ask_point(Dialogue& d, double& x, double& y)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    const bool angle = s.maps.settings.angle_mode;
    const char section = s.maps.fom.section;
    const std::string a = angle ? "A" : "Q";
    con.endl();
    con.line("Please specify the selected point " + a + "x," + a + "y (i.e. " +
             x_name(section, angle) + "," + y_name(section, angle) + ") in " +
             (angle ? "deg" : "QU."));
    con.line("or P (default) for the coords of the best peak from the last map");
    for (;;) {
        const std::string reply = console::read_normalised_reply(con, "  " + a + "x or P: ");
        if (reply.empty() || reply == "P") {
            con.endl();
            if (!last_best_peak(s, x, y)) {
                con.line("  ** No maps calculated yet in this run **");
                continue;
            }
            con.line("  Use best peak from the last map: (" + real_text(x, 0, 3) + ", " +
                     real_text(y, 0, 3) + ")");
            return;
        }
        if (console::parse_real(reply, x)) {
            con.endl();
            const double origin = angle ? 90.0 : 0.0;
            y = console::ask_real(con, "       " + a + "y: ", "", origin, 1, 3, "", "").value;
            con.endl();
            return;
        }
        con.endl();
    }
}

} // namespace

void single_point(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    const MapSettings& ms = s.maps.settings;
    FomState& f = s.maps.fom;
    double x = 0.0, y = 0.0;
    ask_point(d, x, y);

    const int xc = x_constant(f.section), yc = y_constant(f.section);
    Q6 q = ms.basis;
    q[xc] = ms.angle_mode ? cell::AtoQstar(s, xc - 3, x) : x;
    q[yc] = ms.angle_mode ? cell::AtoQstar(s, yc - 3, y) : y;
    const std::string name = fom_name(f.Mchar);
    const std::string where = "(" + real_text(x, 0, 3) + ", " + real_text(y, 0, 3) + ") " +
                              unit_name(ms.angle_mode);
    const bool logged = console::open_log_file(s, s.ds.Dset);
    if (logged) {
        s.out.log.endl();
        s.out.log.line("** " + d.kind + "MAP single point on " + s.ds.Dset + ":  " + name + " at " +
                       where);
    }
    f.line_listing = true;
    const double value = calcm(s, q);
    f.line_listing = false;

    std::string result = "  " + name + " = " + real_text(value, 7, 3);
    if (value == 0.0 && f.reject != ' ')
        result += std::string("  (trial rejected: ") + f.reject + ")";
    if (logged)
        s.out.log.line(result);
    con.endl();
    con.line("Single point " + where + ", trial cell in QU.:");
    std::string constants = " ";
    for (int i = 1; i <= 6; ++i)
        constants += real_text(q[i], 11, 4);
    con.line(constants);
    con.line(result + ",  " + std::to_string(f.mNobscount) + " of " + std::to_string(f.mNobs) +
             " lines compared (listed in " + console::squeeze_upper(s.ds.Dset) + ".LOG)");
}

} // namespace rivi
