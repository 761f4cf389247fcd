// DI: launch a direct-indexing run on an input file in the program's own
// format (extension: program code + "D"), handed over unchanged.
#include <string>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/handover.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "files/commands.hpp"
#include "indexing/commands.hpp"
#include "indexing/names.hpp"
#include "indexing/programs.hpp"

namespace indexing {

namespace {

using console::Console;

constexpr std::string_view direct_codes[] = {"IT", "DV", "TR", "NT", "TP",
                                             "KL", "FJ", "LZ", "LS"};

bool direct_code(std::string_view code)
{
    for (std::string_view c : direct_codes)
        if (c == code)
            return true;
    return false;
}

bool ready_to_proceed(Console& con)
{
    con.endl();
    con.endl();
    con.line(console::blanks(25) + "Launch a Direct-Indexing Run");
    con.endl();
    con.line("This facility is provided to enable experienced users to submit an input data");
    con.line("file in the native format of one of the supported indexing programs, usually");
    con.line("one written by an earlier IN run and then edited with the VF command.  The");
    con.line("file must be in the start-up data directory, and its extension must be");
    con.line("of the form {progcode}D, as used by the IN command (e.g. .ITD for");
    con.line("an ITO12 dataset).  The program will read the file exactly as it stands:");
    con.line("Latticor cannot check the contents of a manually");
    con.line("edited data file, hence no further checking will be attempted here.");
    std::string reply = console::ask_code(
        con, "Are you ready to proceed on this basis (Y/N, default=N): ", "YN", "N", "(N)");
    con.endl();
    return reply[0] == 'Y';
}

void programs_and_codes(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line("Supported programs for direct-indexing are:");
    con.line("    ITO12,       DICVOL91,  TREOR90,   TAUP (POWDER)");
    con.line("    KOHL (TMO),  FJZN6,     LZON621,   LOSHFZRF");
    if (console::current_directory() != s.dirs.startup) {
        con.line("                ** Returning to initial data directory **");
        con.line("(so that the Latticor system will be able to find all the necessary files)");
        console::pause(con);
        console::change_directory(s.dirs.startup);
    }
    con.endl();
    con.line("The target auto-indexing program is specified by a 2-letter code, as follows:");
    con.endl();
    con.line("  IT = ITO12,  DV = DICVOL91,  TR = TREOR90,  TP = TAUP");
    con.line("  KL = KOHL,   FJ = FJZN6,     LZ = LZON621,  LS = LOSHFZRF");
    console::pause(con);
}

} // namespace

// DI: launch a direct-indexing run.
void DI(control::Session& s)
{
    Console& con = s.con;
    if (!ready_to_proceed(con))
        return;
    programs_and_codes(s);
    files::list_directory(s, "native-format dataset(s)", s.dirs.data, "*", "??D");

    std::string name, code;
    for (;;) {
        con.endl();
        con.line("Enter filename name (including .??D extension) to be selected, or Q to quit");
        std::string answer = console::read_normalised_reply(con, "(default: Q): ");
        if (answer.empty())
            con.put("(Q)");
        con.endl();
        if (answer.empty() || answer == "Q")
            return;
        analyse_file_name(answer, name, code);
        con.line("Filename analysed to give dataset=" + name + " and program code=" + code);
        if (!direct_code(code)) {
            con.line("** Program code (" + code + ") not recognised");
            con.line("** Please re-enter dataset name (or Q to quit)");
        } else if (!valid_file_name(name)) {
            con.line(invalid_name_message);
        } else if (!console::file_exists(run_file(s, name, code + "D"))) {
            con.line("** Can't find file " + name + "." + code +
                     "D in the current data directory");
            con.line("** Please re-enter (or quit and fix the problem)");
        } else {
            break;
        }
    }
    con.line("Target indexing program" + std::string(find_program(code)->confirmation));

    // Without the steering file the driver would not run the program.
    if (!control::write_steering_file(s, name, code)) {
        con.line("** No _SETPARM script file, abandon this direct-indexing run **");
        console::pause(con);
        return;
    }
    con.line("_SETPARM script file written");
    if (control::write_direct_run_flag(s))
        con.line("and _LXdrun direct-indexing flagfile");
    console::pause(con);
    if (s.ds.Nobs > 0)
        dataset::auto_save(s);
    control::leave_for_run(s);
}

} // namespace indexing
