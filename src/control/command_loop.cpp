// The main command loop: prompt, dispatch, quit check and shutdown.
#include <string>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "control/commands.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "rivi/map_dialogue.hpp"

namespace control {

namespace {

constexpr const char* steering_file = "_SETPARM.BAT";

std::string prompt_text(const Session& s)
{
    std::string part;
    if (s.ds.Ctype != 0 || s.ds.Nobs != 0)
        part = " (Dataset " + s.ds.Dset + ")";
    return "Latticor " + s.version.edition + " v" + s.version.version + part +
           " - Next command or ? for Help: ";
}

bool is_map_command(Extra extra)
{
    return extra == Extra::map_mm || extra == Extra::map_m1 || extra == Extra::map_m3 ||
           extra == Extra::map_hm;
}

// MM, M1, M3 and HM share one dialogue; these switches tell it which.
void set_map_flags(Session& s, Extra extra)
{
    switch (extra) {
    case Extra::map_mm:
        s.run.quick_view = false;
        s.run.map_kind = "M";
        s.run.topography = false;
        break;
    case Extra::map_m1:
        s.run.thumbnails = true;
        s.run.quick_view = true;
        s.run.map_kind = "M";
        s.run.topography = true;
        break;
    case Extra::map_m3:
        s.run.thumbnails = false;
        s.run.quick_view = true;
        s.run.map_kind = "M";
        s.run.topography = true;
        break;
    case Extra::map_hm:
        s.run.quick_view = false;
        s.run.map_kind = "H";
        s.run.topography = false;
        break;
    default:
        break;
    }
}

// One pass: returns false when the loop is to end.
bool one_pass(Session& s)
{
    console::Console& con = s.con;
    if (s.ds.Nobs == 0)
        con.line("** No observed pattern loaded yet - to input one, run LO, IM or OB **");
    con.endl();
    s.viewer.selection = "  ";
    std::string code = console::get_command(con, prompt_text(s), accepted_codes, "??", "");
    const Command* cmd = find_command(code);
    if (cmd == nullptr ||
        (cmd->handler == nullptr && cmd->extra != Extra::quit && !is_map_command(cmd->extra))) {
        con.line(" ** UNDEFINED **");
        return true;
    }
    set_map_flags(s, cmd->extra);
    if (cmd->extra == Extra::quit) {
        quit_check(s);
        return false;
    }
    if (is_map_command(cmd->extra))
        rivi::map_command(s);
    else
        cmd->handler(s);
    if (cmd->extra == Extra::blank_if_no_obs && s.ds.Nobs == 0)
        con.endl();
    if (cmd->extra == Extra::hand_over && s.run.exit_for_run) {
        con.clear_screen();
        return false;
    }
    return true;
}

} // namespace

void quit_check(Session& s)
{
    console::Console& con = s.con;
    if (!console::file_exists(steering_file)) {
        con.endl();
        return;
    }
    con.endl();
    con.endl();
    if (s.run.map_solutions_pending) {
        con.put("The summary files will now be updated with the " + s.run.map_kind +
                "Map solutions saved earlier");
        console::pause(con);
        return;
    }
    con.line("** A _SETPARM steering file is present in this directory, **");
    con.line("** so you may have an indexing run waiting to be launched **");
    con.endl();
    con.line("Do you want to exit to the operating system without launching it?");
    con.endl();
    con.line("Reply N to launch the indexing run.  Reply Y to cancel the run and exit.");
    std::string reply = console::read_normalised_reply(
        con, "Are you sure you want to quit without indexing (Y/N, default=N)? ");
    if (reply.empty())
        reply = "n";
    if (reply[0] == 'N') {
        con.endl();
    } else if (reply[0] == 'Y') {
        console::remove_file(steering_file);
    } else {
        con.put(" (No)");
        con.endl();
        con.line("The indexing run will now be launched");
        console::pause(con);
    }
}

bool shut_down(Session& s)
{
    // Keeps the working dataset in "_RELOAD.CDT" for the next run; an end of
    // input inside a suspended save is taken there as "*Q".
    const bool kept = dataset::auto_save(s);
    if (!kept)
        s.con.line("** The working dataset was not kept: _RELOAD.CDT could not be written **");
    console::close_all(s.out);
    if (!s.run.exit_for_run)
        s.con.endl();
    s.con.text_background(0);
    s.con.text_color(15);
    s.con.restore();
    return kept;
}

int run(Session& s)
{
    int exit_code = 0;
    try {
        start_up(s);
        s.run.exit_for_run = false;
        s.run.map_solutions_pending = false;
        while (one_pass(s)) {
        }
    } catch (const console::InputEnded& ended) {
        // End of input or a terminating signal: end as QU would, without
        // asking anything more.
        s.con.endl();
        if (ended.signal != 0)
            exit_code = 128 + ended.signal;
    }
    if (!shut_down(s))
        exit_code = 1;
    return exit_code;
}

} // namespace control
