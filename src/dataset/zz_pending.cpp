// TEMPORARY stand-in for interfaces of other subsystems not yet on main:
// cell::compute_q2a, console::edit_line, files::list_files. Remove each as
// soon as the real one lands.
#include <algorithm>
#include <string>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/platform.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "files/commands.hpp"

namespace cell {

void compute_q2a(dataset::Dataset& ds)
{
    ds.Q2A[1] = 20000.0 * ds.RR[2] * ds.RR[3];
    ds.Q2A[2] = 20000.0 * ds.RR[3] * ds.RR[1];
    ds.Q2A[3] = 20000.0 * ds.RR[1] * ds.RR[2];
}

} // namespace cell

namespace console {

// Keys typed are added behind the starting text (the editor's insert mode
// with the cursor after the text); ENTER accepts.
std::string edit_line(Console& con, int, int, int width, std::string_view initial, bool, bool)
{
    std::string text = left_part(trim_right(initial), width);
    con.put(text);
    for (;;) {
        int k = con.read_key();
        if (k == 13 || k == 3)
            break;
        if (k == 0) {
            con.read_key();
            continue;
        }
        if (k >= 32 && static_cast<int>(text.size()) < width)
            text += static_cast<char>(k);
    }
    con.endl();
    return trim_right(text);
}

} // namespace console

namespace files {

void list_files(control::Session& s, const std::string& dir, std::string_view pattern,
                std::string_view extension)
{
    console::Console& con = s.con;
    std::string spec = dir + std::string(pattern) + "." + std::string(extension);
    con.endl();
    con.line("  Directory/File specification is:  " + spec);
    con.endl();
    auto names = console::matching_files(dir, std::string(pattern) + "." + std::string(extension));
    if (names.empty()) {
        con.line("  (No files found with this specification)");
        return;
    }
    for (std::string& n : names)
        n = console::upper(n);
    std::sort(names.begin(), names.end());
    std::string row;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string n = names[i];
        n.resize(15, ' ');
        row += n;
        if (i % 5 == 4 || i + 1 == names.size()) {
            con.line("  " + row);
            row.clear();
        }
    }
}

} // namespace files
