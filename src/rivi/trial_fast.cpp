// The fast trial evaluator. It computes the plain rules' figures exactly by
// relying on these facts:
// - a line's Q is the same sum of the same six products in the same order,
//   so its double is identical;
// - along a segment (a map row) only one cross constant moves, so each
//   line's Q is linear in it: the lines that can reach Qmax anywhere on the
//   segment are found once, and each comes into reach, or leaves it, once;
// - the lines in reach keep almost the same order from one trial to the
//   next, so the last order is repaired by insertion rather than sorted anew;
// - the duplicate removal changes nothing unless two neighbours in that
//   order lie within its tolerance: one look at the gaps tells, and then the
//   comparison reads the ordered keys as they are. Lines equal at every
//   trial of the segment with equal h^2+k^2+l^2 were merged beforehand;
//   the rare trial left with close neighbours has them removed here, and
//   one whose outcome would depend on the Shell sort's order of equal Q
//   values goes to the plain rules;
// - a line beyond a trial's index box lies beyond its Q <= Qmax ellipsoid,
//   so only a trial with a line within rounding of Qmax needs the box, and
//   goes to the plain rules.
#include "rivi/trial_fast.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "console/utilities.hpp"
#include "rivi/trial_fast_storage.hpp"

namespace rivi {

using namespace fast;

namespace {

// Runs of trials spanning no more than this many go to the plain rules.
constexpr int few_trials = 2;

// The angle of a cosine as the conversion computes it (0..180 degrees).
double angle_of(double cosine, double sine)
{
    if (cosine == 0.0)
        return 90.0;
    const double a = std::atan(sine / cosine) * console::deg_per_rad;
    return a < 0.0 ? a + 180.0 : a;
}

// Trial q continues the segment before it (trial p): the same diagonal
// constants and index shape (limits code `code`), and at most the cross constant `varying`
// moving, the same way as before. Both are set by the first step that moves.
bool continues(const Q6& p, const Q6& q, int code, int& varying, int& dir)
{
    if (varying != 0) {
        // The usual step along a row: the varying constant alone moved, the
        // same way, without crossing into another index shape.
        const int a = varying == 4 ? 5 : 4, b = varying == 6 ? 5 : 6;
        const double from = p[varying], to = q[varying];
        if (p[1] == q[1] && p[2] == q[2] && p[3] == q[3] && p[a] == q[a] && p[b] == q[b] &&
            (dir > 0 ? to > from : to < from) &&
            (std::fabs(to) > cross_zero) == (std::fabs(from) > cross_zero) &&
            !(q[4] == 0.0 && q[5] == 0.0 && q[6] == 0.0 && is_row(q)))
            return true;
    }
    if (p[1] != q[1] || p[2] != q[2] || p[3] != q[3] || limits_code(q) != code ||
        (q[4] == 0.0 && q[5] == 0.0 && q[6] == 0.0 && is_row(q)))
        return false;
    int moved = 0, step = 0;
    for (int i = 4; i <= 6; ++i) {
        if (p[i] == q[i])
            continue;
        if (moved != 0)
            return false;
        moved = i;
        step = q[i] > p[i] ? 1 : (q[i] < p[i] ? -1 : 0);
    }
    if (moved == 0)
        return true;
    if (step == 0 || (varying != 0 && moved != varying) || (dir != 0 && step != dir))
        return false;
    varying = moved;
    dir = step;
    return true;
}

} // namespace

bool starts_run(const Q6& before, const Q6& q)
{
    return before[1] != q[1] || before[2] != q[2] || before[3] != q[3] ||
           fast::limits_code(before) != fast::limits_code(q);
}

int fast::limits_code(const Q6& q)
{
    return (std::fabs(q[4]) > cross_zero ? 4 : 0) + (std::fabs(q[5]) > cross_zero ? 5 : 0) +
           (std::fabs(q[6]) > cross_zero ? 6 : 0);
}

// The validation of the plain rules (the powder-constants conversion, the
// volume and angle tests) reduced to what they decide, each value computed
// with the conversion's own operations.
Diagonals::Diagonals(const Q6& q)
    : as(std::sqrt(q[1] / 10000.0)), bs(std::sqrt(q[2] / 10000.0)), cs(std::sqrt(q[3] / 10000.0)),
      product(as * bs * cs), to_cos{2.0 * bs * cs * 10000.0, 2.0 * cs * as * 10000.0,
                                    2.0 * as * bs * 10000.0},
      q123(q[1] * q[2] * q[3])
{
}

TrialWorkspace::Storage::Storage()
    : key(3, 0.0), qc(dataset::max_calc + 2), pq(dataset::max_calc + 1), ph(dataset::max_calc + 1),
      pk(dataset::max_calc + 1), pl(dataset::max_calc + 1)
{
}

bool TrialWorkspace::Storage::validate(const TrialContext& c, const Q6& q, const Diagonals& g,
                                       char& reject)
{
    const FomState& f = *c.f;
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
        if (!test_angle[i] || std::fabs(cos_star[i]) < cos_clear)
            continue;
        const double sine = std::sqrt(1.0 - cos_star[i] * cos_star[i]);
        if (too_oblique(angle_of(cos_star[i], sine), f.amin)) {
            reject = 'a';
            return false;
        }
    }
    return true;
}

