// Directory listings: the sorted names of the files matching a pattern,
// five to a line, shared by VF and the commands that pick a file by name.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/limits.hpp"
#include "files/commands.hpp"

namespace files {

namespace {

constexpr int names_per_line = 5;
constexpr int name_width = 15;
constexpr int lines_per_page = 22;

using NameArray = std::array<std::string, dataset::max_file_names>;

// The name pattern of a listing, e.g. "*.CDT".
std::string name_pattern(std::string_view pattern, std::string_view extension)
{
    return std::string(pattern) + "." + std::string(extension);
}

// Repeated passes over the list, exchanging neighbours out of order, until a
// pass makes no exchange. The names are shown upper-cased, so they are
// ordered that way too.
void exchange_sort(NameArray& names, int n)
{
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (names[i + 1] < names[i]) {
                std::swap(names[i], names[i + 1]);
                exchanged = true;
            }
        }
    }
}

std::string padded_name(const std::string& name)
{
    // A name that fills its column still gets one blank, so that long
    // names never run into each other.
    if (static_cast<int>(name.size()) >= name_width)
        return name + " ";
    return name + console::blanks(name_width - static_cast<int>(name.size()));
}

} // namespace

void list_directory(control::Session& s, std::string_view heading, const std::string& dir,
                    std::string_view pattern, std::string_view extension)
{
    console::Console& con = s.con;
    con.endl();
    con.clear_screen();
    con.line("Drive / directory information followed by listing of " + std::string(heading));
    con.line("in the currently selected directory, sorted into name order:  " +
             dir + name_pattern(pattern, extension));
    list_files(s, dir, pattern, extension);
}

void list_files(control::Session& s, const std::string& dir, std::string_view pattern,
                std::string_view extension)
{
    console::Console& con = s.con;
    const std::string names_wanted = name_pattern(pattern, extension);
    con.endl();
    con.line("  Directory/File specification is:  " + dir + names_wanted);
    con.endl();

    std::vector<std::string> found = console::matching_files(dir, names_wanted);
    auto names = std::make_unique<NameArray>();
    int n = 0;
    for (const std::string& name : found) {
        if (n == dataset::max_file_names) {
            con.line("** Filenames array full: only first " +
                     std::to_string(dataset::max_file_names) + " will be shown");
            continue;
        }
        (*names)[n++] = console::upper(name);
    }
    if (n == 0) {
        con.line("  (No files found with this specification)");
        return;
    }
    exchange_sort(*names, n);

    int lines = 0;
    for (int first = 0; first < n; first += names_per_line) {
        std::string text = "  ";
        for (int i = first; i < n && i < first + names_per_line; ++i)
            text += padded_name((*names)[i]);
        con.line(text);
        if (++lines == lines_per_page) {
            lines = 0;
            console::pause(con);
        }
    }
}

} // namespace files
