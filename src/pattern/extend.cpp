// EP: extend a sparse observed pattern to 20 lines with calculated higher
// orders of its lines, then save it under a new name.
#include "pattern/extend.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::real_text;

namespace extension {

int highest_order(int nobs)
{
    int m = 9;
    while (m > 1 && nobs * (m - 1) >= 99)
        --m;
    return m;
}

int make_candidates(const dataset::Dataset& ds, int m, Candidates& c)
{
    int count = 0;
    for (int n = 2; n <= m; ++n)
        for (int i = 1; i <= ds.Nobs && count < max_candidates; ++i)
            c[count++] = n * n * ds.OQ[i];
    // Plain numbers: any sort gives the same order as the pattern's Shell sort.
    std::sort(c.begin(), c.begin() + count);
    return count;
}

int append_higher_orders(console::Console& con, dataset::Dataset& ds, const Candidates& c,
                         int count, double limit)
{
    int added = 0;
    for (int k = 0; k < count && ds.Nobs < target_lines; ++k) {
        const double q = c[k];
        // Ascending: no later candidate is within reach either.
        if (!within_reach(ds.K, q)) {
            con.endl();
            con.line("** Higher orders from Q = " + real_text(q, 5, 3) +
                     " up are not used: no wavelength of " +
                     real_text(dataset::min_wavelength, 0, 2) + " A or more reaches them **");
            break;
        }
        int near = 0;
        for (int i = 1; i <= ds.Nobs && near == 0; ++i)
            if (std::fabs(q - ds.OQ[i]) < limit)
                near = i;
        if (near != 0) {
            con.endl();
            con.line("Higher order with Q = " + real_text(q, 5, 3) + " rejected: only " +
                     real_text(q - ds.OQ[near], 6, 3) + " from line at " +
                     real_text(ds.OQ[near], 5, 3));
            continue;
        }
        const int n = ++ds.Nobs;
        ds.OQ[n] = q;
        ds.OT[n] = 0.0;
        ds.OI[n] = 0.0;
        ds.icode[n] = 0;
        ds.OH[n] = ds.OK[n] = ds.OL[n] = 0;
        ++added;
    }
    return added;
}

double fitting_wavelength(double k, double q)
{
    double w = 2.0;
    while (k * q >= 1.0) {
        w /= 2.0;
        k = w * w / 40000.0;
    }
    return w;
}

bool within_reach(double k, double q)
{
    return dataset::q_in_range(q) && fitting_wavelength(k, q) >= dataset::min_wavelength;
}

} // namespace extension

namespace {

void explain(console::Console& con)
{
    con.lines(2);
    con.line(console::blanks(30) + "EP = Extend Pattern");
    con.line(console::blanks(12) + "(Extend sparse data to 20 lines by adding higher orders)");
    con.endl();
    con.line("This process extends a sparse observed pattern (for example, from a ");
    con.line("High-P/High-T experiment) by adding calculated higher orders of the existing");
    con.line("observed lines until the total number of unique \"observed\" lines becomes 20,");
    con.line("in order to satisfy those indexing programs that refuse to process datasets");
    con.line("containing less than 20 observed lines (or process them but become unstable)");
    con.endl();
    con.line("Obviously this device does not increase the actual information content of the");
    con.line("pattern, and is capable of creating data inconsistencies if the original");
    con.line("measurements contain a systematic error such as a 2Theta zero error, which");
    con.line("will not be reproduced consistently in the extended pattern.  Hence any");
    con.line("self-calibration or other correction/calibration procedure should be carried");
    con.line("out *before* pattern extension");
    con.endl();
    con.line("However, despite its risks, pattern extension offers a way to get round");
    con.line("the Nobs=20 requirement, which may be impossible to satisfy experimentally");
    con.endl();
    con.line("Proceed at your own risk - good luck!");
    con.endl();
}

double ask_limit(console::Console& con)
{
    con.line("Limit in QU. for rejecting new lines that would be too close to existing");
    for (;;) {
        double limit = console::ask_real(con, "  lines (default=" + real_text(20.0, 2, 0) + "): ",
                                         "", 20.0, 0, 0, " QU.", "")
                           .value;
        con.endl();
        if (limit >= 0.0)
            return limit;
        con.line("** The limit cannot be negative **");
    }
}

// Every new line gets its 2Theta, at the current wavelength when it reaches
// them, else at the first halving of 2.0 A that does. True when W0 changed.
bool angles_for_new_lines(control::Session& s, int added)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    // New lines are appended in ascending order: the last has the largest Q.
    const double w = added > 0 ? extension::fitting_wavelength(ds.K, ds.OQ[ds.Nobs]) : 2.0;
    if (w != 2.0) {
        con.line("Wavelength change needed - recalculating 2Theta from Qobs for new wavelength");
        keep_spacings(ds, w);
        return true;
    }
    con.line("Calculating 2Theta values from Qobs for the new lines");
    int first = 1;
    while (first <= ds.Nobs && ds.OT[first] != 0.0)
        ++first;
    for (int i = first; i <= ds.Nobs; ++i) {
        double t = 0.0, q = 0.0;
        if (!dataset::two_theta_from_q(ds, ds.OQ[i], ds.Z2Th, t))
            continue;
        ds.OT[i] = t;
        if (ds.Z2Th != 0.0 && dataset::q_from_2theta(ds, t, ds.Z2Th, q))
            ds.OQ[i] = q;
    }
    return false;
}

} // namespace

