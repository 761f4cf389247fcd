// QC: 2Theta and Q of indices typed by the user, from the current cell.
#include <climits>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

namespace {

// Stands for ENTER at an index prompt, which ends the command.
constexpr int no_index = INT_MIN;

// One index; false on ENTER.
bool ask_index(console::Console& con, const char* prompt, int column, int& value)
{
    if (column > 1)
        con.put(console::pad_to_column(con, column));
    value = console::ask_int(con, prompt, "", no_index, 0, "", "").value;
    return value != no_index;
}

// Q(hkl) = h2 Q(A) + k2 Q(B) + l2 Q(C) + kl Q(D) + hl Q(E) + hk Q(F).
double q_of(const dataset::CellRow& qq, int h, int k, int l)
{
    return double(h) * h * qq[1] + double(k) * k * qq[2] + double(l) * l * qq[3] +
           double(k) * l * qq[4] + double(h) * l * qq[5] + double(h) * k * qq[6];
}

} // namespace

// QC: compute 2Theta and Qcalc for specified lines.
void QC(control::Session& s)
{
    console::Console& con = s.con;
    const dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("Compute 2Theta & Qcalc for specified lines");
    if (ds.Ctype == 0) {
        con.endl();
        con.line("** No cell loaded - run CE, LC or LO first **");
        return;
    }
    con.line("(To exit, press ENTER, or set hkl=0,0,0)");
    con.endl();
    con.line(console::blanks(25) + "h   k   l    2Th(cor)       Q");
    for (;;) {
        int h = 0, k = 0, l = 0;
        if (!ask_index(con, "h= ", 1, h) || !ask_index(con, "k= ", 8, k) ||
            !ask_index(con, "l= ", 15, l) || (h == 0 && k == 0 && l == 0)) {
            con.line(" ** Exit **");
            return;
        }
        const double q = q_of(ds.QQ, h, k, l);
        double t = 0.0;
        // The stored angle of this Q plus the zero correction is the true angle.
        const double corrected = dataset::two_theta_from_q(ds, q, ds.Z2Th, t) ? t + ds.Z2Th : 0.0;
        con.put(console::pad_to_column(con, 23));
        con.line(console::int_text(h, 4) + console::int_text(k, 4) + console::int_text(l, 4) +
                 console::real_text(corrected, 11, 3) + console::real_text(q, 11, 3));
    }
}

} // namespace pattern
