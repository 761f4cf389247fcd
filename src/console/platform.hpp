// The operating system under the program: case-insensitive file lookup,
// directories, the installation's home directory, and running commands.
#pragma once

#include <string>
#include <vector>

namespace console {

class Console;

// "\" taken as "/", then each component that does not exist under its exact
// spelling matched case-insensitively against the directory's entries.
// Components that match nothing are kept as given.
std::string resolve_path(const std::string& path);

bool file_exists(const std::string& path);       // a regular file (after resolving)
bool directory_exists(const std::string& path);
bool remove_file(const std::string& path);        // true when a file was removed
std::string current_directory();
// The running system as "<sysname> <release> (<machine>)", from uname.
std::string system_name();
bool change_directory(const std::string& path);

// Names of the regular files in `dir` ("" = current directory) whose name
// matches the DOS-style pattern ("*", "?"; e.g. "*.CDT", "*.??D"), compared
// case-insensitively, in directory order.
std::vector<std::string> matching_files(const std::string& dir, const std::string& pattern);

// The installation's home directory, "<prefix>/share/latticor/" for a
// program in "<prefix>/bin/" (or in any folder beside "share/", as in the
// build tree), found from the running executable; "" when it cannot be.
std::string home_directory();

// The shell's exit status for a program it could not find.
inline constexpr int not_found = 127;

// Runs `command` through the interpreter named by COMSPEC (else /bin/sh)
// with "-c" and waits for it to end. Meanwhile the terminal is in its normal
// mode with the colours reset, and Ctrl-C reaches the command, not this run.
// Returns 0 when the command ran (whatever its own exit status), `not_found`
// when the shell found no such program, else the start-error code of the
// command loop: 2 interpreter not found, 5 not executable or no permission,
// 8 out of memory, otherwise the errno value.
int run_command(Console& con, const std::string& command);

// Runs `program` (a command word, perhaps with options of its own, as $VISUAL
// may hold) on `argument`, given by shell_argument, through run_command. A
// program that is nowhere to be found gives `not_found` without a start.
int run_program(Console& con, const std::string& program, const std::string& argument);

// The first word of a command line: the program it runs.
std::string program_of(const std::string& command);

// A text quoted for the shell: single quotes, embedded ones escaped.
std::string shell_quote(const std::string& text);
// A name the user typed, as one shell argument that no program can take for
// an option: quoted, and "./" put before a name that begins with "-".
std::string shell_argument(const std::string& name);

// The user's standing Unix choices: the text editor is $VISUAL, else $EDITOR,
// else xdg-open when a display is available, else vi; the pager is $PAGER,
// else less, else more.
std::string default_editor();
std::string default_pager();

} // namespace console
