// M1 and M3, the quick views of a stored trial cell: three principal sections
// as thumbnails on one screen, or as full quick maps one after another.
#include <string>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

using console::real_text;

namespace {

constexpr char sections[] = {'A', 'B', 'C'};
// Top-left corners of the three 38 x 11 thumbnail windows.
constexpr int window_x[] = {2, 42, 22};
constexpr int window_y[] = {1, 1, 13};
constexpr double thumbnail_step = 0.2;

bool primitive(const control::Session& s) { return s.ds.Abs == "P"; }

// Topography defaults for every section: angles, quick, drawn, M1 at scale
// 1 over the first 20 lines at most, no zero-level suppression, no map file.
void quick_view_settings(control::Session& s)
{
    MapSettings& ms = s.maps.settings;
    FomState& f = s.maps.fom;
    ms.angle_mode = true;
    ms.scan = 'Q';
    ms.display = true;
    ms.Mscale = 1.0;
    ms.map_file = false;
    ms.source = BasisSource::zone;
    ms.position = 'S';
    f.Mchar = 'M';
    f.zero_level = false;
    f.zone_letter = 'N';
    f.mNobs = f.Nobsused;
    prepare_trials(s);
    // The angles of the sections become cross constants through the stored
    // cell's own factors.
    cell::compute_q2a(s.ds);
}

// The section centred on the stored cell's two reciprocal angles that it varies.
void set_section(control::Session& s, char section, bool thumbnail)
{
    MapSettings& ms = s.maps.settings;
    const dataset::Dataset& ds = s.ds;
    s.maps.fom.section = section;
    ms.basis = ds.QQ;
    ms.one_quadrant = ds.QQ[fixed_constant(section)] == 0.0;
    const double x0 = ds.RR[x_constant(section)], y0 = ds.RR[y_constant(section)];
    ms.grid = thumbnail ? thumbnail_grid(x0, y0) : section_grid(x0, y0);
    ms.centre_x = x0;
    ms.centre_y = y0;
}

void legend(control::Session& s)
{
    console::Console& con = s.con;
    con.goto_xy(1, 16);
    con.line("       ( M1 )");
    con.line("Topography thumbnails");
    con.line(" of 3 principal RIvi");
    con.line("    sections at");
    con.line("  " + real_text(thumbnail_step, 3, 1) + " deg steps");
    if (primitive(s))
        return;
    con.goto_xy(1, 21);
    con.line("(cell Bravais lattice");
    con.line(" treated as P instead");
    con.line(" of " + s.ds.Abs + " to avoid");
    con.line("discontinuities)");
}

// One thumbnail in its window: the rows, the x ruler and the section's name.
void thumbnail(control::Session& s, int i)
{
    console::Console& con = s.con;
    set_section(s, sections[i], true);
    const MapGrid& g = s.maps.settings.grid;
    con.small_window(window_x[i], window_y[i]);
    run_section(s);
    con.line("       " + real_text(g.cmin * g.sx + g.x0, 1, 1) + " ------ " +
             real_text(g.x0, 4, 1) + " ------ " + real_text(g.cmax * g.sx + g.x0, 1, 1));
    // The name fills the window's last row: a line end there would scroll
    // the window, but plain redirected output needs it.
    con.put("  " + section_name_line(sections[i], true));
    if (con.redirected())
        con.endl();
}

void thumbnails(control::Session& s)
{
    console::Console& con = s.con;
    con.clear_screen();
    legend(s);
    for (int i = 0; i < 3; ++i)
        thumbnail(s, i);
    con.full_window();
    s.run.thumbnails = false;
}

void m3_introduction(control::Session& s)
{
    console::Console& con = s.con;
    con.line("          M3 = View the three Principal Figure-of-Merit Map Sections");
    con.endl();
    con.line("The three principal M1-map sections through the current trial cell will");
    con.line("be shown as quick-scans in the sequence A (beta*/gamma*), B (gamma*/alpha*)");
    con.line("and C (alpha*/beta*).  Each will be centred on the trial solution and use");
    con.line("all RIvi's topographic-mode defaults.  To vary these, use the MM command.");
    if (!primitive(s)) {
        con.endl();
        con.line("Cell Bravais lattice will be treated as P instead of " + s.ds.Abs +
                 " to avoid discontinuities");
    }
    console::pause(con);
}

// The three sections as quick maps, each with its header and axis line.
void principal_sections(control::Session& s)
{
    console::Console& con = s.con;
    for (;;) {
        for (int i = 0; i < 3; ++i) {
            set_section(s, sections[i], false);
            con.line(axis_line(s));
            map_header(s);
            run_section(s);
            if (i < 2)
                console::pause(con);
        }
        if (!console::ask_yes(con, "Do you want to see this sequence of 3 maps again (Y/N, default=N)? ",
                     false))
            return;
    }
}

} // namespace

void quick_views(control::Session& s)
{
    console::Console& con = s.con;
    reset_map_state(s);
    if (!pattern_checked(s, "M"))
        return;
    const bool m1 = s.run.thumbnails;
    if (!m1)
        m3_introduction(s);
    if (!cell_stored(s.ds)) {
        con.line("** No cell loaded yet - please run LC, LO or CE first **");
        return;
    }
    quick_view_settings(s);
    if (m1) {
        thumbnails(s);
        if (!console::ask_yes(con, "  Display M3-style sequence of 3 more detailed maps (Y/N, default=N)? ",
                     false))
            return;
        m3_introduction(s);
    }
    principal_sections(s);
}

} // namespace rivi
