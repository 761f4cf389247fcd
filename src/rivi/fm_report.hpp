// The testbed's report of all three figures of merit for the working
// dataset's own observed and calculated patterns.
#pragma once

namespace control {
struct Session;
}

namespace rivi {

// Calculate all 3 FM (Ir, Pr, M1) using current obslist and calclist.
void fm_report(control::Session& s);

} // namespace rivi
