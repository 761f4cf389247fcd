// What the testbed calls besides the scans.
#pragma once

namespace control {
struct Session;
}

namespace rivi {

// The FM report: all three figures of merit of the working dataset's own
// observed and calculated patterns.
void fm_report(control::Session& s);

} // namespace rivi
