// Self-calibration settings that outlive one SC.
#pragma once

#include <string>

namespace calibration {

struct CalibrationSettings {
    double max_q_diff = 10.0;  // QU., pairing tolerance |4 Q(i) - Q(j)|
    std::string note;          // "After self-calibration: " + what was done
};

// The run's settings, kept by this subsystem.
CalibrationSettings& settings();

} // namespace calibration
