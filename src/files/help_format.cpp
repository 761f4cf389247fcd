// The dataset file format page: the lines and items of a .CDT file.
#include "control/session.hpp"
#include "files/help_pages.hpp"

namespace files::help {

void format_page(control::Session& s, console::Sink& out)
{
    write_lines(out, {
        "                 ** Latticor (LATT) Dataset file format **",
        "",
        "A dataset is the text file <Dset>.CDT in the data directory, written by SA",
        "and read by LO: items separated by commas, strings in double quotes, plain",
        "decimal numbers; line ends and blanks before an item do not matter.  Lines",
        "marked * came with v9.30; deleting them gives the earlier form (LO reads both).",
        "",
        "* \"Latticor <version> dataset, saved as <name> on <ddmmmyy> at <hh:nn:ss>\"",
        "* \"<title: one line of description, up to 72 characters, may be empty>\"",
        "* \"[i,k] To use with LATT versions prior to v9.30, delete these first 3 lines\"",
        "     i = 1 if the lines carry intensities, else 0; k = 0 for intensity codes,",
        "     1 for measured intensities (without [i,k] LO infers both from the values)",
        "  \"Dset\",Nobs,Ctype,Ncalc,Qmax,Gflag,W0,Z2Th,Dflag,\"Abs\"     (header line)",
        "     Dset  = dataset name (up to 8 letters or digits)   Nobs = obs lines",
        "     Ctype = cell given as 0 none, 1 direct, 2 Q (powder constants), 3 Delaunay",
        "     Ncalc = calc lines stored    Qmax = Q limit of calc pattern (0 = not set)",
        "     Gflag = 1 if index limits GL were given   W0 = wavelength (Angstroms)",
        "     Z2Th  = zero correction in degrees (2Thcorr = 2Thobs + Z2Th)",
        "     Dflag = 0 if the pattern was given as Q or d, 1 if as 2Theta",
        "     Abs   = Bravais absences flag: P, A, B, C, I, F, R1 or R2",
    });
    next_screen(s, out, 2);
    write_lines(out, {
        "  Nobs observed lines, in ascending order of Q:   OQ,OH,OK,OL,OT,OI",
        "     OQ = Qobs in QU. (Q = 10000/d**2, d in Angstroms); OH,OK,OL = indices",
        "     (0,0,0 when unindexed); OT = 2Theta as observed, without Z2Th (0 when",
        "     the pattern came as Q or d); OI = intensity: a code 1 (vvw) to 9 (vvs),",
        "     negative when uncertain, or a measured value; 0 = none.  When OQ is 0,",
        "     Q is calculated from OT, W0 and Z2Th as the file is read.",
        "  Only when Ctype is not 0, six cell lines (i = 1..6):",
        "     DD(i),PP(i),QQ(i),RR(i),DSC(i),RSC(i),GL(i)",
        "     DD  = direct cell a, b, c (Angstroms), alpha, beta, gamma (degrees)",
        "     PP  = Delaunay constants P, Q, R, S, T, U (square Angstroms)",
        "     QQ  = powder constants Q(A), Q(B), Q(C), Q(D), Q(E), Q(F) in QU.",
        "     RR  = reciprocal cell a*, b*, c* (1/Angstrom), alpha*, beta*, gamma*",
        "     DSC = sines (i = 1..3) and cosines (i = 4..6) of alpha, beta, gamma",
        "     RSC = the same for alpha*, beta*, gamma*",
        "     GL  = index limits hmin, hmax, kmin, kmax, lmin, lmax (integers)",
        "  Ncalc calculated lines:   CQ,CH,CK,CL",
        "     CQ = Qcalc in QU.; CH,CK,CL = indices",
        "",
        "Q and 2Theta are written with 13 decimals, so a saved dataset reads back",
        "exactly.  Up to 1000 observed and 20000 calculated lines are kept; further",
        "lines in a file are read and skipped.",
    });
}

} // namespace files::help
