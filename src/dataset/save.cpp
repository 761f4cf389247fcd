// SA (the save menu), PS (pattern separation), the shared save dialogue with
// its log entry, and the automatic save of the reload cycle.
#include <string>

#include "console/console.hpp"
#include "console/channels.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/cdt_file.hpp"
#include "dataset/commands.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/save_dialogue.hpp"

namespace dataset {

namespace {

constexpr const char* reload_file = "_RELOAD.CDT";

enum class Outcome { written, not_written, failed, quit };

bool has_data(const Dataset& ds) { return ds.Nobs > 0 || ds.Ctype > 0; }

// The reload cycle's save: "_RELOAD.CDT" without questions. False when the
// file could not be written.
bool save_for_reload(control::Session& s)
{
    TextFile f;
    if (!open_write(s.con, f, reload_file, 'O'))
        return false;
    bool ok = write_dataset(s, s.ds, f, "_RELOAD", LineSelection::all);
    return close_write(s.con, f) && ok;
}

// Pattern separation: which lines to write; false when nothing is to be saved.
bool choose_separated_lines(control::Session& s, LineSelection& which)
{
    console::Console& con = s.con;
    const Dataset& ds = s.ds;
    int remaining = 0;
    for (int i = 1; i <= ds.Nobs; ++i)
        if (ds.included[i])
            ++remaining;
    int excluded = ds.Nobs - remaining;
    if (excluded == 0) {
        con.line("** No lines are flagged as excluded, so pattern separation is not possible **");
        con.line("** Run CA first with a 2Theta- or Q-limit to identify a list of exclusions **");
        return false;
    }
    const std::string e = std::to_string(excluded), r = std::to_string(remaining);
    con.line("Out of " + std::to_string(ds.Nobs) + " observed lines, " + e +
             " have been flagged as excluded, leaving " + r + ".");
    con.endl();
    con.line("Do you want to save the " + e + " excluded lines (E), or the remaining " + r + " lines (R)?");
    std::string reply = console::ask_code(
        con, "  Please select excluded or remaining (E/R, default X=exit):  ", "ERX", "X", "Exit (not saved)");
    con.endl();
    if (reply[0] == 'X')
        return false;
    con.endl();
    which = reply[0] == 'E' ? LineSelection::excluded : LineSelection::included;
    return true;
}

// Steps 3 to 11 of the dialogue, for an interactive save.
Outcome interactive_save(control::Session& s, std::string_view code)
{
    console::Console& con = s.con;
    Dataset& ds = s.ds;
    const bool separation = code.substr(0, 2) == "PS";
    if (!confirm_without_pattern(s))
        return Outcome::not_written;
    LineSelection which = LineSelection::all;
    if (separation && !choose_separated_lines(s, which))
        return Outcome::not_written;
    clear_for_nt(s);

    SaveDefaults defaults = save_defaults(s);
    if (defaults.appending)
        con.line("Save the new dataset in Latticor (CDT) format");
    else if (separation)
        con.line("Save the separated dataset in Latticor (CDT) format");
    else
        con.line("Save the current dataset in Latticor (CDT) format");
    con.endl();

    NameLoopTexts texts{"A dataset of this name already exists - overwrite (Y/N, default=N)?  ",
                        "es  -  Ok", "Creating a new Latticor data file for dataset "};
    std::string name, path;
    if (!ask_save_name(s, defaults, texts, [&](const std::string& n) { return dataset_path(s, n); },
                       name, path))
        return Outcome::quit;

    TextFile f;
    if (!open_write(con, f, path, 'O'))
        return Outcome::failed;
    title_dialogue(s, 69, defaults.title);
    bool ok = write_dataset(s, ds, f, name, which);
    ok = close_write(con, f) && ok;
    if (!ok) {
        con.endl();
        con.line("** Dataset " + name + " has not been saved **");
        return Outcome::failed;
    }

    con.endl();
    con.line("Data successfully saved to disk:");
    con.line("  " + ds.Datestamp);
    con.endl();
    if (!separation && name != ds.Dset) {
        std::string reply = console::ask_code(
            con, "Should \"" + name + "\" become the working name for this dataset (Y/N, default=Y)? ",
            "YN", "Y", "(Y)");
        con.endl();
        if (reply[0] == 'Y') {
            std::string old = ds.Dset;
            ds.prev_name = old;
            ds.Dset = name;
            con.endl();
            con.line("** Working dataset name changed from \"" + old + "\" to \"" + name + "\" **");
        }
    } else {
        con.line("Working dataset name unchanged");
    }
    return Outcome::written;
}

// The text behind "   after " for the command that saved.
std::string log_reason(const Dataset& ds, std::string_view code)
{
    std::string two(code.substr(0, 2));
    std::string detail(code.size() > 2 ? code.substr(2) : std::string_view());
    const std::string nobs = std::to_string(ds.Nobs);
    const std::string loaded = std::to_string(ds.Nloaded);
    if (two == "SA")
        return "SA command by user (" + nobs + " obs lines)";
    if (two == "EP")
        return "EP command: sparse pattern extended from " + loaded + " to " + nobs + " lines";
    if (two == "RS")
        return "RS command: rescale factor = " + detail;
    if (two == "OB")
        return "OB command: " + nobs + " obs lines input by user";
    if (two == "ED")
        return "ED command: " + nobs + " obs lines after edit (previously " + loaded + " lines)";
    if (two == "SC")
        return "SC command: " + detail;
    return "";
}

// The entry in "<NAME>.LOG" after an interactive save.
void log_entry(control::Session& s, std::string_view code)
{
    console::Console& con = s.con;
    const Dataset& ds = s.ds;
    const std::string path = console::squeeze_upper(ds.Dset) + ".LOG";
    const bool existed = console::file_exists(path);
    s.out.log.close();
    if (!console::open_log_file(s, ds.Dset)) {
        con.line("** Failed to open main logfile " + path);
        con.line("   so this Dset change couldn't be logged");
        con.endl();
        return;
    }
    TextFile& log = s.out.log;
    const control::VersionRecord& v = s.version;
    if (existed)
        log.endl();
    log.line("** Dataset " + ds.Dset + " saved by Latticor " + v.edition + (v.edition.empty() ? "" : " ") +
             "v" + v.version + ", " + console::date_stamp() + " at " + console::time_stamp());
    log.put("   after ");
    std::string reason = log_reason(ds, code);
    if (!reason.empty())
        log.line(reason);
    log.line("Title: " + ds.Title);
    log.flush();
}

// The whole dialogue; false when a file was to be written and could not be.
bool save_dialogue(control::Session& s, std::string_view code)
{
    console::Console& con = s.con;
    Dataset& ds = s.ds;
    bool suspended = false;
    if (s.files.auto_reload && !ds.name_append.empty()) {
        con.line("** Automatic save/reload cycle initiated while dataset name-append \"" + ds.name_append + "\"");
        con.line("   request outstanding.  Reload cycle suspended to allow this to be resolved");
        con.line("   (*Q can be used to cancel name-append and re-activate the indexing cycle)");
        con.endl();
        suspended = true;
        s.files.auto_reload = false;
    }
    if (s.files.auto_reload)
        return !has_data(ds) || save_for_reload(s);

    Outcome outcome = interactive_save(s, code);
    ds.name_append.clear();
    ds.title_append.clear();
    if (suspended && has_data(ds) && outcome == Outcome::quit) {
        // "*Q" cancelled the name-append: the cycle resumes.
        s.files.auto_reload = true;
        return save_dialogue(s, "");
    }
    if (outcome == Outcome::written && has_data(ds))
        log_entry(s, code);
    return outcome != Outcome::failed;
}

} // namespace

void save_dataset(control::Session& s, std::string_view code) { save_dialogue(s, code); }

// SA: the save menu.
void SA(control::Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.endl();
    con.line(console::blanks(20) + "Save Current Dataset");
    con.endl();
    con.line("The only available options are now C and X:");
    con.endl();
    con.line("  C = Save in Latticor (CDT) format for reloading later");
    con.line("  F = Powder CIF (IUCr Crystallographic Interchange Format)");
    con.line("  X = to exit back to to the main menu without writing a data file");
    con.endl();
    con.line("  \"Q\" for save to QDAT, to target an external indexing program");
    con.line("  is handled directly by the IN (index) command [from Latticor 2002].");
    con.line("  To launch an indexing run (including with Rivi/Zoro) : enter X, then IN");
    con.endl();
    con.line("  Rivi is launched in topography mode via the MM command: enter X, then MM");
    con.endl();
    char c = console::ask_char(con, "Select option (C = Latticor (CDT), F = CIF, X = Exit; default=C): ",
                               "CFX", 'C', "(C)");
    if (c == 'C') {
        con.put(" = Latt");
        con.endl();
        save_dataset(s, "SA");
    } else if (c == 'F') {
        con.put(" = CIF");
        con.endl();
        save_cif(s);
    } else {
        con.endl();
    }
}

// PS: save the excluded or the remaining lines as a dataset of their own.
void PS(control::Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.endl();
    con.line(console::blanks(26) + "PS = Pattern Separation");
    con.endl();
    con.line(console::blanks(3) + "Save either the lines flagged by CA as excluded, or the remaining lines");
    con.endl();
    save_dataset(s, "PS");
}

bool auto_save(control::Session& s)
{
    s.files.auto_reload = true;
    bool kept = true;
    try {
        kept = save_dialogue(s, "");
    } catch (const console::InputEnded&) {
        // Input ended inside a suspended (interactive) save: take it as "*Q",
        // so the cycle resumes and nothing is lost.
        s.con.endl();
        s.ds.name_append.clear();
        s.ds.title_append.clear();
        s.files.auto_reload = true;
        kept = save_dialogue(s, "");
    }
    s.files.auto_reload = false;
    return kept;
}

} // namespace dataset
