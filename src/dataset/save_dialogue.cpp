// Steps shared by the dataset save dialogue and the Powder CIF dialogue: the
// no-pattern confirmation, defaults, the name loop and the title dialogue.
#include "dataset/save_dialogue.hpp"

#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"

namespace dataset {

bool confirm_without_pattern(control::Session& s)
{
    console::Console& con = s.con;
    if (s.ds.Nobs != 0)
        return true;
    con.line("** Warning - There isn't an observed pattern loaded **");
    std::string reply = console::ask_code(con, "Are you sure you want to proceed (Y/N, default=N)?  ",
                                          "YN", "N", "** not saved **");
    if (reply[0] == 'Y') {
        con.put("es  -  Ok");
        con.endl();
        return true;
    }
    con.endl();
    return false;
}

void clear_for_nt(control::Session& s)
{
    if (!s.con.nt_family)
        return;
    s.con.clear_screen();
    s.con.lines(4);
}

SaveDefaults save_defaults(const control::Session& s)
{
    const Dataset& ds = s.ds;
    SaveDefaults d;
    if (!ds.name_append.empty()) {
        d.appending = true;
        int keep = 8 - static_cast<int>(ds.name_append.size());
        d.name = console::left_part(ds.Dset, keep < 0 ? 0 : keep) + ds.name_append;
        int keep_title = 69 - static_cast<int>(ds.title_append.size());
        d.title = console::left_part(ds.Title, keep_title < 0 ? 0 : keep_title) + ds.title_append;
        d.hint = "use";
    } else {
        d.name = ds.Dset;
        d.title = ds.Title;
        d.hint = "repeat";
    }
    return d;
}

bool ask_save_name(control::Session& s, const SaveDefaults& defaults, const NameLoopTexts& texts,
                   const std::function<std::string(const std::string&)>& path_of,
                   std::string& name, std::string& path)
{
    console::Console& con = s.con;
    for (;;) {
        name = console::read_normalised_reply(
            con, "Dataset name (max 8 letters/digits, default: " + defaults.name + ") or *Q to quit: ");
        if (name.empty()) {
            name = console::upper(defaults.name);
            con.put("(" + defaults.name + ")");
        }
        if (name == "*Q") {
            con.endl();
            con.line("** Not saved **  (To save under a different name, " + defaults.hint + " SA command);");
            return false;
        }
        con.endl();
        if (!check_plain_name(con, name)) {
            con.endl();
            continue;
        }
        path = path_of(name);
        if (!console::file_exists(path)) {
            con.line(texts.creating + name);
            return true;
        }
        std::string reply = console::ask_code(con, texts.exists_question, "YN", "N", "(No)");
        if (reply[0] == 'Y') {
            con.put(texts.overwrite_ok);
            con.endl();
            return true;
        }
        con.endl();
        con.endl();
    }
}

void title_dialogue(control::Session& s, int limit, const std::string& initial)
{
    console::Console& con = s.con;
    if (con.nt_family)
        con.lines(4);
    con.endl();
    con.line("You may now input/edit up to " + std::to_string(limit) + " characters of descriptive title");
    con.endl();
    con.line("Most DOS/Windows editing commands are supported (cursor arrows, ctl-arrows");
    con.line("to skip word, ctl-T to delete word, ctl-Z to reverse last keystroke).");
    con.line("ESC will restore the existing title.  Press ENTER to accept the edited version.");
    con.line("Note that any double-quotes chars (\") will be changed to single ones (').");
    con.endl();
    con.line("Title:   " + (s.ds.Title.empty() ? std::string("(no title supplied yet)") : s.ds.Title));
    con.endl();
    con.endl();
    con.put("Edit:   ");
    std::string title = console::edit_line(con, 10, 24, limit, initial, false, false);
    con.endl();
    con.line("giving:  " + title);
    s.ds.Title = console::quotes_to_apostrophes(title);
}

} // namespace dataset
