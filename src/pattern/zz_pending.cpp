// TEMPORARY stand-in definitions of routines other subsystems are building,
// so that the pattern commands link and run meanwhile. Delete each as soon as
// the real one is on main.
#include <cmath>

#include "cell/commands.hpp"
#include "control/session.hpp"

namespace cell {

// TEMPORARY stand-in for the cell developer's automatic limits.
void automatic_limits(const dataset::Dataset& ds, dataset::IndexRow& limits)
{
    limits.fill(0);
    if (ds.cell_valid == 0)
        return;
    double m = std::sqrt(ds.Qmax) / 100.0;
    limits[2] = static_cast<int>(m * ds.DD[1]);
    limits[4] = static_cast<int>(m * ds.DD[2]);
    limits[6] = static_cast<int>(m * ds.DD[3]);
    limits[1] = -limits[2];
    limits[3] = -limits[4];
    limits[5] = 0;
    int code = (std::fabs(ds.QQ[4]) > 1e-7 ? 4 : 0) + (std::fabs(ds.QQ[5]) > 1e-7 ? 5 : 0) +
               (std::fabs(ds.QQ[6]) > 1e-7 ? 6 : 0);
    if (code == 0) {
        limits[1] = 0;
        limits[3] = 0;
    } else if (code == 4) {
        limits[1] = 0;
    } else if (code == 5 || code == 6) {
        limits[3] = 0;
    }
}

} // namespace cell
