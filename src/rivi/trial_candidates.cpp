// The candidate lines of a segment of trials: those within reach of Qmax at
// either end of it (so at every trial between, Q being linear in the
// varying constant), merged where identical, with the order in which they
// come into reach; and one trial's whole line list made the same way.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "rivi/trial_fast_storage.hpp"

namespace rivi {

using namespace fast;

bool fast::column_reach(double Q3, double B, double C, double T, double& lo, double& hi)
{
    const double disc = B * B - 4.0 * Q3 * (C - T);
    if (std::isnan(disc)) {
        // Nothing known: the whole column.
        lo = -std::numeric_limits<double>::infinity();
        hi = std::numeric_limits<double>::infinity();
        return true;
    }
    if (disc < 0.0)
        return false;
    const double root = std::sqrt(disc);
    lo = std::ceil((-B - root) / (2.0 * Q3)) - 1.0;
    hi = std::floor((-B + root) / (2.0 * Q3)) + 1.0;
    return true;
}

namespace {

// A widened root as an index within [low, high].
int index_within(double x, int low, int high)
{
    return static_cast<int>(std::clamp(x, static_cast<double>(low), static_cast<double>(high)));
}

// A bound, far above rounding, on how much the sum of a line's six terms
// can differ from its exact value, for indices up to H, K, L: 1e-9 of the
// largest sum of the terms' magnitudes.
double rounding_margin(double qmax, double H, double K, double L, const Q6& q, double m4,
                       double m5, double m6)
{
    const double scale = qmax + H * H * std::fabs(q[1]) + K * K * std::fabs(q[2]) +
                         L * L * std::fabs(q[3]) + K * L * m4 + H * L * m5 + H * K * m6;
    return 1e-9 * scale;
}

// The columns h, k of one end of a segment that can reach T: with l at
// its best, Q(h, k) = alpha k^2 + h beta k + h^2 gamma, a slice of the
// projected ellipse for each h.
struct ColumnSlices {
    double alpha, beta, gamma;
    ColumnSlices(const Q6& q)
        : alpha(q[2] - q[4] * q[4] / (4.0 * q[3])), beta(q[6] - q[4] * q[5] / (2.0 * q[3])),
          gamma(q[1] - q[5] * q[5] / (4.0 * q[3]))
    {
    }
    // The k of column h that can reach T, widened by one on each side;
    // false when none can. Everything when the slice is not an interval.
    bool range(double h, double T, double& lo, double& hi) const
    {
        if (!(alpha > 0.0)) {
            lo = -std::numeric_limits<double>::infinity();
            hi = std::numeric_limits<double>::infinity();
            return true;
        }
        return column_reach(alpha, h * beta, h * h * gamma, T, lo, hi);
    }
};

std::uint64_t bits_of(double x) { return std::bit_cast<std::uint64_t>(x + 0.0); }  // -0 as +0

} // namespace

bool TrialWorkspace::Storage::prepare(const TrialContext& c, const Q6& qa, const Q6& qb,
                                      const Diagonals& g)
{
    qmax = c.f->Qmax;
    if (!enumerate(c, qa, qb, sides_of(qa, g), sides_of(qb, g)) || !merge_identical())
        return false;
    schedule(qa);
    return true;
}

// Every line of the segment's index shape whose Q at the trial qa or qb
// (its ends) is within reach. False when there are too many to hold.
bool TrialWorkspace::Storage::enumerate(const TrialContext& c, const Q6& qa, const Q6& qb,
                                        const Sides& sa, const Sides& sb)
{
    const FomState& f = *c.f;
    Shape shape;
    const int code = limits_code(qa);
    shape.negative_h = !(code == 0 || code == 4);
    shape.negative_k = !(code == 0 || code == 5 || code == 6);
    const ZeroLevel zero = zero_level_of(f);
    shape.skip_h0 = zero.skip_h0;
    shape.skip_k0 = zero.skip_k0;
    shape.lmin = zero.skip_l0 ? 1 : 0;

    // The reach of the indices at either end, a little beyond Qmax (far
    // beyond the rounding margin), never beyond the automatic limits' cap.
    constexpr double allowance = 1e-3;
    const double s = std::sqrt(qmax * (1.0 + allowance)) / 100.0;
    auto extent = [&](double side_a, double side_b) {
        return std::min(std::floor(std::max(side_a, side_b) * s) + 1.0,
                        static_cast<double>(dataset::max_index));
    };
    const double H = extent(sa.a, sb.a), K = extent(sa.b, sb.b), L = extent(sa.c, sb.c);
    if (!(H >= 0.0 && K >= 0.0 && L >= 0.0))
        return false;
    const double columns = (shape.negative_h ? 2.0 * H + 1.0 : H + 1.0) *
                           (shape.negative_k ? 2.0 * K + 1.0 : K + 1.0);
    if (columns > static_cast<double>(max_columns))
        return false;
    const double m4 = std::max(std::fabs(qa[4]), std::fabs(qb[4]));
    const double m5 = std::max(std::fabs(qa[5]), std::fabs(qb[5]));
    const double m6 = std::max(std::fabs(qa[6]), std::fabs(qb[6]));
    margin = rounding_margin(qmax, H, K, L, qa, m4, m5, m6);
    if (!(margin <= allowance * qmax))
        return false;
    reach = qmax + margin;

    lines.clear();
    const int hmax = static_cast<int>(H), kmax = static_cast<int>(K), lmax = static_cast<int>(L);
    const double Q1 = qa[1], Q2 = qa[2], Q3 = qa[3];
    const bool both = qa[varying] != qb[varying];
    const ColumnSlices slices_a(qa), slices_b(qb);
    const int kfirst = shape.negative_k ? -kmax : 0;
    for (int h = shape.negative_h ? -hmax : 0; h <= hmax; ++h) {
        if (shape.skip_h0 && h == 0)
            continue;
        const double x = h;
        // The columns of this h within the ellipse at either end.
        double klo, khi, klo_b, khi_b;
        bool some = slices_a.range(x, reach, klo, khi);
        if (both && slices_b.range(x, reach, klo_b, khi_b)) {
            klo = some ? std::min(klo, klo_b) : klo_b;
            khi = some ? std::max(khi, khi_b) : khi_b;
            some = true;
        }
        if (!some)
            continue;
        const int k1 = index_within(klo, kfirst, kmax + 1);
        const int k2 = index_within(khi, kfirst - 1, kmax);
        for (int k = k1; k <= k2; ++k) {
            if (shape.skip_k0 && k == 0)
                continue;
            const double y = k;
            double lo, hi, lo_b, hi_b;
            const double C0 = x * x * Q1 + y * y * Q2;
            bool any = column_reach(Q3, y * qa[4] + x * qa[5], C0 + x * y * qa[6], reach, lo, hi);
            if (both && column_reach(Q3, y * qb[4] + x * qb[5], C0 + x * y * qb[6], reach, lo_b,
                                     hi_b)) {
                lo = any ? std::min(lo, lo_b) : lo_b;
                hi = any ? std::max(hi, hi_b) : hi_b;
                any = true;
            }
            if (!any)
                continue;
            const int l1 = index_within(lo, shape.lmin, lmax + 1);
            const int l2 = index_within(hi, shape.lmin - 1, lmax);
            for (int l = l1; l <= l2; ++l) {
                if (l == 0 && ((k == 0 && h <= 0) || (h == 0 && k < 0)))
                    continue;  // 000 and the negative axial lines
                const double d = h * h * Q1 + k * k * Q2 + l * l * Q3;
                const double at_a = ((d + k * l * qa[4]) + h * l * qa[5]) + h * k * qa[6];
                const double at_b = ((d + k * l * qb[4]) + h * l * qb[5]) + h * k * qb[6];
                if (!(std::min(at_a, at_b) <= reach))
                    continue;
                if (static_cast<int>(lines.a0.size()) == max_candidates)
                    return false;
                add_line(h, k, l, qa);
            }
        }
    }
    nlines = static_cast<int>(lines.a0.size());
    return true;
}

// Line h k l with the fixed terms of the rule's sum taken from q.
void TrialWorkspace::Storage::add_line(int h, int k, int l, const Q6& q)
{
    const double d = h * h * q[1] + k * k * q[2] + l * l * q[3];
    double a = d, c = h * k, t1 = 0.0, t2 = 0.0;
    if (varying == 4) {
        c = k * l;
        t1 = h * l * q[5];
        t2 = h * k * q[6];
    } else if (varying == 5) {
        a = d + k * l * q[4];
        c = h * l;
        t2 = h * k * q[6];
    } else {
        a = (d + k * l * q[4]) + h * l * q[5];
    }
    lines.a0.push_back(a);
    lines.cf.push_back(c);
    lines.f1.push_back(t1);
    lines.f2.push_back(t2);
    lines.ss.push_back(h * h + k * k + l * l);
}

// Lines with the same terms have the same Q at every trial: with equal
// h^2+k^2+l^2 the duplicate removal leaves one of them, so one is kept. With
// unequal ones the outcome depends on the Shell sort: false.
bool TrialWorkspace::Storage::merge_identical()
{
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(nlines))
        size *= 2;
    const std::size_t mask = size - 1;
    slots.assign(size, -1);
    LineTerms& x = lines;
    int kept = 0;
    for (int i = 0; i < nlines; ++i) {
        std::uint64_t h = bits_of(x.a0[i]) * 0x9E3779B97F4A7C15ull;
        h ^= bits_of(x.cf[i]) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
        h ^= bits_of(x.f1[i]) + 0x85EBCA77C2B2AE63ull + (h << 6) + (h >> 2);
        h ^= bits_of(x.f2[i]) + 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        std::size_t slot = (h ^ (h >> 29)) & mask;
        bool merged = false;
        for (; slots[slot] >= 0; slot = (slot + 1) & mask) {
            const int j = slots[slot];
            if (x.a0[j] == x.a0[i] && x.cf[j] == x.cf[i] && x.f1[j] == x.f1[i] &&
                x.f2[j] == x.f2[i]) {
                if (x.ss[j] != x.ss[i])
                    return false;
                merged = true;
                break;
            }
        }
        if (merged)
            continue;
        slots[slot] = kept;
        x.copy(kept, i);
        ++kept;
    }
    nlines = kept;
    return true;
}

