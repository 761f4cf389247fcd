// WA and RS: a new wavelength, keeping either the angles or the spacings, and
// the rescaling of all d-spacings through the wavelength.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::real_text;

namespace {

// Basis 2Theta: the stored angles stay, the Q values follow the wavelength.
// A line without an angle keeps its Q.
void keep_angles(dataset::Dataset& ds, double w)
{
    ds.set_wavelength(w);
    for (int i = 1; i <= ds.Nobs; ++i) {
        double q = 0.0;
        if (ds.OT[i] != 0.0 && dataset::q_from_2theta(ds, ds.OT[i], ds.Z2Th, q))
            ds.OQ[i] = q;
    }
}

const char* basis_name(int dflag) { return dflag == 1 ? "2Theta" : "Q"; }

} // namespace

// Basis Q: the uncorrected spacings stay and the angles follow the
// wavelength; the zero correction is then applied again at the new angles.
void keep_spacings(dataset::Dataset& ds, double w)
{
    const double z = ds.Z2Th;
    if (z != 0.0) {
        ds.Z2Th = 0.0;
        for (int i = 1; i <= ds.Nobs; ++i) {
            double q = 0.0;
            if (ds.OT[i] != 0.0 && dataset::q_from_2theta(ds, ds.OT[i], 0.0, q))
                ds.OQ[i] = q;
        }
    }
    ds.set_wavelength(w);
    for (int i = 1; i <= ds.Nobs; ++i) {
        // A spacing the new wavelength cannot reach has no angle any more;
        // keeping the old angle would turn its Q into that of another spacing.
        double t = 0.0;
        ds.OT[i] = dataset::two_theta_from_q(ds, ds.OQ[i], 0.0, t) ? t : 0.0;
    }
    if (z != 0.0) {
        ds.Z2Th = z;
        for (int i = 1; i <= ds.Nobs; ++i) {
            double q = 0.0;
            if (ds.OT[i] != 0.0 && dataset::q_from_2theta(ds, ds.OT[i], ds.Z2Th, q))
                ds.OQ[i] = q;
        }
    }
}

namespace {

// 0 stands apart: no wavelength supplied (LI then assumes CuKa1).
bool wavelength_in_range(double w)
{
    return w >= dataset::min_wavelength && w <= dataset::max_wavelength;
}

std::string wavelength_range_text()
{
    return "  ** Wavelength must lie in the range " + real_text(dataset::min_wavelength, 0, 2) +
           " to " + real_text(dataset::max_wavelength, 0, 0) + " A **";
}

// Why RS cannot rescale by ks, or empty when it can: the wavelength (unless
// none was supplied) and every Q must stay within what a dataset file holds.
std::string rescale_refusal(const dataset::Dataset& ds, double ks)
{
    if (ds.W0 != 0.0 && !wavelength_in_range(ks * ds.W0))
        return "** The wavelength would become " + real_text(ks * ds.W0, 0, 6) +
               " A, outside the range " + real_text(dataset::min_wavelength, 0, 2) + " to " +
               real_text(dataset::max_wavelength, 0, 0) + " A **";
    for (int i = 1; i <= ds.Nobs; ++i)
        if (ds.OQ[i] / (ks * ks) > dataset::max_q)
            return "** Q of line " + std::to_string(i) + " would exceed " +
                   real_text(dataset::max_q, 0, 0) + " QU. **";
    return "";
}

} // namespace

