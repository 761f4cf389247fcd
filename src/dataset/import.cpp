// IM: the peak-list import menu, and the outside converters it starts for the
// formats that are not read here.
#include <string>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/import.hpp"

namespace dataset {

namespace {

struct Format {
    const char* code;
    const char* name;       // in the menu
    const char* converter;
    bool embedded;
    const char* chosen;     // behind the reply
};

constexpr Format formats[] = {
    {"AS", "ASCII text (free format)", "ASC2Latt", true, " = Free-format ASCII text"},
    {"EV", "Bruker Socabim EVA format", "EVA2Latt", false, " = Brucker EVA format"},
    {"PX", "PowderX format", "PX2Latt", true, " = PowderX format"},
    {"UD", "Philips UDI format", "UDI2Latt", false, " = Philips UDI format"},
    {"WF", "WinFit format", "WF2Latt", false, " = WinFit format"},
    {"XF", "XFit format", "XF2Latt", false, " = XFit format"},
};

void show_menu(console::Console& con)
{
    con.clear_screen();
    con.line(console::blanks(15) + "Import Dataset from Peakslist File");
    con.endl();
    con.line("Convert a peakslist file to Latticor .CDT format (by calling a suitable");
    con.line("conversion program) and optionally load the resulting dataset");
    con.endl();
    con.line("Supported peakslist formats (with conversion programs and authors):");
    con.endl();
    for (const Format& f : formats) {
        std::string name = f.name;
        std::string converter = f.converter;
        con.line("  " + std::string(f.code) + " = " + name + console::blanks(28 - static_cast<int>(name.size())) +
                 converter + console::blanks(10 - static_cast<int>(converter.size())) +
                 (f.embedded ? "(embedded)" : "(external)"));
    }
    con.endl();
    con.line("Software contributions are invited to allow more formats to be supported.");
    con.line("Latticor users rely on external peak-fitting programs (and human expertise) to");
    con.line("provide their datasets of powder-line positions, since peak-fitting is a");
    con.line("specialty in its own right.");
    con.line("It is also worth checking the CCP14 website to see what import/export");
    con.line("facilities are provided by other powder-diffraction software suites.");
    con.line("(The programs listed above can also be run as standalone utilities)");
    con.endl();
    con.line("Please select one of the above import formats (or EX to exit)");
}

// The code typed: one of the formats or EX. A reply that is only a piece of
// the list ("S", "X,") is asked again.
std::string ask_format(console::Console& con)
{
    for (bool first = true;; first = false) {
        if (!first)
            con.endl();
        std::string code = console::ask_code(con, "  Enter AS, EV, PX, UD, WF, XF or EX (default: EX): ",
                                             "AS, EV,PX,UD,WF,XF,EX", "EX", "(Exit)");
        if (code == "EX")
            return code;
        for (const Format& f : formats)
            if (code == f.code)
                return code;
    }
}

// An argument for the converter's command line: a name typed by the user,
// quoted for the shell, and never taken for an option.
std::string argument(const std::string& name)
{
    return console::shell_quote(name[0] == '-' ? "./" + name : name);
}

// Starts a converter from the home directory and offers to load what it wrote.
void run_converter(control::Session& s, const std::string& converter, const std::string& arguments)
{
    console::Console& con = s.con;
    const std::string program = console::resolve_path(s.dirs.home + console::upper(converter));
    bool started = false;
    if (!console::file_exists(program)) {
        con.endl();
        con.line("** Conversion program " + program + " is not installed **");
    } else {
        std::string command = console::shell_quote(program);
        if (!arguments.empty())
            command += " " + arguments;
        control::run_os_command(s, command, "O/S");
        started = s.run.os_exec_result == 0;
    }
    if (!started) {
        con.line("Failed to run format conversion program, so there seems to be a problem...");
        return;
    }
    con.line("The DOS shell returned a regular termination code, so hopefully the");
    con.line("conversion was completed correctly (though this is no guarantee)");
    con.endl();
    std::string reply = console::ask_code(
        con, "Do you want to load the converted dataset now (Y/N, default=Y): ", "YN", "Y", "(Yes)");
    con.endl();
    if (reply[0] != 'Y')
        return;
    con.endl();
    con.line("(Sorry, but you will have to be asked for the dataset name again, since it was known only "
             "to the external conversion program and not to Latticor)");
    LO(s);
}

// The name of the dataset the EVA converter is to write, asked until it is
// a dataset name that may be written. Each asking starts on a fresh line.
std::string ask_output_name(control::Session& s, const std::string& input)
{
    console::Console& con = s.con;
    for (;;) {
        con.endl();
        std::string name = console::read_normalised_reply(
            con, "Write converted file to Latticor dataset (omit .CDT, default= " + input + "): ");
        con.lines(2);
        if (name.empty())
            name = input;
        if (name.size() > 8) {
            con.line("** A dataset name has at most 8 characters **");
            continue;
        }
        std::string path;
        if (!check_plain_name(con, name))
            continue;
        if (!dataset_exists(s, name, path))
            return name;
        std::string reply = console::ask_code(
            con, "A dataset of this name already exists - overwrite (Y/N, default=N)?  ", "YN", "N", "(No)");
        if (reply[0] == 'Y') {
            con.put("es  -  Ok");
            con.endl();
            return name;
        }
        con.endl();
    }
}

void import_eva(control::Session& s)
{
    console::Console& con = s.con;
    const std::string dir = data_directory_text(s);
    con.lines(2);
    con.line("Drive / directory information followed by listing of EVA .DIF files in");
    con.line("currently selected directory, sorted into name order:  " + dir + "*.DIF");
    control::run_os_command(s, "DIR " + dir + "*.DIF /ON /W", "O/S");
    if (s.run.os_exec_result != 0) {
        con.line("Directory listing failed, so there seems to be a problem...");
        return;
    }
    con.endl();
    std::string input, path;
    if (!ask_peak_file(s, "Load EVA peaks file - called (omitting .DIF, default = exit): ", ".DIF",
                       "No EVA peaks file", false, input, path))
        return;
    std::string output = ask_output_name(s, input);
    run_converter(s, "EVA2Latt", argument(input) + " " + argument(output));
}

} // namespace

// IM: import a peak list, reading it here or through a converter.
void IM(control::Session& s)
{
    console::Console& con = s.con;
    show_menu(con);
    const std::string code = ask_format(con);
    for (const Format& f : formats) {
        if (code != f.code)
            continue;
        con.put(f.chosen);
        con.endl();
        if (code == "AS")
            import_ascii(s);
        else if (code == "PX")
            import_powderx(s);
        else if (code == "EV")
            import_eva(s);
        else
            run_converter(s, f.converter, "");
    }
    if (code == "EX")
        con.endl();
    if (s.ds.Nobs == 0)
        con.endl();
}

} // namespace dataset
