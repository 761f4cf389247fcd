// A section's display coordinates (reciprocal angles or cross constants) and
// the trial constants they stand for.
#include <cmath>

#include "cell/conversions.hpp"
#include "control/session.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

// Axis 1 alpha*/Q(D), 2 beta*/Q(E), 3 gamma*/Q(F).
double to_constant(control::Session& s, int constant, double v)
{
    return s.maps.settings.angle_mode ? cell::AtoQstar(s, constant - 3, v) : v;
}

double to_display(control::Session& s, int constant, double q)
{
    return s.maps.settings.angle_mode ? cell::QtoAstar(s, constant - 3, q) : q;
}

Q6 basis_set(const MapSettings& ms)
{
    Q6 q = ms.basis;
    for (double& v : q)
        v += 0.0;  // a cross constant of -0 is shown as 0
    return q;
}

Q6 trial_at(control::Session& s, double x, double y)
{
    const char section = s.maps.fom.section;
    Q6 q = basis_set(s.maps.settings);
    q[x_constant(section)] = to_constant(s, x_constant(section), x);
    q[y_constant(section)] = to_constant(s, y_constant(section), y);
    return q;
}

bool last_best_peak(control::Session& s, double& x, double& y)
{
    const MapState& m = s.maps;
    if (!m.map_made)
        return false;
    const char section = m.fom.section;
    if (m.best_peak_angle_mode == m.settings.angle_mode && m.best_peak_section == section) {
        x = m.best_peak_x;
        y = m.best_peak_y;
        return true;
    }
    // Degrees are no centre for a map in QU. (nor the reverse), and another
    // section has other axes: the peak's trial cell is placed in this one.
    x = to_display(s, x_constant(section), m.best_peak_q[x_constant(section)]);
    y = to_display(s, y_constant(section), m.best_peak_q[y_constant(section)]);
    return true;
}

void refinement_steps(control::Session& s, double& dx, double& dy)
{
    const MapGrid& g = s.maps.settings.grid;
    const char section = s.maps.fom.section;
    auto step = [&](int constant, double origin, double d) {
        return std::fabs(to_constant(s, constant, origin + d) - to_constant(s, constant, origin));
    };
    dx = step(x_constant(section), g.x0, g.sx);
    dy = step(y_constant(section), g.y0, g.sy);
}

} // namespace rivi