// WA: enter or change the wavelength.
void WA(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.put("Input Wavelength in A.  Current Wavelength = " + real_text(ds.W0, 8, 6) + " A");
    if (ds.Nobs != 0)
        con.put(std::string(".  (Obs based on ") + (ds.Dflag == 1 ? "2Theta)" : "d or Q)"));
    con.endl();
    con.line("(You can type CU for CuKa1 = " + real_text(dataset::cuka1, 8, 6) +
             " A, or press ENTER for no change)");

    const double old = ds.W0;
    console::RealAnswer a;
    for (;;) {
        a = console::ask_real(con, "Input new value:  ", "CU", old, 0, 0, "", "NC");
        if (a.value < 0.0)
            con.line("  ** Invalid **");
        else if (a.value == old || !a.reply.empty() || a.value == 0.0 ||
                 wavelength_in_range(a.value))
            break;
        else
            con.line(wavelength_range_text());
    }
    double w = a.value;
    if (!a.reply.empty()) {  // CU (or a part of it)
        w = dataset::cuka1;
        con.put("  Use CuKa1 = " + real_text(w, 8, 6) + " A");
        if (w == old)
            con.put(" (no change)");
    }
    if (w == old) {
        con.endl();
        return;
    }

    if (ds.Nobs == 0) {
        ds.set_wavelength(w);
    } else {
        con.endl();
        con.line("Observed pattern will now be recalculated using new wavelength, ");
        con.line("either keeping 2Theta constant and recalculating spacings,");
        con.line("    or keeping Q (and d) constant and recalculating 2Thetas");
        con.endl();
        con.line(std::string("Current basis assumed is to keep ") + basis_name(ds.Dflag) +
                 " constant");
        con.endl();
        std::string answer =
            console::ask_code(con, "Basis to be changed (Y/N, default=N): ", "YN", "N", "");
        if (answer[0] != 'N') {
            ds.Dflag = 1 - ds.Dflag;
            con.put(std::string(" .. changed:  keep ") + basis_name(ds.Dflag) + " constant");
        } else {
            con.put(" (No change)");
        }
        con.endl();
        if (ds.Dflag == 1) {
            con.line("Recalculating Qobs from 2Theta using new wavelength");
            keep_angles(ds, w);
        } else {
            con.line("Recalculating 2Theta from Qobs for new wavelength");
            keep_spacings(ds, w);
        }
    }
    con.endl();
    con.line("** Warning - the dataset with this changed wavelength has not yet been saved **");
}

// RS: rescale the observed d-spacings by a change of the assumed wavelength.
void RS(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.lines(2);
    con.line("   RS - ReScale Observed d-spacings by Change of Assumed Wavelength");
    con.endl();
    con.line("Factor Ks will be used to multiply the assumed (and stored) wavelength,");
    con.line("and hence to rescale all the observed d-spacings.  This facility has been");
    con.line("provided to help with indexing the patterns from unit cells with large cell");
    con.line("constants, by shifting them to a d-spacing range for which the available");
    con.line("indexing programs have been better optimised (and also to shift back again).");
    con.endl();
    con.line("The usual situation where rescaling is helpful is with a macromolecular,");
    con.line("zeolite, or other large-celled material, whose powder pattern has thus");
    con.line("shifted too far to low angles for successful indexing by programs like");
    con.line("ITO or TREOR.  Such cases often benefit from rescaling with a fractional Ks");
    con.line("of e.g. 0.5 or 0.2 to bring them to the parameter ranges for which those");
    con.line("programs have been optimised.  The cell sides of any resulting solutions");
    con.line("will need multiplying by x2 or x5 to restore them to their actual values.");
    con.line("When needed, this can be applied automatically to all cells in the summary");
    con.line("file by performing a matching UNSCALE (MS command, option U).");
    con.endl();
    con.line("If this rescaling facility is used, the rescaled pattern will be saved under a");
    con.line("new default dataset name to reflect the scale change, by appending the rescale");
    con.line("scaledown factor so that a dataset <dset> rescaled by Ks=0.2 (=1/5) would");
    con.line("become <dset>R5, and its title line similarly changed by appending \",RS=0.2\",");
    con.line("so as to keep the associated summary and log files distinct.");

    double ks = 1.0;
    for (;;) {
        con.endl();
        ks = console::ask_real(con, "Input rescale factor Ks (0.1 to 10, default 1 = no change):  ",
                               "", 1.0, 0, 0, "", "NC")
                 .value;
        if (ks == 1.0) {
            con.endl();
            return;
        }
        std::string refusal = "** not in range 0.1 to 10 **";
        if (ks >= 0.1 && ks <= 10.0) {
            refusal = rescale_refusal(ds, ks);
            if (refusal.empty())
                break;
        }
        con.endl();
        con.line(refusal);
    }

    ds.set_wavelength(ks * ds.W0);
    con.endl();
    con.line("Rescaling the observed d-spacings");
    const double factor = 1.0 / (ks * ks);
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.OQ[i] *= factor;
    list_pattern(s, false, true);

    ds.name_append = "R" + std::to_string(std::lround(1.0 / ks));
    ds.title_append = ",RS=" + real_text(ks, 3, 1);
    con.endl();
    con.line("This rescaled dataset will now be saved under a new default name with \"" +
             ds.name_append + "\"");
    con.line("appended and similarly the title line updated by appending \"" + ds.title_append +
             "\".");
    console::pause(con);
    dataset::save_dataset(s, "RS" + real_text(ks, 3, 1));
}

} // namespace pattern