// The direct sides of a valid trial, as the conversion makes them.
Sides TrialWorkspace::Storage::sides_of(const Q6& q, const Diagonals& g) const
{
    double cos_star[3], sin_star[3];
    for (int i = 0; i < 3; ++i) {
        cos_star[i] = q[4 + i] / g.to_cos[i];
        sin_star[i] = std::sqrt(1.0 - cos_star[i] * cos_star[i]);
    }
    const double r = 1.0 - cos_star[0] * cos_star[0] - cos_star[1] * cos_star[1] -
                     cos_star[2] * cos_star[2] + 2.0 * cos_star[0] * cos_star[1] * cos_star[2];
    const double V = 1.0 / (1e-6 * std::sqrt(g.q123 * r));
    return Sides{g.bs * g.cs * V * sin_star[0], g.cs * g.as * V * sin_star[1],
                 g.as * g.bs * V * sin_star[2]};
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

// The trials of one segment: validated, then those that pass evaluated in
// order over the segment's lines.
void TrialWorkspace::Storage::segment(const TrialContext& c, const Q6* trials, int n,
                                      TrialResult* results, int varying_constant, int direction)
{
    const Diagonals g(trials[0]);
    if (static_cast<int>(valid.size()) < n)
        valid.resize(n);
    int first = -1, last = -1;
    for (int t = 0; t < n; ++t) {
        results[t] = TrialResult{};
        valid[t] = validate(c, trials[t], g, results[t].reject);
        if (valid[t]) {
            first = first < 0 ? t : first;
            last = t;
        }
    }
    if (first < 0)
        return;
    varying = varying_constant == 0 ? 6 : varying_constant;
    dir = first == last ? 0 : direction;
    // Finding the lines costs more than the plain rules spend on a trial
    // or two (a row's trial where a cross constant is 0 stands alone).
    const bool prepared =
        last - first + 1 > few_trials && prepare(c, trials[first], trials[last], g);
    for (int t = first; t <= last; ++t) {
        if (!valid[t])
            continue;
        if (prepared)
            evaluate_trial(c, trials[t], results[t]);
        else
            plain(c, trials[t], results[t]);
    }
}

// One trial of the prepared segment.
void TrialWorkspace::Storage::evaluate_trial(const TrialContext& c, const Q6& q, TrialResult& r)
{
    const FomState& f = *c.f;
    const double x = q[varying];
    r.generated = true;
    for (; next_enter < nenter && (x - enter_at[next_enter]) * dir >= 0.0; ++next_enter)
        ord[nactive++] = enter_id[next_enter];
    const bool apart = order_keys(x);
    // Lines above reach and rising have left it for good.
    while (nactive > 0 && key[nactive] > reach && lines.cf[ord[nactive - 1]] * dir > 0.0)
        --nactive;
    int n = nactive;
    while (n > 0 && key[n] > qmax)
        --n;
    if (n >= dataset::max_calc || (n > 0 && (!(key[1] > 0.0) || key[n] > qmax - margin))) {
        plain(c, q, r);
        return;
    }
    // The closing entry stands after the lines while they are compared, an
    // infinite one after it.
    const double covered = key[n + 1], covered_next = key[n + 2];
    key[n + 1] = qmax;
    key[n + 2] = std::numeric_limits<double>::infinity();
    bool clear = n == 0 || qmax - key[n] > tolerance;
    for (int i = 2; clear && !apart && i <= n; ++i)
        clear = key[i] - key[i - 1] > tolerance;  // close ones above Qmax do not count
    int nq = 0;
    if (clear && used_ascending) {
        r.value = c.mchar == 'M' ? m1_walk(n + 1, r.mNobscount)
                                 : probability_walk(rules_of(f, c.mchar), n + 1, r.mNobscount);
    } else if (clear) {
        r.value = fm_compare(c.qobs, f.zones, c.use, key.data(), n + 1, rules_of(f, c.mchar),
                             r.mNobscount);
    } else if (duplicates_removed(n, nq)) {
        r.value = fm_compare(c.qobs, f.zones, c.use, qc.data(), nq, rules_of(f, c.mchar),
                             r.mNobscount);
    } else {
        key[n + 1] = covered;
        key[n + 2] = covered_next;
        plain(c, q, r);
        return;
    }
    key[n + 1] = covered;
    key[n + 2] = covered_next;
}

namespace {

// The first of k[1..ncalc] above q (ncalc + 1 when none is), looked for
// from `hint`: k ascending, q positive.
// k[0] (the origin) lies below q and k[ncalc + 1] is infinite: the walks
// stop there without a test of their own.
inline std::ptrdiff_t first_above(const double* k, std::ptrdiff_t ncalc, double q,
                                  std::ptrdiff_t hint)
{
    std::ptrdiff_t j = hint < ncalc ? hint : ncalc;
    if (k[j] > q) {
        while (k[j - 1] > q)
            --j;
    } else {
        do
            ++j;
        while (k[j] <= q);
    }
    return j;
}

} // namespace

// The comparisons over key[0..ncalc] when the lines in use are in ascending
// order: each line's first entry above it is then the one the comparison's
// walk finds, and is looked for from where it was at the last trial. The
// figures are summed as the comparison sums them.
double TrialWorkspace::Storage::m1_walk(int ncalc, int& count)
{
    const double* k = key.data();
    const double* obs = used_q.data();
    std::ptrdiff_t* hint = above.data();
    const std::ptrdiff_t lines_in_use = nused, last = ncalc;
    double S = 0.0;
    std::ptrdiff_t j = 0, u = 0;
    for (; u < lines_in_use; ++u) {
        const double q = obs[u];
        const std::ptrdiff_t at = first_above(k, last, q, hint[u]);
        hint[u] = at;
        if (at > last)
            break;  // no entry above: the walk ends
        j = at;
        const double d1 = q - k[j - 1];
        const double d2 = k[j] - q;
        S += d1 < d2 ? d1 : d2;  // a tie takes the entry above
    }
    count = static_cast<int>(u);
    return u < 1 ? 0.0 : m1_figure(static_cast<int>(u), k[j], static_cast<int>(j), S);
}

double TrialWorkspace::Storage::probability_walk(const CompareRules& r, int ncalc, int& count)
{
    const double* k = key.data();
    const double* obs = used_q.data();
    std::ptrdiff_t* hint = above.data();
    const int lines_in_use = nused;
    const bool product = r.Mchar == 'P';
    ProbabilitySums sums;
    int compared = 0;
    for (int u = 0; u < lines_in_use; ++u) {
        const double q = obs[u];
        const std::ptrdiff_t j = hint[u] = first_above(k, ncalc, q, hint[u]);
        if (j > ncalc)
            break;
        ++compared;
        const double d1 = q - k[j - 1];
        const double d2 = k[j] - q;
        const double d = d1 < d2 ? d1 : d2;
        // Entries strictly inside the zone, counted down from j-1 and up from
        // j (the infinite entry after the last ends that count).
        const double low = used_low[u], high = used_high[u];
        int inside = 0;
        for (std::ptrdiff_t m = j - 1; m >= 1 && k[m] > low; --m)
            ++inside;
        for (std::ptrdiff_t m = j; k[m] < high; ++m)
            ++inside;
        sums.add(chance_probability(inside, d, used_w[u], r), product);
    }
    count = compared;
    return sums.figure(r, compared);
}

// Each line's Q in reach for the varying constant at x, put in order as it
// comes: the last trial's order is nearly right, so a line out of it moves
// back by insertion. False when two neighbours lie within the tolerance.
template <int V>
bool TrialWorkspace::Storage::order_keys_for(double x)
{
    const double* A = lines.a0.data();
    const double* C = lines.cf.data();
    const double* F1 = lines.f1.data();
    const double* F2 = lines.f2.data();
    std::int32_t* o = ord.data();
    double* k = key.data();  // place i has k[i + 1]
    const int n = nactive;
    bool apart = true;
    double prev = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; ++i) {
        const int id = o[i];
        double q = A[id] + C[id] * x;
        if constexpr (V == 4)
            q = (q + F1[id]) + F2[id];
        else if constexpr (V == 5)
            q = q + F2[id];
        if (q - prev > tolerance) [[likely]] {
            k[i + 1] = q;
            prev = q;
            continue;
        }
        if (!(q < prev)) {
            apart = false;
            k[i + 1] = q;
            prev = q;
            continue;
        }
        int j = i;
        do {
            k[j + 1] = k[j];
            o[j] = o[j - 1];
            --j;
        } while (j > 0 && k[j] > q);
        k[j + 1] = q;
        o[j] = id;
        // Its new neighbours; the others kept theirs.
        apart = apart && (j == 0 || q - k[j] > tolerance) && k[j + 2] - q > tolerance;
    }
    return apart;
}

