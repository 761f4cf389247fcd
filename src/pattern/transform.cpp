// TR: the linear transformation of the observed 2Theta values,
// new 2Theta = k * 2Theta + Z, and its exact inverse.
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::real_text;

namespace {

std::string equation_text(double k, double z)
{
    return console::blanks(10) + "New 2Theta = " + real_text(k, 9, 6) + "  * 2Theta + " +
           real_text(z, 9, 6);
}

// True when (k, z) undoes the last transformation and the pattern is still
// the one that transformation left behind.
bool undoes_last(const dataset::Dataset& ds, const TransformRecord& r, double k, double z)
{
    if (!r.valid || r.nobs != ds.Nobs || ds.Z2Th != r.z2th_after || z != -r.z)
        return false;
    if (!(std::fabs(k * r.k - 1.0) <= 1e-12))
        return false;
    for (int i = 1; i <= ds.Nobs; ++i)
        if (ds.OT[i] != r.ot_after[i])
            return false;
    return true;
}

bool factor_in_range(double k) { return k >= dataset::min_tr_factor && k <= dataset::max_tr_factor; }

bool zero_in_range(double z) { return std::fabs(z) <= dataset::max_zero; }

std::string zero_range_text()
{
    return real_text(-dataset::max_zero, 0, 0) + " to " + real_text(dataset::max_zero, 0, 0);
}

// Why (k, z) cannot be applied, or empty when it can: the factor, the zero
// correction it leads to and every new angle must stay in range.
std::string transformation_refusal(const dataset::Dataset& ds, double k, double z)
{
    if (!factor_in_range(k))
        return "factor k = " + real_text(k, 0, 6) + " lies outside " +
               real_text(dataset::min_tr_factor, 0, 1) + " to " +
               real_text(dataset::max_tr_factor, 0, 0);
    if (!zero_in_range(ds.Z2Th + z))
        return "the zero correction would become " + real_text(ds.Z2Th + z, 0, 6) +
               " degrees, outside " + zero_range_text();
    for (int i = 1; i <= ds.Nobs; ++i)
        if (!std::isfinite(k * ds.OT[i]))
            return "2Theta of line " + std::to_string(i) + " would overflow";
    return "";
}

} // namespace

void apply_transformation(control::Session& s, double k, double z)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    if (!(k == 1.0 && z == 0.0)) {
        const std::string refusal = transformation_refusal(ds, k, z);
        if (!refusal.empty()) {
            con.line("** Transformation refused: " + refusal + " **");
            return;
        }
    }
    s.pattern.tr_k = k;
    s.pattern.tr_z = z;
    if (k == 1.0 && z == 0.0) {
        con.line("Identity transformation applied (2Thetas unchanged)");
        return;
    }
    con.endl();
    con.line("First the zero correction from the transformation is added ");
    con.line("to any existing one, and the pattern basis forced to 2Theta.");
    con.endl();
    con.line("Applying the transformation");
    console::pause(con);

    TransformRecord& r = s.pattern.last_transform;
    const bool inverse = undoes_last(ds, r, k, z);
    // What the pattern was before this transformation becomes what the next
    // inverse has to restore.
    std::array<double, dataset::max_obs + 1> before = ds.OT;
    const double z2th_before = ds.Z2Th;
    ds.Dflag = 1;
    if (inverse) {
        ds.Z2Th = r.z2th_before;
        for (int i = 1; i <= ds.Nobs; ++i)
            ds.OT[i] = r.ot_before[i];
    } else {
        ds.Z2Th += z;
        for (int i = 1; i <= ds.Nobs; ++i)
            ds.OT[i] *= k;
    }
    r.ot_before = before;
    r.z2th_before = z2th_before;

    list_pattern(s, false, true);

    r.valid = true;
    r.k = k;
    r.z = z;
    r.nobs = ds.Nobs;
    r.z2th_after = ds.Z2Th;
    r.ot_after = ds.OT;
}

// TR: transform the stored 2Theta values by a linear equation.
void TR(control::Session& s)
{
    console::Console& con = s.con;
    con.lines(2);
    con.line("TR:= Transform 2Theta obs data by a linear equation:");
    con.endl();
    con.line(console::blanks(10) + "New 2Theta = k * 2Theta + Z");
    con.endl();
    con.line("Note:  Any existing zero correction will be incorporated before the");
    con.line("transformation is applied and its external value then reset to zero.");
    con.endl();
    if (s.ds.Nobs == 0) {
        con.line("** No observed pattern loaded yet **");
        return;
    }

    // The stored k and Z change only when a transformation is applied.
    double k = s.pattern.tr_k;
    double z = s.pattern.tr_z;
    const bool identity = k == 1.0 && z == 0.0;
    if (identity) {
        con.line("Last transformation was identity (k = 1.0, Z = 0.0)");
        con.endl();
    } else {
        con.line("Last transformation was:");
        con.line(equation_text(k, z));
        con.endl();
        con.line("Please input the transformation factor k (default: no change)");
    }
    double factor = 0.0;
    for (;;) {
        factor = console::ask_real(
                     con,
                     identity ? "Please input the transformation factor k (default: no change): "
                              : "   or zero to reverse the last transformation as shown above: ",
                     "", 1.0, 0, 0, "", "")
                     .value;
        if (factor == 0.0 || factor_in_range(factor))
            break;
        con.line("  ** Factor k must lie in the range " + real_text(dataset::min_tr_factor, 0, 1) +
                 " to " + real_text(dataset::max_tr_factor, 0, 0) + " **");
    }
    if (identity && factor == 0.0) {
        con.put(" (= no change)");
        con.endl();
        return;
    }
    con.endl();

    if (factor == 0.0) {
        k = 1.0 / k;
        z = -z;
        con.endl();
        con.line("Inverse transformation is:");
        con.line(equation_text(k, z));
    } else {
        for (;;) {
            z = console::ask_real(con, "  and now the constant Z to be added: ", "", 0.0, 0, 0, "", "")
                    .value;
            if (zero_in_range(s.ds.Z2Th + z))
                break;
            con.line("  ** The zero correction would become " + real_text(s.ds.Z2Th + z, 0, 6) +
                     " degrees, outside " + zero_range_text() + " **");
        }
        con.endl();
        k = factor;
    }
    apply_transformation(s, k, z);
}

} // namespace pattern
