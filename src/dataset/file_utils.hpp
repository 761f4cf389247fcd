// Text-file utilities: opening with reported failures, writers with error
// reporting, the comma-delimited and fixed-width field readers, and the
// names of dataset files.
#pragma once

#include <string>
#include <string_view>

#include "console/file_open.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}

namespace dataset {

// ---- names ----
// Data directory + name (blanks removed, upper case) + extension.
std::string data_file_path(const control::Session& s, std::string_view name,
                           std::string_view extension);
std::string dataset_path(const control::Session& s, std::string_view name);  // ".CDT"
bool dataset_exists(const control::Session& s, std::string_view name, std::string& path);
bool file_exists_in_data_dir(const control::Session& s, std::string_view name,
                             std::string_view extension, std::string& path);
// The data directory as shown in messages ("./" for the start-up directory).
std::string data_directory_text(const control::Session& s);
// A typed dataset name is only a file name in the data directory: "/", "\"
// and ".." are refused, and so is a double quote, which the dataset file
// cannot hold (check_plain_name says so on the screen).
bool is_plain_name(std::string_view name);
bool check_plain_name(console::Console& con, std::string_view name);

// ---- opening (the platform's text-file openers) ----
using console::TextFile;
using console::open_read;
using console::open_write;
using console::open_new;
using console::close_write;
using console::write_error_text;
using console::write_error_code;

// ---- writers with error reporting ----
bool wr_dbl(console::Console& con, TextFile& f, double x, int w, int d, int line_ends);
bool wr_int(console::Console& con, TextFile& f, long long i, int w, int line_ends);
bool wr_str(console::Console& con, TextFile& f, std::string_view text, int line_ends);

// ---- comma-delimited field readers: 0 on success, else the error code ----
int read_double(console::Console& con, TextFile& f, double& x);
int read_integer(console::Console& con, TextFile& f, int& i);
int read_quoted(console::Console& con, TextFile& f, std::string& s);

// ---- fixed-width field readers ----
char frd_char(console::Console& con, TextFile& f);
int frd_text(console::Console& con, TextFile& f, int n, std::string& s);
int frd_int(console::Console& con, TextFile& f, int n, int& i);
int frd_dbl(console::Console& con, TextFile& f, int n, double& x);
int frd_dbl_comma(console::Console& con, TextFile& f, int n, double& x);
void frd_skip(console::Console& con, TextFile& f, int n);
// Skips the rest of the current line, its line end included.
void skip_line(TextFile& f);

} // namespace dataset
