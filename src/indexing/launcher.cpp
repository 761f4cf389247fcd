// IN: launch an indexing run. Asks for the program and its parameters,
// writes the QDAT input file and the steering file, and sets the run flag so
// that the command loop hands over to the outside driver.
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/handover.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "files/commands.hpp"
#include "indexing/commands.hpp"
#include "indexing/launcher.hpp"
#include "indexing/names.hpp"
#include "pattern/commands.hpp"
#include "rivi/map_dialogue.hpp"

namespace indexing {

namespace {

using console::Console;

void introduction(Console& con)
{
    con.endl();
    con.endl();
    con.line("Launch an Indexing Run");
    con.line("Supported indexing programs are:");
    con.line("    ITO12,       DICVOL91,  TREOR90,   TAUP (POWDER)");
    con.line("    KOHL (TMO),  FJZN6,     LZON621,   LOSHFZRF");
    con.line("    McMaille,    RIVI (internal, run in indexing mode)");
    con.line(" (RIvi can also be launched via the MM command for topographical scans)");
}

void return_to_startup_directory(control::Session& s)
{
    if (console::current_directory() == s.dirs.startup)
        return;
    s.con.line("                  ** Returning to start-up directory **");
    s.con.line("(so that the Latticor system will be able to find all the necessary files)");
    console::change_directory(s.dirs.startup);
}

void code_table(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line("The target auto-indexing program is specified by a 2-letter code, as follows:");
    con.line("  TP = TAUP,      DV = DICVOL91, IT = ITO12,   FJ = FJZN6,  ");
    con.line("  TR = TREOR90,   KL = KOHL,     LZ = LZON,    LS = LOSHFZRF");
    con.line("  MC = McMaille*, HM = ZORO      MM = RIVI,    ? = Help");
    con.line("  (default = EX to exit to main menu)");
    con.line("  D1 and D2 can be used as shortcuts to DICVOL91 modes 1 and 2");
    con.line("  i.e. high symmetry (cubic, tet, hex), and low symmetry (ortho, mono)");
    con.line("  * McMaille is a supported program, but not distributed with Latticor.");
    con.endl();
    std::string present;
    for (std::string_view code : earlier_run_codes) {
        const Program* p = find_program(code);
        if (console::file_exists(run_file(s, s.ds.Dset, p->earlier_ext)))
            present += (present.empty() ? "" : ",") + std::string(code);
    }
    con.line("Output files for dataset \"" + s.ds.Dset + "\" from the following indexing programs/modes");
    con.line("are already present in this data directory: " + (present.empty() ? "(none)" : present));
}

bool code_in(std::string_view code, std::initializer_list<std::string_view> codes)
{
    for (std::string_view c : codes)
        if (c == code)
            return true;
    return false;
}

// The program code, "?" or "EX".
std::string choose_code(control::Session& s)
{
    Console& con = s.con;
    const bool enough = s.ds.Nobs >= s.indexing.min_lines;
    con.endl();
    if (!enough) {
        con.line(std::string("Less than 20 observed lines, so only DV, TP, TR and MM will ") +
                 "run to completion");
        con.line(std::string("(KL and LS can search for solutions, but will halt while ") +
                 "evaluating them),");
        con.line(std::string("so the choice will be limited to these 4 (or 6) programs ") +
                 "unless the pattern");
        con.line(std::string("is extended to 20 lines by adding higher orders with the ") +
                 "EP command");
    }
    for (;;) {
        std::string code = console::read_normalised_reply(
            con, enough ? "Type in the code now (TP,D1,IT,FJ,TR,KL,D2,LZ,MM,HM,DV,MC,LS, ?,EX): "
                        : "Type in a valid code now (TP,D1,TR,D2,MM,HM,DV,MC, [KL,LS], ? or EX): ");
        if (code.empty()) {
            code = "EX";
            con.put("Ex");
        }
        bool valid = enough ? code_in(code, {"TP", "D1", "IT", "FJ", "TR", "KL", "D2", "LZ",
                                             "MM", "HM", "DV", "MC", "LS", "?", "EX"})
                            : code_in(code, {"TP", "D1", "TR", "D2", "MM", "HM", "DV", "MC",
                                             "KL", "LS", "?", "EX"});
        if (valid)
            return code;
        con.endl();
        con.line("** Invalid target program selection: " + code + ", please retry");
    }
}

// MM and HM: the merit map in indexing mode decides whether to hand over.
void run_map(control::Session& s, const Program& prog)
{
    s.con.endl();
    s.run.map_kind = prog.code == "HM" ? "H" : "M";
    s.run.quick_view = false;
    s.run.topography = false;
    s.maps.indexing_mode = true;
    rivi::map_command(s);
    s.maps.indexing_mode = false;
    s.run.exit_for_run = s.run.map_solutions_pending;
    s.out.log.close();
}

void zero_correction(control::Session& s)
{
    Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    con.line("Current value of zero correction to be added to 2Theta values: " +
             console::real_text(ds.Z2Th, 1, 4) + " degrees");
    double z = ds.Z2Th;
    for (;;) {
        z = console::ask_real(con, "New value for 2Theta zero correction (default: no change): ",
                              "", ds.Z2Th, 0, 0, "", "NC")
                .value;
        con.endl();
        // The zero correction in force may stay; a new one keeps to the range ZE allows.
        if (z == ds.Z2Th || dataset::zero_in_range(z))
            break;
        con.line("** Zero correction must lie in the range -" +
                 console::real_text(dataset::max_zero, 0, 0) + " to " +
                 console::real_text(dataset::max_zero, 0, 0) + " degrees **");
    }
    if (z == ds.Z2Th)
        return;
    ds.Z2Th = z;
    // Qobs follows the new zero, as after ZE.
    if (ds.Nobs >= 1)
        pattern::revise_pattern(s);
}

// The QDAT name, asked until it is new or may be overwritten.
std::string qdat_name(control::Session& s, const Program& prog)
{
    Console& con = s.con;
    const std::string ext = "Q" + std::string(prog.code);
    con.endl();
    con.line("Write a targeted QDAT data file (." + ext + ") for subsequent indexing by " +
             std::string(prog.name));
    con.line("(just the name, no extension or any chars illegal in DOS filenames - you can");
    con.line("use upper or lower case, since it will be raised to upper case automatically)");
    for (;;) {
        std::string name = console::read_normalised_reply(
            con, "   Under what name (up to 8 chars, default: same as dataset): ");
        if (name.empty()) {
            name = console::squeeze_upper(s.ds.Dset);
            con.put("(" + name + ")");
        }
        con.endl();
        if (!valid_file_name(name)) {
            con.line(invalid_name_message);
            continue;
        }
        std::string file = name + "." + ext;
        con.line("Checking whether a file " + file + " already exists");
        if (!console::file_exists(run_file(s, name, ext))) {
            con.line("Creating a new QDAT input data file for dataset " + name);
            return name;
        }
        con.line("A QDAT input file of this name already exists");
        std::string reply =
            console::ask_code(con, "  Overwrite it (Y/N, default=Y)?  ", "YN", "Y", "es - OK");
        con.endl();
        if (reply[0] == 'Y')
            return name;
        con.line("  ** Not saved **");
        con.line("Please retry using a different name");
    }
}

void open_log(control::Session& s, const std::string& name, const Program& prog)
{
    Console& con = s.con;
    // The entry belongs in the log of the QDAT name, whatever log is open.
    s.out.log.close();
    if (!console::open_log_file(s, name)) {
        con.line("** Failed to open logfile for " + name + " **");
        con.line("This doesn't prevent the present save-to-QDAT operation from proceeding,");
        con.line("but it means that no records will be written to the logfile and it may");
        con.line("indicate some problem writing to disk that could soon force this run to");
        con.line("abort - for example, the disk may be full");
        return;
    }
    s.out.log.endl();
    s.out.log.line("** " + std::string(prog.name) + " on " + name + ":  Latticor " +
                   s.version.header_version + " QDAT-file, " + console::date_stamp() + " at " +
                   console::time_stamp());
}

void log_line(control::Session& s, const std::string& text)
{
    if (s.out.log.is_open())
        s.out.log.line(text);
}

// The descriptive title, edited in place; returns the QDAT title line.
std::string title_line(control::Session& s, const std::string& name, const Program& prog)
{
    Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    const bool untitled = ds.Title == dataset::default_title || ds.Title.empty();
    int n = 74 - static_cast<int>(name.size()) - (prog.family == "TP" ? 12 : 0);
    con.endl();
    con.line("You may now input/edit up to " + std::to_string(n) + " characters of descriptive title");
    con.line("which will follow \"" + name + " = " + "\" in the header line");
    con.line("Most DOS/Windows editing commands are supported (cursor arrows, ctl-arrows");
    con.line("to skip word, ctl-T to delete word, ctl-Z to reverse last keystroke).");
    con.line("ESC will restore the existing title.  Press ENTER to accept the edited version.");
    con.line("Note that any double-quotes chars (\") will be changed to single ones (').");
    con.line("Old: " + ds.Title);
    con.put("New: ");
    std::string title = console::quotes_to_apostrophes(console::edit_line(
        con, con.where_x(), con.where_y(), n, untitled ? "" : ds.Title, false, false));
    if (untitled && !title.empty())
        ds.Title = name + "=" + console::left_part(title, 69);
    std::string line = name + " = " + title;
    con.line("Use: " + title);
    con.line("  giving title line:");
    con.line(line);
    log_line(s, line);
    return line;
}

void log_summary(control::Session& s, const RunParameters& p, int written)
{
    const dataset::Dataset& ds = s.ds;
    const Program& prog = *p.program;
    std::string lines = written == ds.Nobs
                            ? "All " + std::to_string(written) + " obs lines"
                            : "First " + std::to_string(written) + " obs lines (out of " +
                                  std::to_string(ds.Nobs) + ")";
    log_line(s, lines + ", wavelength = " + console::real_text(ds.W0, 1, 5));
    std::string volmax;
    if (uses_volmax(prog))
        volmax = "= " + console::real_text(p.volmax, 1, 1) + (p.volmax_default ? " (default)" : "");
    else if (prog.family == "LZ")
        volmax = "estimated automatically by LZON";
    else
        volmax = "not required";
    log_line(s, "Volmax " + volmax + ", Z2Theta correction = " +
                    (ds.Z2Th == 0.0 ? std::string("0.0") : console::real_text(ds.Z2Th, 1, 4)) +
                    " deg");
    std::string special = launch::parameter_summary(p);
    std::string text = "Special " + std::string(prog.name) + " parameters:  ";
    for (char c : special) {
        if (c == '\n') {
            log_line(s, text);
            text.clear();
        } else {
            text += c;
        }
    }
    log_line(s, text);
}

// Writes the file and hands over; without lines, or when the file could not
// be written, the run is abandoned.
void write_and_hand_over(control::Session& s, RunParameters& p, const std::string& name,
                         const std::string& title)
{
    Console& con = s.con;
    const dataset::Dataset& ds = s.ds;
    LineSelection sel;
    select_lines(p, ds, sel);
    if (ds.Iflag != 0 && ds.ikind == 1)
        con.line(is_family(p, "MC") && p.unit_intensities
                     ? "Unit intensities will be written (all set to 100)"
                     : "Intensities will be written rescaled to give max = 100% (99% if ITO or LZON)");
    console::TextFile f;
    bool written = false;
    if (dataset::open_write(con, f, run_file(s, name, "Q" + std::string(p.program->code)), 'O')) {
        bool ok = write_qdat(con, f, p, ds, title, sel);
        written = dataset::close_write(con, f) && ok;
    }
    log_summary(s, p, sel.count);
    std::string count = std::to_string(sel.count) + " lines selected and written to QDAT dataset file";
    con.line(count);
    log_line(s, count);
    con.endl();
    if (sel.count == 0) {
        con.line("** No eligible observed lines, abandon this indexing run **");
        log_line(s, "** No eligible observed lines, indexing run abandoned **");
    } else if (!written) {
        // A file that failed to write is no input for the program.
        con.line("** QDAT input file could not be written, abandon this indexing run **");
        log_line(s, "** QDAT input file could not be written, indexing run abandoned **");
    } else {
        con.line("QDAT input file successfully written to disk as dataset " + name);
        if (control::write_steering_file(s, name, p.program->code)) {
            con.line("with corresponding _SETPARM script file");
            control::leave_for_run(s);
        } else {
            con.line("** No _SETPARM script file, abandon this indexing run **");
            log_line(s, "** No _SETPARM script file, indexing run abandoned **");
        }
        console::pause(con);
    }
    s.out.log.close();
}

} // namespace

// IN: launch an indexing run.
void IN(control::Session& s)
{
    Console& con = s.con;
    introduction(con);
    if (s.ds.Nobs == 0)
        return;
    return_to_startup_directory(s);

    const Program* prog = nullptr;
    for (;;) {
        code_table(s);
        std::string code = choose_code(s);
        if (code == "EX") {
            con.line("it");
            return;
        }
        if (code == "?") {
            con.endl();
            files::indexing_help(s);
            continue;
        }
        prog = find_program(code);
        break;
    }
    if (is_map(*prog)) {
        run_map(s, *prog);
        return;
    }
    con.line(prog->confirmation);

    RunParameters p;
    p.program = prog;
    p.del2th = default_del2th(*prog, s.indexing.del2th);
    p.volmax = uses_volmax(*prog) ? 6000.0 : 0.0;
    if (prog->family == "MC" && !launch::mcmaille_warning(s))
        return;
    if (prog->family == "LS" && !launch::loshfzrf_ready(s))
        return;
    int n = launch::ask_line_count(s, *prog);
    if (prog->family == "LZ") {
        p.dichotomy = n;
        p.lines = std::min(s.ds.Nobs, s.indexing.max_lines);
    } else {
        p.lines = n;
    }
    if (!launch::program_questions(s, p))
        return;

    zero_correction(s);
    std::string name = qdat_name(s, *prog);
    open_log(s, name, *prog);
    std::string title = title_line(s, name, *prog);
    write_and_hand_over(s, p, name, title);
}

} // namespace indexing
