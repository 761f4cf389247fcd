// A map row evaluated by the plain evaluators, one trial after the other.
#include "rivi/row_plain.hpp"

#include "control/session.hpp"
#include "rivi/trial.hpp"

namespace rivi {

void evaluate_row(control::Session& s, const Q6* trials, int n, double* values, char* rejects)
{
    FomState& f = s.maps.fom;
    for (int i = 0; i < n; ++i) {
        // The scans' evaluator at zero 2Theta shift and without rezoning.
        values[i] = f.use_calcfm ? calcfm(s, trials[i], 0.0, 1.0, false, false, s.ds.OQ.data(),
                                          s.ds.OT.data(), f.Mchar)
                                 : calcm(s, trials[i]);
        rejects[i] = f.reject;
    }
}

} // namespace rivi
