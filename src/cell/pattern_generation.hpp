// Generation of the calculated pattern, shared by CA and its tests.
#pragma once

#include "dataset/dataset.hpp"

namespace cell {

// The reflection that found the calculated-pattern arrays full.
struct Overflow {
    int h = 0, k = 0, l = 0;
};

// The automatic limits narrowed by the given ones: each minimum the larger,
// each maximum the smaller.
void effective_limits(const dataset::Dataset& ds, dataset::IndexRow& limits);
// True when the absences code (1 P .. 8 R2) forbids h k l.
bool lattice_absent(int abs_code, int h, int k, int l);
// Fills the calculated pattern, unsorted, from the powder constants within
// the limits and Qmax; false (with the offending h k l) when a line more
// than the capacity would be needed, the lines so far kept.
bool generate_pattern(dataset::Dataset& ds, const dataset::IndexRow& limits, Overflow& at);

} // namespace cell
