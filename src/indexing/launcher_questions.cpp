// IN's program-specific questions: DICVOL modes, KOHL systems, McMaille,
// the defaults shortcut, error bounds, TAUP options, volume limits,
// spurious lines, LZON zones and the LOSHFZRF basis set.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/handover.hpp"
#include "control/session.hpp"
#include "indexing/launcher.hpp"

namespace indexing::launch {

namespace {

using console::Console;

std::string name_of(const RunParameters& p) { return std::string(p.program->name); }

bool yes(Console& con, std::string_view prompt, char def)
{
    std::string reply =
        console::ask_code(con, prompt, "YN", std::string(1, def), def == 'Y' ? "(Y)" : "(N)");
    con.endl();
    return reply[0] == 'Y';
}

// An integer from low to high, asked again after `refusal` otherwise.
int ask_in_range(Console& con, const std::string& prompt, int def, int low, int high,
                 const char* refusal)
{
    for (;;) {
        int n = console::ask_int(con, prompt, "", def, 0, "", "DEF").value;
        con.endl();
        if (n >= low && n <= high)
            return n;
        con.line(refusal);
    }
}

// ---- DICVOL ----

void dicvol_notes(control::Session& s)
{
    Console& con = s.con;
    con.line("You now need to specify the crystal system(s) that DICVOL is to search.");
    con.endl();
    con.line("DICVOL91 searches exhaustively, by successive dichotomy, through shells of");
    con.line("increasing cell volume.  Searches in high symmetry (cubic, tetragonal and");
    con.line("hexagonal) are fast, and are best run first on their own (mode 1).  Searches");
    con.line("in orthorhombic and monoclinic symmetry (mode 2) take longer, and can run for");
    con.line("hours when the cell volume is large, so they are best left until the");
    con.line("high-symmetry search has been tried.");
    con.endl();
    con.line("Mode 0 searches all systems down to monoclinic in one run.  A hexagonal cell");
    con.line("is then tested only within the volume shells reached by the lower-symmetry");
    con.line("searches, so use mode 1 if a hexagonal solution is suspected.");
    console::pause(con);
    con.line("A triclinic search (mode 3) is the slowest of all, and is reliable only when");
    con.line("the data are accurate and free of spurious lines.  The error bound Del2Th and");
    con.line("the cell-volume limits (asked next, unless all defaults are accepted) have a");
    con.line("strong effect on run time: a smaller VOLMAX shortens the search, but a");
    con.line("solution beyond it will not be found.");
    con.endl();
    con.line("If runs in modes 1 and 2 fail to give a convincing solution, it is usually");
    con.line("better to try other programs such as ITO12,");
    con.line("TREOR90, KOHL or LZON before trying a triclinic search with DICVOL.");
    console::pause(con);
}

bool dicvol_dialogue(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    con.endl();
    if (p.program->code == "D1") {
        p.dicvol_mode = 1;
        con.line("DICVOL symmetry mode = high (cubic, tetragonal, hexagonal)");
    } else if (p.program->code == "D2") {
        p.dicvol_mode = 2;
        con.line("DICVOL symmetry mode = low (orthorhombic or monoclinic)");
    } else {
        for (;;) {
            dicvol_notes(s);
            con.line("Please specify the crystal system(s) that DICVOL is to search:");
            con.line("   0) All systems down to monoclinic (not if hexagonal - see the notes above)");
            con.line("   1) High-symmetry only (cubic, tetragonal, hexagonal - suggested for 1st run)");
            con.line("   2) Orthorhombic & monoclinic only (suggested for 2nd run)");
            con.line("   3) Triclinic only");
            con.line("   R) Review the above notes from the beginning              X) Exit");
            char c = console::ask_code(con, "Which mode (0,1,2,3,R,X, default=0): ", "0123RX", "0",
                                       "")[0];
            if (c == 'X') {
                con.endl();
                return false;
            }
            if (c == 'R') {
                con.endl();
                con.endl();
                continue;
            }
            static constexpr const char* confirmations[] = {
                " = All down to mono", " = High (cub/tet/hex)", " = Lower (orth/mono)",
                " = Tricl only"};
            p.dicvol_mode = c - '0';
            con.line(confirmations[p.dicvol_mode]);
            break;
        }
    }
    if (p.dicvol_mode == 1 || p.dicvol_mode == 2)
        control::write_empty_file(s, s.dirs.data + console::squeeze_upper(s.ds.Dset) + "._D" +
                                         std::to_string(p.dicvol_mode));
    return true;
}

// ---- KOHL and McMaille ----

void kohl_options(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    con.endl();
    con.line("KOHL's crystal-system options will now be addressed.  If this is a first run, ");
    con.line("the default (A) is recommended: KOHL then searches the orthorhombic,");
    con.line("monoclinic and triclinic systems in turn.  A restricted search saves time");
    con.line("once the likely crystal system is known, and a triclinic-only");
    con.line("search can be forced via option T below.");
    con.endl();
    con.line("  A = All three systems: orthorhombic, monoclinic, triclinic (OMT, default)");
    con.line("  H = High pair: orthorhombic and monoclinic (OM)");
    con.line("  L = Low pair: monoclinic and triclinic (MT)");
    con.line("  O = Orthorhombic only");
    con.line("  M = Monoclinic only");
    con.line("  T = Triclinic only");
    p.iort = console::ask_code(con, "Which crystal systems to search (A,H,L,O,M,T, default=A): ",
                               "AHLOMT", "A", "")[0];
    switch (p.iort) {
    case 'H': con.line(" = High pair (OM)"); break;
    case 'L': con.line(" = Low pair (MT)"); break;
    case 'O': con.line(" = orthor only"); break;
    case 'M': con.line(" = monocl only"); break;
    case 'T': con.line(" = tricl only"); break;
    default: con.line(" = All three (OMT)"); break;
    }
}

void mcmaille_options(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    con.endl();
    con.line("When McMaille is run in its \"black-box\" mode, the only other parameter that");
    con.line("needs to be chosen is Ngrid, which selects the search strategy:");
    con.line("  Ngrid = 3:  Monte Carlo search only (the default, usually sufficient)");
    con.line("  Ngrid = 4:  Monte Carlo search followed by a grid search (much slower)");
    con.line("(Any other values will be treated as 3)");
    int ngrid = console::ask_int(con, "Ngrid (3 or 4, default=3): ", "", 3, 0, "", "").value;
    p.ngrid = ngrid == 4 ? 4 : 3;
    con.line(p.ngrid == 4 ? " = M.C. + Grid-Search" : " = Monte Carlo only");
    con.endl();
    if (s.ds.Iflag == 0) {
        p.unit_intensities = true;
        con.line("No intensities supplied: McMaille will assume unit intensities (all set to 100)");
        return;
    }
    con.line("Should McMaille use unit intensities (U) [i.e. all set to 100] or the actual");
    std::string kind = s.ds.ikind == 1 ? std::string("(quant") + "itative)"
                                       : std::string("(qual") + "itative)";
    char c = console::ask_code(con, kind + " intensities (A)?  (U/A, default=A): ", "UA", "A",
                               "(A)")[0];
    con.endl();
    p.unit_intensities = c == 'U';
}

bool use_all_defaults(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line("If you are a non-specialist user, or this is the first run for a new dataset,");
    con.line("you can now choose to accept all default values for any remaining parameters");
    con.line("(if this does not produce a result, you can always try varying them later).");
    return yes(con, "Do you want to use all default values (Y/N, default=Y): ", 'Y');
}

// ---- error bounds, TAUP, volumes ----

void ask_del2th(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    std::string value = console::real_text(p.del2th, 1, 2);
    std::string prompt;
    con.endl();
    if (is_family(p, "LZ")) {
        con.line(name_of(p) + " needs an estimate of the absolute plus/minus bounds on observed");
        con.line("2Theta values.  They should cover the largest errors expected in the data:");
        con.line("typically 0.03 to 0.06 degrees for routine diffractometer data, while 0.01 to");
        con.line("0.02 degrees may be appropriate");
        con.line("for data from e.g. focusing diffractometers and synchrotrons.");
        prompt = "Error bounds to be used (default: " + value + " degrees): ";
    } else {
        con.line(name_of(p) + " needs an estimate of the typical absolute plus/minus");
        prompt = "error bounds on observed 2Theta values (default: " + value + " degrees): ";
    }
    p.del2th = console::ask_real(con, prompt, "", p.del2th, 0, 0, "", "DEF").value;
    con.endl();
}

void taup_options(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    const std::string name = name_of(p);
    con.endl();
    con.line("By default, " + name + " will be requested to automatically scan the four higher");
    con.line("symmetry systems (cubic, hexagonal, tetragonal and orthorhombic) only.  A");
    con.line("monoclinic scan can be very lengthy, so it is usually best to try other programs,");
    con.line("e.g. ITO, TREOR90 and LZON, before considering a monoclinic scan with " + name);
    p.taup_monoclinic = yes(con, "Should " + name + " include a monoclinic scan " + "(Y/N, default=N): ", 'N');
    con.endl();
    con.line("Also by default, " + name + " will be configured to reject solutions with");
    con.line("cell volumes above VOLMAX (default " + console::real_text(p.volmax, 1, 1) +
             " A(3)).  Option \"X\" keeps every");
    con.line("solution within VOLMAX instead, but should be used with caution, since it can");
    con.line("easily result in over 20,000 lines of output.");
    p.taup_all_solutions =
        yes(con, "Should " + name + " include option \"X\" " + "(Y/N, default=N): ", 'N');
}

void ask_volumes(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    const std::string name = name_of(p);
    for (;;) {
        if (is_family(p, "DV")) {
            std::string value = console::real_text(p.volmin, 1, 1);
            con.endl();
            con.line(name + "'s default minimum cell volume of " + value +
                     " A(3) is usually appropriate,");
            con.line("but you might want to change it in order to start from a higher volume shell");
            p.volmin = console::ask_real(con, "Cell-volume limit VOLMIN [default " + value +
                                                  " A(3)]: ",
                                         "", p.volmin, 0, 0, "", "DEF")
                           .value;
            con.endl();
        }
        std::string value = console::real_text(p.volmax, 1, 1);
        con.endl();
        con.line("The default cell-volume limit of " + value +
                 " is usually fine down to orthorombic,");
        if (is_family(p, "TP") && p.taup_monoclinic)
            con.line("but you might want to reduce it (esp. if monoclinic search had been selected)");
        else
            con.line("but you may want to reduce it to shorten the monoclinic search time");
        if (yes(con, "Do you want to change the default cell-volume limit? (Y/N, default=N): ",
                'N')) {
            double v = console::ask_real(con, "Cell-volume limit VOLMAX [default " + value +
                                                  " A(3)]: ",
                                         "", p.volmax, 0, 0, "", "DEF")
                           .value;
            con.endl();
            if (v != p.volmax)
                p.volmax_default = false;
            p.volmax = v;
        }
        if (p.volmax > p.volmin)
            return;
        con.line("** Volmin= " + console::real_text(p.volmin, 1, 1) + " **");
        con.line("** Volmax must be greater than Volmin, please review these values **");
    }
}

// ---- spurious lines, LZON zones, LOSHFZRF basis set ----

void ask_nspuri(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    con.endl();
    con.line(name_of(p) + " can optionally disregard spurious lines, but it is best");
    con.line("to use this facility with caution, since run times can increase");
    con.line("markedly with each additional spurious line allowed.");
    con.line("Up to 10 spurious lines may be specified,");
    con.line("but values greater than 2 or 3 are not recommended for inexperienced");
    con.line("users, since they may well cause runs to become unstable.");
    p.nspuri = ask_in_range(con, "No. of spurious lines to be permitted (max 10, default 0): ", 0,
                            0, 10, "Number must be 0 - 10");
}

void ask_zones(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    con.endl();
    con.line("By including more basis zones in the dichotomy search, the search can be");
    con.line("made more thorough, at the cost of a longer run (the default of 8 zones is");
    con.line("usually enough, while fewer zones give a quicker but less thorough search and");
    con.line("more effective use of computer time).");
    p.zones = ask_in_range(con, "Number of basis zones to be searched (max 20, default: 8): ", 8,
                           1, 20, "** Must be in the range 1-20 **");
    con.line("For evaluating zones, " + name_of(p) + " provides either the Ishida & Watanabe PM");
    con.line("measure (usually more reliable and robust) or the original ITO6 CRIT measure.");
    p.zone_measure = console::ask_code(
        con, "Use I&W PM (I) or ITO6 CRIT (C) to evaluate zones (I/C, default=I): ", "IC", "I",
        "(I)")[0];
    con.endl();
}

// One basis-set value; Q(A), Q(B) and Q(C) must exceed 0.1 QU.
double ask_basis_value(Console& con, const std::string& label, bool diagonal)
{
    for (;;) {
        std::string reply = console::read_normalised_reply(con, "  " + label + ": ");
        double q = 0;
        if (!console::parse_real(reply, q)) {
            con.endl();
            continue;
        }
        con.line(" QU.");
        if (!diagonal)
            return q;
        if (q <= 0.1) {
            con.line("  ** " + label + " must exceed 0.1 QU. - please try again **");
            continue;
        }
        if (q >= 4.0)
            return q;
        con.line("  ** That would give a d-spacing of at least" +
                 console::real_text(100.0 / std::sqrt(q), 4, 0) + " Angstroms **");
        if (!yes(con, "Do you want to try again (Y/N, default=Y)? ", 'Y'))
            return q;
    }
}

void ask_basis_set(control::Session& s, RunParameters& p)
{
    Console& con = s.con;
    con.endl();
    con.line("Please specify the basis set Q(A), Q(B), Q(C) and Q(F) in QU. [no defaults]:");
    static constexpr const char* labels[] = {"Q(A)", "Q(B)", "Q(C)", "Q(F)"};
    for (int i = 0; i < 4; ++i)
        p.basis[i] = ask_basis_value(con, labels[i], i < 3);
    con.endl();
    con.line("Do you expect the cell to be monoclinic or higher, and hence force any");
    p.lrectan = yes(con, std::string("cell angles near 90 degrees to be exactly 90 ") +
                             "(Y/N, default=N): ",
                    'N');
    con.endl();
    con.line("You may now optionally specify FMINEQ, the threshold below which");
    con.line("Q-values are to be considered equal (default: minimum=0.00, i.e. LOSHFZRF's own)");
    p.fmineq = console::ask_real(con, "  FMINEQ = ", "", 0.0, 0, 0, "", "DEF").value;
    con.endl();
}

} // namespace

bool mcmaille_warning(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line("Note that, like DICVOL91, McMaille runs can be lengthy (potentially overnight");
    con.line("or longer, particularly if grid-search is selected).  But they can also be");
    con.line("reasonably fast on a 1GHz+ processor, especially if a solution is found in high");
    con.line("symmetry (it's also possible to interrupt McMaille by pressing the \"K\" key).");
    return yes(con, "  Do you have wish to proceed - if not, reply N now (Y/N, default=N): ", 'N');
}

bool loshfzrf_ready(control::Session& s)
{
    Console& con = s.con;
    con.endl();
    con.line("To use LOSHFZRF you will need to specify a basis set Q(A,B,C,F) in Q-units.");
    return yes(con, "Do you have this available - if not, reply N now (Y/N, default=N): ", 'N');
}

int ask_line_count(control::Session& s, const Program& prog)
{
    Console& con = s.con;
    const int nobs = s.ds.Nobs;
    const int d = std::min(prog.suggested_max, nobs);
    const int m = std::min(nobs, s.indexing.max_lines);
    con.endl();
    con.line(std::string("Number of input lines to be used ") +
             (prog.family == "LZ" ? "in LZON dichotomy-search" : "") + ":");
    con.line("   Observed      = " + std::to_string(nobs));
    con.line("   Suggested max = " + std::to_string(prog.suggested_max) +
             (prog.suggested_max > nobs ? " (if they had been observed)" : ""));
    con.line("   Suggested min = " + std::to_string(prog.minimum) +
             (nobs < prog.minimum ? " (if they had been observed)" : ""));
    const std::string prompt = "Specify number to be used (default = first " +
                               console::int_text(d, 2) + ", max " + console::int_text(m, 2) +
                               "): ";
    for (;;) {
        int n = console::ask_int(con, prompt, "", d, 0, "", "(" + std::to_string(d) + ")").value;
        if (n > m) {
            con.line(" ** Exceeds limit **");
            continue;
        }
        con.endl();
        // Fewer than the minimum is only a warning; a run left with no line
        // at all is abandoned once the file is written.
        if (n < prog.minimum)
            con.line("** Warning: Less than the recommended minimum, " + std::string(prog.name) +
                     " may be unstable **");
        return n;
    }
}

bool program_questions(control::Session& s, RunParameters& p)
{
    if (is_family(p, "DV") && !dicvol_dialogue(s, p))
        return false;
    if (is_family(p, "KL"))
        kohl_options(s, p);
    if (is_family(p, "MC"))
        mcmaille_options(s, p);
    if (!is_family(p, "LS") && use_all_defaults(s))
        return true;
    if (uses_del2th(*p.program))
        ask_del2th(s, p);
    if (is_family(p, "TP"))
        taup_options(s, p);
    if (uses_volmax(*p.program))
        ask_volumes(s, p);
    if (uses_nspuri(*p.program))
        ask_nspuri(s, p);
    if (is_family(p, "LZ"))
        ask_zones(s, p);
    if (is_family(p, "LS"))
        ask_basis_set(s, p);
    return true;
}

std::string parameter_summary(const RunParameters& p)
{
    auto del2th = [&] { return "Del2Th = " + console::real_text(p.del2th, 1, 3); };
    auto nspuri = [&] { return "Nspuri = " + std::to_string(p.nspuri); };
    if (is_family(p, "DV")) {
        static constexpr const char* systems[] = {
            "all down to monoclinic", "high symmetry (cubic, tetragonal, hexagonal)",
            "orthorhombic and monoclinic", "triclinic only"};
        return del2th() + ", Volmin = " + console::real_text(p.volmin, 1, 1) + ", Search " +
               systems[p.dicvol_mode];
    }
    if (is_family(p, "TR") || is_family(p, "NT"))
        return del2th();
    if (is_family(p, "TP"))
        return del2th() + ", " + nspuri() + (p.taup_monoclinic ? ", monoclinic scan" : "") +
               (p.taup_all_solutions ? ", option X" : "");
    if (is_family(p, "KL"))
        return nspuri() + ", IORT = " + std::string(1, p.iort);
    if (is_family(p, "LZ"))
        return del2th() + ", " + nspuri() + ", " + std::to_string(p.zones) + " basis zones, " +
               (p.zone_measure == 'C' ? "ITO6 CRIT" : "I&W PM") + " measure";
    if (is_family(p, "LS"))
        return del2th() + ", " + nspuri() + "\nBasis set:  QA = " +
               console::real_text(p.basis[0], 1, 4) + ", QB = " +
               console::real_text(p.basis[1], 1, 4) + ", QC = " +
               console::real_text(p.basis[2], 1, 4) + ", QF = " +
               console::real_text(p.basis[3], 1, 4) + "\nLRECTAN = " +
               (p.lrectan ? "1" : "0") + ", FMINEQ = " + console::real_text(p.fmineq, 1, 2);
    if (is_family(p, "MC"))
        return std::string(p.unit_intensities ? "Unit" : "Actual") + " intensities, Ngrid = " +
               std::to_string(p.ngrid);
    return "(none)";
}

} // namespace indexing::launch