bool TrialWorkspace::Storage::order_keys(double x)
{
    switch (varying) {
    case 4: return order_keys_for<4>(x);
    case 5: return order_keys_for<5>(x);
    default: return order_keys_for<6>(x);
    }
}

// The duplicate removal on the ordered lines 1..n and the closing entry
// (key[n + 1]) into qc[0..nq]: a line within the tolerance below one of
// equal h^2+k^2+l^2 goes. False when equal Q values have unequal
// h^2+k^2+l^2: the outcome then depends on the Shell sort.
bool TrialWorkspace::Storage::duplicates_removed(int n, int& nq)
{
    auto ss_of = [&](int e) { return e <= n ? lines.ss[ord[e - 1]] : closing_ss; };
    double* out = qc.data();
    int m = 0;
    out[0] = 0.0;
    double prev_q = key[1];
    int prev_ss = ss_of(1);
    for (int e = 2; e <= n + 1; ++e) {
        const double Q = key[e];
        const int s = ss_of(e);
        if (Q == prev_q) {
            if (s != prev_ss)
                return false;
            continue;  // the same line again
        }
        if (!(s == prev_ss && !(std::fabs(prev_q - Q) > tolerance)))
            out[++m] = prev_q;
        prev_q = Q;
        prev_ss = s;
    }
    out[++m] = prev_q;
    nq = m;
    return true;
}

