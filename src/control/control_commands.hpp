// The commands and shared routines of program control.
#pragma once

#include <string>
#include <string_view>

namespace control {

struct Session;

// RU: run an operating-system command.
void RU(Session& s);
// VE: version and directories.
void VE(Session& s);

// Runs `command` through the command interpreter and waits for it ("Cls"
// clears the screen); an empty command is asked for first. Reports a start
// error under `name`.
void run_os_command(Session& s, std::string command, std::string_view name);
// The start-error report for result codes 1 to 31 (an empty name: "Windows"),
// and for a program the shell did not find, naming `program`.
void report_start_error(Session& s, std::string_view name, int code,
                        std::string_view program = {});

// Start-up (version record, screen, banner, defaults, reload).
void start_up(Session& s);
// The quit check of QU, EN, EX and BY.
void quit_check(Session& s);
// Saves for the reload cycle, closes the open files, restores the console.
// False when the working dataset had to be kept and could not be.
bool shut_down(Session& s);
// The whole run after the command line was accepted; returns the exit code:
// 1 when the shutdown save failed, so that the outside driver stops.
int run(Session& s);

// The version line: the start-up form, or the VE form.
std::string version_line(const Session& s, bool ve_form);

} // namespace control
