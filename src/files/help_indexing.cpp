// The indexing-program advice: which program to run, in which order, and
// what each one does.
#include "control/session.hpp"
#include "files/help_pages.hpp"

namespace files::help {

void indexing_page(control::Session& s, console::Sink& out)
{
    write_lines(out, {
        "          ** Choosing an Indexing Program **                (screen 1 of 3)",
        "",
        "The choice of program is not critical: with accurate 2Theta values and no",
        "impurity lines among the first twenty, most of the programs supported will",
        "find the cell.  With poorer data or an awkward cell their strategies",
        "complement each other, so it pays to run them in a systematic order:",
        "",
        "(1) First exclude - or find - the high-symmetry solutions with the",
        "    exhaustive programs TAUP (code TP) and DICVOL91 in option 1 (code D1:",
        "    cubic, tetragonal, hexagonal).  Both search exhaustively within their",
        "    limits, so a null result is informative as well.",
        "",
        "(2) Then run the fast zone-indexing programs ITO12 (IT) and FJZN6 (FJ).",
        "    They build the cell from zones found among the low-angle lines, and",
        "    find low-symmetry cells in seconds when the first lines are accurate",
        "    and none are missing.",
        "",
        "(3) Next try TREOR90 (TR) and KOHL (KL), which index by trial and error",
        "    from the low-angle lines and tolerate a few inaccurate ones (KOHL can",
        "    also be told to disregard spurious lines).",
    });
    next_screen(s, out, 2);
    write_lines(out, {
        "          ** Choosing an Indexing Program **                (screen 2 of 3)",
        "",
        "(4) DICVOL91 in option 2 (code D2) searches the orthorhombic and monoclinic",
        "    systems exhaustively; it can be slow for large cells, so keep VOLMAX no",
        "    higher than the volume estimates suggest.",
        "",
        "(5) LZON (LZ) is designed for the dominant-zone case, where most low-angle",
        "    lines belong to one zone and the third axis is poorly determined.  The",
        "    basis sets it finds are kept in a .LZB file and can start RIVI in",
        "    indexing mode.",
        "",
        "(6) Explore with RIVI (IN with code MM) from an LZON basis set, allowing",
        "    for doubled cell constants: if a were doubled, Q(A) would be divided by",
        "    4 and Q(F) by 2 in the basis set, so try the changed set as well.",
        "",
        "(7) Load the most promising solutions from the summary file with LC, and",
        "    examine the figure-of-merit surface of each one with MM: a true cell",
        "    stands on a sharp, isolated peak, a chance fit on a broad or ragged one.",
    });
    next_screen(s, out, 3);
    write_lines(out, {
        "          ** Choosing an Indexing Program **                (screen 3 of 3)",
        "",
        "(8) If all else fails, run McMaille (MC) in its default mode as an overnight",
        "    run: its Monte Carlo search assumes little about the data, but is slow.",
        "",
        "(9) Finally analyse the summary file with the Chekcell program (outside",
        "    Latticor), which checks the cells against the observed lines and looks",
        "    for higher-symmetry settings; LC can load cells from its summaries.",
        "",
        "Code Program   Method          Lines (min-max)  Crystal systems",
        " TP  TAUP      exhaustive         10-20         cub,tet,hex,orth (+ mono)",
        " DV  DICVOL91  dichotomy          10-20         D1 cub/tet/hex, D2 orth/mono",
        " IT  ITO12     zone indexing      20-40         all, best for low symmetry",
        " FJ  FJZN6     zone indexing      10-40         all, best for low symmetry",
        " TR  TREOR90   trial and error    10-25         cubic down to monoclinic",
        " KL  KOHL      trial and error    10-30         orth, mono, tricl (OMT)",
        " LZ  LZON621   dominant zone      20-20         all; lists basis sets",
        " LS  LOSHFZRF  from a basis set   10-20         all; needs Q(A,B,C,F)",
        " MC  McMaille  Monte Carlo, grid  10-20         all; slow",
        " MM  RIVI      merit maps         internal      all; from cell or basis set",
    });
}

} // namespace files::help
