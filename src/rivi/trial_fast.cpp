// The fast trial evaluator. It computes the plain rules' figures exactly by
// relying on these facts:
// - a line's Q is the same sum of the same six products in the same order,
//   so its double is identical; the diagonal part h^2 Q(A) + k^2 Q(B) +
//   l^2 Q(C), summed first by the rule as well, is kept per candidate;
// - every line of a trial lies inside its Q <= Qmax ellipsoid, so only the
//   index triples that the ellipsoids of a run of trials (a chunk) can reach
//   are candidates; a triple outside a trial's index box lies outside its
//   ellipsoid, so only lines within rounding of Qmax need the box test;
// - the figures depend on the sorted Q values left by the duplicate removal.
//   Lines of equal Q and equal h^2+k^2+l^2 collapse to one whatever order
//   the Shell sort gives them, and lines of distinct Q have one order. Only
//   equal Q with unequal h^2+k^2+l^2 makes the outcome depend on the Shell
//   sort's own order: such trials go to the plain rules;
// - consecutive trials of a map row order their lines almost alike, so the
//   previous order is repaired by insertion rather than sorted anew;
// - the comparison reads the list only up to the first entry above the
//   highest zone bound or observed line in use, so the list stops there;
//   for M1 the walk over the observed lines goes along as the list is made.
#include "rivi/trial_fast.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cell/commands.hpp"
#include "console/utilities.hpp"
#include "rivi/trial_fast_storage.hpp"

namespace rivi {

using namespace fast;

namespace {

// The angle of a cosine as the conversion computes it (0..180 degrees).
double angle_of(double cosine, double sine)
{
    if (cosine == 0.0)
        return 90.0;
    const double a = std::atan(sine / cosine) * console::deg_per_rad;
    return a < 0.0 ? a + 180.0 : a;
}

// The comparison of M mode walked along the list while it is made: each
// observed line in use is compared when the first entry above it appears,
// as the comparison's own walk would find it.
struct MWalk {
    const double* qobs;
    const bool* use;
    const double* qc;
    int last;       // Nobsused
    int i = 1;      // the next line to compare
    int count = 0;  // lines compared
    double S = 0.0;
    int last_j = 0;

