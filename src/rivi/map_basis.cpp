// The map's basis set Q(A), Q(B), Q(C) and one cross constant: a basal zone
// of the stored cell, a set from the dataset's basis-set list, or typed.
#include <string>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "indexing/basis_sets.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

using console::real_text;

namespace {

// "  Q(A) =    35.1234      Q(D) =    0.0000  (alpha* =  90.000 degrees)"
void show_stored_constants(Dialogue& d)
{
    const dataset::Dataset& ds = d.s.ds;
    static const char* const diagonal[] = {"A", "B", "C"};
    static const char* const cross[] = {"D", "E", "F"};
    static const char* const angle[] = {"alpha*", "beta* ", "gamma*"};
    d.s.con.line("Powder constants of current cell in QU. are:");
    for (int i = 0; i < 3; ++i)
        d.s.con.line(std::string("  Q(") + diagonal[i] + ") = " + real_text(ds.QQ[i + 1], 10, 4) +
                     "      Q(" + cross[i] + ") = " + real_text(ds.QQ[i + 4], 9, 4) + "  (" +
                     angle[i] + " =" + real_text(ds.RR[i + 4], 8, 3) + " degrees)");
}

// Z: the stored cell's diagonal constants and the chosen zone's cross constant.
bool zone_basis(Dialogue& d)
{
    console::Console& con = d.s.con;
    con.line("The 3 available basal zones are hk0 [001], h0l [010], 0kl [100]");
    const char zone = console::ask_code(
        con, "  Please select a zone (C=hk0, B=h0l, A=0kl, default=C): ", "CBA", "C", "(C)")[0];
    con.endl();
    MapSettings& ms = d.s.maps.settings;
    const int fixed = fixed_constant(zone);
    ms.basis = Q6{0.0, d.stored_q[1], d.stored_q[2], d.stored_q[3], 0.0, 0.0, 0.0};
    ms.basis[fixed] = d.stored_q[fixed];
    ms.source = BasisSource::zone;
    d.s.maps.fom.section = zone;
    return true;
}

bool positive_diagonal(const Q6& q) { return q[1] > 0.0 && q[2] > 0.0 && q[3] > 0.0; }

// B: one set of the basis-set list, whose cross constant is Q(F) (an hk0 zone).
bool list_basis(Dialogue& d)
{
    indexing::BasisSet chosen;
    if (!indexing::load_basis_set(d.s, chosen) || !positive_diagonal(chosen.q)) {
        d.s.con.line("** Failed to load a basis set - " + d.kind + "Map run aborted **");
        return false;
    }
    MapSettings& ms = d.s.maps.settings;
    ms.basis = chosen.q;
    ms.source = BasisSource::bsl;
    ms.bsl_set = chosen.seq;
    d.s.maps.fom.section = 'C';
    return true;
}

// Typed until Q(A) to Q(C) are positive; false when the user quits.
void zero_or_negative_advice(Dialogue& d)
{
    console::Console& con = d.s.con;
    con.line("** At least one of the specified Q(A) to Q(C) is zero or negative **");
    con.endl();
    con.line("Please input a valid basis set, or exit to the Latticor command prompt");
    con.line("and then either use the LC, LO or CE commands to load a trial cell from");
    con.line("which " + d.kind + "Map can construct a basis set (from one of its basal zones),");
    con.line("or IN with LZ to run LZON (if necessary) to create a suitable BSL file.");
    con.endl();
}

bool typed_basis(Dialogue& d)
{
    console::Console& con = d.s.con;
    MapSettings& ms = d.s.maps.settings;
    Q6 q{};
    if (d.cell)
        q = Q6{0.0, d.stored_q[1], d.stored_q[2], d.stored_q[3], 0.0, 0.0, d.stored_q[6]};
    static const char* const labels[] = {"  Q[A]= ", "  Q[B]= ", "  Q[C]= ", "  Q[F]= "};
    static const int rows[] = {1, 2, 3, 6};
    for (;;) {
        con.line(d.cell ? "Please input a user-defined basis set (defaults: existing Q[A,B,C,F]):"
                        : "No cell currently stored - please input a basis set Q[A,B,C,F] now");
        con.line("(to interrupt this process, specify any of Q[A] to Q[C] as zero)");
        for (int i = 0; i < 4; ++i) {
            q[rows[i]] = console::ask_real(con, labels[i], "", q[rows[i]], 1, 4, " QU.", "").value;
            con.endl();
        }
        if (positive_diagonal(q))
            break;
        zero_or_negative_advice(d);
        for (;;) {
            con.line("To re-input the basis set now, press ENTER, or");
            const std::string reply = console::read_normalised_reply(
                con, "type Q to exit to the Latticor command prompt: ");
            con.endl();
            if (reply == "Q")
                return false;
            if (reply.empty())
                break;
        }
    }
    q[4] = q[5] = 0.0;
    ms.basis = q;
    ms.source = BasisSource::user;
    d.s.maps.fom.section = 'C';
    return true;
}

} // namespace

const char* zone_indices(char zone)
{
    switch (zone) {
    case 'A': return "0kl";
    case 'B': return "h0l";
    default: return "hk0";
    }
}

bool choose_basis(Dialogue& d)
{
    console::Console& con = d.s.con;
    char choice = 'U';
    con.endl();
    if (d.cell) {
        show_stored_constants(d);
        if (d.s.run.topography) {
            con.line("The map will be based on one of the three basal zones of this cell");
            return zone_basis(d);
        }
        con.line("The map can be based on any of the three basal zones of this cell,");
        if (d.bsl)
            con.line("or on a basis set from the BSL file for this dataset that was written by LZON,");
        con.line("or on some other basis set Q(A,B,C,F) of your choice");
        if (d.bsl) {
            con.line("Use a basal zone of the stored cell (Z), a basis set from the BSL file (B),");
            choice = console::ask_code(con, "  or a user-specified basis set (U)?  (Z/B/U, default=B): ",
                                       "ZBU", "B", "(B)")[0];
        } else {
            con.line("Use a basal zone of the stored cell (Z) or a user-specified basis set (U)?");
            choice = console::ask_code(con, "  (Z/U, default=Z)? ", "ZU", "Z", "(Z)")[0];
        }
        con.endl();
    } else if (d.bsl) {
        con.line("The map can be based on a basis set from the BSL file for this dataset that");
        con.line("was written by LZON, or on some other basis set Q(A,B,C,F) of your choice");
        con.line("Use a basis set from the BSL file (B) or a user-specified basis set (U)?");
        choice = console::ask_code(con, "  (B/U, default=B)? ", "BU", "B", "(B)")[0];
        con.endl();
    }
    switch (choice) {
    case 'Z': return zone_basis(d);
    case 'B': return list_basis(d);
    default: return typed_basis(d);
    }
}

bool basis_to_cell(Dialogue& d)
{
    if (cell::cell_from_powder_constants(d.s.ds, d.s.maps.settings.basis))
        return true;
    d.s.con.line("** The basis set does not form a cell (cosine(s)>1.0) - " + d.kind +
                 "Map run aborted **");
    return false;
}

} // namespace rivi
