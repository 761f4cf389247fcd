// The operating system under the program: case-insensitive file lookup,
// directories, and starting commands without waiting for them.
#pragma once

#include <string>
#include <vector>

namespace console {

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

// Starts `command` through the interpreter named by COMSPEC (else /bin/sh)
// with "-c", without waiting. Returns 0 on success, else the start-error code
// of the command loop: 2 interpreter not found, 5 not executable or no
// permission, 8 out of memory, otherwise the errno value.
int start_shell_command(const std::string& command);

// Starts `program` with `argument` as its single argument, without waiting;
// same result codes.
int start_program(const std::string& program, const std::string& argument);

// A text quoted for the shell: single quotes, embedded ones escaped.
std::string shell_quote(const std::string& text);

// Collects finished children so that none is left a zombie.
void reap_children();

} // namespace console