    void skip_unused()
    {
        while (i <= last && !use[i])
            ++i;
    }
    void at(int m)
    {
        while (i <= last && qc[m] > qobs[i]) {
            const double q = qobs[i];
            ++count;
            const double d1 = q - qc[m - 1];
            const double d2 = qc[m] - q;
            S += d1 < d2 ? d1 : d2;  // a tie takes the entry above
            last_j = m;
            ++i;
            skip_unused();
        }
    }
};

} // namespace

// The validation of the plain rules (the powder-constants conversion, the
// volume and angle tests, the automatic limits) reduced to what they decide,
// each value computed with the conversion's own operations.
Diagonals::Diagonals(const Q6& q)
    : as(std::sqrt(q[1] / 10000.0)), bs(std::sqrt(q[2] / 10000.0)), cs(std::sqrt(q[3] / 10000.0)),
      product(as * bs * cs), to_cos{2.0 * bs * cs * 10000.0, 2.0 * cs * as * 10000.0,
                                    2.0 * as * bs * 10000.0},
      q123(q[1] * q[2] * q[3])
{
}

bool TrialWorkspace::Storage::validate(const TrialContext& c, const Q6& q, const Diagonals& g,
                                       char& reject, Valid& v)
{
    const FomState& f = *c.f;
    const double as = g.as, bs = g.bs, cs = g.cs;
    if (!(g.product > 0.0) || !std::isfinite(g.product)) {
        reject = 'v';
        return false;
    }
    const double cos_star[3] = {q[4] / g.to_cos[0], q[5] / g.to_cos[1], q[6] / g.to_cos[2]};
    if (!(std::fabs(cos_star[0]) < 1.0) || !(std::fabs(cos_star[1]) < 1.0) ||
        !(std::fabs(cos_star[2]) < 1.0)) {
        reject = 'v';
        return false;
    }
    const double r = 1.0 - cos_star[0] * cos_star[0] - cos_star[1] * cos_star[1] -
                     cos_star[2] * cos_star[2] + 2.0 * cos_star[0] * cos_star[1] * cos_star[2];
    if (!(r >= flat_cell)) {
        reject = 'v';
        return false;
    }
    double sin_star[3];
    for (int i = 0; i < 3; ++i)
        sin_star[i] = std::sqrt(1.0 - cos_star[i] * cos_star[i]);
    const double Vstar = 1e-6 * std::sqrt(g.q123 * r);
    const double V = 1.0 / Vstar;
    if (!(V > 0.0) || V > f.Vmax) {
        reject = 'v';
        return false;
    }
    if (f.amin != amin_seen) {
        amin_seen = f.amin;
        const double clear = std::clamp(f.amin + 1e-6, 0.0, 90.0);
        cos_clear = std::cos(clear * (std::numbers::pi / 180.0));
    }
    for (int i = 0; i < 3; ++i) {
        if (!c.all_angles && !section_varies(f.section, i + 4))
            continue;
        if (std::fabs(cos_star[i]) < cos_clear)
            continue;
        if (too_oblique(angle_of(cos_star[i], sin_star[i]), f.amin)) {
            reject = 'a';
            return false;
        }
    }
    const dataset::CellRow direct{0.0, bs * cs * V * sin_star[0], cs * as * V * sin_star[1],
                                  as * bs * V * sin_star[2], 0.0, 0.0, 0.0};
    dataset::IndexRow limits{};
    cell::automatic_limits(direct, q, f.Qmax, limits);
    v.hmin = limits[1];
    v.hmax = limits[2];
    v.kmin = limits[3];
    v.kmax = limits[4];
    v.lmax = limits[6];
    return true;
}

// The duplicate removal on the sorted lines (the first nlines) and the
// closing entry, into qc[0..nq], up to its first entry above stop_above.
// Lines of equal Q with equal h^2+k^2+l^2 leave one; a line within the
// tolerance below one of equal h^2+k^2+l^2 goes. False when equal Q values
// have unequal h^2+k^2+l^2: the outcome then depends on the Shell sort.
template <typename Emitted>
bool TrialWorkspace::Storage::merge(double qmax, int nlines, double stop_above, int& nq,
                                    Emitted&& emitted)
{
    // The closing entry stands in the order after the lines while the list
    // is made; the candidate it covers is put back after.
    Entry* o = order.data();
    const Entry covered = o[nlines];
    o[nlines] = Entry{qmax, -1, closing_ss};
    auto run = [&] {
        double* out = qc.data();
        int m = 0;
        out[0] = 0.0;
        double prev_q = o[0].key;
        int prev_ss = o[0].ss;
        for (int e = 1; e <= nlines; ++e) {
            const double Q = o[e].key;
            const int s = o[e].ss;
            if (Q == prev_q) {
                if (s != prev_ss)
                    return false;
                continue;  // the earlier of the two goes
            }
            if (!(s == prev_ss && !(std::fabs(prev_q - Q) > tolerance))) {
                out[++m] = prev_q;
                emitted(m);
                if (prev_q > stop_above) {
                    nq = m;
                    return true;
                }
            }
            prev_q = Q;
            prev_ss = s;
        }
        out[++m] = prev_q;
        emitted(m);
        nq = m;
        return true;
    };
    const bool settled = run();
    o[nlines] = covered;
    return settled;
}

// The same, whole and with the survivors' indices, into `list`: also false
// when a survivor's indices depend on the Shell sort's order.
bool TrialWorkspace::Storage::merge_with_indices(double qmax, int nlines, LineList& list)
{
    const int total = nlines + 1;  // the closing entry last
    const Lines& x = lines;
    const Entry* o = order.data();
    auto q_of = [&](int e) { return e < nlines ? o[e].key : qmax; };
    auto ss_of = [&](int e) { return e < nlines ? static_cast<int>(o[e].ss) : closing_ss; };
    auto indices = [&](int e, int& hh, int& kk, int& ll) {
        if (e < nlines) {
            hh = x.h[o[e].line];
            kk = x.k[o[e].line];
            ll = x.l[o[e].line];
        } else {
            hh = kk = ll = closing_index;
        }
    };

    int nq = 0;
    list.Q[0] = 0.0;
    bool pending = false;  // the previous class's survivor, not yet kept
    double prev_q = 0.0;
    int prev_ss = 0;
    int sh = 0, sk = 0, sl = 0;  // its indices
    int e = 0;
    while (e < total) {
        const double Q = q_of(e);
        const int s0 = ss_of(e);
        int end = e + 1;
        while (end < total && q_of(end) == Q) {
            if (ss_of(end) != s0)
                return false;
            ++end;
        }
        const bool near_prev = pending && !(std::fabs(prev_q - Q) > tolerance);
        // The previous survivor goes when this class repeats its h^2+k^2+l^2.
        if (pending && !(near_prev && prev_ss == s0)) {
            ++nq;
            list.Q[nq] = prev_q;
            list.h[nq] = sh;
            list.k[nq] = sk;
            list.l[nq] = sl;
        }
        // This class's survivor is its last line in the Shell sort's order:
        // one line, or h k 0 with -h -k 0, whose survivor has k > 0. Its h
        // and k are negated when l = 0, k < 0 and a line within the
        // tolerance precedes it.
        indices(end - 1, sh, sk, sl);
        if (end - e == 2) {
            int h0, k0, l0;
            indices(e, h0, k0, l0);
            if (!(l0 == 0 && sl == 0 && h0 == -sh && k0 == -sk))
                return false;
        } else if (end - e > 2) {
            return false;
        }
        if (sl == 0 && sk < 0 && (end - e > 1 || near_prev)) {
            sh = -sh;
            sk = -sk;
        }
        pending = true;
        prev_q = Q;
        prev_ss = s0;
        e = end;
    }
    ++nq;
    list.Q[nq] = prev_q;
    list.h[nq] = sh;
    list.k[nq] = sk;
    list.l[nq] = sl;
    list.n = nq;
    return true;
}

// A trial the plain rules settle, in the plain list.
void TrialWorkspace::Storage::plain(const TrialContext& c, const Q6& q, TrialResult& r)
{
    const FomState& f = *c.f;
    LineList list{0, pq.data(), ph.data(), pk.data(), pl.data()};
    r = TrialResult{};
    dataset::IndexRow limits{};
    if (!validate_trial(f, q, c.all_angles, r.reject, limits))
        return;
    r.generated = true;
    if (!generate_lines(f, q, limits, list, r.reject))
        return;
    r.value = fm_compare(c.qobs, f.zones, c.use, list.Q, list.n, rules_of(f, c.mchar),
                         r.mNobscount);
}

// Trials sharing Q(A), Q(B), Q(C); lists stop above `top`.
void TrialWorkspace::Storage::chunk(const TrialContext& c, const Q6* trials, int n,
                                    TrialResult* results, double top)
{
    const FomState& f = *c.f;
    int nvalid = 0;
    const Diagonals diagonals(trials[0]);
    for (int t = 0; t < n; ++t) {
        results[t] = TrialResult{};
        if (is_row(trials[t])) {
            held = nullptr;
            plain(c, trials[t], results[t]);
            continue;
        }
        Valid v;
        v.t = t;
        if (validate(c, trials[t], diagonals, results[t].reject, v))
            valid[nvalid++] = v;
    }
    if (nvalid == 0)
        return;
    const bool built = build(c, trials[valid[0].t], trials, nvalid);
    for (int i = 0; i < nvalid; ++i) {
        const Q6& q = trials[valid[i].t];
        TrialResult& r = results[valid[i].t];
        if (!built) {
            held = nullptr;
            plain(c, q, r);
            continue;
        }
        r.generated = true;
        held = nullptr;
        const int nlines = compute_keys(c, q);
        if (nlines < 0) {
            plain(c, q, r);
            continue;
        }
        sort_keys();
        if (outside_box(valid[i], nlines, f.Qmax)) {
            plain(c, q, r);
            continue;
        }
        if (nlines > dataset::max_calc) {
            r.reject = 'n';
            continue;
        }
        held = nullptr;
        if (nlines == dataset::max_calc || !compare(c, nlines, top, r)) {
            plain(c, q, r);
            continue;
        }
        held = &q;
        held_lines = nlines;
    }
}

// The duplicate removal and the comparison of the sorted lines; false when
// the plain rules must settle the trial.
bool TrialWorkspace::Storage::compare(const TrialContext& c, int nlines, double top, TrialResult& r)
{
    const FomState& f = *c.f;
    int nq = 0;
    if (c.mchar != 'M') {
        if (!merge(f.Qmax, nlines, top, nq, [](int) {}))
            return false;
        r.value = fm_compare(c.qobs, f.zones, c.use, qc.data(), nq, rules_of(f, c.mchar),
                             r.mNobscount);
        return true;
    }
    MWalk walk{c.qobs, c.use, qc.data(), f.Nobsused};
    walk.skip_unused();
    if (!merge(f.Qmax, nlines, top, nq, [&walk](int m) { walk.at(m); }))
        return false;
    r.mNobscount = walk.count;
    r.value = walk.count < 1 ? 0.0 : m1_figure(walk.count, qc[walk.last_j], walk.last_j, walk.S);
    return true;
}

TrialWorkspace::TrialWorkspace() : m(std::make_unique<Storage>()) {}
TrialWorkspace::~TrialWorkspace() = default;

void TrialWorkspace::evaluate(const TrialContext& c, const Q6* trials, int n, TrialResult* results)
{
    // The comparison reads entries up to the first above every zone bound
    // and observed line it looks at.
    const FomState& f = *c.f;
    double top = 0.0;
    const int last = std::min(f.Nobsused, dataset::max_obs);
    for (int i = 1; i <= last; ++i) {
        if (!c.use[i])
            continue;
        if (c.qobs[i] > top)
            top = c.qobs[i];
        if (f.zones.Qbound[i + 1] > top)
            top = f.zones.Qbound[i + 1];
    }
    m->ordered = false;  // the last order kept came from elsewhere
    m->held = nullptr;
    int start = 0;
    while (start < n) {
        int end = start + 1;
        while (end < n && end - start < chunk_trials && trials[end][1] == trials[start][1] &&
               trials[end][2] == trials[start][2] && trials[end][3] == trials[start][3])
            ++end;
        m->chunk(c, trials + start, end - start, results + start, top);
        start = end;
    }
}

bool TrialWorkspace::lines_of(const TrialContext& c, const Q6* trial, LineList& out)
{
    return m->held == trial && m->merge_with_indices(c.f->Qmax, m->held_lines, out);
}

} // namespace rivi
