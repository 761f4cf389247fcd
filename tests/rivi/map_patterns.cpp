// The benchmark patterns: lines of a cell (no absences) up to the twentieth
// observed one, with small 2Theta errors from a fixed pseudo-random sequence.
#include "map_patterns.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cell/conversions.hpp"
#include "console/utilities.hpp"

namespace map_patterns {

// Published cells: sucrose, neutron study (a 10.8633, b 8.7050, c 7.7585 A,
// beta 102.945 deg); CuSO4.5H2O (a 6.1224, b 10.7223, c 5.9681 A, alpha
// 82.35, beta 107.33, gamma 102.60 deg). The last two are made up.
const Pattern patterns[4] = {
    {"sucrose", 10.8633, 8.7050, 7.7585, 90.0, 102.945, 90.0, false},
    {"CuSO4.5H2O", 6.1224, 10.7223, 5.9681, 82.35, 107.33, 102.60, false},
    {"triclinic-700", 8.12, 9.47, 10.03, 96.3, 101.8, 107.4, true},
    {"monoclinic-1300", 12.64, 9.83, 10.55, 90.0, 97.4, 90.0, true},
};

namespace {

constexpr int lines_wanted = 20;

// A fixed sequence in [-1, 1).
struct Sequence {
    unsigned state;
    double next()
    {
        state = state * 1103515245u + 12345u;
        return ((state >> 8) & 0xFFFF) / 32768.0 - 1.0;
    }
};

double two_theta_of(double q, double K)
{
    return 2.0 * std::asin(std::sqrt(q * K)) * console::deg_per_rad;
}

double q_of(double two_theta, double K)
{
    const double s = std::sin(two_theta / 2.0 / console::deg_per_rad);
    return s * s / K;
}

} // namespace

rivi::Q6 load(control::Session& s, const Pattern& p, char mchar)
{
    dataset::Dataset& ds = s.ds;
    ds.DD = {0, p.a, p.b, p.c, p.alpha, p.beta, p.gamma};
    cell::cell_from_direct(ds);
    rivi::Q6 q = ds.QQ;
    // The scan runs alpha* from 90 down: take the setting with Q(D) >= 0.
    if (q[4] < 0.0) {
        q[4] = -q[4];
        q[5] = -q[5];
    }

    // Every line up to a generous limit, sorted, then merged within 0.02 deg.
    std::vector<double> calc;
    const int n = 12;
    for (int h = -n; h <= n; ++h)
        for (int k = -n; k <= n; ++k)
            for (int l = 0; l <= n; ++l) {
                if (l == 0 && (k < 0 || (k == 0 && h <= 0)))
                    continue;
                const double qhkl = h * h * q[1] + k * k * q[2] + l * l * q[3] + k * l * q[4] +
                                    h * l * q[5] + h * k * q[6];
                if (qhkl < 2500.0)
                    calc.push_back(qhkl);
            }
    std::sort(calc.begin(), calc.end());
    const double K = ds.K;
    Sequence random{p.measured ? 1357u : 2468u};
    const double error = p.measured ? 0.012 : 0.004;  // deg 2Theta
    std::vector<double> observed;
    double last_tt = -1.0;
    int seen = 0;
    for (double qc : calc) {
        const double tt = two_theta_of(qc, K);
        if (tt - last_tt < 0.02)
            continue;
        last_tt = tt;
        ++seen;
        if (p.measured && seen % 6 == 4)
            continue;  // a weak line not seen
        observed.push_back(q_of(tt + error * random.next(), K));
        if (p.measured && observed.size() == 13)
            observed.push_back(q_of(tt + 0.37, K));  // an impurity line
        if (static_cast<int>(observed.size()) >= lines_wanted)
            break;
    }
    std::sort(observed.begin(), observed.end());
    ds.Nobs = lines_wanted;
    for (int i = 1; i <= ds.Nobs; ++i) {
        ds.OQ[i] = observed[i - 1];
        ds.OT[i] = two_theta_of(ds.OQ[i], K);
        ds.included[i] = true;
    }

    // The basis set's cell gives the axis factors of AtoQstar.
    const rivi::Q6 basis{0, q[1], q[2], q[3], 0.0, 0.0, q[6]};
    cell::cell_from_powder_constants(ds, basis);

    rivi::FomState& f = s.maps.fom;
    f.Mchar = mchar;
    f.section = 'C';
    f.zero_level = false;
    f.zone_letter = 'N';
    f.Pmin = 0.0001;
    f.Pthresh = 0.25;
    f.amin = 30.0;
    f.Vmax = 6000.0;
    f.Nobsused = ds.Nobs;
    f.mNobs = ds.Nobs;
    f.Qmax = ds.OQ[ds.Nobs] + 50.0;
    rivi::compute_zones(f.zones, ds.OQ.data(), f.Nobsused);
    return basis;
}

Grid full_grid(const rivi::Q6& basis)
{
    const int m = 600;
    return Grid{601, basis[6] == 0.0 ? 0 : -m, m, -0.1};
}

Grid quick_grid(const rivi::Q6& basis) { return Grid{31, basis[6] == 0.0 ? 0 : -20, 20, -0.5}; }

void row_trials(control::Session& s, const rivi::Q6& basis, const Grid& g, int r, rivi::Q6* out)
{
    const double y = r * g.step + 90.0;
    const double qe = cell::AtoQstar(s, 2, y);
    for (int i = 0; i < g.columns; ++i) {
        const double x = i * g.step + 90.0;
        out[i] = basis;
        out[i][4] = cell::AtoQstar(s, 1, x);
        out[i][5] = qe;
    }
}

} // namespace map_patterns
