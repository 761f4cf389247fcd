// The calculated pattern: index limits, generation within Qmax with the
// lattice absences, the Shell sort and the removal of symmetry duplicates.
#include "cell/pattern_generation.hpp"

#include <cmath>
#include <utility>

#include "cell/commands.hpp"

namespace cell {

namespace {

// Cross constants smaller than this count as zero for the index limits.
constexpr double cross_zero = 1e-7;

// An automatic limit. However large sqrt(Qmax)*a grows (or if it is not a
// number), the limit stays within the index range, where neither the
// conversion nor h*h in the loops can overflow.
int truncated(double x)
{
    if (!(x < dataset::max_index))
        return dataset::max_index;
    if (!(x > -dataset::max_index))
        return -dataset::max_index;
    return static_cast<int>(std::trunc(x));
}

bool odd(int n) { return n % 2 != 0; }

} // namespace

void automatic_limits(const dataset::Dataset& ds, dataset::IndexRow& limits)
{
    limits.fill(0);
    if (ds.cell_valid == 0 || !(ds.Qmax > 0.0))
        return;
    automatic_limits(ds.DD, ds.QQ, ds.Qmax, limits);
}

void automatic_limits(const dataset::CellRow& direct, const dataset::CellRow& q, double qmax,
                      dataset::IndexRow& limits)
{
    const double s = std::sqrt(qmax) / 100.0;  // 1/dmin in reciprocal Angstroms
    const int hmax = truncated(s * direct[1]);
    const int kmax = truncated(s * direct[2]);
    const int lmax = truncated(s * direct[3]);
    int hmin = -hmax, kmin = -kmax;
    const int lmin = 0;

    // Which cross terms are present decides which half-spaces are needed.
    int code = 0;
    if (std::fabs(q[4]) > cross_zero)
        code += 4;
    if (std::fabs(q[5]) > cross_zero)
        code += 5;
    if (std::fabs(q[6]) > cross_zero)
        code += 6;
    if (code == 0) {
        hmin = 0;
        kmin = 0;
    } else if (code == 4) {
        hmin = 0;
    } else if (code == 5 || code == 6) {
        kmin = 0;
    }
    limits = {0, hmin, hmax, kmin, kmax, lmin, lmax};
}

void effective_limits(const dataset::Dataset& ds, dataset::IndexRow& limits)
{
    automatic_limits(ds, limits);
    for (int i = 1; i <= 5; i += 2) {
        if (ds.GL[i] > limits[i])
            limits[i] = ds.GL[i];
        if (ds.GL[i + 1] < limits[i + 1])
            limits[i + 1] = ds.GL[i + 1];
    }
}

bool lattice_absent(int abs_code, int h, int k, int l)
{
    switch (abs_code) {
    case 2: return odd(k + l);                              // A
    case 3: return odd(h + l);                              // B
    case 4: return odd(h + k);                              // C
    case 5: return odd(h + k + l);                          // I
    case 6: return !((odd(h) && odd(k) && odd(l)) || (!odd(h) && !odd(k) && !odd(l)));  // F
    case 7: return (-h + k + l) % 3 != 0;                   // R1, obverse
    case 8: return (h - k + l) % 3 != 0;                    // R2, reverse
    default: return false;                                  // P
    }
}

bool generate_pattern(dataset::Dataset& ds, const dataset::IndexRow& limits, Overflow& at)
{
    const auto& q = ds.QQ;
    ds.Ncalc = 0;
    for (int h = limits[1]; h <= limits[2]; ++h) {
        for (int k = limits[3]; k <= limits[4]; ++k) {
            for (int l = limits[5]; l <= limits[6]; ++l) {
                if (lattice_absent(ds.abs_code, h, k, l))
                    continue;
                const double x = h, y = k, z = l;
                const double qhkl = x * x * q[1] + y * y * q[2] + z * z * q[3] + y * z * q[4] +
                                    x * z * q[5] + x * y * q[6];
                if (!(qhkl <= ds.Qmax) || qhkl == 0.0)
                    continue;
                // -h 0 0 and 0 -k 0 repeat their positive partners.
                if (l == 0 && ((k == 0 && h < 0) || (h == 0 && k < 0)))
                    continue;
                if (ds.Ncalc == dataset::max_calc) {
                    at = Overflow{h, k, l};
                    return false;
                }
                const int n = ++ds.Ncalc;
                ds.CQ[n] = qhkl;
                ds.CH[n] = h;
                ds.CK[n] = k;
                ds.CL[n] = l;
            }
        }
    }
    return true;
}

void sort_calculated(dataset::Dataset& ds)
{
    sort_calculated(ds.Ncalc, ds.CQ.data(), ds.CH.data(), ds.CK.data(), ds.CL.data());
}

void sort_calculated(int n, double* CQ, int* CH, int* CK, int* CL)
{
    int p = 1;
    while (p * 2 <= n)
        p *= 2;
    // Gaps p-1, p/2-1, ..., 3, 1; equal Q values are never exchanged, so this
    // exact sequence decides the order of coincident lines.
    for (int gap = (2 * p - 1) / 2; gap > 0; gap /= 2) {
        for (int i = 1; i <= n - gap; ++i) {
            for (int j = i; j >= 1 && CQ[j + gap] < CQ[j]; j -= gap) {
                std::swap(CQ[j], CQ[j + gap]);
                std::swap(CH[j], CH[j + gap]);
                std::swap(CK[j], CK[j + gap]);
                std::swap(CL[j], CL[j + gap]);
            }
        }
    }
}

void remove_symmetry_duplicates(dataset::Dataset& ds)
{
    ds.Ncalc = remove_symmetry_duplicates(ds.Ncalc, ds.CQ.data(), ds.CH.data(), ds.CK.data(),
                                          ds.CL.data());
}

int remove_symmetry_duplicates(int n, double* CQ, int* CH, int* CK, int* CL)
{
    auto sum_of_squares = [&](int i) { return CH[i] * CH[i] + CK[i] * CK[i] + CL[i] * CL[i]; };
    for (int i = 1; i < n; ++i) {
        if (std::fabs(CQ[i] - CQ[i + 1]) > 0.0001)
            continue;
        if (sum_of_squares(i + 1) == sum_of_squares(i))
            CQ[i] = -1.0;  // marked; the last of a run survives
        if (CL[i + 1] == 0 && CK[i + 1] < 0) {
            CH[i + 1] = -CH[i + 1];
            CK[i + 1] = -CK[i + 1];
        }
    }
    int kept = 0;
    for (int i = 1; i <= n; ++i) {
        if (!(CQ[i] > 0.0))
            continue;
        ++kept;
        CQ[kept] = CQ[i];
        CH[kept] = CH[i];
        CK[kept] = CK[i];
        CL[kept] = CL[i];
    }
    return kept;
}

} // namespace cell
