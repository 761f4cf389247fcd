// The computations of the pattern extension EP.
#pragma once

#include <array>

#include "dataset/dataset.hpp"

namespace console {
class Console;
}

namespace pattern::extension {

inline constexpr int target_lines = 20;     // what the indexing programs ask for
inline constexpr int max_candidates = 97;   // higher orders kept as candidates

using Candidates = std::array<double, max_candidates>;

// The highest order n of n^2 * Q: 9, lowered while Nobs * (n - 1) >= 99.
int highest_order(int nobs);

// n^2 * OQ(i) for n = 2..m and each line in turn, the first 97 kept, in
// ascending order; returns how many.
int make_candidates(const dataset::Dataset& ds, int m, Candidates& c);

// Appends candidates in ascending order, skipping those within `limit` QU.
// of a line already present (with a message), until the pattern holds 20
// lines or the candidates run out; returns the number appended. Candidates
// that a dataset file could not hold end the list, with a message.
int append_higher_orders(console::Console& con, dataset::Dataset& ds, const Candidates& c,
                         int count, double limit);

// The wavelength that gives q a 2Theta below 180 degrees: 2.0 when the
// factor k already does, else the first halving of 2.0 that does.
double fitting_wavelength(double k, double q);

// Whether a line of Q q can be added to a pattern of wavelength factor k:
// q and the wavelength it may bring both stay within what a file holds.
bool within_reach(double k, double q);

} // namespace pattern::extension
