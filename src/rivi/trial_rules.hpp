// The rules of one trial evaluation as they read - validation, generation of
// every line, the closing entry, the Shell sort and the duplicate removal -
// shared by the plain evaluators and the fast one, which hands them the
// trials it cannot settle itself.
#pragma once

#include "dataset/dataset.hpp"
#include "rivi/map_state.hpp"

namespace control {
struct Session;
}

namespace rivi {

// A calculated line list: entries 0..n in parallel arrays, entry 0 the origin.
struct LineList {
    int n = 0;
    double* Q = nullptr;
    int* h = nullptr;
    int* k = nullptr;
    int* l = nullptr;
};

// The closing entry's indices.
inline constexpr int closing_index = 99;

// A diagonal constant that puts an axis out of reach (rows, zero-level pass).
inline constexpr double row_marker = 1000000.0;

// A single row of lines: exactly one of Q(A), Q(B), Q(C) differs from the
// marker and there are no cross terms.
bool is_row(const Q6& q);

// Q(A), Q(B) or Q(C) below 0.1 QU., and the debug line that reports it.
inline bool low_diagonal(const Q6& q) { return q[1] < 0.1 || q[2] < 0.1 || q[3] < 0.1; }
void report_low_diagonal(control::Session& s, const Q6& q);

// What zero-level suppression takes out of the index box: the lines of
// h = 0 (zone A), of k = 0 (zone B), or of l = 0 (zone C).
struct ZeroLevel {
    bool skip_h0 = false, skip_k0 = false, skip_l0 = false;
};
inline ZeroLevel zero_level_of(const FomState& f)
{
    return ZeroLevel{f.zero_level && f.zone_letter == 'A', f.zero_level && f.zone_letter == 'B',
                     f.zero_level && f.zone_letter == 'C'};
}

// A reciprocal angle, or its supplement, below the minimum.
inline bool too_oblique(double angle, double amin) { return angle < amin || 180.0 - angle < amin; }

// The reciprocal angles (4 alpha*, 5 beta*, 6 gamma*) that a map section varies.
bool section_varies(char section, int row);

// The trial's validation: false with the reject code 'v' or 'a', otherwise
// the index limits of its lines. `all_angles` tests all three reciprocal
// angles (calcfm), else those the section varies (calcm).
bool validate_trial(const FomState& f, const Q6& q, bool all_angles, char& reject,
                    dataset::IndexRow& limits);

// Line h k l with Q qhkl appended to out as entry n + 1 when the rules keep
// it (0 < Q <= qmax, not a negative axial line); false with reject 'n'
// (out.n = n) when 20000 lines are already held.
inline bool keep_line(LineList& out, int& n, double qhkl, double qmax, int h, int k, int l,
                      char& reject)
{
    if (!(qhkl > 0.0 && qhkl <= qmax))
        return true;
    if (l == 0 && ((k == 0 && h < 0) || (h == 0 && k < 0)))
        return true;
    if (n == dataset::max_calc) {
        out.n = n;
        reject = 'n';
        return false;
    }
    ++n;
    out.Q[n] = qhkl;
    out.h[n] = h;
    out.k[n] = k;
    out.l[n] = l;
    return true;
}

// The lines 1..n closed: the closing entry at qmax (every observed line
// below Qmax has an entry above it), the Shell sort and the duplicate
// removal.
void close_lines(LineList& out, int n, double qmax);

// Every line within the limits and Qmax (zero-level suppression applied),
// the closing entry, the Shell sort and the duplicate removal; false with
// reject 'n' (the first 20000 lines kept unsorted) when the list overflows.
bool generate_lines(const FomState& f, const Q6& q, const dataset::IndexRow& limits, LineList& out,
                    char& reject);

// Validation and generation together.
bool generate_trial(const FomState& f, const Q6& q, bool all_angles, LineList& out, char& reject);

CompareRules rules_of(const FomState& f, char mchar);

// The figure-of-merit mode must be M, P or I; otherwise the message and a pause.
bool valid_mode(control::Session& s, char mchar);

// The mNobscount check of a comparison of trial q.
void consistency_check(control::Session& s, int mNobscount, const Q6& q);

// The dataset's calculated pattern as a line list.
LineList dataset_lines(dataset::Dataset& ds);

} // namespace rivi
