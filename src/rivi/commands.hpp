// The commands of the merit-map subsystem that the command table calls
// directly: the ab initio row scan and the testbed.
#pragma once

namespace control {
struct Session;
}

namespace rivi {

void QA(control::Session& s);  // row scan of Q(A) with fixed settings
void PE(control::Session& s);  // the testbed menu

} // namespace rivi
