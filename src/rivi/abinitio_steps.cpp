// The pieces of the ab initio scans that need no session: steps and axes,
// default ranges, trial constants, the peak rule, zone conversions and the
// 2Theta step predictors.
#include <cmath>

#include "console/utilities.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/peak_search.hpp"

namespace rivi {

std::string first_name(const ScanSettings& ss)
{
    return ss.kind == ScanKind::rect && ss.direct ? "a" : "Q(A)";
}

std::string second_name(const ScanSettings& ss)
{
    switch (ss.kind) {
    case ScanKind::z2th: return "Z2Th";
    case ScanKind::tcor: return "Tcor";
    case ScanKind::gamma: return "gamma*";
    case ScanKind::rect: return ss.direct ? "b" : "Q(B)";
    default: return "";
    }
}

double dynamic_step(double v, StepBounds b)
{
    const double step = 0.002 * v;
    return step < b.smallest ? b.smallest : (step > b.largest ? b.largest : step);
}

void fixed_axis(ScanAxis& a, double start, double end, double step)
{
    a.n = 0;
    a.cut = false;
    if (step == 0.0)
        return;
    // A range that is a whole number of steps keeps its end point despite
    // the rounding of the division.
    const double steps = (end - start) / step;
    if (steps < -1e-9)
        return;
    const double n = std::trunc(steps + 1e-9) + 1.0;
    a.cut = n > max_scan_steps;
    a.n = a.cut ? max_scan_steps : static_cast<int>(n);
    for (int i = 1; i <= a.n; ++i)
        a.v[i] = start + (i - 1) * step;
}

void dynamic_axis(ScanAxis& a, double start, double end, StepBounds b)
{
    a.n = 0;
    double v = start;
    while (v < end && a.n < max_scan_steps) {
        a.v[++a.n] = v;
        v += dynamic_step(v, b);
    }
    a.cut = v < end;
}

namespace {

QRange range(double min, double min_floor, double max, double max_floor)
{
    return QRange{min < min_floor ? min_floor : min, max < max_floor ? max_floor : max};
}

} // namespace

QRange row_scan_range(double q_first, double q_last)
{
    return range(std::trunc(q_first / 2.0) - 5.0, 25.0, std::trunc(q_last / 4.0) + 50.0, 500.0);
}

QRange z2th_scan_range(double q_first, double q_last)
{
    return range(std::trunc(q_first / 2.0) - 5.0, 25.0, std::trunc(q_last / 4.0) + 50.0, 1000.0);
}

QRange gamma_scan_range(double q_first, double q_last)
{
    return range(std::trunc(q_first / 4.0) - 5.0, 16.0, std::trunc(q_last / 4.0) + 50.0, 1000.0);
}

QRange qb_scan_range(double q_first, double q_last)
{
    return range(std::trunc(q_first / 4.0) - 5.0, 16.0, std::trunc(q_last / 4.0) + 50.0, 500.0);
}

double side_of(double q) { return std::round(100.0 / std::sqrt(q) * 100.0) / 100.0; }

Q6 scan_trial(const ScanSettings& ss, double x, double y)
{
    switch (ss.kind) {
    case ScanKind::gamma: return Q6{0.0, x, x, far_axis, 0.0, 0.0, y};
    case ScanKind::rect:
        if (ss.direct)
            return Q6{0.0, 10000.0 / (x * x), 10000.0 / (y * y), far_axis, 0.0, 0.0, 0.0};
        return Q6{0.0, x, y, far_axis, 0.0, 0.0, 0.0};
    default: return Q6{0.0, x, far_axis, far_axis, 0.0, 0.0, 0.0};
    }
}

double cross_constant(double qa, double gamma)
{
    return gamma == 90.0 ? 0.0 : 2.0 * qa * std::cos(gamma / console::deg_per_rad);
}

bool zone_angle(double qa, double qf, double& gamma)
{
    const double c = qf / (2.0 * qa);
    if (!(std::fabs(c) <= 1.0))
        return false;
    gamma = console::angle_from_ratio(console::cosine_to_sine(c), c);
    return true;
}

void add_scan_peak(PeakList& list, double x, double y, double v)
{
    if (list.n == dataset::max_peaks) {
        int smallest = 1;
        for (int i = 2; i <= list.n; ++i)
            if (list.peaks[i].raw < list.peaks[smallest].raw)
                smallest = i;
        remove_peak(list, smallest);
    }
    list.peaks[++list.n] = MapPeak{x, y, v, 0.0};
    list.full = list.n == dataset::max_peaks;
}

bool RunningPeak::feed(PeakList& list, double x, double y, double v)
{
    if (v > threshold_ && v > candidate_) {
        candidate_ = v;
        cx_ = x;
        cy_ = y;
        return false;
    }
    const bool enter = candidate_ > 0.0 && v <= candidate_;
    if (enter)
        add_scan_peak(list, cx_, cy_, candidate_);
    candidate_ = 0.0;
    return enter;
}

int select_zone_peaks(PeakList& list, double d)
{
    // The figures of merit of a group may differ by anything below 1000.
    return merge_close_peaks(list, PeakCloseness{1000.0, d, false});
}

void centred_rectangular(double x, double qf, double& qa, double& qb)
{
    const double c = qf / (2.0 * x);
    const double theta =
        c == 0.0 ? std::atan(1.0) : std::fabs(std::atan(std::sqrt(1.0 - c * c) / c)) / 2.0;
    const double sin_theta = std::sin(theta), cos_theta = std::cos(theta);
    qa = x * sin_theta * sin_theta;
    qb = x * cos_theta * cos_theta;
}

double dQ_from_d2T(double q, double K, double d2t)
{
    const double sin_theta = std::sqrt(q * K);
    const double two_theta = 2.0 * std::asin(sin_theta);
    return std::sin(two_theta) / (2.0 * K) * d2t / console::deg_per_rad;
}

double dQA_from_d2T(double qa, double q_high, double K, double d2t)
{
    return dQ_from_d2T(q_high, K, d2t) * qa / q_high;
}

} // namespace rivi
