// TEMPORARY stand-in for cell::compute_q2a, which the cell subsystem builds;
// remove it as soon as the real one lands.
#include "cell/conversions.hpp"

namespace cell {

void compute_q2a(dataset::Dataset& ds)
{
    ds.Q2A[1] = 20000.0 * ds.RR[2] * ds.RR[3];
    ds.Q2A[2] = 20000.0 * ds.RR[3] * ds.RR[1];
    ds.Q2A[3] = 20000.0 * ds.RR[1] * ds.RR[2];
}

} // namespace cell
