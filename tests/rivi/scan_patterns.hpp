// Observed patterns computed with Bragg's law from known cells, for the
// tests and the benchmark of the ab initio scans.
#pragma once

#include <algorithm>
#include <vector>

#include "cell/conversions.hpp"
#include "dataset/dataset.hpp"
#include "dataset/model.hpp"
#include "rivi/abinitio.hpp"

namespace testing_support {

// Observed lines from the powder constants q: the first n distinct Q below
// 1500 of the lines hkl that `keep` admits, their 2Theta at CuKa1 by
// Bragg's law read `zero_error` degrees too low, Q taken from that angle.
// False when the cell has fewer lines.
template <class Keep>
bool pattern_from(dataset::Dataset& ds, const rivi::Q6& q, int n, double zero_error, Keep keep)
{
    std::vector<double> lines;
    for (int h = -13; h <= 13; ++h)
        for (int k = -13; k <= 13; ++k)
            for (int l = -13; l <= 13; ++l) {
                const double v = h * h * q[1] + k * k * q[2] + l * l * q[3] + k * l * q[4] +
                                 h * l * q[5] + h * k * q[6];
                if (v > 0.0 && v < 1500.0 && keep(h, k, l))
                    lines.push_back(v);
            }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](double a, double b) { return b - a < 0.05; }),
                lines.end());
    if (static_cast<int>(lines.size()) < n)
        return false;
    ds.Nobs = n;
    for (int i = 1; i <= n; ++i) {
        double tth = 0.0;
        if (!dataset::two_theta_from_q(ds, lines[i - 1], 0.0, tth))
            return false;
        ds.OT[i] = tth - zero_error;
        if (!dataset::q_from_2theta(ds, ds.OT[i], 0.0, ds.OQ[i]))
            return false;
    }
    return true;
}

inline bool pattern_from(dataset::Dataset& ds, const rivi::Q6& q, int n, double zero_error = 0.0)
{
    return pattern_from(ds, q, n, zero_error, [](int, int, int) { return true; });
}

// Powder constants of a direct cell (all 0 for an impossible one).
inline rivi::Q6 constants_of(double a, double b, double c, double alpha, double beta, double gamma)
{
    dataset::Dataset ds;
    ds.DD = {0, a, b, c, alpha, beta, gamma};
    return cell::cell_from_direct(ds) ? ds.QQ : rivi::Q6{};
}

// Sucrose, P2(1) (Hanson, Sieker & Jensen, Acta Cryst. B29 (1973) 797).
inline rivi::Q6 sucrose() { return constants_of(10.8633, 8.7050, 7.7585, 90.0, 102.945, 90.0); }

// Silver behenate, the low-angle standard: d(001) = 58.380 A (Blanton et
// al., Powder Diffraction 10 (1995) 91); thirteen orders 00l.
constexpr double agbeh_q001 = 10000.0 / (58.380 * 58.380);

inline bool silver_behenate(dataset::Dataset& ds, double zero_error)
{
    return pattern_from(ds, rivi::Q6{0, agbeh_q001, rivi::far_axis, rivi::far_axis, 0, 0, 0}, 13,
                        zero_error);
}

} // namespace testing_support
