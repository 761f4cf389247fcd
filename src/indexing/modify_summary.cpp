// MS: modify summary files by starting the outside tools that merge the
// summaries of two datasets or remove a rescale factor.
#include <string>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "indexing/commands.hpp"
#include "indexing/names.hpp"

namespace indexing {

namespace {

using console::Console;

bool information_ready(Console& con)
{
    std::string reply = console::ask_code(
        con, "Do you have this information ready (Y/N, default=N)? ", "YN", "N", "(N)");
    if (reply[0] == 'Y')
        con.put("es  -  Ok");
    con.endl();
    return reply[0] == 'Y';
}

bool summary_exists(control::Session& s, const std::string& name)
{
    return console::file_exists(dataset::data_file_path(s, name, ".SUM"));
}

// A dataset name whose summary file exists; empty when the user quits.
std::string existing_summary(control::Session& s, const std::string& prompt)
{
    Console& con = s.con;
    for (;;) {
        std::string name = console::read_normalised_reply(con, prompt);
        con.endl();
        if (name.empty())
            return name;
        if (!valid_file_name(name))
            con.line(invalid_name_message);
        else if (summary_exists(s, name))
            return name;
        else
            con.line("No summary file " + name + " present in this directory, please try again");
    }
}

// The destination: dset2 by default; another existing summary only when the
// user agrees to overwrite it.
std::string destination(control::Session& s, const std::string& dset2)
{
    Console& con = s.con;
    for (;;) {
        std::string name =
            console::read_normalised_reply(con, "Name of merged dataset, default=dset2: ");
        if (name.empty()) {
            name = dset2;
            con.put("(" + dset2 + ")");
        }
        con.endl();
        if (!valid_file_name(name)) {
            con.line(invalid_name_message);
            continue;
        }
        if (name == dset2 || !summary_exists(s, name))
            return name;
        std::string reply = console::ask_code(
            con, "A summary file of this name already exists - overwrite (Y/N, default=N)?  ",
            "YN", "N", "(N)");
        con.endl();
        if (reply[0] == 'Y')
            return name;
    }
}

void unscale(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line(console::blanks(24) + "Unscale Summary Files");
    con.endl();
    con.line("Unscales .SUM and .SMH summary files containing cells from a previously");
    con.line("rescaled dataset (see the RS command), so that the cells regain the original");
    con.line("metrics of the observed pattern.  UNSCALE will ask for the dataset name and");
    con.line("the rescale factor that was applied, so please have these ready before you");
    con.line("start, as it will prompt you");
    con.line("for them.  ");
    if (information_ready(con))
        control::run_os_command(s, console::shell_quote(s.dirs.home + "unscale"), "UNSCALE");
}

void merge(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line(console::blanks(24) + "Merge Summary Files");
    con.endl();
    con.line("Merges the summary files (.SUM and .SMH) for two dataset names (dset1 & dset2)");
    con.line("into one pair of summary files, in which the cells of both are ranked");
    con.line("together.  You will need the names of the two datasets (source1 and source2)");
    con.line("whose summary files are to be");
    con.line("merged, and the name of the destination dataset (if different from source2)");
    if (!information_ready(con))
        return;
    std::string dset1 =
        existing_summary(s, "1st dataset name (dset1), or press ENTER to quit: ");
    if (dset1.empty())
        return;
    std::string dset2 =
        existing_summary(s, "2nd dataset name (dset2), or press ENTER to quit: ");
    if (dset2.empty())
        return;
    std::string dest = destination(s, dset2);
    std::string command = console::shell_quote(s.dirs.home + "mergesum") + " " +
                          console::shell_argument(dset1) + " " + console::shell_argument(dset2);
    if (dest != dset2)
        command += " " + console::shell_argument(dest);
    control::run_os_command(s, command, "MERGESUM");
}

} // namespace

// MS: modify summary files (unscale or merge).
void MS(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line(console::blanks(10) + "Modify Summary Files (Unscale & Merge)");
    con.endl();
    con.line("Provides housekeeping operations on summary files as follows:");
    con.endl();
    con.line("  M) Merge two summary files (combine the results for two dataset names)");
    con.endl();
    con.line("  U) Unscale a summary file (to remove a previous rescale factor)");
    con.endl();
    char c = console::ask_code(con, "Please select M or U (default: Q to quit): ", "MUQ", "Q",
                               "(Quit)")[0];
    con.endl();
    if (c == 'U')
        unscale(s);
    else if (c == 'M')
        merge(s);
    if (s.ds.Nobs == 0)
        con.endl();
}

} // namespace indexing
