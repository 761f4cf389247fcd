// QM, HL and AB: the limits of the calculated pattern (Qmax, index limits)
// and the Bravais absences flag.
#include <string>

#include "cell/commands.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::int_text;
using console::real_text;

// QM: the Qmax limit of the calculated pattern.
void QM(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("Input Qmax in QU.   Current Qmax =" + real_text(ds.Qmax, 9, 3) +
             " QU. (default=no change)");
    // Lines are in ascending order of Q: the last one is the largest.
    const double qo = (ds.Nobs > 0 ? ds.OQ[ds.Nobs] : 0.0) + 50.0;
    if (ds.Nobs > 0)
        con.line("(You can type QO for Qobsmax+50 =" + real_text(qo, 9, 3) +
                 "; or press ENTER for no change)");
    for (;;) {
        const console::RealAnswer a =
            console::ask_real(con, "Input new value:  ", "QO", ds.Qmax, 1, 3, " QU.", "NC");
        if (!a.reply.empty()) {
            ds.Qmax = qo;
            con.put("   Use Qobsmax+50 =" + real_text(ds.Qmax, 9, 3) + " QU.");
            break;
        }
        // A negative limit has no square root for the index limits.
        if (a.value < 0.0) {
            con.line("  ** Invalid **");
        } else if (a.value > dataset::max_qmax && !a.unchanged) {
            con.line("  ** Qmax must not exceed " + real_text(dataset::max_qmax, 0, 0) + " QU. **");
        } else {
            ds.Qmax = a.value;
            break;
        }
    }
    con.endl();
}

namespace {

constexpr const char* limit_labels[7] = {"", "hmin:", "hmax:", "kmin:", "kmax:", "lmin:", "lmax:"};

// HL's answer A: the limits from the cell and Qmax, when there is a cell.
void automatic_index_limits(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    if (ds.Ctype == 0) {
        con.line("** No cell loaded: can't auto-calculate index limits - Run CE, LC or LO");
        return;
    }
    if (ds.cell_valid == 0) {
        con.line("** Cell sides a,b,c not complete: can't auto-calc hkl limits - Run CE, LC or LO");
        return;
    }
    dataset::IndexRow limits{};
    cell::automatic_limits(ds, limits);
    con.line("Auto calculate hkl limits");
    con.endl();
    con.line("hmin   hmax   kmin   kmax   lmin   lmax");
    std::string values;
    for (int i = 1; i <= 6; ++i) {
        values += int_text(limits[i], 4) + "   ";
        ds.GL[i] = limits[i];
    }
    con.line(values);
}

} // namespace

// HL: the given index limits, typed one by one or calculated.
void HL(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("Set Index Limits");
    con.endl();
    con.line("Type new individual value for each Index Limit, ENTER for no change, ");
    con.line("  or A (at hmin only) to calculate limits automatically");
    con.endl();
    for (int i = 1; i <= 6; ++i) {
        console::IntAnswer a;
        for (;;) {
            con.put(std::string(limit_labels[i]) + int_text(ds.GL[i], 4) + console::blanks(5));
            a = console::ask_int(con, "new value: ", i == 1 ? "A" : "", ds.GL[i], 0, "", "NC");
            if (!a.reply.empty() || a.unchanged ||
                (a.value >= -dataset::max_index && a.value <= dataset::max_index))
                break;
            con.line("  ** Index limits must lie in the range -" + int_text(dataset::max_index, 0) +
                     " to " + int_text(dataset::max_index, 0) + " **");
        }
        con.endl();
        if (!a.reply.empty()) {
            automatic_index_limits(s);
            break;
        }
        ds.GL[i] = a.value;
    }
    ds.Gflag = 0;
    for (int i = 1; i <= 6; ++i)
        if (ds.GL[i] != 0)
            ds.Gflag = 1;
}

// AB: the Bravais lattice absences flag.
void AB(control::Session& s)
{
    static constexpr const char* flag_names[9] = {"", "P", "A", "B", "C", "I", "F", "R1", "R2"};
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("Absences Flag - Bravais lattice types  P, A, B, C, I, F");
    con.line(console::blanks(17) + "or R1 (Rhombohedral on hexagonal axes, obverse setting)");
    con.line(console::blanks(17) + "   R2 (Rhombohedral on hexagonal axes, reverse setting)");
    con.put("Current value: " + ds.Abs);
    con.put(console::pad_to_column(con, 21));
    const console::CodeAnswer a = console::ask_code_noted(
        con, "New value (default=no change): ", "P,A,B,C,I,F,R1,R2,NC", ds.Abs, "NC");
    if (a.defaulted || a.reply == "NC") {
        if (!a.defaulted)
            console::write_note(con, "NC");
        con.endl();
        return;
    }
    int code = ds.abs_code;
    if (!dataset::parse_absences(con, a.reply, code))
        return;  // the refusal has ended the line
    // Stored by its full name: a bare "R" is taken as R2 by the parse.
    ds.abs_code = code;
    ds.Abs = flag_names[code];
    con.put("  ** " + ds.Abs + " accepted **");
    con.endl();
}

} // namespace pattern