// The lines in reach at the first trial (qa), in order, and those that come
// into reach later, in the order they do.
void TrialWorkspace::Storage::schedule(const Q6& qa)
{
    const double xa = qa[varying];
    if (static_cast<int>(key.size()) < nlines + 3) {
        key.resize(nlines + 3);
        ord.resize(nlines + 2);
        enter_id.resize(nlines);
        enter_at.resize(nlines);
    }
    key[0] = 0.0;
    auto comes_later = [&](int id, double q) { return lines.cf[id] * dir < 0.0 && q > reach; };
    pairs.clear();
    for (int id = 0; id < nlines; ++id) {
        const double q = line_q(id, xa);
        if (comes_later(id, q))
            pairs.emplace_back((xa + (reach - q) / lines.cf[id]) * dir, id);
    }
    std::sort(pairs.begin(), pairs.end());
    nenter = static_cast<int>(pairs.size());
    next_enter = 0;
    for (int e = 0; e < nenter; ++e) {
        enter_at[e] = pairs[e].first * dir;
        enter_id[e] = pairs[e].second;
    }
    pairs.clear();
    for (int id = 0; id < nlines; ++id) {
        const double q = line_q(id, xa);
        if (!comes_later(id, q))
            pairs.emplace_back(q, id);
    }
    std::sort(pairs.begin(), pairs.end());
    nactive = static_cast<int>(pairs.size());
    for (int i = 0; i < nactive; ++i)
        ord[i] = pairs[i].second;
    std::fill(above.begin(), above.end(), 1);
}

