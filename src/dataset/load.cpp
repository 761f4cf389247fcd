// LO: loading a dataset file, interactively or as the automatic reload of
// the hand-over cycle.
#include <memory>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/cdt_file.hpp"
#include "dataset/commands.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/model.hpp"

namespace dataset {

namespace {

constexpr const char* reload_file = "_RELOAD.CDT";

// Every failure ends with the hint, and the previous name comes back.
void retry_hint(control::Session& s)
{
    s.con.line("(To try again using a different name, repeat LO command.");
    s.con.line(" To change default directory, first use CD command, then LO)");
    s.ds.Dset = s.ds.prev_name;
}

std::string summary_line(const Dataset& ds)
{
    std::string line = std::to_string(ds.Nobs) + " lines supplied as " +
                       (ds.Dflag == 1 ? "2Theta" : "d or Q") + " (wavelength " +
                       console::real_text(ds.W0, 8, 6) + ")";
    if (ds.Iflag == 0)
        line += ", no";
    else
        line += ds.ikind == 0 ? " with qual" : " with quant";
    return line + " intensities";
}

// Opens and reads `path` into a copy of the working record, which replaces
// the working dataset only when the whole file was read: a failed load
// leaves the dataset as it was (apart from the name, which the caller
// restores).
bool load_file(control::Session& s, const std::string& path)
{
    console::Console& con = s.con;
    TextFile f;
    if (f.open_read(path) != 0) {
        con.endl();
        con.line("** Failed to open dataset \"" + s.ds.Dset + "\" in directory" + data_directory_text(s) +
                 "  -  Command ignored **");
        con.line("** In use by another program?  File system problem? **");
        retry_hint(s);
        return false;
    }
    auto copy = std::make_unique<Dataset>(s.ds);
    bool read = false;
    try {
        read = read_dataset(s, *copy, f);
    } catch (const console::InputEnded&) {
        // Input ended at the name question: the working dataset stays as it was.
        s.ds.Dset = s.ds.prev_name;
        throw;
    }
    if (!read) {
        retry_hint(s);
        return false;
    }
    s.ds = *copy;
    s.files.last_loaded = path;
    con.line(summary_line(s.ds));
    con.endl();
    return true;
}

void finish(control::Session& s)
{
    if (s.ds.Nobs != 0)
        s.ds.Nloaded = s.ds.Nobs;
    s.files.auto_reload = false;
}

void reload(control::Session& s)
{
    console::Console& con = s.con;
    const bool own = s.files.own_file;
    const std::string path = own ? s.files.last_loaded : reload_file;
    con.line("Reloading dataset:");
    if (load_file(s, path)) {
        con.put("Dataset \"" + s.ds.Dset + "\" reloaded");
        if (!own)
            console::remove_file(path);
        s.files.own_file = false;
        if (s.ds.Nobs == 0) {
            con.put(" - press ENTER to continue");
            finish(s);
            con.read_line();
        }
        con.endl();
    }
    finish(s);
}

} // namespace

// LO: load a dataset file from the data directory.
void LO(control::Session& s)
{
    if (s.files.auto_reload) {
        reload(s);
        return;
    }
    console::Console& con = s.con;
    Dataset& ds = s.ds;
    con.endl();
    dataset_listing(s);
    con.endl();
    std::string name = console::read_normalised_reply(
        con, "Load Dataset - called (omitting .CDT, default = no change): ");
    if (name.empty()) {
        con.put("( No Change )");
        con.endl();
        finish(s);
        return;
    }
    ds.prev_name = ds.Dset;
    ds.Dset = name;
    std::string path;
    if (!is_plain_name(name)) {
        con.endl();
        check_plain_name(con, name);
        retry_hint(s);
    } else if (!dataset_exists(s, name, path)) {
        con.endl();
        con.line("** Couldn't access dataset \"" + name + "\" in directory " + data_directory_text(s) +
                 "  -  Command ignored **");
        con.line("** Not present?  Name mistyped?  In use by another program? **");
        retry_hint(s);
    } else if (load_file(s, path)) {
        con.put("Dataset \"" + ds.Dset + "\" loaded");
        if (out_of_order(ds)) {
            con.endl();
            con.endl();
            order_by_q(con, ds, true);
        }
        if (ds.Nobs > 0 && ds.Nobs < 20) {
            few_lines_warning(s);
            console::pause(con);
        } else {
            con.endl();
            con.endl();
        }
        volume_estimates(s);
    }
    finish(s);
}

void auto_reload(control::Session& s)
{
    // The banner stays readable until the user goes on.
    console::pause(s.con);
    s.files.auto_reload = true;
    LO(s);
}

} // namespace dataset
