// Line pairs of first and second orders and the correction each one implies:
// a change of the zero correction (Z) or a specimen-displacement ratio (T).
#pragma once

#include <array>

#include "dataset/dataset.hpp"

namespace console {
class Sink;
}

namespace calibration {

inline constexpr int max_pairs = 200;

enum class Mode { zero, displacement };

struct LinePairs {
    int n = 0;
    std::array<int, max_pairs + 1> first{};   // 1..n: the lower line of each pair
    std::array<int, max_pairs + 1> second{};  //       its second order
    std::array<double, max_pairs + 1> value{};  // dZ2Th in degrees, or T
};

// The change dZ2Th (degrees) to add to both corrected angles so that the
// second is exactly the second order of the first.
double zero_change(double two_theta1, double two_theta2);
// The ratio T = -S/R with which theta(true) = theta - T cos(theta(true)) makes
// the second line exactly the second order of the first.
double displacement_ratio(double two_theta1, double two_theta2);

// Every pair i < j with |4 Q(i) - Q(j)| <= max_q_diff, in the order found,
// with its value for `mode`; pairs beyond the storage limit are reported to
// `out` and skipped.
LinePairs find_pairs(const dataset::Dataset& ds, Mode mode, double max_q_diff, console::Sink& out);

struct MeanEsd {
    double mean = 0.0;
    double esd = 0.0;  // over n - 1; 0 for one pair
};
MeanEsd mean_and_esd(const LinePairs& pairs);

// The histogram bin k (-10..10) holds values within half a step of its centre
// 0.01 * scale * k: scale 1 for dZ2Th, 0.01 for T.
double bin_scale(Mode mode);
bool in_bin(double value, int k, double scale);

// New stored angles after a displacement correction T:
// 2Theta := 2 (t - T cos t) - Z2Th with t the corrected theta.
void correct_displacement(dataset::Dataset& ds, double T);

// The first line (with an angle) that the correction T, under the zero
// correction z2th, would move out of 0..180 degrees, with the corrected
// angle it would get; 0 when every line stays.
int line_moved_out(const dataset::Dataset& ds, double T, double z2th, double& two_theta);

} // namespace calibration
