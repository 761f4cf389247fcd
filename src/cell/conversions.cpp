// Conversions between the direct, reciprocal, powder-constant and Delaunay
// forms of the trial cell, and the reciprocal-angle functions of the map search.
#include "cell/conversions.hpp"

#include <cmath>
#include <cstdlib>
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"

namespace cell {

using console::deg_per_rad;

namespace {

// The volume factor r = (V/abc)^2 below which a cell counts as flat. Angles
// that close up exactly (alpha = beta + gamma) leave r at rounding level,
// up to about 1e-10 with the degree factor used here; no real cell comes
// near this (V/abc of 3e-5).
constexpr double flat_cell = 1e-9;

// An angle from its cosine and sine: exactly 90 for a cosine of exactly 0,
// otherwise the arctangent in degrees, lifted by 180 when negative, so that
// it lies in (0, 180).
double angle_of(double cosine, double sine)
{
    if (cosine == 0.0)
        return 90.0;
    const double a = std::atan(sine / cosine) * deg_per_rad;
    return a < 0.0 ? a + 180.0 : a;
}

// The three angles of a cell and their sines from the cosines (rows 4..6
// of `cell`, rows 1..3 and 4..6 of `sines_cosines`).
void set_angles(dataset::CellRow& cell, dataset::CellRow& sines_cosines, const double cosines[3])
{
    for (int i = 1; i <= 3; ++i) {
        const double co = cosines[i - 1];
        const double si = std::sqrt(1.0 - co * co);
        sines_cosines[i] = si;
        sines_cosines[i + 3] = co;
        cell[i + 3] = angle_of(co, si);
    }
}

// Delaunay constants: scalar products of a, b, c and d = -(a+b+c).
template <typename Cell>
void delaunay_from_direct(Cell& ds)
{
    const double a = ds.DD[1], b = ds.DD[2], c = ds.DD[3];
    const double p = b * c * ds.DSC[4];
    const double q = c * a * ds.DSC[5];
    const double r = a * b * ds.DSC[6];
    ds.PP[1] = p;
    ds.PP[2] = q;
    ds.PP[3] = r;
    ds.PP[4] = -(a * a + r + q);
    ds.PP[5] = -(b * b + r + p);
    ds.PP[6] = -(c * c + p + q);
}

// Powder constants from the reciprocal cell: Q(A) = 10000 a*^2 ...,
// Q(D) = 20000 b* c* cos alpha* ...
void powder_from_reciprocal(dataset::Dataset& ds)
{
    const double as = ds.RR[1], bs = ds.RR[2], cs = ds.RR[3];
    ds.QQ[1] = 10000.0 * as * as;
    ds.QQ[2] = 10000.0 * bs * bs;
    ds.QQ[3] = 10000.0 * cs * cs;
    ds.QQ[4] = 20000.0 * bs * cs * ds.RSC[4];
    ds.QQ[5] = 20000.0 * cs * as * ds.RSC[5];
    ds.QQ[6] = 20000.0 * as * bs * ds.RSC[6];
}

// The reciprocal cell and powder constants from the direct cell, its sines
// and cosines and V; false (V = 0) when a reciprocal cosine is out of range.
bool reciprocal_from_direct(dataset::Dataset& ds)
{
    const double a = ds.DD[1], b = ds.DD[2], c = ds.DD[3];
    const double sa = ds.DSC[1], sb = ds.DSC[2], sg = ds.DSC[3];
    const double ca = ds.DSC[4], cb = ds.DSC[5], cg = ds.DSC[6];

    const double cos_alpha_star = (cb * cg - ca) / (sb * sg);
    const double cos_beta_star = (cg * ca - cb) / (sg * sa);
    const double cos_gamma_star = (ca * cb - cg) / (sa * sb);
    if (!(std::fabs(cos_alpha_star) <= 1.0) || !(std::fabs(cos_beta_star) <= 1.0) ||
        !(std::fabs(cos_gamma_star) <= 1.0)) {
        ds.V = 0.0;
        return false;
    }
    ds.RR[1] = b * c * ds.Vstar * sa;
    ds.RR[2] = c * a * ds.Vstar * sb;
    ds.RR[3] = a * b * ds.Vstar * sg;
    const double cosines[3] = {cos_alpha_star, cos_beta_star, cos_gamma_star};
    set_angles(ds.RR, ds.RSC, cosines);
    powder_from_reciprocal(ds);
    return true;
}

[[noreturn]] void invalid_axis(control::Session& s, const char* routine, int axis)
{
    console::Console& con = s.con;
    auto report = [&](console::Sink& out) {
        out.endl();
        out.line(std::string("** ") + routine + ": Invalid Q2A[axis] = 0 for axis = " +
                 std::to_string(axis) + " **");
        for (int i = 1; i <= 3; ++i)
            out.line("**  RR[" + std::to_string(i) + "] = " + console::real_text(s.ds.RR[i], 8, 6) +
                     "  **");
        out.endl();
    };
    report(con);
    if (console::open_log_file(s, s.ds.Dset)) {
        report(s.out.log);
        s.out.log.endl();
        s.out.log.line("** Latticor run terminated **");
        s.out.log.endl();
        s.out.log.flush();
    }
    con.line("** That means that a subroutine in LXmain has been passed a pointer to a");
    con.line("   non-existent crystallographic axis, which shouldn't be able to happen.");
    con.endl();
    con.line("   Unfortunately it means too that there's no sensible way to continue from");
    con.line("   here, and for technical reasons it also isn't possible to return to the");
    con.line("   Latticor command prompt, so this Latticor run will have to be terminated.");
    con.line("   You can then launch a fresh run and try again - hopefully with better luck.");
    con.put("** Press ENTER when you have read this - the run will then terminate ");
    try {
        con.read_line();
        con.endl();
    } catch (const console::InputEnded&) {
        // Nothing more to wait for: end all the same.
    }
    console::close_all(s.out);
    con.restore();
    con.flush();
    std::exit(1);
}

bool valid_axis(const dataset::Dataset& ds, int axis)
{
    return axis >= 1 && axis <= 3 && ds.Q2A[axis] != 0.0;
}

// A line for the log file, opened for appending on first use.
void log_lines(control::Session& s, const std::string& first, const std::string& second)
{
    if (!console::open_log_file(s, s.ds.Dset))
        return;
    s.out.log.line(first);
    s.out.log.line(second);
    s.out.log.flush();
}

// The powder-constants conversion, for the working cell and for the merit
// maps' private trial cells alike.
template <typename Cell>
bool powder_to_cell(Cell& ds, const dataset::CellRow& q)
{
    const double as = std::sqrt(q[1] / 10000.0);
    const double bs = std::sqrt(q[2] / 10000.0);
    const double cs = std::sqrt(q[3] / 10000.0);
    // A negative diagonal constant makes the product NaN.
    const double product = as * bs * cs;
    if (!(product > 0.0) || !std::isfinite(product))
        return false;

    const double cos_alpha_star = q[4] / (2.0 * bs * cs * 10000.0);
    const double cos_beta_star = q[5] / (2.0 * cs * as * 10000.0);
    const double cos_gamma_star = q[6] / (2.0 * as * bs * 10000.0);
    // A cosine of exactly 1 means zero volume: refused with the rest.
    if (!(std::fabs(cos_alpha_star) < 1.0) || !(std::fabs(cos_beta_star) < 1.0) ||
        !(std::fabs(cos_gamma_star) < 1.0))
        return false;
    // Three acceptable angles can still fail to close a cell.
    const double r = 1.0 - cos_alpha_star * cos_alpha_star - cos_beta_star * cos_beta_star -
                     cos_gamma_star * cos_gamma_star +
                     2.0 * cos_alpha_star * cos_beta_star * cos_gamma_star;
    if (!(r >= flat_cell))
        return false;

    ds.RR[1] = as;
    ds.RR[2] = bs;
    ds.RR[3] = cs;
    const double rcos[3] = {cos_alpha_star, cos_beta_star, cos_gamma_star};
    set_angles(ds.RR, ds.RSC, rcos);
    ds.Q2A[1] = 20000.0 * ds.RR[2] * ds.RR[3];
    ds.Q2A[2] = 20000.0 * ds.RR[3] * ds.RR[1];
    ds.Q2A[3] = 20000.0 * ds.RR[1] * ds.RR[2];

    ds.Vstar = 1e-6 * std::sqrt(q[1] * q[2] * q[3] * r);
    ds.V = 1.0 / ds.Vstar;

    ds.DD[1] = bs * cs * ds.V * ds.RSC[1];
    ds.DD[2] = cs * as * ds.V * ds.RSC[2];
    ds.DD[3] = as * bs * ds.V * ds.RSC[3];
    const double sa = ds.RSC[1], sb = ds.RSC[2], sg = ds.RSC[3];
    const double dcos[3] = {(rcos[1] * rcos[2] - rcos[0]) / (sb * sg),
                            (rcos[2] * rcos[0] - rcos[1]) / (sg * sa),
                            (rcos[0] * rcos[1] - rcos[2]) / (sa * sb)};
    set_angles(ds.DD, ds.DSC, dcos);
    delaunay_from_direct(ds);
    return true;
}

} // namespace

void cell_volume(dataset::Dataset& ds)
{
    ds.V = 0.0;
    ds.Vstar = 0.0;
    const double ca = ds.DSC[4], cb = ds.DSC[5], cg = ds.DSC[6];
    const double r = 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg;
    if (r >= flat_cell) {
        ds.V = ds.DD[1] * ds.DD[2] * ds.DD[3] * std::sqrt(r);
        if (ds.V != 0.0)
            ds.Vstar = 1.0 / ds.V;
    }
}

void compute_q2a(dataset::Dataset& ds)
{
    ds.Q2A[1] = 20000.0 * ds.RR[2] * ds.RR[3];
    ds.Q2A[2] = 20000.0 * ds.RR[3] * ds.RR[1];
    ds.Q2A[3] = 20000.0 * ds.RR[1] * ds.RR[2];
}

bool cell_from_direct(dataset::Dataset& ds)
{
    for (int i = 1; i <= 3; ++i) {
        const double angle = ds.DD[i + 3];
        const double radians = angle / deg_per_rad;
        // An entered 90 must give a cosine of exactly 0, not cos(1.5707963...).
        ds.DSC[i + 3] = angle == 90.0 ? 0.0 : std::cos(radians);
        ds.DSC[i] = std::sin(radians);
    }
    cell_volume(ds);
    if (!(ds.V > 0.0))
        return false;
    if (!reciprocal_from_direct(ds))
        return false;
    delaunay_from_direct(ds);
    return true;
}

bool cell_from_powder_constants(dataset::Dataset& ds, const dataset::CellRow& q)
{
    return powder_to_cell(ds, q);
}

bool cell_from_powder_constants(DerivedCell& c, const dataset::CellRow& q)
{
    return powder_to_cell(c, q);
}

bool cell_from_delaunay(dataset::Dataset& ds)
{
    const double p = ds.PP[1], q = ds.PP[2], r = ds.PP[3];
    const double a2 = -(q + r + ds.PP[4]);
    const double b2 = -(p + r + ds.PP[5]);
    const double c2 = -(p + q + ds.PP[6]);
    if (!(a2 > 0.0) || !(b2 > 0.0) || !(c2 > 0.0)) {
        ds.V = 0.0;
        return false;
    }
    const double a = std::sqrt(a2), b = std::sqrt(b2), c = std::sqrt(c2);
    const double cosines[3] = {p / (b * c), q / (c * a), r / (a * b)};
    for (double co : cosines) {
        if (!(std::fabs(co) <= 1.0)) {
            ds.V = 0.0;
            return false;
        }
    }
    ds.DD[1] = a;
    ds.DD[2] = b;
    ds.DD[3] = c;
    set_angles(ds.DD, ds.DSC, cosines);
    cell_volume(ds);
    if (!(ds.V > 0.0))
        return false;
    return reciprocal_from_direct(ds);
}

double AtoQstar(control::Session& s, int axis, double angle)
{
    if (!valid_axis(s.ds, axis))
        invalid_axis(s, "AtoQstar", axis);
    if (angle == 90.0)
        return 0.0;
    return s.ds.Q2A[axis] * std::cos(angle / deg_per_rad);
}

double QtoAstar(control::Session& s, int axis, double qangle)
{
    if (!valid_axis(s.ds, axis))
        invalid_axis(s, "QtoAstar", axis);
    const double q2a = s.ds.Q2A[axis];
    double c = qangle / q2a;
    if (std::fabs(c) > 1.0) {
        const std::string ax = std::to_string(axis);
        log_lines(s,
                  "** QtoAstar: out-of-range cosine =" + console::default_real_text(c) +
                      " for axis = " + ax + " set to 1 **",
                  "** Qangle & Q2A[" + ax + "] were: " + console::default_real_text(qangle) +
                      ", " + console::default_real_text(q2a) + " **");
        c = 1.0;
    }
    return console::angle_from_ratio(console::cosine_to_sine(c), c);
}

double QtoAnglestar(control::Session& s, double qside1, double qside2, double qangle)
{
    using console::real_text;
    const std::string sides =
        "*  Qside1 = " + real_text(qside1, 8, 6) + ", Qside2 = " + real_text(qside2, 8, 6);
    // A negative diagonal constant is as invalid as a zero one (its root is
    // imaginary).
    if (!(qside1 > 0.0) || !(qside2 > 0.0)) {
        log_lines(s,
                  "** QtoAnglestar: Invalid parameter(s) Qside1,Qside2 - returned -999 as flag **",
                  sides);
        return -999.0;
    }
    const double c = 0.5 * qangle / std::sqrt(qside1 * qside2);
    if (std::fabs(c) > 1.0) {
        log_lines(s,
                  "** QtoAnglestar found an out-of-range cosine =" + console::default_real_text(c) +
                      " - returned -999 as flag **",
                  sides + ", Qangle = " + real_text(qangle, 8, 6));
        return -999.0;
    }
    return console::angle_from_ratio(console::cosine_to_sine(c), c);
}

} // namespace cell
