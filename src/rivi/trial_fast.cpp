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
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>

#include "cell/commands.hpp"
#include "console/utilities.hpp"

namespace rivi {

namespace {

constexpr int chunk_trials = 32;          // trials sharing one candidate set
constexpr int max_candidates = 1 << 16;
constexpr int max_box = 1 << 18;          // index triples that keep their order
constexpr double tolerance = 0.0001;      // duplicate removal, QU.
constexpr double flat_cell = 1e-9;        // as the powder-constants conversion
constexpr int closing_ss = 3 * closing_index * closing_index;

// A trial that passed validation, with its index box.
struct Valid {
    int t = 0;  // its place in the run
    int hmin = 0, hmax = 0, kmin = 0, kmax = 0, lmax = 0;
};

// The angle of a cosine as the conversion computes it (0..180 degrees).
double angle_of(double cosine, double sine)
{
    if (cosine == 0.0)
        return 90.0;
    const double a = std::atan(sine / cosine) * console::deg_per_rad;
    return a < 0.0 ? a + 180.0 : a;
}

// Candidate lines as a structure of arrays, in the order of their
// generation: what the rule's sum needs from each, and its Q for the
// current trial.
struct Lines {
    std::vector<double> key;               // Q for the current trial
    std::vector<double> diag;              // h^2 Q(A) + k^2 Q(B) + l^2 Q(C), summed as the rule does
    std::vector<double> kl, hl, hk;        // the index products of the cross terms
    std::vector<std::int32_t> ss;          // h^2 + k^2 + l^2
    std::vector<std::int16_t> h, k, l;

    explicit Lines(int n) : key(n), diag(n), kl(n), hl(n), hk(n), ss(n), h(n), k(n), l(n) {}

    void swap(Lines& other)
    {
        key.swap(other.key);
        diag.swap(other.diag);
        kl.swap(other.kl);
        hl.swap(other.hl);
        hk.swap(other.hk);
        ss.swap(other.ss);
        h.swap(other.h);
        k.swap(other.k);
        l.swap(other.l);
    }
};

// A candidate in the sorted order: small, so that repairing the order
// moves little.
struct Entry {
    double key;
    std::int32_t line;  // its place in Lines
    std::int32_t ss;
};

// What the conversion derives from Q(A), Q(B) and Q(C) alone, once for the
// trials of a chunk, by the conversion's own operations.
struct Diagonals {
    explicit Diagonals(const Q6& q);
    double as, bs, cs;  // a*, b*, c*
    double product;
    double to_cos[3];   // a cross constant over these is the cosine of its angle
    double q123;        // Q(A) Q(B) Q(C)
};

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

struct TrialWorkspace::Storage {
    // The candidates of the current chunk, and their order by the last
    // trial's keys.
    int ncand = 0;
    Lines lines{max_candidates}, fresh_lines{max_candidates};
    std::vector<Entry> order;
    bool ordered = false;  // `order` holds a previous trial's order
    int old_count = 0;     // how many entries it holds
    int ext_hmin = 0, ext_hmax = 0, ext_kmin = 0, ext_kmax = 0, ext_lmax = 0;
    double box_margin = 0.0;  // how near Qmax a line outside a trial's box can come

    // A new chunk takes the previous order for the lines the two share:
    // each index triple of the chunk's box has a slot stamped with the
    // chunk's number and the new candidate's place.
    std::vector<std::uint32_t> stamp_of, used;
    std::vector<int> place_of;
    std::vector<Entry> spare;
    std::uint32_t stamp = 0;

    // The compared list (entry 0 the origin).
    std::vector<double> qc;

    // The plain rules' list for the trials handed to them.
    std::vector<double> pq;
    std::vector<int> ph, pk, pl;

    Valid valid[chunk_trials];

    // |cosine| below this: the angle is clear of the minimum (no arctangent).
    double amin_seen = -1.0, cos_clear = 0.0;

    Storage()
        : order(max_candidates), stamp_of(max_box, 0), used(max_candidates, 0), place_of(max_box),
          spare(max_candidates),
          qc(dataset::max_calc + 2), pq(dataset::max_calc + 1), ph(dataset::max_calc + 1),
          pk(dataset::max_calc + 1), pl(dataset::max_calc + 1)
    {
    }

