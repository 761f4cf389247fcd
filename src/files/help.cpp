// HE (also "?"): the help menu, the general-information page, and the
// writing of every help page to the screen and the copy channels.
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "files/commands.hpp"
#include "files/help_pages.hpp"

namespace files {

namespace help {

void fresh_screen(control::Session& s)
{
    if (s.con.where_x() > 1)
        s.con.endl();
    s.con.clear_screen();
}

void write_lines(console::Sink& out, std::initializer_list<std::string_view> lines)
{
    for (std::string_view line : lines)
        out.line(line);
}

void next_screen(control::Session& s, console::Sink& out, int n)
{
    out.endl();
    out.line("(continued in screen " + std::to_string(n) + ")");
    if (out.is_screen()) {
        console::pause(s.con);
        fresh_screen(s);
    }
}

void show_page(control::Session& s, Page page)
{
    fresh_screen(s);
    page(s, s.con);
    // Channel 1, the printer, gets only the notice of report_end.
    const int step = s.out.channel_step > 0 ? s.out.channel_step : 1;
    for (int channel = step; channel <= s.out.last_channel; channel += step) {
        if (channel == 2 && console::ensure_copy_open(s))
            page(s, s.out.copy);
    }
    console::report_end(s);
}

void general_page(control::Session& s, console::Sink& out)
{
    write_lines(out, {
        "                ** Latticor - General Information **",
        "",
        "Latticor is an interactive support system for powder indexing.  It keeps one",
        "working dataset (observed lines, wavelength, zero correction, absences, index",
        "limits, Qmax, a trial cell and its calculated pattern), prepares and launches",
        "runs of the established indexing programs, loads the trial cells they report",
        "and checks each against the pattern; its merit maps (Rivi) explore solutions.",
        "",
        "Input conventions:",
        " - Sensible defaults are always stated, e.g. \"(Y/N, default=N)\": just press",
        "   ENTER to accept the default.  When revising a data item, ENTER means",
        "   \"No change\" and keeps the value shown.",
        " - Replies may be typed in upper or lower case; blanks are ignored.",
        " - Main commands may be abbreviated to their first two letters (LOAD = LO);",
        "   only those two are significant.  Type ? or HE at the prompt for help.",
        " - Line positions are in Q-units (QU.): Q = 10000/d**2, d in Angstroms.",
        " - For a hard copy use the \"Print Screen\" facility of your terminal, or OF,",
        "   which repeats reports into the file <Dset>.LXO (printing is not supported).",
        "",
        "Comments and bug reports are welcome: please send them, with the dataset and",
        "its .LOG file, to the contact address in the Doc sub-directory of the",
    });
    out.line("Latticor home directory (" + s.dirs.home + ").");
}

} // namespace help

// HE and ?: the help menu, repeated until ENTER.
void HE(control::Session& s)
{
    console::Console& con = s.con;
    for (;;) {
        help::fresh_screen(s);
        con.line(console::blanks(26) + "**  HELP MENU  **");
        con.endl();
        con.line("Help is available as follows (repeated to printer and/or file, if selected):");
        con.endl();
        con.line("  G - General information, including input conventions and email address");
        con.line("  C - Commands (brief descriptions of main menu commands (choice of formats)");
        con.line("  I - Indexing programs (choice, sequence to run them, properties)");
        con.line("  F - File format for LATT Datasets (created automatically in normal use)");
        con.endl();
        std::string reply = console::read_normalised_reply(
            con, "Please select G, C, I or F (or press ENTER to exit):  ");
        con.endl();
        if (reply.empty()) {
            if (s.ds.Nobs == 0)
                con.endl();
            return;
        }
        switch (reply[0]) {
        case 'G':
            help::show_page(s, help::general_page);
            console::pause(con);
            break;
        case 'C':
            help::commands_section(s);
            break;
        case 'I':
            indexing_help(s);
            break;
        case 'F':
            help::show_page(s, help::format_page);
            console::pause(con);
            break;
        default:
            break;
        }
    }
}

// The indexing-program advice, from the help menu and from IN.
void indexing_help(control::Session& s)
{
    help::show_page(s, help::indexing_page);
    console::pause(s.con);
}

} // namespace files
