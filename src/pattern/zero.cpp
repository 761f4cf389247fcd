// ZE: the zero correction of 2Theta, kept apart or built into the stored angles.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"

namespace pattern {

namespace {

// The zero correction goes into every stored angle and is then 0.
void incorporate_zero(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    con.line("Pattern basis has been forced to 2Theta and the current Z2Theta");
    con.line("incorporated in the stored 2Theta values (leaving Z2Theta = 0)");
    ds.Dflag = 1;
    con.endl();
    con.line("Applying the transformation");
    console::pause(con);
    // A line without an angle has none to correct: it keeps its Q.
    for (int i = 1; i <= ds.Nobs; ++i)
        if (ds.OT[i] != 0.0)
            ds.OT[i] += ds.Z2Th;
    ds.Z2Th = 0.0;
    list_pattern(s, false, true);
}

} // namespace

// ZE: enter or change the zero correction.
void ZE(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("Input Zero Correction for 2Theta in degrees.");
    con.line("Current value  =" + console::real_text(ds.Z2Th, 13, 9) +
             " degrees  (default=no change)");
    console::RealAnswer a;
    for (;;) {
        a = console::ask_real(con, "Input new value:  ", "", ds.Z2Th, 1, 6, " degrees", "NC");
        if (a.unchanged || std::fabs(a.value) <= dataset::max_zero)
            break;
        con.line("  ** Zero correction must lie in the range -" +
                 console::real_text(dataset::max_zero, 0, 0) + " to " +
                 console::real_text(dataset::max_zero, 0, 0) + " degrees **");
    }
    con.endl();
    if (a.value != ds.Z2Th) {
        ds.Z2Th = a.value;
        if (ds.Nobs >= 1) {
            con.line("Revising observed pattern");
            revise_pattern(s);
        }
    }
    if (ds.Z2Th != 0.0) {
        con.endl();
        con.line("Do you want to incorporate this Z2Theta permanently in the observed 2Thetas (Y)");
        std::string answer = console::ask_code(
            con, "or keep it separate as a correction constant (N) (default=N):  ", "YN", "N",
            "(No)");
        con.endl();
        if (answer[0] == 'Y')
            incorporate_zero(s);
    }
}

} // namespace pattern
