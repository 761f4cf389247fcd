// VF, the file viewer (a chosen file opened in an outside editor), and VM,
// the manual viewer; both wait for the program they start.
#include <array>
#include <string>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"
#include "files/commands.hpp"

namespace files {

namespace {

// The manual, in the Doc directory of the home directory.
constexpr std::string_view manual_name = "Latticor.md";

// One selection code of VF. Rich-text files (RT) are offered: an editor
// shows them as text, a desktop opener in their word processor. MA lists
// the manuals, which are Markdown here.
struct Selection {
    std::string_view code;
    std::string_view menu;       // the menu text after "  XX = "
    std::string_view extension;  // listing pattern "*." + extension
    std::string_view heading;    // listing heading
    bool dataset_name;           // a dataset name is asked, not a full file name
    char program_letter;         // ID, IS, IO: a program code and this letter follow
    bool in_doc;                 // in the Doc directory of the home directory
};

constexpr std::array<Selection, 15> selections{{
    {"SM", ".SUM (Latticor summary file)", "SUM", "Latticor summaries", true, 0, false},
    {"SH", ".SMH (headed Latticor summary file)", "SMH", "headed Latticor summaries", true, 0,
     false},
    {"LG", ".LOG (Latticor logfile)", "LOG", "Latticor logfiles", true, 0, false},
    {"CD", ".CDT (Latticor dataset)", "CDT", "Latticor datasets", true, 0, false},
    {"ID", ".??D (indexing program input data file)", "??D", "indexing datafiles", true, 'D',
     false},
    {"IS", ".??S (indexing program short output file)", "??S", "indexing short output files",
     true, 'S', false},
    {"IO", ".??O (indexing main output file, also reduced-cell and QDAT outputs)", "??O",
     "indexing main output files", true, 'O', false},
    {"RO", ".CLO (reduced-cell analysis output)", "CLO", "reduced-cell analyses", true, 0,
     false},
    {"RS", ".CLM (reduced-cell summary list)", "CLM", "reduced-cell summaries", true, 0, false},
    {"BS", ".LZB (basis-set list)", "LZB", "basis set list files", true, 0, false},
    {"MP", ".MMP (Rivi merit-map array file)", "MMP", "Rivi mapfiles", true, 0, false},
    {"RT", ".RTF (rich-text format file)", "RTF", "rich-text format files", false, 0, false},
    {"??", "any file (all files in the current directory)", "*", "all files", false, 0, false},
    {"MA", ".MD (Latticor manual, in sub-dir Doc of the Latticor home directory)", "MD",
     "manuals", false, 0, true},
    {"TX", ".TXT (text manual etc, in sub-dir Doc of the Latticor home directory)", "TXT",
     "text manuals, etc", false, 0, true},
}};

const Selection* find_selection(std::string_view code)
{
    for (const Selection& sel : selections)
        if (sel.code == code)
            return &sel;
    return nullptr;
}

std::string doc_directory(const control::Session& s)
{
    std::string home = s.dirs.home;
    if (!home.empty() && home.back() != '/')
        home += '/';
    return home + "Doc/";
}

std::string trim(const std::string& text)
{
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return console::trim_right(text.substr(first));
}

void show_menu(console::Console& con)
{
    con.endl();
    con.endl();
    con.clear_screen();
    con.line(console::blanks(21) + "View/Edit a selected File");
    con.endl();
    con.line("Select type of file in current directory to View/Edit");
    con.line("(to change directory, exit and use the CD comand)");
    con.endl();
    con.line("The following selection codes are supported:");
    con.endl();
    for (const Selection& sel : selections)
        con.line("  " + std::string(sel.code) + " = " + std::string(sel.menu));
    con.line("  EX = Exit to Latticor command level (default)");
}

// The selection code, or nullptr for EX and QU. A reply is taken when it
// occurs anywhere in the list, as every choice is; one that is only a part of
// it (a single letter, a comma) is then refused by name.
const Selection* ask_selection(console::Console& con)
{
    for (;;) {
        con.endl();
        const std::string code =
            console::ask_code(con, "Please enter a 2-char selection code (default: EX=Exit): ",
                              "BS,CD,ID,IS,IO,LG,MA,MP,RO,RS,RT,SH,SM,TX,EX,??,QU", "EX", "(Exit)");
        con.endl();
        if (code == "EX" || code == "QU")
            return nullptr;
        if (const Selection* sel = find_selection(code))
            return sel;
        con.line("** Not recognised **");
    }
}

// The program part of an indexing file's extension, or "" to leave VF. As
// with every choice, any part of the list is taken as typed.
std::string ask_program_code(console::Console& con)
{
    con.line("Now please enter an program code from the following list");
    for (;;) {
        const std::string code = console::ask_code(
            con, "  Program code (TP,DV,IT,FJ,TR,KL,LZ,MM,LS; QD,CL,LX; default=exit): ",
            "TP,D1,IT,FJ,TR,NT,KL,D2,LZ,MM,DV,LS,QD,CL,LX, ?,EX", "EX", "(exit)");
        con.endl();
        if (code == "EX")
            return {};
        if (code != "?")
            return code;
        con.line("  TP = TAUP      DV, D1, D2 = DICVOL91   IT = ITO12     FJ = FJZN6");
        con.line("  TR = TREOR90   NT = N-TREOR            KL = KOHL      LZ = LZON621");
        con.line("  LS = LOSHFZRF  MM = Rivi merit maps    QD = QDAT outputs");
        con.line("  CL = reduced-cell analyses             LX = Latticor screen-output copies");
    }
}

// The file chosen (its path), or "" when the user leaves VF.
std::string ask_file(control::Session& s, const Selection& sel, const std::string& dir)
{
    console::Console& con = s.con;
    if (sel.dataset_name) {
        con.line("Enter the dataset name for the file you wish to View/Edit, from those listed");
        con.line("  (*without* its ." + std::string(sel.extension) + " extension)");
    } else {
        con.line("Enter the name of the file you wish to View/Edit, selected from those listed");
        con.line("  (i.e. the full name, including its 3-character .extension)");
    }
    for (;;) {
        std::string name = trim(console::read_reply(
            con, "File to view/edit (default: " + s.ds.Dset + ") or *Q to quit: "));
        if (console::squeeze_upper(name) == "*Q") {
            con.put(" (exit without making a selection)");
            con.endl();
            return {};
        }
        if (name.empty())
            name = s.ds.Dset;
        std::string file;
        if (sel.dataset_name) {
            file = console::squeeze_upper(name) + ".";
            if (sel.program_letter != 0) {
                con.endl();
                std::string program = ask_program_code(con);
                if (program.empty())
                    return {};
                file += program + sel.program_letter;
            } else {
                file += std::string(sel.extension);
            }
        } else {
            file = name;
        }
        if (sel.program_letter == 0)
            con.endl();
        if (console::file_exists(dir + file))
            return dir + file;
        con.line("** Can't find file " + file + " in this directory, please re-enter **");
    }
}

// The editor on the file, run to its end; a start error is reported as the
// command runner reports it.
int start_editor(control::Session& s, const std::string& editor, const std::string& path)
{
    int result = console::run_program(s.con, editor, console::resolve_path(path));
    s.run.os_exec_result = result;
    if (result != 0)
        control::report_start_error(s, "O/S", result, console::program_of(editor));
    if (s.ds.Nobs == 0)
        s.con.endl();
    return result;
}

// How to leave the editors most often met; others need no hint.
std::string_view exit_hint(const std::string& editor)
{
    const std::string program = console::program_of(editor);
    const std::string name = program.substr(program.rfind('/') + 1);
    if (name == "xdg-open")
        return "close the window of the program that shows the file";
    if (name == "vi" || name == "vim" || name == "nvim")
        return "press ESC, then type :q and press ENTER (:wq saves first)";
    if (name == "nano")
        return "press Ctrl-X";
    if (name == "emacs")
        return "press Ctrl-X, then Ctrl-C";
    return {};
}

void editor_notes(console::Console& con, const std::string& editor, const std::string& path)
{
    con.clear_screen();
    con.line("Editor (" + editor + ") will now be run on " + path);
    con.endl();
    con.line("This will *not* be write-protected, so only make intentional changes");
    con.line("(and if you do so accidentally, don't save the changed version!)");
    if (std::string_view hint = exit_hint(editor); !hint.empty()) {
        con.endl();
        con.line("To exit from " + editor + ":  " + std::string(hint));
    } else if (console::upper(editor) == "EDIT") {
        con.line("To exit from " + editor + ":  press Alt-F, then X");
    }
    console::pause(con);
}

// Opens the file in the editor; after a failed launch offers another one.
void edit_file(control::Session& s, const std::string& path)
{
    console::Console& con = s.con;
    if (s.viewer.editor.empty())
        s.viewer.editor = console::default_editor();
    for (;;) {
        if (s.viewer.editor_failed) {
            con.line("Which editor program to use (default: " + s.viewer.editor + ")");
            std::string reply = trim(console::read_reply(con, "? "));
            if (reply.empty())
                con.put("(" + s.viewer.editor + ")");
            else
                s.viewer.editor = reply;
            con.endl();
        }
        editor_notes(con, s.viewer.editor, path);
        int result = start_editor(s, s.viewer.editor, path);
        s.viewer.editor_failed = (result >= 1 && result <= 31) || result == console::not_found;
        if (!s.viewer.editor_failed)
            return;
        con.line("** Failed to launch that Editor - try another one? **");
        con.endl();
    }
}

} // namespace

// VF: view or edit a file of the data directory (or of the manuals).
void VF(control::Session& s)
{
    show_menu(s.con);
    const Selection* sel = ask_selection(s.con);
    if (sel == nullptr)
        return;
    s.viewer.selection = std::string(sel->code);
    const std::string dir = sel->in_doc ? doc_directory(s) : s.dirs.data;
    list_directory(s, sel->heading, dir, "*", sel->extension);
    std::string path = ask_file(s, *sel, dir);
    if (!path.empty())
        edit_file(s, path);
}

// VM: show the manual with the user's pager, and wait for it.
void VM(control::Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.endl();
    con.line(console::blanks(21) + "View Latticor Manual");
    con.endl();
    const std::string manual = doc_directory(s) + std::string(manual_name);
    if (console::file_exists(manual)) {
        const std::string pager = console::default_pager();
        int result = console::run_program(con, pager, console::resolve_path(manual));
        s.run.os_exec_result = result;
        control::report_start_error(s, "O/S", result, console::program_of(pager));
    } else {
        con.line("** Can't find the Latticor manual (" + std::string(manual_name) +
                 ") in sub-dir Doc");
        con.line("   of the Latticor home directory (" + s.dirs.home + ")");
    }
    if (s.ds.Nobs == 0)
        con.endl();
}

} // namespace files