    bool validate(const TrialContext& c, const Q6& q, const Diagonals& g, char& reject, Valid& v);
    bool build(const TrialContext& c, const Q6& q0, const Q6* trials, int nvalid);
    void keep_order(int hmin, int hmax, int kmin, int kmax, int lmax);
    int compute_keys(const TrialContext& c, const Q6& q);
    bool outside_box(const Valid& v, int nlines, double qmax) const;
    void sort_keys();
    template <typename Emitted>
    bool merge(double qmax, int nlines, double stop_above, int& nq, Emitted&& emitted);
    bool compare(const TrialContext& c, int nlines, double top, TrialResult& r);
    bool merge_with_indices(double qmax, int nlines, LineList& list);

    // The last trial whose lines this workspace holds sorted, and how many.
    const Q6* held = nullptr;
    int held_lines = 0;
    void plain(const TrialContext& c, const Q6& q, TrialResult& r);
    void chunk(const TrialContext& c, const Q6* trials, int n, TrialResult* results, double top);
};

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

// The candidates of a chunk of valid trials sharing Q(A), Q(B), Q(C): the
// index triples of their boxes whose Q, bounded from below over the range of
// each cross constant in the chunk, can reach Qmax. False when too many.
bool TrialWorkspace::Storage::build(const TrialContext& c, const Q6& q0, const Q6* trials,
                                    int nvalid)
{
    const FomState& f = *c.f;
    double lo[7], hi[7];
    int hmin = valid[0].hmin, hmax = valid[0].hmax, kmin = valid[0].kmin, kmax = valid[0].kmax;
    int lmax = valid[0].lmax;
    for (int i = 4; i <= 6; ++i)
        lo[i] = hi[i] = trials[valid[0].t][i];
    for (int v = 1; v < nvalid; ++v) {
        const Valid& b = valid[v];
        hmin = std::min(hmin, b.hmin);
        hmax = std::max(hmax, b.hmax);
        kmin = std::min(kmin, b.kmin);
        kmax = std::max(kmax, b.kmax);
        lmax = std::max(lmax, b.lmax);
        for (int i = 4; i <= 6; ++i) {
            lo[i] = std::min(lo[i], trials[b.t][i]);
            hi[i] = std::max(hi[i], trials[b.t][i]);
        }
    }
    // Indices are kept in 16 bits.
    if (std::max({-hmin, hmax, -kmin, kmax, lmax}) > 30000)
        return false;
    const bool skip_h0 = f.zero_level && f.zone_letter == 'A';
    const bool skip_k0 = f.zero_level && f.zone_letter == 'B';
    const int lmin = f.zero_level && f.zone_letter == 'C' ? 1 : 0;
    const double Q1 = q0[1], Q2 = q0[2], Q3 = q0[3];
    const double qmax = f.Qmax;
    const double L = lmax;
    const double cross_d = std::max(std::fabs(lo[4]), std::fabs(hi[4]));
    const double cross_e = std::max(std::fabs(lo[5]), std::fabs(hi[5]));
    const double cross_f = std::max(std::fabs(lo[6]), std::fabs(hi[6]));

    int n = 0;
    double largest_scale = qmax;
    ext_hmin = ext_kmin = 1 << 30;
    ext_hmax = ext_kmax = ext_lmax = -(1 << 30);
    for (int hh = hmin; hh <= hmax; ++hh) {
        if (skip_h0 && hh == 0)
            continue;
        const double x = hh;
        for (int kk = kmin; kk <= kmax; ++kk) {
            if (skip_k0 && kk == 0)
                continue;
            const double y = kk;
            // Q >= Q3 l^2 + b l + c for every trial of the chunk (l >= 0).
            const double b = std::min(y * lo[4], y * hi[4]) + std::min(x * lo[5], x * hi[5]);
            const double cf = std::min(x * y * lo[6], x * y * hi[6]);
            const double c0 = x * x * Q1 + y * y * Q2 + cf;
            // A margin far above the rounding of any of the terms.
            const double scale = qmax + x * x * Q1 + y * y * Q2 + std::fabs(x * y) * cross_f +
                                 L * L * Q3 + L * (std::fabs(y) * cross_d + std::fabs(x) * cross_e);
            const double reach = qmax + 1e-7 * scale;
            largest_scale = std::max(largest_scale, scale);
            const double disc = b * b - 4.0 * Q3 * (c0 - reach);
            if (!(disc >= 0.0))
                continue;
            const double root = std::sqrt(disc);
            const double l_low = std::ceil((-b - root) / (2.0 * Q3)) - 1.0;
            const double l_high = std::floor((-b + root) / (2.0 * Q3)) + 1.0;
            const int l1 = static_cast<int>(std::clamp<double>(l_low, lmin, lmax + 1));
            const int l2 = static_cast<int>(std::clamp<double>(l_high, lmin - 1, lmax));
            for (int ll = l1; ll <= l2; ++ll) {
                if (ll == 0 && ((kk == 0 && hh <= 0) || (hh == 0 && kk < 0)))
                    continue;  // 000 and the negative axial lines
                if (n == max_candidates)
                    return false;
                Lines& x = fresh_lines;
                x.diag[n] = hh * hh * Q1 + kk * kk * Q2 + ll * ll * Q3;
                x.kl[n] = kk * ll;
                x.hl[n] = hh * ll;
                x.hk[n] = hh * kk;
                x.h[n] = static_cast<std::int16_t>(hh);
                x.k[n] = static_cast<std::int16_t>(kk);
                x.l[n] = static_cast<std::int16_t>(ll);
                x.ss[n] = hh * hh + kk * kk + ll * ll;
                ext_hmin = std::min(ext_hmin, hh);
                ext_hmax = std::max(ext_hmax, hh);
                ext_kmin = std::min(ext_kmin, kk);
                ext_kmax = std::max(ext_kmax, kk);
                ext_lmax = std::max(ext_lmax, ll);
                ++n;
            }
        }
    }
    ncand = n;
    // Rounding moves a Q by far less than 1e-9 of the terms summed.
    box_margin = 1e-9 * largest_scale;
    keep_order(hmin, hmax, kmin, kmax, lmax);
    return true;
}

// Makes the new candidates (in fresh_lines) the chunk's lines, and orders
// them as the previous chunk had them, new ones last. Without a previous
// order, or with too large a box, `ordered` is off.
void TrialWorkspace::Storage::keep_order(int hmin, int hmax, int kmin, int kmax, int lmax)
{
    const int n = ncand;
    const long long nh = hmax - hmin + 1, nk = kmax - kmin + 1, nl = lmax + 1;
    const int old_n = old_count;
    old_count = n;
    if (!ordered || nh * nk * nl > max_box) {
        lines.swap(fresh_lines);
        ordered = false;
        return;
    }
    auto box_index = [&](int hh, int kk, int ll) {
        return static_cast<int>(((hh - hmin) * nk + (kk - kmin)) * nl + ll);
    };
    ++stamp;
    const Lines& y = fresh_lines;
    for (int c = 0; c < n; ++c) {
        const int b = box_index(y.h[c], y.k[c], y.l[c]);
        stamp_of[b] = stamp;
        place_of[b] = c;
    }
    const Lines& x = lines;  // the previous chunk's
    int out = 0;
    for (int e = 0; e < old_n; ++e) {
        const int p = order[e].line;
        if (x.h[p] < hmin || x.h[p] > hmax || x.k[p] < kmin || x.k[p] > kmax || x.l[p] > lmax)
            continue;
        const int b = box_index(x.h[p], x.k[p], x.l[p]);
        if (stamp_of[b] != stamp)
            continue;
        const int c = place_of[b];
        used[c] = stamp;
        spare[out++] = Entry{order[e].key, c, y.ss[c]};
    }
    for (int c = 0; c < n; ++c)
        if (used[c] != stamp)
            spare[out++] = Entry{0.0, c, y.ss[c]};
    order.swap(spare);
    lines.swap(fresh_lines);
}

// Each candidate's Q for trial q, the plain rule's sum term by term, as its
// sort key; returns how many are lines (0 < Q <= Qmax), or -1 when a Q is
// not positive. Lines beyond the trial's index box are not excluded here:
// they lie outside its ellipsoid, so only those within rounding of Qmax can
// be among the lines, which `outside_box` then looks at. Two candidates at a
// time: each lane is the same sequence of IEEE operations as the rule.
int TrialWorkspace::Storage::compute_keys(const TrialContext& c, const Q6& q)
{
    using v2d = double __attribute__((vector_size(16)));
    using v2l = long long __attribute__((vector_size(16)));
    const double qd = q[4], qe = q[5], qf = q[6];
    const double qmax = c.f->Qmax;
    const int n = ncand;
    const double* diag = lines.diag.data();
    const double* kl = lines.kl.data();
    const double* hl = lines.hl.data();
    const double* hk = lines.hk.data();
    double* key = lines.key.data();
    v2l below = {0, 0}, positive = {0, 0};  // minus the counts, per lane
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        v2d d, a, b, e;
        std::memcpy(&d, diag + i, sizeof d);
        std::memcpy(&a, kl + i, sizeof a);
        std::memcpy(&b, hl + i, sizeof b);
        std::memcpy(&e, hk + i, sizeof e);
        const v2d Q = d + a * qd + b * qe + e * qf;
        std::memcpy(key + i, &Q, sizeof Q);
        below += Q <= qmax;
        positive += Q > 0.0;
    }
    long long count = -(below[0] + below[1]);
    long long good = -(positive[0] + positive[1]);
    for (; i < n; ++i) {
        const double Q = diag[i] + kl[i] * qd + hl[i] * qe + hk[i] * qf;
        key[i] = Q;
        count += Q <= qmax;
        good += Q > 0.0;
    }
    return good == n ? static_cast<int>(count) : -1;
}

// True when one of the first nlines sorted lines lies outside the trial's
// index box (possible only within rounding of Qmax).
bool TrialWorkspace::Storage::outside_box(const Valid& v, int nlines, double qmax) const
{
    const bool whole = v.hmin <= ext_hmin && ext_hmax <= v.hmax && v.kmin <= ext_kmin &&
                       ext_kmax <= v.kmax && ext_lmax <= v.lmax;
    if (whole)
        return false;
    const Lines& x = lines;
    for (int e = nlines - 1; e >= 0 && order[e].key > qmax - box_margin; --e) {
        const int p = order[e].line;
        if (x.h[p] < v.hmin || x.h[p] > v.hmax || x.k[p] < v.kmin || x.k[p] > v.kmax ||
            x.l[p] > v.lmax)
            return true;
    }
    return false;
}

// Orders the candidates by this trial's keys: afresh after a chunk without
// a previous order, else by repairing the previous trial's order, which is
// nearly right.
void TrialWorkspace::Storage::sort_keys()
{
    const int n = ncand;
    const double* key = lines.key.data();
    Entry* o = order.data();
    if (!ordered) {
        const std::int32_t* ss = lines.ss.data();
        for (int c = 0; c < n; ++c)
            o[c] = Entry{key[c], c, ss[c]};
        std::sort(o, o + n, [](const Entry& a, const Entry& b) { return a.key < b.key; });
        ordered = true;
        return;
    }
    if (n == 0)
        return;
    double last = o[0].key = key[o[0].line];
    for (int i = 1; i < n; ++i) {
        const double k = key[o[i].line];
        if (!(k < last)) {
            o[i].key = last = k;
            continue;
        }
        Entry item = o[i];
        item.key = k;
        int j = i;
        do {
            o[j] = o[j - 1];
            --j;
        } while (j > 0 && o[j - 1].key > k);
        o[j] = item;
        last = o[i].key;
    }
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
    const Entry* o = order.data();
    double* out = qc.data();
    int m = 0;
    out[0] = 0.0;
    double prev_q = nlines > 0 ? o[0].key : qmax;
    int prev_ss = nlines > 0 ? o[0].ss : closing_ss;
    for (int e = 1; e <= nlines; ++e) {
        const double Q = e < nlines ? o[e].key : qmax;
        const int s = e < nlines ? o[e].ss : closing_ss;
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
