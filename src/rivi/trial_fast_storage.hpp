// The fast evaluator's working storage: the candidate lines of a segment of
// trials, the order of those in reach, and the lists it compares; shared by
// the files of the fast evaluator only.
#pragma once

#include <cstdint>
#include <vector>

#include "dataset/limits.hpp"
#include "rivi/trial_fast.hpp"

namespace rivi {

namespace fast {

constexpr double tolerance = 0.0001;         // duplicate removal, QU.
constexpr double flat_cell = 1e-9;           // as the powder-constants conversion
constexpr double cross_zero = 1e-7;          // as the automatic limits
constexpr int closing_ss = 3 * closing_index * closing_index;
constexpr int max_candidates = 1 << 17;      // candidate lines of one segment
constexpr long long max_columns = 1 << 20;   // (h, k) columns looked at for one segment

// What the conversion derives from Q(A), Q(B) and Q(C) alone, once for the
// trials of a segment, by the conversion's own operations.
struct Diagonals {
    explicit Diagonals(const Q6& q);
    double as, bs, cs;  // a*, b*, c*
    double product;
    double to_cos[3];   // a cross constant over these is the cosine of its angle
    double q123;        // Q(A) Q(B) Q(C)
};

// The direct cell sides of a valid trial: how far its indices reach.
struct Sides {
    double a = 0.0, b = 0.0, c = 0.0;
};

// The index half-spaces of the automatic limits and the zero-level
// suppression, shared by every trial of a segment.
struct Shape {
    bool negative_h = true, negative_k = true;
    bool skip_h0 = false, skip_k0 = false;
    int lmin = 0;
};

// Which half-spaces the automatic limits open for trial q: they follow the
// cross constants that are not (nearly) zero.
int limits_code(const Q6& q);

// The l of column h, k whose Q = Q3 l^2 + B l + C can reach T, widened by
// one on each side; false when none can.
bool column_reach(double Q3, double B, double C, double T, double& lo, double& hi);

// Lines by their terms (structure of arrays): Q is ((a0 + cf x) + f1) + f2
// when Q(D) varies, (a0 + cf x) + f2 when Q(E) does, a0 + cf x when Q(F)
// does; ss is h^2+k^2+l^2.
struct LineTerms {
    std::vector<double> a0, cf, f1, f2;
    std::vector<std::int32_t> ss;

    void clear()
    {
        a0.clear();
        cf.clear();
        f1.clear();
        f2.clear();
        ss.clear();
    }
    void copy(int to, int from)
    {
        a0[to] = a0[from];
        cf[to] = cf[from];
        f1[to] = f1[from];
        f2[to] = f2[from];
        ss[to] = ss[from];
    }
};

} // namespace fast

// A segment is a run of trials sharing Q(A), Q(B), Q(C), two cross
// constants and the index shape, the third cross constant (`varying`, 4..6)
// moving one way. A line's Q is then linear in that constant: with the
// rule's terms t4, t5, t6 summed in its order, Q = ((d + t4) + t5) + t6, the
// fixed terms are kept per line and only the varying one is formed per trial.
struct TrialWorkspace::Storage {
    using Diagonals = fast::Diagonals;
    using Sides = fast::Sides;
    using Shape = fast::Shape;

    // ---- the segment ----
    int varying = 6;        // the cross constant that moves
    int dir = 0;            // +1 rising, -1 falling, 0 fixed
    double qmax = 0.0;
    double margin = 0.0;    // far above any rounding of a line's Q
    double reach = 0.0;     // qmax + margin: lines above it do not count

    // The candidate lines: every line whose Q can reach `reach` at some
    // trial of the segment, those identical at every trial merged.
    int nlines = 0;
    fast::LineTerms lines;

    // Lines out of reach at the segment's start that come into it, in the
    // order they do, with the varying constant at which they do.
    int nenter = 0, next_enter = 0;
    std::vector<std::int32_t> enter_id;
    std::vector<double> enter_at;

    // The lines in reach (their candidates' numbers), ordered by their Q at
    // the last trial: line ord[i] has key[i + 1]; key[0] is the origin; two
    // places beyond the last are kept for the closing entry and a sentinel.
    int nactive = 0;
    std::vector<std::int32_t> ord;
    std::vector<double> key;

    // The observed lines in use (1..Nobsused): Q, zone bounds and zone
    // half-width, and where the search for the first entry above each of
    // them ended at the last trial.
    int nused = 0;
    bool used_ascending = true;  // and positive
    bool test_angle[3] = {true, true, true};  // alpha*, beta*, gamma* tested
    std::vector<double> used_q, used_low, used_high, used_w;
    std::vector<std::ptrdiff_t> above;

    // Scratch: the compared list when duplicates go, the validity of a
    // segment's trials, the plain rules' list, the merging of lines.
    std::vector<double> qc;
    std::vector<char> valid;
    std::vector<double> pq;
    std::vector<int> ph, pk, pl;
    std::vector<std::int32_t> slots;
    std::vector<std::pair<double, std::int32_t>> pairs;

    // |cosine| below this: the angle is clear of the minimum (no arctangent).
    double amin_seen = -1.0, cos_clear = 0.0;

    Storage();

    bool validate(const TrialContext& c, const Q6& q, const Diagonals& g, char& reject);
    Sides sides_of(const Q6& q, const Diagonals& g) const;
    void segment(const TrialContext& c, const Q6* trials, int n, TrialResult* results,
                 int varying_constant, int direction);
    bool prepare(const TrialContext& c, const Q6& qa, const Q6& qb, const Diagonals& g);
    bool enumerate(const TrialContext& c, const Q6& qa, const Q6& qb, const Sides& sa,
                   const Sides& sb);
    void add_line(int h, int k, int l, const Q6& q);
    bool merge_identical();
    void schedule(const Q6& qa);
    void take_context(const TrialContext& c);
    double m1_walk(int ncalc, int& count);
    double probability_walk(const CompareRules& r, int ncalc, int& count);
    void evaluate_trial(const TrialContext& c, const Q6& q, TrialResult& r);
    bool order_keys(double x);
    template <int V>
    bool order_keys_for(double x);
    bool duplicates_removed(int n, int& nq);
    void plain(const TrialContext& c, const Q6& q, TrialResult& r);

    double line_q(int id, double x) const
    {
        switch (varying) {
        case 4: return ((lines.a0[id] + lines.cf[id] * x) + lines.f1[id]) + lines.f2[id];
        case 5: return (lines.a0[id] + lines.cf[id] * x) + lines.f2[id];
        default: return lines.a0[id] + lines.cf[id] * x;
        }
    }
};

} // namespace rivi