// The observed lines in use, once per run.
void TrialWorkspace::Storage::take_context(const TrialContext& c)
{
    const LineZones& z = c.f->zones;
    const int last = std::clamp(c.f->Nobsused, 0, dataset::max_obs);
    for (auto* v : {&used_q, &used_low, &used_high, &used_w})
        v->resize(last);
    above.resize(last);
    nused = 0;
    used_ascending = true;
    for (int i = 0; i < 3; ++i)
        test_angle[i] = c.all_angles || section_varies(c.f->section, i + 4);
    for (int i = 1; i <= last; ++i) {
        if (!c.use[i])
            continue;
        if (!(c.qobs[i] > 0.0) || (nused > 0 && !(c.qobs[i] >= used_q[nused - 1])))
            used_ascending = false;
        used_q[nused] = c.qobs[i];
        used_low[nused] = z.Qbound[i];
        used_high[nused] = z.Qbound[i + 1];
        used_w[nused] = z.Qhalfwidth[i];
        ++nused;
    }
}

TrialWorkspace::TrialWorkspace() : m(std::make_unique<Storage>()) {}
TrialWorkspace::~TrialWorkspace() = default;

void TrialWorkspace::evaluate(const TrialContext& c, const Q6* trials, int n, TrialResult* results)
{
    m->take_context(c);
    const double qmax = c.f->Qmax;
    const bool reachable = std::isfinite(qmax) && qmax > 0.0;
    int t = 0;
    while (t < n) {
        if (!reachable || is_row(trials[t])) {
            m->plain(c, trials[t], results[t]);
            ++t;
            continue;
        }
        int varying = 0, dir = 0;
        int end = t + 1;
        const int code = limits_code(trials[t]);
        while (end < n && continues(trials[end - 1], trials[end], code, varying, dir))
            ++end;
        m->segment(c, trials + t, end - t, results + t, varying, dir);
        t = end;
    }
}

} // namespace rivi
