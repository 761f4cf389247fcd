// TEMPORARY stand-in for a routine of the pattern subsystem that is not on
// main yet, so that CA links and runs. Remove when the real one arrives.
#include "control/session.hpp"
#include "pattern/commands.hpp"

namespace pattern {

// TEMPORARY stand-in: only the arithmetic of the transformation.
void apply_transformation(control::Session& s, double k, double z)
{
    s.ds.Z2Th += z;
    s.ds.Dflag = 1;
    for (int i = 1; i <= s.ds.Nobs; ++i)
        s.ds.OT[i] *= k;
}

} // namespace pattern