bool generate_trial_pruned(const FomState& f, const Q6& q, bool all_angles, LineList& out,
                           char& reject)
{
    dataset::IndexRow limits{};
    if (!validate_trial(f, q, all_angles, reject, limits))
        return false;
    const double qmax = f.Qmax;
    if (is_row(q) || !(std::isfinite(qmax) && qmax > 0.0))
        return generate_lines(f, q, limits, out, reject);

    // The loops of generate_lines in their order, each column's l limited
    // to those whose Q can reach Qmax.
    const int hmin = limits[1], kmin = limits[3], lmax = limits[6];
    int lmin = limits[5];
    const auto [skip_h0, skip_k0, skip_l0] = zero_level_of(f);
    if (skip_l0 && lmin < 1)
        lmin = 1;
    const double H = std::max(-hmin, limits[2]), K = std::max(-kmin, limits[4]), L = lmax;
    const double T = qmax + rounding_margin(qmax, H, K, L, q, std::fabs(q[4]), std::fabs(q[5]),
                                            std::fabs(q[6]));
    int n = 0;
    out.Q[0] = 0.0;
    for (int h = hmin; h <= limits[2]; ++h) {
        if (skip_h0 && h == 0)
            continue;
        const double x = h;
        for (int k = kmin; k <= limits[4]; ++k) {
            if (skip_k0 && k == 0)
                continue;
            const double y = k;
            double lo, hi;
            if (!column_reach(q[3], y * q[4] + x * q[5], x * x * q[1] + y * y * q[2] + x * y * q[6],
                              T, lo, hi))
                continue;
            const int l2 = index_within(hi, lmin - 1, lmax);
            for (int l = index_within(lo, lmin, lmax + 1); l <= l2; ++l) {
                const double qhkl = h * h * q[1] + k * k * q[2] + l * l * q[3] + k * l * q[4] +
                                    h * l * q[5] + h * k * q[6];
                if (!keep_line(out, n, qhkl, qmax, h, k, l, reject))
                    return false;
            }
        }
    }
    close_lines(out, n, qmax);
    return true;
}

} // namespace rivi
