// Pair search and the per-pair corrections of self-calibration.
#include "calibration/pairs.hpp"

#include <cmath>
#include <string>

#include "console/format.hpp"
#include "console/sink.hpp"
#include "console/utilities.hpp"

namespace calibration {

using console::deg_per_rad;

namespace {

// About 1e-7 degree: where the zero iteration is taken as settled.
constexpr double angular_tolerance = 1.7453292520882224e-09;
// Both iterations contract at every angle short of 180 degrees, but slowly
// near it; neither is allowed to run on for ever.
constexpr int max_cycles = 1000;
// The T iteration has settled when its relative change is within this (per cent).
constexpr double ratio_tolerance = 0.001;

// The corrected 2Theta of line k, when the line has one that a sine can use.
bool corrected_angle(const dataset::Dataset& ds, int k, double& two_theta)
{
    if (ds.OT[k] == 0.0)
        return false;  // a line known only by its Q
    two_theta = ds.OT[k] + ds.Z2Th;
    return two_theta > 0.0 && two_theta < 180.0;
}

} // namespace

double zero_change(double two_theta1, double two_theta2)
{
    const double A = two_theta1 / deg_per_rad, B = two_theta2 / deg_per_rad;
    // Near-Newton step: the first line's ideal angle moves by about half of
    // any shift of the second, so twice the error closes the gap.
    double dz = 0.0;
    for (int cycle = 0; cycle < max_cycles; ++cycle) {
        const double a = A + dz, b = B + dz;
        const double ideal = 2.0 * std::asin(std::sin(b / 2.0) / 2.0);
        const double e = 2.0 * (ideal - a);
        dz += e;
        if (std::fabs(e) <= angular_tolerance)
            break;
    }
    return deg_per_rad * dz;
}

double displacement_ratio(double two_theta1, double two_theta2)
{
    const double t1 = two_theta1 / 2.0 / deg_per_rad, t2 = two_theta2 / 2.0 / deg_per_rad;
    double x = t2;  // true theta of the second line
    double T = 0.0;
    for (int cycle = 0; cycle < max_cycles; ++cycle) {
        const double previous = T;
        const double s = std::sin(x) / 2.0;     // sine of the first order's true theta
        const double c = std::sqrt(1.0 - s * s);
        const double ideal = std::asin(s);
        T = (t1 - ideal) / c;                   // t1 = ideal + T cos(ideal)
        x = t2 - T * std::cos(x);
        if (T == 0.0)
            break;  // an exact pair: no relative change to measure
        if (std::fabs(100.0 * (T - previous) / T) <= ratio_tolerance)
            break;
    }
    return T;
}

LinePairs find_pairs(const dataset::Dataset& ds, Mode mode, double max_q_diff, console::Sink& out)
{
    LinePairs p;
    for (int i = 1; i < ds.Nobs; ++i) {
        for (int j = i + 1; j <= ds.Nobs; ++j) {
            if (!(std::fabs(4.0 * ds.OQ[i] - ds.OQ[j]) <= max_q_diff))
                continue;
            double t1 = 0.0, t2 = 0.0;
            if (!corrected_angle(ds, i, t1) || !corrected_angle(ds, j, t2))
                continue;
            if (p.n == max_pairs) {
                out.line("** Line-pair storage limit (" + std::to_string(max_pairs) + ") reached **");
                continue;
            }
            ++p.n;
            p.first[p.n] = i;
            p.second[p.n] = j;
            p.value[p.n] = mode == Mode::zero ? zero_change(t1, t2) : displacement_ratio(t1, t2);
        }
    }
    return p;
}

MeanEsd mean_and_esd(const LinePairs& pairs)
{
    MeanEsd m;
    if (pairs.n < 1)
        return m;
    double sum = 0.0;
    for (int k = 1; k <= pairs.n; ++k)
        sum += pairs.value[k];
    m.mean = sum / pairs.n;
    if (pairs.n < 2)
        return m;
    double squares = 0.0;
    for (int k = 1; k <= pairs.n; ++k)
        squares += (pairs.value[k] - m.mean) * (pairs.value[k] - m.mean);
    m.esd = std::sqrt(squares / (pairs.n - 1));
    return m;
}

double bin_scale(Mode mode) { return mode == Mode::zero ? 1.0 : 0.01; }

bool in_bin(double value, int k, double scale)
{
    const double centre = 0.01 * scale * k;
    return centre - 0.005 * scale <= value && value < centre + 0.005 * scale;
}

namespace {

// The corrected 2Theta of a line after the displacement correction T.
double displaced(double corrected_two_theta, double T)
{
    const double t = corrected_two_theta / 2.0 / deg_per_rad;
    return deg_per_rad * 2.0 * (t - T * std::cos(t));
}

} // namespace

void correct_displacement(dataset::Dataset& ds, double T)
{
    for (int k = 1; k <= ds.Nobs; ++k) {
        if (ds.OT[k] == 0.0)
            continue;  // no angle to correct
        ds.OT[k] = displaced(ds.Z2Th + ds.OT[k], T) - ds.Z2Th;
    }
}

int line_moved_out(const dataset::Dataset& ds, double T, double z2th, double& two_theta)
{
    for (int k = 1; k <= ds.Nobs; ++k) {
        if (ds.OT[k] == 0.0)
            continue;
        two_theta = displaced(z2th + ds.OT[k], T);
        if (!(two_theta > 0.0 && two_theta < 180.0))
            return k;
    }
    return 0;
}

} // namespace calibration
