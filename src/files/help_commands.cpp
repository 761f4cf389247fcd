// The commands section of the help: the command list in four formats.
#include <array>
#include <string>

#include "console/console.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "files/help_pages.hpp"

namespace files::help {

namespace {

constexpr int column_width = 40;

struct Entry {
    std::string_view code;
    std::string_view text;
};

// Format 1: by command code.
constexpr std::array<Entry, 38> by_code{{
    {"AB", "Absences flag (Bravais lattice)"},
    {"CA", "Calc pattern (and compare obs)"},
    {"CD", "Change directory/drive"},
    {"CE", "Cell constants (input/display)"},
    {"DI", "Direct-indexing run (edited file)"},
    {"ED", "Edit observed pattern"},
    {"EF", "End-of-file mark in output file"},
    {"EP", "Extend pattern to 20 lines"},
    {"HL", "Hkl limits for calc pattern"},
    {"HM", "Heuristic P/I/M map search (ZOro)"},
    {"HO", "Higher/lower orders (harmonics)"},
    {"IM", "Import a peaks-list file"},
    {"IN", "Indexing run (ITO, DICVOL, etc)"},
    {"LC", "Load cell from summary file"},
    {"LI", "List observed pattern"},
    {"LO", "Load Latticor dataset"},
    {"M1", "Map thumbnails (3 sections)"},
    {"M3", "Maps of 3 principal sections"},
    {"MM", "Merit maps (Rivi)"},
    {"MS", "Modify summary files"},
    {"OB", "Observed pattern input"},
    {"OF", "Output-file copy on/off"},
    {"PR", "Printer copy on/off"},
    {"PS", "Pattern separation and save"},
    {"QC", "Qcalc for specified lines"},
    {"QM", "Qmax for calc pattern"},
    {"QU", "QUIT (from Latticor)"},
    {"RS", "Rescale d-spacings (wavelength)"},
    {"RU", "Run an O/S command or program"},
    {"SA", "Save dataset (.CDT or CIF)"},
    {"SC", "Self-calibration (zero/displ.)"},
    {"TR", "Transform 2Theta obs (linear)"},
    {"VE", "Version and directories"},
    {"VF", "View/edit a file (.SUM, .LOG)"},
    {"VM", "View the Latticor manual"},
    {"WA", "Wavelength (or CU for CuKa1)"},
    {"ZE", "Zero correction (2Theta)"},
    {"ZT", "Zone transformations (hk0)"},
}};

// Format 2 (and the entries of format 3): by task or topic.
constexpr std::array<Entry, 38> by_task{{
    {"AB", "Absences flag (Bravais lattice)"},
    {"CA", "Calc pattern (and compare Obs)"},
    {"CE", "Cell constants input/display"},
    {"CD", "Change directory/drive"},
    {"DI", "Direct-indexing run"},
    {"ED", "Edit observed pattern"},
    {"EF", "End-of-file mark in output file"},
    {"EP", "Extend pattern to 20 lines"},
    {"HO", "Harmonics (higher/lower orders)"},
    {"HM", "Heuristic P/I/M map search"},
    {"HL", "Hkl limits for calc pattern"},
    {"IM", "Import a peaks-list file"},
    {"IN", "Indexing run launch"},
    {"LI", "List observed pattern"},
    {"LC", "Load cell from summary file"},
    {"LO", "Load Latticor dataset"},
    {"VM", "Manual (view)"},
    {"M1", "Map thumbnails (3 sections)"},
    {"M3", "Maps of 3 principal sections"},
    {"MM", "Merit maps (Rivi)"},
    {"MS", "Modify summary files"},
    {"OB", "Observed pattern input"},
    {"RU", "Operating system command"},
    {"OF", "Output-file copy on/off"},
    {"PS", "Pattern separation and save"},
    {"PR", "Printer copy on/off"},
    {"QC", "Qcalc for specified lines"},
    {"QM", "Qmax for calc pattern"},
    {"QU", "QUIT (from Latticor)"},
    {"RS", "Rescale d-spacings (wavelength)"},
    {"SA", "Save dataset (.CDT or CIF)"},
    {"SC", "Self-calibration (zero/displ.)"},
    {"TR", "Transform 2Theta obs (linear)"},
    {"VE", "Version and directories"},
    {"VF", "View/edit a file"},
    {"WA", "Wavelength input"},
    {"ZE", "Zero correction (2Theta)"},
    {"ZT", "Zone transformations"},
}};

// Format 3: the task categories, shown in pairs side by side.
struct Group {
    std::string_view heading;
    std::array<std::string_view, 10> codes;  // "" ends the group
};

constexpr std::array<Group, 8> groups{{
    {"  Input/modify observed pattern",
     {"OB", "IM", "ED", "LI", "TR", "RS", "EP", "HO", "ZT", "PS"}},
    {"  Apply/change general settings", {"WA", "ZE", "SC", "AB", "HL", "QM"}},
    {"  Load/modify/save unit-cell data", {"CE", "LC", "MS"}},
    {"      Indexing operations", {"IN", "DI", "MM", "HM", "M1", "M3"}},
    {"          Job management", {"LO", "SA", "RU", "QU"}},
    {"    Calculate pattern, merit, lines", {"CA", "QC"}},
    {"         Help, information", {"VE", "VF", "VM"}},
    {"       Housekeeping, printing", {"CD", "OF", "PR", "EF"}},
}};

// Format 4: the expanded descriptions.
constexpr std::array<std::string_view, 39> expanded{{
    "AB = ABsence = Set the Bravais lattice absences Flag",
    "CA = CAlcpat = Calculate a pattern (and compare with observed if present)",
    "CE = CEll    = Input/display cell constants (Direct, Q, Delaunay)",
    "CD = ChgDir  = Change the default directory/drive for datasets",
    "DI = DirIndx = Launch a direct-indexing run using an edited input data file",
    "ED = EDit    = Edit the observed pattern (Insert, Delete, Change, Finish)",
    "EF = EndFile = Write an End-of-File marker (ctrl-Z) to the output file",
    "EP = ExtPat  = Extend a sparse Pattern to 20 lines by adding higher orders",
    "HL = HLimits = Set Hlimits for calc patterns (hmin,hmax,kmin,kmax,lmin,lmax)",
    "HM = ZOro    = Heuristic search as for Rivi, using joint probability (P/I/M)",
    "HO = HOrders = Higher/lower orders (harmonics) search of obs pattrn (up/down)",
    "IM = IMport  = Import dataset from peakslist file (EVA, UDI, WinFit, Xfit)",
    "IN = INdex   = Launch an indexing run (ITO, DICVOL, TREOR, KOHL, LZON, etc)",
    "LC = LCell   = Load a trial cell from a Latticor or Chekcell summary file",
    "LI = LIstobs = List the observed pattern (and apply a zero correction)",
    "LO = LOad    = Load a Latticor (LATT) Dataset, previously saved by SAve",
    "MM = RIvi    = Explore solution space using heuristic M-Maps (save peaks)",
    "M1 = Maps1Th = Display screen of Rivi thumbnails (3 sections, all defaults)",
    "M3 = Maps3   = Display sequence of 3 principal Rivi sections (all defaults)",
    "MS = ModSum  = Modify summary files (unscale or merge summary files)",
    "OB = OBsinp  = Input an observed pattern (as 2Theta, sinsqth, Q or d)",
    "OF = OutFile = Select/deselect copying the output stream to a file",
    "PR = PRinter = Select/deselect copying the output stream to the printer",
    "PS = PattSep = Separate and save pattern using excluded or remaining CA lines",
    "QC = QCalc   = Calculate Q (=10000/dsq) for specified lines",
    "QM = QMax    = Input a Qmax limit for the calc pattern (default Qobsmax+50)",
    "QU = QUit    = Exit from Latticor (and launch any waiting indexing run)",
    "RS = RScale  = ReScale observed d-spacings by changing the assumed wavelength",
    "RU = RUn     = Run an operating system command, external program, etc",
    "SA = SAve    = Save the current dataset (as Latticor .CDT format or CIF file)",
    "SC = SCal    = Zero-2Theta or specimen-displ. correction by self-calibration",
    "TR = TRans   = Transform 2Theta obs data by applying a linear equation",
    "VF = ViewFile= View a file (.SUM, .LOG, etc)",
    "VM = ViewMan = View the Latticor Manual (Windows 9x and higher only)",
    "VE = VErsion = Show the Latticor version and directory details",
    "WA = WAve    = Input a wavelength in Angstroms (or CU for CuKalpha1)",
    "ZE = ZEro    = Input a zero correction in 2Theta (2Thcorr=2Thobs+Z2Th)",
    "ZT = ZoneTrn = Zone transformations (double/centre a stored hk0 zone)",
    "?  = HELP    = Help: general/input, commands, LATT dataset file format)",
}};

constexpr std::size_t expanded_first_screen = 20;

std::string by_code_text(const Entry& e) { return std::string(e.code) + " = " + std::string(e.text); }

std::string by_task_text(const Entry& e)
{
    std::string text(e.text);
    return text + console::blanks(32 - static_cast<int>(text.size())) + "= " + std::string(e.code);
}

std::string task_of(std::string_view code)
{
    for (const Entry& e : by_task)
        if (e.code == code)
            return by_task_text(e);
    return std::string(code);
}

std::string two_columns(const std::string& left, const std::string& right)
{
    if (right.empty())
        return left;
    return left + console::blanks(column_width - static_cast<int>(left.size())) + right;
}

void list_heading(console::Sink& out)
{
    out.line("** Latticor commands (only the first 2 characters are significant) **");
    out.endl();
}

void list_ending(console::Sink& out)
{
    out.endl();
    out.line("HELP (general, commands, indexing, file) = ?, HE");
    out.line("QUIT (from Latticor)                     = QU");
}

// Entries down the left column, then down the right one.
template <typename Text>
void two_column_list(console::Sink& out, const std::array<Entry, 38>& entries, Text text)
{
    const std::size_t rows = (entries.size() + 1) / 2;
    for (std::size_t r = 0; r < rows; ++r) {
        std::string right = r + rows < entries.size() ? text(entries[r + rows]) : std::string();
        out.line(two_columns(text(entries[r]), right));
    }
}

void by_code_page(control::Session&, console::Sink& out)
{
    list_heading(out);
    two_column_list(out, by_code, by_code_text);
    list_ending(out);
}

void by_task_page(control::Session&, console::Sink& out)
{
    list_heading(out);
    two_column_list(out, by_task, by_task_text);
    list_ending(out);
}

void group_pair(console::Sink& out, const Group& left, const Group& right)
{
    out.line(two_columns(std::string(left.heading), std::string(right.heading)));
    for (std::size_t r = 0; r < left.codes.size(); ++r) {
        std::string l = left.codes[r].empty() ? std::string() : task_of(left.codes[r]);
        std::string rt = right.codes[r].empty() ? std::string() : task_of(right.codes[r]);
        if (l.empty() && rt.empty())
            break;
        out.line(console::trim_right(two_columns(l, rt)));
    }
}

void by_category_page(control::Session& s, console::Sink& out)
{
    list_heading(out);
    group_pair(out, groups[0], groups[1]);
    out.endl();
    group_pair(out, groups[2], groups[3]);
    next_screen(s, out, 2);
    group_pair(out, groups[4], groups[5]);
    out.endl();
    group_pair(out, groups[6], groups[7]);
    list_ending(out);
}

void expanded_page(control::Session& s, console::Sink& out)
{
    list_heading(out);
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        if (i == expanded_first_screen)
            next_screen(s, out, 2);
        out.line(expanded[i]);
    }
    list_ending(out);
}

} // namespace

void commands_section(control::Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.line("Help on Latticor commands is available in the following formats:");
    con.line("1) Listed alphabetically by command code");
    con.line("2) Listed alphabetically by task/topic");
    con.line("3) Grouped by task category (2 screens)");
    con.line("4) Expanded descriptions, alphabetical (2 screens)");
    for (;;) {
        con.endl();
        char choice = console::ask_char(con, "Select 1-4, or Q to quit this section (default Q): ",
                                        "1234Q", 'Q', "(quit)");
        con.endl();
        switch (choice) {
        case '1': show_page(s, by_code_page); break;
        case '2': show_page(s, by_task_page); break;
        case '3': show_page(s, by_category_page); break;
        case '4': show_page(s, expanded_page); break;
        default: return;
        }
    }
}

} // namespace files::help
