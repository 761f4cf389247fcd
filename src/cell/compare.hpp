// The comparison of observed and calculated patterns written by each output
// pass of CA: the merged listing, its summary and the 2Theta calibration.
#pragma once

#include <array>

#include "console/sink.hpp"
#include "dataset/limits.hpp"

namespace control {
struct Session;
}

namespace cell {

// One CA's choices and what its listing found.
struct Comparison {
    char mode = 'N';        // exclusions: N none, Q by dQ, T by d2Theta
    double dQlim = 3.0;     // QU.
    double d2Tlim = 0.05;   // degrees
    double T = 0.0;         // trial specimen-displacement ratio, 0 = none

    int excluded = 0;
    int included = 0;       // compared lines not excluded
    int last_compared = 0;  // number of the last observed line listed
    double sum_d2th = 0.0;  // of 2Theta shown - 2Theta calc over included lines
    // Per observed line: 2Theta calc of its matched line (uncorrected scale)
    // and d2Th = 2Theta calc - 2Theta obs.
    std::array<double, dataset::max_obs + 1> tth_calc{};
    std::array<double, dataset::max_obs + 1> d2th{};
};

// What the screen pass of the calibration decided, repeated in the copies.
struct Calibration {
    bool fitted = false;  // the user chose lines and a fit was made
    int lines = 0;        // N, the first N observed lines
    bool apply = false;   // the user asked for the transformation
    double k = 1.0;       // calibration factor
    double dz = 0.0;      // zero correction on top of Z2Th
};

// The merged listing; assigns indices and include flags. `screen` selects
// the screen form (paged, without the copy heading).
void comparison_listing(control::Session& s, console::Sink& out, bool screen, Comparison& c);
void comparison_summary(console::Sink& out, const Comparison& c);
// The least-squares calibration: the dialogue on the screen, its results
// again without questions on a copy.
void calibration(control::Session& s, console::Sink& out, bool screen, const Comparison& c,
                 Calibration& cal);

} // namespace cell
