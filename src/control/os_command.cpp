// RU and the operating-system command runner with its start-error report.
// Commands run to their end before the system writes again: on a shared
// terminal their output would otherwise land on top of the prompt.
#include <algorithm>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"

namespace control {

namespace {

// The DOS listing the system issues itself, "DIR <path><pattern> /ON /W":
// the matching files (case ignored) in name order, five to a line. Returns
// false for any other command.
bool dos_dir(console::Console& con, const std::string& command)
{
    const std::string u = console::upper(command);
    const std::string tail = " /ON /W";
    if (u.rfind("DIR ", 0) != 0 || u.size() < 4 + tail.size() ||
        u.compare(u.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    std::string files = command.substr(4, command.size() - 4 - tail.size());
    std::replace(files.begin(), files.end(), '\\', '/');
    const std::size_t slash = files.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : files.substr(0, slash + 1);
    std::vector<std::string> names =
        console::matching_files(dir, slash == std::string::npos ? files : files.substr(slash + 1));
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return console::upper(a) < console::upper(b);
    });
    con.endl();
    if (names.empty())
        con.line("File Not Found");
    for (std::size_t i = 0; i < names.size(); i += 5) {
        std::string row;
        for (std::size_t j = i; j < std::min(i + 5, names.size()); ++j)
            row += names[j] + console::blanks(16 - static_cast<int>(names[j].size()));
        con.line(console::trim_right(row));
    }
    return true;
}

} // namespace

void report_start_error(Session& s, std::string_view name, int code, std::string_view program)
{
    std::string who = name.empty() ? "Windows" : std::string(name);
    if (code == console::not_found) {
        s.con.endl();
        s.con.line("** Could not execute " + who + " command:  " + std::string(program) +
                   " not found **");
        return;
    }
    if (code < 1 || code > 31)
        return;
    std::string text;
    switch (code) {
    case 2: text = "File not found or\n   command interpreter not found in COMSPEC"; break;
    case 3: text = "Path not found"; break;
    case 4: text = "Too many open files"; break;
    case 5: text = "File access denied"; break;
    case 6: text = "Invalid file handle\n   (file variable is corrupt?)"; break;
    case 8: text = "Not enough memory left free"; break;
    case 11: text = "Called .EXE file is invalid or corrupt"; break;
    case 15: text = "Invalid drive number"; break;
    default: text = "Error number = " + std::to_string(code); break;
    }
    s.con.endl();
    s.con.line("** Could not execute " + who + " command:  " + text + " **");
}

void run_os_command(Session& s, std::string command, std::string_view name)
{
    console::Console& con = s.con;
    if (command.empty()) {
        con.endl();
        con.endl();
        command = console::read_reply(con, "O/S Command to be run: ");
    }
    // The two DOS commands the system issues itself are done here.
    int result = 0;
    if (console::squeeze_upper(command) == "CLS")
        con.clear_screen();
    else if (!dos_dir(con, command))
        result = console::run_command(con, command);
    s.run.os_exec_result = result;
    if (result != 0)
        report_start_error(s, name, result, console::program_of(command));
    if (s.ds.Nobs == 0)
        con.endl();
}

// RU: run an operating-system command typed by the user.
void RU(Session& s)
{
    console::Console& con = s.con;
    con.clear_screen();
    con.line(console::blanks(21) + "** Run an Operating System Command **");
    con.endl();
    con.line("Commands that produce lengthy output will scroll the Latticor");
    con.line("pronpt out of view, so please press ENTER after running the command.");
    con.line("The screen will then be cleared and the Latticor prompt will reappear.");
    run_os_command(s, "", "O/S");
    console::pause(con);
    run_os_command(s, "Cls", "O/S");
    con.clear_screen();
}

} // namespace control