// EP: extend the pattern to 20 lines by adding higher orders.
void EP(control::Session& s)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    explain(con);
    if (ds.Nobs == 0) {
        con.line("** No observed pattern loaded - needed before running EP **");
        return;
    }
    const std::string def = ds.Nobs < extension::target_lines ? "Y" : "N";
    std::string reply = console::ask_code(con, "Do you want to proceed (Y/N, default=" + def + "): ",
                                          "YN", def, "(" + def + ")");
    if (reply[0] == 'N') {
        con.endl();
        return;
    }
    con.lines(2);
    const int m = extension::highest_order(ds.Nobs);
    const double limit = ask_limit(con);

    con.line("Generating extended pattern (the obs data type will now be Q), rejecting");
    con.line("any new lines that would lie within " + real_text(limit, 5, 3) +
             " QU. of an existing line.");
    if (ds.Iflag == 1)
        con.line("The new lines will be assigned an intensity of 0 and marked as \"abs\".");
    con.line("The \"wavelength\" may be reduced if necessary for calculating 2Thetas");

    extension::Candidates candidates{};
    const int count = extension::make_candidates(ds, m, candidates);
    const int added = extension::append_higher_orders(con, ds, candidates, count, limit);
    if (ds.Nobs < extension::target_lines) {
        con.endl();
        con.line("** No more higher orders to add - the pattern has reached " +
                 std::to_string(ds.Nobs) + " lines only **");
    }
    s.pattern.ob_type = 3;
    ds.Dflag = 0;

    const bool changed = angles_for_new_lines(s, added);
    con.endl();
    con.put("The dataset has now been extended to " + std::to_string(ds.Nobs) + " lines");
    if (changed) {
        con.line(" and the wavelength changed");
        con.line("to " + real_text(ds.W0, 7, 5) +
                 " A so that 2Theta values below 180 degrees could be generated for");
        con.line("the new lines");
    } else {
        con.endl();
    }
    con.endl();
    if (dataset::out_of_order(ds))
        dataset::order_by_q(ds);

    ds.name_append = "EP";
    ds.title_append = ",EP" + std::to_string(std::min(ds.Nobs, extension::target_lines));
    con.line("This extended dataset will now be saved under a new default name with \"EP\"");
    con.line("appended and similarly the title line updated by appending \"" + ds.title_append +
             "\".");
    con.line("(This is done to avoid the confusion that could arise as trial solutions");
    con.line("are accumulated for this extended dataset without any way of distinguishing");
    con.line("their name or title from those for the original sparse dataset)");
    console::pause(con);
    dataset::save_dataset(s, "EP");
}

} // namespace pattern
