// The cell command and the calculated pattern.
#pragma once

#include "dataset/dataset.hpp"

namespace control {
struct Session;
}

namespace cell {

void CE(control::Session& s);   // input, display or edit the cell
void CA(control::Session& s);   // calculated pattern and comparison

// CE without questions, for LC: Ctype 1, the stored direct cell expanded,
// shown in full, with the copy offer.
void expand_direct_cell(control::Session& s);

// Automatic index limits from the cell and Qmax (all 0 without a valid cell).
void automatic_limits(const dataset::Dataset& ds, dataset::IndexRow& limits);
// The same from the direct sides (rows 1..3), the cross constants (rows 4..6)
// and a Qmax, for any cell.
void automatic_limits(const dataset::CellRow& direct, const dataset::CellRow& q, double qmax,
                      dataset::IndexRow& limits);
// Sort of the calculated pattern by Q, and removal of symmetry duplicates.
void sort_calculated(dataset::Dataset& ds);
void remove_symmetry_duplicates(dataset::Dataset& ds);
// The same on any line list with entries 1..n in parallel arrays (the merit
// maps keep private lists); the removal returns the new count.
void sort_calculated(int n, double* CQ, int* CH, int* CK, int* CL);
int remove_symmetry_duplicates(int n, double* CQ, int* CH, int* CK, int* CL);

} // namespace cell
