// One map row of trials evaluated in order, as the scan calls it.
#pragma once

#include "rivi/fom.hpp"

namespace control {
struct Session;
}

namespace rivi {

// Evaluates trials[0..n-1] in order with the map's evaluator (calcm, or
// calcfm when fom.use_calcfm is on), leaving values[] and rejects[] and
// everything n single calls would leave (trial counter, calculated pattern).
void evaluate_row(control::Session& s, const Q6* trials, int n, double* values, char* rejects);

} // namespace rivi
