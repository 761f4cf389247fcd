// Figures of merit of a trial cell against the observed lines: the line zones
// and the comparison of a sorted calculated line list with the observed lines.
#pragma once

#include <array>
#include <cmath>

#include "dataset/limits.hpp"

namespace rivi {

// Six powder constants Q(A)..Q(F) in QU., at 1..6 (0 unused).
using Q6 = std::array<double, 7>;

// The zone of observed line i is the open interval (Qbound[i], Qbound[i+1]):
// half-way to each neighbour, and for the first line down to half its Q.
struct LineZones {
    int n = 0;
    std::array<double, dataset::max_obs + 2> Qbound{};
    std::array<double, dataset::max_obs + 1> Qhalfwidth{};
};

// Zones of the lines qobs[1..n].
void compute_zones(LineZones& z, const double* qobs, int n);

// What one comparison needs besides the two line lists.
struct CompareRules {
    int Nobsused = 0;            // lines 1..Nobsused take part when in use
    double Pthresh = 0.25;       // old probability rule's threshold
    double Pmin = 0.0001;        // lower bound of a line's chance probability
    bool new_Pr_formula = true;
    char Mchar = 'M';            // 'M' M1, 'P' Pr, 'I' Ir
};

// One compared line, for the per-line listing and the zero-level pass.
struct ComparedLine {
    int line = 0;        // observed line number
    int nearest = 0;     // calculated entry, negated when it is the one above
    double d = 0.0;      // discrepancy in QU.
    double P = 1.0;      // chance probability (I and P modes)
};

// Optional record of every compared line (capacity one per observed line).
struct CompareTrace {
    int n = 0;
    std::array<ComparedLine, dataset::max_obs + 1> lines{};
};

// M1 after `count` compared lines whose discrepancies sum to S, the entry
// above the last of them being the j-th, at q_above: Q/(2 n mean discrepancy).
inline double m1_figure(int count, double q_above, int j, double S)
{
    return S == 0.0 ? 9.999999e37 : count * (q_above / (2.0 * j)) / S;
}

// The chance probability P of a compared line with discrepancy d and n
// calculated entries strictly inside its zone of half-width w.
inline double chance_probability(int n, double d, double w, const CompareRules& r)
{
    double p = n == 0 ? 1.0 : n * d / w;
    if (p == 0.0 || p > 1.0)
        p = 1.0;
    if (r.new_Pr_formula)
        return p == 1.0 ? 1.0 : 1.0 - (1.0 - r.Pmin) * std::exp(-14.0 * p * p);
    if (r.Pthresh < p && p < 1.0)
        return p + 1.0 - (1.0 - r.Pthresh) * std::exp(-40.0 * (p - r.Pthresh));
    if (p < r.Pmin)
        return r.Pmin;
    return p;
}

// The running sums of Ir and Pr over the compared lines, added in the order
// compared: the sum of 1 - P, and the product of the P values (kept as
// mantissa * 2^exponent: a plain product of a few hundred small
// probabilities would underflow) with the count nP of P values below 1.
struct ProbabilitySums {
    double ir_sum = 0.0;
    double G_mantissa = 1.0;
    int G_exponent = 0;
    int nP = 0;

    void add(double P, bool product)
    {
        if (P != 1.0)
            ++nP;
        ir_sum += 1.0 - P;
        if (product) {
            G_mantissa *= P;
            if (G_mantissa > 0.0 && G_mantissa < 0x1p-500) {
                G_mantissa *= 0x1p500;  // exact: a power of two
                G_exponent -= 500;
            }
        }
    }
    // Ir or Pr (rules' Mchar) after `count` compared lines.
    double figure(const CompareRules& r, int count) const;
};

// The figure of merit of the sorted list qcalc[0..ncalc] (qcalc[0] = 0, the
// origin) against the lines qobs[1..] in use (use[i]); mNobscount receives the
// number of lines compared. A line above every calculated entry ends the walk.
double fm_compare(const double* qobs, const LineZones& z, const bool* use, const double* qcalc,
                  int ncalc, const CompareRules& rules, int& mNobscount,
                  CompareTrace* trace = nullptr);

} // namespace rivi
