// The Powder CIF dialogue of the save menu (SA option F).
#include <string>

#include "console/console.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/cdt_file.hpp"
#include "dataset/commands.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/save_dialogue.hpp"

namespace dataset {

void save_cif(control::Session& s)
{
    console::Console& con = s.con;
    Dataset& ds = s.ds;
    // The requests of RS and EP end with this dialogue, whatever its outcome.
    struct ClearRequests {
        Dataset& ds;
        ~ClearRequests()
        {
            ds.name_append.clear();
            ds.title_append.clear();
        }
    } clear_requests{ds};

    if (!confirm_without_pattern(s))
        return;
    clear_for_nt(s);
    SaveDefaults defaults = save_defaults(s);
    if (defaults.appending)
        con.line("Save the new dataset as a Powder CIF (Crystallographic Interchange Format");
    else
        con.line("Save the current dataset as a Powder CIF (Crystallographic Interchange Format)");
    con.endl();

    NameLoopTexts texts{"A CIF file of this name already exists - overwrite (Y/N, default=N)?  ",
                        "es - Ok", "Creating a new Powder CIF file for dataset "};
    std::string name, path;
    if (!ask_save_name(s, defaults, texts, [](const std::string& n) { return n + ".CIF"; }, name, path))
        return;
    TextFile f;
    if (!open_write(con, f, path, 'O'))
        return;

    int limit = 50 - static_cast<int>(name.size());
    title_dialogue(s, limit < 1 ? 1 : limit, defaults.title);
    const std::string cif_title = name + " (" + console::date_stamp() + " at " + console::time_stamp() +
                                  ") = " + ds.Title;
    con.line("giving CIF title:");
    con.line("  " + cif_title);

    bool ok = write_cif(s, f, name, cif_title);
    ok = close_write(con, f) && ok;
    con.endl();
    if (ok)
        con.line("Powder CIF file successfully written to disk as dataset " + name);
    else
        con.line("** Powder CIF file " + path + " has not been written **");
}

} // namespace dataset
