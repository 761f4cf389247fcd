// ZT: doubling a, b or both, or centring, of the cell's hk0 zone, worked on
// the powder constants Q(hkl) = h2 Q(A) + k2 Q(B) + l2 Q(C) + kl Q(D) + hl Q(E) + hk Q(F).
#include "pattern/zones.hpp"

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"

namespace pattern {

dataset::CellRow transform_zone(const dataset::CellRow& q, char choice)
{
    dataset::CellRow t = q;
    switch (choice) {
    case 'A':  // a doubled: a* halved
        t[1] = q[1] / 4.0;
        t[5] = q[5] / 2.0;
        t[6] = q[6] / 2.0;
        break;
    case 'B':  // b doubled: b* halved
        t[2] = q[2] / 4.0;
        t[4] = q[4] / 2.0;
        t[6] = q[6] / 2.0;
        break;
    case 'C':  // new reciprocal axes (a* + b*)/2 and (b* - a*)/2
        t[1] = (q[1] + q[2] + q[6]) / 4.0;
        t[2] = (q[1] + q[2] - q[6]) / 4.0;
        t[4] = 0.0;
        t[5] = 0.0;
        t[6] = (q[2] - q[1]) / 2.0;
        break;
    case 'D':  // a* and b* halved
        t[1] = q[1] / 4.0;
        t[2] = q[2] / 4.0;
        t[4] = q[4] / 2.0;
        t[5] = q[5] / 2.0;
        t[6] = q[6] / 4.0;
        break;
    default: break;
    }
    return t;
}

// ZT: zone transformations for the hk0 zone of the stored cell.
void ZT(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("        ZT - Zone Transformations for hk0 zone in basis set");
    con.endl();
    if (ds.Ctype == 0) {
        con.line("No cell loaded - can't proceed with transformations");
        con.endl();
        return;
    }
    con.line("At present transformations are only supported for the hk0 zone setting.");
    con.line("For A, B & D the whole cell is transformed; but for C, Q(D) & Q(E) are zeroed.");
    con.line("Transformations:  A = a doubled, B = b doubled, C = centred, D = a & b doubled");
    const char choice =
        console::ask_code(con, "  Please select (A/B/C/D, default X=exit: ", "ABCDX", "X", "(Exit)")[0];
    con.endl();
    if (choice == 'X')
        return;

    const dataset::CellRow q = transform_zone(ds.QQ, choice);
    // Doubling a long side can pass the longest a dataset file holds: such a
    // transformation is refused and the cell stays as it was.
    cell::DerivedCell derived;
    if (cell::cell_from_powder_constants(derived, q)) {
        for (int i = 1; i <= 3; ++i) {
            if (!dataset::cell_side_in_range(derived.DD[i])) {
                con.line(std::string("** Transformation refused: ") + "abc"[i - 1] +
                         " would become " + console::real_text(derived.DD[i], 0, 4) +
                         " A, outside " + console::real_text(dataset::min_cell_side, 0, 1) +
                         " to " + console::real_text(dataset::max_cell_side, 0, 0) + " A **");
                if (ds.Nobs == 0)
                    con.endl();
                return;
            }
        }
    }
    ds.QQ = q;
    ds.Ctype = 2;
    if (cell::cell_from_powder_constants(ds, ds.QQ)) {
        ds.cell_valid = ds.DD[1] * ds.DD[2] * ds.DD[3] != 0.0 ? 1 : 0;
        con.line("Transformation complete - valid cell");
    } else {
        // The direct and reciprocal rows no longer describe these constants.
        ds.V = 0.0;
        ds.cell_valid = 0;
        con.line("Powder constants transformed, but don't give a valid cell");
    }
    if (ds.Nobs == 0)
        con.endl();
}

} // namespace pattern
