// Opening text files for reading and writing with their failures reported,
// and the texts of the file-system write errors.
#pragma once

#include <string>

#include "console/textfile.hpp"

namespace console {

class Console;

// Reports "** OpenInFile failed to open file ..." on failure.
bool open_read(Console& con, TextFile& f, const std::string& path);
// if_exists: 'O' overwrite (through a temporary file, see TextFile), 'A'
// append, 'Q' ask (default_yes gives the default of the question).
bool open_write(Console& con, TextFile& f, const std::string& path, char if_exists,
                bool default_yes = false);
// Creates a file anew, writing to it directly (files that stay open while
// they grow, such as the map files).
bool open_new(Console& con, TextFile& f, const std::string& path);
// Ends a file opened by open_write; reports a failed commit as a write error.
bool close_write(Console& con, TextFile& f);

std::string write_error_text(int code);
// The file-system error code reported for an errno value.
int write_error_code(int err);
// The system's words for an errno value ("No space left on device"); empty
// for the codes whose text the table gives.
std::string system_error_text(int err);

} // namespace console
