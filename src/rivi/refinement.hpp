// Parabolic refinement on a figure-of-merit surface: the parabolic step
// through three points, one cycle on one parameter, and the refinement of a
// map peak on its two cross constants.
#pragma once

#include <functional>

#include "rivi/fom.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}

namespace rivi {

struct ParabolicShift {
    double shift = 0.0;
    int status = -1;         // 1 parabolic, 0 limited, -1 no parabola
    double predicted = 0.0;  // the predicted maximum
};

// The step from q towards the maximum of the parabola through (q - d, fm),
// (q, f0), (q + d, fp), limited to `limit` steps. With require_positive,
// a non-positive value among the three moves to the better point that has a
// positive value. A predicted maximum <= 0 is reported on the screen.
ParabolicShift P_shift(console::Console& con, bool require_positive, double fm, double f0,
                       double fp, double d, double limit);

// The figure of merit with the refined parameter at a value, the others held.
using MeritAt = std::function<double(double)>;

// What the cycles of one refinement share.
struct RefinementRun {
    double f_best = 0.0;         // the value at the current parameters
    double largest_shift = 0.0;  // largest applied shift of the current cycle
    long long same = 0, reversed = 0, null = 0;
    const Q6* constants = nullptr;  // the trial, named in the diagnostics
};

// One parameter: its value and the raw shift of its previous cycle.
struct RefinedParameter {
    double q = 0.0;
    double last_shift = 0.0;
};

// One cycle on parameter p with step d: f0 is run.f_best; the parabolic
// shift is damped when it reverses, capped at 1.5 steps, compared with a
// right angle (exactly 0) when the bracket straddles it, and undone when it
// scores lower than before. Returns the raw shift.
double P_ref_cycle(console::Console& con, const MeritAt& merit, RefinedParameter& p, double d,
                   RefinementRun& run);

// Cycles on x, then on y when `both`, until the largest shift applied in a
// cycle is within 0.0001 or after 20 cycles, each step shrinking to twice
// a smaller shift; `moved` follows each parameter's cycle. Returns the
// number of cycles.
int refine_pair(console::Console& con, const MeritAt& merit_x, const MeritAt& merit_y,
                RefinedParameter& px, RefinedParameter& py, double dx, double dy, bool both,
                RefinementRun& run, const std::function<void()>& moved);

// Refines a map peak at x, y (display unit, updated) from the starting steps
// dx, dy (QU.) on the section's two cross constants; returns the refined
// value. Counts cycles and shifts into the map's refinement counters.
double P_ref_HM(control::Session& s, double& x, double& y, double dx, double dy);

} // namespace rivi
