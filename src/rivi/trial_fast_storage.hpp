// The fast evaluator's working storage: the candidate lines of a chunk of
// trials, their order, and the lists it compares; shared by the files of
// the fast evaluator only.
#pragma once

#include <cstdint>
#include <vector>

#include "dataset/limits.hpp"
#include "rivi/trial_fast.hpp"

namespace rivi {

namespace fast {

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

} // namespace fast

struct TrialWorkspace::Storage {
    using Lines = fast::Lines;
    using Entry = fast::Entry;
    using Valid = fast::Valid;
    using Diagonals = fast::Diagonals;

    // The candidates of the current chunk, and their order by the last
    // trial's keys.
    int ncand = 0;
    Lines lines{fast::max_candidates}, fresh_lines{fast::max_candidates};
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

    Valid valid[fast::chunk_trials];

    // |cosine| below this: the angle is clear of the minimum (no arctangent).
    double amin_seen = -1.0, cos_clear = 0.0;

    Storage()
        : order(fast::max_candidates + 1), stamp_of(fast::max_box, 0), used(fast::max_candidates, 0),
          place_of(fast::max_box),
          spare(fast::max_candidates),
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
    void plain(const TrialContext& c, const Q6& q, TrialResult& r);
    void chunk(const TrialContext& c, const Q6* trials, int n, TrialResult* results, double top);

    // The last trial whose lines this workspace holds sorted, and how many.
    const Q6* held = nullptr;
    int held_lines = 0;
};

} // namespace rivi
