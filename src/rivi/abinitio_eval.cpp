// The evaluation of scan trials: what a scan resets and restores, each trial
// through the scans' evaluator calcfm (rows of trials through the maps'
// allocation-free row evaluation), and the parabolic refinement of a peak.
#include <algorithm>
#include <cmath>

#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/refinement.hpp"
#include "rivi/trial.hpp"

namespace rivi {

namespace {

constexpr int chunk = 256;            // trials handed to the row evaluation at once

} // namespace

ScanSetup::ScanSetup(control::Session& s, const ScanSettings& ss) : s_(s)
{
    FomState& f = s.maps.fom;
    dataset::Dataset& ds = s.ds;
    Pmin_ = f.Pmin;
    Mchar_ = f.Mchar;
    use_calcfm_ = f.use_calcfm;

    f.Pmin = ss.mchar == 'P' ? ss.pmin : 0.0001;
    // The row evaluation gives calcfm's values for the figure of merit of
    // the map state when use_calcfm is on.
    f.Mchar = ss.mchar;
    f.use_calcfm = true;
    f.Vmax = 6000.0;
    f.Qmax = ds.Qmax > 0.0 ? ds.Qmax : ds.OQ[ds.Nobs] + 50.0;
    f.Pthresh = 0.25;
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.included[i] = true;
    f.zero_level = false;
    f.line_listing = false;
    f.first_call_marker = false;
    f.Nobsused = ss.nobsused;
    // Lines at or above Qmax are never compared: the consistency check
    // expects only those below it.
    f.mNobs = 0;
    for (int i = 1; i <= ss.nobsused; ++i)
        f.mNobs += ds.OQ[i] < f.Qmax ? 1 : 0;
    compute_zones(f.zones, ds.OQ.data(), ss.nobsused);
    s.maps.results.list = PeakList{};
}

ScanSetup::~ScanSetup()
{
    FomState& f = s_.maps.fom;
    f.Pmin = Pmin_;
    f.Mchar = Mchar_;
    f.use_calcfm = use_calcfm_;
}

ScanTrials::ScanTrials(control::Session& s, const ScanSettings& ss) : s_(s), ss_(ss) {}

// The observed Q of 2Theta corrected for a specimen-displacement ratio T,
// theta' = theta - T cos(theta), as CA applies a trial displacement. Lines
// without an angle keep their Q.
void ScanTrials::displace(double tcor)
{
    const dataset::Dataset& ds = s_.ds;
    std::array<double, dataset::max_obs + 1>& q = s_.maps.scans.Qdisplaced;
    for (int i = 1; i <= ss_.nobsused; ++i) {
        q[i] = ds.OQ[i];
        if (ds.OT[i] == 0.0 || !(ds.K > 0.0))
            continue;
        const double theta = (ds.OT[i] + ds.Z2Th) / console::two_deg_per_rad;
        const double sin_theta = std::sin(theta - tcor * std::cos(theta));
        q[i] = sin_theta * sin_theta / ds.K;
    }
}

double ScanTrials::at(double x, double y)
{
    const dataset::Dataset& ds = s_.ds;
    const Q6 q = scan_trial(ss_, x, y);
    const bool rezone = !zones_made_ || y != zoned_;
    double v = 0.0;
    switch (ss_.kind) {
    case ScanKind::z2th:
        // The trial's correction adds to the dataset's own zero.
        zoned_ = y;
        zones_made_ = true;
        v = calcfm(s_, q, ds.Z2Th + y, 0.0, rezone, false, ds.OQ.data(), ds.OT.data(),
                   ss_.mchar);
        break;
    case ScanKind::tcor:
        if (rezone)
            displace(y);
        zoned_ = y;
        zones_made_ = true;
        v = calcfm(s_, q, 0.0, y, rezone, false, s_.maps.scans.Qdisplaced.data(), ds.OT.data(),
                   ss_.mchar);
        break;
    default:
        v = calcfm(s_, q, 0.0, 0.0, false, false, ds.OQ.data(), ds.OT.data(), ss_.mchar);
        break;
    }
    return ss_.mchar == 'P' ? v / s_.maps.scans.Pr_divisor : v;
}

void ScanTrials::run(const double* xs, const double* ys, int n, double* values)
{
    if (ss_.kind == ScanKind::z2th || ss_.kind == ScanKind::tcor) {
        for (int i = 0; i < n; ++i)
            values[i] = at(xs[i], ys[i]);
        return;
    }
    std::array<Q6, chunk> trials;
    std::array<char, chunk> rejects;
    for (int start = 0; start < n; start += chunk) {
        const int m = std::min(chunk, n - start);
        for (int i = 0; i < m; ++i)
            trials[i] = scan_trial(ss_, xs[start + i], ys[start + i]);
        evaluate_row(s_, trials.data(), m, values + start, rejects.data());
    }
    if (ss_.mchar == 'P')
        for (int i = 0; i < n; ++i)
            values[i] /= s_.maps.scans.Pr_divisor;
}

double ScanTrials::refine(double& x, double& y, double dx, double dy, bool both)
{
    Q6 current = scan_trial(ss_, x, y);
    RefinementRun run;
    run.constants = &current;
    run.f_best = at(x, y);
    RefinedParameter px{x, 0.0}, py{y, 0.0};
    refine_pair(
        s_.con, [&](double v) { return at(v, py.q); }, [&](double v) { return at(px.q, v); }, px,
        py, dx, dy, both, run, [&] { current = scan_trial(ss_, px.q, py.q); });
    x = px.q;
    y = py.q;
    return run.f_best;
}

} // namespace rivi
