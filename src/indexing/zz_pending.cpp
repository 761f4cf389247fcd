// TEMPORARY stand-in definitions of routines other subsystems are building,
// so that the indexing commands link and can be tried meanwhile. Each goes
// as soon as the real one lands on main. Nothing in the tests relies on
// what these print.
#include <cctype>
#include <cstdio>

#include "cell/commands.hpp"
#include "cell/conversions.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/file_utils.hpp"
#include "files/commands.hpp"
#include "pattern/commands.hpp"

// TEMPORARY stand-in
namespace console {
std::string edit_line(Console& con, int, int, int width, std::string_view initial, bool, bool)
{
    std::string text = left_part(trim_right(initial), width);
    con.put(text);
    for (int k = con.read_key(); k != 13 && k != 3; k = con.read_key()) {
    }
    con.endl();
    return text;
}
bool open_log_file(control::Session& s, std::string_view name)
{
    if (!s.out.log.is_open())
        s.out.log.open_append(squeeze_upper(name) + ".LOG");
    return s.out.log.is_open();
}
} // namespace console

// TEMPORARY stand-in
namespace dataset {
std::string data_file_path(const control::Session& s, std::string_view name,
                           std::string_view extension)
{
    return s.ds.data_dir + console::squeeze_upper(name) + std::string(extension);
}
bool open_write(console::Console& con, TextFile& f, const std::string& path, char, bool)
{
    if (f.open_replace(path) == 0)
        return true;
    con.line("** could not open " + path + " **");
    return false;
}
bool close_write(console::Console& con, TextFile& f)
{
    int e = f.commit();
    if (e != 0)
        con.line("** write failed on " + f.path() + " **");
    return e == 0;
}
bool wr_str(console::Console& con, TextFile& f, std::string_view text, int line_ends)
{
    f.put(text);
    for (int i = 0; i < line_ends; ++i)
        f.endl();
    if (f.error() != 0) {
        con.line("** Wr_str to \"" + f.path() + "\" failed with errorcode " +
                 std::to_string(f.error()));
        return false;
    }
    return true;
}
namespace {
std::string field(TextFile& f, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) {
        int c = f.peek();
        if (c == EOF || c == '\r' || c == '\n') {
            s += std::string(n - i, ' ');
            break;
        }
        f.get();
        s += (c < 32 || c == 127) ? ' ' : static_cast<char>(c);
    }
    return s;
}
std::string numeric(std::string s)
{
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return "0";
    s = s.substr(b);
    for (char& c : s)
        if (c == ' ')
            c = '0';
    return s;
}
} // namespace
int frd_text(console::Console&, TextFile& f, int n, std::string& s)
{
    s = field(f, n);
    return 0;
}
int frd_int(console::Console& con, TextFile& f, int n, int& i)
{
    std::string t = numeric(field(f, n));
    i = 0;
    if (console::parse_int(t, i))
        return 0;
    con.line("** FrdInt: value read \"" + t + "\" failed conversion to integer **");
    return 1000;
}
int frd_dbl(console::Console& con, TextFile& f, int n, double& x)
{
    std::string t = numeric(field(f, n));
    x = 0;
    if (console::parse_real(t, x))
        return 0;
    con.line("** FrdDbl: value read \"" + t + "\" failed conversion to double **");
    return 1000;
}
void frd_skip(console::Console&, TextFile& f, int n) { field(f, n); }
void skip_line(TextFile& f)
{
    for (int c = f.get(); c != EOF && c != '\n'; c = f.get()) {
    }
}
void auto_save(control::Session&) {}
} // namespace dataset

// TEMPORARY stand-in
namespace files {
void list_files(control::Session& s, const std::string& dir, std::string_view pattern,
                std::string_view extension)
{
    for (const std::string& n :
         console::matching_files(dir, std::string(pattern) + "." + std::string(extension)))
        s.con.line("  " + console::upper(n));
}
void list_directory(control::Session& s, std::string_view heading, const std::string& dir,
                    std::string_view pattern, std::string_view extension)
{
    s.con.line("Drive / directory information followed by listing of " + std::string(heading));
    list_files(s, dir, pattern, extension);
}
void indexing_help(control::Session& s) { s.con.line("(indexing help)"); }
} // namespace files

// TEMPORARY stand-in
namespace cell {
bool cell_from_direct(dataset::Dataset&) { return true; }
void expand_direct_cell(control::Session& s)
{
    s.ds.Ctype = 1;
    s.con.line("(cell expanded)");
}
void automatic_limits(const dataset::Dataset&, dataset::IndexRow& limits) { limits.fill(0); }
} // namespace cell

// TEMPORARY stand-in
namespace pattern {
void revise_pattern(control::Session&) {}
} // namespace pattern
