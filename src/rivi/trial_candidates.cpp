// The candidate lines of a chunk of trials: their generation within the
// chunk's ellipsoids, the order they keep from chunk to chunk, each trial's
// Q of them and their sorting.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "rivi/trial_fast_storage.hpp"

namespace rivi {

using namespace fast;

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

} // namespace rivi
