// The opening of the map dialogue: title and introduction, indexing or
// topography, the basis-set status report, and the choice of coordinates and
// scan type.
#include <string>

#include "console/console.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "rivi/map_dialogue_steps.hpp"

namespace rivi {

namespace {

constexpr double min_angle_floor = 10.0;
constexpr double min_angle_ceiling = 80.0;

void status_lines(Dialogue& d)
{
    console::Console& con = d.s.con;
    con.line("Your current status for running " + d.kind + "Map is thus as follows:");
    if (d.bsl)
        con.line("You can proceed using a basis set selected from those in the BSL file");
    if (d.cell)
        con.line(std::string(d.bsl ? "or " : "You can proceed ") +
                 "using a basis set constructed from the stored cell");
    if (d.bsl || d.cell) {
        con.line("(if you know how, you can also provide a user-specified basis set).");
        con.line("In each case, appropriate guidance will be provided.");
        return;
    }
    con.line("Since no basis sets will be available automatically, if you want to proceed");
    con.line("now with " + d.kind +
             "Map in indexing mode, you will need to type one in.  Unless you");
    con.line("are experienced in constructing basis sets, it's recommended that you quit");
    con.line(d.kind + "Map for the present and construct a BSL file with LZON before returning.");
}

} // namespace

void write_introduction(Dialogue& d)
{
    console::Console& con = d.s.con;
    const bool heuristic = d.kind == "H";
    con.clear_screen();
    con.line(std::string(heuristic ? 4 : 10, ' ') + d.kind +
             "Map = Compute and display a heuristic" + (heuristic ? " (I, P or M)" : "") +
             " Figure-of-Merit Map");
    con.endl();
    con.line("This " + d.kind +
             "Map indexing method built into Latticor uses the SIW heuristic to explore");
    con.line("a high-probability section of solution-space: three diagonal powder constants");
    con.line("Q(A), Q(B), Q(C) and one cross constant (together a basis set) are held fixed");
    con.line("while the other two cross constants are stepped over a grid, and the figure of");
    con.line("merit of the trial cell at every grid point is drawn as a map on the screen.");
    con.endl();
    con.line("A full scan covers the whole section out to a minimum reciprocal cell angle and");
    con.line("may take several minutes; a quick scan covers a smaller region, either from the");
    con.line("origin or centred on a chosen point, in about a minute.  The highest peaks of");
    con.line("either scan are refined, and the solutions are saved in the log and summary");
    con.line("files of the dataset.");
    con.endl();
    con.line("Trial cells found by any indexing program can also be evaluated by the");
    con.line("topography of their merit peak: a valid solution usually stands as a sharp,");
    con.line("isolated peak, while a spurious one gives a low, broad or ragged one.");
    con.endl();
    con.line("Trial cells from the summary files of earlier indexing runs can be loaded with");
    con.line("the LC command, which also offers thumbnails of their principal map sections.");
    con.endl();
}

bool ask_run_mode(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    // IN runs the map in indexing mode without asking.
    if (s.maps.indexing_mode)
        return true;
    con.line("So that helpful defaults can be set up, " + d.kind + "Map needs to know whether");
    con.line("this is to be an indexing run (I) to search for trial solutions,");
    con.line("or to examine the topography (T) around an existing trial cell.");
    const std::string reply = console::ask_code(
        con, "  Please select I=Indexing or T=Topography (I/T, default I): ", "IT", "I", "(I)");
    con.endl();
    if (reply[0] != 'T')
        return true;
    s.run.topography = true;
    if (!d.cell) {
        con.line("** No cell loaded yet - please run LC, LO or CE first **");
        return false;
    }
    return true;
}

TwoLines basis_sentence(bool bsl, bool cell)
{
    std::string text = std::string("At present ") + (bsl ? "a" : "no") +
                       " suitable BSL file is available ";
    TwoLines t;
    if (!bsl) {
        t.first = text + "(consider running LZON now to";
        text = "create one) ";
    }
    text += std::string(bsl == cell ? "and" : "but") + (cell ? " a possible" : " no") +
            " stored cell has " + (bsl && cell ? "also " : "") + "been loaded.";
    if (bsl)
        t.first = text;
    else
        t.second = text;
    return t;
}

bool basis_status(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    con.line(d.kind + "Map needs a basis set Q(A,B,C,F) in Q-units, either specified directly or");
    con.line("obtained from a basis-set-list (BSL) file written by a previous run of LZON,");
    con.line("or from a trial cell that has already been stored (for example, with the");
    con.line("LC or CE commands).");
    con.endl();
    if (!s.run.topography) {
        con.line("If you want to use " + d.kind +
                 "Map to search for solutions and you don't already have a");
        con.line("BSL file, it's usually best to run LZON first (IN with the code LZ): its");
        con.line("basis sets are the two-dimensional zones most likely to lead to a solution.");
        con.line("A basal zone of a stored cell serves as well (for example when you");
        con.line("want to scan around an existing solution, loaded as a trial cell via LC or CE)");
        con.endl();
    }
    const TwoLines sentence = basis_sentence(d.bsl, d.cell);
    con.line(sentence.first);
    if (!sentence.second.empty())
        con.line(sentence.second);
    con.endl();
    status_lines(d);
    con.endl();
    const bool available = d.bsl || d.cell;
    con.line("Are you ready to proceed with this run of " + d.kind + "Map?");
    return console::ask_yes(con,
                   std::string("  If not, reply N now (Y/N, default=") + (available ? "Y" : "N") +
                       "): ",
                   available);
}

void ask_coordinate_mode(Dialogue& d)
{
    console::Console& con = d.s.con;
    con.endl();
    con.line("In the following heuristic maps, the scan parameters can be expressed either");
    con.line("as reciprocal cell angles in degrees (usually easier to visualise), or as the");
    con.line("corresponding cross constants Q(D), Q(E), Q(F) (the basis set itself, and the");
    con.line("values used in the log and summary files,");
    con.line("will have to remain as powder constants in QU. [i.e. as 10000/d-squared])");
    const std::string reply = console::ask_code(
        con, "  Angles in degrees (A) or powder constants in QU. (Q) (A/Q, default=A): ", "AQ", "A",
        "(Angles)");
    con.endl();
    d.s.maps.settings.angle_mode = reply[0] != 'Q';
}

void ask_scan_type(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    MapSettings& ms = s.maps.settings;
    con.endl();
    if (s.run.topography) {
        con.line("Your topography-map will be in quick-scan (Q) mode, centred on the position");
        con.line("of a stored trial-cell in the specified basal map section (to be chosen next)");
        ms.scan = 'Q';
        return;
    }
    const std::string step = ms.angle_mode ? "0.1 deg" : "0.5 QU.";
    con.line("Available scan options: quick scan (Q) or full scan (F):");
    con.line("  Q) A quick scan of 31 points across and 41 down from the origin of the");
    con.line("     section, or of 31 x 21 points centred on a chosen point, with default");
    con.line("     steps that can be magnified or reduced.");
    con.line("  F) A full scan of the whole section, out to the minimum reciprocal angle,");
    con.line("     in steps of " + step + ", shown as clusters of points across the screen.");
    con.line("It is usually worth seeing a quick scan first before proceeding, if necessary,");
    con.line("to a full scan, which typically might take 60 times longer.");
    con.line("In either scan-type, up to 100 of the highest peaks are refined and saved in");
    con.line("log and summary files.  The single best value is reported in more detail and");
    con.line("can be selected as the centre of a second, magnified quick-scan.");
    con.endl();
    con.line("Please select a scan option (the map is always displayed for quick scans,");
    con.line("but only optionally for full scans);");
    const std::string reply = console::ask_code(
        con, "  Quick scan (Q) or full scan (F) (Q/F, default=Q): ", "QFS", "Q", "(Quick)");
    con.endl();
    ms.scan = reply[0];
}

void ask_full_scan_options(Dialogue& d)
{
    control::Session& s = d.s;
    console::Console& con = s.con;
    MapSettings& ms = s.maps.settings;
    con.endl();
    con.line("Do you want to speed up this full scan greatly by suppressing");
    ms.display = !console::ask_yes(con, "  the map display (Y/N, default=Y): ", true);
    if (!ms.angle_mode)
        return;
    con.endl();
    con.line("You can now set the minimum reciprocal cell angle used to avoid excessively");
    con.line("oblique cells.  This can be in the range 10 to 80 deg, default 30 deg)");
    ask_minimum_angle(d);
}

void ask_minimum_angle(Dialogue& d)
{
    console::Console& con = d.s.con;
    FomState& f = d.s.maps.fom;
    for (;;) {
        const console::RealAnswer a = console::ask_real(
            con, "  Minimum reciprocal cell angle: ", "", f.amin, 4, 1, " deg", "DEF");
        con.endl();
        if (a.value >= min_angle_floor && a.value <= min_angle_ceiling) {
            f.amin = a.value;
            d.s.maps.settings.amin_default = a.value == 30.0;
            return;
        }
        con.line("  ** Out of range **");
    }
}

} // namespace rivi
