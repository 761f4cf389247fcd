// Line zones and the comparison behind the figures of merit M1, Pr and Ir.
#include "rivi/fom.hpp"

#include <cmath>
#include <numbers>

namespace rivi {

void compute_zones(LineZones& z, const double* qobs, int n)
{
    z.n = n;
    if (n < 1)
        return;
    z.Qbound[1] = qobs[1] / 2.0;
    for (int i = 2; i <= n; ++i)
        z.Qbound[i] = (qobs[i - 1] + qobs[i]) / 2.0;
    z.Qbound[n + 1] = qobs[n] + (qobs[n] - z.Qbound[n]) / 2.0;
    for (int i = 1; i <= n; ++i)
        z.Qhalfwidth[i] = (z.Qbound[i + 1] - z.Qbound[i]) / 2.0;
}

namespace {

// Calculated entries strictly inside line i's zone, counted down from j-1
// and up from j (never below entry 1 nor above ncalc).
int entries_in_zone(const LineZones& z, int i, const double* qcalc, int ncalc, int j)
{
    int count = 0;
    for (int k = j - 1; k >= 1 && qcalc[k] > z.Qbound[i]; --k)
        ++count;
    for (int k = j; k <= ncalc && qcalc[k] < z.Qbound[i + 1]; ++k)
        ++count;
    return count;
}

} // namespace

double ProbabilitySums::figure(const CompareRules& r, int count) const
{
    if (r.Mchar == 'I')
        return count < 1 || ir_sum < 0.0 ? 0.0 : ir_sum;
    // G = 1 also when the product is 0 (a P of 0: new rule with Pmin 0);
    // otherwise its n-th root e^(ln G / n), 1 when G is 1.
    double G = 1.0;
    const int n = r.new_Pr_formula ? nP : count;
    if (count >= 1 && G_mantissa > 0.0 && n >= 1 && !(G_mantissa == 1.0 && G_exponent == 0)) {
        const double ln_G = std::log(G_mantissa) + G_exponent * std::numbers::ln2;
        G = std::exp(ln_G / n);
    }
    const double Pr = 0.5 / G;
    return r.new_Pr_formula ? Pr / 3.0 : Pr;
}

double fm_compare(const double* qobs, const LineZones& z, const bool* use, const double* qcalc,
                  int ncalc, const CompareRules& r, int& mNobscount, CompareTrace* trace)
{
    const bool probabilities = r.Mchar != 'M';
    double S = 0.0;          // sum of discrepancies (M1)
    int last_j = 0;          // the entry above the last compared line (M1)
    ProbabilitySums sums;    // Ir and Pr
    mNobscount = 0;
    if (trace != nullptr)
        trace->n = 0;

    int j = 1;  // first calculated entry above the current line
    for (int i = 1; i <= r.Nobsused; ++i) {
        if (!use[i])
            continue;
        const double q = qobs[i];
        while (j <= ncalc && qcalc[j] <= q)
            ++j;
        if (j > ncalc)
            break;  // no calculated entry above: the walk ends
        ++mNobscount;
        const double d1 = q - qcalc[j - 1];
        const double d2 = qcalc[j] - q;
        const bool below = d1 < d2;  // a tie takes the entry above
        const double d = below ? d1 : d2;
        double P = 1.0;
        if (!probabilities) {
            S += d;
            last_j = j;
        } else {
            P = chance_probability(entries_in_zone(z, i, qcalc, ncalc, j), d, z.Qhalfwidth[i], r);
            sums.add(P, r.Mchar == 'P');
        }
        if (trace != nullptr)
            trace->lines[++trace->n] = ComparedLine{i, below ? j - 1 : -j, d, P};
    }

    if (probabilities)
        return sums.figure(r, mNobscount);
    return mNobscount < 1 ? 0.0 : m1_figure(mNobscount, qcalc[last_j], last_j, S);
}

} // namespace rivi
