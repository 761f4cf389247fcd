// Start-up: version record, screen, banner, defaults and limits; VE.
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/limits.hpp"

namespace control {

namespace {

void set_version_record(Session& s)
{
    VersionRecord& v = s.version;
    v.header_version = v.version;
    v.map_version_id = v.map_code_name + v.version;
    v.start_date = console::date_stamp();
    v.start_time = console::time_stamp();
}

void set_os_family(Session& s)
{
    std::string os = console::environment("OS");
    // With OS unset (every POSIX system) the NT family's behaviour applies:
    // its pauses and screen clears; the version line names the system.
    if (os.empty()) {
        s.version.os_family = "posix";
        s.version.system = console::system_name();
    } else if (os == "Windows_NT")
        s.version.os_family = "NT";
    else
        s.version.os_family = console::left_part(os, 2);
    s.con.nt_family = s.version.os_family == "NT" || s.version.os_family == "posix";
    s.maps.fom.new_Pr_formula = true;
}

void banner(Session& s)
{
    const std::string& edition = s.version.edition;
    int lead = 6 - static_cast<int>(edition.size()) / 2;
    s.con.endl();
    s.con.line(console::blanks(lead) + "** Latticor " + edition +
               " **   An Interactive Powder Indexing Support System");
    s.con.endl();
    s.con.endl();
}

} // namespace

std::string version_line(const Session& s, bool ve_form)
{
    const VersionRecord& v = s.version;
    std::string text;
    if (!ve_form) {
        int lead = 22 - static_cast<int>(v.version.size() + v.build_date.size() + 14) / 2;
        text += console::blanks(lead);
    }
    text += "v" + v.version + " (" + v.build_label + "), " + v.build_date + " ";
    const std::string bits = sizeof(void*) == 8 ? "64-bit" : "32-bit beta";
    text += ve_form ? bits + " (Build Timestamp " + v.build_time + ")" : "(" + bits + ")";
    text += "\n";
    if (v.os_family == "posix") {
        text += console::blanks(ve_form ? 4 : 13) + "running under " + v.system + "\n";
        return text;
    }
    if (ve_form)
        text += "    ";
    else if (v.os_family == "NT")
        text += console::blanks(15);
    else if (v.os_family == "9x")
        text += console::blanks(13);
    text += "running under Windows " + v.os_family + "-family: ";
    if (v.os_family == "NT")
        text += "(NT, 2000, XP)";
    else if (v.os_family == "9x")
        text += "(Win95, 98 or ME)";
    else
        text += "(not recognised)";
    text += "\n";
    return text;
}

void start_up(Session& s)
{
    console::Console& con = s.con;
    set_version_record(s);
    set_os_family(s);

    con.text_background(15);
    con.text_color(0);
    con.clear_screen();
    console::clear_screen_full(con);

    s.dirs.home = console::home_directory();
    s.dirs.data = "./";
    con.device = "D";

    banner(s);
    con.put(console::blanks(10));
    con.put(version_line(s, false));
    con.endl();
    con.endl();

    s.dirs.startup = console::current_directory();
    con.line(std::string("Default directory for datasets: ") +
             (s.files.dir_changed != 0 ? s.ds.data_dir : "start-up directory") +
             "  (Use CD command to change)");
    con.line("Max no. of obs lines:  " + console::int_text(dataset::max_obs, 5));
    con.line("Max no. of calc lines: " + console::int_text(dataset::max_calc, 5));

    console::set_output_code(con, s.out, 2);
    con.line("Main screen output will repeat to <Dset>.LXO file by default");
    con.endl();

    // A steering file left by an earlier hand-over has done its work.
    console::remove_file("_SETPARM.BAT");

    // A dataset left by the hand-over to an indexing run comes back.
    if (console::file_exists("_RELOAD.CDT"))
        dataset::auto_reload(s);

    s.maps.fom.use_calcfm = false;
    s.maps.save_map_array = false;
}

// VE: the version record and the directories.
void VE(Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.endl();
    con.put("  Latticor " + s.version.edition + " ");
    con.put(version_line(s, true));
    con.line("  Home directory: " + (s.dirs.home.empty() ? std::string("(undefined)") : s.dirs.home));
    con.line("  Data directory: " + (s.ds.data_dir.empty() ? s.dirs.data : s.ds.data_dir));
    if (s.ds.Nobs == 0)
        con.endl();
}

} // namespace control
