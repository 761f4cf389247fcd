// Four 20-line patterns for the merit-map evaluators, computed from cells,
// and the trials of their C-section maps, as the map dialogue and scan would
// set them up. Shared by the evaluator tests and the benchmark.
#pragma once

#include "control/session.hpp"
#include "rivi/fom.hpp"

namespace map_patterns {

struct Pattern {
    const char* name;
    double a, b, c, alpha, beta, gamma;  // the true cell
    bool measured;                       // weak lines lost, one impurity line, larger errors
};

// Sucrose (monoclinic P21), copper sulphate pentahydrate (triclinic P-1),
// and two measured-like patterns of cells near 700 and 1300 A^3.
extern const Pattern patterns[4];

// A C-section map grid: columns i = 0..columns-1 at x = 90 + i*step,
// rows r = rmin..rmax at y = 90 + r*step (angle mode).
struct Grid {
    int columns = 0;
    int rmin = 0, rmax = 0;
    double step = 0.0;
};

// Loads the pattern into the session as the map dialogue leaves it for a
// C-section map of its true basis zone in figure-of-merit mode mchar (all
// 20 lines, Qmax = last line + 50, Vmax 6000, minimum angle 30); returns
// the basis Q(A), Q(B), Q(C) and Q(F).
rivi::Q6 load(control::Session& s, const Pattern& p, char mchar);

// The full default map (L = 600, step -0.1 deg) and the quick map from the
// origin (31 x 41 points, step -0.5 deg); one quadrant when Q(F) is 0.
Grid full_grid(const rivi::Q6& basis);
Grid quick_grid(const rivi::Q6& basis);

// The trials of row r into out[0..columns-1], through AtoQstar as the scan
// makes them.
void row_trials(control::Session& s, const rivi::Q6& basis, const Grid& g, int r, rivi::Q6* out);

} // namespace map_patterns
