// CD (also DR): the data directory in which datasets are looked for, and the
// dataset listing shared with LO.
#include <string>

#include "console/console.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/file_utils.hpp"
#include "files/commands.hpp"

namespace dataset {

void dataset_listing(control::Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.clear_screen();
    con.line("Drive / directory information followed by listing of Latticor datasets");
    con.line("in currently selected directory, sorted into name order:  " + data_directory_text(s) + "*.CDT");
    files::list_files(s, data_directory_text(s), "*", "CDT");
}

// CD: change the directory in which datasets are loaded and saved.
void CD(control::Session& s)
{
    console::Console& con = s.con;
    Dataset& ds = s.ds;
    con.endl();
    con.endl();
    con.line("Change default directory for loading datasets, currently " +
             (ds.data_dir.empty() ? std::string("the start-up directory") : ds.data_dir));
    con.endl();
    con.line("** Warning **  This provides only a very limited \"Change Directory\" facility:");
    con.line("1) It does not support long directory names, even in truncated \"8.3\" format.");
    con.line("2) Indexing runs can only be launched from the start-up directory from which");
    con.line("this run of Latticor was begun.  To launch them from any other directory,");
    con.line("you would first need to quit this run and start up Latticor again from the");
    con.line("other directory, otherwise the chain of communication between the various parts");
    con.line("of the Latticor system would become confused.  Thus this CD command is only");
    con.line("intended for searching disks, editing datasets and other basic housekeeping");
    con.line("tasks (unless you are using it to return to the start-up directory)");
    con.endl();
    std::string reply =
        console::read_normalised_reply(con, "Do you still want to change directory/drive (Y/N, default=N)? ");
    if (reply.empty()) {
        con.put("(N)");
        con.endl();
        return;
    }
    if (reply[0] == 'N') {
        con.endl();
        return;
    }
    con.endl();
    con.line("Give either a complete path (safest), or a path relative to the start-up");
    con.line("  directory, or 0 to return to the start-up directory (default: no change).");
    con.line("  or 0 to return to the start-up directory (default: no change)");
    std::string path = console::read_normalised_reply(con, "New directory: ");
    if (path.empty()) {
        con.put("(no change)");
        con.endl();
        return;
    }
    if (path == "0") {
        ds.data_dir.clear();
        s.files.dir_changed = 0;
        con.put(" (start-up directory)");
        con.endl();
    } else {
        for (char& c : path)
            if (c == '\\')
                c = '/';
        con.endl();
        con.line("Default directory for loading datasets is now " + path);
        if (!ds.data_dir.empty()) {
            con.line("(** indexing runs can only be launched from the start-up directory,");
            con.line(" in this case: " + s.dirs.startup + " **)");
        }
        bool drive = path.size() == 2 && path[1] == ':';
        if (!drive && path.back() != '/')
            path += '/';
        ds.data_dir = path;
        s.files.dir_changed = 1;
    }
    dataset_listing(s);
}

} // namespace dataset
